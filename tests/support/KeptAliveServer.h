// An HTTP server on 127.0.0.1, on its own thread, that keeps its connections open: the first request it gets is
// answered "200 <ok/>", every later one (on that connection or another) with a body that never ends, sent as
// fast as the client takes it.
#pragma once

#include <QString>
#include <QThread>
#include <atomic>

class QTcpServer;
class QTcpSocket;

namespace kembtest {

class KeptAliveServer {
public:
    KeptAliveServer();
    ~KeptAliveServer();
    KeptAliveServer(const KeptAliveServer&) = delete;
    KeptAliveServer& operator=(const KeptAliveServer&) = delete;

    QString baseUrl() const;
    int connections() const { return m_connections.load(); }
    // Body bytes of the endless answers written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

private:
    void serve(QTcpSocket* socket);

    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    std::atomic<int> m_connections{0};
    std::atomic<int> m_requests{0};
    std::atomic<qint64> m_sent{0};
};

} // namespace kembtest
