#include "cCrossLoop.h"

#include "BvkErrors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kCodeABCD = 0x41424344;

// A pattern whose vectors carry their original index in every part, so a
// reordering shows in all arrays at once.
CCrossLoopPattern MakePattern(const std::vector<double>& bearings) {
    CCrossLoopPattern pattern;
    for (size_t i = 0; i < bearings.size(); ++i) {
        double k = static_cast<double>(i);
        XLPattern parts{k, 10 + k, 20 + k, 30 + k, {0, 0}};
        XLQuality quality{40 + k, 50 + k, 60 + k, 70 + k};
        pattern.AddNewVector(bearings[i], &parts, &quality, nullptr, 100 + i);
    }
    return pattern;
}

std::vector<double> Bearings(const CCrossLoop& loop) {
    return std::vector<double>(loop.mpBearings.begin(), loop.mpBearings.begin() + loop.mnVectors);
}

// The original index of each vector, checked to agree across the arrays.
std::vector<int> Order(const CCrossLoop& loop) {
    std::vector<int> order;
    for (int i = 0; i < loop.mnVectors; ++i) {
        double k = loop.mpPatterns[i].a13r;
        EXPECT_EQ(loop.mpPatterns[i].a23i, 30 + k);
        EXPECT_EQ(loop.mpQualities[i].q23i, 70 + k);
        EXPECT_EQ(loop.mpFlags[i], 100 + static_cast<uint32_t>(k));
        order.push_back(static_cast<int>(k));
    }
    return order;
}

TEST(CCrossLoop, ClearKeepsTheTypeAndSetOriginTimeReturnsThePrevious) {
    CCrossLoop loop(kLoopTypeLoop);
    EXPECT_EQ(loop.mpInfos.size(), 1025u);  // loop data carries information records
    EXPECT_EQ(CCrossLoopPattern().mpInfos.size(), 0u);
    loop.mnSiteCode = kCodeABCD;
    loop.mdAntennaBearing = 12;
    loop.AddNewVector(1, nullptr, nullptr, nullptr, 0);
    uint32_t now = loop.mnTime;
    EXPECT_EQ(loop.SetOriginTime(7), now);
    EXPECT_EQ(loop.SetOriginTime(9), 7u);
    loop.Clear();
    EXPECT_EQ(loop.mnSiteCode, 0x58585858u);
    EXPECT_EQ(loop.GetNumberOfVectors(), 0);
    EXPECT_EQ(loop.mnLoopType, kLoopTypeLoop);
}

TEST(CCrossLoop, VectorsAppendAndArraysGrow) {
    CCrossLoopPattern pattern;
    EXPECT_EQ(pattern.Allocate(3), kNoErr);  // never below 8
    EXPECT_EQ(pattern.mnCapacity, 8);
    XLPattern parts{1, 2, 3, 4, {9, 9}};
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(pattern.AddNewVector(i, &parts, nullptr, nullptr, 5), i);
    EXPECT_EQ(pattern.mnCapacity, 8 + 512);  // grown by 512 when full
    EXPECT_EQ(pattern.mpBearings[8], 9.0);
    EXPECT_EQ(pattern.mpPatterns[8].a23i, 4.0);
    EXPECT_EQ(pattern.mpQualities[8].q13r, 0.0);  // a missing record stays zero
    EXPECT_EQ(pattern.Allocate(-1), kNoErr);      // keeps the capacity, drops the vectors
    EXPECT_EQ(pattern.mnCapacity, 520);
    EXPECT_EQ(pattern.mnVectors, 0);
    EXPECT_EQ(pattern.AllocateMore(1), kNoErr);  // at least 8 more
    EXPECT_EQ(pattern.mnCapacity, 528);
    EXPECT_EQ(pattern.Allocate(2000000000), kErrOutOfMemory);  // refused, not attempted
    EXPECT_EQ(pattern.mnCapacity, 528);  // a failed allocation changes nothing
    CCrossLoop loop(kLoopTypeLoop);
    XLPatternInfo info{};
    info.rangeCell = 7;
    loop.AddNewVector(3, nullptr, nullptr, &info, 0);
    EXPECT_EQ(loop.mpInfos[0].rangeCell, 7);
}

TEST(CCrossLoop, BearingAdjustmentAndLimits) {
    const struct {
        std::vector<double> before;
        double delta;
        long result;
        std::vector<double> after;
    } cases[] = {
        {{10, 20, 1440}, -15, kNoErr, {-5, 5, 1440}},  // a missing bearing stays missing
        {{10, 20}, 0, kNoErr, {10, 20}},
        {{}, 5, kErrBadArgument, {}},
    };
    for (const auto& c : cases) {
        CCrossLoopPattern pattern = MakePattern(c.before);
        EXPECT_EQ(pattern.AdjustBearings(c.delta), c.result);
        EXPECT_EQ(Bearings(pattern), c.after);
    }
    CCrossLoopPattern pattern = MakePattern({-10, 360, 725, 359.5, -725, 1440, 0});
    pattern.LimitBearings360();
    EXPECT_EQ(Bearings(pattern), (std::vector<double>{350, 0, 5, 359.5, 355, 1440, 0}));
}

TEST(CCrossLoop, FlipTurnsCounterClockwiseListsClockwise) {
    CCrossLoopPattern pattern = MakePattern({-5, 5, 15, 1440});
    pattern.FlipBearings();
    EXPECT_EQ(Bearings(pattern), (std::vector<double>{1440, 345, 355, 5}));
    EXPECT_EQ(Order(pattern), (std::vector<int>{3, 2, 1, 0}));
}

TEST(CCrossLoop, RotationBringsAVectorToTheFront) {
    CCrossLoopPattern pattern = MakePattern({10, 20, 30, 40});
    EXPECT_EQ(pattern.Rotate(2), kNoErr);
    EXPECT_EQ(Bearings(pattern), (std::vector<double>{30, 40, 10, 20}));
    EXPECT_EQ(Order(pattern), (std::vector<int>{2, 3, 0, 1}));
    EXPECT_EQ(pattern.Rotate(0), kNoErr);
    EXPECT_EQ(pattern.Rotate(4), kErrBadArgument);
    EXPECT_EQ(pattern.Rotate(-1), kErrBadArgument);
    EXPECT_EQ(Order(pattern), (std::vector<int>{2, 3, 0, 1}));
}

TEST(CCrossLoop, ResolutionIsTheMedianStepBetweenNeighbours) {
    const struct {
        std::vector<double> bearings;
        double resolution;
    } cases[] = {
        {{350, 355, 0, 5}, 5},       // across north
        {{0, 10, 30, 60, 100}, 20},  // an even count of steps: the lower middle
        {{5, 0, 355}, 5},            // steps count without their sign
        {{0, 90, 0}, 90},
        // Counting the missing entries as bearings (1440 is 0 degrees) would
        // give steps 10, 30, 30, 50, 2 and a median of 30.
        {{10, 1440, 30, 1440, 50, 52}, 2},
        {{1440, 1440, 7}, 0},  // no pair of real bearings
        {{10}, 0},
        {{}, 0},
    };
    for (const auto& c : cases) {
        CCrossLoopPattern pattern = MakePattern(c.bearings);
        double resolution = -1;
        EXPECT_EQ(pattern.CalculatePatternResolution(&resolution), kNoErr);
        EXPECT_NEAR(resolution, c.resolution, 1e-9) << c.bearings.size();
    }
    // The chosen step is returned at full precision.
    CCrossLoopPattern fine = MakePattern({0, 0.1, 0.2, 0.3});
    double resolution = 0;
    fine.CalculatePatternResolution(&resolution);
    EXPECT_NEAR(resolution, 0.1, 1e-12);
}

TEST(CCrossLoop, CopiesKeepTheirOwnType) {
    CCrossLoopPattern source = MakePattern({10, 20});
    source.mnSiteCode = kCodeABCD;
    source.mdAngularResolution = 5;
    strcpy(source.mszComment, "source");

    CCrossLoop empty(kLoopTypeLoop);
    empty.EmptyCopy(&source);
    EXPECT_EQ(empty.mnLoopType, kLoopTypeLoop);
    EXPECT_EQ(empty.mnSiteCode, kCodeABCD);
    EXPECT_STREQ(empty.mszComment, "source");
    EXPECT_EQ(empty.mnVectors, 0);

    CCrossLoop assigned(kLoopTypeLoop);
    assigned = source;
    EXPECT_EQ(assigned.mnLoopType, kLoopTypeLoop);
    EXPECT_EQ(Bearings(assigned), (std::vector<double>{10, 20}));
    assigned.AddNewVector(30, nullptr, nullptr, nullptr, 0);  // no information array to fill
    EXPECT_EQ(assigned.mnVectors, 3);

    CCrossLoopPattern other = MakePattern({1, 2, 3});
    other.mdAngularResolution = 1;
    other.Swap(&source);
    EXPECT_EQ(Bearings(other), (std::vector<double>{10, 20}));
    EXPECT_EQ(other.mnSiteCode, kCodeABCD);
    EXPECT_EQ(Bearings(source), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(source.mdAngularResolution, 1.0);
    EXPECT_EQ(source.mnSiteCode, 0x58585858u);
}

}  // namespace
