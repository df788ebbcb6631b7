#include "cLLUV.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformMemory.h"
#include "PlatformTime.h"
#include "cGeo.h"

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Upper bounds handed to LimitDegrees (the lower bound is always 0). Each
// conversion keeps the bound it has always used, so values written by one
// version of the tools compare equal with the next.
constexpr double kLimitRadialDirection = 359.99999;  // direction back to the site
constexpr double kLimitInverse = 359.9999999;        // bearings and directions from u/v
constexpr double kLimitAdded = 359.999999999;        // values handed to the adders

// A flow at right angles to the radial is neither towards nor away from the
// site and keeps a positive speed; the angle arithmetic leaves a few 1e-14
// degrees of noise on such flows, which must not decide the sign.
constexpr double kPerpendicularSlack = 1e-9;

// The arrays are flat blocks of trivially copyable records, so raw blocks
// give zero-filled creation and growth that can move pages instead of
// copying them.
template <class T>
long CreateArray(T*& array, long count) {
    PlatformBlockFree(array);
    array = nullptr;
    if (count <= 0) return 0;
    if (static_cast<unsigned long>(count) > SIZE_MAX / sizeof(T)) return kErrOutOfMemory;
    array = static_cast<T*>(PlatformBlockAllocate(static_cast<size_t>(count) * sizeof(T)));
    return array ? kNoErr : kErrOutOfMemory;
}

template <class T>
void ReleaseArray(T*& array) {
    PlatformBlockFree(array);
    array = nullptr;
}

// Makes an existing array hold `count` records; the records already there
// keep their values. A failure leaves the array as it was.
template <class T>
long ReserveArray(T*& array, long count) {
    if (!array) return kNoErr;
    if (static_cast<unsigned long>(count) > SIZE_MAX / sizeof(T)) return kErrOutOfMemory;
    T* grown = static_cast<T*>(PlatformBlockResize(array, static_cast<size_t>(count) * sizeof(T)));
    if (!grown) return kErrOutOfMemory;
    array = grown;
    return kNoErr;
}

template <class T>
void ZeroRecords(T* array, long from, long to) {
    if (array && to > from) {
        std::memset(static_cast<void*>(array + from), 0,
                    static_cast<size_t>(to - from) * sizeof(T));
    }
}

template <class T>
void ZeroRecord(T* array, long index) {
    if (array) std::memset(static_cast<void*>(&array[index]), 0, sizeof(T));
}

bool DerivesGeographic(uint32_t vectorType) {
    return vectorType == kLLUVVectorFull || vectorType == kLLUVVectorGeographic;
}

bool DerivesPolar(uint32_t vectorType) {
    return vectorType == kLLUVVectorFull || vectorType == kLLUVVectorPolar;
}

// The geographic form of a polar vector whose end point `end` (reached with
// `backAzimuth` toward the site) is already known.
void SetLonLatUVFromEnd(const CGeo& end, double backAzimuth, XRBVDVector* in, XLLUVVector* out) {
    out->mdLatitude = end.GetLatitude();
    out->mdLongitude = end.GetLongitude();
    if (in->mdVelocity >= kLLUVVelocityMissing) {
        out->mdVelocityU = 0.0;
        out->mdVelocityV = 0.0;
        return;
    }
    if (in->mdDirection >= kLLUVDirectionReplaced) {
        in->mdDirection = LimitDegrees(backAzimuth, 0.0, kLimitRadialDirection);
    }
    const double r = in->mdDirection * kDegreesToRadians;
    out->mdVelocityU = std::sin(r) * in->mdVelocity;
    out->mdVelocityV = std::cos(r) * in->mdVelocity;
}

}  // namespace

template <class A, class B, class Visit>
void CLLUV::VisitInfo(A& a, B& b, Visit visit) {
    visit(a.mnSiteCode, b.mnSiteCode);
    visit(a.mnOriginTime, b.mnOriginTime);
    visit(a.mnTimeZoneSeconds, b.mnTimeZoneSeconds);
    visit(a.msTimeZone, b.msTimeZone);
    visit(a.mnTimeCoverageSeconds, b.mnTimeCoverageSeconds);
    visit(a.mdOriginLongitude, b.mdOriginLongitude);
    visit(a.mdOriginLatitude, b.mdOriginLatitude);
    visit(a.mfAntennaBearing, b.mfAntennaBearing);
    visit(a.mfReferenceBearing, b.mfReferenceBearing);
    visit(a.mdTransmitFrequencyHz, b.mdTransmitFrequencyHz);
    visit(a.mdDopplerResolutionHz, b.mdDopplerResolutionHz);
    visit(a.mdTransmitBandwidthHz, b.mdTransmitBandwidthHz);
    visit(a.mdSweepRateHz, b.mdSweepRateHz);
    visit(a.mdRangeResolutionMeters, b.mdRangeResolutionMeters);
    visit(a.mnRangeStart, b.mnRangeStart);
    visit(a.mnRangeEnd, b.mnRangeEnd);
    visit(a.mnBraggSmoothingPoints, b.mnBraggSmoothingPoints);
    visit(a.mnBraggHasSecondOrder, b.mnBraggHasSecondOrder);
    visit(a.mfRadialBraggPeakDropOff, b.mfRadialBraggPeakDropOff);
    visit(a.mfRadialBraggPeakNull, b.mfRadialBraggPeakNull);
    visit(a.mfRadialBraggNoiseThreshold, b.mfRadialBraggNoiseThreshold);
    visit(a.mfMaximumCurrentVelocity, b.mfMaximumCurrentVelocity);
    visit(a.mfMusicParameters, b.mfMusicParameters);
    visit(a.mfPatternAmplitudeCorrections, b.mfPatternAmplitudeCorrections);
    visit(a.mfPatternPhaseCorrections, b.mfPatternPhaseCorrections);
    visit(a.mfPatternAmplitudeCalculations, b.mfPatternAmplitudeCalculations);
    visit(a.mfPatternPhaseCalculations, b.mfPatternPhaseCalculations);
    visit(a.mnPatternType, b.mnPatternType);
    visit(a.mnPatternDate, b.mnPatternDate);
    visit(a.mfPatternResolution, b.mfPatternResolution);
    visit(a.mfPatternSmoothing, b.mfPatternSmoothing);
    visit(a.mnRadialMinimumMergePoints, b.mnRadialMinimumMergePoints);
    visit(a.mnRadialSmoothing, b.mnRadialSmoothing);
    visit(a.mnFirstOrderCalc, b.mnFirstOrderCalc);
    visit(a.mnMergeMethod, b.mnMergeMethod);
    visit(a.mnFirstRangeCell, b.mnFirstRangeCell);
    visit(a.mnPatternMethod, b.mnPatternMethod);
    visit(a.msPatternUUID, b.msPatternUUID);
    visit(a.mnMergedCount, b.mnMergedCount);
    visit(a.mfTemperature, b.mfTemperature);
    visit(a.mdReceiverX, b.mdReceiverX);
    visit(a.mdReceiverY, b.mdReceiverY);
    visit(a.mdTransmitterX, b.mdTransmitterX);
    visit(a.mdTransmitterY, b.mdTransmitterY);
    visit(a.mdTsunamiDirectionOfArrival, b.mdTsunamiDirectionOfArrival);
    visit(a.mdTsunamiStripThickness, b.mdTsunamiStripThickness);
    visit(a.mdTsunamiShelfBearing, b.mdTsunamiShelfBearing);
    visit(a.mdTsunamiCoverageLong, b.mdTsunamiCoverageLong);
    visit(a.mdTsunamiCoverageShort, b.mdTsunamiCoverageShort);
    visit(a.mnTsunamiSimType, b.mnTsunamiSimType);
    visit(a.mdTsunamiSimShelfStart, b.mdTsunamiSimShelfStart);
    visit(a.mdTsunamiSimSlowness, b.mdTsunamiSimSlowness);
    visit(a.mdTsunamiSimWaveHeight, b.mdTsunamiSimWaveHeight);
    visit(a.mdTsunamiSimWavePeriod, b.mdTsunamiSimWavePeriod);
}

// ---------------------------------------------------------------------------
// Construction, information, allocation

CLLUV::CLLUV(unsigned long mapType, unsigned long vectorType)
    : mnMapType(static_cast<uint32_t>(mapType)),
      mdLLUVSpec(0.0),
      mnVectorType(static_cast<uint32_t>(vectorType)),
      mnQualityMode(0),
      mnUseDistance(0),
      mnContributorCount(0),
      mnSpectraSourceMask(0),
      mnUseWaveMap(0),
      mnSignedVelocity(1),
      mnVectors(0),
      mnAllocated(kLLUVInitialCapacity),
      mpLLUV(nullptr),
      mpRBVD(nullptr),
      mpDist(nullptr),
      mpQuality(nullptr),
      mpContributors(nullptr),
      mpSpectraSource(nullptr),
      mpWaveMap(nullptr) {
    // Not virtual here: a derived class's fields do not exist yet.
    CLLUV::ClearInfo();
}

CLLUV::~CLLUV() {
    CLLUV::ClearInfo();
    ReleaseArrays();
    mnVectors = 0;
}

long CLLUV::ClearInfo() {
    mdLLUVSpec = 0.0;
    VisitInfo(*this, *this, [](auto& field, auto&) { std::memset(&field, 0, sizeof field); });
    mfAntennaBearing = kLLUVAntennaBearingUnknown;
    return kNoErr;
}

long CLLUV::CopyInfo(CLLUV* source) {
    ClearInfo();
    if (!source) return kErrBadArgument;
    mnMapType = source->mnMapType;
    mdLLUVSpec = source->mdLLUVSpec;
    mnVectorType = source->mnVectorType;
    mnQualityMode = source->mnQualityMode;
    mnUseDistance = source->mnUseDistance;
    mnContributorCount = source->mnContributorCount;
    mnSpectraSourceMask = source->mnSpectraSourceMask;
    mnUseWaveMap = source->mnUseWaveMap;
    VisitInfo(*this, *source,
              [](auto& to, const auto& from) { std::memcpy(&to, &from, sizeof to); });
    return kNoErr;
}

void CLLUV::ReleaseArrays() {
    ReleaseArray(mpLLUV);
    ReleaseArray(mpRBVD);
    ReleaseArray(mpDist);
    ReleaseArray(mpQuality);
    ReleaseArray(mpContributors);
    ReleaseArray(mpSpectraSource);
    ReleaseArray(mpWaveMap);
}

long CLLUV::Clear() {
    ReleaseArrays();
    mnVectors = 0;
    return kNoErr;
}

long CLLUV::Allocate(long count, unsigned long vectorType) {
    Clear();
    if (count > 0) mnAllocated = count;
    if (vectorType != 0) mnVectorType = static_cast<uint32_t>(vectorType);
    mnReserved = mnAllocated;

    long firstError = kNoErr;
    auto note = [&firstError](long error) {
        if (firstError == kNoErr) firstError = error;
    };
    if (mnVectorType != kLLUVVectorPolar) note(CreateArray(mpLLUV, mnReserved));
    if (mnVectorType != kLLUVVectorGeographic) note(CreateArray(mpRBVD, mnReserved));
    if (mnUseDistance) note(CreateArray(mpDist, mnReserved));
    if (mnQualityMode) note(CreateArray(mpQuality, mnReserved));
    if (mnContributorCount) note(CreateArray(mpContributors, mnReserved));
    if (mnSpectraSourceMask) note(CreateArray(mpSpectraSource, mnReserved));
    if (mnUseWaveMap) note(CreateArray(mpWaveMap, mnReserved));
    return firstError;
}

long CLLUV::AllocateMore(long count) {
    if (mnAllocated == 0) return Allocate(count, 0);
    if (count <= 0 || mnAllocated > LONG_MAX - count) return kErrBadArgument;
    const long oldCount = mnAllocated;
    const long newCount = mnAllocated + count;
    if (newCount > mnReserved) {
        // The capacity grows in the caller's steps, but the blocks behind it
        // grow by half at a time: a map of millions of vectors would
        // otherwise move its whole arrays once every 1024 vectors. Records
        // past the capacity are never touched, so they take no memory.
        long reserve =
            mnReserved <= LONG_MAX - mnReserved / 2 ? mnReserved + mnReserved / 2 : LONG_MAX;
        if (reserve < newCount) reserve = newCount;
        // Short of memory for the half, the exact need may still fit.
        if (!ReserveAll(reserve)) {
            if (reserve == newCount || !ReserveAll(newCount)) return kErrOutOfMemory;
            reserve = newCount;
        }
        mnReserved = reserve;
    }
    ZeroRecords(mpLLUV, oldCount, newCount);
    ZeroRecords(mpRBVD, oldCount, newCount);
    ZeroRecords(mpDist, oldCount, newCount);
    ZeroRecords(mpQuality, oldCount, newCount);
    ZeroRecords(mpContributors, oldCount, newCount);
    ZeroRecords(mpSpectraSource, oldCount, newCount);
    ZeroRecords(mpWaveMap, oldCount, newCount);
    mnAllocated = newCount;
    return kNoErr;
}

// An array that grew before a later one failed is merely larger than needed;
// every array keeps at least mnReserved records and no stored vector moves or
// changes.
bool CLLUV::ReserveAll(long records) {
    return ReserveArray(mpLLUV, records) == kNoErr && ReserveArray(mpRBVD, records) == kNoErr &&
           ReserveArray(mpDist, records) == kNoErr && ReserveArray(mpQuality, records) == kNoErr &&
           ReserveArray(mpContributors, records) == kNoErr &&
           ReserveArray(mpSpectraSource, records) == kNoErr &&
           ReserveArray(mpWaveMap, records) == kNoErr;
}

long CLLUV::ReserveVectors(long total) {
    if (total <= mnReserved || mnAllocated == 0) return kNoErr;
    // The capacity grows in whole steps: room that ended inside a step would
    // be passed by the last one and make every array grow by half again.
    const long need = total - mnAllocated;
    const long steps = need / kLLUVGrowthStep + (need % kLLUVGrowthStep != 0 ? 1 : 0);
    if (steps > (LONG_MAX - mnAllocated) / kLLUVGrowthStep) return kErrOutOfMemory;
    total = mnAllocated + steps * kLLUVGrowthStep;
    if (!ReserveAll(total)) return kErrOutOfMemory;
    mnReserved = total;
    return kNoErr;
}

long CLLUV::UseQuality(long mode) {
    const long previous = mnQualityMode;
    if (mode) {
        mnQualityMode = mode;
        if (!mpQuality && (mpLLUV || mpRBVD)) CreateArray(mpQuality, mnReserved);
    } else {
        ReleaseArray(mpQuality);
        mnQualityMode = 0;
    }
    return previous;
}

long CLLUV::UseDistance(long use) {
    const long previous = mnUseDistance;
    if (use) {
        mnUseDistance = use;
        if (!mpDist && (mpLLUV || mpRBVD)) CreateArray(mpDist, mnReserved);
    } else {
        ReleaseArray(mpDist);
        mnUseDistance = 0;
    }
    return previous;
}

long CLLUV::ChangeVectorType(unsigned long vectorType) {
    mnVectorType = static_cast<uint32_t>(vectorType);
    long result = kNoErr;
    if (mnVectorType == kLLUVVectorPolar) {
        ReleaseArray(mpLLUV);
    } else if (!mpLLUV) {
        result = CreateArray(mpLLUV, mnReserved);
    }
    if (mnVectorType == kLLUVVectorGeographic) {
        ReleaseArray(mpRBVD);
    } else if (!mpRBVD) {
        const long error = CreateArray(mpRBVD, mnReserved);
        if (result == kNoErr) result = error;
    }
    // A form that could not be made is reported rather than passed off as
    // done; the vectors already held are untouched either way.
    return result;
}

long CLLUV::TakeSlot() {
    if (mnVectors >= mnAllocated && AllocateMore(kLLUVGrowthStep) != kNoErr) return -1;
    return mnVectors++;
}

// ---------------------------------------------------------------------------
// Per-vector setters and lookups

long CLLUV::AddNewEmptyVector() {
    const long index = TakeSlot();
    if (index < 0) return -1;
    ZeroRecord(mpLLUV, index);
    ZeroRecord(mpRBVD, index);
    ZeroRecord(mpDist, index);
    ZeroRecord(mpQuality, index);
    ZeroRecord(mpContributors, index);
    ZeroRecord(mpSpectraSource, index);
    ZeroRecord(mpWaveMap, index);
    return index;
}

long CLLUV::SetVectorFlag(long index, unsigned long flags) {
    if (!IsValidIndex(index) || !mpQuality) return -1;
    mpQuality[index].mnFlags = static_cast<uint32_t>(flags);
    return index;
}

long CLLUV::SetVectorQuality(long index, double q0, double q1, double q2, double q3, double q4,
                             long editCount, long radialCount) {
    if (!IsValidIndex(index) || !mpQuality) return -1;
    XQualityVector& quality = mpQuality[index];
    quality.mfQuality[0] = LLUVNarrowToFloat(q0);
    quality.mfQuality[1] = LLUVNarrowToFloat(q1);
    quality.mfQuality[2] = LLUVNarrowToFloat(q2);
    quality.mfQuality[3] = LLUVNarrowToFloat(q3);
    quality.mfQuality[4] = LLUVNarrowToFloat(q4);
    quality.mnEditCount = editCount;
    quality.mnRadialCount = radialCount;
    return index;
}

long CLLUV::SetVectorSixContributers(long index, unsigned long s1, unsigned long s2,
                                     unsigned long s3, unsigned long s4, unsigned long s5,
                                     unsigned long s6) {
    if (!IsValidIndex(index) || !mpContributors) return -1;
    uint16_t* sites = mpContributors[index].mnContributor;
    sites[0] = static_cast<uint16_t>(s1);
    sites[1] = static_cast<uint16_t>(s2);
    sites[2] = static_cast<uint16_t>(s3);
    sites[3] = static_cast<uint16_t>(s4);
    sites[4] = static_cast<uint16_t>(s5);
    sites[5] = static_cast<uint16_t>(s6);
    return index;
}

long CLLUV::SetSpectraSourceInfo(long index, long rangeCell, double bearing, double velocity) {
    if (!IsValidIndex(index) || !mpSpectraSource) return -1;
    XSpectraSource& source = mpSpectraSource[index];
    source.mnRangeCell = rangeCell;
    source.mdBearing = bearing;
    source.mdVelocity = velocity;
    // The map's cell span always covers every source cell.
    if (mnRangeStart == 0 || rangeCell < mnRangeStart) mnRangeStart = rangeCell;
    if (rangeCell > mnRangeEnd) mnRangeEnd = rangeCell;
    return index;
}

long CLLUV::SetWaveMapInfo(long index, double waveHeight, double wind) {
    if (!IsValidIndex(index) || !mpWaveMap) return -1;
    mpWaveMap[index].mdWaveHeight = waveHeight;
    mpWaveMap[index].mdWind = wind;
    return index;
}

long CLLUV::GetVectorFromIndex(long index, XCurFullVector* out) {
    if (!IsValidIndex(index)) return -1;
    if (!out) return index;
    std::memset(static_cast<void*>(out), 0, sizeof *out);
    if (mpLLUV) {
        out->mLLUV = mpLLUV[index];
        if (mpRBVD) {
            out->mRBVD = mpRBVD[index];
        } else {
            LonLatToRangeBearing(&out->mLLUV, &out->mRBVD);
            UVToVelDirection(&out->mLLUV, &out->mRBVD);
        }
    } else if (mpRBVD) {
        // Derived from a copy, so a direction marker in the store stays.
        out->mRBVD = mpRBVD[index];
        RangeBearingToLonLatUV(&out->mRBVD, &out->mLLUV);
    }
    if (mpQuality) out->mQuality = mpQuality[index];
    return index;
}

long CLLUV::FindVectorAtMaximumRange(double* maxRange) {
    if (maxRange) *maxRange = 0.0;
    if (!mpRBVD) return -1;
    if (mnVectors == 0) {
        if (maxRange) *maxRange = -1.0;
        return 0;
    }
    double best = -1.0;
    long bestIndex = 0;
    for (long i = 0; i < mnVectors; ++i) {
        if (mpRBVD[i].mdRange > best) {
            best = mpRBVD[i].mdRange;
            bestIndex = i;
        }
    }
    if (maxRange) *maxRange = best;
    return bestIndex;
}

void CLLUV::SetSiteCode(unsigned long site) {
    mnSiteCode = static_cast<uint32_t>(site);
}

long CLLUV::SetOriginTime(unsigned long seconds, const char* timeZone) {
    const long previous = mnOriginTime;
    mnOriginTime = static_cast<uint32_t>(seconds);
    if (timeZone) LLUVCopyText(msTimeZone, timeZone);
    return previous;
}

long CLLUV::SetOriginTime(long year, long month, long day, long hour, long minute, long second,
                          const char* timeZone) {
    if (year < 80) {
        year += 2000;  // negative years too
    } else if (year < 100) {
        year += 1900;
    }
    XCalendarDate date{year, month, day, hour, minute, second, 0};
    int64_t seconds = PlatformDateToSeconds(date);
    if (seconds < 0) seconds = 0;
    if (seconds > UINT32_MAX) seconds = UINT32_MAX;
    SetOriginTime(static_cast<unsigned long>(seconds), timeZone);
    return static_cast<long>(seconds);
}

long CLLUV::SetOriginLocation(CGeo* point) {
    if (!point) return kErrBadArgument;
    mdOriginLongitude = point->GetLongitude();
    mdOriginLatitude = point->GetLatitude();
    return kNoErr;
}

// ---------------------------------------------------------------------------
// Conversions between the position forms

long CLLUV::LonLatToXY(XLLUVVector* in, XDistVector* out) {
    if (!in || !out) return kErrBadArgument;
    CGeo origin;
    origin.SetLatLon(mdOriginLatitude, mdOriginLongitude);
    CGeo point;
    point.SetLatLon(in->mdLatitude, in->mdLongitude);
    point.GetXYDistance(&origin, &out->mdX, &out->mdY, nullptr);
    return kNoErr;
}

long CLLUV::XYToLonLat(XDistVector* in, XLLUVVector* out) {
    if (!in || !out) return kErrBadArgument;
    CGeo point;
    point.SetLatLon(mdOriginLatitude, mdOriginLongitude);
    point.AddXYDistance(in->mdX, in->mdY, nullptr);
    out->mdLatitude = point.GetLatitude();
    out->mdLongitude = point.GetLongitude();
    return kNoErr;
}

long CLLUV::LonLatToRangeBearing(XLLUVVector* in, XRBVDVector* out) {
    if (!in || !out) return kErrBadArgument;
    CGeo origin;
    origin.SetLatLon(mdOriginLatitude, mdOriginLongitude);
    CGeo point;
    point.SetLatLon(in->mdLatitude, in->mdLongitude);
    double azimuth = 0.0;
    out->mdRange = origin.GetDistanceMeters(&point, &azimuth, nullptr, nullptr);
    out->mdBearing = LimitDegrees(azimuth, 0.0, kLimitInverse);
    return kNoErr;
}

long CLLUV::UVToVelDirection(XLLUVVector* in, XRBVDVector* out) {
    if (!in || !out) return kErrBadArgument;
    const double u = in->mdVelocityU;
    const double v = in->mdVelocityV;
    out->mdVelocity = std::sqrt(u * u + v * v);
    double direction = std::atan2(u, v) * kRadiansToDegrees;
    if (mnSignedVelocity) {
        // The way back to the site is the bearing turned around; a flow more
        // than 90 degrees off it runs away from the site.
        const double offset = DegreeDifference(direction, out->mdBearing + 180.0);
        if (std::fabs(offset) > 90.0 + kPerpendicularSlack) {
            direction += 180.0;
            out->mdVelocity = -out->mdVelocity;
        }
    }
    out->mdDirection = LimitDegrees(direction, 0.0, kLimitInverse);
    return kNoErr;
}

long CLLUV::RangeBearingToLonLatUV(XRBVDVector* in, XLLUVVector* out) {
    if (!in || !out) return kErrBadArgument;
    CGeo point;
    point.SetLatLon(mdOriginLatitude, mdOriginLongitude);
    double backAzimuth = 0.0;
    point.AddDistanceMeters(in->mdBearing, in->mdRange, &backAzimuth, nullptr);
    SetLonLatUVFromEnd(point, backAzimuth, in, out);
    return kNoErr;
}

long CLLUV::UpdateXYFromLonLat() {
    if (mnVectors == 0) return kNoErr;
    if (!mpLLUV || !mpDist) return kErrBadArgument;
    for (long i = 0; i < mnVectors; ++i) {
        const long result = LonLatToXY(&mpLLUV[i], &mpDist[i]);
        if (result != kNoErr) return result;
    }
    return kNoErr;
}

long CLLUV::UpdateLonLatUVFromRangeBearing() {
    if (mnVectors == 0) return kNoErr;
    if (!mpRBVD || !mpLLUV) return kErrBadArgument;
    for (long i = 0; i < mnVectors; ++i) {
        const long result = RangeBearingToLonLatUV(&mpRBVD[i], &mpLLUV[i]);
        if (result != kNoErr) return result;
    }
    return kNoErr;
}

long CLLUV::UpdateDirectionFromRadialBearing() {
    if (mnVectors == 0) return kNoErr;
    if (!mpRBVD) return kErrBadArgument;
    for (long i = 0; i < mnVectors; ++i) {
        CGeo point;
        point.SetLatLon(mdOriginLatitude, mdOriginLongitude);
        double backAzimuth = 0.0;
        point.AddDistanceMeters(mpRBVD[i].mdBearing, mpRBVD[i].mdRange, &backAzimuth, nullptr);
        mpRBVD[i].mdDirection = LimitDegrees(backAzimuth, 0.0, kLimitRadialDirection);
    }
    return kNoErr;
}

long CLLUV::UpdateFromSpectraRadialSource() {
    if (mnVectors == 0) return kNoErr;
    if (!mpSpectraSource || !mpLLUV || !mpRBVD) return kErrBadArgument;
    for (long i = 0; i < mnVectors; ++i) {
        const XSpectraSource& source = mpSpectraSource[i];
        XRBVDVector& polar = mpRBVD[i];
        polar.mdRange =
            static_cast<double>(source.mnRangeCell - mnFirstRangeCell) * mdRangeResolutionMeters;
        polar.mdBearing = source.mdBearing;
        polar.mdVelocity = source.mdVelocity;
        // One direct problem gives both the direction back to the site and
        // the position.
        CGeo point;
        point.SetLatLon(mdOriginLatitude, mdOriginLongitude);
        double backAzimuth = 0.0;
        point.AddDistanceMeters(polar.mdBearing, polar.mdRange, &backAzimuth, nullptr);
        polar.mdDirection = LimitDegrees(backAzimuth, 0.0, kLimitRadialDirection);
        SetLonLatUVFromEnd(point, backAzimuth, &polar, &mpLLUV[i]);
    }
    UpdateXYFromLonLat();
    return kNoErr;
}

// ---------------------------------------------------------------------------
// Setters and adders that keep the forms consistent

long CLLUV::SetVectorLonLat(long index, double lon, double lat, long updateRangeBearing,
                            long updateXY) {
    if (!IsValidIndex(index) || !mpLLUV) return -1;
    XLLUVVector& geographic = mpLLUV[index];
    geographic.mdLongitude = lon;
    geographic.mdLatitude = lat;
    if (updateRangeBearing && mpRBVD) {
        LonLatToRangeBearing(&geographic, &mpRBVD[index]);
        UVToVelDirection(&geographic, &mpRBVD[index]);
    }
    if (updateXY && mnUseDistance && mpDist) LonLatToXY(&geographic, &mpDist[index]);
    return index;
}

long CLLUV::SetVectorLonLatUV(long index, double lon, double lat, double u, double v,
                              long updateRangeBearing, long updateXY) {
    if (!IsValidIndex(index) || !mpLLUV) return -1;
    mpLLUV[index].mdVelocityU = u;
    mpLLUV[index].mdVelocityV = v;
    return SetVectorLonLat(index, lon, lat, updateRangeBearing, updateXY);
}

long CLLUV::AddNewVectorRangeBearing(double range, double bearing, double velocity,
                                     double direction, double quality) {
    const long index = TakeSlot();
    if (index < 0) return -1;

    // The polar values are formed even without a polar array, so that a
    // geographic-only store still gets the vector's position from them.
    XRBVDVector scratch{};
    XRBVDVector& polar = mpRBVD ? mpRBVD[index] : scratch;
    polar.mdRange = range;
    polar.mdBearing = LimitDegrees(bearing, 0.0, kLimitAdded);
    polar.mdVelocity = velocity;
    polar.mdDirection = (std::isnan(direction) || direction > kLLUVDirectionReplaced)
                            ? kLLUVDirectionNotComputed
                            : LimitDegrees(direction, 0.0, kLimitAdded);

    if (mpDist) {
        // A flat approximation, good enough for the short ranges of a site.
        const double r = bearing * kDegreesToRadians;
        mpDist[index].mdX = std::sin(r) * range;
        mpDist[index].mdY = std::cos(r) * range;
    }
    if (mpQuality) {
        XQualityVector& record = mpQuality[index];
        record.mfQuality[0] = LLUVNarrowToFloat(quality);
        record.mfQuality[1] = 0.0f;
        record.mfQuality[2] = 0.0f;
        record.mfQuality[3] = 0.0f;
        record.mnFlags = 0;
    }
    if (mpLLUV) {
        if (DerivesGeographic(mnVectorType)) {
            RangeBearingToLonLatUV(&polar, &mpLLUV[index]);
        } else {
            ZeroRecord(mpLLUV, index);
        }
    }
    return index;
}

long CLLUV::AddNewVectorLonLatUV(double lon, double lat, double u, double v, unsigned long flags,
                                 double q0, double q1, double q2, double q3) {
    const long index = TakeSlot();
    if (index < 0) return -1;
    SetVectorLonLatUV(index, lon, lat, u, v, 0, 0);
    // The same values as the geographic record, also when there is none, so
    // a polar-only store still derives its vector from them.
    XLLUVVector geographic{lon, lat, u, v};
    if (mpQuality) {
        XQualityVector& record = mpQuality[index];
        record.mfQuality[0] = LLUVNarrowToFloat(q0);
        record.mfQuality[1] = LLUVNarrowToFloat(q1);
        record.mfQuality[2] = LLUVNarrowToFloat(q2);
        record.mfQuality[3] = LLUVNarrowToFloat(q3);
        record.mnFlags = static_cast<uint32_t>(flags);
    }
    if (mnUseDistance && mpDist) LonLatToXY(&geographic, &mpDist[index]);
    if (mpRBVD) {
        if (DerivesPolar(mnVectorType)) {
            LonLatToRangeBearing(&geographic, &mpRBVD[index]);
            UVToVelDirection(&geographic, &mpRBVD[index]);
        } else {
            ZeroRecord(mpRBVD, index);
        }
    }
    return index;
}

long CLLUV::AddNewVectorXYUV(double x, double y, double u, double v, unsigned long flags, double q0,
                             double q1, double q2, double q3) {
    XDistVector offset{x, y};
    XLLUVVector position{};
    XYToLonLat(&offset, &position);
    const long index = AddNewVectorLonLatUV(position.mdLongitude, position.mdLatitude, u, v, flags,
                                            q0, q1, q2, q3);
    // The offsets given are exact; the ones recomputed from the derived
    // position would carry the round trip's error.
    if (index >= 0 && mnUseDistance && mpDist) mpDist[index] = offset;
    return index;
}

long CLLUV::AddNewVector(double lon, double lat, double u, double v, double x, double y,
                         double range, double bearing, double velocity, double direction,
                         unsigned long flags, double q0, double q1, double q2, double q3, double q4,
                         long editCount, long radialCount) {
    const long index = TakeSlot();
    if (index < 0) return -1;
    SetVectorLonLatUV(index, lon, lat, u, v, 0, 0);
    if (mpDist) {
        mpDist[index].mdX = x;
        mpDist[index].mdY = y;
    }
    if (mpRBVD) {
        XRBVDVector& polar = mpRBVD[index];
        polar.mdRange = range;
        polar.mdBearing = LimitDegrees(bearing, 0.0, kLimitAdded);
        polar.mdVelocity = velocity;
        polar.mdDirection = LimitDegrees(direction, 0.0, kLimitAdded);
    }
    SetVectorFlag(index, flags);
    SetVectorQuality(index, q0, q1, q2, q3, q4, editCount, radialCount);
    return index;
}
