// One provider error of a connection's Errors collection, as ADO exposes it.
#pragma once

#include <QString>

namespace ado {

class Error {
public:
    Error(long number, QString description, QString source, QString sqlState, long nativeError)
        : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
          m_sqlState(std::move(sqlState)), m_nativeError(nativeError)
    {
    }

    long Number() const { return m_number; }
    const QString& Description() const { return m_description; }
    const QString& Source() const { return m_source; }
    const QString& SQLState() const { return m_sqlState; }
    long NativeError() const { return m_nativeError; }

private:
    long m_number;
    QString m_description;
    QString m_source;
    QString m_sqlState;
    long m_nativeError;
};

} // namespace ado
