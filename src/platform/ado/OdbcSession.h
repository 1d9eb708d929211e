// A connection through the ODBC driver manager.
#pragma once

#include "platform/ado/OdbcHandle.h"
#include "platform/ado/Session.h"

#include <optional>

namespace ado {

class OdbcSession : public Session {
public:
    OdbcSession(SQLHANDLE environment, const QString& connectionString, int loginTimeoutSeconds);
    ~OdbcSession() override;

    ResultSet execute(const QString& sql, int timeoutSeconds) override;
    ResultSet executeWith(const QString& sql, const std::vector<Parameter>& parameters, int timeoutSeconds) override;
    void beginTrans() override;
    void commitTrans() override;
    void rollbackTrans() override;
    ResultSet tables(const SchemaFilter& filter) override;
    ResultSet columns(const SchemaFilter& filter) override;
    QString currentCatalog() override;
    void setCurrentCatalog(const QString& name) override;
    QStringList primaryKey(const QString& table) override;
    void close() override;
    Diagnostics takeWarnings() override;

private:
    void setAutoCommit(bool on);
    void endTransaction(SQLSMALLINT completion);
    ResultSet readResult(const OdbcHandle& stmt);
    // Whether the driver lets SQLGetData read a bound column again (asked once).
    bool rereadsBoundColumns();

    OdbcHandle m_dbc;
    Diagnostics m_warnings;
    bool m_manualCommit = false;
    std::optional<bool> m_rereadsBoundColumns;
};

} // namespace ado
