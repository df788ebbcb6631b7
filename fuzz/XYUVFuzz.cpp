// xyuv test files into the vector store, by their x/y and by their
// latitude and longitude columns.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cLLUVFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CLLUVFile byXY;
    byXY.UseQuality(1);
    byXY.UseDistance(1);
    byXY.ImportClassicXYUV(&spec, 0, 0);
    CLLUVFile byLonLat;
    byLonLat.UseDistance(1);
    byLonLat.ImportClassicXYUV(&spec, 1, 1);
    return 0;
}
