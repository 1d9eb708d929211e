#include "platform/net/HttpExchange.h"

#include "platform/net/HttpAnswerReader.h"
#include "platform/vb/SynchronousWait.h"

#include <QSslSocket>
#include <QStringList>
#include <QTimer>

namespace net {
namespace {

QByteArray requestHead(const QUrl& url, const HttpExchange::Headers& headers, qsizetype bodySize)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1)
        host += ':' + QByteArray::number(url.port());
    QByteArray head = "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto& [name, value] : headers)
        head += name + ": " + value + "\r\n";
    head += "Content-Length: " + QByteArray::number(bodySize) + "\r\nConnection: close\r\n\r\n";
    return head;
}

// The socket's own text often already names the certificate problem that refused the connection: each reason
// is given once.
QString failureText(const QString& socketText, const QStringList& sslProblems)
{
    QString text = socketText;
    for (const QString& problem : sslProblems)
        if (!text.contains(problem))
            text += QStringLiteral(". ") + problem;
    return text;
}

// The exchange while it runs: the socket's signals feed the reader and end the wait.
class Exchange {
public:
    explicit Exchange(qint64 limit) : m_reader(limit) {}

    HttpAnswer run(const QUrl& url, const QByteArray& request, const QSslConfiguration& ssl, int timeoutMs)
    {
        m_socket.setReadBufferSize(HttpExchange::ReadBufferSize);
        const bool secure = url.scheme() == QLatin1String("https");
        const auto send = [this, request]() { m_socket.write(request); };
        QObject::connect(&m_socket, secure ? &QSslSocket::encrypted : &QSslSocket::connected, &m_wait, send);
        QObject::connect(&m_socket, &QSslSocket::readyRead, &m_wait, [this]() { take(); });
        QObject::connect(&m_socket, &QSslSocket::disconnected, &m_wait, [this]() { ended(); });
        QObject::connect(&m_socket, &QSslSocket::errorOccurred, &m_wait, [this]() { ended(); });
        QObject::connect(&m_socket, &QSslSocket::sslErrors, &m_wait, [this](const QList<QSslError>& errors) {
            for (const QSslError& e : errors)
                m_sslProblems.append(e.errorString());
        });
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &m_wait, [this]() {
            m_timedOut = true;
            m_wait.quit();
        });
        limit.start(timeoutMs);
        const quint16 defaultPort = secure ? 443 : 80;
        if (secure) {
            m_socket.setSslConfiguration(ssl);
            m_socket.connectToHostEncrypted(url.host(), static_cast<quint16>(url.port(defaultPort)));
        } else {
            m_socket.connectToHost(url.host(), static_cast<quint16>(url.port(defaultPort)));
        }
        m_wait.exec();
        const HttpAnswer a = answer();
        QObject::disconnect(&m_socket, nullptr, &m_wait, nullptr);
        m_socket.abort();
        return a;
    }

private:
    void take()
    {
        while (m_reader.state() == HttpAnswerReader::State::Reading && m_socket.bytesAvailable() > 0)
            m_reader.feed(m_socket.read(HttpExchange::ReadBufferSize));
        if (m_reader.state() != HttpAnswerReader::State::Reading)
            m_wait.quit();
    }

    void ended()
    {
        if (m_finished)
            return;
        m_finished = true;
        take();
        if (m_reader.state() == HttpAnswerReader::State::Reading) {
            m_socketError = m_socket.errorString();
            m_reader.finish();
        }
        m_wait.quit();
    }

    HttpAnswer answer() const
    {
        HttpAnswer a;
        a.timedOut = m_timedOut && m_reader.state() == HttpAnswerReader::State::Reading;
        a.tooLong = m_reader.state() == HttpAnswerReader::State::TooLong;
        if (a.timedOut)
            return a;
        a.status = m_reader.status();
        if (m_reader.state() == HttpAnswerReader::State::Complete)
            a.body = m_reader.body();
        if (a.status != 0)
            return a;
        if (m_reader.state() == HttpAnswerReader::State::Malformed && m_socketError.isEmpty())
            a.error = QStringLiteral("el servidor no dio una respuesta HTTP válida");
        else
            a.error = failureText(m_socketError.isEmpty() ? m_socket.errorString() : m_socketError, m_sslProblems);
        return a;
    }

    HttpAnswerReader m_reader;
    QSslSocket m_socket;
    vb::SynchronousWait m_wait;
    QStringList m_sslProblems;
    QString m_socketError;
    bool m_timedOut = false;
    bool m_finished = false;
};

} // namespace

HttpAnswer HttpExchange::post(const QUrl& url, const Headers& headers, const QByteArray& body,
                              const QSslConfiguration& ssl, qint64 limit, int timeoutMs)
{
    Exchange exchange(limit);
    return exchange.run(url, requestHead(url, headers, body.size()) + body, ssl, timeoutMs);
}

} // namespace net
