#include "database/ReporteErrores.h"

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

namespace ReporteErrores {

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
    // The library's objects hold no state: fresh ones answer as the global module's shared ones do.
    QString carpeta = vb::Trim(vb::Environ(QStringLiteral("TEMP")));
    if (carpeta.isEmpty())
        carpeta = ClsSistema().CarpetaTemporal();
    return ClsUtilidades().AgregarBarra(carpeta);
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

} // namespace ReporteErrores
