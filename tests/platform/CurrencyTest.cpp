#include "platform/vb/Currency.h"

#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Error.h"
#include "platform/vb/Variant.h"
#include "support/ErrorNumber.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using Limits = std::numeric_limits<std::int64_t>;

TEST(CurrencyTest, ConversionsKeepFourDecimalsInsideTheRange)
{
    EXPECT_EQ(vb::Currency::fromDouble(1.03125).raw(), 10313);
    EXPECT_EQ(vb::Currency::fromDouble(-1.03125).raw(), -10313);
    EXPECT_EQ(vb::Currency::fromDouble(900000000000000.0).raw(), 9000000000000000000);
    EXPECT_EQ(vb::Currency::fromDouble(-900000000000000.0).raw(), -9000000000000000000);
    EXPECT_EQ(vb::Currency::fromInt(922337203685477).raw(), 9223372036854770000);
    EXPECT_EQ(vb::Currency::fromInt(-922337203685477).raw(), -9223372036854770000);
    EXPECT_EQ((vb::Currency::fromRaw(Limits::max() - 1) + vb::Currency::fromRaw(1)).raw(), Limits::max());
    EXPECT_EQ((vb::Currency::fromRaw(Limits::min() + 1) - vb::Currency::fromRaw(1)).raw(), Limits::min());
    EXPECT_EQ((vb::Currency::fromRaw(Limits::min()) + vb::Currency::fromRaw(Limits::max())).raw(), -1);
    EXPECT_EQ(ClsUtilidades().TextoANumero(QStringLiteral("900000000000000")).raw(), 9000000000000000000);
}

TEST(CurrencyTest, EveryConversionOutsideTheRangeRaisesOverflow)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::function<void()> statement;
    } casos[] = {
        {"1e15", [] { vb::Currency::fromDouble(1e15); }},
        {"-1e15", [] { vb::Currency::fromDouble(-1e15); }},
        {"9.3e14", [] { vb::Currency::fromDouble(922337203685478.0); }},
        {"1e300", [] { vb::Currency::fromDouble(1e300); }},
        {"infinity", [&] { vb::Currency::fromDouble(inf); }},
        {"-infinity", [&] { vb::Currency::fromDouble(-inf); }},
        {"NaN", [&] { vb::Currency::fromDouble(nan); }},
        {"whole 922337203685478", [] { vb::Currency::fromInt(922337203685478); }},
        {"whole -922337203685478", [] { vb::Currency::fromInt(-922337203685478); }},
        {"whole max", [] { vb::Currency::fromInt(Limits::max()); }},
        {"sum", [] { vb::Currency::fromRaw(Limits::max()) + vb::Currency::fromRaw(1); }},
        {"negative sum", [] { vb::Currency::fromRaw(Limits::min()) + vb::Currency::fromRaw(-1); }},
        {"difference", [] { vb::Currency::fromRaw(Limits::min()) - vb::Currency::fromRaw(1); }},
        {"negative difference", [] { vb::Currency::fromRaw(Limits::max()) - vb::Currency::fromRaw(-1); }},
        {"text", [] { ClsUtilidades().TextoANumero(QStringLiteral("1000000000000000")); }},
        {"text with decimals", [] { ClsUtilidades().TextoANumero(QStringLiteral("-922337203685478,5")); }},
        {"whole of text", [] { ClsUtilidades().TextoAEntero(QStringLiteral("1e20")); }},
    };
    for (const auto& c : casos) {
        try {
            c.statement();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 6) << c.what;
            EXPECT_EQ(e.Description(), QStringLiteral("Desbordamiento")) << c.what;
        }
    }
}

TEST(CurrencyTest, AVariantTooLargeForAWholeNumberRaisesOverflow)
{
    EXPECT_EQ(vb::Variant(-2.5).toLongLong(), -3);
    EXPECT_EQ(vb::Variant(9.2e18).toLongLong(), 9200000000000000000);
    EXPECT_EQ(vb::Variant(vb::Currency::fromRaw(Limits::min())).toLongLong(), -922337203685478);
    EXPECT_EQ(kembtest::errorNumber([] { vb::Variant(9.3e18).toLongLong(); }), 6);
    EXPECT_EQ(kembtest::errorNumber([] { vb::Variant(-1e19).toLongLong(); }), 6);
    EXPECT_EQ(kembtest::errorNumber([] { vb::Variant(QStringLiteral("1e300")).toLongLong(); }), 6);
}

} // namespace
