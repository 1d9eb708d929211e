// A certification authority made at test time with libcrypto: issues keys and certificates (taxpayer
// certificates, TLS server certificates, expired ones) and signs certificate requests made by openssl.
#pragma once

#include <QByteArray>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <memory>

namespace kembtest {

class TestAuthority {
public:
    explicit TestAuthority(const QString& commonName = QStringLiteral("KEMB Test CA"));
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    struct Issued {
        QByteArray certificatePem;
        QByteArray keyPem;
    };
    struct Subject {
        QString commonName = QStringLiteral("kemb-test");
        // "CUIT 20123456786" in the subject's serialNumber, as the tax authority's certificates carry it.
        QString serialNumber;
        // Seconds from now; negative is in the past.
        qint64 validFrom = -3600;
        qint64 validTo = 365 * 24 * 3600;
        // Subject alternative names of a TLS server certificate ("127.0.0.1").
        QStringList ipAddresses;
    };

    // A new 2048-bit RSA key and its certificate signed by this authority.
    Issued issue(const Subject& subject) const;
    struct Files {
        QString certificate;
        QString key;
    };
    // issue() written to "<folder>/<baseName>.crt" and "<folder>/<baseName>.key".
    Files issueFiles(const Subject& subject, const QString& folder, const QString& baseName) const;
    // The certificate for a request in PEM (as "openssl req -new" writes it), valid for `days` from now.
    QByteArray signRequest(const QByteArray& requestPem, int days = 365) const;

    QByteArray certificatePem() const;
    QSslCertificate certificate() const;

    // Writes `data` to `path`; false when it cannot.
    static bool writeFile(const QString& path, const QByteArray& data);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kembtest
