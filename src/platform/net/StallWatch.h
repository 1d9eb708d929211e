// Ends a transfer that has stalled: one that brings fewer than MinBytes in a window of WindowMs after it last
// brought that much. A server that drips a byte now and then cannot hold a download open for ever, and a slow
// transfer that keeps moving (2 KB a minute) goes on. The window starts at the request, and again when the
// answer's head and its first body byte arrive, so the wait for an answer is 60 s without data, as ever.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QtGlobal>

class QNetworkReply;

namespace net {

class StallWatch : public QObject {
public:
    static constexpr qint64 MinBytes = 1024;
    static constexpr int WindowMs = 60000;

    // Watches `reply` (which must outlive this object) from now on; a stall aborts it.
    explicit StallWatch(QNetworkReply& reply);

    // Body bytes the reader took from the reply.
    void took(qint64 bytes);
    // The reply was aborted because it stalled.
    bool stalled() const { return m_stalled; }

    // The window in force: WindowMs unless a test shortened it.
    static int windowMs();
    // Only tests call this: another window (0 restores WindowMs); the byte count stays.
    static void setWindowOverride(int ms);

private:
    // The window runs again from now.
    void mark();
    void judge();

    QNetworkReply& m_reply;
    // Set again only when the window runs out, not at every kilobyte.
    QTimer m_timer;
    QElapsedTimer m_mark;
    qint64 m_sinceMark = 0;
    bool m_bodyStarted = false;
    bool m_stalled = false;
};

} // namespace net
