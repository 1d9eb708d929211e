#include "support/FakeAfip.h"

#include "platform/afip/XmlFields.h"
#include "support/TestAuthority.h"

#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace kembtest {
namespace {

const QString WsaaNamespace = QStringLiteral("http://wsaa.view.sua.dvadac.desein.afip.gov");
const QString WsfeNamespace = QStringLiteral("http://ar.gov.afip.dif.FEV1/");
const QString WsfeAction = WsfeNamespace + QStringLiteral("FECompUltimoAutorizado");

template <class T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using Cms = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo, CMS_ContentInfo_free>>;
using StoreContext = std::unique_ptr<X509_STORE_CTX, Deleter<X509_STORE_CTX, X509_STORE_CTX_free>>;

QByteArray envelope(const QString& body)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                          "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                          "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                          "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
                          "<soapenv:Body>%1</soapenv:Body></soapenv:Envelope>")
        .arg(body)
        .toUtf8();
}

// As the services answer a fault: HTTP 500, the code qualified by the server's namespace.
HttpResponse faultResponse(const QString& code, const QString& text)
{
    const QString fault = QStringLiteral("<soapenv:Fault><faultcode xmlns:ns1=\"http://xml.apache.org/axis/\">ns1:%1"
                                         "</faultcode><faultstring>%2</faultstring><detail><ns2:hostname "
                                         "xmlns:ns2=\"http://xml.apache.org/axis/\">fake</ns2:hostname></detail>"
                                         "</soapenv:Fault>")
                              .arg(code.toHtmlEscaped(), text.toHtmlEscaped());
    return HttpResponse{500, envelope(fault), {{"Content-Type", "text/xml; charset=utf-8"}}, true, false};
}

// As the invoicing service (ASP.NET) answers a fault: HTTP 500, "soap:" codes.
HttpResponse wsfeFaultResponse(const QString& code, const QString& text)
{
    const QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                       "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                                       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                       "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body><soap:Fault>"
                                       "<faultcode>soap:%1</faultcode><faultstring>%2</faultstring><detail />"
                                       "</soap:Fault></soap:Body></soap:Envelope>")
                            .arg(code.toHtmlEscaped(), text.toHtmlEscaped());
    return HttpResponse{500, xml.toUtf8(), {{"Content-Type", "text/xml; charset=utf-8"}}, true, false};
}

HttpResponse okResponse(const QString& body)
{
    return HttpResponse{200, envelope(body), {{"Content-Type", "text/xml; charset=utf-8"}}, true, false};
}

// The namespace of the first element named `localName`; "" when absent.
QString namespaceOf(const QByteArray& xml, const QString& localName)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == localName)
            return reader.namespaceUri().toString();
    return QString();
}

QString attributeOfRoot(const QByteArray& xml, const QString& name)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.attributes().value(name).toString();
    return QString();
}

QString randomBase64(int bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    for (char& c : data)
        c = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(data.toBase64());
}

// The service's own zone.
QString serviceTime(const QDateTime& moment)
{
    return moment.toOffsetFromUtc(-3 * 3600).toString(Qt::ISODateWithMs);
}

QString sslText()
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

} // namespace

struct FakeAfip::Crypto {
    std::unique_ptr<X509_STORE, Deleter<X509_STORE, X509_STORE_free>> store{X509_STORE_new()};

    struct Signed {
        QByteArray content;
        QString fingerprint;
        QString cuit;
        std::optional<Fault> fault;
    };

    // Checks the CMS message the way the authentication service does and returns what it signed.
    Signed verify(const QByteArray& der) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(der.constData());
        Cms cms(d2i_CMS_ContentInfo(nullptr, &p, long(der.size())));
        if (!cms || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed)
            return {{}, {}, {}, Fault{QStringLiteral("cms.bad"), QStringLiteral("CMS no es valido")}};
        std::unique_ptr<STACK_OF(X509), decltype([](STACK_OF(X509) * s) { sk_X509_pop_free(s, X509_free); })> certs(
            CMS_get1_certs(cms.get()));
        if (!certs || sk_X509_num(certs.get()) == 0)
            return {
                {}, {}, {}, Fault{QStringLiteral("cms.cert.notFound"), QStringLiteral("Certificado no encontrado")}};
        if (!CMS_get0_content(cms.get()) || !*CMS_get0_content(cms.get()))
            return {{}, {}, {}, Fault{QStringLiteral("cms.bad"), QStringLiteral("CMS sin contenido")}};
        Bio out(BIO_new(BIO_s_mem()));
        if (CMS_verify(cms.get(), nullptr, nullptr, nullptr, out.get(), CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) != 1)
            return {
                {}, {}, {}, Fault{QStringLiteral("cms.sign.invalid"), QStringLiteral("Firma inválida: ") + sslText()}};
        CMS_SignerInfo* info = sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms.get()), 0);
        X509_ALGOR* digest = nullptr;
        CMS_SignerInfo_get0_algs(info, nullptr, nullptr, &digest, nullptr);
        const ASN1_OBJECT* algorithm = nullptr;
        X509_ALGOR_get0(&algorithm, nullptr, nullptr, digest);
        if (OBJ_obj2nid(algorithm) != NID_sha256)
            return {{}, {}, {}, Fault{QStringLiteral("cms.bad"), QStringLiteral("Algoritmo de resumen no soportado")}};

        std::unique_ptr<STACK_OF(X509), decltype([](STACK_OF(X509) * s) { sk_X509_free(s); })> signers(
            CMS_get0_signers(cms.get()));
        X509* signer = sk_X509_value(signers.get(), 0);
        StoreContext context(X509_STORE_CTX_new());
        X509_STORE_CTX_init(context.get(), store.get(), signer, certs.get());
        if (X509_verify_cert(context.get()) != 1) {
            const int error = X509_STORE_CTX_get_error(context.get());
            ERR_clear_error();
            if (error == X509_V_ERR_CERT_HAS_EXPIRED)
                return {{}, {}, {}, Fault{QStringLiteral("cms.cert.expired"), QStringLiteral("Certificado expirado")}};
            return {{},
                    {},
                    {},
                    Fault{QStringLiteral("cms.cert.untrusted"),
                          QStringLiteral("Certificado no emitido por AC de confianza")}};
        }
        Signed result;
        BUF_MEM* buffer = nullptr;
        BIO_get_mem_ptr(out.get(), &buffer);
        result.content = QByteArray(buffer->data, qsizetype(buffer->length));
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        X509_digest(signer, EVP_sha256(), md, &length);
        result.fingerprint = QString::fromLatin1(QByteArray(reinterpret_cast<char*>(md), int(length)).toHex());
        X509_NAME* subject = X509_get_subject_name(signer);
        const int index = X509_NAME_get_index_by_NID(subject, NID_serialNumber, -1);
        if (index >= 0) {
            const ASN1_STRING* value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index));
            result.cuit = QString::fromUtf8(reinterpret_cast<const char*>(ASN1_STRING_get0_data(value)),
                                            ASN1_STRING_length(value))
                              .remove(QStringLiteral("CUIT"))
                              .trimmed();
        }
        return result;
    }
};

FakeAfip::FakeAfip(const TestAuthority& authority) : FakeAfip(authority, std::make_unique<HttpServer>()) {}

FakeAfip::FakeAfip(const TestAuthority& authority, const QSslConfiguration& tls)
    : FakeAfip(authority, std::make_unique<HttpServer>(tls))
{
}

FakeAfip::FakeAfip(const TestAuthority& authority, std::unique_ptr<HttpServer> server)
    : m_crypto(std::make_unique<Crypto>()), m_server(std::move(server))
{
    m_server->route(QLatin1String(WsaaPath), [this](const HttpRequest& r) { return login(r); });
    m_server->route(QLatin1String(WsfePath), [this](const HttpRequest& r) { return query(r); });
    const QByteArray pem = authority.certificatePem();
    Bio in(BIO_new_mem_buf(pem.constData(), int(pem.size())));
    X509* ca = PEM_read_bio_X509(in.get(), nullptr, nullptr, nullptr);
    X509_STORE_add_cert(m_crypto->store.get(), ca);
    X509_free(ca);
}

FakeAfip::~FakeAfip()
{
    // The server's thread calls back into this object: it stops before anything else goes.
    m_server.reset();
}

QString FakeAfip::wsaaUrl() const
{
    return m_server->baseUrl() + QLatin1String(WsaaPath);
}

QString FakeAfip::wsfeUrl() const
{
    return m_server->baseUrl() + QLatin1String(WsfePath);
}

int FakeAfip::loginRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_loginRequests;
}

int FakeAfip::queryRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_queryRequests;
}

int FakeAfip::logins() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_tickets.size());
}

QStringList FakeAfip::cuits() const
{
    QMutexLocker lock(&m_mutex);
    return m_cuits;
}

QList<QByteArray> FakeAfip::ticketRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_ticketRequests;
}

void FakeAfip::setLastVoucher(int ptoVta, int cbteTipo, qint64 number)
{
    QMutexLocker lock(&m_mutex);
    m_lastVouchers[{ptoVta, cbteTipo}] = number;
}

void FakeAfip::failNextLogin(const QString& faultCode, const QString& faultString)
{
    QMutexLocker lock(&m_mutex);
    m_nextLoginFault = Fault{faultCode, faultString};
}

void FakeAfip::failQueries(int code, const QString& message)
{
    QMutexLocker lock(&m_mutex);
    m_queryError = std::make_pair(code, message);
}

void FakeAfip::expireIssuedTickets(Expiry how)
{
    QMutexLocker lock(&m_mutex);
    m_expiry = how;
    for (Ticket& t : m_tickets)
        t.revoked = true;
}

void FakeAfip::setHanging(bool hanging)
{
    QMutexLocker lock(&m_mutex);
    m_hanging = hanging;
}

std::optional<FakeAfip::Fault> FakeAfip::checkTicketRequest(const QByteArray& xml) const
{
    const afip::XmlFields tra(xml);
    if (!tra.isValid() || !tra.contains(QStringLiteral("loginTicketRequest/header")))
        return Fault{QStringLiteral("xml.bad"), QStringLiteral("No se pudo interpretar el XML")};
    if (attributeOfRoot(xml, QStringLiteral("version")) != QLatin1String("1.0"))
        return Fault{QStringLiteral("xml.version.notSupported"), QStringLiteral("Version no soportada")};
    bool isNumber = false;
    tra.value(QStringLiteral("header/uniqueId")).toUInt(&isNumber);
    if (!isNumber)
        return Fault{QStringLiteral("xml.bad"), QStringLiteral("uniqueId invalido")};
    // Both times carry the zone explicitly, as the service's schema asks.
    static const QRegularExpression withOffset(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(\\.\\d+)?[+-]\\d\\d:\\d\\d$"));
    const QString generationText = tra.value(QStringLiteral("header/generationTime"));
    const QString expirationText = tra.value(QStringLiteral("header/expirationTime"));
    if (!withOffset.match(generationText).hasMatch() || !withOffset.match(expirationText).hasMatch())
        return Fault{QStringLiteral("xml.bad"), QStringLiteral("Formato de fecha invalido")};
    const QDateTime generation = QDateTime::fromString(generationText, Qt::ISODateWithMs);
    const QDateTime expiration = QDateTime::fromString(expirationText, Qt::ISODateWithMs);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (generation > now.addSecs(60))
        return Fault{QStringLiteral("xml.generationTime.invalid"),
                     QStringLiteral("generationTime posterior a la hora actual")};
    if (expiration <= now)
        return Fault{QStringLiteral("xml.expirationTime.expired"), QStringLiteral("expirationTime expirado")};
    if (expiration <= generation || generation.secsTo(expiration) > 24 * 3600)
        return Fault{QStringLiteral("xml.expirationTime.invalid"), QStringLiteral("expirationTime invalido")};
    if (tra.value(QStringLiteral("loginTicketRequest/service")) != QLatin1String("wsfe"))
        return Fault{QStringLiteral("wsn.notFound"), QStringLiteral("Servicio informado inexistente")};
    return std::nullopt;
}

HttpResponse FakeAfip::login(const HttpRequest& request)
{
    std::optional<Fault> forced;
    {
        QMutexLocker lock(&m_mutex);
        ++m_loginRequests;
        if (m_hanging)
            return HttpResponse{200, {}, {}, true, true};
        forced = std::exchange(m_nextLoginFault, std::nullopt);
    }
    if (forced)
        return faultResponse(forced->code, forced->text);
    const QByteArray body = request.body;
    if (namespaceOf(body, QStringLiteral("loginCms")) != WsaaNamespace ||
        namespaceOf(body, QStringLiteral("in0")) != WsaaNamespace)
        return faultResponse(QStringLiteral("Server.userException"), QStringLiteral("No such operation"));
    const afip::XmlFields soap(body);
    const QByteArray cms = QByteArray::fromBase64(soap.value(QStringLiteral("loginCms/in0")).toLatin1());
    if (cms.isEmpty())
        return faultResponse(QStringLiteral("cms.bad.base64"), QStringLiteral("CMS no es Base64 valido"));
    const Crypto::Signed signedRequest = m_crypto->verify(cms);
    if (signedRequest.fault)
        return faultResponse(signedRequest.fault->code, signedRequest.fault->text);
    {
        QMutexLocker lock(&m_mutex);
        m_ticketRequests.append(signedRequest.content);
    }
    if (const auto fault = checkTicketRequest(signedRequest.content))
        return faultResponse(fault->code, fault->text);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    Ticket ticket{randomBase64(48),   randomBase64(32),       signedRequest.fingerprint,
                  signedRequest.cuit, now.addSecs(12 * 3600), false};
    {
        QMutexLocker lock(&m_mutex);
        for (const Ticket& t : std::as_const(m_tickets))
            if (t.fingerprint == ticket.fingerprint && !t.revoked && t.expiration > now)
                return faultResponse(QStringLiteral("coe.alreadyAuthenticated"),
                                     QStringLiteral("El CEE ya posee un TA valido para el acceso al WSN solicitado"));
        m_tickets.append(ticket);
    }
    const QString xml =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<loginTicketResponse version=\"1.0\"><header>"
                       "<source>CN=wsaahomo, O=AFIP, C=AR, SERIALNUMBER=CUIT 33693450239</source>"
                       "<destination>SERIALNUMBER=CUIT %1, CN=kemb</destination>"
                       "<uniqueId>%2</uniqueId><generationTime>%3</generationTime>"
                       "<expirationTime>%4</expirationTime></header>"
                       "<credentials><token>%5</token><sign>%6</sign></credentials></loginTicketResponse>")
            .arg(ticket.cuit, QString::number(QRandomGenerator::global()->generate()), serviceTime(now),
                 serviceTime(ticket.expiration), ticket.token, ticket.sign);
    return okResponse(QStringLiteral("<loginCmsResponse xmlns=\"%1\"><loginCmsReturn>%2</loginCmsReturn>"
                                     "</loginCmsResponse>")
                          .arg(WsaaNamespace, xml.toHtmlEscaped()));
}

HttpResponse FakeAfip::query(const HttpRequest& request)
{
    QMutexLocker lock(&m_mutex);
    ++m_queryRequests;
    if (m_hanging)
        return HttpResponse{200, {}, {}, true, true};
    QByteArray action = request.header("SOAPAction");
    action.replace('"', "");
    if (action != WsfeAction.toUtf8())
        return faultResponse(QStringLiteral("Client"),
                             QStringLiteral("Server did not recognize the value of HTTP Header SOAPAction: %1.")
                                 .arg(QString::fromUtf8(action)));
    if (namespaceOf(request.body, QStringLiteral("FECompUltimoAutorizado")) != WsfeNamespace ||
        namespaceOf(request.body, QStringLiteral("Token")) != WsfeNamespace)
        return faultResponse(QStringLiteral("Client"), QStringLiteral("Unable to handle request."));
    const afip::XmlFields soap(request.body);
    const QString token = soap.value(QStringLiteral("Auth/Token"));
    const QString sign = soap.value(QStringLiteral("Auth/Sign"));
    const QString cuit = soap.value(QStringLiteral("Auth/Cuit"));
    const int ptoVta = soap.value(QStringLiteral("FECompUltimoAutorizado/PtoVta")).toInt();
    const int cbteTipo = soap.value(QStringLiteral("FECompUltimoAutorizado/CbteTipo")).toInt();
    m_cuits.append(cuit);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::optional<std::pair<int, QString>> error = m_queryError;
    const auto ticket = std::find_if(m_tickets.cbegin(), m_tickets.cend(),
                                     [&](const Ticket& t) { return t.token == token && t.sign == sign; });
    if (ticket != m_tickets.cend() && ticket->revoked && m_expiry == Expiry::TokenVencido)
        return wsfeFaultResponse(QStringLiteral("Client"), QStringLiteral("Error en la autenticacion: Token Vencido"));
    if (ticket == m_tickets.cend())
        error = std::make_pair(600, QStringLiteral("ValidacionDeToken: Error al verificar hash: VerificacionDeHash"));
    else if (ticket->revoked || ticket->expiration <= now)
        error = std::make_pair(600, QStringLiteral("ValidacionDeToken: No validaron las fechas del token GenTime, "
                                                   "ExpTime, NowUTC: %1, %2, %3")
                                        .arg(serviceTime(ticket->expiration.addSecs(-12 * 3600)),
                                             serviceTime(ticket->expiration), now.toString(Qt::ISODate)));
    else if (!ticket->cuit.isEmpty() && ticket->cuit != cuit)
        error = std::make_pair(
            600, QStringLiteral("ValidacionDeToken: No apareció CUIT en lista de relaciones: %1").arg(cuit));
    const qint64 number = error ? 0 : m_lastVouchers[{ptoVta, cbteTipo}];
    QString result = QStringLiteral("<PtoVta>%1</PtoVta><CbteTipo>%2</CbteTipo><CbteNro>%3</CbteNro>")
                         .arg(ptoVta)
                         .arg(cbteTipo)
                         .arg(number);
    if (error)
        result += QStringLiteral("<Errors><Err><Code>%1</Code><Msg>%2</Msg></Err></Errors>")
                      .arg(QString::number(error->first), error->second.toHtmlEscaped());
    return okResponse(QStringLiteral("<FECompUltimoAutorizadoResponse xmlns=\"%1\"><FECompUltimoAutorizadoResult>%2"
                                     "</FECompUltimoAutorizadoResult></FECompUltimoAutorizadoResponse>")
                          .arg(WsfeNamespace, result));
}

} // namespace kembtest
