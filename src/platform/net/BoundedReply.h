// Takes in the body of one network reply as it arrives, within bounds: the reply's read buffer is limited, each
// piece goes at once to the caller's sink (a file, or memory the caller holds), and the transfer is stopped as
// soon as the body is longer than its declared "Content-Length" or than the caller's limit. No transfer can
// then grow the program's memory, however much a server sends.
#pragma once

#include "platform/net/StallWatch.h"

#include <QByteArray>
#include <QObject>
#include <QtGlobal>
#include <functional>

class QNetworkReply;

namespace net {

class BoundedReply : public QObject {
    Q_OBJECT

public:
    // Keeps one piece of the body; false when it could not (a full disk), which stops the transfer.
    using Sink = std::function<bool(const QByteArray& piece)>;

    // Bytes the reply may hold unread, and the most taken in one piece.
    static constexpr qint64 ReadBufferSize = 1024 * 1024;

    // Watches `reply` (which must outlive this object) from now on; `limit` is the longest body accepted.
    BoundedReply(QNetworkReply& reply, qint64 limit, Sink sink);

    // Waits as a synchronous call does (vb::SynchronousWait) until the reply has finished; false when
    // `timeLimitMs` passed first, and the reply was aborted then.
    bool waitFor(int timeLimitMs);

    // The body went past its declared length or past the limit, and the transfer was stopped there.
    bool tooLong() const { return m_tooLong; }
    // The sink refused a piece, and the transfer was stopped there.
    bool sinkFailed() const { return m_sinkFailed; }
    // The body came too slowly (StallWatch), and the transfer was stopped there.
    bool stalled() const { return m_stallWatch.stalled(); }
    qint64 received() const { return m_received; }
    // The reply ended before the body reached its declared length. Qt takes a connection closed early as the
    // end of the body at times, so the length is counted here.
    bool cutShort() const;

signals:
    // The reply finished (also when it was stopped), after its last piece went to the sink.
    void finished();

private:
    void take();
    void stop();

    QNetworkReply& m_reply;
    qint64 m_limit;
    Sink m_sink;
    qint64 m_received = 0;
    bool m_tooLong = false;
    bool m_sinkFailed = false;
    bool m_stopped = false;
    StallWatch m_stallWatch{m_reply};
};

} // namespace net
