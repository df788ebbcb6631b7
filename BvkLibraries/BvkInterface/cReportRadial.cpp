#include "cReportRadial.h"

#include "TextFormat.h"

#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "BTFRowValues.h"
#include "BvkErrors.h"
#include "PlatformTime.h"
#include "cStrConv.h"

namespace {

constexpr uint32_t kRadialReportType = BtfCode("rads");
constexpr uint32_t kRadialTableSubType = BtfCode("rad1");

// The table's columns, in the order of the row pieces.
constexpr uint32_t kRadialColumns[] = {
    BtfCode("TIME"), BtfCode("AMP1"), BtfCode("AMP2"), BtfCode("PH13"), BtfCode("PH23"),
    BtfCode("CPH1"), BtfCode("CPH2"), BtfCode("SNF1"), BtfCode("SNF2"), BtfCode("SNF3"),
    BtfCode("SSN1"), BtfCode("SSN2"), BtfCode("SSN3"), BtfCode("DGRC"), BtfCode("DOPV"),
    BtfCode("DDAP"), BtfCode("RADV"), BtfCode("RAPR"), BtfCode("RARC"), BtfCode("RADR"),
    BtfCode("RMCV"), BtfCode("RACV"), BtfCode("RABA"), BtfCode("RTYP"), BtfCode("STYP"),
    BtfCode("TYRS"), BtfCode("TMON"), BtfCode("TDAY"), BtfCode("THRS"), BtfCode("TMIN"),
    BtfCode("TSEC"),
};
constexpr long kRadialColumnCount = sizeof(kRadialColumns) / sizeof(kRadialColumns[0]);
static_assert(kRadialColumnCount == 31);

// Each heading is one line written in pieces; the parentheses tell Clang the
// pieces are joined on purpose.
constexpr const char* kRadialHeadings[] = {
    ("%   Time       Calculated      Calculated     Corrected        Noise Floor     "
     "SignalToNoise   Diag  Valid  Dual  Radial RadsV Rads   Max   Vel    Vel    Bearing  "
     "Radial Spectra Time"),
    ("% FromStart   Amp1    Amp2   Phase13 Phase23 Phase1 Phase2   NF1   NF2   NF3   SN1  "
     "SN2  SN3   Range Dopplr Angle Vector  per  Range Range  Max    Aver   Average   Type   "
     "Type   Year Mo Dy  Hr Mn  S"),
    ("%  Seconds  (1/v^2) (1/v^2)   (deg)   (deg)   (deg)  (deg)  (dBm) (dBm) (dBm)  (dB) "
     "(dB) (dB)  Cell  Cells  Prcnt Count  Range Cells  (km) (cm/s) (cm/s) (deg CWN)"),
};

// Amplitudes above this mark a failed calculation and are written as 0.
constexpr double kAmplitudeLimit = 900.0;
// Longest "RadialDiagInfo.txt" line taken whole.
constexpr long kDiagSavLineMax = 1023;

// Reads items of a "RadialDiagInfo.txt" line from the left: each call takes
// the next number, when the line still holds one, and steps over the blanks,
// tabs or comma that separate it from the next.
class DiagLineReader {
  public:
    explicit DiagLineReader(const char* text) : mText(text) {}

    bool Double(double* value) {
        if (!More()) return false;
        long n = CStrConv::StringToDouble(mText, value);
        Advance(n);
        return true;
    }
    bool ULong(unsigned long* value) {
        if (!More()) return false;
        long n = CStrConv::StringToULong(mText, value);
        Advance(n);
        return true;
    }
    bool Long(long* value) {
        if (!More()) return false;
        long n = CStrConv::StringToLong(mText, value);
        Advance(n);
        return true;
    }

  private:
    bool More() const {
        const char* p = mText + CStrConv::SkipWhiteSpace(mText);
        return *p != 0 && *p != '\r' && *p != '\n';
    }
    void Advance(long consumed) {
        // An item that is not a number reads as 0 and is stepped over whole,
        // so that the items after it still land in their own fields.
        // (Past a number the separator follows; past a bad item, the item.)
        long blanks = CStrConv::SkipWhiteSpace(mText);
        mText += consumed > blanks ? consumed : blanks;
        mText += CStrConv::SkipToNextItem(mText);
    }

    const char* mText;
};

// Values a "RadialDiagInfo.txt" line holds.
constexpr long kDiagSavValues = 19;

// The characters of a leading word before the values of a diagnostics line,
// 0 when the line has none. The processing folder's file starts with the
// first amplitude; archived files put one more word in front. A first item
// that is not a number, or one item more than a line's values, is that word.
long LeadingWordLength(const char* line) {
    const char* first = line + CStrConv::SkipWhiteSpace(line);
    const char* digit = first;
    if (*digit == '+' || *digit == '-') ++digit;
    if (*digit == '.') ++digit;
    const bool numberFirst = *digit >= '0' && *digit <= '9';
    long items = 0;
    for (const char* p = first; *p != 0 && *p != '\r' && *p != '\n' && items <= kDiagSavValues;) {
        long step = CStrConv::SkipToNextItem(p);
        if (step < 1) break;
        p += step;
        ++items;
    }
    if (numberFirst && items <= kDiagSavValues) return 0;
    return CStrConv::FindSubString(line, nullptr, 0);
}

}  // namespace

CReportRadial::CReportRadial() : CReportBase(kRadialReportType, sizeof(XReportRadial), ".rdt") {}

CReportRadial::~CReportRadial() = default;

long CReportRadial::WriteReportTable() {
    unsigned long columns[kRadialColumnCount + 1] = {};
    for (long i = 0; i < kRadialColumnCount; ++i) columns[i] = kRadialColumns[i];
    // A record without a time has no row, and the announcement counts rows:
    // a reader takes the count for what the table holds.
    long rows = 0;
    for (long i = 0; i < mnReports; ++i) {
        uint32_t time = 0;
        std::memcpy(&time, RecordAt(i) + offsetof(XReportRadial, mnTime), sizeof time);
        if (time != 0) ++rows;
    }
    long err = StartTable(rows, kRadialColumnCount, mnReportType, kRadialTableSubType, columns);
    for (const char* heading : kRadialHeadings) {
        long r = WriteComment(heading);
        if (err == kNoErr) err = r;
    }

    const long stamp = static_cast<long>(GetTimeStamp());
    std::string row;
    for (long i = 0; i < mnReports; ++i) {
        XReportRadial r;
        std::memcpy(&r, RecordAt(i), sizeof r);
        if (r.mnTime == 0) continue;
        XCalendarDate date{};
        PlatformSecondsToDate(r.mnTime, &date);
        row.clear();
        AppendFormat(row, " %9ld", static_cast<long>(r.mnTime) - stamp);
        AppendFormat(row, "  %7.4f %7.4f", r.mdAmp1 > kAmplitudeLimit ? 0.0 : r.mdAmp1,
                     r.mdAmp2 > kAmplitudeLimit ? 0.0 : r.mdAmp2);
        AppendFormat(row, "  %6.1f  %6.1f", r.mdPhase13, r.mdPhase23);
        AppendFormat(row, "  %6.1f %6.1f", r.mdPhase1, r.mdPhase2);
        AppendFormat(row, "  %4.f. %4.f. %4.f.", r.mdNoiseFloor[0], r.mdNoiseFloor[1],
                     r.mdNoiseFloor[2]);
        AppendFormat(row, "  %+3.f. %+3.f. %+3.f.", r.mdSignalToNoise[0], r.mdSignalToNoise[1],
                     r.mdSignalToNoise[2]);
        AppendFormat(row, " %4ld  %6ld  %4.f", static_cast<long>(r.mnDiagRangeCell),
                     static_cast<long>(r.mnValidDopplerCells), r.mdDualAnglePercent + 0.5);
        AppendFormat(row, " %5ld  %5ld %5ld %6.1f", static_cast<long>(r.mnVectorCount),
                     static_cast<long>(r.mnVectorsPerRange), static_cast<long>(r.mnRangeCells),
                     r.mdMaxRange / 1000);
        AppendFormat(row, " %6.1f %6.1f  %6.1f", r.mdMaxVelocity * 100, r.mdMeanVelocity * 100,
                     r.mdMeanBearing);
        AppendFormat(row, "    %4ld", static_cast<long>(r.mnRadialType));
        AppendFormat(row, "  %5ld", static_cast<long>(r.mnSpectraType));
        AppendFormat(row, "   %04d %02d %02d  %02d %02d %02d", static_cast<int>(date.year),
                     static_cast<int>(date.month), static_cast<int>(date.day),
                     static_cast<int>(date.hour), static_cast<int>(date.minute),
                     static_cast<int>(date.second));
        long written = WriteTableRow(row.c_str());
        if (err == kNoErr) err = written;
    }
    long ended = EndTable();
    return err != kNoErr ? err : ended;
}

long CReportRadial::ProcessTableRow(char* row) {
    // A line of blanks inside a table holds no row.
    if (row == nullptr || CountRowValues(row) == 0) return kNoErr;
    if (mnTableType != mnReportType) {
        NoteRowNotTaken();
        return kNoErr;
    }
    XReportRadial r{};
    const char* p = row;
    // The seconds are read as a number and truncated, so that a row written
    // before its table's time stamp (a negative offset) still lands right.
    double seconds = 0;
    p += CStrConv::StringToDouble(p, &seconds);
    double* doubles[] = {&r.mdAmp1,
                         &r.mdAmp2,
                         &r.mdPhase13,
                         &r.mdPhase23,
                         &r.mdPhase1,
                         &r.mdPhase2,
                         &r.mdNoiseFloor[0],
                         &r.mdNoiseFloor[1],
                         &r.mdNoiseFloor[2],
                         &r.mdSignalToNoise[0],
                         &r.mdSignalToNoise[1],
                         &r.mdSignalToNoise[2]};
    for (double* d : doubles) p += CStrConv::StringToDouble(p, d);
    long n = 0;
    p += CStrConv::StringToLong(p, &n);
    r.mnDiagRangeCell = static_cast<int32_t>(n);
    n = 0;
    p += CStrConv::StringToLong(p, &n);
    r.mnValidDopplerCells = static_cast<int32_t>(n);
    // The column shows the percentage plus a half, rounded; taking the half
    // off again keeps a row unchanged however often its file is rewritten.
    double shown = 0;
    p += CStrConv::StringToDouble(p, &shown);
    r.mdDualAnglePercent = shown - 0.5;
    int32_t* counts[] = {&r.mnVectorCount, &r.mnVectorsPerRange, &r.mnRangeCells};
    for (int32_t* c : counts) {
        n = 0;
        p += CStrConv::StringToLong(p, &n);
        *c = static_cast<int32_t>(n);
    }
    double km = 0, maxCmS = 0, meanCmS = 0;
    p += CStrConv::StringToDouble(p, &km);
    p += CStrConv::StringToDouble(p, &maxCmS);
    p += CStrConv::StringToDouble(p, &meanCmS);
    r.mdMaxRange = km * 1000;
    r.mdMaxVelocity = maxCmS / 100;
    r.mdMeanVelocity = meanCmS / 100;
    p += CStrConv::StringToDouble(p, &r.mdMeanBearing);
    unsigned long type = 0;
    p += CStrConv::StringToULong(p, &type);
    r.mnRadialType = static_cast<uint32_t>(type);
    n = 0;
    p += CStrConv::StringToLong(p, &n);
    r.mnSpectraType = static_cast<int32_t>(n);

    double whole = std::trunc(seconds);
    if (!std::isfinite(whole)) whole = 0;
    r.mnTime = ClampToUInt32(whole + static_cast<double>(GetTimeStamp()));
    if (AddNewReport(&r) == 0) {
        NoteRowNotTaken();
    } else {
        NoteRowTaken(row, kRadialColumnCount);
    }
    return kNoErr;
}

long CReportRadial::RemoveDuplicateTimeEntries(long bStopAtNewTime) {
    for (long i = 0; i < mnReports; ++i) {
        XReportRadial first;
        std::memcpy(&first, RecordAt(i), sizeof first);
        long j = i + 1;
        while (j < mnReports) {
            XReportRadial later;
            std::memcpy(&later, RecordAt(j), sizeof later);
            if (bStopAtNewTime && later.mnTime != first.mnTime) break;
            if (later.mnTime == first.mnTime && later.mnRadialType == first.mnRadialType) {
                std::memcpy(RecordAt(i), &later, sizeof later);
                RemoveRecord(j);
            } else {
                ++j;
            }
        }
    }
    if (mnReports == 0) Clear();
    return kNoErr;
}

long CReportRadial::KeepRadialType(unsigned long typeBits) {
    RemoveRecordsIf([typeBits](const unsigned char* bytes) {
        XReportRadial r;
        std::memcpy(&r, bytes, sizeof r);
        return (r.mnRadialType & typeBits) == 0;
    });
    return kNoErr;
}

long CReportRadial::FilterOutZeroTimeStamps() {
    RemoveRecordsIf([](const unsigned char* bytes) {
        XReportRadial r;
        std::memcpy(&r, bytes, sizeof r);
        return r.mnTime == 0;
    });
    return kNoErr;
}

long CReportRadial::ConvertDiagSavLine(const char* line, XReportRadial* record) {
    if (record == nullptr) return kErrBadArgument;
    if (line == nullptr) return kNoErr;
    DiagLineReader in(line);
    double* leading[] = {&record->mdAmp1,    &record->mdAmp2,   &record->mdPhase13,
                         &record->mdPhase23, &record->mdPhase1, &record->mdPhase2};
    for (double* d : leading) {
        if (!in.Double(d)) return kNoErr;
    }
    // Each channel's noise floor comes as two values and is their mean; a
    // line that ends inside a pair leaves that noise floor as it was.
    for (double& floor : record->mdNoiseFloor) {
        double a = 0, b = 0;
        if (!in.Double(&a) || !in.Double(&b)) return kNoErr;
        floor = (a + b) * 0.5;
    }
    for (double& ratio : record->mdSignalToNoise) {
        if (!in.Double(&ratio)) return kNoErr;
    }
    unsigned long time = 0;
    if (!in.ULong(&time)) return kNoErr;
    record->mnTime = static_cast<uint32_t>(time);
    long n = 0;
    if (!in.Long(&n)) return kNoErr;
    record->mnDiagRangeCell = static_cast<int32_t>(n);
    if (!in.Long(&n)) return kNoErr;
    record->mnValidDopplerCells = static_cast<int32_t>(n);
    in.Double(&record->mdDualAnglePercent);
    return kNoErr;
}

long CReportRadial::ImportDiagSavFile(CFileSpec* file) {
    // A work file of its own, so that the report keeps naming its table file.
    CFile in;
    long err = in.OpenReadOnlyFile(file != nullptr ? file : this);
    if (err != kNoErr) return err;

    char name[kMaxPathItemChars + 1] = "";
    in.GetFileName(name, sizeof name);
    if (CStrConv::StringCompare(name, "DIAG_", 1, 5) == 0) {
        unsigned long site = 0;
        CStrConv::StringToCharCode(name + 5, &site);
        mnBtfSiteCode = static_cast<uint32_t>(site);
    }

    char line[kDiagSavLineMax + 1];
    uint32_t previousTime = 0;
    for (;;) {
        long length = 0;
        if (in.ReadTextLine(line, &length, kDiagSavLineMax) != kNoErr) break;
        XReportRadial r{};
        const char* values = line + LeadingWordLength(line);
        ConvertDiagSavLine(values, &r);
        if (r.mdNoiseFloor[0] == 0 && r.mdNoiseFloor[1] == 0) continue;
        if (r.mnTime >= previousTime) {
            if (mnReports == 0) SetTimeStamp(r.mnTime);
            long same = -1;
            for (long i = 0; i < mnReports && same < 0; ++i) {
                XReportRadial held;
                std::memcpy(&held, RecordAt(i), sizeof held);
                if (held.mnTime == r.mnTime) same = i;
            }
            if (same >= 0) {
                SetReport(same, &r);
            } else {
                AddNewReport(&r);
            }
        }
        previousTime = r.mnTime;
    }
    in.CloseFile();
    return kNoErr;
}
