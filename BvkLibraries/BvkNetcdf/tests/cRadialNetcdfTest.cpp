// The netCDF export read back through the netCDF-C API and compared with the
// hand-made LLUV file's values, converted by hand: velocities from cm/s to
// m s-1 (VELO also turned to count away from the site, HEAD turned by 180
// degrees), times from 09:30 PDT (-7 h) to 16:30 UTC.

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "cFileTool.h"
#include "cRadialNetcdf.h"

namespace fs = std::filesystem;

namespace {

const char* kSource = BVK_TEST_DATA_DIR "/RDLm_TEST_2026_07_04_0930.ruv";

// 2026-07-04 is 20,638 days after 1970-01-01 (56 years with 14 leap days,
// then 184 days into 2026).
constexpr double kDay = 20638 * 86400.0;
constexpr double k1630Utc = kDay + 16 * 3600 + 30 * 60;
constexpr double k1620Utc = kDay + 16 * 3600 + 20 * 60;

constexpr double kFillFloat = NC_FILL_FLOAT;
constexpr double kFillByte = NC_FILL_BYTE;

class CTempFolder {
  public:
    CTempFolder() {
        char pattern[] = "/tmp/bvk-netcdf-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~CTempFolder() { fs::remove_all(path); }
    fs::path path;
};

long Convert(const fs::path& source, const fs::path& target, XRadialNetcdfOptions options = {}) {
    CFileTool input, output;
    input.SetFileSpec(source.c_str());
    output.SetFileSpec(target.c_str());
    return RadialNetcdfFile(&input, &output, options);
}

class CNcRead {
  public:
    explicit CNcRead(const fs::path& path) { status = nc_open(path.c_str(), NC_NOWRITE, &id); }
    ~CNcRead() {
        if (status == NC_NOERR) nc_close(id);
    }
    std::vector<double> Values(const char* name) const {
        int var = -1, dims = 0;
        if (nc_inq_varid(id, name, &var) != NC_NOERR) return {};
        nc_inq_varndims(id, var, &dims);
        std::vector<int> dimIds(static_cast<size_t>(dims));
        nc_inq_vardimid(id, var, dimIds.data());
        size_t count = 1;
        for (int dim : dimIds) {
            size_t length = 0;
            nc_inq_dimlen(id, dim, &length);
            count *= length;
        }
        std::vector<double> values(count);
        nc_get_var_double(id, var, values.data());
        return values;
    }
    std::string Text(const char* variable, const char* name) const {
        int var = NC_GLOBAL;
        if (variable && nc_inq_varid(id, variable, &var) != NC_NOERR) return "<no variable>";
        size_t length = 0;
        if (nc_inq_attlen(id, var, name, &length) != NC_NOERR) return "<no attribute>";
        std::string text(length, '\0');
        nc_get_att_text(id, var, name, text.data());
        return text;
    }
    int id = -1;
    int status = NC_NOERR;
};

struct XExpected {
    const char* name;
    std::vector<double> values;  // one per row of the file
};

// Each column as the file writes it, converted by hand.
const XExpected kColumns[] = {
    {"lon", {-122.06, -122.0616, -122.06, -122.0633}},
    {"lat", {36.9365, 36.9366, 36.923, 36.9232}},
    {"u", {0.1, -0.025, 0.0, 0.01}},
    {"v", {-0.05, 0.0425, -0.2007, 0.02}},
    {"vector_flag", {0, 0, 128, 0}},
    {"range", {1.5, 1.5, 3.0, 3.0}},
    {"bearing", {180, 185, 180, 185}},
    {"velocity", {0.1234, -0.25, 0.2007, -0.075}},
    {"heading", {180, 185, 180, 185}},
    {"range_cell", {1, 1, 2, 2}},
    {"PRIM", {1, 3, 4, kFillByte}},  // the last row has no PRIM value
};

void ExpectNear(double actual, double expected, const std::string& what) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * 1e-6 + 1e-7) << what;
}

class RadialNetcdf : public ::testing::Test {
  protected:
    // The test file converted with `layout` and `deflate`, opened.
    std::unique_ptr<CNcRead> Converted(ERadialNetcdfLayout layout = kNetcdfTabular,
                                       int deflate = 0) {
        const fs::path target = folder.path / ("t" + std::to_string(++files) + ".nc");
        XRadialNetcdfOptions options;
        options.layout = layout;
        options.deflate = deflate;
        EXPECT_EQ(Convert(kSource, target, options), kNoErr);
        auto nc = std::make_unique<CNcRead>(target);
        EXPECT_EQ(nc->status, NC_NOERR);
        return nc;
    }
    CTempFolder folder;
    int files = 0;
};

}  // namespace

TEST_F(RadialNetcdf, TabularHoldsEveryRowOfEveryColumnInNetworkUnits) {
    // Compressed, the file is netCDF-4 with the same values.
    for (const auto& [deflate, format] :
         {std::pair{0, NC_FORMAT_64BIT_OFFSET}, std::pair{5, NC_FORMAT_NETCDF4_CLASSIC}}) {
        SCOPED_TRACE(deflate);
        const auto nc = Converted(kNetcdfTabular, deflate);
        int written = 0;
        nc_inq_format(nc->id, &written);
        EXPECT_EQ(written, format);
        for (const XExpected& column : kColumns) {
            const std::vector<double> values = nc->Values(column.name);
            ASSERT_EQ(values.size(), column.values.size()) << column.name;
            for (size_t row = 0; row < values.size(); ++row)
                ExpectNear(values[row], column.values[row],
                           std::string(column.name) + " row " + std::to_string(row));
        }
    }
    const auto nc = Converted();
    EXPECT_EQ(nc->Text("velocity", "standard_name"),
              "radial_sea_water_velocity_away_from_instrument");
    EXPECT_EQ(nc->Text("u", "units"), "m s-1");
    EXPECT_EQ(nc->Text("range", "units"), "km");
    EXPECT_EQ(nc->Text("PRIM", "flag_meanings"), "pass not_evaluated suspect fail missing_data");
    EXPECT_EQ(nc->Values("site_code").size(), 4u);
    EXPECT_EQ(nc->Values("latitude"), std::vector<double>{36.95});
    EXPECT_EQ(nc->Values("longitude"), std::vector<double>{-122.06});
}

TEST_F(RadialNetcdf, GriddedPutsEachRowInItsRangeAndBearingCellAndFillsTheRest) {
    const auto nc = Converted(kNetcdfGridded);
    // Two range cells (1.5 and 3 km) by the 72 bearings of a 5 degree grid.
    EXPECT_EQ(nc->Values("range"), (std::vector<double>{1.5, 3.0}));
    const std::vector<double> bearings = nc->Values("bearing");
    ASSERT_EQ(bearings.size(), 72u);
    EXPECT_EQ(bearings[36], 180);
    EXPECT_EQ(bearings[37], 185);
    const size_t cellOfRow[] = {36, 37, 72 + 36, 72 + 37};
    for (const XExpected& column : kColumns) {
        if (column.name == std::string("range") || column.name == std::string("bearing")) continue;
        const std::vector<double> values = nc->Values(column.name);
        ASSERT_EQ(values.size(), 144u) << column.name;
        for (size_t row = 0; row < 4; ++row)
            ExpectNear(values[cellOfRow[row]], column.values[row],
                       std::string(column.name) + " row " + std::to_string(row));
    }
    // An empty cell: data filled, positions from the site along the bearing.
    EXPECT_EQ(nc->Values("u")[0], kFillFloat);
    EXPECT_EQ(nc->Values("PRIM")[0], kFillByte);
    EXPECT_NEAR(nc->Values("lat")[0], 36.95 + 1.5 / 111.0, 1e-3);  // due north, 1.5 km
    EXPECT_NEAR(nc->Values("lon")[0], -122.06, 1e-9);
    EXPECT_EQ(nc->Text("u", "coordinates"), "lat lon");
}

TEST_F(RadialNetcdf, TimesAreUtcFromTheStampMinusTheZoneOffset) {
    for (ERadialNetcdfLayout layout : {kNetcdfTabular, kNetcdfGridded}) {
        const auto nc = Converted(layout);
        EXPECT_EQ(nc->Values("time"), std::vector<double>{k1630Utc});
        EXPECT_EQ(nc->Text("time", "units"), "seconds since 1970-01-01T00:00:00Z");
        EXPECT_EQ(nc->Text("time", "calendar"), "gregorian");
        EXPECT_EQ(nc->Text(nullptr, "time_coverage_start"), "2026-07-04T16:00:00Z");
        EXPECT_EQ(nc->Text(nullptr, "time_coverage_end"), "2026-07-04T17:00:00Z");
        EXPECT_EQ(nc->Text(nullptr, "time_coverage_duration"), "PT1H");
        // Diagnostic rows on one axis: receiver rows at 09:20 and 09:30,
        // the radial row only at 09:30.
        EXPECT_EQ(nc->Values("diag_time"), (std::vector<double>{k1620Utc, k1630Utc}));
        EXPECT_EQ(nc->Values("rcvr_RTMP"), (std::vector<double>{35, 36}));
        EXPECT_EQ(nc->Values("rads_AMP1"), (std::vector<double>{NC_FILL_DOUBLE, 0.85}));
    }
}

TEST_F(RadialNetcdf, GlobalAttributesCarryEveryHeaderKeywordAndTheConventions) {
    const auto nc = Converted();
    const struct {
        const char* name;
        const char* value;
    } kAttributes[] = {
        {"TimeStamp", "2026 07 04  09 30 00"},
        {"TimeZone", "\"PDT\" -7.000 1"},
        {"AngularResolution", "5 Deg"},
        {"Note",
         "Temp. 21\xC2\xB0"
         "C"},  // Mac Roman 0xA1 as UTF-8
        {"ProcessingTool", "\"Quillmoor\" 0.1.0"},
        {"Conventions", "CF-1.8, ACDD-1.3"},
        {"institution", "Brenvik Marine. Tesmara, site TEST"},
        {"TableType", "<no attribute>"},
        {"End", "<no attribute>"},
    };
    for (const auto& attribute : kAttributes)
        EXPECT_EQ(nc->Text(nullptr, attribute.name), attribute.value) << attribute.name;
}

TEST_F(RadialNetcdf, BadInputFailsClearlyAndLeavesNoFileBehind) {
    const std::string good = [] {
        std::ifstream in(kSource, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const std::string clash = [&] {  // the fourth row moved onto the third's cell
        std::string text = good;
        const size_t at = text.find("3.0000   185.0");
        return text.replace(at, 14, "3.0000   180.0");
    }();
    const std::string far = [&] {  // range cells 1 to 99,999
        std::string text = good;
        const size_t at = text.find("0.0   2   4");
        return text.replace(at, 11, "0.0   99999   4");
    }();
    std::string many = good;  // 5000 keywords of different names
    for (int i = 0; i < 5000; ++i) many.insert(0, "%Key" + std::to_string(i) + ": x\n");
    many.insert(0, good.substr(0, good.find('\n') + 1));
    const struct {
        const char* label;
        std::string text;
        ERadialNetcdfLayout layout;
        int deflate;
        long error;
    } kCases[] = {
        {"empty", "", kNetcdfTabular, 0, kBtfErrNoFileType},
        {"not a table file", "hello\n\x01\xff\n", kNetcdfTabular, 0, kBtfErrNoFileType},
        {"no vector table", good.substr(0, good.find("%TableType")), kNetcdfTabular, 0,
         kLLUVTablesErrNoVectorTable},
        {"two rows in one cell", clash, kNetcdfGridded, 0, kNetcdfErrGridClash},
        {"range cells beyond any map", far, kNetcdfGridded, 0, kNetcdfErrGridTooLarge},
        {"deflate 10", good, kNetcdfTabular, 10, kNetcdfErrBadOption},
        {"keywords beyond any file", many, kNetcdfTabular, 0, kNetcdfErrTooManyNames},
    };
    for (const auto& c : kCases) {
        const fs::path source = folder.path / "in.ruv";
        std::ofstream(source, std::ios::binary) << c.text;
        std::ofstream(folder.path / "out.nc") << "kept";
        XRadialNetcdfOptions options;
        options.layout = c.layout;
        options.deflate = c.deflate;
        EXPECT_EQ(Convert(source, folder.path / "out.nc", options), c.error) << c.label;
        std::ifstream kept(folder.path / "out.nc");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept") << c.label;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2) << c.label;
    }
    EXPECT_EQ(Convert(folder.path / "missing.ruv", folder.path / "out.nc"), kErrNotFound);
}
