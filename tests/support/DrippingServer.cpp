#include "support/DrippingServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace kembtest {

DrippingServer::DrippingServer(Pace pace) : m_pace(pace)
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

DrippingServer::~DrippingServer()
{
    m_thread.quit();
    m_thread.wait();
}

QString DrippingServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString DrippingServer::baseUrl() const
{
    return QStringLiteral("http://") + hostPort();
}

QByteArray DrippingServer::body(qint64 bytes)
{
    return piece(0, bytes);
}

QByteArray DrippingServer::piece(qint64 from, qint64 bytes)
{
    QByteArray text(bytes, Qt::Uninitialized);
    for (qint64 i = 0; i < bytes; ++i)
        text[i] = char('a' + (from + i) % 26);
    return text;
}

void DrippingServer::serve(QTcpSocket* socket)
{
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto request = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request]() {
        if (request->contains("\r\n\r\n"))
            return;
        request->append(socket->readAll());
        if (request->contains("\r\n\r\n"))
            QTimer::singleShot(m_pace.headDelayMs, socket, [this, socket]() { answer(socket); });
    });
}

void DrippingServer::answer(QTcpSocket* socket)
{
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (m_pace.declaredLength)
        head += "Content-Length: " + QByteArray::number(*m_pace.declaredLength) + "\r\n";
    socket->write(head + "\r\n");
    auto written = std::make_shared<qint64>(0);
    auto* pace = new QTimer(socket);
    // False once the whole body went out or the client went away.
    const auto drip = [this, socket, written]() {
        if (socket->state() != QAbstractSocket::ConnectedState)
            return false;
        const qint64 size =
            m_pace.bodyBytes ? std::min<qint64>(m_pace.pieceBytes, *m_pace.bodyBytes - *written) : m_pace.pieceBytes;
        socket->write(piece(*written, size));
        *written += size;
        m_sent += size;
        if (m_pace.bodyBytes && *written >= *m_pace.bodyBytes) {
            socket->disconnectFromHost();
            return false;
        }
        return true;
    };
    QObject::connect(pace, &QTimer::timeout, socket, [drip, pace]() {
        if (!drip())
            pace->stop();
    });
    if (drip())
        pace->start(m_pace.intervalMs);
}

} // namespace kembtest
