#pragma once
// What each LLUV vector-table column becomes in a netCDF file: the name the
// networks give it, its units and CF attributes, its type and how a file
// value turns into the stored one.

#include <cstdint>
#include <string>

enum ENetcdfColumnType { kNetcdfDouble, kNetcdfFloat, kNetcdfInt, kNetcdfFlag };

enum ENetcdfColumnScale {
    kScaleAsWritten,
    kScaleVelocity,       // the file's velocity unit to m s-1
    kScaleVelocityAway,   // the same, positive away from the site
    kScaleDistance,       // the file's distance unit to km
    kScaleDirectionAway,  // a direction towards the site turned to point away from it
};

struct XNetcdfColumn {
    uint32_t code;
    const char* name;
    const char* longName;
    const char* standardName;  // "" when CF has none
    const char* units;         // "" for none
    ENetcdfColumnType type;
    ENetcdfColumnScale scale;
    double validMin, validMax;
    const char* comment;  // "" for none
};

// The column's description; a column nobody names gets its code as name, a
// double type and no units. `unknown` (may be null) receives the name for
// such columns.
XNetcdfColumn RadialNetcdfColumn(uint32_t code, std::string* unknown);

// A file value as stored: `velocityScale` is m s-1 per file velocity unit,
// `distanceScale` metres per file distance unit.
double RadialNetcdfScale(double value, ENetcdfColumnScale scale, double velocityScale,
                         double distanceScale);

// QC flags: their values and meanings.
inline constexpr signed char kNetcdfFlagValues[] = {1, 2, 3, 4, 9};
inline constexpr const char* kNetcdfFlagMeanings = "pass not_evaluated suspect fail missing_data";
