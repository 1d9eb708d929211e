#include "database/ExistenciaArchivo.h"

#include <QFile>
#include <QFileInfo>

namespace ExistenciaArchivo {

bool ExisteArchivo(const QString& ruta)
{
    QString limpia = ruta;
    limpia.remove(QLatin1Char('"'));
    if (limpia.isEmpty() || QFileInfo(limpia).isDir())
        return false;
    QFile archivo(limpia);
    return archivo.open(QIODevice::ReadOnly);
}

} // namespace ExistenciaArchivo
