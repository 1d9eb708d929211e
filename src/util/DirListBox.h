// The folder list control: the open folder's chain of parent folders, then its subfolders. Activating an
// entry (double click or Enter) opens it; every change of the open folder emits Change.
#pragma once

#include <QListWidget>
#include <QString>

class DirListBox : public QListWidget {
    Q_OBJECT

public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The open folder in the platform's form, with a trailing separator only for a root.
    QString Path() const { return m_path; }
    // Raises 76 (path not found) for anything that is not an existing folder, keeping the open one.
    void setPath(const QString& path);

signals:
    void Change();

private:
    void fill();

    QString m_path;
};
