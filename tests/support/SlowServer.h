// An HTTP server on 127.0.0.1, on its own thread, whose answer to every request declares a length and then
// sends the body slowly: a first part at once, then a few bytes at a time on a timer, or nothing more (a stall).
#pragma once

#include <QString>
#include <QThread>
#include <atomic>

class QTcpServer;
class QTcpSocket;

namespace kembtest {

class SlowServer {
public:
    struct Pace {
        qint64 declaredLength = 100000;
        qint64 atOnce = 0;
        // Bytes sent every `everyMs` after the first part; 0 sends nothing more.
        qint64 dripBytes = 0;
        int everyMs = 50;
    };

    explicit SlowServer(Pace pace);
    ~SlowServer();
    SlowServer(const SlowServer&) = delete;
    SlowServer& operator=(const SlowServer&) = delete;

    QString baseUrl() const;
    // Body bytes written to sockets so far.
    qint64 sent() const { return m_sent.load(); }

private:
    void serve(QTcpSocket* socket);

    Pace m_pace;
    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    std::atomic<qint64> m_sent{0};
};

} // namespace kembtest
