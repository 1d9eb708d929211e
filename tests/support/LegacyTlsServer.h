// A TLS server on 127.0.0.1 like the tax authority's hosts: TLS 1.2 with Diffie-Hellman key exchange over
// 1024-bit parameters only, which OpenSSL 3 clients refuse at their default security level. Written on libssl
// directly because the parameters must be set after lowering the server's own level, which Qt does not allow.
// Every request is answered "200 <ok/>".
#pragma once

#include <QByteArray>
#include <QThread>
#include <atomic>

class QTcpServer;
class QTcpSocket;
typedef struct ssl_ctx_st SSL_CTX;

namespace kembtest {

class LegacyTlsServer {
public:
    LegacyTlsServer(const QByteArray& certificatePem, const QByteArray& keyPem, const QByteArray& dhParametersPem);
    ~LegacyTlsServer();

    QString baseUrl() const;
    // Handshakes that completed and requests answered.
    int handshakes() const { return m_handshakes; }
    int answered() const { return m_answered; }

private:
    void serve(QTcpSocket* socket);

    QThread m_thread;
    QTcpServer* m_server = nullptr;
    SSL_CTX* m_context = nullptr;
    quint16 m_port = 0;
    std::atomic<int> m_handshakes{0};
    std::atomic<int> m_answered{0};
};

} // namespace kembtest
