#include "cCrossSpectra.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <numbers>

#include "BvkErrors.h"
#include "MoreEndian.h"

namespace {

constexpr uint32_t Key(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

// Byte reversal of a whole version-5 header; a shorter version uses the
// groups up to its own fields.
constexpr char kHeaderSwapPattern[] = "x244x24x44x444444444444x4444444";
constexpr long kSwapPatternLength[] = {0, 4, 7, 10, 23, 31};

constexpr long kDefaultDopplerCells = 512;
constexpr long kDefaultRangeCells = 31;
// Doppler counts beyond this in a limit table's head are not believed.
constexpr uint32_t kMaxLimitDoppler = 8192;

// Arrays of a cell: three self spectra, three cross spectra of pairs and the
// quality array, each with 16 spare entries.
constexpr long kSpareEntries = 16;
constexpr long kFloatsPerCellEntry = 3 + 3 * 2 + 1;

template <typename T>
void PutField(uint8_t* header, long size, long offset, T value) {
    if (offset + long(sizeof(T)) <= size) std::memcpy(header + offset, &value, sizeof(T));
}

double DecibelsToPower(double decibels) {
    return std::pow(10.0, decibels / 10.0);
}

}  // namespace

CCrossSpectra::CCrossSpectra()
    : mnStatus(kErrNotFound),
      mbInDecibels(0),
      mnHeaderSize(0),
      mpHeader(nullptr),
      mpCells(nullptr),
      mpAlim(nullptr),
      mpWAlim(nullptr),
      mpCellValues(nullptr),
      mnCellCount(0),
      mnCellDoppler(0) {}

CCrossSpectra::~CCrossSpectra() {
    Clear();
}

void CCrossSpectra::Clear() {
    FreeCells();
    delete[] mpHeader;
    mpHeader = nullptr;
    mnHeaderSize = 0;
    delete[] mpAlim;
    mpAlim = nullptr;
    delete[] mpWAlim;
    mpWAlim = nullptr;
    mbInDecibels = 0;
    mnStatus = kErrNotFound;
}

void CCrossSpectra::FreeCells() {
    delete[] mpCells;
    mpCells = nullptr;
    delete[] mpCellValues;
    mpCellValues = nullptr;
    mnCellCount = 0;
    mnCellDoppler = 0;
}

int32_t CCrossSpectra::HeaderLong(long offset, int32_t fallback) const {
    if (!mpHeader || offset < 0 || offset + 4 > long(mnHeaderSize)) return fallback;
    int32_t value;
    std::memcpy(&value, mpHeader + offset, sizeof value);
    return value;
}

long CCrossSpectra::NumberOfDopplerCells() const {
    const int32_t n = HeaderLong(offsetof(XCsa5Header, mnDopplerCells), 0);
    return (mnHeaderSize >= kCsaHeaderV4 && n >= 1) ? n : kDefaultDopplerCells;
}

long CCrossSpectra::NumberOfRangeCells() const {
    const int32_t n = HeaderLong(offsetof(XCsa5Header, mnRangeCells), 0);
    return (mnHeaderSize >= kCsaHeaderV4 && n >= 1) ? n : kDefaultRangeCells;
}

long CCrossSpectra::FirstRangeCell() const {
    return HeaderLong(offsetof(XCsa5Header, mnFirstRangeCell), 1);
}

long CCrossSpectra::SpectraKind() const {
    if (!mpHeader || mnHeaderSize < kCsaHeaderV2) return 1;
    int16_t kind;
    std::memcpy(&kind, mpHeader + offsetof(XCsa5Header, mnSpectraKind), sizeof kind);
    return kind == 2 ? 2 : 1;
}

long CCrossSpectra::BytesPerDopplerCell() const {
    return SpectraKind() == 2 ? 40 : 36;
}

long CCrossSpectra::GetRangeCellPtr(long index, XCsa4RangeCell** cell) {
    if (!cell) return kErrBadArgument;
    *cell = nullptr;
    if (!mpCells || index < 0 || index >= mnCellCount) return kErrBadArgument;
    *cell = &mpCells[index];
    return kNoErr;
}

long CCrossSpectra::HeaderVersionForSize(long size) {
    if (size >= kCsaHeaderV5) return 5;
    if (size >= kCsaHeaderV4) return 4;
    if (size >= kCsaHeaderV3) return 3;
    if (size >= kCsaHeaderV2) return 2;
    if (size >= kCsaHeaderV1) return 1;
    return 0;
}

long CCrossSpectra::SwapHeader(void* bytes, long size) {
    const long version = HeaderVersionForSize(size);
    if (!bytes || version == 0) return 0;
    char pattern[sizeof kHeaderSwapPattern];
    std::memcpy(pattern, kHeaderSwapPattern, size_t(kSwapPatternLength[version]));
    pattern[kSwapPatternLength[version]] = 0;
    return SwapEndians(bytes, 1, pattern);
}

long CCrossSpectra::AllocateHeader(long size) {
    if (size < kCsaHeaderV1 || size > kCsaMaxHeader) return kErrBadArgument;
    uint8_t* header = new (std::nothrow) uint8_t[size_t(size)]();
    if (!header) return kErrOutOfMemory;
    const long version = HeaderVersionForSize(size);
    PutField<int16_t>(header, size, 0, int16_t(version));
    PutField<int32_t>(header, size, 6, int32_t(size - kCsaHeaderV1));
    if (version >= 2) {
        PutField<int16_t>(header, size, 10, 1);
        PutField<int32_t>(header, size, 12, int32_t(size - kCsaHeaderV2));
    }
    if (version >= 3) {
        PutField<uint32_t>(header, size, 16, Key("XXXX"));
        PutField<int32_t>(header, size, 20, int32_t(size - kCsaHeaderV3));
    }
    if (version >= 4) {
        PutField<int32_t>(header, size, 52, kDefaultDopplerCells);
        PutField<int32_t>(header, size, 56, kDefaultRangeCells);
        PutField<int32_t>(header, size, 60, 1);
        PutField<float>(header, size, 64, 3.0f);
        PutField<int32_t>(header, size, 68, int32_t(size - kCsaHeaderV4));
    }
    if (version >= 5) {
        PutField<uint32_t>(header, size, 76, Key("XXXX"));
        PutField<uint32_t>(header, size, 80, Key("1.00"));
        PutField<int32_t>(header, size, 84, 3);
        PutField<int32_t>(header, size, 88, 3);
        PutField<int32_t>(header, size, 92, 7);
        PutField<int32_t>(header, size, 96, int32_t(size - kCsaHeaderV5));
    }
    delete[] mpHeader;
    mpHeader = header;
    mnHeaderSize = uint32_t(size);
    return kNoErr;
}

long CCrossSpectra::SetHeader(const void* bytes, long size) {
    if (!bytes || size < 1 || size > kCsaMaxHeader) return kErrBadArgument;
    uint8_t* header = new (std::nothrow) uint8_t[size_t(size)];
    if (!header) return kErrOutOfMemory;
    std::memcpy(header, bytes, size_t(size));
    delete[] mpHeader;
    mpHeader = header;
    mnHeaderSize = uint32_t(size);
    return kNoErr;
}

long CCrossSpectra::GetCsa5Header(XCsa5Header* out) const {
    if (!out) return kErrBadArgument;
    std::memset(out, 0, sizeof *out);
    if (!mpHeader || mnHeaderSize == 0) return kErrEndOfFile;
    std::memcpy(out, mpHeader, std::min<size_t>(mnHeaderSize, sizeof *out));
    return kNoErr;
}

long CCrossSpectra::AllocateRangeCells() {
    FreeCells();
    const long nRange = NumberOfRangeCells();
    const long nDoppler = NumberOfDopplerCells();
    const unsigned long long perCell =
        (unsigned long long)(nDoppler + kSpareEntries) * kFloatsPerCellEntry;
    if (nRange > kMaxRangeCells || nDoppler > kMaxDopplerCells ||
        perCell * sizeof(float) * (unsigned long long)nRange > kMaxCellBytes) {
        mnStatus = kErrOutOfMemory;
        return kErrOutOfMemory;
    }
    mpCells = new (std::nothrow) XCsa4RangeCell[size_t(nRange)]();
    mpCellValues = new (std::nothrow) float[size_t(perCell * nRange)]();
    if (!mpCells || !mpCellValues) {
        FreeCells();
        mnStatus = kErrOutOfMemory;
        return kErrOutOfMemory;
    }
    const long stride = nDoppler + kSpareEntries;
    for (long r = 0; r < nRange; ++r) {
        float* values = mpCellValues + perCell * r;
        XCsa4RangeCell& cell = mpCells[r];
        cell.mpAntenna1 = values;
        cell.mpAntenna2 = values + stride;
        cell.mpAntenna3 = values + 2 * stride;
        cell.mpCross12 = values + 3 * stride;
        cell.mpCross13 = values + 5 * stride;
        cell.mpCross23 = values + 7 * stride;
        cell.mpQuality = values + 9 * stride;
    }
    mnCellCount = nRange;
    mnCellDoppler = nDoppler;
    mnStatus = kNoErr;
    return kNoErr;
}

long CCrossSpectra::GetAlimSize() const {
    if (!mpAlim || mpAlim[kLimitCountWord] > kMaxAlimEntries) return 0;
    return 4 * kLimitHeadWords + 4 * kLimitEntryWords * long(mpAlim[kLimitCountWord]);
}

long CCrossSpectra::GetWAlimSize() const {
    if (!mpWAlim || mpWAlim[kLimitCountWord] > kMaxWAlimEntries) return 0;
    return 4 * kLimitHeadWords + 4 * kLimitEntryWords * long(mpWAlim[kLimitCountWord]);
}

long CCrossSpectra::GetSpectraSize(long bWithLimits) const {
    // A damaged header may claim counts whose product does not fit: the
    // size saturates instead of wrapping.
    long cells = 0;
    long size = 0;
    if (__builtin_mul_overflow(NumberOfRangeCells(), NumberOfDopplerCells(), &cells) ||
        __builtin_mul_overflow(cells, BytesPerDopplerCell(), &size) ||
        __builtin_add_overflow(size, long(mnHeaderSize), &size)) {
        return std::numeric_limits<long>::max();
    }
    if (bWithLimits && __builtin_add_overflow(size, GetAlimSize() + GetWAlimSize(), &size)) {
        return std::numeric_limits<long>::max();
    }
    return size;
}

long CCrossSpectra::SetLimitTable(long bWave, const uint32_t* words, unsigned long wordCount) {
    if (!words || wordCount < (unsigned long)kLimitHeadWords) return kErrBadArgument;
    const unsigned long long entries = words[kLimitCountWord];
    if (wordCount != kLimitHeadWords + kLimitEntryWords * entries) return kErrBadArgument;
    uint32_t* table = new (std::nothrow) uint32_t[wordCount];
    if (!table) return kErrOutOfMemory;
    std::memcpy(table, words, wordCount * sizeof(uint32_t));

    uint32_t nDoppler = table[kLimitDopplerWord];
    if (nDoppler == 0 || nDoppler > kMaxLimitDoppler) nDoppler = uint32_t(NumberOfDopplerCells());
    // The file counts the first two limits from 1 and the last two from the
    // centre (zero Doppler); in memory all four are array numbers. Unsigned
    // arithmetic keeps absurd values of a damaged table defined.
    const uint32_t centre = nDoppler / 2 - 1;
    for (unsigned long long e = 0; e < entries; ++e) {
        uint32_t* entry = table + kLimitHeadWords + kLimitEntryWords * e;
        entry[0] -= 1;
        entry[1] -= 1;
        entry[2] += centre;
        entry[3] += centre;
    }
    uint32_t*& slot = bWave ? mpWAlim : mpAlim;
    delete[] slot;
    slot = table;
    return kNoErr;
}

long CCrossSpectra::ConvertCellsToVoltages(double dbReference, long bCrossInDecibelPairs) {
    if (!mpCells) return kNoErr;
    for (long r = 0; r < mnCellCount; ++r) {
        XCsa4RangeCell& cell = mpCells[r];
        for (float* self : {cell.mpAntenna1, cell.mpAntenna2, cell.mpAntenna3}) {
            for (long d = 0; d < mnCellDoppler; ++d) {
                self[d] = float(DecibelsToPower(self[d] + dbReference));
            }
        }
        for (float* cross : {cell.mpCross12, cell.mpCross13, cell.mpCross23}) {
            for (long d = 0; d < mnCellDoppler; ++d) {
                float& first = cross[2 * d];
                float& second = cross[2 * d + 1];
                if (bCrossInDecibelPairs) {
                    first = float(DecibelsToPower(first + dbReference));
                    second = float(DecibelsToPower(second + dbReference));
                } else {
                    // Magnitude in decibels and phase in degrees.
                    const double magnitude = DecibelsToPower(first + dbReference);
                    const double phi = second * std::numbers::pi / 180.0;
                    first = float(magnitude * std::cos(phi));
                    second = float(magnitude * std::sin(phi));
                }
            }
        }
    }
    mbInDecibels = 0;
    return kNoErr;
}
