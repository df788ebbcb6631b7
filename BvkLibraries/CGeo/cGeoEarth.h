#pragma once
// The earth model of the geodesy library: one reference ellipsoid out of a
// fixed list of 22, known by a four-character type code, a list index and a
// short choice name. The distance and azimuth code reads a and f from here.

#include <cstdint>

class CGeoEarth {
  public:
    static constexpr long kEllipsoidCount = 22;
    static constexpr long kFullNameSize = 64;

    explicit CGeoEarth(long index = 0);

    void SetEllipsiodIndex(long index);
    // A code of the list, or a bare index 0 ... 21 (which then stays the
    // stored type).
    void SetEllipsiodType(unsigned long type);
    void SetEarthSize(double semiMajorAxis, double flattening);

    // The stored type, with 'dflt' reported as 'wg84'.
    unsigned long GetEllipsiodType() const;

    // The list index of `type`; a value that is not one of the codes comes
    // back unchanged, so small numbers act as indexes.
    static long GetEllipsiodIndexForType(unsigned long type);
    // The code of list entry `index`; 0 outside the list.
    static unsigned long GetEllipsiodTypeForIndex(long index);

    // a in meters and f through `flattening` (when given) of `type`'s entry;
    // every value that selects no entry of 2 ... 21 gives WGS84. A type with
    // all bits set means this object's own type.
    double GetEarthEllipsoidMeters(unsigned long type, double* flattening) const;

    static const char* GetEllipsiodChoices();

    // The full name of `type`'s entry, cut to `maxLength` characters when
    // `maxLength` is nonzero and smaller; "" for a code not in the list. The
    // buffer must hold the name (or maxLength characters) and the NUL.
    static void GetEllipsiodFullName(unsigned long type, char* name, unsigned long maxLength);

    // The choice names, blank-separated, in index order.
    static constexpr const char* mszEllipsiodChoices =
        "Default WGS84 Sphere Naut A1858 AMod Aussie B1841 C1880 C1866 E1830 EMod F60 F68 "
        "H56 Hayford K38 WGS66 SoAm69 Sov85 WGS72 GRS80";

    static constexpr char mszEllipsiodNameList[kEllipsoidCount][kFullNameSize] = {
        "Default",
        "WGS84",
        "Sphere",
        "Nautical Sphere",
        "Airy 1858",
        "Airy Modified",
        "Australian National",
        "Bessel 1841",
        "Clarke 1880",
        "Clarke 1866",
        "Everest 1830",
        "Everest Modified",
        "Fisher 1960",
        "Fisher 1968",
        "Hough 1956",
        "International Hayford",
        "Krassovsky 1938",
        "WGS66",
        "South America 1969",
        "Soviet Geod 1985",
        "WGS72",
        "GRS80",
    };

    uint32_t mnEllipsoidType;
    int32_t mnEllipsoidIndex;
    double mdSemiMajorAxis;
    double mdFlattening;
    double mdOneMinusFlattening;
    double mdSemiMinorAxis;
};
