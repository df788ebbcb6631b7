// The converter's QC on a temporary copy of the example station: with the
// [QC] section absent or off every output byte is as without QC, and the
// preference file is never changed; with it on the LLUV file gets the QC lines
// and flag columns and nothing else changes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TestFiles.h"
#include "QuillmoorProcess.h"

namespace fs = std::filesystem;

namespace {

const char* kLLUVName = "RDLi_BRNK_2026_12_06_1400.ruv";
// Nine flag columns of seven characters: Q201 to Q207, Q209 and PRIM.
constexpr size_t kFlagText = 9 * 7;

// The lines that differ from run to run (a new identifier, the time of the
// run) left out.
std::string WithoutRunLines(const std::string& text) {
    std::istringstream in(text);
    std::string line, kept;
    while (std::getline(in, line))
        if (line.rfind("%UUID:", 0) != 0 && line.rfind("%ProcessedTimeStamp:", 0) != 0)
            kept += line + "\n";
    return kept;
}

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

class ConverterQC : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillmoor-qc-XXXXXX";
        root = mkdtemp(pattern);
        const fs::path example = fs::path(BVK_SOURCE_DIR) / "examples/station";
        fs::copy(example, root, fs::copy_options::recursive);
        pref = root / "Configs" / "Quillmoor.pref";
        std::ofstream(root / "Processing" / "SpectraToProcess.txt")
            << "Processing/CSS_BRNK_26_12_06_1400.cs\n";
    }
    void TearDown() override { fs::remove_all(root); }

    // Mode 3: the classic and the LLUV file.
    void Run(const std::string& out) {
        const XProgramResult r = RunQuillmoorProgram(
            {"0", "i", "", (root / out).string() + "/", (root / "Processing").string() + "/", "3",
             "0", (root / "Configs").string() + "/", "-1", (root / "Diagnostics").string() + "/"},
            // The spectra list names its file relative to the station folder.
            "cd " + ShellQuote(root.string()) + " && TZ=America/Los_Angeles ");
        ASSERT_EQ(r.status, 0) << r.out;
    }
    void ExpectSameOutputs(const std::string& a, const std::string& b) {
        for (const auto& entry : fs::directory_iterator(root / a)) {
            const fs::path other = root / b / entry.path().filename();
            ASSERT_TRUE(fs::exists(other)) << other;
            EXPECT_EQ(WithoutRunLines(ReadAll(entry.path())), WithoutRunLines(ReadAll(other)))
                << other;
        }
    }

    fs::path root, pref;
};

TEST_F(ConverterQC, OffOrAbsentChangesNoByteAndOnAddsOnlyTheQC) {
    Run("absent");
    const std::string withoutSection = ReadAll(pref);

    std::ofstream(pref, std::ios::app) << "\n[QC]\nRunQC = Off\nMaxSpeed = 1\n";
    const std::string off = ReadAll(pref);
    Run("off");
    EXPECT_EQ(ReadAll(pref), off);
    ExpectSameOutputs("absent", "off");

    std::ofstream(pref) << withoutSection << "\n[QC]\nRunQC = On\nReferenceBearing = 250\n";
    const std::string on = ReadAll(pref);
    Run("on");
    EXPECT_EQ(ReadAll(pref), on);
    const std::string checked = ReadAll(root / "on" / kLLUVName);
    EXPECT_NE(checked.find("%SpectraDopplerCells: 512\n%QCFileVersion: 2.0.0\n"),
              std::string::npos);
    EXPECT_NE(checked.find("%QCTest: average_radial_bearing (Q207) "
                           "[reference=250 deg warn=15 deg fail=30 deg]: "),
              std::string::npos);
    EXPECT_NE(checked.find("\n%QCTest: primary_flag (PRIM) [worst of the tests run]: "
                           "column PRIM\n%TableType: LLUV RDL5\n%TableColumns: 25\n"),
              std::string::npos);
    EXPECT_EQ(WithoutRunLines(WithoutQC(checked)),
              WithoutRunLines(ReadAll(root / "absent" / kLLUVName)));
}

}  // namespace
