#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Currency.h"
#include "platform/vb/Decimal.h"
#include "platform/vb/Error.h"
#include "support/EngineConnection.h"
#include "support/ErrorNumber.h"
#include "support/ScriptedDriver.h"
#include "support/TestDatabase.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using kembtest::Engine;
using kembtest::errorNumber;
using kembtest::TestDatabase;

namespace {

class AdoConnection : public kembtest::EngineConnection {
protected:
    void SetUp() override
    {
        EngineConnection::SetUp();
        if (!IsSkipped())
            cn->Execute("CREATE TABLE clientes (codigo INTEGER, nombre VARCHAR(40), saldo DOUBLE PRECISION)");
    }
};

TEST_P(AdoConnection, OpenAndCloseFollowTheObjectState)
{
    EXPECT_EQ(cn->State(), ado::adStateOpen);
    EXPECT_EQ(cn->ConnectionString(), db->connectionString());
    EXPECT_EQ(errorNumber([&] { cn->Open(db->connectionString()); }), 3705);
    cn->Close();
    EXPECT_EQ(cn->State(), ado::adStateClosed);
    EXPECT_EQ(errorNumber([&] { cn->Close(); }), 3704);
    EXPECT_EQ(errorNumber([&] { cn->Execute("SELECT 1"); }), 3709);
    cn->Open();
    EXPECT_EQ(cn->State(), ado::adStateOpen);
}

TEST_P(AdoConnection, ExecuteCountsTheRowsItChanged)
{
    long affected = -1;
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 10.5)", &affected);
    EXPECT_EQ(affected, 1);
    cn->Execute("INSERT INTO clientes VALUES (2, 'Luis', NULL)");
    cn->Execute("UPDATE clientes SET saldo = 0", &affected);
    EXPECT_EQ(affected, 2);
    ado::Recordset none = cn->Execute("DELETE FROM clientes WHERE codigo = 99", &affected);
    EXPECT_EQ(affected, 0);
    EXPECT_EQ(none.State(), 0);
}

TEST_P(AdoConnection, ExecuteReturnsTheRowsOfASelect)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 10.5)");
    cn->Execute("INSERT INTO clientes VALUES (2, NULL, NULL)");
    ado::Recordset rs = cn->Execute("SELECT codigo, nombre, saldo FROM clientes ORDER BY codigo");
    ASSERT_EQ(rs.State(), 1);
    ASSERT_EQ(rs.FieldCount(), 3);
    EXPECT_EQ(rs.Fields(0).Name(), "codigo");
    EXPECT_EQ(rs.Fields(0).Type(), ado::adInteger);
    EXPECT_EQ(rs.Fields(1).DefinedSize(), 40);
    EXPECT_EQ(rs.Fields(2).Type(), ado::adDouble);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("CODIGO").Value().toLongLong(), 1);
    EXPECT_EQ(rs.Fields(" nombre ").Value().toString(), "Ana");
    EXPECT_DOUBLE_EQ(rs.Fields("saldo").Value().toDouble(), 10.5);
    rs.MoveNext();
    EXPECT_TRUE(rs.Fields("nombre").Value().isNull());
    EXPECT_TRUE(rs.Fields("saldo").Value().isNull());
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(errorNumber([&] { rs.Fields(0).Value(); }), 3021);
    EXPECT_EQ(errorNumber([&] { rs.MoveNext(); }), 3021);
    rs.MoveLast();
    EXPECT_EQ(rs.Fields(0).Value().toLongLong(), 2);
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields(0).Value().toLongLong(), 1);
    EXPECT_EQ(errorNumber([&] { rs.Fields("nada"); }), 3265);
    EXPECT_EQ(errorNumber([&] { rs.Fields(3); }), 3265);
}

TEST_P(AdoConnection, AnEmptyResultIsAtBothEnds)
{
    ado::Recordset rs;
    rs.Open("SELECT * FROM clientes", cn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    EXPECT_TRUE(rs.Bof());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(errorNumber([&] { rs.Open("SELECT * FROM clientes", cn); }), 3705);
    rs.Close();
    EXPECT_EQ(errorNumber([&] { rs.Close(); }), 3704);
    EXPECT_EQ(errorNumber([&] { rs.Eof(); }), 3704);
}

TEST_P(AdoConnection, ARecordsetNeedsAnOpenConnection)
{
    ado::Recordset rs;
    EXPECT_EQ(errorNumber([&] { rs.Open("SELECT * FROM clientes", nullptr); }), 3709);
    cn->Close();
    EXPECT_EQ(errorNumber([&] { rs.Open("SELECT * FROM clientes", cn); }), 3709);
}

TEST_P(AdoConnection, AFailingStatementFillsErrorsAndRaisesTheFirst)
{
    try {
        cn->Execute("SELECT * FROM no_existe");
        FAIL() << "no error";
    } catch (const vb::Error& e) {
        ASSERT_GE(cn->Errors().Count(), 1);
        const ado::Error& first = cn->Errors()(0);
        EXPECT_EQ(e.Number(), first.Number());
        EXPECT_EQ(e.Description(), first.Description());
        EXPECT_LT(first.Number(), 0);
        EXPECT_EQ(first.SQLState().size(), 5);
        EXPECT_TRUE(first.Description().contains("no_existe"));
    }
    cn->Execute("SELECT * FROM clientes");
    EXPECT_GE(cn->Errors().Count(), 0);
    cn->Errors().Clear();
    EXPECT_EQ(cn->Errors().Count(), 0);
    EXPECT_EQ(errorNumber([&] { cn->Errors()(0); }), 3265);
}

TEST_P(AdoConnection, RollbackUndoesAndCommitKeeps)
{
    EXPECT_EQ(cn->BeginTrans(), 1);
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    cn->RollbackTrans();
    EXPECT_EQ(cn->Execute("SELECT * FROM clientes").RecordCount(), 0);
    cn->BeginTrans();
    cn->Execute("INSERT INTO clientes VALUES (2, 'Luis', 2)");
    cn->CommitTrans();
    EXPECT_EQ(db->exec("SELECT * FROM clientes").rows.size(), 1u);
}

TEST_P(AdoConnection, CloseInsideATransactionEndsTheConnection)
{
    cn->BeginTrans();
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    cn->Close();
    EXPECT_EQ(cn->State(), ado::adStateClosed);

    // The open transaction went with the connection, and its locks with it. (SQLite would wait for a lock
    // for 100 seconds; two are enough to tell.)
    auto otra = ado::Connection::create();
    otra->Open(db->connectionString() + (GetParam() == Engine::SQLite ? "Timeout=2000;" : ""));
    otra->Execute("INSERT INTO clientes VALUES (2, 'Luis', 2)");
    const ado::ResultSet rows = db->exec("SELECT codigo FROM clientes");
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0][0].toLongLong(), 2);

    cn->Open();
    cn->BeginTrans();
    cn->Execute("INSERT INTO clientes VALUES (3, 'Eva', 3)");
    cn->CommitTrans();
    cn->Close();
    otra->Execute("INSERT INTO clientes VALUES (4, 'Leo', 4)");
    EXPECT_EQ(db->exec("SELECT codigo FROM clientes").rows.size(), 3u);
}

// Rows typed in by statements, and rows the record set writes, are found again by their values and
// changed: dates, times, Booleans, decimals and quoted text each compare as their column stores them.
TEST_P(AdoConnection, RowsOfEveryKindOfValueAreWrittenAndFoundAgain)
{
    const bool servidor = GetParam() == Engine::PostgreSQL;
    cn->Execute(servidor ? "CREATE TABLE movimientos (fecha DATE, hora TIMESTAMP, activo BOOLEAN, importe "
                           "NUMERIC(12,2), nota VARCHAR(40))"
                         : "CREATE TABLE movimientos (fecha DATE, hora DATETIME, activo BOOLEAN, importe "
                           "NUMERIC(12,2), nota VARCHAR(40))");
    cn->Execute(QStringLiteral("INSERT INTO movimientos VALUES ('2020-01-31', '2020-01-31 10:20:30', %1, 10.10, "
                               "'O''Brien')")
                    .arg(servidor ? "true" : "1"));
    const vb::Date fecha = vb::Date::fromDate(QDate(2021, 2, 3));
    const vb::Date hora = vb::Date::fromDateTime(QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6)));

    ado::Recordset rs;
    rs.Open("SELECT * FROM movimientos", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("nota").setValue("D'Alessandro");
    rs.Fields("activo").setValue(false);
    rs.Fields("importe").setValue(vb::Currency::fromDouble(12.35));
    rs.Update();
    rs.Fields("fecha").setValue(fecha);
    rs.Fields("hora").setValue(hora);
    rs.Update();
    rs.AddNew();
    rs.Fields("fecha").setValue(fecha);
    rs.Fields("hora").setValue(hora);
    rs.Fields("activo").setValue(true);
    rs.Fields("importe").setValue(vb::Decimal::parse("0.05"));
    rs.Fields("nota").setValue("nueva");
    rs.Update();
    rs.Fields("nota").setValue("cambiada");
    rs.Update();

    const ado::ResultSet rows =
        db->exec("SELECT fecha, hora, activo, importe, nota FROM movimientos ORDER BY importe DESC");
    ASSERT_EQ(rows.rows.size(), 2u);
    for (const ado::Row& row : rows.rows) {
        EXPECT_EQ(row[0].toDate(), fecha);
        EXPECT_EQ(row[1].toDate(), hora);
    }
    EXPECT_FALSE(rows.rows[0][2].toBool());
    EXPECT_DOUBLE_EQ(rows.rows[0][3].toDouble(), 12.35);
    EXPECT_EQ(rows.rows[0][4].toString(), "D'Alessandro");
    EXPECT_TRUE(rows.rows[1][2].toBool());
    EXPECT_DOUBLE_EQ(rows.rows[1][3].toDouble(), 0.05);
    EXPECT_EQ(rows.rows[1][4].toString(), "cambiada");
}

TEST_P(AdoConnection, OneOfTwoIdenticalRowsIsNotToldApartAndNoneChanges)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    ado::Recordset rs;
    rs.Open("SELECT * FROM clientes", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("nombre").setValue("Otra");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), -2147217864);
    EXPECT_EQ(rs.EditMode(), ado::adEditInProgress);
    rs.CancelUpdate();
    const ado::ResultSet rows = db->exec("SELECT nombre FROM clientes");
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[0][0].toString(), "Ana");
    EXPECT_EQ(rows.rows[1][0].toString(), "Ana");
}

// Rows that hold the same values apart from their key are told apart by it.
TEST_P(AdoConnection, ARowWithAKeyIsFoundByItsKey)
{
    const bool servidor = GetParam() == Engine::PostgreSQL;
    cn->Execute(QStringLiteral("CREATE TABLE turnos (id INTEGER PRIMARY KEY, inicio %1, nombre VARCHAR(20))")
                    .arg(servidor ? "TIMESTAMP" : "DATETIME"));
    cn->Execute("INSERT INTO turnos VALUES (1, '2020-01-31 10:20:30.5', 'Ana')");
    cn->Execute("INSERT INTO turnos VALUES (2, '2020-01-31 10:20:30.5', 'Ana')");
    ado::Recordset rs;
    rs.Open("SELECT * FROM turnos ORDER BY id", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.MoveLast();
    rs.Fields("nombre").setValue("Luis");
    rs.Update();
    const ado::ResultSet rows = db->exec("SELECT nombre FROM turnos ORDER BY id");
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[0][0].toString(), "Ana");
    EXPECT_EQ(rows.rows[1][0].toString(), "Luis");
}

// An empty set has no first or last row: moving there raises 3021, a loop that tests EOF first runs no turn.
TEST_P(AdoConnection, MoveFirstAndMoveLastOnAnEmptySetRaiseNoCurrentRecord)
{
    ado::Recordset rs;
    rs.Open("select * from clientes where codigo = 99", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    EXPECT_EQ(errorNumber([&] { rs.MoveFirst(); }), 3021);
    EXPECT_EQ(errorNumber([&] { rs.MoveLast(); }), 3021);
    int turns = 0;
    for (; !rs.Eof(); rs.MoveNext())
        ++turns;
    EXPECT_EQ(turns, 0);
    rs.AddNew();
    rs.Fields("codigo").setValue(99);
    rs.Fields("nombre").setValue("Ana");
    EXPECT_EQ(errorNumber([&] { rs.MoveFirst(); }), 0);
    EXPECT_EQ(rs.Fields("nombre").Value().toString(), "Ana");
}

TEST_P(AdoConnection, AddNewAndUpdateWriteTheBaseTable)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    ado::Recordset rs;
    rs.Open("select * from clientes where codigo = 1", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
    rs.Fields("codigo").setValue(2);
    rs.Fields("nombre").setValue("O'Brien");
    rs.Update();
    rs.MoveFirst();
    rs.Fields("saldo").setValue(7.25);
    rs.Update();
    rs.AddNew();
    rs.Fields("codigo").setValue(3);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("codigo").Value().toLongLong(), 1);

    const ado::ResultSet rows = db->exec("SELECT codigo, nombre, saldo FROM clientes ORDER BY codigo");
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows.rows[0][2].toDouble(), 7.25);
    EXPECT_EQ(rows.rows[1][1].toString(), "O'Brien");
    EXPECT_TRUE(rows.rows[1][2].isNull());
}

TEST_P(AdoConnection, AMoveWritesAPendingEditAndClosingDuringOneIsRefused)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    cn->Execute("INSERT INTO clientes VALUES (2, 'Luis', 2)");
    ado::Recordset rs;
    rs.Open("SELECT * FROM clientes ORDER BY codigo", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("nombre").setValue("Ana María");
    rs.MoveNext();
    EXPECT_EQ(db->exec("SELECT nombre FROM clientes WHERE codigo = 1").rows[0][0].toString(), "Ana María");
    rs.Fields("nombre").setValue("Otro");
    EXPECT_EQ(errorNumber([&] { rs.Close(); }), 3219);
    rs.CancelUpdate();
    EXPECT_EQ(rs.Fields("nombre").Value().toString(), "Luis");
    rs.Close();
}

TEST_P(AdoConnection, AReadOnlyRecordsetRefusesChanges)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    ado::Recordset rs;
    rs.Open("SELECT * FROM clientes", cn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    EXPECT_EQ(errorNumber([&] { rs.AddNew(); }), 3251);
    EXPECT_EQ(errorNumber([&] { rs.Fields(0).setValue(5); }), 3251);
}

TEST_P(AdoConnection, CursorAndLockTypesAreKeptForTheNextOpen)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    ado::Recordset rs;
    EXPECT_EQ(rs.CursorType(), ado::adOpenForwardOnly);
    EXPECT_EQ(rs.LockType(), ado::adLockReadOnly);
    rs.setCursorType(ado::adOpenKeyset);
    rs.setLockType(ado::adLockOptimistic);
    rs.Open("SELECT * FROM clientes", cn);
    EXPECT_EQ(rs.CursorType(), ado::adOpenKeyset);
    EXPECT_EQ(rs.LockType(), ado::adLockOptimistic);
    EXPECT_EQ(errorNumber([&] { rs.setLockType(ado::adLockReadOnly); }), 3705);
    EXPECT_EQ(errorNumber([&] { rs.setCursorType(ado::adOpenStatic); }), 3705);
    rs.Fields("nombre").setValue(QStringLiteral("Luis"));
    rs.Update();
    rs.Close();
    rs.Open("SELECT * FROM clientes", cn, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs.CursorType(), ado::adOpenStatic);
    EXPECT_EQ(rs.Fields("nombre").Value().toString(), "Luis");
    EXPECT_EQ(errorNumber([&] { rs.AddNew(); }), 3251);
}

TEST_P(AdoConnection, OpenSchemaListsTablesAndColumns)
{
    ado::Recordset tables = cn->OpenSchema(ado::adSchemaTables);
    bool found = false;
    for (; !tables.Eof(); tables.MoveNext())
        found = found || tables.Fields("TABLE_NAME").Value().toString().compare("clientes", Qt::CaseInsensitive) == 0;
    EXPECT_TRUE(found);

    ado::Recordset columns =
        cn->OpenSchema(ado::adSchemaColumns, {vb::Variant(), vb::Variant(), vb::Variant("clientes"), vb::Variant()});
    QStringList names;
    for (; !columns.Eof(); columns.MoveNext())
        names << columns.Fields("COLUMN_NAME").Value().toString().toLower();
    EXPECT_EQ(names, QStringList({"codigo", "nombre", "saldo"}));
}

TEST_P(AdoConnection, SchemaRestrictionsAreExactNames)
{
    cn->Execute("CREATE TABLE ta_x (a INTEGER)");
    cn->Execute("CREATE TABLE taxx (b INTEGER)");
    auto names = [&](long schema, const std::vector<vb::Variant>& criteria, const char* field) {
        ado::Recordset rs = cn->OpenSchema(schema, criteria);
        QStringList out;
        for (; !rs.Eof(); rs.MoveNext())
            out << rs.Fields(field).Value().toString().toLower();
        return out;
    };
    const vb::Variant any;
    EXPECT_EQ(names(ado::adSchemaTables, {any, any, vb::Variant("ta_x")}, "TABLE_NAME"), QStringList{"ta_x"});
    EXPECT_EQ(names(ado::adSchemaColumns, {any, any, vb::Variant("ta_x"), any}, "COLUMN_NAME"), QStringList{"a"});
    EXPECT_EQ(names(ado::adSchemaColumns, {any, any, vb::Variant("clientes"), vb::Variant("codigo")}, "COLUMN_NAME"),
              QStringList{"codigo"});
    // Another catalog: the server's database has none of its tables; SQLite names no catalog and keeps them.
    const QStringList otherCatalog =
        names(ado::adSchemaColumns, {vb::Variant("otra_base"), any, vb::Variant("ta_x"), any}, "COLUMN_NAME");
    EXPECT_EQ(otherCatalog, GetParam() == Engine::PostgreSQL ? QStringList() : QStringList{"a"});
    if (GetParam() == Engine::PostgreSQL) {
        EXPECT_EQ(names(ado::adSchemaColumns, {vb::Variant(db->name()), any, vb::Variant("ta_x"), any}, "COLUMN_NAME"),
                  QStringList{"a"});
    }
}

TEST_P(AdoConnection, DefaultDatabaseNamesTheCurrentOne)
{
    // SQLite has no catalogs: it names none and takes any.
    const QString expected = GetParam() == Engine::PostgreSQL ? db->name() : QString();
    EXPECT_EQ(cn->DefaultDatabase().toStdString(), expected.toStdString());
    cn->setDefaultDatabase(expected);
    cn->Close();
    EXPECT_EQ(errorNumber([&] { cn->DefaultDatabase(); }), 3709);
}

TEST_P(AdoConnection, ATableOpensByName)
{
    cn->Execute("INSERT INTO clientes VALUES (1, 'Ana', 1)");
    ado::Recordset rs;
    rs.Open("clientes", cn, ado::adOpenStatic, ado::adLockReadOnly, ado::adCmdTable);
    EXPECT_EQ(rs.RecordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, AdoConnection, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

TEST(AdoConnectionScripted, ProviderErrorsKeepTheirNativeNumbers)
{
    kembtest::ScriptedDriver driver;
    driver.failWhen("INSERT", {{"22001", 8152, "String or binary data would be truncated."},
                               {"01000", 3621, "The statement has been terminated."}});
    auto cn = ado::Connection::create();
    cn->Open("PROVIDER=SQLOLEDB;Server=srv;Database =ventas;UId=u;Pwd=p;");
    EXPECT_EQ(errorNumber([&] { cn->Execute("INSERT INTO t VALUES ('demasiado largo')"); }), -2147217833);
    ASSERT_EQ(cn->Errors().Count(), 2);
    EXPECT_EQ(cn->Errors()(0).NativeError(), 8152);
    EXPECT_EQ(cn->Errors()(0).Source(), "Microsoft OLE DB Provider for SQL Server");
    EXPECT_EQ(cn->Errors()(1).Number(), 0);
    EXPECT_EQ(driver.calls(), QStringList({"connect DRIVER=FreeTDS;SERVER=srv;DATABASE=ventas;UID=u;PWD=p;",
                                           "execute INSERT INTO t VALUES ('demasiado largo')"}));
}

TEST(AdoConnectionScripted, ARefusedDisconnectIsReportedUnlessTheConnectionIsLost)
{
    kembtest::ScriptedDriver driver;
    driver.failNextClose({{"25000", 0, "Hay una transacción pendiente"}});
    auto cn = ado::Connection::create();
    cn->Open("PROVIDER=SQLOLEDB;Server=srv;Database =ventas;UId=u;Pwd=p;");
    EXPECT_EQ(errorNumber([&] { cn->Close(); }), -2147217900);
    ASSERT_EQ(cn->Errors().Count(), 1);
    EXPECT_EQ(cn->Errors()(0).SQLState(), "25000");
    EXPECT_EQ(cn->Errors()(0).Description(), "Hay una transacción pendiente");
    EXPECT_EQ(cn->State(), ado::adStateOpen);
    cn->Close();
    EXPECT_EQ(cn->State(), ado::adStateClosed);
    EXPECT_EQ(cn->Errors().Count(), 1) << "a clean close keeps the errors of the last operation";

    // A connection the network ended cannot disconnect either, but it is over all the same.
    driver.failNextClose({{"08S01", 20006, "Write to the server failed"}});
    cn->Open();
    cn->Close();
    EXPECT_EQ(cn->State(), ado::adStateClosed);
}

TEST(AdoConnectionFreeTds, ARefusedConnectionIsAProviderError)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    auto cn = ado::Connection::create();
    const long number = errorNumber([&] {
        cn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,%1;Database =ventas;UId=sa;Pwd=x;Connect "
                                "Timeout=5")
                     .arg(closedPort));
    });
    EXPECT_EQ(number, -2147467259);
    ASSERT_GE(cn->Errors().Count(), 1);
    EXPECT_EQ(cn->Errors()(0).SQLState().toStdString(), "08S01");
    EXPECT_EQ(cn->Errors()(0).NativeError(), 20009);
    EXPECT_TRUE(cn->Errors()(0).Description().contains("Unable to connect"));
    EXPECT_EQ(cn->State(), ado::adStateClosed);
}

} // namespace
