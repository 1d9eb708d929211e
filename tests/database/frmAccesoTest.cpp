#include "database/frmAcceso.h"
#include "database/DB_Dll.h"
#include "database/LBM_Common.h"
#include "global/ModGlobal.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/shell/WshShell.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Twips.h"
#include "support/ScriptedDriver.h"
#include "support/ScriptedOperator.h"

#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using kembtest::ScriptedDriver;
using kembtest::ScriptedOperator;
using kembtest::Shown;

namespace {

class FrmAcceso : public ::testing::Test {
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
        WshShell::setDesktopOverride(QString());
        vb::App::setPath(QString());
        vb::App::setEXEName(QString());
    }
    void escribirBases(const QByteArray& texto) const
    {
        QFile f(dir.filePath("BASES.TXT"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texto);
    }
    QStringList lineasBases() const
    {
        QFile f(dir.filePath("BASES.TXT"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }
    static QStringList lista(const frmAcceso& f)
    {
        QStringList out;
        for (int i = 0; i < f.lstBases->count(); ++i)
            out << f.lstBases->item(i)->text();
        return out;
    }

    QTemporaryDir dir;
};

TEST_F(FrmAcceso, TheDesignFollowsTheTable)
{
    frmAcceso f;
    EXPECT_EQ(f.windowTitle(), "Control de Acceso");
    EXPECT_EQ(f.size(), vb::twipsSize(6780, 3360));
    ASSERT_EQ(f.Label1.size(), 2u);
    EXPECT_EQ(f.Label1[0]->text(), "Complete los datos de conexion");
    EXPECT_EQ(f.Label1[1]->text(), "Conexiones registradas");
    EXPECT_TRUE(f.Label1[0]->font().bold());
    struct Caja {
        const char* nombre;
        const char* ayuda;
    };
    for (const Caja& c :
         {Caja{"TxtUserId", "Ingrese el nombre de usuario"}, Caja{"TxtUserPassword", "Ingrese la contraseña"},
          Caja{"TxtDbName", "ingrese el nombre de la base de datos"},
          Caja{"TxtServidor", "ingrese el nombre del servidor e instancia"}, Caja{"TxtPuerto", "Ingrese el Puerto "}}) {
        auto* caja = f.findChild<QLineEdit*>(c.nombre);
        ASSERT_NE(caja, nullptr) << c.nombre;
        EXPECT_EQ(caja->toolTip(), QString::fromUtf8(c.ayuda));
        EXPECT_EQ(caja->parentWidget(), f.framAcceso);
    }
    EXPECT_EQ(f.TxtUserPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.TxtPuerto->text(), "1433");
    ASSERT_EQ(f.CboPlataformaDB->count(), 2);
    EXPECT_EQ(f.CboPlataformaDB->itemText(0), "SQL Server");
    EXPECT_EQ(f.CboPlataformaDB->itemText(1), "ORACLE");
    for (const auto& [nombre, texto] :
         {std::pair{"bcAceptar", "Aceptar"}, std::pair{"bcCancelar", "Cancelar"},
          std::pair{"CmdRegistrar", "Registrar"}, std::pair{"CmdLineaComando", "Crear Acceso Directo"}}) {
        auto* b = f.findChild<QPushButton*>(nombre);
        ASSERT_NE(b, nullptr) << nombre;
        EXPECT_EQ(b->text(), texto);
    }
    EXPECT_TRUE(f.bcAceptar->font().bold());
    EXPECT_NE(f.findChild<QListWidget*>("lstBases"), nullptr);
}

TEST_F(FrmAcceso, EmptyBoxesShowTheirPrompt)
{
    frmAcceso f;
    EXPECT_EQ(f.TxtUserId->text(), "Ingrese el usuario");
    EXPECT_EQ(f.TxtDbName->text(), "ingrese el nombre de la base de datos");
    EXPECT_EQ(f.TxtServidor->text(), "ingrese el nombre del servidor e instancia");
    EXPECT_EQ(f.TxtUserPassword->text(), "");
    f.TxtDbName->setText("ventas");
    EXPECT_EQ(f.TxtDbName->text(), "ventas");
    f.TxtDbName->setText("  ");
    EXPECT_EQ(f.TxtDbName->text(), "ingrese el nombre de la base de datos");
    EXPECT_EQ(f.TxtDbName->selectedText(), f.TxtDbName->text());

    // The user box shows its prompt again only when it gets the focus.
    f.TxtUserId->setText("");
    EXPECT_EQ(f.TxtUserId->text(), "");
    QFocusEvent foco(QEvent::FocusIn);
    QCoreApplication::sendEvent(f.TxtUserId, &foco);
    EXPECT_EQ(f.TxtUserId->text(), "Ingrese el usuario");
}

TEST_F(FrmAcceso, TheListShowsRegisteredConnectionsWithAName)
{
    escribirBases("SALES / SRV01,SALES,SALES,ABCD,srv01:1433\r\n"
                  " ,OTRA,OTRA,ABCD,srv02\r\n"
                  "COMPRAS / SRV02,COMPRAS,COMPRAS,ABCD,srv02\r\n");
    frmAcceso f;
    EXPECT_EQ(lista(f), QStringList({"SALES / SRV01", "COMPRAS / SRV02"}));
    EXPECT_EQ(f.lstBases->currentRow(), 0);
}

TEST_F(FrmAcceso, ChoosingAConnectionFillsTheBoxes)
{
    const QString clave = ModGlobal::gFunciones().Codificar("secreto");
    escribirBases(("COMPRAS / SRV02,COMPRAS,COMPRAS," + clave + ",srv02\r\n" + "SALES / SRV01,SALES,SALES," + clave +
                   ", srv01 :1433\r\n")
                      .toLatin1());
    frmAcceso f;
    EXPECT_EQ(f.TxtServidor->text(), "srv02");
    EXPECT_EQ(f.TxtPuerto->text(), "");
    f.TxtUserId->setText("alguien");
    f.lstBases->setCurrentRow(1);
    EXPECT_EQ(f.TxtServidor->text(), "SRV01");
    EXPECT_EQ(f.TxtPuerto->text(), "1433");
    EXPECT_EQ(f.TxtDbName->text(), "SALES");
    EXPECT_EQ(f.TxtUserId->text(), "");
    EXPECT_EQ(f.TxtUserPassword->text(), "");
    f.lstBases->setCurrentRow(0);
    EXPECT_EQ(f.TxtPuerto->text(), "");
}

TEST_F(FrmAcceso, ADoubleClickAccepts)
{
    escribirBases("SALES / SRV01,SALES,SALES,ABCD,srv01\r\n");
    frmAcceso f;
    f.show();
    const QPoint punto = f.lstBases->visualItemRect(f.lstBases->item(0)).center();
    QTest::mouseClick(f.lstBases->viewport(), Qt::LeftButton, {}, punto);
    QTest::mouseDClick(f.lstBases->viewport(), Qt::LeftButton, {}, punto);
    EXPECT_TRUE(f.Aceptar);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(FrmAcceso, RegistrarWritesTheConnectionOnceOnly)
{
    ScriptedDriver driver;
    frmAcceso f;
    f.TxtDbName->setText("sales");
    f.TxtServidor->setText(" srv01:1433 ");
    f.TxtUserId->setText("sa");
    f.CmdRegistrar->click();
    EXPECT_EQ(driver.calls(),
              QStringList{"connect DRIVER=FreeTDS;SERVER=srv01:1433;DATABASE=sales;UID=SALES;PWD=SALES;"});
    const QStringList lineas = lineasBases();
    ASSERT_EQ(lineas.size(), 1);
    const QStringList campos = lineas[0].split(',');
    ASSERT_EQ(campos.size(), 5);
    EXPECT_EQ(campos[0], "SALES / SRV01");
    EXPECT_EQ(campos[1], "sales");
    EXPECT_EQ(campos[2], "sales");
    EXPECT_NE(campos[3], "sales");
    EXPECT_EQ(ModGlobal::gFunciones().Decodificar(campos[3]), "sales");
    EXPECT_EQ(campos[4], "srv01:1433");
    EXPECT_EQ(f.TxtServidor->text(), "SRV01");
    EXPECT_EQ(lista(f), QStringList{"SALES / SRV01"});

    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "La conexion que intenta registrar ya existe ");
        EXPECT_EQ(s.buttons, vb::vbInformation);
        EXPECT_EQ(s.title, "Atencion");
    });
    f.TxtDbName->setText("Sales");
    f.TxtServidor->setText("SRV01");
    f.CmdRegistrar->click();
    EXPECT_EQ(lineasBases().size(), 1);
}

// The registered connections carry their passwords: the dialog leaves the file readable by its owner only,
// also when the file it found was readable by everyone.
TEST_F(FrmAcceso, RegistrarLeavesTheConnectionsFileToItsOwnerOnly)
{
    const QString ruta = dir.filePath("BASES.TXT");
    for (const bool existia : {false, true}) {
        QFile::remove(ruta);
        if (existia) {
            escribirBases("VIEJA / S1,vieja,vieja,xx,s1\r\n");
            ASSERT_TRUE(QFile::setPermissions(ruta, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                        QFileDevice::ReadGroup | QFileDevice::ReadOther));
        }
        ScriptedDriver driver;
        frmAcceso f;
        f.TxtDbName->setText("sales");
        f.TxtServidor->setText("srv01");
        f.CmdRegistrar->click();
        EXPECT_EQ(QFile::permissions(ruta) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner)
            << (existia ? "an older file" : "a new file");
        EXPECT_EQ(lineasBases().size(), existia ? 2 : 1);
    }
}

TEST_F(FrmAcceso, RegistrarFallsBackToTheTypedUserAndRefusesWhenNeitherConnects)
{
    const ado::Diagnostics rechazo{{"28000", 18456, "Login failed"}};
    ScriptedDriver driver;
    driver.failNextConnect(rechazo).failNextConnect(rechazo);
    frmAcceso f;
    f.TxtDbName->setText("sales");
    f.TxtServidor->setText("srv01");
    f.TxtUserId->setText(" sa ");
    f.TxtUserPassword->setText("clave");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt,
                  "NO SE PUDO CONECTAR AL SERVIDOR srv01 VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO");
        EXPECT_EQ(s.buttons, vb::vbInformation);
        EXPECT_EQ(s.title, "AVISO AL OPERADOR");
    });
    f.CmdRegistrar->click();
    EXPECT_TRUE(lineasBases().isEmpty());
    EXPECT_EQ(driver.calls().last(), "connect DRIVER=FreeTDS;SERVER=srv01;DATABASE=sales;UID=sa;PWD=clave;");

    // With the typed user accepted, the record still names the database as user and password.
    driver.failNextConnect(rechazo);
    ModGlobal::gDB() = DB_Dll();
    f.CmdRegistrar->click();
    ASSERT_EQ(lineasBases().size(), 1);
    EXPECT_TRUE(lineasBases()[0].startsWith("SALES / SRV01,sales,sales,"));
}

TEST_F(FrmAcceso, CrearAccesoDirectoPutsALauncherOnTheDesktop)
{
    QTemporaryDir escritorio;
    WshShell::setDesktopOverride(escritorio.path());
    frmAcceso f;
    f.CmdLineaComando->click();
    QFile acceso(escritorio.filePath("Zizoz Urodid.desktop"));
    ASSERT_TRUE(acceso.open(QIODevice::ReadOnly));
    const QString texto = QString::fromUtf8(acceso.readAll());
    const QString programa = dir.path() + "/kemb.exe";
    EXPECT_TRUE(texto.contains("Name=Zizoz Urodid\n"));
    EXPECT_TRUE(texto.contains("Exec=\"" + programa + "\"\n")) << texto.toStdString();
    EXPECT_TRUE(texto.contains("Icon=" + programa + "\n"));
}

TEST_F(FrmAcceso, EjecutarCmdRegDBWaitsForTheCommand)
{
    const QString comando = dir.filePath("registrar.cmd");
    QFile archivo(comando);
    ASSERT_TRUE(archivo.open(QIODevice::WriteOnly));
    archivo.write(("sleep 0.2\r\necho listo > '" + dir.filePath("hecho") + "'\r\n").toUtf8());
    archivo.close();
    frmAcceso f;
    QString error;
    EXPECT_TRUE(f.EjecutarCmdRegDB(comando, error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(QFile::exists(dir.filePath("hecho"))) << "the command had ended before the call returned";
}

} // namespace

namespace {

TEST_F(FrmAcceso, RegistrarStartsTheOdbcToolBesideTheProgram)
{
    ScriptedDriver driver;
    const QString salida = dir.filePath("argumentos.txt");
    QFile herramienta(dir.filePath("ODBC.exe"));
    ASSERT_TRUE(herramienta.open(QIODevice::WriteOnly));
    herramienta.write(("#!/bin/sh\necho \"$@\" > '" + salida + "'\n").toUtf8());
    herramienta.close();
    herramienta.setPermissions(herramienta.permissions() | QFileDevice::ExeOwner);
    frmAcceso f;
    f.TxtDbName->setText("sales");
    f.TxtServidor->setText("srv01");
    f.CmdRegistrar->click();
    QFile leido(salida);
    for (int i = 0; i < 500 && leido.size() == 0; ++i)
        QTest::qWait(10);
    ASSERT_TRUE(leido.open(QIODevice::ReadOnly));
    EXPECT_EQ(leido.readAll(), "Server=srv01;DB=sales;\n");
}

} // namespace
