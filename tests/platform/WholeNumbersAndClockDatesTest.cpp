// Whole numbers of every size reach the database digit for digit, and dates and times are written from their
// calendar day and clock time, also on the days the local clock skips an hour.
#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Variant.h"
#include "support/EngineConnection.h"
#include "support/ScopedTimeZone.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using kembtest::Engine;

namespace {

class WholeNumbers : public kembtest::EngineConnection {};

QStringList storedTexts(kembtest::TestDatabase& db, const QString& query)
{
    QStringList texts;
    for (const auto& row : db.exec(query).rows)
        texts << row[0].toString();
    return texts;
}

TEST_P(WholeNumbers, AKeyAbove2To53IsEditedInItsOwnRowAndTheLimitIsStored)
{
    cn->Execute("CREATE TABLE claves (id BIGINT PRIMARY KEY, nota VARCHAR(20))");
    cn->Execute("INSERT INTO claves VALUES (9007199254740992, 'primera')");
    cn->Execute("INSERT INTO claves VALUES (9007199254740993, 'segunda')");
    ado::Recordset rs;
    rs.Open("SELECT id, nota FROM claves WHERE id = 9007199254740993", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields("id").Value().toLongLong(), 9007199254740993LL);
    rs.Fields("nota").setValue("cambiada");
    rs.Update();
    for (const long long id : {9007199254740995LL, 9223372036854775807LL, -9223372036854775807LL - 1}) {
        rs.AddNew();
        rs.Fields("id").setValue(id);
        rs.Fields("nota").setValue("nueva");
        rs.Update();
    }
    rs.Close();
    EXPECT_EQ(storedTexts(*db, "SELECT CAST(id AS VARCHAR(30)) || ' ' || nota FROM claves ORDER BY id"),
              QStringList({"-9223372036854775808 nueva", "9007199254740992 primera", "9007199254740993 cambiada",
                           "9007199254740995 nueva", "9223372036854775807 nueva"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, WholeNumbers, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

class SkippedHours : public kembtest::EngineConnection {};

// Midnight does not exist in Buenos Aires on 2007-12-30 and 2008-10-19, nor 02:30 in Madrid on 2024-03-31.
TEST_P(SkippedHours, DatesAtAnHourTheLocalClockSkipsAreWrittenAsTheyAre)
{
    struct Case {
        const char* zone;
        QDate day;
        QTime clock;
        const char* storedDay;
        const char* storedMoment;
    };
    const Case cases[] = {
        {"America/Argentina/Buenos_Aires", QDate(2007, 12, 30), QTime(0, 0), "2007-12-30", "2007-12-30 00:00:00"},
        {"America/Argentina/Buenos_Aires", QDate(2008, 10, 19), QTime(0, 0), "2008-10-19", "2008-10-19 00:00:00"},
        {"America/Argentina/Buenos_Aires", QDate(2008, 10, 19), QTime(0, 30), "2008-10-19", "2008-10-19 00:30:00"},
        {"Europe/Madrid", QDate(2024, 3, 31), QTime(2, 30), "2024-03-31", "2024-03-31 02:30:00"},
    };
    cn->Execute("CREATE TABLE fechas (id INTEGER PRIMARY KEY, dia DATE, momento TIMESTAMP)");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const kembtest::ScopedTimeZone zone(c.zone);
        ado::Recordset rs;
        rs.Open("SELECT id, dia, momento FROM fechas", cn, ado::adOpenKeyset, ado::adLockOptimistic);
        rs.AddNew();
        rs.Fields("id").setValue(static_cast<int>(i));
        rs.Fields("dia").setValue(vb::Date::fromDate(c.day));
        rs.Fields("momento").setValue(vb::Date::fromDateAndSeconds(c.day, c.clock.msecsSinceStartOfDay() / 1000));
        rs.Update();
        rs.Close();
        const QString row = QStringLiteral("SELECT CAST(dia AS VARCHAR(30)) || '|' || CAST(momento AS VARCHAR(30)) "
                                           "FROM fechas WHERE id = %1")
                                .arg(i);
        EXPECT_EQ(storedTexts(*db, row), QStringList(QStringLiteral("%1|%2").arg(c.storedDay, c.storedMoment)))
            << c.zone << " " << c.storedMoment;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SkippedHours, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

TEST(ClockDates, WholeNumbersConvertDigitForDigit)
{
    EXPECT_EQ(vb::Variant(9007199254740993LL).toLongLong(), 9007199254740993LL);
    EXPECT_EQ(vb::Variant(9223372036854775807LL).toLongLong(), 9223372036854775807LL);
    EXPECT_EQ(vb::Variant(QStringLiteral("9007199254740993")).toLongLong(), 9007199254740993LL);
    EXPECT_EQ(vb::Variant(vb::Decimal::parse("9007199254740995")).toLongLong(), 9007199254740995LL);
    EXPECT_EQ(vb::Variant(2.5).toLongLong(), 3);
    EXPECT_THROW(vb::Variant(QStringLiteral("9223372036854775808")).toLongLong(), vb::Error);
}

// A time without a date is written alone; a date at a skipped local midnight is written and read back.
TEST(ClockDates, CStrWritesTheTimeAloneAndTheSkippedMidnight)
{
    EXPECT_EQ(vb::CStr(vb::Date::fromDateAndSeconds(QDate(1899, 12, 30), 14 * 3600 + 5 * 60 + 9)), "14:05:09");
    EXPECT_EQ(vb::Variant(QStringLiteral("14:05:09")).toDate(),
              vb::Date::fromDateAndSeconds(QDate(1899, 12, 30), 14 * 3600 + 5 * 60 + 9));
    const kembtest::ScopedTimeZone buenosAires("America/Argentina/Buenos_Aires");
    for (const QDate day : {QDate(2007, 12, 30), QDate(2008, 10, 19)}) {
        const vb::Date date = vb::Date::fromDate(day);
        const QString text = vb::CStr(date);
        EXPECT_EQ(text, QLocale().toString(day, vb::dateTextFormat()));
        EXPECT_EQ(vb::Variant(text).toDate(), date) << text.toStdString();
    }
    const vb::Date halfPast = vb::Date::fromDateAndSeconds(QDate(2008, 10, 19), 30 * 60);
    EXPECT_EQ(vb::Variant(vb::CStr(halfPast)).toDate(), halfPast);
}

} // namespace
