#include "MyMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct XCase {
    double value;
    double step;
    double expected;
};

TEST(MyMath, RoundToRoundsHalvesAwayFromZero) {
    const XCase cases[] = {
        {0.04, 0.1, 0.0},  // below half a step
        {0.25, 0.1, 0.3},
        {-0.25, 0.1, -0.3},  // 2.5 steps: away from zero
        {-2.4999, 1.0, -2.0},
        {0.5, 1.0, 1.0},  // exactly half a step is not "below half"
        {1234.56789, 0.001, 1234.568},
        {-122.00000004, 1e-7, -122.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(RoundTo(c.value, c.step), c.expected, 1e-12) << c.value << " step " << c.step;
    }
}

TEST(MyMath, LimitDegreesAddsOrRemovesWholeTurns) {
    const struct {
        double value, low, high, expected;
    } cases[] = {
        {370.0, 0.0, 360.0, 10.0},
        {-10.0, 0.0, 360.0, 350.0},
        {360.0, 0.0, 360.0, 360.0},  // the upper bound itself stays
        {360.0, 0.0, 359.99999, 0.0},
        {190.0, -180.0, 180.0, -170.0},
        // A million turns and a quarter: 1e6 * 360 + 90 is exact in doubles.
        {360e6 + 90.0, 0.0, 360.0, 90.0},
        {-360e6 - 90.0, 0.0, 360.0, 270.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(LimitDegrees(c.value, c.low, c.high), c.expected)
            << c.value << " into " << c.low << " ... " << c.high;
    }
}

TEST(MyMath, LimitDegreesEndsOnValuesNoTurnCanReach) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(LimitDegrees(-inf, 0.0, 360.0), -inf);
    EXPECT_TRUE(std::isnan(LimitDegrees(std::nan(""), 0.0, 360.0)));
    EXPECT_EQ(LimitDegrees(10.0, 0.0, -inf), 10.0);
    // So large that subtracting 360 changes nothing: still ends, inside the range.
    const double huge = LimitDegrees(1e300, 0.0, 360.0);
    EXPECT_TRUE(huge >= 0.0 && huge <= 360.0) << huge;
}

TEST(MyMath, DegreeDifferenceTakesTheShortWayRound) {
    // a, b, a - b brought into -180 ... 180
    const XCase cases[] = {
        {10.0, 350.0, 20.0},
        {350.0, 10.0, -20.0},
        {720.0 + 30.0, 0.0, 30.0},
        {-170.0, 170.0, 20.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(DegreeDifference(c.value, c.step), c.expected, 1e-9)
            << c.value << " - " << c.step;
    }
    EXPECT_NEAR(std::fabs(DegreeDifference(90.0, -90.0)), 180.0, 1e-9);
    // Equal arguments give exactly zero, not a rounding residue.
    EXPECT_EQ(DegreeDifference(123.456, 123.456), 0.0);
}

}  // namespace
