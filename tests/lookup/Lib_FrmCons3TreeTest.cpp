#include "lookup/Lib_FrmCons3Tree.h"

#include "ListaConsulta.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Twips.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDriver.h"

#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using kembtest::Shown;

namespace {

class LibFrmCons3Tree : public kembtest::ListaConsulta {
protected:
    void SetUp() override
    {
        ListaConsulta::SetUp();
        base.exec("CREATE TABLE CUENTAS (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(40))");
    }
    void cuentas(const QStringList& codigos)
    {
        for (const QString& c : codigos)
            base.exec(QStringLiteral("INSERT INTO CUENTAS VALUES ('%1', 'cuenta %1')").arg(c));
    }
    std::unique_ptr<Lib_FrmCons3Tree> arbol(const QString& sql, const QString& campo = QString(), bool casillas = false)
    {
        auto f = std::make_unique<Lib_FrmCons3Tree>();
        f->SQL = sql;
        f->CampoDevuelto = campo;
        f->CheckBoxes = casillas;
        f->Form_Load();
        return f;
    }
    // Each node as "key<parent key".
    static QStringList forma(const Lib_FrmCons3Tree& f)
    {
        QStringList out;
        for (const QTreeWidgetItem* n : f.Nodos())
            out << n->data(0, Qt::UserRole).toString() + "<" +
                       (n->parent() ? n->parent()->data(0, Qt::UserRole).toString() : QString());
        return out;
    }
};

TEST_F(LibFrmCons3Tree, TheDesignFollowsTheTable)
{
    Lib_FrmCons3Tree f;
    EXPECT_EQ(f.windowTitle(), "Consulta...");
    EXPECT_EQ(f.size(), vb::twipsSize(5910, 4530));
    EXPECT_EQ(f.CmbSearch[0]->toolTip(), "F5 realiza nueva busqueda");
    EXPECT_EQ(f.TreeV->parentWidget(), f.picFields);
    EXPECT_EQ(f.TreeV->size(), vb::twipsSize(5895, 3705));
    EXPECT_EQ(f.CmdAceptar->text(), "&Aceptar");
    EXPECT_TRUE(f.CmdAceptar->isDefault());
    EXPECT_EQ(f.CmdCancelar->text(), "&Cancelar");
    EXPECT_EQ(f.CmdNueva->text(), "&Nueva Busqueda");
    const auto acciones = f.MNU_Emergente->actions();
    ASSERT_EQ(acciones.size(), 3);
    EXPECT_EQ(acciones[0]->text(), "Llenar Con Posibles Valores");
    EXPECT_TRUE(acciones[1]->isSeparator());
    EXPECT_EQ(acciones[2]->text(), "Cancelar");
}

TEST_F(LibFrmCons3Tree, EachCodeHangsUnderTheLongestCodeItExtends)
{
    cuentas({"1", "11", "111", "12", "2"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    EXPECT_EQ(forma(*f), (QStringList{"A<", "A1<A", "A11<A1", "A111<A11", "A12<A1", "A2<A"}));
    EXPECT_EQ(f->Nodos()[0]->text(0), "Consulta...");
    EXPECT_TRUE(f->Nodos()[0]->isExpanded());
    EXPECT_EQ(f->Nodos()[3]->text(0), "111 - cuenta 111");
    EXPECT_EQ(f->Nodos()[1]->data(0, Qt::CheckStateRole), QVariant());
}

TEST_F(LibFrmCons3Tree, ALongerCodeAddedFirstDoesNotAdoptAShorterOne)
{
    cuentas({"10", "1"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    EXPECT_EQ(forma(*f), (QStringList{"A<", "A10<A", "A1<A"}));
}

// The parent rule read literally: of all keys already added, in order, the longest that the new key starts
// with (any case), the first of equally long ones; the root when none.
QStringList formaDeReferencia(const QStringList& codigos)
{
    QStringList claves{"A"};
    QStringList out{"A<"};
    for (const QString& codigo : codigos) {
        const QString nueva = "A" + codigo;
        QString padre = "A";
        for (const QString& candidata : claves)
            if (candidata.size() > padre.size() && nueva.startsWith(candidata, Qt::CaseInsensitive))
                padre = candidata;
        claves << nueva;
        out << nueva + "<" + padre;
    }
    return out;
}

TEST_F(LibFrmCons3Tree, TheTreeHasTheShapeOfTheParentRule)
{
    // Gaps (1 then 1234), orphans (55 without 5), equally long codes (12 and 13 before 123), other cases
    // (ab before ABC), longer codes first (999 before 9) and codes sharing only their first characters.
    const QStringList codigos = {"1",    "1234", "12",  "13", "123",  "12345", "55",   "551", "ab", "ABC",
                                 "aBcD", "999",  "9",   "99", "9999", "2",     "21",   "211", "3",  "1235",
                                 "13x",  "x13",  "551", "5",  "56",   "ABD",   "abc1", "Ab",  "1"};
    QStringList unicos;
    for (const QString& c : codigos)
        if (!unicos.contains(c, Qt::CaseInsensitive))
            unicos << c;
    cuentas(unicos);
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    EXPECT_EQ(forma(*f), formaDeReferencia(unicos));
}

TEST_F(LibFrmCons3Tree, AnEmptyResultShowsOnlyTheRoot)
{
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    EXPECT_EQ(forma(*f), (QStringList{"A<"}));
}

TEST_F(LibFrmCons3Tree, ARepeatedCodeIsReportedAndTheRestIsBuilt)
{
    cuentas({"1", "1", "2"});
    operador.answerMsgBox(vb::vbIgnore, [](const Shown& s) {
        EXPECT_EQ(s.prompt, "Ha ocurrido el Siguiente Error (35602) La clave no es única en la colección");
        EXPECT_EQ(s.title, "TreeView - ArmarTreeVAutomatico Aviso al operador!!! - 2 ");
    });
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    EXPECT_EQ(forma(*f), (QStringList{"A<", "A1<A", "A2<A"}));
}

TEST_F(LibFrmCons3Tree, FamiliesHangUnderTheirRelative)
{
    kembtest::ScriptedDriver driver;
    ado::ResultSet familias;
    familias.columns = {{"IdFamilia", 200, 10}, {"Descripcion", 200, 40}, {"relative", 200, 10}};
    familias.rows = {
        {"01", "Bebidas", vb::Variant::Null()}, {"0101", "Gaseosas", "01"}, {"02", "Almacen", vb::Variant::Null()}};
    driver.answerWhen("V_TA_FAMILIAS", familias);
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn = ado::Connection::create();
    db.gCnn->Open("PROVIDER=SQLOLEDB;Server=srv01;Database=ventas;UId=u;Pwd=p;");
    auto f = arbol("SELECT * FROM v_ta_familias");
    EXPECT_EQ(forma(*f), (QStringList{"A<", "A01<A", "A0101<A01", "A02<A"}));
    const QString esperado =
        "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM v_ta_familias a   "
        "Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  "
        "ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia";
    EXPECT_EQ(f->SQL, esperado) << "the statement is kept as the database class rewrote it";
    EXPECT_TRUE(driver.calls().contains("execute " + esperado)) << driver.calls().join("\n").toStdString();
}

TEST_F(LibFrmCons3Tree, TypingSelectsTheFirstNodeByCodeOrDescription)
{
    base.exec("INSERT INTO CUENTAS VALUES ('1', 'Activo'), ('14', 'Ventas'), ('2', 'Pasivo'), ('3', 'Ventanas')");
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    f->CmbSearch[0]->setEditText("ven");
    EXPECT_EQ(f->TreeV->currentItem()->text(0), "14 - Ventas");
    f->CmbSearch[0]->setEditText("2");
    EXPECT_EQ(f->TreeV->currentItem()->text(0), "2 - Pasivo");
    f->CmbSearch[0]->setEditText("");
    EXPECT_EQ(f->TreeV->currentItem()->text(0), "Consulta...");
}

TEST_F(LibFrmCons3Tree, F5NarrowsByDescriptionBeforeTheOrderBy)
{
    base.exec("INSERT INTO CUENTAS VALUES ('1', 'Caja'), ('2', 'Banco'), ('3', 'Caja chica'), ('4', 'D''Ancona')");
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS ORDER BY CODIGO");
    f->CmbSearch[0]->setEditText("caja");
    QTest::keyClick(f->CmbSearch[0], Qt::Key_F5);
    EXPECT_EQ(f->SQL, "SELECT CODIGO, DESCRIPCION FROM CUENTAS  where Descripcion like '%caja%' ORDER BY CODIGO");
    EXPECT_EQ(f->CmbSearch[0]->currentText(), "");
    EXPECT_EQ(forma(*f), (QStringList{"A<", "A1<A", "A3<A"}));

    f->CmdNueva_Click();
    EXPECT_EQ(f->SQL, "SELECT CODIGO, DESCRIPCION FROM CUENTAS ORDER BY CODIGO");
    EXPECT_EQ(f->Nodos().size(), 5u);

    auto g = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    g->CmbSearch[0]->setEditText("d'an");
    g->CmbSearch_KeyDown(116, 0);
    EXPECT_EQ(g->SQL, "SELECT CODIGO, DESCRIPCION FROM CUENTAS where Descripcion like '%d''an%' ")
        << "without ORDER BY the whole statement is narrowed, the quote kept inside the text";
    EXPECT_EQ(forma(*g), (QStringList{"A<", "A4<A"}));
    g->CmbSearch[0]->setEditText("x");
    g->CmbSearch_KeyDown(116, 0);
    EXPECT_EQ(
        g->SQL,
        "SELECT CODIGO, DESCRIPCION FROM CUENTAS where (Descripcion like '%d''an%')  and Descripcion like '%x%' ");
}

TEST_F(LibFrmCons3Tree, F5NarrowsAConditionWithAnOrAsAWhole)
{
    base.exec("INSERT INTO CUENTAS VALUES ('1', 'Caja'), ('2', 'Banco'), ('3', 'Caja chica'), ('4', 'C:\\caja')");
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS WHERE CODIGO = '2' OR CODIGO = '1' ORDER BY CODIGO");
    f->CmbSearch[0]->setEditText("caja");
    QTest::keyClick(f->CmbSearch[0], Qt::Key_F5);
    EXPECT_EQ(f->SQL, "SELECT CODIGO, DESCRIPCION FROM CUENTAS WHERE (CODIGO = '2' OR CODIGO = '1')  and Descripcion "
                      "like '%caja%' ORDER BY CODIGO");
    EXPECT_EQ(forma(*f), (QStringList{"A<", "A1<A"}));

    auto g = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS ORDER BY CODIGO");
    g->CmbSearch[0]->setEditText(":\\");
    QTest::keyClick(g->CmbSearch[0], Qt::Key_F5);
    EXPECT_EQ(forma(*g), (QStringList{"A<", "A4<A"})) << "a typed backslash matches itself";
}

TEST_F(LibFrmCons3Tree, EnterOnAnEmptyTreeDoesNothing)
{
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "CODIGO");
    f->Form_Unload();
    f->ValorDevuelto = vb::Variant("previo");
    f->show();
    QApplication::setActiveWindow(f.get());
    QTest::keyClick(f->TreeV, Qt::Key_Return);
    EXPECT_EQ(f->ValorDevuelto.toString(), "previo");
    EXPECT_TRUE(f->isVisible());
}

TEST_F(LibFrmCons3Tree, TickingANodeTicksSixLevelsOfItsBranch)
{
    cuentas({"1", "11", "111", "1111", "11111", "111111", "1111111", "11111111", "2"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "CODIGO", true);
    f->Nodo("A1")->setCheckState(0, Qt::Checked);
    QStringList tildados;
    for (const QTreeWidgetItem* n : f->Nodos())
        if (n->checkState(0) == Qt::Checked)
            tildados << n->data(0, Qt::UserRole).toString();
    EXPECT_EQ(tildados, (QStringList{"A1", "A11", "A111", "A1111", "A11111", "A111111", "A1111111"}));
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{"1", "11", "111", "1111", "11111", "111111", "1111111"}));
}

TEST_F(LibFrmCons3Tree, TickingTheRootAddsAnEmptyFamily)
{
    cuentas({"1"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "idfamilia", true);
    f->Nodo("A")->setCheckState(0, Qt::Checked);
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{"", "1"}));
}

TEST_F(LibFrmCons3Tree, TickedPositionsAreLookedUp)
{
    base.exec("CREATE TABLE MA_POSICIONES (IDPOSICION VARCHAR(10), DETALLE VARCHAR(20))");
    base.exec("INSERT INTO MA_POSICIONES VALUES (' P1 ', 'uno')");
    base.exec("INSERT INTO CUENTAS VALUES ('P1', 'uno'), ('P2', 'dos')");
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "IDPOSICION", true);
    f->Nodo("AP1")->setCheckState(0, Qt::Checked);
    f->Nodo("AP2")->setCheckState(0, Qt::Checked);
    f->CmdAceptar_Click();
    EXPECT_EQ(valores(f->Valores), (QStringList{" P1 "})) << "the field as stored, untrimmed";
}

class Cuentas : public LibFrmCons3Tree {
protected:
    void SetUp() override
    {
        LibFrmCons3Tree::SetUp();
        base.exec("CREATE TABLE TA_CCOSTO (CODIGO VARCHAR(10), NOMBRE VARCHAR(20))");
        base.exec("CREATE TABLE MA_CUENTAS (CODIGO VARCHAR(10), NOMBRE VARCHAR(20))");
        base.exec("INSERT INTO TA_CCOSTO VALUES (' 1', 'centro')");
        base.exec("INSERT INTO MA_CUENTAS VALUES ('1 ', 'cuenta'), ('2 ', 'solo en cuentas')");
        cuentas({"1", "2", "3"});
    }
    vb::Variant elegir(const QString& codigo)
    {
        auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "CODIGO");
        f->show();
        f->TreeV->setCurrentItem(f->Nodo("A" + codigo));
        f->CmdAceptar_Click();
        EXPECT_FALSE(f->isVisible());
        return f->ValorDevuelto;
    }
};

TEST_F(Cuentas, ASingleCodeComesFromTheCostCentresThenTheAccounts)
{
    EXPECT_EQ(elegir("1").toString(), " 1");
    EXPECT_EQ(elegir("2").toString(), "2 ");
    const vb::Variant ninguno = elegir("3");
    EXPECT_EQ(ninguno.type(), vb::Variant::Type::String);
    EXPECT_EQ(ninguno.toString(), "");
}

TEST_F(Cuentas, EnterRightAfterOpeningHandsBackTheFirstNode)
{
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "CODIGO");
    EXPECT_EQ(f->TreeV->currentItem(), f->Nodos().front());
    f->ValorDevuelto = vb::Variant("previo");
    kembtest::whenShown<Lib_FrmCons3Tree>([](Lib_FrmCons3Tree* w) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Return);
    });
    f->exec();
    EXPECT_EQ(f->ValorDevuelto.type(), vb::Variant::Type::String);
    EXPECT_EQ(f->ValorDevuelto.toString(), "") << "the root's empty code is in neither table";

    f->TreeV->setCurrentItem(f->Nodo("A2"));
    kembtest::whenShown<Lib_FrmCons3Tree>([](Lib_FrmCons3Tree* w) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Return);
    });
    f->exec();
    EXPECT_EQ(f->ValorDevuelto.toString(), "2 ");
}

TEST_F(LibFrmCons3Tree, ASingleFamilyIsLookedUpAndAnotherFieldLeavesTheValue)
{
    base.exec("CREATE TABLE V_TA_FAMILIAS (IDFAMILIA VARCHAR(10), DESCRIPCION VARCHAR(20))");
    base.exec("INSERT INTO V_TA_FAMILIAS VALUES ('01', 'Bebidas')");
    cuentas({"01", "02"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "IdFamilia");
    f->TreeV->setCurrentItem(f->Nodo("A01"));
    f->CmdAceptar_Click();
    EXPECT_EQ(f->ValorDevuelto.toString(), "01");
    f->TreeV->setCurrentItem(f->Nodo("A02"));
    f->CmdAceptar_Click();
    EXPECT_EQ(f->ValorDevuelto.toString(), "");

    f->CampoDevuelto = "OTRO";
    f->ValorDevuelto = vb::Variant("antes");
    f->CmdAceptar_Click();
    EXPECT_EQ(f->ValorDevuelto.toString(), "antes");
}

TEST_F(LibFrmCons3Tree, EscapeCancels)
{
    cuentas({"1"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS", "CODIGO");
    f->CmpsDevueltos = NuevaColeccion();
    kembtest::whenShown<Lib_FrmCons3Tree>([](Lib_FrmCons3Tree* w) { QTest::keyClick(w->TreeV, Qt::Key_Escape); });
    f->exec();
    EXPECT_EQ(f->ValorDevuelto.toString(), "");
    EXPECT_EQ(f->Valores, nullptr);
    EXPECT_EQ(f->CmpsDevueltos, nullptr);
}

TEST_F(LibFrmCons3Tree, ArrowKeysInTheSearchBoxGoToTheTree)
{
    cuentas({"1"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    f->show();
    QApplication::setActiveWindow(f.get());
    f->CmbSearch[0]->setFocus();
    QTest::keyClick(f->CmbSearch[0], Qt::Key_Down);
    EXPECT_TRUE(f->TreeV->hasFocus());
}

TEST_F(LibFrmCons3Tree, UnloadClearsTheNodes)
{
    cuentas({"1"});
    auto f = arbol("SELECT CODIGO, DESCRIPCION FROM CUENTAS");
    f->Form_Unload();
    EXPECT_EQ(f->TreeV->topLevelItemCount(), 0);
    EXPECT_TRUE(f->Nodos().empty());
}

} // namespace
