#include "platform/ado/OdbcDriver.h"

#include "platform/ado/OdbcSession.h"

namespace ado {

OdbcDriver::OdbcDriver() : m_environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
{
    Diagnostics ignored;
    m_environment.check(
        SQLSetEnvAttr(m_environment.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        ignored);
}

std::unique_ptr<Session> OdbcDriver::connect(const QString& odbcConnectionString, int loginTimeoutSeconds)
{
    return std::make_unique<OdbcSession>(m_environment.get(), odbcConnectionString, loginTimeoutSeconds);
}

} // namespace ado
