// The QC tests on hand-made stores. Expected flags come from the rules:
// thresholds are inclusive or exclusive exactly as each rule says, and the
// boundary rows sit on them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "cRadialQC.h"

namespace {

struct XRow {
    double velocity;  // cm/s
    double bearing = 0;
    long rangeCell = 1;
    uint32_t flags = 0;
    double lon = -122.0;
    double lat = 36.9;
};

// A radial store with both position forms, vector flags and range cells.
std::unique_ptr<CLLUVFile> MakeStore(const std::vector<XRow>& rows) {
    auto store = std::make_unique<CLLUVFile>();
    store->UseQuality(7);
    store->mnSpectraSourceMask = 1;
    store->Allocate(-1, kLLUVVectorFull);
    store->mnColumnMask = kLLUVColumnVFLG;
    for (const XRow& row : rows) {
        const long i = store->AddNewEmptyVector();
        store->mpLLUV[i].mdLongitude = row.lon;
        store->mpLLUV[i].mdLatitude = row.lat;
        store->mpRBVD[i].mdBearing = row.bearing;
        store->mpRBVD[i].mdVelocity = row.velocity / 100.0;
        store->mpQuality[i].mnFlags = row.flags;
        store->mpSpectraSource[i].mnRangeCell = row.rangeCell;
    }
    return store;
}

// `n` rows at distinct positions, all with the same velocity.
std::vector<XRow> Rows(long n, double velocity) {
    std::vector<XRow> rows;
    for (long i = 0; i < n; ++i) rows.push_back({velocity, 0, 1, 0, -122.0 + i * 1e-3, 36.9});
    return rows;
}

TEST(CRadialQC, MaxSpeedFailsAboveMaxAndIsSuspectAboveHigh) {
    const struct {
        double velocity;
        int flag;
    } cases[] = {{0, 1},   {150, 1},  {150.001, 3}, {-150.001, 3},
                 {250, 3}, {-250, 3}, {250.001, 4}, {-250.001, 4}};
    for (const auto& c : cases) {
        auto store = MakeStore({{c.velocity}});
        std::vector<uint8_t> flags;
        RadialQCMaxSpeed(*store, XRadialQCOptions{}, flags);
        EXPECT_EQ(flags, std::vector<uint8_t>{static_cast<uint8_t>(c.flag)}) << c.velocity;
    }
}

TEST(CRadialQC, ValidLocationFailsOnlyTheLandFlagAndNeedsTheFlagColumn) {
    auto store = MakeStore({{0, 0, 1, 0}, {0, 0, 1, 128}, {0, 0, 1, 129}, {0, 0, 1, 64}});
    std::vector<uint8_t> flags;
    RadialQCValidLocation(*store, flags);
    EXPECT_EQ(flags, (std::vector<uint8_t>{1, 4, 1, 1}));

    store->mnColumnMask = 0;
    XRadialQCResult result;
    RunRadialQC(*store, XRadialQCFileFacts{}, nullptr, nullptr, XRadialQCOptions{}, result);
    EXPECT_FALSE(result.ran[kQCValidLocation]);
}

TEST(CRadialQC, RadialCountLeavesOutLandVectors) {
    const struct {
        long rows;
        long land;
        int flag;
    } cases[] = {{149, 0, 4}, {150, 0, 3}, {150, 1, 4}, {300, 0, 3},
                 {301, 0, 1}, {302, 1, 1}, {301, 1, 3}};
    for (const auto& c : cases) {
        std::vector<XRow> rows = Rows(c.rows, 10);
        for (long i = 0; i < c.land; ++i) rows[i].flags = 128;
        auto store = MakeStore(rows);
        long count = 0;
        EXPECT_EQ(RadialQCRadialCount(*store, XRadialQCOptions{}, &count), c.flag) << c.rows;
        EXPECT_EQ(count, c.rows - c.land);
    }
}

// Five-degree bearing cells: the window is round(2.1) = 2 range cells and
// floor(10 / 5) = 2 bearing cells either side.
TEST(CRadialQC, SpatialMedianComparesWithItsNeighbours) {
    const struct {
        const char* what;
        std::vector<XRow> rows;
        size_t checked;
        int flag;
    } cases[] = {
        {"even count: median 30 is the mean of 0 and 60, difference exactly 30",
         {{0, 0}, {60, 5}},
         0,
         1},
        {"even count: median 30.001, difference just above 30", {{0, 0}, {60.002, 5}}, 0, 4},
        {"odd count: median 0 of 0, 0, 31", {{0, 0}, {0, 5}, {31, 10}}, 2, 4},
        {"bearing wrap: 0 and 5 degrees are neighbours of 355", {{0, 355}, {40, 0}, {40, 5}}, 0, 4},
        {"two range cells away is near", {{0, 0, 1}, {40, 0, 3}, {40, 5, 3}}, 0, 4},
        {"three range cells away is not", {{0, 0, 1}, {40, 0, 4}, {40, 5, 4}}, 0, 1},
        {"two bearing cells away is near", {{0, 0}, {40, 10}, {40, 350}}, 0, 4},
        {"three bearing cells away is not", {{0, 0}, {40, 15}, {40, 345}}, 0, 1},
    };
    for (const auto& c : cases) {
        auto store = MakeStore(c.rows);
        std::vector<uint8_t> flags;
        RadialQCSpatialMedian(*store, XRadialQCOptions{}, 5.0, flags);
        ASSERT_EQ(flags.size(), c.rows.size()) << c.what;
        EXPECT_EQ(flags[c.checked], c.flag) << c.what;
    }
}

TEST(CRadialQC, AngularResolutionIsTheOptionTheFileOrTheBearingGrid) {
    auto store = MakeStore({{0, 350}, {0, 5}, {0, 15}, {0, 20}});
    XRadialQCOptions options;
    XRadialQCFileFacts facts;
    EXPECT_DOUBLE_EQ(RadialQCAngularResolution(*store, options, facts), 5.0);  // 15 to 20
    facts.angularResolution = 2;
    EXPECT_DOUBLE_EQ(RadialQCAngularResolution(*store, options, facts), 2.0);
    options.angularResolution = 3;
    EXPECT_DOUBLE_EQ(RadialQCAngularResolution(*store, options, facts), 3.0);
}

TEST(CRadialQC, TemporalGradientAgainstTheSamePositionAnHourBefore) {
    const struct {
        double now, before;
        int flag;
    } cases[] = {{10, 10, 1},     {46, 10, 3},  {45.999, 10, 1}, {64, 10, 4},
                 {63.999, 10, 3}, {-44, 10, 4}, {-26, 10, 3}};
    for (const auto& c : cases) {
        auto now = MakeStore({{c.now}});
        auto before = MakeStore({{c.before}});
        std::vector<uint8_t> flags;
        RadialQCTemporalGradient(*now, before.get(), XRadialQCOptions{}, flags);
        EXPECT_EQ(flags, std::vector<uint8_t>{static_cast<uint8_t>(c.flag)}) << c.now;
    }
    // A position the hour before does not have, and no hour before at all.
    auto now = MakeStore({{10, 0, 1, 0, -122.0}, {10, 0, 1, 0, -122.1}});
    auto before = MakeStore({{10, 0, 1, 0, -122.0}});
    std::vector<uint8_t> flags;
    RadialQCTemporalGradient(*now, before.get(), XRadialQCOptions{}, flags);
    EXPECT_EQ(flags, (std::vector<uint8_t>{1, 2}));
    RadialQCTemporalGradient(*now, nullptr, XRadialQCOptions{}, flags);
    EXPECT_EQ(flags, (std::vector<uint8_t>{2, 2}));
}

TEST(CRadialQC, AverageBearingIsACircularMeanAgainstTheReference) {
    const struct {
        std::vector<double> bearings;
        double reference;
        int flag;
    } cases[] = {
        {{14.9}, 0, 1},   {{15}, 0, 3},      {{29.9}, 0, 3},
        {{30}, 0, 4},     {{350, 10}, 0, 1},  // the mean is 0, not 180
        {{5}, 350, 3},                        // 15 degrees across north
        {{0, 180}, 0, 2},                     // no mean direction
    };
    for (const auto& c : cases) {
        std::vector<XRow> rows;
        for (double b : c.bearings) rows.push_back({0, b});
        auto store = MakeStore(rows);
        XRadialQCOptions options;
        options.hasReferenceBearing = true;
        options.referenceBearing = c.reference;
        EXPECT_EQ(RadialQCAverageBearing(*store, options, nullptr), c.flag) << c.bearings[0];
    }
}

TEST(CRadialQC, StuckValueNeedsBothEarlierHours) {
    const struct {
        double now, before, twoBefore;
        int flag;
    } cases[] = {{10, 10, 10, 4},
                 {10, 10.009, 10.018, 4},
                 {10, 10.01, 10.01, 1},
                 {10, 10, 10.01, 1},
                 {-5, -5, -5, 4}};
    for (const auto& c : cases) {
        auto now = MakeStore({{c.now}});
        auto before = MakeStore({{c.before}});
        auto twoBefore = MakeStore({{c.twoBefore}});
        std::vector<uint8_t> flags;
        RadialQCStuckValue(*now, before.get(), twoBefore.get(), XRadialQCOptions{}, flags);
        EXPECT_EQ(flags, std::vector<uint8_t>{static_cast<uint8_t>(c.flag)}) << c.before;
    }
    auto now = MakeStore({{10, 0, 1, 0, -122.0}, {10, 0, 1, 0, -122.1}});
    auto before = MakeStore({{10, 0, 1, 0, -122.0}, {10, 0, 1, 0, -122.1}});
    auto twoBefore = MakeStore({{10, 0, 1, 0, -122.0}});
    std::vector<uint8_t> flags;
    RadialQCStuckValue(*now, before.get(), twoBefore.get(), XRadialQCOptions{}, flags);
    EXPECT_EQ(flags, (std::vector<uint8_t>{4, 2}));
    RadialQCStuckValue(*now, before.get(), nullptr, XRadialQCOptions{}, flags);
    EXPECT_EQ(flags, (std::vector<uint8_t>{2, 2}));
}

XRadialQCFileFacts GoodFacts() {
    XRadialQCFileFacts facts;
    std::snprintf(facts.fileName, sizeof facts.fileName, "RDLi_BRNK_2026_12_06_1400.ruv");
    facts.keywords = kQCKeyAll;
    const long stamp[5] = {2026, 12, 6, 14, 0};
    std::copy(stamp, stamp + 5, facts.stamp);
    return facts;
}

TEST(CRadialQC, SyntaxNamesEachConditionThatFails) {
    const struct {
        const char* what;
        void (*change)(XRadialQCFileFacts&, CLLUVFile&);
        uint32_t problems;
    } cases[] = {
        {"all hold", [](XRadialQCFileFacts&, CLLUVFile&) {}, 0},
        {"name without stamp",
         [](XRadialQCFileFacts& f, CLLUVFile&) { std::snprintf(f.fileName, 9, "RDLi.ruv"); },
         kQCSyntaxNoNameStamp},
        {"no rows", [](XRadialQCFileFacts&, CLLUVFile& s) { s.mnVectors = 0; }, kQCSyntaxNoRows},
        {"no TimeZone", [](XRadialQCFileFacts& f, CLLUVFile&) { f.keywords &= ~kQCKeyTimeZone; },
         kQCSyntaxMissingKeyword},
        {"stamp a minute off", [](XRadialQCFileFacts& f, CLLUVFile&) { f.stamp[4] = 1; },
         kQCSyntaxStampMismatch},
        {"a short row", [](XRadialQCFileFacts& f, CLLUVFile&) { f.rowsOfWrongWidth = 1; },
         kQCSyntaxRowWidth},
        {"latitude 90 and longitude -180 hold",
         [](XRadialQCFileFacts&, CLLUVFile& s) {
             s.mdOriginLatitude = 90;
             s.mdOriginLongitude = -180;
         },
         0},
        {"latitude beyond 90",
         [](XRadialQCFileFacts&, CLLUVFile& s) { s.mdOriginLatitude = 90.0000001; },
         kQCSyntaxOriginRange},
        {"longitude beyond 180",
         [](XRadialQCFileFacts&, CLLUVFile& s) { s.mdOriginLongitude = 180.5; },
         kQCSyntaxOriginRange},
    };
    for (const auto& c : cases) {
        auto store = MakeStore({{10}});
        store->mdOriginLatitude = 36.95;
        store->mdOriginLongitude = -122.06;
        XRadialQCFileFacts facts = GoodFacts();
        c.change(facts, *store);
        uint32_t problems = 0xFF;
        EXPECT_EQ(RadialQCSyntax(*store, facts, &problems), c.problems ? 4 : 1) << c.what;
        EXPECT_EQ(problems, c.problems) << c.what;
    }
}

TEST(CRadialQC, PrimaryIsTheWorstFlagAndIgnoresNotEvaluated) {
    // Rows three range cells apart are each alone for the spatial median.
    auto store = MakeStore({{0, 0, 1, 0, -122.0}, {200, 0, 4, 0, -122.1}, {300, 0, 7, 0, -122.2}});
    XRadialQCOptions options;
    options.minRadials = 1;
    options.lowRadials = 2;
    options.angularResolution = 5;
    XRadialQCResult result;
    RunRadialQC(*store, GoodFacts(), nullptr, nullptr, options, result);
    // Q206 and Q209 are 2 everywhere (no earlier hours); Q202 gives 1, 3, 4.
    EXPECT_EQ(result.rowFlags[kQCTemporalGradient], (std::vector<uint8_t>{2, 2, 2}));
    EXPECT_EQ(result.rowFlags[kQCPrimary], (std::vector<uint8_t>{1, 3, 4}));
    EXPECT_FALSE(result.ran[kQCAverageBearing]);  // no reference bearing

    options.lowRadials = 3;  // three radials are now suspect: a file flag for every row
    RunRadialQC(*store, GoodFacts(), nullptr, nullptr, options, result);
    EXPECT_EQ(result.fileFlag[kQCRadialCount], 3);
    EXPECT_EQ(result.rowFlags[kQCPrimary], (std::vector<uint8_t>{3, 3, 4}));
}

// A file can hold "nan" or huge numbers; they must neither overflow the
// integer velocities nor pass as valid speeds.
TEST(CRadialQC, ValuesThatAreNoNumbersFailTheSpeedTestAndOverflowNothing) {
    auto store = MakeStore({{std::nan(""), 0}, {1e300, 5}, {-1e300, 10}, {10, std::nan("")}});
    XRadialQCOptions options;
    options.hasReferenceBearing = true;
    options.angularResolution = 5;
    XRadialQCResult result;
    RunRadialQC(*store, GoodFacts(), store.get(), store.get(), options, result);
    EXPECT_EQ(result.rowFlags[kQCMaxSpeed], (std::vector<uint8_t>{4, 4, 4, 1}));
    // The store is its own two earlier hours, so every row is also stuck (Q209 4).
    EXPECT_EQ(result.rowFlags[kQCPrimary], (std::vector<uint8_t>{4, 4, 4, 4}));
}

}  // namespace
