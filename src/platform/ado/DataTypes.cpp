#include "platform/ado/DataTypes.h"

#include "platform/vb/Error.h"

#include <cmath>
#include <limits>
#include <optional>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace ado {
namespace {

[[noreturn]] void overflow()
{
    throw vb::Error(6, QStringLiteral("Desbordamiento"));
}

struct Range {
    long long low;
    long long high;
};

std::optional<Range> integerRange(int adoType)
{
    switch (adoType) {
    case adSmallInt:
        return Range{-32768, 32767};
    case adInteger:
        return Range{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    case adBigInt:
        return Range{std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
    case adUnsignedTinyInt:
        return Range{0, 255};
    default:
        return std::nullopt;
    }
}

long long wholeOf(double value)
{
    double whole = std::floor(value);
    const double rest = value - whole; // exact: below 2^52 a double keeps its fraction, above it has none
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    constexpr double kBeyond = 9223372036854775808.0; // 2^63; NaN and infinities fail the test as well
    if (!(whole >= -kBeyond && whole < kBeyond))
        overflow();
    return static_cast<long long>(whole);
}

// Digit by digit, so that no decimal is lost to a double on the way.
long long wholeOf(const vb::Decimal& value)
{
    const QString text = value.toString(QLatin1Char('.'));
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QString digits = negative ? text.mid(1) : text;
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? digits : digits.left(point);
    const QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    unsigned long long magnitude = 0;
    for (const QChar c : whole) {
        const unsigned digit = static_cast<unsigned>(c.digitValue());
        if (magnitude > (std::numeric_limits<unsigned long long>::max() - digit) / 10)
            overflow();
        magnitude = magnitude * 10 + digit;
    }
    const bool half = fraction.startsWith(QLatin1Char('5'));
    const bool aboveHalf = fraction > QStringLiteral("5");
    if (aboveHalf || (half && !aboveHalf && magnitude % 2 == 1))
        ++magnitude;
    constexpr unsigned long long kLimit = 9223372036854775808ULL;
    if (magnitude > kLimit || (magnitude == kLimit && !negative))
        overflow();
    return negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
}

} // namespace

int adoTypeFromSql(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
        return adChar;
    case SQL_VARCHAR:
        return adVarChar;
    case SQL_LONGVARCHAR:
        return adLongVarChar;
    case SQL_WCHAR:
        return adWChar;
    case SQL_WVARCHAR:
        return adVarWChar;
    case SQL_WLONGVARCHAR:
        return adLongVarWChar;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return adNumeric;
    case SQL_SMALLINT:
        return adSmallInt;
    case SQL_INTEGER:
        return adInteger;
    case SQL_BIGINT:
        return adBigInt;
    case SQL_TINYINT:
        return adUnsignedTinyInt;
    case SQL_REAL:
        return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return adDouble;
    case SQL_BIT:
        return adBoolean;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return adDBTimeStamp;
    case SQL_BINARY:
        return adBinary;
    case SQL_VARBINARY:
        return adVarBinary;
    case SQL_LONGVARBINARY:
        return adLongVarBinary;
    case SQL_GUID:
        return adGUID;
    default:
        return adVarWChar;
    }
}

long definedSizeFor(int adoType, long columnSize)
{
    switch (adoType) {
    case adSmallInt:
    case adBoolean:
        return 2;
    case adInteger:
    case adSingle:
        return 4;
    case adBigInt:
    case adDouble:
    case adCurrency:
    case adDate:
        return 8;
    case adUnsignedTinyInt:
        return 1;
    case adNumeric:
        return 19;
    case adDBDate:
        return 6;
    case adDBTimeStamp:
        return 16;
    case adGUID:
        return 16;
    default:
        return columnSize;
    }
}

vb::Variant assignedTo(int adoType, const vb::Variant& value)
{
    const std::optional<Range> range = integerRange(adoType);
    if (!range)
        return value;
    long long whole = 0;
    switch (value.type()) {
    case vb::Variant::Type::Double:
    case vb::Variant::Type::Currency:
        whole = wholeOf(value.toDouble());
        break;
    case vb::Variant::Type::Decimal:
        whole = wholeOf(value.toDecimal());
        break;
    default:
        return value;
    }
    if (whole < range->low || whole > range->high)
        overflow();
    return whole;
}

} // namespace ado
