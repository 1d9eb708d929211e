#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"
#include "support/EngineConnection.h"
#include "support/TestDatabase.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using kembtest::Engine;
using kembtest::TestDatabase;

namespace {

class SesionOdbc : public kembtest::EngineConnection {
protected:
    void SetUp() override
    {
        EngineConnection::SetUp();
        if (!IsSkipped())
            cn->Execute("CREATE TABLE t (n INTEGER)");
    }
    long cuenta() { return cn->Execute("SELECT COUNT(*) FROM t").Fields(0).Value().toLongLong(); }
};

// Each statement on a connection starts clean, whatever the one before it left: rows, a failure, a
// transaction.
TEST_P(SesionOdbc, EachStatementStartsCleanWhateverTheLastLeft)
{
    long afectadas = 0;
    cn->Execute("INSERT INTO t VALUES (1), (2), (3)", &afectadas);
    EXPECT_EQ(afectadas, 3);
    ado::Recordset filas = cn->Execute("SELECT n FROM t ORDER BY n");
    ASSERT_FALSE(filas.Eof());
    EXPECT_EQ(filas.Fields(0).Value().toLongLong(), 1);
    EXPECT_THROW(cn->Execute("SELECT * FROM no_existe"), vb::Error);
    ASSERT_GE(cn->Errors().Count(), 1);
    EXPECT_TRUE(cn->Errors()(0).Description().contains("no_existe"));
    cn->Errors().Clear();
    cn->Execute("INSERT INTO t VALUES (4)", &afectadas);
    EXPECT_EQ(afectadas, 1);
    EXPECT_EQ(cn->Errors().Count(), 0);
    EXPECT_EQ(cuenta(), 4);
    cn->BeginTrans();
    cn->Execute("DELETE FROM t");
    EXPECT_EQ(cuenta(), 0);
    cn->RollbackTrans();
    EXPECT_EQ(cuenta(), 4);
    cn->Execute("UPDATE t SET n = n + 10", &afectadas);
    EXPECT_EQ(afectadas, 4);
}

INSTANTIATE_TEST_SUITE_P(Engines, SesionOdbc, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL"; });

// The command time-out in force when a statement runs is the one it gets: a shorter one ends a slow
// statement, none lets it finish.
TEST(SesionOdbcTiempo, EveryStatementRunsWithTheTimeOutInForce)
{
    if (const QString why = TestDatabase::unavailable(Engine::PostgreSQL); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    TestDatabase db(Engine::PostgreSQL);
    const auto cn = ado::Connection::create();
    cn->Open(db.connectionString());
    cn->Execute("SELECT 1");
    cn->setCommandTimeout(1);
    QElapsedTimer reloj;
    reloj.start();
    EXPECT_THROW(cn->Execute("SELECT pg_sleep(4)"), vb::Error);
    EXPECT_LT(reloj.elapsed(), 3500);
    cn->setCommandTimeout(0);
    EXPECT_NO_THROW(cn->Execute("SELECT pg_sleep(1.5)"));
    cn->setCommandTimeout(30);
    EXPECT_NO_THROW(cn->Execute("SELECT pg_sleep(1.5)"));
}

} // namespace
