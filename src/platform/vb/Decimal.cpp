#include "platform/vb/Decimal.h"

#include "platform/vb/Error.h"

#include <algorithm>

namespace vb {
namespace {

constexpr int kMaxScale = 28;
// Digits kept while reading: 10^37 still fits in 128 bits with room for one more digit.
constexpr int kMaxDigits = 37;
constexpr int kExponentCap = 100000;

[[noreturn]] void mismatch()
{
    throw Error(13, QStringLiteral("No coinciden los tipos"));
}

[[noreturn]] void overflow()
{
    throw Error(6, QStringLiteral("Desbordamiento"));
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool Decimal::fits(Magnitude m)
{
    return (m >> 96) == 0;
}

Decimal Decimal::fromInt(long long value)
{
    Decimal d;
    d.m_negative = value < 0;
    d.m_magnitude = value < 0 ? static_cast<Magnitude>(-(value + 1)) + 1 : static_cast<Magnitude>(value);
    return d;
}

Decimal Decimal::parse(QStringView text)
{
    Decimal d;
    int i = 0;
    const int n = static_cast<int>(text.size());
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        d.m_negative = text[i++] == QLatin1Char('-');
    int digits = 0;
    int kept = 0;
    long long exponent = 0;
    bool point = false;
    for (; i < n && (isDigit(text[i]) || (text[i] == QLatin1Char('.') && !point)); ++i) {
        if (text[i] == QLatin1Char('.')) {
            point = true;
            continue;
        }
        ++digits;
        const unsigned digit = static_cast<unsigned>(text[i].unicode() - '0');
        if (kept == 0 && digit == 0) {
            exponent -= point ? 1 : 0; // leading zeros only place the decimal point
        } else if (kept < kMaxDigits) {
            d.m_magnitude = d.m_magnitude * 10 + digit;
            ++kept;
            exponent -= point ? 1 : 0;
        } else if (!point) {
            ++exponent; // a whole digit beyond those kept still counts as a power of ten
        }
    }
    if (digits == 0)
        mismatch();
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            negativeExponent = text[i++] == QLatin1Char('-');
        if (i == n)
            mismatch();
        long long value = 0;
        for (; i < n && isDigit(text[i]); ++i)
            value = std::min<long long>(value * 10 + (text[i].unicode() - '0'), kExponentCap);
        exponent += negativeExponent ? -value : value;
    }
    if (i != n)
        mismatch();
    if (d.m_magnitude == 0) {
        d.m_negative = false;
        return d;
    }
    for (; exponent > 0; --exponent) {
        d.m_magnitude *= 10;
        if (!fits(d.m_magnitude))
            overflow();
    }
    d.m_scale = static_cast<int>(std::min<long long>(-exponent, kMaxScale + kMaxDigits + 1));
    while (d.m_scale > kMaxScale || !fits(d.m_magnitude)) {
        if (d.m_scale == 0)
            overflow();
        d.roundOffOneDecimal();
    }
    if (d.m_magnitude == 0)
        d.m_negative = false;
    return d;
}

void Decimal::roundOffOneDecimal()
{
    const Magnitude rest = m_magnitude % 10;
    m_magnitude /= 10;
    if (rest > 5 || (rest == 5 && (m_magnitude & 1) != 0))
        ++m_magnitude;
    --m_scale;
}

double Decimal::toDouble() const
{
    // A whole number and a power of ten that doubles hold exactly give the nearest double in one division,
    // as reading the digits would; other values are read from their digits.
    constexpr int kExactPowers = 22;
    constexpr Magnitude kExactWhole = Magnitude{1} << 53;
    if (m_magnitude < kExactWhole && m_scale <= kExactPowers) {
        double power = 1;
        for (int i = 0; i < m_scale; ++i)
            power *= 10;
        const double value = static_cast<double>(m_magnitude) / power;
        return m_negative ? -value : value;
    }
    return toString(QLatin1Char('.')).toDouble();
}

QString Decimal::toString(QChar point) const
{
    Magnitude m = m_magnitude;
    QString digits;
    do {
        digits.prepend(QChar(static_cast<char16_t>(u'0' + static_cast<int>(m % 10))));
        m /= 10;
    } while (m != 0);
    if (digits.size() <= m_scale)
        digits.prepend(QString(m_scale - digits.size() + 1, QLatin1Char('0')));
    QString whole = digits.left(digits.size() - m_scale);
    QString decimals = digits.right(m_scale);
    while (decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    return (m_negative ? QStringLiteral("-") : QString()) + whole + (decimals.isEmpty() ? QString() : point + decimals);
}

bool Decimal::operator==(const Decimal& other) const
{
    return m_negative == other.m_negative && toString(QLatin1Char('.')) == other.toString(QLatin1Char('.'));
}

} // namespace vb
