// Weekly radial diagnostic reports, read and then filtered as the
// converter and Fenwright filter them.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cReportRadial.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CReportRadial report;
    report.ReadReportFile(&spec);
    report.FilterOutZeroTimeStamps();
    report.RemoveDuplicateTimeEntries(0);
    report.KeepRadialType(kRadialTypeIdeal | kRadialTypeMeasured);
    return 0;
}
