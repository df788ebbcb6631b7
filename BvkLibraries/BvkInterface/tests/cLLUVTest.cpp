// The vector store: arrays, growth, flags, setters and the information block.

#include "cLLUV.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BvkErrors.h"

// Memory tests ask for impossible sizes and expect a clean -108; under the
// address sanitizer such requests must return null instead of aborting.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

// The arrays a store holds, one letter each in the order geographic, polar,
// x/y distance, quality, contributors, spectra source, wave; '-' for none.
std::string Arrays(const CLLUV& store) {
    const bool held[] = {store.mpLLUV != nullptr,         store.mpRBVD != nullptr,
                         store.mpDist != nullptr,         store.mpQuality != nullptr,
                         store.mpContributors != nullptr, store.mpSpectraSource != nullptr,
                         store.mpWaveMap != nullptr};
    std::string letters = "GPDQCSW";
    for (size_t i = 0; i < letters.size(); ++i)
        if (!held[i]) letters[i] = '-';
    return letters;
}

// Every optional array switched on.
void UseEverything(CLLUV& store) {
    store.mnUseDistance = 1;
    store.mnQualityMode = 7;
    store.mnContributorCount = 6;
    store.mnSpectraSourceMask = 1;
    store.mnUseWaveMap = 1;
}

}  // namespace

TEST(CLLUV, AllocateCreatesTheArraysTheTypeAndFlagsAskFor) {
    const struct {
        const char* name;
        uint32_t vectorType;
        bool everything;
        const char* arrays;
    } cases[] = {
        {"geographic only", kLLUVVectorGeographic, false, "G------"},
        {"polar only", kLLUVVectorPolar, false, "-P-----"},
        {"both", kLLUVVectorFull, false, "GP-----"},
        {"undecided gets both", 0, false, "GP-----"},
        {"every optional array", kLLUVVectorPolar, true, "-PDQCSW"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLLUV store(kLLUVMapRadial, c.vectorType);
        if (c.everything) UseEverything(store);
        EXPECT_EQ(store.Allocate(-1, 0), 0);
        EXPECT_EQ(Arrays(store), c.arrays);
        EXPECT_EQ(store.mnAllocated, 16384);
        EXPECT_EQ(store.mnVectorType, c.vectorType);
    }
}

TEST(CLLUV, The16385thVectorGrowsEveryArrayAndKeepsTheFirst16384) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    UseEverything(store);
    ASSERT_EQ(store.Allocate(-1, 0), 0);
    // Every record gets values that depend on its index, in every array.
    for (long i = 0; i < 16384; ++i) {
        ASSERT_EQ(store.AddNewEmptyVector(), i);
        store.mpLLUV[i] = {double(i), double(i) + 0.5, 1.0, 2.0};
        store.mpRBVD[i] = {double(i) * 10.0, 3.0, 4.0, 5.0};
        store.mpDist[i] = {double(i), -double(i)};
        store.SetVectorFlag(i, static_cast<unsigned long>(i) + 7u);
        store.SetVectorQuality(i, 1, 2, 3, 4, 5, i, i + 1);
        store.SetVectorSixContributers(i, i & 0xFFFF, 1, 2, 3, 4, 5);
        store.SetSpectraSourceInfo(i, i, 6.0, 7.0);
        store.SetWaveMapInfo(i, double(i), 8.0);
    }
    ASSERT_EQ(store.mnAllocated, 16384);
    ASSERT_EQ(store.AddNewEmptyVector(), 16384);
    EXPECT_EQ(store.mnAllocated, 17408);
    EXPECT_EQ(store.GetNumberOfVectors(), 16385);
    EXPECT_EQ(Arrays(store), "GPDQCSW");

    long changed = 0;
    for (long i = 0; i < 16384; ++i) {
        const bool same =
            store.mpLLUV[i].mdLongitude == double(i) && store.mpLLUV[i].mdLatitude == i + 0.5 &&
            store.mpLLUV[i].mdVelocityV == 2.0 && store.mpRBVD[i].mdRange == i * 10.0 &&
            store.mpRBVD[i].mdDirection == 5.0 && store.mpDist[i].mdY == -double(i) &&
            store.mpQuality[i].mnFlags == static_cast<uint32_t>(i + 7) &&
            store.mpQuality[i].mnRadialCount == i + 1 && store.mpQuality[i].mfQuality[4] == 5.0f &&
            store.mpContributors[i].mnContributor[0] == (i & 0xFFFF) &&
            store.mpContributors[i].mnContributor[5] == 5 &&
            store.mpSpectraSource[i].mnRangeCell == i &&
            store.mpSpectraSource[i].mdVelocity == 7.0 && store.mpWaveMap[i].mdWaveHeight == i;
        if (!same) ++changed;
    }
    EXPECT_EQ(changed, 0);
    // The new vector and the whole new tail are zero.
    for (long i = 16384; i < 17408; ++i) {
        ASSERT_EQ(store.mpRBVD[i].mdRange, 0.0);
        ASSERT_EQ(store.mpQuality[i].mnFlags, 0u);
        ASSERT_EQ(store.mpWaveMap[i].mdWind, 0.0);
    }
}

TEST(CLLUV, FailedGrowthLeavesStoreAsItWas) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    UseEverything(store);
    ASSERT_EQ(store.Allocate(4, 0), 0);
    for (int i = 0; i < 3; ++i) {
        long index = store.AddNewEmptyVector();
        store.mpLLUV[index].mdLongitude = 10.0 + index;
    }
    // 2^50 records cannot be addressed on any machine.
    EXPECT_EQ(store.AllocateMore(1L << 50), kErrOutOfMemory);
    EXPECT_EQ(store.ReserveVectors(1L << 50), kErrOutOfMemory);
    EXPECT_EQ(store.ReserveVectors(LONG_MAX), kErrOutOfMemory);
    EXPECT_EQ(store.mnAllocated, 4);
    EXPECT_EQ(store.GetNumberOfVectors(), 3);
    EXPECT_EQ(store.mpLLUV[2].mdLongitude, 12.0);
    EXPECT_EQ(store.AllocateMore(-5), kErrBadArgument);
    EXPECT_EQ(store.AllocateMore(LONG_MAX), kErrBadArgument);

    // Room that fits changes neither the capacity nor a vector, and the
    // store fills into it.
    ASSERT_EQ(store.ReserveVectors(5000), 0);
    EXPECT_EQ(store.mnAllocated, 4);
    EXPECT_EQ(store.mpLLUV[2].mdLongitude, 12.0);
    for (int i = 3; i < 5000; ++i) ASSERT_EQ(store.AddNewEmptyVector(), i);
    EXPECT_EQ(store.mpLLUV[2].mdLongitude, 12.0);
    EXPECT_EQ(store.mpWaveMap[4999].mdWind, 0.0);
    // Room for a whole map takes all of it without moving an array again.
    ASSERT_EQ(store.ReserveVectors(100800), 0);
    const XQualityVector* quality = store.mpQuality;
    for (long i = 5000; i < 100800; ++i) ASSERT_EQ(store.AddNewEmptyVector(), i);
    EXPECT_EQ(store.mpQuality, quality);

    EXPECT_EQ(store.Allocate(1L << 50, 0), kErrOutOfMemory);
}

TEST(CLLUV, UseQualityAndUseDistanceCreateOnlyInAnAllocatedStore) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    EXPECT_EQ(store.UseQuality(5), 0);
    EXPECT_EQ(store.UseDistance(1), 0);
    EXPECT_EQ(Arrays(store), "-------");
    ASSERT_EQ(store.Allocate(-1, 0), 0);  // makes both now
    ASSERT_EQ(Arrays(store), "GPDQ---");

    EXPECT_EQ(store.UseQuality(0), 5);
    EXPECT_EQ(store.mpQuality, nullptr);
    EXPECT_EQ(store.mnQualityMode, 0);
    EXPECT_EQ(store.UseQuality(6), 0);  // allocated: created at once, zeroed
    ASSERT_NE(store.mpQuality, nullptr);
    EXPECT_EQ(store.mpQuality[16383].mfQuality[2], 0.0f);
    EXPECT_EQ(store.UseQuality(7), 6);
}

TEST(CLLUV, ChangeVectorTypeKeepsOnlyTheFormsOfTheType) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    ASSERT_EQ(store.Allocate(-1, 0), 0);
    store.AddNewEmptyVector();
    store.mpRBVD[0].mdRange = 1234.0;
    EXPECT_EQ(store.ChangeVectorType(kLLUVVectorPolar), 0);
    EXPECT_EQ(Arrays(store), "-P-----");
    EXPECT_EQ(store.mpRBVD[0].mdRange, 1234.0);
    EXPECT_EQ(store.ChangeVectorType(LLUVCode("XXXX")), 0);
    EXPECT_EQ(Arrays(store), "GP-----");
    EXPECT_EQ(store.mpLLUV[0].mdLongitude, 0.0);  // created empty, not derived
    EXPECT_EQ(store.ChangeVectorType(kLLUVVectorGeographic), 0);
    EXPECT_EQ(Arrays(store), "G------");
    EXPECT_EQ(store.GetNumberOfVectors(), 1);
}

TEST(CLLUV, SettersRefuseBadIndexesAndMissingArrays) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorPolar);
    store.mnQualityMode = 5;
    ASSERT_EQ(store.Allocate(-1, 0), 0);
    ASSERT_EQ(store.AddNewEmptyVector(), 0);
    ASSERT_EQ(store.AddNewEmptyVector(), 1);

    // A polar-only store still takes flags (quality array) but no position.
    EXPECT_EQ(store.SetVectorFlag(1, 0xFFFFFFFFul), 1);
    EXPECT_EQ(store.mpQuality[1].mnFlags, 0xFFFFFFFFu);
    EXPECT_EQ(store.SetVectorLonLat(1, 1.0, 2.0, 1, 1), -1);
    EXPECT_EQ(store.SetVectorLonLatUV(1, 1.0, 2.0, 0.1, 0.2, 1, 1), -1);

    for (long bad : {-1L, 2L, 100000L}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(store.SetVectorFlag(bad, 1), -1);
        EXPECT_EQ(store.SetVectorQuality(bad, 1, 2, 3, 4, 5, 6, 7), -1);
        XCurFullVector out;
        EXPECT_EQ(store.GetVectorFromIndex(bad, &out), -1);
    }
    // Arrays this store does not keep.
    EXPECT_EQ(store.SetVectorSixContributers(0, 1, 2, 3, 4, 5, 6), -1);
    EXPECT_EQ(store.SetSpectraSourceInfo(0, 3, 1.0, 1.0), -1);
    EXPECT_EQ(store.SetWaveMapInfo(0, 1.0, 1.0), -1);
    EXPECT_EQ(store.mnRangeStart, 0);
}

TEST(CLLUV, SettersNarrowValuesToTheirRecordFields) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    UseEverything(store);
    ASSERT_EQ(store.Allocate(-1, 0), 0);
    ASSERT_EQ(store.AddNewEmptyVector(), 0);

    EXPECT_EQ(store.SetVectorSixContributers(0, 65537, 65535, 0, 1, 2, 0x12345), 0);
    const uint16_t* sites = store.mpContributors[0].mnContributor;
    EXPECT_EQ(sites[0], 1);  // 0x10001 cut to 16 bits
    EXPECT_EQ(sites[1], 65535);
    EXPECT_EQ(sites[5], 0x2345);

    // Beyond the float range a quality value becomes the largest float.
    EXPECT_EQ(store.SetVectorQuality(0, 1e300, -1e300, 0.1, 0, 0, 9, -4), 0);
    EXPECT_EQ(store.mpQuality[0].mfQuality[0], 3.4028234663852886e38f);
    EXPECT_EQ(store.mpQuality[0].mfQuality[1], -3.4028234663852886e38f);
    EXPECT_EQ(store.mpQuality[0].mfQuality[2], 0.1f);
}

TEST(CLLUV, SpectraSourceCellsWidenTheRangeSpan) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorPolar);
    store.mnSpectraSourceMask = 1;
    ASSERT_EQ(store.Allocate(-1, 0), 0);
    for (int i = 0; i < 4; ++i) store.AddNewEmptyVector();
    store.SetSpectraSourceInfo(0, 12, 0.0, 0.0);
    EXPECT_EQ(store.mnRangeStart, 12);
    EXPECT_EQ(store.mnRangeEnd, 12);
    store.SetSpectraSourceInfo(1, 3, 0.0, 0.0);
    store.SetSpectraSourceInfo(2, 40, 15.5, -0.25);
    EXPECT_EQ(store.mnRangeStart, 3);
    EXPECT_EQ(store.mnRangeEnd, 40);
    EXPECT_EQ(store.mpSpectraSource[2].mdBearing, 15.5);
    EXPECT_EQ(store.mpSpectraSource[2].mdVelocity, -0.25);
    store.SetSpectraSourceInfo(3, 0, 0.0, 0.0);
    EXPECT_EQ(store.mnRangeStart, 0);
    EXPECT_EQ(store.mnRangeEnd, 40);
}

TEST(CLLUV, FindVectorAtMaximumRangeTakesTheFirstOfEqualRanges) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorPolar);
    double maxRange = 99.0;
    EXPECT_EQ(store.FindVectorAtMaximumRange(&maxRange), -1);  // no polar array
    EXPECT_EQ(maxRange, 0.0);

    ASSERT_EQ(store.Allocate(-1, 0), 0);
    EXPECT_EQ(store.FindVectorAtMaximumRange(&maxRange), 0);
    EXPECT_EQ(maxRange, -1.0);

    const double ranges[] = {3000.0, 9000.0, 1500.0, 9000.0, 0.0};
    for (double range : ranges) {
        long index = store.AddNewEmptyVector();
        store.mpRBVD[index].mdRange = range;
    }
    EXPECT_EQ(store.FindVectorAtMaximumRange(&maxRange), 1);
    EXPECT_EQ(maxRange, 9000.0);
    EXPECT_EQ(store.FindVectorAtMaximumRange(nullptr), 1);
}

TEST(CLLUV, OriginTimeFieldFormReadsTwoDigitYears) {
    // Seconds since 1904-01-01 of the 25th of June in each year, counted as
    // days: 2001-01-01 is 3,061,152,000 s; to 2007-06-25 are 6 years with one
    // leap day (2191 days) and 151 + 24 days: 2366 days = 204,422,400 s.
    const struct {
        long year;
        long expected;
    } cases[] = {
        {7, 3265574400L},  // 2007
        {2007, 3265574400L},
        {85, 2571350400L},    // 1985: 2001 less 16 years with 4 leap days, plus 175 days
        {1999, 3013113600L},  // taken as given
        {99, 3013113600L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
        EXPECT_EQ(store.SetOriginTime(c.year, 6, 25, 0, 0, 0, "PDT"), c.expected);
        EXPECT_EQ(store.GetOriginTime(), static_cast<unsigned long>(c.expected));
        EXPECT_STREQ(store.msTimeZone, "PDT");
    }
}

TEST(CLLUV, OriginTimeSecondsFormReturnsThePreviousTimeAndCutsTheLabel) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    EXPECT_EQ(store.SetOriginTime(3000000000ul, "UTC"), 0);
    EXPECT_EQ(store.SetOriginTime(4294967295ul, nullptr), 3000000000L);
    EXPECT_EQ(store.GetOriginTime(), 4294967295ul);
    EXPECT_STREQ(store.msTimeZone, "UTC");  // null keeps the label
    const char* longLabel = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    store.SetOriginTime(1ul, longLabel);
    EXPECT_EQ(std::strlen(store.msTimeZone), 31u);
    EXPECT_EQ(std::strncmp(store.msTimeZone, longLabel, 31), 0);
}

TEST(CLLUV, CopyInfoCopiesFlagsAndInformationButNoVectors) {
    CLLUV source(kLLUVMapElliptical, kLLUVVectorPolar);
    UseEverything(source);
    source.mdLLUVSpec = 1.05;
    source.mnSiteCode = LLUVCode("ABCD");
    source.SetOriginTime(123456ul, "PST");
    source.mdOriginLatitude = 36.9;
    source.mfMusicParameters[2] = 20.0f;
    source.mdTsunamiSimWavePeriod = 12.5;
    std::strcpy(source.msPatternUUID, "pattern");
    ASSERT_EQ(source.Allocate(-1, 0), 0);
    source.AddNewEmptyVector();

    CLLUV target(kLLUVMapRadial, kLLUVVectorFull);
    target.mfTemperature = 30.0f;  // not in the source: cleared
    EXPECT_EQ(target.CopyInfo(&source), 0);
    EXPECT_EQ(target.mnMapType, kLLUVMapElliptical);
    EXPECT_EQ(target.mnQualityMode, 7);
    EXPECT_EQ(target.GetOriginTime(), 123456ul);
    EXPECT_STREQ(target.msTimeZone, "PST");
    EXPECT_EQ(target.mdTsunamiSimWavePeriod, 12.5);
    EXPECT_STREQ(target.msPatternUUID, "pattern");
    EXPECT_EQ(target.mfTemperature, 0.0f);
    EXPECT_EQ(target.mfAntennaBearing, 1440.0f);
    EXPECT_EQ(target.GetNumberOfVectors(), 0);
    EXPECT_EQ(target.mpRBVD, nullptr);

    // No source: refused, and the target is left cleared.
    target.mdRangeResolutionMeters = 1500.0;
    target.SetAntennaBearing(12.5);
    EXPECT_EQ(target.CopyInfo(nullptr), kErrBadArgument);
    EXPECT_EQ(target.mnSiteCode, 0u);
    EXPECT_EQ(target.mdRangeResolutionMeters, 0.0);
    EXPECT_EQ(target.GetAntennaBearing(), 1440.0);
}
