// Site headers ("Header.txt").

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cTsmSetups.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CTsmSetups setups;
    setups.SetDefaultValues();
    setups.ImportHeaderFile(&spec, 0);
    setups.CheckSiteCode();
    return 0;
}
