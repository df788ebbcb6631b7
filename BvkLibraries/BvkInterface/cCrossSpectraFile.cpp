#include "cCrossSpectraFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "BvkErrors.h"
#include "MoreEndian.h"

namespace {

// Each version's extent word and the header length it must be subtracted
// from: the extent counts the header bytes after the word.
struct XExtentRule {
    long version;
    long offset;
    long base;
};

constexpr XExtentRule kExtentRules[] = {
    {2, 12, kCsaHeaderV2},
    {3, 20, kCsaHeaderV3},
    {4, 68, kCsaHeaderV4},
    {5, 96, kCsaHeaderV5},
};

constexpr long kMaxKnownVersion = 999;

int32_t BigEndianLong(const unsigned char* bytes) {
    return int32_t((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                   (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]));
}

}  // namespace

CCrossSpectraFile::CCrossSpectraFile() : mnFileLength(0), mnState(0) {}

CCrossSpectraFile::~CCrossSpectraFile() {
    Close();
}

long CCrossSpectraFile::Close() {
    return CloseFile();
}

bool CCrossSpectraFile::FileHoldsSpectra() const {
    if (mnHeaderSize > mnFileLength) return false;
    const unsigned long long available = mnFileLength - mnHeaderSize;
    const unsigned long long cellBytes =
        (unsigned long long)NumberOfDopplerCells() * (unsigned long long)BytesPerDopplerCell();
    return (unsigned long long)NumberOfRangeCells() <= available / cellBytes;
}

long CCrossSpectraFile::CheckHeader(long bCheckLength) const {
    if (!mpHeader || mnHeaderSize < kCsaHeaderV1) return kErrEndOfFile;
    int16_t version;
    std::memcpy(&version, mpHeader, sizeof version);
    if (version > kMaxKnownVersion) return kErrSpectraVersion;
    for (const auto& rule : kExtentRules) {
        if (version < rule.version) break;
        if (long(mnHeaderSize) < rule.base) return kErrSpectraExtents;
        if (HeaderLong(rule.offset, -1) != long(mnHeaderSize) - rule.base) {
            return kErrSpectraExtents;
        }
    }
    // The length check counts the header once, however long it is, plus the
    // cells the header announces.
    if (version >= 5 && bCheckLength && !FileHoldsSpectra()) return kErrSpectraTooShort;
    return kNoErr;
}

long CCrossSpectraFile::OpenForRead(CFileSpec* spec) {
    CCrossSpectra::Clear();
    long err = OpenReadOnlyFile(spec);
    if (err != kNoErr) {
        mnStatus = int32_t(err);
        return err;
    }
    const long long length = GetFileSize();
    mnFileLength = uint32_t(std::clamp<long long>(length, 0, 0xFFFFFFFFll));

    unsigned char start[kCsaHeaderV1];
    unsigned long got = 0;
    err = ReadFile(start, sizeof start, &got);
    if (err == kNoErr && got != sizeof start) err = kErrEndOfFile;
    const int32_t extent = err == kNoErr ? BigEndianLong(start + 6) : 0;
    if (err == kNoErr && (extent < 0 || extent > kCsaMaxExtent)) err = kErrSpectraHeaderRange;

    std::vector<unsigned char> header;
    if (err == kNoErr) {
        try {
            header.resize(size_t(extent) + kCsaHeaderV1);
        } catch (const std::bad_alloc&) {
            err = kErrOutOfMemory;
        }
    }
    if (err == kNoErr) {
        std::memcpy(header.data(), start, sizeof start);
        if (extent > 0) {
            err = ReadFile(header.data() + kCsaHeaderV1, (unsigned long)extent, &got);
            if (err == kNoErr && got != (unsigned long)extent) err = kErrEndOfFile;
        }
    }
    if (err == kNoErr) {
        SwapHeader(header.data(), long(header.size()));
        err = SetHeader(header.data(), long(header.size()));
    }
    if (err == kNoErr) err = CheckHeader(1);
    if (err != kNoErr) {
        Close();
        mnStatus = int32_t(err);
    }
    return err;
}

long CCrossSpectraFile::ReadRanges() {
    if (mnRefNum == 0 || !mpHeader) return kErrBadArgument;
    // Nothing is allocated for cells the file cannot hold.
    if (!FileHoldsSpectra()) {
        mnStatus = int32_t(kErrSpectraTooShort);
        return kErrSpectraTooShort;
    }
    long err = AllocateRangeCells();
    if (err != kNoErr) return err;
    MoveFilePointer(mnHeaderSize, 1);

    const long nDoppler = AllocatedDopplerCells();
    const bool withQuality = SpectraKind() == 2;
    for (long r = 0; r < AllocatedRangeCells() && err == kNoErr; ++r) {
        XCsa4RangeCell& cell = mpCells[r];
        struct XArray {
            float* values;
            long count;
        };
        const XArray arrays[] = {
            {cell.mpAntenna1, nDoppler},
            {cell.mpAntenna2, nDoppler},
            {cell.mpAntenna3, nDoppler},
            {cell.mpCross12, 2 * nDoppler},
            {cell.mpCross13, 2 * nDoppler},
            {cell.mpCross23, 2 * nDoppler},
            {cell.mpQuality, withQuality ? nDoppler : 0},
        };
        for (const auto& array : arrays) {
            if (array.count == 0) continue;
            const unsigned long bytes = (unsigned long)array.count * sizeof(float);
            unsigned long got = 0;
            err = ReadFile(array.values, bytes, &got);
            if (err == kNoErr && got != bytes) err = kErrEndOfFile;
            if (err != kNoErr) break;
            SwapEndiansArray4(array.values, array.count);
        }
    }
    mbInDecibels = 0;
    mnStatus = int32_t(err);
    return err;
}

long CCrossSpectraFile::ReadAlimResource(CFileSpec*) {
    return kErrNotFound;
}

long CCrossSpectraFile::ReadCrossSpectra(CFileSpec* spec) {
    long err = OpenForRead(spec);
    if (err == kNoErr) err = ReadRanges();
    Close();
    const long limits = ReadAlimResource(spec);
    if (err == kNoErr && limits != kErrNotFound) err = limits;
    return err;
}
