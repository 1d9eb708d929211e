#include "platform/afip/CmsSigner.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace afip {
namespace {

struct FreeBio {
    void operator()(BIO* p) const { BIO_free(p); }
};
using Bio = std::unique_ptr<BIO, FreeBio>;

Bio memoryOf(const QByteArray& data)
{
    return Bio(BIO_new_mem_buf(data.constData(), int(data.size())));
}

// An encrypted key must never make OpenSSL ask for a pass phrase on the terminal.
int noPassphrase(char*, int, int, void*)
{
    return -1;
}

bool readFile(const QString& path, QByteArray& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    out = file.readAll();
    return true;
}

X509* parseCertificate(const QByteArray& data)
{
    if (X509* cert = PEM_read_bio_X509(memoryOf(data).get(), nullptr, noPassphrase, nullptr))
        return cert;
    const auto* der = reinterpret_cast<const unsigned char*>(data.constData());
    return d2i_X509(nullptr, &der, long(data.size()));
}

EVP_PKEY* parseKey(const QByteArray& data)
{
    if (EVP_PKEY* key = PEM_read_bio_PrivateKey(memoryOf(data).get(), nullptr, noPassphrase, nullptr))
        return key;
    const auto* der = reinterpret_cast<const unsigned char*>(data.constData());
    return d2i_AutoPrivateKey(nullptr, &der, long(data.size()));
}

QString localText(const ASN1_TIME* time)
{
    tm parts{};
    if (ASN1_TIME_to_tm(time, &parts) != 1)
        return QString();
    const QDateTime utc(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                        QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
    return QLocale().toString(utc.toLocalTime(), QStringLiteral("dd/MM/yyyy HH:mm"));
}

QString sslError()
{
    char text[256] = {};
    ERR_error_string_n(ERR_peek_last_error(), text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

} // namespace

void CmsSigner::FreeX509::operator()(X509* p) const
{
    X509_free(p);
}

void CmsSigner::FreeKey::operator()(EVP_PKEY* p) const
{
    EVP_PKEY_free(p);
}

CmsSigner::CmsSigner(X509* cert, EVP_PKEY* key) : m_cert(cert), m_key(key) {}

std::unique_ptr<CmsSigner> CmsSigner::load(const QString& crtPath, const QString& keyPath, QString& error)
{
    QByteArray crtData;
    QByteArray keyData;
    if (crtPath.trimmed().isEmpty()) {
        error = QStringLiteral("No se informó la ruta del certificado.");
        return nullptr;
    }
    if (keyPath.trimmed().isEmpty()) {
        error = QStringLiteral("No se informó la ruta de la clave privada.");
        return nullptr;
    }
    if (!readFile(crtPath, crtData)) {
        error = QStringLiteral("No se puede leer el certificado \"%1\".").arg(crtPath);
        return nullptr;
    }
    if (!readFile(keyPath, keyData)) {
        error = QStringLiteral("No se puede leer la clave privada \"%1\".").arg(keyPath);
        return nullptr;
    }
    std::unique_ptr<X509, FreeX509> cert(parseCertificate(crtData));
    std::unique_ptr<EVP_PKEY, FreeKey> key(cert ? parseKey(keyData) : nullptr);
    ERR_clear_error();
    if (!cert) {
        error = QStringLiteral("El archivo \"%1\" no contiene un certificado válido.").arg(crtPath);
        return nullptr;
    }
    if (!key) {
        error = QStringLiteral("El archivo \"%1\" no contiene una clave privada válida (o está protegida con "
                               "contraseña).")
                    .arg(keyPath);
        return nullptr;
    }
    error = checkValidity(cert.get());
    if (!error.isEmpty())
        return nullptr;
    if (X509_check_private_key(cert.get(), key.get()) != 1) {
        ERR_clear_error();
        error = QStringLiteral("La clave privada \"%1\" no corresponde al certificado \"%2\".").arg(keyPath, crtPath);
        return nullptr;
    }
    return std::unique_ptr<CmsSigner>(new CmsSigner(cert.release(), key.release()));
}

QString CmsSigner::checkValidity(X509* cert)
{
    const ASN1_TIME* notBefore = X509_get0_notBefore(cert);
    const ASN1_TIME* notAfter = X509_get0_notAfter(cert);
    if (X509_cmp_current_time(notBefore) >= 0)
        return QStringLiteral("El certificado todavía no es válido: rige desde el %1.").arg(localText(notBefore));
    if (X509_cmp_current_time(notAfter) <= 0)
        return QStringLiteral("El certificado está vencido: venció el %1.").arg(localText(notAfter));
    return QString();
}

QByteArray CmsSigner::sign(const QByteArray& content, QString& error) const
{
    // Binary: the request is signed byte for byte, without MIME line-ending conversion.
    const unsigned int flags = CMS_BINARY | CMS_PARTIAL;
    std::unique_ptr<CMS_ContentInfo, decltype(&CMS_ContentInfo_free)> cms(
        CMS_sign(nullptr, nullptr, nullptr, nullptr, flags), &CMS_ContentInfo_free);
    Bio in = memoryOf(content);
    Bio out(BIO_new(BIO_s_mem()));
    if (!cms || !CMS_add1_signer(cms.get(), m_cert.get(), m_key.get(), EVP_sha256(), flags) ||
        CMS_final(cms.get(), in.get(), nullptr, flags) != 1 || i2d_CMS_bio(out.get(), cms.get()) != 1) {
        error = QStringLiteral("No se pudo firmar el pedido de acceso: %1").arg(sslError());
        return QByteArray();
    }
    BUF_MEM* buffer = nullptr;
    BIO_get_mem_ptr(out.get(), &buffer);
    return QByteArray(buffer->data, qsizetype(buffer->length));
}

QString CmsSigner::fingerprint() const
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    X509_digest(m_cert.get(), EVP_sha256(), digest, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

} // namespace afip
