#include "cGeo.h"

#include <GeographicLib/Geodesic.hpp>

#include <bit>
#include <cmath>
#include <cstdint>

CGeoEarth* CGeo::mcEarth = nullptr;
CGeoString* CGeo::mcString = nullptr;

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Iteration caps and stopping rules. Results are compared with files made by
// the same formulas, so these are part of the contract, not tuning knobs.
constexpr int kDirectPasses = 100;
constexpr double kDirectTolerance = 5e-14;
constexpr int kInversePasses = 20;
constexpr double kInverseTolerance = 5e-14;
constexpr int kLiftOffPasses = 10;
constexpr double kLiftOffTolerance = 5e-13;

// Longitude differences below this are the same meridian.
constexpr double kSameMeridian = 5e-14;
// Nearly antipodal pairs closer to the equator than this (radians) take the
// special branches of the inverse problem.
constexpr double kNearEquator = 0.007;
// Sines of reduced latitudes below this count as the equator.
constexpr double kEquatorSine = 5e-15;
constexpr double kSmallCos2Alpha = 5e-15;

// A meridian arc to a pole from the equator has no periodic part.
constexpr double kPoleLow = 1.5707963267943965;
constexpr double kPoleHigh = 1.5707963267953966;
constexpr double kOnEquator = 5e-13;

// A sphere has no lift-off; the formulas still need a nonzero flattening.
constexpr double kTinyFlattening = 1e-38;

// Vincenty's inverse loses its footing as the pair nears the antipodes: the
// iteration stalls or settles on a wrong geodesic, and the lift-off shortcut is
// only a first approximation. Beyond this arc (radians on the auxiliary sphere,
// about 175 degrees) the pair goes to Karney's solution, which converges
// everywhere; every radar range stays far inside it.
constexpr double kNearlyAntipodalArc = 3.05;

// Karney's inverse solution for the pairs Vincenty's cannot resolve.
double KarneyInverse(double lat1, double lon1, double lat2, double lon2, const CGeoEarth& model,
                     double* azimuth, double* backAzimuth) {
    const GeographicLib::Geodesic geodesic(model.mdSemiMajorAxis, model.mdFlattening);
    double s12 = 0.0, azi1 = 0.0, azi2 = 0.0;
    geodesic.Inverse(lat1, lon1, lat2, lon2, s12, azi1, azi2);
    // azi2 is the heading on arrival; the back azimuth points the other way.
    double back = azi2 + 180.0;
    if (back >= 360.0) back -= 360.0;
    if (azi1 < 0.0) azi1 += 360.0;
    if (azimuth) *azimuth = azi1;
    if (backAzimuth) *backAzimuth = back;
    return s12;
}

}  // namespace

CGeo::CGeo() : mdLatitude(0.0), mdLongitude(0.0) {
    CreateShared();
}

void CGeo::CreateShared() {
    if (!mcEarth) mcEarth = new CGeoEarth(0);
    if (!mcString) mcString = new CGeoString();
}

CGeoEarth* CGeo::EarthOrCommon(CGeoEarth* earth) {
    if (earth) return earth;
    CreateShared();
    return mcEarth;
}

void CGeo::SetLatLon(double latitude, double longitude) {
    mdLatitude = latitude;
    mdLongitude = longitude;
}

long CGeo::SetLatLon(const char* text, CGeoString* parser) {
    CreateShared();
    return (parser ? parser : mcString)->GetLatLon(text, &mdLatitude, &mdLongitude);
}

void CGeo::Copy(const CGeo* other) {
    if (!other) return;
    mdLatitude = other->mdLatitude;
    mdLongitude = other->mdLongitude;
}

long CGeo::GetLatLonString(char* text, long format, const char* separator,
                           CGeoString* parser) const {
    CreateShared();
    return (parser ? parser : mcString)
        ->GetLatLonString(mdLatitude, mdLongitude, text, format, separator);
}

void CGeo::SetCommonEllipsiodType(unsigned long type) {
    CreateShared();
    mcEarth->SetEllipsiodType(type);
}

double CGeo::GetEarthEllipsoidMeters(double* flattening, CGeoEarth* earth) {
    const CGeoEarth* e = EarthOrCommon(earth);
    if (flattening) *flattening = e->mdFlattening;
    return e->mdSemiMajorAxis;
}

namespace {

// The part of the direct solution that depends on the start latitude, the
// azimuth and the ellipsoid's 1 - f alone, and the inputs it was computed from.
struct XDirectStart {
    bool computed;
    uint64_t latitude, azimuth, r;  // bit patterns
    double sf, cf, baz, cu, su, sa, c2a, c, d;
};

XDirectStart ComputeDirectStart(double latitude, double azimuth, double r) {
    XDirectStart start{};
    start.computed = true;
    start.latitude = std::bit_cast<uint64_t>(latitude);
    start.azimuth = std::bit_cast<uint64_t>(azimuth);
    start.r = std::bit_cast<uint64_t>(r);
    const double phi1 = latitude * kDegreesToRadians;
    const double alpha = azimuth * kDegreesToRadians;
    const double tu = r * std::sin(phi1) / std::cos(phi1);
    start.sf = std::sin(alpha);
    start.cf = std::cos(alpha);
    start.baz = 0.0;
    if (start.cf != 0.0) start.baz = 2.0 * std::atan2(tu, start.cf);

    start.cu = 1.0 / std::sqrt(tu * tu + 1.0);
    start.su = tu * start.cu;
    start.sa = start.cu * start.sf;
    start.c2a = 1.0 - start.sa * start.sa;

    double x = std::sqrt((1.0 / r / r - 1.0) * start.c2a + 1.0) + 1.0;
    x = (x - 2.0) / x;
    start.c = (x * x / 4.0 + 1.0) / (1.0 - x);
    start.d = (0.375 * x * x - 1.0) * x;
    return start;
}

// A radar's vectors share their site and repeat each bearing at every range,
// so the start part of the last bearings is kept: it is about a fifth of a
// call. Keyed by the inputs' bits, it gives the positions a call computing it
// again gives.
const XDirectStart& DirectStart(double latitude, double azimuth, double r) {
    constexpr int kSlotBits = 7;
    thread_local XDirectStart slots[1 << kSlotBits] = {};
    const uint64_t key = std::bit_cast<uint64_t>(azimuth);
    const size_t slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits));
    XDirectStart& start = slots[slot];
    if (!start.computed || start.azimuth != key ||
        start.latitude != std::bit_cast<uint64_t>(latitude) ||
        start.r != std::bit_cast<uint64_t>(r)) {
        start = ComputeDirectStart(latitude, azimuth, r);
    }
    return start;
}

}  // namespace

// Vincenty's direct solution in its published program form.
double CGeo::AddDistanceMeters(double azimuth, double distance, double* backAzimuth,
                               CGeoEarth* earth) {
    const CGeoEarth* model = EarthOrCommon(earth);
    const double a = model->mdSemiMajorAxis;
    const double f = model->mdFlattening;
    const double r = model->mdOneMinusFlattening;
    const double lambda1 = mdLongitude * kDegreesToRadians;
    const double s = distance;

    const XDirectStart& start = DirectStart(mdLatitude, azimuth, r);
    const double sf = start.sf, cf = start.cf, cu = start.cu, su = start.su, sa = start.sa;
    const double c2a = start.c2a;
    double baz = start.baz, c = start.c, d = start.d, x = 0.0;

    double tu = s / r / a / c;
    double y = tu;
    double sy = 0.0, cy = 0.0, cz = 0.0, e = 0.0;
    for (int pass = 0; pass < kDirectPasses; ++pass) {
        sy = std::sin(y);
        cy = std::cos(y);
        cz = std::cos(baz + y);
        e = 2.0 * cz * cz - 1.0;
        const double previous = y;
        y = (((4.0 * sy * sy - 3.0) * (2.0 * e - 1.0) * cz * d / 6.0 + e * cy) * d / 4.0 - cz) *
                sy * d +
            tu;
        if (std::fabs(y - previous) <= kDirectTolerance) break;
    }

    baz = cu * cy * cf - su * sy;
    c = r * std::sqrt(sa * sa + baz * baz);
    const double phi2 = std::atan2(su * cy + cu * sy * cf, c);

    x = std::atan2(sy * sf, cu * cy - su * sy * cf);
    c = ((-3.0 * c2a + 4.0) * f + 4.0) * c2a * f / 16.0;
    d = ((e * cy * c + cz) * sy * c + y) * sa;
    const double lambda2 = lambda1 + x - (1.0 - c) * d * f;

    if (backAzimuth) *backAzimuth = (std::atan2(sa, baz) + kPi) * kRadiansToDegrees;

    mdLatitude = phi2 * kRadiansToDegrees;
    mdLongitude = lambda2 * kRadiansToDegrees;
    if (mdLongitude < -180.0) {
        mdLongitude += 360.0;
    } else if (mdLongitude > 180.0) {
        mdLongitude -= 360.0;
    }
    return distance;
}

double CGeo::GetDistanceMeters(const CGeo* other, double* azimuth, double* backAzimuth,
                               CGeoEarth* earth) const {
    if (!other) return 0.0;
    CGeoEarth* model = EarthOrCommon(earth);
    const double f = model->mdFlattening;
    const double r = model->mdOneMinusFlattening;
    const double b = model->mdSemiMinorAxis;
    const double e2 = f * (2.0 - f);

    const double phi1 = mdLatitude * kDegreesToRadians;
    const double phi2 = other->mdLatitude * kDegreesToRadians;
    const double deltaLambda = (other->mdLongitude - mdLongitude) * kDegreesToRadians;

    // Same meridian: the meridian arc is exact and needs no iteration.
    if (std::fabs(deltaLambda) < kSameMeridian) {
        const double s = std::fabs(GetMeridonalArcLength(other->mdLatitude, model));
        const bool north = phi1 < phi2;
        if (azimuth) *azimuth = north ? 0.0 : 180.0;
        if (backAzimuth) *backAzimuth = north ? 180.0 : 0.0;
        return s;
    }

    // Fold the longitude difference into -pi ... pi.
    double folded = deltaLambda;
    const double absDelta = std::fabs(deltaLambda);
    if (deltaLambda < 0.0 && absDelta >= kPi && absDelta < kTwoPi) {
        folded += kTwoPi;
    } else if (deltaLambda >= 0.0 && deltaLambda >= kPi && deltaLambda < kTwoPi) {
        folded -= kTwoPi;
    }
    double delta = std::fabs(folded);
    if (delta > kPi) delta = kTwoPi - delta;

    // Nearly antipodal points near the equator, where the iteration below
    // does not converge.
    if (delta >= r * kPi) {
        const double p1 = std::fabs(phi1);
        const double p2 = std::fabs(phi2);
        const double E = kSameMeridian;
        const double L = kNearEquator;
        if (((E <= p1 && p1 <= L) || p2 <= L) && (p2 >= E || p1 <= L)) {
            return KarneyInverse(mdLatitude, mdLongitude, other->mdLatitude, other->mdLongitude,
                                 *model, azimuth, backAzimuth);
        }
    }

    // General solution on the reduced latitudes.
    const double beta1 = std::atan(r * std::sin(phi1) / std::cos(phi1));
    const double beta2 = std::atan(r * std::sin(phi2) / std::cos(phi2));
    const double s1 = std::sin(beta1);
    const double c1 = std::cos(beta1);
    const double s2 = std::sin(beta2);
    const double c2 = std::cos(beta2);
    const double k = 1.0 + 9.0 * f / 4.0;
    const double f2 = f * f;
    const double f3 = f2 * f;
    const double f4 = f3 * f;

    double lambda = deltaLambda;
    double lambdaOfLastPass = lambda;
    double sinLambda = 0.0, cosLambda = 0.0;
    double sinSigma = 0.0, cosSigma = 0.0, sigma = 0.0;
    double sinAlpha = 0.0, C2 = 0.0;
    double cm = 0.0, cm4 = 0.0, cm6 = 0.0, s2sigma = 0.0, s3sigma = 0.0;
    bool converged = false;
    for (int pass = 0; pass < kInversePasses && !converged; ++pass) {
        lambdaOfLastPass = lambda;
        sinLambda = std::sin(lambda);
        cosLambda = std::cos(lambda);
        cosSigma = cosLambda * c1 * c2 + s1 * s2;
        const double q = c2 * sinLambda;
        const double t = c1 * s2 - cosLambda * s1 * c2;
        sinSigma = std::sqrt(q * q + t * t);
        sigma = std::atan2(sinSigma, cosSigma);

        sinAlpha = c1 * c2 * sinLambda / sinSigma;
        C2 = 1.0 - sinAlpha * sinAlpha;
        const double C4 = C2 * C2;
        const double C6 = C2 * C4;
        const double A1 = f2 * (f2 + f + 1.0) * C2;
        const double A2 = C4 * k * f3;

        cm = cosSigma;
        if (C2 > kSmallCos2Alpha) cm -= 2.0 * s1 * s2 / C2;
        cm4 = 2.0 * cm * cm - 1.0;
        cm6 = (4.0 * cm * cm - 3.0) * cm;
        s2sigma = 2.0 * sinSigma * cosSigma;
        s3sigma = (3.0 - 4.0 * sinSigma * sinSigma) * sinSigma;

        const double lambdaNew =
            deltaLambda +
            sinAlpha * (sigma * (f - A1 / 4.0 + 3.0 * f3 * k * C4 / 16.0 - 25.0 * f4 * C6 / 128.0) +
                        sinSigma * cm * (A1 / 4.0 - A2 / 4.0 + 75.0 * f4 * C6 / 256.0) +
                        s2sigma * cm4 * (A2 / 32.0 - 15.0 * f4 * C6 / 256.0) +
                        s3sigma * cm6 * (5.0 * f4 * C6 / 768.0));
        converged = std::fabs(lambdaNew - lambda) < kInverseTolerance;
        lambda = lambdaNew;
    }
    if (!converged || sigma > kNearlyAntipodalArc) {
        return KarneyInverse(mdLatitude, mdLongitude, other->mdLatitude, other->mdLongitude, *model,
                             azimuth, backAzimuth);
    }

    const double u2 = C2 * e2 / (1.0 - e2);
    const double u4 = u2 * u2;
    const double u6 = u4 * u2;
    const double u8 = u4 * u4;
    const double s =
        b * (sigma * (1.0 + u2 / 4.0 - 3.0 * u4 / 64.0 + 5.0 * u6 / 256.0 - 175.0 * u8 / 16384.0) +
             cm * sinSigma * (-u2 / 4.0 + u4 / 16.0 - 15.0 * u6 / 512.0 + 35.0 * u8 / 2048.0) +
             cm4 * s2sigma * (-u4 / 128.0 + 3.0 * u6 / 512.0 - 35.0 * u8 / 8192.0) +
             cm6 * s3sigma * (-u6 / 1536.0 + 5.0 * u8 / 6144.0));

    // Azimuths. Two points on the equator head due east or west. The others
    // use the converged lambda: the pass's own sine and cosine lag it by up
    // to the stopping tolerance, which for points metres apart is a large
    // part of the whole longitude difference. A caller after the distance
    // alone, or one azimuth, pays for no more than that.
    if (!azimuth && !backAzimuth) return s;
    if (std::fabs(s1) >= kEquatorSine || std::fabs(s2) >= kEquatorSine) {
        // Compared as bit patterns: the sines of 0 and -0 differ in sign.
        if (std::bit_cast<std::uint64_t>(lambda) !=
            std::bit_cast<std::uint64_t>(lambdaOfLastPass)) {
            sinLambda = std::sin(lambda);
            cosLambda = std::cos(lambda);
        }
        if (azimuth) {
            const double p = sinAlpha / c1;
            double az = std::atan2(p, p * (c1 * s2 - c2 * cosLambda * s1) / (c2 * sinLambda));
            if (az < 0.0) az += kTwoPi;
            *azimuth = az * kRadiansToDegrees;
        }
        if (backAzimuth) {
            const double m = -sinAlpha / c2;
            double baz =
                kPi - std::atan2(m, m * (s1 * c2 - c1 * cosLambda * s2) / (c1 * sinLambda));
            if (baz < 0.0) baz += kTwoPi;
            *backAzimuth = baz * kRadiansToDegrees;
        }
        return s;
    }
    double d = deltaLambda;
    if (d > kPi) {
        d -= kTwoPi;
    } else if (d < -kPi) {
        d += kTwoPi;
    }
    if (azimuth) *azimuth = (d < 0.0 ? 1.5 * kPi : 0.5 * kPi) * kRadiansToDegrees;
    if (backAzimuth) *backAzimuth = (d < 0.0 ? 0.5 * kPi : 1.5 * kPi) * kRadiansToDegrees;
    return s;
}

double CGeo::GetMeridonalArcLength(double latitude, CGeoEarth* earth) const {
    const CGeoEarth* model = EarthOrCommon(earth);
    const double a = model->mdSemiMajorAxis;
    const double f = model->mdFlattening;
    const double e2 = f * (2.0 - f);
    const double e4 = e2 * e2;
    const double e6 = e4 * e2;
    const double e8 = e4 * e4;
    const double e10 = e8 * e2;
    const double E1 = 3.0 * e2 / 4.0;
    const double E2 = 15.0 * e4 / 64.0;
    const double E3 = 35.0 * e6 / 512.0;
    const double E4 = 315.0 * e8 / 16384.0;
    const double E5 = 693.0 * e10 / 131072.0;

    const double phi1 = mdLatitude * kDegreesToRadians;
    const double phi2 = latitude * kDegreesToRadians;

    double P = 0.0;
    const double absPhi2 = std::fabs(phi2);
    const bool poleFromEquator =
        absPhi2 > kPoleLow && absPhi2 < kPoleHigh && std::fabs(phi1) <= kOnEquator;
    if (!poleFromEquator) {
        P = -(std::sin(2.0 * phi2) - std::sin(2.0 * phi1)) *
                (E1 + 4.0 * E2 + 15.0 * E3 + 56.0 * E4 + 210.0 * E5) / 2.0 +
            (std::sin(4.0 * phi2) - std::sin(4.0 * phi1)) *
                (E2 + 6.0 * E3 + 28.0 * E4 + 120.0 * E5) / 4.0 -
            (std::sin(6.0 * phi2) - std::sin(6.0 * phi1)) * (E3 + 8.0 * E4 + 45.0 * E5) / 6.0 +
            (std::sin(8.0 * phi2) - std::sin(8.0 * phi1)) * (E4 + 10.0 * E5) / 8.0 -
            (std::sin(10.0 * phi2) - std::sin(10.0 * phi1)) * E5 / 10.0;
    }
    return (1.0 - e2) * a *
           (P + (phi2 - phi1) * (1.0 + E1 + 3.0 * E2 + 10.0 * E3 + 35.0 * E4 + 126.0 * E5));
}

double CGeo::GetLiffOffAzimuths(double deltaLongitude, double* azimuth, double* backAzimuth,
                                double* factorD, double* factorB, CGeoEarth* earth) {
    const CGeoEarth* model = EarthOrCommon(earth);
    const double a = model->mdSemiMajorAxis;
    double f = model->mdFlattening;
    if (f == 0.0) f = kTinyFlattening;
    const double r = 1.0 - f;
    const double e2 = f * (2.0 - f);
    const double dl = deltaLongitude * kDegreesToRadians;

    // Rounding can put the sine a hair above 1 right at the edge of the
    // branch; asin would then give NaN.
    auto safeAsin = [](double v) { return std::asin(v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v)); };

    const double c = (kPi - std::fabs(dl)) / (f * kPi);
    double alpha = safeAsin(c);
    double D = 1.0;
    for (int pass = 0; pass < kLiftOffPasses; ++pass) {
        const double K = std::cos(alpha) * std::cos(alpha);
        D = 1.0 - (f / 4.0) * (1.0 + f + f * f) * K +
            (3.0 * f * f / 16.0) * (1.0 + 9.0 * f / 4.0) * K * K -
            (25.0 * f * f * f / 128.0) * K * K * K;
        const double previous = alpha;
        alpha = safeAsin(c / D);
        if (std::fabs(alpha - previous) < kLiftOffTolerance) break;
    }
    if (dl < 0.0) alpha = kTwoPi - alpha;

    const double cosAlpha = std::cos(alpha);
    const double u2 = e2 / (1.0 - e2) * cosAlpha * cosAlpha;
    const double u4 = u2 * u2;
    const double B =
        1.0 + u2 / 4.0 - 3.0 * u4 / 64.0 + 5.0 * u4 * u2 / 256.0 - 175.0 * u4 * u4 / 16384.0;

    if (azimuth) *azimuth = alpha * kRadiansToDegrees;
    if (backAzimuth) {
        // Westward the landing heading comes out below zero; report it as an
        // azimuth like every other.
        double landing = kPi - alpha;
        if (landing < 0.0) landing += kTwoPi;
        *backAzimuth = landing * kRadiansToDegrees;
    }
    if (factorD) *factorD = D;
    if (factorB) *factorB = B;
    return ((1.0 - std::fabs(std::sin(alpha)) * f * D) - r * B) * a * kPi;
}

void CGeo::AddXYDistance(double x, double y, CGeoEarth* earth) {
    AddDistanceMeters(std::atan2(x, y) * kRadiansToDegrees, std::sqrt(x * x + y * y), nullptr,
                      earth);
}

void CGeo::GetXYDistance(const CGeo* other, double* x, double* y, CGeoEarth* earth) const {
    if (!other) {
        if (x) *x = 0.0;
        if (y) *y = 0.0;
        return;
    }
    double back = 0.0;
    const double d = GetDistanceMeters(other, nullptr, &back, earth);
    const double beta = back * kDegreesToRadians;
    if (x) *x = d * std::sin(beta);
    if (y) *y = d * std::cos(beta);
}
