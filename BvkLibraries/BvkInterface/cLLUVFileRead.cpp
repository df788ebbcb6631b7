// Reading LLUV table files: the accepted file types, the header keywords the
// store keeps, and the rows of the file's first table.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "BTFSiteCode.h"
#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformTime.h"
#include "cGeo.h"
#include "cLLUVFile.h"
#include "cStrConv.h"

namespace {

constexpr uint32_t C(const char (&text)[5]) {
    return LLUVCode(text);
}

// File types of the LLUV family (the first code of "%FileType:").
constexpr uint32_t kAcceptedFileTypes[] = {C("LLUV"), C("RDIF"), C("ETIF"), C("TOIF"),
                                           C("TSIF"), C("TMAP"), C("WAVE"), C("WMIF")};

// Table types whose rows become vectors.
constexpr uint32_t kReadableTables[] = {C("LLUV"), C("LLWV"), C("RBVD"), C("XYUV")};

// Map type by the first three characters of the file subtype (the fourth is
// a version digit); anything else is a total map.
struct XMapBySubtype {
    char prefix[4];
    uint32_t mapType;
};
constexpr XMapBySubtype kMapBySubtype[] = {
    {"RUV", kLLUVMapRadial},     {"RDL", kLLUVMapRadial},     {"RAD", kLLUVMapRadial},
    {"rdl", kLLUVMapRadial},     {"EUV", kLLUVMapElliptical}, {"ELP", kLLUVMapElliptical},
    {"ELT", kLLUVMapElliptical}, {"elp", kLLUVMapElliptical}, {"TM0", kLLUVMapTsunami},
    {"tm0", kLLUVMapTsunami},    {"WVM", kLLUVMapWave},       {"wvm", kLLUVMapWave},
};

// Quality modes by the exact set of quality columns.
struct XModeByMask {
    uint32_t mask;
    long mode;
};
constexpr XModeByMask kModeByMask[] = {
    {0x2, 1}, {0x300, 2}, {0x301, 3}, {0x701, 4}, {0x3, 5}, {0xD, 6}, {0x6D, 7}, {0x86D, 7},
};

// Most untyped numbers a row gives.
constexpr long kMaxUntypedValues = 128;

bool Contains(const uint32_t* list, size_t count, uint32_t code) {
    for (size_t i = 0; i < count; ++i) {
        if (list[i] == code) return true;
    }
    return false;
}

// Integer conversions of file values that may be anything: NaN gives 0, the
// rest is truncated and clamped to the target's range.
long TruncateToLong(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9.2e18) return LONG_MAX;
    if (value <= -9.2e18) return LONG_MIN;
    return static_cast<long>(value);
}

uint32_t ClampToU32(double value) {
    if (std::isnan(value) || value <= 0.0) return 0;
    if (value >= 4294967295.0) return 4294967295u;
    return static_cast<uint32_t>(value);
}

long RoundToLong(double value) {
    return TruncateToLong(RoundTo(value, 1.0));
}

// Reads `count` floats one after the other.
void ReadFloats(const char* text, float* values, int count) {
    for (int i = 0; i < count; ++i) text += CStrConv::StringToFloat(text, &values[i]);
}

double ReadDouble(const char* text) {
    double value = 0.0;
    CStrConv::StringToDouble(text, &value);
    return value;
}

float ReadFloat(const char* text) {
    float value = 0.0f;
    CStrConv::StringToFloat(text, &value);
    return value;
}

long ReadLong(const char* text) {
    long value = 0;
    CStrConv::StringToLong(text, &value);
    return value;
}

// The first word or quoted text, then the unit size after it: 0 or missing
// gives `fallback`.
void ReadUnits(const char* text, char (&name)[256], double* metres, double fallback) {
    const long used = CStrConv::FindSubString(text, name, sizeof name - 1);
    double size = 0.0;
    CStrConv::StringToDouble(text + used, &size);
    *metres = (size == 0.0 || std::isnan(size)) ? fallback : size;
}


bool RecordIsFinite(const CLLUV& s, long i) {
    auto finite = [](std::initializer_list<double> values) {
        for (double v : values)
            if (!std::isfinite(v)) return false;
        return true;
    };
    if (s.mpLLUV && !finite({s.mpLLUV[i].mdLongitude, s.mpLLUV[i].mdLatitude,
                             s.mpLLUV[i].mdVelocityU, s.mpLLUV[i].mdVelocityV}))
        return false;
    if (s.mpRBVD && !finite({s.mpRBVD[i].mdRange, s.mpRBVD[i].mdBearing, s.mpRBVD[i].mdVelocity,
                             s.mpRBVD[i].mdDirection}))
        return false;
    if (s.mpDist && !finite({s.mpDist[i].mdX, s.mpDist[i].mdY})) return false;
    if (s.mpQuality) {
        for (float q : s.mpQuality[i].mfQuality)
            if (!std::isfinite(q)) return false;
    }
    if (s.mpSpectraSource &&
        !finite({s.mpSpectraSource[i].mdBearing, s.mpSpectraSource[i].mdVelocity}))
        return false;
    if (s.mpWaveMap && !finite({s.mpWaveMap[i].mdWaveHeight, s.mpWaveMap[i].mdWind}))
        return false;
    return true;
}

}  // namespace

long CLLUVFile::ValidateFileType(unsigned long fileType, unsigned long) {
    mbTableReady = false;  // a new file: its first row sets the store up again
    if (Contains(kAcceptedFileTypes, std::size(kAcceptedFileTypes),
                 static_cast<uint32_t>(fileType))) {
        return kNoErr;
    }
    return kBtfErrNoFileType;
}

// ---------------------------------------------------------------------------
// Header keywords

long CLLUVFile::ProcessKeyword(unsigned long code, char* value) {
    // The column types or the table's subtype may be new: the next row
    // plans its columns again.
    mbColumnsPlanned = false;
    const char* text = value ? value : "";
    switch (static_cast<uint32_t>(code)) {
        case C("lluv"):
            mdLLUVSpec = ReadDouble(text);
            break;
        case C("site"): {
            uint32_t siteCode = 0;
            BtfReadSiteCode(text, &siteCode);
            mnSiteCode = siteCode;
            break;
        }
        case C("tist"): {
            // The metadata has read the time stamp with its zone already; the
            // zone may have been settled again for this stamp.
            const double seconds = GetBtfTimeStamp1904();
            mnOriginTime = ClampToU32(seconds);
            if (HasBtfTimeZone()) {
                LLUVCopyText(msTimeZone, GetBtfTimeZone());
                mnTimeZoneSeconds = RoundToLong(GetBtfTimeZoneOffsetSeconds());
            }
            break;
        }
        case C("tizn"):
            LLUVCopyText(msTimeZone, GetBtfTimeZone());
            mnTimeZoneSeconds = RoundToLong(GetBtfTimeZoneOffsetSeconds());
            break;
        case C("tico"): {
            double amount = 0.0;
            const long used = CStrConv::StringToDouble(text, &amount);
            // The unit word decides as it does for the metadata: hours,
            // seconds, or minutes when there is none.
            const char* unit = text + used;
            unit += CStrConv::SkipWhiteSpace(unit);
            double secondsPerUnit = 60.0;
            if (*unit == 'h' || *unit == 'H') secondsPerUnit = 3600.0;
            if (*unit == 's' || *unit == 'S') secondsPerUnit = 1.0;
            const double seconds = amount * secondsPerUnit;
            mnTimeCoverageSeconds = RoundToLong(seconds);
            SetBtfTimeCoverageSeconds(seconds);
            break;
        }
        case C("orig"): {
            CGeo origin;
            origin.SetLatLon(text, nullptr);
            mdOriginLatitude = origin.GetLatitude();
            mdOriginLongitude = origin.GetLongitude();
            break;
        }
        case C("rxpt"):
        case C("txpt"): {
            CGeo point;
            point.SetLatLon(text, nullptr);
            const bool receiver = code == C("rxpt");
            if (receiver && mdOriginLatitude == 0.0 && mdOriginLongitude == 0.0) {
                // A receiver named before any origin is the origin.
                mdOriginLatitude = point.GetLatitude();
                mdOriginLongitude = point.GetLongitude();
                break;
            }
            CGeo origin;
            origin.SetLatLon(mdOriginLatitude, mdOriginLongitude);
            double* x = receiver ? &mdReceiverX : &mdTransmitterX;
            double* y = receiver ? &mdReceiverY : &mdTransmitterY;
            point.GetXYDistance(&origin, x, y, nullptr);
            break;
        }
        case C("antb"): {
            double bearing = kLLUVAntennaBearingUnknown;
            const long blanks = CStrConv::SkipWhiteSpace(text);
            if (CStrConv::StringToDouble(text, &bearing) == blanks) {
                bearing = kLLUVAntennaBearingUnknown;  // no number
            }
            SetAntennaBearing(bearing);
            break;
        }
        case C("refb"):
            mfReferenceBearing = ReadFloat(text);
            break;
        case C("txfq"):
            mdTransmitFrequencyHz = ReadDouble(text) * 1000000.0;
            break;
        case C("txbw"):
            mdTransmitBandwidthHz = ReadDouble(text) * 1000.0;
            break;
        case C("txsr"):
            mdSweepRateHz = ReadDouble(text);
            break;
        case C("rdis"):
            mdRangeResolutionMeters = ReadDouble(text) * 1000.0;
            break;
        case C("rdsm"):
            mdRangeResolutionMeters = ReadDouble(text);
            break;
        case C("rbeg"):
            mnRangeStart = ReadLong(text);
            break;
        case C("rend"):
            mnRangeEnd = ReadLong(text);
            break;
        case C("dhpb"):
            mdDopplerResolutionHz = ReadDouble(text);
            break;
        case C("nmrd"):
            mnMergedCount = ReadLong(text);
            break;
        case C("mxcv"):
        case C("cvlm"):
            mfMaximumCurrentVelocity = ReadFloat(text);
            break;
        case C("bspt"):
            mnBraggSmoothingPoints = ReadLong(text);
            break;
        case C("rpdo"):
            mfRadialBraggPeakDropOff = ReadFloat(text);
            break;
        case C("bord"):
            mnBraggHasSecondOrder = ReadLong(text);
            break;
        case C("rbpn"):
            mfRadialBraggPeakNull = ReadFloat(text);
            break;
        case C("rbnt"):
            mfRadialBraggNoiseThreshold = ReadFloat(text);
            break;
        case C("pamc"):
            ReadFloats(text, mfPatternAmplitudeCorrections, 2);
            break;
        case C("bamc"):
            ReadFloats(text, mfPatternAmplitudeCalculations, 2);
            break;
        case C("pphc"):
            ReadFloats(text, mfPatternPhaseCorrections, 2);
            break;
        case C("bphc"):
            ReadFloats(text, mfPatternPhaseCalculations, 2);
            break;
        case C("mupm"):
            ReadFloats(text, mfMusicParameters, 3);
            break;
        case C("rasm"):
            mnRadialSmoothing = ReadLong(text);
            break;
        case C("rmpf"):
            mnRadialMinimumMergePoints = ReadLong(text);
            break;
        case C("focu"):
            mnFirstOrderCalc = ReadLong(text);
            break;
        case C("rmed"):
            mnMergeMethod = ReadLong(text);
            break;
        case C("pmed"):
            mnPatternMethod = ReadLong(text);
            break;
        case C("cmed"):
            mnCombineMethod = ReadLong(text);
            break;
        case C("heat"):
            mfTemperature = ReadFloat(text);
            break;
        case C("patk"): {
            // Older files wrote the pattern type with other meanings.
            if (mdLLUVSpec < 1.02) break;
            char word[64] = {};
            CStrConv::FindSubString(text, word, sizeof word - 1);
            const long choice = CStrConv::FindChoice(word, "Unknown Ideal Measured", 0, 1);
            mnPatternType = (choice == 1 || choice == 2) ? choice : 0;
            break;
        }
        case C("patd"): {
            long fields[6] = {};
            const char* cursor = text;
            for (long& field : fields) cursor += CStrConv::StringToLong(cursor, &field);
            const XCalendarDate date{fields[0], fields[1], fields[2], fields[3],
                                     fields[4], fields[5], 0};
            mnPatternDate = ClampToU32(static_cast<double>(PlatformDateToSeconds(date)));
            break;
        }
        case C("patr"):
            mfPatternResolution = ReadFloat(text);
            break;
        case C("pats"):
            mfPatternSmoothing = ReadFloat(text);
            break;
        case C("pati"):
            CStrConv::FindSubString(text, msPatternUUID, sizeof msPatternUUID - 1);
            break;
        case C("gerd"):
            // The blank after the colon belongs to the line, not the text.
            LLUVCopyText(msGreatCircle, text + CStrConv::SkipWhiteSpace(text));
            break;
        case C("vgeo"):
            LLUVCopyText(msGeodVersion, text + CStrConv::SkipWhiteSpace(text));
            break;
        case C("xyun"):
            ReadUnits(text, msDistanceUnits, &mdDistanceUnitMeters, 1000.0);
            break;
        case C("uvun"):
            ReadUnits(text, msVelocityUnits, &mdVelocityUnitMetersPerSecond, 0.01);
            break;
        case C("tdbr"):
            mdTsunamiDirectionOfArrival = ReadDouble(text);
            break;
        case C("tstw"):
            mdTsunamiStripThickness = ReadDouble(text) * 1000.0;
            break;
        case C("tsbr"):
            mdTsunamiShelfBearing = ReadDouble(text);
            break;
        case C("trbc"):
            mdTsunamiCoverageLong = ReadDouble(text) * 60.0;
            break;
        case C("trqc"):
            mdTsunamiCoverageShort = ReadDouble(text) * 60.0;
            break;
        case C("tsty"):
            mnTsunamiSimType = ReadLong(text);
            break;
        case C("tsst"): {
            char label[64] = {};
            double hours = 0.0;
            long daylight = 0;
            mdTsunamiSimShelfStart = BTFReader::StringToDate(text, label, &hours, &daylight);
            break;
        }
        case C("tssf"):
            mdTsunamiSimSlowness = ReadDouble(text);
            break;
        case C("tswh"):
            mdTsunamiSimWaveHeight = ReadDouble(text) / 100.0;
            break;
        case C("tswp"):
            mdTsunamiSimWavePeriod = ReadDouble(text);
            break;
        default:
            return 1;
    }
    return kNoErr;
}

// ---------------------------------------------------------------------------
// Table rows

double CLLUVFile::VelocityScale() const {
    // Wave periods and tsunami times sit in the velocity slots unscaled.
    if (mnMapType == kLLUVMapWave || mnMapType == kLLUVMapTsunami) return 1.0;
    return mdVelocityUnitMetersPerSecond;
}

void CLLUVFile::ScanColumns() {
    for (int i = 0; i < kBtfMaxColumnTypes && mnColumnTypes[i] != 0; ++i) {
        switch (mnColumnTypes[i]) {
            case C("LOND"):
            case C("LATD"):
            case C("VELU"):
            case C("VELV"):
            case C("WPDU"):
            case C("WPDV"):
                if (mnVectorType == 0) mnVectorType = kLLUVVectorGeographic;
                if (mnVectorType == kLLUVVectorPolar) mnVectorType = kLLUVVectorFull;
                break;
            case C("RNGE"):
            case C("BEAR"):
            case C("VELO"):
            case C("HEAD"):
                if (mnVectorType == 0) mnVectorType = kLLUVVectorPolar;
                if (mnVectorType == kLLUVVectorGeographic) mnVectorType = kLLUVVectorFull;
                break;
            case C("XDST"):
            case C("YDST"):
                mnUseDistance = 1;
                break;
            case C("S1CN"):
            case C("S2CN"):
            case C("S3CN"):
            case C("S4CN"):
            case C("S5CN"):
            case C("S6CN"):
                // Six at most: the record holds six sites.
                if (mnContributorCount < 6) mnContributorCount += 1;
                break;
            case C("SPRC"):
                mnSpectraSourceMask |= 1;
                break;
            case C("SAOA"):
                mnSpectraSourceMask |= 2;
                break;
            case C("SPCV"):
                mnSpectraSourceMask |= 4;
                break;
            case C("BANG"):
                mnSpectraSourceMask |= 8;
                break;
            case C("BADJ"):
                mnSpectraSourceMask |= 16;
                break;
            case C("WIND"):
            case C("WVPD"):
            case C("WVHT"):
                mnUseWaveMap = 1;
                break;
            case C("VFLG"):
                mnColumnMask |= kLLUVColumnVFLG;
                break;
            case C("STDV"):
                mnColumnMask |= kLLUVColumnSTDV;
                break;
            case C("ESPC"):
            case C("SCDV"):
                mnColumnMask |= kLLUVColumnESPC;
                break;
            case C("ETMP"):
                mnColumnMask |= kLLUVColumnETMP;
                break;
            case C("SCMX"):
                mnColumnMask |= kLLUVColumnSCMX;
                break;
            case C("MINV"):
                mnColumnMask |= kLLUVColumnMINV;
                break;
            case C("MAXV"):
                mnColumnMask |= kLLUVColumnMAXV;
                break;
            case C("EDIF"):
                mnColumnMask |= kLLUVColumnMINV | kLLUVColumnMAXV;
                break;
            case C("UQAL"):
                mnColumnMask |= kLLUVColumnUQAL;
                break;
            case C("VQAL"):
                mnColumnMask |= kLLUVColumnVQAL;
                break;
            case C("CQAL"):
                mnColumnMask |= kLLUVColumnCQAL;
                break;
            case C("EDVC"):
                mnColumnMask |= kLLUVColumnEDVC;
                break;
            case C("ERTC"):
                mnColumnMask |= kLLUVColumnERTC;
                break;
            default:
                break;
        }
    }
}

namespace {

long QualityModeFromMask(uint32_t mask) {
    for (const XModeByMask& entry : kModeByMask) {
        if (entry.mask == mask) return entry.mode;
    }
    // The full radial set with its edit and radial counts, as the writer
    // produces it (EDVC and ERTC each only when counted): still mode 7.
    if ((mask & ~(kLLUVColumnEDVC | kLLUVColumnERTC)) == 0x6D) return 7;
    if (mask & (kLLUVColumnESPC | kLLUVColumnETMP)) return 6;
    // MAXV or UQAL alone point to the velocity-quality set.
    return (mask & C("WQAL")) ? 4 : 7;
}

}  // namespace

long CLLUVFile::PrepareFirstRow() {
    if (!Contains(kReadableTables, std::size(kReadableTables), mnTableType)) {
        return kLLUVErrUnreadableTable;
    }
    if (mnVectorType == 0) {
        mnQualityMode = 0;
        mnUseDistance = 0;
        mnContributorCount = 0;
        mnSpectraSourceMask = 0;
        mnUseWaveMap = 0;
    }

    mnMapType = kLLUVMapTotal;
    const uint32_t prefix = mnBtfFileSubType & 0xFFFFFF00u;
    for (const XMapBySubtype& entry : kMapBySubtype) {
        const uint32_t entryPrefix =
            (static_cast<uint32_t>(static_cast<unsigned char>(entry.prefix[0])) << 24) |
            (static_cast<uint32_t>(static_cast<unsigned char>(entry.prefix[1])) << 16) |
            (static_cast<uint32_t>(static_cast<unsigned char>(entry.prefix[2])) << 8);
        if (entryPrefix == prefix) {
            mnMapType = entry.mapType;
            break;
        }
    }

    ScanColumns();
    mnQualityMode = QualityModeFromMask(mnColumnMask);
    // A stated row count the file's bytes could hold (two bytes a row at the
    // least) gets its room at once, so no array moves while the rows come in
    // and a short table clears no more than its rows; a count past that is a
    // lie and the arrays grow as usual.
    const long long statedRows = mnTableRows;
    if (statedRows > 0 && statedRows <= GetFileSize() / 2) {
        return Allocate(static_cast<long>(statedRows), 0);
    }
    return Allocate(-1, 0);
}

long CLLUVFile::ProcessTableRow(char* row) {
    // Later tables of the file (diagnostics and the like) are not vectors.
    if (mnTableIndex != 1 || !row) return kNoErr;
    // The first row sets the store up for the table; rows that store
    // nothing (untyped rows of some tables) must not set it up again each.
    if (mnVectors == 0 && !(mbTableReady && (mpLLUV || mpRBVD))) {
        const long result = PrepareFirstRow();
        if (result != kNoErr) return result;
        mbTableReady = true;
    } else if (mnVectors == 0 &&
               !Contains(kReadableTables, std::size(kReadableTables), mnTableType)) {
        return kLLUVErrUnreadableTable;
    }
    const long before = mnVectors;
    if (mnColumnTypes[0] != 0) {
        StoreTypedRow(row);
    } else {
        StoreUntypedRow(row);
    }
    // A row with a value that is not finite (as read, or once scaled) is no
    // measurement: no writer gives it a row, so it is not kept either.
    if (!mbKeepEveryRow && mnVectors > before && !RecordIsFinite(*this, mnVectors - 1))
        --mnVectors;
    return kNoErr;
}

namespace {

// Where the value of a typed row's column goes.
enum class EColumnSlot : uint8_t {
    kDrop,  // the number is consumed and dropped
    kLongitude,
    kLatitude,
    kVelocityU,
    kVelocityV,
    kX,
    kY,
    kRange,
    kBearing,
    kBearingClockwise,  // 360 minus a counter-clockwise bearing
    kVelocity,
    kVelocityUnscaled,
    kDirection,
    kDirectionClockwise,
    kFlags,
    kEditCount,
    kRadialCount,
    kQuality0Scaled,
    kQuality0,
    kQuality1Scaled,
    kQuality1,
    kQuality2,
    kQuality3,
    kQuality4,
    kContributor1,  // to kContributor6 in order
    kContributor2,
    kContributor3,
    kContributor4,
    kContributor5,
    kContributor6,
    kSpectraCell,
    kSpectraBearing,
    kSpectraVelocity,
    kWaveHeight,
    kWind,
};

struct XSlotByType {
    uint32_t type;
    EColumnSlot slot;
};

constexpr XSlotByType kSlotByType[] = {
    {C("LOND"), EColumnSlot::kLongitude},
    {C("LATD"), EColumnSlot::kLatitude},
    {C("VELU"), EColumnSlot::kVelocityU},
    {C("WPDU"), EColumnSlot::kVelocityU},
    {C("VELV"), EColumnSlot::kVelocityV},
    {C("WPDV"), EColumnSlot::kVelocityV},
    {C("XDST"), EColumnSlot::kX},
    {C("YDST"), EColumnSlot::kY},
    {C("RNGE"), EColumnSlot::kRange},
    {C("BEAR"), EColumnSlot::kBearing},
    {C("CCBR"), EColumnSlot::kBearingClockwise},
    {C("VELO"), EColumnSlot::kVelocity},
    {C("TTOS"), EColumnSlot::kVelocity},
    {C("WVPD"), EColumnSlot::kVelocityUnscaled},
    {C("HEAD"), EColumnSlot::kDirection},
    {C("WAVD"), EColumnSlot::kDirection},
    {C("CCHD"), EColumnSlot::kDirectionClockwise},
    {C("VFLG"), EColumnSlot::kFlags},
    {C("EDVC"), EColumnSlot::kEditCount},
    {C("ERTC"), EColumnSlot::kRadialCount},
    {C("MAXV"), EColumnSlot::kQuality0Scaled},
    {C("UQAL"), EColumnSlot::kQuality0},
    {C("QTSU"), EColumnSlot::kQuality0},
    {C("MINV"), EColumnSlot::kQuality1Scaled},
    {C("VQAL"), EColumnSlot::kQuality1},
    {C("ESPC"), EColumnSlot::kQuality2},
    {C("ETMP"), EColumnSlot::kQuality3},
    {C("STDV"), EColumnSlot::kQuality2},
    {C("CQAL"), EColumnSlot::kQuality2},
    {C("SCDV"), EColumnSlot::kQuality3},
    {C("EDIF"), EColumnSlot::kQuality4},
    {C("SCMX"), EColumnSlot::kQuality4},
    {C("S1CN"), EColumnSlot::kContributor1},
    {C("S2CN"), EColumnSlot::kContributor2},
    {C("S3CN"), EColumnSlot::kContributor3},
    {C("S4CN"), EColumnSlot::kContributor4},
    {C("S5CN"), EColumnSlot::kContributor5},
    {C("S6CN"), EColumnSlot::kContributor6},
    {C("SPRC"), EColumnSlot::kSpectraCell},
    {C("SAOA"), EColumnSlot::kSpectraBearing},
    {C("SPCV"), EColumnSlot::kSpectraVelocity},
    {C("WVHT"), EColumnSlot::kWaveHeight},
    {C("WIND"), EColumnSlot::kWind},
};

}  // namespace

void CLLUVFile::PlanColumns() {
    const uint32_t* types = mnColumnTypes;
    int count = 0;
    while (count < kBtfMaxColumnTypes && types[count] != 0) ++count;
    const bool hasBearing = std::find(types, types + count, C("BEAR")) != types + count;
    const bool hasHeading = std::find(types, types + count, C("HEAD")) != types + count;
    // Radial files of this subtype carry the spatial and temporal quality
    // the other way round.
    const bool swapped = mnTableSubType == C("RDL4");
    for (int i = 0; i < count; ++i) {
        EColumnSlot slot = EColumnSlot::kDrop;
        for (const XSlotByType& entry : kSlotByType) {
            if (entry.type == types[i]) slot = entry.slot;
        }
        // A counter-clockwise angle is only read when the clockwise one is missing.
        if ((slot == EColumnSlot::kBearingClockwise && hasBearing) ||
            (slot == EColumnSlot::kDirectionClockwise && hasHeading))
            slot = EColumnSlot::kDrop;
        if (swapped && (types[i] == C("ESPC") || types[i] == C("ETMP")))
            slot = slot == EColumnSlot::kQuality2 ? EColumnSlot::kQuality3 : EColumnSlot::kQuality2;
        mnColumnSlots[i] = static_cast<uint8_t>(slot);
    }
    mnPlannedColumns = count;
    mbColumnsPlanned = true;
}

void CLLUVFile::StoreTypedRow(const char* row) {
    const long index = AddNewEmptyVector();
    if (index < 0) return;
    if (!mbColumnsPlanned) PlanColumns();

    const double D = mdDistanceUnitMeters;
    const double S = VelocityScale();

    XLLUVVector* geographic = mpLLUV ? &mpLLUV[index] : nullptr;
    XRBVDVector* polar = mpRBVD ? &mpRBVD[index] : nullptr;
    XDistVector* offset = mpDist ? &mpDist[index] : nullptr;
    XQualityVector* quality = mpQuality ? &mpQuality[index] : nullptr;
    XContributors* sites = mpContributors ? &mpContributors[index] : nullptr;
    XSpectraSource* source = mpSpectraSource ? &mpSpectraSource[index] : nullptr;
    XWaveValues* wave = mpWaveMap ? &mpWaveMap[index] : nullptr;

    const char* cursor = row + CStrConv::SkipWhiteSpace(row);
    for (int i = 0; i < mnPlannedColumns && *cursor; ++i) {
        double value = 0.0;
        cursor += CStrConv::StringToDouble(cursor, &value);
        switch (static_cast<EColumnSlot>(mnColumnSlots[i])) {
            case EColumnSlot::kDrop:
                break;
            case EColumnSlot::kLongitude:
                if (geographic) geographic->mdLongitude = value;
                break;
            case EColumnSlot::kLatitude:
                if (geographic) geographic->mdLatitude = value;
                break;
            case EColumnSlot::kVelocityU:
                if (geographic) geographic->mdVelocityU = value * S;
                break;
            case EColumnSlot::kVelocityV:
                if (geographic) geographic->mdVelocityV = value * S;
                break;
            case EColumnSlot::kX:
                if (offset) offset->mdX = value * D;
                break;
            case EColumnSlot::kY:
                if (offset) offset->mdY = value * D;
                break;
            case EColumnSlot::kRange:
                if (polar) polar->mdRange = value * D;
                break;
            case EColumnSlot::kBearing:
                if (polar) polar->mdBearing = value;
                break;
            case EColumnSlot::kBearingClockwise:
                if (polar) polar->mdBearing = 360.0 - value;
                break;
            case EColumnSlot::kVelocity:
                if (polar) polar->mdVelocity = value * S;
                break;
            case EColumnSlot::kVelocityUnscaled:
                if (polar) polar->mdVelocity = value;
                break;
            case EColumnSlot::kDirection:
                if (polar) polar->mdDirection = value;
                break;
            case EColumnSlot::kDirectionClockwise:
                if (polar) polar->mdDirection = 360.0 - value;
                break;
            case EColumnSlot::kFlags:
                if (quality) quality->mnFlags = ClampToU32(value);
                break;
            case EColumnSlot::kEditCount:
                if (quality) quality->mnEditCount = TruncateToLong(value);
                break;
            case EColumnSlot::kRadialCount:
                if (quality) quality->mnRadialCount = TruncateToLong(value);
                break;
            case EColumnSlot::kQuality0Scaled:
                if (quality) quality->mfQuality[0] = LLUVNarrowToFloat(value * S);
                break;
            case EColumnSlot::kQuality0:
                if (quality) quality->mfQuality[0] = LLUVNarrowToFloat(value);
                break;
            case EColumnSlot::kQuality1Scaled:
                if (quality) quality->mfQuality[1] = LLUVNarrowToFloat(value * S);
                break;
            case EColumnSlot::kQuality1:
                if (quality) quality->mfQuality[1] = LLUVNarrowToFloat(value);
                break;
            case EColumnSlot::kQuality2:
                if (quality) quality->mfQuality[2] = LLUVNarrowToFloat(value);
                break;
            case EColumnSlot::kQuality3:
                if (quality) quality->mfQuality[3] = LLUVNarrowToFloat(value);
                break;
            case EColumnSlot::kQuality4:
                if (quality) quality->mfQuality[4] = LLUVNarrowToFloat(value);
                break;
            case EColumnSlot::kContributor1:
            case EColumnSlot::kContributor2:
            case EColumnSlot::kContributor3:
            case EColumnSlot::kContributor4:
            case EColumnSlot::kContributor5:
            case EColumnSlot::kContributor6:
                if (sites) {
                    const int slot =
                        mnColumnSlots[i] - static_cast<int>(EColumnSlot::kContributor1);
                    sites->mnContributor[slot] = static_cast<uint16_t>(TruncateToLong(value));
                }
                break;
            case EColumnSlot::kSpectraCell:
                if (source) source->mnRangeCell = TruncateToLong(value);
                break;
            case EColumnSlot::kSpectraBearing:
                if (source) source->mdBearing = value;
                break;
            case EColumnSlot::kSpectraVelocity:
                if (source) source->mdVelocity = value * S;
                break;
            case EColumnSlot::kWaveHeight:
                if (wave) wave->mdWaveHeight = value;
                break;
            case EColumnSlot::kWind:
                if (wave) wave->mdWind = value;
                break;
        }
    }
}

void CLLUVFile::StoreUntypedRow(const char* row) {
    double c[kMaxUntypedValues] = {};
    const long count = CStrConv::StringToDoubles(row, c, kMaxUntypedValues);
    const long n = mnTableColumns;
    const double D = mdDistanceUnitMeters;
    const double S = VelocityScale();

    if (mnTableType == C("LLUV")) {
        if (n <= 3 || count <= 3) return;
        const uint32_t subtype = mnTableSubType;
        const bool cuv3 = subtype == C("CUV3");
        const bool cuv2 = subtype == C("CUV2");
        const bool cuv1 = subtype == C("CUV1");
        // Older layouts put latitude first.
        const bool latitudeFirst = cuv2 || cuv1;
        const double lon = latitudeFirst ? c[1] : c[0];
        const double lat = latitudeFirst ? c[0] : c[1];
        const double u = c[2] * S;
        const double v = c[3] * S;
        if (cuv3 || cuv2) {
            if (n > 8) {
                AddNewVector(lon, lat, u, v, c[4] * D, c[5] * D, c[6] * D, c[7], c[8] * S, c[9],
                             ClampToU32(c[10]), 0, 0, 0, 0, 0, 0, 0);
            } else if (n >= 6) {
                AddNewVector(lon, lat, u, v, c[4] * D, c[5] * D, 0, 0, 0, 0, ClampToU32(c[6]), 0, 0,
                             0, 0, 0, 0, 0);
            } else {
                AddNewVector(lon, lat, u, v, 0, 0, 0, 0, 0, 0, ClampToU32(c[4]), 0, 0, 0, 0, 0, 0,
                             0);
            }
        } else if (n > 7) {
            AddNewVector(lon, lat, u, v, 0, 0, c[4] * D, c[5], c[6] * S, c[7], 0, c[8], 0, 0, 0, 0,
                         0, 0);
        } else {
            AddNewVector(lon, lat, u, v, 0, 0, 0, 0, 0, 0, 0, c[4], 0, 0, 0, 0, 0, 0);
        }
    } else if (mnTableType == C("RBVD")) {
        if (n <= 3 || count <= 3) return;
        AddNewVectorRangeBearing(c[0] * D, c[1], c[2] * S, c[3], c[4]);
    } else if (mnTableType == C("XYUV") && mnTableSubType == C("RAD1")) {
        const long index =
            AddNewVector(0, 0, c[2] * S, c[3] * S, c[0] * D, c[1] * D, c[5] * D, c[6], c[7], c[8],
                         ClampToU32(c[4]), 0, 0, c[10], c[12], c[11], 0, 0);
        if (index >= 0 && mpSpectraSource)
            mpSpectraSource[index].mnRangeCell = TruncateToLong(c[9]);
    }
    // Other tables (wave tables among them) keep nothing from untyped rows.
}
