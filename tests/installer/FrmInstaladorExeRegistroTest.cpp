// The registration of the module's menu entry and task rows in every database of "BASES.TXT", run on
// SQLite databases through their ODBC driver.
#include "installer/FrmInstaladorExe.h"

#include "database/DB_Dll.h"
#include "database/LBM_Common.h"
#include "global/ModGlobal.h"
#include "installer/SqliteAsSqlServer.h"
#include "platform/ado/Connection.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kembtest::Engine;
using kembtest::ScriptedOperator;
using kembtest::Shown;
using kembtest::TestDatabase;

// Rows of a query as "a|b|c" texts, in the query's order.
QStringList filas(TestDatabase& base, const QString& sql)
{
    const ado::ResultSet r = base.exec(sql);
    QStringList out;
    for (const auto& row : r.rows) {
        QStringList values;
        for (const auto& value : row)
            values << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

class RegistroTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        vb::App::setPath(m_programa.path());
        ModGlobal::gDB() = DB_Dll();
    }
    void TearDown() override
    {
        ModGlobal::gDB() = DB_Dll();
        vb::App::setPath(QString());
    }

    // A company database with the menu, task and user tables, reached under the database name `nombre`.
    TestDatabase& base(const QString& nombre, bool conMenu = true)
    {
        m_bases.push_back(std::make_unique<TestDatabase>(Engine::SQLite));
        TestDatabase& b = *m_bases.back();
        if (conMenu)
            b.exec("CREATE TABLE TA_MENU (MENU VARCHAR(10), TITULO VARCHAR(10), CLAVE VARCHAR(10), NOMBRE "
                   "VARCHAR(50), IMAGEN VARCHAR(20), PROCESO VARCHAR(50), HABILITADO INTEGER, ORDEN VARCHAR(10))");
        b.exec("CREATE TABLE TA_TAREAS (USUARIO VARCHAR(30), SISTEMA VARCHAR(10), TAREA VARCHAR(10))");
        b.exec("CREATE TABLE TA_USUARIOS (Nombre VARCHAR(30), SISTEMA VARCHAR(10), Administrador VARCHAR(5))");
        m_servidor.route(nombre, b.connectionString());
        return b;
    }

    QStringList menu(TestDatabase& b)
    {
        return filas(b, "SELECT MENU, TITULO, CLAVE, NOMBRE, IMAGEN, PROCESO, HABILITADO, ORDEN FROM TA_MENU");
    }
    QStringList tareas(TestDatabase& b)
    {
        return filas(b, "SELECT USUARIO, SISTEMA, TAREA FROM TA_TAREAS ORDER BY USUARIO, TAREA");
    }

    QTemporaryDir m_programa;
    kembtest::SqliteAsSqlServer m_servidor;
    std::vector<std::unique_ptr<TestDatabase>> m_bases;
    FrmInstaladorExe m_form;
};

const QString kFilaMenu = "RUMO|D60|D6001|Carga de Comprobantes|Factura|SHELL:V_MV_VENTAS|1|D6001";

} // namespace

TEST_F(RegistroTest, WithoutTheConnectionsFileNothingIsDone)
{
    m_form.RutaSistema = "otra carpeta";
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "No existe el archivo de bases. No se puede continuar.\r\n"
                            "Comuníquese con el soporte técnico de Pelvaro.");
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "Aviso al Operador");
    });
    m_form.AutorizaEInserta();
    EXPECT_EQ(m_form.RutaSistema, m_programa.path());
    EXPECT_TRUE(m_servidor.connections().isEmpty());
}

TEST_F(RegistroTest, EveryRegisteredDatabaseGetsTheMenuRowAndATaskPerUserOfTheMainProgram)
{
    TestDatabase& ventas = base("ventas1");
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('ana', 'QB417ZT', '1'), ('  luis  ', 'QB417ZT', '0'), "
                "('otro', 'QB999', '0'), (NULL, 'QB417ZT', '0')");
    TestDatabase& sucursal = base("ventas2");
    sucursal.exec("INSERT INTO TA_USUARIOS VALUES ('eva', 'QB999', '1')");
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "clave de ana", "srv01:1433", "", false);
    LBM_Common::RegistrarConexion("VENTAS2 / PRINCIPAL", "ventas2", "eva", "clave2", "PRINCIPAL", "SRV2", false);

    m_form.AutorizaEInserta();

    EXPECT_EQ(m_form.RutaSistema, m_programa.path());
    EXPECT_EQ(menu(ventas), QStringList{kFilaMenu});
    EXPECT_EQ(tareas(ventas), (QStringList{"|QB417ZT|D6001", "ana|QB417ZT|D6001", "luis|QB417ZT|D6001"}));
    EXPECT_EQ(menu(sucursal), QStringList{kFilaMenu});
    EXPECT_EQ(tareas(sucursal), QStringList{});

    ASSERT_EQ(m_servidor.connections().size(), 2);
    const QString primera = m_servidor.connections()[0];
    EXPECT_TRUE(primera.contains("SERVER=srv01;", Qt::CaseInsensitive)) << primera.toStdString();
    EXPECT_TRUE(primera.contains("UID=ana;", Qt::CaseInsensitive)) << primera.toStdString();
    EXPECT_TRUE(primera.contains("PWD=clave de ana;", Qt::CaseInsensitive)) << primera.toStdString();
    const QString segunda = m_servidor.connections()[1];
    EXPECT_TRUE(segunda.contains("SERVER=SRV2;", Qt::CaseInsensitive)) << segunda.toStdString();
    EXPECT_TRUE(segunda.contains("PWD=clave2;", Qt::CaseInsensitive)) << segunda.toStdString();

    const DB_Dll& db = ModGlobal::gDB();
    EXPECT_EQ(db.gDBName, "ventas2");
    EXPECT_EQ(db.gUsuario, "eva");
    EXPECT_EQ(db.gServidor, "SRV2");
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
}

TEST_F(RegistroTest, RunningTwiceAddsNoSecondMenuRowNorSecondTask)
{
    TestDatabase& ventas = base("ventas1");
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('ana', 'QB417ZT', '1'), (' luis', 'QB417ZT', '0')");
    ventas.exec("INSERT INTO TA_TAREAS VALUES ('luis', 'QB417ZT', 'D6001'), ('luis', 'QB417ZT', 'D1234')");
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "x", "srv01", "", false);
    m_form.AutorizaEInserta();
    m_form.AutorizaEInserta();
    EXPECT_EQ(menu(ventas), QStringList{kFilaMenu});
    EXPECT_EQ(tareas(ventas), (QStringList{"ana|QB417ZT|D6001", "luis|QB417ZT|D1234", "luis|QB417ZT|D6001"}));
}

TEST_F(RegistroTest, AnApostropheInAUserNameIsStoredAsWritten)
{
    TestDatabase& ventas = base("ventas1");
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('o''brien', 'QB417ZT', '0'), ('x'') OR 1=1 --', 'QB417ZT', '0')");
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "x", "srv01", "", false);
    m_form.AutorizaEInserta();
    EXPECT_EQ(tareas(ventas), (QStringList{"o'brien|QB417ZT|D6001", "x') OR 1=1 --|QB417ZT|D6001"}));
    m_form.AutorizaEInserta();
    EXPECT_EQ(tareas(ventas).size(), 2);
}

TEST_F(RegistroTest, ADatabaseThatDoesNotOpenIsSkipped)
{
    TestDatabase& ventas = base("ventas1");
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('ana', 'QB417ZT', '1')");
    LBM_Common::RegistrarConexion("PERDIDA / SRV09", "perdida", "ana", "x", "srv09", "", false);
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "x", "srv01", "", false);
    ScriptedOperator op;
    op.answerMsgBox(vb::vbNo, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.contains("Unable to connect to data source")) << s.prompt.toStdString();
        EXPECT_EQ(s.buttons, vb::vbYesNo + vb::vbCritical);
        EXPECT_EQ(s.title, " Error de Conexion a Base de Datos");
    });
    m_form.AutorizaEInserta();
    EXPECT_EQ(menu(ventas), QStringList{kFilaMenu});
    EXPECT_EQ(tareas(ventas), QStringList{"ana|QB417ZT|D6001"});
    EXPECT_EQ(m_servidor.connections().size(), 2);
}

TEST_F(RegistroTest, AFailingMenuStatementIsShownAndTheTasksStillGoIn)
{
    TestDatabase& ventas = base("ventas1", false);
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('ana', 'QB417ZT', '1')");
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "x", "srv01", "", false);
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.contains("TA_MENU")) << s.prompt.toStdString();
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "ERROR");
    });
    m_form.AutorizaEInserta();
    EXPECT_EQ(tareas(ventas), QStringList{"ana|QB417ZT|D6001"});
}

TEST_F(RegistroTest, AModuleNotKnownTouchesNoDatabase)
{
    TestDatabase& ventas = base("ventas1");
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('ana', 'QB417ZT', '1')");
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "x", "srv01", "", false);
    m_form.NombreExe = "V_MV_COMPRAS.EXE";
    m_form.AutorizaEInserta();
    EXPECT_TRUE(m_servidor.connections().isEmpty());
    EXPECT_EQ(menu(ventas), QStringList{});
    EXPECT_EQ(tareas(ventas), QStringList{});
}

// The file is read under whatever case of its name the existence test found, and a line of blanks in it
// is passed over like an empty line.
TEST_F(RegistroTest, TheConnectionsFileIsReadUnderAnyCaseOfItsName)
{
    TestDatabase& ventas = base("ventas1");
    ventas.exec("INSERT INTO TA_USUARIOS VALUES ('ana', 'QB417ZT', '1')");
    LBM_Common::RegistrarConexion("VENTAS1 / SRV01", "ventas1", "ana", "x", "srv01", "", false);
    QFile registrado(LBM_Common::RutaBases());
    ASSERT_TRUE(registrado.open(QIODevice::ReadOnly));
    const QByteArray registro = registrado.readAll();
    registrado.close();
    ASSERT_TRUE(registrado.remove());
    for (const char* nombre : {"bases.txt", "Bases.Txt"}) {
        const QString ruta = QDir(m_programa.path()).filePath(QLatin1String(nombre));
        QFile archivo(ruta);
        ASSERT_TRUE(archivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        archivo.write("   \r\n\t \r\n" + registro + "  \r\n");
        archivo.close();
        ventas.exec("DELETE FROM TA_MENU");
        m_form.AutorizaEInserta();
        EXPECT_EQ(menu(ventas), QStringList{kFilaMenu}) << nombre;
        EXPECT_EQ(tareas(ventas), QStringList{"ana|QB417ZT|D6001"}) << nombre;
        ASSERT_TRUE(QFile::remove(ruta));
    }
    EXPECT_EQ(m_servidor.connections().size(), 2);
}
