#pragma once
// What a radial netCDF file says about itself: the map time, the CF and ACDD
// global attributes, and every header keyword of the LLUV file.

#include <string>
#include <utility>
#include <vector>

#include "cLLUVTables.h"
#include "cRadialNetcdf.h"

class CNetcdfOut;

// Every header keyword under its own name, in file order; a name written
// more than once keeps all its values, one per line.
std::vector<std::pair<std::string, std::string>> RadialNetcdfKeywordAttributes(
    const CLLUVTables& file);

// The map time, seconds since 1970 UTC: the stamp minus the zone offset.
double RadialNetcdfMapTime(const CLLUVTables& file);

// The file's %AngularResolution in degrees, 0 when it has none.
double RadialNetcdfAngularResolution(const CLLUVTables& file);

// Mac Roman text (the files' character set) as UTF-8.
std::string RadialNetcdfUtf8(const std::string& macRoman);

// An instant (seconds since 1970) as "YYYY-MM-DDTHH:MM:SSZ".
std::string RadialNetcdfIsoTime(double unixSeconds);

// A duration in ISO 8601 form: "PT1H", "PT30M", "PT1H30M15S", "PT0S".
std::string RadialNetcdfIsoDuration(long seconds);

void RadialNetcdfGlobalAttributes(CNetcdfOut& out, const CLLUVTables& file,
                                  const XRadialNetcdfOptions& options);
