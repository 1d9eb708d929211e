#include "support/SqlServerDialect.h"

#include "platform/ado/Driver.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using kembtest::Engine;
using kembtest::TestDatabase;

namespace {

TEST(SqlServerDialect, RewritesTheSqlServerIdiomsForSQLite)
{
    EXPECT_EQ(kembtest::SqlServerDialect::rewrite("SELECT TOP 2 n FROM t with (nolock) WHERE ISNULL(n, 0) > 0"),
              "SELECT n FROM t  WHERE IFNULL(n, 0) > 0 LIMIT 2");
    EXPECT_EQ(kembtest::SqlServerDialect::rewrite("SELECT n FROM t"), "SELECT n FROM t");
}

TEST(SqlServerDialect, ARefusedConnectLeavesTheRewritingInstalled)
{
    TestDatabase base(Engine::SQLite);
    base.exec("CREATE TABLE t (n INTEGER)");
    base.exec("INSERT INTO t VALUES (3), (1), (2)");
    ado::Driver* const antes = &ado::currentDriver();
    {
        kembtest::SqlServerDialect dialecto;
        for (const char* rechazada : {"DRIVER={Ningun Driver Instalado};DATABASE=nada", "DSN=KembNoExiste"}) {
            EXPECT_THROW(ado::currentDriver().connect(QString::fromUtf8(rechazada), 5), ado::DriverError) << rechazada;
            EXPECT_EQ(&ado::currentDriver(), &dialecto) << rechazada;
        }
        const auto sesion = ado::currentDriver().connect(base.connectionString(), 5);
        const ado::ResultSet filas = sesion->execute("SELECT TOP 2 n FROM t with(nolock) ORDER BY n", 5);
        ASSERT_EQ(filas.rows.size(), 2u);
        EXPECT_EQ(filas.rows[0][0].toLongLong(), 1);
        EXPECT_EQ(filas.rows[1][0].toLongLong(), 2);
    }
    EXPECT_EQ(&ado::currentDriver(), antes);
}

} // namespace
