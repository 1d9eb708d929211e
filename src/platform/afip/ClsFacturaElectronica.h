// The electronic-invoicing client: logs in to the tax authority's authentication service (WSAA) with the
// taxpayer's certificate and asks its invoicing service (WSFEv1) for the last authorised voucher.
#pragma once

#include "platform/afip/AccessTicket.h"

#include <QString>
#include <optional>

namespace afip {
struct SoapReply;
class XmlFields;
} // namespace afip

class ClsFacturaElectronica {
public:
    // True when a ticket for the invoicing service is at hand: a kept one still valid, or a new login.
    // Nothing is sent when the files cannot be read, the certificate is out of its validity period or the
    // key does not belong to it.
    bool Autenticar(const QString& rutaCrt, const QString& rutaKey, const QString& urlWsaa);
    // The text of the last failure, in Spanish, shown to the operator unchanged.
    QString UltimoError() const { return m_ultimoError; }

    void setUrlWsfe(const QString& url) { m_urlWsfe = url; }
    QString UrlWsfe() const { return m_urlWsfe; }
    void setCuitEmisor(double cuit) { m_cuitEmisor = cuit; }
    double CuitEmisor() const { return m_cuitEmisor; }

    // True when the service answered without errors; `numero` then holds the last authorised voucher number.
    bool UltimoComprobante(int ptoVta, int cbteTipo, double& numero);

    static constexpr const char* Servicio = "wsfe";

private:
    bool fail(const QString& message);
    // The answer's failure for the operator ("" when the call succeeded as far as the transport goes).
    static QString failureOf(const afip::SoapReply& reply, const afip::XmlFields& answer, const QString& service);
    bool readTicket(const afip::XmlFields& answer);
    // Drops the ticket in use, here and on disk; the sentence that tells the operator.
    QString dropTicket();

    QString m_ultimoError;
    QString m_urlWsfe;
    double m_cuitEmisor = 0;
    std::optional<afip::AccessTicket> m_ticket;
    // Where m_ticket is kept: the certificate's fingerprint and the authentication address.
    QString m_fingerprint;
    QString m_urlWsaa;
};
