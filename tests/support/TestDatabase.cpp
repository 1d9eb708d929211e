#include "support/TestDatabase.h"

#include "platform/ado/OdbcDriver.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <atomic>

namespace kembtest {
namespace {

const QString kSqliteDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
const QString kPostgresDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so");

ado::OdbcDriver& odbc()
{
    static ado::OdbcDriver* const driver = new ado::OdbcDriver;
    return *driver;
}

QString postgresString(const QString& database)
{
    return QStringLiteral("DRIVER={%1};Server=127.0.0.1;Port=%2;Database=%3;UID=postgres;")
        .arg(kPostgresDriver, qEnvironmentVariable("KEMB_PG_PORT"), database);
}

} // namespace

std::string engineName(Engine engine)
{
    return engine == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

QString TestDatabase::unavailable(Engine engine)
{
    if (engine == Engine::SQLite)
        return QFileInfo::exists(kSqliteDriver) ? QString() : QStringLiteral("the SQLite ODBC driver is missing");
    if (qEnvironmentVariable("KEMB_PG_PORT").isEmpty())
        return QStringLiteral("KEMB_PG_PORT is not set: no PostgreSQL server was started (run scripts/test.sh)");
    return QFileInfo::exists(kPostgresDriver) ? QString() : QStringLiteral("the PostgreSQL ODBC driver is missing");
}

TestDatabase::TestDatabase(Engine engine) : m_engine(engine)
{
    static std::atomic<int> counter{0};
    if (engine == Engine::SQLite) {
        m_name = m_dir.filePath(QStringLiteral("kemb.db"));
        return;
    }
    m_name = QStringLiteral("kemb_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
    onServer(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_name));
    onServer(QStringLiteral("CREATE DATABASE %1").arg(m_name));
}

TestDatabase::~TestDatabase()
{
    m_admin.reset();
    if (m_engine != Engine::PostgreSQL)
        return;
    try {
        onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    } catch (const std::exception&) {
        // A database left behind goes with the server's data folder at the end of the run.
    }
}

QString TestDatabase::connectionString() const
{
    if (m_engine == Engine::SQLite)
        return QStringLiteral("DRIVER={%1};Database=%2;").arg(kSqliteDriver, m_name);
    return postgresString(m_name);
}

ado::Session& TestDatabase::admin()
{
    if (!m_admin)
        m_admin = odbc().connect(connectionString(), 10);
    return *m_admin;
}

ado::ResultSet TestDatabase::exec(const QString& sql)
{
    return admin().execute(sql, 30);
}

ado::ResultSet TestDatabase::onServer(const QString& sql)
{
    return odbc().connect(postgresString(QStringLiteral("postgres")), 10)->execute(sql, 30);
}

void TestDatabase::killOtherSessions()
{
    m_admin.reset();
    onServer(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '%1' AND pid <> "
                            "pg_backend_pid()")
                 .arg(m_name));
}

void TestDatabase::allowConnections(bool allow)
{
    onServer(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                 .arg(m_name, allow ? QStringLiteral("true") : QStringLiteral("false")));
}

} // namespace kembtest
