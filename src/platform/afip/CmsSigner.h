// The taxpayer's certificate and private key, checked before use, signing the login ticket request as CMS.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <openssl/types.h>

namespace afip {

class CmsSigner {
public:
    // Reads and checks both files: readable, a certificate within its validity period and the key that belongs
    // to it. Returns nullptr with a message for the operator in `error` when any check fails.
    static std::unique_ptr<CmsSigner> load(const QString& crtPath, const QString& keyPath, QString& error);

    // CMS SignedData in DER: `content` attached, SHA-256, the signer certificate included.
    QByteArray sign(const QByteArray& content, QString& error) const;
    // SHA-256 of the certificate in DER, hexadecimal: identifies the certificate a ticket belongs to.
    QString fingerprint() const;

private:
    struct FreeX509 {
        void operator()(X509* p) const;
    };
    struct FreeKey {
        void operator()(EVP_PKEY* p) const;
    };

    CmsSigner(X509* cert, EVP_PKEY* key);
    static QString checkValidity(X509* cert);

    std::unique_ptr<X509, FreeX509> m_cert;
    std::unique_ptr<EVP_PKEY, FreeKey> m_key;
};

} // namespace afip
