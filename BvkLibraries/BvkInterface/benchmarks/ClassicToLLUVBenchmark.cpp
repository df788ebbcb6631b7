// A classic radial file of 100,000 vectors read into the store and written
// as an LLUV file: the converter's main path without its hooks.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cLLUVFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCells = 100;
constexpr int kVectorsPerCell = 1000;

// Values are written seven to a line, as the radar's software writes them.
void WriteBlock(std::ofstream& out, int count, double first, double step) {
    char text[32];
    for (int j = 0; j < count; ++j) {
        std::snprintf(text, sizeof text, "  %9.2f", first + step * j);
        out << text;
        if (j % 7 == 6 || j == count - 1) out << "\n";
    }
}

fs::path MakeRadialFile() {
    const fs::path folder = fs::temp_directory_path() / "bvk-classic-benchmark";
    fs::create_directories(folder);
    const fs::path path = folder / "RdlsBNCH_08_01_08_1430.rv";
    std::ofstream out(path, std::ios::binary);
    char line[128];
    std::snprintf(line, sizeof line, " %-47.47s               %ld\n",
                  "14:30:00 Tuesday, January 8, 2008 PST", -1012319896L);
    out << line
        << " 36\xA1"
           "57.000'N, 122\xA1"
           "03.000'W\n";
    out << "  1.500   1.500   60.0   1.000\n " << kCells << "\n";
    for (int cell = 1; cell <= kCells; ++cell) {
        out << " " << kVectorsPerCell << "   " << cell << "\n";
        WriteBlock(out, kVectorsPerCell, 0.0, 0.35);
        WriteBlock(out, kVectorsPerCell, -50.0, 0.1);
        WriteBlock(out, kVectorsPerCell, 1.0, 0.01);
    }
    out << "                     NumMergeRads 3\n!END\n";
    return path;
}

void BM_ClassicRadialToLLUV(benchmark::State& state) {
    const fs::path source = MakeRadialFile();
    const fs::path target = source.parent_path() / "RDLs_BNCH_2008_01_08_1430.ruv";
    CFileSpec in, out;
    in.SetFileSpec(source.c_str());
    out.SetFileSpec(target.c_str());
    for (auto _ : state) {
        CLLUVFile store;
        if (store.ImportClassicRadial(&in) != 0 || store.mnVectors != kCells * kVectorsPerCell) {
            state.SkipWithError("import failed");
            break;
        }
        if (store.WriteUVFile(&out, 0) != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kCells * kVectorsPerCell);
    fs::remove_all(source.parent_path());
}

}  // namespace

BENCHMARK(BM_ClassicRadialToLLUV)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
