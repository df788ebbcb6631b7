#pragma once
// The radial map the processing chain left in its folder, as the samples the
// statistics need.

#include <vector>

#include "FenwrightStatistics.h"

// The two names the latest radial map goes by in the processing folder.
constexpr const char* kXYUVSourceName = "RdlsXXXX_00_00_00_0000.rv";
constexpr const char* kRadialSourceName = "RadialData.txt";

// Reads the xyuv file of `procFolder`, else its classic radial file, into
// `vectors` (index order), the map's first and last range cells and its time
// (local 1904 seconds, 0 when the file gives none). 0, or the classic
// reader's error when neither file could be read.
long ReadRadialVectors(const char* procFolder, std::vector<XVectorSample>* vectors,
                       long* rangeStart, long* rangeEnd, unsigned long* mapTime);
