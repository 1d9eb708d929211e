// The certificate test of the assistant window: "Probar Certificado CRT" against the fake tax authority.
#include "certificate/FrmCertificado.h"

#include "certificate/ClickableLabel.h"
#include "certificate/DireccionesAfip.h"
#include "platform/afip/TicketStore.h"
#include "platform/vb/Constants.h"
#include "support/FakeAfip.h"
#include "support/HttpServer.h"
#include "support/ScriptedOperator.h"
#include "support/TestAuthority.h"
#include "support/UserClose.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using kembtest::FakeAfip;
using kembtest::ScriptedOperator;
using kembtest::Shown;
using kembtest::TestAuthority;

namespace {

const QString Titulo = QStringLiteral("Aviso al Operador");
const QString Correcto = QStringLiteral("El Certificado CRT se valido correctamente!");

class ProbarCertificadoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_autoridad = new TestAuthority; }
    static void TearDownTestSuite() { delete s_autoridad; }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        afip::TicketStore::setFolderOverride(m_dir.filePath(QStringLiteral("tickets")));
        m_ventana = std::make_unique<FrmCertificado>();
    }
    void TearDown() override { afip::TicketStore::setFolderOverride(QString()); }

    // The window's fields as the user leaves them, the address boxes pointing at `fake`.
    void completar(const FakeAfip& fake, const QString& pdv, const QString& cuit, const QString& crt,
                   const QString& key)
    {
        m_ventana->TxtPDV->setText(pdv);
        m_ventana->TxtCUIT->setText(cuit);
        m_ventana->TxtRutaCrt->setText(crt);
        m_ventana->TxtRutaKey->setText(key);
        m_ventana->TxtWSFE->setText(fake.wsfeUrl());
        m_ventana->TxtWSAA->setText(fake.wsaaUrl());
    }

    // Clicks the link and returns the one message box it showed.
    Shown probar()
    {
        ScriptedOperator operador;
        operador.answerMsgBox(vb::vbOK);
        QTest::mouseClick(m_ventana->LblProbarCRT, Qt::LeftButton);
        EXPECT_EQ(operador.msgBoxes().size(), 1u);
        return operador.msgBoxes().empty() ? Shown{} : operador.msgBoxes().front();
    }

    TestAuthority::Files certificado(const QString& nombre, const TestAuthority& autoridad = *s_autoridad)
    {
        TestAuthority::Subject sujeto;
        sujeto.commonName = nombre;
        sujeto.serialNumber = QStringLiteral("CUIT 20123456786");
        return autoridad.issueFiles(sujeto, m_dir.path(), nombre);
    }

    static TestAuthority* s_autoridad;
    QTemporaryDir m_dir;
    std::unique_ptr<FrmCertificado> m_ventana;
};

TestAuthority* ProbarCertificadoTest::s_autoridad = nullptr;

} // namespace

TEST_F(ProbarCertificadoTest, TheEmptyFieldsAreReportedInOrder)
{
    FakeAfip fake(*s_autoridad);
    struct Caso {
        const char* pdv;
        const char* cuit;
        const char* crt;
        const char* mensaje;
    };
    for (const Caso& c : {Caso{"  ", "", "", "Debe informar el Punto de Venta dado de alta."},
                          Caso{" 2 ", " - -- ", "", "Debe informar el número de CUIT."},
                          Caso{"2", "20-12345678-6", "   ", "Debe informar la ruta del Certificado CRT obtenido."}}) {
        completar(fake, c.pdv, c.cuit, c.crt, QStringLiteral("privada.key"));
        const Shown mostrado = probar();
        EXPECT_EQ(mostrado.prompt, QString::fromUtf8(c.mensaje));
        EXPECT_EQ(mostrado.buttons, vb::vbCritical);
        EXPECT_EQ(mostrado.title, Titulo);
    }
    EXPECT_TRUE(fake.requests().isEmpty());
}

TEST_F(ProbarCertificadoTest, ACuitWithDashesIsSentAsTheSameNumber)
{
    FakeAfip fake(*s_autoridad);
    const auto archivos = certificado(QStringLiteral("guiones"));
    completar(fake, QStringLiteral(" 0003 "), QStringLiteral(" 20-12345678-6 "), archivos.certificate, archivos.key);
    const Shown mostrado = probar();
    EXPECT_EQ(mostrado.prompt, Correcto);
    EXPECT_EQ(fake.cuits(), QStringList{QStringLiteral("20123456786")});
    ASSERT_EQ(fake.requests().size(), 2);
    EXPECT_TRUE(fake.requests().at(1).body.contains(":PtoVta>3</")) << "the point of sale is trimmed and converted";
    EXPECT_TRUE(fake.requests().at(1).body.contains(":CbteTipo>1</"));
}

TEST_F(ProbarCertificadoTest, AKeyAndRequestMadeWithOpensslPassTheTest)
{
    // The user's road: a key and a request made with openssl, the request signed by the authority into the .crt.
    const QString carpeta = m_dir.filePath(QStringLiteral("openssl"));
    ASSERT_TRUE(QDir().mkpath(carpeta));
    const QString key = carpeta + QStringLiteral("/privada.key");
    const QString csr = carpeta + QStringLiteral("/clave.csr");
    ASSERT_EQ(QProcess::execute(QStringLiteral("openssl"), {"genrsa", "-out", key, "2048"}), 0);
    ASSERT_EQ(QProcess::execute(QStringLiteral("openssl"),
                                {"req", "-new", "-key", key, "-subj",
                                 "/C=AR/O=Prueba/CN=kemb/serialNumber=CUIT 20123456786", "-out", csr}),
              0);
    QFile pedido(csr);
    ASSERT_TRUE(pedido.open(QIODevice::ReadOnly));
    const QString crt = carpeta + QStringLiteral("/certificado.crt");
    ASSERT_TRUE(TestAuthority::writeFile(crt, s_autoridad->signRequest(pedido.readAll())));

    FakeAfip fake(*s_autoridad);
    fake.setLastVoucher(5, 1, 120);
    // Testing mode puts its addresses into the boxes; the user then points them elsewhere (here: the fake).
    QTest::mouseClick(m_ventana->ChkModo[1], Qt::LeftButton);
    ASSERT_EQ(m_ventana->TxtWSAA->text(), QString(DireccionesAfip::kWsaaHomologacion));
    completar(fake, QStringLiteral("5"), QStringLiteral("20123456786"), crt, key);

    const Shown mostrado = probar();
    EXPECT_EQ(mostrado.prompt, Correcto);
    EXPECT_EQ(mostrado.buttons, vb::vbInformation);
    EXPECT_EQ(mostrado.title, Titulo);
    // The client went to the addresses in the boxes, not to the production ones.
    EXPECT_EQ(fake.loginRequests(), 1);
    EXPECT_EQ(fake.queryRequests(), 1);

    // A second test minutes later logs in with the kept ticket.
    EXPECT_EQ(probar().prompt, Correcto);
    EXPECT_EQ(fake.loginRequests(), 1);
    EXPECT_EQ(fake.queryRequests(), 2);
}

TEST_F(ProbarCertificadoTest, TheClientsErrorIsShownUnchanged)
{
    FakeAfip fake(*s_autoridad);
    const TestAuthority ajena(QStringLiteral("Otra autoridad"));
    const auto archivos = certificado(QStringLiteral("ajeno"), ajena);
    completar(fake, QStringLiteral("1"), QStringLiteral("20123456786"), archivos.certificate, archivos.key);
    Shown mostrado = probar();
    EXPECT_EQ(mostrado.prompt, QString("El servicio de autenticación respondió con un error: cms.cert.untrusted: "
                                       "Certificado no emitido por AC de confianza"));
    EXPECT_EQ(mostrado.buttons, vb::vbCritical);
    EXPECT_EQ(mostrado.title, Titulo);

    // An empty key path is passed on; the client reports it before sending anything.
    const auto propio = certificado(QStringLiteral("propio"));
    completar(fake, QStringLiteral("1"), QStringLiteral("20123456786"), propio.certificate, QString());
    mostrado = probar();
    EXPECT_EQ(mostrado.prompt, QString("No se informó la ruta de la clave privada."));
    EXPECT_EQ(mostrado.buttons, vb::vbCritical);
    EXPECT_EQ(fake.loginRequests(), 1);

    fake.failQueries(600, "ValidacionDeToken: No validaron las fechas del token GenTime, ExpTime, NowUTC");
    completar(fake, QStringLiteral("1"), QStringLiteral("20123456786"), propio.certificate, propio.key);
    EXPECT_EQ(probar().prompt,
              QString("Error 600: ValidacionDeToken: No validaron las fechas del token GenTime, ExpTime, NowUTC\n"
                      "Se descartó el ticket de acceso; la próxima prueba se autenticará de nuevo."));
}

TEST_F(ProbarCertificadoTest, NumbersThatDoNotConvertAreReportedWithoutSending)
{
    FakeAfip fake(*s_autoridad);
    const auto archivos = certificado(QStringLiteral("numeros"));
    struct Caso {
        const char* pdv;
        const char* cuit;
        const char* mensaje;
    };
    for (const Caso& c : {Caso{"1", "20-1234S678-6", "El número de CUIT no es válido."},
                          Caso{"1", "20 123", "El número de CUIT no es válido."},
                          Caso{"99999999999", "20123456786", "El Punto de Venta no es válido."}}) {
        completar(fake, c.pdv, c.cuit, archivos.certificate, archivos.key);
        const Shown mostrado = probar();
        EXPECT_EQ(mostrado.prompt, QString::fromUtf8(c.mensaje));
        EXPECT_EQ(mostrado.buttons, vb::vbCritical);
        EXPECT_EQ(mostrado.title, Titulo);
    }
    EXPECT_TRUE(fake.requests().isEmpty());
}

TEST_F(ProbarCertificadoTest, TheWindowShowsTheBusyCursorWhileTheServiceAnswers)
{
    FakeAfip fake(*s_autoridad);
    const auto archivos = certificado(QStringLiteral("lento"));
    completar(fake, QStringLiteral("4"), QStringLiteral("20123456786"), archivos.certificate, archivos.key);
    ASSERT_EQ(probar().prompt, Correcto) << "the login's ticket is kept, so the next tests only query";

    struct Caso {
        int estado;
        QByteArray cuerpo;
        QString mensaje;
        int icono;
    };
    const Caso casos[] = {
        {200,
         "<Envelope><Body><FECompUltimoAutorizadoResponse><FECompUltimoAutorizadoResult><PtoVta>4</PtoVta>"
         "<CbteTipo>1</CbteTipo><CbteNro>31</CbteNro></FECompUltimoAutorizadoResult>"
         "</FECompUltimoAutorizadoResponse></Body></Envelope>",
         Correcto, vb::vbInformation},
        {500, "<html>Service Unavailable</html>",
         "El servicio de facturación electrónica dio una respuesta inesperada (HTTP 500).", vb::vbCritical},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.estado);
        // A service that takes its time, on its own thread.
        kembtest::HttpServer lento;
        lento.route(FakeAfip::WsfePath, [&c](const kembtest::HttpRequest&) {
            QThread::msleep(400);
            kembtest::HttpResponse r;
            r.status = c.estado;
            r.body = c.cuerpo;
            return r;
        });
        m_ventana->TxtWSFE->setText(lento.baseUrl() + FakeAfip::WsfePath);

        QList<bool> ocupado;
        QTimer muestra;
        muestra.setInterval(20);
        QObject::connect(&muestra, &QTimer::timeout, [&ocupado]() {
            const QCursor* cursor = QApplication::overrideCursor();
            ocupado.append(cursor && cursor->shape() == Qt::WaitCursor);
        });
        muestra.start();
        ScriptedOperator operador;
        operador.answerMsgBox(vb::vbOK, [&c](const Shown& s) {
            EXPECT_EQ(s.prompt, c.mensaje);
            EXPECT_EQ(s.buttons, c.icono);
            EXPECT_EQ(s.title, Titulo);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the answer is shown with the usual cursor";
        });
        QTest::mouseClick(m_ventana->LblProbarCRT, Qt::LeftButton);
        muestra.stop();

        EXPECT_EQ(operador.msgBoxes().size(), 1u);
        EXPECT_EQ(lento.requestCount(FakeAfip::WsfePath), 1);
        EXPECT_GE(ocupado.size(), 5) << "the window kept running while it waited";
        EXPECT_FALSE(ocupado.contains(false));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// Closing the window (as the window manager asks for it) while the test waits for the service: the window
// stays until the answer is in and shown, then closes; a second click meanwhile starts no second test.
TEST_F(ProbarCertificadoTest, ACloseAskedForDuringTheTestTakesEffectAfterIt)
{
    FakeAfip fake(*s_autoridad);
    const auto archivos = certificado(QStringLiteral("cierre"));
    completar(fake, QStringLiteral("4"), QStringLiteral("20123456786"), archivos.certificate, archivos.key);
    ASSERT_EQ(probar().prompt, Correcto) << "the login's ticket is kept, so the next test only queries";
    kembtest::HttpServer lento;
    lento.route(FakeAfip::WsfePath, [](const kembtest::HttpRequest&) {
        QThread::msleep(800);
        kembtest::HttpResponse r;
        r.body = "<Envelope><Body><FECompUltimoAutorizadoResponse><FECompUltimoAutorizadoResult><PtoVta>4</PtoVta>"
                 "<CbteTipo>1</CbteTipo><CbteNro>31</CbteNro></FECompUltimoAutorizadoResult>"
                 "</FECompUltimoAutorizadoResponse></Body></Envelope>";
        return r;
    });
    m_ventana->TxtWSFE->setText(lento.baseUrl() + FakeAfip::WsfePath);
    m_ventana->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_ventana.get()));

    bool pedido = false;
    bool visibleTrasPedirlo = false;
    QTimer::singleShot(300, m_ventana.get(), [&]() {
        QTest::mouseClick(m_ventana->LblProbarCRT, Qt::LeftButton);
        kembtest::closeAsTheUser(*m_ventana);
        pedido = true;
        visibleTrasPedirlo = m_ventana->isVisible();
    });
    ScriptedOperator operador;
    operador.answerMsgBox(vb::vbOK);
    QTest::mouseClick(m_ventana->LblProbarCRT, Qt::LeftButton);
    EXPECT_TRUE(pedido);
    EXPECT_TRUE(visibleTrasPedirlo);
    ASSERT_EQ(operador.msgBoxes().size(), 1u);
    EXPECT_EQ(operador.msgBoxes().front().prompt, Correcto);
    EXPECT_EQ(lento.requestCount(FakeAfip::WsfePath), 1);
    QTest::qWait(100);
    EXPECT_FALSE(m_ventana->isVisible());
}
