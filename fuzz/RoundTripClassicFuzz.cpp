// Classic radial files: whatever the importer accepts and the exporter can
// write is read back, written and read again; the two stores read from
// written files must agree (the first write may round the input).

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "FuzzStoreCompare.h"
#include "cFileSpec.h"
#include "cLLUV.h"
#include "cLLUVFile.h"

namespace {

constexpr double kTolerance = 1e-6;

bool ReadClassic(const char* path, CLLUVFile* map) {
    CFileSpec spec;
    spec.SetFileSpec(path);
    map->UseQuality(1);
    map->UseDistance(1);
    return map->ImportClassicRadial(&spec) == 0;
}

bool WriteClassic(CLLUVFile* map, const char* path) {
    CFileSpec spec;
    spec.SetFileSpec(path);
    return map->ExportClassicRadial(&spec, LLUVCode("fuzz")) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CLLUVFile input;
    if (!ReadClassic(FuzzWriteScratch(0, data, size), &input)) return 0;
    if (!WriteClassic(&input, FuzzScratchPath(1))) return 0;
    CLLUVFile first;
    if (!ReadClassic(FuzzScratchPath(1), &first))
        FuzzFail("readability of a written file", -1, 0, 0);
    if (first.mnVectors != input.mnVectors)
        FuzzFail("vector count", -1, input.mnVectors, first.mnVectors);
    if (!WriteClassic(&first, FuzzScratchPath(2))) FuzzFail("second write", -1, 0, 0);
    CLLUVFile second;
    if (!ReadClassic(FuzzScratchPath(2), &second))
        FuzzFail("readability of a rewritten file", -1, 0, 0);
    FuzzCompareStores(first, second, kTolerance);
    return 0;
}
