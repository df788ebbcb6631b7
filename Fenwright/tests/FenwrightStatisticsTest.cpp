#include "FenwrightStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Vectors at the given ranges (metres), due north, at rest.
std::vector<XVectorSample> AtRanges(std::initializer_list<std::pair<double, int>> groups) {
    std::vector<XVectorSample> v;
    for (const auto& [range, count] : groups)
        for (int i = 0; i < count; ++i) v.push_back({range, 0.0, 0.0});
    return v;
}

TEST(FenwrightStatistics, CountsVectorsPerRangeCell) {
    struct Case {
        const char* name;
        std::vector<XVectorSample> vectors;
        long expected;
    };
    const Case cases[] = {
        // Groups of 3 (3005 is within 10 m of 3000) and 2: (3 + 2) / 2.
        {"example", {{3000, 0, 0}, {3000, 0, 0}, {3005, 0, 0}, {6000, 0, 0}, {6000, 0, 0}}, 2},
        {"none", {}, 0},
        {"one", {{1500, 0, 0}}, 1},
        // 9.9 m apart stays one group (drift is measured from the group's
        // first vector); 10 m apart starts a new one: (2 + 1) / 2.
        {"ten metres", {{1000, 0, 0}, {1009.9, 0, 0}, {1010, 0, 0}}, 1},
        // Once 20 vectors are counted, a group of fewer than 4 no longer
        // counts: groups 10, 10, (1 skipped), 5 give (20 + 5) / 3.
        {"sparse fringe", AtRanges({{1000, 10}, {2000, 10}, {3000, 1}, {4000, 5}}), 8},
        // Below the total of 20 a small group still counts: (1 + 1 + 5) / 3.
        {"small early groups", AtRanges({{1000, 1}, {2000, 1}, {3000, 5}}), 2},
    };
    for (const Case& c : cases) EXPECT_EQ(VectorsPerRange(c.vectors), c.expected) << c.name;
}

TEST(FenwrightStatistics, FindsFarthestDenseRange) {
    struct Case {
        const char* name;
        std::vector<XVectorSample> vectors;
        long perRange;
        double expected;
    };
    const Case cases[] = {
        {"dense to the end", AtRanges({{1000, 4}, {2000, 4}, {3000, 4}}), 4, 3000},
        // The single far vectors do not reach the threshold of 4.
        {"sparse fringe", AtRanges({{1000, 5}, {2000, 5}, {3000, 1}, {4000, 1}}), 3, 2000},
        // Threshold 25 / 5 = 5: the outer group of 4 is too small.
        {"threshold from density", AtRanges({{1000, 6}, {2000, 5}, {3000, 4}}), 25, 2000},
        {"one vector", AtRanges({{1000, 1}}), 1, 0},
        {"no vectors", {}, 0, 0},
        // A single group has nothing inside it to end it.
        {"single group", AtRanges({{1000, 9}}), 9, 0},
        // The innermost vector is never visited, so it cannot end the group
        // of 4 just outside it.
        {"innermost not visited", AtRanges({{1000, 1}, {2000, 4}, {3000, 3}}), 2, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(MaximumRange(c.vectors, c.perRange), c.expected) << c.name;
}

TEST(FenwrightStatistics, FillsRecordWithSpeedsAndBearing) {
    XReportRadial record{};
    record.mdAmp1 = 1.25;  // not a statistic: kept
    std::vector<XVectorSample> v = {
        {3000, 350, -0.3}, {3000, 10, 0.2}, {3005, 10, 0.3}, {6000, 350, 0.1}, {6000, 0, -0.1}};
    AddVectorStatistics(v, 3, 20, &record);
    EXPECT_EQ(record.mnVectorCount, 5);
    EXPECT_EQ(record.mnRangeCells, 18);
    EXPECT_EQ(record.mnVectorsPerRange, 2);
    EXPECT_DOUBLE_EQ(record.mdMaxRange, 0);  // threshold 4 never met
    EXPECT_DOUBLE_EQ(record.mdMeanVelocity, 1.0 / 5);
    EXPECT_DOUBLE_EQ(record.mdMaxVelocity, -0.3);  // the first of the two largest
    // Two at 350, two at 10, one at 0: the mean lies on north, not south.
    EXPECT_NEAR(record.mdMeanBearing, 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(record.mdAmp1, 1.25);

    // Bearings are averaged as directions, and come out between -180 and 180.
    struct Case {
        std::vector<double> bearings;
        double expected;
    };
    const Case cases[] = {
        {{90, 180}, 135},
        {{180, 270}, -135},
        {{270}, -90},
        // sin sum 3 sqrt(2)/2, cos sum sqrt(2)/2: atan(3) = 71.56505117707799 degrees.
        {{45, 45, 135}, 71.56505117707799},
    };
    for (const Case& c : cases) {
        std::vector<XVectorSample> s;
        for (double b : c.bearings) s.push_back({1000, b, 0.5});
        XReportRadial r{};
        AddVectorStatistics(s, 0, 0, &r);
        EXPECT_NEAR(r.mdMeanBearing, c.expected, 1e-9) << c.bearings.size();
        EXPECT_DOUBLE_EQ(r.mdMeanVelocity, 0.5);
    }

    XReportRadial empty{};
    AddVectorStatistics({}, 5, 4, &empty);
    EXPECT_EQ(empty.mnVectorCount, 0);
    EXPECT_EQ(empty.mnRangeCells, 0);
    EXPECT_EQ(empty.mdMeanVelocity, 0.0);
    EXPECT_EQ(empty.mdMaxVelocity, 0.0);
    EXPECT_EQ(empty.mdMeanBearing, 0.0);
}

}  // namespace
