#include "platform/afip/SoapTransport.h"

#include "platform/net/BoundedReply.h"
#include "platform/net/Network.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
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

// The reply's own text often already names the certificate problem that refused the connection: each reason is
// given once.
QString failureText(const QString& replyText, const QStringList& sslProblems)
{
    QString text = replyText;
    for (const QString& problem : sslProblems)
        if (!text.contains(problem))
            text += QStringLiteral(". ") + problem;
    return text;
}

QString seconds(int ms)
{
    return QLocale().toString(ms / 1000.0, 'g', 6);
}

QNetworkRequest soapRequest(const QUrl& url, const QByteArray& soapAction)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/xml; charset=utf-8"));
    request.setRawHeader("SOAPAction", '"' + soapAction + '"');
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // HTTP/1.1, whose read buffer holds the connection back; the services speak nothing else.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    if (url.scheme() == QLatin1String("https"))
        request.setSslConfiguration(SoapTransport::sslConfigurationFor(url));
    return request;
}

// The body went past the transport's own limit, not just past a shorter length the answer declared.
bool pastTheLimit(const QNetworkReply& reply)
{
    const QVariant declared = reply.header(QNetworkRequest::ContentLengthHeader);
    return !declared.isValid() || declared.toLongLong() >= SoapTransport::MaxAnswerBytes;
}

// The whole answer arrived: it is as long as it declared, and no failed connection or broken framing cut it
// short. An error status still brings its whole answer.
bool wholeAnswer(const QNetworkReply& reply, const net::BoundedReply& bounded)
{
    if (bounded.tooLong() || bounded.cutShort())
        return false;
    const QNetworkReply::NetworkError e = reply.error();
    return e == QNetworkReply::NoError ||
           (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
           (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError);
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
    std::unique_ptr<QNetworkReply, DeleteLater> reply(net::manager().post(soapRequest(url, soapAction), envelope));
    QStringList sslProblems;
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, reply.get(),
                     [&sslProblems](const QList<QSslError>& errors) {
                         for (const QSslError& e : errors)
                             sslProblems.append(e.errorString());
                     });
    QByteArray body;
    net::BoundedReply bounded(*reply, MaxAnswerBytes, [&body](const QByteArray& piece) {
        body += piece;
        return true;
    });
    SoapReply answer;
    if (!bounded.waitFor(timeoutMs())) {
        answer.error = QStringLiteral("El servicio %1 no respondió dentro del tiempo límite de %2 segundos.")
                           .arg(url.toString(), seconds(timeoutMs()));
        return answer;
    }
    if (bounded.tooLong() && pastTheLimit(*reply)) {
        answer.error = QStringLiteral("El servicio %1 dio una respuesta más larga que el límite de %2 MB.")
                           .arg(url.toString())
                           .arg(MaxAnswerBytes / (1024 * 1024));
        return answer;
    }
    answer.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An answer longer or shorter than it declared is no answer the caller can read: it is handed on empty.
    if (wholeAnswer(*reply, bounded))
        answer.body = body;
    if (answer.httpStatus == 0)
        answer.error = QStringLiteral("No se pudo comunicar con el servicio %1: %2.")
                           .arg(url.toString(), failureText(reply->errorString(), sslProblems));
    return answer;
}

} // namespace afip
