#pragma once
// The gridded layout of a radial map: range cells by bearings. Each vector
// row gets one grid cell; cells without a row stay empty.

#include <vector>

#include "cLLUVTables.h"

// The grid cannot be made: no range or bearing column, no cell size.
constexpr long kNetcdfErrNoGrid = 2302;
// Two rows fall into one grid cell, or a bearing lies off the grid.
constexpr long kNetcdfErrGridClash = 2303;
// More cells than any radial map needs.
constexpr long kNetcdfErrGridTooLarge = 2304;

constexpr long kNetcdfMaxRangeCells = 10000;
constexpr long kNetcdfMaxGridCells = 1L << 20;

struct XRadialGrid {
    long firstCell = 0;
    std::vector<double> rangeKm;  // one per range cell, first cell first
    std::vector<double> bearing;  // degrees, the whole circle
    std::vector<long> rowCell;    // per row: range index × bearings + bearing index
    long Cells() const { return static_cast<long>(rangeKm.size() * bearing.size()); }
};

// Places the rows of the vector table. `rangeResolutionKm` and
// `angularResolution` may be 0 (then found from the rows); `distanceScale`
// is metres per file distance unit.
long RadialGridPlace(const XLLUVTable& vectors, double rangeResolutionKm, double angularResolution,
                     double distanceScale, XRadialGrid* grid);
