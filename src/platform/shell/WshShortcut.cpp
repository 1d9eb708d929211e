#include "platform/shell/WshShortcut.h"

#include "platform/vb/Error.h"

#include <QFile>
#include <QFileInfo>

QString WshShortcut::Archivo() const
{
    QString ruta = QString(m_ruta).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (ruta.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
        ruta.chop(4);
    return ruta + QStringLiteral(".desktop");
}

void WshShortcut::Save() const
{
    QFile archivo(Archivo());
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"), QStringLiteral("WshShortcut"));
    const QString nombre = QFileInfo(Archivo()).completeBaseName();
    const QString texto = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\"\nIcon=%3\n")
                              .arg(nombre, TargetPath, IconLocation);
    archivo.write(texto.toUtf8());
    archivo.setPermissions(archivo.permissions() | QFileDevice::ExeOwner);
}
