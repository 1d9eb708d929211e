#include "platform/net/InetArchivo.h"

#include "platform/net/Inet.h"
#include "platform/vb/Error.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/Strings.h"

#include <QSaveFile>
#include <limits>

namespace net {
namespace {

constexpr int kTrozo = 1024;

} // namespace

int LargoDeclarado(const QString& header)
{
    bool ok = false;
    const qlonglong value = vb::Trim(header).toLongLong(&ok);
    if (!ok)
        throw vb::Error(13, QStringLiteral("No coinciden los tipos"));
    if (value < 0 || value > std::numeric_limits<int>::max())
        throw vb::Error(6, QStringLiteral("Desbordamiento"));
    return static_cast<int>(value);
}

void GuardarRespuesta(Inet& inet, const QString& ruta, const QString& queSeDescarga, const AvanceDescarga& avance)
{
    const int estado = inet.StatusCode();
    if (estado < 200 || estado > 299)
        throw vb::Error(estado, QStringLiteral("No se pudo descargar el %1: el servidor respondió %2.")
                                    .arg(queSeDescarga)
                                    .arg(estado));
    const int largo = LargoDeclarado(inet.GetHeader(QStringLiteral("Content-length")));

    // Unbuffered, so that a short write (a full disk) shows in the count each write returns.
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo: ") + ruta);
    QByteArray trozo = inet.GetChunk(kTrozo);
    vb::DoEvents();
    if (avance.inicio)
        avance.inicio(largo);
    qint64 escritos = 0;
    while (!trozo.isEmpty()) {
        if (archivo.write(trozo) != trozo.size())
            throw vb::Error(61, QStringLiteral("Disco lleno"));
        escritos += trozo.size();
        trozo = inet.GetChunk(kTrozo);
        vb::DoEvents();
        if (avance.trozo)
            avance.trozo(escritos, trozo.size());
    }
    if (escritos != largo)
        throw vb::Error(35753, QStringLiteral("La descarga del %1 quedó incompleta: se recibieron %2 de %3 bytes.")
                                   .arg(queSeDescarga)
                                   .arg(escritos)
                                   .arg(largo));
    // Nothing that is downloaded here is whole at 0 bytes; an empty body never replaces an earlier file.
    if (escritos == 0)
        throw vb::Error(35753, QStringLiteral("La descarga del %1 llegó vacía: no se recibió ningún byte.")
                                   .arg(queSeDescarga));
    if (!archivo.commit())
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo: ") + ruta);
}

} // namespace net
