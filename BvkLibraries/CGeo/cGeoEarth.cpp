#include "cGeoEarth.h"

#include <cstring>

namespace {

constexpr uint32_t Code(const char (&c)[5]) {
    return (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) |
           (uint32_t(uint8_t(c[2])) << 8) | uint32_t(uint8_t(c[3]));
}

struct XEllipsoid {
    uint32_t type;
    double semiMajorAxis;      // a, meters
    double inverseFlattening;  // 1/f as published; 0 for a sphere
    double flattening;         // f, the double nearest to 1 / (1/f)
};

// In index order. The flattening column is written out rather than computed
// from 1/f at run time: a plain double division is off by one unit in the last
// place for some entries (Clarke 1866, Everest), and the WGS84 value is the one
// the field's files were made with (its reciprocal prints as 298.257223562997).
constexpr XEllipsoid kEllipsoids[CGeoEarth::kEllipsoidCount] = {
    {Code("dflt"), 6378137.0, 298.257223563, 0.0033528106647475126},
    {Code("wg84"), 6378137.0, 298.257223563, 0.0033528106647475126},
    {Code("sphr"), 6367450.0, 0.0, 0.0},
    {Code("naut"), 6366675.189, 0.0, 0.0},
    {Code("ar58"), 6377563.396, 299.3249646, 0.0033408506414970775},
    {Code("armd"), 6377340.189, 299.3249646, 0.0033408506414970775},
    {Code("aunt"), 6378160.0, 298.25, 0.003352891869237217},
    {Code("bs41"), 6377397.155, 299.1528128, 0.003342773182174806},
    {Code("ck80"), 6378249.145, 293.465, 0.003407561378699334},
    {Code("ck66"), 6378206.0, 294.98, 0.0033900603430741067},
    {Code("ev30"), 6377276.345, 300.8017, 0.0033244492966628845},
    {Code("evmd"), 6377304.063, 300.8017, 0.0033244492966628845},
    {Code("fr60"), 6378166.0, 298.3, 0.003352329869259135},
    {Code("fr68"), 6378150.0, 298.3, 0.003352329869259135},
    {Code("hh56"), 6378270.0, 297.0, 0.003367003367003367},
    {Code("ihay"), 6378388.0, 297.0, 0.003367003367003367},
    {Code("kr38"), 6378245.0, 298.3, 0.003352329869259135},
    {Code("wg66"), 6378145.0, 298.25, 0.003352891869237217},
    {Code("sa69"), 6378160.0, 298.25, 0.003352891869237217},
    {Code("sg85"), 6378136.0, 298.257, 0.0033528131778969143},
    {Code("wg72"), 6378135.0, 298.26, 0.003352779454167505},
    {Code("gr80"), 6378137.0, 298.257222101, 0.0033528106811836675},
};

constexpr long kWgs84Index = 1;
constexpr uint32_t kDefaultType = Code("dflt");
constexpr uint32_t kWgs84Type = Code("wg84");

}  // namespace

CGeoEarth::CGeoEarth(long index) {
    SetEllipsiodIndex(index);
}

void CGeoEarth::SetEllipsiodIndex(long index) {
    mnEllipsoidIndex = int32_t(index);
    mnEllipsoidType = uint32_t(GetEllipsiodTypeForIndex(index));
    double f = 0.0;
    const double a = GetEarthEllipsoidMeters(mnEllipsoidType, &f);
    SetEarthSize(a, f);
}

void CGeoEarth::SetEllipsiodType(unsigned long type) {
    mnEllipsoidType = uint32_t(type);
    mnEllipsoidIndex = int32_t(GetEllipsiodIndexForType(type));
    double f = 0.0;
    const double a = GetEarthEllipsoidMeters(type, &f);
    SetEarthSize(a, f);
}

void CGeoEarth::SetEarthSize(double semiMajorAxis, double flattening) {
    mdSemiMajorAxis = semiMajorAxis;
    mdFlattening = flattening;
    mdOneMinusFlattening = 1.0 - flattening;
    mdSemiMinorAxis = mdOneMinusFlattening * semiMajorAxis;
}

unsigned long CGeoEarth::GetEllipsiodType() const {
    return mnEllipsoidType == kDefaultType ? kWgs84Type : mnEllipsoidType;
}

long CGeoEarth::GetEllipsiodIndexForType(unsigned long type) {
    for (long i = 0; i < kEllipsoidCount; ++i) {
        if (kEllipsoids[i].type == type) return i;
    }
    return long(type);
}

unsigned long CGeoEarth::GetEllipsiodTypeForIndex(long index) {
    if (index < 0 || index >= kEllipsoidCount) return 0;
    return kEllipsoids[index].type;
}

double CGeoEarth::GetEarthEllipsoidMeters(unsigned long type, double* flattening) const {
    // Key codes are 32 bits; callers may pass -1 either as 32 or 64 bits.
    if (type == ~0UL || type == 0xFFFFFFFFUL) type = mnEllipsoidType;
    long index = type == 0 ? kWgs84Index : GetEllipsiodIndexForType(type);
    if (index < 2 || index >= kEllipsoidCount) index = kWgs84Index;
    if (flattening) *flattening = kEllipsoids[index].flattening;
    return kEllipsoids[index].semiMajorAxis;
}

const char* CGeoEarth::GetEllipsiodChoices() {
    return mszEllipsiodChoices;
}

void CGeoEarth::GetEllipsiodFullName(unsigned long type, char* name, unsigned long maxLength) {
    if (!name) return;
    name[0] = 0;
    long index = -1;
    for (long i = 0; i < kEllipsoidCount; ++i) {
        if (kEllipsoids[i].type == type) index = i;
    }
    if (index < 0) return;
    const char* full = mszEllipsiodNameList[index];
    size_t length = std::strlen(full);
    if (maxLength != 0 && maxLength < length) length = maxLength;
    std::memcpy(name, full, length);
    name[length] = 0;
}
