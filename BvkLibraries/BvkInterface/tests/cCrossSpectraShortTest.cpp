#include "cCrossSpectraShort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "SpectraTestFiles.h"
#include "TestFolder.h"
#include "cFileSpec.h"

namespace {

using namespace spectra_test;
using Bytes = std::vector<uint8_t>;

const test_folder::CTestFolder gFolder;

std::string WriteFile(const char* name, const Bytes& bytes) {
    return gFolder.Write(name, std::string(bytes.begin(), bytes.end()));
}

long ReadReduced(CCrossSpectraShort& spectra, const Bytes& bytes, long bHeaderOnly) {
    CFileSpec spec = test_folder::SpecOf(WriteFile("reduced.css", bytes));
    return spectra.ReadReducedFile(&spec, bHeaderOnly);
}

long ReadFull(CCrossSpectraFile& spectra, const Bytes& bytes) {
    CFileSpec spec = test_folder::SpecOf(WriteFile("full.cs", bytes));
    return spectra.ReadCrossSpectra(&spec);
}

Bytes Word(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// A header of two Doppler cells and `nRange` range cells from cell 1.
Bytes SmallHeader(int nRange = 1) {
    XHeaderFields f;
    f.nDoppler = 2;
    f.nRange = nRange;
    return FullHeader(f);
}

// The scale 0..100 in 100 steps: the integer i is i decibels (or degrees).
Bytes UnitScale() {
    return Scale(0.0f, 100.0f, 100.0f);
}

TEST(CCrossSpectraShort, HeaderOnlyReadingStopsAfterTheHeader) {
    CCrossSpectraShort spectra;
    ASSERT_EQ(ReadReduced(spectra, ReducedFile(XTestSpectra{}), 1), kNoErr);
    EXPECT_EQ(spectra.NumberOfDopplerCells(), 8);
    EXPECT_EQ(spectra.NumberOfRangeCells(), 3);
    EXPECT_EQ(spectra.mpCells, nullptr);
    EXPECT_EQ(spectra.mszSourceName[0], 0);  // comes after the header
    XCsa5Header header;
    ASSERT_EQ(spectra.GetCsa5Header(&header), kNoErr);
    EXPECT_EQ(header.mfBandwidthKHz, 25.0f);
    EXPECT_EQ(header.mbSweepUp, 0);

    // Without a spec the object reads the file it names itself.
    CCrossSpectraShort named;
    named.SetFileSpec(WriteFile("named.css", ReducedFile(XTestSpectra{})).c_str());
    EXPECT_EQ(named.ReadReducedFile(nullptr, 1), kNoErr);
    EXPECT_EQ(named.NumberOfRangeCells(), 3);
}

TEST(CCrossSpectraShort, ReducedAndFullFilesGiveTheSameSpectra) {
    const XTestSpectra s;  // 8 Doppler cells, 3 range cells
    CCrossSpectraShort reduced;
    const Bytes bytes = ReducedFile(s);
    ASSERT_EQ(ReadReduced(reduced, bytes, 0), kNoErr);
    CCrossSpectraFile full;
    ASSERT_EQ(ReadFull(full, FullFile(s)), kNoErr);

    EXPECT_EQ(reduced.mbInDecibels, 0);
    EXPECT_STREQ(reduced.mszSourceName, "CSS_MARG");
    EXPECT_DOUBLE_EQ(reduced.mdCompression, double(100 + 3 * 8 * 40) / double(bytes.size()));
    ASSERT_EQ(reduced.AllocatedRangeCells(), 3);
    // One step of the scale is 0.01 dB, a factor of 10^0.001 in power; both
    // forms must agree well within it.
    const double tolerance = std::pow(10.0, 0.001) - 1.0;
    auto agree = [&](float a, float b) { return std::fabs(a - b) <= tolerance * std::fabs(b); };
    for (int r = 0; r < s.nRange; ++r) {
        XCsa4RangeCell* a = nullptr;
        XCsa4RangeCell* b = nullptr;
        ASSERT_EQ(reduced.GetRangeCellPtr(r, &a), kNoErr);
        ASSERT_EQ(full.GetRangeCellPtr(r, &b), kNoErr);
        for (int d = 0; d < s.nDoppler; ++d) {
            EXPECT_PRED2(agree, a->mpAntenna1[d], b->mpAntenna1[d]) << r << " " << d;
            EXPECT_PRED2(agree, a->mpAntenna2[d], b->mpAntenna2[d]) << r << " " << d;
            EXPECT_PRED2(agree, a->mpAntenna3[d], b->mpAntenna3[d]) << r << " " << d;
            for (int c = 0; c < 2; ++c) {
                EXPECT_PRED2(agree, a->mpCross12[2 * d + c], b->mpCross12[2 * d + c]);
                EXPECT_PRED2(agree, a->mpCross13[2 * d + c], b->mpCross13[2 * d + c]);
                EXPECT_PRED2(agree, a->mpCross23[2 * d + c], b->mpCross23[2 * d + c]);
            }
            EXPECT_NEAR(a->mpQuality[d], b->mpQuality[d], 0.001) << r << " " << d;
        }
    }
    // The radial limits: first two made zero-based, last two moved from the
    // centre (8 / 2 - 1 = 3).
    ASSERT_NE(reduced.mpAlim, nullptr);
    EXPECT_EQ(reduced.mpAlim[1], 3u);
    for (int e = 0; e < 3; ++e) {
        const int32_t* entry = reinterpret_cast<const int32_t*>(reduced.mpAlim + 8 + 4 * e);
        EXPECT_EQ(entry[0], 1 + e);
        EXPECT_EQ(entry[1], 2 + e);
        EXPECT_EQ(entry[2], 2 - e);
        EXPECT_EQ(entry[3], 4 + e);
    }
    EXPECT_EQ(reduced.mpWAlim, nullptr);
}

TEST(CCrossSpectraShort, MagnitudeAndPhaseFormsWithSignsAndMissingValues) {
    // 'CSSW': cross spectra as decibel magnitude and phase in degrees. Two
    // Doppler cells, one range cell, no decibel reference.
    CChunkWriter w;
    w.Begin("CSSW");
    w.Chunk("cs4h", SmallHeader());
    w.Chunk("scal", UnitScale());
    w.Chunk("indx", Word(1));
    w.Chunk("cs1a", {0x89, 10, 0x89, 10});                  // 10, 20 dB
    w.Chunk("cs2a", {0x9C, 0, 0, 0, 100});                  // the step count: missing
    w.Chunk("c12m", {0x81, 0x01, 10, 10});                  // 10, 20 dB
    w.Chunk("c12a", {0x81, 0x01, 90, 90});                  // 90, 180 degrees
    w.Chunk("csgn", {0x00, 0x00, 0x00, 0x00, 0x02, 0x01});  // 1x2 first of cell 1, second of cell 0
    w.Chunk("zzzz", {1, 2, 3});                             // unknown: skipped
    w.End();
    CCrossSpectraShort spectra;
    ASSERT_EQ(ReadReduced(spectra, w.mBytes, 0), kNoErr);
    XCsa4RangeCell* cell = nullptr;
    ASSERT_EQ(spectra.GetRangeCellPtr(0, &cell), kNoErr);
    EXPECT_NEAR(cell->mpAntenna1[0], 10.0f, 1e-4);
    EXPECT_NEAR(cell->mpAntenna1[1], 100.0f, 1e-3);
    EXPECT_TRUE(std::isnan(cell->mpAntenna2[0]));
    EXPECT_EQ(cell->mpQuality[0], 1.0f);  // set by 'indx'
    EXPECT_EQ(cell->mpQuality[1], 1.0f);
    // (10 dB, 90 degrees) -> (0, 10), second component negated by its sign bit.
    EXPECT_NEAR(cell->mpCross12[0], 0.0f, 1e-5);
    EXPECT_NEAR(cell->mpCross12[1], -10.0f, 1e-4);
    // (20 dB, 180 degrees) -> (-100, 0), first component negated.
    EXPECT_NEAR(cell->mpCross12[2], 100.0f, 1e-3);
    EXPECT_NEAR(cell->mpCross12[3], 0.0f, 1e-4);
}

TEST(CCrossSpectraShort, DecibelPairsUseTheReference) {
    CChunkWriter w;
    w.Begin("CSSZ");
    w.Chunk("cs4h", SmallHeader());
    w.Chunk("scal", UnitScale());
    CBigEndianBytes reference;
    reference.F64(-10.0);
    w.Chunk("dbrf", reference.mBytes);
    w.Chunk("indx", Word(1));
    w.Chunk("c23r", {0x89, 20});  // 20 - 10 dB
    w.Chunk("c23i", {0x89, 30});  // 30 - 10 dB
    w.End();
    CCrossSpectraShort spectra;
    ASSERT_EQ(ReadReduced(spectra, w.mBytes, 0), kNoErr);
    XCsa4RangeCell* cell = nullptr;
    ASSERT_EQ(spectra.GetRangeCellPtr(0, &cell), kNoErr);
    EXPECT_NEAR(cell->mpCross23[0], 10.0f, 1e-4);
    EXPECT_NEAR(cell->mpCross23[1], 100.0f, 1e-3);
    EXPECT_NEAR(cell->mpCross23[2], 0.1f, 1e-6);  // nothing given: 0 dB + reference
}

TEST(CCrossSpectraShort, RangeCellIndexIsClampedToTheCells) {
    const struct {
        int32_t index;  // the file's range cell number; the header's first is 1
        int cell;
    } cases[] = {{1, 0},         {2, 1}, {3, 2},  {4, 2},
                 {1000, 2},      {0, 0}, {-5, 0}, {int32_t(0x80000000), 0},
                 {0x7FFFFFFF, 2}};
    for (const auto& c : cases) {
        const Bytes bytes = Container("CSSY", {{"cs4h", SmallHeader(3)},
                                               {"scal", UnitScale()},
                                               {"indx", Word(uint32_t(c.index))},
                                               {"cs3a", {0x89, 10}}});
        CCrossSpectraShort spectra;
        ASSERT_EQ(ReadReduced(spectra, bytes, 0), kNoErr) << c.index;
        for (int r = 0; r < 3; ++r) {
            XCsa4RangeCell* cell = nullptr;
            ASSERT_EQ(spectra.GetRangeCellPtr(r, &cell), kNoErr);
            EXPECT_NEAR(cell->mpAntenna3[0], r == c.cell ? 10.0f : 1.0f, 1e-4) << c.index;
        }
    }
}

TEST(CCrossSpectraShort, FilesThatAreNotReducedSpectra) {
    const Bytes header = SmallHeader();
    const Bytes indexFirst = Container("CSSX", {{"indx", Word(1)}, {"cs4h", header}});
    const Bytes noHeader = Container("CSSY", {{"scal", UnitScale()}});
    const Bytes otherKind = Container("RIFF", {{"cs4h", header}});
    const Bytes lowerCase = Container("cssy", {});
    const Bytes shortHeader =
        Container("CSSY", {{"cs4h", Bytes(header.begin(), header.begin() + 9)}});
    const struct {
        const char* name;
        Bytes bytes;
        long bHeaderOnly;
        long result;
    } cases[] = {
        {"range data before the header", indexFirst, 1, kErrRangeDataInHeaderOnly},
        {"no header", noHeader, 0, kErrEndOfFile},
        {"no header, header only", noHeader, 1, kErrEndOfFile},
        {"outer chunk RIFF", otherKind, 0, kErrNotReducedSpectra},
        {"outer chunk cssy", lowerCase, 1, kErrNotReducedSpectra},
        {"header of 9 bytes", shortHeader, 0, kErrEndOfFile},
        {"empty file", {}, 0, kErrEndOfFile},
        {"binary key",
         {0xC3, 0x00, 0xFF, 0x13, 0x00, 0x00, 0x00, 0x01, 0x01},
         0,
         kErrNotReducedSpectra},
        {"binary size", {0xC3, 0x00, 0xFF, 0x13, 0x80, 0x80, 0x80, 0x80, 0x01}, 0, kErrEndOfFile},
    };
    for (const auto& c : cases) {
        CCrossSpectraShort spectra;
        EXPECT_EQ(ReadReduced(spectra, c.bytes, c.bHeaderOnly), c.result) << c.name;
        EXPECT_EQ(spectra.mnStatus, c.result) << c.name;
    }
}

TEST(CCrossSpectraShort, HeaderCountsBeyondAnyRadarAreRefused) {
    const struct {
        int32_t nDoppler;
        int32_t nRange;
        long result;
    } cases[] = {
        {0x7FFFFFFF, 3, kErrSpectraHeaderRange},
        {8, 0x7FFFFFFF, kErrSpectraHeaderRange},
        // 512 MB of cells from a file of 32 MB at least: too short first.
        {kMaxDopplerCells, kMaxRangeCells, kErrSpectraTooShort},
        {kMaxDopplerCells, 1, kNoErr},  // in a file of 4096 bytes or more
        {kMaxDopplerCells, 2, kErrSpectraTooShort},
    };
    for (const auto& c : cases) {
        XHeaderFields f;
        f.nDoppler = c.nDoppler;
        f.nRange = c.nRange;
        // 4096 bytes in all.
        const Bytes bytes = Container(
            "CSSY", {{"cs4h", FullHeader(f)}, {"fill", std::vector<uint8_t>(4096 - 124)}});
        CCrossSpectraShort spectra;
        EXPECT_EQ(ReadReduced(spectra, bytes, 0), c.result) << c.nDoppler << " " << c.nRange;
        CCrossSpectraShort headerOnly;  // nothing is allocated for a header alone
        EXPECT_EQ(ReadReduced(headerOnly, bytes, 1), kNoErr);
    }
}

TEST(CCrossSpectraShort, ChunksTooShortForTheirContent) {
    const struct {
        const char* key;
        Bytes payload;
        long result;
    } cases[] = {
        {"indx", {0, 0, 1}, kErrSpectraTooShort},
        {"scal", Bytes(15, 0), kErrSpectraTooShort},
        {"dbrf", Bytes(7, 0), kErrSpectraTooShort},
        {"csgn", Bytes(5, 0), kErrSpectraTooShort},  // six maps of one byte
        {"csgn", Bytes(7, 0xFF), kNoErr},            // more than needed: the rest is skipped
        {"alim", Bytes(31, 0), kNoErr},              // a table that disagrees is left out
        {"srcn", Bytes(300, 'n'), kNoErr},           // cut to 255 characters
    };
    for (const auto& c : cases) {
        CCrossSpectraShort spectra;
        EXPECT_EQ(ReadReduced(spectra,
                              Container("CSSY", {{"cs4h", SmallHeader()}, {c.key, c.payload}}), 0),
                  c.result)
            << c.key << c.payload.size();
        EXPECT_EQ(spectra.mpAlim, nullptr);
        EXPECT_LE(std::strlen(spectra.mszSourceName), 255u);
    }
}

TEST(CCrossSpectraShort, LyingSizesCountsAndIndexesGiveErrorsNotOverruns) {
    const XTestSpectra s;  // 8 Doppler cells, 3 range cells
    XReducedLayout layout;
    const Bytes good = ReducedFile(s, &layout);
    const uint32_t lies[] = {0, uint32_t(good.size() + 1), 0xFFFFFFFF};

    // Every chunk size: whatever the reader makes of the rest, it stays
    // inside the file and its arrays (the sanitizer build checks that).
    for (const size_t field : layout.sizeFields) {
        for (const uint32_t lie : lies) {
            Bytes bytes = good;
            PutWord(bytes, field, lie);
            for (long headerOnly : {0, 1}) {
                CCrossSpectraShort spectra;
                const long result = ReadReduced(spectra, bytes, headerOnly);
                if (result == kNoErr && !headerOnly) {
                    EXPECT_EQ(spectra.AllocatedRangeCells(), 3) << field << " " << lie;
                }
            }
        }
    }
    // The outer chunk and the header chunk: their sizes decide everything.
    for (const size_t field : {layout.sizeFields[0], layout.sizeFields[1]}) {
        for (const uint32_t lie : lies) {
            Bytes bytes = good;
            PutWord(bytes, field, lie);
            CCrossSpectraShort spectra;
            EXPECT_EQ(ReadReduced(spectra, bytes, 0), kErrEndOfFile) << field << " " << lie;
        }
    }
    // Counts of the limit table that disagree with its size leave the table
    // out. (Lying indexes: see RangeCellIndexIsClampedToTheCells.)
    for (const uint32_t lie : lies) {
        Bytes bytes = good;
        PutWord(bytes, layout.limitCountField, lie);
        CCrossSpectraShort spectra;
        EXPECT_EQ(ReadReduced(spectra, bytes, 0), kNoErr) << lie;
        EXPECT_EQ(spectra.mpAlim, nullptr) << lie;
    }
    // Header counts: 0 and -1 fall back to 512 Doppler cells or 31 range
    // cells; the file length is a count the reader can still hold. With more
    // Doppler cells than written, the sign maps of 8 cells are too short.
    for (const uint32_t lie : lies) {
        Bytes bytes = good;
        PutWord(bytes, layout.headerAt + kDopplerAt, lie);
        CCrossSpectraShort doppler;
        EXPECT_EQ(ReadReduced(doppler, bytes, 0), kErrSpectraTooShort) << lie;
        bytes = good;
        PutWord(bytes, layout.headerAt + kRangeAt, lie);
        CCrossSpectraShort range;
        EXPECT_EQ(ReadReduced(range, bytes, 0), kNoErr) << lie;
        EXPECT_EQ(range.AllocatedRangeCells(), lie == good.size() + 1 ? long(lie) : 31);
    }
}

TEST(CCrossSpectraShort, ASecondHeaderIsIgnored) {
    XHeaderFields other;
    other.nDoppler = 4096;
    other.nRange = 60;
    const Bytes bytes = Container("CSSY", {{"cs4h", SmallHeader()},
                                           {"scal", UnitScale()},
                                           {"cs4h", FullHeader(other)},
                                           {"indx", Word(1)},
                                           // three values for two cells
                                           {"cs1a", {0x89, 20, 0x89, 1, 0x89, 1}}});
    CCrossSpectraShort spectra;
    ASSERT_EQ(ReadReduced(spectra, bytes, 0), kNoErr);
    EXPECT_EQ(spectra.NumberOfDopplerCells(), 2);
    EXPECT_EQ(spectra.AllocatedRangeCells(), 1);
    XCsa4RangeCell* cell = nullptr;
    ASSERT_EQ(spectra.GetRangeCellPtr(0, &cell), kNoErr);
    EXPECT_NEAR(cell->mpAntenna1[1], std::pow(10.0, 2.1), 1e-3);
    EXPECT_EQ(cell->mpAntenna1[2], 0.0f);  // a spare entry stays untouched
}

}  // namespace
