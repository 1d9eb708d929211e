#include "platform/afip/SoapTransport.h"
#include "support/ConnectProxy.h"
#include "support/DrippingServer.h"
#include "support/HostileServer.h"
#include "support/HttpServer.h"
#include "support/KeptAliveServer.h"
#include "support/LegacyTlsServer.h"
#include "support/MemoryGrowth.h"
#include "support/ProxyEnvironment.h"
#include "support/SlowWindowThread.h"
#include "support/TestAuthority.h"

#include <QFile>
#include <QNetworkProxy>
#include <QSslKey>
#include <gtest/gtest.h>
#include <optional>

using afip::SoapTransport;
using kembtest::LegacyTlsServer;
using kembtest::TestAuthority;

namespace {

std::unique_ptr<LegacyTlsServer> legacyServer(const TestAuthority& authority, const QString& host)
{
    TestAuthority::Subject subject;
    subject.commonName = host;
    const TestAuthority::Issued issued = authority.issue(subject);
    QFile dh(QStringLiteral(KEMB_TEST_DATA "/dh1024.pem"));
    EXPECT_TRUE(dh.open(QIODevice::ReadOnly));
    return std::make_unique<LegacyTlsServer>(issued.certificatePem, issued.keyPem, dh.readAll());
}

// Every request of the program goes through one proxy while it lives.
class ScopedApplicationProxy {
public:
    explicit ScopedApplicationProxy(quint16 port)
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));
    }
    ~ScopedApplicationProxy() { QNetworkProxyFactory::setUseSystemConfiguration(true); }
    ScopedApplicationProxy(const ScopedApplicationProxy&) = delete;
    ScopedApplicationProxy& operator=(const ScopedApplicationProxy&) = delete;
};

// The TLS settings of a server known by `host`, with a certificate of `authority`.
QSslConfiguration serverTls(const TestAuthority& authority, const QString& host)
{
    TestAuthority::Subject subject;
    subject.commonName = host;
    const TestAuthority::Issued issued = authority.issue(subject);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(issued.certificatePem, QSsl::Pem));
    tls.setPrivateKey(QSslKey(issued.keyPem, QSsl::Rsa));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

class SoapTransportTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SoapTransport::setExtraCaCertificates({});
        SoapTransport::setTimeoutOverride(0);
    }
};

} // namespace

TEST_F(SoapTransportTest, OnlyTheTaxAuthorityHostsGetTheLegacySecurityLevel)
{
    for (const char* host :
         {"wsaa.afip.gov.ar", "wsaahomo.afip.gov.ar", "servicios1.afip.gov.ar", "WSWHOMO.AFIP.GOV.AR", "afip.gov.ar"})
        EXPECT_TRUE(SoapTransport::needsLegacySecurityLevel(host)) << host;
    for (const char* host : {"127.0.0.1", "example.com", "notafip.gov.ar", "afip.gov.ar.example.com", ""})
        EXPECT_FALSE(SoapTransport::needsLegacySecurityLevel(host)) << host;

    const QSslConfiguration legacy =
        SoapTransport::sslConfigurationFor(QUrl("https://wsaa.afip.gov.ar/ws/services/LoginCms"));
    EXPECT_EQ(legacy.backendConfiguration().value("CipherString").toByteArray(), QByteArray("DEFAULT:@SECLEVEL=1"));
    EXPECT_TRUE(SoapTransport::sslConfigurationFor(QUrl("https://127.0.0.1/")).backendConfiguration().isEmpty());
    EXPECT_TRUE(QSslConfiguration::defaultConfiguration().backendConfiguration().isEmpty())
        << "the program-wide configuration stays as it was";
}

// A server like the tax authority's, reached by name through a proxy that alone knows the names (so that no
// request can leave the machine): under a tax authority name it is accepted, under any other it is refused.
TEST_F(SoapTransportTest, TheLegacyLevelReachesADhServerThatTheDefaultRefuses)
{
    const QString taxHost = QStringLiteral("wsaahomo.afip.gov.ar");
    const QString otherHost = QStringLiteral("wsaahomo.kemb.invalid");
    const TestAuthority authority;
    SoapTransport::setExtraCaCertificates({authority.certificate()});
    const auto server = legacyServer(authority, taxHost);
    kembtest::ConnectProxy proxy({taxHost, otherHost});
    const ScopedApplicationProxy through(proxy.port());
    QUrl tax(server->baseUrl() + QStringLiteral("/ws"));
    tax.setHost(taxHost);
    QUrl other = tax;
    other.setHost(otherHost);

    // A host of no tax authority keeps the default level and is refused.
    const afip::SoapReply refused = SoapTransport::post(other, QByteArray(), "<x/>");
    EXPECT_EQ(refused.httpStatus, 0);
    EXPECT_TRUE(refused.error.contains("dh key too small")) << refused.error.toStdString();
    EXPECT_EQ(server->handshakes(), 0);

    const afip::SoapReply accepted = SoapTransport::post(tax, QByteArray(), "<x/>");
    EXPECT_EQ(accepted.httpStatus, 200) << accepted.error.toStdString();
    EXPECT_EQ(accepted.body, QByteArray("<ok/>"));
    EXPECT_EQ(server->answered(), 1);

    // And nothing leaked into other connections.
    const afip::SoapReply again = SoapTransport::post(other, QByteArray(), "<x/>");
    EXPECT_TRUE(again.error.contains("dh key too small")) << again.error.toStdString();
    const QByteArray port = QByteArray::number(tax.port());
    EXPECT_EQ(proxy.requests(), (QList<QByteArray>{"CONNECT " + otherHost.toLatin1() + ':' + port + " HTTP/1.1",
                                                   "CONNECT " + taxHost.toLatin1() + ':' + port + " HTTP/1.1",
                                                   "CONNECT " + otherHost.toLatin1() + ':' + port + " HTTP/1.1"}));
}

// The request speaks HTTP/1.1 only, whose read buffer holds a connection back, also to a server that offers
// HTTP/2.
TEST_F(SoapTransportTest, ARequestSpeaksHttp11ToAServerThatOffersHttp2)
{
    const TestAuthority authority;
    SoapTransport::setExtraCaCertificates({authority.certificate()});
    QSslConfiguration tls = serverTls(authority, QStringLiteral("127.0.0.1"));
    tls.setAllowedNextProtocols({QSslConfiguration::ALPNProtocolHTTP2, QSslConfiguration::NextProtocolHttp1_1});
    kembtest::HttpServer server(tls);
    kembtest::HttpResponse ok;
    ok.body = "<ok/>";
    server.route(QStringLiteral("/ws"), ok);
    const afip::SoapReply reply = SoapTransport::post(QUrl(server.baseUrl() + QStringLiteral("/ws")), "", "<x/>");
    EXPECT_EQ(reply.httpStatus, 200) << reply.error.toStdString();
    EXPECT_EQ(reply.body, QByteArray("<ok/>"));
}

TEST_F(SoapTransportTest, TimeLimitDefaultsToThirtySeconds)
{
    EXPECT_EQ(SoapTransport::timeoutMs(), 30000);
    SoapTransport::setTimeoutOverride(250);
    EXPECT_EQ(SoapTransport::timeoutMs(), 250);
    SoapTransport::setTimeoutOverride(0);
    EXPECT_EQ(SoapTransport::timeoutMs(), 30000);
}

// An answer that would grow without end stops at its bound, the memory held meanwhile stays small, and the
// server is held back by the connection, also while the window thread is slow to take what arrives.
TEST_F(SoapTransportTest, AnAnswerPastItsBoundsIsRefusedAndHeldBack)
{
    struct Case {
        const char* name;
        kembtest::HostileServer::Answer answer;
        bool slowWindows;
        bool pastTheLimit;
    };
    const Case cases[] = {
        {"sin largo", {std::nullopt, false}, false, true},
        {"en trozos", {std::nullopt, true}, false, true},
        {"100 MB declarados", {100 * kembtest::kMegabyte, false}, false, true},
        {"mas largo que el declarado", {2000, true}, false, false},
        {"sin largo, ventanas lentas", {std::nullopt, false}, true, true},
        {"100 MB en trozos, ventanas lentas", {100 * kembtest::kMegabyte, true}, true, true},
    };
    SoapTransport::setTimeoutOverride(3000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kembtest::HostileServer server(c.answer);
        const QUrl url(server.baseUrl() + QStringLiteral("/ws"));
        std::optional<kembtest::SlowWindowThread> slow;
        if (c.slowWindows)
            slow.emplace(4 * kembtest::growthLimit(64));
        kembtest::MemoryGrowth memory;
        const afip::SoapReply reply = SoapTransport::post(url, QByteArray(), "<x/>");
        slow.reset();
        if (c.pastTheLimit) {
            EXPECT_EQ(reply.httpStatus, 0);
            EXPECT_EQ(reply.error,
                      QString("El servicio %1 dio una respuesta más larga que el límite de 4 MB.").arg(url.toString()));
        } else {
            EXPECT_EQ(reply.httpStatus, 200);
            EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
        }
        EXPECT_TRUE(reply.body.isEmpty());
        EXPECT_LT(memory.peak(), kembtest::growthLimit(64));
        EXPECT_LT(server.sent(), 64 * kembtest::kMegabyte);
    }
}

// An answer is taken whole up to the limit, also with an error status; one past the limit, or cut short of the
// end it announced, is no answer.
TEST_F(SoapTransportTest, AnAnswerIsTakenWholeUpToTheLimit)
{
    const QByteArray atTheLimit(SoapTransport::MaxAnswerBytes, 'x');
    // A "deflate" body: the zlib stream, without the length qCompress puts before it.
    const auto deflated = [](const QByteArray& body) { return qCompress(body).mid(4); };
    const auto response = [](int status, const QByteArray& body, QList<QPair<QByteArray, QByteArray>> headers = {},
                             bool sendLength = true) {
        kembtest::HttpResponse r;
        r.status = status;
        r.body = body;
        r.headers = std::move(headers);
        r.sendContentLength = sendLength;
        return r;
    };
    struct Case {
        const char* name;
        kembtest::HttpResponse response;
        int status;
        QByteArray body;
        bool pastTheLimit;
    };
    const Case cases[] = {
        {"4 MB declarados", response(200, atTheLimit), 200, atTheLimit, false},
        {"4 MB hasta el cierre", response(200, atTheLimit, {}, false), 200, atTheLimit, false},
        {"un error con su cuerpo", response(500, "<fault/>"), 500, "<fault/>", false},
        {"4 MB y un byte", response(200, atTheLimit + 'x'), 0, "", true},
        {"4 MB y un byte hasta el cierre", response(200, atTheLimit + 'x', {}, false), 0, "", true},
        {"cortada antes del largo declarado", response(200, "<ok/>", {{"Content-Length", "1000"}}, false), 200, "",
         false},
        {"comprimida", response(200, deflated(atTheLimit), {{"Content-Encoding", "deflate"}}), 200, atTheLimit, false},
        {"comprimida, de 4 MB y un byte", response(200, deflated(atTheLimit + 'x'), {{"Content-Encoding", "deflate"}}),
         0, "", true},
    };
    kembtest::HttpServer server;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QStringLiteral("/ws%1").arg(++n);
        server.route(path, c.response);
        const QUrl url(server.baseUrl() + path);
        const afip::SoapReply reply = SoapTransport::post(url, QByteArray(), "<x/>");
        EXPECT_EQ(reply.httpStatus, c.status);
        EXPECT_TRUE(reply.body == c.body) << reply.body.size() << " bytes";
        EXPECT_EQ(reply.error,
                  c.pastTheLimit
                      ? QString("El servicio %1 dio una respuesta más larga que el límite de 4 MB.").arg(url.toString())
                      : QString());
    }
}

// A connection kept open after an answer may carry the next request: its answer is bound all the same. (Qt
// does not always hand the connection on, so the pair of requests is tried until it does.)
TEST_F(SoapTransportTest, AnEndlessAnswerOnAKeptConnectionIsHeldBack)
{
    SoapTransport::setTimeoutOverride(3000);
    bool kept = false;
    for (int round = 0; round < 20 && !kept; ++round) {
        SCOPED_TRACE(round);
        kembtest::KeptAliveServer server;
        const QUrl url(server.baseUrl() + QStringLiteral("/ws"));
        const afip::SoapReply first = SoapTransport::post(url, QByteArray(), "<x/>");
        ASSERT_EQ(first.body, QByteArray("<ok/>")) << first.error.toStdString();

        const kembtest::SlowWindowThread slow(4 * kembtest::growthLimit(64));
        kembtest::MemoryGrowth memory;
        const afip::SoapReply second = SoapTransport::post(url, QByteArray(), "<x/>");
        EXPECT_EQ(second.error,
                  QString("El servicio %1 dio una respuesta más larga que el límite de 4 MB.").arg(url.toString()));
        EXPECT_LT(memory.peak(), kembtest::growthLimit(64));
        EXPECT_LT(server.sent(), 64 * kembtest::kMegabyte);
        kept = server.connections() == 1;
    }
    EXPECT_TRUE(kept) << "no second request went on the first one's connection";
}

TEST_F(SoapTransportTest, ADrippingOrStalledAnswerEndsAtTheTimeLimit)
{
    struct Case {
        const char* name;
        kembtest::DrippingServer::Pace pace;
    };
    // 100000 bytes of XML declared, on a connection the head does not say it closes.
    const auto xml = [](qint64 atOnce, int pieceBytes, int intervalMs) {
        return kembtest::DrippingServer::Pace{.declaredLength = 100000,
                                              .pieceBytes = pieceBytes,
                                              .intervalMs = intervalMs,
                                              .bodyBytes = 100000,
                                              .atOnce = atOnce,
                                              .contentType = "text/xml",
                                              .saysClose = false};
    };
    const Case cases[] = {
        {"un byte cada 50 ms", xml(0, 1, 50)},
        {"1000 bytes y nada mas", xml(1000, 0, 0)},
    };
    SoapTransport::setTimeoutOverride(1500);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kembtest::DrippingServer server(c.pace);
        const QUrl url(server.baseUrl() + QStringLiteral("/ws"));
        const afip::SoapReply reply = SoapTransport::post(url, QByteArray(), "<x/>");
        EXPECT_EQ(reply.httpStatus, 0);
        EXPECT_EQ(reply.error,
                  QString("El servicio %1 no respondió dentro del tiempo límite de 1,5 segundos.").arg(url.toString()));
        EXPECT_TRUE(reply.body.isEmpty());
        EXPECT_GT(server.sent(), 0) << "the body had begun";
    }
}

// The request takes the proxy that the environment names for its address, as every other request of the
// program does: a host that only the proxy reaches is reached, and one that no_proxy names is not proxied.
TEST_F(SoapTransportTest, TheProxyOfTheAddressIsUsed)
{
    const QString host = QStringLiteral("wsaa.kemb.invalid");
    const TestAuthority authority;
    SoapTransport::setExtraCaCertificates({authority.certificate()});
    kembtest::HttpServer server(serverTls(authority, host));
    kembtest::HttpResponse ok;
    ok.body = "<ok/>";
    server.route(QStringLiteral("/ws"), ok);
    kembtest::ConnectProxy proxy({host});
    QUrl url(server.baseUrl() + QStringLiteral("/ws"));
    url.setHost(host);
    const QByteArray through = proxy.url().toLatin1();
    const QByteArray elsewhere = "http://127.0.0.1:9";

    struct Case {
        const char* name;
        kembtest::ProxyEnvironment::Variables variables;
        bool proxied;
    };
    const Case cases[] = {
        {"https_proxy", {{"https_proxy", through}}, true},
        {"HTTPS_PROXY", {{"HTTPS_PROXY", through}}, true},
        {"https_proxy antes que HTTPS_PROXY", {{"https_proxy", through}, {"HTTPS_PROXY", elsewhere}}, true},
        {"https_proxy antes que http_proxy", {{"https_proxy", through}, {"http_proxy", elsewhere}}, true},
        {"http_proxy sin uno para https", {{"http_proxy", through}}, true},
        {"no_proxy con otro host", {{"https_proxy", through}, {"no_proxy", "localhost,otro.kemb.invalid"}}, true},
        {"no_proxy con el host", {{"https_proxy", through}, {"no_proxy", "localhost, wsaa.kemb.invalid"}}, false},
        {"NO_PROXY con el dominio", {{"HTTPS_PROXY", through}, {"NO_PROXY", ".kemb.invalid"}}, false},
        {"no_proxy con el dominio en comodin", {{"https_proxy", through}, {"no_proxy", "*.kemb.invalid"}}, false},
        {"no_proxy con el dominio sin punto, que es un host",
         {{"https_proxy", through}, {"no_proxy", "kemb.invalid"}},
         true},
        {"sin proxy", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const kembtest::ProxyEnvironment environment(c.variables);
        const qsizetype before = proxy.requests().size();
        const afip::SoapReply reply = SoapTransport::post(url, QByteArray(), "<x/>");
        const QList<QByteArray> seen = proxy.requests().mid(before);
        if (c.proxied) {
            EXPECT_EQ(reply.httpStatus, 200) << reply.error.toStdString();
            EXPECT_EQ(reply.body, QByteArray("<ok/>"));
            EXPECT_EQ(seen, QList<QByteArray>{"CONNECT " + url.authority().toLatin1() + " HTTP/1.1"});
        } else {
            EXPECT_EQ(reply.httpStatus, 0);
            EXPECT_TRUE(
                reply.error.startsWith(QString("No se pudo comunicar con el servicio %1: ").arg(url.toString())))
                << reply.error.toStdString();
            EXPECT_TRUE(seen.isEmpty());
        }
    }
    EXPECT_EQ(server.requestCount(QStringLiteral("/ws")), 7);
}
