// LLUV table files through the table reader and the LLUV callbacks, whole
// and with the table rows skipped.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cLLUVFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CLLUVFile map;
    map.ProcessBTFile(&spec, 0, 0);
    CLLUVFile headerOnly;
    headerOnly.ProcessBTFile(&spec, 1, 0);
    return 0;
}
