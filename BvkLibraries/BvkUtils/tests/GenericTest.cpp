#include "Generic.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Generic, BlocksAreCountedBothWays) {
    uint32_t newBefore = nNewPtrs, bytesBefore = nNewPtrBytes, disposedBefore = nDisposedPtrs;
    unsigned char* cleared = static_cast<unsigned char*>(MyNewPtr(100, 1));
    void* plain = MyNewPtr(28, 0);
    void* empty = MyNewPtr(0, 1);
    ASSERT_TRUE(cleared && plain && empty);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(cleared[i], 0) << i;
    EXPECT_EQ(nNewPtrs - newBefore, 3u);
    EXPECT_EQ(nNewPtrBytes - bytesBefore, 128u);

    MyDisposePtr(cleared);
    MyDisposePtr(plain);
    MyDisposePtr(nullptr);
    MyDisposePtr(empty);
    EXPECT_EQ(nDisposedPtrs - disposedBefore, 3u) << "null is not counted";
}

TEST(Generic, CopyAndZeroMemory) {
    char text[16] = "abcdefgh";
    // Overlapping forwards and backwards.
    EXPECT_EQ(MyCopyMemory(text + 2, text, 6), 0);
    EXPECT_STREQ(text, "ababcdef");
    EXPECT_EQ(MyCopyMemory(text, text + 3, 5), 0);
    EXPECT_STREQ(text, "bcdefdef");

    EXPECT_EQ(MyCopyMemory(text, nullptr, 4), 1);
    EXPECT_STREQ(text, "bcdefdef");

    MyZeroMemory(text + 1, 3);
    EXPECT_EQ(text[0], 'b');
    EXPECT_EQ(memcmp(text + 1, "\0\0\0fdef", 8), 0);
    MyZeroMemory(nullptr, 10);
}
