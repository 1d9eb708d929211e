#include "platform/net/Inet.h"

#include "platform/net/BoundedReply.h"
#include "platform/net/Network.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>
#include <QUrl>

namespace {

// A body stopped at MaxBodyBytes went past that limit, not past a shorter length of its own.
QString tooLongText(const QNetworkReply& reply)
{
    const QVariant declared = reply.header(QNetworkRequest::ContentLengthHeader);
    if (declared.isValid() && declared.toLongLong() <= Inet::MaxBodyBytes)
        return QStringLiteral("La respuesta del servidor es más larga que la declarada.");
    return QStringLiteral("La respuesta del servidor superó el límite de %1 MB.")
        .arg(Inet::MaxBodyBytes / (1024 * 1024));
}

} // namespace

Inet::Inet(QObject* parent) : QObject(parent) {}

Inet::~Inet()
{
    Cancel();
}

void Inet::Execute(const QString& operation)
{
    Cancel();
    QNetworkRequest request{QUrl(m_url)};
    request.setTransferTimeout(m_requestTimeout * 1000);
    m_body = std::make_unique<QTemporaryFile>();
    m_reply = net::manager().sendCustomRequest(request, operation.toLatin1());
    // Unbuffered, so that a short write (a full disk) shows in the count each write returns; the temporary
    // file takes open modes only through the device's own open.
    QIODevice& spool = *m_body;
    if (!spool.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_body.reset();
        m_responseInfo = QStringLiteral("No se pudo crear el archivo temporal de la descarga.");
    }
    m_bounded = std::make_unique<net::BoundedReply>(*m_reply, MaxBodyBytes,
                                                    [this](const QByteArray& piece) { return keep(piece); });
    connect(m_bounded.get(), &net::BoundedReply::finished, this, &Inet::finished);
}

bool Inet::keep(const QByteArray& piece)
{
    return m_body && m_body->write(piece) == piece.size();
}

void Inet::finished()
{
    QNetworkReply* reply = m_reply;
    m_reply.clear();
    reply->deleteLater();
    // It is the sender of this call, so it goes once the call is over.
    net::BoundedReply* bounded = m_bounded.release();
    bounded->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (bounded->tooLong())
        m_responseInfo = tooLongText(*reply);
    else if (bounded->sinkFailed() && m_responseInfo.isEmpty())
        m_responseInfo = QStringLiteral("Disco lleno");
    else if (!status.isValid())
        m_responseInfo = reply->errorString();
    if (!m_responseInfo.isEmpty()) {
        m_body.reset();
        emit StateChanged(icError);
        return;
    }
    m_statusCode = status.toInt();
    m_headers = reply->rawHeaderPairs();
    m_body->seek(0);
    emit StateChanged(icResponseCompleted);
}

QString Inet::GetHeader(const QString& name) const
{
    for (const auto& header : m_headers)
        if (QString::fromLatin1(header.first).compare(name, Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(header.second);
    return QString();
}

QByteArray Inet::GetChunk(int size)
{
    return m_body && m_statusCode != 0 ? m_body->read(size) : QByteArray();
}

void Inet::Cancel()
{
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply.clear();
        m_bounded.reset();
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    clearResponse();
}

void Inet::clearResponse()
{
    m_statusCode = 0;
    m_responseInfo.clear();
    m_headers.clear();
    m_body.reset();
}
