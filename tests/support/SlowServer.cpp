#include "support/SlowServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace kembtest {

SlowServer::SlowServer(Pace pace) : m_pace(pace)
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

SlowServer::~SlowServer()
{
    m_thread.quit();
    m_thread.wait();
}

QString SlowServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void SlowServer::serve(QTcpSocket* socket)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto request = std::make_shared<QByteArray>();
    auto left = std::make_shared<qint64>(m_pace.declaredLength);
    const auto send = [this, socket, left](qint64 bytes) {
        const qint64 n = std::min(bytes, *left);
        socket->write(QByteArray(n, 'x'));
        *left -= n;
        m_sent += n;
    };
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request, send]() {
        const bool answered = request->contains("\r\n\r\n");
        request->append(socket->readAll());
        if (answered || !request->contains("\r\n\r\n"))
            return;
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                      QByteArray::number(m_pace.declaredLength) + "\r\n\r\n");
        send(m_pace.atOnce);
        if (m_pace.dripBytes <= 0)
            return;
        auto* drip = new QTimer(socket);
        QObject::connect(drip, &QTimer::timeout, socket, [this, send]() { send(m_pace.dripBytes); });
        drip->start(m_pace.everyMs);
    });
}

} // namespace kembtest
