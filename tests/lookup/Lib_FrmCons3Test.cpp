#include "lookup/Lib_FrmCons3.h"

#include "ListaConsulta.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Twips.h"
#include "support/FileSizeLimit.h"
#include "support/ModalDriver.h"
#include "support/WaitUntil.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using kembtest::Shown;

namespace {

class LibFrmCons3 : public kembtest::ListaConsulta {
protected:
    void SetUp() override
    {
        ListaConsulta::SetUp();
        base.exec("CREATE TABLE CLIENTES (CODIGO VARCHAR(10), NOMBRE VARCHAR(30), LOCALIDAD VARCHAR(80))");
        base.exec("INSERT INTO CLIENTES VALUES ('C2', 'bravo', 'Rosario'), ('C1', 'Alfa', 'Mendoza'), "
                  "('C3', 'charly', NULL)");
    }
    static int anchoDe(const Lib_FrmCons3& f, int letras)
    {
        return f.fontMetrics().horizontalAdvance(QString(letras, QLatin1Char('X')));
    }
};

// ---- design ----

TEST_F(LibFrmCons3, TheDesignFollowsTheTable)
{
    Lib_FrmCons3 f;
    EXPECT_EQ(f.windowTitle(), "Consulta...");
    EXPECT_EQ(f.size(), vb::twipsSize(7260, 5025));
    struct Boton {
        const char* nombre;
        const char* texto;
        QRect lugar;
    };
    for (const Boton& b : {Boton{"CmdNuevo", "N&uevo", vb::twips(0, 0, 1095, 375)},
                           Boton{"CmdTodos", "&Marcar", vb::twips(1680, 0, 1455, 375)},
                           Boton{"CmdAceptar", "&Aceptar", vb::twips(323, 0, 1695, 375)},
                           Boton{"CmdCancelar", "&Cancelar", vb::twips(2760, 0, 1695, 375)},
                           Boton{"CmdNueva", "&Nueva Busqueda", vb::twips(5160, 0, 1695, 375)}}) {
        auto* boton = f.findChild<QPushButton*>(b.nombre);
        ASSERT_NE(boton, nullptr) << b.nombre;
        EXPECT_EQ(boton->text(), b.texto);
        EXPECT_EQ(boton->geometry(), b.lugar) << b.nombre;
    }
    EXPECT_TRUE(f.CmdAceptar->isDefault());
    EXPECT_EQ(f.CmdAceptar->parentWidget(), f.Frame1);
    EXPECT_EQ(f.Label1->text(), "CONSULTA");
    EXPECT_EQ(f.Label1->palette().color(QPalette::Window), QColor(0xFF, 0xC0, 0x80));
    EXPECT_EQ(f.findChild<QWidget*>("picFields"), f.picFields);
    ASSERT_EQ(f.CmbSearch.size(), 1u);
    EXPECT_EQ(f.CmbSearch[0]->objectName(), "CmbSearch");
    EXPECT_EQ(f.CmbSearch[0]->toolTip(), "F5 realiza nueva busqueda");
    EXPECT_EQ(f.CmbSearch[0]->geometry(), vb::twips(0, 0, 1815, 315));
    EXPECT_EQ(f.CmbSearch[0]->parentWidget(), f.picFields);
    EXPECT_EQ(f.ListView1->parentWidget(), f.picFields);
    EXPECT_EQ(f.ListView1->geometry(), vb::twips(0, 360, 7335, 3495));
    EXPECT_EQ(f.HScroll1->singleStep(), 480);
    EXPECT_EQ(f.HScroll1->pageStep(), 480);
}

// ---- loading and columns ----

TEST_F(LibFrmCons3, ABlankStatementLoadsAnEmptyWindowWithoutTheDatabase)
{
    ModGlobal::gDB() = DB_Dll();
    auto f = cargar("   ");
    EXPECT_EQ(f->ListView1->columnCount(), 0);
    EXPECT_EQ(f->ListView1->topLevelItemCount(), 0);
    EXPECT_TRUE(f->Valores && f->Valores->Count() == 0);
    EXPECT_TRUE(f->Cantidades && f->Cantidades->Count() == 0);
    EXPECT_EQ(f->SQL, "   ");
}

TEST_F(LibFrmCons3, EveryRowAndFieldIsShown)
{
    auto f = cargar("SELECT CODIGO, NOMBRE, LOCALIDAD FROM CLIENTES");
    EXPECT_EQ(encabezados(*f), (QStringList{"CODIGO", "NOMBRE", "LOCALIDAD"}));
    EXPECT_EQ(columna(*f, 0), (QStringList{"C2", "C1", "C3"}));
    EXPECT_EQ(columna(*f, 1), (QStringList{"bravo", "Alfa", "charly"}));
    EXPECT_EQ(columna(*f, 2), (QStringList{"Rosario", "Mendoza", ""}));
    EXPECT_EQ(f->SQL, "SELECT CODIGO, NOMBRE, LOCALIDAD FROM CLIENTES ");
    ASSERT_EQ(f->CmbSearch.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f->CmbSearch[i]->property("Tag").toString(), encabezados(*f)[i]);
    EXPECT_TRUE(f->ListView1->font().bold());
    EXPECT_EQ(f->ListView1->font().pointSize(), 10);
    EXPECT_EQ(item(*f, 0)->data(0, Qt::CheckStateRole), QVariant());
}

TEST_F(LibFrmCons3, ColumnWidthsFollowTheFieldSizes)
{
    auto f = cargar("SELECT CODIGO, NOMBRE, LOCALIDAD FROM CLIENTES");
    EXPECT_EQ(f->ListView1->columnWidth(0), anchoDe(*f, 10));
    EXPECT_EQ(f->ListView1->columnWidth(1), anchoDe(*f, 30));
    EXPECT_EQ(f->ListView1->columnWidth(2), anchoDe(*f, 60)) << "80 is capped at 60";

    auto g = cargar("SELECT CODIGO, LOCALIDAD FROM CLIENTES", [](Lib_FrmCons3& f) { f.ValoresDefault = "@10"; });
    EXPECT_EQ(g->ListView1->columnWidth(0), anchoDe(*g, 20));
    EXPECT_EQ(g->ListView1->columnWidth(1), anchoDe(*g, 70)) << "ten more after the cap";
}

TEST_F(LibFrmCons3, AStatementWithoutRowsShowsItsColumns)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES WHERE CODIGO = 'X'");
    EXPECT_EQ(encabezados(*f), (QStringList{"CODIGO", "NOMBRE"}));
    EXPECT_EQ(f->ListView1->topLevelItemCount(), 0);
}

TEST_F(LibFrmCons3, ReloadingReusesTheSearchBoxes)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    QComboBox* segunda = f->CmbSearch[1];
    f->Form_Load();
    ASSERT_EQ(f->CmbSearch.size(), 2u);
    EXPECT_EQ(f->CmbSearch[1], segunda);
    EXPECT_EQ(columna(*f, 0), (QStringList{"C2", "C1", "C3"}));
}

TEST_F(LibFrmCons3, CheckBoxModePreChecksTheDefaultValues)
{
    auto f = cargar("SELECT CODIGO, NOMBRE, LOCALIDAD FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.CheckBoxes = true;
        f.CampoDevuelto = "LOCALIDAD";
        f.ValoresDefault = "mendoza;Cordoba";
    });
    EXPECT_EQ(item(*f, 0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(item(*f, 1)->checkState(0), Qt::Checked);
    EXPECT_EQ(item(*f, 2)->checkState(0), Qt::Unchecked) << "an empty value is no default";

    auto g = cargar("SELECT CODIGO, LOCALIDAD FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.CheckBoxes = true;
        f.CampoDevuelto = "LOCALIDAD";
    });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(item(*g, i)->checkState(0), Qt::Unchecked) << "no default values, nothing checked";
}

// Only a value that is one of the defaults is ticked; one that merely occurs inside the list is not.
TEST_F(LibFrmCons3, DefaultsTickOnlyTheRowsWhoseValueIsInTheList)
{
    base.exec("CREATE TABLE CODIGOS (CODIGO VARCHAR(10), NOMBRE VARCHAR(30))");
    base.exec("INSERT INTO CODIGOS VALUES ('', 'vacio'), (NULL, 'nulo'), ('A', 'letra'), ('1', 'cifra'), "
              "('A1', 'primero'), ('c3', 'tercero'), ('1,C', 'trozo'), ('B2', 'otro')");
    struct Caso {
        const char* defaults;
        QStringList marcados;
    };
    const Caso casos[] = {
        {"A1,C3", {"A1", "c3"}}, {";A1;C3", {"A1", "c3"}}, {" a1 , C3 ", {"A1", "c3"}}, {"B2", {"B2"}}, {"X9", {}},
    };
    for (const Caso& c : casos) {
        auto f = cargar("SELECT CODIGO, NOMBRE FROM CODIGOS", [&](Lib_FrmCons3& f) {
            f.CheckBoxes = true;
            f.CampoDevuelto = "CODIGO";
            f.ValoresDefault = c.defaults;
        });
        f->CmdAceptar_Click();
        EXPECT_EQ(valores(f->Valores), c.marcados) << c.defaults;
    }
}

TEST_F(LibFrmCons3, TheListIsSortedByItsFirstColumnWhenAsked)
{
    auto f = cargar("SELECT NOMBRE, CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.OrdenarPorLwv = true; });
    EXPECT_EQ(columna(*f, 0), (QStringList{"Alfa", "bravo", "charly"}));
}

TEST_F(LibFrmCons3, TheInitialFilterSelectsTheFirstMatchingRow)
{
    auto f = cargar("SELECT NOMBRE, CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.FiltroInicial = "CH"; });
    EXPECT_EQ(f->CmbSearch[0]->currentText(), "CH");
    ASSERT_EQ(f->ListView1->selectedItems().size(), 1);
    EXPECT_EQ(f->ListView1->selectedItems()[0]->text(0), "charly");
}

TEST_F(LibFrmCons3, UsarUDBCReadsThroughTheLookupConnection)
{
    kembtest::TestDatabase otra(kembtest::Engine::SQLite);
    otra.exec("CREATE TABLE CLIENTES (CODIGO VARCHAR(10))");
    otra.exec("INSERT INTO CLIENTES VALUES ('OTRA')");
    ModGlobal::gDBConsulta().gCnn->Open(otra.connectionString());
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.UsarUDBC = true; });
    EXPECT_EQ(columna(*f, 0), (QStringList{"OTRA"}));
    f->Form_Unload();
    EXPECT_FALSE(f->UsarUDBC);
}

class Articulos : public LibFrmCons3 {
protected:
    void SetUp() override
    {
        LibFrmCons3::SetUp();
        base.exec("CREATE TABLE V_MA_ARTICULOS (IDARTICULO VARCHAR(25), DESCRIPCION VARCHAR(40), "
                  "PUNTOPEDIDO NUMERIC(12,2), Stock NUMERIC(12,2), precio1 NUMERIC(12,2), PRECIO9 NUMERIC(12,2))");
        base.exec("INSERT INTO V_MA_ARTICULOS VALUES ('A1', 'sin punto con stock', 0, 5, 1, 1), "
                  "('A2', 'sobre el punto', 3, 5, 1, 1), ('A3', 'bajo el punto', 3, 1, 1, 1), "
                  "('A4', 'en el punto', 3, 3, 1, 1), ('A5', 'sin stock', 0, 0, 1, 1), "
                  "('A6', 'stock nulo', 0, NULL, 1, 1)");
        base.exec("CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50), VALOR VARCHAR(50), ValorAux VARCHAR(50))");
        base.exec("INSERT INTO TA_CONFIGURACION VALUES ('NOM_PCLASE1', 'Mayorista', 'x')");
    }
    static void colores(Lib_FrmCons3& f)
    {
        f.MuestraStock = "si";
        f.StkNivel1 = vb::Variant(0x0000FF);
        f.StkNivel2 = vb::Variant(0x00FF00);
        f.StkNivel3 = vb::Variant(0xFF0000);
        f.StkNivel4 = vb::Variant(0x00FFFF);
    }
};

TEST_F(Articulos, PriceColumnsTakeThePriceClassNames)
{
    auto f = cargar("SELECT IDARTICULO, precio1, PRECIO9 FROM V_MA_ARTICULOS");
    EXPECT_EQ(encabezados(*f), (QStringList{"IDARTICULO", "Mayorista", "PRECIO9"}));
}

TEST_F(Articulos, ArticleRowsAreColouredByStockLevel)
{
    auto f = cargar("SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock FROM V_MA_ARTICULOS", colores);
    const QColor esperado[] = {QColor(0xFF, 0, 0),    QColor(0, 0xFF, 0),    QColor(0, 0, 0xFF),
                               QColor(0xFF, 0xFF, 0), QColor(0xFF, 0xFF, 0), QColor(0xFF, 0xFF, 0)};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(item(*f, i)->text(0).toStdString());
        EXPECT_EQ(item(*f, i)->foreground(0).color(), esperado[i]);
        EXPECT_EQ(item(*f, i)->foreground(3).color(), esperado[i]);
        EXPECT_TRUE(item(*f, i)->font(2).bold());
    }
    EXPECT_TRUE(f->ListView1->uniformRowHeights()) << "a search keystroke lays out no row above its match";
}

TEST_F(Articulos, RowsOfAViewWithoutStockFieldsStayUncoloured)
{
    base.exec("CREATE TABLE V_MA_ARTICULOS_WEB (IDARTICULO VARCHAR(25), DESCRIPCION VARCHAR(40))");
    base.exec("INSERT INTO V_MA_ARTICULOS_WEB VALUES ('A1', 'uno')");
    auto f = cargar("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS_WEB", colores);
    ASSERT_EQ(f->ListView1->topLevelItemCount(), 1);
    EXPECT_FALSE(item(*f, 0)->font(1).bold());
    EXPECT_EQ(item(*f, 0)->foreground(1), QBrush());
}

TEST_F(Articulos, WithoutMuestraStockNothingIsColoured)
{
    auto f = cargar("SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock FROM V_MA_ARTICULOS", [](Lib_FrmCons3& f) {
        colores(f);
        f.MuestraStock = "NO";
    });
    EXPECT_EQ(item(*f, 0)->foreground(1), QBrush());
}

TEST_F(LibFrmCons3, AStatementTheDatabaseRejectsIsReportedOnce)
{
    operador.answerMsgBox(vb::vbAbort, [](const Shown& s) {
        EXPECT_TRUE(s.title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 ")) << s.title.toStdString();
    });
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) { EXPECT_EQ(s.buttons, vb::vbOKOnly); });
    operador.answerMsgBox(vb::vbIgnore, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.startsWith("Ha ocurrido el Siguiente Error (3704) ")) << s.prompt.toStdString();
        EXPECT_TRUE(s.title.endsWith(" - FORM_LOAD Aviso al operador!!! - 2 ")) << s.title.toStdString();
    });
    auto f = cargar("SELECT NADA FROM NINGUNA");
    EXPECT_EQ(f->ListView1->topLevelItemCount(), 0);
}

// ---- column widths file ----

TEST_F(LibFrmCons3, WithoutTheWidthsFileUnloadingCreatesIt)
{
    auto f = cargar("select CODIGO, NOMBRE from clientes", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    f->ListView1->setColumnWidth(0, 119);
    f->ListView1->setColumnWidth(1, 210);
    f->Form_Unload();
    EXPECT_EQ(archivo("CONSULTASLEN.MQT"), "\"clientes\",\"1785|3150|\"\r\n");
    EXPECT_FALSE(QFile::exists(carpeta.filePath("CONSULTASLEN.AUX")));
    EXPECT_EQ(f->ListView1->topLevelItemCount(), 0);
}

TEST_F(LibFrmCons3, WidthsAreSavedOnlyWhenAsked)
{
    auto f = cargar("select CODIGO, NOMBRE from clientes");
    f->Form_Unload();
    EXPECT_EQ(archivo("CONSULTASLEN.MQT"), "<sin archivo>");
}

TEST_F(LibFrmCons3, SavingATableKeepsTheOthersAndMovesItToTheEnd)
{
    base.exec("CREATE TABLE PROVEEDORES (CODIGO VARCHAR(10))");
    escribir("CONSULTASLEN.MQT", "\"CLIENTES\",\"15|\"\r\n\"OTRA\",\"30|45|\"\r\n");
    auto f = cargar("SELECT CODIGO FROM PROVEEDORES", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    f->ListView1->setColumnWidth(0, 40);
    f->Form_Unload();
    auto g = cargar("SELECT CODIGO FROM Clientes", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    g->ListView1->setColumnWidth(0, 50);
    g->Form_Unload();
    EXPECT_EQ(archivo("CONSULTASLEN.MQT").toStdString(),
              "\"OTRA\",\"30|45|\"\r\n\"PROVEEDORES\",\"600|\"\r\n\"Clientes\",\"750|\"\r\n");
}

TEST_F(LibFrmCons3, StoredWidthsAreReadForTheTableInAnyCase)
{
    escribir("CONSULTASLEN.MQT", "\"otra\",\"15|\"\r\n\"clientes\",\"1785|3150|\"\r\n");
    auto f = cargar("SELECT CODIGO, NOMBRE, LOCALIDAD FROM CLIENTES");
    EXPECT_EQ(f->ListView1->columnWidth(0), 119);
    EXPECT_EQ(f->ListView1->columnWidth(1), 210);
    EXPECT_EQ(f->ListView1->columnWidth(2), anchoDe(*f, 60)) << "a column without a stored width keeps its own";
    const int izquierda = f->ListView1->x() + f->ListView1->header()->x();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f->CmbSearch[i]->x(), izquierda + f->ListView1->header()->sectionPosition(i));
        EXPECT_EQ(f->CmbSearch[i]->width(), f->ListView1->columnWidth(i) - vb::twips(50));
    }
}

TEST_F(LibFrmCons3, StkMaArticulosWidthsGoUnderVtMaArticulos)
{
    base.exec("CREATE TABLE STK_MA_ARTICULOS (IDARTICULO VARCHAR(25))");
    escribir("CONSULTASLEN.MQT", "\"VT_MA_ARTICULOS\",\"600|\"\r\n");
    auto f = cargar("SELECT IDARTICULO FROM Stk_ma_articulos", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    EXPECT_EQ(f->ListView1->columnWidth(0), 40);
    f->ListView1->setColumnWidth(0, 60);
    f->Form_Unload();
    EXPECT_EQ(archivo("CONSULTASLEN.MQT"), "\"VT_MA_ARTICULOS\",\"900|\"\r\n");
}

TEST_F(LibFrmCons3, AFailedRewriteIsShownToTheOperator)
{
    QDir(carpeta.path()).mkdir("CONSULTASLEN.AUX");
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Error de acceso a la ruta o el archivo");
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "Aviso al Operador");
    });
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    f->Form_Unload();
    EXPECT_EQ(archivo("CONSULTASLEN.MQT"), "<sin archivo>");
}

TEST_F(LibFrmCons3, AFullDiskWhileSavingKeepsTheWidthsFileAsItWas)
{
    const QByteArray antes = "\"CLIENTES\",\"1785|3150|\"\r\n\"OTRA\",\"30|45|\"\r\n\"TERCERA\",\"600|\"\r\n";
    escribir("CONSULTASLEN.MQT", antes);
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Error de E/S de dispositivo");
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "Aviso al Operador");
    });
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    f->ListView1->setColumnWidth(0, 40);
    {
        const kembtest::FileSizeLimit disco(40);
        f->Form_Unload();
    }
    EXPECT_EQ(archivo("CONSULTASLEN.MQT").toLatin1(), antes);
    EXPECT_FALSE(QFile::exists(carpeta.filePath("CONSULTASLEN.AUX")));
}

TEST_F(LibFrmCons3, ADamagedLineOfTheWidthsFileCostsOnlyItself)
{
    escribir("CONSULTASLEN.MQT", "\"OTRA\",\"30|45|\"\r\n\"ROTA\r\n\"clientes\",\"1785|3150|\"\r\n"
                                 "\"PROVEEDORES\",\"600|\"\r\n");
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES", [](Lib_FrmCons3& f) { f.GrabarCfg = true; });
    EXPECT_EQ(f->ListView1->columnWidth(0), 119);
    EXPECT_EQ(f->ListView1->columnWidth(1), 210);
    f->Form_Unload();
    EXPECT_EQ(archivo("CONSULTASLEN.MQT").toStdString(),
              "\"OTRA\",\"30|45|\"\r\n\"PROVEEDORES\",\"600|\"\r\n\"CLIENTES\",\"1785|3150|\"\r\n");
}

TEST_F(LibFrmCons3, TheWindowSizesItselfToItsColumns)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    const int total = f->ListView1->columnWidth(0) + f->ListView1->columnWidth(1);
    EXPECT_EQ(f->width(), vb::twips(total * 15 + 360 + 280));
    EXPECT_EQ(f->HScroll1->maximum(), static_cast<int>(std::lround((total * 15 + 360 + 480) * 0.6)));
}

TEST_F(LibFrmCons3, AVeryWideListIsCappedByTheScreen)
{
    QString campos;
    for (int i = 0; i < 40; ++i)
        campos += QStringLiteral("%1LOCALIDAD AS L%2").arg(i ? ", " : "").arg(i);
    auto f = cargar("SELECT " + campos + " FROM CLIENTES");
    EXPECT_EQ(f->HScroll1->maximum(), 32700);
    const int pantalla = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(f->width(), vb::twips(pantalla * 15 - 480));
}

TEST_F(LibFrmCons3, ResizingLaysOutTheButtons)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES");
    f->show();
    f->resize(vb::twipsSize(9000, 6000));
    QCoreApplication::processEvents();
    // Sizes of the window count its frame, as the run-time's do.
    const int alto = f->frameGeometry().height() * 15;
    const int ancho = f->frameGeometry().width() * 15;
    EXPECT_EQ(f->Frame1->geometry(), QRect(0, vb::twips(alto - 375 - 520), vb::twips(ancho), f->Frame1->height()));
    EXPECT_EQ(f->CmdAceptar->x(), vb::twips(100));
    EXPECT_EQ(f->CmdCancelar->x(),
              vb::twips(static_cast<int>(std::lround((f->Frame1->width() - f->CmdCancelar->width()) * 15 / 2.0))));
    EXPECT_EQ(f->picFields->width(), vb::twips(ancho - 120));
    EXPECT_EQ(f->ListView1->width(), f->picFields->width() - vb::twips(20));
    EXPECT_EQ(f->Label1->width(), f->ListView1->width() - f->CmdNuevo->width());

    f->HScroll1->setValue(480);
    EXPECT_EQ(f->picFields->x(), -32);
}

TEST_F(LibFrmCons3, WithoutNuevaBusquedaTheTwoButtonsShareTheFrame)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES");
    f->CmdNueva->hide();
    f->show();
    f->resize(vb::twipsSize(9000, 6000));
    QCoreApplication::processEvents();
    EXPECT_EQ(f->CmdCancelar->x(), f->CmdNueva->x()) << "Cancelar takes the place of Nueva Busqueda";
    EXPECT_EQ(f->CmdAceptar->width(), vb::twips(1695));

    f->resize(vb::twipsSize(3000, 6000));
    QCoreApplication::processEvents();
    EXPECT_EQ(f->CmdAceptar->width(), vb::twips(1695) / 2) << "a narrow window halves the buttons";
    f->resize(vb::twipsSize(2900, 6000));
    QCoreApplication::processEvents();
    EXPECT_EQ(f->CmdAceptar->width(), vb::twips(1695) / 2) << "once, however often it is resized";
    EXPECT_EQ(f->CmdCancelar->width(), f->CmdAceptar->width());
    EXPECT_EQ(f->CmdAceptar->x(), vb::twips(100));
    EXPECT_EQ(f->CmdNueva->x(), f->CmdCancelar->x());
}

// ---- search and filters ----

TEST_F(LibFrmCons3, TypingSelectsTheFirstRowThatStartsWithTheText)
{
    base.exec("INSERT INTO CLIENTES VALUES ('0AB', 'x', ''), ('AB1', 'y', '')");
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    f->CmbSearch[0]->setEditText("ab");
    ASSERT_EQ(f->ListView1->selectedItems().size(), 1);
    EXPECT_EQ(f->ListView1->selectedItems()[0]->text(0), "AB1");
    f->CmbSearch[0]->setEditText("zz");
    EXPECT_EQ(f->ListView1->selectedItems()[0]->text(0), "AB1") << "no match leaves the selection";
    f->CmbSearch[1]->setEditText(" CH ");
    EXPECT_EQ(f->ListView1->selectedItems()[0]->text(0), "C3");
}

TEST_F(LibFrmCons3, BusquedaGivesThePositionOfTheFirstMatch)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    EXPECT_EQ(f->Busqueda(0, "c1"), 2);
    EXPECT_EQ(f->Busqueda(1, "CHAR"), 3);
    EXPECT_EQ(f->Busqueda(-1, "c3"), 3) << "a column before the first reads the item text";
    EXPECT_EQ(f->Busqueda(0, ""), 1);
    EXPECT_EQ(f->Busqueda(0, "Z"), 0);
}

TEST_F(LibFrmCons3, SearchBoxesShowTheirFocus)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    f->show();
    QApplication::setActiveWindow(f.get());
    f->CmbSearch[1]->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->CmbSearch[1]->palette().color(QPalette::Base), QColor(0, 0xFF, 0xFF));
    f->CmbSearch[0]->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->CmbSearch[1]->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(f->CmbSearch[0]->palette().color(QPalette::Base), QColor(0, 0xFF, 0xFF));
}

// F5 in a search box: the statement it builds and the rows it reloads.
struct Filtro {
    const char* sql;
    bool like;
    int caja;
    const char* texto;
    const char* resultado;
    QStringList codigos;
};

class Filtros : public LibFrmCons3, public ::testing::WithParamInterface<Filtro> {};

TEST_P(Filtros, F5AddsALikeCondition)
{
    const Filtro& c = GetParam();
    base.exec("CREATE TABLE V_MA_ARTICULOS (IDARTICULO VARCHAR(25), DESCRIPCION VARCHAR(40))");
    base.exec("INSERT INTO V_MA_ARTICULOS VALUES ('A1', 'casa roja'), ('A2', 'casa azul'), ('A3', 'la casa roja')");
    auto f = cargar(c.sql, [&](Lib_FrmCons3& f) { f.CfgUsaConsultaLIKE = c.like; });
    f->CmbSearch[c.caja]->setEditText(c.texto);
    f->CmbSearch_KeyDown(c.caja, 116, 0);
    EXPECT_EQ(f->SQL.toStdString(), std::string(c.resultado) + " ");
    EXPECT_EQ(f->CmbSearch[c.caja]->currentText(), "");
    EXPECT_EQ(columna(*f, 0), c.codigos);
}

INSTANTIATE_TEST_SUITE_P(
    LibFrmCons3, Filtros,
    ::testing::Values(
        Filtro{"SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS ORDER BY IDARTICULO",
               true,
               1,
               "casa roja",
               "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where DESCRIPCION like '%casa%roja%' ORDER BY "
               "IDARTICULO ",
               {"A1", "A3"}},
        Filtro{"SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS",
               false,
               1,
               "CASA*ROJA",
               "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where DESCRIPCION like 'CASA%ROJA%' ",
               {"A1"}},
        Filtro{"SELECT DESCRIPCION, COUNT(*) AS N FROM V_MA_ARTICULOS WHERE IDARTICULO > 'A1' GROUP BY DESCRIPCION "
               "ORDER BY DESCRIPCION",
               true,
               0,
               "roja",
               "SELECT DESCRIPCION, COUNT(*) AS N FROM V_MA_ARTICULOS WHERE (IDARTICULO > 'A1')  and DESCRIPCION like "
               "'%roja%' GROUP BY DESCRIPCION ORDER BY DESCRIPCION ",
               {"la casa roja"}},
        Filtro{"SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS WHERE IDARTICULO='A2' OR IDARTICULO='A1' ORDER BY "
               "IDARTICULO",
               true,
               1,
               "roja",
               "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS WHERE (IDARTICULO='A2' OR IDARTICULO='A1')  and "
               "DESCRIPCION like '%roja%' ORDER BY IDARTICULO ",
               {"A1"}},
        Filtro{"SELECT IDARTICULO AS ORDERS FROM V_MA_ARTICULOS",
               false,
               0,
               "A2",
               "SELECT IDARTICULO AS ORDERS FROM V_MA_ARTICULOS  where ORDERS like 'A2%' ",
               {"A2"}},
        Filtro{"SELECT v_ma_articulos.IDARTICULO FROM V_MA_ARTICULOS",
               false,
               0,
               "a3",
               "SELECT v_ma_articulos.IDARTICULO FROM V_MA_ARTICULOS  where v_ma_articulos.IDARTICULO like 'a3%' ",
               {"A3"}},
        Filtro{"SELECT IDARTICULO FROM V_MA_ARTICULOS",
               false,
               0,
               "",
               "SELECT IDARTICULO FROM V_MA_ARTICULOS  where IDARTICULO like '%' ",
               {"A1", "A2", "A3"}},
        Filtro{"SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS",
               true,
               1,
               "O'Brien casa",
               "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where DESCRIPCION like '%O''Brien%casa%' ",
               {}}));

TEST_F(LibFrmCons3, FiltersAccumulateUntilNuevaBusqueda)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    f->CmbSearch[1]->setEditText("a");
    f->CmbSearch_KeyDown(1, 116, 0);
    EXPECT_EQ(columna(*f, 0), (QStringList{"C1"}));
    f->CmbSearch[0]->setEditText("c");
    f->CmbSearch_KeyDown(0, 116, 0);
    EXPECT_EQ(f->SQL, "SELECT CODIGO, NOMBRE FROM CLIENTES  where (NOMBRE like 'a%')  and CODIGO like 'c%'  ");
    f->CmdNueva_Click();
    EXPECT_EQ(f->SQL, "SELECT CODIGO, NOMBRE FROM CLIENTES  ");
    EXPECT_EQ(columna(*f, 0), (QStringList{"C2", "C1", "C3"}));
}

TEST_F(LibFrmCons3, ArrowKeysInASearchBoxGoToTheList)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    f->show();
    QApplication::setActiveWindow(f.get());
    f->CmbSearch[0]->setFocus();
    QTest::keyClick(f->CmbSearch[0], Qt::Key_Down);
    EXPECT_TRUE(f->ListView1->hasFocus());
    QTest::keyClick(f->CmbSearch[0], Qt::Key_F5);
    EXPECT_EQ(f->SQL, "SELECT CODIGO, NOMBRE FROM CLIENTES  where CODIGO like '%'  ");
}

TEST_F(LibFrmCons3, HeaderClicksSortAlternately)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    f->show();
    f->ListView1_ColumnClick(2);
    EXPECT_EQ(columna(*f, 1), (QStringList{"charly", "bravo", "Alfa"}));
    QTest::mouseClick(f->ListView1->header()->viewport(), Qt::LeftButton, {},
                      QPoint(f->ListView1->header()->sectionViewportPosition(1) + 5, 5));
    EXPECT_EQ(columna(*f, 1), (QStringList{"Alfa", "bravo", "charly"}));
}

// ---- actions and results ----

TEST_F(LibFrmCons3, IndiceColumnaFindsAHeaderInAnyCase)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    EXPECT_EQ(f->IndiceColumna(" nombre "), 2);
    EXPECT_EQ(f->IndiceColumna("Codigo"), 1);
    EXPECT_EQ(f->IndiceColumna("SALDO"), 0);
}

TEST_F(LibFrmCons3, AcceptInCheckBoxModeReturnsTheCheckedRows)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES", [](Lib_FrmCons3& f) { f.CheckBoxes = true; });
    f->show();
    item(*f, 0)->setCheckState(0, Qt::Checked);
    item(*f, 2)->setCheckState(0, Qt::Checked);
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{"C2", "C3"}));
    EXPECT_EQ(f->CampoDevuelto, "CODIGO");
    EXPECT_FALSE(f->isVisible());
}

TEST_F(LibFrmCons3, AcceptInCheckBoxModeWithAnUnknownFieldAddsEmptyValues)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.CheckBoxes = true;
        f.CampoDevuelto = "SALDO";
    });
    f->CmdTodos_Click();
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{"", "", ""}));
}

TEST_F(LibFrmCons3, AcceptReturnsTheSelectedRowsFields)
{
    auto f = cargar("SELECT CODIGO, NOMBRE, LOCALIDAD FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.CampoDevuelto = "nombre";
        f.CmpsDevueltos = NuevaColeccion();
        f.CmpsDevueltos->Add(vb::Variant("LOCALIDAD"));
        f.CmpsDevueltos->Add(vb::Variant("NINGUNO"));
        f.CmpsDevueltos->Add(vb::Variant("CODIGO"));
    });
    f->ListView1->setCurrentItem(item(*f, 1));
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{"Mendoza", "Mendoza", "C1"}));
    EXPECT_EQ(f->ValorDevuelto.toString(), "Alfa");

    auto g = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.CmpsDevueltos = NuevaColeccion();
        f.CmpsDevueltos->Add(vb::Variant("NOMBRE"));
    });
    g->ListView1->setCurrentItem(item(*g, 2));
    g->CmdAceptar_Click();
    EXPECT_EQ(g->ValorDevuelto.toString(), "charly") << "without CampoDevuelto the last value taken";
}

TEST_F(LibFrmCons3, AcceptWithoutASelectedRowOnlyHides)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.CampoDevuelto = "CODIGO";
        f.ValorDevuelto = vb::Variant("antes");
    });
    f->show();
    f->CmdAceptar_Click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->ValorDevuelto.toString(), "antes");
}

TEST_F(LibFrmCons3, CancelClearsTheResults)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) {
        f.ValorDevuelto = vb::Variant("antes");
        f.CmpsDevueltos = NuevaColeccion();
    });
    f->show();
    QTest::keyClick(f->ListView1, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->ValorDevuelto.type(), vb::Variant::Type::String);
    EXPECT_EQ(f->ValorDevuelto.toString(), "");
    EXPECT_EQ(f->Valores, nullptr);
    EXPECT_EQ(f->CmpsDevueltos, nullptr);
}

TEST_F(LibFrmCons3, MarcarReversesEveryCheckMark)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.CheckBoxes = true; });
    item(*f, 1)->setCheckState(0, Qt::Checked);
    QTest::mouseClick(f->CmdTodos, Qt::LeftButton);
    EXPECT_EQ(item(*f, 0)->checkState(0), Qt::Checked);
    EXPECT_EQ(item(*f, 1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(item(*f, 2)->checkState(0), Qt::Checked);
}

TEST_F(LibFrmCons3, EnterAndDoubleClickInTheListAccept)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES", [](Lib_FrmCons3& f) { f.CampoDevuelto = "CODIGO"; });
    f->show();
    f->ListView1->setCurrentItem(item(*f, 2));
    QTest::keyClick(f->ListView1, Qt::Key_Return);
    EXPECT_EQ(f->ValorDevuelto.toString(), "C3");
    EXPECT_FALSE(f->isVisible());

    f->show();
    QCoreApplication::processEvents();
    const QRect celda = f->ListView1->visualItemRect(item(*f, 0));
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, celda.center());
    QTest::mouseDClick(f->ListView1->viewport(), Qt::LeftButton, {}, celda.center());
    EXPECT_EQ(f->ValorDevuelto.toString(), "C2");
}

TEST_F(LibFrmCons3, EnterAfterDownHandsBackTheRowShownAsCurrent)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES", [](Lib_FrmCons3& f) { f.CampoDevuelto = "CODIGO"; });
    f->show();
    QApplication::setActiveWindow(f.get());
    const auto elegir = [&](const QString& tecleado) {
        f->show();
        QApplication::setActiveWindow(f.get());
        f->ValorDevuelto = vb::Variant("previo");
        f->CmbSearch[0]->setFocus();
        if (!tecleado.isEmpty())
            QTest::keyClicks(f->CmbSearch[0], tecleado);
        QTest::keyClick(f->CmbSearch[0], Qt::Key_Down);
        EXPECT_TRUE(f->ListView1->hasFocus());
        QTest::keyClick(f->ListView1, Qt::Key_Return);
        EXPECT_FALSE(f->isVisible());
        return f->ValorDevuelto.toString();
    };
    EXPECT_EQ(elegir({}), "C2") << "fresh load: the first row";
    EXPECT_EQ(elegir("C1"), "C1") << "the row the typing search moved to";
    f->show();
    f->CmbSearch[1]->setEditText("a");
    f->CmbSearch_KeyDown(1, 116, 0);
    ASSERT_EQ(columna(*f, 0), (QStringList{"C1"}));
    EXPECT_EQ(elegir({}), "C1") << "after F5";
}

TEST_F(LibFrmCons3, KeysTypedInTheListGoOnInTheLastSearchBox)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES");
    f->show();
    QApplication::setActiveWindow(f.get());
    f->CmbSearch[1]->setFocus();
    f->ListView1->setFocus();
    QTest::keyClick(f->ListView1, Qt::Key_C);
    EXPECT_TRUE(f->CmbSearch[1]->hasFocus());
    f->ListView1->setFocus();
    QTest::keyClick(f->ListView1, Qt::Key_H);
    QTest::keyClick(f->ListView1, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyClick(f->ListView1, Qt::Key_F1);
    EXPECT_EQ(f->CmbSearch[1]->currentText(), "CH1") << "the keypad types its digit, function keys type nothing";
    QTest::keyClick(f->ListView1, Qt::Key_Backspace);
    QTest::keyClick(f->ListView1, Qt::Key_Space);
    EXPECT_EQ(f->CmbSearch[1]->currentText(), "CH ");
    EXPECT_EQ(f->ListView1->selectedItems()[0]->text(1), "charly");
}

class Cantidades : public LibFrmCons3 {
protected:
    std::unique_ptr<Lib_FrmCons3> lista()
    {
        base.exec("CREATE TABLE PEDIDO (IDARTICULO VARCHAR(10), \"**Cantidad**\" VARCHAR(10))");
        base.exec("INSERT INTO PEDIDO VALUES ('A1', '1.0'), ('A2', '0.00')");
        auto f = cargar("SELECT IDARTICULO, \"**Cantidad**\" FROM PEDIDO", [](Lib_FrmCons3& f) {
            f.CheckBoxes = true;
            f.UsaCantidades = true;
        });
        f->show();
        return f;
    }
};

TEST_F(Cantidades, DeleteAndInsertStepTheQuantity)
{
    auto f = lista();
    item(*f, 0)->setCheckState(0, Qt::Checked);
    f->ListView1->setCurrentItem(item(*f, 0));
    QTest::keyClick(f->ListView1, Qt::Key_Delete);
    EXPECT_EQ(item(*f, 0)->text(1), "0.00");
    EXPECT_EQ(item(*f, 0)->checkState(0), Qt::Unchecked);

    f->ListView1->setCurrentItem(item(*f, 1));
    QTest::keyClick(f->ListView1, Qt::Key_Insert);
    EXPECT_EQ(item(*f, 1)->text(1), "1,0");
    EXPECT_EQ(item(*f, 1)->checkState(0), Qt::Checked);
    QTest::keyClick(f->ListView1, Qt::Key_Insert);
    EXPECT_EQ(item(*f, 1)->text(1), "2,0") << "the locale's own decimal comma reads back";
}

// A cell is read as it was written: a period or the locale's decimal comma is the decimal point, nothing groups
// thousands, and the number ends at the second separator or at the first character that is none of these.
TEST_F(Cantidades, AQuantityIsReadWithEitherDecimalSeparator)
{
    auto f = lista();
    struct Caso {
        const char* celda;
        Qt::Key tecla;
        const char* resultado;
    };
    for (const Caso& c : {Caso{"1.000", Qt::Key_Insert, "2,0"}, Caso{"2.5", Qt::Key_Insert, "3,5"},
                          Caso{"1.000", Qt::Key_Delete, "0.00"}, Caso{"3,75", Qt::Key_Delete, "2,8"},
                          Caso{"1,000.5", Qt::Key_Insert, "2,0"}, Caso{"2.5,3", Qt::Key_Insert, "3,5"},
                          Caso{",5", Qt::Key_Insert, "1,5"}, Caso{" -1,5 u", Qt::Key_Insert, "-0,5"},
                          Caso{"abc", Qt::Key_Insert, "1,0"}}) {
        item(*f, 0)->setText(1, c.celda);
        f->ListView1->setCurrentItem(item(*f, 0));
        QTest::keyClick(f->ListView1, c.tecla);
        EXPECT_EQ(item(*f, 0)->text(1), c.resultado) << c.celda;
    }
}

// Where the period is the locale's own decimal point, a comma is no decimal point and groups nothing either.
TEST_F(Cantidades, UnderAPeriodLocaleACommaEndsTheNumber)
{
    const QLocale antes;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    auto f = lista();
    struct Caso {
        const char* celda;
        const char* resultado;
    };
    for (const Caso& c : {Caso{"2.50", "3.5"}, Caso{"2,50", "3.0"}, Caso{"1,000.5", "2.0"}}) {
        item(*f, 0)->setText(1, c.celda);
        f->ListView1->setCurrentItem(item(*f, 0));
        QTest::keyClick(f->ListView1, Qt::Key_Insert);
        EXPECT_EQ(item(*f, 0)->text(1), c.resultado) << c.celda;
    }
    QLocale::setDefault(antes);
}

// Under es_AR a quantity keeps its fraction through Insert and Delete, and the caller reads it so. The window
// writes a quantity with the decimal comma; the database with a period, so "1.000" there is one. A typed quantity
// is read in the user's locale, where "1.000" is a thousand.
TEST_F(Cantidades, AQuantityKeepsItsFractionUntilTheCallerReadsIt)
{
    base.exec("CREATE TABLE PEDIDO (IDARTICULO VARCHAR(10), \"**Cantidad**\" VARCHAR(10))");
    base.exec("INSERT INTO PEDIDO VALUES ('A1', ''), ('A2', ''), ('A3', ''), ('A4', ''), ('A5', '2.50'), "
              "('A6', '1.000')");
    auto f = cargar("SELECT IDARTICULO, \"**Cantidad**\" FROM PEDIDO", [](Lib_FrmCons3& f) {
        f.CheckBoxes = true;
        f.UsaCantidades = true;
        f.CampoDevuelto = "**Cantidad**";
    });
    f->show();
    struct Caso {
        const char* escrita;
        const char* celda;
        std::array<const char*, 3> pasos;
        bool tildada;
    };
    const Caso casos[] = {
        {"2,5", "2,50", {"3,5", "2,5", "1,5"}, true},
        {"0,5", "0,50", {"1,5", "0,5", "0.00"}, false},
        {"1.000", "1000,00", {"1001,0", "1000,0", "999,0"}, true},
        {"3", "3,00", {"4,0", "3,0", "2,0"}, true},
        {nullptr, "2.50", {"3,5", "2,5", "1,5"}, true},
        {nullptr, "1.000", {"2,0", "1,0", "0.00"}, false},
    };
    const Qt::Key teclas[] = {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Delete};
    for (int i = 0; i < 6; ++i) {
        const Caso& c = casos[i];
        SCOPED_TRACE(c.celda);
        f->ListView1->setCurrentItem(item(*f, i));
        if (c.escrita) {
            operador.answerInput(c.escrita);
            QTest::keyClick(f->ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        }
        EXPECT_EQ(item(*f, i)->text(1), c.celda);
        for (int paso = 0; paso < 3; ++paso) {
            QTest::keyClick(f->ListView1, teclas[paso]);
            EXPECT_EQ(item(*f, i)->text(1), c.pasos[paso]) << "step " << paso;
        }
        EXPECT_EQ(item(*f, i)->checkState(0), c.tildada ? Qt::Checked : Qt::Unchecked);
    }
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{"1,5", "999,0", "2,0", "1,5"}));
    EXPECT_TRUE(f->Cantidades && f->Cantidades->Count() == 0) << "the quantity collection stays empty";
}

TEST_F(Cantidades, ShiftInsertAsksForTheQuantity)
{
    auto f = lista();
    f->ListView1->setCurrentItem(item(*f, 0));
    struct Caso {
        const char* entrada;
        const char* celda;
    };
    for (const Caso& c : {Caso{"", "0.00"}, Caso{"2,5", "2,50"}, Caso{"0,5", "0,50"}, Caso{"abc", "0.00"},
                          Caso{"0,00", "0.00"}, Caso{"0.5", "0,50"}, Caso{"0.000,5", "0,50"}}) {
        operador.answerInput(c.entrada);
        item(*f, 0)->setCheckState(0, Qt::Unchecked);
        QTest::keyClick(f->ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(item(*f, 0)->text(1), c.celda) << c.entrada;
        EXPECT_EQ(item(*f, 0)->checkState(0), Qt::Checked);
    }
    const auto& preguntas = operador.shown();
    ASSERT_EQ(preguntas.size(), 7u);
    EXPECT_EQ(preguntas[0].prompt, "Ingrese la Cantidad del Articulo...");
    EXPECT_EQ(preguntas[0].title, "Carga de Datos");
}

// Shift+Insert offers the cell's text; accepted as it stands it keeps the cell's quantity, whichever way the cell
// was written, while the same text typed over another is read in the user's locale.
TEST_F(Cantidades, AQuantityAcceptedAsOfferedKeepsItsValue)
{
    auto f = lista();
    f->ListView1->setCurrentItem(item(*f, 0));
    struct Caso {
        const char* celda;
        const char* entrada;
        const char* resultado;
    };
    for (const Caso& c : {Caso{"1.000", "1.000", "1,00"}, Caso{"2.50", "2.50", "2,50"}, Caso{"2,50", "2,50", "2,50"},
                          Caso{"0.00", "0.00", "0.00"}, Caso{"2,50", "1.000", "1000,00"}, Caso{"2.50", "", "0.00"}}) {
        item(*f, 0)->setText(1, c.celda);
        operador.answerInput(c.entrada);
        QTest::keyClick(f->ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(item(*f, 0)->text(1), c.resultado) << c.celda << " -> " << c.entrada;
    }
    for (const auto& pregunta : operador.shown())
        EXPECT_EQ(pregunta.title, "Carga de Datos");
}

TEST_F(Cantidades, WithoutUsaCantidadesTheKeysDoNothing)
{
    auto f = lista();
    f->UsaCantidades = false;
    f->ListView1->setCurrentItem(item(*f, 0));
    QTest::keyClick(f->ListView1, Qt::Key_Insert);
    EXPECT_EQ(item(*f, 0)->text(1), "1.0");
}

TEST_F(LibFrmCons3, F12OutsideArticlesDoesNothing)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES");
    f->ListView1->setCurrentItem(item(*f, 0));
    EXPECT_FALSE(f->Form_KeyDown(123, 0));
}

TEST_F(Articulos, F12ReportsTheArticleAsMissingStock)
{
    base.exec("CREATE TABLE V_MV_FALTANTES (FechaHora VARCHAR(30), IdArticulo VARCHAR(25), Descripcion VARCHAR(40), "
              "Usuario VARCHAR(20))");
    base.exec("INSERT INTO V_MA_ARTICULOS VALUES ('A7', 'D''Angelo', 0, 0, 0, 0)");
    ModGlobal::gDB().gUsuario = "ana";
    auto f = cargar("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS WHERE IDARTICULO = 'A7'");
    f->show();
    f->ListView1->setCurrentItem(item(*f, 0));
    operador.answerMsgBox(vb::vbNo, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Desea informar el articulo A7 D'Angelo\r\ncomo un faltante de stock?");
        EXPECT_EQ(s.buttons, vb::vbQuestion + vb::vbYesNo);
        EXPECT_EQ(s.title, "Atención!");
    });
    QTest::keyClick(f->ListView1, Qt::Key_F12);
    EXPECT_EQ(base.exec("SELECT * FROM V_MV_FALTANTES").rows.size(), 0u);

    operador.answerMsgBox(vb::vbYes);
    QTest::keyClick(f->CmdAceptar, Qt::Key_F12);
    const auto filas = base.exec("SELECT IdArticulo, Descripcion, Usuario FROM V_MV_FALTANTES").rows;
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0][0].toString(), QString(23, ' ') + "A7");
    EXPECT_EQ(filas[0][1].toString(), "D'Angelo");
    EXPECT_EQ(filas[0][2].toString(), "ana");
    EXPECT_TRUE(f->isVisible());
}

TEST_F(Articulos, F12StampsTheReportWithItsFullYearAndSeconds)
{
    base.exec("CREATE TABLE V_MV_FALTANTES (FechaHora VARCHAR(30), IdArticulo VARCHAR(25), Descripcion VARCHAR(40), "
              "Usuario VARCHAR(20))");
    base.exec("INSERT INTO V_MA_ARTICULOS VALUES ('A7', 'Yerba', 0, 0, 0, 0)");
    auto f = cargar("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS WHERE IDARTICULO = 'A7'");
    f->show();
    f->ListView1->setCurrentItem(item(*f, 0));
    QDateTime antes = QDateTime::currentDateTime();
    antes.setTime(QTime(antes.time().hour(), antes.time().minute(), antes.time().second()));
    operador.answerMsgBox(vb::vbYes);
    QTest::keyClick(f->ListView1, Qt::Key_F12);
    const QDateTime despues = QDateTime::currentDateTime();
    const auto filas = base.exec("SELECT FechaHora FROM V_MV_FALTANTES").rows;
    ASSERT_EQ(filas.size(), 1u);
    const QString sello = filas[0][0].toString();
    const QDateTime leido = QDateTime::fromString(sello, QStringLiteral("d/M/yyyy HH:mm:ss"));
    ASSERT_TRUE(leido.isValid()) << sello.toStdString();
    EXPECT_GE(leido, antes) << sello.toStdString();
    EXPECT_LE(leido, despues) << sello.toStdString();
}

TEST_F(Articulos, F12WithNoSelectedRowDoesNothing)
{
    auto f = cargar("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS WHERE IDARTICULO = 'X'");
    EXPECT_TRUE(f->Form_KeyDown(123, 0));
}

TEST_F(LibFrmCons3, AModalLookupIsDrivenFromTheKeyboard)
{
    auto f = cargar("SELECT CODIGO, NOMBRE FROM CLIENTES", [](Lib_FrmCons3& f) { f.CampoDevuelto = "CODIGO"; });
    kembtest::whenShown<Lib_FrmCons3>([](Lib_FrmCons3* w) {
        QTest::keyClicks(w->CmbSearch[1], "br");
        QTest::keyClick(w->CmbSearch[1], Qt::Key_Return);
    });
    f->exec();
    EXPECT_EQ(f->ValorDevuelto.toString(), "C2");
}

// The list on each engine the tests reach, as the main connection.
class ListaEnMotores : public ::testing::TestWithParam<kembtest::Engine> {
protected:
    void SetUp() override
    {
        if (const QString por = kembtest::TestDatabase::unavailable(GetParam()); !por.isEmpty())
            GTEST_SKIP() << por.toStdString();
        base = std::make_unique<kembtest::TestDatabase>(GetParam());
        vb::App::setPath(carpeta.path());
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open(base->connectionString());
        db.gOpenFlag = true;
        db.gEsAdmin = true;
    }
    void TearDown() override
    {
        ModGlobal::gDB() = DB_Dll();
        vb::App::setPath(QString());
    }
    std::unique_ptr<kembtest::TestDatabase> base;
    QTemporaryDir carpeta;
    kembtest::ScriptedOperator operador;
};

// A quantity column as each engine hands it over: text written with a period, and a numeric column, which the
// window shows in the locale's form. Either keeps its fraction.
class CantidadesEnMotores : public ListaEnMotores {};

TEST_P(CantidadesEnMotores, AQuantityFromTheDatabaseKeepsItsFraction)
{
    base->exec("CREATE TABLE PEDIDO (IDARTICULO VARCHAR(10), \"**Cantidad**\" VARCHAR(10), CANTIDAD NUMERIC(12,3))");
    base->exec("INSERT INTO PEDIDO VALUES ('A1', '2.50', 2.5), ('A2', '1.000', 1)");
    struct Caso {
        const char* columna;
        QStringList celdas;
        QStringList trasInsert;
    };
    const Caso casos[] = {
        {"\"**Cantidad**\"", {"2.50", "1.000"}, {"3,5", "2,0"}},
        {"CANTIDAD AS \"**Cantidad**\"", {"2,5", "1"}, {"3,5", "2,0"}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.columna);
        Lib_FrmCons3 f;
        f.SQL = QStringLiteral("SELECT IDARTICULO, %1 FROM PEDIDO ORDER BY IDARTICULO").arg(c.columna);
        f.CheckBoxes = true;
        f.UsaCantidades = true;
        f.CampoDevuelto = "**Cantidad**";
        f.Form_Load();
        f.show();
        QStringList celdas;
        for (int i = 0; i < f.ListView1->topLevelItemCount(); ++i) {
            celdas << f.ListView1->topLevelItem(i)->text(1);
            f.ListView1->setCurrentItem(f.ListView1->topLevelItem(i));
            QTest::keyClick(f.ListView1, Qt::Key_Insert);
        }
        EXPECT_EQ(celdas, c.celdas);
        f.CmdAceptar_Click();
        QStringList leidas;
        for (int i = 1; f.Valores && i <= f.Valores->Count(); ++i)
            leidas << f.Valores->Item(i).toString();
        EXPECT_EQ(leidas, c.trasInsert);
    }
    EXPECT_TRUE(operador.allAnswered());
}

INSTANTIATE_TEST_SUITE_P(LibFrmCons3, CantidadesEnMotores,
                         ::testing::Values(kembtest::Engine::SQLite, kembtest::Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

// F5 filters run on each engine the tests reach: typed text matches literally, % and _ stay wildcards,
// and the statement's own condition is narrowed as a whole.
class FiltroEnMotores : public ListaEnMotores {
protected:
    void SetUp() override
    {
        ListaEnMotores::SetUp();
        if (IsSkipped())
            return;
        base->exec("CREATE TABLE RUTAS (CODIGO VARCHAR(10), RUTA VARCHAR(40))");
        base->exec("INSERT INTO RUTAS VALUES ('R1', 'C:\\dir\\file'), ('R2', 'C:dirfile'), "
                   "('R3', 'C:\\dir\\otro'), ('R4', 'D:\\dir\\file')");
    }
    QStringList filtrar(const QString& sql, bool like, const QString& texto)
    {
        Lib_FrmCons3 f;
        f.SQL = sql;
        f.CfgUsaConsultaLIKE = like;
        f.Form_Load();
        f.CmbSearch[1]->setEditText(texto);
        f.CmbSearch_KeyDown(1, 116, 0);
        QStringList codigos;
        for (int i = 0; i < f.ListView1->topLevelItemCount(); ++i)
            codigos << f.ListView1->topLevelItem(i)->text(0);
        codigos.sort();
        return codigos;
    }
};

TEST_P(FiltroEnMotores, TypedTextMatchesLiterallyWithItsWildcards)
{
    struct Caso {
        bool like;
        const char* texto;
        QStringList codigos;
    };
    for (const Caso& c : {Caso{true, "C:\\dir\\file", {"R1"}}, Caso{false, "C:\\dir", {"R1", "R3"}},
                          Caso{false, "C:_dir", {"R1", "R3"}}, Caso{false, "%:\\dir\\f", {"R1", "R4"}},
                          Caso{true, "dir file", {"R1", "R2", "R4"}}})
        EXPECT_EQ(filtrar("SELECT CODIGO, RUTA FROM RUTAS ORDER BY CODIGO", c.like, c.texto), c.codigos) << c.texto;
    EXPECT_TRUE(operador.allAnswered());
}

TEST_P(FiltroEnMotores, AConditionWithAnOrIsNarrowedAsAWhole)
{
    EXPECT_EQ(
        filtrar("SELECT CODIGO, RUTA FROM RUTAS WHERE CODIGO = 'R2' OR CODIGO = 'R1' ORDER BY CODIGO", true, "\\"),
        (QStringList{"R1"}));
    EXPECT_TRUE(operador.allAnswered());
}

INSTANTIATE_TEST_SUITE_P(LibFrmCons3, FiltroEnMotores,
                         ::testing::Values(kembtest::Engine::SQLite, kembtest::Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

// ---- registering a new record ----

class Alta : public LibFrmCons3 {
protected:
    // A module beside the program that records its name and arguments.
    void modulo(const QString& nombre) const
    {
        const QString ruta = carpeta.filePath(nombre);
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nout=\"$(dirname \"$0\")/salida.txt\"\n"
                "printf '%s\\n%s\\n' \"$(basename \"$0\")\" \"$*\" > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n");
        f.close();
        QFile::setPermissions(ruta, QFile::permissions(ruta) | QFile::ExeOwner);
    }
    QStringList salida() const
    {
        const QString ruta = carpeta.filePath("salida.txt");
        if (!kembtest::waitUntil([&] { return QFile::exists(ruta); }))
            return {};
        QFile f(ruta);
        f.open(QIODevice::ReadOnly);
        const QStringList lineas = QString::fromUtf8(f.readAll()).split('\n');
        f.close();
        QFile::remove(ruta);
        return lineas;
    }
};

TEST_F(Alta, NuevoStartsTheModuleOfTheTableShown)
{
    for (const char* m : {"V_TA_TABLAS", "V_MA_CLIENTES", "V_TA_Tecnicos", "V_TA_VENDEDORES", "V_MA_ARTICULOS"})
        modulo(m);
    struct Caso {
        const char* tabla;
        const char* modulo;
        const char* adicional;
    };
    for (const Caso& c : {Caso{"v_ta_rubros", "V_TA_TABLAS", "v_ta_rubros"},
                          Caso{"V_TA_UNIDAD", "V_TA_TABLAS", "V_TA_UNIDAD"}, Caso{"vt_clientes", "V_MA_CLIENTES", "1"},
                          Caso{"VT_PROVEEDORES", "V_MA_CLIENTES", "0"}, Caso{"V_TA_TECNICOS", "V_TA_Tecnicos", ""},
                          Caso{"V_TA_VENDEDORES", "V_TA_VENDEDORES", ""}, Caso{"V_MA_ARTICULOS", "V_MA_ARTICULOS", ""},
                          Caso{"VT_MA_ARTICULOS", "V_MA_ARTICULOS", ""}, Caso{"CLIENTES", "V_TA_TABLAS", "CLIENTES"}}) {
        if (QString(c.tabla) != "CLIENTES")
            base.exec(QStringLiteral("CREATE TABLE %1 (CODIGO VARCHAR(10))").arg(c.tabla));
        auto f = cargar(QStringLiteral("SELECT CODIGO FROM %1").arg(c.tabla));
        const int filas = f->ListView1->topLevelItemCount();
        base.exec(QStringLiteral("INSERT INTO %1 (CODIGO) VALUES ('NUEVO')").arg(c.tabla));
        QTest::mouseClick(f->CmdNuevo, Qt::LeftButton);
        const QStringList s = salida();
        ASSERT_EQ(s.size(), 3) << c.tabla;
        EXPECT_EQ(s[0], c.modulo);
        EXPECT_TRUE(s[1].contains(QStringLiteral("@ParametroAdicional=%1;").arg(c.adicional))) << s[1].toStdString();
        EXPECT_EQ(f->ListView1->topLevelItemCount(), filas) << "the list is not reloaded";
    }
}

TEST_F(Alta, AMissingModuleIsAnnounced)
{
    auto f = cargar("SELECT CODIGO FROM CLIENTES");
    operador.answerMsgBox(vb::vbIgnore, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Ha ocurrido el Siguiente Error (53) No se encontró el archivo");
    });
    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Opcion no Implementada!\rComuniquese con su proveedor de sistemas");
        EXPECT_EQ(s.title, "Atención");
    });
    f->CmdNuevo_Click();
}

} // namespace
