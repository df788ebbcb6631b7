#include "cSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

template <typename T>
std::vector<T> InIndexOrder(const CSort& sort, const std::vector<T>& data, long stride = 1) {
    std::vector<T> ordered;
    for (uint32_t i = 0; i < sort.mnCount; ++i) ordered.push_back(data[sort.mpIndex[i] * stride]);
    return ordered;
}

}  // namespace

TEST(CSort, IndexOrdersUnsignedValuesBothWays) {
    const std::vector<uint32_t> data = {5, 1, 4, 1};
    CSort sort;
    ASSERT_EQ(sort.MakeSortIndex(data.data(), 4, 1), 0);
    EXPECT_EQ(InIndexOrder(sort, data), (std::vector<uint32_t>{1, 1, 4, 5}));
    ASSERT_EQ(sort.MakeSortIndex(data.data(), 4, 0), 0);
    EXPECT_EQ(InIndexOrder(sort, data), (std::vector<uint32_t>{5, 4, 1, 1}));
    EXPECT_EQ(data, (std::vector<uint32_t>{5, 1, 4, 1})) << "the data never moves";

    // Values above the signed range still compare as unsigned.
    const std::vector<uint32_t> wide = {0x80000000u, 7, 0xFFFFFFFFu, 0};
    ASSERT_EQ(sort.MakeSortIndex(wide.data(), 4, 1), 0);
    EXPECT_EQ(InIndexOrder(sort, wide), (std::vector<uint32_t>{0, 7, 0x80000000u, 0xFFFFFFFFu}));
}

TEST(CSort, LongerRunsComeOutSorted) {
    std::vector<uint32_t> data;
    for (uint32_t i = 0; i < 257; ++i) data.push_back((i * 7919u) % 101u);
    CSort sort;
    ASSERT_EQ(sort.MakeSortIndex(data.data(), data.size(), 1), 0);
    std::vector<uint32_t> ordered = InIndexOrder(sort, data);
    for (size_t i = 1; i < ordered.size(); ++i) ASSERT_LE(ordered[i - 1], ordered[i]) << i;
    // Every element appears once in the index.
    std::vector<int> seen(data.size());
    for (uint32_t i = 0; i < sort.mnCount; ++i) ++seen[sort.mpIndex[i]];
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 257);
}

TEST(CSort, EmptyAndSingleIndexes) {
    const uint32_t one = 9;
    CSort sort;
    EXPECT_EQ(sort.MakeSortIndex(&one, 0, 1), 0);
    EXPECT_EQ(sort.mnCount, 0u);
    EXPECT_EQ(sort.mpIndex, nullptr);
    EXPECT_EQ(sort.MakeSortIndex(&one, 1, 1), 0);
    ASSERT_EQ(sort.mnCount, 1u);
    EXPECT_EQ(sort.mpIndex[0], 0u);
    sort.QuickSortCW(5);  // beyond the index: only the index's own length is sorted
}

TEST(CSarMFMedSort, ComparesFloatsAStrideApart) {
    // Values at 0, 2, 4, 6; the odd positions must be ignored.
    const std::vector<float> data = {3.5f, -100.0f, -1.0f, 100.0f, 2.0f, 50.0f, 2.0f, 0.0f};
    CSarMFMedSort sort(2);
    ASSERT_EQ(sort.MakeSortIndex(data.data(), 4, 1), 0);
    EXPECT_EQ(InIndexOrder(sort, data, 2), (std::vector<float>{-1.0f, 2.0f, 2.0f, 3.5f}));

    const float nan = std::nanf("");
    const std::vector<float> withNan = {1.0f, nan};
    sort.mnStride = 1;
    sort.mpData = withNan.data();
    EXPECT_EQ(sort.CompareElements(0, 1), 0);
    EXPECT_EQ(sort.CompareElements(1, 0), 0);
    EXPECT_EQ(sort.CompareElements(0, 0), 0);
}
