// Reading classic radial files: the time line with its zone label, the site
// position, the range geometry, one block of bearings, speeds and quality
// values per range cell, and the processing parameters that close the file
// (also read on their own from a separate parameter file).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "BvkErrors.h"
#include "MyMath.h"
#include "cGeo.h"
#include "cLLUVFile.h"
#include "cStrConv.h"

namespace {

// The parameter keywords by their position in szRadialKeys.
enum ERadialKey : long {
    kKeyNumMergeRads,
    kKeyCenterFreqMHz,
    kKeyDopplerFreqHz,
    kKeyLimitMaxCurrent,
    kKeyAverFirmssPts,
    kKeyFactorDownPeakLimit,
    kKeyUseSecondOrder,
    kKeyFactorDownPeakNull,
    kKeyFactorAboveNoise,
    kKeyAmpAdjustFactors,
    kKeyMusicParams,
    kKeyRadialMerger,
    kKeyRadSmoothing,
    kKeyMinRadVectorPts,
    kKeySpectraToRadial,
    kKeyCurrents,
    kKeyRadialSlider,
    kKeyAmpCalculated,
    kKeyPhaseAdjustFactors,
    kKeyPhaseCalculated,
    kKeyFirstOrderCalc,
    kKeySpectraToEllipticals,
    kKeyEllipticalsSlider,
    kKeyEllipticalsMerger,
    kKeyMergeMethod,
    kKeyPatternMethod,
};

constexpr long kMaxLine = 1024;
constexpr long kMaxFileName = 1024;
constexpr long kMaxKeyword = 64;
constexpr double kFloatLimit = 3.4028234663852886e38;
// The time number starts in this column (from 0); the zone label ends at or
// before the one just in front of the gap.
constexpr long kTimeColumn = 48;
constexpr long kLabelLastColumn = 46;

// A file value held within 0 ... 4,294,967,295 and truncated; NaN gives 0.
long ClampToU32Range(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 4294967295.0) return 4294967295L;
    return static_cast<long>(value);
}

// Truncates to a long; NaN gives 0 and values beyond a long's range its ends.
long TruncateToLong(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9.2e18) return 9200000000000000000L;
    if (value <= -9.2e18) return -9200000000000000000L;
    return static_cast<long>(value);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Characters of the number at the start of `text` after white space; 0 when
// the text holds no number there.
long NumberLength(const char* text) {
    return CStrConv::SkipFloat(text + CStrConv::SkipWhiteSpace(text));
}

// The zone label that ends the text in front of the time number: letters,
// optionally followed by a signed offset of one or two digits ("PST",
// "GMT+8", "UTC-10"). Empty when the text does not end in one.
void FindZoneLabel(const char* line, char (&label)[32]) {
    label[0] = 0;
    long at = kLabelLastColumn;
    while (at > 0 && IsBlank(line[at])) --at;
    const long last = at;
    if (IsDigit(line[at])) {
        long sign = at - 1;
        if (sign >= 0 && IsDigit(line[sign])) --sign;
        if (sign < 0 || (line[sign] != '+' && line[sign] != '-')) return;
        at = sign - 1;
        if (at < 0) return;
    }
    if (static_cast<unsigned char>(line[at]) <= 'A') return;
    while (at > 0 && static_cast<unsigned char>(line[at - 1]) > 64) --at;
    const long length = last - at + 1;
    const long kept = length < 31 ? length : 31;
    std::memcpy(label, line + at, static_cast<size_t>(kept));
    label[kept] = 0;
}

// One value of a block is one blank-separated token. It counts only when the
// whole token is a finite number: a word, "inf", "nan", a run of '*' (a
// number too wide for its field) or a number glued to other text is a bad
// value that still takes its place in the block.
bool TokenIsFiniteNumber(const char* token, long length, double* value) {
    if (length <= 0 || token[0] == '*') return false;
    bool digit = false;
    for (long i = 0; i < length; ++i) digit = digit || IsDigit(token[i]);
    if (!digit || CStrConv::StringToDouble(token, value) != length) return false;
    return std::isfinite(*value);
}

// Reads the values of one value block: they start on a new line and may run
// over any number of lines; blank lines are passed over.
class CValueBlockReader {
  public:
    explicit CValueBlockReader(CFile& file) : mFile(file) {}

    void StartBlock() { mbHaveLine = false; }

    // 0 and the next token's value (`good` false for a bad value), or the
    // error that ended the reading.
    long Next(double* value, bool* good) {
        for (;;) {
            if (!mbHaveLine) {
                long length = 0;
                const long err = mFile.ReadTextLine(mLine, &length, kMaxLine);
                if (err != kNoErr) return err;
                mnAt = 0;
                mbHaveLine = true;
            }
            mnAt += CStrConv::SkipWhiteSpace(mLine + mnAt);
            if (mLine[mnAt] == 0) {
                mbHaveLine = false;
                continue;
            }
            const char* token = mLine + mnAt;
            long length = 0;
            while (token[length] != 0 && !IsBlank(token[length])) ++length;
            mnAt += length;
            *value = 0.0;
            *good = TokenIsFiniteNumber(token, length, value);
            return kNoErr;
        }
    }

  private:
    CFile& mFile;
    char mLine[kMaxLine + 1] = {};
    long mnAt = 0;
    bool mbHaveLine = false;
};

// Lines 1 to 4: time, site position, geometry and the number of cells.
long ReadHeader(CLLUVFile& store) {
    char line[kMaxLine + 1];
    long length = 0;

    // Time line: free text ending in the zone label, then the time number.
    long err = store.ReadTextLine(line, &length, kMaxLine);
    if (err != kNoErr) return err;
    store.msTimeZone[0] = 0;
    store.mnOriginTime = 0;
    if (length > kTimeColumn) {
        long seconds = 0;
        CStrConv::StringToLong(line + kTimeColumn, &seconds);
        // Times after 1972 are written as negative 32-bit numbers.
        store.mnOriginTime = static_cast<uint32_t>(seconds);
        FindZoneLabel(line, store.msTimeZone);
    }
    store.SetBtfTimeStamp1904(static_cast<double>(store.mnOriginTime));
    store.UpdateBtfTimeZone(store.msTimeZone, "", kBtfNoInstant);
    store.SetBtfTimeStamp1904(static_cast<double>(store.mnOriginTime));
    store.mnTimeZoneSeconds = TruncateToLong(store.GetBtfTimeZoneOffsetSeconds());

    // Site position.
    err = store.ReadTextLine(line, &length, kMaxLine);
    if (err != kNoErr) return err;
    CGeo origin;
    origin.SetLatLon(line, nullptr);
    store.mdOriginLatitude = origin.GetLatitude();
    store.mdOriginLongitude = origin.GetLongitude();

    // Geometry: distance to the first cell and cell size (km), reference
    // angle (degrees counter-clockwise from east), coverage (hours).
    err = store.ReadTextLine(line, &length, kMaxLine);
    if (err != kNoErr) return err;
    double firstKm = 0.0, cellKm = 0.0, angle = 0.0, hours = 0.0;
    long at = CStrConv::StringToDouble(line, &firstKm);
    at += CStrConv::StringToDouble(line + at, &cellKm);
    at += CStrConv::StringToDouble(line + at, &angle);
    CStrConv::StringToDouble(line + at, &hours);
    // Geometry that is not finite would place every vector nowhere.
    if (!std::isfinite(firstKm * 1000.0) || !std::isfinite(cellKm * 1000.0) ||
        !std::isfinite(angle) || !std::isfinite(hours))
        return kErrBadArgument;
    store.mdRangeResolutionMeters = cellKm * 1000.0;
    store.mnRangeStart = ClampToU32Range((firstKm * 1000.0) / (cellKm * 1000.0) + 0.5);
    store.mfReferenceBearing = LLUVNarrowToFloat(90.0 - angle);
    store.mnTimeCoverageSeconds = TruncateToLong(RoundTo(hours * 3600.0, 1.0));
    store.SiteInfoToMeta();

    // Number of range cells, counted from the first one.
    err = store.ReadTextLine(line, &length, kMaxLine);
    if (err != kNoErr) return err;
    // A count line without a number is no classic radial file, and neither
    // is one that announces more cells than any radar has: the count line of
    // each cell would be written back for every one of them.
    if (NumberLength(line) == 0) return kErrBadArgument;
    double cells = 0.0;
    CStrConv::StringToDouble(line, &cells);
    if (!(cells >= 0.0 && cells <= static_cast<double>(kLLUVMaxCellSpan))) return kErrBadArgument;
    store.mnRangeEnd = store.mnRangeStart + static_cast<long>(cells) - 1;
    return kNoErr;
}

// One vector of a cell as its three blocks give it.
struct XCellVector {
    double bearing = 0.0;
    double speed = 0.0;
    double quality = 0.0;
    long blocksRead = 0;  // values read for it: 3 when complete
    bool good = true;
};

// Reads the `count` values of one block into the cell's vectors (the bearing
// block makes them). False when the file ended or failed inside the block.
template <typename Store>
bool ReadBlock(CValueBlockReader& values, std::vector<XCellVector>& cell, unsigned long count,
               Store store) {
    values.StartBlock();
    for (unsigned long j = 0; j < count; ++j) {
        double value = 0.0;
        bool good = false;
        if (values.Next(&value, &good) != kNoErr) return false;
        if (j == cell.size()) cell.emplace_back();
        XCellVector& vector = cell[j];
        if (good) store(vector, value);
        vector.good = vector.good && good;
        ++vector.blocksRead;
    }
    return true;
}

// The next line that is not blank: a blank line between two cells is no
// count line. Its start is kept so that a parameter line can be read again.
long ReadCountLine(CLLUVFile& store, char (&line)[kMaxLine + 1], int64_t* start) {
    for (;;) {
        *start = store.mnPosition;
        long length = 0;
        const long err = store.ReadTextLine(line, &length, kMaxLine);
        if (err != kNoErr) return err;
        if (line[CStrConv::SkipWhiteSpace(line)] != 0) return kNoErr;
    }
}

// A file holds at most a sixth of its bytes in vectors (three values of a
// digit and a blank each).
constexpr long long kLeastBytesPerVector = 6;

// Makes room for as many vectors as this cell holds in each cell still to
// come: the arrays then grow once instead of moving again and again while a
// large map is read. What the file can hold bounds what a wrong count can ask
// for. Without the room the store still grows as it fills.
void ReserveForCells(CLLUVFile& store, unsigned long count, long cellsLeft, long long fileBytes) {
    if (count == 0 || cellsLeft <= 0 || fileBytes <= 0) return;
    const double most = static_cast<double>(fileBytes) / static_cast<double>(kLeastBytesPerVector);
    const double wanted = static_cast<double>(store.mnVectors) +
                          static_cast<double>(count) * static_cast<double>(cellsLeft);
    store.ReserveVectors(static_cast<long>(std::min(wanted, most)));
}

// The cell blocks; they end at the last cell, at the end of the file, at a
// line without a count, or where the store cannot grow. Each block holds its
// cell's count of values; a vector with a bad value in any of its blocks is
// left out with its other values, and so is one whose blocks the file cut
// off, so that every other vector keeps its own values and its cell.
void ReadCells(CLLUVFile& store) {
    if (!store.mpRBVD) return;
    CValueBlockReader values(store);
    const long long fileBytes = store.GetFileSize();
    char line[kMaxLine + 1];
    // The first cell may be cell 0, which the spectra source cells would
    // take for no cell at all.
    const long firstCell = store.mnRangeStart;
    std::vector<XCellVector> cellVectors;
    for (long cell = firstCell; cell <= store.mnRangeEnd; ++cell) {
        const double range = static_cast<double>(cell) * store.mdRangeResolutionMeters;

        int64_t countLineStart = 0;
        const long err = ReadCountLine(store, line, &countLineStart);
        if (err == kErrEndOfFile) {
            if (cell != firstCell) store.mnRangeEnd = cell - 1;
            break;
        }
        if (err != kNoErr) break;
        // The cells end early where a line holds no count: it is read again
        // as a parameter line.
        if (NumberLength(line) == 0) {
            store.MoveFilePointer(countLineStart, 1);
            store.mnRangeEnd = cell - 1;
            break;
        }
        unsigned long count = 0;
        CStrConv::StringToULong(line, &count);
        ReserveForCells(store, count, store.mnRangeEnd - cell + 1, fileBytes);

        // Bearings counter-clockwise from the reference angle, speeds in
        // cm/s, quality values; each must stay finite once converted.
        const double reference = store.mfReferenceBearing;
        cellVectors.clear();
        const bool whole = ReadBlock(values, cellVectors, count,
                                     [reference](XCellVector& v, double value) {
                                         v.bearing = 360.0 - RoundTo(value, 0.1) + reference;
                                         v.good = std::isfinite(v.bearing);
                                     }) &&
                           ReadBlock(values, cellVectors, count,
                                     [](XCellVector& v, double value) {
                                         v.speed = RoundTo(value, 0.001) * 0.01;
                                         v.good = v.good && std::isfinite(v.speed);
                                     }) &&
                           ReadBlock(values, cellVectors, count,
                                     [](XCellVector& v, double value) { v.quality = value; });

        for (const XCellVector& v : cellVectors) {
            if (!v.good || v.blocksRead != 3) continue;
            const long index = store.AddNewVectorRangeBearing(range, v.bearing, 0.0,
                                                              kLLUVDirectionNotComputed, 0.0);
            if (index < 0) {
                store.mnRangeStart = firstCell;
                return;
            }
            store.SetSpectraSourceInfo(index, cell, v.bearing, v.speed);
            store.mpRBVD[index].mdVelocity = v.speed;
            if (!store.mpQuality) continue;
            XQualityVector& quality = store.mpQuality[index];
            const float speed = LLUVNarrowToFloat(v.speed);
            quality.mfQuality[0] = speed;
            quality.mfQuality[1] = speed;
            quality.mfQuality[2] = 999.0f;
            quality.mfQuality[3] = LLUVNarrowToFloat(v.quality);
        }
        if (!whole) break;
    }
    store.mnRangeStart = firstCell;
}

// The store's capacity, or what the file can hold when that is less: every
// record of the room is cleared, and a converter that reads file after file
// in one process would otherwise clear the whole default capacity for each.
// -1 (the capacity) when the size is not known.
long RoomBeforeCells(const CLLUVFile& store, long long fileBytes) {
    if (fileBytes <= 0) return -1;
    const long long most = std::max<long long>(fileBytes / kLeastBytesPerVector, 1);
    return most < store.mnAllocated ? static_cast<long>(most) : -1;
}

}  // namespace

long CLLUVFile::ImportClassicRadial(CFileSpec* file) {
    ClearInfo();
    Clear();
    mnMapType = kLLUVMapRadial;
    long err = OpenReadOnlyFile(file);
    if (err != kNoErr) return err;

    // The file name tells the pattern kind and the site.
    char name[kMaxFileName + 1] = {};
    GetFileName(name, sizeof name);
    const size_t nameLength = std::strlen(name);
    char kind = nameLength >= 4 ? name[3] : 0;
    if (kind >= 'A' && kind <= 'Z') kind = static_cast<char>(kind - 'A' + 'a');
    if (kind != 0 && std::strchr("six _", kind)) mnPatternType = 1;
    if (kind != 0 && std::strchr("pyz", kind)) mnPatternType = 2;
    unsigned long site = LLUVCode("XXXX");
    if (nameLength >= 8) CStrConv::StringToCharCode(name + 4, &site);
    mnSiteCode = static_cast<uint32_t>(site);
    mnQualityMode = (kind == 'x' || kind == 'y') ? 5 : 7;
    mnSpectraSourceMask = 1;

    err = ReadHeader(*this);
    if (err != kNoErr) {
        CFile::CloseFile();
        return err;
    }

    const uint32_t vectorType = mnVectorType;
    mnVectorType = kLLUVVectorFull;
    Allocate(RoomBeforeCells(*this, GetFileSize()), 0);
    // While adding, no geographic form is derived: the speeds come later.
    mnVectorType = LLUVCode("XXXX");
    ReadCells(*this);

    const long result = ReadClassicRadialParams();
    mnVectorType = vectorType;
    if (vectorType == kLLUVVectorFull || vectorType == kLLUVVectorGeographic) {
        UpdateLonLatUVFromRangeBearing();
        ChangeVectorType(vectorType);
    }
    mnFormatVersion = 7;
    mnFormatSubVersion = 1;
    mnCombineMethod = 0;
    CFile::CloseFile();
    return result;
}

long CLLUVFile::ReadClassicRadialParams() {
    char line[kMaxLine + 1];
    long length = 0;
    while (ReadTextLine(line, &length, kMaxLine) == kNoErr) {
        const char* text = line + CStrConv::SkipWhiteSpace(line);
        char word[kMaxKeyword + 1];
        const long used = CStrConv::FindSubString(text, word, kMaxKeyword);
        // An empty word would match the first keyword: a blank line is none.
        if (word[0] == 0) continue;
        const long key = CStrConv::FindChoice(word, szRadialKeys, -1, 1);
        if (key < 0) continue;
        const char* value = text + used;

        // A value that is not a finite number (or none that fits a float)
        // leaves its field as it was: no writer could give it back.
        auto readFloats = [value](float* fields, int count) {
            long at = 0;
            for (int i = 0; i < count; ++i) {
                double number = 0.0;
                at += CStrConv::StringToDouble(value + at, &number);
                if (std::isfinite(number) && std::fabs(number) <= kFloatLimit)
                    fields[i] = static_cast<float>(number);
            }
        };
        auto readDouble = [value](double* field, double scale) {
            double number = 0.0;
            CStrConv::StringToDouble(value, &number);
            if (std::isfinite(number * scale)) *field = number * scale;
        };
        long integer = 0;
        unsigned long unsignedInteger = 0;
        switch (key) {
            case kKeyNumMergeRads:
                CStrConv::StringToLong(value, &mnMergedCount);
                break;
            case kKeyCenterFreqMHz:
                readDouble(&mdTransmitFrequencyHz, 1000000.0);
                break;
            case kKeyDopplerFreqHz:
                readDouble(&mdDopplerResolutionHz, 1.0);
                break;
            case kKeyLimitMaxCurrent:
                readFloats(&mfMaximumCurrentVelocity, 1);
                break;
            case kKeyAverFirmssPts:
                CStrConv::StringToULong(value, &unsignedInteger);
                mnBraggSmoothingPoints = static_cast<long>(unsignedInteger);
                break;
            case kKeyFactorDownPeakLimit:
                readFloats(&mfRadialBraggPeakDropOff, 1);
                break;
            case kKeyUseSecondOrder:
                CStrConv::StringToULong(value, &unsignedInteger);
                mnBraggHasSecondOrder = static_cast<long>(unsignedInteger);
                break;
            case kKeyFactorDownPeakNull:
                readFloats(&mfRadialBraggPeakNull, 1);
                break;
            case kKeyFactorAboveNoise:
                readFloats(&mfRadialBraggNoiseThreshold, 1);
                break;
            case kKeyAmpAdjustFactors:
                readFloats(mfPatternAmplitudeCorrections, 2);
                break;
            case kKeyMusicParams:
                readFloats(mfMusicParameters, 3);
                break;
            case kKeyRadSmoothing:
                CStrConv::StringToLong(value, &mnRadialSmoothing);
                break;
            case kKeyMinRadVectorPts:
                CStrConv::StringToLong(value, &mnRadialMinimumMergePoints);
                break;
            case kKeyAmpCalculated:
                readFloats(mfPatternAmplitudeCalculations, 2);
                break;
            case kKeyPhaseAdjustFactors:
                readFloats(mfPatternPhaseCorrections, 2);
                break;
            case kKeyPhaseCalculated:
                readFloats(mfPatternPhaseCalculations, 2);
                break;
            case kKeyFirstOrderCalc:
                CStrConv::StringToLong(value, &mnFirstOrderCalc);
                break;
            case kKeyMergeMethod:
                CStrConv::StringToLong(value, &integer);
                mnMergeMethod = integer;
                break;
            case kKeyPatternMethod:
                CStrConv::StringToLong(value, &integer);
                mnPatternMethod = integer;
                break;
            default: {
                // A processing tool and its version text.
                // The other tools are named by the keyword as written.
                const char* tool = word;
                if (key == kKeyRadialMerger) tool = "RadialMerger";
                if (key == kKeySpectraToRadial) tool = "SpectraToRadial";
                if (key == kKeyCurrents) tool = "Currents";
                const unsigned char first = static_cast<unsigned char>(*value);
                const bool onlyWhiteSpace = key >= kKeySpectraToEllipticals;
                if (!onlyWhiteSpace && first != 0 && (first < 32 || first > 'z')) ++value;
                value += CStrConv::SkipWhiteSpace(value);
                AddMetaToolName(tool, value);
                break;
            }
        }
    }
    return kNoErr;
}
