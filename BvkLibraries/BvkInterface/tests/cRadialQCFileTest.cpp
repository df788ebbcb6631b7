// Radial QC of files: the earlier hours' names, what the reader notes for the
// syntax test, and files that cannot be checked leaving the output alone.

#include <gtest/gtest.h>

#include <string>

#include "BvkErrors.h"
#include "TestFolder.h"
#include "cFileTool.h"
#include "cRadialQCFile.h"

namespace {

using namespace test_folder;

class RadialQCFiles : public ::testing::Test {
  protected:
    CTestFolder root;
};

TEST(RadialQCEarlierName, MovesTheStampBackAcrossDaysMonthsAndYears) {
    const struct {
        const char* name;
        long hours;
        const char* earlier;
    } cases[] = {
        {"RDLi_BRNK_2026_12_06_1400.ruv", 1, "RDLi_BRNK_2026_12_06_1300.ruv"},
        {"RDLi_BRNK_2026_12_06_1400.ruv", 2, "RDLi_BRNK_2026_12_06_1200.ruv"},
        {"RDLm_BRNK_2026_01_01_0030.ruv", 1, "RDLm_BRNK_2025_12_31_2330.ruv"},
        {"RDLi_BRNK_2024_03_01_0100.ruv", 2, "RDLi_BRNK_2024_02_29_2300.ruv"},
    };
    for (const auto& c : cases) {
        std::string earlier;
        ASSERT_TRUE(RadialQCEarlierName(c.name, c.hours, &earlier)) << c.name;
        EXPECT_EQ(earlier, c.earlier);
    }
    std::string earlier;
    EXPECT_FALSE(RadialQCEarlierName("RDLi_BRNK_2026_12_06.ruv", 1, &earlier));
}

TEST_F(RadialQCFiles, ReaderNotesKeywordsStampRowWidthsAndAngularResolution) {
    const std::string path = root.Write("RDLi_TEST_2026_12_06_1400.ruv", R"(%BTF: 1.00
%FileType: LLUV rdls "RadialMap"
%Site: TEST ""
%TimeStamp: 2026 12 06  14 00 00
%Origin:  36.9512000 -122.0634000
%AngularResolution: 5 Deg
%TableType: LLUV RDL5
%TableColumns: 3
%TableColumnTypes: BEAR VELO SPRC
%TableStart:
  10.0   12.000  1
  15.0  160.000
%TableEnd:
%End:
)");
    CFileTool spec;
    spec.SetFileSpec(path.c_str());
    CRadialQCFile file;
    ASSERT_EQ(file.ReadForQC(&spec), 0);
    EXPECT_STREQ(file.mFacts.fileName, "RDLi_TEST_2026_12_06_1400.ruv");
    EXPECT_EQ(file.mFacts.keywords, kQCKeyFileType | kQCKeySite | kQCKeyTimeStamp | kQCKeyOrigin);
    EXPECT_EQ(file.mFacts.stamp[3], 14);
    EXPECT_EQ(file.mFacts.rowsOfWrongWidth, 1);
    EXPECT_EQ(file.mFacts.angularResolution, 5.0);
    // Only the polar columns: no geographic form for the hourly tests.
    EXPECT_TRUE(RadialQCHasVelocity(file));
    EXPECT_FALSE(RadialQCHasPosition(file));
}

TEST_F(RadialQCFiles, HostileInputFailsAndLeavesTheOutputAsItWas) {
    const std::string good = "a good file\n";
    const struct {
        const char* what;
        std::string text;  // "-": no input file
        long error;
    } cases[] = {
        {"no file", "-", kErrNotFound},
        {"empty", "", kBtfErrNoFileType},
        {"binary bytes", std::string("\0\1\2\3\xff\xfe%\0", 8), kBtfErrNoFileType},
        {"not a radial file", "%FileType: XXXX yyyy\n", kErrBadArgument},
        {"no vector table", "%FileType: LLUV rdls\n%TableRows: 99999999999999\n",
         kQCErrNoVectorTable},
        {"QC already there",
         "%FileType: LLUV rdls\n%QCTest: x\n%TableColumnTypes: VELO\n%TableStart:\n 1\n",
         kQCErrAlreadyChecked},
    };
    for (const auto& c : cases) {
        const std::string input = c.text == "-"
                                      ? root.File("missing.ruv")
                                      : root.Write("RDLi_TEST_2026_12_06_1400.ruv", c.text);
        const std::string output = root.Write("out.ruv", good);
        CFileTool in, out, folder;
        in.SetFileSpec(input.c_str());
        out.SetFileSpec(output.c_str());
        folder.SetFileSpec((root.Path().string() + "/").c_str());
        XRadialQCResult result;
        EXPECT_EQ(RadialQCFile(&in, &folder, &out, XRadialQCOptions{}, &result), c.error) << c.what;
        EXPECT_EQ(ReadAll(output), good) << c.what;
    }
}

}  // namespace
