#include "certificate/FrmCertificado.h"

#include "EntornoAsistente.h"

#include "certificate/ClickableLabel.h"
#include "certificate/DireccionesAfip.h"
#include "global/ModGlobal.h"
#include "platform/dorvik/ClsEspera.h"
#include "platform/net/Inet.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Twips.h"
#include "support/FileSizeLimit.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <utility>

using kembtest::EntornoAsistente;

namespace {

const QColor kBlanco(0xFF, 0xFF, 0xFF);
const QColor kAmarilloClaro(0xFF, 0xFF, 0xC0);

QByteArray imagenPng(int ancho, int alto)
{
    QImage imagen(ancho, alto, QImage::Format_RGB32);
    imagen.fill(Qt::darkGreen);
    QByteArray datos;
    QBuffer buffer(&datos);
    buffer.open(QIODevice::WriteOnly);
    imagen.save(&buffer, "PNG");
    return datos;
}

QColor fondo(const QWidget* control)
{
    return control->palette().color(QPalette::Window);
}

// Position of the control among its siblings: a higher one is in front.
qsizetype plano(const QWidget* control)
{
    return control->parentWidget()->children().indexOf(const_cast<QWidget*>(control));
}

class FrmCertificadoTest : public EntornoAsistente {
protected:
    // Creates the window and shows it, which runs its load.
    FrmCertificado& abrir()
    {
        m_ventana = std::make_unique<FrmCertificado>();
        m_ventana->show();
        return *m_ventana;
    }

    void configuracion(const QByteArray& contenido) { escribir(rutaConfiguracion(), contenido); }

    enum class Paso { Diseno, Mostrado, Oculto };

    // The design state and a hidden step share the white, borderless box; only the hidden step loses its label.
    void esperarPaso(const FrmCertificado& v, int paso, Paso estado)
    {
        SCOPED_TRACE(paso);
        const bool mostrado = estado == Paso::Mostrado;
        EXPECT_EQ(fondo(v.PicAyuda[paso]), mostrado ? kAmarilloClaro : kBlanco);
        EXPECT_EQ(v.PicAyuda[paso]->frameShape(), mostrado ? QFrame::Box : QFrame::NoFrame);
        EXPECT_EQ(v.LblPicAyuda[paso]->isVisibleTo(v.PicAyuda[paso]), estado != Paso::Oculto);
    }

    std::unique_ptr<FrmCertificado> m_ventana;
};

struct Control {
    const char* nombre;
    int left, top, width, height;
};

TEST_F(FrmCertificadoTest, DesignPlacesEveryControlAtItsPosition)
{
    FrmCertificado v;
    EXPECT_EQ(v.windowTitle(), "Asistente para Generar el Certificado Digital");
    EXPECT_EQ(v.minimumSize(), vb::twipsSize(7005, 7380));
    EXPECT_EQ(v.maximumSize(), vb::twipsSize(7005, 7380));
    EXPECT_FALSE(v.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(fondo(&v), kBlanco);

    const Control controles[] = {
        {"Label4", 600, 120, 5880, 390},
        {"Label3", 240, 600, 6375, 495},
        {"ChkModo(0)", 1440, 1440, 1335, 195},
        {"ChkModo(1)", 3720, 1440, 1365, 195},
        {"TxtCUIT", 1440, 1920, 1575, 285},
        {"TxtPDV", 5280, 1920, 735, 285},
        {"TxtWSFE", 1440, 2280, 4575, 285},
        {"TxtWSAA", 1440, 2640, 4575, 285},
        {"TxtRutaKey", 1440, 3000, 4575, 285},
        {"CmdBuscarCRT(0)", 6120, 3000, 375, 255},
        {"TxtRutaCsr", 1440, 3360, 4575, 285},
        {"TxtRutaCrt", 1440, 4320, 4575, 285},
        {"CmdBuscarCRT(1)", 6120, 4320, 375, 255},
        {"LblProbarCRT", 4080, 4680, 1875, 225},
        {"CmdAceptar", 5760, 5790, 1095, 255},
        {"LblCerrarAyuda", 6480, 0, 615, 495},
        {"Label10", 360, 6120, 6285, 225},
        {"PicPublicidad", 0, 6360, 6975, 975},
        {"PicAux", 0, 6360, 6975, 975},
        {"PicAyuda(0)", 0, 1080, 6975, 615},
        {"PicAyuda(1)", 0, 1560, 6975, 735},
        {"PicAyuda(2)", 0, 3720, 6975, 495},
        {"PicAyuda(3)", 0, 5040, 6975, 735},
        {"LblListo", 6480, 360, 435, 255},
    };
    for (const Control& c : controles) {
        SCOPED_TRACE(c.nombre);
        const auto* control = v.findChild<QWidget*>(c.nombre);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), vb::twips(c.left, c.top, c.width, c.height));
    }
    for (const char* etiqueta : {"Label1", "Label2", "Label5", "Label6", "Label7"})
        EXPECT_EQ(v.findChild<QWidget*>(etiqueta)->x(), vb::twips(480)) << etiqueta;

    EXPECT_EQ(v.findChild<QCheckBox*>("ChkModo(0)"), v.ChkModo[0]);
    EXPECT_EQ(v.ChkModo[0]->text(), "Producción");
    EXPECT_EQ(v.ChkModo[1]->text(), "Homologación");
    EXPECT_EQ(v.CmdAceptar->text(), "Aceptar");
    EXPECT_EQ(v.LblObtenerKey->parentWidget(), v.PicAyuda[2]);
    EXPECT_EQ(v.LblAyuda->parentWidget(), v.PicAyuda[3]);
    EXPECT_EQ(v.LblListo->parentWidget(), v.PicAyuda[1]);
    EXPECT_EQ(v.Label8->text(), "CUIT");
    EXPECT_EQ(v.Label9->text(), "Punto de Venta");
    EXPECT_EQ(v.LblPicAyuda[2]->text(), "Presione Aquí >>");
    const std::pair<const char*, const char*> textos[] = {
        {"Label4", "Asistente para Generar el Certificado Digital"},
        {"Label3", "Este proceso le ayudara en la obtención de los archivos .key y .csr, que son necesarios para "
                   "obtener el certificado.crt para la facturación electrónica."},
        {"Label1", "URL WSFE"},
        {"Label2", "URL WSAA"},
        {"Label5", "Ruta .KEY"},
        {"Label6", "Ruta .CSR"},
        {"Label7", "Ruta .CRT"},
        {"LblProbarCRT", "Probar Certificado CRT"},
        {"LblCerrarAyuda", "Cerrar Ayuda"},
        {"LblPicAyuda(0)", "Primero seleccione el Modo"},
        {"LblPicAyuda(1)", "Ahora ingrese el CUIT y el Punto de Venta y presione Listo."},
        {"LblListo", "Listo!"},
        {"LblObtenerKey", "Obtener privada.key y clave.csr"},
        {"LblPicAyuda(3)", "Listo! Ahora debe generar el Certificado CRT siguiendo el siguiente instructivo >>"},
        {"LblAyuda", "Ayuda en Linea. Guia para generar el certificado digital..."},
    };
    for (const auto& [nombre, texto] : textos)
        EXPECT_EQ(v.findChild<QLabel*>(nombre)->text(), QString::fromUtf8(texto)) << nombre;
    EXPECT_EQ(v.CmdBuscarCRT[0]->text(), "...");
    EXPECT_EQ(v.CmdBuscarCRT[1]->text(), "...");
    EXPECT_EQ(v.TxtWSFE->text(), DireccionesAfip::kWsfeProduccion);
    EXPECT_EQ(v.TxtWSAA->text(), DireccionesAfip::kWsaaProduccion);
    EXPECT_TRUE(v.LblCerrarAyuda->isHidden());
    EXPECT_TRUE(v.PicAux->isHidden());
    EXPECT_FALSE(v.PicAux->pixmap().isNull());
    EXPECT_FALSE(v.Timer1->isActive());

    const QStringList pie = v.Label10->text().split(" | ");
    ASSERT_EQ(pie.size(), 3);
    EXPECT_EQ(pie[0], "Pelvaro");
    EXPECT_TRUE(pie[1].startsWith("Tel. "));

    for (const ClickableLabel* enlace : {v.LblProbarCRT, v.LblCerrarAyuda, v.LblListo, v.LblObtenerKey, v.LblAyuda}) {
        SCOPED_TRACE(enlace->objectName().toStdString());
        EXPECT_EQ(enlace->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_TRUE(enlace->font().underline());
    }
}

TEST_F(FrmCertificadoTest, WithoutSettingsFileNoModeProductionAddressesAndNoHelp)
{
    FrmCertificado& v = abrir();
    EXPECT_TRUE(v.isVisible());
    EXPECT_FALSE(v.ChkModo[0]->isChecked());
    EXPECT_FALSE(v.ChkModo[1]->isChecked());
    EXPECT_EQ(v.TxtWSFE->text(), DireccionesAfip::kWsfeProduccion);
    EXPECT_EQ(v.TxtWSAA->text(), DireccionesAfip::kWsaaProduccion);
    EXPECT_FALSE(v.AyudaActiva);
    EXPECT_TRUE(v.LblCerrarAyuda->isHidden());
    for (int paso = 0; paso < 4; ++paso)
        esperarPaso(v, paso, Paso::Diseno);
    EXPECT_EQ(v.RutaConfiguracion, rutaConfiguracion());
    EXPECT_TRUE(v.Timer1->isActive());
    EXPECT_EQ(v.Timer1->interval(), 10000);
    EXPECT_TRUE(QFileInfo(carpetaImagenes()).isDir());
}

struct ModoLeido {
    QByteArray cuarta;
    bool homologacion;
};

void PrintTo(const ModoLeido& modo, std::ostream* salida)
{
    *salida << '"' << modo.cuarta.toStdString() << '"';
}

class LineaDeModo : public FrmCertificadoTest, public ::testing::WithParamInterface<ModoLeido> {};

TEST_P(LineaDeModo, FourthLineSelectsTheMode)
{
    configuracion("20-12345678-6\r\n0004\r\n/claves/privada.key\r\n" + GetParam().cuarta + "\r\n/claves/clave.csr\r\n");
    FrmCertificado& v = abrir();
    const bool h = GetParam().homologacion;
    EXPECT_EQ(v.ChkModo[1]->isChecked(), h);
    EXPECT_EQ(v.ChkModo[0]->isChecked(), !h);
    EXPECT_EQ(v.TxtWSFE->text(), h ? DireccionesAfip::kWsfeHomologacion : DireccionesAfip::kWsfeProduccion);
    EXPECT_EQ(v.TxtWSAA->text(), h ? DireccionesAfip::kWsaaHomologacion : DireccionesAfip::kWsaaProduccion);
    EXPECT_EQ(v.TxtCUIT->text(), "20-12345678-6");
    EXPECT_EQ(v.TxtPDV->text(), "0004");
    EXPECT_EQ(v.TxtRutaKey->text(), "/claves/privada.key");
    EXPECT_EQ(v.TxtRutaCsr->text(), "/claves/clave.csr");
    // The help was not active while the box was set, so it starts at step 0.
    EXPECT_TRUE(v.AyudaActiva);
    EXPECT_TRUE(v.LblCerrarAyuda->isVisibleTo(&v));
    esperarPaso(v, 0, Paso::Mostrado);
    esperarPaso(v, 1, Paso::Diseno);
}

INSTANTIATE_TEST_SUITE_P(Modos, LineaDeModo,
                         ::testing::Values(ModoLeido{" h ", true}, ModoLeido{"H", true}, ModoLeido{"P", false},
                                           ModoLeido{"X", false}, ModoLeido{"", false}),
                         [](const auto& info) {
                             const QByteArray letra = info.param.cuarta.trimmed();
                             return std::to_string(info.index) + "_" +
                                    (letra.isEmpty() ? "vacia" : letra.toStdString());
                         });

TEST_F(FrmCertificadoTest, TwoLineFileFillsCuitAndPointOfSaleAndStillStartsTheHelp)
{
    configuracion("30-71234567-1\r\n12\r\n");
    FrmCertificado& v = abrir();
    EXPECT_EQ(v.TxtCUIT->text(), "30-71234567-1");
    EXPECT_EQ(v.TxtPDV->text(), "12");
    EXPECT_TRUE(v.TxtRutaKey->text().isEmpty());
    EXPECT_FALSE(v.ChkModo[0]->isChecked());
    EXPECT_FALSE(v.ChkModo[1]->isChecked());
    EXPECT_TRUE(v.AyudaActiva);
    esperarPaso(v, 0, Paso::Mostrado);
}

TEST_F(FrmCertificadoTest, ExtraLinesAreIgnoredAndAnsiTextIsRead)
{
    configuracion(vb::toAnsi("20-1\r\n1\r\nC:\\Año\\privada.key\r\nH\r\nC:\\Año\\clave.csr\r\nsobra\r\notra\r\n"));
    FrmCertificado& v = abrir();
    EXPECT_EQ(v.TxtRutaKey->text(), "C:\\Año\\privada.key");
    EXPECT_EQ(v.TxtRutaCsr->text(), "C:\\Año\\clave.csr");
    EXPECT_TRUE(v.ChkModo[1]->isChecked());
}

TEST_F(FrmCertificadoTest, AceptarWritesTheSettingsAndClosesTheWindow)
{
    const QByteArray contenido =
        vb::toAnsi("20-12345678-6\r\n0004\r\nC:\\Año\\privada.key\r\nH\r\nC:\\Año\\clave.csr\r\n");
    configuracion(contenido);
    FrmCertificado& v = abrir();
    QFile::remove(rutaConfiguracion());
    QTest::mouseClick(v.CmdAceptar, Qt::LeftButton);
    EXPECT_FALSE(v.isVisible());
    EXPECT_TRUE(v.testAttribute(Qt::WA_QuitOnClose)) << "closing the window ends the program";
    EXPECT_EQ(leer(rutaConfiguracion()), contenido);
}

TEST_F(FrmCertificadoTest, ValuesAreWrittenTrimmedAndBothBoxesUncheckedWriteP)
{
    FrmCertificado& v = abrir();
    v.TxtCUIT->setText("  20-12345678-6  ");
    v.TxtPDV->setText(" 3 ");
    v.TxtRutaKey->setText(" /k/privada.key");
    v.TxtRutaCsr->setText("/k/clave.csr ");
    QTest::mouseClick(v.ChkModo[1], Qt::LeftButton);
    ASSERT_TRUE(v.ChkModo[1]->isChecked());
    QTest::mouseClick(v.ChkModo[1], Qt::LeftButton);
    EXPECT_FALSE(v.ChkModo[0]->isChecked());
    EXPECT_FALSE(v.ChkModo[1]->isChecked());
    EXPECT_EQ(v.TxtWSFE->text(), DireccionesAfip::kWsfeHomologacion) << "unchecking leaves the addresses";
    v.CmdAceptar_Click();
    EXPECT_EQ(leer(rutaConfiguracion()), "20-12345678-6\r\n3\r\n/k/privada.key\r\nP\r\n/k/clave.csr\r\n");
}

TEST_F(FrmCertificadoTest, ModeBoxesExcludeEachOtherAndSwapTheAddresses)
{
    FrmCertificado& v = abrir();
    v.ChkModo[1]->setChecked(true);
    EXPECT_EQ(v.TxtWSFE->text(), DireccionesAfip::kWsfeHomologacion);
    EXPECT_EQ(v.TxtWSAA->text(), DireccionesAfip::kWsaaHomologacion);
    v.ChkModo[0]->setChecked(true);
    EXPECT_FALSE(v.ChkModo[1]->isChecked());
    EXPECT_EQ(v.TxtWSFE->text(), DireccionesAfip::kWsfeProduccion);
    EXPECT_EQ(v.TxtWSAA->text(), DireccionesAfip::kWsaaProduccion);
    EXPECT_FALSE(v.AyudaActiva) << "without the help nothing else changes";
    esperarPaso(v, 1, Paso::Diseno);
}

TEST_F(FrmCertificadoTest, FailedWriteKeepsTheEarlierSettingsFileWhole)
{
    const QByteArray anterior = "20-1\r\n1\r\n/a.key\r\nP\r\n/a.csr\r\n";
    configuracion(anterior);
    FrmCertificado& v = abrir();
    v.TxtCUIT->setText("20-12345678-6");
    v.TxtRutaKey->setText("/una/carpeta/bastante/larga/para/pasar/el/limite/privada.key");
    {
        kembtest::FileSizeLimit limite(24);
        v.GrabarDatos();
    }
    EXPECT_EQ(leer(rutaConfiguracion()), anterior);
    EXPECT_EQ(QDir(programa.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cfgelectronica.txt"})
        << "no temporary file is left behind";
}

TEST_F(FrmCertificadoTest, CrearArchivoReplacesOrAppendsAnsiLines)
{
    FrmCertificado v;
    const QString ruta = programa.path() + "/GeneraKey.cmd";
    escribir(ruta, "viejo\r\n");
    v.CrearArchivo(ruta, "c: /opt/ssl", true);
    v.CrearArchivo(ruta, "cd /opt/ssl ñ", false);
    EXPECT_EQ(leer(ruta), vb::toAnsi("c: /opt/ssl\r\ncd /opt/ssl ñ\r\n"));
    const QString nueva = programa.path() + "/nuevo.cmd";
    v.CrearArchivo(nueva, "uno", false);
    EXPECT_EQ(leer(nueva), "uno\r\n") << "append creates a missing file";
    v.CrearArchivo(programa.path() + "/no/existe/x.cmd", "uno", true);
    EXPECT_FALSE(QFile::exists(programa.path() + "/no/existe/x.cmd"));
}

TEST_F(FrmCertificadoTest, ModeBoxesArePaintedWholeInTheColourOfTheHelpStep)
{
    // The colours the box is drawn with beside its indicator and its text: every row of every other column.
    const auto pintado = [](QCheckBox* modo) {
        QStyleOptionButton opcion;
        opcion.initFrom(modo);
        opcion.text = modo->text();
        const QRect indicador = modo->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opcion, modo);
        const QRect texto = modo->style()->subElementRect(QStyle::SE_CheckBoxContents, &opcion, modo);
        const int finTexto = texto.left() + modo->fontMetrics().horizontalAdvance(modo->text());
        const QImage imagen = modo->grab().toImage();
        QSet<QRgb> colores;
        for (int x = indicador.right() + 1; x < imagen.width(); ++x) {
            if (x >= texto.left() && x <= finTexto)
                continue;
            for (int y = 0; y < imagen.height(); ++y)
                colores.insert(imagen.pixel(x, y) & 0xFFFFFF);
        }
        return colores;
    };
    FrmCertificado v;
    v.show();
    const QSet<QRgb> blanco{kBlanco.rgb() & 0xFFFFFF};
    const QSet<QRgb> amarillo{kAmarilloClaro.rgb() & 0xFFFFFF};
    for (QCheckBox* modo : v.ChkModo) {
        SCOPED_TRACE(modo->text().toStdString());
        EXPECT_EQ(pintado(modo), blanco);
        v.MostrarAyuda(0, false);
        EXPECT_EQ(pintado(modo), amarillo);
        EXPECT_EQ(modo->palette().color(modo->backgroundRole()), kAmarilloClaro);
        v.MostrarAyuda(0, true);
        EXPECT_EQ(pintado(modo), blanco);
    }
}

TEST_F(FrmCertificadoTest, GuidedHelpAdvancesStepByStep)
{
    configuracion("20-12345678-6\r\n1\r\n");
    FrmCertificado& v = abrir();
    ASSERT_TRUE(v.AyudaActiva);
    // Load: step 0 shown, mode boxes yellow and in front of it.
    esperarPaso(v, 0, Paso::Mostrado);
    EXPECT_TRUE(v.PicAyuda[0]->isVisibleTo(&v));
    EXPECT_EQ(fondo(v.ChkModo[0]), kAmarilloClaro);
    EXPECT_EQ(fondo(v.ChkModo[1]), kAmarilloClaro);
    EXPECT_GT(plano(v.ChkModo[0]), plano(v.PicAyuda[0]));
    EXPECT_GT(plano(v.ChkModo[1]), plano(v.PicAyuda[0]));

    // A mode box becomes checked: step 0 hidden, step 1 shown with the fields in front.
    QTest::mouseClick(v.ChkModo[0], Qt::LeftButton);
    esperarPaso(v, 0, Paso::Oculto);
    EXPECT_FALSE(v.PicAyuda[0]->isVisibleTo(&v));
    EXPECT_EQ(fondo(v.ChkModo[0]), kBlanco);
    esperarPaso(v, 1, Paso::Mostrado);
    EXPECT_TRUE(v.LblListo->isVisibleTo(&v));
    EXPECT_GT(plano(v.TxtCUIT), plano(v.PicAyuda[1]));
    EXPECT_GT(plano(v.TxtPDV), plano(v.PicAyuda[1]));

    // "Listo!": every step hidden, step 2 shown.
    QTest::mouseClick(v.LblListo, Qt::LeftButton);
    esperarPaso(v, 1, Paso::Oculto);
    EXPECT_FALSE(v.LblListo->isVisibleTo(&v));
    esperarPaso(v, 2, Paso::Mostrado);
    EXPECT_TRUE(v.LblObtenerKey->isVisibleTo(&v));

    v.MostrarAyuda(3, false);
    esperarPaso(v, 3, Paso::Mostrado);
    EXPECT_EQ(plano(v.PicAyuda[3]), v.children().indexOf(v.PicAyuda[3]));

    // "Cerrar Ayuda": every step hidden, the help ends and its link goes.
    QTest::mouseClick(v.LblCerrarAyuda, Qt::LeftButton);
    for (int paso = 0; paso < 4; ++paso)
        esperarPaso(v, paso, Paso::Oculto);
    EXPECT_FALSE(v.AyudaActiva);
    EXPECT_FALSE(v.LblCerrarAyuda->isVisibleTo(&v));

    // With the help closed a mode change touches no step.
    v.ChkModo[1]->setChecked(true);
    esperarPaso(v, 1, Paso::Oculto);
}

TEST_F(FrmCertificadoTest, ListoShowsStepTwoEvenWithoutTheHelp)
{
    FrmCertificado& v = abrir();
    ASSERT_FALSE(v.AyudaActiva);
    v.LblListo_Click();
    esperarPaso(v, 0, Paso::Oculto);
    esperarPaso(v, 1, Paso::Oculto);
    esperarPaso(v, 2, Paso::Mostrado);
    esperarPaso(v, 3, Paso::Oculto);
}

TEST_F(FrmCertificadoTest, FileChoosersFillTheirBoxesAndLeaveThemOnCancel)
{
    FrmCertificado& v = abrir();
    v.TxtRutaCrt->setText("antes.crt");
    operador.answerOpenFile(std::nullopt).answerOpenFile("/certs/empresa.crt").answerOpenFile("/k/privada.key");
    v.CmdBuscarCRT_Click(1);
    EXPECT_EQ(v.TxtRutaCrt->text(), "antes.crt");
    QTest::mouseClick(v.CmdBuscarCRT[1], Qt::LeftButton);
    EXPECT_EQ(v.TxtRutaCrt->text(), "/certs/empresa.crt");
    QTest::mouseClick(v.CmdBuscarCRT[0], Qt::LeftButton);
    EXPECT_EQ(v.TxtRutaKey->text(), "/k/privada.key");

    ASSERT_EQ(operador.shown().size(), 3u);
    EXPECT_EQ(operador.shown()[0].title, "Seleccionar la Base de Datos");
    EXPECT_EQ(operador.shown()[1].prompt, "CERTIFICADOS (*.CRT)|*.CRT");
    EXPECT_EQ(operador.shown()[2].prompt, "CLAVE PRIVADA (*.KEY)|*.KEY");
}

TEST_F(FrmCertificadoTest, EnterClicksTheFocusedButton)
{
    FrmCertificado& v = abrir();
    operador.answerOpenFile("/k/privada.key");
    v.CmdBuscarCRT[0]->setFocus();
    QTest::keyClick(v.CmdBuscarCRT[0], Qt::Key_Return);
    EXPECT_EQ(v.TxtRutaKey->text(), "/k/privada.key");
    EXPECT_TRUE(operador.allAnswered());
}

TEST_F(FrmCertificadoTest, LinksOpenTheGuideTheSiteAndTheAdvertisement)
{
    servidor.route(enSitio("lista.txt"), respuesta(200, "a.png\r\n"));
    servidor.route(enSitio("a.png"), respuesta(200, imagenPng(20, 10)));
    FrmCertificado& v = abrir();
    QTest::mouseClick(v.LblAyuda, Qt::LeftButton);
    v.PicAux_Click();
    QTest::mouseClick(v.PicPublicidad, Qt::LeftButton);
    ASSERT_EQ(abiertos.size(), 3);
    EXPECT_EQ(abiertos[0],
              servidor.baseUrl() + "/qv/asistente-para-generar-el-certificado-digital-con-quor-vela-kembrumo/");
    EXPECT_EQ(abiertos[1], servidor.baseUrl() + "/");
    EXPECT_TRUE(abiertos[2].startsWith("https://bit.ly/"));
}

TEST_F(FrmCertificadoTest, LoadShowsTheFirstDownloadedPictureAndTheTimerMovesOn)
{
    servidor.route(enSitio("lista.txt"), respuesta(200, "a.png\r\nb.png\r\n"));
    servidor.route(enSitio("a.png"), respuesta(200, imagenPng(20, 10)));
    servidor.route(enSitio("b.png"), respuesta(200, imagenPng(30, 12)));
    FrmCertificado& v = abrir();
    EXPECT_TRUE(v.PicPublicidad->isVisibleTo(&v));
    EXPECT_TRUE(v.PicAux->isHidden());
    EXPECT_EQ(v.PicPublicidad->pixmap().size(), QSize(20, 10));
    v.Timer1_Timer();
    EXPECT_EQ(v.PicPublicidad->pixmap().size(), QSize(30, 12));
    v.Timer1_Timer();
    EXPECT_EQ(v.PicPublicidad->pixmap().size(), QSize(20, 10));

    const ClsEspera& espera = ModGlobal::gEspera();
    EXPECT_FALSE(espera.visible());
    EXPECT_EQ(espera.titulo(), "Cargando");
    EXPECT_EQ(espera.textos(), QStringList({"Cargando", "Verificando configuración", "Espere por favor..."}));
}

TEST_F(FrmCertificadoTest, FailedListShowsTheFixedPictureAndTheTimerLeavesIt)
{
    FrmCertificado& v = abrir();
    EXPECT_TRUE(v.PicAux->isVisibleTo(&v));
    EXPECT_TRUE(v.PicPublicidad->isHidden());
    escribir(carpetaImagenes() + "/a.png", imagenPng(20, 10));
    v.Timer1_Timer();
    EXPECT_TRUE(v.PicPublicidad->pixmap().isNull());
    EXPECT_TRUE(v.PicAux->isVisibleTo(&v));
}

TEST_F(FrmCertificadoTest, BlankTempUsesTheLibraryTemporaryFolder)
{
    QTemporaryDir sistema;
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", sistema.path().toLocal8Bit());
    qputenv("TEMP", "   ");
    abrir();
    EXPECT_TRUE(QFileInfo(sistema.path() + "/imagenes/kemb").isDir());
    qputenv("TMPDIR", tmpdir);
}

TEST_F(FrmCertificadoTest, PictureFolderThatCannotBeMadeDoesNotStopTheAssistant)
{
    // TEMP names a file, so no folder can be made under it.
    const QString archivo = temporal.path() + "/archivo";
    escribir(archivo, "x");
    qputenv("TEMP", archivo.toLocal8Bit());
    configuracion("20-12345678-6\r\n1\r\n");
    FrmCertificado& v = abrir();
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(v.TxtCUIT->text(), "20-12345678-6");
}

TEST_F(FrmCertificadoTest, InetResponseIsSavedInTheProgramFolder)
{
    const QByteArray cuerpo(3000, 'q');
    servidor.route("/imgpublicidad/kemb/extra.bin", respuesta(200, cuerpo));
    FrmCertificado v;
    QSignalSpy estados(v.Inet1, &Inet::StateChanged);
    v.Inet1->setURL(servidor.baseUrl() + "/imgpublicidad/kemb/extra.bin");
    v.Inet1->Execute("GET");
    ASSERT_TRUE(estados.wait(5000));
    EXPECT_EQ(leer(programa.path() + "/extra.bin"), cuerpo);
}

TEST_F(FrmCertificadoTest, InetErrorAnswerIsNotSaved)
{
    escribir(programa.path() + "/extra.bin", "anterior");
    FrmCertificado v;
    QSignalSpy estados(v.Inet1, &Inet::StateChanged);
    v.Inet1->setURL(servidor.baseUrl() + "/imgpublicidad/kemb/extra.bin");
    v.Inet1->Execute("GET");
    ASSERT_TRUE(estados.wait(5000));
    EXPECT_EQ(leer(programa.path() + "/extra.bin"), "anterior");
    EXPECT_EQ(QDir(programa.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"extra.bin"});
}

} // namespace
