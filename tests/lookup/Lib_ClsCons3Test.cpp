#include "lookup/Lib_ClsCons3.h"

#include "ListaConsulta.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Twips.h"
#include "support/ModalDriver.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using kembtest::Shown;

namespace {

class LibClsCons3 : public kembtest::ListaConsulta {
protected:
    void SetUp() override
    {
        ListaConsulta::SetUp();
        base.exec("CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50), VALOR VARCHAR(50), ValorAux VARCHAR(50))");
        base.exec("CREATE TABLE CLIENTES (ID INTEGER, CODIGO VARCHAR(10), NOMBRE VARCHAR(30), PRECIO NUMERIC(12,2))");
        base.exec("INSERT INTO CLIENTES VALUES (1, 'C1', 'Alfa', 10), (2, 'C2', 'Beta', 20)");
    }
    void cfg(const QString& clave, const QString& valor)
    {
        base.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION VALUES ('%1', '%2', '')").arg(clave, valor));
    }
    // Runs the lookup; the list window is read and then cancelled (or acted on by `accion`).
    std::string sentencia(const std::function<void()>& llamada, const std::function<void(Lib_FrmCons3*)>& accion = {})
    {
        QString vista;
        kembtest::whenShown<Lib_FrmCons3>([&](Lib_FrmCons3* w) {
            vista = w->SQL;
            if (accion)
                accion(w);
            else
                w->CmdCancelar_Click();
        });
        llamada();
        return vista.toStdString();
    }
    // The boxes of a statement the database rejects: the database class's, the columns', the rows'.
    void rechazo() { operador.answerMsgBox(vb::vbAbort).answerMsgBox(vb::vbOK).answerMsgBox(vb::vbAbort); }
    // A query-layout file of fixed 1202-byte records: (table, columns, filter).
    QString mascaras(const std::vector<std::array<QByteArray, 3>>& registros)
    {
        QByteArray datos;
        for (const auto& r : registros)
            datos += QByteArray(100, 'x') + r[0].leftJustified(100, ' ') + r[1].leftJustified(500, ' ') +
                     r[2].leftJustified(500, ' ') + "zz";
        escribir("MASCARAS.DAT", datos);
        return carpeta.filePath("MASCARAS.DAT");
    }
};

// ---- creation ----

TEST_F(LibClsCons3, CreationReadsTheConfiguration)
{
    cfg("MostrarStockenConsultas", "SI");
    cfg("Stk_Nivel1", "255");
    cfg("Stk_Nivel2", "");
    cfg("UsaConsultaLike", "si");
    Lib_ClsCons3 c;
    EXPECT_EQ(c.MuestraStock, "SI");
    EXPECT_EQ(c.StkNivel1.toString(), "255");
    EXPECT_EQ(c.StkNivel2.type(), vb::Variant::Type::Long) << "an empty value becomes the number 0";
    EXPECT_EQ(c.StkNivel2.toLongLong(), 0);
    EXPECT_EQ(c.StkNivel3.toString(), " ") << "a missing key stays a single blank";
    ASSERT_NE(c.CmpsDevueltos, nullptr);
    ASSERT_NE(c.Valores, nullptr);
    EXPECT_EQ(c.Cantidades, nullptr);
    bool like = false;
    sentencia([&] { c.ConsultaSearch("SELECT CODIGO FROM CLIENTES"); },
              [&](Lib_FrmCons3* w) {
                  like = w->CfgUsaConsultaLIKE;
                  EXPECT_EQ(w->MuestraStock, "SI");
                  EXPECT_EQ(w->StkNivel1.toString(), "255");
                  w->CmdCancelar_Click();
              });
    EXPECT_TRUE(like);
}

TEST_F(LibClsCons3, WithoutAConnectionTheDefaultsApply)
{
    ModGlobal::gDB().gOpenFlag = false;
    Lib_ClsCons3 c;
    EXPECT_EQ(c.MuestraStock, "");
    EXPECT_EQ(c.StkNivel4.toLongLong(), 0);
}

// ---- whole statements and the extra condition ----

TEST_F(LibClsCons3, TheExtraConditionIsWrappedAndJoined)
{
    struct Caso {
        const char* sql;
        const char* where;
        const char* vista;
        const char* devuelto;
        bool rechazada = false;
    };
    const Caso casos[] = {
        {"SELECT CODIGO FROM CLIENTES", "CODIGO='C1'", "SELECT CODIGO FROM CLIENTES WHERE  (CODIGO='C1')  ",
         " WHERE  (CODIGO='C1') "},
        {"SELECT CODIGO FROM CLIENTES", "1", "SELECT CODIGO FROM CLIENTES WHERE 1 ", " WHERE 1"},
        {"SELECT CODIGO FROM CLIENTES", "(ID=2)", "SELECT CODIGO FROM CLIENTES WHERE (ID=2) ", " WHERE (ID=2)"},
        {"SELECT CODIGO FROM CLIENTES", "where ID=2", "SELECT CODIGO FROM CLIENTES (where ID=2)  ", " (where ID=2) ",
         true},
        {"SELECT CODIGO FROM CLIENTES", "", "SELECT CODIGO FROM CLIENTES ", ""},
        {"select * from v_ma_articulos", "", "select * from VT_MA_ARTICULOS ", ""},
    };
    base.exec("CREATE TABLE VT_MA_ARTICULOS (IDARTICULO VARCHAR(10))");
    for (const Caso& caso : casos) {
        Lib_ClsCons3 c;
        QString where = caso.where;
        if (caso.rechazada)
            rechazo();
        const std::string vista = sentencia([&] { c.ConsultaSearch(caso.sql, nullptr, {}, nullptr, &where); });
        EXPECT_EQ(vista, caso.vista) << caso.where;
        EXPECT_EQ(where, caso.devuelto) << caso.where;
    }
}

TEST_F(LibClsCons3, AWholeStatementIsSortedInTheListOnlyWithoutOrderBy)
{
    Lib_ClsCons3 c;
    bool ordenar = true;
    sentencia([&] { c.ConsultaSearch("SELECT CODIGO FROM CLIENTES ORDER BY CODIGO"); },
              [&](Lib_FrmCons3* w) {
                  ordenar = w->OrdenarPorLwv;
                  w->CmdCancelar_Click();
              });
    EXPECT_FALSE(ordenar);
    sentencia([&] { c.ConsultaSearch("SELECT CODIGO FROM CLIENTES"); },
              [&](Lib_FrmCons3* w) {
                  ordenar = w->OrdenarPorLwv;
                  w->CmdCancelar_Click();
              });
    EXPECT_TRUE(ordenar);
}

// ---- the automatic statement ----

TEST_F(LibClsCons3, TheRowCapComesFromTopConsArt)
{
    struct Caso {
        const char* valor;
        const char* tope;
    };
    for (const Caso& caso : {Caso{nullptr, "1000"}, Caso{"", "1000"}, Caso{"0", "1000"}, Caso{"abc", "1000"},
                             Caso{"250", "250"}, Caso{"30 filas", "30"}}) {
        base.exec("DELETE FROM TA_CONFIGURACION");
        if (caso.valor)
            cfg("TopConsArt", caso.valor);
        Lib_ClsCons3 c;
        EXPECT_EQ(sentencia([&] { c.ConsultaSearch("CLIENTES"); }),
                  QStringLiteral("SELECT TOP %1 PRECIO,NOMBRE,CODIGO FROM CLIENTES  ORDER BY NOMBRE ")
                      .arg(caso.tope)
                      .toStdString())
            << (caso.valor ? caso.valor : "(missing)");
    }
}

TEST_F(LibClsCons3, TheProbeListsColumnsLastFirstAndPrefersTheDescription)
{
    base.exec("CREATE TABLE V_MV_TROPA_STOCK (ID INTEGER, CODIGO VARCHAR(10), NOMBRE VARCHAR(30), PRECIO NUMERIC)");
    Lib_ClsCons3 c;
    QString campo = "OTRO";
    QString where = "ID > 0";
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("CLIENTES", nullptr, {}, &campo, &where); }),
              "SELECT TOP 1000 PRECIO,NOMBRE,CODIGO FROM CLIENTES WHERE   (ID > 0)  ORDER BY NOMBRE ");
    EXPECT_EQ(campo, "NOMBRE");
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("V_MV_TROPA_STOCK"); }),
              "SELECT TOP 1000 PRECIO,NOMBRE,CODIGO,ID FROM V_MV_TROPA_STOCK  ORDER BY NOMBRE ");
}

TEST_F(LibClsCons3, ATableOfKeysOnlySelectsEverything)
{
    base.exec("CREATE TABLE LOG (ID INTEGER, FECHAHORA_GRABACION VARCHAR(20))");
    base.exec("INSERT INTO LOG VALUES (1, 'x')");
    Lib_ClsCons3 c;
    QString campo = "ID";
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("LOG", nullptr, {}, &campo); }),
              "SELECT TOP 1000  *  FROM LOG  ORDER BY ID ");
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("LOG"); }), "SELECT TOP 1000  *  FROM LOG  ")
        << "without a sort column the statement has no ORDER BY";
}

TEST_F(LibClsCons3, TheOptionalStatementAndTheDepositView)
{
    base.exec("CREATE TABLE V_TA_DEPOSITO (Descripcion VARCHAR(20), IdDeposito VARCHAR(5), UnidadNegocio VARCHAR(5))");
    Lib_ClsCons3 c;
    EXPECT_EQ(
        sentencia([&] { c.ConsultaSearch("NADA", nullptr, {}, nullptr, nullptr, "SELECT NOMBRE FROM CLIENTES"); }),
        "SELECT NOMBRE FROM CLIENTES ");
    QString campo;
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("V_TA_DEPOSITO", nullptr, {}, &campo); }),
              "SELECT TOP 1000 Descripcion,IdDeposito,UnidadNegocio FROM V_TA_DEPOSITO  ORDER BY IDDEPOSITO ");
    EXPECT_EQ(campo, "IDDEPOSITO");
}

// ---- the query-layout file ----

TEST_F(LibClsCons3, LayoutRecordsGiveColumnsFilterAndDefaults)
{
    base.exec("CREATE TABLE VT_CLIENTES (CODIGO VARCHAR(10), NOMBRE VARCHAR(30), Dada_De_Baja INTEGER)");
    base.exec("CREATE TABLE VT_MA_ARTICULOS (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(30), SUSPENDIDO INTEGER)");
    base.exec("CREATE TABLE TABLA3 (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(30))");
    Lib_ClsCons3 c;
    c.gUsarMascarasConsultas = true;
    c.gRutaMascaraConsultas = mascaras({{"OTRA", "A|B", ""},
                                        {QByteArray("vt_clientes\0\xFF", 13), "CODIGO|NOMBRE", ""},
                                        {"V_MA_ARTICULOS", "|CODIGO|DESCRIPCION|", ""},
                                        {"TABLA3", "CODIGO|DESCRIPCION", QByteArray("CODIGO <> 'X'\0", 14)}});
    QString campo;
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch(" VT_CLIENTES ", nullptr, {}, &campo); }),
              "SELECT TOP 1000 CODIGO,NOMBRE FROM vt_clientes  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY CODIGO ");
    EXPECT_EQ(campo, "CODIGO");
    campo.clear();
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("V_MA_ARTICULOS", nullptr, {}, &campo); }),
              "SELECT TOP 1000 CODIGO,DESCRIPCION FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO = 0 ORDER BY "
              "CODIGO ");
    campo = "DESCRIPCION";
    QString where = "CODIGO > 'A'";
    EXPECT_EQ(
        sentencia([&] { c.ConsultaSearch("TABLA3", nullptr, {}, &campo, &where); }),
        "SELECT TOP 1000 CODIGO,DESCRIPCION FROM TABLA3  with(nolock)  WHERE CODIGO <> 'X' ORDER BY DESCRIPCION ");
}

TEST_F(LibClsCons3, ALayoutFilterDefaultsToTheExtraCondition)
{
    base.exec("CREATE TABLE VT_PROVEEDORES (CODIGO VARCHAR(10), NOMBRE VARCHAR(30))");
    Lib_ClsCons3 c;
    c.gUsarMascarasConsultas = true;
    c.gRutaMascaraConsultas = mascaras({{"VT_PROVEEDORES", ",,CODIGO|NOMBRE", ""}});
    QString where = "CODIGO > 'A'";
    rechazo();
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("VT_PROVEEDORES", nullptr, {}, nullptr, &where); }),
              "SELECT TOP 1000 ,CODIGO,NOMBRE FROM VT_PROVEEDORES with(nolock)  WHERE  (CODIGO > 'A')  ")
        << "a column list still starting with a comma gives no sort column and no ORDER BY";
}

TEST_F(LibClsCons3, AnF5FilterNarrowsALayoutFilterWithAnOr)
{
    base.exec("CREATE TABLE ARTICULOS (CODIGO VARCHAR(10), RUBRO VARCHAR(10))");
    base.exec("INSERT INTO ARTICULOS VALUES ('A1', 'R1'), ('A2', 'R2'), ('B1', 'R1'), ('B3', 'R3')");
    Lib_ClsCons3 c;
    c.gUsarMascarasConsultas = true;
    c.gRutaMascaraConsultas = mascaras({{"ARTICULOS", "CODIGO|RUBRO", "RUBRO='R2' OR RUBRO='R1'"}});
    QStringList filtrados;
    sentencia([&] { c.ConsultaSearch("ARTICULOS"); },
              [&](Lib_FrmCons3* w) {
                  w->CmbSearch[0]->setEditText("B");
                  QTest::keyClick(w->CmbSearch[0], Qt::Key_F5);
                  filtrados = columna(*w, 0);
                  w->CmdCancelar_Click();
              });
    EXPECT_EQ(filtrados, (QStringList{"B1"}));
}

TEST_F(LibClsCons3, ALayoutWithOneColumnAndNoSortFieldStopsTheLookup)
{
    Lib_ClsCons3 c;
    c.gUsarMascarasConsultas = true;
    c.gRutaMascaraConsultas = mascaras({{"CLIENTES", "CODIGO", ""}});
    c.CampoDevuelto = "CODIGO";
    c.Checks = true;
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Debe configurar la consulta para esta tabla");
        EXPECT_EQ(s.buttons, vb::vbInformation);
        EXPECT_EQ(s.title, "Aviso al operador");
    });
    c.ConsultaSearch("CLIENTES");
    EXPECT_TRUE(c.Checks);
    EXPECT_EQ(c.CampoDevuelto, "CODIGO");
}

TEST_F(LibClsCons3, ATableMissingFromTheLayoutOrAMissingLayoutFileFallsBackToTheProbe)
{
    Lib_ClsCons3 c;
    c.gUsarMascarasConsultas = true;
    c.gRutaMascaraConsultas = mascaras({{"OTRA", "A|B", ""}});
    const std::string automatica = "SELECT TOP 1000 PRECIO,NOMBRE,CODIGO FROM CLIENTES  ORDER BY NOMBRE ";
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("CLIENTES"); }), automatica);
    c.gRutaMascaraConsultas = carpeta.filePath("NO_EXISTE.DAT");
    EXPECT_EQ(sentencia([&] { c.ConsultaSearch("CLIENTES"); }), automatica);
}

// ---- results ----

TEST_F(LibClsCons3, ASingleChoiceComesBackAndTheInputsAreReset)
{
    Lib_ClsCons3 c;
    c.CampoDevuelto = "CODIGO";
    Coleccion pedidos = NuevaColeccion();
    pedidos->Add(vb::Variant("NOMBRE"));
    Coleccion mismo = pedidos;
    sentencia([&] { c.ConsultaSearch("SELECT CODIGO, NOMBRE FROM CLIENTES", &pedidos, "c2"); },
              [](Lib_FrmCons3* w) {
                  EXPECT_EQ(w->CmbSearch[0]->currentText(), "c2");
                  EXPECT_EQ(w->gConnString, ModGlobal::gDB().gConnString);
                  QTest::keyClick(w->ListView1, Qt::Key_Return);
              });
    EXPECT_EQ(c.ValorDevuelto.toString(), "C2");
    EXPECT_EQ(valores(c.Valores), (QStringList{"Beta"}));
    ASSERT_NE(c.Cantidades, nullptr);
    EXPECT_EQ(c.CampoDevuelto, "");
    EXPECT_EQ(pedidos, nullptr);
    EXPECT_EQ(mismo->Count(), 0) << "the caller's collection is emptied";
    EXPECT_EQ(c.gConnString, ModGlobal::gDB().gConnString);
}

TEST_F(LibClsCons3, CheckBoxModeReturnsTheTickedRowsKeepingTheDefaults)
{
    Lib_ClsCons3 c;
    c.Checks = true;
    c.CampoDevuelto = "CODIGO";
    sentencia(
        [&] {
            c.ConsultaSearch("SELECT CODIGO, NOMBRE FROM CLIENTES", nullptr, {}, nullptr, nullptr, {}, false, "C2");
        },
        [](Lib_FrmCons3* w) {
            EXPECT_EQ(w->ListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
            EXPECT_EQ(w->ListView1->topLevelItem(1)->checkState(0), Qt::Checked);
            w->ListView1->topLevelItem(0)->setCheckState(0, Qt::Checked);
            w->CmdAceptar_Click();
        });
    EXPECT_EQ(valores(c.Valores), (QStringList{"C1", "C2"}));
    EXPECT_FALSE(c.Checks);
}

TEST_F(LibClsCons3, CancellingLeavesAnEmptyValueAndNoValues)
{
    Lib_ClsCons3 c;
    c.ValorDevuelto = vb::Variant("antes");
    sentencia([&] { c.ConsultaSearch("SELECT CODIGO FROM CLIENTES"); });
    EXPECT_EQ(c.ValorDevuelto.toString(), "");
    EXPECT_EQ(c.Valores, nullptr);
}

TEST_F(LibClsCons3, ATreeLookupLeavesTheQuantitiesAlone)
{
    base.exec("CREATE TABLE TA_CCOSTO (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(20))");
    base.exec("CREATE TABLE MA_CUENTAS (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(20))");
    base.exec("INSERT INTO MA_CUENTAS VALUES ('1', 'Activo'), ('11', 'Caja')");
    Lib_ClsCons3 c;
    c.Cantidades = NuevaColeccion();
    const Coleccion cantidades = c.Cantidades;
    c.CampoDevuelto = "CODIGO";
    c.Checks = true;
    kembtest::whenShown<Lib_FrmCons3Tree>([](Lib_FrmCons3Tree* w) {
        EXPECT_TRUE(w->CheckBoxes);
        EXPECT_EQ(w->CampoDevuelto, "CODIGO");
        w->Nodo("A1")->setCheckState(0, Qt::Checked);
        w->CmdAceptar_Click();
    });
    c.ConsultaSearch("SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS", nullptr, {}, nullptr, nullptr, {}, true);
    EXPECT_EQ(valores(c.Valores), (QStringList{"1", "11"}));
    EXPECT_EQ(c.Cantidades, cantidades);
    EXPECT_FALSE(c.Checks);
    EXPECT_EQ(c.CampoDevuelto, "");
}

// ---- option pickers and file lookup ----

TEST_F(LibClsCons3, CheckOpcionesTicksTheOptionsMarkedWithOne)
{
    Lib_ClsCons3 c;
    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        EXPECT_EQ(w->windowTitle(), "Colores");
        EXPECT_TRUE(w->CmdNueva->isHidden());
        EXPECT_EQ(encabezados(*w), (QStringList{"Colores"}));
        EXPECT_EQ(columna(*w, 0), (QStringList{"Rojo", "Verde", "Azul"}));
        EXPECT_EQ(w->ListView1->topLevelItem(1)->checkState(0), Qt::Unchecked);
        QTest::mouseClick(w->CmdAceptar, Qt::LeftButton);
    });
    EXPECT_EQ(c.CheckOpciones("Colores", nullptr, {"1Rojo", "0Verde", "1Azul"}), "");
    EXPECT_EQ(valores(c.Valores), (QStringList{"Rojo", "Azul"}));
}

TEST_F(LibClsCons3, ASingleOptionIsShown)
{
    Lib_ClsCons3 c;
    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        EXPECT_EQ(columna(*w, 0), (QStringList{"Unica"}));
        w->ListView1->setCurrentItem(w->ListView1->topLevelItem(0));
        QTest::keyClick(w->ListView1, Qt::Key_Return);
    });
    EXPECT_EQ(c.MenuOpciones("Opciones", {"Unica"}), "Unica");
}

TEST_F(LibClsCons3, MenuOpcionesReturnsTheChosenTextAndSizesTheWindow)
{
    Lib_ClsCons3 c;
    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        EXPECT_EQ(w->width(), vb::twips(QString("Un titulo bastante largo").size() * 120));
        EXPECT_EQ(w->ListView1->topLevelItem(0)->data(0, Qt::CheckStateRole), QVariant());
        w->ListView1->setCurrentItem(w->ListView1->topLevelItem(1));
        w->CmdAceptar_Click();
    });
    EXPECT_EQ(c.MenuOpciones("Un titulo bastante largo", {"uno", "dos", "tres"}), "dos");

    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        EXPECT_EQ(w->width(), vb::twips(QGuiApplication::primaryScreen()->geometry().width() * 15));
        w->CmdCancelar_Click();
    });
    EXPECT_EQ(c.MenuOpciones("T", {QString(500, 'x')}), "");
}

TEST_F(LibClsCons3, ConsultaDesdeArchivoShowsTheFileLines)
{
    escribir("LISTA.TXT", "primera\r\nsegunda l\xednea\r\n");
    Lib_ClsCons3 c;
    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        EXPECT_EQ(columna(*w, 0), (QStringList{"primera", "segunda línea"}));
        w->ListView1->setCurrentItem(w->ListView1->topLevelItem(1));
        w->CmdAceptar_Click();
    });
    EXPECT_EQ(c.ConsultaDesdeArchivo("Archivo", carpeta.filePath("LISTA.TXT")), "segunda línea");

    escribir("VACIO.TXT", "");
    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        EXPECT_EQ(w->ListView1->topLevelItemCount(), 0);
        QTest::keyClick(w->ListView1, Qt::Key_Escape);
    });
    EXPECT_EQ(c.ConsultaDesdeArchivo("Archivo", carpeta.filePath("VACIO.TXT")), "");
}

TEST_F(LibClsCons3, F5InAPickerWithoutAStatementDoesNothing)
{
    escribir("LISTA.TXT", "uno\r\ntres\r\notro\r\n");
    Lib_ClsCons3 c;
    const std::vector<std::function<QString()>> pickers = {
        [&] {
            return c.MenuOpciones("Opciones", {"uno", "tres", "otro"});
        },
        [&] {
            return c.CheckOpciones("Opciones", nullptr, {"0uno", "0tres", "0otro"});
        },
        [&] { return c.ConsultaDesdeArchivo("Opciones", carpeta.filePath("LISTA.TXT")); }};
    for (const auto& picker : pickers) {
        QStringList filas;
        QString sql;
        kembtest::whenShown<Lib_FrmCons3>([&](Lib_FrmCons3* w) {
            QTest::keyClicks(w->CmbSearch[0], "tr");
            QTest::keyClick(w->CmbSearch[0], Qt::Key_F5);
            filas = columna(*w, 0);
            sql = w->SQL;
            w->CmdCancelar_Click();
        });
        picker();
        EXPECT_EQ(filas, (QStringList{"uno", "tres", "otro"}));
        EXPECT_EQ(sql, "");
    }
}

TEST_F(LibClsCons3, ConsultaDesdeArchivoWithoutTheFileSaysSo)
{
    Lib_ClsCons3 c;
    const QString ruta = carpeta.filePath("NO.TXT");
    operador.answerMsgBox(vb::vbOK, [&](const Shown& s) {
        EXPECT_EQ(s.prompt, "No existe el archivo " + ruta + " que desea consultar consulta ");
        EXPECT_EQ(s.buttons, vb::vbOKOnly);
        EXPECT_EQ(s.title, vb::App::EXEName());
    });
    EXPECT_EQ(c.ConsultaDesdeArchivo("Archivo", ruta), "");
}

} // namespace
