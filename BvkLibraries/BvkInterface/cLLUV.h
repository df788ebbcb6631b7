#pragma once
// One map of surface-current vectors and the information that says how and
// where it was made. A vector is kept in up to two position forms at once:
// geographic (longitude, latitude, east and north components) and polar about
// the map origin (range, bearing, signed speed, direction). Optional arrays
// carry x/y offsets, quality values, contributing sites, the spectra source
// cell and wave values. Every array is a flat array of fixed-size records,
// one record per vector, all of the same capacity (`mnAllocated`), grown 1024
// vectors at a time and never shrunk.
//
// Units in memory: degrees (east and north positive), metres, metres per
// second; bearings and directions clockwise from true north, 0 to just under
// 360. Times are seconds since 1904-01-01 00:00.
//
// Markers: a direction of 1080 means "not computed yet", and any direction of
// 720 or more is replaced when the geographic form is derived; a velocity of
// 900 or more marks a vector without velocity (u = v = 0 when derived).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

class CGeo;

// A four-character code with its first character in the most significant byte.
constexpr uint32_t LLUVCode(const char (&text)[5]) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}

// Map types.
constexpr uint32_t kLLUVMapRadial = LLUVCode("rdls");
constexpr uint32_t kLLUVMapTotal = LLUVCode("tots");
constexpr uint32_t kLLUVMapElliptical = LLUVCode("elps");
constexpr uint32_t kLLUVMapWave = LLUVCode("wvmp");
constexpr uint32_t kLLUVMapTsunami = LLUVCode("tmap");

// Vector types: which position arrays exist (0: not decided yet).
constexpr uint32_t kLLUVVectorGeographic = LLUVCode("lluv");
constexpr uint32_t kLLUVVectorPolar = LLUVCode("rbvd");
constexpr uint32_t kLLUVVectorFull = LLUVCode("full");

constexpr double kLLUVDirectionNotComputed = 1080.0;
constexpr double kLLUVDirectionReplaced = 720.0;  // and above
constexpr double kLLUVVelocityMissing = 900.0;    // and above
constexpr float kLLUVAntennaBearingUnknown = 1440.0f;
// The most range cells a map may span, from its first cell to its last. The
// classic radial file holds a count line for every cell of the span, empty
// ones included, so a wider span (a stray cell number such as 2,000,000,000)
// would make a file of gigabytes out of a few bytes: importers refuse it.
constexpr long kLLUVMaxCellSpan = 65535;

// A double narrowed to a float field: finite values beyond the float range
// become the largest float of their sign instead of an undefined conversion.
inline float LLUVNarrowToFloat(double value) {
    constexpr double kFloatMax = 3.4028234663852886e38;
    if (std::isfinite(value)) {
        if (value > kFloatMax) return static_cast<float>(kFloatMax);
        if (value < -kFloatMax) return static_cast<float>(-kFloatMax);
    }
    return static_cast<float>(value);
}

// Copies a text into a fixed buffer, cut to fit and always terminated.
template <size_t N>
void LLUVCopyText(char (&buffer)[N], const char* text) {
    const size_t length = text ? strnlen(text, N - 1) : 0;
    if (length) std::memcpy(buffer, text, length);
    buffer[length] = 0;
}

constexpr long kLLUVInitialCapacity = 16384;
constexpr long kLLUVGrowthStep = 1024;

struct XLLUVVector {
    double mdLongitude;
    double mdLatitude;
    double mdVelocityU;  // east, m/s
    double mdVelocityV;  // north, m/s
};

struct XRBVDVector {
    double mdRange;      // metres from the origin
    double mdBearing;    // from the origin to the vector
    double mdVelocity;   // signed speed, m/s
    double mdDirection;  // direction of flow for a positive speed
};

struct XDistVector {
    double mdX;  // east of the origin, metres
    double mdY;  // north of the origin, metres
};

// What the five quality slots hold depends on the quality mode:
//   mode 1 STDV               [2] STDV
//   mode 2 UQAL VQAL          [0] UQAL [1] VQAL
//   mode 3 VFLG UQAL VQAL     flags, [0] UQAL [1] VQAL
//   mode 4 ... CQAL           as 3, [2] CQAL
//   mode 5 VFLG STDV          flags, [2] STDV
//   mode 6 VFLG ESPC ETMP     flags, [2] ESPC [3] ETMP
//   mode 7 ... MINV MAXV      flags, [0] MAXV [1] MINV [2] ESPC [3] ETMP [4] EDIF
// MAXV and MINV are velocities (m/s); the others are kept as read.
struct XQualityVector {
    uint32_t mnFlags;
    long mnEditCount;    // EDVC
    long mnRadialCount;  // ERTC
    float mfQuality[5];
};

struct XContributors {
    uint16_t mnContributor[6];
};

struct XSpectraSource {
    long mnRangeCell;
    double mdBearing;
    double mdVelocity;
};

struct XWaveValues {
    double mdWaveHeight;  // WVHT
    double mdWind;        // WIND
};

struct XCurFullVector {
    XLLUVVector mLLUV;
    XRBVDVector mRBVD;
    XQualityVector mQuality;
};

class CLLUV {
  public:
    CLLUV(unsigned long mapType, unsigned long vectorType);
    virtual ~CLLUV();
    CLLUV(const CLLUV&) = delete;
    CLLUV& operator=(const CLLUV&) = delete;

    // Zeroes the information block and mdLLUVSpec; the antenna bearing becomes
    // unknown (1440). Vectors are untouched. 0.
    virtual long ClearInfo();
    // ClearInfo, then the control flags and the information of `source` (not
    // its vectors). 0, or -50 for a null source (left cleared).
    virtual long CopyInfo(CLLUV* source);
    // Releases every array; no vectors. Capacity and flags are kept. 0.
    virtual long Clear();
    // Previous map time.
    virtual long SetOriginTime(unsigned long seconds, const char* timeZone);
    // Two-digit years: 0-79 are 2000-2079, 80-99 are 1980-1999. The seconds set.
    virtual long SetOriginTime(long year, long month, long day, long hour, long minute, long second,
                               const char* timeZone);
    virtual void SetSiteCode(unsigned long site);

    // Allocation and growth.
    // Clears, then creates every array the vector type and flags ask for with
    // `count` records (count <= 0 keeps the capacity; vectorType 0 keeps the
    // type). 0, or -108 when an allocation failed (the others still made).
    long Allocate(long count, unsigned long vectorType);
    // Grows every existing array by `count` records, zero-filled. 0, -50 for
    // a bad count, -108 when memory ran out (the store is left as it was).
    long AllocateMore(long count);
    // Room behind every array for `total` vectors in all, for a reader that
    // can tell how many it is about to add; the capacity stays as it is and
    // the room costs no memory until vectors fill it. 0, or -108 (nothing
    // changed) when memory ran out.
    long ReserveVectors(long total);
    // Both return the previous setting; the array is made at once when the
    // store is already allocated, and released by a zero setting.
    long UseQuality(long mode);
    long UseDistance(long use);
    long ChangeVectorType(unsigned long vectorType);

    // Adders and per-vector setters: index, or -1 (bad index, missing array,
    // failed growth).
    long AddNewEmptyVector();
    long SetVectorFlag(long index, unsigned long flags);
    long SetVectorQuality(long index, double q0, double q1, double q2, double q3, double q4,
                          long editCount, long radialCount);
    long SetVectorSixContributers(long index, unsigned long s1, unsigned long s2, unsigned long s3,
                                  unsigned long s4, unsigned long s5, unsigned long s6);
    long SetSpectraSourceInfo(long index, long rangeCell, double bearing, double velocity);
    long SetWaveMapInfo(long index, double waveHeight, double wind);
    long GetVectorFromIndex(long index, XCurFullVector* out);
    // Index of the first vector of greatest range; 0 and -1.0 without
    // vectors; -1 without a polar array.
    long FindVectorAtMaximumRange(double* maxRange);
    long GetNumberOfVectors() const { return mnVectors; }

    unsigned long GetOriginTime() const { return mnOriginTime; }
    long SetOriginLocation(CGeo* point);
    double GetOriginLatitude() const { return mdOriginLatitude; }
    double GetOriginLongitude() const { return mdOriginLongitude; }
    void SetAntennaBearing(double bearing) { mfAntennaBearing = LLUVNarrowToFloat(bearing); }
    double GetAntennaBearing() const { return mfAntennaBearing; }

    // Conversions between the position forms about the origin, on the common
    // earth model. 0, or -50 for a null record.
    long LonLatToXY(XLLUVVector* in, XDistVector* out);
    long XYToLonLat(XDistVector* in, XLLUVVector* out);
    long LonLatToRangeBearing(XLLUVVector* in, XRBVDVector* out);
    // Speed and direction from u and v, seen from the bearing already in
    // `out`. With mnSignedVelocity set a flow away from the site gets a
    // negative speed and the direction turned towards the site.
    long UVToVelDirection(XLLUVVector* in, XRBVDVector* out);
    // May fill in->mdDirection when it is a marker (720 or more).
    long RangeBearingToLonLatUV(XRBVDVector* in, XLLUVVector* out);

    // Bulk updates: 0, -50 when a needed array is missing, or the first
    // failing conversion's result.
    long UpdateXYFromLonLat();
    long UpdateLonLatUVFromRangeBearing();
    long UpdateDirectionFromRadialBearing();
    long UpdateFromSpectraRadialSource();

    long SetVectorLonLat(long index, double lon, double lat, long updateRangeBearing,
                         long updateXY);
    long SetVectorLonLatUV(long index, double lon, double lat, double u, double v,
                           long updateRangeBearing, long updateXY);
    long AddNewVectorRangeBearing(double range, double bearing, double velocity, double direction,
                                  double quality);
    long AddNewVectorLonLatUV(double lon, double lat, double u, double v, unsigned long flags,
                              double q0, double q1, double q2, double q3);
    long AddNewVectorXYUV(double x, double y, double u, double v, unsigned long flags, double q0,
                          double q1, double q2, double q3);
    long AddNewVector(double lon, double lat, double u, double v, double x, double y, double range,
                      double bearing, double velocity, double direction, unsigned long flags,
                      double q0, double q1, double q2, double q3, double q4, long editCount,
                      long radialCount);

    // Control block.
    uint32_t mnMapType;
    double mdLLUVSpec;
    uint32_t mnVectorType;
    long mnQualityMode;
    long mnUseDistance;
    long mnContributorCount;
    long mnSpectraSourceMask;  // 1 SPRC, 2 SAOA, 4 SPCV, 8 BANG, 16 BADJ
    long mnUseWaveMap;
    long mnSignedVelocity;
    long mnVectors;
    long mnAllocated;
    XLLUVVector* mpLLUV;
    XRBVDVector* mpRBVD;
    XDistVector* mpDist;
    XQualityVector* mpQuality;
    XContributors* mpContributors;
    XSpectraSource* mpSpectraSource;
    XWaveValues* mpWaveMap;

    // Information block.
    uint32_t mnSiteCode;
    uint32_t mnOriginTime;
    long mnTimeZoneSeconds;
    char msTimeZone[32];
    long mnTimeCoverageSeconds;
    double mdOriginLongitude;
    double mdOriginLatitude;
    float mfAntennaBearing;
    float mfReferenceBearing;
    double mdTransmitFrequencyHz;
    double mdDopplerResolutionHz;
    double mdTransmitBandwidthHz;
    double mdSweepRateHz;
    double mdRangeResolutionMeters;
    long mnRangeStart;
    long mnRangeEnd;
    long mnBraggSmoothingPoints;
    long mnBraggHasSecondOrder;
    float mfRadialBraggPeakDropOff;
    float mfRadialBraggPeakNull;
    float mfRadialBraggNoiseThreshold;
    float mfMaximumCurrentVelocity;
    float mfMusicParameters[3];
    float mfPatternAmplitudeCorrections[2];
    float mfPatternPhaseCorrections[2];
    float mfPatternAmplitudeCalculations[2];
    float mfPatternPhaseCalculations[2];
    long mnPatternType;  // 0 unknown, 1 ideal, 2 measured
    uint32_t mnPatternDate;
    float mfPatternResolution;
    float mfPatternSmoothing;
    long mnRadialMinimumMergePoints;
    long mnRadialSmoothing;
    long mnFirstOrderCalc;
    long mnMergeMethod;
    long mnFirstRangeCell;  // the cell at range 0
    long mnPatternMethod;
    char msPatternUUID[256];
    long mnMergedCount;
    float mfTemperature;
    double mdReceiverX;
    double mdReceiverY;
    double mdTransmitterX;
    double mdTransmitterY;
    double mdTsunamiDirectionOfArrival;
    double mdTsunamiStripThickness;
    double mdTsunamiShelfBearing;
    double mdTsunamiCoverageLong;
    double mdTsunamiCoverageShort;
    long mnTsunamiSimType;
    double mdTsunamiSimShelfStart;
    double mdTsunamiSimSlowness;
    double mdTsunamiSimWaveHeight;
    double mdTsunamiSimWavePeriod;

  private:
    // Applies `visit(a.field, b.field)` to every field of the information
    // block, in order.
    template <class A, class B, class Visit>
    static void VisitInfo(A& a, B& b, Visit visit);
    // The next free slot, growing the store when it is full; -1 when growth
    // failed.
    long TakeSlot();
    bool IsValidIndex(long index) const { return index >= 0 && index < mnVectors; }
    void ReleaseArrays();
    // Every existing array grown to hold `records`; false when one could not
    // grow (those grown before it are merely larger than needed).
    bool ReserveAll(long records);

    // Records every existing array holds, mnAllocated or more.
    long mnReserved = kLLUVInitialCapacity;
};
