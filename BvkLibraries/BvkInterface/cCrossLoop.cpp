#include "cCrossLoop.h"

#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformTime.h"
#include "cTsmArray.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <utility>

namespace {

constexpr uint32_t kCodeXXXX = 0x58585858;      // 'XXXX'
constexpr uint32_t kCodeFourBlanks = 0x20202020;  // '    '
constexpr long kInitialCapacity = 1024;
constexpr long kMinimumCapacity = 8;
constexpr long kGrowthStep = 512;
// Far beyond any pattern or loop file (about 100 MB of arrays); a larger
// request is refused as out of memory rather than attempted.
constexpr long kMaximumCapacity = 1L << 20;

bool IsMissing(double bearing) { return bearing == kMissingBearing; }

}  // namespace

CCrossLoop::CCrossLoop(unsigned long loopType) {
    ClearFields();
    mnLoopType = static_cast<uint32_t>(loopType);
    Resize(kInitialCapacity);
}

CCrossLoop::CCrossLoop(const CCrossLoop& other) : mnLoopType(other.mnLoopType) {
    CopyFields(other);
    mnCapacity = other.mnCapacity;
    mnVectors = other.mnVectors;
    mpBearings = other.mpBearings;
    mpPatterns = other.mpPatterns;
    mpQualities = other.mpQualities;
    mpInfos = other.mpInfos;
    mpFlags = other.mpFlags;
}

// The object keeps its own type: a pattern stays a pattern.
CCrossLoop& CCrossLoop::operator=(const CCrossLoop& other) {
    if (this == &other) return *this;
    CopyFields(other);
    try {
        mpBearings = other.mpBearings;
        mpPatterns = other.mpPatterns;
        mpQualities = other.mpQualities;
        mpInfos = other.mpInfos;
        mpFlags = other.mpFlags;
        mnCapacity = other.mnCapacity;
        mnVectors = other.mnVectors;
    } catch (const std::exception&) {
        Resize(kMinimumCapacity);
    }
    return *this;
}

CCrossLoop::~CCrossLoop() = default;

void CCrossLoop::ClearFields() {
    mnSiteCode = kCodeXXXX;
    mnTime = PlatformNow1904Local();
    mnReserved1 = mnReserved2 = 0;
    mnReservedCode = kCodeFourBlanks;
    mdAntennaBearing = 0;
    mdAngularResolution = mdAngularSmoothing = 0;
    mnReserved3 = mnReserved4 = 0;
    mnReferenceChannel = 0;
    mdReserved = 0;
    mdLatitude = mdLongitude = 0;
    mszComment[0] = 0;
    mnRangeCells = mnDopplerCells = 0;
    mdTxCenterFreqHz = mdTxBandwidthHz = mdTxSweepRateHz = 0;
    mnTimeStamp = 0;
    mnCapacity = 0;
    mnVectors = 0;
}

void CCrossLoop::CopyFields(const CCrossLoop& other) {
    mnSiteCode = other.mnSiteCode;
    mnTime = other.mnTime;
    mnReserved1 = other.mnReserved1;
    mnReserved2 = other.mnReserved2;
    mnReservedCode = other.mnReservedCode;
    mdAntennaBearing = other.mdAntennaBearing;
    mdAngularResolution = other.mdAngularResolution;
    mdAngularSmoothing = other.mdAngularSmoothing;
    mnReserved3 = other.mnReserved3;
    mnReserved4 = other.mnReserved4;
    mnReferenceChannel = other.mnReferenceChannel;
    mdReserved = other.mdReserved;
    mdLatitude = other.mdLatitude;
    mdLongitude = other.mdLongitude;
    memcpy(mszComment, other.mszComment, sizeof(mszComment));
    mnRangeCells = other.mnRangeCells;
    mnDopplerCells = other.mnDopplerCells;
    mdTxCenterFreqHz = other.mdTxCenterFreqHz;
    mdTxBandwidthHz = other.mdTxBandwidthHz;
    mdTxSweepRateHz = other.mdTxSweepRateHz;
    mnTimeStamp = other.mnTimeStamp;
}

// Every array to `capacity` entries plus the spare, keeping the first
// mnVectors; on failure nothing changes.
bool CCrossLoop::Resize(long capacity) {
    if (capacity < mnVectors || capacity > kMaximumCapacity) return false;
    size_t entries = static_cast<size_t>(capacity) + 1;
    try {
        std::vector<double> bearings(entries, 0.0);
        std::vector<XLPattern> patterns(entries, XLPattern{});
        std::vector<XLQuality> qualities(entries, XLQuality{});
        std::vector<uint32_t> flags(entries, 0);
        std::vector<XLPatternInfo> infos(mnLoopType == kLoopTypeLoop ? entries : 0,
                                         XLPatternInfo{});
        size_t keep = static_cast<size_t>(mnVectors);
        std::copy_n(mpBearings.begin(), keep, bearings.begin());
        std::copy_n(mpPatterns.begin(), keep, patterns.begin());
        std::copy_n(mpQualities.begin(), keep, qualities.begin());
        std::copy_n(mpFlags.begin(), keep, flags.begin());
        if (!infos.empty()) {
            std::copy_n(mpInfos.begin(), std::min(keep, mpInfos.size()), infos.begin());
        }
        mpBearings.swap(bearings);
        mpPatterns.swap(patterns);
        mpQualities.swap(qualities);
        mpFlags.swap(flags);
        mpInfos.swap(infos);
    } catch (const std::exception&) {
        return false;
    }
    mnCapacity = static_cast<int32_t>(capacity);
    return true;
}

void CCrossLoop::Clear() {
    ClearFields();
    mpBearings.clear();
    mpPatterns.clear();
    mpQualities.clear();
    mpInfos.clear();
    mpFlags.clear();
    Resize(kInitialCapacity);
}

long CCrossLoop::Allocate(long capacity) {
    if (capacity == -1) capacity = mnCapacity;
    if (capacity < kMinimumCapacity) capacity = kMinimumCapacity;
    mnVectors = 0;
    return Resize(capacity) ? kNoErr : kErrOutOfMemory;
}

long CCrossLoop::AllocateMore(long extra) {
    if (extra < kMinimumCapacity) extra = kMinimumCapacity;
    if (extra > kMaximumCapacity - mnCapacity) return kErrOutOfMemory;
    return Resize(mnCapacity + extra) ? kNoErr : kErrOutOfMemory;
}

void CCrossLoop::EmptyCopy(const CCrossLoop* other) {
    if (other == nullptr || other == this) return;
    CopyFields(*other);
    mnVectors = 0;
}

void CCrossLoop::Swap(CCrossLoop* other) {
    if (other == nullptr || other == this) return;
    CCrossLoop held(*other);
    other->CopyFields(*this);
    CopyFields(held);
    std::swap(mnCapacity, other->mnCapacity);
    std::swap(mnVectors, other->mnVectors);
    mpBearings.swap(other->mpBearings);
    mpPatterns.swap(other->mpPatterns);
    mpQualities.swap(other->mpQualities);
    mpInfos.swap(other->mpInfos);
    mpFlags.swap(other->mpFlags);
}

unsigned long CCrossLoop::SetOriginTime(unsigned long time) {
    unsigned long previous = mnTime;
    mnTime = static_cast<uint32_t>(time);
    return previous;
}

long CCrossLoop::AddNewVector(double bearing, const XLPattern* pattern, const XLQuality* quality,
                              const XLPatternInfo* info, unsigned long flag) {
    if (mnVectors >= mnCapacity && AllocateMore(kGrowthStep) != kNoErr) return 0;
    size_t i = static_cast<size_t>(mnVectors);
    mpBearings[i] = bearing;
    mpPatterns[i] = pattern ? *pattern : XLPattern{};
    mpQualities[i] = quality ? *quality : XLQuality{};
    if (i < mpInfos.size()) mpInfos[i] = info ? *info : XLPatternInfo{};
    mpFlags[i] = static_cast<uint32_t>(flag);
    return ++mnVectors;
}

long CCrossLoop::AdjustBearings(double delta) {
    if (mnVectors <= 0) return kErrBadArgument;
    if (delta == 0) return kNoErr;
    for (long i = 0; i < mnVectors; ++i) {
        if (!IsMissing(mpBearings[i])) mpBearings[i] += delta;
    }
    return kNoErr;
}

void CCrossLoop::LimitBearings360() {
    for (long i = 0; i < mnVectors; ++i) {
        if (!IsMissing(mpBearings[i])) mpBearings[i] = LimitDegrees(mpBearings[i], 0, 359.99999);
    }
}

void CCrossLoop::FlipBearings() {
    auto n = static_cast<size_t>(mnVectors);
    std::reverse(mpBearings.begin(), mpBearings.begin() + n);
    std::reverse(mpPatterns.begin(), mpPatterns.begin() + n);
    std::reverse(mpQualities.begin(), mpQualities.begin() + n);
    std::reverse(mpFlags.begin(), mpFlags.begin() + n);
    if (mpInfos.size() >= n) std::reverse(mpInfos.begin(), mpInfos.begin() + n);
    for (size_t i = 0; i < n; ++i) {
        if (!IsMissing(mpBearings[i])) mpBearings[i] = LimitDegrees(-mpBearings[i], 0, 359.9999);
    }
}

long CCrossLoop::Rotate(long first) {
    if (first < 0 || first >= mnVectors) return kErrBadArgument;
    auto n = static_cast<size_t>(mnVectors);
    auto k = static_cast<size_t>(first);
    std::rotate(mpBearings.begin(), mpBearings.begin() + k, mpBearings.begin() + n);
    std::rotate(mpPatterns.begin(), mpPatterns.begin() + k, mpPatterns.begin() + n);
    std::rotate(mpQualities.begin(), mpQualities.begin() + k, mpQualities.begin() + n);
    std::rotate(mpFlags.begin(), mpFlags.begin() + k, mpFlags.begin() + n);
    if (mpInfos.size() >= n) std::rotate(mpInfos.begin(), mpInfos.begin() + k, mpInfos.begin() + n);
    return kNoErr;
}

long CCrossLoop::CalculatePatternResolution(double* out) const {
    if (out == nullptr) return kErrBadArgument;
    *out = 0;
    // The steps are ranked as floats; the result is the chosen step itself.
    std::vector<double> steps;
    std::vector<float> ranks;
    try {
        size_t pairs = mnVectors > 1 ? static_cast<size_t>(mnVectors) - 1 : 0;
        steps.reserve(pairs);
        ranks.reserve(pairs);
    } catch (const std::exception&) {
        return kErrOutOfMemory;
    }
    for (long i = 0; i + 1 < mnVectors; ++i) {
        if (IsMissing(mpBearings[i]) || IsMissing(mpBearings[i + 1])) continue;
        steps.push_back(std::fabs(DegreeDifference(mpBearings[i + 1], mpBearings[i])));
        ranks.push_back(static_cast<float>(steps.back()));
    }
    if (steps.empty()) return kNoErr;
    long median = CTsmArray::FloatArrayFindMedian(ranks.data(), static_cast<long>(ranks.size()), 1);
    if (median < 0 || static_cast<size_t>(median) >= steps.size()) median = 0;
    *out = steps[static_cast<size_t>(median)];
    return kNoErr;
}
