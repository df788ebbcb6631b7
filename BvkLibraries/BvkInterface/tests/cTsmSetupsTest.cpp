#include "cTsmSetups.h"

#include "BvkErrors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFolder.h"

namespace {

using namespace test_folder;

constexpr uint32_t kCodeABCD = 0x41424344;
constexpr uint32_t kCodeXXXX = 0x58585858;

// A complete header, one entry per line, each value distinct from its default.
const std::vector<std::string> kFullHeader = {
    "1 ABCD \"Brenvik Point\" ! site",  // 1
    "36.5N, 122.25W",                   // 2
    "123.5 ! antenna bearing",          // 3
    "40, 0.5, 0.25",                    // 4
    "45.0",                             // 5
    "2.0",                              // 6
    "3.5",                              // 7
    "1024",                             // 8
    "0.0078125",                        // 9
    "\"Ideal Pattern  \"  12.5  Last",  // 10
    "100.0 3 2.5",                      // 11
    "20 2 200",                         // 12
    "1",                                // 13
    "3 18",                             // 14
    "1 2 3 4",                          // 15
    "512 256 128",                      // 16
    "0.5 0.6 0.7 0.8",                  // 17
    "1.5 2.5",                          // 18
    "1 2 3 4 5 6 7",                    // 19
    "x.",                               // 20
    "80, 65, 1.5, 7",                   // 21
    "6.5",                              // 22
    "81 66 2.5 8",                      // 23
    "4.5",                              // 24
    "9",                                // 25
    "1.25 2.25",                        // 26
    "3 4",                              // 27
    "180",                              // 28
};

class SiteSetup : public ::testing::Test {
  protected:
    // The first `count` lines of `lines`, LF-ended.
    std::string Header(std::vector<std::string> lines, size_t count) {
        std::string text;
        for (size_t i = 0; i < count && i < lines.size(); ++i) text += lines[i] + "\n";
        return text;
    }
    long Import(CTsmSetups& setup, const std::string& bytes, long maxLines = 0) {
        CFileSpec spec = SpecOf(dir.Write("Header.txt", bytes));
        setup.SetDefaultValues();
        return setup.ImportHeaderFile(&spec, maxLines);
    }

    CTestFolder dir;
};

TEST_F(SiteSetup, CompleteHeaderSetsEveryValue) {
    CTsmSetups setup;
    ASSERT_EQ(Import(setup, Header(kFullHeader, 28)), kNoErr);
    EXPECT_EQ(setup.mbHeaderLoaded, 1);
    EXPECT_EQ(setup.mnLinesRead, 28);
    EXPECT_EQ(setup.mnSiteCode, kCodeABCD);
    EXPECT_STREQ(setup.mszSiteName, "Brenvik Point");
    EXPECT_DOUBLE_EQ(setup.mdLatitude, 36.5);
    EXPECT_DOUBLE_EQ(setup.mdLongitude, -122.25);  // W is negative
    EXPECT_EQ(setup.mdAntennaBearing, 123.5);      // the comment is cut
    EXPECT_EQ(setup.mdLine4C, 0.25);
    EXPECT_EQ(setup.mdLine9, 0.0078125);
    EXPECT_STREQ(setup.mszLine10A, "Ideal Pattern");  // trailing blanks removed
    EXPECT_EQ(setup.mdLine10B, 12.5);
    EXPECT_STREQ(setup.mszLine10C, "Last");
    EXPECT_EQ(setup.mdLine12C, 200.0);
    EXPECT_EQ(setup.mdLine14B, 18.0);
    EXPECT_EQ(setup.mnLine16[2], 128);
    EXPECT_EQ(setup.mdLine19[6], 7.0);
    EXPECT_EQ(setup.mdLine23[2], 2.5);
    EXPECT_EQ(setup.mnLine23D, 8);
    EXPECT_EQ(setup.mdLine24, 4.5);  // line 24 replaces line 11's third value
    EXPECT_EQ(setup.mdLine26[1], 2.25);
    EXPECT_EQ(setup.mdLine28, 180.0);
}

TEST_F(SiteSetup, HeaderIsCompleteFromLineNineteen) {
    const struct {
        size_t lines;
        long maxLines;
        long result;
        int32_t linesRead;
    } cases[] = {
        {28, 0, kNoErr, 28},      {19, 0, kNoErr, 19},      {18, 0, kErrEndOfFile, 18},
        {0, 0, kErrEndOfFile, 0}, {28, 1, kNoErr, 1},  // a line limit stops early with success
        {5, 3, kNoErr, 3},        {5, 9, kErrEndOfFile, 5},
    };
    for (const auto& c : cases) {
        CTsmSetups setup;
        EXPECT_EQ(Import(setup, Header(kFullHeader, c.lines), c.maxLines), c.result) << c.lines;
        EXPECT_EQ(setup.mnLinesRead, c.linesRead) << c.lines;
        EXPECT_EQ(setup.mbHeaderLoaded, c.result == kNoErr ? 1 : 0) << c.lines;
    }
    // A short header keeps what it gave and the defaults of the rest.
    CTsmSetups setup;
    ASSERT_EQ(Import(setup, Header(kFullHeader, 18)), kErrEndOfFile);
    EXPECT_EQ(setup.mnSiteCode, kCodeABCD);
    EXPECT_EQ(setup.mdLine18[0], 1.5);
    EXPECT_EQ(setup.mdLine19[0], 20.0);
    // Lines beyond the 28th are not read.
    ASSERT_EQ(Import(setup, Header(kFullHeader, 28) + "999\n999\n"), kNoErr);
    EXPECT_EQ(setup.mnLinesRead, 28);
    // Only line 1 with a limit of one line.
    ASSERT_EQ(Import(setup, Header(kFullHeader, 28), 1), kNoErr);
    EXPECT_EQ(setup.mnSiteCode, kCodeABCD);
    EXPECT_EQ(setup.mdAntennaBearing, 0.0);
}

TEST_F(SiteSetup, FirstLineHoldsNumberCodeAndName) {
    const struct {
        const char* line;
        int32_t first;
        uint32_t code;
        const char* name;
    } cases[] = {
        {"3 ABCD \"Two Words\" ! a comment", 3, kCodeABCD, "Two Words"},
        {"3, ABCD, Single extra", 3, kCodeABCD, "Single"},
        {"7 ABCD", 7, kCodeABCD, ""},
        {"7", 7, kCodeXXXX, ""},              // what is not there keeps its default
        {"! 5 WXYZ name", 0, kCodeXXXX, ""},  // a comment-only line
        {"", 0, kCodeXXXX, ""},
    };
    for (const auto& c : cases) {
        CTsmSetups setup;
        Import(setup, std::string(c.line) + "\n", 1);
        EXPECT_EQ(setup.mnLine1A, c.first) << c.line;
        EXPECT_EQ(setup.mnSiteCode, c.code) << c.line;
        EXPECT_STREQ(setup.mszSiteName, c.name) << c.line;
    }
}

TEST_F(SiteSetup, SiteCodesThatCannotBeInFileNamesAreRefused) {
    const struct {
        const char* line;
        long result;
    } cases[] = {
        {"1 BRNK", kNoErr},
        {"1 A.BC", kNoErr},
        {"1 ....", kNoErr},
        {"7", kNoErr},  // the default XXXX
        {"1 A/BC", kErrBadArgument},
        {"1 /../", kErrBadArgument},
        {"1 .", kErrBadArgument},
        {"1 ..", kErrBadArgument},
        {"1 AB\x01C", kErrBadArgument},
        {"1 AB\x7F", kErrBadArgument},
        {"1 791621423", kErrBadArgument},  // a number for a code: 0x2F2F2F2F is "////"
    };
    for (const auto& c : cases) {
        CTsmSetups setup;
        Import(setup, std::string(c.line) + "\n", 1);
        EXPECT_EQ(setup.CheckSiteCode(), c.result) << c.line;
    }
}

TEST_F(SiteSetup, LineTwentyGivesSeparatorsRaw) {
    const struct {
        const char* line;
        char field;
        char date;
    } cases[] = {
        {"x", 'x', '_'},  {"", '-', '_'},
        {"!#", '!', '#'},  // no comment cut on this line
        {" ;", ' ', ';'}, {"ab comment", 'a', 'b'},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines = kFullHeader;
        lines[19] = c.line;
        CTsmSetups setup;
        ASSERT_EQ(Import(setup, Header(lines, 20)), kNoErr) << c.line;
        EXPECT_EQ(setup.mcFieldSeparator, c.field) << c.line;
        EXPECT_EQ(setup.mcDateSeparator, c.date) << c.line;
    }
}

TEST_F(SiteSetup, LineTwentyOneSeedsLineTwentyThree) {
    CTsmSetups setup;
    ASSERT_EQ(Import(setup, Header(kFullHeader, 22)), kNoErr);
    EXPECT_EQ(setup.mdLine23[0], 80.0);
    EXPECT_EQ(setup.mdLine23[1], 65.0);
    EXPECT_EQ(setup.mdLine23[2], 7.0);  // the integer, not the third double
    EXPECT_EQ(setup.mnLine23D, 7);
    // A line 23 that gives only two values keeps the copied rest.
    std::vector<std::string> lines = kFullHeader;
    lines[22] = "90 70";
    ASSERT_EQ(Import(setup, Header(lines, 23)), kNoErr);
    EXPECT_EQ(setup.mdLine23[1], 70.0);
    EXPECT_EQ(setup.mdLine23[2], 7.0);
    EXPECT_EQ(setup.mnLine23D, 7);
}

TEST_F(SiteSetup, LineElevenThirdValueUntilLineTwentyFour) {
    CTsmSetups setup;
    ASSERT_EQ(Import(setup, Header(kFullHeader, 23)), kNoErr);
    EXPECT_EQ(setup.mdLine24, 2.5);
    ASSERT_EQ(Import(setup, Header(kFullHeader, 24)), kNoErr);
    EXPECT_EQ(setup.mdLine24, 4.5);
    std::vector<std::string> lines = kFullHeader;
    lines[10] = "100.0 3";  // no third value: the default stays
    ASSERT_EQ(Import(setup, Header(lines, 23)), kNoErr);
    EXPECT_EQ(setup.mdLine24, 1.0);
}

TEST_F(SiteSetup, CommentOnlyAndPartialLinesKeepDefaults) {
    std::vector<std::string> lines = kFullHeader;
    lines[3] = "   ! nothing but a note";
    lines[14] = "9.5, 8.5 ! two of four";
    CTsmSetups setup;
    ASSERT_EQ(Import(setup, Header(lines, 19)), kNoErr);
    EXPECT_EQ(setup.mnNonEmptyLines, 19);  // counted before the comment is cut
    EXPECT_EQ(setup.mnLine4A, 30);
    EXPECT_EQ(setup.mdLine4C, 0.999);
    EXPECT_EQ(setup.mdLine15[1], 8.5);
    EXPECT_EQ(setup.mdLine15[2], 10.0);
    EXPECT_EQ(setup.mdLine15[3], 3.0);
}

TEST_F(SiteSetup, LineEndsOfAnyKindAndEmptyLines) {
    std::string text;
    for (size_t i = 0; i < 19; ++i) text += kFullHeader[i] + (i % 2 ? "\r\n" : "\r");
    CTsmSetups setup;
    ASSERT_EQ(Import(setup, text), kNoErr);
    EXPECT_EQ(setup.mdLine19[6], 7.0);
    std::vector<std::string> lines = kFullHeader;
    lines[4] = "";
    ASSERT_EQ(Import(setup, Header(lines, 19)), kNoErr);
    EXPECT_EQ(setup.mnNonEmptyLines, 18);
    EXPECT_EQ(setup.mdLine5, 90.0);
}

TEST_F(SiteSetup, FileNamingAndMissingFiles) {
    dir.Write("Header.txt", Header(kFullHeader, 19));
    CTsmSetups setup;
    setup.SetDefaultValues();
    CFileSpec folder = SpecOf(dir.Path().string() + "/");
    EXPECT_EQ(setup.ImportHeaderFile(&folder, 0), kNoErr);  // the name is added to a folder
    EXPECT_EQ(setup.mnSiteCode, kCodeABCD);
    EXPECT_EQ(setup.ImportPhasesFile(&folder, 0), kErrNotFound);
    EXPECT_EQ(setup.mbPhasesLoaded, 0);
    CFileSpec missing = SpecOf(dir.File("Nothing.txt"));
    EXPECT_EQ(setup.ImportHeaderFile(&missing, 0), kErrNotFound);
    char name[256] = "stale";
    EXPECT_EQ(setup.GetSpectraToProcess(&missing, name, 0), kErrNotFound);
    EXPECT_STREQ(name, "");
}

TEST_F(SiteSetup, HostileHeadersReadWithoutHarm) {
    std::string binary;
    for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 73 + 5) & 0xFF);
    const std::string cases[] = {
        binary,
        std::string(100000, 'A'),  // one long line arrives in 255-character pieces
        std::string(5000, '\n'),
        "99999999999999999999 \"unterminated name\n",
        std::string(3000, '!'),
    };
    for (const auto& bytes : cases) {
        CTsmSetups setup;
        long err = Import(setup, bytes);
        EXPECT_TRUE(err == kNoErr || err == kErrEndOfFile);
        EXPECT_LE(setup.mnLinesRead, 28);
        EXPECT_LT(strlen(setup.mszSiteName), sizeof(setup.mszSiteName));
    }
    // 100,000 characters are 392 pieces of 255: the header is "complete".
    CTsmSetups setup;
    EXPECT_EQ(Import(setup, std::string(100000, 'A')), kNoErr);
}

TEST_F(SiteSetup, PhasesFileGivesTwoValuesOfItsFirstLine) {
    const struct {
        const char* text;
        long result;
        double phase0;
        double phase1;
    } cases[] = {
        {"12.5 -7.25 ! measured\n99 99\n", kNoErr, 12.5, -7.25},
        {"12.5, -7.25", kNoErr, 12.5, -7.25},
        {"12.5\n", kNoErr, 12.5, 0.0},
        {"! none\n", kNoErr, 0.0, 0.0},
        {"", kErrEndOfFile, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        CFileSpec spec = SpecOf(dir.Write("Phases.txt", c.text));
        CTsmSetups setup;
        setup.SetDefaultValues();
        EXPECT_EQ(setup.ImportPhasesFile(&spec, 0), c.result) << c.text;
        EXPECT_EQ(setup.mbPhasesLoaded, c.result == kNoErr ? 1 : 0) << c.text;
        EXPECT_EQ(setup.mdPhase[0], c.phase0) << c.text;
        EXPECT_EQ(setup.mdPhase[1], c.phase1) << c.text;
    }
}

TEST_F(SiteSetup, SpectraListGivesTheRequestedLine) {
    dir.Write("SpectraToProcess.txt",
              "/Data/Spectra/CSS_ABCD_08_01_08_1430.cs ! not a comment\r\n/Data/second.cs\r\n");
    const struct {
        long lineNumber;
        long result;
        const char* name;
    } cases[] = {
        {0, kNoErr, "/Data/Spectra/CSS_ABCD_08_01_08_1430.cs ! not a comment"},
        {1, kNoErr, "/Data/Spectra/CSS_ABCD_08_01_08_1430.cs ! not a comment"},
        {-4, kNoErr, "/Data/Spectra/CSS_ABCD_08_01_08_1430.cs ! not a comment"},
        {2, kNoErr, "/Data/second.cs"},
        {3, kErrEndOfFile, ""},
        {2000000, kErrEndOfFile, ""},
    };
    CFileSpec folder = SpecOf(dir.Path().string() + "/");
    for (const auto& c : cases) {
        CTsmSetups setup;
        char name[256] = "stale";
        EXPECT_EQ(setup.GetSpectraToProcess(&folder, name, c.lineNumber), c.result) << c.lineNumber;
        EXPECT_STREQ(name, c.name) << c.lineNumber;
    }
    // A line longer than 255 characters is cut.
    CFileSpec spec = SpecOf(dir.Write("List.txt", std::string(400, 'p') + "\n"));
    CTsmSetups setup;
    char name[256];
    EXPECT_EQ(setup.GetSpectraToProcess(&spec, name, 0), kNoErr);
    EXPECT_EQ(std::string(name), std::string(255, 'p'));
    EXPECT_EQ(setup.GetSpectraToProcess(&spec, nullptr, 0), kErrBadArgument);
}

}  // namespace
