// Registered SQL Server databases played by SQLite files: a driver in front of ODBC that sends the
// connection to each database name to its SQLite file, and runs there the SQL Server batches of
// "IF NOT EXISTS (SELECT ...) INSERT INTO ... VALUES (...)" statements, one line each, as their SQLite
// equivalent "INSERT INTO ... SELECT ... WHERE NOT EXISTS (...)". Installed while it lives.
#pragma once

#include "platform/ado/Driver.h"

#include <QStringList>
#include <map>

namespace kembtest {

class SqliteAsSqlServer : public ado::Driver {
public:
    SqliteAsSqlServer();
    ~SqliteAsSqlServer() override;

    // Connections to the database `name` reach the ODBC connection string `target`; any other name is
    // refused as an unreachable server would refuse it.
    void route(const QString& name, const QString& target);
    // The ODBC connection string of every connection asked for, in order.
    const QStringList& connections() const { return m_connections; }
    // The statements SQLite runs for one batch.
    static QStringList rewrite(const QString& batch);

    std::unique_ptr<ado::Session> connect(const QString& odbcConnectionString, int loginTimeoutSeconds) override;

private:
    std::map<QString, QString> m_routes;
    QStringList m_connections;
    ado::Driver* m_previous = nullptr;
};

} // namespace kembtest
