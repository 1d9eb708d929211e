// Values a record set reads keep everything the engine stored: every digit of a decimal, the fraction of a
// second of a timestamp and each character of a long text; a row without a key that holds such a value is
// still found again for an edit.
#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Decimal.h"
#include "support/DatabaseClient.h"
#include "support/EngineConnection.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <QStringList>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using kembtest::Engine;

namespace {

class ExactValues : public kembtest::EngineConnection {};

// Sets the default locale while it lives.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_old); }

private:
    QLocale m_old;
};

vb::Date timestampOf(const QDate& day, int h, int m, int s, qint64 microseconds)
{
    return vb::Date::fromDateAndMicroseconds(day, ((h * 60LL + m) * 60 + s) * 1'000'000 + microseconds);
}

class ExactDecimals : public ExactValues {};

TEST_P(ExactDecimals, DecimalsArriveWithEveryDigit)
{
    const DefaultLocale spanish(QLocale(QLocale::Spanish, QLocale::Argentina));
    struct Case {
        const char* type;
        const char* stored;
        const char* read;  // with "." as decimal point, no trailing zeros
        const char* shown; // what the caller's text is in es_AR
    };
    const Case cases[] = {
        {"NUMERIC(18,4)", "99999999999999.9999", "99999999999999.9999", "99999999999999,9999"},
        {"NUMERIC(18,4)", "1234567890123.4567", "1234567890123.4567", "1234567890123,4567"},
        {"NUMERIC(18,4)", "-0.0001", "-0.0001", "-0,0001"},
        {"NUMERIC(18,4)", "12.5", "12.5", "12,5"},
        {"NUMERIC(18,4)", "0", "0", "0"},
        {"NUMERIC(38,10)", "1234567890123456789.0123456789", "1234567890123456789.0123456789",
         "1234567890123456789,0123456789"},
        {"NUMERIC(38,10)", "-7922816251426433759.3543950335", "-7922816251426433759.3543950335",
         "-7922816251426433759,3543950335"},
        {"DECIMAL(12,2)", "1234.56", "1234.56", "1234,56"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        cn->Execute(QStringLiteral("CREATE TABLE d%1 (v %2)").arg(i).arg(c.type));
        cn->Execute(QStringLiteral("INSERT INTO d%1 VALUES (%2)").arg(i).arg(c.stored));
        ado::Recordset rs = cn->Execute(QStringLiteral("SELECT v FROM d%1").arg(i));
        const vb::Variant v = rs.Fields(0).Value();
        EXPECT_EQ(rs.Fields(0).Type(), ado::adNumeric) << c.stored;
        ASSERT_EQ(v.type(), vb::Variant::Type::Decimal) << c.stored;
        EXPECT_EQ(v.toDecimal().toString(QLatin1Char('.')).toStdString(), c.read);
        EXPECT_EQ(v.toString().toStdString(), c.shown);
        EXPECT_DOUBLE_EQ(v.toDouble(), QString::fromLatin1(c.read).toDouble()) << c.stored;
    }
}

TEST_P(ExactDecimals, AKeylessRowHoldingADecimalIsUpdated)
{
    cn->Execute("CREATE TABLE saldos (importe NUMERIC(18,4), grande NUMERIC(38,10), nota VARCHAR(20))");
    cn->Execute("INSERT INTO saldos VALUES (1234567890123.4567, 1234567890123456789.0123456789, 'antes')");
    cn->Execute("INSERT INTO saldos VALUES (1234567890123.4568, 1234567890123456789.0123456788, 'otra')");
    ado::Recordset rs;
    rs.Open("SELECT importe, grande, nota FROM saldos ORDER BY importe", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("nota").setValue("después");
    rs.Update();
    const ado::ResultSet rows = db->exec("SELECT nota FROM saldos ORDER BY importe");
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[0][0].toString(), "después");
    EXPECT_EQ(rows.rows[1][0].toString(), "otra");
}

INSTANTIATE_TEST_SUITE_P(Engines, ExactDecimals, ::testing::Values(Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

TEST_P(ExactValues, ATimestampKeepsItsFraction)
{
    cn->Execute("CREATE TABLE marcas (id INTEGER, v TIMESTAMP)");
    cn->Execute("INSERT INTO marcas VALUES (1, '2024-03-15 10:20:30.123')");
    cn->Execute("INSERT INTO marcas VALUES (2, '2024-03-15 23:59:59.999')");
    cn->Execute("INSERT INTO marcas VALUES (3, '1850-06-01 18:00:00.5')");
    cn->Execute("INSERT INTO marcas VALUES (4, '2024-03-15 10:20:30.123456')");
    ado::Recordset rs = cn->Execute("SELECT v FROM marcas ORDER BY id");
    const QDate day(2024, 3, 15);
    const vb::Date expected[] = {timestampOf(day, 10, 20, 30, 123'000), timestampOf(day, 23, 59, 59, 999'000),
                                 timestampOf(QDate(1850, 6, 1), 18, 0, 0, 500'000),
                                 timestampOf(day, 10, 20, 30, 123'456)};
    for (const vb::Date& date : expected) {
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.Fields(0).Value().toDate(), date);
        EXPECT_EQ(rs.Fields(0).Value().toDate().microsecondsOfDay(), date.microsecondsOfDay());
        rs.MoveNext();
    }
}

// The row is found by the timestamp the server wrote, to its last digit.
TEST_P(ExactValues, AKeylessRowWithAServerTimestampIsUpdated)
{
    const bool server = GetParam() == Engine::PostgreSQL;
    cn->Execute("CREATE TABLE avisos (alta TIMESTAMP, nota VARCHAR(20))");
    cn->Execute("INSERT INTO avisos VALUES (CURRENT_TIMESTAMP, 'antes')");
    cn->Execute(server ? "INSERT INTO avisos VALUES (CURRENT_TIMESTAMP - INTERVAL '1 second', 'otra')"
                       : "INSERT INTO avisos VALUES ('2024-03-15 10:20:30.250', 'otra')");
    cn->Execute("INSERT INTO avisos VALUES ('2024-03-15 10:20:30.125', 'fija')");
    for (const char* nota : {"antes", "otra", "fija"}) {
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT alta, nota FROM avisos WHERE nota = '%1'").arg(nota), cn, ado::adOpenKeyset,
                ado::adLockOptimistic);
        rs.Fields("nota").setValue(QStringLiteral("%1 cambiada").arg(nota));
        rs.Update();
    }
    const ado::ResultSet rows = db->exec("SELECT nota FROM avisos ORDER BY nota");
    ASSERT_EQ(rows.rows.size(), 3u);
    EXPECT_EQ(rows.rows[0][0].toString(), "antes cambiada");
    EXPECT_EQ(rows.rows[1][0].toString(), "fija cambiada");
    EXPECT_EQ(rows.rows[2][0].toString(), "otra cambiada");
}

// A stored timestamp's text with its fraction written out to six digits (none when it has no fraction), as
// both clients are made to print it.
QString sixDigits(const QString& stored)
{
    const qsizetype point = stored.indexOf(QLatin1Char('.'));
    return point < 0 ? stored : stored.left(point + 1) + stored.mid(point + 1).leftJustified(6, QLatin1Char('0'));
}

QStringList storedRows(const kembtest::TestDatabase& db)
{
    QStringList rows;
    for (const QString& row : kembtest::clientRows(db, "SELECT n, v, nota FROM vence ORDER BY n")) {
        QStringList fields = row.split(QLatin1Char('|'));
        if (fields.size() == 3)
            fields[1] = sixDigits(fields[1]);
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

// Whole seconds far from 1899, as a "valid until" often is, written by the engine's own client, read, found
// again in a table without a key, added and set through the record set: every one stays whole.
TEST_P(ExactValues, AWholeSecondFarFromTheEpochStaysWhole)
{
    struct Case {
        QDate day;
        int h, m, s;
        const char* text;
    };
    const Case cases[] = {
        {QDate(1, 1, 1), 0, 0, 0, "0001-01-01 00:00:00"},         {QDate(1, 3, 31), 12, 34, 56, "0001-03-31 12:34:56"},
        {QDate(1600, 2, 29), 6, 7, 8, "1600-02-29 06:07:08"},     {QDate(5000, 7, 15), 18, 0, 1, "5000-07-15 18:00:01"},
        {QDate(9999, 12, 31), 23, 59, 59, "9999-12-31 23:59:59"},
    };
    cn->Execute("CREATE TABLE vence (n INTEGER, v TIMESTAMP, nota VARCHAR(20))");
    QStringList inserts;
    QStringList expected;
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        inserts << QStringLiteral("INSERT INTO vence VALUES (%1, '%2', 'cliente');").arg(i).arg(cases[i].text);
        inserts << QStringLiteral("INSERT INTO vence VALUES (%1, '2024-01-01 00:00:00', 'otra');").arg(20 + i);
    }
    kembtest::clientRows(*db, inserts.join(QLatin1Char(' ')));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.text);
        const vb::Date date = timestampOf(c.day, c.h, c.m, c.s, 0);
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT n, v, nota FROM vence WHERE n = %1").arg(i), cn, ado::adOpenKeyset,
                ado::adLockOptimistic);
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.Fields("v").Value().toDate(), date);
        EXPECT_EQ(rs.Fields("v").Value().toDate().microsecondsOfDay(), ((c.h * 60LL + c.m) * 60 + c.s) * 1'000'000);
        rs.Fields("nota").setValue("editada");
        rs.Update();
        rs.AddNew();
        rs.Fields("n").setValue(10 + i);
        rs.Fields("v").setValue(date);
        rs.Fields("nota").setValue("nueva");
        rs.Update();
        rs.Close();
        rs.Open(QStringLiteral("SELECT n, v, nota FROM vence WHERE n = %1").arg(20 + i), cn, ado::adOpenKeyset,
                ado::adLockOptimistic);
        rs.Fields("v").setValue(date);
        rs.Update();
        expected << QStringLiteral("%1|%2|editada").arg(i).arg(c.text);
    }
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        expected << QStringLiteral("%1|%2|nueva").arg(10 + i).arg(cases[i].text);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        expected << QStringLiteral("%1|%2|otra").arg(20 + i).arg(cases[i].text);
    EXPECT_EQ(storedRows(*db), expected);
}

// A hair before midnight at the ends of the calendar the value stays on its day, below a whole day, to the
// digits its serial keeps there (100 µs); a millisecond before midnight is kept exactly and finds its row.
TEST_P(ExactValues, ATimeJustBeforeMidnightStaysOnItsDay)
{
    struct Case {
        const char* stored;
        QDate day;
        qint64 microseconds;
        const char* written; // when written back, as the client prints it with a fraction of six digits
    };
    constexpr qint64 kDay = 86'400'000'000;
    constexpr qint64 kLastSecond = kDay - 1'000'000;
    const Case cases[] = {
        {"0001-03-31 23:59:59.999999", QDate(1, 3, 31), kLastSecond + 999'900, "0001-03-31 23:59:59.999900"},
        {"9999-12-31 23:59:59.999999", QDate(9999, 12, 31), kLastSecond + 999'900, "9999-12-31 23:59:59.999900"},
        {"0001-03-31 23:59:59.999", QDate(1, 3, 31), kLastSecond + 999'000, "0001-03-31 23:59:59.999000"},
        {"9999-12-31 23:59:59.999", QDate(9999, 12, 31), kLastSecond + 999'000, "9999-12-31 23:59:59.999000"},
    };
    cn->Execute("CREATE TABLE vence (n INTEGER, v TIMESTAMP, nota VARCHAR(20))");
    QStringList inserts;
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        inserts << QStringLiteral("INSERT INTO vence VALUES (%1, '%2', 'cliente');").arg(i).arg(cases[i].stored);
    kembtest::clientRows(*db, inserts.join(QLatin1Char(' ')));
    QStringList expected;
    std::vector<vb::Date> read;
    ado::Recordset rs;
    rs.Open("SELECT n, v, nota FROM vence ORDER BY n", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i, rs.MoveNext()) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.stored);
        ASSERT_FALSE(rs.Eof());
        read.push_back(rs.Fields("v").Value().toDate());
        EXPECT_EQ(read.back().calendarDay(), c.day);
        EXPECT_EQ(read.back().microsecondsOfDay(), c.microseconds);
        expected << QStringLiteral("%1|%2|cliente").arg(i).arg(sixDigits(QString::fromLatin1(c.stored)));
    }
    // The rows whose fraction the serial keeps are found by it for an edit.
    for (const int i : {2, 3}) {
        rs.Close();
        rs.Open(QStringLiteral("SELECT n, v, nota FROM vence WHERE n = %1").arg(i), cn, ado::adOpenKeyset,
                ado::adLockOptimistic);
        rs.Fields("nota").setValue("editada");
        rs.Update();
        expected[i].replace(QStringLiteral("cliente"), QStringLiteral("editada"));
    }
    // What was read is written back on its own day, and so is the last microsecond of that day.
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        for (const auto& [n, value] : {std::pair{10 + i, read[i]},
                                       std::pair{20 + i, vb::Date::fromDateAndMicroseconds(cases[i].day, kDay - 1)}}) {
            rs.AddNew();
            rs.Fields("n").setValue(n);
            rs.Fields("v").setValue(value);
            rs.Fields("nota").setValue("nueva");
            rs.Update();
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        expected << QStringLiteral("%1|%2|nueva").arg(10 + i).arg(QString::fromLatin1(cases[i].written));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        expected << QStringLiteral("%1|%2 23:59:59.999900|nueva")
                        .arg(20 + i)
                        .arg(cases[i].day.toString(QStringLiteral("yyyy-MM-dd")));
    rs.Close();
    EXPECT_EQ(storedRows(*db), expected);
}

// A long text arrives in pieces; a piece that begins with U+FEFF or U+FFFE keeps it as a character.
TEST_P(ExactValues, ALongTextKeepsByteOrderMarksAtPieceBoundaries)
{
    QString text;
    for (int i = 0; text.size() < 5000; ++i)
        text += QChar(static_cast<char16_t>(u'a' + i % 2));
    for (const qsizetype at : {0, 511, 1022, 1533, 2044, 4088, 4599})
        text[at] = QChar(at % 2 == 0 ? char16_t(0xFEFF) : char16_t(0xFFFE));
    cn->Execute("CREATE TABLE textos (id INTEGER, v TEXT)");
    ado::Recordset rs;
    rs.Open("SELECT id, v FROM textos", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields("id").setValue(1);
    rs.Fields("v").setValue(text);
    rs.Update();
    rs.Close();
    rs = cn->Execute("SELECT v FROM textos");
    const QString got = rs.Fields(0).Value().toString();
    ASSERT_EQ(got.size(), text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        ASSERT_EQ(got[i].unicode(), text[i].unicode()) << "character " << i;
}

INSTANTIATE_TEST_SUITE_P(Engines, ExactValues, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

} // namespace
