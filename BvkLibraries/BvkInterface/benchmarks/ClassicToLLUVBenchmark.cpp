// The converter's main path without its hooks: a classic radial file read
// into the store and written as an LLUV file (100,000 vectors), and as a
// classic radial file and an LLUV file (100,800 vectors, the station of
// scripts/benchmark_quillmoor.py); and the LLUV files read back.

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

fs::path MakeRadialFile(int cells = kCells, int vectorsPerCell = kVectorsPerCell,
                        const char* folderName = "bvk-classic-benchmark") {
    const fs::path folder = fs::temp_directory_path() / folderName;
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
    out << "  1.500   1.500   60.0   1.000\n " << cells << "\n";
    for (int cell = 1; cell <= cells; ++cell) {
        out << " " << vectorsPerCell << "   " << cell << "\n";
        WriteBlock(out, vectorsPerCell, 0.0, 360.0 / vectorsPerCell);
        WriteBlock(out, vectorsPerCell, -50.0, 100.0 / vectorsPerCell);
        WriteBlock(out, vectorsPerCell, 1.0, 10.0 / vectorsPerCell);
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

// 280 cells of 360 vectors: import, then the classic radial and LLUV outputs.
void BM_ClassicImportClassicAndLLUVWrite(benchmark::State& state) {
    const fs::path source = MakeRadialFile(280, 360, "bvk-classic-write-benchmark");
    CFileSpec in, classic, lluv;
    in.SetFileSpec(source.c_str());
    classic.SetFileSpec((source.parent_path() / "RadsBNCH_08_01_08_1430.rv").c_str());
    lluv.SetFileSpec((source.parent_path() / "RDLs_BNCH_2008_01_08_1430.ruv").c_str());
    for (auto _ : state) {
        CLLUVFile store;
        if (store.ImportClassicRadial(&in) != 0 || store.mnVectors != 280 * 360) {
            state.SkipWithError("import failed");
            break;
        }
        if (store.ExportClassicRadial(&classic, 0) != 0 || store.WriteUVFile(&lluv, 0) != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 280 * 360);
    fs::remove_all(source.parent_path());
}

// An LLUV file of `vectors` rows (written once by the converter's path) read
// through ProcessBTFile.
void BM_LLUVRead(benchmark::State& state) {
    const int vectors = static_cast<int>(state.range(0));
    const int cells = vectors >= 1000 ? vectors / 1000 : 1;
    const std::string folderName = "bvk-lluv-read-benchmark-" + std::to_string(vectors);
    const fs::path source = MakeRadialFile(cells, vectors / cells, folderName.c_str());
    const fs::path lluvPath = source.parent_path() / "RDLs_BNCH_2008_01_08_1430.ruv";
    CFileSpec in, lluv;
    in.SetFileSpec(source.c_str());
    lluv.SetFileSpec(lluvPath.c_str());
    {
        CLLUVFile store;
        if (store.ImportClassicRadial(&in) != 0 || store.WriteUVFile(&lluv, 0) != 0) {
            state.SkipWithError("making the LLUV file failed");
            return;
        }
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(lluvPath));
    for (auto _ : state) {
        CLLUVFile store;
        if (store.ProcessBTFile(&lluv, 0, 0) != 0 || store.mnVectors != vectors) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * vectors);
    fs::remove_all(source.parent_path());
}

}  // namespace

BENCHMARK(BM_ClassicRadialToLLUV)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassicImportClassicAndLLUVWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LLUVRead)->Arg(745)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
