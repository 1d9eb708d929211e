#include "support/LegacyTlsServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <stdexcept>

namespace kembtest {
namespace {

std::unique_ptr<BIO, decltype(&BIO_free)> memory(const QByteArray& data)
{
    return {BIO_new_mem_buf(data.constData(), int(data.size())), &BIO_free};
}

// One connection: the socket's bytes go through memory BIOs into the TLS engine and back.
struct Connection {
    SSL* ssl = nullptr;
    BIO* in = nullptr;
    BIO* out = nullptr;
    QByteArray request;
    bool handshaken = false;
    bool done = false;

    explicit Connection(SSL_CTX* context) : ssl(SSL_new(context)), in(BIO_new(BIO_s_mem())), out(BIO_new(BIO_s_mem()))
    {
        SSL_set_bio(ssl, in, out);
        SSL_set_accept_state(ssl);
    }
    ~Connection() { SSL_free(ssl); }

    void flush(QTcpSocket* socket)
    {
        char buffer[4096];
        int n = 0;
        while ((n = BIO_read(out, buffer, sizeof buffer)) > 0)
            socket->write(buffer, n);
    }
};

} // namespace

LegacyTlsServer::LegacyTlsServer(const QByteArray& certificatePem, const QByteArray& keyPem,
                                 const QByteArray& dhParametersPem)
{
    m_context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_set_security_level(m_context, 1);
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(m_context, TLS1_2_VERSION);
    SSL_CTX_set_cipher_list(m_context, "DHE-RSA-AES128-GCM-SHA256:DHE-RSA-AES256-GCM-SHA384");
    X509* cert = PEM_read_bio_X509(memory(certificatePem).get(), nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(memory(keyPem).get(), nullptr, nullptr, nullptr);
    EVP_PKEY* dh = PEM_read_bio_Parameters(memory(dhParametersPem).get(), nullptr);
    const bool ready = cert && key && dh && SSL_CTX_use_certificate(m_context, cert) == 1 &&
                       SSL_CTX_use_PrivateKey(m_context, key) == 1 && SSL_CTX_set0_tmp_dh_pkey(m_context, dh) == 1;
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!ready)
        throw std::runtime_error("the legacy TLS server cannot start");

    m_server = new QTcpServer;
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    m_server->moveToThread(&m_thread);
    QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this]() {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

LegacyTlsServer::~LegacyTlsServer()
{
    m_thread.quit();
    m_thread.wait();
    SSL_CTX_free(m_context);
}

QString LegacyTlsServer::baseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(m_port);
}

void LegacyTlsServer::serve(QTcpSocket* socket)
{
    auto connection = std::make_shared<Connection>(m_context);
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, connection]() {
        Connection& c = *connection;
        const QByteArray bytes = socket->readAll();
        BIO_write(c.in, bytes.constData(), int(bytes.size()));
        if (!c.handshaken) {
            const int result = SSL_do_handshake(c.ssl);
            if (result != 1 && SSL_get_error(c.ssl, result) != SSL_ERROR_WANT_READ) {
                ERR_clear_error();
                c.flush(socket);
                socket->disconnectFromHost();
                return;
            }
            c.handshaken = result == 1;
            m_handshakes += c.handshaken ? 1 : 0;
        }
        char buffer[4096];
        int n = 0;
        while (c.handshaken && (n = SSL_read(c.ssl, buffer, sizeof buffer)) > 0)
            c.request.append(buffer, n);
        const qsizetype end = c.request.indexOf("\r\n\r\n");
        if (!c.done && end >= 0) {
            c.done = true;
            const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 5\r\n"
                                      "Connection: close\r\n\r\n<ok/>";
            SSL_write(c.ssl, answer.constData(), int(answer.size()));
            SSL_shutdown(c.ssl);
            ++m_answered;
        }
        c.flush(socket);
        if (c.done)
            socket->disconnectFromHost();
    });
}

} // namespace kembtest
