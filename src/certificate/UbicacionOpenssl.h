// Where the key generation looks for the OpenSSL command-line tool, the one place that names it per system:
// "openssl.exe" in "C:\OpenSSL\bin" on Windows, "openssl" in OpenSSL/bin under the user's home elsewhere.
#pragma once

#include <QString>

namespace UbicacionOpenssl {

// The executable's file name.
QString Ejecutable();
// The folder searched first, without a trailing separator.
QString CarpetaPredeterminada();

} // namespace UbicacionOpenssl
