// Weekly receiver diagnostic reports.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cReportReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CReportReceiver report;
    report.ReadReportFile(&spec);
    report.FilterOutZeroTimeStamps();
    return 0;
}
