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

} // namespace
