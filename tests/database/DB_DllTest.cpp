#include "database/DB_Dll.h"
#include "database/frmAcceso.h"
#include "global/ModGlobal.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDriver.h"
#include "support/ScriptedOperator.h"
#include "support/SqlServerDialect.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kembtest::Engine;
using kembtest::ScriptedDriver;
using kembtest::ScriptedOperator;
using kembtest::Shown;
using kembtest::TestDatabase;

namespace {

const QString kSqlServer = QStringLiteral("PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;");
const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");

// Every test starts with fresh shared instances and a program folder of its own.
class DbDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        vb::App::setPath(dir.path());
        vb::App::setEXEName(QStringLiteral("kemb"));
        reset();
    }
    void TearDown() override
    {
        reset();
        vb::App::setPath(QString());
        vb::App::setEXEName(QString());
    }
    static void reset()
    {
        ModGlobal::gDB() = DB_Dll();
        ModGlobal::gDBRSQL() = DB_Dll();
        ModGlobal::gRestringeAsientos() = false;
    }
    QString readLog(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    QTemporaryDir dir;
};

// ---- restricted views and the placeholder ----

TEST_F(DbDll, SS_TSinonimosRewritesRestrictedNamesForNonAdministrators)
{
    struct Caso {
        bool admin;
        bool restringe;
        const char* programa;
        const char* entrada;
        const char* salida;
    };
    const Caso casos[] = {
        {false, false, "kemb", "SELECT * FROM MA_CUENTAS WHERE X=1", "SELECT * FROM SS_MA_CUENTAS WHERE X=1"},
        {false, false, "kemb", "SELECT * FROM @Admin_MA_CUENTAS WHERE X=1", "SELECT * FROM MA_CUENTAS WHERE X=1"},
        {false, false, "kemb", "MA_CUENTAS WHERE X=1", "MA_CUENTAS WHERE X=1"},
        {false, false, "kemb", "SELECT * FROM MA_CUENTAS\r\nWHERE X=1", "SELECT * FROM MA_CUENTAS\r\nWHERE X=1"},
        {false, false, "kemb", "select * from ma_cuentas where x=1", "select * from SS_MA_CUENTAS where x=1"},
        {false, false, "kemb", "SELECT MA_CUENTAS.A,MA_CUENTAS.B FROM (MA_CUENTAS )",
         "SELECT SS_MA_CUENTAS.A,SS_MA_CUENTAS.B FROM (SS_MA_CUENTAS )"},
        {false, false, "kemb", "{MA_CUENTAS.A} {V_TA_CAJAS.A}", "{SS_MA_CUENTAS.A} {V_TA_CAJAS.A}"},
        {false, false, "kemb", "SELECT * FROM MV_ASIENTOS A, MA_CUENTAS M, @Admin_V_TA_CAJAS C",
         "SELECT * FROM MV_ASIENTOS A, MA_CUENTAS M, V_TA_CAJAS C"},
        {false, true, "kemb", "SELECT * FROM MV_ASIENTOS A, MA_CUENTAS M",
         "SELECT * FROM SS_MV_ASIENTOS A, SS_MA_CUENTAS M"},
        {true, false, "kemb", "SELECT * FROM MA_CUENTAS , @Admin_V_TA_CAJAS ",
         "SELECT * FROM MA_CUENTAS , V_TA_CAJAS "},
        {false, false, "kemb", "SELECT * FROM V_TA_DEPOSITO ", "SELECT * FROM SS_V_TA_DEPOSITO "},
        {false, false, "PRAMEL_TODIX", "SELECT * FROM V_TA_DEPOSITO ", "SELECT * FROM V_TA_DEPOSITO "},
        {false, false, "mirtal", "SELECT * FROM V_TA_DEPOSITO ", "SELECT * FROM V_TA_DEPOSITO "},
        {false, false, "kemb", "SELECT * FROM V_TA_FAMILIAS ", "SELECT * FROM SS_V_TA_FAMILIAS "},
        {false, false, "MQTRANS", "SELECT * FROM V_TA_FAMILIAS ", "SELECT * FROM V_TA_FAMILIAS "},
        {false, false, "ssl", "SELECT * FROM V_TA_FAMILIAS ", "SELECT * FROM V_TA_FAMILIAS "},
        {false, false, "kemb", "SELECT * FROM V_TA_CAJAS ,AC_CUENTASDIARIO.X (AC_CUENTASDIARIO_CCOSTO )",
         "SELECT * FROM SS_V_TA_CAJAS ,SS_AC_CUENTASDIARIO.X (SS_AC_CUENTAS_DIARIO_CCOSTO )"},
    };
    for (const Caso& c : casos) {
        DB_Dll db;
        db.gEsAdmin = c.admin;
        ModGlobal::gRestringeAsientos() = c.restringe;
        vb::App::setEXEName(QString::fromUtf8(c.programa));
        EXPECT_EQ(db.SS_TSinonimos(QString::fromUtf8(c.entrada)).toStdString(), c.salida) << c.entrada;
    }
}

TEST_F(DbDll, EjecutaConsultaSQLOnlyDropsThePlaceholderOutsideDropAndCreate)
{
    struct Caso {
        bool admin;
        const char* entrada;
        const char* ejecutada;
    };
    const Caso casos[] = {
        {false, "UPDATE @Admin_V_TA_CAJAS SET A=1", "UPDATE V_TA_CAJAS SET A=1"},
        {false, "SELECT * FROM MA_CUENTAS WHERE 1=1", "SELECT * FROM MA_CUENTAS WHERE 1=1"},
        {false, "DROP VIEW V CREATE VIEW V AS SELECT * FROM MA_CUENTAS WHERE 1=1",
         "DROP VIEW V CREATE VIEW V AS SELECT * FROM SS_MA_CUENTAS WHERE 1=1"},
        {false, "drop view v create view v as select * from @admin_MA_CUENTAS where 1=1",
         "drop view v create view v as select * from MA_CUENTAS where 1=1"},
        {false, "DROP TABLE X CREATE TABLE X DELETE FROM MA_CUENTAS WHERE 1=1",
         "DROP TABLE X CREATE TABLE X DELETE FROM MA_CUENTAS WHERE 1=1"},
        {false, "DROP TABLE X CREATE TABLE X DELETE FROM @Admin_MA_CUENTAS WHERE 1=1",
         "DROP TABLE X CREATE TABLE X DELETE FROM MA_CUENTAS WHERE 1=1"},
        {true, "DROP VIEW V CREATE VIEW V AS SELECT * FROM MA_CUENTAS WHERE 1=1",
         "DROP VIEW V CREATE VIEW V AS SELECT * FROM MA_CUENTAS WHERE 1=1"},
        {false, "DROP VIEW V CREATE VIEW V AS SELECT * FROM MV_ASIENTOS, MA_CUENTAS WHERE 1=1",
         "DROP VIEW V CREATE VIEW V AS SELECT * FROM MV_ASIENTOS, MA_CUENTAS WHERE 1=1"},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        DB_Dll& db = ModGlobal::gDB();
        db = DB_Dll();
        db.gEsAdmin = c.admin;
        db.gCnn->Open(kSqlServer);
        QString sentencia = QString::fromUtf8(c.entrada);
        long afectados = -1;
        db.EjecutaConsultaSQL(sentencia, afectados);
        EXPECT_EQ(sentencia.toStdString(), c.ejecutada) << c.entrada;
        EXPECT_EQ(driver.calls().last().toStdString(), std::string("execute ") + c.ejecutada);
        EXPECT_EQ(afectados, 1);
        db = DB_Dll();
    }
}

TEST_F(DbDll, EjecutaConsultaSQLGivesBackTheRecordsetWhenAskedFor)
{
    TestDatabase base(Engine::SQLite);
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Open(base.connectionString());
    QString crear = QStringLiteral("CREATE TABLE T (A INTEGER)");
    long afectados = 0;
    db.EjecutaConsultaSQL(crear, afectados);
    QString insertar = QStringLiteral("INSERT INTO @Admin_T VALUES (7)");
    db.EjecutaConsultaSQL(insertar, afectados);
    EXPECT_EQ(afectados, 1);
    QString leer = QStringLiteral("SELECT A FROM T");
    ado::Recordset rs;
    db.EjecutaConsultaSQL(leer, afectados, &rs);
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.Fields(0).Value().toLongLong(), 7);

    QString mala = QStringLiteral("SELECT * FROM NO_EXISTE");
    db.EjecutaConsultaSQL(mala, afectados);
    EXPECT_GT(db.gCnn->Errors().Count(), 0);
}

TEST_F(DbDll, ATruncationAloneIsForgottenUnlessInATransaction)
{
    const ado::Diagnostics truncado{{"22001", 8152, "String or binary data would be truncated."},
                                    {"01000", 3621, "The statement has been terminated."}};
    struct Caso {
        const char* sentencia;
        ado::Diagnostics errores;
        long quedan;
    };
    const Caso casos[] = {
        {"INSERT INTO T VALUES ('largo')", truncado, 0},
        {"BEGIN TRANSACTION INSERT INTO T VALUES ('largo')", truncado, 2},
        {"INSERT INTO T VALUES ('largo')", {truncado[0], truncado[1], truncado[1]}, 3},
        {"INSERT INTO T VALUES ('largo')", {{"23000", 2627, "Violation of PRIMARY KEY"}}, 1},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        driver.failWhen("INSERT", c.errores);
        DB_Dll& db = ModGlobal::gDB();
        db = DB_Dll();
        db.gCnn->Open(kSqlServer);
        QString sentencia = QString::fromUtf8(c.sentencia);
        long afectados = 0;
        db.EjecutaConsultaSQL(sentencia, afectados);
        EXPECT_EQ(db.gCnn->Errors().Count(), c.quedan) << c.sentencia;
        db = DB_Dll();
    }
}

TEST_F(DbDll, EjecutaConsultaRSQLWarnsOfErrorsOtherThanTheExpectedOnes)
{
    ScriptedDriver driver;
    driver.failWhen("T1", {{"22001", 8152, "String or binary data would be truncated."}})
        .failWhen("T2", {{"42S02", 208, "Invalid object name 'T2'."}})
        .failWhen("T3", {{"42000", 2714, "There is already an object named 'T3' in the database."}})
        .failWhen("T4", {{"42000", 15025, "The server principal already exists."}});
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Open(kSqlServer);
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "String or binary data would be truncated.");
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "Aviso al operador!!!");
    });
    long afectados = 0;
    for (const char* sentencia :
         {"INSERT INTO T1 VALUES (1)", "SELECT * FROM T2", "CREATE TABLE T3 (A INT)", "BEGIN TRANS CREATE LOGIN T4"}) {
        QString s = QString::fromUtf8(sentencia);
        db.EjecutaConsultaRSQL(s, afectados);
    }
    // The truncation stays: EjecutaConsultaRSQL looks at the errors of gDBRSQL, which nothing opens.
    QString s = QStringLiteral("INSERT INTO T1 VALUES (1)");
    op.answerMsgBox(vb::vbOK);
    db.EjecutaConsultaRSQL(s, afectados);
    EXPECT_EQ(db.gCnn->Errors().Count(), 1);
}

TEST_F(DbDll, AnOracleScriptRunsStatementByStatement)
{
    ScriptedDriver driver;
    DB_Dll& db = ModGlobal::gDB();
    db.gConnString = kOracle;
    db.gCnn->Open(kOracle);
    QString script = QStringLiteral("SET NOCOUNT ON\r\n"
                                    "BEGIN TRANSACTION\r\n"
                                    "INSERT INTO [CLIENTES] VALUES (1, ISNULL(NULL,'x'))\r\n"
                                    "GO\r\n"
                                    "UPDATE CLIENTES SET NOMBRE = 'a' WHERE CODIGO = 1\r\n"
                                    "IF NOT EXISTS (SELECT * FROM X) CREATE TABLE X (A INT)\r\n"
                                    "COMMIT TRANSACTION\r\n"
                                    "BEGIN TRAN\r\n"
                                    "delete from X\r\n"
                                    "ROLLBACK TRANS");
    long afectados = 0;
    db.EjecutaConsultaSQL(script, afectados);
    // Carriage returns become blanks and the line feeds stay; the short "BEGIN TRAN" starts nothing.
    const QStringList esperadas{"begin",
                                "execute INSERT INTO \"CLIENTES\" VALUES (1, NVL(NULL,'x'))",
                                "execute UPDATE CLIENTES SET NOMBRE = 'a' WHERE CODIGO = 1 \n",
                                "execute CREATE TABLE X (A INT) \n",
                                "commit",
                                "execute delete from X \n",
                                "rollback"};
    EXPECT_EQ(driver.calls().mid(1).join(" | ").toStdString(), esperadas.join(" | ").toStdString());
    EXPECT_EQ(afectados, 4);
}

} // namespace
