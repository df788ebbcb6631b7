// End-to-end runs of the built converter on copies of the example station
// whose source radial file is damaged: a stray range cell number, a bad value
// in a value block, a first cell at range 0. A source that would make an
// unbounded output is refused; otherwise every vector the source holds, and
// only those, reaches every output, and no output holds nan or inf text.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "QuillmoorProcess.h"
#include "cLLUVFile.h"

namespace fs = std::filesystem;

namespace {

// The example's radial file holds 622 vectors; its first speed is -20.74.
constexpr long kExampleVectors = 622;
const std::string kFirstSpeed = "      -20.74";

long TableRows(const fs::path& lluv) {
    std::smatch match;
    const std::string text = ReadAll(lluv);
    if (!std::regex_search(text, match, std::regex("\n%TableRows: (\\d+)\n"))) return -1;
    return std::stol(match[1]);
}

// The vectors of a classic radial (or, with `xyuv`, an xyuv) output as our own readers see them.
long Vectors(const fs::path& path, bool xyuv = false) {
    CLLUVFile store;
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    const long err = xyuv ? store.ImportClassicXYUV(&spec, 0, 0) : store.ImportClassicRadial(&spec);
    return err == 0 ? store.mnVectors : -1;
}

bool HoldsNanOrInf(const fs::path& path) {
    return std::regex_search(ReadAll(path), std::regex("[-+ ](nan|inf)", std::regex::icase));
}

class SourceDefects : public ExampleStation {
  protected:
    // Output files are held to 20 MB and the run to 10 s, so that a run
    // away output fails the test instead of filling the disk.
    void SetUp() override {
        ExampleStation::SetUp();
        prefix = "ulimit -f 40000; TZ=America/Los_Angeles timeout 10 ";
    }
    fs::path Source() const { return Proc() / "RadialData.txt"; }

    void ReplaceInSource(const std::string& from, const std::string& to) {
        std::string text = ReadAll(Source());
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        WriteAll(Source(), text.replace(at, from.size(), to));
    }
};

}  // namespace

// One row with cell 2,000,000,000 in an xyuv source, or a count line of
// 2,000,000,000 cells in a classic one, used to make a classic output of
// gigabytes.
TEST_F(SourceDefects, CellSpanBeyondTheLimitIsRefusedAtOnceAndWritesNothing) {
    struct Case {
        const char* data;
        const char* sourceName;
        const char* message;
    } cases[] = {
        {"WideCellSpan.xyuv", "RdlsXXXX_00_00_00_0000.rv",
         "Failure -50: Unable to read source xyuv file\n"},
        {"WideCellSpan.rv", "RadialData.txt", "Failure -50: Unable to read source radial file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        fs::copy_file(fs::path(BVK_TEST_DATA_DIR) / c.data, Proc() / c.sourceName,
                      fs::copy_options::overwrite_existing);
        // The run's time limit (see Run) catches a runaway; the time itself is not asserted.
        const XProgramResult r = Run("2");
        EXPECT_EQ(r.status, -50 & 0xFF) << r.out;
        EXPECT_PRED_FORMAT2(testing::IsSubstring, c.message, r.out);
        EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out));
        fs::remove(Proc() / c.sourceName);
    }
}

// A bad first speed used to shift every later block and cell (1,037
// vectors), and 1e308 overflowed into inf and nan text.
TEST_F(SourceDefects, BadSpeedLeavesOutOnlyItsVectorInEveryOutput) {
    const std::string example = ReadAll(Source());
    for (const char* bad : {"abc", "1e308", "nan"}) {
        SCOPED_TRACE(bad);
        WriteAll(Source(), example);
        ReplaceInSource(kFirstSpeed, std::string("      ") + bad);
        // Mode 2 writes the classic output beside the LLUV file, mode 5 the
        // xyuv one; our own readers take each back whole.
        for (const char* mode : {"2", "5"}) {
            fs::remove_all(out);
            const XProgramResult r = Run(mode);
            ASSERT_EQ(r.status, 0) << r.out;
            EXPECT_EQ(TableRows(out / kLLUVName), kExampleVectors - 1);
            const bool classic = mode[0] == '2';
            const fs::path first = out / (classic ? kClassicName : kXYUVName);
            EXPECT_EQ(Vectors(first, !classic), kExampleVectors - 1);
            EXPECT_FALSE(HoldsNanOrInf(out / kLLUVName));
            EXPECT_FALSE(HoldsNanOrInf(first));
        }
    }
}

// A first cell less than half a cell out is cell 0; its vectors used to be
// missing from the classic output.
TEST_F(SourceDefects, FirstCellAtRangeZeroReachesEveryOutput) {
    ReplaceInSource("  1.500   1.500   90.0", "  0.000   1.500   90.0");
    ASSERT_EQ(Run("2").status, 0);
    EXPECT_EQ(TableRows(out / kLLUVName), kExampleVectors);
    EXPECT_EQ(Vectors(out / kClassicName), kExampleVectors);
    const std::string classic = ReadAll(out / kClassicName);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "\n  0.000   1.500   90.0   1.000\n 30\n 27  0  \n",
                        classic);
}
