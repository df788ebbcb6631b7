#include "FenwrightMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "AppArguments.h"
#include "AppInfoRequest.h"
#include "BvkErrors.h"
#include "FenwrightGlobals.h"
#include "FenwrightHelp.h"
#include "FenwrightStatistics.h"
#include "FenwrightVectors.h"
#include "cReportRadial.h"
#include "cStrConv.h"
#include "cTsmSetups.h"
#include "cVersion.h"

namespace {

constexpr const char* kDefaultProcFolder = "/Brenvik/Tesmara/Data/Processing/";
constexpr const char* kDefaultDiagFolder = "/Brenvik/Tesmara/Data/Diagnostics/";
constexpr const char* kDefaultCfgFolder = "/Brenvik/Tesmara/Configs/RadialConfigs/";
constexpr const char* kDiagInfoName = "RadialDiagInfo.txt";
constexpr const char* kSpectraListName = "SpectraToProcess.txt";
constexpr const char* kReportExtension = ".rdt";
constexpr long kDiagInfoLineMax = 2047;
constexpr long kSpectraNameSize = 256;

// What one run builds up, step by step.
struct XFenwrightRun {
    long radialType = 0;
    unsigned long siteCode = 0;
    unsigned long mapTime = 0;
    XReportRadial record{};
    unsigned long weekStart = 0;
    char reportName[kReportFileNameSize] = "";
    CReportRadial report;
};

// Names `name` in `folder` (a relative folder is taken from the default one).
void NameInFolder(CFileSpec* spec, const char* folder, const char* name) {
    spec->SetToDefaultFolder();
    spec->SetFileSpec(folder);
    spec->SetFileSpec(name);
}

// Diagnostic level, running line, usage.
void ReadDiagnosticLevel(int argc, char** argv) {
    if (const char* level = GivenArgument(argc, argv, 1)) gnDiag = atol(level);
    CVersion::GetShortVersionString(szAppVers);
    CVersion::GetApplicationName(szAppName);
    if (gnDiag >= 1) printf(" Running %s %s\n", szAppName, szAppVers);
    if (argc <= 1 || gnDiag >= 6)
        printf(" Usage: %s <nDiag> <nRadType> <sProcFolder> <sDiagFolder> <sCfgFolder>\n",
               szAppName);
    if (gnDiag >= 2) printf("  Diagnostic output level %ld\n", gnDiag);
}

// Radial type and the three folders, each from its argument or its default.
void ReadArguments(int argc, char** argv, XFenwrightRun* run) {
    run->radialType = 0;
    if (const char* type = GivenArgument(argc, argv, 2)) run->radialType = atol(type);
    struct Folder {
        char* global;
        const char* fallback;
        int position;
    };
    const Folder folders[] = {{szProcFolder, kDefaultProcFolder, 3},
                              {szDiagFolder, kDefaultDiagFolder, 4},
                              {szCfgFolder, kDefaultCfgFolder, 5}};
    for (const Folder& f : folders) {
        const char* given = GivenArgument(argc, argv, f.position);
        CopyCut(f.global, kFenwrightFolderSize, given != nullptr ? given : f.fallback);
    }
}

// The site code from the first line of the site header ("XXXX" without one).
// 0, or -50 for a code that cannot be part of the report's name.
long ReadSiteCode(XFenwrightRun* run) {
    CTsmSetups setups;
    setups.SetDefaultValues();
    CFileSpec folder;
    folder.SetFileSpec(szCfgFolder);
    setups.ImportHeaderFile(&folder, 1);
    run->siteCode = setups.mnSiteCode;
    long err = setups.CheckSiteCode();
    if (err != kNoErr) {
        char code[8];
        CStrConv::CharCodeToString(code, run->siteCode);
        printf("Failure %ld: Site code \"%s\" of Header.txt cannot be part of a file name\n", err,
               code);
    }
    return err;
}

// The first line of "RadialDiagInfo.txt" becomes the record. 0 or the open error.
long ReadDiagnosticLine(XFenwrightRun* run) {
    std::memset(&run->record, 0, sizeof run->record);
    CFile info;
    CFileSpec spec;
    NameInFolder(&spec, szProcFolder, kDiagInfoName);
    long err = info.OpenReadOnlyFile(&spec);
    if (err != kNoErr) {
        if (gnDiag >= 2) printf(" Failed %ld : Couldn't open %s", err, kDiagInfoName);
        return err;
    }
    char line[kDiagInfoLineMax + 1];
    long length = 0;
    if (info.ReadTextLine(line, &length, kDiagInfoLineMax) == kNoErr)
        run->report.ConvertDiagSavLine(line, &run->record);
    info.CloseFile();
    return kNoErr;
}

// Counts, ranges, speeds and bearing of the radial map's vectors.
void AddMapStatistics(XFenwrightRun* run) {
    std::vector<XVectorSample> vectors;
    long rangeStart = 0, rangeEnd = 0;
    long err = ReadRadialVectors(szProcFolder, &vectors, &rangeStart, &rangeEnd, &run->mapTime);
    if (err != kNoErr) {
        printf("Failure %ld: Couldn't find source file \"%s\" or \"%s\"\n", err, kXYUVSourceName,
               kRadialSourceName);
        return;
    }
    AddVectorStatistics(vectors, rangeStart, rangeEnd, &run->record);
}

// A diagnostics line without a time is the map's: the record takes the map's
// time. 0, or -50 when neither gives one (the record would fit no week).
long SetRecordTime(XFenwrightRun* run) {
    if (run->record.mnTime == 0) run->record.mnTime = static_cast<uint32_t>(run->mapTime);
    if (run->record.mnTime != 0) return kNoErr;
    printf("Failure %ld: No time for the radial diagnostic record in %s or the radial file\n",
           kErrBadArgument, kDiagInfoName);
    return kErrBadArgument;
}

// The spectra type: the third character of the spectra file being processed.
void ReadSpectraType(XFenwrightRun* run) {
    CTsmSetups setups;
    setups.SetDefaultValues();
    CFileSpec list;
    NameInFolder(&list, szProcFolder, kSpectraListName);
    char path[kSpectraNameSize] = "";
    if (setups.GetSpectraToProcess(&list, path, 0) != kNoErr || path[0] == 0) return;
    CFileSpec spectra;
    if (spectra.SetFileSpec(path) != kNoErr) return;
    char name[kMaxPathItemChars + 1] = "";
    spectra.GetFileName(name, sizeof name);
    if (std::strlen(name) >= 3) run->record.mnSpectraType = static_cast<signed char>(name[2]);
}

// Why a week file that was not read whole is kept aside.
const char* KeptAsideReason(long readResult) {
    if (readResult == kReportErrDamaged) return "its last row is incomplete";
    if (readResult == kReportErrRowsNotRead) return "it holds rows that are not radial diagnostics";
    return "it cannot be read as a radial diagnostic report";
}

// The week's report: named from the site and the week's Sunday, read when it
// exists, stamped no earlier than that Sunday. 0, or the failure to keep a
// week file aside.
long ReadWeekReport(XFenwrightRun* run) {
    run->weekStart = CReportBase::GetWeekStart(run->record.mnTime);
    run->report.GetReportFileName(run->reportName, 0, run->siteCode, run->weekStart,
                                  kReportExtension);
    NameInFolder(&run->report, szDiagFolder, run->reportName);
    long err = run->report.ReadReportFile(nullptr);
    if (err == kErrNotFound) {
        if (gnDiag >= 2) printf(" Starting new radial diagnostic %s\n", run->reportName);
    } else if (err != kNoErr && run->report.DoesObjectExist(1)) {
        // A week file that was not read whole is not overwritten with what
        // could be read of it: it is kept untouched under the next free
        // numbered name, and the new file holds the rows that were read.
        CFileTool aside;
        aside.SetFileSpec(&run->report);
        long moved = aside.SequenceRenameFile("_", 1, 2147483647);
        if (moved != kNoErr) {
            printf("Failure %ld: Couldn't keep radial diagnostic %s aside\n", moved,
                   run->reportName);
            return moved;
        }
        char asideName[kMaxPathItemChars + 1] = "";
        aside.GetFileName(asideName, sizeof asideName);
        if (gnDiag >= 1)
            printf(" Kept radial diagnostic %s as %s: %s\n", run->reportName, asideName,
                   KeptAsideReason(err));
    }
    if (run->report.GetTimeStamp() < run->weekStart) run->report.SetTimeStamp(run->weekStart);
    return kNoErr;
}

// Appends the record and writes the week's report back. The write's result.
long WriteWeekReport(XFenwrightRun* run) {
    run->report.mnBtfSiteCode = static_cast<uint32_t>(run->siteCode);
    run->report.AddNewReport(&run->record);
    run->report.AddMetaToolName(szAppName, szAppVers);
    long status = run->report.WriteReportFile(nullptr);
    if (status != kNoErr)
        printf("Failure %ld: Couldn't write radial diagnostic %s\n", status, run->reportName);
    if (gnDiag >= 3) printf(" Finished.\n");
    return status;
}

}  // namespace

long FenwrightMain(int argc, char** argv) {
    if (AnswerInfoRequest(argc, argv, "Fenwright", PrintFenwrightHelp)) return 0;
    XFenwrightRun run;
    ReadDiagnosticLevel(argc, argv);
    ReadArguments(argc, argv, &run);
    long status = ReadSiteCode(&run);
    if (status == kNoErr) status = ReadDiagnosticLine(&run);
    if (status == kNoErr) {
        run.record.mnRadialType = static_cast<uint32_t>(run.radialType);
        AddMapStatistics(&run);
        status = SetRecordTime(&run);
    }
    if (status == kNoErr) {
        ReadSpectraType(&run);
        status = ReadWeekReport(&run);
    }
    if (status == kNoErr) status = WriteWeekReport(&run);
    fflush(stdout);
    return status;
}
