// A small HTTP/1.1 server on 127.0.0.1 that runs on its own thread, so code under test that blocks
// the main thread is still answered. Routes answer with a fixed response; every request is recorded.
// Given a TLS configuration (certificate and key), it speaks HTTPS instead.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QSslConfiguration>
#include <QString>
#include <QThread>
#include <functional>
#include <map>

class QTcpServer;
class QTcpSocket;

namespace kembtest {

struct HttpRequest {
    QByteArray method;
    // The request target with its percent-encoding decoded; `target` keeps it as sent.
    QString path;
    QByteArray target;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QByteArray header(const QByteArray& name) const;
};

struct HttpResponse {
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    bool sendContentLength = true;
    // Never answer: the connection stays open with no response.
    bool hang = false;
};

class HttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    HttpServer();
    explicit HttpServer(const QSslConfiguration& tls);
    ~HttpServer();

    // "host:port" and "http://host:port" (or "https://") of the running server.
    QString hostPort() const;
    QString baseUrl() const;
    quint16 port() const { return m_port; }

    void route(const QString& path, HttpResponse response);
    void route(const QString& path, Handler handler);
    // Paths without a route answer 404.
    QList<HttpRequest> requests() const;
    int requestCount(const QString& path) const;

private:
    HttpResponse answer(const HttpRequest& request);
    void serve(QTcpSocket* socket);
    void start();

    QThread m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    bool m_tls = false;
    mutable QMutex m_mutex;
    std::map<QString, Handler> m_routes;
    QList<HttpRequest> m_requests;
};

} // namespace kembtest
