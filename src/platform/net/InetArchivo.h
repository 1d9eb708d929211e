// Saving the body of a completed Inet response into a file, chunk by chunk, as the download windows do.
#pragma once

#include <QString>
#include <functional>

class Inet;

namespace net {

// "Content-length" read as a 32-bit count: run-time error 13 when it is no number, 6 when it is too large.
int LargoDeclarado(const QString& header);

struct AvanceDescarga {
    // After the first chunk was read: the declared length of the body.
    std::function<void(int largo)> inicio;
    // After each chunk was written and the next one read (window events ran in between).
    std::function<void(qint64 escritos, qint64 siguiente)> trozo;
};

// Writes the body of `inet`'s completed response whole in place of `ruta`. Only a 2xx answer whose body
// is as long as its "Content-length" replaces the file: an error page, a missing length or a cut transfer
// raise a run-time error naming `queSeDescarga` (a masculine noun: "instalador", "módulo") and leave any earlier file
// as it was.
void GuardarRespuesta(Inet& inet, const QString& ruta, const QString& queSeDescarga, const AvanceDescarga& avance);

} // namespace net
