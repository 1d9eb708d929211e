#include "support/LoopbackServer.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace kembtest {

LoopbackServer::LoopbackServer(std::function<void(QTcpSocket*)> serve) : m_serve(std::move(serve))
{
    m_server = new QTcpServer;
    QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this]() {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            m_serve(socket);
        }
    });
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    m_server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

LoopbackServer::~LoopbackServer()
{
    m_thread.quit();
    m_thread.wait();
}

QString LoopbackServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString LoopbackServer::baseUrl() const
{
    return QStringLiteral("http://") + hostPort();
}

void LoopbackServer::onRequestHead(QTcpSocket* socket, std::function<void()> answer)
{
    QObject::connect(socket, &QTcpSocket::readyRead, socket,
                     [socket, answer = std::move(answer), head = QByteArray(), heard = false]() mutable {
                         const QByteArray data = socket->readAll();
                         if (heard)
                             return;
                         head += data;
                         if (!head.contains("\r\n\r\n"))
                             return;
                         heard = true;
                         head.clear();
                         answer();
                     });
}

} // namespace kembtest
