#include "support/HostileServer.h"

#include <QTcpSocket>
#include <memory>

namespace kembtest {
namespace {

constexpr qint64 kBlock = 256 * 1024;
// The socket is refilled whenever less than this waits to be written.
constexpr qint64 kQueued = 1024 * 1024;

} // namespace

HostileServer::HostileServer(Answer answer)
    : m_answer(answer), m_loopback([this](QTcpSocket* socket) { serve(socket); })
{}

void HostileServer::serve(QTcpSocket* socket)
{
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
    LoopbackServer::onRequestHead(socket, [this, socket, answering, refill]() {
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
