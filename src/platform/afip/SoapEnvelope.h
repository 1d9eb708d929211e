// SOAP 1.1 envelopes: the request body both services expect and the fault they answer with.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace afip {

class XmlFields;

class SoapEnvelope {
public:
    // An envelope whose body holds `<prefix:operation xmlns:prefix="ns">innerXml</prefix:operation>`.
    static QByteArray build(const QString& ns, const QString& operation, const QString& innerXml);
    // `<prefix:name>value</prefix:name>` with the value escaped, for the inner XML of build().
    static QString element(const QString& name, const QString& value);

    struct Fault {
        QString code;
        QString text;
    };
    // The fault of an answer, its code without the namespace prefix ("coe.alreadyAuthenticated").
    static std::optional<Fault> fault(const XmlFields& answer);

    static constexpr const char* Prefix = "ns";
};

} // namespace afip
