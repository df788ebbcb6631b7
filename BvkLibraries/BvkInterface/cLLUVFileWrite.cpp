// Writing LLUV table files: the header keywords that describe the site, time,
// geodesy and processing, one table of vectors whose columns follow the map
// type and the arrays the store keeps, and the closing lines; and the
// standard name of such a file.

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformTime.h"
#include "TextFormat.h"
#include "cGeo.h"
#include "cLLUVFile.h"
#include "cStrConv.h"

namespace {

constexpr uint32_t C(const char (&text)[5]) {
    return LLUVCode(text);
}

constexpr char kLLUVSpecText[] = "1.05  2007 06 25";
constexpr char kManufacturer[] = "Brenvik Marine. Tesmara";

// Row and title line buffers; the widest column set fits well within both.
constexpr size_t kRowSize = 512;
constexpr size_t kTitleSize = 1024;
// A column list holds at most this many codes before its 0 end.
constexpr size_t kMaxColumns = 27;

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;
// Bearings and directions are shown below a whole turn.
constexpr double kLimitShown = 359.99999;

// What a column shows, taken from the values gathered for the row.
enum EColumnValue {
    kValueLongitude,
    kValueLatitude,
    kValueU,
    kValueV,
    kValueFlags,
    kValueQuality0,
    kValueQuality1,
    kValueQuality2,
    kValueQuality3,
    kValueMaximum,  // quality slot 0 in the velocity unit
    kValueMinimum,  // quality slot 1 in the velocity unit
    kValueEditCount,
    kValueRadialCount,
    kValueZero,
    kValueX,
    kValueY,
    kValueRange,
    kValueBearing,
    kValueVelocity,
    kValueDirection,
    kValueWaveHeight,
    kValueContributors,
    kValueRangeCell,
    kValueSourceBearing,
    kValueBistaticAngle,
    kValueBistaticAdjustment,
    kValueNone,  // S2CN ... S6CN: covered by S1CN
};

// The second title of some columns is the unit name in parentheses.
enum EUnitTitle { kTitleFixed, kTitleVelocityUnit, kTitleDistanceUnit };

struct XColumnFormat {
    uint32_t code;
    const char* title1;
    const char* title2;
    EUnitTitle unitTitle;
    long unitWidth;
    EColumnValue value;
    const char* format;
};

constexpr XColumnFormat kColumnFormats[] = {
    {C("LOND"), "  Longitude ", "    (deg)   ", kTitleFixed, 0, kValueLongitude, " %12.7f"},
    {C("LATD"), "  Latitude  ", "    (deg)   ", kTitleFixed, 0, kValueLatitude, " %11.7f"},
    {C("VELU"), "  U comp ", nullptr, kTitleVelocityUnit, 9, kValueU, " %8.3f"},
    {C("VELV"), "  V comp ", nullptr, kTitleVelocityUnit, 9, kValueV, " %8.3f"},
    {C("TOSU"), "  U comp ", "         ", kTitleFixed, 0, kValueU, " %8.3f"},
    {C("TOSV"), "  V comp ", "         ", kTitleFixed, 0, kValueV, " %8.3f"},
    {C("WPDU"), "  U comp ", "         ", kTitleFixed, 0, kValueU, " %8.3f"},
    {C("WPDV"), "  V comp ", "         ", kTitleFixed, 0, kValueV, " %8.3f"},
    {C("VFLG"), " VectorFlag ", " (GridCode) ", kTitleFixed, 0, kValueFlags, " %10ld "},
    {C("STDV"), "   StdDev   ", "   Quality  ", kTitleFixed, 0, kValueQuality2, " %10.3f "},
    {C("UQAL"), "  U StdDev  ", "   Quality  ", kTitleFixed, 0, kValueQuality0, " %10.3f "},
    {C("VQAL"), "  V StdDev  ", "   Quality  ", kTitleFixed, 0, kValueQuality1, " %10.3f "},
    {C("CQAL"), " Covariance ", "   Quality  ", kTitleFixed, 0, kValueQuality2, " %10.3f "},
    {C("RSVD"), "  Reserved  ", "   (zero)   ", kTitleFixed, 0, kValueZero, " %10.3f "},
    {C("ESPC"), "   Spatial  ", "   Quality  ", kTitleFixed, 0, kValueQuality2, " %10.3f "},
    {C("ETMP"), "  Temporal  ", "   Quality  ", kTitleFixed, 0, kValueQuality3, " %10.3f "},
    {C("MAXV"), "   Velocity ", "   Maximum  ", kTitleFixed, 0, kValueMaximum, " %10.3f "},
    {C("MINV"), "   Velocity ", "   Minimum  ", kTitleFixed, 0, kValueMinimum, " %10.3f "},
    {C("EDVC"), " Quality ", " DVCount ", kTitleFixed, 0, kValueEditCount, " %6ld  "},
    {C("ERTC"), " Quality ", " RTCount ", kTitleFixed, 0, kValueRadialCount, " %6ld  "},
    {C("QTSU"), " Correlation", "    factor  ", kTitleFixed, 0, kValueQuality0, " %10.3f "},
    {C("XDST"), " X Distance ", nullptr, kTitleDistanceUnit, 12, kValueX, " %10.4f "},
    {C("YDST"), " Y Distance ", nullptr, kTitleDistanceUnit, 12, kValueY, " %10.4f "},
    {C("RNGE"), "  Range  ", nullptr, kTitleDistanceUnit, 9, kValueRange, " %8.4f"},
    {C("BEAR"), " Bearing ", "(deg NCW)", kTitleFixed, 0, kValueBearing, " %7.1f  "},
    {C("VELO"), "  Velocity ", nullptr, kTitleVelocityUnit, 11, kValueVelocity, " %8.3f "},
    {C("HEAD"), " Direction ", " (deg NCW) ", kTitleFixed, 0, kValueDirection, "  %7.1f  "},
    {C("TTOS"), " TimeToShore", "  (minutes) ", kTitleFixed, 0, kValueVelocity, " %7.1f    "},
    {C("WAVD"), " Wave Dir. ", " (deg NCW) ", kTitleFixed, 0, kValueDirection, "  %7.1f  "},
    {C("WVPD"), "  Period ", "    (s)  ", kTitleFixed, 0, kValueVelocity, " %7.2f "},
    {C("WVHT"), " Height ", "   (m)  ", kTitleFixed, 0, kValueWaveHeight, " %6.2f"},
    {C("S1CN"), " Site Contributers       ", " (#1)(#2)(#3)(#4)(#5)(#6)", kTitleFixed, 0,
     kValueContributors, "  %3ld %3ld %3ld %3ld %3ld %3ld"},
    {C("S2CN"), nullptr, nullptr, kTitleFixed, 0, kValueNone, nullptr},
    {C("S3CN"), nullptr, nullptr, kTitleFixed, 0, kValueNone, nullptr},
    {C("S4CN"), nullptr, nullptr, kTitleFixed, 0, kValueNone, nullptr},
    {C("S5CN"), nullptr, nullptr, kTitleFixed, 0, kValueNone, nullptr},
    {C("S6CN"), nullptr, nullptr, kTitleFixed, 0, kValueNone, nullptr},
    {C("SPRC"), "  Spectra", "  RngCell", kTitleFixed, 0, kValueRangeCell, "  %6ld "},
    {C("SAOA"), " Receiver", " AOA(deg)", kTitleFixed, 0, kValueSourceBearing, " %7.1f "},
    {C("BANG"), "  Bistatic ", " Angle(deg)", kTitleFixed, 0, kValueBistaticAngle, " %7.1f   "},
    {C("BADJ"), "  Bistatic ", " Adjustment", kTitleFixed, 0, kValueBistaticAdjustment,
     " %7.3f   "},
};

const XColumnFormat* FindColumnFormat(uint32_t code) {
    for (const XColumnFormat& column : kColumnFormats) {
        if (column.code == code) return &column;
    }
    return nullptr;
}

// The values of one row. A group whose data are missing for a vector keeps
// what it held for the previous one.
struct XRowValues {
    double longitude = 0, latitude = 0, u = 0, v = 0;
    double x = 0, y = 0;
    double waveHeight = 0;
    double range = 0, bearing = 0, velocity = 0, direction = 0;
    uint32_t flags = 0;
    long editCount = 0, radialCount = 0;
    double quality[4] = {};
    long contributors[6] = {};
    long rangeCell = 0;
    double sourceBearing = 0;
    double bistaticAngle = 0;
};

// A line being built column by column; its length is carried along, so no
// column has to measure the line so far again.
struct XLineText {
    char* text;
    size_t size;
    size_t used;
};

// Appends formatted text to the line, cut at the end of its buffer.
void AppendFormat(XLineText& line, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendFormat(XLineText& line, const char* format, ...) {
    if (line.used + 1 >= line.size) return;
    va_list args;
    va_start(args, format);
    const int n = FormatIntoV(line.text + line.used, line.size - line.used, format, args);
    va_end(args);
    // A cut text fills the line up to its terminator.
    if (n > 0) line.used += std::min(static_cast<size_t>(n), line.size - line.used - 1);
}

// Appends one value by a format compiled once for the column; a format that
// did not compile goes through the general formatter.
template <typename T>
void AppendValue(XLineText& line, const CFormatOne& compiled, const char* format, T value) {
    if (line.used + 1 >= line.size) return;
    int n = compiled.Format(line.text + line.used, line.size - line.used, value);
    if (n < 0) return AppendFormat(line, format, value);
    line.used += std::min(static_cast<size_t>(n), line.size - line.used - 1);
}

// A rounded value that is 0 is shown without a sign.
double Unsigned0(double value) {
    return value + 0.0;
}

// The first quality record (the arrays are zero-filled, so a store without
// vectors reads zeros); the subtype and the optional counts follow it.
XQualityVector FirstQuality(const CLLUVFile& store) {
    XQualityVector first{};
    if (store.mpQuality && store.mnAllocated > 0) first = store.mpQuality[0];
    return first;
}

bool HasGeographicForm(const CLLUVFile& store) {
    return store.mpLLUV &&
           (store.mnVectorType == kLLUVVectorGeographic || store.mnVectorType == kLLUVVectorFull);
}

bool HasPolarForm(const CLLUVFile& store) {
    return store.mpRBVD &&
           (store.mnVectorType == kLLUVVectorPolar || store.mnVectorType == kLLUVVectorFull);
}

bool HasQuality(const CLLUVFile& store) {
    return store.mnQualityMode != 0 && store.mpQuality;
}
bool HasDistance(const CLLUVFile& store) {
    return store.mnUseDistance != 0 && store.mpDist;
}

struct XFileKind {
    uint32_t tableType;
    uint32_t tableSubType;
    const char* mapName;
};

XFileKind FileKind(const CLLUVFile& store) {
    switch (store.mnMapType) {
        case kLLUVMapRadial: {
            if (store.mnQualityMode <= 6) return {C("LLUV"), C("RDL3"), "RadialMap"};
            if (!store.mpQuality) return {C("LLUV"), C("RDL7"), "RadialMap"};
            const XQualityVector first = FirstQuality(store);
            if (first.mnRadialCount != 0) return {C("LLUV"), C("RDL7"), "RadialMap"};
            if (first.mnEditCount != 0) return {C("LLUV"), C("RDL6"), "RadialMap"};
            return {C("LLUV"), C("RDL5"), "RadialMap"};
        }
        case kLLUVMapElliptical:
            return {0, C("ELP7"), "EllipticalMap"};
        case kLLUVMapTsunami:
            return {C("LLTM"), C("TM01"), "TsunamiCorrelationMap"};
        case kLLUVMapWave:
            return {C("LLWV"), C("WVM1"), "WaveMap"};
        default:
            return {C("LLUV"), C("TOT4"), "CurrentMap"};
    }
}

// A 0-terminated column list.
class CColumnList {
  public:
    void Add(std::initializer_list<uint32_t> codes) {
        for (uint32_t code : codes) {
            if (mnCount < kMaxColumns) mCodes[mnCount++] = code;
        }
        mCodes[mnCount] = 0;
    }
    unsigned long* Codes() { return mCodes; }
    size_t Count() const { return mnCount; }
    uint32_t operator[](size_t i) const { return static_cast<uint32_t>(mCodes[i]); }

  private:
    unsigned long mCodes[kMaxColumns + 1] = {};
    size_t mnCount = 0;
};

void AddQualityColumns(const CLLUVFile& store, CColumnList& list) {
    switch (store.mnQualityMode) {
        case 1:
            list.Add({C("STDV")});
            break;
        case 2:
            list.Add({C("UQAL"), C("VQAL")});
            break;
        case 3:
            list.Add({C("VFLG"), C("UQAL"), C("VQAL")});
            break;
        case 4:
            list.Add({C("VFLG"), C("UQAL"), C("VQAL"), C("CQAL")});
            break;
        case 5:
            list.Add({C("VFLG"), C("RSVD"), C("RSVD"), C("STDV")});
            break;
        case 6:
            list.Add({C("VFLG"), C("ESPC"), C("ETMP")});
            break;
        case 7: {
            list.Add({C("VFLG"), C("ESPC"), C("ETMP"), C("MAXV"), C("MINV")});
            const XQualityVector first = FirstQuality(store);
            if (first.mnEditCount > 0) list.Add({C("EDVC")});
            if (first.mnRadialCount > 0) list.Add({C("ERTC")});
            break;
        }
        default:
            break;
    }
}

// The columns of the map and the arrays kept; the table type may change.
void BuildColumns(const CLLUVFile& store, CColumnList& list, uint32_t* tableType) {
    const bool geographic = HasGeographicForm(store);
    const bool polar = HasPolarForm(store);
    if (store.mnMapType == kLLUVMapTsunami) {
        if (geographic) list.Add({C("LOND"), C("LATD"), C("TOSU"), C("TOSV")});
        if (HasQuality(store)) list.Add({C("VFLG"), C("QTSU")});
        if (polar) list.Add({C("TTOS"), C("WAVD")});
        if (HasDistance(store)) list.Add({C("XDST"), C("YDST")});
        if (polar) list.Add({C("RNGE"), C("BEAR")});
    } else if (store.mnMapType == kLLUVMapWave) {
        if (geographic) list.Add({C("LOND"), C("LATD"), C("WPDU"), C("WPDV")});
        if (HasQuality(store)) list.Add({C("VFLG")});
        if (HasDistance(store)) list.Add({C("XDST"), C("YDST")});
        if (polar) list.Add({C("RNGE"), C("BEAR"), C("WVPD"), C("WAVD")});
        if (store.mpWaveMap) list.Add({C("WVHT")});
    } else {
        if (geographic) {
            list.Add({C("LOND"), C("LATD"), C("VELU"), C("VELV")});
            *tableType = C("LLUV");
        }
        if (store.mpQuality) AddQualityColumns(store, list);
        if (HasDistance(store)) list.Add({C("XDST"), C("YDST")});
        if (polar) {
            list.Add({C("RNGE"), C("BEAR"), C("VELO"), C("HEAD")});
            if (*tableType == 0) *tableType = C("RBVD");
        }
        if (store.mnContributorCount != 0 && store.mpContributors)
            list.Add({C("S1CN"), C("S2CN"), C("S3CN"), C("S4CN"), C("S5CN"), C("S6CN")});
        const long mask = store.mnSpectraSourceMask;
        if ((mask & 1) && store.mpSpectraSource) list.Add({C("SPRC")});
        if ((mask & 2) && store.mpSpectraSource &&
            (store.mdReceiverX != 0 || store.mdReceiverY != 0))
            list.Add({C("SAOA")});
        if (mask & 8) list.Add({C("BANG")});
        if (mask & 16) list.Add({C("BADJ")});
    }
    if (*tableType == 0) *tableType = C("LLUV");
}

// "(" + the first five characters of the unit name + ")", centred.
void UnitTitle(const char* unit, long width, char (&title)[32]) {
    std::snprintf(title, sizeof title, "(%.5s)", unit);
    CStrConv::PadString(title, width);
}

void WriteTitles(CLLUVFile& store, const CColumnList& list) {
    char lines[2][kTitleSize] = {"% ", "% "};
    XLineText first{lines[0], kTitleSize, 2};
    XLineText second{lines[1], kTitleSize, 2};
    for (size_t i = 0; i < list.Count(); ++i) {
        const XColumnFormat* column = FindColumnFormat(list[i]);
        if (!column || column->value == kValueNone) continue;
        AppendFormat(first, "%s", column->title1);
        if (column->unitTitle == kTitleFixed) {
            AppendFormat(second, "%s", column->title2);
        } else {
            char title[32];
            UnitTitle(column->unitTitle == kTitleVelocityUnit ? store.msVelocityUnits
                                                              : store.msDistanceUnits,
                      column->unitWidth, title);
            AppendFormat(second, "%s", title);
        }
    }
    store.WriteComment(lines[0]);
    store.WriteComment(lines[1]);
}

void GatherRow(const CLLUVFile& store, long i, double scale, XRowValues& row) {
    const double unit = store.mdDistanceUnitMeters;
    if (HasGeographicForm(store)) {
        const XLLUVVector& g = store.mpLLUV[i];
        row.longitude = RoundTo(g.mdLongitude, 1e-7);
        row.latitude = RoundTo(g.mdLatitude, 1e-7);
        row.u = RoundTo(g.mdVelocityU / scale, 1e-5);
        row.v = RoundTo(g.mdVelocityV / scale, 1e-5);
    }
    if (HasDistance(store)) {
        row.x = RoundTo(store.mpDist[i].mdX / unit, 1e-4);
        row.y = RoundTo(store.mpDist[i].mdY / unit, 1e-4);
    }
    if (store.mnUseWaveMap != 0 && store.mpWaveMap)
        row.waveHeight = store.mpWaveMap[i].mdWaveHeight;
    if (HasPolarForm(store)) {
        const XRBVDVector& p = store.mpRBVD[i];
        row.range = RoundTo(p.mdRange / unit, 1e-4);
        row.bearing = LimitDegrees(RoundTo(p.mdBearing, 0.1), 0, kLimitShown);
        row.velocity = RoundTo(p.mdVelocity / scale, 0.001);
        row.direction = LimitDegrees(RoundTo(p.mdDirection, 0.1), 0, kLimitShown);
    }
    if (HasQuality(store)) {
        const XQualityVector& q = store.mpQuality[i];
        row.flags = q.mnFlags;
        row.editCount = q.mnEditCount;
        row.radialCount = q.mnRadialCount;
        for (int k = 0; k < 4; ++k) row.quality[k] = q.mfQuality[k];
    }
    if (store.mnContributorCount != 0 && store.mpContributors) {
        for (int k = 0; k < 6; ++k)
            row.contributors[k] = static_cast<int16_t>(store.mpContributors[i].mnContributor[k]);
    }
    if (store.mnSpectraSourceMask != 0 && store.mpSpectraSource) {
        row.rangeCell = store.mpSpectraSource[i].mnRangeCell;
        row.sourceBearing = store.mpSpectraSource[i].mdBearing;
    }
    row.bistaticAngle = 0;
    // Without x/y offsets there is no angle to work from: it is shown as 0.
    if ((store.mnSpectraSourceMask & 8) && store.mpDist) {
        const XDistVector& d = store.mpDist[i];
        const double aT = std::atan2(d.mdY - store.mdTransmitterY, d.mdX - store.mdTransmitterX) *
                          kRadiansToDegrees;
        const double aR =
            std::atan2(d.mdY - store.mdReceiverY, d.mdX - store.mdReceiverX) * kRadiansToDegrees;
        row.bistaticAngle = DegreeDifference(aT, aR);
    }
}

void FormatColumn(const XColumnFormat& column, const CFormatOne& compiled, const XRowValues& row,
                  double scale, XLineText& text) {
    auto real = [&](double value) {
        AppendValue(text, compiled, column.format, Unsigned0(value));
    };
    auto whole = [&](long value) { AppendValue(text, compiled, column.format, value); };
    switch (column.value) {
        case kValueLongitude:
            return real(row.longitude);
        case kValueLatitude:
            return real(row.latitude);
        case kValueU:
            return real(row.u);
        case kValueV:
            return real(row.v);
        case kValueQuality0:
            return real(row.quality[0]);
        case kValueQuality1:
            return real(row.quality[1]);
        case kValueQuality2:
            return real(row.quality[2]);
        case kValueQuality3:
            return real(row.quality[3]);
        case kValueMaximum:
            return real(row.quality[0] / scale);
        case kValueMinimum:
            return real(row.quality[1] / scale);
        case kValueZero:
            return real(0.0);
        case kValueX:
            return real(row.x);
        case kValueY:
            return real(row.y);
        case kValueRange:
            return real(row.range);
        case kValueBearing:
            return real(row.bearing);
        case kValueVelocity:
            return real(row.velocity);
        case kValueDirection:
            return real(row.direction);
        case kValueWaveHeight:
            return real(row.waveHeight);
        case kValueSourceBearing:
            return real(row.sourceBearing);
        case kValueBistaticAngle:
            return real(row.bistaticAngle);
        case kValueBistaticAdjustment:
            return real(std::cos(row.bistaticAngle * kDegreesToRadians * 0.5));
        case kValueFlags:
            return whole(static_cast<long>(row.flags));
        case kValueEditCount:
            return whole(row.editCount);
        case kValueRadialCount:
            return whole(row.radialCount);
        case kValueRangeCell:
            return whole(row.rangeCell);
        case kValueContributors:
            return AppendFormat(text, column.format, row.contributors[0], row.contributors[1],
                                row.contributors[2], row.contributors[3], row.contributors[4],
                                row.contributors[5]);
        case kValueNone:
            return;
    }
}

// A vector without finite values is no measurement: it gets no row rather
// than one of "nan" or "inf" text.
bool RowIsFinite(const XRowValues& row, double scale) {
    const double values[] = {row.longitude,
                             row.latitude,
                             row.u,
                             row.v,
                             row.x,
                             row.y,
                             row.waveHeight,
                             row.range,
                             row.bearing,
                             row.velocity,
                             row.direction,
                             row.quality[0],
                             row.quality[1],
                             row.quality[2],
                             row.quality[3],
                             row.sourceBearing,
                             row.bistaticAngle,
                             row.quality[0] / scale,
                             row.quality[1] / scale};
    for (double value : values)
        if (!std::isfinite(value)) return false;
    return true;
}

// Values within this bound stay finite through every division by a unit
// and every rounding a row makes of them.
constexpr double kModerate = 1e250;

bool Moderate(double value) {
    return std::fabs(value) <= kModerate;  // false for NaN
}

bool ModerateDivisor(double value) {
    return Moderate(value) && std::fabs(value) >= 1e-30;
}

// Whether the vector's row is surely finite, without the divisions that
// gathering it takes: every value it is made from is finite and moderate.
// False says nothing; the row must then be gathered to tell.
bool RowSurelyFinite(const CLLUVFile& store, long i) {
    bool moderate = true;
    if (store.mpLLUV) {
        const XLLUVVector& g = store.mpLLUV[i];
        moderate = Moderate(g.mdLongitude) && Moderate(g.mdLatitude) && Moderate(g.mdVelocityU) &&
                   Moderate(g.mdVelocityV);
    }
    if (store.mpRBVD) {
        const XRBVDVector& p = store.mpRBVD[i];
        moderate = moderate && Moderate(p.mdRange) && Moderate(p.mdBearing) &&
                   Moderate(p.mdVelocity) && Moderate(p.mdDirection);
    }
    if (store.mpDist)
        moderate = moderate && Moderate(store.mpDist[i].mdX) && Moderate(store.mpDist[i].mdY);
    if (store.mpWaveMap) moderate = moderate && Moderate(store.mpWaveMap[i].mdWaveHeight);
    if (store.mpSpectraSource) moderate = moderate && Moderate(store.mpSpectraSource[i].mdBearing);
    if (store.mpQuality) {
        for (int k = 0; k < 4; ++k)
            moderate = moderate && std::isfinite(store.mpQuality[i].mfQuality[k]);
    }
    return moderate;
}

long CountFiniteRows(const CLLUVFile& store, double scale) {
    const bool unitsModerate = ModerateDivisor(scale) &&
                               ModerateDivisor(store.mdDistanceUnitMeters) &&
                               Moderate(store.mdTransmitterX) && Moderate(store.mdTransmitterY) &&
                               Moderate(store.mdReceiverX) && Moderate(store.mdReceiverY);
    XRowValues values;
    long count = 0;
    for (long i = 0; i < store.mnVectors; ++i) {
        if (unitsModerate && RowSurelyFinite(store, i)) {
            ++count;
            continue;
        }
        GatherRow(store, i, scale, values);
        if (RowIsFinite(values, scale)) ++count;
    }
    return count;
}

void WriteRows(CLLUVFile& store, const CColumnList& list, double scale) {
    const XColumnFormat* formats[kMaxColumns] = {};
    CFormatOne compiled[kMaxColumns];
    for (size_t c = 0; c < list.Count(); ++c) {
        formats[c] = FindColumnFormat(list[c]);
        if (formats[c]) compiled[c].Compile(formats[c]->format);
    }
    XRowValues values;
    for (long i = 0; i < store.mnVectors; ++i) {
        GatherRow(store, i, scale, values);
        if (!RowIsFinite(values, scale)) continue;
        char row[kRowSize];
        row[0] = 0;
        XLineText text{row, kRowSize, 0};
        for (size_t c = 0; c < list.Count(); ++c) {
            if (formats[c]) FormatColumn(*formats[c], compiled[c], values, scale, text);
        }
        size_t length = text.used;
        while (length > 0 && row[length - 1] == ' ') row[--length] = 0;
        store.WriteTableRow(row);
    }
}

const char* MergeMethodName(long method) {
    if (method == 1) return "MedianVectors";
    if (method == 2) return "AveragedVectors";
    return "";
}

const char* PatternMethodName(long method) {
    if (method == 1) return "PatternVectors";
    if (method == 2) return "OverwaterVectors";
    if (method == 3) return "AnywhereVectors";
    return "";
}

// Where an offset east and north of the origin lies.
CGeo OffsetFromOrigin(const CLLUVFile& store, double x, double y) {
    CGeo point;
    point.SetLatLon(store.mdOriginLatitude, store.mdOriginLongitude);
    point.AddXYDistance(x, y, nullptr);
    return point;
}

void WriteRadialKeywords(CLLUVFile& s) {
    if (s.mdReceiverX != 0 || s.mdReceiverY != 0) {
        const CGeo receiver = OffsetFromOrigin(s, s.mdReceiverX, s.mdReceiverY);
        s.WriteReceiverLocation(receiver.GetLatitude(), receiver.GetLongitude());
    }
    if (s.mdTransmitterX != 0 || s.mdTransmitterY != 0) {
        const CGeo transmitter = OffsetFromOrigin(s, s.mdTransmitterX, s.mdTransmitterY);
        s.WriteTransmitterLocation(transmitter.GetLatitude(), transmitter.GetLongitude());
    }
    if (s.mfAntennaBearing < 900.0f)
        s.WriteKeywordf(C("antb"), "%.1f DegNCW", static_cast<double>(s.mfAntennaBearing));
    if (s.mfTemperature != 0)
        s.WriteKeywordf(C("heat"), "%.1f Celcius", static_cast<double>(s.mfTemperature));
    if (s.mdRangeResolutionMeters != 0) {
        if (s.mdRangeResolutionMeters >= 500.0)
            s.WriteKeywordf(C("rdis"), "%.4f", s.mdRangeResolutionMeters / 1000.0);
        else
            s.WriteKeywordf(C("rdsm"), "%.2f", s.mdRangeResolutionMeters);
    }
    if (s.mdTransmitFrequencyHz != 0)
        s.WriteKeywordf(C("txfq"), "%.6f", s.mdTransmitFrequencyHz / 1000000.0);
    if (s.mdTransmitBandwidthHz != 0)
        s.WriteKeywordf(C("txbw"), "%.6f", s.mdTransmitBandwidthHz / 1000.0);
    if (s.mdSweepRateHz != 0) s.WriteKeywordf(C("txsr"), "%.6f", s.mdSweepRateHz);
    if (s.mdDopplerResolutionHz != 0) s.WriteKeywordf(C("dhpb"), "%.9f", s.mdDopplerResolutionHz);
    if (s.mnBraggSmoothingPoints != 0) s.WriteKeywordf(C("bspt"), "%ld", s.mnBraggSmoothingPoints);
    if (s.mfMaximumCurrentVelocity != 0)
        s.WriteKeywordf(C("cvlm"), "%.1f", static_cast<double>(s.mfMaximumCurrentVelocity));
    if (s.mnBraggSmoothingPoints != 0) s.WriteKeywordf(C("bord"), "%ld", s.mnBraggHasSecondOrder);
    if (s.mfRadialBraggPeakDropOff != 0)
        s.WriteKeywordf(C("rpdo"), "%.3f", static_cast<double>(s.mfRadialBraggPeakDropOff));
    if (s.mfRadialBraggPeakNull != 0)
        s.WriteKeywordf(C("rbpn"), "%.3f", static_cast<double>(s.mfRadialBraggPeakNull));
    if (s.mfRadialBraggNoiseThreshold != 0)
        s.WriteKeywordf(C("rbnt"), "%.3f", static_cast<double>(s.mfRadialBraggNoiseThreshold));
    auto pair = [&s](uint32_t code, const char* format, const float(&values)[2]) {
        if (values[0] != 0 || values[1] != 0)
            s.WriteKeywordf(code, format, static_cast<double>(values[0]),
                            static_cast<double>(values[1]));
    };
    pair(C("pamc"), "%.4f  %.4f", s.mfPatternAmplitudeCorrections);
    pair(C("pphc"), "%.2f  %.2f", s.mfPatternPhaseCorrections);
    pair(C("bamc"), "%.4f  %.4f", s.mfPatternAmplitudeCalculations);
    pair(C("bphc"), "%.2f  %.2f", s.mfPatternPhaseCalculations);
    if (s.mfMusicParameters[0] != 0)
        s.WriteKeywordf(C("mupm"), "%.3f %.3f %.3f", static_cast<double>(s.mfMusicParameters[0]),
                        static_cast<double>(s.mfMusicParameters[1]),
                        static_cast<double>(s.mfMusicParameters[2]));
    if (s.mnRadialSmoothing != 0) s.WriteKeywordf(C("rasm"), "%ld", s.mnRadialSmoothing);
    if (s.mnMergedCount != 0) s.WriteKeywordf(C("nmrd"), "%ld", s.mnMergedCount);
    if (s.mnRadialMinimumMergePoints != 0)
        s.WriteKeywordf(C("rmpf"), "%ld", s.mnRadialMinimumMergePoints);
    if (s.mnFirstOrderCalc >= 0) s.WriteKeywordf(C("focu"), "%ld", s.mnFirstOrderCalc);
    if (s.mnMergeMethod != 0)
        s.WriteKeywordf(C("rmed"), "%ld %s", s.mnMergeMethod, MergeMethodName(s.mnMergeMethod));
    if (s.mnPatternMethod != 0)
        s.WriteKeywordf(C("pmed"), "%ld %s", s.mnPatternMethod,
                        PatternMethodName(s.mnPatternMethod));
    if (s.mnRangeStart != 0 || s.mnRangeEnd != 0) {
        // The start is written as cell 1 whatever the first cell; the end is
        // the store's last cell.
        s.WriteKeywordf(C("rbeg"), "%d", 1);
        s.WriteKeywordf(C("rend"), "%ld", s.mnRangeEnd);
    }
    s.WriteKeywordf(C("refb"), "%.0f DegNCW", static_cast<double>(s.mfReferenceBearing));
    const bool knownPattern = s.mnPatternType == 1 || s.mnPatternType == 2;
    if (knownPattern) s.WriteKeyword(C("patk"), s.mnPatternType == 1 ? "Ideal" : "Measured");
    if (knownPattern && s.mnPatternDate != 0) {
        XCalendarDate date{};
        PlatformSecondsToDate(s.mnPatternDate, &date);
        s.WriteKeywordf(C("patd"), "%04ld %02ld %02ld  %02ld %02ld %02ld", date.year, date.month,
                        date.day, date.hour, date.minute, date.second);
    }
    if (knownPattern && s.mfPatternResolution != 0)
        s.WriteKeywordf(C("patr"), "%.1f deg", static_cast<double>(s.mfPatternResolution));
    if (knownPattern && s.mfPatternSmoothing != 0)
        s.WriteKeywordf(C("pats"), "%.1f deg", static_cast<double>(s.mfPatternSmoothing));
    if (s.msPatternUUID[0]) s.WriteKeyword(C("pati"), s.msPatternUUID);
}

void WriteTsunamiKeywords(CLLUVFile& s) {
    s.WriteKeywordf(C("tdbr"), "%.1f Deg NCW", s.mdTsunamiDirectionOfArrival);
    s.WriteKeywordf(C("tstw"), "%.2f km", s.mdTsunamiStripThickness / 1000.0);
    s.WriteKeywordf(C("tsbr"), "%.1f Deg NCW", s.mdTsunamiShelfBearing);
    s.WriteKeywordf(C("trbc"), "%.3f minutes", s.mdTsunamiCoverageLong / 60.0);
    s.WriteKeywordf(C("trqc"), "%.3f minutes", s.mdTsunamiCoverageShort / 60.0);
    s.WriteKeywordf(C("tsty"), "%ld", s.mnTsunamiSimType);
    if (s.mnTsunamiSimType == 0) return;
    s.WriteTimeStamp(C("tsst"), s.mdTsunamiSimShelfStart);
    s.WriteKeywordf(C("tssf"), "%.1f", s.mdTsunamiSimSlowness);
    s.WriteKeywordf(C("tswh"), "%.1f cm", s.mdTsunamiSimWaveHeight * 100.0);
    s.WriteKeywordf(C("tswp"), "%.1f minutes", s.mdTsunamiSimWavePeriod);
}

}  // namespace

long CLLUVFile::WriteUVFile(CFileSpec* file, unsigned long creator) {
    if (file) SetFileSpec(file);
    long err = CreateFile(nullptr, creator, 1);
    if (err != kNoErr) {
        // Whatever was begun must not take the place of the old file.
        AbandonFile();
        mbWritingFile = false;
        return err;
    }

    const XFileKind kind = FileKind(*this);
    err = WriteFileType(C("LLUV"), mnMapType, kind.mapName);
    if (err != kNoErr) {
        AbandonFile();
        mbWritingFile = false;
        return err;
    }

    // Common header. Every file written is a new one with its own identifier.
    WriteKeyword(C("lluv"), kLLUVSpecText);
    SetBtfUUIDRef(nullptr);
    WriteUUID(nullptr, nullptr);
    WriteBtfNotes();
    WriteManufacturer(kManufacturer);
    WriteSiteName(mnBtfSiteCode, mszBtfSiteName);
    const double stamp = GetBtfTimeStamp1904();
    const unsigned long seconds = !(stamp > 0)            ? 0ul
                                  : stamp >= 4294967295.0 ? 4294967295ul
                                                          : static_cast<unsigned long>(stamp);
    WriteTimeStamp(seconds);
    if (HasBtfTimeZone()) WriteTimeZone(seconds);
    WriteTimeCoverage(static_cast<double>(mnTimeCoverageSeconds) / 60.0);
    WriteOriginLocation(mdOriginLatitude, mdOriginLongitude);
    WriteKeywordf(C("gerd"), "%s", msGreatCircle);
    WriteKeywordf(C("vgeo"), "%s", msGeodVersion);
    if (mnCombineMethod != 0) WriteKeywordf(C("cmed"), "%ld", mnCombineMethod);

    if (mnMapType == kLLUVMapRadial || mnMapType == kLLUVMapElliptical)
        WriteRadialKeywords(*this);
    else if (mnMapType == kLLUVMapTsunami)
        WriteTsunamiKeywords(*this);

    if (mdDistanceUnitMeters != 1000.0)
        WriteKeywordf(C("xyun"), "\"%s\" %.3f", msDistanceUnits, mdDistanceUnitMeters);
    if (mdVelocityUnitMetersPerSecond != 0.01)
        WriteKeywordf(C("uvun"), "\"%s\" %.3f", msVelocityUnits, mdVelocityUnitMetersPerSecond);

    CColumnList columns;
    uint32_t tableType = kind.tableType;
    BuildColumns(*this, columns, &tableType);
    // Wave and tsunami maps keep their velocity-slot values as they are.
    const double scale = (mnMapType == kLLUVMapWave || mnMapType == kLLUVMapTsunami)
                             ? 1.0
                             : mdVelocityUnitMetersPerSecond;
    StartTable(CountFiniteRows(*this, scale), static_cast<long>(columns.Count()), tableType,
               kind.tableSubType, columns.Codes());
    WriteTitles(*this, columns);
    WriteRows(*this, columns, scale);

    long result = EndTable();
    if (msProcessingComment[0]) {
        WriteComment("%");
        result = WriteKeywordf("ProcessingComment", "\"%s\"", msProcessingComment);
    }
    // A file that could not be completed is abandoned by the close; that is
    // a failure even when the table itself ended well.
    const long closed = CloseFile();
    return result != kNoErr ? result : closed;
}

void CLLUVFile::GetUVFilename(char* name, char letter, char* extension, unsigned long site,
                              unsigned long time) {
    if (!name) return;
    if (time == 0) time = mnOriginTime;
    if (time == 0) time = PlatformNow1904Local();
    XCalendarDate date{};
    PlatformSecondsToDate(static_cast<int64_t>(time), &date);

    char prefix[8];
    const char* standard = "LLUV";
    const char* standardExtension = ".lluv";
    switch (mnMapType) {
        case kLLUVMapElliptical:
            standard = "ELTs";
            standardExtension = ".euv";
            break;
        case kLLUVMapRadial:
            standard = "RDLs";
            standardExtension = ".ruv";
            break;
        case kLLUVMapTsunami:
            standard = "TMAP";
            standardExtension = ".tmap";
            break;
        case kLLUVMapTotal:
            standard = "TOTL";
            standardExtension = ".tuv";
            break;
        case kLLUVMapWave:
            standard = "WVMP";
            standardExtension = ".wvmp";
            break;
        default:
            break;
    }
    std::snprintf(prefix, sizeof prefix, "%s", standard);
    if (letter != 0) prefix[3] = letter;

    if (site != 0) {
        mnSiteCode = static_cast<uint32_t>(site);
        mnBtfSiteCode = static_cast<uint32_t>(site);
    } else {
        site = mnBtfSiteCode;
        if (site == 0) {
            site = LLUVCode("XXXX");
            mnSiteCode = static_cast<uint32_t>(site);
        }
    }
    char siteText[8] = {};
    CStrConv::CharCodeToString(siteText, site);

    char ending[32];
    if (extension && extension[0] == '.')
        std::snprintf(ending, sizeof ending, "%s", extension);
    else
        std::snprintf(ending, sizeof ending, "%s%s", extension ? extension : "", standardExtension);

    std::snprintf(name, 64, "%s_%s_%04d_%02d_%02d_%02d%02d%s", prefix, siteText,
                  static_cast<int>(date.year), static_cast<int>(date.month),
                  static_cast<int>(date.day), static_cast<int>(date.hour),
                  static_cast<int>(date.minute), ending);
}
