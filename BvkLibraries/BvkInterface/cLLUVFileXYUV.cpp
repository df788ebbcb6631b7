// The xyuv file: three header lines (title and site record, format line,
// time and origin line) and one line per vector with its x/y position in
// kilometres from the origin and its velocity components, followed by the
// columns of the format version. Velocities are cm/s, except for wave and
// tsunami maps whose values are kept unscaled; bearings in the file run
// counter-clockwise from north.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "BvkErrors.h"
#include "MyMath.h"
#include "PlatformTime.h"
#include "cGeo.h"
#include "cLLUVFile.h"

#include "TextFormat.h"
#include "cStrConv.h"

namespace {

// Line 3's time text: the label must end within its first 45 characters.
constexpr size_t kXYUVTimeTextRoom = 45;
constexpr long kXYUVLineLength = 4095;
constexpr double kXYUVHighestBearing = 359.999999;
constexpr double kXYUVHighestImportBearing = 359.99999;

struct XXYUVTitle {
    const char* title;
    uint32_t mapType;
};
constexpr XXYUVTitle kXYUVTitles[] = {
    {"Total vectors", kLLUVMapTotal},           {"Radial vectors", kLLUVMapRadial},
    {"Elliptical vectors", kLLUVMapElliptical}, {"Wave measurements", kLLUVMapWave},
    {"Tsunami measurements", kLLUVMapTsunami},
};

// Column titles by format version (index 0: versions without titles).
constexpr const char* kXYUVColumnTitles[8] = {
    nullptr,
    "dx dy u v",
    "dx dy u v n1 n2 n3 n4 n5 n6",
    "dx dy u v eu ev nflag",
    "dx dy u v eu ev nflag cov lat lon n1 n2 n3 n4 n5 n6",
    "dx dy u v espc etmp nflag zero lat lon rng bear rvel",
    "dx dy u v bear rvel espc etmp rc",
    "dx dy u v bear rvel espc vmax vmin rc etmp nv rt",
};
constexpr const char* kXYUVWaveTitles = "dx dy pdu pdv wh";
constexpr const char* kXYUVTsunamiTitles = "dx dy tosu tosv tsq";

bool IsWaveLike(uint32_t mapType) {
    return mapType == kLLUVMapWave || mapType == kLLUVMapTsunami;
}

// Whole seconds of a number of hours, held to the range of a 32-bit count.
long HoursToSeconds(double hours) {
    const double seconds = RoundTo(hours * 3600.0, 1.0);
    if (!(seconds == seconds)) return 0;
    if (seconds > 2147483647.0) return 2147483647L;
    if (seconds < -2147483648.0) return -2147483647L - 1;
    return static_cast<long>(seconds);
}

// Reads the blank-separated numbers of a line one after the other. A column
// missing at the end of the line reads as 0. A token that is not a finite
// number (a word, "inf", "nan", a run of '*') reads as 0 too, but is passed
// over so that every later column keeps its place, and it marks the line bad.
class XYUVColumns {
  public:
    explicit XYUVColumns(const char* text) : mp(text) {}
    bool Next(double* value) { return NextNumber(value, CStrConv::StringToDouble); }
    double Value() {
        double value = 0.0;
        Next(&value);
        return value;
    }
    bool NextUnsigned(unsigned long* value) { return NextNumber(value, CStrConv::StringToULong); }
    bool NextLong(long* value) { return NextNumber(value, CStrConv::StringToLong); }
    long Long() {
        long value = 0;
        NextLong(&value);
        return value;
    }
    bool HasBadValue() const { return mbBad; }

  private:
    // One number with `read`; false when the column is missing or bad.
    template <typename T>
    bool NextNumber(T* value, long (*read)(const char*, T*)) {
        *value = 0;
        mp += CStrConv::SkipWhiteSpace(mp);
        long length = 0;
        while (mp[length] != 0 && mp[length] != ' ' && mp[length] != '\t') ++length;
        if (length == 0) return false;
        const char* token = mp;
        mp += length;
        double number = 0.0;
        bool digit = false;
        for (long i = 0; i < length; ++i) digit = digit || (token[i] >= '0' && token[i] <= '9');
        if (token[0] == '*' || !digit || CStrConv::StringToDouble(token, &number) != length ||
            !std::isfinite(number)) {
            mbBad = true;
            return false;
        }
        read(token, value);
        return true;
    }
    const char* mp;
    bool mbBad = false;
};

// Whether the vector's geographic, polar and x/y records are finite numbers
// (a direction may be a marker, never a NaN).
bool HasFinitePlace(const CLLUVFile& store, long index) {
    auto finite = [](std::initializer_list<double> values) {
        for (double value : values)
            if (!std::isfinite(value)) return false;
        return true;
    };
    if (store.mpLLUV) {
        const XLLUVVector& g = store.mpLLUV[index];
        if (!finite({g.mdLongitude, g.mdLatitude, g.mdVelocityU, g.mdVelocityV})) return false;
    }
    if (store.mpRBVD) {
        const XRBVDVector& p = store.mpRBVD[index];
        if (!finite({p.mdRange, p.mdBearing, p.mdVelocity, p.mdDirection})) return false;
    }
    if (store.mpDist && !finite({store.mpDist[index].mdX, store.mpDist[index].mdY})) return false;
    return true;
}

// Takes back the vector just added: its slot is cleared for the next one.
void DropLastVector(CLLUVFile& store) {
    const long index = --store.mnVectors;
    auto clear = [index](auto* records) {
        if (records) records[index] = {};
    };
    clear(store.mpLLUV);
    clear(store.mpRBVD);
    clear(store.mpDist);
    clear(store.mpQuality);
    clear(store.mpContributors);
    clear(store.mpSpectraSource);
    clear(store.mpWaveMap);
}

// The range cell of a range in kilometres; 0 when the cell size is unknown
// or the cell cannot be a cell number.
long RangeCellOf(double rangeKm, double cellKm, long firstCell) {
    if (cellKm == 0.0 || !std::isfinite(cellKm)) return 0;
    const double cell = std::floor(rangeKm / cellKm + 0.5);
    if (!std::isfinite(cell) || std::fabs(cell) > 2147483647.0) return 0;
    return static_cast<long>(cell) + firstCell;
}

// The zone label that ends the first 47 characters of line 3: letters,
// optionally followed by a sign and one or two digits.
void FindZoneLabel(const char* line, char* label, size_t size) {
    label[0] = 0;
    long end = static_cast<long>(strnlen(line, 47)) - 1;
    while (end >= 0 && (line[end] == ' ' || line[end] == '\t')) --end;
    if (end < 0) return;
    auto code = [&](long at) { return static_cast<unsigned char>(line[at]); };
    long at = end;
    if (code(at) >= '0' && code(at) <= '9') {
        long digits = 0;
        while (at >= 0 && code(at) >= '0' && code(at) <= '9') {
            ++digits;
            --at;
        }
        if (digits > 2 || at < 0 || (line[at] != '+' && line[at] != '-')) return;
        --at;
    }
    long start = at + 1;
    while (start > 0 && code(start - 1) > 64) --start;
    if (start > at) return;  // no letters in front
    const size_t length = std::min(static_cast<size_t>(end - start + 1), size - 1);
    std::memcpy(label, line + start, length);
    label[length] = 0;
}

}  // namespace

// ---------------------------------------------------------------- export

long CLLUVFile::ExportClassicXYUV(CFileSpec* file, unsigned long creator, char* comment,
                                  long timeOnLine3) {
    long err = OpenCreateFile(file, creator, kTextFileType);
    if (err != kNoErr) return err;

    // Line 1: title, then the site record, each group only after all before it.
    const char* title =
        mnFormatVersion == 5 || mnFormatVersion == 6 ? "Elliptical vectors" : "Total vectors";
    if (mnMapType == kLLUVMapRadial) title = "Radial vectors";
    if (mnMapType == kLLUVMapElliptical) title = "Elliptical vectors";
    if (mnMapType == kLLUVMapWave) title = "Wave measurements";
    if (mnMapType == kLLUVMapTsunami) title = "Tsunami measurements";
    std::string text = title;
    bool timeOnLine1 = false;
    if (timeOnLine3 == 0 && mnSiteCode != 0) {
        char site[8];
        CStrConv::CharCodeToString(site, mnSiteCode);
        text += "    ";
        text += site;
        if (mnOriginTime != 0) {
            timeOnLine1 = true;
            AppendFormat(text, "   %12ld", static_cast<long>(mnOriginTime));
            if (mnTimeCoverageSeconds != 0) {
                AppendFormat(text, " %6.3f", static_cast<double>(mnTimeCoverageSeconds) / 3600.0);
                if (mdRangeResolutionMeters != 0.0) {
                    AppendFormat(text, " %9.4f", mdRangeResolutionMeters / 1000.0);
                    if (mnFirstRangeCell != 0 || (mnFormatVersion >= 5 && mnFormatVersion <= 7)) {
                        AppendFormat(text, "  %11.5f %11.5f  %11.5f %11.5f  %ld",
                                     mdReceiverX / 1000.0, mdReceiverY / 1000.0,
                                     mdTransmitterX / 1000.0, mdTransmitterY / 1000.0,
                                     mnFirstRangeCell);
                        if (mfAntennaBearing < 900.0f)
                            AppendFormat(text, "  %.1f", static_cast<double>(mfAntennaBearing));
                    }
                }
            }
        }
    }
    text += "\n";
    err = WriteClassicText(text);
    if (err != kNoErr) {
        AbandonFile();
        return err;
    }

    // Wave and tsunami maps have rows only in version 1; any other map's
    // version follows the quality values it carries.
    if (mnFormatVersion == 0) {
        if (IsWaveLike(mnMapType))
            mnFormatVersion = 1;
        else if (mnQualityMode < 3 || mpQuality == nullptr)
            mnFormatVersion = 2;
        else
            mnFormatVersion = mnQualityMode == 3 ? 3 : 4;
    }
    const long version = mnFormatVersion;

    // Line 2: format, comment, column titles.
    text.clear();
    if (mnCombineMethod != 0)
        AppendFormat(text, "Format version # %ld %ld %ld", version, mnFormatSubVersion,
                     mnCombineMethod);
    else
        AppendFormat(text, "Format version # %ld %ld", version, mnFormatSubVersion);
    if (comment && comment[0]) {
        text += " ! ";
        text += comment;
    }
    const char* titles = nullptr;
    if (IsWaveLike(mnMapType)) {
        if (version == 1) titles = mnMapType == kLLUVMapWave ? kXYUVWaveTitles : kXYUVTsunamiTitles;
    } else if (version >= 1 && version <= 7) {
        titles = kXYUVColumnTitles[version];
    }
    text += titles ? " ! Vectors: " : " !";
    if (titles) text += titles;
    text += "\n";
    WriteClassicText(text);

    // Line 3: time text and origin; the map time and coverage come here when
    // line 1 did not carry them.
    char timeText[128];
    FormatMapTimeText(mnOriginTime, HasBtfTimeZone() ? GetBtfTimeZone() : "", kXYUVTimeTextRoom,
                      timeText, sizeof timeText);
    CGeo origin;
    origin.SetLatLon(mdOriginLatitude, mdOriginLongitude);
    char position[CGeoString::kPairTextSize];
    origin.GetLatLonString(position, 4, ",", nullptr);
    text.clear();
    if (!timeOnLine1 && mnOriginTime != 0) {
        AppendFormat(text, " %-45.45s    Org:%-28.28s  MDT:%d  SPN:%.3f\n", timeText, position,
                     static_cast<int>(static_cast<int32_t>(mnOriginTime)),
                     static_cast<double>(mnTimeCoverageSeconds) / 3600.0);
    } else {
        AppendFormat(text, " %-45.45s    Org:%-28.28s\n", timeText, position);
    }
    WriteClassicText(text);

    long result = kNoErr;
    if (!IsWaveLike(mnMapType) || version == 1) {
        for (long i = 0; i < mnVectors; ++i) result = WriteXYUVRow(i, version);
    }
    // A file that was not written whole keeps the old one in place.
    err = CloseFile();
    return err != kNoErr ? err : result;
}

long CLLUVFile::WriteXYUVRow(long index, long version) {
    const double s = IsWaveLike(mnMapType) ? 1.0 : 0.01;
    XCurFullVector full{};
    GetVectorFromIndex(index, &full);
    XDistVector xy{};
    LonLatToXY(&full.mLLUV, &xy);
    const double x = RoundTo(xy.mdX / 1000.0, 1e-05);
    const double y = RoundTo(xy.mdY / 1000.0, 1e-05);
    const double u = full.mLLUV.mdVelocityU / s;
    const double v = full.mLLUV.mdVelocityV / s;
    const XSpectraSource* source = mpSpectraSource ? &mpSpectraSource[index] : nullptr;
    double bearing = (mnMapType == kLLUVMapRadial && mnFormatSubVersion == 0)
                         ? 360.0 - full.mRBVD.mdBearing
                         : 360.0 - full.mRBVD.mdDirection + 180.0;
    if (source && (mnSpectraSourceMask & 2)) bearing = 360.0 - source->mdBearing;
    bearing = LimitDegrees(bearing, 0.0, kXYUVHighestBearing);
    const double radialVelocity = full.mRBVD.mdVelocity / s;
    const XQualityVector& q = full.mQuality;  // zero without a quality array
    auto quality = [&](int slot) { return static_cast<double>(q.mfQuality[slot]); };
    const int flags = static_cast<int>(static_cast<int32_t>(q.mnFlags));
    const long rangeCell = source ? source->mnRangeCell : 0;
    const double latitude = full.mLLUV.mdLatitude;
    const double longitude = full.mLLUV.mdLongitude;
    const double height = mpWaveMap ? mpWaveMap[index].mdWaveHeight : 0.0;
    const double sourceRange = source
                                   ? static_cast<double>(source->mnRangeCell - mnFirstRangeCell) *
                                         mdRangeResolutionMeters / 1000.0
                                   : 0.0;
    // A vector without finite values is no measurement: it gets no row
    // rather than one of "nan" or "inf" text.
    for (double value : {x, y, u, v, bearing, radialVelocity, quality(0), quality(1), quality(2),
                         quality(3), quality(4), latitude, longitude, height, sourceRange,
                         source ? source->mdBearing : 0.0, quality(0) / s, quality(1) / s}) {
        if (!std::isfinite(value)) return kNoErr;
    }

    std::string text;
    auto contributors = [&]() {
        if (!mpContributors) return;
        const uint16_t* n = mpContributors[index].mnContributor;
        AppendFormat(text, "  %3d %3d %3d %3d %3d %3d", n[0], n[1], n[2], n[3], n[4], n[5]);
    };
    constexpr const char* kBase = " %11.4f  %11.4f    %10.3f  %10.3f";
    constexpr const char* kWithLatLon =
        " %11.4f  %11.4f    %10.3f  %10.3f      %9.2f  %9.2f    %8d    %9.2f    %11.7f  %12.7f";

    if (mnMapType == kLLUVMapWave) {
        AppendFormat(text, " %11.4f  %11.4f    %10.3f  %10.3f      %9.3f\n", x, y, u, v, height);
    } else if (mnMapType == kLLUVMapTsunami) {
        AppendFormat(text, " %11.4f  %11.4f    %10.3f  %10.3f      %9.6f  %6.2f  %6.1f\n", x, y, u,
                     v, quality(0), radialVelocity, bearing);
    } else if (version == 1) {
        AppendFormat(text, " %13.6E %13.6E %13.6E %13.6E\n", x, y, u, v);
    } else if (version == 3) {
        AppendFormat(text, " %11.4f  %11.4f    %10.3f  %10.3f      %9.2f  %9.2f    %8d\n", x, y, u,
                     v, quality(0), quality(1), flags);
    } else if (version == 4) {
        AppendFormat(text, kWithLatLon, x, y, u, v, quality(0), quality(1), flags, quality(2),
                     latitude, longitude);
        contributors();
        text += "\n";
    } else if (version == 5) {
        AppendFormat(text, kWithLatLon, x, y, u, v, quality(2), quality(3), flags, quality(4),
                     latitude, longitude);
        if (source) {
            text += "  ";
            if (mnSpectraSourceMask & 1) AppendFormat(text, "  %8.3f", sourceRange);
            if (mnSpectraSourceMask & 2) AppendFormat(text, "  %6.1f", 360.0 - source->mdBearing);
            if (mnSpectraSourceMask & 4) AppendFormat(text, "  %8.2f", radialVelocity);
        }
        text += "\n";
    } else if (version == 6) {
        AppendFormat(
            text, " %11.4f  %11.4f    %10.3f  %10.3f      %6.1f  %8.2f    %9.2f  %9.2f    %4ld\n",
            x, y, u, v, bearing, radialVelocity, quality(2), quality(3), rangeCell);
    } else if (version == 7) {
        AppendFormat(text,
                     " %11.5f  %11.5f    %10.3f  %10.3f      %9.1f  %9.3f    %9.3f  %9.3f  %9.3f  "
                     "%4ld  %9.3f",
                     x, y, u, v, bearing, radialVelocity, quality(2), quality(0) / s,
                     quality(1) / s, rangeCell, quality(3));
        if (q.mnEditCount > 0 || q.mnRadialCount > 0)
            AppendFormat(text, "  %4ld %4ld", q.mnEditCount, q.mnRadialCount);
        text += "\n";
    } else {
        AppendFormat(text, kBase, x, y, u, v);
        contributors();
        text += "\n";
    }
    return WriteClassicText(text);
}

// ---------------------------------------------------------------- import

long CLLUVFile::ImportClassicXYUV(CFileSpec* file, long useLonLat, long keepXY) {
    ClearInfo();
    Clear();
    mnMapType = 0;
    mnContributorCount = 0;
    mnSpectraSourceMask = 0;
    if (file) SetFileSpec(file);
    long err = OpenReadOnlyFile(nullptr);
    if (err != kNoErr) return err;

    std::string buffer(static_cast<size_t>(kXYUVLineLength) + 1, '\0');
    char* line = buffer.data();
    auto fail = [&](long code) {
        CloseFile();
        return code;
    };
    // A line longer than the buffer keeps its start; the rest is passed over
    // instead of being taken for the next line.
    auto readLine = [&]() {
        long length = 0;
        long result = ReadTextLine(line, &length, kXYUVLineLength);
        if (result != kNoErr || length < kXYUVLineLength) return result;
        std::string rest(static_cast<size_t>(kXYUVLineLength) + 1, '\0');
        long restLength = kXYUVLineLength;
        while (restLength == kXYUVLineLength &&
               ReadTextLine(rest.data(), &restLength, kXYUVLineLength) == kNoErr) {
        }
        return result;
    };

    if ((err = readLine()) != kNoErr) return fail(err);
    if ((err = ReadXYUVTitleLine(line)) != kNoErr) return fail(err);
    if ((err = readLine()) != kNoErr) return fail(err);
    ReadXYUVFormatLine(line);
    if ((err = readLine()) != kNoErr) return fail(err);
    if ((err = ReadXYUVTimeLine(line)) != kNoErr) return fail(err);

    if ((err = Allocate(-1, 0)) != kNoErr) return fail(err);
    for (;;) {
        err = readLine();
        if (err != kNoErr) break;
        if (line[0] == 0 || line[0] == '!') continue;
        ReadXYUVRow(line, useLonLat, keepXY);
    }
    if (err == kErrEndOfFile) err = kNoErr;

    // The cells that hold vectors must lie within a span a classic radial
    // file can hold: one stray cell number would widen it to billions.
    if (err == kNoErr && mpSpectraSource && mnVectors > 0) {
        long lowest = mpSpectraSource[0].mnRangeCell;
        long highest = lowest;
        for (long i = 1; i < mnVectors; ++i) {
            lowest = std::min(lowest, mpSpectraSource[i].mnRangeCell);
            highest = std::max(highest, mpSpectraSource[i].mnRangeCell);
        }
        if (static_cast<double>(highest) - static_cast<double>(lowest) >= kLLUVMaxCellSpan)
            err = kErrBadArgument;
    }

    // Maps within a kilometre of their origin are stated in metres.
    double farthest = 0.0;
    FindVectorAtMaximumRange(&farthest);
    if (farthest > 0.0 && farthest < 1000.0) {
        SetDistanceUnits(1.0, const_cast<char*>("m"));
        SetVelocityUnits(1.0, const_cast<char*>("m/s"));
    }
    CloseFile();
    return err;
}

long CLLUVFile::ReadXYUVTitleLine(char* line) {
    CStrConv::StripFortranComment(line, nullptr);
    size_t consumed = 0;
    for (const XXYUVTitle& entry : kXYUVTitles) {
        const size_t length = std::strlen(entry.title);
        if (CStrConv::StringCompare(line, entry.title, 1, static_cast<long>(length)) == 0) {
            mnMapType = entry.mapType;
            consumed = length;
            break;
        }
    }
    if (mnMapType == 0) {
        // Any "<something> vectors" line is a total map.
        long at = CStrConv::FindSubString(line, nullptr, 0);
        char word[16];
        at += CStrConv::FindSubString(line + at, word, sizeof word - 1);
        if (CStrConv::StringCompare(word, "vectors", 1, 0) != 0) return kLLUVErrUnknownXYUVTitle;
        mnMapType = kLLUVMapTotal;
        consumed = static_cast<size_t>(at);
    }
    if (mnMapType == kLLUVMapRadial) mnSpectraSourceMask = 1;
    if (mnMapType == kLLUVMapElliptical) mnSpectraSourceMask = 7;
    if (mnMapType == kLLUVMapWave) {
        mnUseWaveMap = 1;
        mnQualityMode = 3;
    }
    if (mnMapType == kLLUVMapTsunami) {
        mnUseWaveMap = 1;
        mnQualityMode = 8;
    }

    // The file name: pattern kind, site and (for dated names) the map time.
    char name[1025];
    GetFileName(name, sizeof name);
    const size_t nameLength = std::strlen(name);
    if (nameLength >= 4) {
        const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(name[3])));
        if (kind == ' ' || kind == '_') mnPatternType = 0;
        if (kind && std::strchr("isx", kind)) mnPatternType = 1;
        if (kind && std::strchr("mpyz", kind)) mnPatternType = 2;
    }
    unsigned long site = LLUVCode("XXXX");
    if (nameLength >= 8) {
        char code[5] = {name[4], name[5], name[6], name[7], 0};
        CStrConv::StringToCharCode(code, &site);
    }
    mnSiteCode = static_cast<uint32_t>(site);
    if (nameLength > 20) {
        auto field = [&](size_t at) {
            const bool digits = std::isdigit(static_cast<unsigned char>(name[at])) &&
                                std::isdigit(static_cast<unsigned char>(name[at + 1]));
            return digits ? (name[at] - '0') * 10 + (name[at + 1] - '0') : -1;
        };
        XCalendarDate date{};
        date.year = field(9);
        date.month = field(12);
        date.day = field(15);
        date.hour = field(18);
        date.minute = field(20);
        // Only a name whose fields are all digits carries a date.
        if (date.year >= 0 && date.month >= 0 && date.day >= 0 && date.hour >= 0 &&
            date.minute >= 0) {
            date.year += date.year <= 85 ? 2000 : 1900;
            // Dates beyond the 32-bit seconds (early 2040) are held there.
            const int64_t seconds = PlatformDateToSeconds(date);
            mnOriginTime = static_cast<uint32_t>(std::clamp<int64_t>(seconds, 0, 4294967295LL));
        }
    }
    SiteInfoToMeta();

    // The site record after the title.
    const char* rest = line + consumed;
    rest += CStrConv::SkipWhiteSpace(rest);
    if (*rest) {
        char code[5] = {};
        size_t taken = 0;
        while (taken < 4 && rest[taken]) {
            code[taken] = rest[taken];
            ++taken;
        }
        unsigned long siteCode = 0;
        CStrConv::StringToCharCode(code, &siteCode);
        mnSiteCode = static_cast<uint32_t>(siteCode);
        XYUVColumns columns(rest + taken);
        unsigned long time = 0;
        if (columns.NextUnsigned(&time)) mnOriginTime = static_cast<uint32_t>(time);
        double value = 0.0;
        if (columns.Next(&value)) mnTimeCoverageSeconds = HoursToSeconds(value);
        if (columns.Next(&value)) mdRangeResolutionMeters = value * 1000.0;
        mdReceiverX = columns.Value() * 1000.0;
        mdReceiverY = columns.Value() * 1000.0;
        mdTransmitterX = columns.Value() * 1000.0;
        mdTransmitterY = columns.Value() * 1000.0;
        long firstCell = 0;
        if (columns.NextLong(&firstCell)) mnFirstRangeCell = firstCell;
        SetAntennaBearing(columns.Next(&value) ? value : kLLUVAntennaBearingUnknown);
        SiteInfoToMeta();
    }
    return kNoErr;
}

void CLLUVFile::ReadXYUVFormatLine(char* line) {
    // A text between the first two marks names the processing tool, unless
    // it reports a fault.
    msProcessingComment[0] = 0;
    const char* first = std::strchr(line, '!');
    const char* second = first ? std::strchr(first + 1, '!') : nullptr;
    if (second) {
        const char* text = first + 1;
        text += CStrConv::SkipWhiteSpace(text);
        std::string between(text, static_cast<size_t>(std::max(second - text, 0L)));
        LLUVCopyText(msProcessingComment, between.c_str());
        CStrConv::StripTrailingWhiteSpace(msProcessingComment);
        if (std::strncmp(msProcessingComment, "Fault", 5) != 0) {
            char name[32];
            char version[32];
            const long used = CStrConv::FindSubString(msProcessingComment, name, 31);
            CStrConv::FindSubString(msProcessingComment + used, version, 31);
            AddMetaToolName(name, version);
            msProcessingComment[0] = 0;
        }
    }
    CStrConv::StripFortranComment(line, nullptr);
    if (std::strlen(line) >= 16) {
        XYUVColumns columns(line + 16);
        mnFormatVersion = columns.Long();
        mnFormatSubVersion = columns.Long();
        mnCombineMethod = columns.Long();
    }

    if (IsWaveLike(mnMapType)) return;
    const long version = mnFormatVersion;
    mnContributorCount = (version == 2 || version == 4) ? 1 : 0;
    if (version == 3) mnQualityMode = 3;
    if (version == 4) mnQualityMode = 4;
    if (version == 5 || version == 6) mnQualityMode = 6;
    if (version == 7) mnQualityMode = 7;
    if (version >= 5 && version <= 7) mnSpectraSourceMask = 7;
    if ((version < 3 || version > 7) && mnQualityMode == -1) mnQualityMode = 0;
}

long CLLUVFile::ReadXYUVTimeLine(char* line) {
    const char* origin = nullptr;
    for (const char* mark : {"Org:", "ORG:", "org:"}) {
        if ((origin = std::strstr(line, mark)) != nullptr) {
            origin += 4;
            break;
        }
    }
    if (origin == nullptr) {
        if (std::strlen(line) < 48) return kErrBadArgument;
        origin = line + 48;
    }
    CGeo point;
    point.SetLatLon(origin, nullptr);
    SetOriginLocation(&point);

    for (const char* mark : {"MDT:", "mdt:", "Mdt:"}) {
        if (const char* at = std::strstr(line, mark)) {
            XYUVColumns columns(at + 4);
            unsigned long time = 0;
            if (columns.NextUnsigned(&time)) mnOriginTime = static_cast<uint32_t>(time);
            break;
        }
    }
    for (const char* mark : {"SPN:", "spn:", "Spn:"}) {
        if (const char* at = std::strstr(line, mark)) {
            XYUVColumns columns(at + 4);
            double hours = 0.0;
            if (columns.Next(&hours)) mnTimeCoverageSeconds = HoursToSeconds(hours);
            break;
        }
    }

    mnTimeZoneSeconds = 0;
    msTimeZone[0] = 0;
    if (std::strlen(line) > 46) FindZoneLabel(line, msTimeZone, sizeof msTimeZone);
    SiteInfoToMeta();
    // A known zone gives the metadata its offset at the map time.
    SetBtfTimeZoneDaylightSavings(0);
    if (msTimeZone[0]) UpdateBtfTimeZone(nullptr, nullptr, kBtfNoInstant);
    return kNoErr;
}

void CLLUVFile::ReadXYUVRow(const char* row, long useLonLat, long keepXY) {
    XYUVColumns columns(row);
    double x = 0.0, y = 0.0, u = 0.0, v = 0.0;
    // A row without its four leading numbers is no vector.
    if (!columns.Next(&x) || !columns.Next(&y) || !columns.Next(&u) || !columns.Next(&v)) return;

    const double s = IsWaveLike(mnMapType) ? 1.0 : 0.01;
    double q[4] = {};
    unsigned long flags = 0;
    unsigned long contributors[6] = {};
    double latitude = 0.0, longitude = 0.0, bearing = 0.0, radialVelocity = 0.0;
    double waveHeight = 0.0;
    long rangeCell = 0, editCount = 0, radialCount = 0;
    auto readContributors = [&]() {
        for (unsigned long& n : contributors) columns.NextUnsigned(&n);
    };
    const long version = mnFormatVersion;

    if (mnMapType == kLLUVMapTsunami) {
        q[0] = columns.Value();
    } else if (mnMapType == kLLUVMapWave) {
        waveHeight = columns.Value();
    } else if (version == 2) {
        readContributors();
    } else if (version == 3 || version == 4) {
        q[0] = columns.Value();
        q[1] = columns.Value();
        columns.NextUnsigned(&flags);
        if (version == 4) {
            q[2] = columns.Value();
            latitude = columns.Value();
            longitude = columns.Value();
            readContributors();
        }
    } else if (version == 5) {
        q[2] = columns.Value();
        q[3] = columns.Value();
        columns.NextUnsigned(&flags);
        columns.Value();  // the zero column
        columns.Value();  // latitude and longitude follow from x/y
        columns.Value();
        const double rangeKm = columns.Value();
        bearing = columns.Value();
        radialVelocity = columns.Value();
        rangeCell = RangeCellOf(rangeKm, mdRangeResolutionMeters / 1000.0, mnFirstRangeCell);
    } else if (version == 6) {
        bearing = columns.Value();
        radialVelocity = columns.Value();
        q[2] = columns.Value();
        q[3] = columns.Value();
        rangeCell = columns.Long();
    } else if (version == 7) {
        bearing = columns.Value();
        radialVelocity = columns.Value();
        q[2] = columns.Value();
        q[0] = columns.Value() * s;
        q[1] = columns.Value() * s;
        rangeCell = columns.Long();
        q[3] = columns.Value();
        editCount = columns.Long();
        radialCount = columns.Long();
    }
    // A bad value anywhere in the row leaves the whole vector out, as the
    // classic radial file does.
    if (columns.HasBadValue()) return;
    if (!IsWaveLike(mnMapType) && version >= 5 && version <= 7) {
        radialVelocity *= s;
        bearing = LimitDegrees(360.0 - bearing, 0.0, kXYUVHighestImportBearing);
    }

    long index = -1;
    if (version == 4 && useLonLat && !IsWaveLike(mnMapType)) {
        index = AddNewVectorLonLatUV(longitude, latitude, u * s, v * s, flags, 0, 0, 0, 0);
        if (index >= 0 && keepXY && mpDist) {
            mpDist[index].mdX = x * 1000.0;
            mpDist[index].mdY = y * 1000.0;
        }
    } else {
        index = AddNewVectorXYUV(x * 1000.0, y * 1000.0, u * s, v * s, flags, 0, 0, 0, 0);
    }
    if (index < 0) return;
    // Positions too far out for the earth give no finite place at all.
    if (!HasFinitePlace(*this, index)) {
        DropLastVector(*this);
        return;
    }
    SetVectorQuality(index, q[0], q[1], q[2], q[3], 0.0, editCount, radialCount);
    SetVectorSixContributers(index, contributors[0], contributors[1], contributors[2],
                             contributors[3], contributors[4], contributors[5]);
    SetSpectraSourceInfo(index, rangeCell, bearing, radialVelocity);
    if (mnMapType == kLLUVMapWave) SetWaveMapInfo(index, waveHeight, 0.0);
}
