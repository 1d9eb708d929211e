#include "platform/vb/Variant.h"

#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"

#include <cmath>
#include <utility>

namespace vb {
namespace {

[[noreturn]] void invalidNull()
{
    throw Error(94, QStringLiteral("Uso no válido de Null"));
}

[[noreturn]] void noDefaultValue()
{
    throw Error(438, QStringLiteral("El objeto no admite esta propiedad o método"));
}

} // namespace

Variant Variant::Null()
{
    Variant v;
    v.m_value = NullTag{};
    return v;
}

bool Variant::isNumeric() const
{
    switch (type()) {
    case Type::Boolean:
    case Type::Long:
    case Type::Double:
    case Type::Currency:
    case Type::Decimal:
        return true;
    case Type::String: {
        bool ok = false;
        QLocale().toDouble(std::get<QString>(m_value).trimmed(), &ok);
        return ok;
    }
    default:
        return false;
    }
}

QString Variant::toString() &&
{
    if (auto* text = std::get_if<QString>(&m_value))
        return std::move(*text);
    return std::as_const(*this).toString();
}

QString Variant::toString() const&
{
    switch (type()) {
    case Type::Empty:
        return QString();
    case Type::Null:
        invalidNull();
    case Type::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("Verdadero") : QStringLiteral("Falso");
    case Type::Long:
        return QString::number(std::get<long long>(m_value));
    case Type::Double:
        return CStr(std::get<double>(m_value));
    case Type::Currency:
        return CStr(std::get<vb::Currency>(m_value).toDouble());
    case Type::Date:
        return CStr(std::get<vb::Date>(m_value));
    case Type::String:
        return std::get<QString>(m_value);
    case Type::Decimal:
        return std::get<vb::Decimal>(m_value).toString(QLocale().decimalPoint().at(0));
    case Type::Object:
        noDefaultValue();
    }
    return QString();
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Empty:
        return 0.0;
    case Type::Null:
        invalidNull();
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1.0 : 0.0;
    case Type::Long:
        return static_cast<double>(std::get<long long>(m_value));
    case Type::Double:
        return std::get<double>(m_value);
    case Type::Currency:
        return std::get<vb::Currency>(m_value).toDouble();
    case Type::Date:
        return std::get<vb::Date>(m_value).serial();
    case Type::String: {
        bool ok = false;
        const double d = QLocale().toDouble(std::get<QString>(m_value).trimmed(), &ok);
        if (!ok)
            throw Error(13, QStringLiteral("No coinciden los tipos"));
        return d;
    }
    case Type::Decimal:
        return std::get<vb::Decimal>(m_value).toDouble();
    case Type::Object:
        noDefaultValue();
    }
    return 0.0;
}

long long Variant::toLongLong() const
{
    const double whole = std::round(toDouble());
    // 2^63 itself no longer fits; NaN fails the test as well.
    constexpr double kLimite = 9223372036854775808.0;
    if (!(whole >= -kLimite && whole < kLimite))
        throw Error(6, QStringLiteral("Desbordamiento"));
    return static_cast<long long>(whole);
}

bool Variant::toBool() const
{
    if (type() == Type::Boolean)
        return std::get<bool>(m_value);
    return toDouble() != 0.0;
}

vb::Date Variant::toDate() const
{
    if (type() == Type::Date)
        return std::get<vb::Date>(m_value);
    if (type() == Type::String) {
        const QString texto = std::get<QString>(m_value).trimmed();
        const QLocale locale;
        // CStr's own forms (four-digit year) first, then the locale's short forms, typed by hand.
        const QString conHora = dateTextFormat() + QLatin1Char(' ');
        for (const QString& formato :
             {conHora + timeTextFormat(), conHora + locale.timeFormat(QLocale::ShortFormat), dateTextFormat()}) {
            const QDateTime dt = locale.toDateTime(texto, formato);
            if (dt.isValid())
                return vb::Date::fromDateTime(dt);
        }
        QDateTime dt = locale.toDateTime(texto, QLocale::ShortFormat);
        if (!dt.isValid())
            dt = QDateTime(locale.toDate(texto, QLocale::ShortFormat), QTime(0, 0));
        if (!dt.isValid())
            throw Error(13, QStringLiteral("No coinciden los tipos"));
        // Qt reads a two-digit year as 19yy; the run-time reads 00-29 as 2000-2029 and 30-99 as 1930-1999.
        if (!locale.dateFormat(QLocale::ShortFormat).contains(QStringLiteral("yyyy")) && dt.date().year() < 1930)
            dt = dt.addYears(100);
        return vb::Date::fromDateTime(dt);
    }
    return vb::Date(toDouble());
}

vb::Decimal Variant::toDecimal() const
{
    switch (type()) {
    case Type::Decimal:
        return std::get<vb::Decimal>(m_value);
    case Type::Long:
        return vb::Decimal::fromInt(std::get<long long>(m_value));
    default:
        return vb::Decimal::parse(QString::number(toDouble(), 'g', 15));
    }
}

std::shared_ptr<vb::Object> Variant::toObject() const
{
    const auto* object = std::get_if<std::shared_ptr<vb::Object>>(&m_value);
    return object ? *object : nullptr;
}

} // namespace vb
