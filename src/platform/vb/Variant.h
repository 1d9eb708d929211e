// A value of the run-time's Variant type: Empty (never assigned) and Null (no data) are distinct
// from each other and from "".
#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"
#include "platform/vb/Decimal.h"
#include "platform/vb/Object.h"

#include <QString>
#include <concepts>
#include <memory>
#include <variant>

namespace vb {

class Variant {
public:
    enum class Type { Empty, Null, Boolean, Long, Double, Currency, Date, String, Decimal, Object };

    Variant() = default;
    Variant(bool v) : m_value(v) {}
    Variant(int v) : m_value(static_cast<long long>(v)) {}
    Variant(long v) : m_value(static_cast<long long>(v)) {}
    Variant(long long v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(vb::Currency v) : m_value(v) {}
    Variant(vb::Date v) : m_value(v) {}
    Variant(const QString& v) : m_value(v) {}
    Variant(QString&& v) : m_value(std::move(v)) {}
    Variant(const char* v) : m_value(QString::fromUtf8(v)) {}
    Variant(vb::Decimal v) : m_value(v) {}
    // An object held by reference, as Set stores it.
    template <std::derived_from<vb::Object> T>
    Variant(std::shared_ptr<T> object) : m_value(std::shared_ptr<vb::Object>(std::move(object)))
    {}
    static Variant Null();

    // The alternatives of m_value are listed in the order of Type.
    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isNumeric() const;

    // Conversions as the run-time makes them; Null raises run-time error 94 ("Uso no válido de Null").
    QString toString() const&;
    // A held text is moved out rather than shared: `Fields(i).Value().toString()` then costs no copy.
    QString toString() &&;
    double toDouble() const;
    long long toLongLong() const;
    bool toBool() const;
    vb::Date toDate() const;
    // Through toDouble for values other than Decimal and Long, with its errors.
    vb::Decimal toDecimal() const;
    // The object held, or nullptr when the value is no object.
    std::shared_ptr<vb::Object> toObject() const;
    template <std::derived_from<vb::Object> T>
    std::shared_ptr<T> as() const
    {
        return std::dynamic_pointer_cast<T>(toObject());
    }

    bool operator==(const Variant& other) const { return m_value == other.m_value; }

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    std::variant<std::monostate, NullTag, bool, long long, double, vb::Currency, vb::Date, QString, vb::Decimal,
                 std::shared_ptr<vb::Object>>
        m_value;
};

} // namespace vb
