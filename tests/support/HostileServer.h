// An HTTP server on 127.0.0.1, on its own thread, that answers every request with a body that never ends:
// blocks of "x" as fast as the client takes them, until the client goes away. The answer may declare a
// length (then the body runs past it) and may be sent in chunks.
#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <atomic>
#include <optional>

class QTcpServer;
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
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    QString hostPort() const;
    QString baseUrl() const;
    // Body bytes written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

private:
    void serve(QTcpSocket* socket);

    Answer m_answer;
    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    std::atomic<qint64> m_sent{0};
};

} // namespace kembtest
