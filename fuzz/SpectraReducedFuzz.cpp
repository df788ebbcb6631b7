// Reduced (chunked) cross spectra files, the header alone and whole.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cCrossSpectraShort.h"
#include "cFileSpec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CCrossSpectraShort headerOnly;
    headerOnly.ReadReducedFile(&spec, 1);
    CCrossSpectraShort whole;
    whole.ReadReducedFile(&spec, 0);
    return 0;
}
