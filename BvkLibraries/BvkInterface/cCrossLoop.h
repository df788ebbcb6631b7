#pragma once
// The receive antenna's response versus bearing (an antenna pattern), or loop
// data of the same shape, as parallel arrays by bearing: the bearing, the
// complex ratios of antenna 1 to 3 and 2 to 3, their qualities, a flag, and
// for loop data an information record.
//
// Bearings are degrees clockwise from true north. The value 1440 marks a
// missing bearing: the bearing operations leave it as it is, so that it
// stays recognisable, and the resolution leaves it out.

#include <cstdint>
#include <vector>

constexpr uint32_t kLoopTypePattern = 0x50415454;  // 'PATT'
constexpr uint32_t kLoopTypeLoop = 0x4C4F4F50;     // 'LOOP'

constexpr double kMissingBearing = 1440.0;

// Pattern parts: real and imaginary parts of antenna 1 relative to 3 and of
// antenna 2 relative to 3.
struct XLPattern {
    double a13r;
    double a13i;
    double a23r;
    double a23i;
    double spare[2];
};

// The quality of each of the four parts.
struct XLQuality {
    double q13r;
    double q13i;
    double q23r;
    double q23i;
};

// What loop data carries per vector beyond the pattern (no tool of the system
// reads it).
struct XLPatternInfo {
    uint32_t time;      // 1904 seconds of the measurement
    int32_t rangeCell;
    int32_t dopplerCell;
    float signal[3];    // the three antennas' signal levels
    float noise[3];
    float snr[3];
    double speed;       // radial speed of the echo, m/s
};

class CCrossLoop {
public:
    explicit CCrossLoop(unsigned long loopType);
    CCrossLoop(const CCrossLoop& other);
    CCrossLoop& operator=(const CCrossLoop& other);
    virtual ~CCrossLoop();

    // Back to the constructed state (the capacity goes back to 1,024).
    void Clear();
    // At least 8 entries (-1 keeps the capacity); the vectors are dropped.
    // -108 when memory runs out or for more than 1,048,576 entries.
    long Allocate(long capacity);
    // At least 8 more entries, keeping the vectors. -108 when memory runs out.
    long AllocateMore(long extra);
    // The descriptive fields of `other`, no vectors.
    void EmptyCopy(const CCrossLoop* other);
    void Swap(CCrossLoop* other);
    long GetNumberOfVectors() const { return mnVectors; }
    // Returns the previous time.
    unsigned long SetOriginTime(unsigned long time);

    // Appends one vector; missing records stay zero; the arrays grow by 512
    // when full. The new count, 0 when memory runs out.
    long AddNewVector(double bearing, const XLPattern* pattern, const XLQuality* quality,
                      const XLPatternInfo* info, unsigned long flag);

    // Adds `delta` to every bearing: nothing for 0, -50 when empty.
    long AdjustBearings(double delta);
    // Every bearing into 0 ... 359.99999.
    void LimitBearings360();
    // Reverses the order of the vectors and turns every bearing b into -b
    // (0 ... 359.9999): counter-clockwise bearings become clockwise ones and
    // the list stays ordered.
    void FlipBearings();
    // Cyclic rotation that brings vector `first` to the front; -50 for an
    // index out of range.
    long Rotate(long first);
    // The median of the absolute bearing steps between neighbouring vectors,
    // pairs with a missing bearing left out; 0 when there is no step.
    long CalculatePatternResolution(double* out) const;

    uint32_t mnLoopType;
    uint32_t mnSiteCode;
    uint32_t mnTime;  // the pattern's date, local 1904 seconds
    uint32_t mnReserved1;
    uint32_t mnReserved2;
    uint32_t mnReservedCode;
    double mdAntennaBearing;
    double mdAngularResolution;
    double mdAngularSmoothing;
    uint32_t mnReserved3;
    uint32_t mnReserved4;
    int32_t mnReferenceChannel;  // 0: not given
    double mdReserved;
    double mdLatitude;
    double mdLongitude;
    char mszComment[256];
    int32_t mnRangeCells;
    int32_t mnDopplerCells;
    double mdTxCenterFreqHz;
    double mdTxBandwidthHz;
    double mdTxSweepRateHz;
    uint32_t mnTimeStamp;
    int32_t mnCapacity;
    int32_t mnVectors;
    // Each array holds mnCapacity entries and one spare.
    std::vector<double> mpBearings;
    std::vector<XLPattern> mpPatterns;
    std::vector<XLQuality> mpQualities;
    std::vector<XLPatternInfo> mpInfos;  // 'LOOP' data only
    std::vector<uint32_t> mpFlags;

private:
    void ClearFields();
    void CopyFields(const CCrossLoop& other);
    bool Resize(long capacity);
};

// A CCrossLoop of type 'PATT'.
class CCrossLoopPattern : public CCrossLoop {
public:
    CCrossLoopPattern() : CCrossLoop(kLoopTypePattern) {}
    virtual ~CCrossLoopPattern() = default;
};
