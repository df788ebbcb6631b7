// Reading classic radial files: the time line with its zone label, the site
// position, the range geometry, one block of bearings, speeds and quality
// values per range cell, and the processing parameters that close the file
// (also read on their own from a separate parameter file).

#include <cmath>
#include <cstdint>
#include <cstring>

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

// Reads the numbers of one value block: they start on a new line and may run
// over any number of lines. A token that is not a number is passed over, so
// the reading always moves on.
class CValueBlockReader {
  public:
    explicit CValueBlockReader(CFile& file) : mFile(file) {}

    void StartBlock() { mbHaveLine = false; }

    // 0 and the next value, or the error that ended the reading.
    long Next(double* value) {
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
            double number = 0.0;
            const long used = CStrConv::StringToDouble(mLine + mnAt, &number);
            if (used > 0 && std::isfinite(number)) {
                mnAt += used;
                *value = number;
                return kNoErr;
            }
            // Not a number (or not a finite one): skip the whole token.
            while (mLine[mnAt] != 0 && !IsBlank(mLine[mnAt])) ++mnAt;
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
    store.mdRangeResolutionMeters = cellKm * 1000.0;
    store.mnRangeStart = ClampToU32Range((firstKm * 1000.0) / (cellKm * 1000.0) + 0.5);
    store.mfReferenceBearing = LLUVNarrowToFloat(90.0 - angle);
    store.mnTimeCoverageSeconds = TruncateToLong(RoundTo(hours * 3600.0, 1.0));
    store.SiteInfoToMeta();

    // Number of range cells, counted from the first one.
    err = store.ReadTextLine(line, &length, kMaxLine);
    if (err != kNoErr) return err;
    // A count line without a number is no classic radial file.
    if (NumberLength(line) == 0) return kErrBadArgument;
    unsigned long cells = 0;
    CStrConv::StringToULong(line, &cells);
    store.mnRangeEnd = store.mnRangeStart + static_cast<long>(cells) - 1;
    return kNoErr;
}

// The cell blocks; they end at the last cell, at the end of the file, at a
// line without a count, or where the store cannot grow.
void ReadCells(CLLUVFile& store) {
    if (!store.mpRBVD) return;
    CValueBlockReader values(store);
    char line[kMaxLine + 1];
    for (long cell = store.mnRangeStart; cell <= store.mnRangeEnd; ++cell) {
        const double range = static_cast<double>(cell) * store.mdRangeResolutionMeters;

        const int64_t countLineStart = store.mnPosition;
        long length = 0;
        long err = store.ReadTextLine(line, &length, kMaxLine);
        if (err == kErrEndOfFile) {
            if (cell != store.mnRangeStart) store.mnRangeEnd = cell - 1;
            return;
        }
        if (err != kNoErr) return;
        // The cells end early where a line holds no count: it is read again
        // as a parameter line.
        if (NumberLength(line) == 0) {
            store.MoveFilePointer(countLineStart, 1);
            store.mnRangeEnd = cell - 1;
            return;
        }
        unsigned long count = 0;
        CStrConv::StringToULong(line, &count);

        // Bearings: counter-clockwise from the reference angle.
        const long first = store.mnVectors;
        values.StartBlock();
        for (unsigned long j = 0; j < count; ++j) {
            double value = 0.0;
            if (values.Next(&value) != kNoErr) return;
            const double bearing = 360.0 - RoundTo(value, 0.1) + store.mfReferenceBearing;
            const long index =
                store.AddNewVectorRangeBearing(range, bearing, 0.0, kLLUVDirectionNotComputed, 0.0);
            if (index < 0) break;
            store.SetSpectraSourceInfo(index, cell, bearing, 0.0);
        }
        if (static_cast<unsigned long>(store.mnVectors - first) < count) return;

        // Speeds, cm/s.
        values.StartBlock();
        for (unsigned long j = 0; j < count; ++j) {
            double value = 0.0;
            if (values.Next(&value) != kNoErr) return;
            const double speed = RoundTo(value, 0.001) * 0.01;
            store.mpRBVD[first + j].mdVelocity = speed;
            if (store.mpSpectraSource) store.mpSpectraSource[first + j].mdVelocity = speed;
        }

        // Quality values.
        values.StartBlock();
        for (unsigned long j = 0; j < count; ++j) {
            double value = 0.0;
            if (values.Next(&value) != kNoErr) return;
            if (!store.mpQuality) continue;
            XQualityVector& quality = store.mpQuality[first + j];
            const float speed = LLUVNarrowToFloat(store.mpRBVD[first + j].mdVelocity);
            quality.mfQuality[0] = speed;
            quality.mfQuality[1] = speed;
            quality.mfQuality[2] = 999.0f;
            quality.mfQuality[3] = LLUVNarrowToFloat(value);
        }
    }
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
    Allocate(-1, 0);
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

        auto readFloats = [value](float* fields, int count) {
            long at = 0;
            for (int i = 0; i < count; ++i) at += CStrConv::StringToFloat(value + at, &fields[i]);
        };
        double number = 0.0;
        long integer = 0;
        unsigned long unsignedInteger = 0;
        switch (key) {
            case kKeyNumMergeRads:
                CStrConv::StringToLong(value, &mnMergedCount);
                break;
            case kKeyCenterFreqMHz:
                CStrConv::StringToDouble(value, &number);
                mdTransmitFrequencyHz = number * 1000000.0;
                break;
            case kKeyDopplerFreqHz:
                CStrConv::StringToDouble(value, &mdDopplerResolutionHz);
                break;
            case kKeyLimitMaxCurrent:
                CStrConv::StringToFloat(value, &mfMaximumCurrentVelocity);
                break;
            case kKeyAverFirmssPts:
                CStrConv::StringToULong(value, &unsignedInteger);
                mnBraggSmoothingPoints = static_cast<long>(unsignedInteger);
                break;
            case kKeyFactorDownPeakLimit:
                CStrConv::StringToFloat(value, &mfRadialBraggPeakDropOff);
                break;
            case kKeyUseSecondOrder:
                CStrConv::StringToULong(value, &unsignedInteger);
                mnBraggHasSecondOrder = static_cast<long>(unsignedInteger);
                break;
            case kKeyFactorDownPeakNull:
                CStrConv::StringToFloat(value, &mfRadialBraggPeakNull);
                break;
            case kKeyFactorAboveNoise:
                CStrConv::StringToFloat(value, &mfRadialBraggNoiseThreshold);
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
