#include "platform/ado/OdbcResultReader.h"

#include "platform/ado/DataTypes.h"
#include "platform/ado/OdbcText.h"
#include "platform/vb/Error.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <optional>

namespace ado {
namespace {

// Characters of a bound text buffer: the declared size when it is moderate (an engine may still hold
// longer texts), at least room for a date's text, and a cap for long-text columns that are read again.
qsizetype textCapacity(SQLULEN columnSize)
{
    return static_cast<qsizetype>(std::clamp<SQLULEN>(columnSize, 255, 4000));
}

bool truncated(SQLLEN indicator, const std::vector<SQLWCHAR>& buffer)
{
    return indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>((buffer.size() - 1) * sizeof(SQLWCHAR));
}

std::optional<QString> readText(const OdbcHandle& stmt, SQLUSMALLINT column)
{
    QString value;
    SQLWCHAR buffer[512];
    for (;;) {
        SQLLEN indicator = 0;
        Diagnostics chunked; // 01004 "data truncated" is how long values arrive piece by piece
        const SQLRETURN rc =
            stmt.check(SQLGetData(stmt.get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator), chunked);
        if (rc == SQL_NO_DATA)
            break;
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        const qsizetype capacity = static_cast<qsizetype>(sizeof buffer / sizeof(SQLWCHAR)) - 1;
        const qsizetype got = indicator == SQL_NO_TOTAL || indicator / 2 > capacity ? capacity : indicator / 2;
        value.append(QStringView(reinterpret_cast<const char16_t*>(buffer), got));
        if (rc == SQL_SUCCESS)
            break;
    }
    return value;
}

// The number written in `count` digits from `from`; -1 when one of them is no digit.
int digitsAt(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The fraction of a second written as "." and digits at `from`, in microseconds (later digits cut off);
// 0 when there is none.
qint64 microsecondsAt(QStringView text, qsizetype from)
{
    if (from >= text.size() || text[from] != u'.')
        return 0;
    qint64 micro = 0;
    int places = 0;
    for (qsizetype i = from + 1; i < text.size() && places < 6 && text[i] >= u'0' && text[i] <= u'9'; ++i, ++places)
        micro = micro * 10 + (text[i].unicode() - u'0');
    for (; places < 6; ++places)
        micro *= 10;
    return micro;
}

// Whether a day exists in the calendar QDate follows: the Gregorian one, also before its adoption.
bool isCalendarDay(int year, int month, int day)
{
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year <= 0 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The Julian day number of a day of year 1 or later.
qint64 julianDay(int year, int month, int day)
{
    const int beforeMarch = (14 - month) / 12;
    const qint64 y = year + 4800 - beforeMarch;
    const int m = month + 12 * beforeMarch - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

// The forms drivers give dates in, "yyyy-MM-dd" alone or followed by " HH:mm:ss" and anything, read
// digit by digit: Qt's format parsers cost more than the whole fetch of the row. False for other forms.
// The result goes out through `date` rather than an optional: this runs for every date cell, and the
// optional's copies between the callers stalled on its flag byte.
bool canonicalTimestamp(QStringView text, vb::Date& date)
{
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return false;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (!isCalendarDay(year, month, day))
        return false;
    const QDate calendarDay = QDate::fromJulianDay(julianDay(year, month, day));
    if (text.size() == 10) {
        date = vb::Date::fromDateAndSeconds(calendarDay, 0);
        return true;
    }
    if (text.size() < 19 || text[10] != u' ' || text[13] != u':' || text[16] != u':')
        return false;
    const int hours = digitsAt(text, 11, 2);
    const int minutes = digitsAt(text, 14, 2);
    const int seconds = digitsAt(text, 17, 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return false;
    const int wholeSeconds = hours * 3600 + minutes * 60 + seconds;
    const qint64 micro = microsecondsAt(text, 19);
    date = micro == 0 ? vb::Date::fromDateAndSeconds(calendarDay, wholeSeconds)
                      : vb::Date::fromDateAndMicroseconds(calendarDay, wholeSeconds * 1'000'000LL + micro);
    return true;
}

// A date's text as a Date: its date and time when it has them, its date alone when only that part reads;
// false when it is no date (the text itself is then the value). No time zone takes part: a stored date
// and time is the same wherever the program runs, also at an hour that the local clock skips.
bool dateFromText(QStringView text, vb::Date& date)
{
    if (canonicalTimestamp(text, date))
        return true;
    const QDate calendarDay = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!calendarDay.isValid())
        return false;
    const QTime time = text.size() >= 19 && text[10] == u' '
                           ? QTime::fromString(text.sliced(11, 8), QStringLiteral("HH:mm:ss"))
                           : QTime();
    date = vb::Date::fromDateAndSeconds(calendarDay, time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0);
    return true;
}

// A decimal column's text as ADO hands it out, a Decimal with every digit; a value beyond what a Decimal
// holds (or a NaN) keeps the nearest double, text that is no number stays text.
void storeExact(Rows::Writer& row, size_t column, QStringView text)
{
    try {
        return row.setDecimal(column, vb::Decimal::parse(text));
    } catch (const vb::Error&) {
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (ok)
        return row.setDouble(column, value);
    row.setText(column, text);
}

void storeText(Rows::Writer& row, size_t column, QStringView text, bool date)
{
    vb::Date value;
    if (date && dateFromText(text, value))
        return row.setDate(column, value);
    row.setText(column, text);
}

// Warnings that only say a value did not fit its bound buffer (it is then read again in full) or lost a
// fraction on the way to an integer (as SQLGetData does, unreported, when nothing is bound).
bool bufferNotice(const Diagnostic& d)
{
    return d.sqlState == QLatin1String("01004") || d.sqlState == QLatin1String("01S07");
}

} // namespace

OdbcResultReader::OdbcResultReader(const OdbcHandle& stmt, bool bindColumns, Diagnostics& warnings)
    : m_stmt(stmt), m_bindColumns(bindColumns), m_warnings(warnings)
{}

OdbcResultReader::~OdbcResultReader()
{
    // The driver must not keep addresses of buffers that go with this reader.
    if (m_bindColumns && !m_cells.empty())
        SQLFreeStmt(m_stmt.get(), SQL_UNBIND);
}

OdbcResultReader::Reading OdbcResultReader::readingFor(int adoType)
{
    switch (adoType) {
    case adSmallInt:
    case adInteger:
    case adBigInt:
    case adUnsignedTinyInt:
        return Reading::Integer;
    case adSingle:
    case adDouble:
        return Reading::Real;
    case adNumeric:
        return Reading::Exact;
    case adBoolean:
        return Reading::Boolean;
    case adDBDate:
    case adDBTimeStamp:
        return Reading::Timestamp;
    default:
        return Reading::Text;
    }
}

ResultSet OdbcResultReader::read()
{
    ResultSet result;
    SQLSMALLINT count = 0;
    m_stmt.check(SQLNumResultCols(m_stmt.get(), &count), m_warnings);
    if (count == 0) {
        SQLLEN affected = -1;
        m_stmt.check(SQLRowCount(m_stmt.get(), &affected), m_warnings);
        result.rowsAffected = static_cast<long>(affected);
        return result;
    }
    m_cells.resize(static_cast<size_t>(count));
    describe(result);
    while (fetch()) {
        Rows::Writer row = result.rows.appendRow(m_cells.size());
        for (SQLUSMALLINT i = 1; i <= m_cells.size(); ++i) {
            if (m_bindColumns)
                storeBound(row, i);
            else
                storeFetched(row, i);
        }
    }
    return result;
}

void OdbcResultReader::describe(ResultSet& result)
{
    std::vector<SQLULEN> sizes;
    for (SQLUSMALLINT i = 1; i <= m_cells.size(); ++i) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        m_stmt.check(SQLDescribeColW(m_stmt.get(), i, name, 256, &nameLength, &sqlType, &size, &digits, &nullable),
                     m_warnings);
        const int type = adoTypeFromSql(sqlType);
        result.columns.push_back({fromOdbc(name, std::min<qsizetype>(nameLength, 255)), type,
                                  definedSizeFor(type, static_cast<long>(size))});
        m_cells[i - 1].reading = readingFor(type);
        sizes.push_back(size);
    }
    if (m_bindColumns)
        bind(sizes);
}

void OdbcResultReader::bind(const std::vector<SQLULEN>& columnSizes)
{
    Diagnostics ignored;
    for (SQLUSMALLINT i = 1; i <= m_cells.size(); ++i) {
        Cell& cell = m_cells[i - 1];
        switch (cell.reading) {
        case Reading::Integer:
        case Reading::Boolean:
            m_stmt.check(SQLBindCol(m_stmt.get(), i, SQL_C_SBIGINT, &cell.integer, 0, &cell.indicator), ignored);
            break;
        case Reading::Real:
            m_stmt.check(SQLBindCol(m_stmt.get(), i, SQL_C_DOUBLE, &cell.real, 0, &cell.indicator), ignored);
            break;
        case Reading::Text:
            cell.text.resize(static_cast<size_t>(textCapacity(columnSizes[i - 1])) + 1);
            m_stmt.check(SQLBindCol(m_stmt.get(), i, SQL_C_WCHAR, cell.text.data(),
                                    static_cast<SQLLEN>(cell.text.size() * sizeof(SQLWCHAR)), &cell.indicator),
                         ignored);
            break;
        case Reading::Timestamp:
        case Reading::Exact:
            cell.bytes.resize(static_cast<size_t>(textCapacity(columnSizes[i - 1])) + 1);
            m_wide.resize(std::max(m_wide.size(), cell.bytes.size()));
            m_stmt.check(SQLBindCol(m_stmt.get(), i, SQL_C_CHAR, cell.bytes.data(),
                                    static_cast<SQLLEN>(cell.bytes.size()), &cell.indicator),
                         ignored);
            break;
        }
    }
}

bool OdbcResultReader::fetch()
{
    const SQLRETURN rc = SQLFetch(m_stmt.get());
    if (rc != SQL_SUCCESS_WITH_INFO || !m_bindColumns)
        return m_stmt.check(rc, m_warnings) != SQL_NO_DATA;
    Diagnostics records;
    m_stmt.check(rc, records);
    std::copy_if(records.begin(), records.end(), std::back_inserter(m_warnings),
                 [](const Diagnostic& d) { return !bufferNotice(d); });
    return true;
}

void OdbcResultReader::storeBound(Rows::Writer& row, SQLUSMALLINT column)
{
    const Cell& cell = m_cells[column - 1];
    const size_t at = column - 1;
    if (cell.indicator == SQL_NULL_DATA)
        return row.setNull(at);
    switch (cell.reading) {
    case Reading::Integer:
        return row.setLong(at, static_cast<long long>(cell.integer));
    case Reading::Boolean:
        return row.setBoolean(at, cell.integer != 0);
    case Reading::Real:
        return row.setDouble(at, static_cast<double>(cell.real));
    case Reading::Timestamp:
    case Reading::Exact:
        return storeNarrow(row, column);
    case Reading::Text:
        break;
    }
    if (truncated(cell.indicator, cell.text))
        return storeFetched(row, column);
    const QStringView text(reinterpret_cast<const char16_t*>(cell.text.data()),
                           static_cast<qsizetype>(cell.indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR))));
    storeText(row, at, text, false);
}

// A number's or a date's narrow text, widened as it is: its characters are ASCII. Anything else (a text kept
// in such a column), and a text longer than its buffer, is read again as wide text.
void OdbcResultReader::storeNarrow(Rows::Writer& row, SQLUSMALLINT column)
{
    const Cell& cell = m_cells[column - 1];
    if (cell.indicator == SQL_NO_TOTAL || cell.indicator >= static_cast<SQLLEN>(cell.bytes.size()))
        return storeFetched(row, column);
    const auto length = static_cast<size_t>(cell.indicator);
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(cell.bytes[i]);
        if (c >= 0x80)
            return storeFetched(row, column);
        m_wide[i] = c;
    }
    const QStringView text(m_wide.data(), static_cast<qsizetype>(length));
    if (cell.reading == Reading::Exact)
        return storeExact(row, column - 1, text);
    storeText(row, column - 1, text, true);
}

void OdbcResultReader::storeFetched(Rows::Writer& row, SQLUSMALLINT column)
{
    const Reading reading = m_cells[column - 1].reading;
    const size_t at = column - 1;
    Diagnostics ignored;
    SQLLEN indicator = 0;
    switch (reading) {
    case Reading::Integer:
    case Reading::Boolean: {
        SQLBIGINT v = 0;
        m_stmt.check(SQLGetData(m_stmt.get(), column, SQL_C_SBIGINT, &v, 0, &indicator), ignored);
        if (indicator == SQL_NULL_DATA)
            return row.setNull(at);
        if (reading == Reading::Boolean)
            return row.setBoolean(at, v != 0);
        return row.setLong(at, static_cast<long long>(v));
    }
    case Reading::Real: {
        SQLDOUBLE v = 0;
        m_stmt.check(SQLGetData(m_stmt.get(), column, SQL_C_DOUBLE, &v, 0, &indicator), ignored);
        if (indicator == SQL_NULL_DATA)
            return row.setNull(at);
        return row.setDouble(at, static_cast<double>(v));
    }
    case Reading::Text:
    case Reading::Timestamp:
    case Reading::Exact:
        break;
    }
    const auto text = readText(m_stmt, column);
    if (!text)
        return row.setNull(at);
    if (reading == Reading::Exact)
        return storeExact(row, at, *text);
    storeText(row, at, *text, reading == Reading::Timestamp);
}

} // namespace ado
