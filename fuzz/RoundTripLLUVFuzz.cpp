// LLUV files: whatever the reader accepts is written, read back, written
// and read again; the two stores read from written files must agree (the
// first write may round what the input held more precisely).

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "FuzzStoreCompare.h"
#include "cFileSpec.h"
#include "cLLUV.h"
#include "cLLUVFile.h"

namespace {

constexpr double kTolerance = 1e-6;

bool ReadLLUV(const char* path, CLLUVFile* map) {
    CFileSpec spec;
    spec.SetFileSpec(path);
    return map->ProcessBTFile(&spec, 0, 0) == 0;
}

bool WriteLLUV(CLLUVFile* map, const char* path) {
    CFileSpec spec;
    spec.SetFileSpec(path);
    return map->WriteUVFile(&spec, LLUVCode("fuzz")) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CLLUVFile input;
    if (!ReadLLUV(FuzzWriteScratch(0, data, size), &input)) return 0;
    if (!WriteLLUV(&input, FuzzScratchPath(1))) return 0;
    CLLUVFile first;
    if (!ReadLLUV(FuzzScratchPath(1), &first)) FuzzFail("readability of a written file", -1, 0, 0);
    if (first.mnVectors != input.mnVectors)
        FuzzFail("vector count", -1, input.mnVectors, first.mnVectors);
    if (!WriteLLUV(&first, FuzzScratchPath(2))) FuzzFail("second write", -1, 0, 0);
    CLLUVFile second;
    if (!ReadLLUV(FuzzScratchPath(2), &second))
        FuzzFail("readability of a rewritten file", -1, 0, 0);
    FuzzCompareStores(first, second, kTolerance);
    return 0;
}
