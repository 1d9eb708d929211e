// An HTTP server on 127.0.0.1, on its own thread, that answers every request with a body that never ends:
// blocks of "x" as fast as the client takes them, until the client goes away. The answer may declare a
// length (then the body runs past it) and may be sent in chunks.
#pragma once

#include "support/LoopbackServer.h"

#include <QString>
#include <atomic>
#include <optional>

class QTcpSocket;

namespace kembtest {

class HostileServer {
public:
    struct Answer {
        // The "Content-Length" sent, none when empty.
        std::optional<qint64> declaredLength;
        // "Transfer-Encoding: chunked": the only way a client takes more than a declared length.
        bool chunked = false;
    };

    explicit HostileServer(Answer answer);

    QString hostPort() const { return m_loopback.hostPort(); }
    QString baseUrl() const { return m_loopback.baseUrl(); }
    // Body bytes written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

private:
    void serve(QTcpSocket* socket);

    Answer m_answer;
    std::atomic<qint64> m_sent{0};
    LoopbackServer m_loopback;
};

} // namespace kembtest
