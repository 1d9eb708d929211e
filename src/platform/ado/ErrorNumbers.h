// The error numbers of the ADO layer in one place: the run-time errors ADO raises itself and the
// translation of an ODBC SQLSTATE into the number ADO gives the provider error.
#pragma once

#include <QString>

namespace ado {

enum class RunTimeError : long {
    NotAllowedInContext = 3219,
    ItemNotFound = 3265,
    NoCurrentRecord = 3021,
    NotUpdatable = 3251,
    ObjectClosed = 3704,
    ObjectOpen = 3705,
    ConnectionUnusable = 3709,
    RowNotFound = -2147217864,
};

// Raises the run-time error as vb::Error with ADO's own description.
[[noreturn]] void raise(RunTimeError error, const QString& source);

// The ADO error number of a provider error with this SQLSTATE and native code (0 for a warning). A failed
// connect is a connection failure whatever its state, except a refused login.
long numberForSqlState(const QString& sqlState, long nativeError = 0, bool connecting = false);

} // namespace ado
