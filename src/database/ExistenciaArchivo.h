// The one file-existence test of the whole system. It sits below the database class, whose connection dialog
// tests the registered-connections file with it; the global module re-exports it.
#pragma once

#include <QString>

namespace ExistenciaArchivo {

// True when the file can be opened for reading; double quotes in the path are ignored.
bool ExisteArchivo(const QString& ruta);

} // namespace ExistenciaArchivo
