// The radial QC tests. Each is a plain function of the store (and the
// earlier hours); nothing here reads or writes files.

#include "cRadialQC.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "MyMath.h"

namespace {

struct XTestName {
    const char code[5];
    const char* name;
    bool fileTest;
};

// In ERadialQCTest order.
constexpr XTestName kTests[] = {
    {"Q201", "syntax", true},
    {"Q202", "maximum_speed", false},
    {"Q203", "valid_location", false},
    {"Q204", "radial_count", true},
    {"Q205", "spatial_median", false},
    {"Q206", "temporal_gradient", false},
    {"Q207", "average_radial_bearing", true},
    {"Q209", "stuck_value", false},
    {"PRIM", "primary_flag", false},
};
static_assert(sizeof kTests / sizeof kTests[0] == kQCTestCount);

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Velocities as the file wrote them: thousandths of a cm/s. A value that is
// no number, or beyond any speed, becomes a speed that fails every limit
// without overflowing the sums and differences made of it.
long long Thousandths(double centimetresPerSecond) {
    constexpr double kBeyond = 1e15;
    const double thousandths = centimetresPerSecond * 1000.0;
    if (!(std::fabs(thousandths) < kBeyond))
        return thousandths < 0 ? -1000000000000000LL : 1000000000000000LL;
    return std::llround(thousandths);
}

// A bearing from 0 to just under 360; one that is no number counts as 0.
double BearingOf(const CLLUVFile& store, long i) {
    const double bearing = store.mpRBVD[i].mdBearing;
    return std::isfinite(bearing) ? LimitDegrees(bearing, 0, 359.9999999) : 0;
}
long long VelocityThousandths(const CLLUVFile& store, long i) {
    return Thousandths(store.mpRBVD[i].mdVelocity * 100.0);
}

// A position as written (seven decimals), for finding the same place in
// another hour.
struct XPositionKey {
    long long lon;
    long long lat;
    bool operator<(const XPositionKey& o) const { return lon != o.lon ? lon < o.lon : lat < o.lat; }
    bool operator==(const XPositionKey& o) const { return lon == o.lon && lat == o.lat; }
};
XPositionKey PositionKey(const CLLUVFile& store, long i) {
    return {std::llround(store.mpLLUV[i].mdLongitude * 1e7),
            std::llround(store.mpLLUV[i].mdLatitude * 1e7)};
}

// An earlier hour's velocities by position, sorted for look-ups.
class CHourIndex {
  public:
    explicit CHourIndex(const CLLUVFile* store) {
        if (!store || !RadialQCHasPosition(*store) || !RadialQCHasVelocity(*store)) return;
        mEntries.reserve(static_cast<size_t>(store->mnVectors));
        for (long i = 0; i < store->mnVectors; ++i)
            mEntries.push_back({PositionKey(*store, i), VelocityThousandths(*store, i)});
        std::sort(mEntries.begin(), mEntries.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    // The velocity at `key`, or false when the hour has none there.
    bool Find(const XPositionKey& key, long long* velocity) const {
        auto it =
            std::lower_bound(mEntries.begin(), mEntries.end(), key,
                             [](const auto& e, const XPositionKey& k) { return e.first < k; });
        if (it == mEntries.end() || !(it->first == key)) return false;
        *velocity = it->second;
        return true;
    }

  private:
    std::vector<std::pair<XPositionKey, long long>> mEntries;
};

int WorstOf(int a, int b) {
    auto rank = [](int f) { return f == kQCFail ? 3 : f == kQCSuspect ? 2 : f == kQCPass ? 1 : 0; };
    return rank(b) > rank(a) ? b : a;
}

}  // namespace

bool RadialQCNameStamp(const char* name, long stamp[5], size_t* at) {
    const size_t length = std::strlen(name);
    constexpr char kShape[] = "dddd_dd_dd_dddd";
    constexpr size_t kWidth = sizeof kShape - 1;
    for (size_t start = 0; start + kWidth <= length; ++start) {
        bool match = true;
        for (size_t k = 0; k < kWidth && match; ++k) {
            const char c = name[start + k];
            match = kShape[k] == 'd' ? (c >= '0' && c <= '9') : c == '_';
        }
        if (!match) continue;
        int y, mo, d, hm;
        if (std::sscanf(name + start, "%4d_%2d_%2d_%4d", &y, &mo, &d, &hm) != 4) continue;
        stamp[0] = y;
        stamp[1] = mo;
        stamp[2] = d;
        stamp[3] = hm / 100;
        stamp[4] = hm % 100;
        if (at) *at = start;
        return true;
    }
    return false;
}

uint32_t RadialQCCode(int test) {
    return LLUVCode(kTests[test].code);
}
const char* RadialQCName(int test) {
    return kTests[test].name;
}
bool RadialQCIsFileTest(int test) {
    return kTests[test].fileTest;
}

bool RadialQCHasVelocity(const CLLUVFile& store) {
    return store.mpRBVD &&
           (store.mnVectorType == kLLUVVectorPolar || store.mnVectorType == kLLUVVectorFull);
}
bool RadialQCHasPosition(const CLLUVFile& store) {
    return store.mpLLUV &&
           (store.mnVectorType == kLLUVVectorGeographic || store.mnVectorType == kLLUVVectorFull);
}
bool RadialQCHasVectorFlag(const CLLUVFile& store) {
    return store.mpQuality && (store.mnColumnMask & kLLUVColumnVFLG);
}
bool RadialQCHasRangeCell(const CLLUVFile& store) {
    return store.mpSpectraSource && (store.mnSpectraSourceMask & 1);
}

int RadialQCSyntax(const CLLUVFile& store, const XRadialQCFileFacts& facts, uint32_t* problems) {
    uint32_t found = 0;
    long nameStamp[5] = {};
    if (!RadialQCNameStamp(facts.fileName, nameStamp, nullptr)) found |= kQCSyntaxNoNameStamp;
    if (store.mnVectors <= 0) found |= kQCSyntaxNoRows;
    if ((facts.keywords & kQCKeyAll) != kQCKeyAll) found |= kQCSyntaxMissingKeyword;
    if (!(found & kQCSyntaxNoNameStamp) && (facts.keywords & kQCKeyTimeStamp) &&
        !std::equal(nameStamp, nameStamp + 5, facts.stamp))
        found |= kQCSyntaxStampMismatch;
    if (facts.rowsOfWrongWidth > 0) found |= kQCSyntaxRowWidth;
    if (!(std::fabs(store.mdOriginLatitude) <= 90) || !(std::fabs(store.mdOriginLongitude) <= 180))
        found |= kQCSyntaxOriginRange;
    if (problems) *problems = found;
    return found ? kQCFail : kQCPass;
}

void RadialQCMaxSpeed(const CLLUVFile& store, const XRadialQCOptions& options,
                      std::vector<uint8_t>& flags) {
    flags.assign(static_cast<size_t>(store.mnVectors), kQCNotEvaluated);
    if (!RadialQCHasVelocity(store)) return;
    const long long max = Thousandths(options.maxSpeed), high = Thousandths(options.highSpeed);
    for (long i = 0; i < store.mnVectors; ++i) {
        const long long speed = std::llabs(VelocityThousandths(store, i));
        flags[i] = speed > max ? kQCFail : speed > high ? kQCSuspect : kQCPass;
    }
}

void RadialQCValidLocation(const CLLUVFile& store, std::vector<uint8_t>& flags) {
    flags.assign(static_cast<size_t>(store.mnVectors), kQCNotEvaluated);
    if (!RadialQCHasVectorFlag(store)) return;
    for (long i = 0; i < store.mnVectors; ++i)
        flags[i] = store.mpQuality[i].mnFlags == kQCVectorFlagLand ? kQCFail : kQCPass;
}

int RadialQCRadialCount(const CLLUVFile& store, const XRadialQCOptions& options, long* count) {
    long n = store.mnVectors;
    if (RadialQCHasVectorFlag(store)) {
        n = 0;
        for (long i = 0; i < store.mnVectors; ++i)
            if (store.mpQuality[i].mnFlags != kQCVectorFlagLand) ++n;
    }
    if (count) *count = n;
    if (n < options.minRadials) return kQCFail;
    if (n <= options.lowRadials) return kQCSuspect;
    return kQCPass;
}

double RadialQCAngularResolution(const CLLUVFile& store, const XRadialQCOptions& options,
                                 const XRadialQCFileFacts& facts) {
    if (options.angularResolution > 0) return options.angularResolution;
    if (facts.angularResolution > 0) return facts.angularResolution;
    if (!RadialQCHasVelocity(store)) return 0;
    // The bearing grid's step: the smallest gap between distinct bearings,
    // taken at the tenth of a degree the file writes them with.
    std::vector<long> tenths;
    tenths.reserve(static_cast<size_t>(store.mnVectors));
    for (long i = 0; i < store.mnVectors; ++i)
        tenths.push_back(std::lround(BearingOf(store, i) * 10.0) % 3600);
    std::sort(tenths.begin(), tenths.end());
    tenths.erase(std::unique(tenths.begin(), tenths.end()), tenths.end());
    if (tenths.size() < 2) return 0;
    long step = 3600 - tenths.back() + tenths.front();
    for (size_t k = 1; k < tenths.size(); ++k) step = std::min(step, tenths[k] - tenths[k - 1]);
    return step / 10.0;
}

void RadialQCSpatialMedian(const CLLUVFile& store, const XRadialQCOptions& options,
                           double angularResolution, std::vector<uint8_t>& flags) {
    const size_t n = static_cast<size_t>(store.mnVectors);
    flags.assign(n, kQCNotEvaluated);
    // Bearings are written to a tenth of a degree: finer cells mean nothing.
    if (!RadialQCHasVelocity(store) || !RadialQCHasRangeCell(store) ||
        !(angularResolution >= 0.1 && angularResolution <= 360))
        return;
    const long rangeWindow = std::lround(std::clamp(options.medianRangeCells, 0.0, 1e6));
    const long bearingWindow = static_cast<long>(
        std::floor(std::clamp(options.medianAngle, 0.0, 360.0) / angularResolution));
    const long cellsAround = std::lround(360.0 / angularResolution);
    const long long maxDiff = Thousandths(options.medianMaxDiff);

    struct XCell {
        long range;
        long bearing;
        long long velocity;
    };
    std::vector<XCell> cells(n);
    for (size_t i = 0; i < n; ++i) {
        long bearing = std::lround(BearingOf(store, static_cast<long>(i)) / angularResolution);
        if (cellsAround > 0) bearing = ((bearing % cellsAround) + cellsAround) % cellsAround;
        cells[i] = {store.mpSpectraSource[i].mnRangeCell, bearing,
                    VelocityThousandths(store, static_cast<long>(i))};
    }
    // The cells ordered by range, so that each row looks only at its band.
    std::vector<XCell> byRange(cells);
    std::sort(byRange.begin(), byRange.end(),
              [](const XCell& a, const XCell& b) { return a.range < b.range; });

    std::vector<long long> near;
    for (size_t i = 0; i < n; ++i) {
        const XCell& self = cells[i];
        auto first = std::lower_bound(byRange.begin(), byRange.end(), self.range - rangeWindow,
                                      [](const XCell& c, long r) { return c.range < r; });
        near.clear();
        for (auto it = first; it != byRange.end() && it->range <= self.range + rangeWindow; ++it) {
            long gap = std::labs(it->bearing - self.bearing);
            if (cellsAround > 0) gap = std::min(gap, cellsAround - gap);
            if (gap <= bearingWindow) near.push_back(it->velocity);
        }
        // Twice the median, so that the mean of two middle values stays whole.
        const size_t mid = near.size() / 2;
        std::nth_element(near.begin(), near.begin() + mid, near.end());
        long long twiceMedian = 2 * near[mid];
        if (near.size() % 2 == 0) {
            const long long below = *std::max_element(near.begin(), near.begin() + mid);
            twiceMedian = near[mid] + below;
        }
        flags[i] = std::llabs(2 * self.velocity - twiceMedian) > 2 * maxDiff ? kQCFail : kQCPass;
    }
}

void RadialQCTemporalGradient(const CLLUVFile& store, const CLLUVFile* hourBefore,
                              const XRadialQCOptions& options, std::vector<uint8_t>& flags) {
    flags.assign(static_cast<size_t>(store.mnVectors), kQCNotEvaluated);
    if (!RadialQCHasVelocity(store) || !RadialQCHasPosition(store)) return;
    const CHourIndex before(hourBefore);
    const long long warn = Thousandths(options.gradientWarn),
                    fail = Thousandths(options.gradientFail);
    for (long i = 0; i < store.mnVectors; ++i) {
        long long earlier = 0;
        if (!before.Find(PositionKey(store, i), &earlier)) continue;
        const long long change = std::llabs(VelocityThousandths(store, i) - earlier);
        flags[i] = change >= fail ? kQCFail : change >= warn ? kQCSuspect : kQCPass;
    }
}

int RadialQCAverageBearing(const CLLUVFile& store, const XRadialQCOptions& options,
                           double* meanBearing) {
    if (meanBearing) *meanBearing = 0;
    if (!RadialQCHasVelocity(store) || store.mnVectors <= 0) return kQCNotEvaluated;
    double east = 0, north = 0;
    for (long i = 0; i < store.mnVectors; ++i) {
        east += std::sin(BearingOf(store, i) * kDegreesToRadians);
        north += std::cos(BearingOf(store, i) * kDegreesToRadians);
    }
    // Bearings spread evenly round the circle have no mean.
    if (std::hypot(east, north) < 1e-9 * static_cast<double>(store.mnVectors))
        return kQCNotEvaluated;
    const double mean = LimitDegrees(std::atan2(east, north) * kRadiansToDegrees, 0, 359.9999999);
    if (meanBearing) *meanBearing = mean;
    // Bearings are written to a tenth of a degree; a difference rounded to a
    // millionth keeps boundaries such as exactly 15 degrees where they are.
    const double off = RoundTo(std::fabs(DegreeDifference(mean, options.referenceBearing)), 1e-6);
    if (off >= options.bearingFail) return kQCFail;
    if (off >= options.bearingWarn) return kQCSuspect;
    return kQCPass;
}

void RadialQCStuckValue(const CLLUVFile& store, const CLLUVFile* hourBefore,
                        const CLLUVFile* twoHoursBefore, const XRadialQCOptions& options,
                        std::vector<uint8_t>& flags) {
    flags.assign(static_cast<size_t>(store.mnVectors), kQCNotEvaluated);
    if (!RadialQCHasVelocity(store) || !RadialQCHasPosition(store)) return;
    const CHourIndex before(hourBefore), twoBefore(twoHoursBefore);
    const long long resolution = Thousandths(options.stuckResolution);
    for (long i = 0; i < store.mnVectors; ++i) {
        const XPositionKey key = PositionKey(store, i);
        long long v1 = 0, v2 = 0;
        if (!before.Find(key, &v1) || !twoBefore.Find(key, &v2)) continue;
        const long long v0 = VelocityThousandths(store, i);
        const bool stuck = std::llabs(v0 - v1) < resolution && std::llabs(v1 - v2) < resolution;
        flags[i] = stuck ? kQCFail : kQCPass;
    }
}

void RunRadialQC(const CLLUVFile& store, const XRadialQCFileFacts& facts,
                 const CLLUVFile* hourBefore, const CLLUVFile* twoHoursBefore,
                 const XRadialQCOptions& options, XRadialQCResult& result) {
    result = XRadialQCResult{};
    const bool velocity = RadialQCHasVelocity(store);
    const bool position = RadialQCHasPosition(store);

    result.ran[kQCSyntax] = true;
    result.fileFlag[kQCSyntax] = RadialQCSyntax(store, facts, &result.syntaxProblems);
    if (velocity) {
        result.ran[kQCMaxSpeed] = true;
        RadialQCMaxSpeed(store, options, result.rowFlags[kQCMaxSpeed]);
    }
    if (RadialQCHasVectorFlag(store)) {
        result.ran[kQCValidLocation] = true;
        RadialQCValidLocation(store, result.rowFlags[kQCValidLocation]);
    }
    result.ran[kQCRadialCount] = true;
    result.fileFlag[kQCRadialCount] = RadialQCRadialCount(store, options, &result.radialCount);
    result.angularResolution = RadialQCAngularResolution(store, options, facts);
    if (velocity && RadialQCHasRangeCell(store) && result.angularResolution > 0) {
        result.ran[kQCSpatialMedian] = true;
        RadialQCSpatialMedian(store, options, result.angularResolution,
                              result.rowFlags[kQCSpatialMedian]);
    }
    if (velocity && position) {
        result.ran[kQCTemporalGradient] = true;
        RadialQCTemporalGradient(store, hourBefore, options, result.rowFlags[kQCTemporalGradient]);
    }
    if (velocity && options.hasReferenceBearing) {
        result.ran[kQCAverageBearing] = true;
        result.fileFlag[kQCAverageBearing] =
            RadialQCAverageBearing(store, options, &result.meanBearing);
    }
    if (velocity && position) {
        result.ran[kQCStuckValue] = true;
        RadialQCStuckValue(store, hourBefore, twoHoursBefore, options,
                           result.rowFlags[kQCStuckValue]);
    }

    // The primary flag: the worst of every test run; "not evaluated" counts
    // for nothing.
    result.ran[kQCPrimary] = true;
    int fileWorst = kQCPass;
    for (int t = 0; t < kQCPrimary; ++t)
        if (result.ran[t] && RadialQCIsFileTest(t))
            fileWorst = WorstOf(fileWorst, result.fileFlag[t]);
    std::vector<uint8_t>& primary = result.rowFlags[kQCPrimary];
    primary.assign(static_cast<size_t>(store.mnVectors), static_cast<uint8_t>(fileWorst));
    for (int t = 0; t < kQCPrimary; ++t) {
        if (!result.ran[t] || RadialQCIsFileTest(t)) continue;
        for (size_t i = 0; i < primary.size(); ++i)
            primary[i] = static_cast<uint8_t>(WorstOf(primary[i], result.rowFlags[t][i]));
    }
}
