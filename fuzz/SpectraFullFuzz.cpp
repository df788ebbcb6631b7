// Full cross spectra files.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cCrossSpectraFile.h"
#include "cFileSpec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CCrossSpectraFile spectra;
    spectra.ReadCrossSpectra(&spec);
    return 0;
}
