#include "QuillmoorRun.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "AppArguments.h"
#include "BTFKeyList.h"
#include "BvkErrors.h"
#include "QuillmoorGlobals.h"
#include "QuillmoorQC.h"
#include "cAppLLUVFile.h"
#include "cCrossLoopPattBtf.h"
#include "cFileTool.h"
#include "cGeo.h"
#include "cGeoEarth.h"
#include "cPref.h"
#include "cStrConv.h"
#include "cTsmSetups.h"

namespace {

constexpr const char* kXYUVSourceName = "RdlsXXXX_00_00_00_0000.rv";
constexpr const char* kClassicSourceName = "RadialData.txt";
constexpr const char* kOutputChoices = "Off,On,Tandem,XYUV";
constexpr long kNameSize = 256;

// Where the source came from.
constexpr long kSourceNamed = -1;
constexpr long kSourceClassic = 0;
constexpr long kSourceXYUV = 1;

struct XQuillmoorRun {
    int argc = 0;
    char** argv = nullptr;
    const char* procText = "";
    unsigned long owner = 0;

    long bLLUV = -1;
    long bOpen = 1;
    long nPattern = -1;
    long sourceKind = kSourceClassic;
    char procChar = 0;
    unsigned long originTime = 0;
    long status = 0;

    CFileTool dstFolder;
    CFileTool procFolder;
    CFileTool cfgFolder;
    CFileTool source;
    CFileTool output;
    CTsmSetups setups;
    std::unique_ptr<CAppLLUVFile> store;
};

const char* Argument(const XQuillmoorRun& run, int position) {
    return GivenArgument(run.argc, run.argv, position);
}

// `spec` names the item `name` inside the folder `folder`.
long NameInFolder(CFileTool* spec, const CFileSpec& folder, const char* name) {
    spec->SetFileSpec(&folder);
    return spec->SetFileSpec(name);
}

// The run ends here with `code` as its status.
bool Fail(XQuillmoorRun* run, long code) {
    run->status = code;
    return false;
}

// An output's result. Every requested output is attempted; the run's status
// is the first failure, so that no failed output leaves the run with 0.
void NoteOutputResult(XQuillmoorRun* run, long result) {
    if (run->status == kNoErr) run->status = result;
}

bool SetOutputFolder(XQuillmoorRun* run) {
    if (const char* given = Argument(*run, 4)) CopyCut(szDstFolder, kFolderTextSize, given);
    long err = run->dstFolder.SetFileSpec(szDstFolder);
    if (err == kErrNotFound) err = run->dstFolder.CreateFolder();
    if (err != kNoErr) {
        printf("Failure %ld: Couldn't set output Folder \"%s\"\n", err, szDstFolder);
        return Fail(run, err);
    }
    if (gnDiag >= 4) printf(" Output Folder is %s\n", szDstFolder);
    return true;
}

bool SetProcessingFolder(XQuillmoorRun* run) {
    if (const char* given = Argument(*run, 5)) CopyCut(szProcFolder, kFolderTextSize, given);
    long err = run->procFolder.SetFileSpec(szProcFolder);
    if (err == kNoErr && !run->procFolder.IsFolder()) {
        // The argument named the source file itself.
        run->source.SetFileSpec(&run->procFolder);
        run->sourceKind = kSourceNamed;
        err = run->procFolder.SetToParent();
        run->procFolder.GetFilePath(szProcFolder, kFolderTextSize);
    }
    if (err != kNoErr) {
        printf("Failure %ld: Couldn't find Processing Folder \"%s\"\n", err, szProcFolder);
        return Fail(run, err);
    }
    if (gnDiag >= 4) printf(" Processing Folder is %s\n", szProcFolder);
    return true;
}

void ReadOutputArguments(XQuillmoorRun* run) {
    if (const char* given = Argument(*run, 6)) run->bLLUV = atoi(given);
    if (const char* given = Argument(*run, 7)) run->bOpen = atoi(given);
}

bool SetConfigsFolder(XQuillmoorRun* run) {
    if (const char* given = Argument(*run, 8)) CopyCut(szCfgFolder, kFolderTextSize, given);
    long err = run->cfgFolder.SetFileSpec(szCfgFolder);
    if (err != kNoErr) {
        printf("Failure %ld: Couldn't find Configs Folder \"%s\"\n", err, szCfgFolder);
        return Fail(run, err);
    }
    if (gnDiag >= 4) printf(" Configs Folder is %s\n", szCfgFolder);
    return true;
}

void ReadPatternAndDiagArguments(XQuillmoorRun* run) {
    if (const char* given = Argument(*run, 9)) run->nPattern = atol(given);
    if (gnDiag >= 10) printf(" Antenna Pattern Type is %ld\n", run->nPattern);
    if (const char* given = Argument(*run, 10)) CopyCut(szDiagFolder, kFolderTextSize, given);
    if (gnDiag >= 10) printf(" Diag Folder is %s\n", szDiagFolder);
}

// An "OutputLLUV" line outside any section was written by older versions; its
// choice becomes the default of the entry in "Conversion" and the line goes.
long TakeTopLevelOutputChoice(CPref* pref, long defaultChoice) {
    long wasReadOnly = pref->SetReadOnly(1);
    pref->SetSection("");
    char value[1024];
    uint32_t line = pref->GetString("OutputLLUV", value, sizeof value, "", 0);
    pref->SetReadOnly(wasReadOnly);
    if (line == kPrefNoLine) return defaultChoice;
    char word[65];
    CStrConv::FindSubString(value, word, 64);
    long choice = CStrConv::FindChoice(word, kOutputChoices, defaultChoice, 0);
    pref->DeleteLine(line);
    return choice;
}

void ReadPreferences(XQuillmoorRun* run) {
    CPref pref;
    CFileTool prefFile;
    NameInFolder(&prefFile, run->cfgFolder, "Quillmoor.pref");
    pref.OpenPreference(&prefFile, BtfCode("ttxt"), BtfCode("TEXT"), 0);

    pref.SetSection("GreatCircle");
    CGeo::SetCommonEllipsiodType(pref.GetChoice("Ellipsiod", CGeoEarth::GetEllipsiodChoices(), 1));
    pref.SetSection("");

    if (run->bLLUV < 0) {
        long defaultChoice = TakeTopLevelOutputChoice(&pref, 1);
        pref.SetSection("Conversion");
        long choice = pref.GetChoice("OutputLLUV", kOutputChoices, defaultChoice);
        run->bLLUV = choice == 2 ? 3 : choice == 3 ? 5 : choice;
    }
    pref.ClosePreference();
    if (run->bLLUV < 0) run->bLLUV = 1;
    if (gnDiag >= 10) printf(" Make LLUV is %ld\n", run->bLLUV);
}

bool FindSource(XQuillmoorRun* run) {
    char name[kNameSize];
    if (run->sourceKind == kSourceNamed) {
        if (!run->source.DoesObjectExist(1)) {
            char path[kFolderTextSize];
            run->source.GetFilePath(path, sizeof path);
            printf("Failure %ld: Couldn't find source file \"%s\"\n", kErrNotFound, path);
            return Fail(run, kErrNotFound);
        }
    } else {
        run->sourceKind = kSourceXYUV;
        long err = NameInFolder(&run->source, run->procFolder, kXYUVSourceName);
        if (err != kNoErr) {
            run->sourceKind = kSourceClassic;
            err = NameInFolder(&run->source, run->procFolder, kClassicSourceName);
        }
        if (err != kNoErr) {
            printf("Failure %ld: Couldn't find source file \"%s\" or \"%s\"\n", err, kXYUVSourceName,
                   kClassicSourceName);
            return Fail(run, err);
        }
    }
    run->source.GetFileName(name, sizeof name);
    if (gnDiag >= 4) printf(" Radial Source File is \"%s\"\n", name);
    return true;
}

bool ReadSource(XQuillmoorRun* run) {
    run->store = std::make_unique<CAppLLUVFile>();
    CAppLLUVFile* store = run->store.get();
    store->mnMapType = BtfCode("rdls");
    store->UseQuality(1);
    store->UseDistance(1);
    long result = kErrNotFound;
    if (run->sourceKind != kSourceClassic) {
        result = store->ImportClassicXYUV(&run->source, 0, 0);
        if (result != kNoErr && run->sourceKind == kSourceXYUV) {
            printf("Failure %ld: Unable to read source xyuv file\n", result);
            return Fail(run, result);
        }
    }
    if (result != kNoErr) {
        result = store->ImportClassicRadial(&run->source);
        if (result != kNoErr) {
            printf("Failure %ld: Unable to read source radial file\n", result);
            return Fail(run, result);
        }
    }
    return true;
}

void ReadRadialParameters(XQuillmoorRun* run) {
    CAppLLUVFile* store = run->store.get();
    CFileTool paramFile;
    paramFile.SetFileSpec(&run->source);
    paramFile.ChangeFileSpec("RadialInfo.txt");
    if (store->OpenReadOnlyFile(&paramFile) == kNoErr) {
        store->ReadClassicRadialParams();
        store->CloseFile();
    }
    store->mnMapType = BtfCode("rdls");
    store->mnFormatVersion = 7;
}

// The fourth character of a long processing text, else its first.
char ProcessingCharacter(const char* procText) {
    size_t length = strlen(procText);
    char c = length >= 4 ? procText[3] : procText[0];
    return static_cast<char>(tolower(static_cast<unsigned char>(c)));
}

long PatternTypeOfCharacter(char c) {
    switch (c) {
        case ' ': case '_': case 'i': case 's': case 'x':
            return 1;
        case 'm': case 'p': case 'y': case 'z':
            return 2;
        default:
            return 0;
    }
}

void ChoosePatternType(XQuillmoorRun* run) {
    CAppLLUVFile* store = run->store.get();
    run->procChar = ProcessingCharacter(run->procText);
    if (run->nPattern >= 0) store->mnPatternType = run->nPattern + 1;
    if (store->mnPatternType < 1) store->mnPatternType = PatternTypeOfCharacter(run->procChar);
    if (gnDiag >= 10) printf(" Antenna Pattern Type is %ld\n", store->mnPatternType - 1);
}

// Every output is named and dated from the data's time: a source without one
// would give names from the clock and dates of 1904.
bool TakeOriginTime(XQuillmoorRun* run) {
    run->originTime = run->store->GetOriginTime();
    if (run->originTime != 0) return true;
    char name[kNameSize];
    run->source.GetFileName(name, sizeof name);
    printf("Failure %ld: No time in the source file \"%s\"\n", kErrBadArgument, name);
    return Fail(run, kErrBadArgument);
}

bool ReadSiteHeader(XQuillmoorRun* run) {
    CAppLLUVFile* store = run->store.get();
    CFileTool header;
    NameInFolder(&header, run->cfgFolder, "Header.txt");
    run->setups.SetDefaultValues();
    run->setups.ImportHeaderFile(&header, 0);
    // The site code goes into every output's name.
    long err = run->setups.CheckSiteCode();
    if (err != kNoErr) {
        char code[8];
        CStrConv::CharCodeToString(code, run->setups.mnSiteCode);
        printf("Failure %ld: Site code \"%s\" of Header.txt cannot be part of a file name\n", err,
               code);
        return Fail(run, err);
    }
    store->SetSiteCode(run->setups.mnSiteCode);
    double bearing = store->GetAntennaBearing();
    if (bearing == 0 || bearing >= 900) store->SetAntennaBearing(run->setups.mdAntennaBearing);
    return true;
}

// The codes tell the desktop what the source is; a file system without them
// does not stop the conversion, and no output depends on them.
void MarkSourceFile(XQuillmoorRun* run) {
    run->source.SetFileType(BtfCode("TEXT"));
    run->source.SetFileCreator(run->owner);
}

// Asking another application to open a file has no counterpart here.
long TellApplicationToOpen(CFileSpec*, unsigned long, long) { return kNoErr; }

void RequestOpen(XQuillmoorRun* run) {
    TellApplicationToOpen(&run->output, BtfCode("Pxtw"), 1);
    CFileTool refreshed;
    if (refreshed.SetFileSpec(&run->output) == kNoErr && run->bOpen != 0)
        TellApplicationToOpen(&run->output, run->owner, 0);
}

long StampWithOriginTime(XQuillmoorRun* run, CFileTool* file) {
    return file->SetFileCreationDate(run->originTime);
}

bool WantsFirstOutput(long mode) { return mode == 0 || mode == 2 || mode == 3 || (mode & 4) != 0; }

void WriteFirstOutput(XQuillmoorRun* run) {
    if (!WantsFirstOutput(run->bLLUV)) return;
    CAppLLUVFile* store = run->store.get();
    char name[kNameSize];
    char dateSep = run->setups.mcDateSeparator, fieldSep = run->setups.mcFieldSeparator;
    long result = kNoErr;
    if (run->sourceKind == kSourceClassic && run->bLLUV == 0) {
        // The source is already a classic radial file: it is copied as it is.
        char ext[] = ".rv";
        store->GetClassicFilename(name, run->procChar, ext, nullptr, dateSep, fieldSep);
        NameInFolder(&run->output, run->dstFolder, name);
        if (gnDiag >= 4) printf("  Copying source to %s\n", name);
        CFileTool copy;
        copy.SetFileSpec(&run->source);
        result = copy.CopyFile(&run->output, 1, 0, 1, 0);
        if (result == kNoErr) result = StampWithOriginTime(run, &copy);
        if (result != kNoErr) printf("Failure %ld: Cannot copy to \"%s\"\n", result, name);
    } else if (run->bLLUV & 4) {
        char prefix[] = "Rdt_";
        store->GetClassicFilename(name, run->procChar, nullptr, prefix, dateSep, fieldSep);
        NameInFolder(&run->output, run->dstFolder, name);
        if (gnDiag >= 4) printf("  Writing xyuv %s\n", name);
        result = store->ExportClassicXYUV(&run->output, run->owner, nullptr, 0);
        if (result == kNoErr) result = StampWithOriginTime(run, &run->output);
        if (result != kNoErr)
            printf("Failure %ld: Cannot write testing xyuv \"%s\"\n", result, name);
    } else {
        char ext[] = ".rv";
        store->GetClassicFilename(name, run->procChar, ext, nullptr, dateSep, fieldSep);
        NameInFolder(&run->output, run->dstFolder, name);
        if (gnDiag >= 4) printf("  Writing classic %s\n", name);
        result = store->ExportClassicRadial(&run->output, run->owner);
        if (result == kNoErr) result = StampWithOriginTime(run, &run->output);
        if (result != kNoErr)
            printf("Failure %ld: Cannot write classic radial \"%s\"\n", result, name);
    }
    NoteOutputResult(run, result);
    if (result == kNoErr) RequestOpen(run);
}

void CompletePatternInfo(XQuillmoorRun* run) {
    CAppLLUVFile* store = run->store.get();
    const char* patternName = nullptr;
    if (store->mnPatternType == 1) {
        patternName = "IdealPattern.txt";
        if (store->mfPatternPhaseCorrections[0] == 0 && store->mfPatternPhaseCorrections[1] == 0 &&
            run->setups.ImportPhasesFile(&run->cfgFolder, 0) == kNoErr) {
            store->mfPatternPhaseCorrections[0] = static_cast<float>(run->setups.mdPhase[0]);
            store->mfPatternPhaseCorrections[1] = static_cast<float>(run->setups.mdPhase[1]);
        }
    } else if (store->mnPatternType == 2) {
        patternName = "MeasPattern.txt";
    }
    if (patternName == nullptr) return;

    CFileTool patternFile;
    NameInFolder(&patternFile, run->cfgFolder, patternName);
    CCrossLoopPattBtf pattern;
    if (pattern.ImportPatSavFile(&patternFile) != kNoErr) return;
    XFCatInfo info;
    if (patternFile.GetFileCatInfo(&info, 0) != kNoErr) return;
    store->mnPatternDate = info.modified;
    pattern.GetBtfUUIDString(store->msPatternUUID, sizeof store->msPatternUUID);
    if (store->mfPatternResolution == 0) {
        double resolution = pattern.mdAngularResolution;
        if (resolution == 0) pattern.CalculatePatternResolution(&resolution);
        store->mfPatternResolution = static_cast<float>(resolution);
    }
    if (store->mfPatternSmoothing == 0) store->mfPatternSmoothing = static_cast<float>(pattern.mdAngularSmoothing);
}

// The letter that the LLUV file name carries for a processing character.
char LLUVNameCharacter(char procChar) {
    switch (procChar) {
        case 0: return 's';
        case ' ': case ';': case '_': case 's': return 'i';
        case 'e': return 'p';
        case 'f': return 'n';
        case 'z': return 'm';
        default: return procChar;
    }
}

void WriteLLUVOutput(XQuillmoorRun* run) {
    if (run->bLLUV == 0) return;
    CAppLLUVFile* store = run->store.get();
    store->AddMetaToolName(szAppName, szAppVers);
    if (store->mnFormatSubVersion == 0) {
        store->UpdateFromSpectraRadialSource();
        store->mnFormatSubVersion = 1;
    }
    if (store->mnPatternDate == 0) CompletePatternInfo(run);

    char name[kNameSize];
    char ext[] = ".ruv";
    store->GetUVFilename(name, LLUVNameCharacter(run->procChar), ext, run->setups.mnSiteCode, run->originTime);
    if (gnDiag >= 4) printf("  Writing LLUV %s\n", name);
    NameInFolder(&run->output, run->dstFolder, name);
    if (store->mnSpectraSourceMask != 0) store->mnSpectraSourceMask = 1;
    long result = store->WriteUVFile(&run->output, run->owner);
    if (result == kNoErr) result = AddConverterQC(run->cfgFolder, run->dstFolder, &run->output);
    if (result == kNoErr) {
        result = StampWithOriginTime(run, &run->output);
        RequestOpen(run);
    } else {
        printf("Failure %ld: Cannot create LLUV File\n", result);
    }
    NoteOutputResult(run, result);
}

// The steps before the outputs, in the run's order: false when one of them
// ended the run.
bool PrepareOutputs(XQuillmoorRun* run) {
    if (!SetOutputFolder(run) || !SetProcessingFolder(run)) return false;
    ReadOutputArguments(run);
    if (!SetConfigsFolder(run)) return false;
    ReadPatternAndDiagArguments(run);
    ReadPreferences(run);
    if (!FindSource(run) || !ReadSource(run)) return false;
    ReadRadialParameters(run);
    ChoosePatternType(run);
    return TakeOriginTime(run) && ReadSiteHeader(run);
}

}  // namespace

long RunQuillmoor(int argc, char** argv, const char* procText, unsigned long ownerCode) {
    XQuillmoorRun run;
    run.argc = argc;
    run.argv = argv;
    run.procText = procText;
    run.owner = ownerCode;

    if (PrepareOutputs(&run)) {
        MarkSourceFile(&run);
        WriteFirstOutput(&run);
        WriteLLUVOutput(&run);
        run.store.reset();
        if (gnDiag >= 2) printf(" Finished. %ld\n", run.status);
    }
    return run.status;
}
