#include "platform/afip/ClsFacturaElectronica.h"

#include "platform/afip/CmsSigner.h"
#include "platform/afip/LoginTicketRequest.h"
#include "platform/afip/SoapEnvelope.h"
#include "platform/afip/SoapTransport.h"
#include "platform/afip/TicketStore.h"
#include "platform/afip/XmlFields.h"

#include <QDir>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cmath>

using namespace afip;

namespace {

const QString WsaaNamespace = QStringLiteral("http://wsaa.view.sua.dvadac.desein.afip.gov");
const QString WsfeNamespace = QStringLiteral("http://ar.gov.afip.dif.FEV1/");
const QString Authentication = QStringLiteral("autenticación");
const QString Invoicing = QStringLiteral("facturación electrónica");

bool isServiceAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

struct ServiceError {
    QString code;
    QString message;
};

// The Errors/Err entries of an invoicing answer, in order.
QList<ServiceError> errorsOf(const XmlFields& answer)
{
    QList<ServiceError> errors;
    QString code;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        if (answer.pathEndsWith(i, u"Errors/Err/Code"))
            code = answer.text(i);
        else if (answer.pathEndsWith(i, u"Errors/Err/Msg"))
            errors.append({code, answer.text(i)});
    }
    return errors;
}

// The invoicing service refuses the ticket itself as expired or out of its dates, as after the clock was put
// right: the fault "Token Vencido", or error 600 "ValidacionDeToken: No validaron las fechas del token ...".
// Other refusals, error 600 about the CUIT among them, say nothing against the ticket.
bool refusesTheTicketsDates(const XmlFields& answer)
{
    if (const auto fault = SoapEnvelope::fault(answer))
        return fault->text.contains(u"Token Vencido", Qt::CaseInsensitive);
    const QList<ServiceError> errors = errorsOf(answer);
    return std::any_of(errors.cbegin(), errors.cend(), [](const ServiceError& e) {
        return e.code == QLatin1String("600") &&
               e.message.contains(u"No validaron las fechas del token", Qt::CaseInsensitive);
    });
}

} // namespace

bool ClsFacturaElectronica::fail(const QString& message)
{
    m_ultimoError = message;
    return false;
}

QString ClsFacturaElectronica::failureOf(const SoapReply& reply, const XmlFields& answer, const QString& service)
{
    if (reply.httpStatus == 0)
        return reply.error;
    if (const auto fault = SoapEnvelope::fault(answer))
        return QStringLiteral("El servicio de %1 respondió con un error: %2: %3")
            .arg(service, fault->code, fault->text);
    if (reply.httpStatus != 200 || !answer.isValid())
        return QStringLiteral("El servicio de %1 dio una respuesta inesperada (HTTP %2).")
            .arg(service)
            .arg(reply.httpStatus);
    return QString();
}

// Kept, a ticket the service refuses by its dates would be reused and refused again until it expires by the
// local clock, up to 12 hours; without it the next test logs in again.
QString ClsFacturaElectronica::dropTicket()
{
    const QString service = QLatin1String(Servicio);
    const bool dropped = TicketStore::discard(m_fingerprint, service, m_urlWsaa, *m_ticket);
    m_ticket.reset();
    if (dropped)
        return QStringLiteral("Se descartó el ticket de acceso; la próxima prueba se autenticará de nuevo.");
    return QStringLiteral("No se pudo descartar el ticket de acceso guardado en \"%1\"; bórrelo para que la "
                          "próxima prueba se autentique de nuevo.")
        .arg(QDir::toNativeSeparators(TicketStore::filePath(m_fingerprint, service, m_urlWsaa)));
}

bool ClsFacturaElectronica::readTicket(const XmlFields& answer)
{
    const XmlFields ticket(answer.value(QStringLiteral("loginCmsResponse/loginCmsReturn")));
    AccessTicket read{ticket.value(QStringLiteral("loginTicketResponse/credentials/token")),
                      ticket.value(QStringLiteral("loginTicketResponse/credentials/sign")),
                      QDateTime::fromString(ticket.value(QStringLiteral("loginTicketResponse/header/expirationTime")),
                                            Qt::ISODateWithMs)};
    if (read.token.isEmpty() || read.sign.isEmpty() || !read.expiration.isValid())
        return false;
    m_ticket = read;
    return true;
}

bool ClsFacturaElectronica::Autenticar(const QString& rutaCrt, const QString& rutaKey, const QString& urlWsaa)
{
    m_ultimoError.clear();
    m_ticket.reset();
    QString problem;
    const std::unique_ptr<CmsSigner> signer = CmsSigner::load(rutaCrt, rutaKey, problem);
    if (!signer)
        return fail(problem);
    const QUrl url(urlWsaa.trimmed());
    if (!isServiceAddress(url))
        return fail(QStringLiteral("La dirección del servicio de autenticación \"%1\" no es válida.").arg(urlWsaa));

    const QString service = QLatin1String(Servicio);
    const QString fingerprint = signer->fingerprint();
    m_fingerprint = fingerprint;
    m_urlWsaa = urlWsaa;
    if (const auto kept = TicketStore::load(fingerprint, service, urlWsaa)) {
        m_ticket = kept;
        return true;
    }

    const QByteArray cms = signer->sign(LoginTicketRequest::build(service), problem);
    if (cms.isEmpty())
        return fail(problem);
    const QByteArray envelope =
        SoapEnvelope::build(WsaaNamespace, QStringLiteral("loginCms"),
                            SoapEnvelope::element(QStringLiteral("in0"), QString::fromLatin1(cms.toBase64())));
    const SoapReply reply = SoapTransport::post(url, QByteArray(), envelope);
    const XmlFields answer(reply.body);
    const QString failure = failureOf(reply, answer, Authentication);
    if (!failure.isEmpty())
        return fail(failure);
    if (!readTicket(answer))
        return fail(QStringLiteral("El servicio de autenticación no entregó un ticket de acceso válido."));
    // A ticket that cannot be kept still serves this session; the next login would just be refused sooner.
    TicketStore::save(fingerprint, service, urlWsaa, *m_ticket);
    return true;
}

bool ClsFacturaElectronica::UltimoComprobante(int ptoVta, int cbteTipo, double& numero)
{
    m_ultimoError.clear();
    if (!m_ticket || !m_ticket->isValidAt(QDateTime::currentDateTimeUtc()))
        return fail(QStringLiteral("Debe autenticarse ante el servicio de autenticación antes de consultar."));
    const QUrl url(m_urlWsfe.trimmed());
    if (!isServiceAddress(url))
        return fail(QStringLiteral("La dirección del servicio de facturación \"%1\" no es válida.").arg(m_urlWsfe));
    if (!(m_cuitEmisor >= 1 && m_cuitEmisor < 1e11))
        return fail(QStringLiteral("El CUIT del emisor no es válido."));

    const QString auth = SoapEnvelope::element(QStringLiteral("Token"), m_ticket->token) +
                         SoapEnvelope::element(QStringLiteral("Sign"), m_ticket->sign) +
                         SoapEnvelope::element(QStringLiteral("Cuit"), QString::number(std::llround(m_cuitEmisor)));
    const QString inner = QStringLiteral("<%1:Auth>%2</%1:Auth>").arg(QLatin1String(SoapEnvelope::Prefix), auth) +
                          SoapEnvelope::element(QStringLiteral("PtoVta"), QString::number(ptoVta)) +
                          SoapEnvelope::element(QStringLiteral("CbteTipo"), QString::number(cbteTipo));
    const QString operation = QStringLiteral("FECompUltimoAutorizado");
    const SoapReply reply = SoapTransport::post(url, (WsfeNamespace + operation).toUtf8(),
                                                SoapEnvelope::build(WsfeNamespace, operation, inner));
    const XmlFields answer(reply.body);
    QString failure = failureOf(reply, answer, Invoicing);
    if (failure.isEmpty()) {
        QStringList errors;
        for (const ServiceError& e : errorsOf(answer))
            errors.append(QStringLiteral("Error %1: %2").arg(e.code, e.message));
        failure = errors.join(QLatin1Char('\n'));
    }
    if (!failure.isEmpty()) {
        if (refusesTheTicketsDates(answer))
            failure += QLatin1Char('\n') + dropTicket();
        return fail(failure);
    }
    bool isNumber = false;
    const double last = answer.value(QStringLiteral("FECompUltimoAutorizadoResult/CbteNro")).toDouble(&isNumber);
    if (!isNumber)
        return fail(QStringLiteral("El servicio de facturación electrónica no informó el número del último "
                                   "comprobante."));
    numero = last;
    return true;
}
