#include "global/ModGlobal.h"

#include "database/DB_Dll.h"
#include "platform/dorvik/ClsEspera.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace ModGlobal {
namespace {

constexpr qint64 kMitadBloque = 16384;
constexpr qint64 kBloque = 2 * kMitadBloque;

bool copiarTramo(QFile& origen, QFile& destino, qint64 largo)
{
    if (largo == 0)
        return true;
    const QByteArray datos = origen.read(largo);
    return datos.size() == largo && destino.write(datos) == largo;
}

} // namespace

ClsUtilidades& gFunciones()
{
    static const auto instancia = std::make_unique<ClsUtilidades>();
    return *instancia;
}

ClsSistema& gEntorno()
{
    static const auto instancia = std::make_unique<ClsSistema>();
    return *instancia;
}

ClsEspera& gEspera()
{
    static const auto instancia = std::make_unique<ClsEspera>();
    return *instancia;
}

DB_Dll& gDB()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

DB_Dll& gDBEstadisticas()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

DB_Dll& gDBConsulta()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

DB_Dll& gDBRSQL()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

bool& gRestringeAsientos()
{
    static bool restringe = false;
    return restringe;
}

bool ExisteArchivo(const QString& ruta)
{
    QString limpia = ruta;
    limpia.remove(QLatin1Char('"'));
    if (limpia.isEmpty() || QFileInfo(limpia).isDir())
        return false;
    QFile archivo(limpia);
    return archivo.open(QIODevice::ReadOnly);
}

bool CopiarArchivo(const QString& origen, const QString& destino)
{
    if (!ExisteArchivo(origen))
        return false;
    QString fuente = origen;
    fuente.remove(QLatin1Char('"'));
    QFile entrada(fuente);
    QFile salida(destino);
    if (!entrada.open(QIODevice::ReadOnly) || !salida.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // The remainder first, then whole pairs of half blocks; a 64-bit count copies any size.
    const qint64 largo = entrada.size();
    if (!copiarTramo(entrada, salida, largo % kBloque))
        return false;
    for (qint64 i = 0, bloques = 2 * (largo / kBloque); i < bloques; ++i)
        if (!copiarTramo(entrada, salida, kMitadBloque))
            return false;
    return salida.flush();
}

void AbrirArchivo(const QString& ruta, bool mostrar)
{
    QString destino = ruta;
    if (!destino.contains(QLatin1Char('"')) && destino.contains(QLatin1Char(' ')))
        destino = QLatin1Char('"') + destino + QLatin1Char('"');
    gEntorno().AbrirDocumento(0, QString(), destino, QString(), QString(), mostrar ? 6 : 0);
}

QString PalabraRespuesta(int respuesta)
{
    switch (respuesta) {
    case vb::vbRetry:
        return QStringLiteral("Reintentar");
    case vb::vbIgnore:
        return QStringLiteral("Ignorar");
    case vb::vbAbort:
        return QStringLiteral("Abortar");
    case vb::vbCancel:
        return QStringLiteral("Cancelar");
    case vb::vbYes:
        return QStringLiteral("Sí");
    case vb::vbNo:
        return QStringLiteral("No");
    default:
        return QString();
    }
}

QString MensajeError(long numero, const QString& descripcion)
{
    return QStringLiteral("Ha ocurrido el Siguiente Error (%1) %2").arg(numero).arg(vb::Trim(descripcion));
}

QString LineaLog(const QString& parteRutina, const QString& mensaje, const QString& palabra)
{
    return QDateTime::currentDateTime().toString(QStringLiteral("MM-dd-yyyy HH:mm:ss")) + QStringLiteral(" Rutina: ") +
           vb::Trim(parteRutina) + QStringLiteral(" Mensaje ") + vb::Trim(mensaje) + QStringLiteral(" Respondió : ") +
           palabra + QStringLiteral("\r\n");
}

QString CarpetaTemporalLog()
{
    QString carpeta = vb::Trim(vb::Environ(QStringLiteral("TEMP")));
    if (carpeta.isEmpty())
        carpeta = gEntorno().CarpetaTemporal();
    return gFunciones().AgregarBarra(carpeta);
}

int TratamientoErrores(const vb::Error& error, std::optional<int> botones, const QString& rutina)
{
    const long numero = error.Number();
    const QString mensaje = MensajeError(numero, error.Description());
    const QString parteRutina = rutina.isEmpty() ? QString() : QStringLiteral(" - ") + rutina;
    const QString titulo = error.Source() + parteRutina + QStringLiteral(" Aviso al operador!!! - 2 ");

    QFile log;
    vb::ResumeNext([&] {
        log.setFileName(CarpetaTemporalLog() + QStringLiteral("MQERR.LOG"));
        log.open(QIODevice::Append);
    });
    if (numero == 0)
        return 0;

    const int respuesta = vb::MsgBox(mensaje, botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical), titulo);
    if (log.isOpen())
        log.write(vb::toAnsi(LineaLog(parteRutina, mensaje, PalabraRespuesta(respuesta))));
    return respuesta;
}

} // namespace ModGlobal
