// Text between QString and ODBC's 16-bit SQLWCHAR strings.
#pragma once

#include <QString>
#include <sql.h>
#include <sqlucode.h>

namespace ado {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16");

// The characters as they are: a leading U+FEFF or U+FFFE is text here, not a byte-order mark.
inline QString fromOdbc(const SQLWCHAR* text, qsizetype length)
{
    return QString(reinterpret_cast<const QChar*>(text), length);
}

// A pointer to the string's UTF-16 data for an input argument; valid while `text` lives.
inline SQLWCHAR* toOdbc(const QString& text)
{
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(reinterpret_cast<const char16_t*>(text.utf16())));
}

} // namespace ado
