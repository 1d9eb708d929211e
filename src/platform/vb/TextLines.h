// Reading a whole text file line by line, as a loop of the run-time's Line Input does.
#pragma once

#include <QString>
#include <QStringList>

namespace vb {

// The lines of a Windows-1252 text file. CR LF, CR or LF ends a line, and a break at the very end starts
// no further line. Empty when the file cannot be read.
QStringList ReadTextLines(const QString& path);

} // namespace vb
