// Classic radial files into the vector store.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cLLUVFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CLLUVFile map;
    map.UseQuality(1);
    map.UseDistance(1);
    map.ImportClassicRadial(&spec);
    return 0;
}
