// Values a record set reads keep everything the engine stored: every digit of a decimal, the fraction of a
// second of a timestamp and each character of a long text; a row without a key that holds such a value is
// still found again for an edit.
#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Decimal.h"
#include "support/EngineConnection.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <gtest/gtest.h>

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
