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
// from the heap to a mapping of its own, from small pages to large ones,
// between mappings, and back down; first as a long-running process takes its
// blocks, then as a program that converts one file does.
TEST(PlatformMemory, KeepsContentAcrossEveryGrowthAndShrink) {
    constexpr std::size_t kKiB = 1u << 10;
    constexpr std::size_t kMiB = 1u << 20;
    for (bool freshPages : {false, true}) {
        SCOPED_TRACE(freshPages ? "fresh pages" : "heap first");
        if (freshPages) PlatformBlockFreshPages();
        void* block = PlatformBlockAllocate(1000);
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(AllBytesAre(block, 1000, 0));
        std::memset(block, 0xA5, 1000);
        for (std::size_t bytes : {4 * kKiB, 100 * kKiB, 300 * kKiB, 3 * kMiB, 7 * kMiB, kKiB}) {
            block = PlatformBlockResize(block, bytes);
            ASSERT_NE(block, nullptr) << bytes;
            EXPECT_TRUE(AllBytesAre(block, 1000, 0xA5)) << bytes;
            std::memset(block, 0xA5, bytes);  // every byte is writable
        }
        PlatformBlockFree(block);

        for (std::size_t bytes : {100 * kKiB, 5 * kMiB}) {
            void* fresh = PlatformBlockAllocate(bytes);
            ASSERT_NE(fresh, nullptr);
            EXPECT_TRUE(AllBytesAre(fresh, bytes, 0)) << bytes;
            PlatformBlockFree(fresh);
        }
    }
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
