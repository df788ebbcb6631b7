// Antenna patterns in the table file layout.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cCrossLoopPattBtf.h"
#include "cFileSpec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || data[0] != '%') return 0;
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CCrossLoopPattBtf pattern;
    if (pattern.ImportPatSavFile(&spec) == 0) {
        double resolution = 0;
        pattern.CalculatePatternResolution(&resolution);
    }
    return 0;
}
