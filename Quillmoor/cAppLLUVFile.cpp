#include "cAppLLUVFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "BTFKeyList.h"
#include "BvkErrors.h"
#include "QuillmoorGlobals.h"
#include "cCrossSpectraShort.h"
#include "cReportRadial.h"
#include "cReportReceiver.h"
#include "cTsmSetups.h"

namespace {

constexpr const char* kSpectraListName = "SpectraToProcess.txt";
constexpr const char* kRadialDiagInfoName = "RadialDiagInfo.txt";
constexpr uint32_t kLastTime = 0xFFFFFFFFu;

// Names `name` inside the folder text `folder` (which may lack its final "/").
long NameInFolder(CFileSpec* spec, const char* folder, const char* name) {
    std::string path = folder;
    if (path.empty()) return kErrNotFound;
    if (path.back() != '/') path += '/';
    path += name;
    return spec->SetFileSpec(path.c_str());
}

bool InWindow(uint32_t time, int64_t first, int64_t last) {
    return time >= first && time <= last;
}

// A week file read in part still gives the rows it was read for; the file
// itself is left as it is (only Fenwright rewrites a report).
bool ReadInPart(long readResult, const char* kind, const char* name) {
    if (readResult != kReportErrDamaged && readResult != kReportErrRowsNotRead) return false;
    if (gnDiag >= 1)
        printf(" Using the complete %s diagnostic rows of %s: %s\n", kind, name,
               readResult == kReportErrDamaged ? "its last row is incomplete"
                                               : "some of its rows are of another kind");
    return true;
}

}  // namespace

long CAppLLUVFile::PreTable() {
    CTsmSetups setups;
    setups.SetDefaultValues();
    CFileSpec list;
    char spectraPath[256] = "";
    if (NameInFolder(&list, szProcFolder, kSpectraListName) != kNoErr) return kNoErr;
    if (setups.GetSpectraToProcess(&list, spectraPath, 0) != kNoErr) return kNoErr;
    CFileSpec source;
    if (spectraPath[0] == 0 || source.SetFileSpec(spectraPath) != kNoErr) return kNoErr;

    std::unique_ptr<CCrossSpectraShort> spectra(new (std::nothrow) CCrossSpectraShort);
    if (!spectra) return kNoErr;
    // Only the header is wanted; a file that is not in the reduced form is
    // read as a full spectra file.
    long err = spectra->ReadReducedFile(&source, 1);
    if (err != kNoErr) err = spectra->ReadCrossSpectra(&source);
    XCsa5Header header{};
    if (err == kNoErr) err = spectra->GetCsa5Header(&header);
    // Headers before version 4 carry no sweep: their zeros would read as a
    // downward sweep of no bandwidth over no cells.
    if (err == kNoErr && spectra->mnHeaderSize >= static_cast<uint32_t>(kCsaHeaderV4)) {
        double bandwidth = header.mfBandwidthKHz;
        if (header.mbSweepUp == 0) bandwidth = 0.0 - bandwidth;  // no "-0.000000"
        WriteKeywordf(BtfCode("txsr"), "%.6f", static_cast<double>(header.mfSweepRateHz));
        WriteKeywordf(BtfCode("txbw"), "%.6f", bandwidth);
        WriteKeywordf("SpectraRangeCells", "%ld", static_cast<long>(header.mnRangeCells));
        WriteKeywordf("SpectraDopplerCells", "%ld", static_cast<long>(header.mnDopplerCells));
    }
    spectra->Clear();
    return kNoErr;
}

long CAppLLUVFile::Finishing() {
    SetWriteTableCommentLevel(1);
    const unsigned long weekStart = CReportBase::GetWeekStart(mnOriginTime);
    AddRadialDiagTable(weekStart);
    AddReceiverDiagTable(weekStart);
    CLLUVFile::Finishing();
    return kNoErr;
}

void CAppLLUVFile::GetDiagWindow(int64_t* first, int64_t* last) const {
    int64_t window = std::llabs(static_cast<long long>(mnTimeCoverageSeconds));
    if (window == 0) window = kDefaultDiagWindowSeconds;
    const int64_t half = window / 2;
    // Held inside the 32-bit times: a map near either end of the range keeps
    // the rows on the side that exists.
    *first = static_cast<int64_t>(mnOriginTime) - half;
    *last = static_cast<int64_t>(mnOriginTime) + half;
    if (*first < 0) *first = 0;
    if (*last > kLastTime) *last = kLastTime;
}

void CAppLLUVFile::AddRadialDiagTable(unsigned long weekStart) {
    CReportRadial report;
    char name[kReportFileNameSize];
    report.GetReportFileName(name, 0, mnSiteCode, weekStart, ".rdt");
    CFileSpec reportFile;
    long err = NameInFolder(&reportFile, szDiagFolder, name);
    if (err == kNoErr) err = report.ReadReportFile(&reportFile);
    if (ReadInPart(err, "radial", name) && report.Points() > 0) err = kNoErr;
    if (err != kNoErr) {
        // Whatever a failed read left is dropped: the import replaces it.
        report.Clear();
        CFileSpec diagInfo;
        err = NameInFolder(&diagInfo, szProcFolder, kRadialDiagInfoName);
        if (err == kNoErr && diagInfo.DoesObjectExist(1)) {
            err = report.ImportDiagSavFile(&diagInfo);
            // The processing chain's lines are of this map's pattern; without
            // its type the pattern filter below would drop them all.
            if (err == kNoErr) TakePatternType(&report);
        } else {
            err = kErrNotFound;
        }
    }
    if (err != kNoErr || report.Points() < 1) return;

    if (mnPatternType == 1) report.KeepRadialType(kRadialTypeIdeal);
    if (mnPatternType == 2) report.KeepRadialType(kRadialTypeMeasured);
    report.RemoveDuplicateTimeEntries(0);

    int64_t first = 0, last = 0;
    GetDiagWindow(&first, &last);
    for (long i = 0; i < report.Points(); ++i) {
        XReportRadial r{};
        report.GetReport(i, &r);
        const bool exactOnly = (r.mnRadialType & kRadialTypeExactTime) != 0;
        if (!InWindow(r.mnTime, first, last) || (exactOnly && r.mnTime != mnOriginTime)) {
            r.mnTime = 0;
            report.SetReport(i, &r);
        }
    }
    report.SetTimeStamp(mnOriginTime);
    report.FilterOutZeroTimeStamps();
    if (report.Points() < 1) return;
    WriteComment("");
    EmbedReportTable(&report);
}

void CAppLLUVFile::AddReceiverDiagTable(unsigned long weekStart) {
    std::unique_ptr<CReportReceiver> report(new (std::nothrow) CReportReceiver);
    if (!report) return;
    char name[kReportFileNameSize];
    report->GetReportFileName(name, 0, mnSiteCode, weekStart, ".hdt");
    CFileSpec reportFile;
    long err = NameInFolder(&reportFile, szDiagFolder, name);
    if (err == kNoErr) err = report->ReadReportFile(&reportFile);
    if (ReadInPart(err, "receiver", name)) err = kNoErr;
    if (err != kNoErr || report->Points() < 1) return;

    int64_t first = 0, last = 0;
    GetDiagWindow(&first, &last);
    for (long i = 0; i < report->Points(); ++i) {
        XReportReceiver r{};
        report->GetReport(i, &r);
        if (!InWindow(r.mnTime, first, last)) {
            r.mnTime = 0;
            report->CReportBase::SetReport(i, &r, sizeof r);
        }
    }
    report->SetTimeStamp(mnOriginTime);
    report->FilterOutZeroTimeStamps();
    if (report->Points() < 1) return;
    WriteComment("");
    EmbedReportTable(report.get());
}

void CAppLLUVFile::TakePatternType(CReportRadial* report) const {
    if (mnPatternType != 1 && mnPatternType != 2) return;
    for (long i = 0; i < report->Points(); ++i) {
        XReportRadial r{};
        report->GetReport(i, &r);
        r.mnRadialType = static_cast<uint32_t>(mnPatternType);
        report->SetReport(i, &r);
    }
}

void CAppLLUVFile::EmbedReportTable(CReportBase* report) {
    // The report's own file was closed by its reader; a stream still open
    // there would be lost when the borrowed one takes its place.
    if (report->mnRefNum != 0) report->CloseFile();
    report->mnRefNum = mnRefNum;
    report->mnTableCount = mnTableCount;
    report->WriteReportTable();
    // Given back before the report is released, so that releasing it does
    // not close this file. A failed line stays on the stream and fails the
    // close of this file.
    report->mnRefNum = 0;
    mnTableCount = report->mnTableCount;
}
