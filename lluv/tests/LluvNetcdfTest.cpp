// lluv netcdf end to end: where the files go, the exit statuses, and
// Debian's xarray opening both layouts and decoding the map time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ProgramRun.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource =
    fs::path(BVK_SOURCE_DIR) / "BvkLibraries/BvkNetcdf/tests/data/RDLm_TEST_2026_07_04_0930.ruv";

class LluvNetcdf : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lluv-netcdf-XXXXXX";
        root = mkdtemp(pattern);
        fs::copy_file(kSource, root / kSource.filename());
        fs::create_directory(root / "out");
    }
    void TearDown() override { fs::remove_all(root); }
    XProgramResult Lluv(const std::vector<std::string>& args) {
        return RunProgram(LLUV_EXE, args, "exec 2>&1; cd " + ShellQuote(root.string()) + " && ");
    }
    fs::path root;
};

// A Python with xarray and netCDF4, or "" when there is none.
std::string PythonWithXarray() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string probe =
            ShellQuote(python) + " -c 'import xarray, netCDF4' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) return python;
    }
    return "";
}

}  // namespace

TEST_F(LluvNetcdf, WritesNameDotNcBesideTheFileOrIntoOutAndSaysWhere) {
    const XProgramResult beside = Lluv({"netcdf", kSource.filename().string()});
    EXPECT_EQ(beside.status, 0) << beside.out;
    EXPECT_TRUE(fs::exists(root / "RDLm_TEST_2026_07_04_0930.nc"));
    const XProgramResult out =
        Lluv({"netcdf", "--layout", "gridded", "--out", "out", kSource.filename().string()});
    EXPECT_EQ(out.status, 0) << out.out;
    EXPECT_NE(out.out.find("out/RDLm_TEST_2026_07_04_0930.nc"), std::string::npos) << out.out;

    const struct {
        std::vector<std::string> args;
        int status;
    } kCases[] = {
        {{"netcdf", "missing.ruv"}, 1},
        {{"netcdf", "--layout", "round", "x.ruv"}, 2},
        {{"netcdf", "--deflate", "12", "x.ruv"}, 2},
        {{"netcdf", "--out", "no-such-folder", "x.ruv"}, 2},
        {{"netcdf"}, 2},
    };
    for (const auto& c : kCases) EXPECT_EQ(Lluv(c.args).status, c.status) << c.args.back();
}

TEST_F(LluvNetcdf, XarrayOpensBothLayoutsAndDecodesTheMapTimeToUtc) {
    const std::string python = PythonWithXarray();
    if (python.empty()) GTEST_SKIP() << "no python3 with xarray and netCDF4";
    ASSERT_EQ(Lluv({"netcdf", "--out", "out", kSource.filename().string()}).status, 0);
    fs::create_directory(root / "grid");
    ASSERT_EQ(Lluv({"netcdf", "--layout", "gridded", "--deflate", "4", "--out", "grid",
                    kSource.filename().string()})
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
    const XProgramResult r =
        RunProgram(python,
                   {"-c", script, (root / "out/RDLm_TEST_2026_07_04_0930.nc").string(),
                    (root / "grid/RDLm_TEST_2026_07_04_0930.nc").string()},
                   "exec 2>&1; ");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "ok\n");
}
