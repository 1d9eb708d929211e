// The ten text passes that rewrite a SQL Server statement into Oracle syntax (row limit, LEN, brackets,
// date literals, CHARINDEX, CONVERT, empty-string comparisons, date style 103, SUBSTRING, ISNULL).
// Purely textual: no parsing, every search without regard to case.
#pragma once

#include <QString>

namespace OracleDialect {

// Runs all passes in order. Raises run-time error 5 for an unpaired apostrophe and for a "top " with no
// blank after its count.
QString Traducir(const QString& sentencia);

} // namespace OracleDialect
