// The server-side HTTP request object: a synchronous request through the program's network manager that
// hands back the status and the answer's text. It neither reads nor fills the web cache.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class ServerXMLHTTP {
public:
    // Only synchronous requests exist here; the method is the HTTP verb ("GET").
    void open(const QString& method, const QUrl& url);
    // Waits for the whole answer, without taking user input meanwhile. A request that cannot be made, is not
    // answered, outlasts the time limit or is answered at too great a length raises a run-time error; an answer
    // of any status is not an error.
    void send();
    int status() const { return m_status; }
    // The body decoded by the charset of its content type: Windows-1252 for the Latin ones, else UTF-8.
    QString responseText() const;
    // The longest a request may take, in milliseconds.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    // A longer answer raises a run-time error: the services asked this way answer a few lines.
    static constexpr qint64 MaxAnswerBytes = 4 * 1024 * 1024;

private:
    QByteArray m_method;
    QUrl m_url;
    int m_timeLimitMs = 30000;
    int m_status = 0;
    QByteArray m_body;
    QByteArray m_contentType;
};
