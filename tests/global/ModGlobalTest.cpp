#include "global/ModGlobal.h"

#include "database/DB_Dll.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedDriver.h"
#include "support/ScriptedOperator.h"
#include "support/WaitUntil.h"

#include "EntornoGlobal.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kembtest::ScriptedDriver;
using kembtest::ScriptedOperator;

namespace {

QByteArray randomBytes(qint64 n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (qint64 i = 0; i < n; ++i)
        b[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return b;
}

using kembtest::TempEnv;

void writeFile(const QString& path, const QByteArray& data)
{
    kembtest::escribirArchivo(path, data);
}

QByteArray readFile(const QString& path)
{
    return kembtest::leerArchivo(path);
}

} // namespace

TEST(ExisteArchivo, OnlyFilesThatCanBeReadCount)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/a b.txt", "x");
    EXPECT_TRUE(ModGlobal::ExisteArchivo(dir.path() + "/a b.txt"));
    EXPECT_TRUE(ModGlobal::ExisteArchivo("\"" + dir.path() + "/a b.txt\""));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(dir.path()));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(dir.path() + "/nada.txt"));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(""));
}

TEST(CopiarArchivo, CopiesEverySizeByteForByte)
{
    QTemporaryDir dir;
    for (qint64 size : {0LL, 1LL, 16384LL, 32768LL, 40000LL, 100000LL}) {
        const QByteArray data = randomBytes(size);
        writeFile(dir.path() + "/origen", data);
        EXPECT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/origen", dir.path() + "/destino")) << size;
        EXPECT_EQ(readFile(dir.path() + "/destino"), data) << size;
    }
}

TEST(CopiarArchivo, ALongerDestinationIsReplacedWhole)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/origen", "corto");
    writeFile(dir.path() + "/destino", QByteArray(50000, 'x'));
    EXPECT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/origen", dir.path() + "/destino"));
    EXPECT_EQ(readFile(dir.path() + "/destino"), QByteArray("corto"));
}

TEST(CopiarArchivo, AFileCopiedOntoItselfKeepsItsContent)
{
    QTemporaryDir dir;
    const QByteArray data = randomBytes(40000);
    writeFile(dir.path() + "/modulo.exe", data);
    ASSERT_TRUE(QDir().mkdir(dir.path() + "/sub"));
    EXPECT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/modulo.exe", dir.path() + "/sub/../modulo.exe"));
    EXPECT_TRUE(ModGlobal::CopiarArchivo("\"" + dir.path() + "/modulo.exe\"", dir.path() + "/modulo.exe"));
    EXPECT_EQ(readFile(dir.path() + "/modulo.exe"), data);
}

// A disk that fills up part way through the new module: a large copy, and a small one whose bytes all sit
// in the file's buffer until the end, when the short write was once taken for success.
TEST(CopiarArchivo, ACopyThatFailsMidwayLeavesTheOldDestinationAsItWas)
{
    struct Caso {
        int largo;
        rlim_t lugar;
    };
    for (const Caso caso : {Caso{40960, 12288}, Caso{5000, 1000}}) {
        SCOPED_TRACE(caso.largo);
        QTemporaryDir dir;
        const QString origen = dir.path() + "/descarga.exe";
        const QString destino = dir.path() + "/V_MV_VENTAS.EXE";
        const QByteArray viejo = randomBytes(caso.largo);
        const QByteArray nuevo = randomBytes(caso.largo);
        writeFile(origen, nuevo);
        writeFile(destino, viejo);
        const auto permisos = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup;
        ASSERT_TRUE(QFile::setPermissions(destino, permisos));
        {
            kembtest::FileSizeLimit limite(caso.lugar);
            EXPECT_FALSE(ModGlobal::CopiarArchivo(origen, destino));
        }
        EXPECT_EQ(readFile(destino), viejo);
        EXPECT_EQ(QFile::permissions(destino), permisos);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase),
                  QStringList({"descarga.exe", "V_MV_VENTAS.EXE"}))
            << "no half-written file is left beside it";

        // With room again the same copy replaces it whole and keeps its permissions.
        EXPECT_TRUE(ModGlobal::CopiarArchivo(origen, destino));
        EXPECT_EQ(readFile(destino), nuevo);
        EXPECT_EQ(QFile::permissions(destino), permisos);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }
}

TEST(CopiarArchivo, AMissingSourceCreatesNothing)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ModGlobal::CopiarArchivo(dir.path() + "/nada", dir.path() + "/destino"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/destino"));
}

TEST(CopiarArchivo, ASourceOfHalfAGibibyteOrMoreIsCopiedWhole)
{
    QTemporaryDir dir;
    const qint64 size = 512LL * 1024 * 1024 + 12345;
    {
        // Sparse: only the two ends hold data, so the fixture costs no disk.
        QFile f(dir.path() + "/grande");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("inicio");
        ASSERT_TRUE(f.resize(size));
        f.seek(size - 3);
        f.write("fin");
    }
    ASSERT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/grande", dir.path() + "/copia"));
    QFile copia(dir.path() + "/copia");
    ASSERT_TRUE(copia.open(QIODevice::ReadOnly));
    EXPECT_EQ(copia.size(), size);
    EXPECT_EQ(copia.read(6), QByteArray("inicio"));
    copia.seek(size - 3);
    EXPECT_EQ(copia.read(3), QByteArray("fin"));
}

TEST(AbrirArchivo, QuotesAPathWithBlanksOnly)
{
    QStringList abiertos;
    ClsSistema::setAbridor([&](const QString& a) {
        abiertos << a;
        return true;
    });
    ModGlobal::AbrirArchivo("/home/ana/Mis Datos/log.txt", true);
    ModGlobal::AbrirArchivo("/home/ana/log.txt", false);
    ModGlobal::AbrirArchivo("\"/home/ana/Mis Datos/log.txt\"", true);
    ClsSistema::setAbridor({});
    EXPECT_EQ(abiertos,
              QStringList({"\"/home/ana/Mis Datos/log.txt\"", "/home/ana/log.txt", "\"/home/ana/Mis Datos/log.txt\""}));
}

TEST(TratamientoErrores, ShowsTheMessageAndLogsTheAnswer)
{
    TempEnv temp;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort);
    const int r = ModGlobal::TratamientoErrores(
        vb::Error(3704, "  La operación no está permitida  ", "ADODB.Recordset"), std::nullopt, "Cfg");
    EXPECT_EQ(r, vb::vbAbort);
    ASSERT_EQ(op.msgBoxes().size(), 1u);
    const auto box = op.msgBoxes()[0];
    EXPECT_EQ(box.prompt, QString::fromUtf8("Ha ocurrido el Siguiente Error (3704) La operación no está permitida"));
    EXPECT_EQ(box.title, "ADODB.Recordset - Cfg Aviso al operador!!! - 2 ");
    EXPECT_EQ(box.buttons, vb::vbAbortRetryIgnore + vb::vbCritical);

    const QByteArray log = QFile(temp.path() + "/MQERR.LOG").exists() ? temp.log() : QByteArray();
    const QString line = vb::fromAnsi(log);
    static const QRegularExpression shape(QStringLiteral(
        "^(\\d\\d)-(\\d\\d)-(\\d{4}) \\d\\d:\\d\\d:\\d\\d Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error "
        "\\(3704\\) La operación no está permitida Respondió : Abortar\r\n$"));
    const auto m = shape.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    const QDate today = QDate::currentDate();
    EXPECT_EQ(m.captured(1).toInt(), today.month());
    EXPECT_EQ(m.captured(3).toInt(), today.year());
    EXPECT_TRUE(log.contains("Respondi\xf3 :")) << "the log is written in the ANSI code page";
}

TEST(TratamientoErrores, WithoutRoutineTheWordsMeetWithTwoBlanks)
{
    TempEnv temp;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbIgnore);
    EXPECT_EQ(ModGlobal::TratamientoErrores(vb::Error(-2147217900, "Sintaxis", "Proveedor")), vb::vbIgnore);
    EXPECT_EQ(op.msgBoxes()[0].prompt, "Ha ocurrido el Siguiente Error (-2147217900) Sintaxis");
    EXPECT_EQ(op.msgBoxes()[0].title, "Proveedor Aviso al operador!!! - 2 ");
    EXPECT_TRUE(vb::fromAnsi(temp.log()).contains(" Rutina:  Mensaje Ha ocurrido"));
    EXPECT_TRUE(vb::fromAnsi(temp.log()).endsWith(" Respondió : Ignorar\r\n"));
}

TEST(TratamientoErrores, NumberZeroShowsNothingAndWritesNoLine)
{
    TempEnv temp;
    ScriptedOperator op;
    EXPECT_EQ(ModGlobal::TratamientoErrores(vb::Error(0, "nada"), std::nullopt, "Cfg"), 0);
    EXPECT_TRUE(op.shown().empty());
    EXPECT_TRUE(QFile::exists(temp.path() + "/MQERR.LOG"));
    EXPECT_TRUE(temp.log().isEmpty());
}

TEST(TratamientoErrores, YesNoButtonsLogTheirWords)
{
    TempEnv temp;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbYes).answerMsgBox(vb::vbNo).answerMsgBox(vb::vbRetry).answerMsgBox(vb::vbCancel);
    for (int i = 0; i < 4; ++i)
        ModGlobal::TratamientoErrores(vb::Error(5, "x"), vb::vbYesNo + vb::vbQuestion, "MenuExes");
    EXPECT_EQ(op.msgBoxes()[0].buttons, vb::vbYesNo + vb::vbQuestion);
    const QStringList lines = vb::fromAnsi(temp.log()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith("Respondió : Sí"));
    EXPECT_TRUE(lines[1].endsWith("Respondió : No"));
    EXPECT_TRUE(lines[2].endsWith("Respondió : Reintentar"));
    EXPECT_TRUE(lines[3].endsWith("Respondió : Cancelar"));
}

TEST(TratamientoErrores, EmptyTempLogsInTheLibraryTemporaryFolder)
{
    const QByteArray old = qgetenv("TEMP");
    QTemporaryDir fallback;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TEMP", "   ");
    qputenv("TMPDIR", fallback.path().toLocal8Bit());
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort);
    ModGlobal::TratamientoErrores(vb::Error(9, "x"), std::nullopt, "Cfg");
    qputenv("TEMP", old);
    qputenv("TMPDIR", oldTmp);
    EXPECT_TRUE(readFile(fallback.path() + "/MQERR.LOG").contains("Rutina: - Cfg"));
}

TEST(TratamientoErrores, AnUnwritableLogLeavesTheAnswerUnchanged)
{
    TempEnv temp;
    qputenv("TEMP", (temp.path() + "/no/existe").toLocal8Bit());
    ScriptedOperator op;
    op.answerMsgBox(vb::vbRetry);
    EXPECT_EQ(ModGlobal::TratamientoErrores(vb::Error(9, "x")), vb::vbRetry);
}

// ---- configuration table ----

namespace {

class Configuracion : public kembtest::EntornoConBase {
protected:
    void SetUp() override
    {
        EntornoConBase::SetUp();
        if (IsSkipped())
            return;
        base->exec("INSERT INTO TA_CONFIGURACION VALUES ('TopConsArt', '200', 'aux', 'Consultas', 0)");
        base->exec("INSERT INTO TA_CONFIGURACION VALUES ('SinValor', NULL, NULL, NULL, 0)");
        base->exec("INSERT INTO TA_CONFIGURACION VALUES ('O''Brien', 'comilla', '', NULL, 0)");
    }
    // Every row of the configuration table, as "CLAVE|VALOR|ValorAux|Grupo|PoliticaNegocio".
    QStringList filas()
    {
        QStringList out;
        const ado::ResultSet r = base->exec("SELECT CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio FROM "
                                            "TA_CONFIGURACION ORDER BY CLAVE");
        for (const auto& fila : r.rows) {
            QStringList campos;
            for (const auto& v : fila)
                campos << (v.isNull() ? QStringLiteral("NULL") : v.toString());
            out << campos.join('|');
        }
        return out;
    }
};

} // namespace

TEST_F(Configuracion, CfgReadsValueAndAuxiliaryValue)
{
    struct Caso {
        const char* clave;
        const char* valor;
        const char* aux;
    };
    const Caso casos[] = {
        {"TopConsArt", "200", "aux"}, {"  TopConsArt  ", "200", "aux"},
        {"topconsart", "200", "aux"}, {"NoExiste", " ", ""},
        {"SinValor", "", ""},         {"O'Brien", "comilla", ""},
        {"x' OR '1'='1", " ", ""},
    };
    for (const Caso& c : casos) {
        QString aux = QStringLiteral("previo");
        EXPECT_EQ(ModGlobal::Cfg(c.clave, aux).toStdString(), c.valor) << c.clave;
        EXPECT_EQ(aux.toStdString(), c.aux) << c.clave;
    }
    EXPECT_EQ(ModGlobal::gTablaConfiguracion(), "TA_CONFIGURACION");
}

TEST_F(Configuracion, ABlankThemeReadsAsOne)
{
    EXPECT_EQ(ModGlobal::Cfg("THEME"), "1");
    EXPECT_EQ(ModGlobal::Cfg("theme"), "1");
    EXPECT_EQ(ModGlobal::Cfg(" THEME"), " ") << "only the key as passed is compared";
    base->exec("INSERT INTO TA_CONFIGURACION VALUES ('THEME', '  ', NULL, NULL, 0)");
    EXPECT_EQ(ModGlobal::Cfg("THEME"), "1");
    base->exec("UPDATE TA_CONFIGURACION SET VALOR = '3' WHERE CLAVE = 'THEME'");
    EXPECT_EQ(ModGlobal::Cfg("THEME"), "3");
}

TEST_F(Configuracion, CfgMQReadsTheStatisticsConnection)
{
    ModGlobal::gDB() = DB_Dll();
    QString aux;
    EXPECT_EQ(ModGlobal::CfgMQ("TopConsArt", aux), "200");
    EXPECT_EQ(aux, "aux");
    EXPECT_EQ(ModGlobal::Cfg("TopConsArt", aux), "") << "the main connection is closed";
}

TEST_F(Configuracion, ANamedTableIsReadInsteadOfTheDefault)
{
    base->exec("CREATE TABLE OTRA_CFG (CLAVE VARCHAR(50), VALOR VARCHAR(255), ValorAux VARCHAR(255))");
    base->exec("INSERT INTO OTRA_CFG VALUES ('TopConsArt', '7', NULL)");
    ModGlobal::gTablaConfiguracion() = "OTRA_CFG";
    EXPECT_EQ(ModGlobal::Cfg("TopConsArt"), "7");
}

TEST_F(Configuracion, AFailedReadAsksOnceAndGivesAnEmptyText)
{
    base->exec("DROP TABLE TA_CONFIGURACION");
    struct Caso {
        const char* clave;
        int respuesta;
        const char* resultado;
    };
    // Retry is not repeated: only Ignore goes on, and then a blank THEME still reads as "1".
    const Caso casos[] = {{"TopConsArt", vb::vbRetry, ""},
                          {"TopConsArt", vb::vbAbort, ""},
                          {"TopConsArt", vb::vbIgnore, ""},
                          {"THEME", vb::vbIgnore, "1"},
                          {"THEME", vb::vbAbort, ""}};
    for (const Caso& c : casos) {
        ScriptedOperator op;
        op.answerMsgBox(vb::vbAbort, [](const kembtest::Shown& s) {
            EXPECT_TRUE(s.title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 ")) << s.title.toStdString();
        });
        op.answerMsgBox(c.respuesta, [](const kembtest::Shown& s) {
            EXPECT_TRUE(s.prompt.startsWith("Ha ocurrido el Siguiente Error (3704)")) << s.prompt.toStdString();
            EXPECT_TRUE(s.title.endsWith(" - Cfg Aviso al operador!!! - 2 ")) << s.title.toStdString();
        });
        EXPECT_EQ(ModGlobal::Cfg(c.clave).toStdString(), c.resultado) << c.clave << " " << c.respuesta;
        EXPECT_TRUE(op.allAnswered());
    }
    EXPECT_TRUE(vb::fromAnsi(temp.log()).contains("Rutina: - Cfg Mensaje"));
}

TEST_F(Configuracion, CfgMQOnAClosedConnectionGoesThroughTheErrorPath)
{
    ModGlobal::gDBEstadisticas() = DB_Dll();
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort).answerMsgBox(vb::vbAbort, [](const kembtest::Shown& s) {
        EXPECT_TRUE(s.title.endsWith(" - CfgMQ Aviso al operador!!! - 2 ")) << s.title.toStdString();
    });
    EXPECT_EQ(ModGlobal::CfgMQ("TopConsArt"), "");
}

using ConfiguracionSinBase = kembtest::EntornoGlobal;

TEST_F(ConfiguracionSinBase, CfgWithTheMainConnectionClosedRunsNothing)
{
    ScriptedDriver driver;
    EXPECT_EQ(ModGlobal::Cfg("TopConsArt"), "");
    EXPECT_TRUE(driver.calls().isEmpty());
    EXPECT_TRUE(operador.shown().empty());
}

TEST_F(ConfiguracionSinBase, DateRangeKeysAreSentInUpperCase)
{
    ScriptedDriver driver;
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Open("PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;");
    db.gOpenFlag = true;
    ModGlobal::Cfg(" [fecha hasta] ");
    ModGlobal::Cfg("[Fecha Desde]");
    ModGlobal::Cfg("Otra'Clave");
    const QStringList calls = driver.calls().filter("execute ");
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0], "execute SELECT VALOR, VALORAUX FROM TA_CONFIGURACION WITH(NOLOCK)  WHERE CLAVE = "
                        "'[FECHA HASTA]'");
    EXPECT_EQ(calls[1], "execute SELECT VALOR, VALORAUX FROM TA_CONFIGURACION WITH(NOLOCK)  WHERE CLAVE = "
                        "'[FECHA DESDE]'");
    EXPECT_EQ(calls[2], "execute SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = "
                        "'Otra''Clave'");
}

TEST_F(Configuracion, GrabaCfgMQInsertsANewKeyTrimmedAndInUpperCase)
{
    ModGlobal::GrabaCfgMQ("  TimeOut ", 0, "", false, "BaseDeDatos", true);
    EXPECT_TRUE(filas().contains("TIMEOUT|0|NULL|BaseDeDatos|0")) << filas().join('\n').toStdString();
    EXPECT_EQ(ModGlobal::CfgMQ("TimeOut"), "0");
}

TEST_F(Configuracion, GrabaCfgMQChangesTheExistingRowOnly)
{
    ModGlobal::GrabaCfgMQ("TopConsArt", "  300  ", "", true, "Otro", false);
    ModGlobal::GrabaCfgMQ(" topconsart", " 400 ", " nuevo ", true, "Otro", true);
    const QStringList todas = filas();
    EXPECT_EQ(todas.size(), 3) << todas.join('\n').toStdString();
    EXPECT_TRUE(todas.contains("TOPCONSART|400|nuevo|Otro|1")) << todas.join('\n').toStdString();

    ModGlobal::GrabaCfgMQ("TOPCONSART", "  500  ", "", false, "Otro", false);
    EXPECT_TRUE(filas().contains("TOPCONSART|  500  |nuevo|Otro|0")) << "no trimming; an empty ValorAux is kept";
}

TEST_F(Configuracion, GrabaCfgMQWithTheTableNameBlankWritesTheDefaultTable)
{
    ModGlobal::GrabaCfgMQ("Nueva", "x", "", false, "G", true);
    EXPECT_TRUE(filas().contains("NUEVA|x|NULL|G|0"));
}

TEST_F(Configuracion, GrabaCfgMQOnAClosedConnectionChangesNothing)
{
    ModGlobal::gDBEstadisticas() = DB_Dll();
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort);
    ModGlobal::GrabaCfgMQ("Nueva", "x", "", false, "G", true);
    EXPECT_EQ(filas().size(), 3);
}

TEST_F(ConfiguracionSinBase, GrabaCfgMQWritesTheServersBooleanColumn)
{
    if (const QString why = kembtest::TestDatabase::unavailable(kembtest::Engine::PostgreSQL); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    kembtest::SqlServerDialect dialecto;
    kembtest::TestDatabase base(kembtest::Engine::PostgreSQL);
    base.exec("CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50), VALOR VARCHAR(255), ValorAux VARCHAR(255), "
              "Grupo VARCHAR(50), PoliticaNegocio BOOLEAN)");
    DB_Dll& db = ModGlobal::gDBEstadisticas();
    db.gCnn->Open(base.connectionString());
    db.gOpenFlag = true;
    auto filas = [&] {
        QStringList out;
        for (const auto& fila : base.exec("SELECT CLAVE, VALOR, CASE WHEN PoliticaNegocio THEN 'S' ELSE 'N' END "
                                          "FROM TA_CONFIGURACION")
                                    .rows)
            out << fila[0].toString() + '|' + fila[1].toString() + '|' + fila[2].toString();
        return out.join('\n').toStdString();
    };
    ModGlobal::GrabaCfgMQ("UsaConsultaLike", "SI", "", true, "Consultas", true);
    EXPECT_EQ(filas(), "USACONSULTALIKE|SI|S");
    ModGlobal::GrabaCfgMQ("UsaConsultaLike", "NO", "", false, "Consultas", true);
    EXPECT_EQ(filas(), "USACONSULTALIKE|NO|N");
    ModGlobal::gDBEstadisticas() = DB_Dll();
}

// ---- server name and server date ----

TEST(NombreServidor, TakesTheServerPartOfARegisteredServerText)
{
    const std::pair<const char*, const char*> casos[] = {
        {"PRINCIPAL/SRV2:1433", "SRV2"},
        {"SRV1:1433", "SRV1"},
        {"SRV1", "SRV1"},
        {"", ""},
        {"A/", ""},
        {"A/B/C:1", "B/C"},
    };
    for (const auto& [entrada, salida] : casos)
        EXPECT_EQ(ModGlobal::NombreServidor(entrada).toStdString(), salida) << entrada;
}

namespace {

class FechaDelServidor : public kembtest::EntornoGlobal {
protected:
    void SetUp() override
    {
        EntornoGlobal::SetUp();
        ModGlobal::gUsaFechaOperacion() = false;
    }
    void TearDown() override
    {
        ModGlobal::gUsaFechaOperacion() = false;
        EntornoGlobal::TearDown();
    }
    void abrir()
    {
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open("PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;");
        db.gOpenFlag = true;
    }
    // One column, and one row unless the value is Empty.
    static ado::ResultSet fila(const QString& columna, const vb::Variant& valor)
    {
        ado::ResultSet r;
        r.columns = {{columna, 200, 50}};
        if (!valor.isEmpty())
            r.rows = {{valor}};
        return r;
    }
    static ado::ResultSet filaConfiguracion(const char* valor)
    {
        ado::ResultSet r;
        r.columns = {{"VALOR", 200, 255}, {"valoraux", 200, 255}};
        if (valor)
            r.rows = {{QString::fromUtf8(valor), vb::Variant::Null()}};
        return r;
    }
    static bool cercaDeAhora(const vb::Date& fecha)
    {
        return std::abs(QDateTime(fecha.date(), fecha.time()).secsTo(QDateTime::currentDateTime())) <= 5;
    }
};

} // namespace

TEST_F(FechaDelServidor, TheServersTimeWinsOverTheLocalOneAndLosesItsFraction)
{
    ScriptedDriver driver;
    const QDateTime servidor(QDate(2031, 5, 6), QTime(7, 8, 9, 750));
    driver.answerWhen("getDate()", fila("fecha", vb::Date(vb::Date::fromDateTime(servidor).serial() + 0.25 / 86400)));
    abrir();
    const vb::Date fecha = ModGlobal::FechaServidor();
    EXPECT_EQ(fecha.date(), QDate(2031, 5, 6));
    EXPECT_EQ(fecha.time(), QTime(7, 8, 9));
    EXPECT_TRUE(driver.calls().contains("execute select getDate() as fecha"));
}

TEST_F(FechaDelServidor, WithoutAnAnswerTheOperationDateOrTheLocalClock)
{
    struct Caso {
        bool usaFechaOperacion;
        const char* fechaOperacion; // nullptr: the key is missing
        const char* esperada;       // nullptr: the local clock
    };
    const Caso casos[] = {
        {true, "15/03/2024", "2024-03-15"}, {true, "2024-03-16", "2024-03-16"}, {true, "no es fecha", nullptr},
        {true, nullptr, nullptr},           {false, "15/03/2024", nullptr},
    };
    for (const Caso& c : casos) {
        ScriptedDriver driver;
        driver.answerWhen("getDate()", fila("fecha", vb::Variant()));
        driver.answerWhen("FECHAOPERHASTA", filaConfiguracion(c.fechaOperacion));
        abrir();
        ModGlobal::gUsaFechaOperacion() = c.usaFechaOperacion;
        const vb::Date fecha = ModGlobal::FechaServidor();
        if (c.esperada)
            EXPECT_EQ(fecha.date(), QDate::fromString(c.esperada, Qt::ISODate)) << c.fechaOperacion;
        else
            EXPECT_TRUE(cercaDeAhora(fecha)) << (c.fechaOperacion ? c.fechaOperacion : "(missing)");
        EXPECT_EQ(driver.calls().filter("FECHAOPERHASTA").size(), c.usaFechaOperacion ? 1 : 0);
        kembtest::reiniciarGlobal();
    }
}

TEST_F(FechaDelServidor, AStatementThatCannotRunGivesTheLocalClockNotTheZeroDate)
{
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort, [](const kembtest::Shown& s) {
        EXPECT_TRUE(s.title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 ")) << s.title.toStdString();
    });
    EXPECT_TRUE(cercaDeAhora(ModGlobal::FechaServidor()));
}

// ---- module launcher ----

namespace {

// A module of the suite: a small program that writes its name, its arguments and the password it
// received in its environment into a file beside itself, then ends.
class Lanzador : public kembtest::EntornoGlobal {
protected:
    void SetUp() override
    {
        EntornoGlobal::SetUp();
        DB_Dll& db = ModGlobal::gDB();
        db.gServidor = "srv01:1433";
        db.gDBName = "ventas";
        db.gUsuario = "ana";
        db.gUserPassWord = "s3cr;et";
        ModGlobal::gUsuarioLogeado() = "ANA";
        ModGlobal::gCaja() = "3";
    }
    void TearDown() override
    {
        ModGlobal::gUsuarioLogeado().clear();
        ModGlobal::gCaja().clear();
        EntornoGlobal::TearDown();
    }
    static void crearModulo(const QString& ruta)
    {
        QDir().mkpath(QFileInfo(ruta).absolutePath());
        kembtest::escribirArchivo(ruta, "#!/bin/sh\n"
                                        "out=\"$(dirname \"$0\")/salida.txt\"\n"
                                        "printf '%s\\n%s\\n' \"$(basename \"$0\")\" \"$*\" > \"$out.tmp\"\n"
                                        "tr '\\0' ' ' < /proc/$$/cmdline >> \"$out.tmp\"\n"
                                        "mv \"$out.tmp\" \"$out\"\n");
        QFile::setPermissions(ruta, QFile::permissions(ruta) | QFile::ExeOwner);
    }
    // The module's record of its start: name, arguments, command line.
    static QStringList salida(const QString& carpeta)
    {
        const QString ruta = carpeta + "/salida.txt";
        if (!kembtest::waitUntil([&] { return QFile::exists(ruta); }))
            return {};
        return QString::fromUtf8(kembtest::leerArchivo(ruta)).split('\n');
    }
};

// The started modules read the password from the parameter string, so it travels there as they expect it.
const QString kArgumentos = "; @server=srv01:1433; @dbname=ventas; @usuario=ana; @Password=s3cr;et; "
                            "@ParametroAdicional=ALTA; zeku@ ; @UsuarioLogeado = ANA; @Caja=3;";

} // namespace

TEST_F(Lanzador, StartsTheModuleWithTheConnectionParameters)
{
    const QString otra = programa.path() + "/otra carpeta";
    crearModulo(programa.path() + "/Modulo.exe");
    crearModulo(programa.path() + "/MiShellTool");
    crearModulo(otra + "/Modulo.exe");
    struct Caso {
        QString ejecutable;
        QString carpeta;
        QString nombre;
    };
    const Caso casos[] = {
        {"Modulo.exe", programa.path(), "Modulo.exe"},         {"SHELL:Modulo.exe", programa.path(), "Modulo.exe"},
        {"shell:" + otra + "/Modulo.exe", otra, "Modulo.exe"}, {otra + "/Modulo.exe", otra, "Modulo.exe"},
        {"MiShellTool", programa.path(), "MiShellTool"},
    };
    for (const Caso& c : casos) {
        QFile::remove(c.carpeta + "/salida.txt");
        ScriptedOperator op;
        std::int64_t id = -1;
        ModGlobal::MenuExes(c.ejecutable, "ALTA", id);
        EXPECT_GT(id, 0) << c.ejecutable.toStdString();
        const QStringList s = salida(c.carpeta);
        ASSERT_EQ(s.size(), 3) << c.ejecutable.toStdString();
        EXPECT_EQ(s[0], c.nombre);
        EXPECT_EQ(s[1], kArgumentos);
        EXPECT_TRUE(op.shown().empty());
    }
}

TEST_F(Lanzador, AnEmptyUserAndRegisterStillNameTheirPieces)
{
    ModGlobal::gUsuarioLogeado().clear();
    ModGlobal::gCaja().clear();
    ModGlobal::gDB().gUserPassWord.clear();
    crearModulo(programa.path() + "/Modulo.exe");
    std::int64_t id = 0;
    ModGlobal::MenuExes("Modulo.exe", "", id);
    const QStringList s = salida(programa.path());
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[1], "; @server=srv01:1433; @dbname=ventas; @usuario=ana; @Password=; @ParametroAdicional=; zeku@ ; "
                    "@UsuarioLogeado = ; @Caja=;");
}

// Nothing in the parameter string is quoted or escaped, so the module must receive it exactly as built:
// a quote, two blanks or a tab in a value stay where they are, inside the one string the module reads.
TEST_F(Lanzador, TheParameterStringReachesTheModuleByteForByte)
{
    const QString modulo = programa.path() + "/Modulo.exe";
    const QString recibido = programa.path() + "/recibido.txt";
    const QString guion = "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + recibido + ".tmp'\n";
    kembtest::escribirArchivo(modulo, (guion + "mv '" + recibido + ".tmp' '" + recibido + "'\n").toUtf8());
    QFile::setPermissions(modulo, QFile::permissions(modulo) | QFile::ExeOwner);
    DB_Dll& db = ModGlobal::gDB();
    db.gDBName = "mi  base";
    db.gUserPassWord = "pa\"ss";
    std::int64_t id = 0;
    ModGlobal::MenuExes("Modulo.exe", "uno\tdos", id);
    EXPECT_GT(id, 0);
    ASSERT_TRUE(kembtest::waitUntil([&] { return QFile::exists(recibido); }));
    EXPECT_EQ(QString::fromUtf8(kembtest::leerArchivo(recibido)),
              "1|; @server=srv01:1433; @dbname=mi  base; @usuario=ana; @Password=pa\"ss; "
              "@ParametroAdicional=uno\tdos; zeku@ ; @UsuarioLogeado = ANA; @Caja=3;");
}

TEST_F(Lanzador, AModuleThatCannotStartIsReportedAndThenAnnounced)
{
    struct Caso {
        std::vector<int> respuestas;
        bool aviso;
    };
    const Caso casos[] = {{{vb::vbIgnore}, true}, {{vb::vbAbort}, false}, {{vb::vbRetry, vb::vbAbort}, false}};
    for (const Caso& c : casos) {
        ScriptedOperator op;
        for (int r : c.respuestas)
            op.answerMsgBox(r, [](const kembtest::Shown& s) {
                EXPECT_EQ(s.prompt, "Ha ocurrido el Siguiente Error (53) No se encontró el archivo");
                EXPECT_TRUE(s.title.endsWith(" - MenuExes Aviso al operador!!! - 2 ")) << s.title.toStdString();
            });
        if (c.aviso)
            op.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
                EXPECT_EQ(s.prompt, "Opcion no Implementada!\rComuniquese con su proveedor de sistemas");
                EXPECT_EQ(s.buttons, vb::vbCritical + vb::vbOKOnly);
                EXPECT_EQ(s.title, "Atención");
            });
        std::int64_t id = -1;
        ModGlobal::MenuExes("NoExiste.exe", "", id);
        EXPECT_EQ(id, 0);
        EXPECT_TRUE(op.allAnswered());
    }
}

// ---- statistics database, login and database creation ----

namespace {

const QString kServidor = "PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=sa;Pwd=p;";

// SQL Server's answers come from the scripted driver: its native error numbers decide these procedures.
class Estadisticas : public kembtest::EntornoGlobal {
protected:
    void SetUp() override
    {
        EntornoGlobal::SetUp();
        ClsSistema::setAbridor([this](const QString& ruta) {
            abiertos << ruta;
            return true;
        });
        DB_Dll& db = ModGlobal::gDB();
        db.gServidor = "PRINCIPAL/srv01:1433";
        db.gDBName = "ventas";
        db.gUsuario = "sa";
        db.gProveedor = "SQLOLEDB";
        db.gCnn->Open(kServidor);
        db.gOpenFlag = true;
    }
    void TearDown() override
    {
        ClsSistema::setAbridor({});
        EntornoGlobal::TearDown();
    }
    QStringList ejecutadas() const
    {
        QStringList out;
        for (const QString& c : driver.calls())
            if (c.startsWith("execute "))
                out << c.mid(8);
        return out;
    }
    static ado::Diagnostics error(long nativo, const char* estado = "42000")
    {
        return {{estado, nativo, QStringLiteral("Mensaje %1").arg(nativo)}};
    }

    ScriptedDriver driver;
    QStringList abiertos;
};

const QStringList kRolesServidor = {
    " EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', sysadmin EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', securityadmin "
    "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', serveradmin EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS',  setupadmin "
    "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', processadmin EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', diskadmin "
    "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', dbcreator",
    " EXEC sp_grantdbaccess @loginame = 'MQ_ESTADISTICAS' , @name_in_db ='MQ_ESTADISTICAS'",
    " EXEC sp_addrolemember N'db_accessadmin', N'MQ_ESTADISTICAS' EXEC sp_addrolemember N'db_backupoperator', "
    "N'MQ_ESTADISTICAS' EXEC sp_addrolemember N'db_datareader', N'MQ_ESTADISTICAS' EXEC sp_addrolemember "
    "N'db_datawriter', N'MQ_ESTADISTICAS' EXEC sp_addrolemember N'db_ddladmin', N'MQ_ESTADISTICAS' EXEC "
    "sp_addrolemember N'db_owner', N'MQ_ESTADISTICAS' EXEC sp_addrolemember N'db_securityadmin', N'MQ_ESTADISTICAS'"};
const QString kAltaLogin = "EXEC  sp_addlogin N'MQ_ESTADISTICAS', 'QK_ZEFTORAMILDA', 'MQ_ESTADISTICAS','Spanish'";

} // namespace

TEST_F(Estadisticas, CrearUsuarioMakesTheLoginAndGrantsEveryRole)
{
    ModGlobal::CrearUsuario("MQ_ESTADISTICAS", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA");
    EXPECT_EQ(ejecutadas(), QStringList({kAltaLogin}) + kRolesServidor);
}

TEST_F(Estadisticas, ALoginThatExistsKeepsItsRoles)
{
    driver.failWhen("sp_addlogin", error(15025));
    ModGlobal::CrearUsuario("MQ_ESTADISTICAS", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA");
    EXPECT_EQ(ejecutadas(), QStringList({kAltaLogin}));
}

TEST_F(Estadisticas, APasswordOutsideThePolicyIsToldAndTheRolesFollow)
{
    driver.failWhen("sp_addlogin", error(15116));
    operador.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
        EXPECT_EQ(s.prompt, "Mensaje 15116\r\nDebe cambiar la contraseña del Usuario MQ_ESTADISTICAS para que cumpla "
                            "con las directivas de Windows.");
        EXPECT_EQ(s.buttons, vb::vbOKOnly);
    });
    ModGlobal::CrearUsuario("MQ_ESTADISTICAS", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA");
    EXPECT_EQ(ejecutadas(), QStringList({kAltaLogin}) + kRolesServidor);
}

TEST_F(Estadisticas, ApostrophesInTheLoginAndPasswordStayInsideTheirTexts)
{
    ModGlobal::CrearUsuario("Base", "O'Neil", "a'); DROP LOGIN sa; --");
    ASSERT_FALSE(ejecutadas().isEmpty());
    EXPECT_EQ(ejecutadas()[0], "EXEC  sp_addlogin N'O''Neil', 'a''); DROP LOGIN sa; --', 'Base','Spanish'");
    EXPECT_TRUE(ejecutadas()[2].contains("@loginame = 'O''Neil' , @name_in_db ='O''Neil'"));
}

TEST_F(Estadisticas, OnOracleOneTextMakesTheUserWithItsGrants)
{
    DB_Dll& db = ModGlobal::gDB();
    db = DB_Dll();
    db.gProveedor = "OraOLEDB.Oracle.1";
    db.gCnn->Open("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");
    db.gOpenFlag = true;
    ModGlobal::CrearUsuario("MQ_ESTADISTICAS", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA");
    // The database class splits the text at each statement word (Oracle takes one statement per call).
    QStringList hechas;
    for (const QString& h : ejecutadas())
        hechas << h.simplified();
    ASSERT_FALSE(hechas.isEmpty());
    EXPECT_EQ(hechas[0], "CREATE USER MQ_ESTADISTICAS IDENTIFIED BY \"QK_ZEFTORAMILDA\" DEFAULT TABLESPACE USERS "
                         "TEMPORARY TABLESPACE TEMP PROFILE Default ACCOUNT UNLOCK");
    EXPECT_EQ(hechas[1], "GRANT DBA TO MQ_ESTADISTICAS WITH ADMIN OPTION");
    EXPECT_EQ(hechas[4], "GRANT \"CONNECT\" TO MQ_ESTADISTICAS WITH ADMIN OPTION");
    EXPECT_EQ(hechas[33], "GRANT GATHER_SYSTEM_STATISTICS TO MQ_ESTADISTICAS WITH ADMIN OPTION");
    EXPECT_EQ(hechas[34], "ALTER USER MQ_ESTADISTICAS DEFAULT ROLE DBA,\"CONNECT\"");
    EXPECT_EQ(hechas[35], "GRANT UNLIMITED TABLESPACE TO MQ_ESTADISTICAS WITH ADMIN OPTION");
    EXPECT_EQ(hechas[36], "GRANT EXECUTE ON CTXSYS.CTX_VALIDATE TO MQ_ESTADISTICAS WITH GRANT OPTION");
    EXPECT_EQ(hechas.filter(QRegularExpression("^GRANT EXECUTE ON ")).size(), 35);
    EXPECT_TRUE(hechas.filter("GRANT EXECUTE ON").last().startsWith("GRANT EXECUTE ON XDB.XDB_DATASTORE_PROC TO "));
}

TEST_F(Estadisticas, CrearBaseDeDatosWithoutTheFullScriptCreatesNothing)
{
    operador.answerMsgBox(vb::vbOK, [&](const kembtest::Shown& s) {
        EXPECT_EQ(s.prompt, "No se encuentra el archivo " + programa.path() +
                                "/completomqe.sql, Por favor, ingrese la ruta donde se encuentra! ");
    });
    EXPECT_FALSE(ModGlobal::CrearBaseDeDatos("srv01", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA", "MQ_ESTADISTICAS"));
    EXPECT_TRUE(ejecutadas().isEmpty());
    EXPECT_FALSE(QFile::exists(temp.path() + "/CDB7.SQL"));
}

// A disk that fills up while the creation script is written: the cut script is not run, and the user is
// told. The file's buffer once hid the short write, and the first half of the script ran as if whole.
TEST_F(Estadisticas, ACreationScriptThatCannotBeWrittenWholeIsNotRun)
{
    kembtest::escribirArchivo(programa.path() + "/completomqe.sql",
                              "CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50))\r\nGO\r\n");
    driver.failWhen("'Spanish'", error(15010));
    QStringList avisos;
    operador.answerMsgBox(vb::vbAbort, [&](const kembtest::Shown& s) { avisos << s.prompt; });
    {
        kembtest::FileSizeLimit limite(300);
        ModGlobal::CrearUsuario("MQ_ESTADISTICAS", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA");
    }
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_TRUE(avisos[0].contains("Error de acceso a la ruta o el archivo")) << avisos[0].toStdString();
    EXPECT_EQ(ejecutadas(), QStringList({kAltaLogin}) + kRolesServidor) << ejecutadas().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(temp.path() + "/CDB7.SQL"));
}

TEST_F(Estadisticas, AMissingStatisticsDatabaseIsCreatedFromBothScripts)
{
    kembtest::escribirArchivo(programa.path() + "/completomqe.sql",
                              "CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50))\r\nGO\r\n");
    driver.failWhen("'Spanish'", error(15010));
    ModGlobal::CrearUsuario("MQ_ESTADISTICAS", "MQ_ESTADISTICAS", "QK_ZEFTORAMILDA");

    EXPECT_EQ(vb::fromAnsi(kembtest::leerArchivo(temp.path() + "/CDB7.SQL")),
              "Create Database MQ_ESTADISTICAS COLLATE Latin1_General_CI_AI \r\r\n"
              "GO\r\r\n"
              "USE MQ_ESTADISTICAS\r\r\n"
              "EXEC  sp_addlogin N'MQ_ESTADISTICAS', 'QK_ZEFTORAMILDA', 'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', sysadmin\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', securityadmin\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', serveradmin\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS',  setupadmin\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', processadmin\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', diskadmin\r\n"
              "EXEC sp_addsrvrolemember N'MQ_ESTADISTICAS', dbcreator\r\n"
              "EXEC sp_grantdbaccess @loginame = 'MQ_ESTADISTICAS' , @name_in_db ='MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_accessadmin', N'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_backupoperator', N'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_datareader', N'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_datawriter', N'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_ddladmin', N'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_owner', N'MQ_ESTADISTICAS'\r\n"
              "EXEC sp_addrolemember N'db_securityadmin', N'MQ_ESTADISTICAS'\r\n");
    EXPECT_EQ(QFile::permissions(temp.path() + "/CDB7.SQL") & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        << "the script holds the login's password";

    const QStringList hechas = ejecutadas();
    ASSERT_EQ(hechas.size(), 1 + 3 + 2 + 3) << hechas.join('\n').toStdString();
    EXPECT_EQ(hechas[0], kAltaLogin);
    EXPECT_EQ(hechas[1], "SET NOCOUNT ON");
    EXPECT_EQ(hechas[2], "Create Database MQ_ESTADISTICAS COLLATE Latin1_General_CI_AI \r\n");
    EXPECT_TRUE(hechas[3].startsWith("USE MQ_ESTADISTICAS\r\nEXEC  sp_addlogin N'MQ_ESTADISTICAS'"));
    EXPECT_EQ(hechas[4], "SET NOCOUNT ON");
    EXPECT_EQ(hechas[5], "CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50))\r\n");
    EXPECT_EQ(hechas.mid(6), kRolesServidor);

    const QStringList conexiones = driver.calls().filter("connect ");
    ASSERT_EQ(conexiones.size(), 2);
    EXPECT_TRUE(conexiones[1].contains("srv01")) << conexiones[1].toStdString();
    EXPECT_FALSE(conexiones[1].contains("PRINCIPAL")) << "the server part of the registered text";
    const DB_Dll& estadisticas = ModGlobal::gDBEstadisticas();
    EXPECT_TRUE(estadisticas.gOpenFlag);
    EXPECT_EQ(estadisticas.gDBName, "MQ_ESTADISTICAS");
    EXPECT_EQ(estadisticas.gUsuario, "MQ_ESTADISTICAS");
    EXPECT_EQ(ModGlobal::gDB().gCnn->DefaultDatabase(), "ventas") << "the main connection is back on its database";
    EXPECT_TRUE(abiertos.isEmpty());
}

TEST_F(Estadisticas, ANewDatabaseThatCannotBeReachedStopsBeforeTheFullScript)
{
    kembtest::escribirArchivo(programa.path() + "/completomqe.sql", "CREATE TABLE X (A INT)\r\n");
    driver.failNextConnect({{"08001", 0, "Servidor inaccesible"}});
    operador.answerMsgBox(vb::vbNo,
                          [](const kembtest::Shown& s) { EXPECT_EQ(s.title, " Error de Conexion a Base de Datos"); });
    EXPECT_FALSE(ModGlobal::CrearBaseDeDatos("A/srv02:1433", "U", "P", " NUEVA "));
    EXPECT_TRUE(driver.calls().filter("connect ").last().contains("srv02"));
    EXPECT_TRUE(ejecutadas().filter("CREATE TABLE X").isEmpty());
    EXPECT_TRUE(ejecutadas().contains("Create Database NUEVA COLLATE Latin1_General_CI_AI \r\n"));
    EXPECT_EQ(ModGlobal::gDB().gCnn->DefaultDatabase(), "ventas");
}

namespace {

ado::ResultSet filaTimeOut(const char* valor)
{
    ado::ResultSet r;
    r.columns = {
        {"CLAVE", 200, 50}, {"VALOR", 200, 255}, {"ValorAux", 200, 255}, {"Grupo", 200, 50}, {"PoliticaNegocio", 3, 4}};
    if (valor)
        r.rows = {{QString("TIMEOUT"), QString::fromUtf8(valor), vb::Variant::Null(), QString("BaseDeDatos"), 0}};
    return r;
}

} // namespace

TEST_F(Estadisticas, ConectarEstadisticasTakesTheTimeOutKey)
{
    struct Caso {
        const char* valor; // nullptr: no row
        short timeOut;
        bool escribe;
    };
    const Caso casos[] = {
        {"120", 120, false}, {nullptr, 360, true}, {"0", 360, true}, {"40000", 360, false}, {"  45 ", 45, false}};
    for (const Caso& c : casos) {
        ScriptedDriver propio;
        propio.failWhen("sp_addlogin", error(15025));
        propio.answerWhen("TIMEOUT", filaTimeOut(c.valor));
        ModGlobal::gDB().gCnn->Close();
        ModGlobal::gDB().gCnn->Open(kServidor);
        ModGlobal::gTimeOut() = 1;
        ModGlobal::ConectarEstadisticas();
        const DB_Dll& estadisticas = ModGlobal::gDBEstadisticas();
        EXPECT_TRUE(estadisticas.gOpenFlag);
        EXPECT_EQ(estadisticas.gCnn->ConnectionString().contains("Server=PRINCIPAL/srv01:1433"), true);
        EXPECT_EQ(ModGlobal::gTimeOut(), c.timeOut) << (c.valor ? c.valor : "(no row)");
        const QStringList escrituras = propio.calls().filter(QRegularExpression("^execute (INSERT|UPDATE)"));
        EXPECT_EQ(escrituras.size(), c.escribe ? 1 : 0) << (c.valor ? c.valor : "(no row)");
        if (c.escribe) {
            EXPECT_TRUE(escrituras[0].contains("'TIMEOUT'")) << escrituras[0].toStdString();
        }
        ModGlobal::gDBEstadisticas() = DB_Dll();
    }
}

TEST_F(Estadisticas, AnUnreachableStatisticsServerLeavesTheDefaultTimeOut)
{
    driver.failWhen("sp_addlogin", error(15025));
    driver.failNextConnect({{"08001", 0, "Servidor inaccesible"}});
    ModGlobal::gTimeOut() = 1;
    ModGlobal::ConectarEstadisticas();
    EXPECT_FALSE(ModGlobal::gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(ModGlobal::gTimeOut(), 360);
    EXPECT_TRUE(operador.shown().empty());
}

// ---- article lookup ----

namespace {

QString a25(const QString& codigo)
{
    return QString(25 - codigo.size(), ' ') + codigo;
}

// One call of BuscarArticulo with its thirteen arguments as the test sets and reads them.
struct Llamada {
    QString codigo;
    bool porCodigoBarra = false;
    QString cuenta;
    QString lista;
    QString tipo;
    short estado = 0;
    bool resultado = false;
    QString descripcion;
    QString unidad = "previa";
    QString prefijo;
    double cantidad = 0;
    vb::Currency importe;
    ado::Recordset rs;

    Llamada& hacer()
    {
        resultado = ModGlobal::BuscarArticulo(codigo, rs, true, porCodigoBarra, descripcion, cuenta, unidad, lista,
                                              cantidad, importe, prefijo, tipo, estado);
        return *this;
    }
};

Llamada buscar(const QString& codigo, bool porCodigoBarra = false)
{
    Llamada l;
    l.codigo = codigo;
    l.porCodigoBarra = porCodigoBarra;
    l.hacer();
    return l;
}

// The article and supplier price views as tables, on SQLite and on PostgreSQL. Every search that finds
// nothing runs the alternative-barcode statements, whose ISNULL only the server (given the function) knows.
class Articulos : public kembtest::EntornoGlobal, public ::testing::WithParamInterface<kembtest::Engine> {
protected:
    void SetUp() override
    {
        EntornoGlobal::SetUp();
        if (const QString why = kembtest::TestDatabase::unavailable(GetParam()); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        base = std::make_unique<kembtest::TestDatabase>(GetParam());
        if (GetParam() == kembtest::Engine::PostgreSQL)
            base->exec("CREATE FUNCTION isnull(anyelement, anyelement) RETURNS anyelement LANGUAGE sql AS "
                       "'SELECT COALESCE($1, $2)'");
        base->exec("CREATE TABLE V_MA_ARTICULOS (IdArticulo VARCHAR(25), Descripcion VARCHAR(40), "
                   "CodigoBarra VARCHAR(25), CODIGOBARRADUN VARCHAR(25), UD_TTE VARCHAR(5), CODIGOBARRA1 VARCHAR(25), "
                   "UMCB1 VARCHAR(5), CODIGOBARRA2 VARCHAR(25), UMCB2 VARCHAR(5), CODIGOBARRA3 VARCHAR(25), "
                   "UMCB3 VARCHAR(5), CODIGOBARRA4 VARCHAR(25), UMCB4 VARCHAR(5), IDUNIDAD VARCHAR(5), "
                   "IdTipo VARCHAR(5), CodigoArtProveedor VARCHAR(25), CuentaProveedor VARCHAR(10))");
        base->exec("CREATE TABLE V_MA_PRECIOS (IDARTICULO VARCHAR(25), IDARTICULOPROVEEDOR VARCHAR(25), "
                   "idunidad VARCHAR(5), IDLISTA VARCHAR(4), TIPOLISTA VARCHAR(1))");
        articulo("101", "Yerba", "7790001", "KG", "01",
                 {{"CODIGOBARRADUN", a25("17790001")},
                  {"UD_TTE", "CJ"},
                  {"CODIGOBARRA1", a25("7790011")},
                  {"CODIGOBARRA2", a25("7790012")},
                  {"CODIGOBARRA3", a25("7790013")},
                  {"CODIGOBARRA4", a25("7790014")},
                  {"CodigoArtProveedor", a25("PRV-9")},
                  {"CuentaProveedor", "P001"}});
        articulo("12345", "Queso", "", "KG", "01");
        articulo("3456", "Pan", "", "UN", "01");
        articulo("O'1", "Comilla", "", "UN", "01");
        articulo("303", "Aceite", "", "LT", "01");
        articulo("202", "Lata", "", "UN", "01", {{"CodigoArtProveedor", "1.5"}, {"CuentaProveedor", "P001"}});
        base->exec(
            QString("INSERT INTO V_MA_PRECIOS VALUES ('%1', '%2', 'BU', '   1', 'C')").arg(a25("303"), a25("X77")));
        base->exec(
            QString("INSERT INTO V_MA_PRECIOS VALUES ('%1', '%2', 'LT', '   1', 'C')").arg(a25("999"), a25("X88")));
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open(base->connectionString());
        db.gOpenFlag = true;
        db.gEsAdmin = true;
    }
    void TearDown() override
    {
        ModGlobal::gFormatoEtiquetaBalanza().clear();
        ModGlobal::gDecimalesBalanza().clear();
        ModGlobal::gUsaPrefijoA() = 0;
        ModGlobal::gControlaUnidadNegocio() = 0;
        ModGlobal::gUnidadNegocio().clear();
        EntornoGlobal::TearDown();
        base.reset();
    }
    void articulo(const QString& id, const QString& descripcion, const QString& barra, const QString& unidad,
                  const QString& tipo, const std::vector<std::pair<QString, QString>>& otros = {})
    {
        QStringList columnas{"IdArticulo", "Descripcion", "CodigoBarra", "IDUNIDAD", "IdTipo"};
        QStringList valores{a25(id), descripcion, barra.isEmpty() ? QString() : a25(barra), unidad, tipo};
        for (const auto& [columna, valor] : otros) {
            columnas << columna;
            valores << valor;
        }
        for (QString& v : valores)
            v = "'" + v.replace("'", "''") + "'";
        base->exec("INSERT INTO V_MA_ARTICULOS (" + columnas.join(", ") + ") VALUES (" + valores.join(", ") + ")");
    }
    bool servidor() const { return GetParam() == kembtest::Engine::PostgreSQL; }

    std::unique_ptr<kembtest::TestDatabase> base;
};

#define SOLO_SERVIDOR()                                                                                                \
    if (!servidor())                                                                                                   \
    GTEST_SKIP() << "needs the alternative-barcode statements (ISNULL)"

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, Articulos, ::testing::Values(kembtest::Engine::SQLite, kembtest::Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

TEST_P(Articulos, AQuantityPrefixIsSplitOffAndTheBarcodeFound)
{
    Llamada l = buscar("3*7790001", true);
    EXPECT_TRUE(l.resultado);
    EXPECT_EQ(l.cantidad, 3);
    EXPECT_EQ(l.codigo, a25("101"));
    EXPECT_EQ(l.descripcion, "Yerba");
    EXPECT_EQ(l.unidad, "KG");
    EXPECT_EQ(l.rs.Fields("Descripcion").Value().toString(), "Yerba") << "the record set comes back on its row";
}

TEST_P(Articulos, AShortCodeIsLookedUpByIdFirst)
{
    Llamada l = buscar("101", true);
    EXPECT_TRUE(l.resultado);
    EXPECT_FALSE(l.porCodigoBarra);
    EXPECT_EQ(l.codigo, a25("101"));
}

TEST_P(Articulos, ScaleLabelsCarryTheCodeAndTheirValue)
{
    struct Caso {
        const char* formato;
        const char* decimales;
        const char* etiqueta;
        double cantidad;
        double importe;
    };
    const Caso casos[] = {
        {"0CCCCCPPPPP", "3", "2012345015000", 1.5, 0}, {"0cccccppppp", "3", "-2012345015000", -1.5, 0},
        {"CCCCCTTTTT", "2", "2012345015000", 1, 15},   {"00CCCCPPPPP", "", "2003456000700", 70, 0},
        {"CCCCC0PPPPP", "1", "2123450000000", 0, 0},
    };
    for (const Caso& c : casos) {
        ModGlobal::gFormatoEtiquetaBalanza() = c.formato;
        ModGlobal::gDecimalesBalanza() = c.decimales;
        Llamada l;
        l.codigo = c.etiqueta;
        l.hacer();
        EXPECT_TRUE(l.resultado) << c.formato << " " << c.etiqueta;
        EXPECT_DOUBLE_EQ(l.cantidad, c.cantidad) << c.formato;
        EXPECT_DOUBLE_EQ(l.importe.toDouble(), c.importe) << c.formato;
    }
}

TEST_P(Articulos, AThirteenDigitCodeIsSearchedWholeWithoutAKnownLayout)
{
    SOLO_SERVIDOR();
    for (const char* formato : {"", "0CCCCCPPPPPP"}) {
        ModGlobal::gFormatoEtiquetaBalanza() = formato;
        ModGlobal::gDecimalesBalanza() = "3";
        Llamada l = buscar("2012345015000");
        EXPECT_FALSE(l.resultado) << formato;
        EXPECT_EQ(l.codigo, "2012345015000") << formato;
        EXPECT_EQ(l.cantidad, 0) << formato;
    }
}

TEST_P(Articulos, AMissingDivisorIsADivisionByZeroForTheReporter)
{
    ModGlobal::gFormatoEtiquetaBalanza() = "0CCCCCPPPPP";
    ModGlobal::gDecimalesBalanza() = "7";
    operador.answerMsgBox(vb::vbAbort, [](const kembtest::Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Ha ocurrido el Siguiente Error (11) ")) << s.prompt.toStdString();
        EXPECT_EQ(s.title, "KEMB Aviso al operador!!! - 2 ");
    });
    Llamada l = buscar("2012345015000");
    EXPECT_FALSE(l.resultado);
    EXPECT_EQ(l.unidad, "") << "left before any statement";
}

TEST_P(Articulos, AnAPrefixIsSplitWhenAsked)
{
    ModGlobal::gUsaPrefijoA() = 1;
    Llamada con = buscar("12A3456");
    EXPECT_TRUE(con.resultado);
    EXPECT_EQ(con.prefijo, "12");
    EXPECT_EQ(con.codigo, a25("3456"));
    Llamada sin = buscar("a3456");
    EXPECT_TRUE(sin.resultado);
    EXPECT_EQ(sin.prefijo, "");
}

TEST_P(Articulos, AnAPrefixIsLeftWholeWhenItIsNotNumeric)
{
    SOLO_SERVIDOR();
    ModGlobal::gUsaPrefijoA() = 1;
    Llamada l = buscar("X2A345");
    EXPECT_FALSE(l.resultado);
    EXPECT_EQ(l.codigo, "X2A345");
    EXPECT_EQ(l.prefijo, "");
}

TEST_P(Articulos, ACodeWithAnApostropheIsLookedUpAsWritten)
{
    Llamada l = buscar("O'1");
    EXPECT_TRUE(l.resultado);
    EXPECT_EQ(l.descripcion, "Comilla");
}

TEST_P(Articulos, EveryBarcodeOfTheArticleFindsIt)
{
    SOLO_SERVIDOR();
    for (const char* barra : {"7790001", "17790001", "7790011", "7790012", "7790013", "7790014"}) {
        for (bool porBarra : {true, false}) {
            Llamada l = buscar(barra, porBarra);
            EXPECT_TRUE(l.resultado) << barra;
            EXPECT_EQ(l.codigo, a25("101")) << barra;
            EXPECT_EQ(l.unidad, "KG") << barra;
        }
    }
}

TEST_P(Articulos, NothingFoundWithoutASupplierLeavesTheCodeDecodedAndTheUnitEmpty)
{
    SOLO_SERVIDOR();
    base->exec("DROP TABLE V_MA_PRECIOS");
    for (const char* codigo : {"0*7790001", "5555"}) {
        Llamada l = buscar(codigo, true);
        EXPECT_FALSE(l.resultado) << codigo;
        EXPECT_EQ(l.codigo, codigo);
        EXPECT_EQ(l.unidad, "");
        EXPECT_EQ(l.cantidad, 0);
    }
}

TEST_P(Articulos, TheArticleMaintenanceModulesKeepTheQuantityPrefix)
{
    SOLO_SERVIDOR();
    vb::App::setEXEName("V_MA_ARTICULOS");
    Llamada l = buscar("3*7790001", true);
    EXPECT_FALSE(l.resultado);
    EXPECT_EQ(l.codigo, "3*7790001");
    EXPECT_EQ(l.cantidad, 0);
}

TEST_P(Articulos, SupplierCodesAreFoundThroughThePriceListOrTheArticle)
{
    SOLO_SERVIDOR();
    struct Caso {
        const char* codigo;
        const char* lista;
        bool encontrado;
        QString codigoFinal;
        const char* unidad;
        const char* descripcion;
    };
    const Caso casos[] = {
        {"PRV-9", "", true, a25("101"), "KG", "Yerba"}, {"PRV-9", "1", true, a25("101"), "KG", "Yerba"},
        {"X77", "1", true, a25("303"), "LT", "Aceite"}, {"X88", "1", false, a25("999"), "LT", ""},
        {"1.5", "", true, "1.5", "UN", "Lata"},         {"2.5", "", false, "2.5", "", ""},
    };
    for (const Caso& c : casos) {
        Llamada l;
        l.codigo = c.codigo;
        l.cuenta = " P001 ";
        l.lista = c.lista;
        l.hacer();
        EXPECT_EQ(l.resultado, c.encontrado) << c.codigo;
        EXPECT_EQ(l.codigo, c.codigoFinal) << c.codigo;
        EXPECT_EQ(l.unidad, c.unidad) << c.codigo;
        EXPECT_EQ(l.descripcion, c.descripcion) << c.codigo;
    }
}

TEST_P(Articulos, SalesModulesRefuseAnArticleOfAnotherBusinessUnit)
{
    ModGlobal::gControlaUnidadNegocio() = 1;
    ModGlobal::gUnidadNegocio() = "02";
    struct Caso {
        const char* programa;
        const char* tipo;
        short estado;
        bool resultado;
        short estadoFinal;
        bool aviso;
    };
    const Caso casos[] = {
        {"V_MV_VENTAS", "FC", 0, false, 0, true}, {"fs_v_mv_ventash", "FC", 0, false, 0, true},
        {"V_MV_VENTAS", "FC", 1, true, 2, false}, {"V_MV_VENTAS", "FC", 3, true, 3, false},
        {"V_MV_VENTAS", "fp", 0, true, 0, false}, {"V_MV_VENTAS", "NCFP", 0, true, 0, false},
        {"kemb", "FC", 0, true, 0, false},        {"V_FACTURACIONREMITOSPENDIENTES", "NP", 0, true, 0, false},
    };
    for (const Caso& c : casos) {
        vb::App::setEXEName(c.programa);
        if (c.aviso)
            operador.answerMsgBox(vb::vbOK, [&](const kembtest::Shown& s) {
                EXPECT_EQ(s.prompt, "Este articulo pertenece a una unidad de negocio distinta a la seleccionada");
                EXPECT_EQ(s.buttons, vb::vbOKOnly);
                EXPECT_EQ(s.title, c.programa) << "no title of its own: the program's name";
            });
        Llamada l;
        l.codigo = "101";
        l.tipo = c.tipo;
        l.estado = c.estado;
        l.hacer();
        EXPECT_EQ(l.resultado, c.resultado) << c.programa << " " << c.tipo << " " << c.estado;
        EXPECT_EQ(l.estado, c.estadoFinal) << c.programa << " " << c.tipo << " " << c.estado;
        EXPECT_TRUE(operador.allAnswered());
    }
    ModGlobal::gUnidadNegocio() = "01";
    vb::App::setEXEName("V_MV_VENTAS");
    EXPECT_TRUE(buscar("101").resultado);
}

using CadenaArticulos = kembtest::EntornoGlobal;

TEST_F(CadenaArticulos, SendsItsStatementsInOrder)
{
    ScriptedDriver driver;
    ado::ResultSet vacio;
    vacio.columns = {{"IdArticulo", 200, 25}, {"UdBase", 200, 5}, {"Descripcion", 200, 40}};
    driver.answerWhen("V_MA_", vacio);
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Open("PROVIDER=SQLOLEDB;Server=srv01;Database =ventas;UId=u;Pwd=p;");
    db.gOpenFlag = true;
    db.gEsAdmin = true;
    Llamada l;
    l.codigo = "7790001";
    l.porCodigoBarra = true;
    l.cuenta = "P1";
    l.lista = "1";
    l.hacer();
    const QString c = "'" + a25("7790001") + "'";
    const QStringList esperadas = {
        "execute SELECT *,IDUNIDAD AS UDBASE FROM V_MA_ARTICULOS WHERE codigobarra =  " + c,
        "execute SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE codigobarra =  " + c,
        "execute SELECT *,IDUNIDAD AS UDBASE , ISNULL(UD_TTE,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE "
        "CODIGOBARRADUN = " +
            c,
        "execute SELECT *,IDUNIDAD AS UDBASE , ISNULL(UMCB1,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE "
        "CODIGOBARRA1 = " +
            c,
        "execute SELECT *,IDUNIDAD AS UDBASE , ISNULL(UMCB2,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE "
        "CODIGOBARRA2 = " +
            c,
        "execute SELECT *,IDUNIDAD AS UDBASE , ISNULL(UMCB3,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE "
        "CODIGOBARRA3 = " +
            c,
        "execute SELECT *,IDUNIDAD AS UDBASE , ISNULL(UMCB4,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE "
        "CODIGOBARRA4 = " +
            c,
        "execute SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE IDARTICULO = " + c,
        "execute SELECT IDARTICULO,IDARTICULOPROVEEDOR,idunidad as UdBase FROM V_MA_PRECIOS WHERE "
        "IDARTICULOPROVEEDOR = " +
            c + " and IDLISTA = '   1' AND TIPOLISTA = 'C'",
        "execute SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE CodigoArtProveedor = " + c +
            " and CuentaProveedor = 'P1'",
    };
    EXPECT_EQ(driver.calls().filter("execute "), esperadas);
    EXPECT_FALSE(l.resultado);
}
