#include "platform/win/ShellApi.h"

#include "platform/vb/Operator.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTextStream>

namespace win {
namespace {

// The value of `key` in one section of a freedesktop key file; "" when absent.
QString keyInSection(const QString& file, const QString& section, const QString& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    bool inSection = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == QLatin1Char('[') + section + QLatin1Char(']');
        } else if (inSection && line.startsWith(key + QLatin1Char('='))) {
            return line.mid(key.size() + 1).trimmed();
        }
    }
    return QString();
}

QStringList desktopFilesFor(const QString& mimeType)
{
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& list : lists) {
        const QString found = keyInSection(list, QStringLiteral("Default Applications"), mimeType);
        if (!found.isEmpty())
            return found.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString found =
            keyInSection(dir + QStringLiteral("/mimeinfo.cache"), QStringLiteral("MIME Cache"), mimeType);
        if (!found.isEmpty())
            return found.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

// The program named first on the Exec line of a .desktop file.
QString programOf(const QString& desktopFile)
{
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
    if (path.isEmpty())
        return QString();
    const QString exec = keyInSection(path, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
    const QString program = exec.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).remove(QLatin1Char('"'));
    if (program.isEmpty())
        return QString();
    return QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
}

} // namespace

bool SHGetFileInfo(const QString& path, SHFILEINFO& info, std::uint32_t flags)
{
    const QFileInfo file(path);
    if (!file.exists())
        return false;
    if (flags & SHGFI_TYPENAME)
        info.szTypeName = QMimeDatabase().mimeTypeForFile(file).comment();
    if (flags & SHGFI_ICON) {
        const int side = (flags & SHGFI_SMALLICON) ? 16 : 32;
        info.hIcon = QFileIconProvider().icon(file).pixmap(side, side);
    }
    return true;
}

QIcon ExtractAssociatedIcon(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() ? QFileIconProvider().icon(file) : QIcon();
}

QString FindExecutable(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QString();
    if (info.isFile() && info.isExecutable())
        return QDir::toNativeSeparators(info.absoluteFilePath());
    for (const QString& desktop : desktopFilesFor(QMimeDatabase().mimeTypeForFile(info).name())) {
        const QString program = programOf(desktop);
        if (!program.isEmpty())
            return QDir::toNativeSeparators(program);
    }
    return QString();
}

QString SHBrowseForFolder(QWidget* owner, const QString& title)
{
    return QDir::toNativeSeparators(vb::currentOperator().browseFolder(owner, title));
}

} // namespace win
