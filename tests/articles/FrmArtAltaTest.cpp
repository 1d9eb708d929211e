#include "articles/FrmArtAlta.h"

#include "articles/TablasArticulos.h"
#include "global/EntornoGlobal.h"
#include "platform/net/Site.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Twips.h"
#include "support/HttpServer.h"
#include "support/ModalDriver.h"
#include "support/ScriptedOperator.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

using kembtest::HttpResponse;
using kembtest::ScriptedOperator;
using kembtest::Shown;

namespace {

const QString kAviso = QStringLiteral("Aviso al Operador");
const QString kMaestra = QStringLiteral("/ws/inicio.php?opcion=GetCodigo&codigo=");

QString rellenado(const QString& id)
{
    return QString(25 - id.size(), QLatin1Char(' ')) + id;
}

// The article tables and the configuration of a company database, and the maker's master article service.
class ArtAlta : public kembtest::EntornoConBase {
protected:
    void SetUp() override
    {
        EntornoConBase::SetUp();
        if (IsSkipped())
            return;
        ModGlobal::gDB().gEsAdmin = true;
        kembtest::crearTablasArticulos(*base);
        configurar("ArticulosPermitealtaAutomatica", "SI");
        configurar("ClasePrecioVenta", "1");
        net::Site::setOverride(servidor.hostPort());
    }
    void TearDown() override
    {
        net::Site::setOverride(QString());
        EntornoConBase::TearDown();
    }

    void configurar(const char* clave, const char* valor)
    {
        base->exec(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE CLAVE = '%1'").arg(QLatin1String(clave)));
        base->exec(QStringLiteral("INSERT INTO TA_CONFIGURACION VALUES ('%1', '%2', '', 'General', 0)")
                       .arg(QLatin1String(clave), QString::fromUtf8(valor)));
    }
    void articulo(const QString& id, const QString& barras, const QString& descripcion)
    {
        base->exec(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IdArticulo, CodigoBarra, Descripcion) "
                                  "VALUES ('%1', '%2', '%3')")
                       .arg(id, barras, descripcion));
    }
    // Every row of a query, its columns joined by "|".
    QStringList filas(const QString& sql)
    {
        QStringList out;
        for (const auto& fila : base->exec(sql).rows) {
            QStringList columnas;
            for (const auto& valor : fila)
                columnas << (valor.isNull() ? QStringLiteral("NULL") : valor.toString());
            out << columnas.join(QLatin1Char('|'));
        }
        return out;
    }
    QStringList articulos()
    {
        return filas("SELECT IdArticulo, CodigoBarra, Descripcion, IdUnidad FROM V_MA_ARTICULOS "
                     "ORDER BY IdArticulo");
    }
    // What the database's own client reads, beside the layer that wrote it.
    QString segunSqlite3(const QString& sql)
    {
        QProcess cliente;
        cliente.start(QStringLiteral("sqlite3"), {base->name(), sql});
        if (!cliente.waitForFinished(10000) || cliente.exitCode() != 0)
            return QStringLiteral("<sqlite3 failed: ") + QString::fromLocal8Bit(cliente.readAllStandardError()) + '>';
        return QString::fromUtf8(cliente.readAllStandardOutput()).trimmed();
    }
    QStringList precios()
    {
        return filas("SELECT IDLISTA, Nombre, IdArticulo, ConIVA, Precio1, Precio2, TipoLista "
                     "FROM V_MA_PRECIOS");
    }

    // Fills the window's fields and registers through its accept button.
    void registrar(FrmArtAlta& w, const QString& barras, const QString& descripcion, const QString& precio)
    {
        campo(w, 0)->setText(barras);
        campo(w, 1)->setText(descripcion);
        campo(w, 2)->setText(precio);
        w.CmdAlta_Click();
    }
    static QLineEdit* campo(FrmArtAlta& w, int indice)
    {
        return w.findChildren<QLineEdit*>(QStringLiteral("Txtfields")).at(indice);
    }
    static QString proceso(FrmArtAlta& w) { return w.findChild<QLabel*>("LblProceso")->text(); }
    // The master service's notifications, as the query's decoded values.
    QList<QPair<QString, QString>> avisos() const
    {
        QList<QPair<QString, QString>> out;
        for (const auto& pedido : servidor.requests()) {
            if (!pedido.path.contains(QStringLiteral("opcion=InsCodigo")))
                continue;
            const QUrlQuery q(QUrl::fromEncoded("http://h" + pedido.target).query(QUrl::FullyEncoded));
            out << qMakePair(q.queryItemValue(QStringLiteral("codigo"), QUrl::FullyDecoded),
                             q.queryItemValue(QStringLiteral("desc"), QUrl::FullyDecoded));
        }
        return out;
    }

    kembtest::HttpServer servidor;
};

TEST_F(ArtAlta, Design)
{
    FrmArtAlta w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Articulos"));
    EXPECT_EQ(w.size(), vb::twipsSize(7995, 4875));
    struct Control {
        const char* name;
        QRect where;
        const char* text;
    };
    for (const Control& c :
         {Control{"Label1", vb::twips(120, 120, 7860, 495), "El Articulo informado es inexistente...!"},
          Control{"Label3", vb::twips(240, 600, 7695, 375), "Pulse ESC para cerrar esta pantalla. "},
          Control{"LblProceso", vb::twips(240, 2640, 7215, 255), "..."}}) {
        auto* label = w.findChild<QLabel*>(QLatin1String(c.name));
        ASSERT_NE(label, nullptr) << c.name;
        EXPECT_EQ(label->geometry(), c.where) << c.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(c.text)) << c.name;
    }
    EXPECT_EQ(w.findChild<QFrame*>("FramAlta")->geometry(), vb::twips(120, 1080, 7815, 3135));
    EXPECT_EQ(w.findChild<QLabel*>("Label1")->palette().color(QPalette::Window), QColor(0xFF, 0, 0));
    EXPECT_EQ(w.findChild<QLabel*>("Label1")->font().pointSizeF(), 18);
    EXPECT_EQ(w.findChild<QLabel*>("Label9")->text(), QStringLiteral("Codigo de Barras"));
    EXPECT_EQ(w.findChild<QLabel*>("Label10")->text(), QStringLiteral("Descripción"));
    EXPECT_EQ(w.findChild<QLabel*>("Label11")->text(), QStringLiteral("Precio"));
    EXPECT_TRUE(w.findChild<QLabel*>("Label2")->text().startsWith(
        QStringLiteral("Puede obtener los datos desde la base de codigos de barra (F7)")));
    const QRect cajas[] = {vb::twips(240, 1080, 3015, 285), vb::twips(240, 1680, 5295, 285),
                           vb::twips(240, 2280, 1335, 285)};
    const char* tags[] = {"Codigo", "Descripcion", "Precio"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(campo(w, i)->geometry(), cajas[i]);
        EXPECT_EQ(campo(w, i)->property("Tag").toString(), QLatin1String(tags[i]));
        EXPECT_EQ(campo(w, i)->parentWidget()->objectName(), QStringLiteral("FramAlta"));
    }
    EXPECT_EQ(w.findChild<QPushButton*>("CmdMaestro")->text(), QStringLiteral("[F7] Obtener de Base Maestra"));
    EXPECT_EQ(w.findChild<QPushButton*>("CmdMaestro")->geometry(), vb::twips(3960, 720, 3615, 855));
    EXPECT_EQ(w.findChild<QPushButton*>("CmdAlta")->text(), QStringLiteral("[F2] &Alta"));
    EXPECT_EQ(w.findChild<QPushButton*>("CmdAlta")->geometry(), vb::twips(1920, 4320, 1815, 495));
    EXPECT_EQ(w.findChild<QPushButton*>("CmdCancelar")->text(), QStringLiteral("[ESC] &Cancelar"));
    EXPECT_EQ(w.findChild<QPushButton*>("CmdCancelar")->geometry(), vb::twips(4200, 4320, 1815, 495));
    EXPECT_FALSE(w.pAceptar);
    EXPECT_FALSE(w.DesdeConsulta);
}

TEST_F(ArtAlta, TheConfigurationDecidesWhetherArticlesMayBeRegistered)
{
    struct Case {
        const char* valor;
        bool alta;
    };
    for (const Case& c : {Case{"SI", true}, Case{"si", true}, Case{"Si", true}, Case{"NO", false}, Case{" SI", false},
                          Case{"", false}}) {
        configurar("ArticulosPermitealtaAutomatica", c.valor);
        FrmArtAlta w;
        EXPECT_EQ(!w.findChild<QFrame*>("FramAlta")->isHidden(), c.alta) << c.valor;
        EXPECT_EQ(w.findChild<QPushButton*>("CmdAlta")->text(),
                  c.alta ? QStringLiteral("[F2] &Alta") : QStringLiteral("Aceptar"))
            << c.valor;
    }
    base->exec("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'ArticulosPermitealtaAutomatica'");
    FrmArtAlta w;
    EXPECT_TRUE(w.findChild<QFrame*>("FramAlta")->isHidden());
    EXPECT_EQ(w.findChild<QPushButton*>("CmdAlta")->text(), QStringLiteral("Aceptar"));
}

TEST_F(ArtAlta, PonerCodigoFillsTheBarcodeAndEmptiesTheMember)
{
    FrmArtAlta w;
    w.CodArtNuevo = QStringLiteral("  7790001  ");
    w.PonerCodigo();
    EXPECT_EQ(campo(w, 0)->text(), QStringLiteral("7790001"));
    EXPECT_EQ(w.CodArtNuevo, QString());
}

TEST_F(ArtAlta, F2WithoutDescriptionAcceptsAndWritesNothing)
{
    ScriptedOperator op;
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("1");
    campo(w, 0)->setText(QStringLiteral("7790001"));
    campo(w, 1)->setText(QStringLiteral("   "));
    kembtest::whenShown<FrmArtAlta>([](FrmArtAlta* d) { QTest::keyClick(d, Qt::Key_F2); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_TRUE(w.pAceptar);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(articulos().isEmpty());
    EXPECT_TRUE(servidor.requests().isEmpty());
}

TEST_F(ArtAlta, F2InAFieldRegistersOnce)
{
    ScriptedOperator op;
    FrmArtAlta w;
    campo(w, 0)->setText(QStringLiteral("7790001"));
    campo(w, 1)->setText(QStringLiteral("FIDEOS"));
    kembtest::whenShown<FrmArtAlta>([](FrmArtAlta* d) { QTest::keyClick(campo(*d, 1), Qt::Key_F2); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_TRUE(w.pAceptar);
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
    EXPECT_EQ(articulos().size(), 1);
}

TEST_F(ArtAlta, EscapeCancels)
{
    FrmArtAlta w;
    w.pAceptar = true;
    kembtest::whenShown<FrmArtAlta>([](FrmArtAlta* d) { QTest::keyClick(campo(*d, 1), Qt::Key_Escape); });
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    EXPECT_FALSE(w.pAceptar);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(ArtAlta, ANoticeOnlyWindowAcceptsWithoutWriting)
{
    configurar("ArticulosPermitealtaAutomatica", "NO");
    FrmArtAlta w;
    w.CodArtNuevo = QStringLiteral("7790001");
    w.PonerCodigo();
    kembtest::whenShown<FrmArtAlta>([](FrmArtAlta* d) { d->findChild<QPushButton*>("CmdAlta")->click(); });
    w.exec();
    EXPECT_TRUE(w.pAceptar);
    EXPECT_TRUE(articulos().isEmpty());
}

TEST_F(ArtAlta, TheNewIdFollowsTheLargestBlankPrefixedId)
{
    articulo(rellenado("122"), rellenado("111"), "UNO");
    articulo(rellenado("45"), rellenado("222"), "DOS");
    articulo(QStringLiteral("9999999999999999999999999"), rellenado("333"), "SIN BLANCOS");
    FrmArtAlta w;
    registrar(w, QStringLiteral("7790001"), QStringLiteral("GALLETITAS"), QStringLiteral("12,5"));
    EXPECT_TRUE(w.pAceptar);
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("123"));
    EXPECT_TRUE(articulos().contains(rellenado("123") + "|" + rellenado("7790001") + "|GALLETITAS|   1"));
    EXPECT_TRUE(precios().isEmpty()) << "no price list, no price row";
    EXPECT_TRUE(avisos().isEmpty()) << "without a price list the master service is not told";
}

TEST_F(ArtAlta, TheFirstArticleGetsId1)
{
    FrmArtAlta w;
    registrar(w, QStringLiteral("7790001"), QStringLiteral("GALLETITAS"), QString());
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
    EXPECT_EQ(articulos(), QStringList{rellenado("1") + "|" + rellenado("7790001") + "|GALLETITAS|   1"});
}

TEST_F(ArtAlta, WithAPriceListThePriceOfTheConfiguredClassIsSetAndTheMasterServiceTold)
{
    configurar("ClasePrecioVenta", " 2 ");
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L1");
    registrar(w, QStringLiteral("7790001"), QStringLiteral("YERBA 1KG"), QStringLiteral("1234,5"));
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
    EXPECT_EQ(precios(), QStringList{"L1|YERBA 1KG|" + rellenado("1") + "|1|0|1234,5|V"});
    // Written as a number, whatever the locale's decimal separator (a "," would end the statement's value).
    EXPECT_EQ(filas("SELECT Precio2 * 2, typeof(Precio2) FROM V_MA_PRECIOS"), QStringList{"2469|real"});
    EXPECT_EQ(avisos(), (QList<QPair<QString, QString>>{{"7790001", "YERBA 1KG"}}));
}

TEST_F(ArtAlta, APriceTheCurrencyCannotHoldIsRefusedBeforeAnythingIsWritten)
{
    for (const char* precio : {"9999999999999999", "1e20", "-1e20", "1234567890123456,5"}) {
        ScriptedOperator op;
        op.answerMsgBox(vb::vbOK, [](const Shown& s) {
            EXPECT_EQ(s.prompt, QStringLiteral("Desbordamiento"));
            EXPECT_EQ(s.buttons, vb::vbOKOnly);
            EXPECT_EQ(s.title, vb::App::EXEName());
        });
        FrmArtAlta w;
        w.pIdLista = QStringLiteral("L1");
        campo(w, 0)->setText(QStringLiteral("7790001"));
        campo(w, 1)->setText(QStringLiteral("CARO"));
        campo(w, 2)->setText(QLatin1String(precio));
        kembtest::whenShown<FrmArtAlta>([](FrmArtAlta* d) {
            QTest::keyClick(campo(*d, 2), Qt::Key_F2);
            if (d->isVisible())
                d->done(-1);
        });
        EXPECT_EQ(w.exec(), QDialog::Accepted) << precio;
        EXPECT_TRUE(op.allAnswered()) << precio;
        EXPECT_EQ(w.CodArtNuevo, QString()) << precio;
        EXPECT_EQ(segunSqlite3("SELECT (SELECT count(*) FROM V_MA_ARTICULOS) || '|' || "
                               "(SELECT count(*) FROM V_MA_PRECIOS)"),
                  QStringLiteral("0|0"))
            << precio;
        EXPECT_TRUE(avisos().isEmpty()) << precio;
    }
}

TEST_F(ArtAlta, EnterClicksTheFocusedButton)
{
    struct Case {
        const char* boton;
        int resultado;
        int articulos;
    };
    for (const Case& c : {Case{"CmdCancelar", QDialog::Rejected, 0}, Case{"CmdAlta", QDialog::Accepted, 1}}) {
        base->exec("DELETE FROM V_MA_ARTICULOS");
        FrmArtAlta w;
        campo(w, 0)->setText(QStringLiteral("7790001"));
        campo(w, 1)->setText(QStringLiteral("FIDEOS"));
        const QString nombre = QLatin1String(c.boton);
        kembtest::whenShown<FrmArtAlta>([nombre](FrmArtAlta* d) {
            auto* boton = d->findChild<QPushButton*>(nombre);
            boton->setFocus();
            QTest::keyClick(boton, Qt::Key_Return);
            // Ends a window the key left open, so a failure shows as a wrong result and not as a hang.
            if (d->isVisible())
                d->done(-1);
        });
        EXPECT_EQ(w.exec(), c.resultado) << c.boton;
        EXPECT_EQ(w.pAceptar, c.resultado == QDialog::Accepted) << c.boton;
        EXPECT_EQ(articulos().size(), c.articulos) << c.boton;
    }
}

TEST_F(ArtAlta, ADuplicateBarcodeAsksFirst)
{
    articulo(rellenado("7"), rellenado("7790001"), "  EXISTENTE ");
    {
        ScriptedOperator op;
        op.answerMsgBox(vb::vbNo, [](const Shown& s) {
            EXPECT_EQ(s.prompt, QStringLiteral("Ya existe un articulo con ese codigo de barras.\r\nArticulo 7 - "
                                               "EXISTENTE\r\n¿Ingresarlo igual?"));
            EXPECT_EQ(s.buttons, vb::vbYesNo + vb::vbInformation);
            EXPECT_EQ(s.title, QStringLiteral("Aviso al Operador"));
        });
        FrmArtAlta w;
        w.pIdLista = QStringLiteral("L1");
        registrar(w, QStringLiteral(" 7790001"), QStringLiteral("NUEVO"), QStringLiteral("1"));
        EXPECT_EQ(w.CodArtNuevo, QString());
        EXPECT_EQ(articulos().size(), 1);
        EXPECT_TRUE(avisos().isEmpty());
    }
    ScriptedOperator op;
    op.answerMsgBox(vb::vbYes);
    FrmArtAlta w;
    registrar(w, QStringLiteral("7790001"), QStringLiteral("NUEVO"), QStringLiteral("1"));
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("8"));
    EXPECT_EQ(articulos().size(), 2);
}

TEST_F(ArtAlta, WithoutAPriceClassNothingIsWritten)
{
    base->exec("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'ClasePrecioVenta'");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, QStringLiteral("Debe informar la clase de precio por default desde la Configuración "
                                           "General del Sistema"));
        EXPECT_EQ(s.buttons, vb::vbOKOnly);
        EXPECT_EQ(s.title, vb::App::EXEName()) << "the program's name, as a box without a title of its own shows";
    });
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L1");
    registrar(w, QStringLiteral("7790001"), QStringLiteral("NUEVO"), QStringLiteral("1"));
    EXPECT_TRUE(w.pAceptar);
    EXPECT_EQ(w.CodArtNuevo, QString());
    EXPECT_TRUE(articulos().isEmpty());
    EXPECT_TRUE(precios().isEmpty());
    EXPECT_TRUE(avisos().isEmpty());
}

// Quotes and other characters typed in the fields are data: stored as typed, never read as part of a statement
// or of the master service's address.
TEST_F(ArtAlta, TypedTextIsStoredAndSentAsTyped)
{
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L'1");
    const QString descripcion = QStringLiteral("D'ANGELO 50% & CIA [X] #1 + 'Ñ'");
    registrar(w, QStringLiteral("77&9=0"), descripcion, QStringLiteral("3"));
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
    EXPECT_EQ(articulos(), QStringList{rellenado("1") + "|" + rellenado("77&9=0") + "|" + descripcion + "|   1"});
    EXPECT_EQ(precios(), QStringList{"L'1|" + descripcion + "|" + rellenado("1") + "|1|3|0|V"});
    EXPECT_EQ(avisos(), (QList<QPair<QString, QString>>{{"77&9=0", descripcion}}));
}

// A failed article insert leaves no price row pricing an article that does not exist; the master service is
// still told of the barcode.
TEST_F(ArtAlta, AFailedInsertIsShownAndWritesNoPriceRow)
{
    base->exec("CREATE TRIGGER rechazo BEFORE INSERT ON V_MA_ARTICULOS WHEN NEW.Descripcion = 'MALA' "
               "BEGIN SELECT RAISE(ABORT, 'articulo rechazado'); END");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_TRUE(s.prompt.contains(QStringLiteral("articulo rechazado"))) << s.prompt.toStdString();
        EXPECT_EQ(s.buttons, vb::vbOKOnly);
    });
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L1");
    registrar(w, QStringLiteral("7790001"), QStringLiteral("MALA"), QStringLiteral("3"));
    EXPECT_TRUE(w.pAceptar);
    EXPECT_EQ(w.CodArtNuevo, QString());
    EXPECT_TRUE(articulos().isEmpty());
    EXPECT_TRUE(precios().isEmpty());
    EXPECT_EQ(avisos(), (QList<QPair<QString, QString>>{{"7790001", "MALA"}}));
}

// The article look-up already knows the new id (here as another article's barcode): nothing is written for it,
// neither the article nor a price row that would price the other one.
TEST_F(ArtAlta, AnIdTheLookUpKnowsWritesNothing)
{
    articulo(rellenado("5"), rellenado("111"), "CINCO");
    articulo(QStringLiteral("X-1"), rellenado("6"), "OTRO");
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L1");
    registrar(w, QStringLiteral("7790001"), QStringLiteral("NUEVO"), QStringLiteral("3"));
    EXPECT_TRUE(w.pAceptar);
    EXPECT_EQ(w.CodArtNuevo, QString());
    EXPECT_EQ(articulos().size(), 2);
    EXPECT_TRUE(precios().isEmpty());
    EXPECT_EQ(avisos(), (QList<QPair<QString, QString>>{{"7790001", "NUEVO"}}));
}

TEST_F(ArtAlta, AFailedPriceUpdateIsShown)
{
    configurar("ClasePrecioVenta", "9");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) { EXPECT_TRUE(s.prompt.contains(QStringLiteral("PRECIO9"))); });
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L1");
    registrar(w, QStringLiteral("7790001"), QStringLiteral("ARROZ"), QStringLiteral("3"));
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
    EXPECT_EQ(precios(), QStringList{"L1|ARROZ|" + rellenado("1") + "|1|0|0|V"});
    EXPECT_EQ(avisos().size(), 1);
}

TEST_F(ArtAlta, MasterAddressEncodesItsValues)
{
    const QUrl url = FrmArtAlta::DireccionMaestra(
        QStringLiteral("InsCodigo"),
        {{QStringLiteral("codigo"), QStringLiteral("1&x=2")}, {QStringLiteral("desc"), QStringLiteral("A B+C#D%")}});
    EXPECT_EQ(url.host() + ":" + QString::number(url.port()), servidor.hostPort());
    EXPECT_EQ(url.path(), QStringLiteral("/ws/inicio.php"));
    const QUrlQuery q(url);
    EXPECT_EQ(q.queryItems(QUrl::FullyDecoded).size(), 3);
    EXPECT_EQ(q.queryItemValue(QStringLiteral("opcion")), QStringLiteral("InsCodigo"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("codigo"), QUrl::FullyDecoded), QStringLiteral("1&x=2"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("desc"), QUrl::FullyDecoded), QStringLiteral("A B+C#D%"));
}

TEST_F(ArtAlta, TheMasterServiceGivesTheDescription)
{
    struct Case {
        QByteArray respuesta;
        QString descripcion;
        bool error;
        QString proceso;
    };
    const QString noExiste = QStringLiteral("Actualmente el codigo informado no existe en la base maestra");
    const Case cases[] = {
        {R"({"Codigo":"7790001","Descripcion":"GALLETITAS 200G"})", "GALLETITAS 200G", false, "Encontrado..."},
        {R"([{"Descripcion":"ENVASE [1L]"}])", "ENVASE [1L]", false, "Encontrado..."},
        {R"({"Descripcion":"CAJA [12 u]"})", "CAJA [12 u]", false, "Encontrado..."},
        {"{\"Descripcion\":\"A\\u00d1O\"}", "AÑO", false, "Encontrado..."},
        {R"({"Descripcion":"   "})", "", true, noExiste},
        {R"({"Descripcion":null})", "", true, noExiste},
        {R"({"Codigo":"7790001"})", "", true, noExiste},
        {R"([])", "", true, noExiste},
        {"   ", "", true, noExiste},
        {"", "", true, noExiste},
        {"<html>sin datos</html>", "", true, noExiste},
    };
    for (const Case& c : cases) {
        servidor.route(kMaestra + "7790001", HttpResponse{200, c.respuesta, {}, true, false});
        FrmArtAlta w;
        bool pError = !c.error;
        QString mensaje;
        EXPECT_EQ(w.ObtenerDescMaestra(QStringLiteral(" 7790001 "), pError, mensaje), c.descripcion)
            << c.respuesta.data();
        EXPECT_EQ(pError, c.error) << c.respuesta.data();
        EXPECT_EQ(mensaje, c.error ? noExiste : QString()) << c.respuesta.data();
        EXPECT_EQ(proceso(w), c.proceso) << c.respuesta.data();
    }
    EXPECT_EQ(servidor.requestCount(kMaestra + "7790001"), static_cast<int>(std::size(cases)));
}

TEST_F(ArtAlta, AnUnreachableMasterServiceIsAFailedLookup)
{
    servidor.route(kMaestra + "1", HttpResponse{500, R"({"Descripcion":"NO"})", {}, true, false});
    for (const QString& sitio : {servidor.hostPort(), QStringLiteral("127.0.0.1:1")}) {
        net::Site::setOverride(sitio);
        FrmArtAlta w;
        bool pError = false;
        QString mensaje;
        EXPECT_EQ(w.ObtenerDescMaestra(QStringLiteral("1"), pError, mensaje), QString());
        EXPECT_TRUE(pError);
        EXPECT_EQ(mensaje, QStringLiteral("No se pudo consultar la base maestra"));
        EXPECT_EQ(proceso(w), mensaje);
    }
}

TEST_F(ArtAlta, AnEmptyCodeIsNotLookedUp)
{
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, QStringLiteral("Debe informar el numero de Codigo de Barras"));
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, QStringLiteral("Aviso al Operador"));
    });
    FrmArtAlta w;
    bool pError = false;
    QString mensaje;
    EXPECT_EQ(w.ObtenerDescMaestra(QStringLiteral("   "), pError, mensaje), QString());
    EXPECT_TRUE(pError);
    EXPECT_EQ(mensaje, QStringLiteral("Debe informar el codigo."));
    EXPECT_EQ(proceso(w), QStringLiteral("Consultando Base Maestra..."));
    EXPECT_TRUE(servidor.requests().isEmpty());
}

TEST_F(ArtAlta, F7FillsTheDescriptionAndGoesOnToThePrice)
{
    servidor.route(kMaestra + "7790001", HttpResponse{200, R"({"Descripcion":"GALLETITAS"})", {}, true, false});
    FrmArtAlta w;
    w.show();
    QApplication::setActiveWindow(&w);
    campo(w, 0)->setText(QStringLiteral("7790001"));
    campo(w, 0)->setFocus();
    QTest::keyClick(campo(w, 0), Qt::Key_F7);
    EXPECT_EQ(campo(w, 1)->text(), QStringLiteral("GALLETITAS"));
    EXPECT_EQ(proceso(w), QStringLiteral("Correcto."));
    EXPECT_TRUE(campo(w, 2)->hasFocus());
    EXPECT_EQ(campo(w, 0)->text(), QStringLiteral("7790001")) << "the key itself types nothing";
}

TEST_F(ArtAlta, AFailedLookUpEmptiesTheDescriptionAndFocusesIt)
{
    FrmArtAlta w;
    w.show();
    QApplication::setActiveWindow(&w);
    campo(w, 0)->setText(QStringLiteral("404"));
    campo(w, 1)->setText(QStringLiteral("ANTERIOR"));
    w.findChild<QPushButton*>("CmdMaestro")->click();
    EXPECT_EQ(campo(w, 1)->text(), QString());
    EXPECT_TRUE(campo(w, 1)->hasFocus());
}

TEST_F(ArtAlta, F7OnANoticeOnlyWindowDoesNothing)
{
    configurar("ArticulosPermitealtaAutomatica", "NO");
    FrmArtAlta w;
    w.show();
    QApplication::setActiveWindow(&w);
    QTest::keyClick(&w, Qt::Key_F7);
    EXPECT_TRUE(servidor.requests().isEmpty());
    EXPECT_EQ(proceso(w), QStringLiteral("..."));
}

TEST_F(ArtAlta, EnterMovesToTheNextField)
{
    FrmArtAlta w;
    w.show();
    QApplication::setActiveWindow(&w);
    campo(w, 0)->setFocus();
    QTest::keyClick(campo(w, 0), Qt::Key_Return);
    EXPECT_TRUE(campo(w, 1)->hasFocus());
    QTest::keyClick(campo(w, 1), Qt::Key_Enter);
    EXPECT_TRUE(campo(w, 2)->hasFocus());
    QTest::keyClicks(campo(w, 2), QStringLiteral("12"));
    EXPECT_EQ(campo(w, 2)->text(), QStringLiteral("12"));
    EXPECT_TRUE(w.isVisible()) << "Enter accepts nothing";
}

} // namespace
