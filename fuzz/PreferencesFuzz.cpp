// Preference files: read, looked up and edited the way the converter does,
// then written back to the scratch file.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cFileSpec.h"
#include "cPref.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFileSpec spec;
    spec.SetFileSpec(FuzzWriteScratch(0, data, size));
    CPref pref;
    pref.mbCreateMissing = 1;
    if (pref.OpenPreference(&spec, 0, 0, 0) != 0) return 0;
    char value[256];
    pref.SetSection("GreatCircle");
    pref.GetString("Ellipsiod", value, sizeof value, "WGS 84", 0);
    pref.SetSection("Conversion");
    pref.GetChoice("OutputLLUV", "Off,On,Tandem,XYUV", 1);
    pref.PutString("OutputLLUV", "Tandem");
    pref.SetSection(nullptr);
    pref.GetLineData(pref.FindLine(kPrefLineEntry, nullptr, 0), value, sizeof value, 1);
    pref.InsertLine(1, "; inserted");
    pref.DeleteLine(0);
    pref.ClosePreference();
    return 0;
}
