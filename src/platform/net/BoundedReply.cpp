#include "platform/net/BoundedReply.h"

#include "platform/vb/SynchronousWait.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>

namespace net {

BoundedReply::BoundedReply(QNetworkReply& reply, qint64 limit, Sink sink)
    : m_reply(reply), m_limit(limit), m_sink(std::move(sink))
{
    m_reply.setReadBufferSize(ReadBufferSize);
    // Qt hands the size on to the connection only once the request is under way, so for a POST, which starts
    // on a later event, the size set now is lost: it is set again as soon as the request has started, and as
    // the connection opens and the request goes out.
    const auto limitReadBuffer = [this]() { m_reply.setReadBufferSize(ReadBufferSize); };
    QMetaObject::invokeMethod(this, limitReadBuffer, Qt::QueuedConnection);
    for (const auto signal :
         {&QNetworkReply::socketStartedConnecting, &QNetworkReply::requestSent, &QNetworkReply::metaDataChanged})
        connect(&m_reply, signal, this, limitReadBuffer);
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

bool BoundedReply::waitFor(int timeLimitMs)
{
    bool timedOut = false;
    vb::SynchronousWait wait;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &m_reply, [this, &timedOut]() {
        timedOut = true;
        m_reply.abort();
    });
    connect(this, &BoundedReply::finished, &wait, &vb::SynchronousWait::quit);
    limit.start(timeLimitMs);
    if (!m_reply.isFinished())
        wait.exec();
    return !timedOut;
}

bool BoundedReply::cutShort() const
{
    const QVariant declared = m_reply.header(QNetworkRequest::ContentLengthHeader);
    return m_reply.isFinished() && !m_tooLong && declared.isValid() && m_received < declared.toLongLong();
}

void BoundedReply::stop()
{
    m_stopped = true;
    // Aborting finishes the reply at once, which comes back here through finished().
    m_reply.abort();
}

} // namespace net
