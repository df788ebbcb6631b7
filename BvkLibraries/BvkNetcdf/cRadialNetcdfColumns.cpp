// The table of LLUV columns and their netCDF names and attributes.

#include "cRadialNetcdfColumns.h"

#include <cmath>

#include "cLLUV.h"
#include "cRadialQC.h"

namespace {

// Velocity columns count positive towards the site; the CF names count away
// from it, so VELO changes sign and HEAD turns by 180 degrees.
constexpr const char* kTowardSite = "signed as the LLUV file's VELO: positive towards the site";

constexpr XNetcdfColumn kColumns[] = {
    {LLUVCode("LOND"), "lon", "Longitude", "longitude", "degree_east", kNetcdfDouble,
     kScaleAsWritten, -180, 180, ""},
    {LLUVCode("LATD"), "lat", "Latitude", "latitude", "degree_north", kNetcdfDouble,
     kScaleAsWritten, -90, 90, ""},
    {LLUVCode("VELU"), "u", "Eastward surface current", "surface_eastward_sea_water_velocity",
     "m s-1", kNetcdfFloat, kScaleVelocity, -10, 10, ""},
    {LLUVCode("VELV"), "v", "Northward surface current", "surface_northward_sea_water_velocity",
     "m s-1", kNetcdfFloat, kScaleVelocity, -10, 10, ""},
    {LLUVCode("VFLG"), "vector_flag", "Vector flag (grid code)", "", "", kNetcdfInt,
     kScaleAsWritten, 0, 2147483647, "128: land or a place the radar cannot measure"},
    {LLUVCode("ESPC"), "spatial_quality", "Spatial quality of the velocity", "", "m s-1",
     kNetcdfFloat, kScaleVelocity, 0, 10, "9.99 means not computed"},
    {LLUVCode("ETMP"), "temporal_quality", "Temporal quality of the velocity", "", "m s-1",
     kNetcdfFloat, kScaleVelocity, 0, 10, "9.99 means not computed"},
    {LLUVCode("MAXV"), "velocity_max", "Maximum of the merged radial velocities", "", "m s-1",
     kNetcdfFloat, kScaleVelocity, -10, 10, kTowardSite},
    {LLUVCode("MINV"), "velocity_min", "Minimum of the merged radial velocities", "", "m s-1",
     kNetcdfFloat, kScaleVelocity, -10, 10, kTowardSite},
    {LLUVCode("ERSC"), "spatial_count", "Number of velocities in the spatial merge", "", "",
     kNetcdfInt, kScaleAsWritten, 0, 2147483647, ""},
    {LLUVCode("ERTC"), "temporal_count", "Number of velocities in the temporal merge", "", "",
     kNetcdfInt, kScaleAsWritten, 0, 2147483647, ""},
    {LLUVCode("EDVC"), "doppler_velocity_count", "Number of Doppler velocities merged", "", "",
     kNetcdfInt, kScaleAsWritten, 0, 2147483647, ""},
    {LLUVCode("XDST"), "dist_east_from_origin", "Distance east of the site", "", "km", kNetcdfFloat,
     kScaleDistance, -1000, 1000, ""},
    {LLUVCode("YDST"), "dist_north_from_origin", "Distance north of the site", "", "km",
     kNetcdfFloat, kScaleDistance, -1000, 1000, ""},
    {LLUVCode("RNGE"), "range", "Range from the site", "", "km", kNetcdfFloat, kScaleDistance, 0,
     1000, ""},
    {LLUVCode("BEAR"), "bearing", "Bearing from the site, clockwise from true north", "", "degree",
     kNetcdfFloat, kScaleAsWritten, 0, 360, ""},
    {LLUVCode("VELO"), "velocity", "Radial sea water velocity away from the site",
     "radial_sea_water_velocity_away_from_instrument", "m s-1", kNetcdfFloat, kScaleVelocityAway,
     -10, 10, "the LLUV file's VELO with its sign changed (VELO is positive towards the site)"},
    {LLUVCode("HEAD"), "heading", "Direction of the radial vector away from the site",
     "direction_of_radial_vector_away_from_instrument", "degree", kNetcdfFloat, kScaleDirectionAway,
     0, 360, "the LLUV file's HEAD turned by 180 degrees (HEAD points towards the site)"},
    {LLUVCode("SPRC"), "range_cell", "Range cell of the spectra", "", "", kNetcdfInt,
     kScaleAsWritten, 0, 2147483647, ""},
};

}  // namespace

XNetcdfColumn RadialNetcdfColumn(uint32_t code, std::string* unknown) {
    for (const XNetcdfColumn& column : kColumns)
        if (column.code == code) return column;
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        name += plain ? c : '_';
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    if (name.empty()) name = "column";
    if (unknown) *unknown = name;
    for (int test = 0; test < kQCTestCount; ++test) {
        if (RadialQCCode(test) == code)
            return {code, nullptr, RadialQCName(test), "", "", kNetcdfFlag, kScaleAsWritten, 1,
                    9,    ""};
    }
    return {code, nullptr, "", "", "", kNetcdfDouble, kScaleAsWritten, 0, 0, ""};
}

double RadialNetcdfScale(double value, ENetcdfColumnScale scale, double velocityScale,
                         double distanceScale) {
    switch (scale) {
        case kScaleVelocity:
            return value * velocityScale;
        case kScaleVelocityAway:
            return value == 0 ? 0.0 : -value * velocityScale;
        case kScaleDistance:
            return value * distanceScale / 1000.0;
        case kScaleDirectionAway: {
            const double away = std::fmod(value + 180.0, 360.0);
            return away < 0 ? away + 360.0 : away;
        }
        case kScaleAsWritten:
            break;
    }
    return value;
}
