#include "platform/shell/WshShell.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString& desktopOverride()
{
    static QString carpeta;
    return carpeta;
}

} // namespace

QString WshShell::SpecialFolders(const QString& nombre) const
{
    if (nombre.compare(QLatin1String("Desktop"), Qt::CaseInsensitive) != 0)
        return QString();
    if (!desktopOverride().isEmpty())
        return desktopOverride();
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

void WshShell::setDesktopOverride(const QString& carpeta)
{
    desktopOverride() = carpeta;
}
