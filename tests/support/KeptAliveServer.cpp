#include "support/KeptAliveServer.h"

#include <QTcpSocket>
#include <memory>

namespace kembtest {
namespace {

constexpr qint64 kBlock = 256 * 1024;
// The socket is refilled whenever less than this waits to be written.
constexpr qint64 kQueued = 1024 * 1024;

// The length of the first whole request in `buffer` (head and body), or 0 while it is incomplete.
qsizetype requestLength(const QByteArray& buffer)
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return 0;
    qsizetype body = 0;
    for (const QByteArray& line : buffer.left(end).split('\n'))
        if (line.toLower().startsWith("content-length:"))
            body = line.mid(15).trimmed().toLongLong();
    return buffer.size() >= end + 4 + body ? end + 4 + body : 0;
}

} // namespace

KeptAliveServer::KeptAliveServer() : m_loopback([this](QTcpSocket* socket) { serve(socket); }) {}

void KeptAliveServer::serve(QTcpSocket* socket)
{
    ++m_connections;
    auto received = std::make_shared<QByteArray>();
    auto endless = std::make_shared<bool>(false);
    const auto refill = [this, socket, endless]() {
        if (!*endless || socket->state() != QAbstractSocket::ConnectedState)
            return;
        while (socket->bytesToWrite() < kQueued) {
            socket->write(QByteArray(kBlock, 'x'));
            m_sent += kBlock;
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received, endless, refill]() {
        received->append(socket->readAll());
        if (*endless)
            return;
        const qsizetype length = requestLength(*received);
        if (length == 0)
            return;
        received->remove(0, length);
        if (m_requests++ == 0) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: keep-alive\r\n\r\n<ok/>");
            return;
        }
        *endless = true;
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n");
        refill();
    });
}

} // namespace kembtest
