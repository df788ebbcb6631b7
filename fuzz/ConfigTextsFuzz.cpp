// The small configuration texts: processing parameters ("RadialInfo.txt"),
// antenna phases ("Phases.txt") and the spectra list
// ("SpectraToProcess.txt"), each reader given the same bytes.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cLLUVFile.h"
#include "cTsmSetups.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CLLUVFile map;
    if (map.OpenReadOnlyFile(&spec) == 0) {
        map.ReadClassicRadialParams();
        map.CloseFile();
    }
    CTsmSetups setups;
    setups.ImportPhasesFile(&spec, 0);
    char name[256];
    setups.GetSpectraToProcess(&spec, name, 0);
    setups.GetSpectraToProcess(&spec, name, 3);
    return 0;
}
