// The converter's QC on a temporary copy of the example station: with the
// [QC] section absent or off every output byte is as without QC, and the
// preference file is never changed; with it on the LLUV file gets the QC lines
// and flag columns and nothing else changes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "QuillmoorProcess.h"

namespace fs = std::filesystem;

namespace {

// Nine flag columns of seven characters: Q201 to Q207, Q209 and PRIM.
constexpr size_t kFlagText = 9 * 7;

// A QC'd LLUV text taken back to the text without QC.
std::string WithoutQC(const std::string& text) {
    std::istringstream in(text);
    std::string line, kept;
    int table = 0;
    bool inTable = false;
    while (std::getline(in, line)) {
        if (line.rfind("%QC", 0) == 0) continue;
        if (line.rfind("%TableStart:", 0) == 0) inTable = ++table == 1;
        if (line.rfind("%TableEnd:", 0) == 0) inTable = false;
        if (table == 0 && line == "%TableColumns: 25") line = "%TableColumns: 16";
        if (table == 0 && line.rfind("%TableColumnTypes:", 0) == 0)
            line.erase(line.size() -
                       std::string("Q201 Q202 Q203 Q204 Q205 Q206 Q207 Q209 PRIM ").size());
        if (inTable && line.rfind("%TableStart:", 0) != 0) line.erase(line.size() - kFlagText);
        kept += line + "\n";
    }
    return kept;
}

class ConverterQC : public ExampleStation {
  protected:
    void SetUp() override {
        ExampleStation::SetUp();
        fs::copy(fs::path(BVK_SOURCE_DIR) / "examples/station/Diagnostics", root / "Diagnostics",
                 fs::copy_options::recursive);
        pref = Cfg() / "Quillmoor.pref";
        WriteAll(Proc() / "SpectraToProcess.txt", "Processing/CSS_BRNK_26_12_06_1400.cs\n");
        // The spectra list names its file relative to the station folder.
        prefix = "cd " + ShellQuote(root.string()) + " && TZ=America/Los_Angeles ";
    }

    // Mode 3: the classic and the LLUV file.
    void RunInto(const std::string& folder) {
        out = root / folder;
        const XProgramResult r = Run("3", "i", "0");
        ASSERT_EQ(r.status, 0) << r.out;
    }
    void ExpectSameOutputs(const std::string& a, const std::string& b) {
        for (const auto& entry : fs::directory_iterator(root / a)) {
            const fs::path other = root / b / entry.path().filename();
            ASSERT_TRUE(fs::exists(other)) << other;
            EXPECT_EQ(WithoutRunStamps(ReadAll(entry.path())), WithoutRunStamps(ReadAll(other)))
                << other;
        }
    }

    fs::path pref;
};

TEST_F(ConverterQC, OffOrAbsentChangesNoByteAndOnAddsOnlyTheQC) {
    RunInto("absent");
    const std::string withoutSection = ReadAll(pref);

    WriteAll(pref, withoutSection + "\n[QC]\nRunQC = Off\nMaxSpeed = 1\n");
    const std::string off = ReadAll(pref);
    RunInto("off");
    EXPECT_EQ(ReadAll(pref), off);
    ExpectSameOutputs("absent", "off");

    WriteAll(pref, withoutSection + "\n[QC]\nRunQC = On\nReferenceBearing = 250\n");
    const std::string on = ReadAll(pref);
    RunInto("on");
    EXPECT_EQ(ReadAll(pref), on);
    const std::string checked = ReadAll(root / "on" / kLLUVName);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "%SpectraDopplerCells: 512\n%QCFileVersion: 2.0.0\n",
                        checked);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "%QCTest: average_radial_bearing (Q207) "
                        "[reference=250 deg warn=15 deg fail=30 deg]: ",
                        checked);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "\n%QCTest: primary_flag (PRIM) [worst of the tests run]: "
                        "column PRIM\n%TableType: LLUV RDL5\n%TableColumns: 25\n",
                        checked);
    EXPECT_EQ(WithoutRunStamps(WithoutQC(checked)),
              WithoutRunStamps(ReadAll(root / "absent" / kLLUVName)));
}

}  // namespace
