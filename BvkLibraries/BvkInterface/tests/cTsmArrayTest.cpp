#include "cTsmArray.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CTsmArray, FloatArrayFindMedianPicksTheLowerMiddle) {
    const struct {
        const char* name;
        std::vector<float> values;
        long count;
        long stride;
        long median;
    } cases[] = {
        {"odd count", {3.0f, 1.0f, 2.0f}, 3, 1, 2},
        {"even count takes the lower middle", {4.0f, 1.0f, 3.0f, 2.0f}, 4, 1, 3},
        {"two values", {9.0f, -9.0f}, 2, 1, 1},
        {"stride two", {5.0f, 0.0f, 1.0f, 0.0f, 3.0f, 0.0f}, 3, 2, 2},
        {"one value", {7.0f}, 1, 1, 0},
        {"no values", {}, 0, 1, 0},
        {"stride below one is one", {3.0f, 1.0f, 2.0f}, 3, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> values = c.values;
        EXPECT_EQ(CTsmArray::FloatArrayFindMedian(values.empty() ? nullptr : values.data(), c.count,
                                                  c.stride),
                  c.median);
    }
    EXPECT_EQ(CTsmArray::FloatArrayFindMedian(nullptr, 5, 1), 0);
}
