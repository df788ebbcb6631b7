// A radial file of 745 vectors, QC'd, to netCDF: the whole file operation
// (read, write under a temporary name, rename) in both layouts, and the
// tabular write alone from a file already read.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "BvkErrors.h"
#include "cFileTool.h"
#include "cGeo.h"
#include "cRadialNetcdf.h"
#include "cRadialQCFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRangeCells = 31;
constexpr int kBearings = 24;  // 31 x 24 + 1 = 745 vectors

const fs::path& Folder() {
    static const fs::path folder = fs::temp_directory_path() / "bvk-radial-netcdf-benchmark";
    return folder;
}

std::string Name(int hour) {
    return "RDLi_BNCH_2026_12_06_" + std::to_string(hour) + "00.ruv";
}

// One hour of a radial map on a 5 degree, 1.5 km grid, as the converter
// writes it.
void WriteHour(int hour) {
    CLLUVFile store;
    store.UseQuality(7);
    store.UseDistance(1);
    store.mnSpectraSourceMask = 1;
    store.Allocate(-1, kLLUVVectorFull);
    store.SetSiteCode(LLUVCode("BNCH"));
    store.SetOriginTime(2026, 12, 6, hour, 0, 0, "PST");
    CGeo origin;
    origin.SetLatLon(36.95, -122.06);
    store.SetOriginLocation(&origin);
    store.mnPatternType = 1;
    store.mdRangeResolutionMeters = 1500;
    for (int cell = 1; cell <= kRangeCells; ++cell) {
        for (int b = 0; b <= (cell == 1 ? kBearings : kBearings - 1); ++b) {
            const double bearing = 180.0 + 5.0 * b;
            const double speed = 0.3 * std::sin(cell * 0.3 + b * 0.2) + 0.001 * hour;
            const long i = store.AddNewVectorRangeBearing(cell * 1500.0, bearing, speed, 1080.0, 0);
            store.SetSpectraSourceInfo(i, cell, bearing, speed);
        }
    }
    store.SiteInfoToMeta();
    CFileTool file;
    file.SetFileSpec((Folder() / Name(hour)).c_str());
    store.WriteUVFile(&file, 0);
}

// The 14:00 file with the QC of its two earlier hours, in Folder()/qc.
fs::path MakeQCdFile() {
    fs::create_directories(Folder() / "qc");
    for (int hour = 12; hour <= 14; ++hour) WriteHour(hour);
    CFileTool input, folder, output;
    input.SetFileSpec((Folder() / Name(14)).c_str());
    folder.SetFileSpec((Folder().string() + "/").c_str());
    output.SetFileSpec((Folder() / "qc" / Name(14)).c_str());
    XRadialQCResult result;
    RadialQCFile(&input, &folder, &output, XRadialQCOptions{}, &result);
    return Folder() / "qc" / Name(14);
}

void WholeFile(benchmark::State& state, ERadialNetcdfLayout layout) {
    const fs::path source = MakeQCdFile();
    CFileTool input, output;
    input.SetFileSpec(source.c_str());
    output.SetFileSpec((Folder() / "qc/out.nc").c_str());
    XRadialNetcdfOptions options;
    options.layout = layout;
    for (auto _ : state) {
        if (RadialNetcdfFile(&input, &output, options) != kNoErr)
            state.SkipWithError("netCDF export failed");
    }
}

void BM_NetcdfTabular(benchmark::State& state) {
    WholeFile(state, kNetcdfTabular);
}
BENCHMARK(BM_NetcdfTabular)->Unit(benchmark::kMicrosecond);

void BM_NetcdfGridded(benchmark::State& state) {
    WholeFile(state, kNetcdfGridded);
}
BENCHMARK(BM_NetcdfGridded)->Unit(benchmark::kMicrosecond);

void BM_NetcdfTabularWriteOnly(benchmark::State& state) {
    const fs::path source = MakeQCdFile();
    CFileTool input;
    input.SetFileSpec(source.c_str());
    auto file = std::make_unique<CLLUVTables>();
    file->ReadTables(&input);
    const std::string target = (Folder() / "qc/write.nc").string();
    for (auto _ : state) {
        if (RadialNetcdfWrite(*file, target.c_str(), XRadialNetcdfOptions{}) != kNoErr)
            state.SkipWithError("netCDF write failed");
    }
    state.counters["rows"] = static_cast<double>(file->mTables.front().rows);
    state.counters["columns"] = static_cast<double>(file->mTables.front().columns.size());
}
BENCHMARK(BM_NetcdfTabularWriteOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
