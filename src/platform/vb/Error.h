// A run-time error as the procedures raise and catch it: number, description and source.
#pragma once

#include <QString>
#include <exception>

namespace vb {

class Error : public std::exception {
public:
    Error(long number, QString description, QString source = QStringLiteral("KEMB"))
        : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
          m_what(m_description.toUtf8())
    {
    }

    long Number() const { return m_number; }
    const QString& Description() const { return m_description; }
    const QString& Source() const { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    long m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

} // namespace vb
