#include "support/HostileServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace kembtest {
namespace {

constexpr qint64 kBlock = 256 * 1024;
// The socket is refilled whenever less than this waits to be written.
constexpr qint64 kQueued = 1024 * 1024;

} // namespace

HostileServer::HostileServer(Answer answer) : m_answer(answer)
{
    m_server = new QTcpServer;
    QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this]() {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    m_server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

HostileServer::~HostileServer()
{
    m_thread.quit();
    m_thread.wait();
}

QString HostileServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString HostileServer::baseUrl() const
{
    return QStringLiteral("http://") + hostPort();
}

void HostileServer::serve(QTcpSocket* socket)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto request = std::make_shared<QByteArray>();
    auto answering = std::make_shared<bool>(false);
    const QByteArray block(kBlock, 'x');
    const QByteArray piece = m_answer.chunked ? QByteArray::number(kBlock, 16) + "\r\n" + block + "\r\n" : block;
    const auto refill = [this, socket, answering, piece]() {
        if (!*answering || socket->state() != QAbstractSocket::ConnectedState)
            return;
        while (socket->bytesToWrite() < kQueued) {
            socket->write(piece);
            m_sent += kBlock;
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request, answering, refill]() {
        request->append(socket->readAll());
        if (*answering || !request->contains("\r\n\r\n"))
            return;
        *answering = true;
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
        if (m_answer.declaredLength)
            head += "Content-Length: " + QByteArray::number(*m_answer.declaredLength) + "\r\n";
        if (m_answer.chunked)
            head += "Transfer-Encoding: chunked\r\n";
        socket->write(head + "\r\n");
        refill();
    });
}

} // namespace kembtest
