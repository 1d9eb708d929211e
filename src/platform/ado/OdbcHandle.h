// The owner of one ODBC handle (environment, connection or statement), freed by a destructor that never
// throws, and the one function every ODBC call's result passes through.
#pragma once

#include "platform/ado/Diagnostic.h"

#include <sql.h>
#include <sqlext.h>

namespace ado {

class OdbcHandle {
public:
    // Allocates a handle of `type` under `parent`; throws DriverError when the driver manager refuses.
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle() noexcept;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }

    // Checks the result of an ODBC call on this handle: any result other than SQL_SUCCESS and SQL_NO_DATA
    // has every diagnostic record read; warnings go to `warnings`, a failure throws DriverError.
    SQLRETURN check(SQLRETURN rc, Diagnostics& warnings) const;

    // Disconnects a connection handle; throws DriverError when the driver refuses, leaving it connected.
    void disconnect(Diagnostics& warnings);

    // Every diagnostic record left on a handle, in order, with the SQLite driver's general errors for a
    // missing or an existing table given the states the other drivers report for them.
    static Diagnostics readDiagnosticsOf(SQLSMALLINT type, SQLHANDLE handle);

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
    bool m_disconnected = false;
};

} // namespace ado
