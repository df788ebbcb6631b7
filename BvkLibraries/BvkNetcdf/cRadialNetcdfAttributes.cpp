// Global attributes of a radial netCDF file.

#include "cRadialNetcdfAttributes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "PlatformTime.h"
#include "cNetcdfOut.h"

namespace {

// Unicode code points of the Mac Roman bytes 0x80 ... 0xFF.
constexpr char16_t kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

std::string SiteText(const CLLUVTables& file) {
    std::string code;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((file.mnSiteCode >> shift) & 0xFF);
        if (c > 0x20 && c < 0x7F) code += c;
    }
    return code.empty() ? "XXXX" : code;
}

const XLLUVKeyword* FindKeyword(const CLLUVTables& file, const char* name) {
    for (const XLLUVKeyword& keyword : file.mKeywords)
        if (keyword.name == name) return &keyword;
    return nullptr;
}

void KeywordAttributes(CNetcdfOut& out, const CLLUVTables& file) {
    for (const auto& [name, value] : RadialNetcdfKeywordAttributes(file))
        out.Text(NC_GLOBAL, name.c_str(), RadialNetcdfUtf8(value));
}

}  // namespace

std::vector<std::pair<std::string, std::string>> RadialNetcdfKeywordAttributes(
    const CLLUVTables& file) {
    std::vector<std::pair<std::string, std::string>> merged;
    std::map<std::string, size_t> index;
    for (const XLLUVKeyword& keyword : file.mKeywords) {
        const auto [at, added] = index.emplace(keyword.name, merged.size());
        if (added)
            merged.emplace_back(keyword.name, keyword.value);
        else
            merged[at->second].second += "\n" + keyword.value;
    }
    return merged;
}

double RadialNetcdfMapTime(const CLLUVTables& file) {
    // The reader keeps the stamp as the map's instant (stamp minus offset).
    return file.GetBtfAbsoluteTime() + static_cast<double>(kSeconds1970To2001);
}

double RadialNetcdfAngularResolution(const CLLUVTables& file) {
    const XLLUVKeyword* keyword = FindKeyword(file, "AngularResolution");
    if (!keyword) return 0;
    const double degrees = std::strtod(keyword->value.c_str(), nullptr);
    return degrees > 0 && degrees <= 360 ? degrees : 0;
}

std::string RadialNetcdfUtf8(const std::string& macRoman) {
    std::string text;
    text.reserve(macRoman.size());
    for (unsigned char c : macRoman) {
        if (c < 0x80) {
            text += static_cast<char>(c);
            continue;
        }
        const unsigned point = kMacRoman[c - 0x80];
        if (point < 0x800) {
            text += static_cast<char>(0xC0 | (point >> 6));
        } else {
            text += static_cast<char>(0xE0 | (point >> 12));
            text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        }
        text += static_cast<char>(0x80 | (point & 0x3F));
    }
    return text;
}

std::string RadialNetcdfIsoTime(double unixSeconds) {
    XCalendarDate date{};
    PlatformSecondsToDate(static_cast<int64_t>(std::floor(unixSeconds)) + kSeconds1904To1970,
                          &date);
    char text[64];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ldT%02ld:%02ld:%02ldZ", date.year, date.month,
                  date.day, date.hour, date.minute, date.second);
    return text;
}

std::string RadialNetcdfIsoDuration(long seconds) {
    if (seconds <= 0) return "PT0S";
    std::string text = "PT";
    if (seconds >= 3600) text += std::to_string(seconds / 3600) + "H";
    if (seconds % 3600 >= 60) text += std::to_string(seconds % 3600 / 60) + "M";
    if (seconds % 60) text += std::to_string(seconds % 60) + "S";
    return text;
}

void RadialNetcdfGlobalAttributes(CNetcdfOut& out, const CLLUVTables& file,
                                  const XRadialNetcdfOptions& options) {
    // The keywords go first, so that a keyword named like a convention's
    // attribute cannot take that attribute's place.
    KeywordAttributes(out, file);

    char name[256] = {};
    file.GetFileName(name, sizeof name);
    const std::string site = SiteText(file);
    const double mapTime = RadialNetcdfMapTime(file);
    const std::string created = RadialNetcdfIsoTime(static_cast<double>(PlatformNowUnix()));
    out.Text(NC_GLOBAL, "Conventions", "CF-1.8, ACDD-1.3");
    out.Text(
        NC_GLOBAL, "title",
        "Radial surface currents of HF radar site " + site + " at " + RadialNetcdfIsoTime(mapTime));
    out.Text(NC_GLOBAL, "summary",
             "Radial components of the sea surface current measured by the HF radar site " + site +
                 ", one map, converted from the LLUV file " + RadialNetcdfUtf8(name));
    const XLLUVKeyword* manufacturer = FindKeyword(file, "Manufacturer");
    std::string institution = manufacturer ? RadialNetcdfUtf8(manufacturer->value) + ", " : "";
    institution += "site " + site;
    if (file.mszBtfSiteName[0]) {
        // Appended piece by piece: GCC 12 at -O3 sees a false overlap in " " + std::string.
        institution += ' ';
        institution += RadialNetcdfUtf8(file.mszBtfSiteName);
    }
    out.Text(NC_GLOBAL, "institution", institution);
    out.Text(NC_GLOBAL, "source", "HF radar radial LLUV file " + RadialNetcdfUtf8(name));
    out.Text(NC_GLOBAL, "platform", "HF radar site " + site);

    // The tools that made the file, then this conversion.
    std::string history;
    for (int i = 0; i < 64; ++i)
        if (file.mszBtfToolNames[i][0])
            history += RadialNetcdfUtf8(file.mszBtfToolNames[i]) + " " +
                       RadialNetcdfUtf8(file.mszBtfToolVersions[i]) + "\n";
    history += created + " " + options.tool + " netcdf: " + RadialNetcdfUtf8(name);
    out.Text(NC_GLOBAL, "history", history);
    out.Text(NC_GLOBAL, "date_created", created);

    // The map time names the middle of the covered period unless the file
    // says it names the start or the end.
    const long coverage = std::max(0L, file.mnTimeCoverageSeconds);
    double start = mapTime - coverage / 2.0;
    if (file.GetBtfTimeMark() == 1) start = mapTime;
    if (file.GetBtfTimeMark() == 2) start = mapTime - coverage;
    out.Text(NC_GLOBAL, "time_coverage_start", RadialNetcdfIsoTime(start));
    out.Text(NC_GLOBAL, "time_coverage_end", RadialNetcdfIsoTime(start + coverage));
    out.Text(NC_GLOBAL, "time_coverage_duration", RadialNetcdfIsoDuration(coverage));

    // Bounds of the vectors' positions (the site's when there are none).
    double bounds[4] = {file.mdOriginLatitude, file.mdOriginLatitude, file.mdOriginLongitude,
                        file.mdOriginLongitude};
    const XLLUVTable& vectors = file.mTables.front();
    const long columns[2] = {vectors.Find(LLUVCode("LATD")), vectors.Find(LLUVCode("LOND"))};
    bool first[2] = {true, true};
    for (int axis = 0; axis < 2; ++axis) {
        if (columns[axis] < 0) continue;
        for (long row = 0; row < vectors.rows; ++row) {
            const double value = vectors.Value(row, columns[axis]);
            if (!std::isfinite(value)) continue;
            double& low = bounds[2 * axis];
            double& high = bounds[2 * axis + 1];
            low = first[axis] ? value : std::min(low, value);
            high = first[axis] ? value : std::max(high, value);
            first[axis] = false;
        }
    }
    out.Doubles(NC_GLOBAL, "geospatial_lat_min", NC_DOUBLE, {bounds[0]});
    out.Doubles(NC_GLOBAL, "geospatial_lat_max", NC_DOUBLE, {bounds[1]});
    out.Doubles(NC_GLOBAL, "geospatial_lon_min", NC_DOUBLE, {bounds[2]});
    out.Doubles(NC_GLOBAL, "geospatial_lon_max", NC_DOUBLE, {bounds[3]});
    out.Text(NC_GLOBAL, "geospatial_lat_units", "degrees_north");
    out.Text(NC_GLOBAL, "geospatial_lon_units", "degrees_east");
}
