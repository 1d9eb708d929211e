// What a record set reads from a real engine, cell by cell: NULLs, texts of every length (short, at and
// past the usual buffer sizes, far beyond the declared size), dates with and without a time, decimals,
// integers and flags, an empty result, a wide row and many rows.
#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/Recordset.h"
#include "support/EngineConnection.h"
#include "support/ScopedTimeZone.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <ctime>
#include <gtest/gtest.h>

using kembtest::Engine;
using kembtest::TestDatabase;

namespace {

std::string describe(const vb::Variant& v)
{
    switch (v.type()) {
    case vb::Variant::Type::Empty:
        return "Empty";
    case vb::Variant::Type::Null:
        return "Null";
    case vb::Variant::Type::Boolean:
        return v.toBool() ? "Boolean True" : "Boolean False";
    case vb::Variant::Type::Long:
        return "Long " + std::to_string(v.toLongLong());
    case vb::Variant::Type::Double:
        return "Double " + QString::number(v.toDouble(), 'g', 17).toStdString();
    case vb::Variant::Type::Date:
        return "Date " + QString::number(v.toDate().serial(), 'g', 17).toStdString();
    case vb::Variant::Type::Decimal:
        return "Decimal " + v.toDecimal().toString(QLatin1Char('.')).toStdString();
    case vb::Variant::Type::String: {
        const QString text = v.toString();
        return "String of " + std::to_string(text.size()) + " \"" + text.left(40).toStdString() + "\"";
    }
    default:
        return "other";
    }
}

// The run-time's serial of a date and time of day.
vb::Variant dateOf(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
    const double time = (hh * 3600 + mm * 60 + ss) / 86400.0;
    return vb::Date(days < 0 ? days - time : days + time);
}

// A text of `length` characters that mixes letters outside Latin-1, an accented letter and a character
// beyond the 16-bit range (two UTF-16 units), so that a cut inside a pair would show.
QString longText(int length)
{
    const QString piece = QStringLiteral("ñandú-€-\U0001F600-");
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    if (text.size() > 0 && text.back().isHighSurrogate())
        text.back() = QLatin1Char('x');
    return text;
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// A text literal for an INSERT. The SQLite driver cannot pass a character beyond 16 bits inside a
// statement, so there the engine itself puts each one in place.
QString textLiteral(Engine engine, const QString& text)
{
    if (engine != Engine::SQLite)
        return quoted(text);
    const QString beyond = QStringLiteral("\U0001F600");
    const QString stand = QStringLiteral("¤");
    return QStringLiteral("replace(%1, '%2', char(%3))")
        .arg(quoted(QString(text).replace(beyond, stand)), stand)
        .arg(QChar::surrogateToUcs4(beyond[0], beyond[1]));
}

struct Case {
    std::string name;
    QString columnType;
    QString literal; // as written in an INSERT
    vb::Variant expected;
};

std::vector<Case> textCases(Engine engine, const QString& type, std::initializer_list<int> lengths)
{
    std::vector<Case> cases{{"NULL text", type, QStringLiteral("NULL"), vb::Variant::Null()},
                            {"empty text", type, QStringLiteral("''"), QString()}};
    for (const int length : lengths)
        cases.push_back(
            {"text of " + std::to_string(length), type, textLiteral(engine, longText(length)), longText(length)});
    return cases;
}

std::vector<Case> sqliteCases()
{
    std::vector<Case> cases = {
        {"date and time", "TIMESTAMP", "'2024-03-15 10:20:30'", dateOf(2024, 3, 15, 10, 20, 30)},
        {"date alone in a timestamp", "TIMESTAMP", "'2024-03-15'", dateOf(2024, 3, 15)},
        {"fraction of a second kept", "TIMESTAMP", "'2024-03-15 23:59:59.999'",
         vb::Date::fromDateAndMicroseconds(QDate(2024, 3, 15), 86'399'999'000)},
        {"time after a T is dropped", "TIMESTAMP", "'2024-03-15T10:20:30'", dateOf(2024, 3, 15)},
        {"time out of range is dropped", "TIMESTAMP", "'2024-03-15 24:00:00'", dateOf(2024, 3, 15)},
        {"time without seconds is dropped", "TIMESTAMP", "'2024-03-15 10:20'", dateOf(2024, 3, 15)},
        {"date before the zero date", "TIMESTAMP", "'1850-06-01 18:00:00'", dateOf(1850, 6, 1, 18)},
        {"the zero date", "TIMESTAMP", "'1899-12-30 06:00:00'", dateOf(1899, 12, 30, 6)},
        {"leap day of a century year", "DATETIME", "'2000-02-29 00:00:01'", dateOf(2000, 2, 29, 0, 0, 1)},
        {"leap day of an old century year", "TIMESTAMP", "'1600-02-29'", dateOf(1600, 2, 29)},
        {"no leap day in 1900", "TIMESTAMP", "'1900-02-29'", QStringLiteral("1900-02-29")},
        {"no leap day in 2100", "TIMESTAMP", "'2100-02-29 12:00:00'", QStringLiteral("2100-02-29 12:00:00")},
        {"leap day of 2024", "TIMESTAMP", "'2024-02-29 12:00:00'", dateOf(2024, 2, 29, 12)},
        {"last second of a year", "TIMESTAMP", "'2024-12-31 23:59:59'", dateOf(2024, 12, 31, 23, 59, 59)},
        {"no thirteenth month", "TIMESTAMP", "'2024-13-01'", QStringLiteral("2024-13-01")},
        {"no day zero", "TIMESTAMP", "'2024-01-00'", QStringLiteral("2024-01-00")},
        {"last day of the calendar", "TIMESTAMP", "'9999-12-31 23:59:59'", dateOf(9999, 12, 31, 23, 59, 59)},
        {"date column", "DATE", "'2024-03-15'", dateOf(2024, 3, 15)},
        {"impossible day stays text", "TIMESTAMP", "'2024-02-30 10:00:00'", QStringLiteral("2024-02-30 10:00:00")},
        {"fields without their zeros stay text", "TIMESTAMP", "'2024-3-5 1:02:03'", QStringLiteral("2024-3-5 1:02:03")},
        {"a leading space keeps it text", "TIMESTAMP", "' 2024-03-15 10:20:30'",
         QStringLiteral(" 2024-03-15 10:20:30")},
        {"first day of the era", "TIMESTAMP", "'0001-01-01 00:00:00'", dateOf(1, 1, 1)},
        {"words stay text", "TIMESTAMP", "'mañana'", QStringLiteral("mañana")},
        {"empty date stays text", "TIMESTAMP", "''", QString()},
        {"long text in a date column", "TIMESTAMP", textLiteral(Engine::SQLite, longText(300)), longText(300)},
        {"text beyond Latin-1 in a date column", "TIMESTAMP", textLiteral(Engine::SQLite, longText(40)), longText(40)},
        {"text as long as a date's buffer", "TIMESTAMP", quoted(QString(255, QLatin1Char('x'))),
         QString(255, QLatin1Char('x'))},
        {"text a character past a date's buffer", "TIMESTAMP", quoted(QString(256, QLatin1Char('x'))),
         QString(256, QLatin1Char('x'))},
        {"text in a date column, its bytes past the buffer", "TIMESTAMP", quoted(QString(200, QChar(u'ñ'))),
         QString(200, QChar(u'ñ'))},
        {"NULL date", "TIMESTAMP", "NULL", vb::Variant::Null()},
        {"decimal arrives as text", "DECIMAL(12,2)", "1234.56", QStringLiteral("1234.56")},
        {"negative decimal", "DECIMAL(12,2)", "-0.5", QStringLiteral("-0.5")},
        {"NULL decimal", "DECIMAL(12,2)", "NULL", vb::Variant::Null()},
        {"integer beyond a double", "INTEGER", "9007199254740993", 9007199254740993LL},
        {"negative integer", "INTEGER", "-5", -5LL},
        {"NULL integer", "INTEGER", "NULL", vb::Variant::Null()},
        {"small integer flag", "SMALLINT", "1", 1LL},
        {"bit set", "BIT", "1", true},
        {"bit clear", "BIT", "0", false},
        {"NULL bit", "BIT", "NULL", vb::Variant::Null()},
        {"double", "DOUBLE", "0.1", 0.1},
        {"huge double", "DOUBLE", "1e300", 1e300},
        {"declared size exceeded", "VARCHAR(10)", textLiteral(Engine::SQLite, longText(300)), longText(300)},
    };
    for (Case& c : textCases(Engine::SQLite, QStringLiteral("TEXT"),
                             {1, 40, 254, 255, 256, 511, 512, 513, 1024, 4000, 4001, 20000}))
        cases.push_back(std::move(c));
    return cases;
}

std::vector<Case> postgresCases()
{
    std::vector<Case> cases = {
        {"date and time", "TIMESTAMP", "'2024-03-15 10:20:30'", dateOf(2024, 3, 15, 10, 20, 30)},
        {"fraction of a second kept", "TIMESTAMP", "'2024-03-15 23:59:59.75'",
         vb::Date::fromDateAndMicroseconds(QDate(2024, 3, 15), 86'399'750'000)},
        {"midnight", "TIMESTAMP", "'2024-03-15 00:00:00'", dateOf(2024, 3, 15)},
        {"date before the zero date", "TIMESTAMP", "'1850-06-01 18:00:00'", dateOf(1850, 6, 1, 18)},
        {"date column", "DATE", "'2024-03-15'", dateOf(2024, 3, 15)},
        {"endless date is the last second", "TIMESTAMP", "'infinity'", dateOf(9999, 12, 31, 23, 59, 59)},
        {"NULL date", "DATE", "NULL", vb::Variant::Null()},
        {"decimal", "NUMERIC(12,2)", "1234.56", vb::Decimal::parse("1234.56")},
        {"negative decimal", "NUMERIC(12,2)", "-0.5", vb::Decimal::parse("-0.5")},
        {"decimal of many digits", "NUMERIC(30,10)", "12345678901234567890.0123456789",
         vb::Decimal::parse("12345678901234567890.0123456789")},
        {"NULL decimal", "NUMERIC(12,2)", "NULL", vb::Variant::Null()},
        {"decimal longer than its buffer", "NUMERIC",
         QStringLiteral("1") + QString(300, QLatin1Char('0')) + QLatin1Char('.') + QString(4000, QLatin1Char('0')),
         1e300},
        {"integer beyond a double", "BIGINT", "9007199254740993", 9007199254740993LL},
        {"negative integer", "INTEGER", "-5", -5LL},
        {"NULL integer", "INTEGER", "NULL", vb::Variant::Null()},
        {"small integer flag", "SMALLINT", "1", 1LL},
        {"true", "BOOLEAN", "TRUE", QStringLiteral("1")},
        {"false", "BOOLEAN", "FALSE", QStringLiteral("0")},
        {"NULL boolean", "BOOLEAN", "NULL", vb::Variant::Null()},
        {"double", "DOUBLE PRECISION", "0.1", 0.1},
        {"huge double", "DOUBLE PRECISION", "1e300", 1e300},
        {"real", "REAL", "1.5", 1.5},
        {"declared size met", "VARCHAR(40)", quoted(longText(40)), longText(40)},
        {"unbounded varchar", "VARCHAR", quoted(longText(3000)), longText(3000)},
    };
    for (Case& c : textCases(Engine::PostgreSQL, QStringLiteral("TEXT"),
                             {1, 40, 254, 255, 256, 511, 512, 513, 1024, 4000, 4001, 8190, 8191, 20000}))
        cases.push_back(std::move(c));
    return cases;
}

class RecordsetReading : public kembtest::EngineConnection {
protected:
    std::vector<Case> cases() const { return GetParam() == Engine::SQLite ? sqliteCases() : postgresCases(); }
};

// Each case in a table of its own, read alone and again beside the other cases' columns.
TEST_P(RecordsetReading, EveryKindOfValueArrivesAsStored)
{
    const std::vector<Case> all = cases();
    QStringList columns;
    QStringList values;
    for (size_t i = 0; i < all.size(); ++i) {
        const Case& c = all[i];
        const QString column = QStringLiteral("c%1").arg(i);
        columns << column + QLatin1Char(' ') + c.columnType;
        values << c.literal;
        cn->Execute(QStringLiteral("CREATE TABLE t%1 (id INTEGER, v %2)").arg(i).arg(c.columnType));
        cn->Execute(QStringLiteral("INSERT INTO t%1 VALUES (1, %2)").arg(i).arg(c.literal));
        ado::Recordset rs = cn->Execute(QStringLiteral("SELECT v FROM t%1").arg(i));
        ASSERT_FALSE(rs.Eof()) << c.name;
        const vb::Variant got = rs.Fields(0).Value();
        EXPECT_TRUE(got == c.expected) << c.name << ": got " << describe(got) << ", expected " << describe(c.expected);
        EXPECT_EQ(cn->Errors().Count(), 0) << c.name;
        if (c.expected.type() == vb::Variant::Type::String && c.expected.toString().isEmpty()) {
            EXPECT_FALSE(got.toString().isNull()) << c.name << ": an empty text is not a null string";
        }
    }
    cn->Execute(QStringLiteral("CREATE TABLE todas (%1)").arg(columns.join(QStringLiteral(", "))));
    cn->Execute(QStringLiteral("INSERT INTO todas VALUES (%1)").arg(values.join(QStringLiteral(", "))));
    cn->Execute(QStringLiteral("INSERT INTO todas VALUES (%1)").arg(values.join(QStringLiteral(", "))));
    ado::Recordset rs = cn->Execute(QStringLiteral("SELECT * FROM todas"));
    EXPECT_EQ(cn->Errors().Count(), 0);
    ASSERT_EQ(rs.FieldCount(), static_cast<int>(all.size()));
    ASSERT_EQ(rs.RecordCount(), 2);
    for (; !rs.Eof(); rs.MoveNext())
        for (size_t i = 0; i < all.size(); ++i) {
            const vb::Variant got = rs.Fields(static_cast<int>(i)).Value();
            EXPECT_TRUE(got == all[i].expected) << all[i].name << " beside the others: got " << describe(got)
                                                << ", expected " << describe(all[i].expected);
        }
}

TEST_P(RecordsetReading, AnEmptyResultStillDescribesItsColumns)
{
    cn->Execute("CREATE TABLE t (codigo INTEGER, nombre VARCHAR(30), fecha DATE, saldo DOUBLE PRECISION)");
    ado::Recordset rs = cn->Execute("SELECT codigo, nombre, fecha, saldo FROM t WHERE codigo = 1");
    ASSERT_EQ(rs.State(), 1);
    ASSERT_EQ(rs.FieldCount(), 4);
    EXPECT_EQ(rs.Fields(1).Name(), "nombre");
    EXPECT_EQ(rs.Fields(0).Type(), ado::adInteger);
    EXPECT_EQ(rs.Fields(1).DefinedSize(), 30);
    EXPECT_EQ(rs.Fields(2).Type(), ado::adDBDate);
    EXPECT_EQ(rs.Fields(3).Type(), ado::adDouble);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Bof());
    EXPECT_TRUE(rs.Eof());
}

// A row of many columns of every kind, some NULL, keeps each value in its own column.
TEST_P(RecordsetReading, AWideRowKeepsEveryColumnInPlace)
{
    constexpr int kColumns = 160;
    const QString types[] = {"INTEGER", "VARCHAR(20)", "DOUBLE PRECISION", "TIMESTAMP"};
    QStringList declared;
    QStringList values;
    std::vector<vb::Variant> expected;
    for (int i = 0; i < kColumns; ++i) {
        declared << QStringLiteral("c%1 %2").arg(i).arg(types[i % 4]);
        if (i % 9 == 8) {
            values << QStringLiteral("NULL");
            expected.push_back(vb::Variant::Null());
            continue;
        }
        switch (i % 4) {
        case 0:
            values << QString::number(i * 1000);
            expected.emplace_back(static_cast<long long>(i * 1000));
            break;
        case 1:
            values << QStringLiteral("'columna %1'").arg(i);
            expected.emplace_back(QStringLiteral("columna %1").arg(i));
            break;
        case 2:
            values << QString::number(i + 0.25);
            expected.emplace_back(i + 0.25);
            break;
        default:
            values << QStringLiteral("'2023-%1-%2 %3:15:00'")
                          .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                          .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                          .arg(i % 24, 2, 10, QLatin1Char('0'));
            expected.push_back(dateOf(2023, i % 12 + 1, i % 28 + 1, i % 24, 15));
        }
    }
    cn->Execute(QStringLiteral("CREATE TABLE ancha (%1)").arg(declared.join(QStringLiteral(", "))));
    cn->Execute(QStringLiteral("INSERT INTO ancha VALUES (%1)").arg(values.join(QStringLiteral(", "))));
    ado::Recordset rs = cn->Execute("SELECT * FROM ancha");
    ASSERT_EQ(rs.FieldCount(), kColumns);
    ASSERT_EQ(rs.RecordCount(), 1);
    for (int i = 0; i < kColumns; ++i) {
        const vb::Variant got = rs.Fields(i).Value();
        EXPECT_TRUE(got == expected[static_cast<size_t>(i)])
            << "column " << i << ": got " << describe(got) << ", expected "
            << describe(expected[static_cast<size_t>(i)]);
    }
}

// A stored date and time is the same wherever the program runs, also at an hour that the local clock
// skips when summer time starts (midnight of 19 October 2008 in Argentina, for one).
TEST_P(RecordsetReading, ADateReadsTheSameInEveryTimeZone)
{
    cn->Execute("CREATE TABLE t (id INTEGER, v TIMESTAMP)");
    cn->Execute("INSERT INTO t VALUES (1, '2008-10-19 00:30:00')");
    cn->Execute("INSERT INTO t VALUES (2, '2008-10-19 00:00:00')");
    cn->Execute("INSERT INTO t VALUES (3, '2018-11-04 00:15:00')");
    cn->Execute("INSERT INTO t VALUES (4, '2024-03-31 02:30:00')");
    cn->Execute("INSERT INTO t VALUES (5, '2024-07-01 12:00:00')");
    std::vector<vb::Variant> expected = {dateOf(2008, 10, 19, 0, 30), dateOf(2008, 10, 19), dateOf(2018, 11, 4, 0, 15),
                                         dateOf(2024, 3, 31, 2, 30), dateOf(2024, 7, 1, 12)};
    if (GetParam() == Engine::SQLite) {
        // A text in another form keeps its date alone, as on any other day.
        cn->Execute("INSERT INTO t VALUES (6, '2008-10-19T00:30:00')");
        expected.push_back(dateOf(2008, 10, 19));
    }
    for (const char* zone : {"UTC", "America/Argentina/Buenos_Aires", "America/Sao_Paulo", "Europe/Madrid"}) {
        const kembtest::ScopedTimeZone local(zone);
        ado::Recordset rs = cn->Execute("SELECT v FROM t ORDER BY id");
        for (size_t i = 0; i < expected.size(); ++i, rs.MoveNext())
            EXPECT_TRUE(rs.Fields(0).Value() == expected[i])
                << zone << ", row " << i + 1 << ": " << describe(rs.Fields(0).Value());
    }
}

// The i-th minute of 2020, written without any time zone.
QDateTime minuteOf(int i)
{
    return QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC).addSecs(i * 60LL);
}

// Many rows whose texts change length from row to row and whose values are sometimes NULL: no value of
// one row leaks into the next.
TEST_P(RecordsetReading, ManyRowsKeepTheirOwnValues)
{
    constexpr int kRows = 3000;
    cn->Execute("CREATE TABLE muchas (id INTEGER, texto VARCHAR(1000), fecha TIMESTAMP, importe DOUBLE PRECISION)");
    cn->BeginTrans();
    for (int i = 0; i < kRows; ++i) {
        const QString texto = i % 7 == 0 ? QStringLiteral("NULL") : textLiteral(GetParam(), longText(i % 700));
        const QString fecha =
            i % 5 == 0 ? QStringLiteral("NULL") : quoted(minuteOf(i).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        const QString importe = i % 3 == 0 ? QStringLiteral("NULL") : QString::number(i * 0.5);
        cn->Execute(QStringLiteral("INSERT INTO muchas VALUES (%1, %2, %3, %4)").arg(i).arg(texto, fecha, importe));
    }
    cn->CommitTrans();
    ado::Recordset rs = cn->Execute("SELECT id, texto, fecha, importe FROM muchas ORDER BY id");
    ASSERT_EQ(rs.RecordCount(), kRows);
    EXPECT_EQ(cn->Errors().Count(), 0);
    for (int i = 0; !rs.Eof(); rs.MoveNext(), ++i) {
        ASSERT_EQ(rs.Fields(0).Value().toLongLong(), i);
        const vb::Variant texto = i % 7 == 0 ? vb::Variant::Null() : vb::Variant(longText(i % 700));
        const QDateTime minute = minuteOf(i);
        const vb::Variant fecha = i % 5 == 0 ? vb::Variant::Null()
                                             : dateOf(minute.date().year(), minute.date().month(), minute.date().day(),
                                                      minute.time().hour(), minute.time().minute());
        const vb::Variant importe = i % 3 == 0 ? vb::Variant::Null() : vb::Variant(i * 0.5);
        EXPECT_TRUE(rs.Fields(1).Value() == texto) << "row " << i << ": " << describe(rs.Fields(1).Value());
        EXPECT_TRUE(rs.Fields(3).Value() == importe) << "row " << i << ": " << describe(rs.Fields(3).Value());
        EXPECT_TRUE(rs.Fields(2).Value() == fecha) << "row " << i << ": " << describe(rs.Fields(2).Value());
    }
}

// Values given to fields before Update read back as given, and CancelUpdate brings back the ones read.
TEST_P(RecordsetReading, EditedValuesReadBackAsGivenUntilCancelled)
{
    cn->Execute("CREATE TABLE t (id INTEGER, nombre VARCHAR(40), fecha TIMESTAMP, importe DOUBLE PRECISION)");
    cn->Execute("INSERT INTO t VALUES (1, 'Ana', '2024-03-15 10:20:30', 1.5)");
    ado::Recordset rs;
    rs.Open("SELECT id, nombre, fecha, importe FROM t", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    const std::vector<vb::Variant> read = {1LL, QStringLiteral("Ana"), dateOf(2024, 3, 15, 10, 20, 30), 1.5};
    const std::vector<vb::Variant> given = {9007199254740993LL, QString(5000, QLatin1Char('z')), vb::Variant::Null(),
                                            vb::Decimal::parse(QStringLiteral("12345678901234567890.5"))};
    for (int i = 0; i < 4; ++i)
        rs.Fields(i).setValue(given[static_cast<size_t>(i)]);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(rs.Fields(i).Value() == given[static_cast<size_t>(i)]) << "field " << i;
    rs.CancelUpdate();
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(rs.Fields(i).Value() == read[static_cast<size_t>(i)])
            << "field " << i << ": " << describe(rs.Fields(i).Value());
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordsetReading, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

} // namespace
