// End-to-end runs of the built lluv program on hours made from the example
// station's LLUV file (written by the converter in each test's folder), and
// its netCDF export of the hand-made file of the netCDF library's tests, which
// Debian's xarray opens in both layouts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "ProgramRun.h"

namespace fs = std::filesystem;

namespace {

const char* kHour14 = "RDLi_BRNK_2026_12_06_1400.ruv";
const char* kHour13 = "RDLi_BRNK_2026_12_06_1300.ruv";
const char* kHour12 = "RDLi_BRNK_2026_12_06_1200.ruv";
const fs::path kNetcdfSource =
    fs::path(BVK_SOURCE_DIR) / "BvkLibraries/BvkNetcdf/tests/data/RDLm_TEST_2026_07_04_0930.ruv";
const std::string kNetcdfName = "RDLm_TEST_2026_07_04_0930.nc";

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty() || separator == '\n') parts.push_back(part);
    return parts;
}

// The vector table of an LLUV text: its column codes and its rows' values.
struct XTable {
    std::vector<std::string> codes;
    std::vector<std::vector<std::string>> rows;
    std::string Value(size_t row, const std::string& code) const {
        for (size_t c = 0; c < codes.size(); ++c)
            if (codes[c] == code) return rows.at(row).at(c);
        return "";
    }
};

XTable VectorTable(const std::string& text) {
    XTable table;
    bool inTable = false;
    for (const std::string& line : Split(text, '\n')) {
        if (line.rfind("%TableColumnTypes:", 0) == 0 && table.codes.empty())
            table.codes = Split(line.substr(18), ' ');
        else if (line.rfind("%TableStart:", 0) == 0 && table.rows.empty())
            inTable = true;
        else if (line.rfind("%TableEnd:", 0) == 0)
            inTable = false;
        else if (inTable && !line.empty() && line[0] != '%')
            table.rows.push_back(Split(line, ' '));
    }
    return table;
}

// `text` with one value of its vector table replaced ("%8.3f"); the row is
// written again with single blanks, which readers take the same way.
std::string WithValue(const std::string& text, size_t row, const std::string& code, double value) {
    const XTable table = VectorTable(text);
    std::string changed;
    for (size_t c = 0; c < table.codes.size(); ++c) {
        char number[32];
        std::snprintf(number, sizeof number, "%.3f", value);
        changed += " " + (table.codes[c] == code ? std::string(number) : table.rows.at(row)[c]);
    }
    std::string result;
    size_t rows = 0;
    bool inTable = false;
    for (const std::string& line : Split(text, '\n')) {
        if (line.rfind("%TableStart:", 0) == 0) inTable = rows == 0;
        if (line.rfind("%TableEnd:", 0) == 0) inTable = false;
        const bool isRow = inTable && !line.empty() && line[0] != '%';
        result += (isRow && rows++ == row ? changed : line) + "\n";
    }
    return result;
}

class LluvRun : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lluv-run-XXXXXX";
        root = mkdtemp(pattern);
        const fs::path example = fs::path(BVK_SOURCE_DIR) / "examples/station";
        fs::copy(example, root / "station", fs::copy_options::recursive);
        fs::create_directory(root / "hours");
        fs::create_directory(root / "out");
        const fs::path station = root / "station";
        // <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> <sCfgFolder>
        // <nPattern> <sDiagFolder>
        const XProgramResult r = RunProgram(
            QUILLMOOR_EXE,
            {"0", "i", "", (root / "hours").string() + "/", (station / "Processing").string() + "/",
             "1", "0", (station / "Configs").string() + "/", "-1",
             (station / "Diagnostics").string() + "/"},
            "TZ=America/Los_Angeles ");
        ASSERT_EQ(r.status, 0) << r.out;
        hour14 = ReadAll(root / "hours" / kHour14);
        ASSERT_FALSE(hour14.empty());
    }
    void TearDown() override { fs::remove_all(root); }

    // lluv in `folder`, with its standard error mixed into what it prints.
    XProgramResult Lluv(const std::vector<std::string>& args, const fs::path& folder = {}) {
        const fs::path where = folder.empty() ? root : folder;
        return RunProgram(LLUV_EXE, args, "exec 2>&1; cd " + ShellQuote(where.string()) + " && ");
    }

    // The 14:00 file as an earlier hour: its name and time stamp moved.
    std::string AsHour(const std::string& hour) {
        std::string text = hour14;
        const size_t at = text.find("%TimeStamp: 2026 12 06  14");
        text.replace(at + 24, 2, hour);
        return text;
    }

    fs::path root;
    std::string hour14;
};

TEST_F(LluvRun, CommandLineStatuses) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--help"}, 0, "Subcommands:"},
        {{"qc", "--help"}, 0, "--previous-folder"},
        {{"--version"}, 0, "lluv " LLUV_VERSION},
        {{}, 2, "A subcommand is required"},
        {{"frob"}, 2, "A subcommand is required"},
        {{"qc"}, 2, "FILE is required"},
        {{"qc", "--out", ".", "--in-place", "x.ruv"}, 2, "excludes"},
        {{"qc", "--max-speed", "fast", "x.ruv"}, 2, "fast"},
        {{"info", "missing.ruv"}, 1, "lluv: missing.ruv: no such file (error -43)"},
        {{"netcdf", "missing.ruv"}, 1, "lluv: missing.ruv: no such file (error -43)"},
        {{"netcdf"}, 2, "FILE is required"},
        {{"netcdf", "--layout", "round", "x.ruv"}, 2, "round"},
        {{"netcdf", "--deflate", "12", "x.ruv"}, 2, "12"},
        {{"netcdf", "--out", "no-such-folder", "x.ruv"}, 2, "no-such-folder"},
    };
    for (const auto& c : cases) {
        const XProgramResult r = Lluv(c.args);
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_PRED_FORMAT2(testing::IsSubstring, c.says, r.out);
    }
}

// The 13:00 hour is the 14:00 one with the second row 36 cm/s slower; the
// 12:00 hour is the 14:00 one unchanged.
TEST_F(LluvRun, ThreeConsecutiveHoursGiveTemporalFlagsOnTheThird) {
    const XTable table14 = VectorTable(hour14);
    const std::string hour13 =
        WithValue(AsHour("13"), 1, "VELO", std::atof(table14.Value(1, "VELO").c_str()) - 36.0);
    WriteAll(root / "hours" / kHour13, hour13);
    WriteAll(root / "hours" / kHour12, AsHour("12"));

    XProgramResult r = Lluv({"qc", "--out", "../out", kHour14, kHour12}, root / "hours");
    ASSERT_EQ(r.status, 0) << r.out;
    const XTable third = VectorTable(ReadAll(root / "out" / kHour14));
    ASSERT_EQ(third.rows.size(), table14.rows.size());
    ASSERT_EQ(third.codes.size(), table14.codes.size() + 8);  // no reference: no Q207
    EXPECT_EQ(third.Value(0, "Q206"), "1");
    EXPECT_EQ(third.Value(0, "Q209"), "4");  // the same speed three hours running
    EXPECT_EQ(third.Value(1, "Q206"), "3");  // exactly 36 cm/s in an hour
    EXPECT_EQ(third.Value(1, "Q209"), "1");
    EXPECT_EQ(third.Value(0, "PRIM"), "4");  // the worst flag of the row is Q209's

    const XTable first = VectorTable(ReadAll(root / "out" / kHour12));
    EXPECT_EQ(first.Value(0, "Q206"), "2");  // no 11:00 or 10:00 hour
    EXPECT_EQ(first.Value(0, "Q209"), "2");
}

TEST_F(LluvRun, QcKeepsEveryByteOfTheInputAndWritesOverItOnlyInPlace) {
    const fs::path input = root / "hours" / kHour14;
    XProgramResult r = Lluv({"qc", kHour14}, root / "hours");
    EXPECT_EQ(r.status, 1);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "the copy would replace the input", r.out);
    EXPECT_EQ(ReadAll(input), hour14);

    r = Lluv({"qc", "--in-place", "--reference-bearing", "250", input.string()});
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string checked = ReadAll(input);
    // Every line of the input is the start of a line of the output, in order,
    // but for the column count; the output's other lines are the QC lines.
    const std::vector<std::string> before = Split(hour14, '\n'), after = Split(checked, '\n');
    size_t k = 0;
    for (const std::string& line : before) {
        while (k < after.size() && after[k].rfind("%QC", 0) == 0) ++k;
        ASSERT_LT(k, after.size());
        if (line.rfind("%TableColumns: 16", 0) == 0)
            EXPECT_EQ(after[k], "%TableColumns: 25");
        else
            EXPECT_EQ(after[k].substr(0, line.size()), line);
        ++k;
    }
    EXPECT_EQ(k, after.size());

    r = Lluv({"qc", "--in-place", input.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "already carries QC results", r.out);
}

TEST_F(LluvRun, CheckAndInfoReportEachFile) {
    WriteAll(root / "hours" / "renamed.ruv", hour14);
    XProgramResult r = Lluv({"check", kHour14, "renamed.ruv", "missing.ruv"}, root / "hours");
    EXPECT_EQ(r.status, 1);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, std::string(kHour14) + ": ok\n", r.out);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "renamed.ruv: FAIL: file name has no YYYY_MM_DD_HHMM stamp\n", r.out);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "missing.ruv: FAIL: no such file (error -43)\n",
                        r.out);

    r = Lluv({"info", kHour14}, root / "hours");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kHour14) +
                         ": site BRNK, time 2026-12-06 14:00 PST, origin 36.9512000 -122.0634000, "
                         "rows 622, tables 3, range 1.5000-45.0000 km, bearing 180.0-320.0 deg, "
                         "QC none\n");

    ASSERT_EQ(Lluv({"qc", "--out", "../out", kHour14}, root / "hours").status, 0);
    r = Lluv({"info", "--json", kHour14}, root / "out");
    EXPECT_EQ(r.status, 0);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "\"rows\": 622, \"tables\": 3", r.out);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "\"qc\": {\"tests\": 8, \"primary\": {\"pass\": ", r.out);
}

TEST_F(LluvRun, NetcdfWritesNameDotNcBesideTheFileOrIntoOutAndSaysWhere) {
    fs::copy_file(kNetcdfSource, root / kNetcdfSource.filename());
    const XProgramResult beside = Lluv({"netcdf", kNetcdfSource.filename().string()});
    EXPECT_EQ(beside.status, 0) << beside.out;
    EXPECT_TRUE(fs::exists(root / kNetcdfName));
    const XProgramResult out =
        Lluv({"netcdf", "--layout", "gridded", "--out", "out", kNetcdfSource.filename().string()});
    EXPECT_EQ(out.status, 0) << out.out;
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "out/" + kNetcdfName, out.out);
}

// A Python with xarray and netCDF4, or "" when there is none.
std::string PythonWithXarray() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string probe =
            ShellQuote(python) + " -c 'import xarray, netCDF4' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) return python;
    }
    return "";
}

TEST_F(LluvRun, XarrayOpensBothNetcdfLayoutsAndDecodesTheMapTimeToUtc) {
    const std::string python = PythonWithXarray();
    if (python.empty()) GTEST_SKIP() << "no python3 with xarray and netCDF4";
    ASSERT_EQ(Lluv({"netcdf", "--out", "out", kNetcdfSource.string()}).status, 0);
    fs::create_directory(root / "grid");
    ASSERT_EQ(Lluv({"netcdf", "--layout", "gridded", "--deflate", "4", "--out", "grid",
                    kNetcdfSource.string()})
                  .status,
              0);
    // 09:30 PDT is 16:30 UTC.
    const std::string script =
        "import sys, numpy, xarray\n"
        "want = numpy.datetime64('2026-07-04T16:30:00')\n"
        "for path in sys.argv[1:]:\n"
        "    ds = xarray.open_dataset(path)\n"
        "    got = ds['time'].values.ravel()[0]\n"
        "    assert got == want, (path, got)\n"
        "    assert ds['diag_time'].values[0] == numpy.datetime64('2026-07-04T16:20:00')\n"
        "    assert float(ds['velocity'].max()) == numpy.float32(0.2007), path\n"
        "print('ok')\n";
    const XProgramResult r = RunProgram(python,
                                        {"-c", script, (root / "out" / kNetcdfName).string(),
                                         (root / "grid" / kNetcdfName).string()},
                                        "exec 2>&1; ");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "ok\n");
}

}  // namespace
