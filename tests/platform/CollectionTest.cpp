#include "platform/vb/Collection.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

namespace {

TEST(CollectionTest, ReadsByOneBasedPositionInTheOrderAdded)
{
    vb::Collection c;
    c.Add(QStringLiteral("primero"));
    c.Add(2);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Item(1).toString(), QStringLiteral("primero"));
    EXPECT_EQ(c.Item(2).toLongLong(), 2);
    for (int outside : {0, 3, -1}) {
        try {
            c.Item(outside);
            ADD_FAILURE() << outside;
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 9);
        }
    }
}

TEST(CollectionTest, RemoveTakesOutOnePositionAndClosesTheGap)
{
    vb::Collection c;
    for (const char* v : {"a", "b", "c"})
        c.Add(QString::fromLatin1(v));
    c.Remove(2);
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Item(1).toString(), QStringLiteral("a"));
    EXPECT_EQ(c.Item(2).toString(), QStringLiteral("c"));
    for (int outside : {0, 3}) {
        try {
            c.Remove(outside);
            ADD_FAILURE() << outside;
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 9);
        }
    }
    c.Remove(1);
    c.Remove(1);
    EXPECT_EQ(c.Count(), 0);
}

} // namespace
