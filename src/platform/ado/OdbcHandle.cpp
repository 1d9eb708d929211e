#include "platform/ado/OdbcHandle.h"

#include "platform/ado/OdbcText.h"

namespace ado {
namespace {

// The SQLite driver reports every failed statement as HY000; the script runner tells an object that a
// later statement creates, or one that an earlier pass created, by the states of the other drivers.
Diagnostic normalised(Diagnostic record)
{
    if (record.sqlState != QLatin1String("HY000") || !record.message.startsWith(QLatin1String("[SQLite]")))
        return record;
    if (record.message.contains(QLatin1String("no such table")) ||
        record.message.contains(QLatin1String("no such view")))
        record.sqlState = QStringLiteral("42S02");
    else if (record.message.contains(QLatin1String("already exists")))
        record.sqlState = QStringLiteral("42S01");
    return record;
}

} // namespace

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
{
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (SQL_SUCCEEDED(rc))
        return;
    Diagnostics records;
    if (parent != SQL_NULL_HANDLE) {
        const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
        records = OdbcHandle::readDiagnosticsOf(parentType, parent);
    }
    if (records.empty())
        records.push_back({QStringLiteral("HY001"), 0, QStringLiteral("No se pudo reservar un manejador ODBC")});
    m_handle = SQL_NULL_HANDLE;
    throw DriverError(std::move(records));
}

OdbcHandle::~OdbcHandle() noexcept
{
    if (m_handle == SQL_NULL_HANDLE)
        return;
    if (m_type == SQL_HANDLE_DBC && !m_disconnected)
        SQLDisconnect(m_handle);
    SQLFreeHandle(m_type, m_handle);
}

SQLRETURN OdbcHandle::check(SQLRETURN rc, Diagnostics& warnings) const
{
    if (rc == SQL_SUCCESS || rc == SQL_NO_DATA)
        return rc;
    Diagnostics records = readDiagnosticsOf(m_type, m_handle);
    if (rc == SQL_SUCCESS_WITH_INFO) {
        warnings.insert(warnings.end(), records.begin(), records.end());
        return rc;
    }
    if (records.empty())
        records.push_back({QStringLiteral("HY000"), rc, QStringLiteral("La llamada ODBC falló sin diagnóstico")});
    throw DriverError(std::move(records));
}

void OdbcHandle::disconnect(Diagnostics& warnings)
{
    check(SQLDisconnect(m_handle), warnings);
    m_disconnected = true;
}

Diagnostics OdbcHandle::readDiagnosticsOf(SQLSMALLINT type, SQLHANDLE handle)
{
    Diagnostics records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, i, state, &native, nullptr, 0, &length)))
            break;
        std::vector<SQLWCHAR> text(static_cast<size_t>(length) + 1);
        SQLGetDiagRecW(type, handle, i, state, &native, text.data(), static_cast<SQLSMALLINT>(text.size()), &length);
        records.push_back(normalised({fromOdbc(state, 5), static_cast<long>(native), fromOdbc(text.data(), length)}));
    }
    return records;
}

} // namespace ado
