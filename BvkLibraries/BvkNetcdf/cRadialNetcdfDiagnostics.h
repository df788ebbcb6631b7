#pragma once
// The diagnostic tables of a radial file (radial and receiver rows of the
// hour) on one UTC time axis shared by all of them.

#include <cstdint>
#include <string>
#include <vector>

#include "cLLUVTables.h"

// The tables after the vector table along one time axis, from each row's
// date columns (TYRS ... TSEC) on the file's clock. A time that occurs k times in
// some table has k slots; rows without a date go last.
struct XRadialDiagAxis {
    std::vector<double> times;               // NaN for rows without a date
    std::vector<std::vector<long>> rowSlot;  // per table after the first, per row
};

XRadialDiagAxis RadialNetcdfDiagAxis(const CLLUVTables& file);

// A table type as a variable name prefix: "rads", "rcvr".
std::string RadialNetcdfTableName(uint32_t type);
