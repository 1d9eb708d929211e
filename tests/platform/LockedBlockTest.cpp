#include "platform/mem/LockedBlock.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(LockedBlock, AllocatesZeroedWritableMemory)
{
    mem::LockedBlock bloque;
    EXPECT_EQ(bloque.data(), nullptr);
    ASSERT_TRUE(bloque.allocate(10000));
    ASSERT_NE(bloque.data(), nullptr);
    EXPECT_EQ(bloque.size(), 10000u);
    EXPECT_TRUE(
        std::all_of(bloque.data(), bloque.data() + bloque.size(), [](std::byte b) { return b == std::byte{0}; }));
    std::fill(bloque.data(), bloque.data() + bloque.size(), std::byte{0x5A});
    EXPECT_EQ(bloque.data()[9999], std::byte{0x5A});
}

TEST(LockedBlock, ReleaseForgetsTheBlockAndAllocateReplacesIt)
{
    mem::LockedBlock bloque;
    ASSERT_TRUE(bloque.allocate(64));
    bloque.release();
    EXPECT_EQ(bloque.data(), nullptr);
    EXPECT_EQ(bloque.size(), 0u);
    EXPECT_FALSE(bloque.locked());
    bloque.release();
    ASSERT_TRUE(bloque.allocate(64));
    ASSERT_TRUE(bloque.allocate(128));
    EXPECT_EQ(bloque.size(), 128u);
}

TEST(LockedBlock, ZeroBytesGiveNoBlock)
{
    mem::LockedBlock bloque;
    ASSERT_TRUE(bloque.allocate(64));
    EXPECT_FALSE(bloque.allocate(0));
    EXPECT_EQ(bloque.data(), nullptr);
}

} // namespace
