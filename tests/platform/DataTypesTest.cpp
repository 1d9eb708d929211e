// What a field holds once a value is assigned to it: a number with a fraction goes into an integer field as
// the run-time converts it (rounded half to even, overflow raising 6), on SQLite and PostgreSQL alike, and
// the engine stores a whole number.
#include "platform/ado/DataTypes.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "support/DatabaseClient.h"
#include "support/EngineConnection.h"
#include "support/ErrorNumber.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <limits>

using kembtest::Engine;
using kembtest::errorNumber;

namespace {

constexpr long kOverflow = 6;

TEST(DataTypes, ANumberWithAFractionIsRoundedHalfToEvenIntoAnIntegerField)
{
    struct Case {
        int type;
        vb::Variant assigned;
        long long stored;
    };
    const Case cases[] = {
        {ado::adInteger, 3.7, 4},
        {ado::adInteger, 2.5, 2},
        {ado::adInteger, -2.5, -2},
        {ado::adInteger, 3.5, 4},
        {ado::adInteger, -3.5, -4},
        {ado::adInteger, 0.5, 0},
        {ado::adInteger, -0.4, 0},
        {ado::adInteger, 2.5000000000000004, 3},
        {ado::adInteger, 2147483647.4, 2147483647},
        {ado::adInteger, -2147483648.5, -2147483648LL},
        {ado::adSmallInt, 32766.5, 32766},
        {ado::adSmallInt, -32767.5, -32768},
        {ado::adUnsignedTinyInt, 254.5, 254},
        {ado::adBigInt, 9007199254740993.0, 9007199254740992LL},
        {ado::adBigInt, -9223372036854775808.0, std::numeric_limits<long long>::min()},
        {ado::adInteger, vb::Decimal::parse("2.5"), 2},
        {ado::adInteger, vb::Decimal::parse("-7.5"), -8},
        {ado::adInteger, vb::Decimal::parse("4.5000000000000000000000001"), 5},
        {ado::adBigInt, vb::Decimal::parse("9223372036854775806.5"), 9223372036854775806LL},
        {ado::adInteger, vb::Currency::fromDouble(2.5), 2},
        {ado::adInteger, vb::Currency::fromDouble(-1.5001), -2},
    };
    for (const Case& c : cases) {
        const vb::Variant stored = ado::assignedTo(c.type, c.assigned);
        EXPECT_EQ(stored.type(), vb::Variant::Type::Long) << c.assigned.toString().toStdString();
        EXPECT_EQ(stored.toLongLong(), c.stored) << c.assigned.toString().toStdString();
    }
}

TEST(DataTypes, ANumberBeyondAnIntegerFieldOverflows)
{
    const std::pair<int, vb::Variant> cases[] = {
        {ado::adInteger, 2147483647.5},
        {ado::adInteger, -2147483649.0},
        {ado::adSmallInt, 32767.5},
        {ado::adSmallInt, -32769.0},
        {ado::adUnsignedTinyInt, -0.6},
        {ado::adUnsignedTinyInt, 255.6},
        {ado::adBigInt, 9223372036854775808.0},
        {ado::adBigInt, std::numeric_limits<double>::infinity()},
        {ado::adInteger, std::numeric_limits<double>::quiet_NaN()},
        {ado::adBigInt, vb::Decimal::parse("9223372036854775807.5")},
        {ado::adBigInt, vb::Decimal::parse("-9223372036854775809")},
        {ado::adInteger, vb::Decimal::parse("79228162514264337593543950335")},
    };
    for (const auto& [type, value] : cases)
        EXPECT_EQ(errorNumber([&] { ado::assignedTo(type, value); }), kOverflow) << value.toString().toStdString();
}

// Whole numbers, texts and values of fields that are no integers stay as given: the engine's column may hold
// more than its reported type (SQLite's INTEGER holds 64 bits) and converts texts itself.
TEST(DataTypes, OtherValuesAndOtherFieldsKeepTheValueAssigned)
{
    const vb::Variant date(vb::Date(1.5));
    const std::pair<int, vb::Variant> cases[] = {
        {ado::adInteger, 3000000000LL}, {ado::adInteger, QStringLiteral("3,7")},
        {ado::adInteger, true},         {ado::adInteger, vb::Variant::Null()},
        {ado::adDouble, 3.7},           {ado::adNumeric, vb::Decimal::parse("2.5")},
        {ado::adVarWChar, 2.5},         {ado::adCurrency, vb::Currency::fromDouble(2.5)},
        {ado::adBoolean, 0.5},          {ado::adDBTimeStamp, date},
    };
    for (const auto& [type, value] : cases)
        EXPECT_EQ(ado::assignedTo(type, value), value) << value.toString().toStdString();
}

class IntegerFields : public kembtest::EngineConnection {};

TEST_P(IntegerFields, ADoubleIsStoredAsTheWholeNumberItRoundsTo)
{
    const bool sqlite = GetParam() == Engine::SQLite;
    cn->Execute("CREATE TABLE n (id INTEGER PRIMARY KEY, i INTEGER, s SMALLINT)");
    for (int id = 1; id <= 4; ++id)
        cn->Execute(QStringLiteral("INSERT INTO n VALUES (%1, 0, 0)").arg(id));
    ado::Recordset rs;
    rs.Open("SELECT id, i, s FROM n ORDER BY id", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    for (const auto& [assigned, whole] : {std::pair{3.7, 4LL}, {2.5, 2LL}, {-2.5, -2LL}, {3.5, 4LL}}) {
        rs.Fields("i").setValue(assigned);
        EXPECT_EQ(rs.Fields("i").Value(), vb::Variant(whole));
        rs.Update();
        rs.MoveNext();
    }
    rs.AddNew();
    rs.Fields("id").setValue(5.5);
    rs.Fields("s").setValue(-0.5);
    rs.Update();
    // Beyond the field: raised by the assignment, which starts no edit.
    rs.MoveFirst();
    EXPECT_EQ(errorNumber([&] { rs.Fields("s").setValue(32767.5); }), kOverflow);
    EXPECT_EQ(rs.EditMode(), ado::adEditNone);
    const QStringList expected =
        sqlite ? QStringList{"1|4|integer|0", "2|2|integer|0", "3|-2|integer|0", "4|4|integer|0", "6||null|0"}
               : QStringList{"1|4|integer|0", "2|2|integer|0", "3|-2|integer|0", "4|4|integer|0", "6||integer|0"};
    EXPECT_EQ(kembtest::clientRows(*db, sqlite ? "SELECT id, i, typeof(i), s FROM n ORDER BY id"
                                               : "SELECT id, i, pg_typeof(i), s FROM n ORDER BY id"),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Engines, IntegerFields, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

} // namespace
