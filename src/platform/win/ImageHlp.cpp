#include "platform/win/ImageHlp.h"

#include <QDir>
#include <QFileInfo>

namespace win {
namespace {

bool searchFolder(const QDir& folder, const QString& name, QString& found)
{
    const QFileInfoList files =
        folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : files) {
        if (file.fileName().compare(name, Qt::CaseInsensitive) == 0) {
            found = QDir::toNativeSeparators(file.absoluteFilePath());
            return true;
        }
    }
    // Linked folders are not followed: a link back to a parent would never end the search.
    const QFileInfoList subfolders =
        folder.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                             QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& sub : subfolders)
        if (searchFolder(QDir(sub.absoluteFilePath()), name, found))
            return true;
    return false;
}

} // namespace

bool SearchTreeForFile(const QString& rootPath, const QString& inputPathName, QString& outputPathBuffer)
{
    const QString name = QFileInfo(QDir::fromNativeSeparators(inputPathName)).fileName();
    const QFileInfo root(QDir::fromNativeSeparators(rootPath));
    if (name.isEmpty() || rootPath.isEmpty() || !root.isDir())
        return false;
    return searchFolder(QDir(root.absoluteFilePath()), name, outputPathBuffer);
}

} // namespace win
