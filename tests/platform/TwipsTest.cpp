#include "platform/vb/Twips.h"

#include <gtest/gtest.h>

TEST(Twips, FifteenTwipsMakeOnePixelRoundedToTheNearest)
{
    EXPECT_EQ(vb::twips(7275), 485);
    EXPECT_EQ(vb::twips(195), 13);
    EXPECT_EQ(vb::twips(7), 0);
    EXPECT_EQ(vb::twips(8), 1);
    EXPECT_EQ(vb::twips(-15), -1);
    EXPECT_EQ(vb::twips(360, 1080, 5535, 285), QRect(24, 72, 369, 19));
    EXPECT_EQ(vb::twipsSize(7005, 7380), QSize(467, 492));
}
