// Turns an OLE DB connection string into an ODBC one: the provider chooses the ODBC driver, and the
// provider's property names become the driver's keywords. Keys are compared without case and trimmed.
#pragma once

#include <QString>

namespace ado {

struct OdbcTarget {
    QString connectionString; // for SQLDriverConnect
    QString source;           // the provider's name as its errors carry it
    int loginTimeoutSeconds = 15;
};

// `userId` and `password`, when not empty, take the place of the string's own.
OdbcTarget mapProvider(const QString& oledb, const QString& userId = {}, const QString& password = {});

// The ODBC driver that serves the "SQLOLEDB" provider (a build setting).
QString sqlServerDriver();

} // namespace ado
