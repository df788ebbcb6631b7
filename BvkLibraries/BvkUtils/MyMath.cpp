#include "MyMath.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Beyond this many turns from the wanted range the turn-by-turn loop would
// run for too long (or forever, once 360 no longer changes the value), so the
// value is first brought near the range in one exact step.
constexpr double kMaxLoopDegrees = 360.0 * 64.0;

// floor without a library call where truncation gives it (writers round
// every value of every row).
double FastFloor(double value) {
    if (value >= 0.0 && value < 9.0e18) return static_cast<double>(static_cast<uint64_t>(value));
    return std::floor(value);
}

}  // namespace

double RoundTo(double value, double step) {
    if (std::fabs(value) < step / 2.0) return 0.0;
    if (value < 0.0) return -(step * FastFloor(-value / step + 0.5));
    return step * FastFloor(value / step + 0.5);
}

double LimitDegrees(double value, double low, double high) {
    if (!std::isfinite(value) || !std::isfinite(low) || !std::isfinite(high)) return value;
    if (value > high + kMaxLoopDegrees || value < low - kMaxLoopDegrees) {
        // fmod is exact, so this only removes whole turns.
        value = std::fmod(value, 360.0);
    }
    while (value > high) value -= 360.0;
    while (value < low) value += 360.0;
    return value;
}

double DegreeDifference(double a, double b) {
    if (a == b) return 0.0;
    const double ra = a * kDegreesToRadians;
    const double rb = b * kDegreesToRadians;
    return std::atan2(std::sin(ra) * std::cos(rb) - std::cos(ra) * std::sin(rb),
                      std::cos(ra) * std::cos(rb) + std::sin(ra) * std::sin(rb)) *
           kRadiansToDegrees;
}
