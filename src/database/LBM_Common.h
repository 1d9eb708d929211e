// The registered-connections file "BASES.TXT" beside the program: one line per connection, five
// comma-separated fields (display name, database, user, encoded password, server text).
#pragma once

#include <QString>
#include <array>
#include <vector>

namespace LBM_Common {

using Registro = std::array<QString, 5>;

// Appends one connection. Field 5 is the server text, with "#" in front for Oracle and "/" & the
// alternate server & ":" after it when an alternate server is given; the password is stored encoded.
void RegistrarConexion(const QString& nombre, const QString& baseDatos, const QString& usuario, const QString& password,
                       const QString& servidor, const QString& servidorAlterno, bool esOracle);

// The file's path: the program's folder and "BASES.TXT".
QString RutaBases();

// The records of the file as comma-separated items, five to a record (none when the file is missing).
std::vector<Registro> LeerConexiones();
// The same, from the file at `ruta`: the one a search found under another case of the name.
std::vector<Registro> LeerConexiones(const QString& ruta);

} // namespace LBM_Common
