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
    ResultSet insertRow(const RowInsert& insert, int timeoutSeconds) override;
    void beginTrans() override;
    void commitTrans() override;
    void rollbackTrans() override;
    ResultSet tables(const SchemaFilter& filter) override;
    ResultSet columns(const SchemaFilter& filter) override;
    QString currentCatalog() override;
    void setCurrentCatalog(const QString& name) override;
    QStringList primaryKey(const QString& table) override;
    std::vector<ColumnOrigin> columnOrigins(const QString& sql) override;
    QString identifierQuote() override;
    void close() override;
    Diagnostics takeWarnings() override;

private:
    void setAutoCommit(bool on);
    void endTransaction(SQLSMALLINT completion);
    ResultSet readResult(const OdbcHandle& stmt);
    // Whether the driver lets SQLGetData read a bound column again (asked once).
    bool rereadsBoundColumns();
    // The engine's name as the driver gives it (asked once).
    const QString& engine();
    ResultSet lastSqliteRow(const RowInsert& insert, int timeoutSeconds);

    // The handle statements run on, made at the first one and kept: a new handle for every statement was a
    // measurable share of running a long script.
    OdbcHandle& statement(int timeoutSeconds);

    OdbcHandle m_dbc;
    std::optional<OdbcHandle> m_stmt;
    int m_stmtTimeout = 0;
    Diagnostics m_warnings;
    bool m_manualCommit = false;
    std::optional<bool> m_rereadsBoundColumns;
    std::optional<QString> m_identifierQuote;
    std::optional<QString> m_engine;
};

} // namespace ado
