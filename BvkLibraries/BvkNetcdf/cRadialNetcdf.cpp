// Writing a radial LLUV file as netCDF: dimensions, the vector columns in
// either layout, the map time and site, and the diagnostic tables.

#include "cRadialNetcdf.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <new>
#include <set>

#include "BvkErrors.h"
#include "PlatformTime.h"
#include "cGeo.h"
#include "cNetcdfOut.h"
#include "cRadialNetcdfAttributes.h"
#include "cRadialNetcdfColumns.h"
#include "cRadialNetcdfDiagnostics.h"

namespace {

thread_local std::string tLastLibraryError;

constexpr const char* kTimeUnits = "seconds since 1970-01-01T00:00:00Z";

nc_type TypeOf(ENetcdfColumnType type) {
    switch (type) {
        case kNetcdfDouble:
            return NC_DOUBLE;
        case kNetcdfFloat:
            return NC_FLOAT;
        case kNetcdfInt:
            return NC_INT;
        case kNetcdfFlag:
            return NC_BYTE;
    }
    return NC_DOUBLE;
}

double FillOf(ENetcdfColumnType type) {
    switch (type) {
        case kNetcdfDouble:
            return NC_FILL_DOUBLE;
        case kNetcdfFloat:
            return NC_FILL_FLOAT;
        case kNetcdfInt:
            return NC_FILL_INT;
        case kNetcdfFlag:
            return NC_FILL_BYTE;
    }
    return NC_FILL_DOUBLE;
}

// Names stay unique: a second column of one name gets "_2", and so on.
std::string UniqueName(std::set<std::string>& taken, const std::string& name) {
    std::string unique = name;
    for (int n = 2; !taken.insert(unique).second; ++n) unique = name + "_" + std::to_string(n);
    return unique;
}

// A column's values as stored, NaN for the missing ones, one per slot of
// `slots` (the row's own slot, or its grid cell); other slots stay NaN.
std::vector<double> ColumnValues(const CLLUVTables& file, const XLLUVTable& table, long column,
                                 ENetcdfColumnScale scale, const std::vector<long>* slots,
                                 size_t slotCount) {
    std::vector<double> values(slotCount, std::nan(""));
    for (long row = 0; row < table.rows; ++row) {
        const double value = table.Value(row, column);
        const size_t at = slots ? static_cast<size_t>((*slots)[row]) : static_cast<size_t>(row);
        if (std::isfinite(value))
            values[at] = RadialNetcdfScale(value, scale, file.mdVelocityUnitMetersPerSecond,
                                           file.mdDistanceUnitMeters);
    }
    return values;
}

// Puts doubles as the variable's type, NaN (and values the type cannot
// hold) as its fill value.
void PutAs(CNetcdfOut& out, int var, ENetcdfColumnType type, const std::vector<double>& values) {
    const double fill = FillOf(type);
    switch (type) {
        case kNetcdfDouble: {
            std::vector<double> data(values);
            for (double& d : data)
                if (std::isnan(d)) d = fill;
            out.Put(var, data.data());
            break;
        }
        case kNetcdfFloat: {
            std::vector<float> data(values.size());
            for (size_t i = 0; i < values.size(); ++i)
                data[i] = std::isnan(values[i]) || std::fabs(values[i]) > 3e38
                              ? static_cast<float>(fill)
                              : static_cast<float>(values[i]);
            out.Put(var, data.data());
            break;
        }
        case kNetcdfInt: {
            std::vector<int> data(values.size());
            for (size_t i = 0; i < values.size(); ++i)
                data[i] = std::isnan(values[i]) || std::fabs(values[i]) > 2147483646.0
                              ? static_cast<int>(fill)
                              : static_cast<int>(std::lround(values[i]));
            out.Put(var, data.data());
            break;
        }
        case kNetcdfFlag: {
            std::vector<signed char> data(values.size());
            for (size_t i = 0; i < values.size(); ++i)
                data[i] = std::isnan(values[i]) || values[i] < 0 || values[i] > 127
                              ? static_cast<signed char>(fill)
                              : static_cast<signed char>(std::lround(values[i]));
            out.Put(var, data.data());
            break;
        }
    }
}

// A variable's data, made only when it is put, so that one variable's values
// at a time are held.
using XValues = std::function<std::vector<double>()>;

struct XPendingData {
    int var;
    ENetcdfColumnType type;
    XValues values;
};

XValues Fixed(std::vector<double> values) {
    return [values = std::move(values)] { return values; };
}

// Defines one column's variable with its attributes; the data waits.
void DefineColumn(CNetcdfOut& out, std::set<std::string>& taken, const XNetcdfColumn& column,
                  const std::string& fallbackName, const std::vector<int>& dims,
                  const char* coordinates, XValues values, std::vector<XPendingData>& pending) {
    const std::string name = UniqueName(taken, column.name ? column.name : fallbackName);
    const nc_type type = TypeOf(column.type);
    const int var = out.Variable(name.c_str(), type, dims);
    std::string longName = column.longName;
    if (column.type == kNetcdfFlag)
        longName = "QC flag of the " + longName + " test (" + fallbackName + ")";
    else if (longName.empty())
        longName = "LLUV column " + fallbackName;
    out.Text(var, "long_name", longName);
    if (*column.standardName) out.Text(var, "standard_name", column.standardName);
    if (*column.units) out.Text(var, "units", column.units);
    out.Doubles(var, "_FillValue", type, {FillOf(column.type)});
    if (column.validMin < column.validMax) {
        out.Doubles(var, "valid_min", type, {column.validMin});
        out.Doubles(var, "valid_max", type, {column.validMax});
    }
    if (column.type == kNetcdfFlag) {
        std::vector<double> flags(std::begin(kNetcdfFlagValues), std::end(kNetcdfFlagValues));
        out.Doubles(var, "flag_values", NC_BYTE, flags);
        out.Text(var, "flag_meanings", kNetcdfFlagMeanings);
    }
    if (*column.comment) out.Text(var, "comment", column.comment);
    if (coordinates) out.Text(var, "coordinates", coordinates);
    pending.push_back({var, column.type, std::move(values)});
}

void DefineTime(CNetcdfOut& out, int var, const char* longName) {
    out.Text(var, "long_name", longName);
    out.Text(var, "standard_name", "time");
    out.Text(var, "units", kTimeUnits);
    out.Text(var, "calendar", "gregorian");
    out.Text(var, "axis", "T");
}

// Longitude and latitude of every grid cell: the row's own where a row sits,
// else along the geodesic from the site.
void GridPositions(const CLLUVTables& file, const XRadialGrid& grid, std::vector<double>* lon,
                   std::vector<double>* lat) {
    const size_t cells = static_cast<size_t>(grid.Cells());
    lon->assign(cells, std::nan(""));
    lat->assign(cells, std::nan(""));
    const XLLUVTable& vectors = file.mTables.front();
    const long lonColumn = vectors.Find(LLUVCode("LOND"));
    const long latColumn = vectors.Find(LLUVCode("LATD"));
    for (long row = 0; row < vectors.rows; ++row) {
        const size_t at = static_cast<size_t>(grid.rowCell[row]);
        if (lonColumn >= 0) (*lon)[at] = vectors.Value(row, lonColumn);
        if (latColumn >= 0) (*lat)[at] = vectors.Value(row, latColumn);
    }
    const size_t bearings = grid.bearing.size();
    for (size_t at = 0; at < cells; ++at) {
        if (std::isfinite((*lon)[at]) && std::isfinite((*lat)[at])) continue;
        CGeo point;
        point.SetLatLon(file.mdOriginLatitude, file.mdOriginLongitude);
        point.AddDistanceMeters(grid.bearing[at % bearings], grid.rangeKm[at / bearings] * 1000.0);
        (*lon)[at] = point.GetLongitude();
        (*lat)[at] = point.GetLatitude();
    }
}

long Finish(CNetcdfOut& out) {
    const int status = out.Close();
    if (status == NC_NOERR) return kNoErr;
    tLastLibraryError = nc_strerror(status);
    return kNetcdfErrLibrary;
}

}  // namespace

const char* RadialNetcdfLastLibraryError() {
    return tLastLibraryError.c_str();
}

double RadialNetcdfUnixTime(const CLLUVTables& file, double wall1904) {
    return wall1904 - static_cast<double>(kSeconds1904To1970) - file.GetBtfTimeZoneOffsetSeconds();
}

namespace {

long WriteFile(const CLLUVTables& file, const char* path, const XRadialNetcdfOptions& options) {
    if (options.deflate < 0 || options.deflate > 9) return kNetcdfErrBadOption;
    if (file.mTables.empty()) return kLLUVTablesErrNoVectorTable;
    const XLLUVTable& vectors = file.mTables.front();
    size_t names = RadialNetcdfKeywordAttributes(file).size();
    for (const XLLUVTable& table : file.mTables) names += table.columns.size();
    if (names > kNetcdfMaxNames) return kNetcdfErrTooManyNames;
    const bool gridded = options.layout == kNetcdfGridded;
    XRadialGrid grid;
    if (gridded) {
        if (vectors.rows == 0) return kNetcdfErrNoGrid;
        const long err =
            RadialGridPlace(vectors, file.mdRangeResolutionMeters / 1000.0,
                            RadialNetcdfAngularResolution(file), file.mdDistanceUnitMeters, &grid);
        if (err != kNoErr) return err;
    }

    CNetcdfOut out;
    out.Create(path, options.deflate);
    std::set<std::string> taken = {"time", "site_code", "latitude", "longitude", "diag_time"};
    if (gridded) taken.insert({"range", "bearing"});
    std::vector<XPendingData> pending;

    // Dimensions and the coordinates.
    std::vector<int> dataDims;
    const char* coordinates = nullptr;
    int timeVar = -1;
    if (gridded) {
        const int timeDim = out.Dimension("time", 1);
        const int rangeDim = out.Dimension("range", grid.rangeKm.size());
        const int bearingDim = out.Dimension("bearing", grid.bearing.size());
        timeVar = out.Variable("time", NC_DOUBLE, {timeDim});
        const int rangeVar = out.Variable("range", NC_FLOAT, {rangeDim});
        out.Text(rangeVar, "long_name", "Range from the site");
        out.Text(rangeVar, "units", "km");
        pending.push_back({rangeVar, kNetcdfFloat, Fixed(grid.rangeKm)});
        const int bearingVar = out.Variable("bearing", NC_FLOAT, {bearingDim});
        out.Text(bearingVar, "long_name", "Bearing from the site, clockwise from true north");
        out.Text(bearingVar, "units", "degree");
        pending.push_back({bearingVar, kNetcdfFloat, Fixed(grid.bearing)});
        dataDims = {timeDim, rangeDim, bearingDim};
        coordinates = "lat lon";
    } else {
        const int obsDim = out.Dimension("obs", static_cast<size_t>(vectors.rows));
        timeVar = out.Variable("time", NC_DOUBLE, {});
        dataDims = {obsDim};
        coordinates = "time lat lon";
    }
    DefineTime(out, timeVar, "Map time");
    pending.push_back({timeVar, kNetcdfDouble, Fixed({RadialNetcdfMapTime(file)})});

    // The site.
    const int codeDim = out.Dimension("site_code_length", 4);
    const int siteVar = out.Variable("site_code", NC_CHAR, {codeDim});
    out.Text(siteVar, "long_name", "Site code");
    const int latitudeVar = out.Variable("latitude", NC_DOUBLE, {});
    out.Text(latitudeVar, "long_name", "Latitude of the site");
    out.Text(latitudeVar, "standard_name", "latitude");
    out.Text(latitudeVar, "units", "degree_north");
    const int longitudeVar = out.Variable("longitude", NC_DOUBLE, {});
    out.Text(longitudeVar, "long_name", "Longitude of the site");
    out.Text(longitudeVar, "standard_name", "longitude");
    out.Text(longitudeVar, "units", "degree_east");
    pending.push_back({latitudeVar, kNetcdfDouble, Fixed({file.mdOriginLatitude})});
    pending.push_back({longitudeVar, kNetcdfDouble, Fixed({file.mdOriginLongitude})});

    // The vector columns.
    const std::vector<long>* slots = gridded ? &grid.rowCell : nullptr;
    const size_t slotCount =
        gridded ? static_cast<size_t>(grid.Cells()) : static_cast<size_t>(vectors.rows);
    if (gridded) {
        std::vector<double> lon, lat;
        GridPositions(file, grid, &lon, &lat);
        const std::vector<int> cellDims = {dataDims[1], dataDims[2]};
        DefineColumn(out, taken, RadialNetcdfColumn(LLUVCode("LOND"), nullptr), "", cellDims,
                     nullptr, Fixed(std::move(lon)), pending);
        DefineColumn(out, taken, RadialNetcdfColumn(LLUVCode("LATD"), nullptr), "", cellDims,
                     nullptr, Fixed(std::move(lat)), pending);
    }
    for (size_t c = 0; c < vectors.columns.size(); ++c) {
        const uint32_t code = vectors.columns[c];
        if (gridded && (code == LLUVCode("LOND") || code == LLUVCode("LATD") ||
                        code == LLUVCode("RNGE") || code == LLUVCode("BEAR")))
            continue;  // the grid's coordinates
        std::string codeName;
        const XNetcdfColumn column = RadialNetcdfColumn(code, &codeName);
        const bool position = code == LLUVCode("LOND") || code == LLUVCode("LATD");
        DefineColumn(
            out, taken, column, codeName, dataDims, position ? nullptr : coordinates,
            [&file, &vectors, c, scale = column.scale, slots, slotCount] {
                return ColumnValues(file, vectors, static_cast<long>(c), scale, slots, slotCount);
            },
            pending);
    }

    // The diagnostic tables.
    XRadialDiagAxis axis;
    if (file.mTables.size() > 1) {
        axis = RadialNetcdfDiagAxis(file);
        const int diagDim = out.Dimension("diag_time", axis.times.size());
        const int diagVar = out.Variable("diag_time", NC_DOUBLE, {diagDim});
        DefineTime(out, diagVar, "Time of the diagnostic rows");
        out.Doubles(diagVar, "_FillValue", NC_DOUBLE, {NC_FILL_DOUBLE});
        pending.push_back({diagVar, kNetcdfDouble, Fixed(axis.times)});
        for (size_t t = 1; t < file.mTables.size(); ++t) {
            const XLLUVTable& table = file.mTables[t];
            const std::string prefix = RadialNetcdfTableName(table.type) + "_";
            for (size_t c = 0; c < table.columns.size(); ++c) {
                std::string codeName;
                RadialNetcdfColumn(table.columns[c], &codeName);
                const std::string longName = "Column " + codeName + " of the " +
                                             RadialNetcdfTableName(table.type) + " table";
                const XNetcdfColumn column = {table.columns[c],
                                              nullptr,
                                              longName.c_str(),
                                              "",
                                              "",
                                              kNetcdfDouble,
                                              kScaleAsWritten,
                                              0,
                                              0,
                                              ""};
                DefineColumn(
                    out, taken, column, prefix + codeName, {diagDim}, nullptr,
                    [&file, &table, &axis, c, t] {
                        return ColumnValues(file, table, static_cast<long>(c), kScaleAsWritten,
                                            &axis.rowSlot[t - 1], axis.times.size());
                    },
                    pending);
            }
        }
    }

    RadialNetcdfGlobalAttributes(out, file, options);
    out.EndDefinitions();
    char code[5] = {};
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((file.mnSiteCode >> (24 - 8 * i)) & 0xFF);
        code[i] = c >= 0x20 && c < 0x7F ? c : ' ';
    }
    out.Put(siteVar, code);
    for (const XPendingData& data : pending) PutAs(out, data.var, data.type, data.values());
    return Finish(out);
}

}  // namespace

long RadialNetcdfWrite(const CLLUVTables& file, const char* path,
                       const XRadialNetcdfOptions& options) {
    try {
        return WriteFile(file, path, options);
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
}
