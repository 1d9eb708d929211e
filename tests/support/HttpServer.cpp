#include "support/HttpServer.h"

#include <QMetaObject>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace kembtest {
namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// Parses one complete request out of `buffer`; false while more bytes are needed.
bool parse(QByteArray& buffer, HttpRequest& out)
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    out.method = first.value(0);
    out.target = first.value(1);
    out.path = QUrl::fromPercentEncoding(out.target);
    qsizetype length = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = lines[i].left(colon).trimmed();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        out.headers.append({name, value});
        if (name.compare("content-length", Qt::CaseInsensitive) == 0)
            length = value.toLongLong();
    }
    if (buffer.size() < end + 4 + length)
        return false;
    out.body = buffer.mid(end + 4, length);
    return true;
}

} // namespace

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

HttpServer::HttpServer()
{
    m_server = new QTcpServer;
    QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this]() {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
    start();
}

HttpServer::HttpServer(const QSslConfiguration& tls) : m_tls(true)
{
    auto* server = new QSslServer;
    server->setSslConfiguration(tls);
    m_server = server;
    // A TLS connection is handed over only once its handshake is done.
    QObject::connect(m_server, &QTcpServer::pendingConnectionAvailable, m_server, [this]() {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
    start();
}

void HttpServer::start()
{
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    m_server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

void HttpServer::serve(QTcpSocket* socket)
{
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    const auto onData = [this, socket, buffer]() {
        buffer->append(socket->readAll());
        HttpRequest request;
        if (!parse(*buffer, request))
            return;
        buffer->clear();
        const HttpResponse r = answer(request);
        if (r.hang)
            return;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(r.status) + " " + reason(r.status) + "\r\n";
        for (const auto& h : r.headers)
            out += h.first + ": " + h.second + "\r\n";
        if (r.sendContentLength)
            out += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        out += "Connection: close\r\n\r\n" + r.body;
        socket->write(out);
        socket->disconnectFromHost();
    };
    QObject::connect(socket, &QTcpSocket::readyRead, socket, onData);
    // Bytes that arrived right after a TLS handshake are already waiting.
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(socket, onData, Qt::QueuedConnection);
}

HttpServer::~HttpServer()
{
    m_thread.quit();
    m_thread.wait();
}

QString HttpServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString HttpServer::baseUrl() const
{
    return (m_tls ? QStringLiteral("https://") : QStringLiteral("http://")) + hostPort();
}

void HttpServer::route(const QString& path, HttpResponse response)
{
    route(path, [response](const HttpRequest&) { return response; });
}

void HttpServer::route(const QString& path, Handler handler)
{
    QMutexLocker lock(&m_mutex);
    m_routes[path] = std::move(handler);
}

QList<HttpRequest> HttpServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

int HttpServer::requestCount(const QString& path) const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const auto& r : m_requests)
        n += r.path == path ? 1 : 0;
    return n;
}

HttpResponse HttpServer::answer(const HttpRequest& request)
{
    Handler handler;
    {
        QMutexLocker lock(&m_mutex);
        m_requests.append(request);
        auto it = m_routes.find(request.path);
        if (it != m_routes.end())
            handler = it->second;
    }
    if (!handler)
        return HttpResponse{404, "<html>No encontrado</html>", {}, true, false};
    return handler(request);
}

} // namespace kembtest
