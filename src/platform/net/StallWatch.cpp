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
    // The verdict waits behind the events already queued, so data that a busy thread has not taken in yet
    // still counts.
    connect(&m_timer, &QTimer::timeout, this,
            [this]() { QMetaObject::invokeMethod(this, &StallWatch::judge, Qt::QueuedConnection); });
    connect(&m_reply, &QNetworkReply::metaDataChanged, this, &StallWatch::restart);
    connect(&m_reply, &QNetworkReply::finished, &m_timer, &QTimer::stop);
    restart();
}

void StallWatch::took(qint64 bytes)
{
    if (bytes <= 0)
        return;
    m_sinceRestart += bytes;
    if (!m_bodyStarted || m_sinceRestart >= MinBytes) {
        m_bodyStarted = true;
        restart();
    }
}

void StallWatch::restart()
{
    m_sinceRestart = 0;
    if (m_reply.isFinished())
        m_timer.stop();
    else
        m_timer.start(windowMs());
}

void StallWatch::judge()
{
    if (m_timer.isActive() || m_reply.isFinished())
        return;
    m_stalled = true;
    m_reply.abort();
}

} // namespace net
