// A value of the run-time's Variant type: Empty (never assigned) and Null (no data) are distinct
// from each other and from "".
#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"

#include <QString>
#include <variant>

namespace vb {

class Variant {
public:
    enum class Type { Empty, Null, Boolean, Long, Double, Currency, Date, String };

    Variant() = default;
    Variant(bool v) : m_value(v) {}
    Variant(int v) : m_value(static_cast<long long>(v)) {}
    Variant(long v) : m_value(static_cast<long long>(v)) {}
    Variant(long long v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(vb::Currency v) : m_value(v) {}
    Variant(vb::Date v) : m_value(v) {}
    Variant(const QString& v) : m_value(v) {}
    Variant(const char* v) : m_value(QString::fromUtf8(v)) {}
    static Variant Null();

    Type type() const;
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isNumeric() const;

    // Conversions as the run-time makes them; Null raises run-time error 94 ("Uso no válido de Null").
    QString toString() const;
    double toDouble() const;
    long long toLongLong() const;
    bool toBool() const;
    vb::Date toDate() const;

    bool operator==(const Variant& other) const { return m_value == other.m_value; }

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    std::variant<std::monostate, NullTag, bool, long long, double, vb::Currency, vb::Date, QString> m_value;
};

} // namespace vb
