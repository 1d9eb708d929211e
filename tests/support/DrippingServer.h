// An HTTP server on 127.0.0.1, on its own thread, that answers every request slowly: after a pause it sends the
// head (with or without a declared length) and a first part of the body, then one more piece at a fixed pace,
// until the whole body went out or, when it has no end, until the client goes away. With pieces of no bytes the
// answer stalls after its first part.
#pragma once

#include "support/LoopbackServer.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>

class QTcpSocket;

namespace kembtest {

class DrippingServer {
public:
    struct Pace {
        // Before the head.
        int headDelayMs = 0;
        // The "Content-Length" sent, none when empty.
        std::optional<qint64> declaredLength = {};
        int pieceBytes = 1;
        // Between one piece and the next.
        int intervalMs = 100;
        // The body sent in all; none when it has no end.
        std::optional<qint64> bodyBytes = {};
        // The first part, sent with the head; one piece when empty.
        std::optional<qint64> atOnce = {};
        QByteArray contentType = "application/octet-stream";
        // The head says "Connection: close".
        bool saysClose = true;
    };

    explicit DrippingServer(Pace pace);

    QString hostPort() const { return m_loopback.hostPort(); }
    QString baseUrl() const { return m_loopback.baseUrl(); }
    // Body bytes written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

    // The first `bytes` of the body every answer carries: the letters a to z over and over.
    static QByteArray body(qint64 bytes);

private:
    static QByteArray piece(qint64 from, qint64 bytes);
    QByteArray head() const;
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket);

    Pace m_pace;
    std::atomic<qint64> m_sent{0};
    LoopbackServer m_loopback;
};

} // namespace kembtest
