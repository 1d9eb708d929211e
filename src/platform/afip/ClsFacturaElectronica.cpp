#include "platform/afip/ClsFacturaElectronica.h"

#include "platform/afip/CmsSigner.h"
#include "platform/afip/LoginTicketRequest.h"
#include "platform/afip/SoapEnvelope.h"
#include "platform/afip/SoapTransport.h"
#include "platform/afip/TicketStore.h"
#include "platform/afip/XmlFields.h"

#include <QStringList>
#include <QUrl>
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
    const QString failure = failureOf(reply, answer, Invoicing);
    if (!failure.isEmpty())
        return fail(failure);

    QStringList errors;
    QString code;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        if (answer.pathEndsWith(i, u"Errors/Err/Code"))
            code = answer.text(i);
        else if (answer.pathEndsWith(i, u"Errors/Err/Msg"))
            errors.append(QStringLiteral("Error %1: %2").arg(code, answer.text(i)));
    }
    if (!errors.isEmpty())
        return fail(errors.join(QLatin1Char('\n')));
    bool isNumber = false;
    const double last = answer.value(QStringLiteral("FECompUltimoAutorizadoResult/CbteNro")).toDouble(&isNumber);
    if (!isNumber)
        return fail(QStringLiteral("El servicio de facturación electrónica no informó el número del último "
                                   "comprobante."));
    numero = last;
    return true;
}
