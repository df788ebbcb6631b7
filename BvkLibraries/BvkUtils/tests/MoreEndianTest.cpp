#include "MoreEndian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(MoreEndian, PatternsReverseTheirFields) {
    struct Case {
        const char* pattern;
        long count;
        std::vector<unsigned char> in;
        std::vector<unsigned char> out;
        long processed;
    };
    const Case cases[] = {
        {"x24", 1, {1, 2, 3, 4, 5, 6}, {2, 1, 6, 5, 4, 3}, 6},
        {"x8", 1, {1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}, 8},
        {"x12", 2, {1, 2, 3, 4, 5, 6}, {1, 3, 2, 4, 6, 5}, 6},
        {"X2x2", 1, {1, 2, 3, 4}, {2, 1, 4, 3}, 4},
        // The spectra file header: 2, 4, 4, 2 and 4 byte fields.
        {"x244x24",
         1,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
         {1, 0, 5, 4, 3, 2, 9, 8, 7, 6, 11, 10, 15, 14, 13, 12},
         16},
        // A digit that names no field ends the work where it stands.
        {"x23", 2, {1, 2, 3, 4}, {2, 1, 3, 4}, 2},
        {"x0", 5, {1, 2}, {1, 2}, 0},
        {"x", 3, {1, 2}, {1, 2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::vector<unsigned char> data = c.in;
        EXPECT_EQ(SwapEndians(data.data(), c.count, c.pattern), c.processed);
        EXPECT_EQ(data, c.out);
    }
}

TEST(MoreEndian, NothingHappensWithoutDataOrRecords) {
    unsigned char data[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(SwapEndians(nullptr, 1, "x4"), 0);
    EXPECT_EQ(SwapEndians(data, 1, nullptr), 0);
    EXPECT_EQ(SwapEndians(data, -3, "x4"), 0);
    SwapEndiansArray4(nullptr, 2);
    SwapEndiansArray4(data, 0);
    EXPECT_EQ(data[0], 1);
    SwapEndiansArray4(data, 2);
    const unsigned char expected[12] = {4, 3, 2, 1, 8, 7, 6, 5, 9, 10, 11, 12};
    EXPECT_EQ(memcmp(data, expected, 12), 0);
}
