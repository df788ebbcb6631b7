// Conversions between the geographic, polar and x/y forms of a vector, the
// signed-speed convention and the direction and velocity markers.

#include <gtest/gtest.h>

#include <cmath>

#include "BvkErrors.h"
#include "cGeo.h"
#include "cLLUV.h"

namespace {

constexpr double kMillimetre = 1e-3;
constexpr double kBearingTolerance = 1e-7;

double AngleGap(double a, double b) {
    double gap = std::fmod(std::fabs(a - b), 360.0);
    return gap > 180.0 ? 360.0 - gap : gap;
}

void SetOrigin(CLLUV& store, double latitude, double longitude) {
    store.mdOriginLatitude = latitude;
    store.mdOriginLongitude = longitude;
}

// An allocated store about the origin; `useDistance` adds the x/y array.
void Allocated(CLLUV& store, double latitude, double longitude, long useDistance = 0) {
    SetOrigin(store, latitude, longitude);
    store.mnUseDistance = useDistance;
    ASSERT_EQ(store.Allocate(-1, 0), 0);
}

}  // namespace

TEST(CLLUVGeometry, RangeAndBearingSurviveTheTripThroughTheGeographicForm) {
    // Mid-latitudes both sides, the equator, high north, next to the date line.
    const struct {
        double latitude, longitude;
    } origins[] = {{36.9, -122.0}, {-33.8, 151.3}, {0.0, 0.0}, {70.5, 20.0}, {-45.0, 179.95}};
    const double ranges[] = {500.0, 1500.0, 45000.0, 220000.0};  // radar cells are km
    const double bearings[] = {0.0, 0.05, 45.0, 90.0, 179.9, 180.0, 271.3, 359.95};
    for (const auto& origin : origins) {
        CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
        store.mdOriginLatitude = origin.latitude;
        store.mdOriginLongitude = origin.longitude;
        for (double range : ranges) {
            for (double bearing : bearings) {
                SCOPED_TRACE(testing::Message() << origin.latitude << "," << origin.longitude
                                                << " r=" << range << " b=" << bearing);
                XRBVDVector placed{range, bearing, 0.25, 1080.0};
                XLLUVVector geographic{};
                ASSERT_EQ(store.RangeBearingToLonLatUV(&placed, &geographic), 0);
                XRBVDVector back{};
                ASSERT_EQ(store.LonLatToRangeBearing(&geographic, &back), 0);
                EXPECT_NEAR(back.mdRange, range, kMillimetre);
                EXPECT_LE(AngleGap(back.mdBearing, bearing), kBearingTolerance);
                EXPECT_GE(back.mdBearing, 0.0);
                EXPECT_LT(back.mdBearing, 360.0);
            }
        }
    }
}

TEST(CLLUVGeometry, XYOfAPlacedVectorIsRangeAlongTheBearing) {
    // Placed by the direct problem and measured back by the inverse one, the
    // offsets are the range split along the bearing at the origin.
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    SetOrigin(store, 36.9, -122.0);
    const double bearings[] = {0.0, 30.0, 90.0, 135.0, 200.0, 300.0};
    for (double bearing : bearings) {
        SCOPED_TRACE(bearing);
        const double range = 30000.0;
        XRBVDVector placed{range, bearing, 0.0, 1080.0};
        XLLUVVector geographic{};
        store.RangeBearingToLonLatUV(&placed, &geographic);
        XDistVector offset{};
        ASSERT_EQ(store.LonLatToXY(&geographic, &offset), 0);
        const double r = bearing * 0.017453292519943295;
        EXPECT_NEAR(offset.mdX, range * std::sin(r), kMillimetre);
        EXPECT_NEAR(offset.mdY, range * std::cos(r), kMillimetre);
    }
}

TEST(CLLUVGeometry, XYToLonLatAndBackGivesTheSameOffsets) {
    // The adder keeps the given offsets exactly and places the vector where
    // they point; velocities are left as given.
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    Allocated(store, -33.8, 151.3, 1);
    const XDistVector offsets[] = {{0.0, 0.0},          {1000.0, 0.0},
                                   {0.0, -2500.0},      {-40000.0, 25000.0},
                                   {123456.0, 78901.0}, {12345.678901234, -9876.54321}};
    for (const XDistVector& given : offsets) {
        SCOPED_TRACE(testing::Message() << given.mdX << "," << given.mdY);
        const long i = store.AddNewVectorXYUV(given.mdX, given.mdY, 7.0, 8.0, 0, 0, 0, 0, 0);
        ASSERT_GE(i, 0);
        EXPECT_EQ(store.mpDist[i].mdX, given.mdX);
        EXPECT_EQ(store.mpDist[i].mdY, given.mdY);
        EXPECT_EQ(store.mpLLUV[i].mdVelocityU, 7.0);
        XDistVector back{};
        ASSERT_EQ(store.LonLatToXY(&store.mpLLUV[i], &back), 0);
        EXPECT_NEAR(back.mdX, given.mdX, kMillimetre);
        EXPECT_NEAR(back.mdY, given.mdY, kMillimetre);
    }
}

TEST(CLLUVGeometry, SignedSpeedFollowsTheFlowAgainstTheWayBackToTheSite) {
    // The vector lies due east of the site (bearing 90): the way back is 270.
    // Flows within 90 degrees of it run towards the site (positive speed);
    // others run away and get a negative speed with the direction turned
    // around. A flow at right angles keeps its positive speed.
    const double s = 0.1 / std::sqrt(2.0);
    const struct {
        const char* name;
        double u, v;
        double signedSpeed, signedDirection;
    } cases[] = {
        {"east, away", 0.1, 0.0, -0.1, 270.0},
        {"west, towards", -0.1, 0.0, 0.1, 270.0},
        {"north-east, away", s, s, -0.1, 225.0},
        {"south-east, away", s, -s, -0.1, 315.0},
        {"south-west, towards", -s, -s, 0.1, 225.0},
        {"north-west, towards", -s, s, 0.1, 315.0},
        {"north, at right angles", 0.0, 0.1, 0.1, 0.0},
        {"south, at right angles", 0.0, -0.1, 0.1, 180.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
        SetOrigin(store, 0.0, 0.0);
        XLLUVVector flow{0.0, 0.0, c.u, c.v};
        XRBVDVector polar{1000.0, 90.0, 0.0, 0.0};
        ASSERT_EQ(store.UVToVelDirection(&flow, &polar), 0);
        EXPECT_NEAR(polar.mdVelocity, c.signedSpeed, 1e-12);
        EXPECT_LE(AngleGap(polar.mdDirection, c.signedDirection), 1e-9);

        // Without the sign convention the speed is the plain magnitude and the
        // direction the flow's own.
        store.mnSignedVelocity = 0;
        ASSERT_EQ(store.UVToVelDirection(&flow, &polar), 0);
        EXPECT_NEAR(polar.mdVelocity, 0.1, 1e-12);
        const double own = std::atan2(c.u, c.v) * 57.29577951308232;
        EXPECT_LE(AngleGap(polar.mdDirection, own), 1e-9);
    }
}

TEST(CLLUVGeometry, AddingByLonLatDerivesTheSignedRadial) {
    // 1000 m due east of the site with u = 0.1: bearing 90, the flow runs away.
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    store.mnQualityMode = 3;
    Allocated(store, 0.0, 0.0, 1);
    XRBVDVector placed{1000.0, 90.0, 0.0, 1080.0};
    XLLUVVector east{};
    store.RangeBearingToLonLatUV(&placed, &east);

    const long index = store.AddNewVectorLonLatUV(east.mdLongitude, east.mdLatitude, 0.1, 0.0, 5u,
                                                  1.0, 2.0, 3.0, 4.0);
    ASSERT_EQ(index, 0);
    const XRBVDVector& polar = store.mpRBVD[0];
    EXPECT_NEAR(polar.mdRange, 1000.0, kMillimetre);
    EXPECT_NEAR(polar.mdBearing, 90.0, kBearingTolerance);
    EXPECT_NEAR(polar.mdVelocity, -0.1, 1e-12);
    EXPECT_NEAR(polar.mdDirection, 270.0, 1e-7);
    EXPECT_NEAR(store.mpDist[0].mdX, 1000.0, kMillimetre);
    EXPECT_NEAR(store.mpDist[0].mdY, 0.0, kMillimetre);
    EXPECT_EQ(store.mpQuality[0].mnFlags, 5u);
    EXPECT_EQ(store.mpQuality[0].mfQuality[3], 4.0f);
}

TEST(CLLUVGeometry, DirectionMarkersAreFilledOrWrapped) {
    const struct {
        const char* name;
        double direction;
        double storedBeforeDerive;  // what the polar record holds on entry
        bool filledWithWayBack;
    } cases[] = {
        {"not computed", 1080.0, 1080.0, true},
        {"above 720", 720.5, 1080.0, true},
        {"not a number", std::nan(""), 1080.0, true},
        {"720 wraps twice to 0", 720.0, 0.0, false},
        {"plain", 45.0, 45.0, false},
        {"negative", -90.0, 270.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A polar-only store keeps the value the adder stored.
        CLLUV polarOnly(kLLUVMapRadial, kLLUVVectorPolar);
        Allocated(polarOnly, 0.0, 0.0);
        ASSERT_EQ(polarOnly.AddNewVectorRangeBearing(1000.0, 90.0, 0.5, c.direction, 0.0), 0);
        EXPECT_NEAR(polarOnly.mpRBVD[0].mdDirection, c.storedBeforeDerive, 1e-9);

        // A full store derives u, v at once, filling a marker with the way
        // back to the site (270 for a vector due east on the equator).
        CLLUV full(kLLUVMapRadial, kLLUVVectorFull);
        Allocated(full, 0.0, 0.0);
        ASSERT_EQ(full.AddNewVectorRangeBearing(1000.0, 90.0, 0.5, c.direction, 0.0), 0);
        const double direction = full.mpRBVD[0].mdDirection;
        if (c.filledWithWayBack) {
            EXPECT_NEAR(direction, 270.0, 1e-7);
        } else {
            EXPECT_NEAR(direction, c.storedBeforeDerive, 1e-9);
        }
        const double r = direction * 0.017453292519943295;
        EXPECT_NEAR(full.mpLLUV[0].mdVelocityU, 0.5 * std::sin(r), 1e-12);
        EXPECT_NEAR(full.mpLLUV[0].mdVelocityV, 0.5 * std::cos(r), 1e-12);
    }
}

TEST(CLLUVGeometry, MissingVelocityDerivesNoComponentsAndKeepsTheDirection) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    SetOrigin(store, 36.9, -122.0);
    for (double velocity : {900.0, 999.0}) {
        XRBVDVector polar{2000.0, 10.0, velocity, 1080.0};
        XLLUVVector geographic{0.0, 0.0, 5.0, 5.0};
        ASSERT_EQ(store.RangeBearingToLonLatUV(&polar, &geographic), 0);
        EXPECT_EQ(geographic.mdVelocityU, 0.0);
        EXPECT_EQ(geographic.mdVelocityV, 0.0);
        EXPECT_EQ(polar.mdDirection, 1080.0);
        EXPECT_GT(geographic.mdLatitude, 36.9);  // the position is still placed
    }
}

TEST(CLLUVGeometry, RangeBearingOnAGeographicOnlyStoreStillPlacesTheVector) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorGeographic);
    Allocated(store, 0.0, 0.0);
    ASSERT_EQ(store.AddNewVectorRangeBearing(5000.0, 0.0, 0.3, 1080.0, 0.0), 0);
    XRBVDVector back{};
    store.LonLatToRangeBearing(&store.mpLLUV[0], &back);
    EXPECT_NEAR(back.mdRange, 5000.0, kMillimetre);
    EXPECT_NEAR(store.mpLLUV[0].mdVelocityV, -0.3, 1e-12);  // towards the site: south
}

TEST(CLLUVGeometry, UndecidedVectorTypeZeroesTheFormItDoesNotDerive) {
    CLLUV store(kLLUVMapRadial, LLUVCode("XXXX"));
    Allocated(store, 0.0, 0.0);
    ASSERT_EQ(store.AddNewVectorRangeBearing(5000.0, 30.0, 0.3, 1080.0, 0.0), 0);
    EXPECT_EQ(store.mpLLUV[0].mdLatitude, 0.0);
    EXPECT_EQ(store.mpRBVD[0].mdDirection, 1080.0);
    ASSERT_EQ(store.AddNewVectorLonLatUV(0.01, 0.02, 0.1, 0.1, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(store.mpRBVD[1].mdRange, 0.0);
    EXPECT_EQ(store.mpLLUV[1].mdLatitude, 0.02);
}

TEST(CLLUVGeometry, SpectraSourceCellsBecomeCompleteVectors) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    SetOrigin(store, 36.9, -122.0);
    store.mnSpectraSourceMask = 1;
    store.mnUseDistance = 1;
    store.mnFirstRangeCell = 1;
    store.mdRangeResolutionMeters = 1500.0;
    ASSERT_EQ(store.Allocate(-1, 0), 0);
    ASSERT_EQ(store.AddNewEmptyVector(), 0);
    store.SetSpectraSourceInfo(0, 5, 180.0, 0.4);
    ASSERT_EQ(store.UpdateFromSpectraRadialSource(), 0);
    const XRBVDVector& polar = store.mpRBVD[0];
    EXPECT_EQ(polar.mdRange, 6000.0);  // (5 - 1) cells of 1500 m
    EXPECT_EQ(polar.mdBearing, 180.0);
    EXPECT_EQ(polar.mdVelocity, 0.4);
    EXPECT_NEAR(polar.mdDirection, 0.0, 1e-6);  // due south: the way back is north
    EXPECT_NEAR(store.mpLLUV[0].mdVelocityV, 0.4, 1e-6);
    EXPECT_NEAR(store.mpDist[0].mdY, -6000.0, kMillimetre);
    EXPECT_NEAR(store.mpDist[0].mdX, 0.0, kMillimetre);
}

TEST(CLLUVGeometry, BulkUpdatesNeedTheirArrays) {
    CLLUV empty(kLLUVMapRadial, kLLUVVectorFull);
    SetOrigin(empty, 0.0, 0.0);
    EXPECT_EQ(empty.UpdateXYFromLonLat(), 0);  // no vectors: nothing to do
    EXPECT_EQ(empty.UpdateFromSpectraRadialSource(), 0);

    CLLUV store(kLLUVMapRadial, kLLUVVectorPolar);
    Allocated(store, 0.0, 0.0);
    store.AddNewEmptyVector();
    EXPECT_EQ(store.UpdateXYFromLonLat(), kErrBadArgument);
    EXPECT_EQ(store.UpdateLonLatUVFromRangeBearing(), kErrBadArgument);
    EXPECT_EQ(store.UpdateFromSpectraRadialSource(), kErrBadArgument);
    EXPECT_EQ(store.UpdateDirectionFromRadialBearing(), 0);
}

TEST(CLLUVGeometry, SetVectorLonLatRederivesOnRequest) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorFull);
    Allocated(store, 0.0, 0.0, 1);
    ASSERT_EQ(store.AddNewEmptyVector(), 0);
    XRBVDVector placed{2000.0, 0.0, 0.0, 1080.0};
    XLLUVVector north{};
    store.RangeBearingToLonLatUV(&placed, &north);

    ASSERT_EQ(store.SetVectorLonLatUV(0, north.mdLongitude, north.mdLatitude, 0.0, 0.2, 0, 0), 0);
    EXPECT_EQ(store.mpRBVD[0].mdRange, 0.0);  // not asked to derive
    ASSERT_EQ(store.SetVectorLonLat(0, north.mdLongitude, north.mdLatitude, 1, 1), 0);
    EXPECT_NEAR(store.mpRBVD[0].mdRange, 2000.0, kMillimetre);
    EXPECT_NEAR(store.mpRBVD[0].mdVelocity, -0.2, 1e-12);  // northward: away from the site
    EXPECT_NEAR(store.mpDist[0].mdY, 2000.0, kMillimetre);
}

TEST(CLLUVGeometry, GetVectorFromIndexDerivesTheMissingFormFromACopy) {
    CLLUV store(kLLUVMapRadial, kLLUVVectorPolar);
    Allocated(store, 0.0, 0.0);
    ASSERT_EQ(store.AddNewVectorRangeBearing(1000.0, 90.0, 0.5, 1080.0, 0.0), 0);
    XCurFullVector out{};
    ASSERT_EQ(store.GetVectorFromIndex(0, &out), 0);
    EXPECT_NEAR(out.mRBVD.mdDirection, 270.0, 1e-7);
    EXPECT_NEAR(out.mLLUV.mdVelocityU, -0.5, 1e-9);
    EXPECT_EQ(store.mpRBVD[0].mdDirection, 1080.0);  // the store keeps its marker
}
