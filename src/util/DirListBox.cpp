#include "util/DirListBox.h"

#include "platform/vb/Error.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIndent = 2;

QListWidgetItem* entry(QListWidget* list, const QString& caption, const QString& path, int depth)
{
    auto* item = new QListWidgetItem(QString(depth * kIndent, QLatin1Char(' ')) + caption, list);
    item->setData(kPathRole, path);
    return item;
}

QString caption(const QDir& dir)
{
    return dir.isRoot() ? QDir::toNativeSeparators(dir.absolutePath()) : dir.dirName();
}

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        try {
            setPath(item->data(kPathRole).toString());
        } catch (const vb::Error&) {
            // A folder removed since the list was filled: the list stays where it is.
        }
    });
    setPath(QDir::currentPath());
}

void DirListBox::setPath(const QString& path)
{
    const QFileInfo info(QDir::fromNativeSeparators(path));
    if (path.trimmed().isEmpty() || !info.isDir() || !QDir(info.absoluteFilePath()).isReadable())
        throw vb::Error(76, QStringLiteral("No se encontró la ruta de acceso"), QStringLiteral("DirListBox"));
    const QString opened = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    if (opened == m_path)
        return;
    m_path = opened;
    fill();
    emit Change();
}

void DirListBox::fill()
{
    clear();
    QList<QDir> chain;
    for (QDir dir(QDir::fromNativeSeparators(m_path));;) {
        chain.prepend(dir);
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    int depth = 0;
    for (const QDir& dir : chain)
        entry(this, caption(dir), QDir::toNativeSeparators(dir.absolutePath()), depth++);
    setCurrentRow(count() - 1);
    const QDir open(QDir::fromNativeSeparators(m_path));
    for (const QString& name : open.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        entry(this, name, QDir::toNativeSeparators(open.filePath(name)), depth);
}
