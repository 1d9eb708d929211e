// An HTTP server on 127.0.0.1, on its own thread, that answers every request slowly: after a pause it sends the
// head (with or without a declared length) and a first piece of the body, then one more piece at a fixed pace,
// until the whole body went out or, when it has no end, until the client goes away.
#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <atomic>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace kembtest {

class DrippingServer {
public:
    struct Pace {
        // Before the head.
        int headDelayMs = 0;
        // The "Content-Length" sent, none when empty.
        std::optional<qint64> declaredLength;
        int pieceBytes = 1;
        // Between one piece and the next.
        int intervalMs = 100;
        // The body sent in all; none when it has no end.
        std::optional<qint64> bodyBytes;
    };

    explicit DrippingServer(Pace pace);
    ~DrippingServer();
    DrippingServer(const DrippingServer&) = delete;
    DrippingServer& operator=(const DrippingServer&) = delete;

    QString hostPort() const;
    QString baseUrl() const;
    // Body bytes written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

    // The first `bytes` of the body every answer carries: the letters a to z over and over.
    static QByteArray body(qint64 bytes);

private:
    static QByteArray piece(qint64 from, qint64 bytes);
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket);

    Pace m_pace;
    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    std::atomic<qint64> m_sent{0};
};

} // namespace kembtest
