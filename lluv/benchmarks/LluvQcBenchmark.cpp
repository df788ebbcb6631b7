// The work of `lluv qc` on one radial file of 745 vectors with its two
// earlier hours: the QC tests and the QC text on stores already read, and the
// whole file operation (three files read, the QC'd copy written).

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "BvkErrors.h"
#include "cFileTool.h"
#include "cGeo.h"
#include "cRadialQCFile.h"
#include "cRadialQCWrite.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRangeCells = 31;
constexpr int kBearings = 24;  // 31 x 24 + 1 = 745 vectors

const fs::path& Folder() {
    static const fs::path folder = fs::temp_directory_path() / "bvk-lluv-qc-benchmark";
    return folder;
}

// One hour of a radial map on a 5 degree, 1.5 km grid; `hour` shifts the
// speeds a little so that the hours differ.
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
    char name[64];
    char extension[] = ".ruv";
    store.GetUVFilename(name, 'i', extension, 0, 0);
    CFileTool file;
    file.SetFileSpec((Folder() / name).c_str());
    store.WriteUVFile(&file, 0);
}

std::string Name(int hour) {
    return "RDLi_BNCH_2026_12_06_" + std::to_string(hour) + "00.ruv";
}

void MakeHours() {
    fs::create_directories(Folder());
    for (int hour = 12; hour <= 14; ++hour) WriteHour(hour);
}

std::unique_ptr<CRadialQCFile> Read(int hour) {
    CFileTool spec;
    spec.SetFileSpec((Folder() / Name(hour)).c_str());
    auto store = std::make_unique<CRadialQCFile>();
    store->ReadForQC(&spec);
    return store;
}

void BM_QCTestsAndText(benchmark::State& state) {
    MakeHours();
    auto now = Read(14), before = Read(13), twoBefore = Read(12);
    std::ifstream in(Folder() / Name(14), std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    const std::string text = read.str();
    XRadialQCOptions options;
    options.hasReferenceBearing = true;
    options.referenceBearing = 240;
    XRadialQCResult result;
    std::string out;
    for (auto _ : state) {
        RunRadialQC(*now, now->mFacts, before.get(), twoBefore.get(), options, result);
        RadialQCInsert(text, result, options, &out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["rows"] = static_cast<double>(now->mnVectors);
}
BENCHMARK(BM_QCTestsAndText)->Unit(benchmark::kMicrosecond);

void BM_QCWholeFile(benchmark::State& state) {
    MakeHours();
    CFileTool input, folder, output;
    input.SetFileSpec((Folder() / Name(14)).c_str());
    folder.SetFileSpec((Folder().string() + "/").c_str());
    fs::create_directories(Folder() / "out");
    output.SetFileSpec((Folder() / "out" / Name(14)).c_str());
    XRadialQCOptions options;
    XRadialQCResult result;
    for (auto _ : state) {
        if (RadialQCFile(&input, &folder, &output, options, &result) != kNoErr)
            state.SkipWithError("QC failed");
    }
}
BENCHMARK(BM_QCWholeFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
