#include "FenwrightStatistics.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr unsigned long kSmallTotal = 19;  // groups always count up to this many vectors
constexpr long kDenseGroup = 4;            // a group this large always counts

bool SameRange(double r, double R) {
    return std::fabs(r - R) < kSameRangeMetres;
}

}  // namespace

long VectorsPerRange(const std::vector<XVectorSample>& vectors) {
    unsigned long g = 0, c = 0, S = 0;  // group size, groups counted, vectors counted
    double R = 0.0;                     // range of the current group's first vector
    for (const XVectorSample& v : vectors) {
        if (SameRange(v.mdRange, R)) {
            ++g;
            continue;
        }
        if (S <= kSmallTotal || g >= static_cast<unsigned long>(kDenseGroup)) {
            S += g;
            if (g != 0) ++c;
        }
        R = v.mdRange;
        g = 1;
    }
    return static_cast<long>((S + g) / (c + 1));
}

double MaximumRange(const std::vector<XVectorSample>& vectors, long vectorsPerRange) {
    const long n = static_cast<long>(vectors.size());
    long threshold = vectorsPerRange / 5;
    if (threshold < kDenseGroup) threshold = kDenseGroup;
    long g = 0;
    double R = 0.0;
    // From the far end inwards; the first vector is never visited.
    for (long i = n - 1; i >= 1; --i) {
        double r = vectors[static_cast<size_t>(i)].mdRange;
        if (SameRange(r, R)) {
            ++g;
        } else if (i < n - 1 && g >= threshold) {
            // The group just finished is the farthest dense one: its range,
            // not that of the vector that ended it, is how far the map reaches.
            return R;
        } else {
            R = r;
            g = 1;
        }
    }
    return 0.0;
}

void AddVectorStatistics(const std::vector<XVectorSample>& vectors, long rangeStart, long rangeEnd,
                         XReportRadial* record) {
    if (record == nullptr) return;
    const long n = static_cast<long>(vectors.size());
    record->mnVectorCount = static_cast<int32_t>(n);
    record->mnRangeCells = static_cast<int32_t>(rangeEnd - rangeStart + 1);
    record->mnVectorsPerRange = static_cast<int32_t>(VectorsPerRange(vectors));
    record->mdMaxRange = MaximumRange(vectors, record->mnVectorsPerRange);

    double speedSum = 0, fastest = 0, sinSum = 0, cosSum = 0;
    for (const XVectorSample& v : vectors) {
        speedSum += std::fabs(v.mdVelocity);
        if (std::fabs(v.mdVelocity) > std::fabs(fastest)) fastest = v.mdVelocity;
        double b = v.mdBearing * kRadiansPerDegree;
        sinSum += std::sin(b);
        cosSum += std::cos(b);
    }
    record->mdMeanVelocity = n > 0 ? speedSum / n : 0.0;
    record->mdMaxVelocity = fastest;
    record->mdMeanBearing = n > 0 ? std::atan2(sinSum, cosSum) / kRadiansPerDegree : 0.0;
}
