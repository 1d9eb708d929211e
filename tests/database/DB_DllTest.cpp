#include "database/DB_Dll.h"
#include "database/frmAcceso.h"
#include "global/ModGlobal.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Strings.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDriver.h"
#include "support/ScriptedOperator.h"
#include "support/SqlServerDialect.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <set>

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

TEST_F(DbDll, AbrirRecordsetTranslatesForOracleWhenAsked)
{
    for (bool convertir : {true, false}) {
        ScriptedDriver driver;
        DB_Dll& db = ModGlobal::gDB();
        db = DB_Dll();
        db.gEsAdmin = true;
        db.gConnString = kOracle;
        db.gCnn->Open(kOracle);
        QString sql = QStringLiteral("SELECT TOP 1 * FROM @Admin_T");
        ado::Recordset rs;
        db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, convertir);
        EXPECT_EQ(sql, "SELECT TOP 1 * FROM T");
        EXPECT_EQ(driver.calls().last(),
                  convertir ? "execute SELECT  * FROM T  WHERE ROWNUM <= 1  " : "execute SELECT TOP 1 * FROM T");
        db = DB_Dll();
    }
}

TEST_F(DbDll, TheProviderNamesAreConstants)
{
    const DB_Dll db;
    EXPECT_EQ(db.pJETOLEDB40(), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_EQ(db.pJETOLEDB35(), "Microsoft.Jet.OLEDB.3.51");
    EXPECT_EQ(db.pSQLOLEDB(), "SQLOLEDB");
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

TEST_F(DbDll, AGrantWithGrantOptionStaysOneOracleStatement)
{
    ScriptedDriver driver;
    DB_Dll& db = ModGlobal::gDB();
    db.gConnString = kOracle;
    db.gCnn->Open(kOracle);
    QString script = QStringLiteral("GRANT EXECUTE ON CTXSYS.CTX_DDL TO MQ WITH GRANT OPTION\r\n"
                                    "grant select on X to MQ with  grant option\r\n"
                                    "GRANT DBA TO MQ WITH ADMIN OPTION");
    long afectados = 0;
    db.EjecutaConsultaSQL(script, afectados);
    QStringList ejecutadas;
    for (const QString& llamada : driver.calls().mid(1))
        ejecutadas << llamada.simplified();
    EXPECT_EQ(ejecutadas, QStringList({"execute GRANT EXECUTE ON CTXSYS.CTX_DDL TO MQ WITH GRANT OPTION",
                                       "execute grant select on X to MQ with grant option",
                                       "execute GRANT DBA TO MQ WITH ADMIN OPTION"}));
}

} // namespace

namespace {

// ---- record sets on a real server ----

class DbDllPostgres : public DbDll {
protected:
    void SetUp() override
    {
        DbDll::SetUp();
        if (const QString why = TestDatabase::unavailable(Engine::PostgreSQL); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        base = std::make_unique<TestDatabase>(Engine::PostgreSQL);
        base->exec("CREATE TABLE clientes (codigo INTEGER, nombre VARCHAR(20))");
        base->exec("INSERT INTO clientes VALUES (1, 'Ana')");
        DB_Dll& db = ModGlobal::gDB();
        db.gDBName = base->name();
        db.gServidor = QStringLiteral("127.0.0.1");
        db.gUsuario = QStringLiteral("postgres");
        db.gCnn->Open(base->connectionString());
        db.gOpenFlag = true;
    }
    void TearDown() override
    {
        DbDll::TearDown();
        base.reset();
    }

    std::unique_ptr<TestDatabase> base;
};

TEST_F(DbDllPostgres, AKilledConnectionIsReopenedSilently)
{
    ScriptedOperator op;
    DB_Dll& db = ModGlobal::gDB();
    base->killOtherSessions();
    QString sql = QStringLiteral("SELECT * FROM @Admin_clientes");
    ado::Recordset rs;
    db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, false);
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.Fields("nombre").Value().toString(), "Ana");
    EXPECT_EQ(sql, "SELECT * FROM clientes");
    EXPECT_TRUE(db.gOpenFlag);
}

TEST_F(DbDllPostgres, ASecondLossInTheSameCallReachesTheReporter)
{
    DB_Dll& db = ModGlobal::gDB();
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Ha ocurrido el Siguiente Error (-2147467259) ")) << s.prompt.toStdString();
        EXPECT_TRUE(s.title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 ")) << s.title.toStdString();
        EXPECT_EQ(s.buttons, vb::vbAbortRetryIgnore + vb::vbCritical);
    });
    QString sql = QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())");
    ado::Recordset rs;
    db.AbrirRecordset(sql, rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    EXPECT_TRUE(readLog(dir.filePath("MQERR.LOG")).contains("Rutina: - AbrirRecordset Mensaje Ha ocurrido"));
}

TEST_F(DbDllPostgres, AServerThatStaysDownAsksTheOperator)
{
    DB_Dll& db = ModGlobal::gDB();
    base->allowConnections(false);
    base->killOtherSessions();
    const QString CRLF = QStringLiteral("\r\n");
    const QString pregunta = CRLF + CRLF + CRLF + "Se perdio la conexion con la base de datos " + base->name() + CRLF +
                             " Servidor 127.0.0.1" + CRLF + CRLF + "Elija SI para reintentar conectarse" + CRLF +
                             "Elija NO para cerrar la aplicacion" + CRLF + CRLF + CRLF;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbYes, [&](const Shown& s) {
        EXPECT_EQ(s.prompt, pregunta);
        EXPECT_EQ(s.title, "AVISO AL OPERADOR");
        EXPECT_EQ(s.buttons, vb::vbYesNo + vb::vbCritical);
    });
    op.answerMsgBox(vb::vbYes, [&](const Shown&) { base->allowConnections(true); });
    QString sql = QStringLiteral("SELECT * FROM clientes");
    ado::Recordset rs;
    db.AbrirRecordset(sql, rs);
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_F(DbDllPostgres, NoEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            base->allowConnections(false);
            base->killOtherSessions();
            ScriptedOperator op;
            op.answerMsgBox(vb::vbNo);
            QString sql = QStringLiteral("SELECT * FROM clientes");
            ado::Recordset rs;
            ModGlobal::gDB().AbrirRecordset(sql, rs);
        },
        ::testing::ExitedWithCode(0), "");
    base->allowConnections(true);
}

// ---- closing record sets and the class's reporter ----

TEST_F(DbDll, CierraRecordsetClosesAndCancelsAPendingEdit)
{
    TestDatabase base(Engine::SQLite);
    base.exec("CREATE TABLE T (A INTEGER)");
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Open(base.connectionString());
    ado::Recordset rs;
    db.CierraRecordset(rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    rs.Open("SELECT * FROM T", db.gCnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields("A").setValue(5);
    db.CierraRecordset(rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    EXPECT_TRUE(base.exec("SELECT * FROM T").rows.empty());
}

TEST_F(DbDll, TratamientoErroresAsksLogsAndAnswers)
{
    struct Caso {
        const char* archivo;
        std::optional<int> botones;
        const char* rutina;
        int respuesta;
        const char* titulo;
        const char* linea;
    };
    const Caso casos[] = {
        {"", std::nullopt, "AbrirRecordset", vb::vbRetry, "ADODB.Recordset - AbrirRecordset Aviso al operador!!! - 5 ",
         " Rutina: - AbrirRecordset Mensaje Ha ocurrido el Siguiente Error (3704) Cerrado Respondió : Reintentar\r\n"},
        {"otro.log", std::nullopt, "", vb::vbIgnore, "ADODB.Recordset Aviso al operador!!! - 5 ",
         " Rutina:  Mensaje Ha ocurrido el Siguiente Error (3704) Cerrado Respondió : Ignorar\r\n"},
        {"", vb::vbYesNo + vb::vbQuestion, "X", vb::vbYes, "ADODB.Recordset - X Aviso al operador!!! - 5 ",
         " Rutina: - X Mensaje Ha ocurrido el Siguiente Error (3704) Cerrado Respondió : Sí\r\n"},
        {"", std::nullopt, "X", vb::vbOK, "ADODB.Recordset - X Aviso al operador!!! - 5 ",
         " Rutina: - X Mensaje Ha ocurrido el Siguiente Error (3704) Cerrado Respondió :  \r\n"},
    };
    for (const Caso& c : casos) {
        QTemporaryDir carpeta;
        vb::App::setPath(carpeta.path());
        DB_Dll db;
        const QString log = *c.archivo ? carpeta.filePath(QString::fromUtf8(c.archivo)) : QString();
        db.setArchivoErrores(log);
        EXPECT_EQ(db.ArchivoErrores().toString(), log);
        ScriptedOperator op;
        op.answerMsgBox(c.respuesta, [&](const Shown& s) {
            EXPECT_EQ(s.prompt, "Ha ocurrido el Siguiente Error (3704) Cerrado");
            EXPECT_EQ(s.title.toStdString(), c.titulo);
            EXPECT_EQ(s.buttons, c.botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical));
        });
        EXPECT_EQ(db.TratamientoErrores(vb::Error(3704, " Cerrado ", "ADODB.Recordset"), c.botones,
                                        QString::fromUtf8(c.rutina)),
                  c.respuesta);
        const QString escrito = readLog(log.isEmpty() ? carpeta.filePath("MQERR.LOG") : log);
        EXPECT_EQ(escrito.mid(19), QString::fromUtf8(c.linea)) << c.rutina;
        EXPECT_TRUE(
            QRegularExpression("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d$").match(escrito.left(19)).hasMatch());
        if (!log.isEmpty()) {
            EXPECT_FALSE(QFile::exists(carpeta.filePath("MQERR.LOG")));
        }
    }
}

TEST_F(DbDll, TratamientoErroresIgnoresANumberZero)
{
    DB_Dll db;
    EXPECT_EQ(db.TratamientoErrores(vb::Error(0, "nada")), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("MQERR.LOG")));
}

} // namespace

// ---- connection set-up ----

namespace {

class DbDllConexion : public ::testing::Test {
protected:
    void SetUp() override
    {
        vb::App::setPath(dir.path());
        vb::App::setEXEName(QStringLiteral("kemb"));
        ModGlobal::gDB() = DB_Dll();
    }
    void TearDown() override
    {
        ModGlobal::gDB() = DB_Dll();
        vb::App::setPath(QString());
        vb::App::setEXEName(QString());
    }
    static DB_Dll& datos(const QString& servidor)
    {
        DB_Dll& db = ModGlobal::gDB();
        db.gServidor = servidor;
        db.gDBName = QStringLiteral("ventas");
        db.gUsuario = QStringLiteral("u");
        db.gUserPassWord = QStringLiteral("p");
        return db;
    }

    QTemporaryDir dir;
};

TEST_F(DbDllConexion, TheConnectionStringIsBuiltFromTheMembers)
{
    struct Caso {
        const char* servidor;
        const char* extra;
        const char* proveedor;
        const char* dada;
        const char* cadena;
    };
    const Caso casos[] = {
        {"srv01\\DORVIK", "App=KEMB;", "", "",
         "PROVIDER=SQLOLEDB;Server=srv01\\DORVIK;Database =ventas;UId=u;Pwd=p;App=KEMB;"},
        {"srv01", "", "OraOLEDB.Oracle.1", "", "PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;"},
        {"#orasrv", "App=KEMB;", "", "", "Provider=OraOLEDB.Oracle.1;Data Source=ventas;User Id=u;Password=p;"},
        {"srv01", "", "", "DSN=otra;", "DSN=otra;"},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        ModGlobal::gDB() = DB_Dll();
        DB_Dll& db = datos(QString::fromUtf8(c.servidor));
        db.gExtended = QString::fromUtf8(c.extra);
        db.gProveedor = QString::fromUtf8(c.proveedor);
        db.OpenServerADODB(false, ado::adUseClient, QString::fromUtf8(c.dada), false, false);
        EXPECT_EQ(db.gConnString.toStdString(), c.cadena);
        EXPECT_TRUE(db.gOpenFlag);
        EXPECT_TRUE(db.gEsAdmin);
        EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
        EXPECT_EQ(db.gCnn->CursorLocation(), ado::adUseClient);
        // An empty provider becomes SQLOLEDB whichever string is used.
        EXPECT_EQ(db.gProveedor.toStdString(), *c.proveedor ? c.proveedor : "SQLOLEDB");
        ModGlobal::gDB() = DB_Dll();
    }
}

// Fills the dialog, picks the platform and closes it with the given button.
void responderDialogo(const QString& servidor, int plataforma, const char* botonNombre)
{
    kembtest::whenShown<frmAcceso>([=](frmAcceso* f) {
        EXPECT_EQ(f->TxtDbName->text(), "ventas");
        EXPECT_EQ(f->TxtUserId->text(), "u");
        EXPECT_EQ(f->CboPlataformaDB->currentIndex(), 0);
        f->TxtServidor->setText(servidor);
        f->TxtDbName->setText(QStringLiteral("compras"));
        f->CboPlataformaDB->setCurrentIndex(plataforma);
        f->findChild<QPushButton*>(QLatin1String(botonNombre))->click();
    });
}

TEST_F(DbDllConexion, TheDialogChoosesTheConnection)
{
    struct Caso {
        const char* servidor;
        int plataforma;
        const char* boton;
        bool abierta;
        const char* servidorFinal;
        const char* proveedor;
        const char* cadena;
    };
    const Caso casos[] = {
        {"srv02", 0, "bcAceptar", true, "srv02", "SQLOLEDB",
         "PROVIDER=SQLOLEDB;Server=srv02;Database =compras;UId=u;Pwd=p;"},
        {"orasrv", 1, "bcAceptar", true, "#orasrv", "OraOLEDB.Oracle.1",
         "Provider=OraOLEDB.Oracle.1;Data Source=compras;User Id=u;Password=p;"},
        {"#orasrv", 1, "bcAceptar", true, "#orasrv", "OraOLEDB.Oracle.1",
         "Provider=OraOLEDB.Oracle.1;Data Source=compras;User Id=u;Password=p;"},
        // The SQL Server choice with a "#" left in the server text still makes the Oracle string.
        {"#orasrv", 0, "bcAceptar", true, "#orasrv", "SQLOLEDB",
         "Provider=OraOLEDB.Oracle.1;Data Source=compras;User Id=u;Password=p;"},
        {"srv02", 0, "bcCancelar", false, "srv01", "SQLOLEDB",
         "PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;"},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        ModGlobal::gDB() = DB_Dll();
        DB_Dll& db = datos(QStringLiteral("srv01"));
        responderDialogo(QString::fromUtf8(c.servidor), c.plataforma, c.boton);
        db.OpenServerADODB(true, ado::adUseClient, QString(), false, false);
        EXPECT_EQ(db.gOpenFlag, c.abierta) << c.servidor;
        EXPECT_EQ(db.gServidor.toStdString(), c.servidorFinal);
        EXPECT_EQ(db.gProveedor.toStdString(), c.proveedor);
        EXPECT_EQ(db.gConnString.toStdString(), c.cadena);
        EXPECT_EQ(db.gCnn->State(), c.abierta ? ado::adStateOpen : ado::adStateClosed);
        EXPECT_EQ(driver.calls().size(), c.abierta ? 1 : 0);
        ModGlobal::gDB() = DB_Dll();
    }
}

TEST_F(DbDllConexion, AnOpenConnectionIsClosedAndOpenedAgainOnce)
{
    ScriptedDriver driver;
    DB_Dll& db = datos(QStringLiteral("srv01"));
    db.OpenServerADODB(false, ado::adUseClient, QString(), false, false);
    for (bool muestraError : {false, true}) {
        db.OpenServerADODB(false, ado::adUseClient, QString(), false, muestraError);
        EXPECT_TRUE(db.gOpenFlag);
        EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    }
    EXPECT_EQ(driver.calls().size(), 3);
}

TEST_F(DbDllConexion, TheAdministratorFlagComesFromTa_usuarios)
{
    if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    struct Caso {
        const char* usuario;
        bool validaAdmin;
        bool muestraError;
        bool conTabla;
        const char* base;
        bool antes;
        bool esAdmin;
    };
    const Caso casos[] = {
        {"ana", true, true, true, "ventas", false, true},   {"luis", true, true, true, "ventas", true, false},
        {"eva", true, true, true, "ventas", true, false},   {"leo", true, true, true, "ventas", true, false},
        {"sol", true, true, true, "ventas", true, false},   {"nadie", true, true, true, "ventas", true, false},
        {" ana ", true, true, true, "ventas", false, true}, {"luis", true, false, true, "ventas", false, true},
        {"luis", false, true, true, "ventas", false, true}, {"ana", true, true, false, "ventas", false, false},
        {"luis", true, true, false, "ventas", true, true},  {"ana", true, true, true, " ", false, false},
    };
    for (const Caso& c : casos) {
        kembtest::SqlServerDialect dialecto;
        TestDatabase base(Engine::SQLite);
        if (c.conTabla) {
            base.exec("CREATE TABLE TA_USUARIOS (nombre VARCHAR(20), Administrador VARCHAR(5))");
            base.exec("INSERT INTO TA_USUARIOS VALUES ('ana', '1'), (' luis ', '0'), ('eva', '-1'), ('leo', '2'), "
                      "('sol', '')");
        }
        ModGlobal::gDB() = DB_Dll();
        DB_Dll& db = ModGlobal::gDB();
        db.gDBName = QString::fromUtf8(c.base);
        db.gUsuario = QString::fromUtf8(c.usuario);
        db.gEsAdmin = c.antes;
        db.OpenServerADODB(false, ado::adUseClient, base.connectionString(), c.validaAdmin, c.muestraError);
        EXPECT_TRUE(db.gOpenFlag);
        EXPECT_EQ(db.gEsAdmin, c.esAdmin) << c.usuario << " " << c.validaAdmin << c.muestraError << c.conTabla;
        ModGlobal::gDB() = DB_Dll();
    }
}

quint16 puertoCerrado()
{
    QTcpServer sonda;
    sonda.listen(QHostAddress::LocalHost);
    const quint16 puerto = sonda.serverPort();
    sonda.close();
    return puerto;
}

QString preguntaDeConexion(const ado::Error& e, const QString& servidor, const QString& usuario)
{
    const QString CR = QStringLiteral("\r");
    const QString CRLF = QStringLiteral("\r\n");
    return " Estado de Sql: " + e.SQLState() + CR + "Numero de Error: " + QString::number(e.Number()) + CR +
           "Descripcion: " + e.Description() + CR + "Codigo Nativo: " + QString::number(e.NativeError()) + CR + CRLF +
           "Nombre de Proceso: kemb" + CR + CRLF + CRLF + "1. Verifique el Usuario, contraseña y base de datos" + CRLF +
           "2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la instancia, por ejemplo : " +
           servidor + "\\DORVIK" + CRLF + "3. Verifique si el inicio de sesion para el usuario " + usuario + " existe" +
           CRLF + CRLF + CRLF + " - Desea Intentarlo Nuevamente??? ";
}

TEST_F(DbDllConexion, ARefusedConnectionAsksAndYesShowsTheDialogAgain)
{
    const QString servidor = QStringLiteral("127.0.0.1,%1").arg(puertoCerrado());
    DB_Dll& db = datos(servidor);
    ScriptedOperator op;
    auto pregunta = [&](const Shown& s) {
        ASSERT_GT(db.gCnn->Errors().Count(), 0);
        const ado::Error& e = db.gCnn->Errors()(0);
        EXPECT_EQ(e.SQLState().toStdString(), "08S01");
        EXPECT_EQ(e.NativeError(), 20009);
        EXPECT_EQ(e.Number(), -2147467259);
        EXPECT_EQ(s.prompt, preguntaDeConexion(e, db.gServidor, QStringLiteral("u")));
        EXPECT_EQ(s.buttons, vb::vbYesNo + vb::vbCritical);
        EXPECT_EQ(s.title, " Error de Conexion a Base de Datos");
    };
    int dialogos = 0;
    op.answerMsgBox(vb::vbYes, [&](const Shown& s) {
        pregunta(s);
        kembtest::whenShown<frmAcceso>([&](frmAcceso* f) {
            ++dialogos;
            EXPECT_EQ(f->TxtServidor->text(), servidor);
            f->bcAceptar->click();
        });
    });
    op.answerMsgBox(vb::vbYes, [&](const Shown& s) {
        pregunta(s);
        kembtest::whenShown<frmAcceso>([&](frmAcceso* f) {
            ++dialogos;
            f->bcCancelar->click();
        });
    });
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    EXPECT_EQ(dialogos, 2);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->State(), ado::adStateClosed);
}

TEST_F(DbDllConexion, NoToTheQuestionLeavesTheConnectionClosed)
{
    DB_Dll& db = datos(QStringLiteral("127.0.0.1,%1").arg(puertoCerrado()));
    ScriptedOperator op;
    op.answerMsgBox(vb::vbNo);
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    EXPECT_FALSE(db.gOpenFlag);
}

TEST_F(DbDllConexion, WithoutMessagesARefusedConnectionOnlyClearsTheFlag)
{
    DB_Dll& db = datos(QStringLiteral("127.0.0.1,%1").arg(puertoCerrado()));
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, false);
    EXPECT_FALSE(db.gOpenFlag);
}

TEST_F(DbDllConexion, ReintentaConectarReopensWithTheMainUser)
{
    ScriptedDriver driver;
    DB_Dll& db = datos(QStringLiteral("srv01"));
    db.gCnn->setConnectionString(QStringLiteral("PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;"));
    db.ReintentaConectar();
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->CommandTimeout(), 5);
    EXPECT_EQ(driver.calls(), QStringList{"connect DRIVER=FreeTDS;SERVER=srv01;DATABASE=ventas;UID=u;PWD=p;"});
}

TEST_F(DbDllConexion, ReintentaConectarReportsOtherFailuresAndStaysClosed)
{
    for (int respuesta : {vb::vbAbort, vb::vbIgnore}) {
        ScriptedDriver driver;
        driver.failNextConnect({{"28000", 18456, "Login failed for user 'u'."}});
        ModGlobal::gDB() = DB_Dll();
        DB_Dll& db = datos(QStringLiteral("srv01"));
        db.gCnn->setConnectionString(QStringLiteral("PROVIDER=SQLOLEDB;Server=srv01;"));
        ScriptedOperator op;
        op.answerMsgBox(respuesta, [](const Shown& s) {
            EXPECT_EQ(s.title, "Microsoft OLE DB Provider for SQL Server - AbrirRecordset Aviso al operador!!! - 5 ");
        });
        db.ReintentaConectar();
        EXPECT_FALSE(db.gOpenFlag) << respuesta;
    }
}

TEST_F(DbDllConexion, OpenLocalADODBAsksForTheFile)
{
    ScriptedDriver driver;
    DB_Dll& db = ModGlobal::gDB();
    db.gProveedor = db.pJETOLEDB40();
    db.gUsuario = QStringLiteral("admin");
    ScriptedOperator op;
    op.answerOpenFile(QStringLiteral("/datos/base.mdb"));
    db.OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
    ASSERT_EQ(op.shown().size(), 1u);
    EXPECT_EQ(op.shown()[0].title, "Buscar Base de Datos");
    EXPECT_EQ(op.shown()[0].prompt, "Base de Datos de Microsoft Access |*.MDB");
    EXPECT_EQ(db.gConnString, "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =/datos/base.mdb;User ID=admin;Password=;");
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);

    ModGlobal::gDB() = DB_Dll();
    op.answerOpenFile(std::nullopt);
    ModGlobal::gDB().OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
    EXPECT_EQ(ModGlobal::gDB().gCnn->State(), ado::adStateClosed);
}

TEST_F(DbDllConexion, OpenLocalADODBAsksAgainForAMissingFile)
{
    ScriptedDriver driver;
    driver.failNextConnect({{"3024", -1811, "No se encontró el archivo"}});
    DB_Dll& db = ModGlobal::gDB();
    db.gDBName = QStringLiteral("/datos/vieja.mdb");
    ScriptedOperator op;
    op.answerOpenFile(QStringLiteral("/datos/nueva.mdb"));
    db.OpenLocalADODB(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =x.mdb;"), QString(), QString());
    EXPECT_EQ(db.gDBName, "/datos/nueva.mdb");
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
}

TEST_F(DbDllConexion, OpenLocalADODBTriesTheDatabasePassword)
{
    const ado::Diagnostics claveMala{{"3031", -1905, "No es una contraseña válida."}};
    ScriptedDriver driver;
    driver.failNextConnect(claveMala).failNextConnect(claveMala);
    DB_Dll& db = ModGlobal::gDB();
    db.gDBName = QStringLiteral("/datos/base.mdb");
    db.gProveedor = db.pJETOLEDB35();
    db.gUserPassWord = QStringLiteral("guardada");
    db.gIgnoraPassWord = true;
    ScriptedOperator op;
    op.answerInput(QStringLiteral("tipeada"));
    db.OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
    ASSERT_EQ(driver.calls().size(), 3);
    EXPECT_TRUE(driver.calls()[1].endsWith("PWD=guardada;")) << driver.calls()[1].toStdString();
    EXPECT_TRUE(driver.calls()[2].endsWith("PWD=tipeada;")) << driver.calls()[2].toStdString();
    EXPECT_TRUE(db.gConnString.endsWith(" Jet OLEDB:Database Password=tipeada;"));
    EXPECT_EQ(op.shown()[0].prompt, "ingrese el password:");
    EXPECT_EQ(op.shown()[0].title, "Password Access");
}

TEST_F(DbDllConexion, OpenLocalADODBShowsOtherErrors)
{
    ScriptedDriver driver;
    driver.failNextConnect({{"HY000", 1, "Disco lleno"}});
    DB_Dll& db = ModGlobal::gDB();
    db.gDBName = QStringLiteral("/datos/base.mdb");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "-2147467259  Disco lleno");
        EXPECT_EQ(s.buttons, vb::vbCritical);
    });
    db.OpenLocalADODB(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =x.mdb;"), QString(), QString());
    EXPECT_EQ(db.gCnn->State(), ado::adStateClosed);
}

} // namespace

// ---- lookup queries ----

namespace {

// A SQLite database that reads the SQL Server idioms of the lookups, opened as the main connection.
class DbDllConsultas : public DbDllConexion {
protected:
    void SetUp() override
    {
        if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        DbDllConexion::SetUp();
        base = std::make_unique<TestDatabase>(Engine::SQLite);
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open(base->connectionString());
        db.gOpenFlag = true;
        db.gEsAdmin = true;
    }
    void TearDown() override
    {
        DbDllConexion::TearDown();
        base.reset();
    }
    static DB_Dll& db() { return ModGlobal::gDB(); }

    kembtest::SqlServerDialect dialecto;
    std::unique_ptr<TestDatabase> base;
};

TEST_F(DbDllConsultas, BuscaMaximoAsksAgainWithoutArticleCodesBeginningWithZero)
{
    base->exec("CREATE TABLE V_MA_ARTICULOS (idarticulo VARCHAR(25), precio INTEGER)");
    base->exec("INSERT INTO V_MA_ARTICULOS VALUES ('0999', 0), ('   1200', 0)");
    base->exec("CREATE TABLE OTRA (idarticulo VARCHAR(25))");
    base->exec("INSERT INTO OTRA VALUES ('0999'), ('   1200')");
    for (const char* tabla : {"v_ma_articulos", "V_Ma_Articulos"}) {
        QString condicion;
        EXPECT_EQ(db().BuscaMaximo(QString::fromUtf8(tabla), "idarticulo", vb::Variant(), condicion).toDouble(), 1200);
        EXPECT_EQ(condicion, " substring(ltrim(idarticulo),1,1)<>'0'");
    }
    QString condicion = QStringLiteral("precio = 0");
    EXPECT_EQ(db().BuscaMaximo("V_MA_ARTICULOS", "idarticulo", 8, condicion).toDouble(), 1200);
    EXPECT_EQ(condicion, "precio = 0 and substring(ltrim(idarticulo),1,1)<>'0'");
    EXPECT_EQ(db().BuscaMaximo("V_MA_ARTICULOS", "idarticulo").toDouble(), 1200);
    EXPECT_EQ(db().BuscaMaximo("OTRA", "idarticulo").toDouble(), 999);
    // Another column whose maximum begins with "0" even without those codes: asked again only once.
    EXPECT_EQ(db().BuscaMaximo("V_MA_ARTICULOS", "precio").toDouble(), 0);
}

TEST_F(DbDllConsultas, BuscaMaximoGivesTheNumberOfTheValue)
{
    base->exec("CREATE TABLE T (txt VARCHAR(10), importe DOUBLE, grupo INTEGER)");
    base->exec("INSERT INTO T VALUES ('A12', 1.5, 1), ('12A', 12.5, 1), ('9', 3, 2)");
    base->exec("CREATE TABLE VACIA (n INTEGER)");
    struct Caso {
        const char* campo;
        const char* condicion;
        double resultado;
    };
    const Caso casos[] = {
        {"txt", "grupo = 1", 0},                   // "A12" is the text maximum
        {"txt", "grupo = 1 AND txt <> 'A12'", 12}, // "12A"
        {"txt", "grupo = 2", 9},
        {"importe", "", 12.5}, // a number is taken as it is, not through its text with a decimal comma
        {"importe", "   ", 12.5},
    };
    for (const Caso& c : casos) {
        QString condicion = QString::fromUtf8(c.condicion);
        EXPECT_EQ(db().BuscaMaximo("T", QString::fromUtf8(c.campo), 3, condicion).toDouble(), c.resultado)
            << c.campo << " " << c.condicion;
    }
    EXPECT_EQ(db().BuscaMaximo("T", "txt", vb::Variant(), "grupo = 2").toDouble(), 9);
    EXPECT_EQ(db().BuscaMaximo("VACIA", "n").toDouble(), 0);
    EXPECT_EQ(db().BuscaMaximo("VACIA", "n").type(), vb::Variant::Type::Double);
    // Without error handling of its own: a missing table reaches the caller.
    EXPECT_THROW(db().BuscaMaximo("NO_EXISTE", "n"), vb::Error);
}

TEST_F(DbDllConsultas, BuscaMinimoAndBuscaUltimoCodigo)
{
    base->exec("CREATE TABLE T (codigo VARCHAR(10), grupo INTEGER)");
    base->exec("INSERT INTO T VALUES ('  7', 1), ('15', 1), ('3x', 2), ('40', 2)");
    EXPECT_EQ(db().BuscaMinimo("T", "codigo").toDouble(), 7);
    EXPECT_EQ(db().BuscaMinimo("T", "codigo", 8, "  grupo = 2 ").toDouble(), 3);
    EXPECT_EQ(db().BuscaUltimoCodigo("T", "codigo").toDouble(), 40);
    EXPECT_EQ(db().BuscaUltimoCodigo("T", "codigo", 8, "grupo = 1").toDouble(), 15);
    EXPECT_EQ(db().BuscaUltimoCodigo("T", "codigo", 8, "   ").toDouble(), 40);
    EXPECT_THROW(db().BuscaMinimo("T", "no_existe"), vb::Error);
    EXPECT_THROW(db().BuscaUltimoCodigo("NO_EXISTE", "codigo"), vb::Error);
}

TEST_F(DbDllConsultas, BuscaMaximoOfADateWithType7IsTheDate)
{
    if (const QString why = TestDatabase::unavailable(Engine::PostgreSQL); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    TestDatabase pg(Engine::PostgreSQL);
    pg.exec("CREATE TABLE t (fecha DATE)");
    pg.exec("INSERT INTO t VALUES ('2024-03-01'), ('2025-12-31')");
    DB_Dll& base = db();
    base.gCnn->Close();
    base.gCnn->Open(pg.connectionString());
    const vb::Variant fecha = base.BuscaMaximo("t", "fecha", 7);
    ASSERT_EQ(fecha.type(), vb::Variant::Type::Date);
    EXPECT_EQ(fecha.toDate().date(), QDate(2025, 12, 31));
    EXPECT_EQ(base.BuscaMaximo("t", "fecha", QStringLiteral("7")).type(), vb::Variant::Type::Date);
    // Any other type: the number of the date's text ("31/12/2025").
    EXPECT_EQ(base.BuscaMaximo("t", "fecha", 3).toDouble(), 31);
    EXPECT_EQ(base.BuscaMaximo("t", "fecha").toDouble(), 31);
}

// A decimal column's value is its number, not the leading number of its text with a decimal comma.
TEST_F(DbDllConsultas, BuscaMaximoOfADecimalIsItsNumber)
{
    if (const QString why = TestDatabase::unavailable(Engine::PostgreSQL); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    TestDatabase pg(Engine::PostgreSQL);
    pg.exec("CREATE TABLE t (importe NUMERIC(12,2))");
    pg.exec("INSERT INTO t VALUES (12.5), (1234.56)");
    DB_Dll& base = db();
    base.gCnn->Close();
    base.gCnn->Open(pg.connectionString());
    EXPECT_EQ(base.BuscaMaximo("t", "importe", 3).toDouble(), 1234.56);
    EXPECT_EQ(base.BuscaUltimoCodigo("t", "importe").toDouble(), 1234.56);
}

TEST_F(DbDllConsultas, TheExistenceTestsBuildTheirStatements)
{
    struct Caso {
        bool st;
        vb::Variant tipo;
        const char* valor;
        const char* condicion;
        const char* sentencia;
    };
    const Caso casos[] = {
        {true, 8, "X1 ", "", "SELECT * FROM T with(nolock)   WHERE CODIGO ='X1 '"},
        {false, 8, " X1 ", "", "SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='X1'"},
        {true, 7, " '2024-01-02' ", "", "SELECT * FROM T with(nolock)   WHERE CODIGO = '2024-01-02' "},
        {false, 7, " '2024-01-02' ", "", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO = '2024-01-02' "},
        {true, 3, "12,5", "", "SELECT * FROM T with(nolock)   WHERE CODIGO = 12"},
        {false, 4, " 12.5abc", "", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO = 12.5"},
        {false, 5, "abc", "", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO = 0"},
        {false, QStringLiteral("3"), "7", "", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO = 7"},
        {true, 0, "CODIGO", "", "SELECT * FROM T with(nolock)   WHERE CODIGO = CODIGO"},
        {false, vb::Variant(), "'a'", "", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO = 'a'"},
        {true, 8, "", " WHERE CODIGO=5", "SELECT * FROM T with(nolock)    WHERE CODIGO=5"},
        {true, 8, "", "CODIGO=5", "SELECT * FROM T with(nolock)   WHERE CODIGO=5"},
        {false, 8, "", " where CODIGO=5", "SELECT TOP 1 * FROM T with(nolock)   where CODIGO=5"},
        {false, 8, "", "CODIGO=5", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO=5"},
        // Apostrophes inside a searched text stay inside the literal.
        {true, 8, "O'Brien", "", "SELECT * FROM T with(nolock)   WHERE CODIGO ='O''Brien'"},
        {false, 8, "x' OR '1'='1", "",
         "SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='x'' OR ''1''=''1'"},
        // The WHERE of a subquery is not the condition's own.
        {true, 8, "", "CODIGO IN (SELECT C FROM U WHERE D=1)",
         "SELECT * FROM T with(nolock)   WHERE CODIGO IN (SELECT C FROM U WHERE D=1)"},
        {false, 8, "", "A INNER JOIN U ON A.C=U.C WHERE U.D=' WHERE '",
         "SELECT TOP 1 * FROM T with(nolock)  A INNER JOIN U ON A.C=U.C WHERE U.D=' WHERE '"},
        {false, 8, "", "CODIGO = ' WHERE '", "SELECT TOP 1 * FROM T with(nolock)  WHERE CODIGO = ' WHERE '"},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        ModGlobal::gDB() = DB_Dll();
        db().gEsAdmin = true;
        db().gCnn->Open(kSqlServer);
        const QString valor = QString::fromUtf8(c.valor);
        const QString condicion = QString::fromUtf8(c.condicion);
        const bool existe = c.st ? db().ExisteEnTablaST("T", valor, "CODIGO", nullptr, c.tipo, condicion)
                                 : db().ExisteEnTabla("T", valor, "CODIGO", nullptr, c.tipo, condicion);
        EXPECT_FALSE(existe);
        ASSERT_FALSE(driver.calls().isEmpty());
        EXPECT_EQ(driver.calls().last().toStdString(), std::string("execute ") + c.sentencia);
    }
}

TEST_F(DbDllConsultas, TheExistenceTestsFindRows)
{
    base->exec("CREATE TABLE T (CODIGO VARCHAR(10), NUMERO INTEGER, NOMBRE VARCHAR(20))");
    base->exec("INSERT INTO T VALUES ('  X1 ', 12, 'uno'), ('O''Brien', 7, 'dos')");
    DB_Dll& d = db();
    EXPECT_TRUE(d.ExisteEnTabla("T", "X1 "));
    EXPECT_FALSE(d.ExisteEnTablaST("T", "X1 "));
    EXPECT_TRUE(d.ExisteEnTablaST("T", "  X1 "));
    EXPECT_TRUE(d.ExisteEnTabla("T", "O'Brien"));
    EXPECT_TRUE(d.ExisteEnTablaST("T", "O'Brien"));
    EXPECT_FALSE(d.ExisteEnTabla("T", "x' OR '1'='1"));
    EXPECT_TRUE(d.ExisteEnTabla("T", "12,9", "NUMERO", nullptr, 3));
    EXPECT_FALSE(d.ExisteEnTablaST("T", "13", "NUMERO", nullptr, 5));
    EXPECT_TRUE(d.ExisteEnTabla("T", "", "", nullptr, 8, "NUMERO = 7"));
    EXPECT_TRUE(d.ExisteEnTablaST("T", "", "", nullptr, 8, "NUMERO IN (SELECT NUMERO FROM T WHERE NOMBRE='dos')"));
    EXPECT_FALSE(d.ExisteEnTabla("T", "", "", nullptr, 8, " WHERE NUMERO = 8"));

    // The record set given receives the row found and stays open.
    ado::Recordset rs;
    ASSERT_TRUE(d.ExisteEnTabla("T", "X1", "CODIGO", &rs));
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.Fields("NOMBRE").Value().toString(), "uno");
    EXPECT_EQ(rs.LockType(), ado::adLockReadOnly);
    ASSERT_FALSE(d.ExisteEnTabla("T", "nada", "CODIGO", &rs));
    EXPECT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_TRUE(rs.Eof());
}

TEST_F(DbDllConsultas, ANotReadOnlyRecordsetOpensWithItsOwnLockType)
{
    base->exec("CREATE TABLE T (CODIGO VARCHAR(10), NOMBRE VARCHAR(20))");
    base->exec("INSERT INTO T VALUES ('A', 'uno')");
    ado::Recordset rs;
    rs.setLockType(ado::adLockOptimistic);
    ASSERT_TRUE(db().ExisteEnTablaST("T", "A", "CODIGO", &rs));
    rs.Fields("NOMBRE").setValue(QStringLiteral("cambiado"));
    rs.Update();
    EXPECT_EQ(base->exec("SELECT NOMBRE FROM T").rows.at(0).at(0).toString(), "cambiado");
    // Read-only asked for: the record set's own lock type is not used.
    rs.Close();
    ASSERT_TRUE(db().ExisteEnTabla("T", "A", "CODIGO", &rs, 8, QString(), true));
    EXPECT_EQ(rs.LockType(), ado::adLockReadOnly);
}

TEST_F(DbDllConsultas, ExisteEnTablaSTAsksTheMainConnection)
{
    base->exec("CREATE TABLE T (CODIGO VARCHAR(10))");
    base->exec("INSERT INTO T VALUES ('A')");
    TestDatabase otra(Engine::SQLite);
    otra.exec("CREATE TABLE T (CODIGO VARCHAR(10))");
    DB_Dll segunda;
    segunda.gEsAdmin = true;
    segunda.gCnn->Open(otra.connectionString());
    EXPECT_TRUE(segunda.ExisteEnTablaST("T", "A"));
    EXPECT_FALSE(segunda.ExisteEnTabla("T", "A"));
}

TEST_F(DbDllConsultas, ExisteEnTablaReadsTheRestrictedViewsOfANonAdministrator)
{
    base->exec("CREATE TABLE MA_CUENTAS (Codigo VARCHAR(10))");
    base->exec("INSERT INTO MA_CUENTAS VALUES ('oculta'), ('visible')");
    base->exec("CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS WHERE Codigo = 'visible'");
    DB_Dll& d = db();
    d.gEsAdmin = false;
    EXPECT_FALSE(d.ExisteEnTabla("MA_CUENTAS", "oculta"));
    EXPECT_TRUE(d.ExisteEnTabla("MA_CUENTAS", "visible"));
    EXPECT_TRUE(d.ExisteEnTabla("@Admin_MA_CUENTAS", "oculta"));
    EXPECT_TRUE(d.ExisteEnTablaST("MA_CUENTAS", "oculta"));
    EXPECT_FALSE(d.DatosTabla("MA_CUENTAS", "oculta", "Codigo").toString() == "oculta");
    d.gEsAdmin = true;
    EXPECT_TRUE(d.ExisteEnTabla("MA_CUENTAS", "oculta"));
    EXPECT_EQ(d.DatosTabla("MA_CUENTAS", "oculta", "Codigo").toString(), "oculta");
}

TEST_F(DbDllConsultas, AFailingExistenceTestAsksAndFollowsTheAnswer)
{
    ScriptedOperator op;
    auto aviso = [](const Shown& s) {
        EXPECT_TRUE(s.prompt.contains("NO_EXISTE")) << s.prompt.toStdString();
        EXPECT_EQ(s.buttons, vb::vbAbortRetryIgnore + vb::vbCritical);
        EXPECT_EQ(s.title, "Aviso al Operador");
    };
    op.answerMsgBox(vb::vbAbort, aviso);
    EXPECT_FALSE(db().ExisteEnTabla("NO_EXISTE", "A"));
    // Retry runs the failing statement again: the table exists by then.
    op.answerMsgBox(vb::vbRetry, [&](const Shown& s) {
        aviso(s);
        base->exec("CREATE TABLE NO_EXISTE (Codigo VARCHAR(10))");
        base->exec("INSERT INTO NO_EXISTE VALUES ('A')");
    });
    EXPECT_TRUE(db().ExisteEnTablaST("NO_EXISTE", "A"));
    // Ignore goes on with the next statement, which fails on the closed record set.
    op.answerMsgBox(vb::vbIgnore).answerMsgBox(vb::vbIgnore);
    EXPECT_FALSE(db().ExisteEnTablaST("T2", "A"));
    EXPECT_TRUE(op.allAnswered());
}

// A statement the database refuses is reported at once: reconnecting would lose what the session holds.
TEST_F(DbDllConsultas, ARefusedStatementIsReportedWithoutReconnecting)
{
    db().gCnn->Execute("CREATE TEMP TABLE sesion (n INTEGER)");
    const std::pair<const char*, const char*> casos[] = {
        {"SELECT * FROM no_existe", "Ha ocurrido el Siguiente Error (-2147217865) "},
        {"SELEC mal escrito", "Ha ocurrido el Siguiente Error (-2147217900) "},
    };
    for (const auto& [sentencia, aviso] : casos) {
        ScriptedOperator op;
        op.answerMsgBox(vb::vbAbort, [&](const Shown& s) {
            EXPECT_TRUE(s.prompt.startsWith(aviso)) << s.prompt.toStdString();
            EXPECT_TRUE(s.title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 ")) << s.title.toStdString();
        });
        QString sql = QString::fromUtf8(sentencia);
        ado::Recordset rs;
        db().AbrirRecordset(sql, rs);
        EXPECT_EQ(rs.State(), ado::adStateClosed);
        EXPECT_TRUE(op.allAnswered());
        EXPECT_EQ(db().gCnn->Execute("SELECT * FROM sesion").State(), ado::adStateOpen) << sentencia;
    }
}

TEST_F(DbDllConsultas, DatosTablaReadsOneColumn)
{
    base->exec("CREATE TABLE T (Codigo VARCHAR(10), Numero INTEGER, Fecha VARCHAR(10), Nombre VARCHAR(20))");
    base->exec("INSERT INTO T VALUES (' A1 ', 12, '2024-05-01', 'uno'), ('B''2', 7, '2024-06-01', NULL)");
    struct Caso {
        const char* valor;
        const char* campo;
        vb::Variant tipo;
        const char* condicion;
        bool usaTrim;
        const char* resultado;
    };
    const Caso casos[] = {
        {"A1", "Codigo", 8, "", true, "uno"},
        {"A1", "Codigo", 8, "", false, ""},
        {" A1 ", "Codigo", 8, "", false, "uno"},
        {"A1", "Codigo", 8, "Numero = 12", true, "uno"},
        {"A1", "Codigo", 8, "Numero = 13", true, ""},
        {"B'2", "Codigo", 8, "", true, ""}, // Null reads as ""
        {"12,5", "Numero", 3, "", true, "uno"},
        {"12,5", "Numero", 4, "Codigo = ' A1 '", true, "uno"},
        {" 2024-05-01 ", "Fecha", 7, "", true, "uno"},
        {"7", "Numero", vb::Variant(), "", true, ""},
        {"Numero", "Numero", 0, "Numero = 12", true, "uno"},
        {"nadie", "Codigo", 8, "", true, ""},
    };
    for (const Caso& c : casos) {
        const vb::Variant r = db().DatosTabla("T", QString::fromUtf8(c.valor), "Nombre", QString::fromUtf8(c.campo),
                                              c.tipo, QString::fromUtf8(c.condicion), c.usaTrim);
        ASSERT_EQ(r.type(), vb::Variant::Type::String) << c.valor;
        EXPECT_EQ(r.toString().toStdString(), c.resultado) << c.valor << " " << c.campo;
    }
    EXPECT_EQ(db().DatosTabla("T", "7", "Codigo", "Numero", 3).toString(), "B'2");
}

TEST_F(DbDllConsultas, DatosTablaOnAClosedConnectionAndOnErrors)
{
    base->exec("CREATE TABLE T (Codigo VARCHAR(10), Nombre VARCHAR(20))");
    base->exec("INSERT INTO T VALUES ('A', 'uno')");
    db().gOpenFlag = false;
    EXPECT_TRUE(db().DatosTabla("T", "A", "Nombre").isEmpty());
    db().gOpenFlag = true;

    ScriptedOperator op;
    // IgnoraError: nothing shown, "" at once.
    const vb::Variant ignorado = db().DatosTabla("T", "A", "NoExiste", "Codigo", 8, QString(), true, true);
    EXPECT_EQ(ignorado.type(), vb::Variant::Type::String);
    EXPECT_EQ(ignorado.toString(), "");
    op.answerMsgBox(vb::vbAbort, [](const Shown& s) {
        EXPECT_EQ(s.buttons, vb::vbAbortRetryIgnore + vb::vbCritical);
        EXPECT_EQ(s.title, "Aviso al Operador");
    });
    EXPECT_TRUE(db().DatosTabla("T", "A", "NoExiste").isEmpty());
}

TEST_F(DbDllConsultas, QConsultaAndQGridConsultaDoNothing)
{
    ScriptedDriver driver;
    DB_Dll d;
    d.QConsulta("T", vb::Variant(), "a", "b");
    d.QConsulta("T", 1, "a", "b", "c", "WHERE 1=1");
    d.QGridConsulta("SELECT 1", "a", "DSN=x");
    d.QGridConsulta("SELECT 1", "a", "DSN=x", "b", "c");
    EXPECT_TRUE(driver.calls().isEmpty());
}

} // namespace

// ---- value formatting and name functions ----

namespace {

TEST(DbDllFormato, TheTypeClassifiersAnswerForTheirCodesOnly)
{
    const DB_Dll db;
    const std::set<int> fechas{7, 133, 137, 134, 135, 64};
    const std::set<int> textos{8, 201, 203, 200, 202, 130, 129};
    const std::set<int> numeros{20, 14, 5, 3, 131, 4, 2, 16, 21, 19, 18, 17};
    for (int codigo = -1; codigo <= 300; ++codigo) {
        EXPECT_EQ(db.adodate(codigo), fechas.count(codigo) == 1) << codigo;
        EXPECT_EQ(db.ADOText(codigo), textos.count(codigo) == 1) << codigo;
        EXPECT_EQ(db.ADONumeric(codigo), numeros.count(codigo) == 1) << codigo;
        EXPECT_EQ(db.ADOCurrency(codigo), codigo == 6) << codigo;
        EXPECT_EQ(db.ADOBoolean(codigo), codigo == 11) << codigo;
        const bool comilla = fechas.count(codigo) == 1 || textos.count(codigo) == 1;
        EXPECT_EQ(db.ADOComilla(codigo), comilla ? "'" : "") << codigo;
    }
}

TEST(DbDllFormato, ATypeCodeMayComeAsNumericText)
{
    const DB_Dll db;
    struct Caso {
        vb::Variant tipo;
        bool fecha;
        const char* comilla;
    };
    const Caso casos[] = {
        {QStringLiteral("7"), true, "'"},    {QStringLiteral(" 135 "), true, "'"}, {7.0, true, "'"},
        {QStringLiteral("200"), false, "'"}, {QStringLiteral("3"), false, ""},     {7.5, false, ""},
        {QStringLiteral("abc"), false, ""},  {vb::Variant(), false, ""},           {vb::Variant::Null(), false, ""},
        {QStringLiteral(""), false, ""},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(db.adodate(c.tipo), c.fecha);
        EXPECT_EQ(db.ADOComilla(c.tipo).toStdString(), c.comilla);
    }
    EXPECT_TRUE(db.ADONumeric(QStringLiteral("131")));
    EXPECT_FALSE(db.ADONumeric(6));
    EXPECT_TRUE(db.ADOCurrency(QStringLiteral("6")));
    EXPECT_TRUE(db.ADOBoolean(11.0));
}

TEST(DbDllFormato, SQLValueWritesOneLiteral)
{
    const DB_Dll db;
    const vb::Date fecha = vb::Date::fromDate(QDate(2026, 12, 10));
    struct Caso {
        vb::Variant valor;
        std::optional<QString> tipo;
        QString resultado;
    };
    const Caso casos[] = {
        {12.5, QStringLiteral("@"), QStringLiteral("12.5")},
        {QStringLiteral("12,5"), QStringLiteral("@"), QStringLiteral("12.5")},
        {QStringLiteral("1.234,5"), QStringLiteral("@"), QStringLiteral("1234.5")},
        {QStringLiteral("abc"), QStringLiteral("@"), QStringLiteral("0")},
        {QStringLiteral(""), QStringLiteral("@"), QStringLiteral("0")},
        {-3, QStringLiteral("@"), QStringLiteral("-3")},
        {vb::Variant::Null(), QStringLiteral("@"), QStringLiteral("0")},
        {QStringLiteral("Ana"), std::nullopt, QStringLiteral("'Ana'")},
        // Apostrophes are doubled, so the value stays one literal.
        {QStringLiteral("O'Brien"), std::nullopt, QStringLiteral("'O''Brien'")},
        {QStringLiteral("x' OR '1'='1"), QStringLiteral("'"), QStringLiteral("'x'' OR ''1''=''1'")},
        {vb::Variant::Null(), std::nullopt, QStringLiteral("NULL")},
        {vb::Variant::Null(), QStringLiteral(""), QStringLiteral("NULL")},
        {7, QStringLiteral(""), QStringLiteral("7")},
        {12.5, QStringLiteral(""), QStringLiteral("12,5")},
        {12.5, std::nullopt, QStringLiteral("'12,5'")},
        {QStringLiteral("GETDATE()"), QStringLiteral("x"), QStringLiteral("GETDATE()")},
        {fecha, std::nullopt, QStringLiteral("'") + vb::CStr(fecha) + QStringLiteral("'")},
        {vb::Variant(), std::nullopt, QStringLiteral("''")},
    };
    for (const Caso& c : casos) {
        const vb::Variant r = c.tipo ? db.SQLValue(c.valor, *c.tipo) : db.SQLValue(c.valor);
        ASSERT_EQ(r.type(), vb::Variant::Type::String);
        EXPECT_EQ(r.toString(), c.resultado) << c.resultado.toStdString();
    }
}

TEST(DbDllFormato, SQLValueOfANumberBeyondCurrencyRaisesOverflow)
{
    const DB_Dll db;
    const vb::Variant demasiado[] = {1e15, -1e15, QStringLiteral("1000000000000000"),
                                     QStringLiteral("-922337203685478"), QStringLiteral("1e20")};
    for (const vb::Variant& valor : demasiado) {
        try {
            db.SQLValue(valor, QStringLiteral("@"));
            ADD_FAILURE() << valor.toString().toStdString() << " gave no error";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 6) << valor.toString().toStdString();
            EXPECT_EQ(e.Description(), QStringLiteral("Desbordamiento"));
        }
    }
    EXPECT_EQ(db.SQLValue(922337203685477.0, QStringLiteral("@")).toString(), "922337203685477");
    EXPECT_EQ(db.SQLValue(QStringLiteral("-922337203685477"), QStringLiteral("@")).toString(), "-922337203685477");
}

TEST(DbDllFormato, SQLValueOfADateKeepsItsYearAndSeconds)
{
    const DB_Dll db;
    const vb::Date dia = vb::Date::fromDate(QDate(2020, 1, 31));
    const vb::Date momento = vb::Date::fromDateTime(QDateTime(QDate(2020, 1, 31), QTime(14, 5, 9)));
    EXPECT_EQ(db.SQLValue(dia).toString(), "'31/1/2020'");
    EXPECT_EQ(db.SQLValue(momento).toString(), "'31/1/2020 14:05:09'");
    EXPECT_EQ(db.SQLValue(momento, QString()).toString(), "31/1/2020 14:05:09");
    EXPECT_EQ(db.SQLValue(vb::Date::fromDate(QDate(1920, 1, 31))).toString(), "'31/1/1920'");
}

TEST(DbDllFormato, TheNameFunctions)
{
    const DB_Dll db;
    using Funcion = QString (*)(const DB_Dll&, const QString&);
    struct Caso {
        const char* nombre;
        Funcion funcion;
        const char* entrada;
        const char* salida;
    };
    const Funcion add = [](const DB_Dll& d, const QString& s) { return d.AddBrackets(s); };
    const Funcion brackets = [](const DB_Dll& d, const QString& s) { return d.StripBrackets(s); };
    const Funcion connect = [](const DB_Dll& d, const QString& s) { return d.StripConnect(s); };
    const Funcion archivo = [](const DB_Dll& d, const QString& s) { return d.StripFileName(s); };
    const Funcion owner = [](const DB_Dll& d, const QString& s) { return d.StripOwner(QString(s)); };
    const Funcion parte1 = [](const DB_Dll& d, const QString& s) { return d.stSTF(QString(s), 1); };
    const Funcion parte0 = [](const DB_Dll& d, const QString& s) { return d.stSTF(QString(s), 0); };
    const Caso casos[] = {
        {"AddBrackets", add, "MI TABLA", "[MI TABLA]"},
        {"AddBrackets", add, "[MI TABLA]", "[MI TABLA]"},
        {"AddBrackets", add, "TABLA", "TABLA"},
        {"AddBrackets", add, "", ""},
        {"StripBrackets", brackets, "[MI TABLA]", "MI TABLA"},
        {"StripBrackets", brackets, "[ABC", "AB"},
        {"StripBrackets", brackets, "[]", ""},
        {"StripBrackets", brackets, "TABLA]", "TABLA]"},
        {"StripConnect", connect, "TABLA ->ORIGEN", "TABLA"},
        {"StripConnect", connect, "TABLA->ORIGEN", "TABL"},
        {"StripConnect", connect, "A->B", ""},
        {"StripConnect", connect, "TABLA", "TABLA"},
        {"StripFileName", archivo, "C:\\DATOS\\EMPRESA.MDB", "C:\\DATOS"},
        {"StripFileName", archivo, "\\EMPRESA.MDB", ""},
        {"StripFileName", archivo, "EMPRESA.MDB", ""},
        {"StripFileName", archivo, "", ""},
        {"StripFileName", archivo, "/datos/empresa.mdb", "/datos"},
        {"StripOwner", owner, "dbo.CLIENTES", "CLIENTES"},
        {"StripOwner", owner, "a.b.c", "b.c"},
        {"StripOwner", owner, "CLIENTES", "CLIENTES"},
        {"stSTF 1", parte1, "dbo.CLIENTES", "CLIENTES"},
        {"stSTF 0", parte0, "dbo.CLIENTES", "dbo"},
        {"stSTF 1", parte1, "CLIENTES", "CLIENTES"},
        {"stSTF 1", parte1, "base.dbo.CLIENTES", "dbo.CLIENTES"},
        {"stSTF 0", parte0, "base.dbo.CLIENTES", "dbo.CLIENTES"},
        {"stSTF 0", parte0, ".CLIENTES", ""},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(c.funcion(db, QString::fromUtf8(c.entrada)).toStdString(), c.salida) << c.nombre << " " << c.entrada;
}

TEST(DbDllFormato, StripOwnerAndStSTFWriteBackTheShortenedName)
{
    const DB_Dll db;
    QString nombre = QStringLiteral("dbo.CLIENTES");
    EXPECT_EQ(db.StripOwner(nombre), "CLIENTES");
    EXPECT_EQ(nombre, "CLIENTES");
    QString largo = QStringLiteral("base.dbo.CLIENTES");
    EXPECT_EQ(db.stSTF(largo, 7), "dbo.CLIENTES");
    EXPECT_EQ(largo, "dbo.CLIENTES");
    QString corto = QStringLiteral("dbo.CLIENTES");
    EXPECT_EQ(db.stSTF(corto, 0), "dbo");
    EXPECT_EQ(corto, "dbo.CLIENTES");
}

TEST(DbDllFormato, AnInvalidCutRaisesTheInvalidArgumentError)
{
    const DB_Dll db;
    auto numero = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const vb::Error& e) {
            return e.Number();
        }
        return 0L;
    };
    EXPECT_EQ(numero([&] { db.StripBrackets(QStringLiteral("[")); }), 5);
    EXPECT_EQ(numero([&] { db.StripConnect(QStringLiteral("->ORIGEN")); }), 5);
    EXPECT_EQ(numero([&] { db.stSTF(QStringLiteral("CLIENTES"), 0); }), 5);
}

} // namespace

// ---- schema checks ----

namespace {

class DbDllEsquema : public DbDllConexion {
protected:
    static DB_Dll& db() { return ModGlobal::gDB(); }
    static QStringList columnasDe(const QString& tabla)
    {
        ado::Recordset columnas = db().gCnn->OpenSchema(ado::adSchemaColumns, {{}, {}, tabla, {}});
        QStringList nombres;
        for (; !columnas.Eof(); columnas.MoveNext())
            nombres << columnas.Fields("COLUMN_NAME").Value().toString().toLower();
        return nombres;
    }
};

TEST_F(DbDllEsquema, AddFieldBuildsItsStatement)
{
    struct Caso {
        const char* tabla;
        const char* campo;
        const char* tipo;
        bool nulos;
        std::optional<vb::Variant> porDefecto;
        const char* sentencia;
    };
    const Caso casos[] = {
        {"CLIENTES", "EMAIL", "varchar(60)", true, std::nullopt,
         "ALTER TABLE dbo.CLIENTES ADD EMAIL varchar(60) Null "},
        {"CLIENTES", "SALDO", "money", false, 0,
         "ALTER TABLE dbo.CLIENTES ADD SALDO money Not Null  CONSTRAINT DF_CLIENTES_SALDO DEFAULT (0)"},
        {" CLIENTES ", " SALDO ", "money", false, 0.5,
         "ALTER TABLE dbo. CLIENTES  ADD  SALDO  money Not Null  CONSTRAINT DF_CLIENTES_SALDO DEFAULT (0.5)"},
        {"CLIENTES", "ESTADO", "varchar(10)", true, QStringLiteral("'SIN DATOS'"),
         "ALTER TABLE dbo.CLIENTES ADD ESTADO varchar(10) Null  CONSTRAINT DF_CLIENTES_ESTADO DEFAULT ('SIN DATOS')"},
        {"CLIENTES", "ESTADO", "varchar(10)", true, vb::Variant::Null(),
         "ALTER TABLE dbo.CLIENTES ADD ESTADO varchar(10) Null  CONSTRAINT DF_CLIENTES_ESTADO DEFAULT ()"},
        {"CLIENTES", "EMAIL", "", false, std::nullopt, "ALTER TABLE dbo.CLIENTES ADD EMAIL  Not Null "},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        ModGlobal::gDB() = DB_Dll();
        db().gCnn->Open(kSqlServer);
        db().AddField(QString::fromUtf8(c.tabla), QString::fromUtf8(c.campo), QString::fromUtf8(c.tipo), c.nulos,
                      c.porDefecto);
        EXPECT_EQ(driver.calls().last().toStdString(), std::string("execute ") + c.sentencia);
    }
}

TEST_F(DbDllEsquema, ARejectedAddFieldIsOnlyKeptInTheErrors)
{
    ScriptedDriver driver;
    driver.failWhen("ALTER TABLE", {{"42000", 173, "The definition for column 'EMAIL' must include a data type."}});
    db().gCnn->Open(kSqlServer);
    ScriptedOperator op;
    db().AddField("CLIENTES", "EMAIL", "", false);
    ASSERT_EQ(db().gCnn->Errors().Count(), 1);
    EXPECT_EQ(db().gCnn->Errors()(0).NativeError(), 173);
}

TEST_F(DbDllEsquema, TheExistenceTestsReadTheSchema)
{
    if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    TestDatabase base(Engine::SQLite);
    base.exec("CREATE TABLE CLIENTES (CODIGO INTEGER, NOMBRE VARCHAR(20))");
    base.exec("CREATE VIEW V_CLIENTES AS SELECT * FROM CLIENTES");
    base.exec("CREATE TABLE TAXUSUARIOS (CLAVE VARCHAR(10))");
    base.exec("CREATE TABLE TA_USUARIOS (NOMBRE VARCHAR(10))");
    db().gCnn->Open(base.connectionString());
    struct Caso {
        const char* tabla;
        const char* campo;
        bool tabla_existe;
        bool campo_existe;
    };
    const Caso casos[] = {
        {"CLIENTES", "CODIGO", true, true},
        {" CLIENTES ", " nombre ", true, true},
        {"CLIENTES", "EMAIL", true, false},
        {"V_CLIENTES", "NOMBRE", true, true},
        {"NO_EXISTE", "CODIGO", false, false},
        {"CLIENTE", "CODIGO", false, false},
        {"TA_USUARIOS", "NOMBRE", true, true},
        // "_" is no wildcard: the column of TAXUSUARIOS is not one of TA_USUARIOS.
        {"TA_USUARIOS", "CLAVE", true, false},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(db().ExisteTablaDB(QString::fromUtf8(c.tabla)), c.tabla_existe) << c.tabla;
        EXPECT_EQ(db().ExisteCampoDB(QString::fromUtf8(c.tabla), QString::fromUtf8(c.campo)), c.campo_existe)
            << c.tabla << "." << c.campo;
    }
}

TEST_F(DbDllEsquema, OnOracleEveryColumnExists)
{
    if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    TestDatabase base(Engine::SQLite);
    base.exec("CREATE TABLE CLIENTES (CODIGO INTEGER)");
    DB_Dll otra;
    otra.gCnn->Open(base.connectionString());
    db().gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
    // Not asked at all: even a closed connection answers.
    EXPECT_TRUE(db().ExisteCampoDB("CUALQUIERA", "NADA"));
    EXPECT_TRUE(otra.ExisteCampoDB("CLIENTES", "EMAIL"));
    EXPECT_TRUE(otra.VerCampoDB("CLIENTES", "EMAIL", true, "varchar(60)", true));
    db().gProveedor = QStringLiteral("SQLOLEDB");
    EXPECT_FALSE(otra.ExisteCampoDB("CLIENTES", "EMAIL"));
}

TEST_F(DbDllEsquema, AFailingSchemaQueryIsReportedByTheMainInstance)
{
    QTemporaryDir otraCarpeta;
    db().setArchivoErrores(otraCarpeta.filePath("principal.log"));
    DB_Dll cerrada;
    ScriptedOperator op;
    auto aviso = [](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Ha ocurrido el Siguiente Error (3709) ")) << s.prompt.toStdString();
        EXPECT_EQ(s.title, "ADODB.Connection - VerificaCampos Aviso al operador!!! - 5 ");
        EXPECT_EQ(s.buttons, vb::vbAbortRetryIgnore + vb::vbCritical);
    };
    op.answerMsgBox(vb::vbAbort, aviso).answerMsgBox(vb::vbIgnore, aviso);
    EXPECT_FALSE(cerrada.ExisteTablaDB("CLIENTES"));
    // Ignore goes on to the walk, which fails on the closed record set and is asked about too.
    op.answerMsgBox(vb::vbAbort);
    EXPECT_FALSE(cerrada.ExisteCampoDB("CLIENTES", "CODIGO"));
    EXPECT_TRUE(op.allAnswered());
    // The lines go to the main instance's log.
    QFile log(otraCarpeta.filePath("principal.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(log.readAll()).count("Rutina: - VerificaCampos"), 3);
}

TEST_F(DbDllEsquema, RetryAsksTheSchemaAgain)
{
    if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    TestDatabase base(Engine::SQLite);
    base.exec("CREATE TABLE CLIENTES (CODIGO INTEGER)");
    DB_Dll otra;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbRetry, [&](const Shown&) { otra.gCnn->Open(base.connectionString()); });
    EXPECT_TRUE(otra.ExisteCampoDB("CLIENTES", "CODIGO"));
}

// On a real server: the columns are added by the server itself, with their defaults.
class DbDllEsquemaPostgres : public DbDllEsquema {
protected:
    void SetUp() override
    {
        DbDllEsquema::SetUp();
        if (const QString why = TestDatabase::unavailable(Engine::PostgreSQL); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        base = std::make_unique<TestDatabase>(Engine::PostgreSQL);
        // dbo first, as the default schema of a SQL Server database, where the schema queries look.
        base->exec("CREATE SCHEMA dbo");
        base->exec(QStringLiteral("ALTER DATABASE %1 SET search_path = dbo, public").arg(base->name()));
        base->exec("CREATE TABLE dbo.clientes (codigo INTEGER)");
        base->exec("INSERT INTO dbo.clientes VALUES (1), (2)");
        db().gDBName = base->name();
        db().gCnn->Open(base->connectionString());
    }
    void TearDown() override
    {
        DbDllEsquema::TearDown();
        base.reset();
    }

    std::unique_ptr<TestDatabase> base;
};

TEST_F(DbDllEsquemaPostgres, VerCampoDBAddsAMissingColumnOnce)
{
    ScriptedOperator op;
    EXPECT_TRUE(db().VerCampoDB("clientes", "email", true, "varchar(60)", true));
    EXPECT_TRUE(db().ExisteCampoDB("clientes", "email"));
    EXPECT_TRUE(db().VerCampoDB("clientes", "saldo", true, "numeric(12,2)", false, 0.5));
    const ado::ResultSet filas = base->exec("SELECT saldo, email FROM dbo.clientes ORDER BY codigo");
    ASSERT_EQ(filas.rows.size(), 2u);
    EXPECT_EQ(filas.rows[0][0].toDouble(), 0.5);
    EXPECT_TRUE(filas.rows[1][1].isNull());
    EXPECT_TRUE(db().VerCampoDB("clientes", "estado", true, "varchar(10)", false, QStringLiteral("'SIN DATOS'")));
    EXPECT_EQ(base->exec("SELECT estado FROM dbo.clientes").rows.at(0).at(0).toString(), "SIN DATOS");
    EXPECT_EQ(db().gCnn->Errors().Count(), 0);
    // Already there: nothing is run, so nothing can fail.
    EXPECT_TRUE(db().VerCampoDB("clientes", "email", true, "int", false));
    EXPECT_EQ(db().gCnn->Errors().Count(), 0);
    EXPECT_EQ(columnasDe("clientes"), QStringList({"codigo", "email", "saldo", "estado"}));
}

TEST_F(DbDllEsquemaPostgres, VerCampoDBAnswersTrueWhateverHappens)
{
    ScriptedOperator op;
    // No such table: nothing added.
    EXPECT_TRUE(db().VerCampoDB("no_existe", "email", true, "varchar(60)", true));
    // Only a check.
    EXPECT_TRUE(db().VerCampoDB("clientes", "email", false, "varchar(60)", true));
    EXPECT_EQ(db().gCnn->Errors().Count(), 0);
    // No type, or a text default without apostrophes: the server rejects it, nothing is reported.
    EXPECT_TRUE(db().VerCampoDB("clientes", "email"));
    EXPECT_GT(db().gCnn->Errors().Count(), 0);
    db().gCnn->Errors().Clear();
    EXPECT_TRUE(db().VerCampoDB("clientes", "estado", true, "varchar(10)", true, QStringLiteral("SIN DATOS")));
    EXPECT_GT(db().gCnn->Errors().Count(), 0);
    EXPECT_EQ(columnasDe("clientes"), QStringList({"codigo"}));
}

TEST_F(DbDllEsquemaPostgres, ExisteCampoDBLooksOnlyInItsOwnDatabase)
{
    EXPECT_TRUE(db().ExisteCampoDB("clientes", "codigo"));
    db().gDBName = QStringLiteral("otra_base");
    EXPECT_FALSE(db().ExisteCampoDB("clientes", "codigo"));
    db().gDBName = QStringLiteral("  ");
    EXPECT_TRUE(db().ExisteCampoDB("clientes", "codigo"));
    EXPECT_TRUE(db().ExisteTablaDB(" CLIENTES "));
}

} // namespace
