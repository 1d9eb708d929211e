// The ten text passes that rewrite a SQL Server statement into Oracle syntax (row limit, LEN, brackets,
// date literals, CHARINDEX, CONVERT, empty-string comparisons, date style 103, SUBSTRING, ISNULL).
// Purely textual, every search without regard to case. Quoted literals hold what users type, so no pass but the
// date pass looks inside one or changes it ('' is a quote within a literal).
#pragma once

#include <QString>

namespace OracleDialect {

// Runs all passes in order. Raises run-time error 5 for an unpaired apostrophe and for a "top " with no
// blank outside the literals after its count.
QString Traducir(const QString& sentencia);

} // namespace OracleDialect
