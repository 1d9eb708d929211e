// The modal folder picker: a drive list and a folder list. The caller shows it, reads SelPath after it
// hides itself ("" when cancelled) and then deletes it.
#pragma once

#include <QDialog>
#include <QString>

class DirListBox;
class QComboBox;
class QLabel;
class QPushButton;

class FrmDir : public QDialog {
    Q_OBJECT

public:
    explicit FrmDir(QWidget* parent = nullptr);

    QString SelPath;

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void CmdAceptar_Click();
    void CmdCancelar_Click();

protected:
    // Escape is the cancel button.
    void reject() override;

private:
    void design();

    QLabel* Label1 = nullptr;
    QComboBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    QLabel* LblDir = nullptr;
    QPushButton* CmdAceptar = nullptr;
    QPushButton* CmdCancelar = nullptr;
};
