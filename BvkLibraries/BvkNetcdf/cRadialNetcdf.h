#pragma once
// netCDF export of a radial LLUV file, following the CF and ACDD
// conventions: every vector-table column as a variable named as the networks
// name it, the map time in UTC, the site, QC flags, every header keyword as a
// global attribute, and the diagnostic tables along their own time axis.
//
// The file is netCDF classic (64-bit offsets), which every reader takes and
// which is written fast; with compression it is netCDF-4 in the classic data
// model, so both hold the same variables of the same types.

#include <string>

#include "cLLUVTables.h"
#include "cRadialNetcdfGrid.h"

enum ERadialNetcdfLayout {
    kNetcdfTabular,  // one `obs` dimension, a row per observation
    kNetcdfGridded,  // time × range × bearing
};

struct XRadialNetcdfOptions {
    ERadialNetcdfLayout layout = kNetcdfTabular;
    int deflate = 0;  // 0 none, 1 ... 9 deflate level (netCDF-4)
    // Named in the history attribute, for example "lluv 0.1.0".
    std::string tool = "lluv";
};

// The netCDF library refused; RadialNetcdfLastLibraryError() says why.
constexpr long kNetcdfErrLibrary = 2301;
// A deflate level outside 0 ... 9.
constexpr long kNetcdfErrBadOption = 2305;
// More keywords or columns than kNetcdfMaxNames: no radial file has them.
constexpr long kNetcdfErrTooManyNames = 2306;
constexpr size_t kNetcdfMaxNames = 4096;

const char* RadialNetcdfLastLibraryError();

// Writes `file` (read by CLLUVTables::ReadTables) to `path`, which is
// created or replaced. 0 or an error code.
long RadialNetcdfWrite(const CLLUVTables& file, const char* path,
                       const XRadialNetcdfOptions& options);

// Reads `input` and writes its netCDF file to `output` through a temporary
// file in the same folder, renamed only when complete: on failure nothing
// new is left and a file already at `output` stays as it was.
long RadialNetcdfFile(CFileSpec* input, CFileSpec* output, const XRadialNetcdfOptions& options);

// The UTC instant of a wall time (1904 seconds) on the file's clock: the
// wall time minus the file's zone offset, as seconds since 1970.
double RadialNetcdfUnixTime(const CLLUVTables& file, double wall1904);
