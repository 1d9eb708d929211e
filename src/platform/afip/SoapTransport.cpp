#include "platform/afip/SoapTransport.h"

#include "platform/net/HttpExchange.h"

#include <QLocale>

namespace afip {
namespace {

int& timeoutOverride()
{
    static int ms = 0;
    return ms;
}

QList<QSslCertificate>& extraCaCertificates()
{
    static QList<QSslCertificate> certificates;
    return certificates;
}

QString seconds(int ms)
{
    return QLocale().toString(ms / 1000.0, 'g', 6);
}

} // namespace

int SoapTransport::timeoutMs()
{
    return timeoutOverride() > 0 ? timeoutOverride() : DefaultTimeoutMs;
}

void SoapTransport::setTimeoutOverride(int ms)
{
    timeoutOverride() = ms;
}

void SoapTransport::setExtraCaCertificates(const QList<QSslCertificate>& certificates)
{
    extraCaCertificates() = certificates;
}

bool SoapTransport::needsLegacySecurityLevel(const QString& host)
{
    const QString name = host.toLower();
    return name == QLatin1String("afip.gov.ar") || name.endsWith(QLatin1String(".afip.gov.ar"));
}

QSslConfiguration SoapTransport::sslConfigurationFor(const QUrl& url)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    if (!extraCaCertificates().isEmpty())
        configuration.addCaCertificates(extraCaCertificates());
    // Set on this connection's own configuration, applied by OpenSSL to this connection's context only.
    if (needsLegacySecurityLevel(url.host()))
        configuration.setBackendConfigurationOption("CipherString", QByteArray("DEFAULT:@SECLEVEL=1"));
    return configuration;
}

SoapReply SoapTransport::post(const QUrl& url, const QByteArray& soapAction, const QByteArray& envelope)
{
    const net::HttpExchange::Headers headers = {{"Content-Type", "text/xml; charset=utf-8"},
                                                {"SOAPAction", '"' + soapAction + '"'}};
    const QSslConfiguration ssl =
        url.scheme() == QLatin1String("https") ? sslConfigurationFor(url) : QSslConfiguration();
    const net::HttpAnswer http = net::HttpExchange::post(url, headers, envelope, ssl, MaxAnswerBytes, timeoutMs());
    SoapReply answer;
    if (http.timedOut) {
        answer.error = QStringLiteral("El servicio %1 no respondió dentro del tiempo límite de %2 segundos.")
                           .arg(url.toString(), seconds(timeoutMs()));
        return answer;
    }
    // An answer cut at the limit is no answer the caller can read: it is handed on empty.
    answer.httpStatus = http.status;
    answer.body = http.body;
    if (answer.httpStatus == 0)
        answer.error = QStringLiteral("No se pudo comunicar con el servicio %1: %2.").arg(url.toString(), http.error);
    return answer;
}

} // namespace afip
