// The Internet transfer control: one HTTP request at a time through the program's network manager.
// The whole response is received before the state changes to icResponseCompleted; GetChunk then hands
// the body out piece by piece, as the control does. The body is kept in a temporary file as it arrives, so a
// large download holds no more memory than a small one.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QNetworkReply;
class QTemporaryFile;

namespace net {
class BoundedReply;
}

class Inet : public QObject {
    Q_OBJECT

public:
    enum State : int {
        icNone = 0,
        // The request failed before a response arrived (host not found, connection refused, time-out, stall), or the
        // body went past its declared length or past MaxBodyBytes.
        icError = 11,
        icResponseCompleted = 12,
    };

    // The longest body taken when the response declares no length.
    static constexpr qint64 MaxBodyBytes = 512LL * 1024 * 1024;

    explicit Inet(QObject* parent = nullptr);
    ~Inet() override;

    QString URL() const { return m_url; }
    void setURL(const QString& url) { m_url = url; }
    // Seconds a request may go without receiving anything before it is stopped; 0 sets no limit of its own. Every
    // transfer is stopped as well when it stalls (net::StallWatch): fewer than 1 KB in a minute.
    int RequestTimeout() const { return m_requestTimeout; }
    void setRequestTimeout(int seconds) { m_requestTimeout = seconds; }

    // Starts the request on URL with the given method and returns at once; a running request is cancelled.
    void Execute(const QString& operation);
    // The value of a response header (name without regard to case); "" when absent.
    QString GetHeader(const QString& name) const;
    // The next `size` bytes of the body; empty once all were read.
    QByteArray GetChunk(int size);
    void Cancel();
    bool StillExecuting() const { return !m_reply.isNull(); }

    // The HTTP status of the completed response; 0 before one.
    int StatusCode() const { return m_statusCode; }
    // The text of the failure after icError.
    QString ResponseInfo() const { return m_responseInfo; }

signals:
    void StateChanged(int State);

private:
    void finished();
    void clearResponse();
    bool keep(const QByteArray& piece);

    QString m_url;
    int m_requestTimeout = 60;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<net::BoundedReply> m_bounded;
    int m_statusCode = 0;
    QString m_responseInfo;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    std::unique_ptr<QTemporaryFile> m_body;
};
