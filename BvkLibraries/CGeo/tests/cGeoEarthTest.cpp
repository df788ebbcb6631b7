#include "cGeoEarth.h"
#include "cStrConv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr unsigned long Code(const char* c) {
    return (static_cast<unsigned long>(static_cast<unsigned char>(c[0])) << 24) |
           (static_cast<unsigned long>(static_cast<unsigned char>(c[1])) << 16) |
           (static_cast<unsigned long>(static_cast<unsigned char>(c[2])) << 8) |
           static_cast<unsigned long>(static_cast<unsigned char>(c[3]));
}

// The published list, written out again from the geodetic literature so the
// code's table is checked against an independent copy.
struct XPublished {
    const char* type;
    const char* choice;
    double a;
    long double inverseFlattening;  // 0 for spheres; long double so 1/f is exact enough
};

const XPublished kPublished[] = {
    {"dflt", "Default", 6378137.0, 298.257223563L},
    {"wg84", "WGS84", 6378137.0, 298.257223563L},
    {"sphr", "Sphere", 6367450.0, 0.0L},
    {"naut", "Naut", 6366675.189, 0.0L},
    {"ar58", "A1858", 6377563.396, 299.3249646L},
    {"armd", "AMod", 6377340.189, 299.3249646L},
    {"aunt", "Aussie", 6378160.0, 298.25L},
    {"bs41", "B1841", 6377397.155, 299.1528128L},
    {"ck80", "C1880", 6378249.145, 293.465L},
    {"ck66", "C1866", 6378206.0, 294.98L},
    {"ev30", "E1830", 6377276.345, 300.8017L},
    {"evmd", "EMod", 6377304.063, 300.8017L},
    {"fr60", "F60", 6378166.0, 298.3L},
    {"fr68", "F68", 6378150.0, 298.3L},
    {"hh56", "H56", 6378270.0, 297.0L},
    {"ihay", "Hayford", 6378388.0, 297.0L},
    {"kr38", "K38", 6378245.0, 298.3L},
    {"wg66", "WGS66", 6378145.0, 298.25L},
    {"sa69", "SoAm69", 6378160.0, 298.25L},
    {"sg85", "Sov85", 6378136.0, 298.257L},
    {"wg72", "WGS72", 6378135.0, 298.26L},
    {"gr80", "GRS80", 6378137.0, 298.257222101L},
};

TEST(CGeoEarth, EveryEntryHasItsCodeAxisAndFlattening) {
    for (long i = 0; i < 22; ++i) {
        const XPublished& p = kPublished[i];
        CGeoEarth earth(i);
        SCOPED_TRACE(p.type);
        EXPECT_EQ(earth.mnEllipsoidType, Code(p.type));
        EXPECT_EQ(CGeoEarth::GetEllipsiodIndexForType(earth.mnEllipsoidType), i);
        EXPECT_EQ(earth.mdSemiMajorAxis, p.a);
        if (p.inverseFlattening == 0.0) {
            EXPECT_EQ(earth.mdFlattening, 0.0);
        } else if (i > 1 && i < 21) {
            // The nearest double to 1 / (1/f): within half a unit in the last
            // place of the long double quotient (a plain double division is
            // one unit off for Clarke 1866 and the Everests).
            const long double exact = 1.0L / p.inverseFlattening;
            const double ulp = std::nextafter(earth.mdFlattening, 1.0) - earth.mdFlattening;
            EXPECT_LE(std::fabs(static_cast<long double>(earth.mdFlattening) - exact), 0.5L * ulp)
                << p.inverseFlattening;
        }
    }
}

TEST(CGeoEarth, Wgs84AndGrs80UseTheFieldFilesFlattening) {
    // These two are fixed doubles, not the quotients: existing files print
    // their reciprocals as 298.257223562997 and 298.25722210088.
    EXPECT_EQ(CGeoEarth(0).mdFlattening, 0.0033528106647475126);
    EXPECT_EQ(CGeoEarth(1).mdFlattening, 0.0033528106647475126);
    EXPECT_EQ(CGeoEarth(21).mdFlattening, 0.0033528106811836675);
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", 1.0 / CGeoEarth(1).mdFlattening);
    EXPECT_STREQ(text, "298.257223562997");
    // The default entry is WGS84 and reports itself as WGS84.
    EXPECT_EQ(CGeoEarth(0).GetEllipsiodType(), Code("wg84"));
    EXPECT_NEAR(CGeoEarth(0).mdSemiMinorAxis, 6356752.314245179, 1e-8);
}

TEST(CGeoEarth, IndexesAndTypesOutsideTheListFallBackToWgs84) {
    const long zzzz = static_cast<long>(Code("zzzz"));
    const struct {
        const char* what;
        bool byIndex;
        long value;
        unsigned long expectedType;
        long expectedIndex;
        double expectedA;
    } cases[] = {
        {"index 22", true, 22, 0, 22, 6378137.0},
        {"index -1", true, -1, 0, -1, 6378137.0},
        {"type zzzz", false, zzzz, Code("zzzz"), zzzz, 6378137.0},
        // A bare index given as a type selects that entry and stays the type.
        {"type 15", false, 15, 15, 15, 6378388.0},
        {"type ck80", false, static_cast<long>(Code("ck80")), Code("ck80"), 8, 6378249.145},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CGeoEarth earth(1);
        if (c.byIndex) {
            earth.SetEllipsiodIndex(c.value);
        } else {
            earth.SetEllipsiodType(static_cast<unsigned long>(c.value));
        }
        EXPECT_EQ(earth.mnEllipsoidType, c.expectedType);
        EXPECT_EQ(earth.mnEllipsoidIndex, c.expectedIndex);
        EXPECT_EQ(earth.mdSemiMajorAxis, c.expectedA);
    }
    EXPECT_EQ(CGeoEarth::GetEllipsiodTypeForIndex(-5), 0UL);
    EXPECT_EQ(CGeoEarth::GetEllipsiodTypeForIndex(21), Code("gr80"));
}

TEST(CGeoEarth, AllBitsSetMeansTheObjectsOwnType) {
    CGeoEarth earth(8);  // Clarke 1880
    double f = 0.0;
    EXPECT_EQ(earth.GetEarthEllipsoidMeters(~0UL, &f), 6378249.145);
    EXPECT_NEAR(1.0 / f, 293.465, 1e-9);
    EXPECT_EQ(earth.GetEarthEllipsoidMeters(0xFFFFFFFFUL, nullptr), 6378249.145);
    EXPECT_EQ(earth.GetEarthEllipsoidMeters(Code("bs41"), nullptr), 6377397.155);
}

TEST(CGeoEarth, FullNamesAreCutOrEmpty) {
    char name[64];
    CGeoEarth::GetEllipsiodFullName(Code("ihay"), name, 5);
    EXPECT_STREQ(name, "Inter");
    CGeoEarth::GetEllipsiodFullName(Code("ihay"), name, 0);  // 0: no limit
    EXPECT_STREQ(name, "International Hayford");
    std::strcpy(name, "garbage");
    CGeoEarth::GetEllipsiodFullName(Code("zzzz"), name, 64);
    EXPECT_STREQ(name, "");
}

TEST(CGeoEarth, ChoiceItemsAreTheIndexes) {
    const char* choices = CGeoEarth::GetEllipsiodChoices();
    for (long i = 0; i < 22; ++i) {
        char item[32];
        CStrConv::GetChoiceString(i, choices, item, sizeof item - 1);
        EXPECT_STREQ(item, kPublished[i].choice) << i;
    }
    char item[32];
    EXPECT_EQ(CStrConv::GetChoiceString(22, choices, item, sizeof item - 1), 0);
    EXPECT_EQ(CStrConv::FindChoice("hay", choices, -1, 0), 15);
}

}  // namespace
