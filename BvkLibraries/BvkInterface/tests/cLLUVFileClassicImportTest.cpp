// Reading classic radial files into the vector store.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "cLLUVFile.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRadialFile = fs::path(BVK_TEST_DATA_DIR) / "RdlsTEST_08_01_08_1430.rv";

fs::path TempFolder() {
    const fs::path folder =
        fs::temp_directory_path() /
        ("bvk-classic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(folder);
    return folder;
}

long Import(CLLUVFile& store, const fs::path& path) {
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    return store.ImportClassicRadial(&spec);
}

long ImportText(CLLUVFile& store, const std::string& text,
                const std::string& name = "RdlsTEST_08_01_08_1430.rv") {
    const fs::path path = TempFolder() / name;
    std::ofstream(path, std::ios::binary) << text;
    const long result = Import(store, path);
    fs::remove(path);
    return result;
}

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
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
    } cases[] = {
        {" 14:30:00 Sunday, April 6, 2008 PDT", " 3290337000", 3290337000u, "PDT"},
        {" 14:30:00 Sunday, April 6, 2008 GMT+10", " 1", 1u, "GMT+10"},
        {" 14:30 UTC-9", " 2", 2u, "UTC-9"},
        {" 14:30:00 1234", " 3", 3u, ""},
        {" 14:30:00 PST", " -1000000000", 3294967296u, "PST"},
        {" 14:30:00 1+5", " 4", 4u, ""},  // an offset must follow letters
        {" 14:30:00 PST", "", 0u, ""},    // 48 characters: no time, no label
    };
    for (const XCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string line = c.text;
        line.resize(48, ' ');
        CLLUVFile store;
        ASSERT_EQ(ImportText(store, line + c.number + "\n" + kMinimalRest), 0);
        EXPECT_EQ(store.mnOriginTime, c.time);
        EXPECT_STREQ(store.msTimeZone, c.label);
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
// needed; a file ending inside the cells keeps what was read.
TEST(CLLUVFileClassicImport, TruncatedFileKeepsWhatWasRead) {
    const std::vector<std::string> lines = Lines(kRadialFile);
    ASSERT_GT(lines.size(), 17u);
    for (size_t cut = 0; cut < 4; ++cut) {
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, Join(lines, cut)), kErrEndOfFile) << cut;
    }
    // Vectors and last cell after a cut after 4, 5, ... 17 lines.
    const long vectors[] = {0, 0, 7, 8, 8, 8, 8, 8, 8, 8, 10, 10, 10, 10};
    const long lastCell[] = {4, 4, 4, 4, 4, 4, 4, 2, 3, 4, 4, 4, 4, 4};
    for (size_t cut = 4; cut < 18; ++cut) {
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, Join(lines, cut)), 0) << cut;
        EXPECT_EQ(store.mnVectors, vectors[cut - 4]) << cut;
        EXPECT_EQ(store.mnRangeEnd, lastCell[cut - 4]) << cut;
    }
    // Cut inside the speeds of cell 2: the speeds read so far are kept.
    CLLUVFile store;
    ASSERT_EQ(ImportText(store, Join(lines, 8)), 0);
    EXPECT_NEAR(store.mpRBVD[4].mdVelocity, -0.12346, 1e-12);
    EXPECT_EQ(store.mpRBVD[7].mdVelocity, 0.0);
}

TEST(CLLUVFileClassicImport, HostileInputGivesClearResults) {
    const std::vector<std::string> lines = Lines(kRadialFile);
    auto replaced = [&lines](size_t index, const std::string& line) {
        std::vector<std::string> copy = lines;
        copy[index] = line;
        return Join(copy, copy.size());
    };

    {
        // A count far beyond the file: the cells end at the first parameter
        // line, which is still read as one.
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, replaced(3, " 4000000000")), 0);
        EXPECT_EQ(store.mnVectors, 10);
        EXPECT_EQ(store.mnRangeEnd, 4);
        EXPECT_EQ(store.mnMergedCount, 3);
    }
    {
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, replaced(3, " three")), kErrBadArgument);
    }
    {
        // A cell count line with letters ends the cells there.
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, replaced(11, " none 3")), 0);
        EXPECT_EQ(store.mnVectors, 8);
        EXPECT_EQ(store.mnRangeEnd, 2);
        EXPECT_EQ(store.mnPatternMethod, 1);
    }
    {
        // A cell count of 4,000,000,000 reads values up to the end.
        CLLUVFile store;
        EXPECT_EQ(ImportText(store, replaced(4, " 4000000000 2")), 0);
        EXPECT_LT(store.mnVectors, 200);
    }
    {
        // Tokens that are not numbers are passed over: "abc" and "nan".
        std::vector<std::string> copy = lines;
        copy[13] = "  abc 45.0 nan 315.0";
        copy[14] = "  -20.00 x 15.50";
        CLLUVFile skipped;
        EXPECT_EQ(ImportText(skipped, Join(copy, copy.size())), 0);
        ASSERT_EQ(skipped.mnVectors, 10);
        EXPECT_NEAR(skipped.mpRBVD[8].mdBearing, 345.0, 1e-9);
        EXPECT_NEAR(skipped.mpRBVD[9].mdBearing, 75.0, 1e-9);
        EXPECT_NEAR(skipped.mpRBVD[9].mdVelocity, 0.155, 1e-12);
    }
    {
        // A 10 MB line as the time line and as a bearing line.
        const std::string huge(10 * 1024 * 1024, 'x');
        CLLUVFile first;
        EXPECT_EQ(ImportText(first, huge + "\n" + Join(lines, lines.size())), kErrBadArgument);
        CLLUVFile second;
        EXPECT_EQ(ImportText(second, replaced(5, huge)), 0);
        EXPECT_LE(second.mnVectors, 10);
    }
    {
        // Binary bytes, NUL and CR included.
        std::string binary;
        for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
        CLLUVFile store;
        const long result = ImportText(store, binary);
        EXPECT_TRUE(result == 0 || result == kErrBadArgument || result == kErrEndOfFile);
        EXPECT_LT(store.mnVectors, 4096);
    }
}

TEST(CLLUVFileClassicImport, ParameterFileReadOnItsOwn) {
    const fs::path path = TempFolder() / "RadialInfo.txt";
    std::ofstream(path, std::ios::binary)
        << "  MergeMethod 2\r\n\r\nradsmoothing 4\r  RadialSlider\t\xA5 12.1 beta\n"
           "SpectraToEllipticals  \xA5 3.0\nPatternMethod\n";
    CLLUVFile store;
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    ASSERT_EQ(store.OpenReadOnlyFile(&spec), 0);
    EXPECT_EQ(store.ReadClassicRadialParams(), 0);
    store.CFile::CloseFile();
    fs::remove(path);
    EXPECT_EQ(store.mnMergeMethod, 2);
    EXPECT_EQ(store.mnRadialSmoothing, 4);
    EXPECT_EQ(store.mnPatternMethod, 0);
    // A leading mark above 'z' is passed over, except for the elliptical tools.
    EXPECT_STREQ(store.mszBtfToolNames[0], "RadialSlider");
    EXPECT_STREQ(store.mszBtfToolVersions[0], "12.1 beta");
    EXPECT_STREQ(store.mszBtfToolNames[1], "SpectraToEllipticals");
    EXPECT_STREQ(store.mszBtfToolVersions[1], "\xA5 3.0");
}
