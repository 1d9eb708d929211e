// An HTTP proxy on 127.0.0.1, on its own thread, that alone reaches the hosts it is given: each of those names
// is taken to 127.0.0.1 on the port asked for, every other one is refused with 502. It tunnels "CONNECT
// host:port" and forwards plain requests ("GET http://host:port/path"), and records the first line of each.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

class QTcpServer;
class QTcpSocket;

namespace kembtest {

class ConnectProxy {
public:
    explicit ConnectProxy(const QStringList& hosts);
    ~ConnectProxy();
    ConnectProxy(const ConnectProxy&) = delete;
    ConnectProxy& operator=(const ConnectProxy&) = delete;

    // "http://127.0.0.1:port", as a proxy variable names it.
    QString url() const;
    quint16 port() const { return m_port; }
    // The first line of every request received ("CONNECT host:port HTTP/1.1").
    QList<QByteArray> requests() const;

private:
    void serve(QTcpSocket* client);
    void relay(QTcpSocket* client, const QByteArray& head, const QByteArray& rest);

    QStringList m_hosts;
    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QList<QByteArray> m_requests;
};

} // namespace kembtest
