#include "PlatformMemory.h"

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

namespace {

bool AllBytesAre(const void* block, std::size_t bytes, unsigned char value) {
    const auto* p = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < bytes; ++i)
        if (p[i] != value) return false;
    return true;
}

}  // namespace

// A block keeps its content through every kind of move: within the heap,
// from the heap to a mapping of its own, between mappings, and back down.
TEST(PlatformMemory, KeepsContentAcrossEveryGrowthAndShrink) {
    constexpr std::size_t kMiB = 1u << 20;
    void* block = PlatformBlockAllocate(1000);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllBytesAre(block, 1000, 0));
    std::memset(block, 0xA5, 1000);
    for (std::size_t bytes : {4000 * std::size_t{1}, 3 * kMiB, 7 * kMiB, 1000 * std::size_t{1}}) {
        block = PlatformBlockResize(block, bytes);
        ASSERT_NE(block, nullptr) << bytes;
        EXPECT_TRUE(AllBytesAre(block, 1000, 0xA5)) << bytes;
        std::memset(block, 0xA5, bytes);  // every byte is writable
    }
    PlatformBlockFree(block);

    void* large = PlatformBlockAllocate(5 * kMiB);
    ASSERT_NE(large, nullptr);
    EXPECT_TRUE(AllBytesAre(large, 5 * kMiB, 0));
    PlatformBlockFree(large);
    PlatformBlockFree(nullptr);
}

TEST(PlatformMemory, AnImpossibleSizeFailsAndLeavesTheBlockAlone) {
    EXPECT_EQ(PlatformBlockAllocate(SIZE_MAX - 8), nullptr);
    void* block = PlatformBlockAllocate(16);
    ASSERT_NE(block, nullptr);
    std::memset(block, 7, 16);
    EXPECT_EQ(PlatformBlockResize(block, SIZE_MAX - 8), nullptr);
    EXPECT_TRUE(AllBytesAre(block, 16, 7));
    PlatformBlockFree(block);
}
