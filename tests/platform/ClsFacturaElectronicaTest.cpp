#include "platform/afip/ClsFacturaElectronica.h"
#include "platform/afip/SoapTransport.h"
#include "platform/afip/TicketStore.h"
#include "platform/afip/XmlFields.h"
#include "support/FakeAfip.h"
#include "support/HostileServer.h"
#include "support/HttpServer.h"
#include "support/MemoryGrowth.h"
#include "support/TestAuthority.h"
#include "support/UnwritableFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSslKey>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using kembtest::FakeAfip;
using kembtest::TestAuthority;

namespace {

const double Cuit = 20123456786.0;

// A SOAP answer whose body nests `levels` elements, one inside the other.
QByteArray nestedAnswer(int levels)
{
    return "<soapenv:Envelope xmlns:soapenv='http://schemas.xmlsoap.org/soap/envelope/'><soapenv:Body>" +
           QByteArray("<x>").repeated(levels) + QByteArray("</x>").repeated(levels) +
           "</soapenv:Body></soapenv:Envelope>";
}

class ClsFacturaElectronicaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_authority = new TestAuthority;
        s_other = new TestAuthority(QStringLiteral("Otra autoridad"));
    }
    static void TearDownTestSuite()
    {
        delete s_authority;
        delete s_other;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        afip::TicketStore::setFolderOverride(m_dir.filePath(QStringLiteral("tickets")));
    }
    void TearDown() override
    {
        afip::TicketStore::setFolderOverride(QString());
        afip::SoapTransport::setTimeoutOverride(0);
        afip::SoapTransport::setExtraCaCertificates({});
    }

    TestAuthority::Files files(const QString& name, qint64 validFrom = -3600, qint64 validTo = 86400,
                               const TestAuthority& authority = *s_authority)
    {
        TestAuthority::Subject subject;
        subject.commonName = name;
        subject.serialNumber = QStringLiteral("CUIT 20123456786");
        subject.validFrom = validFrom;
        subject.validTo = validTo;
        return authority.issueFiles(subject, m_dir.path(), name);
    }

    // The TLS settings of a service on 127.0.0.1 whose certificate this authority issued for the given time.
    static QSslConfiguration serverTls(qint64 validFrom = -3600, qint64 validTo = 365 * 24 * 3600)
    {
        TestAuthority::Subject server;
        server.commonName = QStringLiteral("127.0.0.1");
        server.ipAddresses = {QStringLiteral("127.0.0.1")};
        server.validFrom = validFrom;
        server.validTo = validTo;
        const TestAuthority::Issued issued = s_authority->issue(server);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(issued.certificatePem, QSsl::Pem));
        tls.setPrivateKey(QSslKey(issued.keyPem, QSsl::Rsa));
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        return tls;
    }

    // One test of the certificate, as the assistant runs it: a new client, login, then the query.
    static bool probar(const FakeAfip& fake, const TestAuthority::Files& f, QString& error, double* numero = nullptr)
    {
        ClsFacturaElectronica client;
        client.setCuitEmisor(Cuit);
        client.setUrlWsfe(fake.wsfeUrl());
        double n = 0;
        const bool ok = client.Autenticar(f.certificate, f.key, fake.wsaaUrl()) && client.UltimoComprobante(2, 1, n);
        error = client.UltimoError();
        if (numero)
            *numero = n;
        return ok;
    }

    static TestAuthority* s_authority;
    static TestAuthority* s_other;
    QTemporaryDir m_dir;
};

TestAuthority* ClsFacturaElectronicaTest::s_authority = nullptr;
TestAuthority* ClsFacturaElectronicaTest::s_other = nullptr;

} // namespace

TEST_F(ClsFacturaElectronicaTest, LogsInAndReadsTheLastVoucher)
{
    FakeAfip fake(*s_authority);
    fake.setLastVoucher(2, 1, 1234);
    const auto f = files(QStringLiteral("contribuyente"));

    ClsFacturaElectronica client;
    client.setCuitEmisor(Cuit);
    client.setUrlWsfe(fake.wsfeUrl());
    EXPECT_EQ(client.CuitEmisor(), Cuit);
    EXPECT_EQ(client.UrlWsfe(), fake.wsfeUrl());
    ASSERT_TRUE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl())) << client.UltimoError().toStdString();
    double numero = -1;
    ASSERT_TRUE(client.UltimoComprobante(2, 1, numero)) << client.UltimoError().toStdString();
    EXPECT_EQ(numero, 1234.0);
    EXPECT_TRUE(client.UltimoError().isEmpty());
    EXPECT_EQ(fake.logins(), 1);
    EXPECT_EQ(fake.cuits(), QStringList{QStringLiteral("20123456786")});

    const afip::XmlFields request(fake.ticketRequests().value(0));
    EXPECT_EQ(request.value("loginTicketRequest/service"), QString("wsfe"));
    const auto sent = fake.requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].header("SOAPAction"), QByteArray("\"\""));
    EXPECT_EQ(sent[1].header("SOAPAction"), QByteArray("\"http://ar.gov.afip.dif.FEV1/FECompUltimoAutorizado\""));
    EXPECT_TRUE(sent[1].header("Content-Type").startsWith("text/xml"));
}

TEST_F(ClsFacturaElectronicaTest, SoapFaultsBecomeTheErrorWithCodeAndText)
{
    FakeAfip fake(*s_authority);
    struct Case {
        const char* code;
        const char* text;
    };
    for (const Case& c : {Case{"coe.notAuthorized", "Computador no autorizado a acceder al servicio"},
                          Case{"wsaa.unavailable", "El servicio WSAA no esta disponible"}}) {
        fake.failNextLogin(c.code, c.text);
        ClsFacturaElectronica client;
        const auto f = files(QStringLiteral("falla"));
        EXPECT_FALSE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl()));
        EXPECT_TRUE(client.UltimoError().contains(c.code)) << client.UltimoError().toStdString();
        EXPECT_TRUE(client.UltimoError().contains(c.text)) << client.UltimoError().toStdString();
    }
    // A certificate of another authority is refused by the service itself.
    ClsFacturaElectronica client;
    const auto stranger = files(QStringLiteral("ajeno"), -3600, 86400, *s_other);
    EXPECT_FALSE(client.Autenticar(stranger.certificate, stranger.key, fake.wsaaUrl()));
    EXPECT_EQ(client.UltimoError(), QString("El servicio de autenticación respondió con un error: cms.cert.untrusted: "
                                            "Certificado no emitido por AC de confianza"));
    EXPECT_EQ(fake.logins(), 0);
    EXPECT_TRUE(QDir(afip::TicketStore::folder()).isEmpty()) << "no ticket kept after a refused login";
}

TEST_F(ClsFacturaElectronicaTest, ASecondTestReusesTheKeptTicket)
{
    FakeAfip fake(*s_authority);
    fake.setLastVoucher(2, 1, 7);
    const auto f = files(QStringLiteral("dos-veces"));
    QString error;
    double numero = 0;
    ASSERT_TRUE(probar(fake, f, error)) << error.toStdString();
    ASSERT_TRUE(probar(fake, f, error, &numero)) << error.toStdString();
    EXPECT_EQ(numero, 7.0);
    EXPECT_EQ(fake.loginRequests(), 1);
    EXPECT_EQ(fake.queryRequests(), 2);

    // Without the kept ticket the service refuses a second login while the first ticket lives.
    QDir(afip::TicketStore::folder()).removeRecursively();
    EXPECT_FALSE(probar(fake, f, error));
    EXPECT_TRUE(error.contains("coe.alreadyAuthenticated")) << error.toStdString();
    EXPECT_TRUE(error.contains("El CEE ya posee un TA valido")) << error.toStdString();
}

TEST_F(ClsFacturaElectronicaTest, TicketsAreKeptPerCertificateAndAddress)
{
    FakeAfip fake(*s_authority);
    FakeAfip otherService(*s_authority);
    const auto first = files(QStringLiteral("primero"));
    const auto second = files(QStringLiteral("segundo"));
    QString error;
    ASSERT_TRUE(probar(fake, first, error)) << error.toStdString();
    ASSERT_TRUE(probar(fake, second, error)) << error.toStdString();
    ASSERT_TRUE(probar(otherService, first, error)) << error.toStdString();
    EXPECT_EQ(fake.logins(), 2);
    EXPECT_EQ(otherService.logins(), 1);
    EXPECT_EQ(QDir(afip::TicketStore::folder()).entryList(QDir::Files).size(), 3);
}

TEST_F(ClsFacturaElectronicaTest, TheTicketFileIsTheUsersOnly)
{
    FakeAfip fake(*s_authority);
    const auto f = files(QStringLiteral("permisos"));
    QString error;
    ASSERT_TRUE(probar(fake, f, error)) << error.toStdString();
    const QString folder = afip::TicketStore::folder();
    const QStringList kept = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    struct stat file {};
    struct stat dir {};
    ASSERT_EQ(stat(QFile::encodeName(folder + "/" + kept[0]).constData(), &file), 0);
    ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &dir), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);
}

TEST_F(ClsFacturaElectronicaTest, CertificateProblemsAreCaughtBeforeSending)
{
    FakeAfip fake(*s_authority);
    const auto good = files(QStringLiteral("bueno"));
    const auto other = files(QStringLiteral("otro"));
    const auto expired = files(QStringLiteral("vencido"), -10 * 86400, -86400);
    const auto future = files(QStringLiteral("futuro"), 86400, 10 * 86400);
    const QString garbage = m_dir.filePath("basura.txt");
    TestAuthority::writeFile(garbage, "esto no es un certificado");
    const QString missing = m_dir.filePath("no-existe.crt");
    struct Case {
        QString crt;
        QString key;
        QString message;
    };
    const QList<Case> cases{
        {good.certificate, other.key,
         QString("La clave privada \"%1\" no corresponde al certificado \"%2\".").arg(other.key, good.certificate)},
        {expired.certificate, expired.key, QString("El certificado está vencido: venció el ")},
        {future.certificate, future.key, QString("El certificado todavía no es válido: rige desde el ")},
        {missing, good.key, QString("No se puede leer el certificado \"%1\".").arg(missing)},
        {m_dir.path(), good.key, QString("No se puede leer el certificado \"%1\".").arg(m_dir.path())},
        {good.certificate, missing, QString("No se puede leer la clave privada \"%1\".").arg(missing)},
        {good.certificate, QString(), QString("No se informó la ruta de la clave privada.")},
        {QString(), good.key, QString("No se informó la ruta del certificado.")},
        {garbage, good.key, QString("El archivo \"%1\" no contiene un certificado válido.").arg(garbage)},
        {good.certificate, garbage, QString("El archivo \"%1\" no contiene una clave privada válida").arg(garbage)},
    };
    for (const Case& c : cases) {
        ClsFacturaElectronica client;
        EXPECT_FALSE(client.Autenticar(c.crt, c.key, fake.wsaaUrl()));
        EXPECT_TRUE(client.UltimoError().startsWith(c.message))
            << client.UltimoError().toStdString() << " / " << c.message.toStdString();
    }
    EXPECT_TRUE(fake.requests().isEmpty());
}

TEST_F(ClsFacturaElectronicaTest, AKeyProtectedByAPassPhraseIsRefusedWithoutAsking)
{
    FakeAfip fake(*s_authority);
    const auto f = files(QStringLiteral("cifrada"));
    QFile plain(f.key);
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    const QSslKey key(plain.readAll(), QSsl::Rsa);
    plain.close();
    ASSERT_TRUE(TestAuthority::writeFile(f.key, key.toPem("secreto")));
    ClsFacturaElectronica client;
    EXPECT_FALSE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl()));
    EXPECT_TRUE(client.UltimoError().contains("protegida con contraseña")) << client.UltimoError().toStdString();
    EXPECT_TRUE(fake.requests().isEmpty());
}

TEST_F(ClsFacturaElectronicaTest, AServiceThatNeverAnswersEndsAtTheTimeLimit)
{
    FakeAfip fake(*s_authority);
    const auto f = files(QStringLiteral("espera"));
    afip::SoapTransport::setTimeoutOverride(300);
    fake.setHanging(true);
    QElapsedTimer clock;
    clock.start();
    ClsFacturaElectronica client;
    EXPECT_FALSE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl()));
    EXPECT_EQ(client.UltimoError(),
              QString("El servicio %1 no respondió dentro del tiempo límite de 0,3 segundos.").arg(fake.wsaaUrl()));
    EXPECT_EQ(fake.loginRequests(), 1);

    // The query has the same limit.
    fake.setHanging(false);
    client.setUrlWsfe(fake.wsfeUrl());
    client.setCuitEmisor(Cuit);
    ASSERT_TRUE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl())) << client.UltimoError().toStdString();
    fake.setHanging(true);
    double numero = 0;
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_TRUE(client.UltimoError().contains("no respondió dentro del tiempo límite"));
}

// An answer without end is refused as longer than the limit once it passes a few megabytes, one longer than it
// declares as unexpected, and the memory held meanwhile stays small.
TEST_F(ClsFacturaElectronicaTest, AnAnswerPastItsBoundsIsRefused)
{
    struct Caso {
        const char* nombre;
        kembtest::HostileServer::Answer respuesta;
        bool pasaElLimite;
    };
    const Caso casos[] = {
        {"sin largo", {std::nullopt, false}, true},
        {"en trozos", {std::nullopt, true}, true},
        {"100 MB declarados", {100 * kembtest::kMegabyte, false}, true},
        {"mas largo que el declarado", {2000, true}, false},
    };
    const auto f = files(QStringLiteral("sin-fin"));
    afip::SoapTransport::setTimeoutOverride(10000);
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        kembtest::HostileServer hostil(c.respuesta);
        kembtest::MemoryGrowth memoria;
        ClsFacturaElectronica client;
        const QString url = hostil.baseUrl() + FakeAfip::WsaaPath;
        EXPECT_FALSE(client.Autenticar(f.certificate, f.key, url));
        EXPECT_EQ(client.UltimoError(),
                  c.pasaElLimite ? QString("El servicio %1 dio una respuesta más larga que el límite de 4 MB.").arg(url)
                                 : QString("El servicio de autenticación dio una respuesta inesperada (HTTP 200)."));
        EXPECT_LT(memoria.peak(), kembtest::growthLimit(64));
    }
}

TEST_F(ClsFacturaElectronicaTest, AnUnreachableServiceIsReported)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString url = QString("http://127.0.0.1:%1/ws/services/LoginCms").arg(closed.serverPort());
    closed.close();
    const auto f = files(QStringLiteral("sin-red"));
    ClsFacturaElectronica client;
    EXPECT_FALSE(client.Autenticar(f.certificate, f.key, url));
    EXPECT_TRUE(client.UltimoError().startsWith(QString("No se pudo comunicar con el servicio %1: ").arg(url)))
        << client.UltimoError().toStdString();

    for (const QString& bad : {QString(), QString("wsaa.afip.gov.ar"), QString("ftp://x/y")}) {
        EXPECT_FALSE(client.Autenticar(f.certificate, f.key, bad));
        EXPECT_EQ(client.UltimoError(),
                  QString("La dirección del servicio de autenticación \"%1\" no es válida.").arg(bad));
    }
}

TEST_F(ClsFacturaElectronicaTest, InvoicingErrorsGiveFalseWithCodeAndMessage)
{
    FakeAfip fake(*s_authority);
    const auto f = files(QStringLiteral("error600"));
    ClsFacturaElectronica client;
    client.setUrlWsfe(fake.wsfeUrl());
    client.setCuitEmisor(Cuit);
    ASSERT_TRUE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl()));
    fake.expireIssuedTickets();
    double numero = 99;
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_TRUE(client.UltimoError().startsWith(
        "Error 600: ValidacionDeToken: No validaron las fechas del token GenTime, ExpTime, NowUTC"))
        << client.UltimoError().toStdString();
    EXPECT_EQ(numero, 99.0) << "the number is left alone on failure";

    // A Cuit the certificate does not represent.
    const auto g = files(QStringLiteral("otro-cuit"));
    ClsFacturaElectronica other;
    other.setUrlWsfe(fake.wsfeUrl());
    other.setCuitEmisor(30712345671.0);
    ASSERT_TRUE(other.Autenticar(g.certificate, g.key, fake.wsaaUrl()));
    EXPECT_FALSE(other.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(other.UltimoError(), QString("Error 600: ValidacionDeToken: No apareció CUIT en lista de relaciones: "
                                           "30712345671"));

    fake.failQueries(501, "Error interno de base de datos");
    ClsFacturaElectronica third;
    third.setUrlWsfe(fake.wsfeUrl());
    third.setCuitEmisor(Cuit);
    ASSERT_TRUE(third.Autenticar(g.certificate, g.key, fake.wsaaUrl()));
    EXPECT_FALSE(third.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(third.UltimoError(), QString("Error 501: Error interno de base de datos"));
}

// The invoicing service refuses the ticket itself as expired or out of its dates (as after the clock was put
// right), in either of its two ways: the ticket is dropped, the message says so, and the next test logs in
// again and passes.
TEST_F(ClsFacturaElectronicaTest, ATicketRefusedAsExpiredIsDroppedAndTheNextTestLogsInAgain)
{
    const QString descartado = QStringLiteral("Se descartó el ticket de acceso; la próxima prueba se autenticará de "
                                              "nuevo.");
    struct Caso {
        const char* nombre;
        FakeAfip::Expiry negativa;
        QString error;
    };
    const Caso casos[] = {
        {"Token Vencido", FakeAfip::Expiry::TokenVencido,
         "El servicio de facturación electrónica respondió con un error: Client: Error en la autenticacion: Token "
         "Vencido"},
        {"error 600 de fechas", FakeAfip::Expiry::DatesError,
         "Error 600: ValidacionDeToken: No validaron las fechas del token GenTime, ExpTime, NowUTC: "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        QDir(afip::TicketStore::folder()).removeRecursively();
        FakeAfip fake(*s_authority);
        fake.setLastVoucher(2, 1, 31);
        const auto f = files(QStringLiteral("vencido-") + QString::number(int(c.negativa)));
        QString error;
        ASSERT_TRUE(probar(fake, f, error)) << error.toStdString();
        fake.expireIssuedTickets(c.negativa);

        EXPECT_FALSE(probar(fake, f, error));
        const QStringList lineas = error.split('\n');
        ASSERT_EQ(lineas.size(), 2) << error.toStdString();
        EXPECT_TRUE(lineas[0].startsWith(c.error)) << lineas[0].toStdString();
        EXPECT_EQ(lineas[1], descartado);
        EXPECT_EQ(fake.loginRequests(), 1) << "the refused test used the kept ticket";
        EXPECT_TRUE(QDir(afip::TicketStore::folder()).isEmpty()) << "the refused ticket is not kept";

        double numero = 0;
        ASSERT_TRUE(probar(fake, f, error, &numero)) << error.toStdString();
        EXPECT_EQ(numero, 31.0);
        EXPECT_EQ(fake.loginRequests(), 2);
        EXPECT_EQ(fake.logins(), 2);
        EXPECT_EQ(QDir(afip::TicketStore::folder()).entryList(QDir::Files).size(), 1) << "the new ticket is kept";
    }
}

// The client that met the refusal has no ticket left either: it asks for a new login before querying again.
TEST_F(ClsFacturaElectronicaTest, AClientWhoseTicketWasRefusedAsksForANewLogin)
{
    FakeAfip fake(*s_authority);
    const auto f = files(QStringLiteral("mismo-cliente"));
    ClsFacturaElectronica client;
    client.setUrlWsfe(fake.wsfeUrl());
    client.setCuitEmisor(Cuit);
    ASSERT_TRUE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl())) << client.UltimoError().toStdString();
    fake.expireIssuedTickets(FakeAfip::Expiry::TokenVencido);
    double numero = 0;
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(client.UltimoError(), QString("Debe autenticarse ante el servicio de autenticación antes de consultar."));
    EXPECT_EQ(fake.queryRequests(), 1);
    ASSERT_TRUE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl())) << client.UltimoError().toStdString();
    EXPECT_TRUE(client.UltimoComprobante(2, 1, numero)) << client.UltimoError().toStdString();
    EXPECT_EQ(fake.logins(), 2);
}

// A refused ticket whose file cannot be removed is named, so that the user can delete it.
TEST_F(ClsFacturaElectronicaTest, ARefusedTicketThatCannotBeDroppedIsNamed)
{
    FakeAfip fake(*s_authority);
    const auto f = files(QStringLiteral("no-se-borra"));
    QString error;
    ASSERT_TRUE(probar(fake, f, error)) << error.toStdString();
    const QStringList kept = QDir(afip::TicketStore::folder()).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    fake.expireIssuedTickets(FakeAfip::Expiry::TokenVencido);
    {
        kembtest::UnwritableFolder fija(afip::TicketStore::folder());
        if (!fija.held())
            GTEST_SKIP() << "the file system lets the folder be changed";
        EXPECT_FALSE(probar(fake, f, error));
    }
    EXPECT_EQ(error, QString("El servicio de facturación electrónica respondió con un error: Client: Error en la "
                             "autenticacion: Token Vencido\nNo se pudo descartar el ticket de acceso guardado en "
                             "\"%1\"; bórrelo para que la próxima prueba se autentique de nuevo.")
                         .arg(afip::TicketStore::folder() + "/" + kept[0]));
}

// Other refusals keep the ticket: error 600 about the CUIT says nothing against the ticket, and dropping a good
// one would make the authentication service refuse the next login for hours ("coe.alreadyAuthenticated").
TEST_F(ClsFacturaElectronicaTest, ATicketRefusedForTheCuitIsKept)
{
    FakeAfip fake(*s_authority);
    fake.setLastVoucher(2, 1, 8);
    const auto f = files(QStringLiteral("cuit-ajeno"));
    const auto consultar = [&](double cuit, QString& error) {
        ClsFacturaElectronica client;
        client.setUrlWsfe(fake.wsfeUrl());
        client.setCuitEmisor(cuit);
        double numero = 0;
        const bool ok =
            client.Autenticar(f.certificate, f.key, fake.wsaaUrl()) && client.UltimoComprobante(2, 1, numero);
        error = client.UltimoError();
        return ok;
    };
    QString error;
    for (int vez = 0; vez < 2; ++vez) {
        EXPECT_FALSE(consultar(30712345671.0, error));
        EXPECT_EQ(error, QString("Error 600: ValidacionDeToken: No apareció CUIT en lista de relaciones: 30712345671"));
        EXPECT_EQ(QDir(afip::TicketStore::folder()).entryList(QDir::Files).size(), 1);
    }
    EXPECT_TRUE(consultar(Cuit, error)) << error.toStdString();
    EXPECT_EQ(fake.loginRequests(), 1) << "no second login";
    EXPECT_EQ(fake.queryRequests(), 3);

    // Nor does another error of the service.
    fake.failQueries(501, "Error interno de base de datos");
    EXPECT_FALSE(consultar(Cuit, error));
    EXPECT_EQ(error, QString("Error 501: Error interno de base de datos"));
    EXPECT_EQ(QDir(afip::TicketStore::folder()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(fake.loginRequests(), 1);
}

TEST_F(ClsFacturaElectronicaTest, TheQueryNeedsALoginAnAddressAndACuit)
{
    FakeAfip fake(*s_authority);
    ClsFacturaElectronica client;
    double numero = 0;
    client.setUrlWsfe(fake.wsfeUrl());
    client.setCuitEmisor(Cuit);
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(client.UltimoError(), QString("Debe autenticarse ante el servicio de autenticación antes de consultar."));

    const auto f = files(QStringLiteral("consulta"));
    ASSERT_TRUE(client.Autenticar(f.certificate, f.key, fake.wsaaUrl()));
    client.setCuitEmisor(0);
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(client.UltimoError(), QString("El CUIT del emisor no es válido."));
    client.setCuitEmisor(Cuit);
    client.setUrlWsfe(QString());
    EXPECT_FALSE(client.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(client.UltimoError(), QString("La dirección del servicio de facturación \"\" no es válida."));
    EXPECT_EQ(fake.queryRequests(), 0);
}

TEST_F(ClsFacturaElectronicaTest, WorksOverTlsWithATrustedAuthority)
{
    FakeAfip fake(*s_authority, serverTls());
    ASSERT_TRUE(fake.wsaaUrl().startsWith("https://127.0.0.1:"));
    fake.setLastVoucher(2, 1, 55);
    const auto f = files(QStringLiteral("tls"));

    // Not trusted yet: the handshake fails and no login reaches the service.
    QString error;
    EXPECT_FALSE(probar(fake, f, error));
    EXPECT_TRUE(error.startsWith(QString("No se pudo comunicar con el servicio %1: ").arg(fake.wsaaUrl())))
        << error.toStdString();
    EXPECT_EQ(fake.loginRequests(), 0);

    afip::SoapTransport::setExtraCaCertificates({s_authority->certificate()});
    double numero = 0;
    ASSERT_TRUE(probar(fake, f, error, &numero)) << error.toStdString();
    EXPECT_EQ(numero, 55.0);
    EXPECT_EQ(fake.logins(), 1);
}

TEST_F(ClsFacturaElectronicaTest, ARefusedCertificateIsNamedOnce)
{
    FakeAfip fake(*s_authority, serverTls(-10 * 86400, -86400));
    afip::SoapTransport::setExtraCaCertificates({s_authority->certificate()});

    QString error;
    EXPECT_FALSE(probar(fake, files(QStringLiteral("vence")), error));
    const QString reason = QSslError(QSslError::CertificateExpired).errorString();
    EXPECT_TRUE(error.startsWith(QString("No se pudo comunicar con el servicio %1: ").arg(fake.wsaaUrl())))
        << error.toStdString();
    EXPECT_TRUE(error.endsWith(reason + QLatin1Char('.'))) << error.toStdString();
    EXPECT_EQ(error.count(reason), 1) << error.toStdString();
    EXPECT_EQ(fake.loginRequests(), 0);
}

TEST_F(ClsFacturaElectronicaTest, ADeeplyNestedAnswerIsRefusedAtOnceAsUnexpected)
{
    const QByteArray answer = nestedAnswer(15000);
    ASSERT_GT(answer.size(), 100 * 1024);
    kembtest::HttpServer hostile;
    kembtest::HttpResponse nested;
    nested.body = answer;
    hostile.route(FakeAfip::WsaaPath, nested);
    hostile.route(FakeAfip::WsfePath, nested);
    const auto f = files(QStringLiteral("anidada"));

    // Generous bounds: reading such an answer used to take minutes and gigabytes.
    QElapsedTimer clock;
    clock.start();
    ClsFacturaElectronica login;
    EXPECT_FALSE(login.Autenticar(f.certificate, f.key, hostile.baseUrl() + FakeAfip::WsaaPath));
    EXPECT_EQ(login.UltimoError(), QString("El servicio de autenticación dio una respuesta inesperada (HTTP 200)."));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(QDir(afip::TicketStore::folder()).isEmpty());

    FakeAfip fake(*s_authority);
    ClsFacturaElectronica query;
    query.setCuitEmisor(Cuit);
    query.setUrlWsfe(hostile.baseUrl() + FakeAfip::WsfePath);
    ASSERT_TRUE(query.Autenticar(f.certificate, f.key, fake.wsaaUrl())) << query.UltimoError().toStdString();
    double numero = 5;
    clock.restart();
    EXPECT_FALSE(query.UltimoComprobante(2, 1, numero));
    EXPECT_EQ(query.UltimoError(),
              QString("El servicio de facturación electrónica dio una respuesta inesperada (HTTP 200)."));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(numero, 5.0);
}
