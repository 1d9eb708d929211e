#include "platform/net/StallWatch.h"

#include <QNetworkReply>

namespace net {
namespace {

int& windowOverride()
{
    static int ms = 0;
    return ms;
}

} // namespace

int StallWatch::windowMs()
{
    return windowOverride() > 0 ? windowOverride() : WindowMs;
}

void StallWatch::setWindowOverride(int ms)
{
    windowOverride() = ms;
}

StallWatch::StallWatch(QNetworkReply& reply) : m_reply(reply)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    // The verdict waits behind the events already queued, so data that a busy thread has not taken in yet
    // still counts.
    connect(&m_timer, &QTimer::timeout, this,
            [this]() { QMetaObject::invokeMethod(this, &StallWatch::judge, Qt::QueuedConnection); });
    connect(&m_reply, &QNetworkReply::metaDataChanged, this, &StallWatch::mark);
    connect(&m_reply, &QNetworkReply::finished, &m_timer, &QTimer::stop);
    mark();
    if (!m_reply.isFinished())
        m_timer.start(windowMs());
}

void StallWatch::took(qint64 bytes)
{
    if (bytes <= 0)
        return;
    m_sinceMark += bytes;
    if (!m_bodyStarted || m_sinceMark >= MinBytes) {
        m_bodyStarted = true;
        mark();
    }
}

void StallWatch::mark()
{
    m_sinceMark = 0;
    m_mark.start();
}

void StallWatch::judge()
{
    if (m_reply.isFinished())
        return;
    const qint64 left = windowMs() - m_mark.elapsed();
    if (left > 0) {
        m_timer.start(static_cast<int>(left));
        return;
    }
    m_stalled = true;
    m_reply.abort();
}

} // namespace net
