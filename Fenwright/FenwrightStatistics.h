#pragma once
// Statistics of one radial map's vectors for its diagnostic record: how many
// vectors, how many per range cell, how far the map reaches, how fast the
// flow is and which way the vectors lie on average.

#include <vector>

#include "cReportRadial.h"

// One vector as the statistics see it, in the store's units.
struct XVectorSample {
    double mdRange;     // metres from the site
    double mdBearing;   // degrees clockwise from north
    double mdVelocity;  // signed radial velocity, m/s
};

// Vectors closer than this in range belong to the same range cell.
constexpr double kSameRangeMetres = 10.0;

// Fills the record's vector statistics from the vectors in index order
// (sorted by range, as radial maps are written) and the map's first and last
// range cells.
void AddVectorStatistics(const std::vector<XVectorSample>& vectors, long rangeStart, long rangeEnd,
                         XReportRadial* record);

// Vectors per range cell: the mean size of the range groups, where a group
// is counted while the running total is small or the group has 4 or more
// vectors, so that a sparse fringe does not dilute a dense map.
long VectorsPerRange(const std::vector<XVectorSample>& vectors);

// The range of the farthest group of at least max(vectorsPerRange / 5, 4)
// vectors that has a group inside it; 0 when there is none.
double MaximumRange(const std::vector<XVectorSample>& vectors, long vectorsPerRange);
