// Writing a radial map as a classic radial file, and the standard names of
// classic files. The file is one item per line: a time line, the site
// position, the range geometry, the number of range cells, one block per cell
// (count line, then bearings, speeds and quality values, seven to a line),
// the processing parameters and tools, and "!END".

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformTime.h"
#include "cGeo.h"
#include "cLLUVFile.h"

#include "TextFormat.h"
#include "cStrConv.h"

// Which vectors go into which range cell, and the span of cells written.
struct XClassicCellPlan {
    std::vector<std::pair<long, long>> cells;  // cell, vector index; by cell, then store order
    long first = 0;
    long last = -1;
};

namespace {

// The time line's text must end within column 47 for the reader to find the
// zone label; the line starts with one blank.
constexpr size_t kRadialTimeTextRoom = 46;
constexpr long kValuesPerLine = 7;
constexpr double kHighestBearing = 359.999999;

constexpr const char* kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};

// Seconds as an unsigned 32-bit time; out-of-range and NaN values are held to
// the ends.
unsigned long ClampSeconds(double seconds) {
    if (!(seconds > 0.0)) return 0;
    if (seconds >= 4294967295.0) return 4294967295ul;
    return static_cast<unsigned long>(seconds);
}


// Every vector goes into the cell whose centre lies nearest (one exactly
// halfway into the farther cell), and the span written reaches from the
// store's first and last cell out to every cell that holds a vector, so that
// no vector the store holds is left out. A vector whose range, bearing,
// speed or quality is not a finite number is no measurement and has no place
// in the file.
XClassicCellPlan PlanCells(const CLLUVFile& store) {
    XClassicCellPlan plan;
    plan.first = store.mnRangeStart;
    plan.last = store.mnRangeEnd;
    const double resolution = store.mdRangeResolutionMeters;
    plan.cells.reserve(static_cast<size_t>(std::max(store.mnVectors, 0L)));
    for (long i = 0; i < store.mnVectors; ++i) {
        const XRBVDVector& v = store.mpRBVD[i];
        const double quality = store.mpQuality ? store.mpQuality[i].mfQuality[3] : 0.0;
        const double cell = std::floor(v.mdRange / resolution + 0.5);
        if (!std::isfinite(cell) || !std::isfinite(v.mdBearing) ||
            !std::isfinite(v.mdVelocity / 0.01) || !std::isfinite(quality) ||
            std::fabs(cell) > 1e15)
            continue;
        const long r = static_cast<long>(cell);
        plan.cells.emplace_back(r, i);
        plan.first = std::min(plan.first, r);
        plan.last = std::max(plan.last, r);
    }
    // A store read from a file holds its vectors cell by cell already; the
    // merge sort would copy them all for nothing.
    const auto byCell = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(plan.cells.begin(), plan.cells.end(), byCell))
        std::stable_sort(plan.cells.begin(), plan.cells.end(), byCell);
    return plan;
}

}  // namespace

// ---------------------------------------------------------------- helpers

long CLLUVFile::WriteClassicText(std::string& text) {
    UpdateLineEndings(text.data());
    return CFile::WriteFile(text.data(), static_cast<unsigned long>(text.size()), nullptr);
}

void CLLUVFile::FormatMapTimeText(unsigned long seconds, const char* label, size_t room, char* text,
                                  size_t size) {
    if (text == nullptr || size == 0) return;
    XCalendarDate date{};
    PlatformSecondsToDate(static_cast<int64_t>(seconds), &date);
    const long month = std::clamp(date.month, 1L, 12L) - 1;
    const long weekday = std::clamp(date.dayOfWeek, 0L, 6L);

    char forms[3][64];
    std::snprintf(forms[0], sizeof forms[0], "%s, %s %ld, %ld", kDayNames[weekday],
                  kMonthNames[month], date.day, date.year);
    std::snprintf(forms[1], sizeof forms[1], "%.3s, %.3s %ld, %ld", kDayNames[weekday],
                  kMonthNames[month], date.day, date.year);
    std::snprintf(forms[2], sizeof forms[2], "%04ld-%02ld-%02ld", date.year, date.month, date.day);
    char time[32];
    std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", date.hour, date.minute, date.second);

    const size_t labelLength = (label && label[0]) ? std::strlen(label) + 1 : 0;
    const char* separator = labelLength ? " " : "";
    const char* zone = labelLength ? label : "";
    for (const char* form : forms) {
        const size_t length = std::strlen(time) + 1 + std::strlen(form) + labelLength;
        if (length <= room) {
            std::snprintf(text, size, "%s %s%s%s", time, form, separator, zone);
            return;
        }
    }
    // Only the time leaves room enough for a long label.
    std::snprintf(text, size, "%s%s%s", time, separator, zone);
}

// ---------------------------------------------------------------- export

long CLLUVFile::ExportClassicRadial(CFileSpec* file, unsigned long creator) {
    if (mdRangeResolutionMeters == 0.0) return kErrBadArgument;

    const bool wasGeographic = mnVectorType == kLLUVVectorGeographic;
    if (wasGeographic) {
        ChangeVectorType(kLLUVVectorFull);
        for (long i = 0; i < mnVectors && mpLLUV && mpRBVD; ++i) {
            LonLatToRangeBearing(&mpLLUV[i], &mpRBVD[i]);
            UVToVelDirection(&mpLLUV[i], &mpRBVD[i]);
        }
    }
    if (mpRBVD == nullptr) return kErrOutOfMemory;

    // A count line per cell: a span wider than any radar's is refused
    // before anything is written.
    const XClassicCellPlan plan = PlanCells(*this);
    if (static_cast<double>(plan.last) - static_cast<double>(plan.first) >= kLLUVMaxCellSpan) {
        if (wasGeographic) ChangeVectorType(kLLUVVectorGeographic);
        return kErrBadArgument;
    }

    // Every direction is turned to point back towards the site, and the
    // speed carries the sign. Directions that are markers (not computed) are
    // no flow direction and leave the speed alone.
    for (long i = 0; i < mnVectors; ++i) {
        XRBVDVector& v = mpRBVD[i];
        if (v.mdDirection >= kLLUVDirectionReplaced) continue;
        if (std::fabs(DegreeDifference(v.mdDirection, v.mdBearing)) < 90.0) {
            v.mdVelocity = -v.mdVelocity;
            v.mdDirection = LimitDegrees(v.mdDirection + 180.0, 0.0, kHighestBearing);
        }
    }

    long err = OpenCreateFile(file, creator, kTextFileType);
    if (err != kNoErr) return err;

    // Time line.
    const unsigned long t = ClampSeconds(GetBtfTimeStamp1904());
    const char* label = msTimeZone[0] ? msTimeZone : (HasBtfTimeZone() ? GetBtfTimeZone() : "");
    char timeText[128];
    FormatMapTimeText(t, label, kRadialTimeTextRoom, timeText, sizeof timeText);
    std::string text;
    // Times after 1972 are written as negative numbers: the 32-bit pattern
    // is what the readers take back.
    AppendFormat(text, " %-47.47s               %ld\n", timeText,
                 static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(t))));

    // Position and geometry.
    CGeo origin;
    origin.SetLatLon(mdOriginLatitude, mdOriginLongitude);
    char position[CGeoString::kPairTextSize];
    origin.GetLatLonString(position, 4, ",", nullptr);
    AppendFormat(text, " %-31.31s\n", position);
    const double referenceAngle =
        LimitDegrees(RoundTo(90.0 - mfReferenceBearing, 0.001), 0.0, kHighestBearing);
    AppendFormat(text, " %6.3f  %6.3f  %5.1f  %6.3f\n",
                 mdRangeResolutionMeters * static_cast<double>(plan.first) / 1000.0,
                 mdRangeResolutionMeters / 1000.0, referenceAngle,
                 static_cast<double>(mnTimeCoverageSeconds) / 3600.0);
    AppendFormat(text, " %ld\n", plan.last - plan.first + 1);
    WriteClassicText(text);

    WriteClassicRadialCells(plan);
    WriteClassicRadialParameters();

    // A file that could not be written whole does not replace the old one,
    // and the caller hears of it.
    err = CloseFile();
    if (wasGeographic) ChangeVectorType(kLLUVVectorGeographic);
    return err;
}

void CLLUVFile::WriteClassicRadialCells(const XClassicCellPlan& plan) {
    const auto& cells = plan.cells;

    // The block formats are read once for the whole file.
    CFormatOne oneDecimal, twoDecimals;
    oneDecimal.Compile("  %9.1f");
    twoDecimals.Compile("  %9.2f");
    std::string text;
    auto writeBlock = [&](size_t first, size_t count, const CFormatOne& format, auto value) {
        text.clear();
        // Room for the widest double in %f: 309 digits, the point, the
        // decimals, the sign and the blanks in front.
        char field[400];
        for (size_t k = 0; k < count; ++k) {
            if (k % kValuesPerLine == 0) text += " ";
            const int n = format.Format(field, sizeof field, value(cells[first + k].second));
            text.append(field, static_cast<size_t>(std::clamp(n, 0, int(sizeof field) - 1)));
            if (k % kValuesPerLine == kValuesPerLine - 1 || k + 1 == count) text += "\n";
        }
        WriteClassicText(text);
    };
    const double reference = mfReferenceBearing;
    auto bearing = [&](long i) {
        return LimitDegrees(RoundTo(360.0 - mpRBVD[i].mdBearing + reference, 0.001), 0.0,
                            kHighestBearing);
    };
    auto speed = [&](long i) { return mpRBVD[i].mdVelocity / 0.01; };
    auto quality = [&](long i) {
        return mpQuality ? static_cast<double>(mpQuality[i].mfQuality[3]) : 0.0;
    };

    size_t next = 0;
    for (long r = plan.first; r <= plan.last; ++r) {
        size_t count = 0;
        while (next + count < cells.size() && cells[next + count].first == r) ++count;
        text.clear();
        AppendFormat(text, " %-3ld %-3ld\n", static_cast<long>(count), r);
        WriteClassicText(text);
        if (count) {
            writeBlock(next, count, oneDecimal, bearing);
            writeBlock(next, count, twoDecimals, speed);
            writeBlock(next, count, twoDecimals, quality);
        }
        next += count;
    }
}

void CLLUVFile::WriteClassicRadialParameters() {
    std::string text;
    auto keyword = [&](int index) {
        char key[65];
        CStrConv::GetChoiceString(index, szRadialKeys, key, 64);
        AppendFormat(text, " %32.32s ", key);
    };
    auto pair = [&](int index, const char* format, const float(&values)[2]) {
        keyword(index);
        AppendFormat(text, format, static_cast<double>(values[0]), static_cast<double>(values[1]));
        text += "\n";
    };
    auto integer = [&](int index, long value) {
        keyword(index);
        AppendFormat(text, "%ld\n", value);
    };

    integer(0, mnMergedCount);
    keyword(1);
    AppendFormat(text, "%.9f\n", mdTransmitFrequencyHz / 1000000.0);
    keyword(2);
    AppendFormat(text, "%.9f\n", mdDopplerResolutionHz);
    keyword(3);
    AppendFormat(text, "%.2f\t!cm/s\n", static_cast<double>(mfMaximumCurrentVelocity));
    integer(4, mnBraggSmoothingPoints);
    keyword(5);
    AppendFormat(text, "%.2f\n", static_cast<double>(mfRadialBraggPeakDropOff));
    integer(6, mnBraggHasSecondOrder);
    keyword(7);
    AppendFormat(text, "%.2f\n", static_cast<double>(mfRadialBraggPeakNull));
    keyword(8);
    AppendFormat(text, "%.2f\n", static_cast<double>(mfRadialBraggNoiseThreshold));
    pair(9, "%.4f %.4f", mfPatternAmplitudeCorrections);
    keyword(10);
    AppendFormat(text, "%.2f %.2f %.2f\n", static_cast<double>(mfMusicParameters[0]),
                 static_cast<double>(mfMusicParameters[1]),
                 static_cast<double>(mfMusicParameters[2]));
    integer(12, mnRadialSmoothing);
    integer(13, mnRadialMinimumMergePoints);
    pair(17, "%.4f %.4f", mfPatternAmplitudeCalculations);
    pair(18, "%.2f %.2f", mfPatternPhaseCorrections);
    pair(19, "%.2f %.2f", mfPatternPhaseCalculations);
    integer(20, mnFirstOrderCalc);
    if (mnMergeMethod > 0) integer(24, mnMergeMethod);
    if (mnPatternMethod > 0) integer(25, mnPatternMethod);

    for (int i = 0; i < kBtfToolSlots; ++i) {
        if (mszBtfToolNames[i][0] == 0) continue;
        AppendFormat(text, " %32.32s %s\n", mszBtfToolNames[i], mszBtfToolVersions[i]);
    }
    text += "!END\n";
    WriteClassicText(text);
}

// ---------------------------------------------------------------- names

void CLLUVFile::GetClassicFilename(char* name, char letter, char* extension, char* prefix,
                                   char dateSeparator, char fieldSeparator) {
    if (name == nullptr) return;
    char start[32];
    if (prefix && prefix[0]) {
        LLUVCopyText(start, prefix);
    } else {
        const char* standard = "Tot_";
        if (mnMapType == kLLUVMapRadial) standard = "Rad_";
        if (mnMapType == kLLUVMapElliptical) standard = "Elp_";
        if (mnMapType == kLLUVMapTsunami) standard = "Tsu_";
        if (mnMapType == kLLUVMapWave) standard = "Wvm_";
        LLUVCopyText(start, standard);
    }
    if (letter != 0 && std::strlen(start) >= 4) start[3] = letter;

    char site[8];
    CStrConv::CharCodeToString(site, mnSiteCode ? mnSiteCode : LLUVCode("XXXX"));

    char end[32];
    if (extension && extension[0] == '.') {
        LLUVCopyText(end, extension);
    } else if (mnMapType == kLLUVMapTsunami || mnMapType == kLLUVMapWave) {
        LLUVCopyText(end, mnMapType == kLLUVMapTsunami ? ".tm" : ".ww");
    } else {
        const char* standard = ".tv";
        if (mnMapType == kLLUVMapRadial) standard = ".rv";
        if (mnMapType == kLLUVMapElliptical) standard = ".ev";
        // The given text gives way so that the standard ending always fits.
        LLUVCopyText(end, extension ? extension : "");
        end[std::min(std::strlen(end), sizeof end - 1 - std::strlen(standard))] = 0;
        std::strcat(end, standard);
    }

    const char dates = dateSeparator ? dateSeparator : '_';
    const char fields = fieldSeparator ? fieldSeparator : '_';
    XCalendarDate date{};
    PlatformSecondsToDate(static_cast<int64_t>(mnOriginTime), &date);
    std::snprintf(name, kClassicFilenameSize, "%s%s%c%02d%c%02d%c%02d%c%02d%02d%s", start, site,
                  dates, static_cast<int>(date.year % 100), fields, static_cast<int>(date.month),
                  fields, static_cast<int>(date.day), dates, static_cast<int>(date.hour),
                  static_cast<int>(date.minute), end);
}
