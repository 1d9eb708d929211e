// The suite's standard error reporter (Abort/Retry/Ignore box, one line in MQERR.LOG in the temporary folder)
// and the texts that the database class's own reporter shares with it. It sits below the database class, so
// that the connection dialog reports through it and the global module, which re-exports it, stays above.
#pragma once

#include "platform/vb/Error.h"

#include <QString>
#include <optional>

namespace ReporteErrores {

// Asks the operator (Abort/Retry/Ignore by default), logs one line to MQERR.LOG in the temporary folder and
// returns the answer; 0 when the error's number is 0.
int TratamientoErrores(const vb::Error& error, std::optional<int> botones = std::nullopt,
                       const QString& rutina = QString());
// The reporters' message: "Ha ocurrido el Siguiente Error (" number ") " and the trimmed description.
QString MensajeError(long numero, const QString& descripcion);
// The log's word for an answer: "Reintentar", "Ignorar", "Abortar", "Cancelar", "Sí", "No", else "".
QString PalabraRespuesta(int respuesta);
// One line of an error log (ending in CR LF): date, time, the trimmed routine part, message, answer word.
QString LineaLog(const QString& parteRutina, const QString& mensaje, const QString& palabra);
// The folder of MQERR.LOG: TEMP, or the library's temporary folder, ending in a separator.
QString CarpetaTemporalLog();

} // namespace ReporteErrores
