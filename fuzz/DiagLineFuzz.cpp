// "RadialDiagInfo.txt": the whole file, and its first line alone.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cReportRadial.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CReportRadial report;
    report.ImportDiagSavFile(&spec);
    const FuzzText line(data, size);
    XReportRadial record{};
    report.ConvertDiagSavLine(line.text, &record);
    return 0;
}
