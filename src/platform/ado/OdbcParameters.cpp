#include "platform/ado/OdbcParameters.h"

#include "platform/ado/DataTypes.h"
#include "platform/ado/OdbcText.h"

#include <QLocale>
#include <algorithm>

namespace ado {

enum class OdbcParameters::Kind { Text, Integer, Real, Exact, Boolean, Date, Time, Timestamp };

namespace {

using Kind = OdbcParameters::Kind;

struct ColumnType {
    int adoType;
    SQLSMALLINT sqlType;
    Kind kind;
};

constexpr ColumnType kColumnTypes[] = {
    {adChar, SQL_CHAR, Kind::Text},
    {adVarChar, SQL_VARCHAR, Kind::Text},
    {adLongVarChar, SQL_LONGVARCHAR, Kind::Text},
    {adWChar, SQL_WCHAR, Kind::Text},
    {adVarWChar, SQL_WVARCHAR, Kind::Text},
    {adLongVarWChar, SQL_WLONGVARCHAR, Kind::Text},
    {adGUID, SQL_GUID, Kind::Text},
    {adBinary, SQL_BINARY, Kind::Text},
    {adVarBinary, SQL_VARBINARY, Kind::Text},
    {adLongVarBinary, SQL_LONGVARBINARY, Kind::Text},
    {adSmallInt, SQL_SMALLINT, Kind::Integer},
    {adInteger, SQL_INTEGER, Kind::Integer},
    {adBigInt, SQL_BIGINT, Kind::Integer},
    {adUnsignedTinyInt, SQL_TINYINT, Kind::Integer},
    {adSingle, SQL_REAL, Kind::Real},
    {adDouble, SQL_DOUBLE, Kind::Real},
    {adNumeric, SQL_NUMERIC, Kind::Exact},
    {adCurrency, SQL_DECIMAL, Kind::Exact},
    {adBoolean, SQL_BIT, Kind::Boolean},
    {adDBDate, SQL_TYPE_DATE, Kind::Date},
    {adDBTime, SQL_TYPE_TIME, Kind::Time},
    {adDate, SQL_TYPE_TIMESTAMP, Kind::Timestamp},
    {adDBTimeStamp, SQL_TYPE_TIMESTAMP, Kind::Timestamp},
};

ColumnType columnType(int adoType)
{
    for (const ColumnType& t : kColumnTypes)
        if (t.adoType == adoType)
            return t;
    return {adoType, SQL_WVARCHAR, Kind::Text};
}

bool isNumber(Kind kind)
{
    return kind == Kind::Integer || kind == Kind::Real || kind == Kind::Exact;
}

// A number as text with a point and every digit it has, in plain notation: a decimal column takes it
// exactly, where a double would be rounded to the scale the driver guesses.
QString exactText(const vb::Variant& value)
{
    if (value.type() == vb::Variant::Type::Decimal)
        return value.toDecimal().toString(QLatin1Char('.'));
    if (value.type() == vb::Variant::Type::Long)
        return QString::number(value.toLongLong());
    return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
}

// The ODBC literal forms of a date, a time and a timestamp, from the calendar day and clock time alone.
// Every driver reads them, and the SQLite driver stores them as written, as the rows typed in by
// statements have them (from a timestamp structure it would store milliseconds that such rows never
// have); a fraction of a second is written only when the value has one.
QString dateText(const vb::Date& date, Kind kind)
{
    if (kind == Kind::Date)
        return date.date().toString(QStringLiteral("yyyy-MM-dd"));
    const QTime time = date.time();
    const QString clock = time.toString(time.msec() != 0 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
    if (kind == Kind::Time)
        return clock;
    return date.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + clock;
}

// Precision and scale of a number written by exactText.
std::pair<SQLULEN, SQLSMALLINT> digitsOf(const QString& number)
{
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    const qsizetype digits = std::count_if(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
    const qsizetype scale = point < 0 ? 0 : number.size() - point - 1;
    return {static_cast<SQLULEN>(std::max<qsizetype>(digits, 1)), static_cast<SQLSMALLINT>(scale)};
}

} // namespace

OdbcParameters::OdbcParameters(const std::vector<Parameter>& parameters)
{
    m_values.reserve(parameters.size());
    for (const Parameter& p : parameters)
        m_values.push_back(convert(p));
}

OdbcParameters::Value OdbcParameters::convert(const Parameter& parameter)
{
    const ColumnType column = columnType(parameter.adoType);
    Value v;
    v.sqlType = column.sqlType;
    assign(v, parameter.value, column.kind);
    describe(v, column.kind, parameter.definedSize);
    return v;
}

void OdbcParameters::assign(Value& v, const vb::Variant& x, Kind kind)
{
    auto asBit = [&](bool on) {
        v.cType = SQL_C_BIT;
        v.bit = on ? 1 : 0;
    };
    auto asInteger = [&](long long n) {
        v.cType = SQL_C_SBIGINT;
        v.integer = static_cast<SQLBIGINT>(n);
    };
    switch (x.type()) {
    case vb::Variant::Type::Empty:
    case vb::Variant::Type::Null:
        v.indicator = SQL_NULL_DATA;
        break;
    case vb::Variant::Type::Boolean:
        // True goes as 1, as SQL Server's bit has it, to number and text columns alike.
        if (kind == Kind::Boolean)
            asBit(x.toBool());
        else if (isNumber(kind))
            asInteger(x.toBool() ? 1 : 0);
        else
            v.text = x.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        break;
    case vb::Variant::Type::Long:
        if (kind == Kind::Boolean)
            asBit(x.toLongLong() != 0);
        else if (isNumber(kind))
            asInteger(x.toLongLong());
        else
            v.text = exactText(x);
        break;
    case vb::Variant::Type::Double:
    case vb::Variant::Type::Currency:
    case vb::Variant::Type::Decimal:
        if (kind == Kind::Boolean) {
            asBit(x.toDouble() != 0);
        } else if (kind == Kind::Real) {
            v.cType = SQL_C_DOUBLE;
            v.real = x.toDouble();
        } else {
            v.text = exactText(x);
        }
        break;
    case vb::Variant::Type::Date:
        v.text = dateText(x.toDate(), kind);
        break;
    case vb::Variant::Type::String:
    case vb::Variant::Type::Object:
        v.text = x.toString();
        break;
    }
    if (v.cType == SQL_C_WCHAR && v.indicator != SQL_NULL_DATA)
        v.indicator = static_cast<SQLLEN>(v.text.size() * sizeof(SQLWCHAR));
}

// A time or timestamp written by dateText: its whole seconds, and the milliseconds when it has them.
void OdbcParameters::describeClock(Value& v, SQLULEN wholeSeconds)
{
    const bool fraction = v.text.size() > static_cast<qsizetype>(wholeSeconds);
    v.columnSize = fraction ? wholeSeconds + 4 : wholeSeconds;
    v.decimalDigits = fraction ? 3 : 0;
}

// The column size and decimal digits the driver is told: what the value needs, within the column's own.
void OdbcParameters::describe(Value& v, Kind kind, long definedSize)
{
    switch (kind) {
    case Kind::Text:
        v.columnSize = static_cast<SQLULEN>(std::max<qsizetype>({definedSize, v.text.size(), qsizetype{1}}));
        break;
    case Kind::Exact:
        std::tie(v.columnSize, v.decimalDigits) =
            v.text.isEmpty() ? std::pair<SQLULEN, SQLSMALLINT>{19, 0} : digitsOf(v.text);
        break;
    case Kind::Integer:
    case Kind::Real:
        v.columnSize = 19;
        break;
    case Kind::Boolean:
        v.columnSize = 1;
        break;
    case Kind::Date:
        v.columnSize = 10;
        break;
    case Kind::Time:
    case Kind::Timestamp:
        describeClock(v, kind == Kind::Time ? 8 : 19);
        break;
    }
}

void OdbcParameters::bind(const OdbcHandle& stmt, Diagnostics& warnings)
{
    for (size_t i = 0; i < m_values.size(); ++i) {
        Value& v = m_values[i];
        SQLPOINTER data = nullptr;
        SQLLEN bufferLength = 0;
        switch (v.cType) {
        case SQL_C_BIT:
            data = &v.bit;
            break;
        case SQL_C_SBIGINT:
            data = &v.integer;
            break;
        case SQL_C_DOUBLE:
            data = &v.real;
            break;
        default:
            data = toOdbc(v.text);
            bufferLength = static_cast<SQLLEN>((v.text.size() + 1) * sizeof(SQLWCHAR));
            break;
        }
        stmt.check(SQLBindParameter(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, v.cType, v.sqlType,
                                    v.columnSize, v.decimalDigits, data, bufferLength, &v.indicator),
                   warnings);
    }
}

} // namespace ado
