// Real databases for tests, reached through their ODBC drivers: a SQLite file in a temporary folder, or
// a fresh database on the PostgreSQL server that scripts/test.sh starts (its port in KEMB_PG_PORT).
#pragma once

#include "platform/ado/Session.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace kembtest {

enum class Engine { SQLite, PostgreSQL };

class TestDatabase {
public:
    // Why the engine cannot be used here ("" when it can): a test skips with this text.
    static QString unavailable(Engine engine);

    explicit TestDatabase(Engine engine);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    Engine engine() const { return m_engine; }
    // An ODBC connection string (no provider: it goes to ODBC unchanged).
    QString connectionString() const;
    // The database's name (the file for SQLite).
    QString name() const { return m_name; }
    // Runs statements through a connection of its own, beside the connection under test.
    ado::ResultSet exec(const QString& sql);
    // PostgreSQL: ends every other session on this database, as a lost connection would.
    void killOtherSessions();
    // PostgreSQL: refuses (or again accepts) new connections to this database.
    void allowConnections(bool allow);

private:
    ado::Session& admin();
    ado::ResultSet onServer(const QString& sql);

    Engine m_engine;
    QTemporaryDir m_dir;
    QString m_name;
    std::unique_ptr<ado::Session> m_admin;
};

// The gtest parameter name of an engine.
std::string engineName(Engine engine);

} // namespace kembtest
