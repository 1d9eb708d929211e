#include "global/ast.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Strings.h"
#include "support/ScriptedDriver.h"
#include "support/TestDatabase.h"

#include "EntornoGlobal.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTime>
#include <gtest/gtest.h>
#include <memory>

using kembtest::Engine;
using kembtest::Shown;
using kembtest::TestDatabase;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

class Script : public kembtest::EntornoGlobal {
protected:
    void SetUp() override
    {
        EntornoGlobal::SetUp();
        ClsSistema::setAbridor([this](const QString& ruta) {
            abiertos << ruta;
            return true;
        });
    }
    void TearDown() override
    {
        ClsSistema::setAbridor({});
        EntornoGlobal::TearDown();
        base.reset();
    }
    // Opens gDB on a fresh database of the engine; false (and the test skipped) when it cannot run here.
    bool usar(Engine engine)
    {
        if (const QString why = TestDatabase::unavailable(engine); !why.isEmpty()) {
            skipped = why;
            return false;
        }
        base = std::make_unique<TestDatabase>(engine);
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open(base->connectionString());
        db.gDBName = QStringLiteral("ventas");
        db.gOpenFlag = true;
        return true;
    }
    QString escribir(const QByteArray& contenido, const QString& nombre = QStringLiteral("script.sql"))
    {
        const QString ruta = programa.path() + "/" + nombre;
        kembtest::escribirArchivo(ruta, contenido);
        return ruta;
    }
    // "SET NOCOUNT ON" belongs to SQL Server: the test servers refuse it, and the runner says so.
    void aceptarSinCuenta()
    {
        operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
            EXPECT_EQ(s.buttons, vb::vbOKOnly);
            EXPECT_FALSE(s.prompt.isEmpty());
        });
    }
    QStringList archivosError() const { return QDir(temp.path()).entryList({"Script*.TXT"}, QDir::Files); }
    QString errores() const
    {
        const QStringList archivos = archivosError();
        return archivos.size() == 1 ? vb::fromAnsi(kembtest::leerArchivo(temp.path() + "/" + archivos[0]))
                                    : QStringLiteral("<%1 error files>").arg(archivos.size());
    }
    QStringList columna(const QString& sql)
    {
        QStringList out;
        for (const auto& fila : base->exec(sql).rows)
            out << (fila[0].isNull() ? QStringLiteral("NULL") : fila[0].toString());
        return out;
    }
    void ejecutar(const QString& ruta, bool inmediato = false, const QString& filtro = QString())
    {
        ast::Ejecutar(ruta, nullptr, filtro, permitido, inmediato);
    }

    std::unique_ptr<TestDatabase> base;
    QString skipped;
    QStringList abiertos;
    bool permitido = false;
};

#define USAR(engine)                                                                                                   \
    if (!usar(engine))                                                                                                 \
    GTEST_SKIP() << skipped.toStdString()

} // namespace

TEST_F(Script, BatchesEndAtGoOrSlashAndTheLastNeedsNoSeparator)
{
    USAR(Engine::SQLite);
    const QString ruta = escribir(kBom + "CREATE TABLE t (n INTEGER, texto VARCHAR(40))\r\n"
                                         "GO\r\n"
                                         "\r\n"
                                         "-- a comment line\r\n"
                                         "   -- another one\r\n"
                                         "INSERT INTO t VALUES (1, 'Descripci\xC3\xB3n')\r\n"
                                         "  /  \r\n"
                                         "INSERT INTO t\n"
                                         "VALUES (2, '<DATABASE>')\r");
    aceptarSinCuenta();
    const QTime antes = QTime::currentTime();
    ejecutar(ruta);
    const QTime despues = QTime::currentTime();
    EXPECT_EQ(columna("SELECT texto FROM t ORDER BY n"), QStringList({"Descripción", "VENTAS"}));
    EXPECT_EQ(archivosError().size(), 1u);
    EXPECT_EQ(errores(), "") << "the error file is made even when nothing fails";
    EXPECT_TRUE(abiertos.isEmpty());
    // Named by the start time's hour, minute and second, each without a leading zero.
    QStringList nombres;
    for (QTime t = antes; t.secsTo(despues) >= 0 && nombres.size() < 120; t = t.addSecs(1))
        nombres << QStringLiteral("Script") + t.toString(QStringLiteral("Hms")) + QStringLiteral(".TXT");
    EXPECT_TRUE(nombres.contains(archivosError().value(0))) << archivosError().value(0).toStdString();
}

TEST_F(Script, PlaceholdersTakeTodaysDatesAndTheDatabaseName)
{
    USAR(Engine::SQLite);
    base->exec("CREATE TABLE f (clave VARCHAR(10), valor VARCHAR(40))");
    const QString ruta = escribir("INSERT INTO f VALUES ('hoy', '<DATE>')\r\nGO\r\n"
                                  "INSERT INTO f VALUES ('ahora', '<NOW>')\r\nGO\r\n"
                                  "INSERT INTO f VALUES ('mas', '<DATE+YEAR>')\r\nGO\r\n"
                                  "INSERT INTO f VALUES ('menos', '<DATE-YEAR>')\r\nGO\r\n"
                                  "INSERT INTO f VALUES ('base', '<DATABASE>-<date>')\r\nGO\r\n");
    aceptarSinCuenta();
    ejecutar(ruta);
    const QDate hoy = QDate::currentDate();
    auto valor = [&](const char* clave) {
        return columna(QStringLiteral("SELECT valor FROM f WHERE clave = '%1'").arg(clave)).value(0);
    };
    EXPECT_EQ(valor("hoy"), vb::CStr(vb::Date::fromDate(hoy)));
    EXPECT_EQ(valor("mas"), vb::CStr(vb::Date::fromDate(hoy.addYears(1))));
    EXPECT_EQ(valor("menos"), vb::CStr(vb::Date::fromDate(hoy.addYears(-1))));
    EXPECT_TRUE(valor("ahora").startsWith(vb::CStr(vb::Date::fromDate(hoy)) + " ")) << valor("ahora").toStdString();
    EXPECT_EQ(valor("base"), "VENTAS-<date>") << "placeholders are replaced with exact case";
}

// A statement that runs only on a later pass gets its placeholders filled there, and a "<" that begins no
// placeholder is left alone.
TEST_F(Script, PlaceholdersAreFilledOnTheLaterPassesToo)
{
    USAR(Engine::PostgreSQL);
    base->exec("CREATE TABLE f (valor VARCHAR(60))");
    const QString ruta = escribir("INSERT INTO f SELECT '<DATE>|<DATABASE>' FROM t_tarde WHERE 1 < 2\r\nGO\r\n"
                                  "CREATE TABLE t_tarde (n INTEGER)\r\nGO\r\n"
                                  "INSERT INTO t_tarde VALUES (1)\r\nGO\r\n");
    aceptarSinCuenta();
    ejecutar(ruta);
    EXPECT_EQ(columna("SELECT valor FROM f"),
              QStringList({vb::CStr(vb::Date::fromDate(QDate::currentDate())) + "|VENTAS"}));
    EXPECT_EQ(errores(), "");
}

TEST_F(Script, ALowerCaseGoInBatchModeIsPartOfTheStatementAndItsFailureIsRecorded)
{
    USAR(Engine::SQLite);
    base->exec("CREATE TABLE t (n INTEGER)");
    const QString ruta = escribir("INSERT INTO t VALUES (1)\r\ngo\r\nINSERT INTO t VALUES (2)\r\nGO\r\n");
    aceptarSinCuenta();
    QString archivo;
    operador.answerMsgBox(vb::vbOK, [&](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Se detectaron errores, consulte el archivo " + temp.path()));
        archivo = s.prompt.mid(QStringLiteral("Se detectaron errores, consulte el archivo ").size());
    });
    ejecutar(ruta);
    EXPECT_EQ(columna("SELECT n FROM t"), QStringList()) << "the whole first batch failed";
    EXPECT_EQ(abiertos, QStringList({archivo}));
    const QStringList lineas = errores().split("\r\n");
    ASSERT_GE(lineas.size(), 9) << errores().toStdString();
    const QString asteriscos(112, '*');
    EXPECT_EQ(lineas[0], asteriscos);
    EXPECT_TRUE(lineas[1].startsWith(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat) + " - "));
    EXPECT_TRUE(lineas[2].startsWith("  Error ")) << lineas[2].toStdString();
    EXPECT_EQ(lineas[3], asteriscos);
    EXPECT_EQ(lineas[4], "INSERT INTO t VALUES (1)");
    EXPECT_EQ(lineas[5], "go");
    EXPECT_EQ(lineas[6], "INSERT INTO t VALUES (2)");
    EXPECT_EQ(lineas[7], "");
    EXPECT_EQ(lineas[8], asteriscos);
}

TEST_F(Script, AStatementMadeBeforeItsObjectRunsOnTheNextPass)
{
    USAR(Engine::PostgreSQL);
    base->exec("CREATE TABLE pasadas (n INTEGER)");
    const QString ruta = escribir("CREATE VIEW v_total AS SELECT SUM(a) AS total FROM t_base\r\nGO\r\n"
                                  "INSERT INTO pasadas VALUES (1)\r\nGO\r\n"
                                  "CREATE TABLE t_base (a INTEGER)\r\nGO\r\n");
    aceptarSinCuenta();
    ejecutar(ruta);
    EXPECT_EQ(columna("SELECT COUNT(*) FROM pasadas"), QStringList({"2"}));
    EXPECT_EQ(columna("SELECT COUNT(*) FROM v_total"), QStringList({"1"}));
    EXPECT_EQ(errores(), "") << "neither the missing nor the existing object is an error";
    EXPECT_TRUE(abiertos.isEmpty());
}

TEST_F(Script, OnSQLiteAnInsertBeforeItsTableRunsOnTheNextPass)
{
    USAR(Engine::SQLite);
    const QString ruta = escribir("INSERT INTO t_tarde VALUES (1)\r\nGO\r\nCREATE TABLE t_tarde (n INTEGER)\r\nGO\r\n");
    aceptarSinCuenta();
    ejecutar(ruta);
    EXPECT_EQ(columna("SELECT n FROM t_tarde"), QStringList({"1"}));
    EXPECT_EQ(errores(), "") << "neither the missing nor the existing table is an error";
    EXPECT_TRUE(abiertos.isEmpty());
}

TEST_F(Script, AnObjectThatNeverAppearsStopsAfterTwentyPassesAndIsReported)
{
    USAR(Engine::PostgreSQL);
    base->exec("CREATE TABLE pasadas (n INTEGER)");
    const QString ruta = escribir("SELECT * FROM no_existe\r\nGO\r\nINSERT INTO pasadas VALUES (1)\r\n");
    aceptarSinCuenta();
    operador.answerMsgBox(vb::vbOK);
    ejecutar(ruta);
    EXPECT_EQ(columna("SELECT COUNT(*) FROM pasadas"), QStringList({"20"}));
    EXPECT_EQ(errores().count(QString(112, '*')), 3) << "recorded once, after the last pass";
    EXPECT_TRUE(errores().contains("SELECT * FROM no_existe"));
    EXPECT_EQ(abiertos.size(), 1);
}

TEST_F(Script, LaterPassesSkipDropsAndTheFirstSkipsTheStatisticsFormat)
{
    USAR(Engine::PostgreSQL);
    base->exec("CREATE TABLE registro (que VARCHAR(30))");
    base->exec("CREATE TABLE borrable (n INTEGER)");
    const QString ruta = escribir("INSERT INTO registro VALUES ('FMT_ESTADISTICAFH')\r\nGO\r\n"
                                  "INSERT INTO registro VALUES ('drop ')\r\nGO\r\n"
                                  "CREATE VIEW v AS SELECT * FROM mas_tarde\r\nGO\r\n"
                                  "CREATE TABLE mas_tarde (n INTEGER)\r\nGO\r\n");
    aceptarSinCuenta();
    ejecutar(ruta);
    EXPECT_EQ(columna("SELECT que FROM registro ORDER BY que"), QStringList({"FMT_ESTADISTICAFH", "drop "}));
    EXPECT_EQ(errores(), "");
}

TEST_F(Script, AFilterRunsOnlyTheStatementsThatHoldIt)
{
    USAR(Engine::SQLite);
    base->exec("CREATE TABLE t (n INTEGER)");
    const QString ruta = escribir("INSERT INTO t VALUES (1) -- A\r\nGO\r\nINSERT INTO t VALUES (2) -- B\r\nGO\r\n");
    aceptarSinCuenta();
    ejecutar(ruta, false, "-- B");
    EXPECT_EQ(columna("SELECT n FROM t"), QStringList({"2"}));
}

TEST_F(Script, LowerCaseDropsNeedTheAccessCode)
{
    USAR(Engine::SQLite);
    const QByteArray script = "CREATE TABLE nueva (n INTEGER)\r\nGO\r\ndrop table vieja\r\nGO\r\n";
    base->exec("CREATE TABLE vieja (n INTEGER)");

    operador.answerInput("zeku@");
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "SE HA DETECTADO UN COMANDO DE ELIMINACION DE TABLA... NO ESTA PERMITIDO LA EJECUCION DE "
                            "ESTOS COMANDOS...\r\nOPERACION ABORTADA!!!");
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "ATENCION!");
    });
    ejecutar(escribir(script));
    const Shown pedido = operador.shown()[0];
    EXPECT_EQ(pedido.kind, Shown::Kind::InputBox);
    EXPECT_EQ(pedido.prompt, "Ingresa la Clave para permitir ejecutar este comando..\r\ndrop table vieja");
    EXPECT_EQ(pedido.title, "Atencion");
    EXPECT_FALSE(permitido);
    EXPECT_EQ(columna("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"), QStringList({"vieja"}))
        << "nothing of the script ran";

    operador.answerInput("ZEKU@");
    aceptarSinCuenta();
    ejecutar(escribir(script));
    EXPECT_TRUE(permitido);
    EXPECT_EQ(columna("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"), QStringList({"nueva"}));

    // Allowed once, the same variable lets later runs through without asking; upper case never asks.
    base->exec("CREATE TABLE vieja (n INTEGER)");
    aceptarSinCuenta();
    ejecutar(escribir("drop table vieja\r\n"));
    permitido = false;
    aceptarSinCuenta();
    ejecutar(escribir("DROP TABLE nueva\r\n"));
    EXPECT_EQ(columna("SELECT name FROM sqlite_master WHERE type = 'table'"), QStringList());
}

TEST_F(Script, TheAllowedTruncationsAndTempDropsNeedNoCode)
{
    USAR(Engine::SQLite);
    struct Caso {
        const char* linea;
        bool anotado; // SQLite has no TRUNCATE: that failure is written down; a missing table to drop is not
    };
    for (const auto& [linea, anotado] : {Caso{"truncate table x; TRUNCATE TABLE AC_VentasFormTStock", true},
                                         Caso{"truncate table x; TRUNCATE TABLE MA_CUENTAS_SALDOS", true},
                                         Caso{"drop table x; DROP TABLE #TTEmp", false}}) {
        aceptarSinCuenta();
        if (anotado)
            operador.answerMsgBox(vb::vbOK);
        ejecutar(escribir(linea));
        EXPECT_TRUE(operador.allAnswered()) << linea;
        for (const Shown& s : operador.shown())
            EXPECT_NE(s.kind, Shown::Kind::InputBox) << linea;
        QDir(temp.path()).removeRecursively();
        QDir().mkpath(temp.path());
    }
}

TEST_F(Script, ImmediateModeRunsAStatementAtEachIfNotExists)
{
    USAR(Engine::SQLite);
    base->exec("CREATE TABLE t (n INTEGER)");
    const QString ruta = escribir("INSERT INTO t\r\n"
                                  "SELECT 5\r\n"
                                  "go\r\n"
                                  "IF NOT EXISTS (SELECT 1) SELECT 1\r\n"
                                  "IF NOT EXISTS (SELECT 2) SELECT 2\r\n"
                                  "IF NOT EXISTS (SELECT 3) SELECT 3\r\n");
    operador.answerMsgBox(vb::vbYes, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Ocurrio el siguiente error ")) << s.prompt.toStdString();
        EXPECT_TRUE(s.prompt.endsWith("\r\n- De continuar los errores, desea seguir visualizandolos?"));
        EXPECT_EQ(s.buttons, vb::vbYesNo);
        EXPECT_EQ(s.title, "Atencion");
    });
    operador.answerMsgBox(vb::vbNo);
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.buttons, vb::vbOKOnly) << "the last statement's failure is always shown";
        EXPECT_FALSE(s.prompt.startsWith("Ocurrio"));
    });
    ejecutar(ruta, true);
    EXPECT_EQ(columna("SELECT n FROM t"), QStringList({"5"})) << "the lines of a statement keep a blank between them";
    EXPECT_EQ(errores(), "") << "immediate mode writes no error records";
    EXPECT_TRUE(abiertos.isEmpty());
}

TEST_F(Script, AScriptThatCannotBeReadGoesToTheReporter)
{
    USAR(Engine::SQLite);
    operador.answerMsgBox(vb::vbAbort, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Ha ocurrido el Siguiente Error (53) No se encontró el archivo");
        EXPECT_TRUE(s.title.endsWith(" - Ejecutar Aviso al operador!!! - 2 ")) << s.title.toStdString();
    });
    ejecutar(programa.path() + "/no_existe.sql");
    EXPECT_EQ(errores(), "");

    operador.answerMsgBox(vb::vbIgnore);
    aceptarSinCuenta();
    ejecutar(programa.path() + "/no_existe.sql");
    EXPECT_TRUE(operador.allAnswered());
}

TEST_F(Script, AnEmptyPathDoesNothing)
{
    ast::Ejecutar(QString(), nullptr, QString(), permitido, false);
    EXPECT_TRUE(archivosError().isEmpty());
}

TEST_F(Script, TheChartOfAccountsViewFollowsTheConfidentialitySetting)
{
    struct Caso {
        const char* archivo;
        const char* confidencialidad;
        bool restringida;
    };
    const Caso casos[] = {{"VISTAS.sql", "SI", true},
                          {"VISTAS.sql", "si", false},
                          {"VISTAS.sql", "NO", false},
                          {"COMPLETO.sql", "SI", false},
                          {"otro.sql", "SI", false}};
    for (const Caso& c : casos) {
        kembtest::ScriptedDriver driver;
        ado::ResultSet fila;
        fila.columns = {{"VALOR", 200, 10}, {"valoraux", 200, 10}};
        fila.rows = {{QString::fromUtf8(c.confidencialidad), QString()}};
        driver.answerWhen("SS_Confidencialidad", fila);
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open("PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;");
        db.gOpenFlag = true;
        db.gEsAdmin = true;
        ejecutar(escribir("CREATE VIEW dbo.SS_MA_CUENTAS AS SELECT CODIGO FROM MA_CUENTAS\r\nGO\r\n", c.archivo));
        const QStringList vistas = driver.calls().filter("SS_MA_CUENTAS");
        ASSERT_EQ(vistas.size(), 1) << c.archivo;
        QString esperada = "execute CREATE VIEW dbo.SS_MA_CUENTAS AS SELECT CODIGO FROM MA_CUENTAS\r\n";
        if (QString(c.archivo) != "otro.sql")
            esperada = c.restringida ? "execute CREATE VIEW dbo.SS_MA_CUENTAS  AS  SELECT MA_CUENTAS.*  FROM "
                                       "MA_CUENTAS_USUARIOS INNER JOIN  MA_CUENTAS ON   "
                                       "MA_CUENTAS_USUARIOS.Cuenta = MA_CUENTAS.CODIGO INNER   Join TA_USUARIOS "
                                       "ON  MA_CUENTAS_USUARIOS.GrupoUser = TA_USUARIOS.Grupo   Where "
                                       "(TA_USUARIOS.Nombre = SYSTEM_USER)"
                                     : "execute CREATE VIEW dbo.SS_MA_CUENTAS  AS  SELECT *  FROM MA_CUENTAS";
        EXPECT_EQ(vistas[0].toStdString(), esperada.toStdString()) << c.archivo << " " << c.confidencialidad;
        EXPECT_EQ(driver.calls().filter("SS_Confidencialidad").size(), QString(c.archivo) == "VISTAS.sql" ? 1 : 0);
        kembtest::reiniciarGlobal();
    }
}

TEST_F(Script, ProgressShowsOnTheWindowsStatusBox)
{
    USAR(Engine::SQLite);
    QWidget ventana;
    auto* caja = new QLabel(&ventana);
    caja->setObjectName("picStatus");
    caja->resize(300, 20);
    aceptarSinCuenta();
    ast::Ejecutar(escribir("CREATE TABLE t (n INTEGER)\r\n"), &ventana, QString(), permitido, false);
    EXPECT_FALSE(caja->pixmap().isNull());
}

// ---- progress box ----

namespace {

// The box painted for a value, as an image; every call paints on a fresh 200 × 20 box.
QImage pintar(float valor, bool terminado = false, const QString& texto = QStringLiteral("Cargando"))
{
    QLabel caja;
    caja.resize(200, 20);
    ast::PintarProgreso(caja, valor, 100, terminado, texto);
    return caja.pixmap().toImage();
}

QImage columnasDesde(const QImage& imagen, int x)
{
    return imagen.copy(x, 0, imagen.width() - x, imagen.height());
}

int contar(const QImage& imagen, int desde, int hasta, QRgb color)
{
    int n = 0;
    for (int y = 0; y < imagen.height(); ++y)
        for (int x = desde; x < hasta; ++x)
            n += imagen.pixel(x, y) == color ? 1 : 0;
    return n;
}

} // namespace

TEST(PintarProgreso, TheBarCoversItsShareAndInvertsTheCaption)
{
    const QImage imagen = pintar(50);
    const QRgb azul = qRgb(0, 0, 128);
    const QRgb blanco = qRgb(255, 255, 255);
    EXPECT_EQ(imagen.pixel(1, 1), azul);
    EXPECT_EQ(imagen.pixel(98, 18), azul);
    EXPECT_EQ(imagen.pixel(101, 1), blanco);
    EXPECT_EQ(imagen.pixel(198, 18), blanco);
    EXPECT_GT(contar(imagen, 0, 100, blanco), 0) << "the caption shows light on the bar";
    EXPECT_GT(contar(imagen, 100, 200, azul), 0) << "and dark beside it";
}

TEST(PintarProgreso, TheShownPerCentStaysWithinOneAndNinetyNineUntilFinished)
{
    // 0 reads "1%" like a value of 0.6 (rounded to 1): only the first column, where the bar starts, differs.
    EXPECT_EQ(columnasDesde(pintar(0), 1), columnasDesde(pintar(0.6f), 1));
    // 100 reads "99%" like 99: only the last two columns, covered by the full bar, differ.
    EXPECT_EQ(pintar(100).copy(0, 0, 198, 20), pintar(99).copy(0, 0, 198, 20));
    EXPECT_NE(pintar(100, true), pintar(100)) << "finished, it reads 100%";
    EXPECT_NE(pintar(50, false, "A"), pintar(50, false, "B"));
}

TEST(PintarProgreso, MinusOneKeepsTheLastValue)
{
    const QImage cuarenta = pintar(40, false, "Paso");
    EXPECT_EQ(pintar(-1, false, "Paso"), cuarenta);
    pintar(80);
    EXPECT_EQ(pintar(-1, false, "Paso"), pintar(80, false, "Paso"));
}

TEST(PintarProgreso, AZeroTotalIsADivisionByZero)
{
    QLabel caja;
    caja.resize(100, 20);
    try {
        ast::PintarProgreso(caja, 5, 0);
        FAIL() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), 11);
    }
}

TEST_F(Script, StatementsThatCannotReachTheServerAreReportedNotPassedOver)
{
    const QString ruta = escribir("CREATE TABLE t (n INTEGER)\r\nGO\r\n");
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) { EXPECT_TRUE(s.prompt.startsWith("Se detectaron errores")); });
    ejecutar(ruta);
    EXPECT_TRUE(errores().contains("  Error 3709 ")) << errores().toStdString();
    EXPECT_TRUE(errores().contains("CREATE TABLE t (n INTEGER)"));
    EXPECT_EQ(abiertos.size(), 1);
}

TEST_F(Script, ImmediateModeOnAClosedConnectionSaysSo)
{
    const QString ruta = escribir("CREATE TABLE t (n INTEGER)\r\nIF NOT EXISTS (SELECT 1) SELECT 1\r\n");
    operador.answerMsgBox(vb::vbNo, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Ocurrio el siguiente error No se puede usar la conexión"))
            << s.prompt.toStdString();
    });
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("No se puede usar la conexión")) << s.prompt.toStdString();
    });
    ejecutar(ruta, true);
}

// A failed statement is copied whole into the error file, a login's password included: the file is its
// owner's only.
TEST_F(Script, TheErrorFileIsReadableByItsOwnerOnly)
{
    const QString ruta = escribir("EXEC sp_addlogin N'ana', 'secreta', 'ventas'\r\nGO\r\n");
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) { EXPECT_TRUE(s.prompt.startsWith("Se detectaron errores")); });
    ejecutar(ruta);
    ASSERT_EQ(archivosError().size(), 1);
    ASSERT_TRUE(errores().contains("'secreta'"));
    EXPECT_EQ(QFile::permissions(temp.path() + "/" + archivosError()[0]) &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
