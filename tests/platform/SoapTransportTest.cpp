#include "platform/afip/SoapTransport.h"
#include "platform/net/HttpExchange.h"
#include "support/LegacyTlsServer.h"
#include "support/TestAuthority.h"

#include <QFile>
#include <gtest/gtest.h>

using afip::SoapTransport;
using kembtest::LegacyTlsServer;
using kembtest::TestAuthority;

namespace {

std::unique_ptr<LegacyTlsServer> legacyServer(const TestAuthority& authority)
{
    TestAuthority::Subject subject;
    subject.commonName = QStringLiteral("127.0.0.1");
    subject.ipAddresses = {QStringLiteral("127.0.0.1")};
    const TestAuthority::Issued issued = authority.issue(subject);
    QFile dh(QStringLiteral(KEMB_TEST_DATA "/dh1024.pem"));
    EXPECT_TRUE(dh.open(QIODevice::ReadOnly));
    return std::make_unique<LegacyTlsServer>(issued.certificatePem, issued.keyPem, dh.readAll());
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

TEST_F(SoapTransportTest, TheLegacyLevelReachesADhServerThatTheDefaultRefuses)
{
    const TestAuthority authority;
    SoapTransport::setExtraCaCertificates({authority.certificate()});
    const auto server = legacyServer(authority);
    const QUrl url(server->baseUrl() + QStringLiteral("/ws"));

    // A host of no tax authority keeps the default level and is refused.
    const afip::SoapReply refused = SoapTransport::post(url, QByteArray(), "<x/>");
    EXPECT_EQ(refused.httpStatus, 0);
    EXPECT_TRUE(refused.error.contains("dh key too small")) << refused.error.toStdString();
    EXPECT_EQ(server->handshakes(), 0);

    // The configuration the transport gives a tax authority host, used on this connection, gets through.
    const net::HttpAnswer through =
        net::HttpExchange::post(url, {{"Content-Type", "text/xml"}}, "<x/>",
                                SoapTransport::sslConfigurationFor(QUrl("https://wsaahomo.afip.gov.ar/")), 1024, 10000);
    EXPECT_EQ(through.status, 200) << through.error.toStdString();
    EXPECT_EQ(through.body, QByteArray("<ok/>"));
    EXPECT_EQ(server->answered(), 1);

    // And nothing leaked into other connections.
    const afip::SoapReply again = SoapTransport::post(url, QByteArray(), "<x/>");
    EXPECT_TRUE(again.error.contains("dh key too small")) << again.error.toStdString();
}

TEST_F(SoapTransportTest, TimeLimitDefaultsToThirtySeconds)
{
    EXPECT_EQ(SoapTransport::timeoutMs(), 30000);
    SoapTransport::setTimeoutOverride(250);
    EXPECT_EQ(SoapTransport::timeoutMs(), 250);
    SoapTransport::setTimeoutOverride(0);
    EXPECT_EQ(SoapTransport::timeoutMs(), 30000);
}
