#include "QuillmoorQC.h"

#include <cstdio>

#include "BTFKeyList.h"
#include "BvkErrors.h"
#include "QuillmoorGlobals.h"
#include "cFileTool.h"
#include "cPref.h"
#include "cRadialQCFile.h"
#include "cStrConv.h"

namespace {

// The number a key of the current section holds; false when the key is
// missing or its value does not start with a number.
bool FindNumber(CPref* pref, const char* key, double* number) {
    char text[256];
    if (pref->GetString(key, text, sizeof text, nullptr, 0) == kPrefNoLine) return false;
    const char* start = text + CStrConv::SkipWhiteSpace(text);
    if (CStrConv::SkipFloat(start) == 0) return false;
    CStrConv::StringToDouble(start, number);
    return true;
}

template <class T>
void ReadNumber(CPref* pref, const char* key, T* value) {
    double number = 0;
    if (FindNumber(pref, key, &number)) *value = static_cast<T>(number);
}

}  // namespace

bool ReadConverterQCPreferences(CFileSpec* prefFile, XRadialQCOptions* options) {
    CPref pref;
    // Read-only: looking up a missing section or key must not add it.
    if (pref.OpenPreference(prefFile, BtfCode("ttxt"), BtfCode("TEXT"), 1) != kNoErr) return false;
    pref.SetReadOnly(1);
    bool on = false;
    if (pref.SetSection("QC") != kPrefNoLine) {
        on = pref.GetChoice("RunQC", "Off,On", 0) == 1;
        ReadNumber(&pref, "MaxSpeed", &options->maxSpeed);
        ReadNumber(&pref, "HighSpeed", &options->highSpeed);
        ReadNumber(&pref, "MinRadials", &options->minRadials);
        ReadNumber(&pref, "LowRadials", &options->lowRadials);
        ReadNumber(&pref, "MedianRangeCells", &options->medianRangeCells);
        ReadNumber(&pref, "MedianAngle", &options->medianAngle);
        ReadNumber(&pref, "MedianMaxDiff", &options->medianMaxDiff);
        ReadNumber(&pref, "AngularResolution", &options->angularResolution);
        ReadNumber(&pref, "GradientWarn", &options->gradientWarn);
        ReadNumber(&pref, "GradientFail", &options->gradientFail);
        ReadNumber(&pref, "BearingWarn", &options->bearingWarn);
        ReadNumber(&pref, "BearingFail", &options->bearingFail);
        ReadNumber(&pref, "StuckResolution", &options->stuckResolution);
        options->hasReferenceBearing =
            FindNumber(&pref, "ReferenceBearing", &options->referenceBearing);
    }
    pref.ClosePreference();
    return on;
}

long AddConverterQC(const CFileSpec& configsFolder, const CFileSpec& outputFolder,
                    CFileSpec* lluvFile) {
    CFileTool prefFile;
    prefFile.SetFileSpec(&configsFolder);
    prefFile.SetFileSpec("Quillmoor.pref");
    XRadialQCOptions options;
    if (!ReadConverterQCPreferences(&prefFile, &options)) return kNoErr;

    CFileTool earlier;
    earlier.SetFileSpec(&outputFolder);
    XRadialQCResult result;
    const long err = RadialQCFile(lluvFile, &earlier, lluvFile, options, &result);
    if (err != kNoErr) {
        printf("Failure %ld: Cannot add QC to LLUV File\n", err);
        return err;
    }
    if (gnDiag >= 4) printf("  Added QC to LLUV\n");
    return kNoErr;
}
