// Range cells from SPRC (else from the range and the cell size), bearings on
// a whole-circle grid of the angular resolution.

#include "cRadialNetcdfGrid.h"

#include <algorithm>
#include <cmath>

#include "BvkErrors.h"

namespace {

// Bearings closer than this are one bearing; a grid step is at least this.
constexpr double kBearingTolerance = 1e-3;
constexpr double kMinBearingStep = 0.1;

// The smallest step between the distinct bearings of the rows; 0 when fewer
// than two differ.
double SmallestBearingStep(std::vector<double> bearings) {
    std::sort(bearings.begin(), bearings.end());
    double step = 0;
    for (size_t i = 1; i < bearings.size(); ++i) {
        const double d = bearings[i] - bearings[i - 1];
        if (d > kBearingTolerance && (step == 0 || d < step)) step = d;
    }
    return step;
}

}  // namespace

long RadialGridPlace(const XLLUVTable& vectors, double rangeResolutionKm, double angularResolution,
                     double distanceScale, XRadialGrid* grid) {
    *grid = XRadialGrid{};
    const long rangeColumn = vectors.Find(LLUVCode("RNGE"));
    const long bearingColumn = vectors.Find(LLUVCode("BEAR"));
    const long cellColumn = vectors.Find(LLUVCode("SPRC"));
    if (rangeColumn < 0 || bearingColumn < 0) return kNetcdfErrNoGrid;
    const long rows = vectors.rows;

    // Range cells.
    std::vector<long> cells(static_cast<size_t>(rows));
    std::vector<double> bearings(static_cast<size_t>(rows));
    double cellKm = rangeResolutionKm > 0 ? rangeResolutionKm : 0;
    for (long row = 0; row < rows; ++row) {
        const double rangeKm = vectors.Value(row, rangeColumn) * distanceScale / 1000.0;
        const double cell = cellColumn >= 0 ? vectors.Value(row, cellColumn) : 0;
        if (cellKm == 0 && cellColumn >= 0 && cell >= 1 && std::isfinite(rangeKm))
            cellKm = rangeKm / cell;
        bearings[row] = vectors.Value(row, bearingColumn);
        if (!std::isfinite(rangeKm) || !std::isfinite(bearings[row])) return kNetcdfErrGridClash;
    }
    if (cellKm <= 0 || !std::isfinite(cellKm)) return kNetcdfErrNoGrid;
    long low = 0, high = -1;
    for (long row = 0; row < rows; ++row) {
        const double rangeKm = vectors.Value(row, rangeColumn) * distanceScale / 1000.0;
        const double cell =
            cellColumn >= 0 ? vectors.Value(row, cellColumn) : std::round(rangeKm / cellKm);
        if (!std::isfinite(cell) || std::fabs(cell) > 1e9) return kNetcdfErrGridTooLarge;
        cells[row] = std::lround(cell);
        low = row == 0 ? cells[row] : std::min(low, cells[row]);
        high = row == 0 ? cells[row] : std::max(high, cells[row]);
    }
    if (high - low + 1 > kNetcdfMaxRangeCells) return kNetcdfErrGridTooLarge;

    // Bearings.
    double step = angularResolution > 0 ? angularResolution : SmallestBearingStep(bearings);
    if (rows == 0) step = step > 0 ? step : 360;
    if (!(step >= kMinBearingStep) || step > 360) return kNetcdfErrNoGrid;
    const long count = std::lround(360.0 / step);
    if (std::fabs(count * step - 360.0) > kBearingTolerance) return kNetcdfErrNoGrid;
    double first = rows > 0 ? *std::min_element(bearings.begin(), bearings.end()) : 0;
    first = std::fmod(std::fmod(first, step) + step, step);
    if (first > step - kBearingTolerance) first = 0;
    const long span = rows > 0 ? high - low + 1 : 0;
    if (static_cast<double>(span) * count > kNetcdfMaxGridCells) return kNetcdfErrGridTooLarge;

    grid->firstCell = low;
    grid->rangeKm.assign(static_cast<size_t>(span), std::nan(""));
    for (long j = 0; j < count; ++j) grid->bearing.push_back(first + j * step);
    std::vector<char> taken(static_cast<size_t>(span * count), 0);
    grid->rowCell.resize(static_cast<size_t>(rows));
    for (long row = 0; row < rows; ++row) {
        const double turns = (bearings[row] - first) / step;
        const long index = std::lround(turns);
        if (std::fabs(turns - index) * step > kBearingTolerance) return kNetcdfErrGridClash;
        const long b = ((index % count) + count) % count;
        const long r = cells[row] - low;
        const long at = r * count + b;
        if (taken[at]) return kNetcdfErrGridClash;
        taken[at] = 1;
        grid->rowCell[row] = at;
        if (std::isnan(grid->rangeKm[r]))
            grid->rangeKm[r] = vectors.Value(row, rangeColumn) * distanceScale / 1000.0;
    }
    for (long r = 0; r < span; ++r)
        if (std::isnan(grid->rangeKm[r])) grid->rangeKm[r] = (low + r) * cellKm;
    return kNoErr;
}
