#include "platform/afip/SoapTransport.h"

#include "platform/net/Network.h"

#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

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

struct DeleteLater {
    void operator()(QObject* o) const { o->deleteLater(); }
};

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
    // Connections kept open from earlier requests still carry the old trust.
    net::manager().clearConnectionCache();
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
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/xml; charset=utf-8"));
    request.setRawHeader("SOAPAction", '"' + soapAction + '"');
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (url.scheme() == QLatin1String("https"))
        request.setSslConfiguration(sslConfigurationFor(url));

    std::unique_ptr<QNetworkReply, DeleteLater> reply(net::manager().post(request, envelope));
    QString sslProblems;
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, reply.get(),
                     [&sslProblems](const QList<QSslError>& errors) {
                         for (const QSslError& e : errors)
                             sslProblems += QStringLiteral(" ") + e.errorString() + QLatin1Char('.');
                     });
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(timeoutMs());
    // The window keeps painting while it waits, but takes no clicks that could start a second request.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    SoapReply answer;
    if (!reply->isFinished()) {
        reply->abort();
        answer.error = QStringLiteral("El servicio %1 no respondió dentro del tiempo límite de %2 segundos.")
                           .arg(url.toString(), seconds(timeoutMs()));
        return answer;
    }
    answer.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    if (answer.httpStatus == 0)
        answer.error = QStringLiteral("No se pudo comunicar con el servicio %1: %2.%3")
                           .arg(url.toString(), reply->errorString(), sslProblems);
    return answer;
}

} // namespace afip
