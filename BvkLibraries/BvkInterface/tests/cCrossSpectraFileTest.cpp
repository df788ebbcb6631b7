#include "cCrossSpectraFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
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

long OpenBytes(CCrossSpectraFile& spectra, const Bytes& bytes) {
    CFileSpec spec = test_folder::SpecOf(WriteFile("full.cs", bytes));
    return spectra.OpenForRead(&spec);
}

long ReadBytes(CCrossSpectraFile& spectra, const Bytes& bytes) {
    CFileSpec spec = test_folder::SpecOf(WriteFile("full.cs", bytes));
    return spectra.ReadCrossSpectra(&spec);
}

TEST(CCrossSpectraFile, VersionsDecideWhichExtentsAreChecked) {
    const struct {
        const char* name;
        int16_t version;
        long length;
        long result;
    } cases[] = {
        {"version 1, 10 bytes", 1, 10, kNoErr},
        {"version 2, 16 bytes", 2, 16, kNoErr},
        {"version 3, 24 bytes", 3, 24, kNoErr},
        {"version 4, 72 bytes", 4, 72, kNoErr},
        {"version 999 checks like 5", 999, 100, kNoErr},
        {"version 1000", 1000, 100, kErrSpectraVersion},
        {"version 5 in 72 bytes", 5, 72, kErrSpectraExtents},
        {"version 4 in 24 bytes", 4, 24, kErrSpectraExtents},
    };
    for (const auto& c : cases) {
        XHeaderFields fields;
        fields.version = c.version;
        fields.length = 100;
        Bytes bytes = FullHeader(fields);
        bytes.resize(size_t(c.length));
        // Every extent the cut header still holds agrees with its length.
        const std::pair<size_t, long> extents[] = {
            {kExtent1At, 10}, {kExtent2At, 16}, {kExtent3At, 24}, {kExtent4At, 72}};
        for (const auto& [at, base] : extents) {
            if (long(at) + 4 <= c.length) PutWord(bytes, at, uint32_t(c.length - base));
        }
        // Header only: versions below 5 are not held to the file's length.
        CCrossSpectraFile spectra;
        if (c.version < 5) {
            EXPECT_EQ(OpenBytes(spectra, bytes), c.result) << c.name;
            continue;
        }
        Bytes file = bytes;
        file.resize(size_t(c.length) + 3 * 8 * 40, 0);
        EXPECT_EQ(OpenBytes(spectra, file), c.result) << c.name;
    }
}

TEST(CCrossSpectraFile, HeaderOnlyReadingGivesTheHeaderValues) {
    CCrossSpectraFile spectra;
    ASSERT_EQ(OpenBytes(spectra, FullFile(XTestSpectra{})), kNoErr);
    EXPECT_EQ(spectra.mnStatus, kErrNotFound);  // a header, no cells yet
    EXPECT_EQ(spectra.mnHeaderSize, 100u);
    EXPECT_EQ(spectra.NumberOfDopplerCells(), 8);
    EXPECT_EQ(spectra.NumberOfRangeCells(), 3);
    EXPECT_EQ(spectra.AllocatedRangeCells(), 0);
    XCsa5Header header;
    ASSERT_EQ(spectra.GetCsa5Header(&header), kNoErr);
    EXPECT_EQ(header.mnVersion, 5);
    // Fields at offsets 2 and 6 are not 4-byte aligned: read them by value.
    EXPECT_EQ(uint32_t{header.mnTimeStamp}, 3'500'000'000u);
    EXPECT_EQ(header.mnSiteCode, 0x4D415247u);  // 'MARG'
    EXPECT_EQ(header.mfRangeCellKm, 5.8f);
    EXPECT_EQ(header.mnChannelMask, 7);
    EXPECT_EQ(spectra.GetSpectraSize(0), 100 + 3 * 8 * 40);
    spectra.Close();
}

TEST(CCrossSpectraFile, ReadsEveryCellInFileOrder) {
    const XTestSpectra s;  // 8 Doppler cells, 3 range cells
    CCrossSpectraFile spectra;
    ASSERT_EQ(ReadBytes(spectra, FullFile(s)), kNoErr);
    EXPECT_EQ(spectra.mnStatus, 0);
    EXPECT_EQ(spectra.mbInDecibels, 0);
    ASSERT_EQ(spectra.AllocatedRangeCells(), 3);
    for (int r = 0; r < s.nRange; ++r) {
        XCsa4RangeCell* cell = nullptr;
        ASSERT_EQ(spectra.GetRangeCellPtr(r, &cell), kNoErr);
        const float* self[] = {cell->mpAntenna1, cell->mpAntenna2, cell->mpAntenna3};
        const float* cross[] = {cell->mpCross12, cell->mpCross13, cell->mpCross23};
        for (int d = 0; d < s.nDoppler; ++d) {
            for (int a = 0; a < 3; ++a) {
                EXPECT_EQ(self[a][d], float(XTestSpectra::Volts(s.Self(r, a, d))));
            }
            for (int p = 0; p < 3; ++p) {
                for (int c = 0; c < 2; ++c) {
                    EXPECT_EQ(cross[p][2 * d + c], float(s.CrossVolts(r, p, d, c)));
                }
            }
            EXPECT_EQ(cell->mpQuality[d], s.Quality(r, d));
        }
    }
    XCsa4RangeCell* cell = nullptr;
    EXPECT_EQ(spectra.GetRangeCellPtr(3, &cell), kErrBadArgument);
    EXPECT_EQ(cell, nullptr);
    EXPECT_EQ(spectra.GetRangeCellPtr(-1, &cell), kErrBadArgument);
    EXPECT_EQ(spectra.GetRangeCellPtr(0, nullptr), kErrBadArgument);
    // The limit tables of this form live where these files have none.
    EXPECT_EQ(spectra.mpAlim, nullptr);
}

TEST(CCrossSpectraFile, FileMustHoldTheCellsItsHeaderCounts) {
    const Bytes good = FullFile(XTestSpectra{});
    struct XCase {
        const char* name;
        Bytes bytes;
        long result;
    };
    XHeaderFields v4;
    v4.version = 4;
    v4.length = 72;
    v4.nDoppler = 8;
    v4.nRange = 3;
    Bytes version4 = FullHeader(v4);
    version4.resize(72 + 3 * 8 * 36 - 1);  // kind 1 cells, one byte short
    version4[10] = 0, version4[11] = 1;
    // A 120-byte header counted once: 120 + 960 bytes are enough.
    XHeaderFields longer;
    longer.length = 120;
    Bytes longHeader = FullHeader(longer);
    longHeader.resize(120 + 3 * 8 * 40, 0);
    Bytes longShort = longHeader;
    longShort.pop_back();
    const XCase cases[] = {
        {"one byte short", Bytes(good.begin(), good.end() - 1), kErrSpectraTooShort},
        {"version 4 one byte short", version4, kErrSpectraTooShort},
        {"header of 120 bytes", longHeader, kNoErr},
        {"header of 120 bytes, one byte short", longShort, kErrSpectraTooShort},
        {"empty", {}, kErrEndOfFile},
        {"five bytes", Bytes(good.begin(), good.begin() + 5), kErrEndOfFile},
        {"header cut", Bytes(good.begin(), good.begin() + 60), kErrEndOfFile},
    };
    for (const auto& c : cases) {
        CCrossSpectraFile spectra;
        EXPECT_EQ(ReadBytes(spectra, c.bytes), c.result) << c.name;
        if (c.result != kNoErr) {
            EXPECT_EQ(spectra.mpCells, nullptr) << c.name;
        }
    }
}

TEST(CCrossSpectraFile, LyingHeaderWordsAreRefused) {
    const Bytes good = FullFile(XTestSpectra{});
    ASSERT_EQ(good.size(), 100u + 3 * 8 * 40);
    // 0, one more than the file's length, -1, and a value next to the truth
    // (for the extents: 100 - 10 = 90, 84, 76, 28 and 0 are true).
    const uint32_t lies[] = {0, uint32_t(good.size() + 1), 0xFFFFFFFF};
    const long kExtents = kErrSpectraExtents, kTooLong = kErrSpectraHeaderRange,
               kShort = kErrSpectraTooShort;
    const struct {
        const char* name;
        size_t at;
        uint32_t near;
        long results[4];  // for 0, length + 1, 0xFFFFFFFF, near
    } fields[] = {
        // A 10-byte header cannot hold the version-2 extent; 65,537 is more
        // than any header.
        {"extent 1", kExtent1At, 65537, {kExtents, kErrEndOfFile, kTooLong, kTooLong}},
        {"extent 2", kExtent2At, 85, {kExtents, kExtents, kExtents, kExtents}},
        {"extent 3", kExtent3At, 75, {kExtents, kExtents, kExtents, kExtents}},
        {"extent 4", kExtent4At, 27, {kExtents, kExtents, kExtents, kExtents}},
        // 0 is the true version-5 extent of a 100-byte header.
        {"extent 5", kExtent5At, 1, {kNoErr, kExtents, kExtents, kExtents}},
        // 0 and -1 fall back to 512 Doppler cells or 31 range cells.
        {"Doppler cells", kDopplerAt, 9, {kShort, kShort, kShort, kShort}},
        {"range cells", kRangeAt, 4, {kShort, kShort, kShort, kShort}},
    };
    for (const auto& f : fields) {
        for (int i = 0; i < 4; ++i) {
            const uint32_t lie = i < 3 ? lies[i] : f.near;
            SCOPED_TRACE(testing::Message() << f.name << " " << lie);
            Bytes bytes = good;
            PutWord(bytes, f.at, lie);
            CCrossSpectraFile spectra;
            EXPECT_EQ(ReadBytes(spectra, bytes), f.results[i]);
            if (f.results[i] != kNoErr) {
                EXPECT_EQ(spectra.mpCells, nullptr);
                EXPECT_EQ(spectra.mnStatus, f.results[i]);
            }
        }
    }
}

TEST(CCrossSpectra, AllocatedHeadersCarryTheirVersionDefaults) {
    const struct {
        long size;
        int16_t version;
    } cases[] = {{10, 1}, {16, 2}, {24, 3}, {72, 4}, {100, 5}, {130, 5}};
    for (const auto& c : cases) {
        CCrossSpectra spectra;
        ASSERT_EQ(spectra.AllocateHeader(c.size), kNoErr);
        XCsa5Header h;
        ASSERT_EQ(spectra.GetCsa5Header(&h), kNoErr);
        EXPECT_EQ(h.mnVersion, c.version) << c.size;
        EXPECT_EQ(int32_t{h.mnExtent1}, c.size - 10) << c.size;
        EXPECT_EQ(spectra.NumberOfDopplerCells(), 512);
        if (c.version >= 4) {
            EXPECT_EQ(h.mnExtent4, c.size - 72);
        }
        if (c.version >= 5) {
            EXPECT_EQ(h.mnExtent5, c.size - 100);
        } else {
            EXPECT_EQ(h.mnChannels, 0);  // beyond the header: zero-filled
        }
    }
    CCrossSpectra spectra;
    EXPECT_EQ(spectra.AllocateHeader(9), kErrBadArgument);
    EXPECT_EQ(spectra.AllocateHeader(kCsaMaxHeader + 1), kErrBadArgument);
    XCsa5Header h;
    EXPECT_EQ(spectra.GetCsa5Header(&h), kErrEndOfFile);
    EXPECT_EQ(spectra.mnStatus, kErrNotFound);
}

TEST(CCrossSpectra, DecibelsBecomeVoltages) {
    CCrossSpectra spectra;
    ASSERT_EQ(spectra.AllocateHeader(100), kNoErr);
    const int32_t two = 2, one = 1;
    std::memcpy(spectra.mpHeader + 52, &two, 4);
    std::memcpy(spectra.mpHeader + 56, &one, 4);
    ASSERT_EQ(spectra.AllocateRangeCells(), kNoErr);
    XCsa4RangeCell* cell = nullptr;
    ASSERT_EQ(spectra.GetRangeCellPtr(0, &cell), kNoErr);
    auto load = [&] {
        cell->mpAntenna1[0] = 10.0f, cell->mpAntenna1[1] = 20.0f;  // 10 and 100
        cell->mpQuality[0] = 10.0f;                                // not converted
        cell->mpCross12[0] = 20.0f, cell->mpCross12[1] = 0.0f;
        cell->mpCross12[2] = 10.0f, cell->mpCross12[3] = 180.0f;
        cell->mpCross13[0] = 10.0f, cell->mpCross13[1] = 90.0f;
        cell->mpCross23[0] = NAN;
    };
    load();
    ASSERT_EQ(spectra.ConvertCellsToVoltages(0.0, 1), kNoErr);  // both components in dB
    EXPECT_NEAR(cell->mpAntenna1[0], 10.0f, 1e-5);
    EXPECT_NEAR(cell->mpAntenna1[1], 100.0f, 1e-4);
    EXPECT_EQ(cell->mpQuality[0], 10.0f);
    EXPECT_NEAR(cell->mpCross12[0], 100.0f, 1e-4);
    EXPECT_NEAR(cell->mpCross12[1], 1.0f, 1e-6);
    EXPECT_TRUE(std::isnan(cell->mpCross23[0]));

    load();
    ASSERT_EQ(spectra.ConvertCellsToVoltages(-10.0, 0), kNoErr);  // magnitude and phase
    EXPECT_NEAR(cell->mpAntenna1[0], 1.0f, 1e-6);
    EXPECT_NEAR(cell->mpCross12[0], 10.0f, 1e-5);  // 20 - 10 dB at 0 degrees
    EXPECT_NEAR(cell->mpCross12[1], 0.0f, 1e-6);
    EXPECT_NEAR(cell->mpCross12[2], -1.0f, 1e-6);  // 0 dB at 180 degrees
    EXPECT_NEAR(cell->mpCross12[3], 0.0f, 1e-6);
    EXPECT_NEAR(cell->mpCross13[0], 0.0f, 1e-6);  // 0 dB at 90 degrees
    EXPECT_NEAR(cell->mpCross13[1], 1.0f, 1e-6);
}

TEST(CCrossSpectra, LimitTablesBecomeArrayNumbers) {
    CCrossSpectra spectra;
    ASSERT_EQ(spectra.AllocateHeader(100), kNoErr);  // 512 Doppler cells
    // Two entries for 8 Doppler cells: centre zero is array number 3.
    std::vector<uint32_t> words = {
        0, 2, 0, 0, 0, 8, 0, 0, 2, 3, uint32_t(-1), 1, 1, 8, uint32_t(-4), 4};
    ASSERT_EQ(spectra.SetLimitTable(0, words.data(), words.size()), kNoErr);
    const int32_t expected[] = {1, 2, 2, 4, 0, 7, -1, 7};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(int32_t(spectra.mpAlim[8 + i]), expected[i]) << i;
    EXPECT_EQ(spectra.GetAlimSize(), 32 + 2 * 16);
    EXPECT_EQ(spectra.GetWAlimSize(), 0);

    // Word 5 of 0 (or above 8192) means the header's 512: centre 255.
    words[5] = 0;
    ASSERT_EQ(spectra.SetLimitTable(1, words.data(), words.size()), kNoErr);
    EXPECT_EQ(int32_t(spectra.mpWAlim[8 + 2]), 254);
    words[5] = 9000;
    ASSERT_EQ(spectra.SetLimitTable(1, words.data(), words.size()), kNoErr);
    EXPECT_EQ(int32_t(spectra.mpWAlim[8 + 3]), 256);
    EXPECT_EQ(spectra.GetSpectraSize(1), 100 + 31 * 512 * 36 + 64 + 64);

    // A count that disagrees with the words given is refused.
    for (uint32_t count : {0u, 3u, 0xFFFFFFFFu}) {
        words[1] = count;
        EXPECT_EQ(spectra.SetLimitTable(0, words.data(), words.size()), kErrBadArgument);
    }
    EXPECT_EQ(spectra.SetLimitTable(0, words.data(), 7), kErrBadArgument);
}

}  // namespace
