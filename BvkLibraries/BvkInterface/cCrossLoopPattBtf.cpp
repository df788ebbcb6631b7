#include "cCrossLoopPattBtf.h"

#include "BTFSiteCode.h"
#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformTime.h"
#include "cGeo.h"
#include "cStrConv.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <vector>

namespace {

constexpr long kPlainLineChars = 512;
constexpr long kBlocks = 8;
// Dates below this are not plausibly set (before 1967).
constexpr double kPlausibleDate = 2000000000.0;
constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr long kUntypedRowMinimum = 5;
constexpr long kUntypedRowMaximum = 16;
constexpr uint32_t kLastPlainTableType = BtfCode("xlp3");

// Column roles of a typed pattern table.
enum class Column {
    kSkip,
    kBearing,
    kFlag,
    kA13R,
    kA13I,
    kA23R,
    kA23I,
    kQ13R,
    kQ13I,
    kQ23R,
    kQ23I,
    kMagnitude1,  // first antenna ratio
    kMagnitude2,  // second antenna ratio
    kPhase1,
    kPhase2,
};

struct XColumnRole {
    uint32_t code;
    Column role;
    int32_t referenceChannel;  // for magnitude columns: the antenna the ratio refers to
};

constexpr XColumnRole kColumnRoles[] = {
    {BtfCode("BEAR"), Column::kBearing, 0},
    {BtfCode("FLAG"), Column::kFlag, 0},
    {BtfCode("A13R"), Column::kA13R, 0},
    {BtfCode("A13I"), Column::kA13I, 0},
    {BtfCode("A23R"), Column::kA23R, 0},
    {BtfCode("A23I"), Column::kA23I, 0},
    {BtfCode("Q13R"), Column::kQ13R, 0},
    {BtfCode("Q13I"), Column::kQ13I, 0},
    {BtfCode("Q23R"), Column::kQ23R, 0},
    {BtfCode("Q23I"), Column::kQ23I, 0},
    {BtfCode("A12M"), Column::kMagnitude1, 2},
    {BtfCode("A13M"), Column::kMagnitude1, 3},
    {BtfCode("A21M"), Column::kMagnitude1, 1},
    {BtfCode("A23M"), Column::kMagnitude2, 3},
    {BtfCode("A31M"), Column::kMagnitude2, 1},
    {BtfCode("A32M"), Column::kMagnitude2, 2},
    {BtfCode("A12P"), Column::kPhase1, 0},
    {BtfCode("A13A"), Column::kPhase1, 0},
    {BtfCode("A13P"), Column::kPhase1, 0},
    {BtfCode("A21P"), Column::kPhase1, 0},
    {BtfCode("A23A"), Column::kPhase2, 0},
    {BtfCode("A23P"), Column::kPhase2, 0},
    {BtfCode("A31P"), Column::kPhase2, 0},
    {BtfCode("A32P"), Column::kPhase2, 0},
};

const XColumnRole* RoleOf(uint32_t code) {
    for (const auto& role : kColumnRoles) {
        if (role.code == code) return &role;
    }
    return nullptr;
}

bool IsRealImag(Column c) {
    return c == Column::kA13R || c == Column::kA13I || c == Column::kA23R || c == Column::kA23I;
}

bool IsMagPhase(Column c) {
    return c == Column::kMagnitude1 || c == Column::kMagnitude2 || c == Column::kPhase1 ||
           c == Column::kPhase2;
}

// Reads up to `maxCount` numbers separated by blanks, tabs or commas; stops at
// the first text that is not a number. Returns how many were read.
long ReadNumbers(const char* text, double* values, long maxCount) {
    long count = 0;
    const char* p = text;
    while (count < maxCount) {
        p += CStrConv::SkipWhiteSpace(p);
        if (*p == ',') {
            ++p;
            continue;
        }
        if (*p == 0 || CStrConv::SkipFloat(p) == 0) break;
        p += CStrConv::StringToDouble(p, &values[count]);
        ++count;
    }
    return count;
}

// Year, month, day, hour, minute and second written with blanks or with the
// separators of "2008-03-14T12:00:00"; local 1904 seconds, 0 when no year is
// given. Two-digit years below 50 are 20xx, other two-digit years 19xx.
double ReadDate(const char* text) {
    double parts[6] = {0, 0, 0, 0, 0, 0};
    const char* p = text;
    for (int i = 0; i < 6; ++i) {
        while (*p == ' ' || *p == '\t' || *p == ',' || *p == '-' || *p == '/' || *p == ':' ||
               *p == 'T') {
            ++p;
        }
        if (*p == 0 || CStrConv::SkipFloat(p) == 0) break;
        p += CStrConv::StringToDouble(p, &parts[i]);
    }
    if (!(parts[0] > 0) || !std::isfinite(parts[0])) return 0;
    for (double& part : parts) {
        if (!std::isfinite(part) || std::fabs(part) > 1e7) return 0;
    }
    long year = static_cast<long>(parts[0]);
    if (year < 50) year += 2000;
    else if (year < 100) year += 1900;
    if (year > 9999) return 0;
    XCalendarDate date{};
    date.year = year;
    date.month = static_cast<long>(parts[1]);
    date.day = static_cast<long>(parts[2]);
    date.hour = static_cast<long>(parts[3]);
    date.minute = static_cast<long>(parts[4]);
    date.second = static_cast<long>(parts[5]);
    return static_cast<double>(PlatformDateToSeconds(date));
}

uint32_t ClampTo1904(double seconds) {
    if (!(seconds > 0)) return 0;
    if (seconds > 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(seconds);
}

const char* SkipBlanks(const char* text) { return text + CStrConv::SkipWhiteSpace(text); }

}  // namespace

CCrossLoopPattBtf::CCrossLoopPattBtf()
    : CCrossLoopPattern(), BTFReader(nullptr), mnPatternTables(0), mnRealImagColumns(0),
      mnMagPhaseColumns(0) {}

CCrossLoopPattBtf::~CCrossLoopPattBtf() = default;

long CCrossLoopPattBtf::ImportPatSavFile(CFileSpec* file) {
    Clear();
    ClearMeta();
    mnPatternTables = mnRealImagColumns = mnMagPhaseColumns = 0;
    long err = CFile::OpenReadOnlyFile(file);
    if (err != kNoErr) return err;
    char first = 0;
    unsigned long got = 0;
    CFile::ReadFile(&first, 1, &got);
    CFile::MoveFilePointer(0, 1);
    if (got == 1 && first == '%') {
        CFile::CloseFile();
        return ImportTableFile();
    }
    err = ImportPlainFile();
    CFile::CloseFile();
    if (err != kNoErr) {
        Clear();
        return err;
    }
    if (mnVectors > 0) FinishPlainPattern();
    return kNoErr;
}

long CCrossLoopPattBtf::ImportTableFile() {
    long err = ProcessBTFile(nullptr, 0, 0);
    if (err == kNoErr && mnVectors == 0) err = kErrBadArgument;
    return err;
}

// Reads lines of numbers until `count` have been read; a line that holds
// more than are still wanted has its rest ignored, so that every block
// starts on a line of its own. The numbers are kept only as they arrive, so
// a count that the file does not back up costs no more memory than the
// file's own size.
long CCrossLoopPattBtf::ReadNumberLines(std::vector<double>* values, long count) {
    char line[kPlainLineChars + 1];
    double numbers[kPlainLineChars / 2 + 1];
    constexpr long kMostPerLine = kPlainLineChars / 2 + 1;
    values->clear();
    while (static_cast<long>(values->size()) < count) {
        long length = 0;
        long err = CFile::ReadTextLine(line, &length, kPlainLineChars);
        if (err != kNoErr) return err;
        long wanted = count - static_cast<long>(values->size());
        long got = ReadNumbers(line, numbers, wanted < kMostPerLine ? wanted : kMostPerLine);
        values->insert(values->end(), numbers, numbers + got);
    }
    return kNoErr;
}

long CCrossLoopPattBtf::ImportPlainFile() {
    char line[kPlainLineChars + 1];
    long length = 0;
    long err = CFile::ReadTextLine(line, &length, kPlainLineChars);
    if (err != kNoErr) return err;
    long count = 0;
    CStrConv::StringToLong(line, &count);
    if (count < 1) return kNoErr;

    std::vector<double> columns[1 + kBlocks];
    try {
        for (auto& column : columns) {
            err = ReadNumberLines(&column, count);
            if (err != kNoErr) return err;
        }
    } catch (const std::exception&) {
        return kErrOutOfMemory;
    }

    // Optional trailing lines; the first one is not used.
    double date = 0;
    auto next = [&]() { return CFile::ReadTextLine(line, &length, kPlainLineChars) == kNoErr; };
    if (next() && next()) {
        if (*SkipBlanks(line)) CStrConv::StringToDouble(line, &mdAntennaBearing);
        if (next()) {
            unsigned long code = 0;
            const char* p = SkipBlanks(line);
            if (*p) {
                CStrConv::StringToCharCode(p, &code);
                mnSiteCode = static_cast<uint32_t>(code);
            }
        }
        if (next()) {
            const char* p = SkipBlanks(line);
            if (*p) {
                CGeo position;
                position.SetLatLon(p);
                mdLatitude = position.GetLatitude();
                mdLongitude = position.GetLongitude();
            }
        }
        if (next() && *SkipBlanks(line)) CStrConv::StringToDouble(line, &mdAngularResolution);
        if (next() && *SkipBlanks(line)) CStrConv::StringToDouble(line, &mdAngularSmoothing);
        if (next()) date = ReadDate(line);
        if (next()) {
            const char* p = line[0] == ' ' ? line + 1 : line;
            size_t n = strnlen(p, sizeof(mszComment) - 1);
            memcpy(mszComment, p, n);
            mszComment[n] = 0;
        }
        while (next()) {
            const char* mark = strstr(line, "UUID");
            if (mark == nullptr) continue;
            char text[257];
            const char* p = SkipBlanks(mark + 4);
            if (*p == ':' || *p == '=') p = SkipBlanks(p + 1);
            CStrConv::FindSubString(p, text, 256);
            SetBtfUUIDFromString(text);
            break;
        }
    }

    if (date < kPlausibleDate) {
        XFCatInfo info{};
        if (GetFileCatInfo(&info, 0) == kNoErr) date = info.modified;
    }
    mnTime = ClampTo1904(date);

    if (Allocate(count) != kNoErr) return kErrOutOfMemory;
    for (long i = 0; i < count; ++i) {
        auto at = [&](int block) { return columns[1 + block][static_cast<size_t>(i)]; };
        XLPattern pattern{at(0), at(2), at(4), at(6), {0, 0}};
        XLQuality quality{at(1), at(3), at(5), at(7)};
        if (AddNewVector(columns[0][static_cast<size_t>(i)], &pattern, &quality, nullptr, 0) == 0) {
            return kErrOutOfMemory;
        }
    }
    return kNoErr;
}

// From counter-clockwise bearings relative to the antenna to clockwise
// bearings from north, smallest first.
void CCrossLoopPattBtf::FinishPlainPattern() {
    AdjustBearings(-LimitDegrees(mdAntennaBearing, 0, 359.9999));
    FlipBearings();
    LimitBearings360();
    long smallest = 0;
    for (long i = 1; i < mnVectors; ++i) {
        if (mpBearings[static_cast<size_t>(i)] < mpBearings[static_cast<size_t>(smallest)]) {
            smallest = i;
        }
    }
    Rotate(smallest);
}

long CCrossLoopPattBtf::ProcessKeyword(unsigned long code, char* value) {
    const char* p = SkipBlanks(value);
    switch (code) {
        case BtfCode("ftyp"): {
            unsigned long type = 0;
            CStrConv::StringToCharCode(p, &type);
            return type == kLoopTypePattern ? kNoErr : kErrBadArgument;
        }
        case BtfCode("antb"): CStrConv::StringToDouble(p, &mdAntennaBearing); return kNoErr;
        case BtfCode("ares"): CStrConv::StringToDouble(p, &mdAngularResolution); return kNoErr;
        case BtfCode("asmo"): CStrConv::StringToDouble(p, &mdAngularSmoothing); return kNoErr;
        case BtfCode("site"): {
            uint32_t site = 0;
            BtfReadSiteCode(p, &site);
            mnSiteCode = site;
            return kNoErr;
        }
        case BtfCode("orig"):
        case BtfCode("rxpt"): {
            CGeo position;
            position.SetLatLon(p);
            mdLatitude = position.GetLatitude();
            mdLongitude = position.GetLongitude();
            return kNoErr;
        }
        case BtfCode("refc"): {
            long channel = 0;
            CStrConv::StringToLong(p, &channel);
            mnReferenceChannel = static_cast<int32_t>(channel);
            return kNoErr;
        }
        case BtfCode("nrng"):
        case BtfCode("ndop"): {
            long cells = 0;
            CStrConv::StringToLong(p, &cells);
            (code == BtfCode("nrng") ? mnRangeCells : mnDopplerCells) = static_cast<int32_t>(cells);
            return kNoErr;
        }
        case BtfCode("tist"): mnTime = ClampTo1904(ReadDate(p)); return kNoErr;
        case BtfCode("txfq"):
            CStrConv::StringToDouble(p, &mdTxCenterFreqHz);
            mdTxCenterFreqHz *= 1e6;
            return kNoErr;
        case BtfCode("txbw"):
            CStrConv::StringToDouble(p, &mdTxBandwidthHz);
            mdTxBandwidthHz *= 1e3;
            return kNoErr;
        case BtfCode("txsr"): CStrConv::StringToDouble(p, &mdTxSweepRateHz); return kNoErr;
        case BtfCode("ucom"): CStrConv::FindSubString(p, mszComment, sizeof(mszComment) - 1); return kNoErr;
        case BtfCode("ttyp"): return kNoErr;  // the reader keeps the table type
        default: return 1;
    }
}

void CCrossLoopPattBtf::CountColumns() {
    mnRealImagColumns = mnMagPhaseColumns = 0;
    for (int i = 0; i < kBtfMaxColumnTypes && mnColumnTypes[i] != 0; ++i) {
        const XColumnRole* role = RoleOf(mnColumnTypes[i]);
        if (role == nullptr) continue;
        if (IsRealImag(role->role)) ++mnRealImagColumns;
        if (IsMagPhase(role->role)) ++mnMagPhaseColumns;
    }
}

long CCrossLoopPattBtf::ProcessTableRow(char* row) {
    if (mnPatternTables > 0) return kNoErr;
    double values[kBtfMaxColumnTypes];
    double bearing = 0;
    unsigned long flag = 0;
    XLPattern pattern{};
    XLQuality quality{};

    if (mnColumnTypes[0] != 0) {
        long columns = 0;
        while (columns < kBtfMaxColumnTypes && mnColumnTypes[columns] != 0) ++columns;
        long count = ReadNumbers(row, values, columns);
        CountColumns();
        if (mnVectors == 0 && mnReferenceChannel == 0) {
            for (long i = 0; i < columns; ++i) {
                const XColumnRole* role = RoleOf(mnColumnTypes[i]);
                if (role != nullptr && role->referenceChannel != 0) {
                    mnReferenceChannel = role->referenceChannel;
                    break;
                }
            }
        }
        double magnitude[2] = {0, 0}, phase[2] = {0, 0};
        for (long i = 0; i < count; ++i) {
            const XColumnRole* role = RoleOf(mnColumnTypes[i]);
            if (role == nullptr) continue;
            double v = values[i];
            switch (role->role) {
                case Column::kBearing: bearing = v; break;
                case Column::kFlag: flag = (v > 0 && v < 4294967296.0) ? static_cast<unsigned long>(v) : 0; break;
                case Column::kA13R: pattern.a13r = v; break;
                case Column::kA13I: pattern.a13i = v; break;
                case Column::kA23R: pattern.a23r = v; break;
                case Column::kA23I: pattern.a23i = v; break;
                case Column::kQ13R: quality.q13r = v; break;
                case Column::kQ13I: quality.q13i = v; break;
                case Column::kQ23R: quality.q23r = v; break;
                case Column::kQ23I: quality.q23i = v; break;
                case Column::kMagnitude1: magnitude[0] = v; break;
                case Column::kMagnitude2: magnitude[1] = v; break;
                case Column::kPhase1: phase[0] = v; break;
                case Column::kPhase2: phase[1] = v; break;
                case Column::kSkip: break;
            }
        }
        if (mnRealImagColumns == 0 && mnMagPhaseColumns > 0) {
            pattern.a13r = magnitude[0] * std::cos(phase[0] * kDegreesToRadians);
            pattern.a13i = magnitude[0] * std::sin(phase[0] * kDegreesToRadians);
            pattern.a23r = magnitude[1] * std::cos(phase[1] * kDegreesToRadians);
            pattern.a23i = magnitude[1] * std::sin(phase[1] * kDegreesToRadians);
        }
    } else {
        long count = ReadNumbers(row, values, kUntypedRowMaximum);
        if (count < kUntypedRowMinimum) return kNoErr;
        for (long i = count; i < kUntypedRowMaximum; ++i) values[i] = 0;
        bearing = values[0];
        pattern = XLPattern{values[1], values[2], values[3], values[4], {0, 0}};
        quality = XLQuality{values[5], values[6], values[7], values[8]};
        flag = (values[9] > 0 && values[9] < 4294967296.0) ? static_cast<unsigned long>(values[9]) : 0;
    }
    if (mnTableType > kLastPlainTableType && bearing != kMissingBearing) {
        bearing += mdAntennaBearing;
    }
    return AddNewVector(bearing, &pattern, &quality, nullptr, flag) == 0 ? kErrOutOfMemory : kNoErr;
}

long CCrossLoopPattBtf::TableEnd() {
    ++mnPatternTables;
    return BTFReader::TableEnd();
}
