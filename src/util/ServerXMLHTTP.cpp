#include "util/ServerXMLHTTP.h"

#include "platform/net/BoundedReply.h"
#include "platform/net/Network.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Error.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <memory>

namespace {

const QString kSource = QStringLiteral("msxml3.dll");

} // namespace

void ServerXMLHTTP::open(const QString& method, const QUrl& url)
{
    m_method = method.toUpper().toLatin1();
    m_url = url;
    m_status = 0;
    m_body.clear();
    m_contentType.clear();
}

void ServerXMLHTTP::send()
{
    if (!m_url.isValid() || m_url.scheme().isEmpty())
        throw vb::Error(-2147012891, QStringLiteral("La dirección URL no es válida"), kSource);
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    std::unique_ptr<QNetworkReply> reply(net::manager().sendCustomRequest(request, m_method));
    QByteArray body;
    net::BoundedReply bounded(*reply, MaxAnswerBytes, [&body](const QByteArray& piece) {
        body += piece;
        return true;
    });
    const bool timedOut = !bounded.waitFor(m_timeLimitMs);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // A transfer that stalled ends as one that outlasted the time limit.
    if (timedOut || bounded.stalled())
        throw vb::Error(-2147012894, QStringLiteral("Se agotó el tiempo de espera de la operación"), kSource);
    if (bounded.tooLong())
        throw vb::Error(-2147024882, QStringLiteral("La respuesta del servidor es demasiado larga"), kSource);
    if (!status.isValid())
        throw vb::Error(-2147012867, reply->errorString(), kSource);
    // An answer that ended before the length it declared is no answer.
    if (bounded.cutShort())
        throw vb::Error(-2147012866, QStringLiteral("La conexión con el servidor terminó de forma anormal"), kSource);
    m_status = status.toInt();
    m_body = body;
    m_contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray().toLower();
}

QString ServerXMLHTTP::responseText() const
{
    const bool latin =
        m_contentType.contains("1252") || m_contentType.contains("8859-1") || m_contentType.contains("latin1");
    return latin ? vb::fromAnsi(m_body) : QString::fromUtf8(m_body);
}
