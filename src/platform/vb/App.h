// The application object: the program's folder and executable name. Every file "beside the program"
// is resolved from Path(); tests point it at a temporary folder.
#pragma once

#include <QString>

namespace vb::App {

// The program's folder, without a trailing separator.
QString Path();
// The executable's name without extension.
QString EXEName();

void setPath(const QString& path);
void setEXEName(const QString& name);

} // namespace vb::App
