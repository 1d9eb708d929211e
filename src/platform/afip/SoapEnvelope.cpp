#include "platform/afip/SoapEnvelope.h"

#include "platform/afip/XmlFields.h"

namespace afip {

QByteArray SoapEnvelope::build(const QString& ns, const QString& operation, const QString& innerXml)
{
    const QString prefix = QLatin1String(Prefix);
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                        "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                                        "xmlns:%1=\"%2\"><soapenv:Header/><soapenv:Body>"
                                        "<%1:%3>%4</%1:%3></soapenv:Body></soapenv:Envelope>")
                             .arg(prefix, ns.toHtmlEscaped(), operation, innerXml);
    return text.toUtf8();
}

QString SoapEnvelope::element(const QString& name, const QString& value)
{
    return QStringLiteral("<%1:%2>%3</%1:%2>").arg(QLatin1String(Prefix), name, value.toHtmlEscaped());
}

std::optional<SoapEnvelope::Fault> SoapEnvelope::fault(const XmlFields& answer)
{
    if (!answer.contains(QStringLiteral("Body/Fault")))
        return std::nullopt;
    QString code = answer.value(QStringLiteral("Fault/faultcode"));
    code = code.mid(code.lastIndexOf(QLatin1Char(':')) + 1);
    return Fault{code, answer.value(QStringLiteral("Fault/faultstring"))};
}

} // namespace afip
