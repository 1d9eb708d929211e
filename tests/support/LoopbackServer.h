// A TCP server on 127.0.0.1, on its own thread, for the test servers that write their HTTP answers by hand: every
// connection it accepts is handed to the owner's function on that thread, and goes away when the client does.
#pragma once

#include <QString>
#include <QThread>
#include <functional>

class QTcpServer;
class QTcpSocket;

namespace kembtest {

class LoopbackServer {
public:
    // The owner's members that `serve` uses must be in place before this is built (declare it last).
    explicit LoopbackServer(std::function<void(QTcpSocket*)> serve);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    QString hostPort() const;
    QString baseUrl() const;

    // Calls `answer` once, when the head of the first request on `socket` has come in; what comes later is read
    // and dropped.
    static void onRequestHead(QTcpSocket* socket, std::function<void()> answer);

private:
    std::function<void(QTcpSocket*)> m_serve;
    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
};

} // namespace kembtest
