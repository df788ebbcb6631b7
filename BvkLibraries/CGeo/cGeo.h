#pragma once
// A point on the earth ellipsoid (degrees, north and east positive) with the
// two classical geodetic problems: the direct problem (start point, azimuth and
// distance to end point and back azimuth) and the inverse problem (two points
// to distance and both azimuths), plus east/north offsets built on them.
// Azimuths are degrees clockwise from north, 0 ... 360; distances are meters.
// Every operation that takes a `CGeoEarth* earth` uses the program's common
// earth model `mcEarth` when it is null.

#include "cGeoEarth.h"
#include "cGeoString.h"

class CGeo {
  public:
    CGeo();
    virtual ~CGeo() = default;

    // Version 1.54 and date 2007-12-20, as hexadecimal-coded digits.
    static long GetVersionNumber() { return 0x154; }
    static long GetVersionDate() { return 0x20071220; }

    void SetLatLon(double latitude, double longitude);
    // Reads a position text (see CGeoString::GetLatLon); result: characters
    // consumed.
    long SetLatLon(const char* text, CGeoString* parser = nullptr);
    double GetLatitude() const { return mdLatitude; }
    double GetLongitude() const { return mdLongitude; }
    void Copy(const CGeo* other);
    long GetLatLonString(char* text, long format, const char* separator,
                         CGeoString* parser = nullptr) const;

    // Chooses the common earth model by type code or list index.
    static void SetCommonEllipsiodType(unsigned long type);
    static double GetEarthEllipsoidMeters(double* flattening, CGeoEarth* earth = nullptr);

    // Moves this point `distance` meters along the geodesic leaving at
    // `azimuth`; `backAzimuth` receives the azimuth at the end point back
    // toward the start. Result: `distance`.
    double AddDistanceMeters(double azimuth, double distance, double* backAzimuth = nullptr,
                             CGeoEarth* earth = nullptr);
    // Distance from this point to `other`; `azimuth` at this point toward
    // `other`, `backAzimuth` at `other` toward this point. 0 for a null
    // `other` (outputs untouched).
    double GetDistanceMeters(const CGeo* other, double* azimuth = nullptr,
                             double* backAzimuth = nullptr, CGeoEarth* earth = nullptr) const;
    // Signed meridian arc length from this point's latitude to `latitude`.
    double GetMeridonalArcLength(double latitude, CGeoEarth* earth = nullptr) const;
    // For two points on the equator whose longitudes differ by nearly 180
    // degrees: the azimuth at lift-off, the heading on landing (in
    // `backAzimuth`), the series factors D and B, and the amount to take from
    // |deltaLongitude| * a to get the distance.
    static double GetLiffOffAzimuths(double deltaLongitude, double* azimuth, double* backAzimuth,
                                     double* factorD, double* factorB, CGeoEarth* earth = nullptr);

    // Moves the point `x` meters east and `y` meters north.
    void AddXYDistance(double x, double y, CGeoEarth* earth = nullptr);
    // East and north offsets of this point as seen from `other`; 0 and 0 for
    // a null `other`.
    void GetXYDistance(const CGeo* other, double* x, double* y, CGeoEarth* earth = nullptr) const;

    double mdLatitude;
    double mdLongitude;

    // Shared by every point; created on first use and kept for the program's
    // life.
    static CGeoEarth* mcEarth;
    static CGeoString* mcString;

  private:
    static void CreateShared();
    static CGeoEarth* EarthOrCommon(CGeoEarth* earth);
};
