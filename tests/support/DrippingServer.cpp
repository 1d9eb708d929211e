#include "support/DrippingServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace kembtest {

DrippingServer::DrippingServer(Pace pace)
    : m_pace(std::move(pace)), m_loopback([this](QTcpSocket* socket) { serve(socket); })
{}

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

QByteArray DrippingServer::head() const
{
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: " + m_pace.contentType + "\r\n";
    if (m_pace.saysClose)
        head += "Connection: close\r\n";
    if (m_pace.declaredLength)
        head += "Content-Length: " + QByteArray::number(*m_pace.declaredLength) + "\r\n";
    return head + "\r\n";
}

void DrippingServer::serve(QTcpSocket* socket)
{
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    LoopbackServer::onRequestHead(socket, [this, socket]() {
        QTimer::singleShot(m_pace.headDelayMs, socket, [this, socket]() { answer(socket); });
    });
}

void DrippingServer::answer(QTcpSocket* socket)
{
    socket->write(head());
    auto written = std::make_shared<qint64>(0);
    // False once the whole body went out or the client went away.
    const auto send = [this, socket, written](qint64 bytes) {
        if (socket->state() != QAbstractSocket::ConnectedState)
            return false;
        const qint64 size = m_pace.bodyBytes ? std::min(bytes, *m_pace.bodyBytes - *written) : bytes;
        socket->write(piece(*written, size));
        *written += size;
        m_sent += size;
        if (m_pace.bodyBytes && *written >= *m_pace.bodyBytes) {
            socket->disconnectFromHost();
            return false;
        }
        return true;
    };
    if (!send(m_pace.atOnce.value_or(m_pace.pieceBytes)) || m_pace.pieceBytes <= 0)
        return;
    auto* pace = new QTimer(socket);
    QObject::connect(pace, &QTimer::timeout, socket, [this, send, pace]() {
        if (!send(m_pace.pieceBytes))
            pace->stop();
    });
    pace->start(m_pace.intervalMs);
}

} // namespace kembtest
