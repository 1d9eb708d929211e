#include "platform/net/BoundedReply.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>

namespace net {

BoundedReply::BoundedReply(QNetworkReply& reply, qint64 limit, Sink sink)
    : m_reply(reply), m_limit(limit), m_sink(std::move(sink))
{
    m_reply.setReadBufferSize(ReadBufferSize);
    connect(&m_reply, &QNetworkReply::readyRead, this, &BoundedReply::take);
    connect(&m_reply, &QNetworkReply::finished, this, [this]() {
        take();
        emit finished();
    });
    take();
}

void BoundedReply::take()
{
    if (m_stopped)
        return;
    const QVariant declared = m_reply.header(QNetworkRequest::ContentLengthHeader);
    const qint64 bound = declared.isValid() ? std::min(m_limit, declared.toLongLong()) : m_limit;
    while (m_reply.bytesAvailable() > 0) {
        const QByteArray piece = m_reply.read(ReadBufferSize);
        if (m_received + piece.size() > bound) {
            m_tooLong = true;
            stop();
            return;
        }
        m_received += piece.size();
        m_stallWatch.took(piece.size());
        if (!m_sink(piece)) {
            m_sinkFailed = true;
            stop();
            return;
        }
    }
}

void BoundedReply::stop()
{
    m_stopped = true;
    // Aborting finishes the reply at once, which comes back here through finished().
    m_reply.abort();
}

} // namespace net
