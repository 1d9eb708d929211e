// Posts a SOAP request and waits for the answer with a time limit and a length limit; the windows keep painting
// meanwhile but take no input.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

namespace afip {

struct SoapReply {
    // 0 when no answer the caller can read arrived (network failure, time limit, an answer past the length
    // limit); then `error` says why.
    int httpStatus = 0;
    QByteArray body;
    QString error;
};

class SoapTransport {
public:
    // `soapAction` is sent quoted, as SOAP 1.1 asks ("" for an empty action). The request goes through the
    // program's network manager, so it takes the proxy the system names for its address.
    static SoapReply post(const QUrl& url, const QByteArray& soapAction, const QByteArray& envelope);

    // The TLS settings of one connection to `url`: the system's, plus any extra authorities, plus the
    // tax authority's legacy security level when the host needs it.
    static QSslConfiguration sslConfigurationFor(const QUrl& url);
    // The tax authority's hosts offer Diffie-Hellman parameters that OpenSSL 3 refuses at its default security
    // level ("dh key too small"); only connections to them lower it.
    static bool needsLegacySecurityLevel(const QString& host);

    static constexpr int DefaultTimeoutMs = 30000;
    // The services answer a few kilobytes; a longer answer is refused as such.
    static constexpr qint64 MaxAnswerBytes = 4 * 1024 * 1024;
    static int timeoutMs();
    // Only tests call these: a shorter time limit (0 restores the default) and authorities trusted besides
    // the system's (an empty list restores the system's alone).
    static void setTimeoutOverride(int ms);
    static void setExtraCaCertificates(const QList<QSslCertificate>& certificates);
};

} // namespace afip
