// The Windows-1252 ("ANSI") code page of the program's text files, both ways.
#pragma once

#include <QByteArray>
#include <QString>

namespace vb {

// Characters outside the code page become "?", as the Windows conversion does.
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace vb
