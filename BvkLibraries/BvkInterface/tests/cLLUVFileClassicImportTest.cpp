// Reading classic radial files into the vector store.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "TestFolder.h"
#include "cLLUVFile.h"

namespace {

using namespace test_folder;

const std::string kRadialFile = BVK_TEST_DATA_DIR "/RdlsTEST_08_01_08_1430.rv";
const CTestFolder gFolder;

long Import(CLLUVFile& store, const std::string& path) {
    CFileSpec spec = SpecOf(path);
    return store.ImportClassicRadial(&spec);
}

long ImportText(CLLUVFile& store, const std::string& text,
                const std::string& name = "RdlsTEST_08_01_08_1430.rv") {
    return Import(store, gFolder.Write(name, text));
}

std::string Join(const std::vector<std::string>& lines, size_t count) {
    std::string text;
    for (size_t i = 0; i < count && i < lines.size(); ++i) text += lines[i] + "\n";
    return text;
}

// Lines 2 to 4 of a file of one cell of range 1 km at cell 1.
constexpr char kMinimalRest[] =
    " 36\xA1"
    "57.000'N, 122\xA1"
    "03.000'W\n  1.000   1.000   90.0   1.000\n 1\n";

}  // namespace

// The hand-made file: first cell 2 of 1.5 km cells, reference angle 60
// (bearing 30), cells 2 (eight vectors), 3 (empty) and 4 (two vectors). The
// LLUV writer's test checks every value that reaches its file; here only
// what it does not show.
TEST(CLLUVFileClassicImport, HandMadeFileKeepsFirstCellAndSpectraSource) {
    CLLUVFile store;
    ASSERT_EQ(Import(store, kRadialFile), 0);
    EXPECT_EQ(store.mnVectorType, kLLUVVectorFull);
    EXPECT_EQ(store.mnSpectraSourceMask, 1);
    // 2008-01-08 14:30 is 37993 days of 86400 s plus 52200 s; the file
    // holds it as the negative 32-bit number -1012319896.
    EXPECT_EQ(store.mnOriginTime, 3282647400u);
    EXPECT_EQ(store.mnTimeZoneSeconds, -28800);
    // Three cells from cell 2 end at cell 4, whose vectors are read.
    EXPECT_EQ(store.mnRangeStart, 2);
    EXPECT_EQ(store.mnRangeEnd, 4);
    EXPECT_EQ(store.mnFormatVersion, 7);
    ASSERT_EQ(store.mnVectors, 10);
    // The room is what the file's 1603 bytes can hold at six a vector, not
    // the default capacity of 16,384.
    EXPECT_EQ(store.mnAllocated, 1603 / 6);
    // The spectra source keeps 360 - value + 30 before it is brought into
    // 0 ... 360, and the cell number.
    const double sourceBearings[] = {380, 370, 360, 40, 31, 390, 300, 190, 345, 75};
    for (long i = 0; i < 10; ++i) {
        EXPECT_NEAR(store.mpSpectraSource[i].mdBearing, sourceBearings[i], 1e-9) << i;
        EXPECT_EQ(store.mpSpectraSource[i].mnRangeCell, i < 8 ? 2 : 4) << i;
        EXPECT_EQ(store.mpSpectraSource[i].mdVelocity, store.mpRBVD[i].mdVelocity) << i;
    }
    EXPECT_NEAR(store.mpRBVD[4].mdVelocity, -0.12346, 1e-12);  // -12.3456 cm/s
}

TEST(CLLUVFileClassicImport, TimeLineGivesTimeAndZoneLabel) {
    struct XCase {
        const char* text;  // columns 0 to 47, then the time number
        const char* number;
        uint32_t time;
        const char* label;
        long offset;  // a label is its own offset, whatever the season
    } cases[] = {
        {" 14:30:00 Sunday, April 6, 2008 PDT", " 3290337000", 3290337000u, "PDT", -25200},
        {" 14:30:00 Sunday, April 6, 2008 GMT+10", " 1", 1u, "GMT+10", 36000},
        {" 14:30 UTC-9", " 2", 2u, "UTC-9", -32400},
        {" 14:30:00 1234", " 3", 3u, "", 0},
        // 2008-05-30, in the daylight season.
        {" 14:30:00 PST", " -1000000000", 3294967296u, "PST", -28800},
        {" 14:30:00 1+5", " 4", 4u, "", 0},  // an offset must follow letters
        {" 14:30:00 PST", "", 0u, "", 0},    // 48 characters: no time, no label
    };
    for (const XCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string line = c.text;
        line.resize(48, ' ');
        CLLUVFile store;
        ASSERT_EQ(ImportText(store, line + c.number + "\n" + kMinimalRest), 0);
        EXPECT_EQ(store.mnOriginTime, c.time);
        EXPECT_STREQ(store.msTimeZone, c.label);
        EXPECT_EQ(store.mnTimeZoneSeconds, c.offset);
    }
}

TEST(CLLUVFileClassicImport, FileNameGivesPatternTypeSiteAndQualityMode) {
    struct XCase {
        const char* name;
        long patternType;
        uint32_t site;
        long qualityMode;
    } cases[] = {
        {"RdlsABCD_08_01_08_1430.rv", 1, LLUVCode("ABCD"), 7},
        {"RdlyABCD_08_01_08_1430.rv", 2, LLUVCode("ABCD"), 5},
        {"RdlXABCD_08_01_08_1430.rv", 1, LLUVCode("ABCD"), 5},
        {"RdlmABCD_08_01_08_1430.rv", 0, LLUVCode("ABCD"), 7},
        {"Rdl_WXYZ", 1, LLUVCode("WXYZ"), 7},
        {"RadP.rv", 2, LLUVCode("XXXX"), 7},
    };
    const std::string text =
        std::string(" 14:30:00 PST") + std::string(35, ' ') + " 1\n" + kMinimalRest;
    for (const XCase& c : cases) {
        SCOPED_TRACE(c.name);
        CLLUVFile store;
        ASSERT_EQ(ImportText(store, text, c.name), 0);
        EXPECT_EQ(store.mnPatternType, c.patternType);
        EXPECT_EQ(store.mnSiteCode, c.site);
        EXPECT_EQ(store.mnQualityMode, c.qualityMode);
    }
}

// Cut after every line of the hand-made file: the first four lines are
// needed; a file ending inside the cells keeps the vectors whose three values
// it holds (a bearing without its speed is no measurement).
TEST(CLLUVFileClassicImport, TruncatedFileKeepsItsCompleteVectors) {
    const std::vector<std::string> lines = Lines(ReadAll(kRadialFile));
    ASSERT_GT(lines.size(), 17u);
    for (size_t cut = 0; cut < 4; ++cut) {
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, Join(lines, cut)), kErrEndOfFile) << cut;
    }
    // Vectors and last cell after a cut after 4, 5, ... 17 lines: cell 2's
    // quality block ends on lines 10 and 11, cell 4's on line 16.
    const long vectors[] = {0, 0, 0, 0, 0, 0, 7, 8, 8, 8, 8, 8, 10, 10};
    const long lastCell[] = {4, 4, 4, 4, 4, 4, 4, 2, 3, 4, 4, 4, 4, 4};
    for (size_t cut = 4; cut < 18; ++cut) {
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, Join(lines, cut)), 0) << cut;
        EXPECT_EQ(store.mnVectors, vectors[cut - 4]) << cut;
        EXPECT_EQ(store.mnRangeEnd, lastCell[cut - 4]) << cut;
    }
    // Cut inside the quality values of cell 2: the first seven are whole.
    CLLUVFile store;
    ASSERT_EQ(ImportText(store, Join(lines, 10)), 0);
    EXPECT_NEAR(store.mpRBVD[4].mdVelocity, -0.12346, 1e-12);
    EXPECT_EQ(store.mpQuality[6].mfQuality[3], 7.0f);
}

// Each block holds its cell's count of values. A bad value leaves out its
// own vector with its other two values; every other vector keeps its values
// and its cell, and the cells after it are read as before.
TEST(CLLUVFileClassicImport, BadValueLeavesOutOnlyItsVector) {
    const std::vector<std::string> lines = Lines(ReadAll(kRadialFile));
    struct XCase {
        size_t line;
        const char* text;
        size_t dropped;
    } cases[] = {
        {5, "  abc 20.0 30.0 350.0 359.0 0.0 90.0", 0},
        {6, "  inf", 7},
        {7, "  12.50 -7.25 nan 33.10 -12.3456 5.00 -0.04", 2},
        {7, "  1e308 -7.25 0.00 33.10 -12.3456 5.00 -0.04", 0},  // overflows when rounded
        {8, "  ***********", 7},                                 // too wide for its field
        {9, "  1.00 2.00 3.00 4.00x 5.00 6.00 7.00", 3},
    };
    const double speeds[10] = {0.125, -0.0725, 0.0, 0.331, -0.12346,
                               0.05,  -0.0004, 1.0, -0.2,  0.155};
    const float qualities[10] = {1, 2, 3, 4, 5, 6, 7, 8, 0.5f, 1.25f};
    for (const XCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> copy = lines;
        copy[c.line] = c.text;
        CLLUVFile store;
        ASSERT_EQ(ImportText(store, Join(copy, copy.size())), 0);
        ASSERT_EQ(store.mnVectors, 9);
        EXPECT_EQ(store.mnMergedCount, 3);
        for (long i = 0; i < 9; ++i) {
            const size_t k = static_cast<size_t>(i) < c.dropped ? i : i + 1;
            EXPECT_NEAR(store.mpRBVD[i].mdVelocity, speeds[k], 1e-12) << i;
            EXPECT_EQ(store.mpQuality[i].mfQuality[3], qualities[k]) << i;
            EXPECT_EQ(store.mpSpectraSource[i].mnRangeCell, k < 8 ? 2 : 4) << i;
        }
    }
}

TEST(CLLUVFileClassicImport, HostileInputGivesClearResults) {
    const std::vector<std::string> lines = Lines(ReadAll(kRadialFile));
    const std::string huge(10 * 1024 * 1024, 'x');
    const struct {
        const char* what;
        size_t line;  // the line replaced
        std::string text;
        long result;
        long vectors, rangeEnd, mergedCount;  // -1: not checked
    } cases[] = {
        // At most 65,535 cells (they then end at the first parameter line,
        // which is still read as one); more, none or a negative count is no
        // classic radial file.
        {"65,536 cells", 3, " 65536", kErrBadArgument, -1, -1, -1},
        {"two billion cells", 3, " 2000000000", kErrBadArgument, -1, -1, -1},
        {"-1 cells", 3, " -1", kErrBadArgument, -1, -1, -1},
        {"no cell count", 3, " three", kErrBadArgument, -1, -1, -1},
        {"65,535 cells", 3, " 65535", 0, 10, 4, 3},
        // Geometry that is not finite places no vector anywhere.
        {"geometry", 2, "  3.000   nan   60.0   1.000", kErrBadArgument, -1, -1, -1},
        // A cell count line with letters ends the cells there.
        {"letters for a count", 11, " none 3", 0, 8, 2, 3},
        // A vector count of 4,000,000,000 takes every value up to the end,
        // and none of its vectors is whole.
        {"four billion vectors", 4, " 4000000000 2", 0, 0, -1, -1},
        {"10 MB bearing line", 5, huge, 0, -1, -1, -1},
    };
    auto unlessUnset = [](long expected, long actual) {
        EXPECT_TRUE(expected < 0 || actual == expected) << actual << ", not " << expected;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> copy = lines;
        copy[c.line] = c.text;
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, Join(copy, copy.size())), c.result);
        EXPECT_LE(store.mnVectors, 10);
        unlessUnset(c.vectors, store.mnVectors);
        unlessUnset(c.rangeEnd, store.mnRangeEnd);
        unlessUnset(c.mergedCount, store.mnMergedCount);
    }
    // A 10 MB time line, and binary bytes (NUL and CR included).
    CLLUVFile first;
    EXPECT_EQ(ImportText(first, huge + "\n" + Join(lines, lines.size())), kErrBadArgument);
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    CLLUVFile store;
    const long result = ImportText(store, binary);
    EXPECT_TRUE(result == 0 || result == kErrBadArgument || result == kErrEndOfFile);
    EXPECT_LT(store.mnVectors, 4096);
}

// Blank lines between cells are no count lines, and a first cell 0 (the
// first cell less than half a cell out) stays the first cell.
TEST(CLLUVFileClassicImport, BlankLinesAndCellZeroKeepEveryCell) {
    std::vector<std::string> lines = Lines(ReadAll(kRadialFile));
    lines.insert(lines.begin() + 12, " \t ");
    lines.insert(lines.begin() + 11, "");
    lines[2] = "  0.000   1.500   60.0   1.000";
    CLLUVFile store;
    ASSERT_EQ(ImportText(store, Join(lines, lines.size())), 0);
    EXPECT_EQ(store.mnRangeStart, 0);
    EXPECT_EQ(store.mnRangeEnd, 2);
    ASSERT_EQ(store.mnVectors, 10);
    EXPECT_EQ(store.mpSpectraSource[0].mnRangeCell, 0);
    EXPECT_EQ(store.mpRBVD[0].mdRange, 0.0);
    EXPECT_EQ(store.mpSpectraSource[9].mnRangeCell, 2);
    EXPECT_EQ(store.mpRBVD[9].mdRange, 3000.0);
    EXPECT_EQ(store.mnMergedCount, 3);
}

TEST(CLLUVFileClassicImport, ParameterFileReadOnItsOwn) {
    CFileSpec spec = SpecOf(gFolder.Write(
        "RadialInfo.txt",
        "  MergeMethod 2\r\n\r\nradsmoothing 4\r  RadialSlider\t\xA5 12.1 beta\n"
        "SpectraToEllipticals  \xA5 3.0\nPatternMethod\nDopplerFreqHz 0.5\n"
        "LimitMaxCurrent nan\nCenterFreqMHz 1e308\nDopplerFreqHz inf\nMusicParams 1 1e39 3\n"));
    CLLUVFile store;
    ASSERT_EQ(store.OpenReadOnlyFile(&spec), 0);
    EXPECT_EQ(store.ReadClassicRadialParams(), 0);
    store.CFile::CloseFile();
    EXPECT_EQ(store.mnMergeMethod, 2);
    EXPECT_EQ(store.mnRadialSmoothing, 4);
    EXPECT_EQ(store.mnPatternMethod, 0);
    // A value that is not a finite number (or not a float) leaves its field.
    EXPECT_EQ(store.mdDopplerResolutionHz, 0.5);
    EXPECT_EQ(store.mfMaximumCurrentVelocity, 0.0f);
    EXPECT_EQ(store.mdTransmitFrequencyHz, 0.0);
    EXPECT_EQ(store.mfMusicParameters[0], 1.0f);
    EXPECT_EQ(store.mfMusicParameters[1], 0.0f);
    EXPECT_EQ(store.mfMusicParameters[2], 3.0f);
    // A leading mark above 'z' is passed over, except for the elliptical tools.
    EXPECT_STREQ(store.mszBtfToolNames[0], "RadialSlider");
    EXPECT_STREQ(store.mszBtfToolVersions[0], "12.1 beta");
    EXPECT_STREQ(store.mszBtfToolNames[1], "SpectraToEllipticals");
    EXPECT_STREQ(store.mszBtfToolVersions[1], "\xA5 3.0");
}
