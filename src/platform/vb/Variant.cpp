#include "platform/vb/Variant.h"

#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <optional>
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

[[noreturn]] void overflow()
{
    throw Error(6, QStringLiteral("Desbordamiento"));
}

long long roundedToLongLong(double value)
{
    const double whole = std::round(value);
    // 2^63 itself no longer fits; NaN fails the test as well.
    constexpr double kLimite = 9223372036854775808.0;
    if (!(whole >= -kLimite && whole < kLimite))
        overflow();
    return static_cast<long long>(whole);
}

bool isAsciiDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A whole number written in digits, read without a double in between (which keeps only 53 bits); nothing
// when the text holds a fraction or no number. Digits beyond 64 bits overflow.
std::optional<long long> wholeNumber(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const long long whole = locale.toLongLong(text, &ok);
    if (ok)
        return whole;
    const bool withSign = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
    if (isAsciiDigits(QStringView(text).sliced(withSign ? 1 : 0)))
        overflow();
    return std::nullopt;
}

// To the nearest whole, half away from zero as for every other value, counted in ten-thousandths so that
// no digit is lost on the way.
long long wholeCurrency(vb::Currency value)
{
    const std::int64_t units = value.raw() / 10000;
    const std::int64_t rest = value.raw() % 10000;
    return units + (rest >= 5000 ? 1 : rest <= -5000 ? -1 : 0);
}

// The text split after the words a date written in `dateFormat` takes: the date and what follows it.
std::pair<QString, QString> splitAfterDate(const QString& text, const QString& dateFormat)
{
    qsizetype at = -1;
    for (qsizetype words = dateFormat.count(QLatin1Char(' ')) + 1; words > 0; --words) {
        at = text.indexOf(QLatin1Char(' '), at + 1);
        if (at < 0)
            return {text, QString()};
    }
    return {text.left(at), text.mid(at + 1).trimmed()};
}

// A calendar day in CStr's form (four-digit year) or the locale's short form, typed by hand.
QDate dayFromText(const QString& text, const QLocale& locale)
{
    const QDate completa = locale.toDate(text, dateTextFormat());
    if (completa.isValid())
        return completa;
    const QString corto = locale.dateFormat(QLocale::ShortFormat);
    const QDate dia = locale.toDate(text, corto);
    // Qt reads a two-digit year as 19yy; the run-time reads 00-29 as 2000-2029 and 30-99 as 1930-1999.
    if (dia.isValid() && !corto.contains(QStringLiteral("yyyy")) && dia.year() < 1930)
        return dia.addYears(100);
    return dia;
}

QTime clockFromText(const QString& text, const QLocale& locale)
{
    const QTime conSegundos = locale.toTime(text, timeTextFormat());
    return conSegundos.isValid() ? conSegundos : locale.toTime(text, locale.timeFormat(QLocale::ShortFormat));
}

// A date, a date and a time, or a time alone as CStr writes them or the locale's short forms have them,
// read as calendar day and clock time: no local date and time is made, which would not exist (or would
// move) at an hour the local clock skips.
std::optional<vb::Date> dateFromText(const QString& text)
{
    const QLocale locale;
    const auto [dayText, clockText] = splitAfterDate(text, dateTextFormat());
    const QDate day = dayFromText(dayText, locale);
    if (!day.isValid()) {
        const QTime alone = clockFromText(text, locale);
        if (!alone.isValid())
            return std::nullopt;
        return vb::Date::fromDateAndSeconds(vb::Date().date(), alone.msecsSinceStartOfDay() / 1000);
    }
    const QTime clock = clockText.isEmpty() ? QTime(0, 0) : clockFromText(clockText, locale);
    if (!clock.isValid())
        return std::nullopt;
    return vb::Date::fromDateAndSeconds(day, clock.msecsSinceStartOfDay() / 1000);
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
    switch (type()) {
    case Type::Long:
        return std::get<long long>(m_value);
    case Type::Currency:
        return wholeCurrency(std::get<vb::Currency>(m_value));
    case Type::String:
        if (const auto whole = wholeNumber(std::get<QString>(m_value).trimmed(), QLocale()))
            return *whole;
        break;
    case Type::Decimal:
        if (const auto whole = wholeNumber(std::get<vb::Decimal>(m_value).toString(QLatin1Char('.')), QLocale::c()))
            return *whole;
        break;
    default:
        break;
    }
    return roundedToLongLong(toDouble());
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
        if (const auto fecha = dateFromText(std::get<QString>(m_value).trimmed()))
            return *fecha;
        throw Error(13, QStringLiteral("No coinciden los tipos"));
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
