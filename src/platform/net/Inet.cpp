#include "platform/net/Inet.h"

#include "platform/net/Network.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

Inet::Inet(QObject* parent) : QObject(parent) {}

Inet::~Inet()
{
    Cancel();
}

void Inet::Execute(const QString& operation)
{
    Cancel();
    clearResponse();
    QNetworkRequest request{QUrl(m_url)};
    request.setTransferTimeout(m_requestTimeout * 1000);
    m_reply = net::manager().sendCustomRequest(request, operation.toLatin1());
    connect(m_reply, &QNetworkReply::finished, this, &Inet::finished);
}

void Inet::finished()
{
    QNetworkReply* reply = m_reply;
    m_reply.clear();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        m_responseInfo = reply->errorString();
        emit StateChanged(icError);
        return;
    }
    m_statusCode = status.toInt();
    m_headers = reply->rawHeaderPairs();
    m_body = reply->readAll();
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
    const QByteArray chunk = m_body.mid(m_read, size);
    m_read += chunk.size();
    return chunk;
}

void Inet::Cancel()
{
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply.clear();
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
    m_body.clear();
    m_read = 0;
}
