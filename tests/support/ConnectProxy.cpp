#include "support/ConnectProxy.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <memory>

namespace kembtest {
namespace {

// Longest request head taken: a client that sends more is no client of these tests.
constexpr qsizetype kMaxHead = 64 * 1024;

// Copies everything that arrives on `from` to `to`, and closes each side when the other closes.
void pipe(QTcpSocket* from, QTcpSocket* to)
{
    QObject::connect(from, &QTcpSocket::readyRead, to, [from, to]() { to->write(from->readAll()); });
    QObject::connect(from, &QTcpSocket::disconnected, to, [to]() { to->disconnectFromHost(); });
}

} // namespace

ConnectProxy::ConnectProxy(const QStringList& hosts) : m_hosts(hosts)
{
    m_server = new QTcpServer;
    QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this]() {
        while (QTcpSocket* client = m_server->nextPendingConnection())
            serve(client);
    });
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    m_server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

ConnectProxy::~ConnectProxy()
{
    m_thread.quit();
    m_thread.wait();
}

QString ConnectProxy::url() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QList<QByteArray> ConnectProxy::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

void ConnectProxy::serve(QTcpSocket* client)
{
    QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    auto received = std::make_shared<QByteArray>();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(client, &QTcpSocket::readyRead, client, [this, client, received, connection]() {
        received->append(client->readAll());
        const qsizetype end = received->indexOf("\r\n\r\n");
        if (end < 0) {
            if (received->size() > kMaxHead)
                client->abort();
            return;
        }
        QObject::disconnect(*connection);
        relay(client, received->left(end + 4), received->mid(end + 4));
    });
}

void ConnectProxy::relay(QTcpSocket* client, const QByteArray& head, const QByteArray& rest)
{
    const qsizetype lineEnd = head.indexOf("\r\n");
    const QByteArray line = head.left(lineEnd);
    {
        QMutexLocker lock(&m_mutex);
        m_requests.append(line);
    }
    const QList<QByteArray> parts = line.split(' ');
    const bool tunnel = parts.value(0) == "CONNECT";
    // A tunnel names "host:port"; a forwarded request names the whole address.
    const QUrl target(tunnel ? QString::fromLatin1("tcp://" + parts.value(1)) : QString::fromLatin1(parts.value(1)));
    if (parts.size() != 3 || !m_hosts.contains(target.host()) || (tunnel && target.port() < 0)) {
        client->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        client->disconnectFromHost();
        return;
    }
    QByteArray forward;
    if (!tunnel) {
        const QByteArray path = target.path(QUrl::FullyEncoded).toLatin1();
        const QByteArray query = target.hasQuery() ? '?' + target.query(QUrl::FullyEncoded).toLatin1() : QByteArray();
        forward =
            parts[0] + ' ' + (path.isEmpty() ? QByteArray("/") : path) + query + ' ' + parts[2] + head.mid(lineEnd);
    }
    forward += rest;

    auto* upstream = new QTcpSocket(client);
    auto established = std::make_shared<bool>(false);
    QObject::connect(upstream, &QTcpSocket::connected, client, [client, upstream, tunnel, forward, established]() {
        *established = true;
        if (tunnel)
            client->write("HTTP/1.1 200 Connection established\r\n\r\n");
        upstream->write(forward);
        pipe(client, upstream);
        pipe(upstream, client);
        if (client->bytesAvailable() > 0)
            upstream->write(client->readAll());
    });
    QObject::connect(upstream, &QTcpSocket::errorOccurred, client, [client, established]() {
        if (*established)
            return;
        client->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        client->disconnectFromHost();
    });
    upstream->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(target.port(80)));
}

} // namespace kembtest
