#include "platform/vb/Variant.h"

#include "platform/vb/Collection.h"
#include "platform/vb/Dictionary.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(VariantTest, DecimalValues)
{
    const vb::Variant v(vb::Decimal::parse(QStringLiteral("1234.5")));
    EXPECT_EQ(v.type(), vb::Variant::Type::Decimal);
    EXPECT_TRUE(v.isNumeric());
    EXPECT_EQ(v.toString(), QStringLiteral("1234,5"));
    EXPECT_DOUBLE_EQ(v.toDouble(), 1234.5);
    EXPECT_EQ(v.toLongLong(), 1235);
    EXPECT_EQ(v, vb::Variant(vb::Decimal::parse(QStringLiteral("1234.50"))));
    EXPECT_EQ(vb::Variant(42).toDecimal(), vb::Decimal::fromInt(42));
    EXPECT_EQ(vb::Variant(QStringLiteral("2,5")).toDecimal(), vb::Decimal::parse(QStringLiteral("2.5")));
    EXPECT_EQ(kembtest::errorNumber([] { vb::Variant::Null().toDecimal(); }), 94);
}

TEST(VariantTest, ObjectsAreHeldByReference)
{
    auto dictionary = std::make_shared<vb::Dictionary>();
    const vb::Variant v(dictionary);
    EXPECT_EQ(v.type(), vb::Variant::Type::Object);
    EXPECT_FALSE(v.isNumeric());
    dictionary->Add(QStringLiteral("k"), 1);
    ASSERT_TRUE(v.as<vb::Dictionary>());
    EXPECT_EQ(v.as<vb::Dictionary>()->Count(), 1);
    EXPECT_EQ(v.as<vb::Collection>(), nullptr);
    EXPECT_EQ(vb::Variant(QStringLiteral("x")).toObject(), nullptr);
    EXPECT_EQ(v, vb::Variant(dictionary));
    EXPECT_FALSE(v == vb::Variant(std::make_shared<vb::Dictionary>()));
    EXPECT_EQ(kembtest::errorNumber([&] { v.toString(); }), 438);
    EXPECT_EQ(kembtest::errorNumber([&] { v.toDouble(); }), 438);
}

// A value about to go away gives its text as a kept value does; a text is moved out whole.
TEST(VariantTest, ATemporaryConvertsToTextAsAKeptValueDoes)
{
    const vb::Variant values[] = {vb::Variant(),
                                  vb::Variant(true),
                                  vb::Variant(-12LL),
                                  vb::Variant(2.5),
                                  vb::Variant(vb::Date(45000.75)),
                                  vb::Variant(QStringLiteral("Cliente número 1")),
                                  vb::Variant(QStringLiteral("")),
                                  vb::Variant(vb::Decimal::parse(QStringLiteral("1234.5")))};
    for (const vb::Variant& kept : values) {
        vb::Variant temporary = kept;
        EXPECT_EQ(std::move(temporary).toString(), kept.toString());
    }
    EXPECT_FALSE(vb::Variant(QStringLiteral("")).toString().isNull());
    EXPECT_EQ(kembtest::errorNumber([] { vb::Variant::Null().toString(); }), 94);
    EXPECT_EQ(kembtest::errorNumber([] { vb::Variant(std::make_shared<vb::Dictionary>()).toString(); }), 438);
}

} // namespace
