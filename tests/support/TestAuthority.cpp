#include "support/TestAuthority.h"

#include <QFile>
#include <QRandomGenerator>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace kembtest {
namespace {

template <class T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

QByteArray contentsOf(BIO* bio)
{
    BUF_MEM* buffer = nullptr;
    BIO_get_mem_ptr(bio, &buffer);
    return QByteArray(buffer->data, qsizetype(buffer->length));
}

Key newKey()
{
    Key key(EVP_RSA_gen(2048));
    if (!key)
        throw std::runtime_error("RSA key generation failed");
    return key;
}

void addName(X509_NAME* name, const char* field, const QString& value)
{
    if (!value.isEmpty())
        X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(value.toUtf8().constData()), -1, -1, 0);
}

void addExtension(X509* cert, X509* issuer, int nid, const QByteArray& value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.constData());
    if (!extension)
        throw std::runtime_error("bad certificate extension");
    X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for `publicKey` named `subject`, signed by `issuerKey` (its own issuer when `issuer` is null).
Cert makeCertificate(EVP_PKEY* publicKey, X509_NAME* subject, X509* issuer, EVP_PKEY* issuerKey, qint64 from, qint64 to,
                     bool authority, const QStringList& ipAddresses)
{
    Cert cert(X509_new());
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set_int64(X509_get_serialNumber(cert.get()), qint64(QRandomGenerator::global()->generate()) + 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), long(from));
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), long(to));
    X509_set_pubkey(cert.get(), publicKey);
    X509_set_subject_name(cert.get(), subject);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : subject);
    X509* issuerCert = issuer ? issuer : cert.get();
    addExtension(cert.get(), issuerCert, NID_basic_constraints, authority ? "critical,CA:TRUE" : "CA:FALSE");
    addExtension(cert.get(), issuerCert, NID_key_usage,
                 authority ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature,keyEncipherment");
    addExtension(cert.get(), issuerCert, NID_subject_key_identifier, "hash");
    if (!ipAddresses.isEmpty())
        addExtension(cert.get(), issuerCert, NID_subject_alt_name, ("IP:" + ipAddresses.join(",IP:")).toLatin1());
    if (X509_sign(cert.get(), issuerKey, EVP_sha256()) <= 0)
        throw std::runtime_error("certificate signing failed");
    return cert;
}

QByteArray pemOf(X509* cert)
{
    Bio out(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(out.get(), cert);
    return contentsOf(out.get());
}

} // namespace

struct TestAuthority::Impl {
    Key key;
    Cert cert;
};

TestAuthority::TestAuthority(const QString& commonName) : d(std::make_unique<Impl>())
{
    d->key = newKey();
    std::unique_ptr<X509_NAME, Deleter<X509_NAME, X509_NAME_free>> name(X509_NAME_new());
    addName(name.get(), "O", QStringLiteral("KEMB pruebas"));
    addName(name.get(), "CN", commonName);
    d->cert =
        makeCertificate(d->key.get(), name.get(), nullptr, d->key.get(), -24 * 3600, 10 * 365 * 24 * 3600, true, {});
}

TestAuthority::~TestAuthority() = default;

TestAuthority::Issued TestAuthority::issue(const Subject& subject) const
{
    Key key = newKey();
    std::unique_ptr<X509_NAME, Deleter<X509_NAME, X509_NAME_free>> name(X509_NAME_new());
    addName(name.get(), "C", QStringLiteral("AR"));
    addName(name.get(), "CN", subject.commonName);
    addName(name.get(), "serialNumber", subject.serialNumber);
    Cert cert = makeCertificate(key.get(), name.get(), d->cert.get(), d->key.get(), subject.validFrom, subject.validTo,
                                false, subject.ipAddresses);
    Bio out(BIO_new(BIO_s_mem()));
    PEM_write_bio_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    return Issued{pemOf(cert.get()), contentsOf(out.get())};
}

TestAuthority::Files TestAuthority::issueFiles(const Subject& subject, const QString& folder,
                                               const QString& baseName) const
{
    const Issued issued = issue(subject);
    const Files files{folder + QLatin1Char('/') + baseName + QStringLiteral(".crt"),
                      folder + QLatin1Char('/') + baseName + QStringLiteral(".key")};
    if (!writeFile(files.certificate, issued.certificatePem) || !writeFile(files.key, issued.keyPem))
        throw std::runtime_error("cannot write the test certificate");
    return files;
}

QByteArray TestAuthority::signRequest(const QByteArray& requestPem, int days) const
{
    Bio in(BIO_new_mem_buf(requestPem.constData(), int(requestPem.size())));
    std::unique_ptr<X509_REQ, Deleter<X509_REQ, X509_REQ_free>> request(
        PEM_read_bio_X509_REQ(in.get(), nullptr, nullptr, nullptr));
    if (!request)
        throw std::runtime_error("not a certificate request");
    Key publicKey(X509_REQ_get_pubkey(request.get()));
    if (!publicKey || X509_REQ_verify(request.get(), publicKey.get()) != 1)
        throw std::runtime_error("certificate request with a bad signature");
    Cert cert = makeCertificate(publicKey.get(), X509_REQ_get_subject_name(request.get()), d->cert.get(), d->key.get(),
                                -3600, qint64(days) * 24 * 3600, false, {});
    return pemOf(cert.get());
}

QByteArray TestAuthority::certificatePem() const
{
    return pemOf(d->cert.get());
}

QSslCertificate TestAuthority::certificate() const
{
    return QSslCertificate(certificatePem(), QSsl::Pem);
}

bool TestAuthority::writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace kembtest
