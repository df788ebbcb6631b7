#include "cCrossLoopPattBtf.h"

#include "BvkErrors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace test_folder;

constexpr uint32_t kCodeABCD = 0x41424344;
// 2008-01-08 14:30:00 as 1904 seconds: 37,993 days (104 years with 26 leap
// days, then 7 days of January) and 52,200 seconds.
constexpr uint32_t kJan8th2008At1430 = 3282647400u;

// Three bearings, counter-clockwise from an antenna bearing of 15 degrees;
// part k of block b is 10 * b + k + 1 so that every number names its block
// and its vector.
const char* const kPlainPattern =
    "3\n"
    "10 20 30\n"
    "1 2 3\n"     // A13R
    "11 12 13\n"  // Q13R
    "21 22 23\n"  // A13I
    "31 32 33\n"  // Q13I
    "41 42 43\n"  // A23R
    "51 52 53\n"  // Q23R
    "61 62 63\n"  // A23I
    "71 72 73\n"  // Q23I
    "not used\n"
    "15.0\n"
    "ABCD\n"
    "36.5N 122.25W\n"
    "5.0\n"
    "2.0\n"
    "2008 1 8 14 30 0\n"
    " Measured by boat\n"
    "UUID: 0123abcd-89ab-cdef-0123-456789abcdef\n";

// The same pattern as a table of real and imaginary parts, and once more
// with magnitudes and phases in degrees.
std::string TablePattern(const std::string& tableType, const std::string& columns,
                         const std::vector<std::string>& rows) {
    std::string text =
        "%BTF: 1.00\n"
        "%FileType: PATT \"Antenna Pattern\"\n"
        "%Site: ABCD \"\"\n"
        "%Origin: 36.5 -122.25\n"
        "%AntennaBearing: 15.0\n"
        "%AngularResolution: 5.0\n"
        "%AngularSmoothing: 2.0\n"
        "%TimeStamp: 2008 01 08 14 30 00\n"
        "%TransmitCenterFreqMHz: 13.45\n"
        "%TransmitBandwidthKHz: 100.5\n"
        "%TransmitSweepRateHz: 2.0\n"
        "%RangeCells: 31\n"
        "%DopplerCells: 512\n"
        "%UserComment: \"Pattern by hand\"\n"
        "%UUID: 0123ABCD-89AB-CDEF-0123-456789ABCDEF\n"
        "%TableType: " +
        tableType + "\n";
    if (!columns.empty()) text += "%TableColumnTypes: " + columns + "\n";
    text += "%TableStart:\n";
    for (const auto& row : rows) text += row + "\n";
    text +=
        "%TableEnd:\n"
        "%TableType: " +
        tableType +
        "\n"
        "%TableStart:\n"
        " 99 9 9 9 9\n"
        "%TableEnd:\n"
        "%End:\n";
    return text;
}

const std::vector<std::string> kRealImagRows = {
    "  0.0  1.0  0.0  0.5  0.5  1",
    " 90.0  0.0  2.0 -1.0  0.0  0",
    "180.0  0.5  0.5  1.0  0.0  3",
};
const std::vector<std::string> kMagPhaseRows = {
    "  0.0  1.0    0.0  0.7071067811865476  45.0  1",
    " 90.0  2.0   90.0  1.0                180.0  0",
    "180.0  0.7071067811865476  45.0  1.0    0.0  3",
};

class PatternFile : public ::testing::Test {
  protected:
    long Import(CCrossLoopPattBtf& pattern, const std::string& bytes) {
        CFileSpec spec = SpecOf(dir.Write("Pattern.txt", bytes));
        return pattern.ImportPatSavFile(&spec);
    }

    CTestFolder dir;
};

std::vector<double> Bearings(const CCrossLoop& loop) {
    return std::vector<double>(loop.mpBearings.begin(), loop.mpBearings.begin() + loop.mnVectors);
}

TEST_F(PatternFile, PlainLayoutEndsClockwiseFromNorthSmallestFirst) {
    CCrossLoopPattBtf pattern;
    ASSERT_EQ(Import(pattern, kPlainPattern), kNoErr);
    // 15 - 10 = 5, 15 - 20 = -5 -> 355, 15 - 30 = -15 -> 345.
    EXPECT_EQ(Bearings(pattern), (std::vector<double>{5, 345, 355}));
    // The vectors follow their bearings: first, third, second.
    const int order[3] = {0, 2, 1};
    for (int i = 0; i < 3; ++i) {
        double k = order[i] + 1;
        EXPECT_EQ(pattern.mpPatterns[i].a13r, k) << i;
        EXPECT_EQ(pattern.mpQualities[i].q13i, 30 + k) << i;
        EXPECT_EQ(pattern.mpPatterns[i].a23r, 40 + k) << i;
        EXPECT_EQ(pattern.mpQualities[i].q23i, 70 + k) << i;
    }
    EXPECT_EQ(pattern.mnSiteCode, kCodeABCD);
    EXPECT_DOUBLE_EQ(pattern.mdLongitude, -122.25);
    EXPECT_EQ(pattern.mdAngularSmoothing, 2.0);
    EXPECT_EQ(pattern.mnTime, kJan8th2008At1430);
    EXPECT_STREQ(pattern.mszComment, "Measured by boat");
    char uuid[64];
    pattern.GetBtfUUIDString(uuid, sizeof(uuid));
    EXPECT_STREQ(uuid, "0123ABCD-89AB-CDEF-0123-456789ABCDEF");
}

TEST_F(PatternFile, PlainLayoutNumbersMayWrapAndLinesEndAnyWay) {
    // Bearings over two lines, blocks with surplus numbers at their ends
    // (ignored), CR line ends, and no trailing lines at all.
    const std::string text =
        "3\r10, 20\r30\r"
        "1 2\r3 99\r11 12 13\r21 22 23\r31 32 33\r41 42 43\r51 52 53\r61 62 63\r71 72 73 99\r";
    CCrossLoopPattBtf pattern;
    ASSERT_EQ(Import(pattern, text), kNoErr);
    // Antenna bearing 0: 0 - 10 -> 350, -20 -> 340, -30 -> 330.
    EXPECT_EQ(Bearings(pattern), (std::vector<double>{330, 340, 350}));
    EXPECT_EQ(pattern.mpPatterns[0].a13r, 3.0);
    EXPECT_EQ(pattern.mpQualities[2].q23i, 71.0);
    EXPECT_EQ(pattern.mnSiteCode, 0x58585858u);
}

TEST_F(PatternFile, PlainLayoutWithoutDateTakesTheFileTime) {
    const char* previous = getenv("TZ");
    std::string saved = previous ? previous : "";
    setenv("TZ", "UTC", 1);
    tzset();
    std::string text = "1\n0\n1\n2\n3\n4\n5\n6\n7\n8\n";
    CCrossLoopPattBtf pattern;
    const std::string path = dir.Write("Pattern.txt", text);
    // 2010-01-01 00:00:00 UTC: 106 years with 27 leap days after 1904.
    using namespace std::chrono;
    fs::last_write_time(path, file_clock::from_sys(sys_seconds{sys_days{year{2010} / 1 / 1}}));
    CFileSpec spec = SpecOf(path);
    EXPECT_EQ(pattern.ImportPatSavFile(&spec), kNoErr);
    EXPECT_EQ(pattern.mnTime, 3345148800u);
    if (previous)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(PatternFile, PlainLayoutFailuresLeaveNoPattern) {
    const struct {
        const char* name;
        std::string text;
        long result;
    } cases[] = {
        {"no bearings", "0\n", kNoErr},
        {"negative count", "-5\n1 2 3\n", kNoErr},
        {"empty file", "", kErrEndOfFile},
        {"a block cut short", "2\n0 10\n1 1\n1 1\n1 1\n1\n", kErrEndOfFile},
        {"bearings cut short", "3\n10 20\n", kErrEndOfFile},
        {"two billion announced", "2000000000\n1 2 3 4 5\n", kErrEndOfFile},
        {"text instead of numbers", "2\nten twenty\n", kErrEndOfFile},
    };
    for (const auto& c : cases) {
        CCrossLoopPattBtf pattern;
        EXPECT_EQ(Import(pattern, c.text), c.result) << c.name;
        EXPECT_EQ(pattern.mnVectors, 0) << c.name;
    }
}

TEST_F(PatternFile, TableLayoutRealImagAndMagPhaseGiveTheSameParts) {
    CCrossLoopPattBtf realImag;
    ASSERT_EQ(
        Import(realImag, TablePattern("xlp2 dflt", "BEAR A13R A13I A23R A23I FLAG", kRealImagRows)),
        kNoErr);
    EXPECT_EQ(realImag.mnRealImagColumns, 4);
    EXPECT_EQ(realImag.mnMagPhaseColumns, 0);
    EXPECT_EQ(realImag.mnReferenceChannel, 0);
    CCrossLoopPattBtf magPhase;
    ASSERT_EQ(
        Import(magPhase, TablePattern("xlp2 dflt", "BEAR A13M A13P A23M A23P FLAG", kMagPhaseRows)),
        kNoErr);
    EXPECT_EQ(magPhase.mnRealImagColumns, 0);
    EXPECT_EQ(magPhase.mnMagPhaseColumns, 4);
    EXPECT_EQ(magPhase.mnReferenceChannel, 3);  // set by the A13M column

    const double expected[3][4] = {{1, 0, 0.5, 0.5}, {0, 2, -1, 0}, {0.5, 0.5, 1, 0}};
    for (const CCrossLoopPattBtf* p : {&realImag, &magPhase}) {
        ASSERT_EQ(p->mnVectors, 3);  // rows of the second table are not taken
        EXPECT_EQ(p->mnPatternTables, 2);
        EXPECT_EQ(Bearings(*p), (std::vector<double>{0, 90, 180}));
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(p->mpPatterns[i].a13r, expected[i][0], 1e-12) << i;
            EXPECT_NEAR(p->mpPatterns[i].a13i, expected[i][1], 1e-12) << i;
            EXPECT_NEAR(p->mpPatterns[i].a23r, expected[i][2], 1e-12) << i;
            EXPECT_NEAR(p->mpPatterns[i].a23i, expected[i][3], 1e-12) << i;
        }
        EXPECT_EQ(p->mpFlags[0], 1u);
        EXPECT_EQ(p->mpFlags[2], 3u);
        EXPECT_DOUBLE_EQ(p->mdLongitude, -122.25);
        EXPECT_EQ(p->mnTime, kJan8th2008At1430);
        EXPECT_DOUBLE_EQ(p->mdTxBandwidthHz, 100500.0);
        EXPECT_EQ(p->mnDopplerCells, 512);
        EXPECT_STREQ(p->mszComment, "Pattern by hand");
        char uuid[64];
        p->GetBtfUUIDString(uuid, sizeof(uuid));
        EXPECT_STREQ(uuid, "0123ABCD-89AB-CDEF-0123-456789ABCDEF");
    }
}

TEST_F(PatternFile, MagnitudeColumnsNameTheReferenceChannel) {
    const struct {
        const char* columns;
        int32_t channel;
    } cases[] = {
        {"BEAR A12M A12P A32M A32P", 2},
        {"BEAR A21M A21P A31M A31P", 1},
        {"BEAR A23M A23A A13M A13A", 3},
        {"BEAR A13R A13I A23R A23I", 0},
    };
    for (const auto& c : cases) {
        CCrossLoopPattBtf pattern;
        ASSERT_EQ(Import(pattern, TablePattern("xlp2 dflt", c.columns, {" 0 1 0 1 0"})), kNoErr);
        EXPECT_EQ(pattern.mnReferenceChannel, c.channel) << c.columns;
    }
    // A channel the file states is kept.
    std::string text = TablePattern("xlp2 dflt", "BEAR A12M A12P A32M A32P", {" 0 1 0 1 0"});
    text.insert(text.find("%TableType"), "%ReferenceChannel: 1\n");
    CCrossLoopPattBtf pattern;
    ASSERT_EQ(Import(pattern, text), kNoErr);
    EXPECT_EQ(pattern.mnReferenceChannel, 1);
}

TEST_F(PatternFile, UntypedRowsAndTheAntennaBearingOfLaterTableTypes) {
    const std::vector<std::string> rows = {
        " 10 1 2 3 4",                     // the fewest numbers a row may have
        " 20 1 2 3 4 5 6 7 8 9 10 11 12",  // the tenth number is the flag
        " 30 1 2",                         // too short: skipped
        " 1440 1 2 3 4",                   // a missing bearing
    };
    CCrossLoopPattBtf plain;
    ASSERT_EQ(Import(plain, TablePattern("xlp3 dflt", "", rows)), kNoErr);
    EXPECT_EQ(Bearings(plain), (std::vector<double>{10, 20, 1440}));
    EXPECT_EQ(plain.mpPatterns[1].a23i, 4.0);
    EXPECT_EQ(plain.mpQualities[1].q13r, 5.0);
    EXPECT_EQ(plain.mpQualities[1].q23i, 8.0);
    EXPECT_EQ(plain.mpFlags[1], 9u);
    EXPECT_EQ(plain.mpQualities[0].q13r, 0.0);
    EXPECT_EQ(plain.mpFlags[0], 0u);

    CCrossLoopPattBtf later;  // table types above 'xlp3' hold bearings relative to the antenna
    ASSERT_EQ(Import(later, TablePattern("xlp4 dflt", "", rows)), kNoErr);
    EXPECT_EQ(Bearings(later), (std::vector<double>{25, 35, 1440}));
    double resolution = 0;
    EXPECT_EQ(later.CalculatePatternResolution(&resolution), kNoErr);
    EXPECT_NEAR(resolution, 10.0, 1e-9);  // the missing bearing takes no part
}

TEST_F(PatternFile, TableLayoutFailures) {
    std::string wrongType = TablePattern("xlp2 dflt", "", {" 0 1 2 3 4"});
    wrongType.replace(wrongType.find("PATT"), 4, "LLUV");
    std::string noRows = TablePattern("xlp2 dflt", "", {});
    noRows.replace(noRows.find(" 99 9 9 9 9"), 11, "%% none");
    for (const std::string& text : {wrongType, noRows}) {
        CCrossLoopPattBtf pattern;
        EXPECT_EQ(Import(pattern, text), kErrBadArgument) << text.substr(0, 40);
    }
}

TEST_F(PatternFile, HostileFilesReadWithoutHarm) {
    std::string binary = "%";
    for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 131 + 7) & 0xFF);
    std::string manyColumns = "%FileType: PATT\n%TableColumnTypes:";
    for (int i = 0; i < 1000; ++i) manyColumns += " BEAR";
    manyColumns += "\n%TableRows: 2000000000\n%TableColumns: 2000000000\n%TableStart:\n";
    manyColumns.append(" ").append(100000, '1').append("\n");
    for (int i = 0; i < 300; ++i) manyColumns += " 1";
    manyColumns += "\n";
    const std::string cases[] = {
        binary,
        binary.substr(1),
        manyColumns,
        std::string("2000000000\n").append(200000, '7').append("\n"),
        std::string(1 << 20, '9'),
    };
    for (const auto& bytes : cases) {
        CCrossLoopPattBtf pattern;
        Import(pattern, bytes);
        EXPECT_LE(pattern.mnVectors, 1000);  // at most a row per 4,096-byte piece
        EXPECT_LT(strlen(pattern.mszComment), sizeof(pattern.mszComment));
    }
}

}  // namespace
