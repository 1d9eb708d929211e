// One HTTP/1.1 request on a connection of its own, waited for synchronously. The answer is read through a
// small socket buffer as it arrives and kept within its bounds, so a server that sends without end is held back
// by the connection itself, never by memory: nothing is read ahead of the reader.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

namespace net {

struct HttpAnswer {
    // 0 when no answer arrived; then `error` says why.
    int status = 0;
    // Empty unless the whole body arrived within its bounds.
    QByteArray body;
    // The body went past its declared length or past the limit, and the connection was closed there.
    bool tooLong = false;
    bool timedOut = false;
    QString error;
};

class HttpExchange {
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // Bytes the socket may hold unread.
    static constexpr qint64 ReadBufferSize = 64 * 1024;

    // Posts `body` to `url` (http or https; https with `ssl`) with `headers` besides Host, Content-Length and
    // Connection, waiting at most `timeoutMs` for the whole answer and taking a body of at most `limit` bytes.
    static HttpAnswer post(const QUrl& url, const Headers& headers, const QByteArray& body,
                           const QSslConfiguration& ssl, qint64 limit, int timeoutMs);
};

} // namespace net
