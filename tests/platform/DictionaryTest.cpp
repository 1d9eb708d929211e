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

} // namespace
