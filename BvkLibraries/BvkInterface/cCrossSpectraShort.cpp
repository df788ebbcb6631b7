#include "cCrossSpectraShort.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "BvkErrors.h"
#include "MoreEndian.h"
#include "cRiff.h"
#include "cShortener.h"

namespace {

constexpr uint32_t Key(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

constexpr uint32_t kFormMagnitudePhase[] = {Key("CSSW"), Key("CSSX")};
constexpr uint32_t kFormDecibelPairs[] = {Key("CSSY"), Key("CSSZ")};

// Where a compressed array goes in a range cell: the array and, for the
// cross spectra, which component of the pairs.
enum class ECellArray { kAntenna1, kAntenna2, kAntenna3, kCross12, kCross13, kCross23, kQuality };

struct XArrayChunk {
    uint32_t key;
    ECellArray array;
    int component;  // 0 first, 1 second; self spectra and quality use 0
};

constexpr XArrayChunk kArrayChunks[] = {
    {Key("cs1a"), ECellArray::kAntenna1, 0}, {Key("cs2a"), ECellArray::kAntenna2, 0},
    {Key("cs3a"), ECellArray::kAntenna3, 0}, {Key("c12m"), ECellArray::kCross12, 0},
    {Key("c12r"), ECellArray::kCross12, 0},  {Key("c13m"), ECellArray::kCross13, 0},
    {Key("c13r"), ECellArray::kCross13, 0},  {Key("c23m"), ECellArray::kCross23, 0},
    {Key("c23r"), ECellArray::kCross23, 0},  {Key("c12a"), ECellArray::kCross12, 1},
    {Key("c12i"), ECellArray::kCross12, 1},  {Key("c13a"), ECellArray::kCross13, 1},
    {Key("c13i"), ECellArray::kCross13, 1},  {Key("c23a"), ECellArray::kCross23, 1},
    {Key("c23i"), ECellArray::kCross23, 1},  {Key("csqf"), ECellArray::kQuality, 0},
};

// The six sign bit maps of a cell, in the order the file stores them.
struct XSignMap {
    ECellArray array;
    int component;
};
constexpr XSignMap kSignMaps[] = {
    {ECellArray::kCross13, 0}, {ECellArray::kCross13, 1}, {ECellArray::kCross23, 0},
    {ECellArray::kCross23, 1}, {ECellArray::kCross12, 0}, {ECellArray::kCross12, 1},
};
constexpr long kSignMapsPerCell = 6;

constexpr unsigned long kMaxLimitEntries = 8192;
constexpr long kSourceNameMax = 255;

float* CellArray(XCsa4RangeCell& cell, ECellArray array) {
    switch (array) {
        case ECellArray::kAntenna1:
            return cell.mpAntenna1;
        case ECellArray::kAntenna2:
            return cell.mpAntenna2;
        case ECellArray::kAntenna3:
            return cell.mpAntenna3;
        case ECellArray::kCross12:
            return cell.mpCross12;
        case ECellArray::kCross13:
            return cell.mpCross13;
        case ECellArray::kCross23:
            return cell.mpCross23;
        case ECellArray::kQuality:
            return cell.mpQuality;
    }
    return nullptr;
}

bool IsCross(ECellArray array) {
    return array == ECellArray::kCross12 || array == ECellArray::kCross13 ||
           array == ECellArray::kCross23;
}

uint32_t BigEndianWord(const unsigned char* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
           uint32_t(bytes[3]);
}

float BigEndianFloat(const unsigned char* bytes) {
    const uint32_t word = BigEndianWord(bytes);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// Reads exactly `count` payload bytes; a payload that ends early is -39.
long ReadPayload(CRiff& riff, void* data, unsigned long count) {
    if (count == 0) return kNoErr;
    unsigned long got = 0;
    long err = riff.ReadMoreData(count, data, &got);
    if (err == kErrEndOfLevel) err = kErrEndOfFile;
    if (err == kNoErr && got != count) err = kErrEndOfFile;
    return err;
}

template <size_t N>
bool IsOneOf(unsigned long key, const uint32_t (&keys)[N]) {
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

}  // namespace

CCrossSpectraShort::CCrossSpectraShort()
    : mszSourceName{},
      mpShortener(new (std::nothrow) CShortener),
      mdCompression(0.0),
      mnCurrentCell(0),
      mdReference(0.0),
      mbHaveCells(false) {}

CCrossSpectraShort::~CCrossSpectraShort() {
    delete mpShortener;
}

long CCrossSpectraShort::ReadReducedFile(CFileSpec* spec, long bHeaderOnly) {
    CCrossSpectra::Clear();
    mszSourceName[0] = 0;
    mdCompression = 0.0;
    mnCurrentCell = 0;
    mdReference = 0.0;
    mbHaveCells = false;
    mSignBits.clear();
    delete mpShortener;
    mpShortener = new (std::nothrow) CShortener;
    if (!mpShortener) return mnStatus = int32_t(kErrOutOfMemory);

    // Without a spec the object's own file is read.
    CRiff riff;
    long err = riff.OpenRiffFile(spec ? spec : this);
    if (err != kNoErr) return mnStatus = int32_t(err);
    mnFileLength = riff.mnFileSize;

    unsigned long form = 0;
    unsigned long size = 0;
    err = riff.ReadNextKey(&form, &size, nullptr);
    if (err == kNoErr && !IsOneOf(form, kFormMagnitudePhase) && !IsOneOf(form, kFormDecibelPairs)) {
        err = kErrNotReducedSpectra;
    }
    bool headerDone = false;
    if (err == kNoErr) err = riff.EnterSubKey();
    if (err == kNoErr) err = ReadChunks(riff, bHeaderOnly, &headerDone);
    riff.CloseFile();
    if (err == kNoErr && !mpHeader) err = kErrEndOfFile;
    if (err != kNoErr || headerDone) {
        mnStatus = int32_t(err);
        return err;
    }

    ConvertCellsToVoltages(mdReference, IsOneOf(form, kFormDecibelPairs) ? 1 : 0);
    ApplySignBits();
    mSignBits.clear();
    if (mnFileLength > 0) mdCompression = double(GetSpectraSize(0)) / double(mnFileLength);
    mnStatus = kNoErr;
    return kNoErr;
}

long CCrossSpectraShort::ReadChunks(CRiff& riff, long bHeaderOnly, bool* headerDone) {
    for (;;) {
        unsigned long key = 0;
        unsigned long size = 0;
        long err = riff.ReadNextKey(&key, &size, nullptr);
        if (err == kErrEndOfLevel) {
            if (riff.GetCurrentSubKeyLevel() <= 1) return kNoErr;
            riff.ExitSubKey();
            continue;
        }
        if (err != kNoErr) return err;
        if (riff.IsSubKey(key)) {
            // Beyond the deepest level the container is passed over whole.
            riff.EnterSubKey();
            continue;
        }
        if (key == Key("cs4h")) {
            err = ReadHeaderChunk(riff, size, bHeaderOnly);
            if (err == kNoErr && bHeaderOnly) {
                *headerDone = true;
                return kNoErr;
            }
        } else if (key == Key("indx")) {
            if (bHeaderOnly) return kErrRangeDataInHeaderOnly;
            err = ReadIndexChunk(riff, size);
        } else if (key == Key("scal")) {
            err = ReadScaleChunk(riff, size);
        } else if (key == Key("dbrf")) {
            err = ReadReferenceChunk(riff, size);
        } else if (key == Key("csgn")) {
            err = ReadSignChunk(riff, size);
        } else if (key == Key("alim") || key == Key("wlim")) {
            err = ReadLimitChunk(riff, key, size);
        } else if (key == Key("srcn")) {
            err = ReadSourceNameChunk(riff, size);
        } else {
            err = ReadArrayChunk(riff, key, size);
        }
        if (err != kNoErr) return err;
    }
}

long CCrossSpectraShort::ReadHeaderChunk(CRiff& riff, unsigned long size, long bHeaderOnly) {
    // The first header fixes the dimensions everything after it is sized by.
    if (mpHeader) return kNoErr;
    if (size < (unsigned long)kCsaHeaderV1) return kErrEndOfFile;
    if (size > (unsigned long)kCsaMaxHeader) return kErrSpectraHeaderRange;
    std::vector<uint8_t> header;
    try {
        header.resize(size);
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
    long err = ReadPayload(riff, header.data(), size);
    if (err != kNoErr) return err;
    SwapHeader(header.data(), long(size));
    err = SetHeader(header.data(), long(size));
    if (err != kNoErr || bHeaderOnly) return err;

    // A compressed file may expand far beyond its length, so its counts are
    // held to what a radar produces before anything is allocated for them.
    const long nDoppler = NumberOfDopplerCells();
    const long nRange = NumberOfRangeCells();
    if (nDoppler > kMaxDopplerCells || nRange > kMaxRangeCells) return kErrSpectraHeaderRange;
    // Every range cell the file fills costs at least a byte per Doppler cell
    // and array, yet cells it leaves out are made and converted all the
    // same: a file must hold a byte for every 16 Doppler cells of the cells
    // its header counts (room for files that fill few of them), or a few
    // bytes could make the reader fill hundreds of megabytes.
    if ((unsigned long long)nRange * (unsigned long long)nDoppler / 16 > mnFileLength) {
        return kErrSpectraTooShort;
    }
    err = AllocateRangeCells();
    if (err == kNoErr) err = mpShortener->SetCapacity((unsigned long)nDoppler);
    if (err != kNoErr) return err;
    try {
        mSignBits.assign(size_t(nRange) * kSignMapsPerCell * size_t((nDoppler + 7) / 8), 0);
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
    mnCurrentCell = 0;
    mbHaveCells = true;
    mbInDecibels = 1;
    return kNoErr;
}

long CCrossSpectraShort::ReadIndexChunk(CRiff& riff, unsigned long size) {
    if (!mbHaveCells) return kNoErr;
    if (size < 4) return kErrSpectraTooShort;
    unsigned char bytes[4];
    const long err = ReadPayload(riff, bytes, sizeof bytes);
    if (err != kNoErr) return err;
    const long long index = (long long)int32_t(BigEndianWord(bytes)) - FirstRangeCell();
    mnCurrentCell = long(std::clamp<long long>(index, 0, AllocatedRangeCells() - 1));
    std::fill_n(mpCells[mnCurrentCell].mpQuality, AllocatedDopplerCells(), 1.0f);
    return kNoErr;
}

long CCrossSpectraShort::ReadScaleChunk(CRiff& riff, unsigned long size) {
    if (size < 16) return kErrSpectraTooShort;
    unsigned char bytes[16];
    const long err = ReadPayload(riff, bytes, sizeof bytes);
    if (err != kNoErr) return err;
    mpShortener->SetScale(int32_t(BigEndianWord(bytes)), BigEndianFloat(bytes + 4),
                          BigEndianFloat(bytes + 8), BigEndianFloat(bytes + 12));
    return kNoErr;
}

long CCrossSpectraShort::ReadReferenceChunk(CRiff& riff, unsigned long size) {
    if (size < 8) return kErrSpectraTooShort;
    unsigned char bytes[8];
    const long err = ReadPayload(riff, bytes, sizeof bytes);
    if (err != kNoErr) return err;
    // The whole double is big-endian like every other number of the file.
    const uint64_t word = (uint64_t(BigEndianWord(bytes)) << 32) | BigEndianWord(bytes + 4);
    std::memcpy(&mdReference, &word, sizeof mdReference);
    return kNoErr;
}

long CCrossSpectraShort::ReadArrayChunk(CRiff& riff, unsigned long key, unsigned long size) {
    const XArrayChunk* chunk = nullptr;
    for (const auto& candidate : kArrayChunks) {
        if (candidate.key == key) chunk = &candidate;
    }
    if (!chunk || !mbHaveCells) return kNoErr;  // a chunk this reader does not use
    unsigned char* encoded = mpShortener->PrepareEncoded(size);
    if (!encoded) return kErrOutOfMemory;
    long err = ReadPayload(riff, encoded, size);
    if (err == kNoErr) err = mpShortener->Expand();
    if (err != kNoErr) return err;

    // The expander never produces more than the cell's Doppler count.
    float* target = CellArray(mpCells[mnCurrentCell], chunk->array);
    const long stride = IsCross(chunk->array) ? 2 : 1;
    const float* values = mpShortener->Values();
    const long count = std::min<long>(mpShortener->mnValues, AllocatedDopplerCells());
    for (long d = 0; d < count; ++d) target[d * stride + chunk->component] = values[d];
    return kNoErr;
}

long CCrossSpectraShort::ReadSignChunk(CRiff& riff, unsigned long size) {
    if (!mbHaveCells) return kNoErr;
    const unsigned long mapBytes = (unsigned long)(AllocatedDopplerCells() + 7) / 8;
    const unsigned long cellBytes = kSignMapsPerCell * mapBytes;
    if (size < cellBytes) return kErrSpectraTooShort;
    return ReadPayload(riff, mSignBits.data() + cellBytes * (unsigned long)mnCurrentCell,
                       cellBytes);
}

long CCrossSpectraShort::ReadLimitChunk(CRiff& riff, unsigned long key, unsigned long size) {
    const unsigned long headBytes = 4 * kLimitHeadWords;
    if (size < headBytes) return kNoErr;
    uint32_t head[kLimitHeadWords];
    long err = ReadPayload(riff, head, headBytes);
    if (err != kNoErr) return err;
    SwapEndiansArray4(head, kLimitHeadWords);
    // A table is taken only when its size agrees with its own count.
    const unsigned long long count = head[kLimitCountWord];
    if (count > kMaxLimitEntries || size != headBytes + 4 * kLimitEntryWords * count) {
        return kNoErr;
    }
    std::vector<uint32_t> words;
    try {
        words.resize(size / 4);
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
    std::copy(std::begin(head), std::end(head), words.begin());
    err = ReadPayload(riff, words.data() + kLimitHeadWords, size - headBytes);
    if (err != kNoErr) return err;
    SwapEndiansArray4(words.data() + kLimitHeadWords, long(words.size()) - kLimitHeadWords);
    return SetLimitTable(key == Key("wlim") ? 1 : 0, words.data(), words.size());
}

long CCrossSpectraShort::ReadSourceNameChunk(CRiff& riff, unsigned long size) {
    const unsigned long length = std::min<unsigned long>(size, kSourceNameMax);
    const long err = ReadPayload(riff, mszSourceName, length);
    mszSourceName[err == kNoErr ? length : 0] = 0;
    return err;
}

void CCrossSpectraShort::ApplySignBits() {
    if (!mbHaveCells || mSignBits.empty()) return;
    const long nDoppler = AllocatedDopplerCells();
    const size_t mapBytes = size_t(nDoppler + 7) / 8;
    for (long r = 0; r < AllocatedRangeCells(); ++r) {
        const uint8_t* maps = mSignBits.data() + size_t(r) * kSignMapsPerCell * mapBytes;
        for (long m = 0; m < kSignMapsPerCell; ++m) {
            const uint8_t* bits = maps + size_t(m) * mapBytes;
            float* values = CellArray(mpCells[r], kSignMaps[m].array);
            for (long d = 0; d < nDoppler; ++d) {
                if (bits[d / 8] & (1u << (d % 8))) {
                    float& value = values[2 * d + kSignMaps[m].component];
                    value = -value;
                }
            }
        }
    }
}
