// An HTTP server on 127.0.0.1, on its own thread, that keeps its connections open: the first request it gets is
// answered "200 <ok/>", every later one (on that connection or another) with a body that never ends, sent as
// fast as the client takes it.
#pragma once

#include "support/LoopbackServer.h"

#include <QString>
#include <atomic>

class QTcpSocket;

namespace kembtest {

class KeptAliveServer {
public:
    KeptAliveServer();

    QString baseUrl() const { return m_loopback.baseUrl(); }
    int connections() const { return m_connections.load(); }
    // Body bytes of the endless answers written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

private:
    void serve(QTcpSocket* socket);

    std::atomic<int> m_connections{0};
    std::atomic<int> m_requests{0};
    std::atomic<qint64> m_sent{0};
    LoopbackServer m_loopback;
};

} // namespace kembtest
