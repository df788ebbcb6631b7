#include "cGeo.h"

#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWgs84A = 6378137.0;
constexpr double kQuarterMeridian = 10001965.7293;  // WGS84, equator to pole

// Difference of two azimuths in degrees, ignoring whole turns.
double AzimuthGap(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d < -180.0) d += 360.0;
    return std::fabs(d);
}

struct XInverse {
    double distance, azimuth, back;
};

XInverse Inverse(double lat1, double lon1, double lat2, double lon2, CGeoEarth* earth = nullptr) {
    CGeo a, b;
    a.SetLatLon(lat1, lon1);
    b.SetLatLon(lat2, lon2);
    XInverse r{0.0, -1.0, -1.0};
    r.distance = a.GetDistanceMeters(&b, &r.azimuth, &r.back, earth);
    return r;
}

// Checks one pair against the oracle: distance to 1 mm, azimuths to 1e-6
// degrees; the back azimuth is the oracle's forward azimuth at the end + 180.
void ExpectOracle(double lat1, double lon1, double lat2, double lon2) {
    double s12 = 0.0, azi1 = 0.0, azi2 = 0.0;
    GeographicLib::Geodesic::WGS84().Inverse(lat1, lon1, lat2, lon2, s12, azi1, azi2);
    const XInverse r = Inverse(lat1, lon1, lat2, lon2);
    SCOPED_TRACE(testing::Message() << lat1 << "," << lon1 << " to " << lat2 << "," << lon2);
    EXPECT_NEAR(r.distance, s12, 1e-3);
    EXPECT_LT(AzimuthGap(r.azimuth, azi1), 1e-6);
    EXPECT_LT(AzimuthGap(r.back, azi2 + 180.0), 1e-6);
    EXPECT_TRUE(r.back >= 0.0 && r.back < 360.0) << r.back;
}

// Every test leaves the common earth model as it found it: WGS84.
class CGeoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CGeo make;
        CGeo::mcEarth->SetEllipsiodIndex(0);
    }
    void TearDown() override { CGeo::mcEarth->SetEllipsiodIndex(0); }
};

// GeographicLib's geodesics are an independent solution (Karney's series,
// accurate to nanometres).
class CGeoOracleTest : public CGeoTest, public ::testing::WithParamInterface<long> {};

TEST_P(CGeoOracleTest, DirectProblemAgreesWithGeographicLibUpTo1000Km) {
    CGeoEarth earth(GetParam());
    const GeographicLib::Geodesic oracle(earth.mdSemiMajorAxis, earth.mdFlattening);
    std::mt19937_64 random(20071220 + GetParam());
    std::uniform_real_distribution<double> unit(0.0, 1.0);

    // Every other case takes one of three sites and of a radar's 72 bearings,
    // so that each bearing recurs with other starts, ranges and ellipsoids.
    const double sites[] = {36.951, -33.9, 60.1};
    double worstEnd = 0.0, worstBack = 0.0;
    for (int checked = 0; checked < 10000; ++checked) {
        const bool grid = checked % 2 == 1;
        const double lat1 = grid ? sites[checked / 144 % 3] : -80.0 + 160.0 * unit(random);
        const double lon1 = -180.0 + 360.0 * unit(random);
        const double azi1 = grid ? 5.0 * (checked / 2 % 72) : 360.0 * unit(random);
        const double s12 = std::pow(10.0, 6.0 * unit(random));  // 1 m to 1000 km
        double lat2 = 0.0, lon2 = 0.0, azi2 = 0.0;
        oracle.Direct(lat1, lon1, azi1, s12, lat2, lon2, azi2);

        CGeo moved;
        moved.SetLatLon(lat1, lon1);
        double movedBack = 0.0;
        EXPECT_EQ(moved.AddDistanceMeters(azi1, s12, &movedBack, &earth), s12);
        double miss = 0.0;
        oracle.Inverse(lat2, lon2, moved.mdLatitude, moved.mdLongitude, miss);
        worstEnd = std::max(worstEnd, miss);
        worstBack = std::max(worstBack, AzimuthGap(movedBack, azi2 + 180.0));
        EXPECT_LE(std::fabs(moved.mdLongitude), 180.0);
    }
    EXPECT_LT(worstBack, 1e-6);
    EXPECT_LT(worstEnd, 1e-3);
}

// The inverse problem over the whole globe: uniform pairs, pairs near each
// other's antipode (where Vincenty's iteration fails), pairs near the poles and
// short pairs. Distance to 1 mm, azimuths to 1e-6 degrees, on every pair.
TEST_P(CGeoOracleTest, InverseProblemAgreesWithGeographicLibOnEveryPair) {
    CGeoEarth earth(GetParam());
    const GeographicLib::Geodesic oracle(earth.mdSemiMajorAxis, earth.mdFlattening);
    std::mt19937_64 random(19040101 + GetParam());
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto lonIn = [](double lon) { return lon > 180.0 ? lon - 360.0 : lon; };

    double worstDistance = 0.0, worstAzimuth = 0.0, worstBack = 0.0;
    std::string worstPair;
    for (int n = 0; n < 100000; ++n) {
        double lat1 = -90.0 + 180.0 * unit(random);
        const double lon1 = -180.0 + 360.0 * unit(random);
        double lat2 = -90.0 + 180.0 * unit(random);
        double lon2 = -180.0 + 360.0 * unit(random);
        // Within up to ~1 degree of the antipode, on a log scale down to 1e-9.
        const double near = std::pow(10.0, -9.0 + 9.0 * unit(random));
        switch (n % 4) {
            case 0:  // nearly antipodal anywhere
                lat2 = std::clamp(-lat1 + near * (2.0 * unit(random) - 1.0), -90.0, 90.0);
                lon2 = lonIn(lon1 + 180.0 + near * (2.0 * unit(random) - 1.0));
                break;
            case 1:  // nearly antipodal with one point close to the equator
                lat1 = near * (2.0 * unit(random) - 1.0);
                lat2 = -90.0 + 180.0 * unit(random) * unit(random);
                lon2 = lonIn(lon1 + 180.0 + 5.0 * near * (2.0 * unit(random) - 1.0));
                break;
            case 2:  // one point close to a pole
                lat1 = (90.0 - near * unit(random)) * (n % 8 == 2 ? 1.0 : -1.0);
                break;
            default:  // uniform
                break;
        }
        double s12 = 0.0, azi1 = 0.0, azi2 = 0.0;
        oracle.Inverse(lat1, lon1, lat2, lon2, s12, azi1, azi2);
        const XInverse r = Inverse(lat1, lon1, lat2, lon2, &earth);
        const double gaps[] = {std::fabs(r.distance - s12) / 1e-3,
                               AzimuthGap(r.azimuth, azi1) / 1e-6,
                               AzimuthGap(r.back, azi2 + 180.0) / 1e-6};
        if (gaps[0] > worstDistance || gaps[1] > worstAzimuth || gaps[2] > worstBack) {
            worstPair = testing::PrintToString(std::array{lat1, lon1, lat2, lon2});
        }
        worstDistance = std::max(worstDistance, gaps[0]);
        worstAzimuth = std::max(worstAzimuth, gaps[1]);
        worstBack = std::max(worstBack, gaps[2]);
        ASSERT_TRUE(r.azimuth >= 0.0 && r.azimuth < 360.0 && r.back >= 0.0 && r.back < 360.0)
            << lat1 << "," << lon1 << " to " << lat2 << "," << lon2 << ": " << r.azimuth << " "
            << r.back;
    }
    // Each gap is in units of its tolerance.
    EXPECT_LT(worstDistance, 1.0) << worstPair;
    EXPECT_LT(worstAzimuth, 1.0) << worstPair;
    EXPECT_LT(worstBack, 1.0) << worstPair;
}

// WGS84, Clarke 1866 and Airy 1858: different sizes and flattenings; Clarke
// 1880 has the largest flattening, and the sphere none.
INSTANTIATE_TEST_SUITE_P(Ellipsoids, CGeoOracleTest, ::testing::Values(1L, 9L, 4L, 8L, 2L));

TEST_F(CGeoTest, DirectProblemWrapsTheLongitudeOnce) {
    const double oneDegree = kWgs84A * kPi / 180.0;  // of equator
    const struct {
        double startLongitude, azimuth, endLongitude;
    } cases[] = {
        {180.0, 90.0, -179.0},   // ends at 181
        {-180.0, 270.0, 179.0},  // ends at -181
        {179.5, 90.0, -179.5},
        {10.0, 90.0, 11.0},
    };
    for (const auto& c : cases) {
        CGeo p;
        p.SetLatLon(0.0, c.startLongitude);
        double back = 0.0;
        p.AddDistanceMeters(c.azimuth, oneDegree, &back);
        EXPECT_NEAR(p.mdLongitude, c.endLongitude, 1e-9) << c.startLongitude;
        EXPECT_NEAR(p.mdLatitude, 0.0, 1e-12);
        EXPECT_NEAR(back, c.azimuth == 90.0 ? 270.0 : 90.0, 1e-9);
    }
}

// Pairs on one meridian head due north or south; pairs on the equator head due
// east or west, and below (1 - f) * 180 degrees apart the geodesic is the equator.
TEST_F(CGeoTest, MeridianAndEquatorPairsHeadAlongThem) {
    const struct {
        double lat1, lon1, lat2, lon2, azimuth, back;
        double degreesApart;  // along the equator; 0: on a meridian
    } cases[] = {
        {10.0, 20.0, 11.0, 20.0, 0.0, 180.0, 0.0},   {11.0, 20.0, 10.0, 20.0, 180.0, 0.0, 0.0},
        {-45.0, 20.0, 60.0, 20.0, 0.0, 180.0, 0.0},  {0.0, 20.0, 89.9, 20.0, 0.0, 180.0, 0.0},
        {-89.9, 20.0, 0.0, 20.0, 0.0, 180.0, 0.0},   {0.0, 10.0, 0.0, 12.0, 90.0, 270.0, 2.0},
        {0.0, 12.0, 0.0, 10.0, 270.0, 90.0, 2.0},    {0.0, -179.0, 0.0, 179.0, 270.0, 90.0, 2.0},
        {0.0, 179.0, 0.0, -179.0, 90.0, 270.0, 2.0},  // across the antimeridian
        {0.0, 0.0, 0.0, 170.0, 90.0, 270.0, 170.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.lat1 << "," << c.lon1 << " to " << c.lat2 << "," << c.lon2);
        double expected = kWgs84A * c.degreesApart * kPi / 180.0;
        if (c.degreesApart == 0.0)
            GeographicLib::Geodesic::WGS84().Inverse(c.lat1, c.lon1, c.lat2, c.lon2, expected);
        const XInverse r = Inverse(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_NEAR(r.distance, expected, 1e-3);
        EXPECT_EQ(r.azimuth, c.azimuth);
        EXPECT_EQ(r.back, c.back);
    }
}

TEST_F(CGeoTest, MeridianArcToThePoleIsAQuarterMeridian) {
    CGeo equator;
    EXPECT_NEAR(equator.GetMeridonalArcLength(90.0), kQuarterMeridian, 1e-3);
    CGeo pole;
    pole.SetLatLon(90.0, 0.0);
    EXPECT_NEAR(pole.GetMeridonalArcLength(0.0), -kQuarterMeridian, 1e-3);
    // On a sphere the arc is a * angle.
    CGeoEarth sphere(2);
    CGeo p;
    p.SetLatLon(10.0, 0.0);
    EXPECT_NEAR(p.GetMeridonalArcLength(40.0, &sphere), 6367450.0 * kPi / 6.0, 1e-6);
}

TEST_F(CGeoTest, AntimeridianAndNearlyAntipodalPairsAgreeWithGeographicLib) {
    const double pairs[][4] = {
        {0.5, 179.5, 0.5, -179.5},    {0.5, -179.5, 0.5, 179.5}, {-60.0, 179.9, -59.0, -179.2},
        {45.0, -179.99, 45.5, 179.0}, {0.0, 0.0, 0.0, 179.9},    {0.0, 0.0, 0.0, -179.9},
        {0.0, 0.0, 0.0, 179.99},      {0.1, 0.0, -60.0, 179.8},  {0.001, 0.0, 0.0, 179.9},
        {0.0, 0.0, -0.001, 179.9},    {0.3, 10.0, 0.2, -170.05}, {10.0, 0.0, -10.0, 179.9},
    };
    for (const auto& p : pairs) ExpectOracle(p[0], p[1], p[2], p[3]);
    // Once taken as half the equator with azimuths 0, 6,677 km too long.
    const XInverse r = Inverse(0.1, 0.0, -60.0, 179.8);
    EXPECT_NEAR(r.distance, 13360894.0, 1.0);
    EXPECT_NEAR(r.azimuth, 179.9, 0.05);
}

TEST_F(CGeoTest, LiftOffAtExactlyHalfATurnIsHalfAMeridian) {
    // At 180 degrees apart the geodesic runs over a pole: the distance is the
    // pole-to-pole meridian.
    double azimuth = -1.0, landing = -1.0, factorD = 0.0, factorB = 0.0;
    const double correction =
        CGeo::GetLiffOffAzimuths(180.0, &azimuth, &landing, &factorD, &factorB);
    EXPECT_NEAR(kPi * kWgs84A - correction, 2.0 * kQuarterMeridian, 1e-3);
    EXPECT_NEAR(azimuth, 0.0, 1e-12);
    EXPECT_NEAR(landing, 180.0, 1e-12);
    // Westward the lift-off azimuth is mirrored and the landing heading is
    // still an azimuth in 0 ... 360.
    CGeo::GetLiffOffAzimuths(-179.9, &azimuth, &landing, nullptr, nullptr);
    EXPECT_NEAR(azimuth, 360.0 - 9.545672695, 1e-6);
    EXPECT_NEAR(landing, 180.0 + 9.545672695, 1e-6);
    // A sphere has no lift-off: half a great circle.
    CGeoEarth sphere(2);
    EXPECT_NEAR(Inverse(0.0, 0.0, 0.0, 180.0, &sphere).distance, kPi * 6367450.0, 1e-6);
}

TEST_F(CGeoTest, XYOffsetsRoundTrip) {
    const double offsets[][2] = {{1000.0, 0.0}, {-300.0, 400.0}, {0.0, -2500.0}, {12000.0, 9000.0}};
    for (const auto& o : offsets) {
        CGeo start, moved;
        start.SetLatLon(36.0, -122.0);
        moved.Copy(&start);
        moved.AddXYDistance(o[0], o[1]);
        EXPECT_NEAR(start.GetDistanceMeters(&moved), std::hypot(o[0], o[1]), 1e-6);
        double x = 0.0, y = 0.0;
        moved.GetXYDistance(&start, &x, &y);
        EXPECT_NEAR(x, o[0], 1e-6) << o[0] << ", " << o[1];
        EXPECT_NEAR(y, o[1], 1e-6) << o[0] << ", " << o[1];
    }
}

TEST_F(CGeoTest, NullArgumentsAreSkipped) {
    CGeo a;
    a.SetLatLon(1.0, 2.0);
    double azimuth = 123.0, back = 456.0;
    EXPECT_EQ(a.GetDistanceMeters(nullptr, &azimuth, &back), 0.0);
    EXPECT_TRUE(azimuth == 123.0 && back == 456.0);
    double x = 7.0, y = 8.0;
    a.GetXYDistance(nullptr, &x, &y);
    EXPECT_TRUE(x == 0.0 && y == 0.0);
    a.Copy(nullptr);
    EXPECT_TRUE(a.GetLatitude() == 1.0 && a.GetLongitude() == 2.0);
}

TEST_F(CGeoTest, CommonEllipsoidIsChosenByIndex) {
    double f = -1.0;
    EXPECT_EQ(CGeo::GetEarthEllipsoidMeters(&f), kWgs84A);
    EXPECT_EQ(f, 0.0033528106647475126);
    CGeo::SetCommonEllipsiodType(2);  // the sphere, by its choice index
    EXPECT_EQ(CGeo::GetEarthEllipsoidMeters(&f), 6367450.0);
    EXPECT_EQ(f, 0.0);
    EXPECT_NEAR(Inverse(0.0, 0.0, 0.0, 1.0).distance, 6367450.0 * kPi / 180.0, 1e-6);
    CGeoEarth bessel(7);
    EXPECT_EQ(CGeo::GetEarthEllipsoidMeters(nullptr, &bessel), 6377397.155);
}

TEST_F(CGeoTest, PositionTextGoesThroughTheSharedConverter) {
    CGeo p;
    EXPECT_EQ(p.SetLatLon("36.5N, 122.25W"), 14);
    EXPECT_TRUE(p.GetLatitude() == 36.5 && p.GetLongitude() == -122.25);
    CGeoString own;
    own.mszSymbols[0] = 'd';
    char text[CGeoString::kPairTextSize];
    p.GetLatLonString(text, 2, " ", &own);
    EXPECT_STREQ(text, "36d30'00\"N 122d15'00\"W");
}

}  // namespace
