#include "platform/vb/Dictionary.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

namespace {

TEST(DictionaryTest, KeepsTheOrderAddedAndReadsByKey)
{
    vb::Dictionary d;
    d.Add(QStringLiteral("b"), 2);
    d.Add(QStringLiteral("a"), QStringLiteral("uno"));
    d.Add(QStringLiteral("B"), vb::Variant::Null());
    EXPECT_EQ(d.Count(), 3);
    EXPECT_EQ(d.Keys(), (QStringList{"b", "a", "B"}));
    EXPECT_EQ(d.Item(QStringLiteral("a")).toString(), QStringLiteral("uno"));
    EXPECT_EQ(d.Item(QStringLiteral("b")).toLongLong(), 2);
    EXPECT_TRUE(d.Item(QStringLiteral("B")).isNull());
    EXPECT_TRUE(d.Exists(QStringLiteral("B")));
}

TEST(DictionaryTest, AMissingKeyReadsEmptyAndIsNotAdded)
{
    vb::Dictionary d;
    EXPECT_TRUE(d.Item(QStringLiteral("falta")).isEmpty());
    EXPECT_FALSE(d.Exists(QStringLiteral("falta")));
    EXPECT_EQ(d.Count(), 0);
}

TEST(DictionaryTest, ADuplicateKeyRaises457AndKeepsTheFirstValue)
{
    vb::Dictionary d;
    d.Add(QStringLiteral("a"), 1);
    try {
        d.Add(QStringLiteral("a"), 2);
        ADD_FAILURE();
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), 457);
        EXPECT_EQ(e.Description(), QStringLiteral("Esta clave ya está asociada a un elemento de esta colección"));
    }
    EXPECT_EQ(d.Count(), 1);
    EXPECT_EQ(d.Item(QStringLiteral("a")).toLongLong(), 1);
}

// Small and large dictionaries alike: every key read back, a repeated key refused, and keys that differ only in
// case or length kept apart.
TEST(DictionaryTest, ManyKeys)
{
    for (const int count : {1, 15, 16, 17, 40}) {
        vb::Dictionary d;
        for (int i = 0; i < count; ++i)
            d.Add(QStringLiteral("k%1").arg(i), i);
        d.Add(QStringLiteral("K0"), -1);
        d.Add(QStringLiteral("k"), -2);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(d.Item(QStringLiteral("k%1").arg(i)).toLongLong(), i) << count;
            EXPECT_THROW(d.Add(QStringLiteral("k%1").arg(i), 0), vb::Error) << count << " " << i;
        }
        EXPECT_EQ(d.Item(QStringLiteral("K0")).toLongLong(), -1) << count;
        EXPECT_EQ(d.Item(QStringLiteral("k")).toLongLong(), -2) << count;
        EXPECT_FALSE(d.Exists(QStringLiteral("k%1").arg(count))) << count;
        EXPECT_EQ(d.Count(), count + 2);
        EXPECT_EQ(d.Keys().first(), QStringLiteral("k0"));
        EXPECT_EQ(d.Keys().last(), QStringLiteral("k"));
    }
}

} // namespace
