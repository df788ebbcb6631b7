#include "cRiff.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "BvkErrors.h"

namespace {

constexpr uint32_t RiffKey(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

// Sizes that never fit a chunk, so "any size" is told apart from a fixed one.
constexpr unsigned long kAnySize = ~0ul;
constexpr unsigned long kOtherKey = ~0ul - 1;

struct XKeySize {
    uint32_t key;
    unsigned long size;
};

// The keys the format knows and the payload size each must have.
constexpr XKeySize kKnownKeys[] = {
    {RiffKey("riff"), kOtherKey}, {RiffKey("HEAD"), kOtherKey}, {RiffKey("BODY"), kOtherKey},
    {RiffKey("TAIL"), kOtherKey}, {RiffKey("bend"), 0},         {RiffKey("lend"), 0},
    {RiffKey("ieee"), 0},         {RiffKey("sane"), 0},         {RiffKey("sign"), kOtherKey},
    {RiffKey("text"), kAnySize},  {RiffKey("lstr"), kAnySize},  {RiffKey("chan"), 4},
    {RiffKey("chns"), 4},         {RiffKey("cols"), 4},         {RiffKey("rows"), 4},
    {RiffKey("ncol"), 4},         {RiffKey("nrow"), 4},         {RiffKey("smpl"), 4},
    {RiffKey("days"), 4},         {RiffKey("secs"), 4},         {RiffKey("mins"), 4},
    {RiffKey("msec"), 4},         {RiffKey("usec"), 4},         {RiffKey("mcda"), 4},
    {RiffKey("fibm"), 0},         {RiffKey("fbeg"), 8},         {RiffKey("fend"), 8},
    {RiffKey("finc"), 8},         {RiffKey("fbw "), 8},         {RiffKey("freq"), 8},
    {RiffKey("gps "), 24},
};

const XKeySize* FindKey(unsigned long key) {
    for (const auto& known : kKnownKeys) {
        if (known.key == key) return &known;
    }
    return nullptr;
}

}  // namespace

CRiff::CRiff()
    : mnFormKey(RiffKey("riff")),
      mbWriting(0),
      mnLevel(0),
      mpLevels(new (std::nothrow) XRiffLevel[kRiffMaxLevels]()),
      mnKey(0),
      mnSize(0),
      mnStart(0),
      mnUsed(0),
      mnByteOrder(RiffKey("bend")),
      mnFloatFormat(RiffKey("ieee")),
      mbSwap(1),
      mnFileSize(0),
      mbChunkCurrent(false) {}

CRiff::~CRiff() {
    CloseFile();
    delete[] mpLevels;
}

long CRiff::RecognizeKey(unsigned long key) {
    return FindKey(key) ? 1 : 0;
}

long CRiff::ValidateSize(unsigned long key, unsigned long size) {
    const XKeySize* known = FindKey(key);
    if (known && known->size == kAnySize) return 1;
    if (known && known->size != kOtherKey) return size == known->size ? 1 : 0;
    return size < mnFileSize ? 1 : 0;
}

long CRiff::IsSubKey(unsigned long key) {
    if (key > 0xFFFFFFFFul) return 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned long c = (key >> shift) & 0xFF;
        if (c < 'A' || c > 'Z') return 0;
    }
    return 1;
}

long CRiff::OpenRiffFile(CFileSpec* spec) {
    CloseFile();
    long err = OpenReadOnlyFile(spec);
    if (err != kNoErr) return err;
    const long long length = GetFileSize();
    // Chunk sizes and positions are 32-bit: a longer file cannot be walked.
    if (length < 0 || length > 0xFFFFFFFFll) {
        CFile::CloseFile();
        return kErrBadArgument;
    }
    mnFileSize = uint32_t(length);
    mnLevel = 0;
    mbSwap = 1;
    mbWriting = 0;
    ForgetChunk();
    return kNoErr;
}

long CRiff::ReadNextKey(unsigned long* key, unsigned long* size, void* data) {
    const unsigned long wanted = (data && size) ? *size : 0;
    if (key) *key = 0;
    if (size) *size = 0;
    if (mnRefNum == 0) return kErrBadArgument;

    const uint64_t next = mbChunkCurrent ? uint64_t(mnStart) + kRiffHeaderBytes + mnSize
                                         : uint64_t(std::max<int64_t>(mnPosition, 0));
    const uint64_t end = LevelEnd();
    ForgetChunk();
    if (next >= end) {
        MoveFilePointer((long long)end, 1);
        return mnLevel > 0 ? kErrEndOfLevel : kErrEndOfFile;
    }
    // Fewer bytes than a chunk header left in the level: the file is cut.
    if (end - next < uint64_t(kRiffHeaderBytes)) return kErrEndOfFile;

    MoveFilePointer((long long)next, 1);
    unsigned char header[kRiffHeaderBytes];
    unsigned long got = 0;
    long err = ReadFile(header, kRiffHeaderBytes, &got);
    if (err != kNoErr) return err;
    const uint32_t chunkKey = DecodeWord(header);
    const uint32_t chunkSize = DecodeWord(header + 4);
    // A payload that reaches past its container (or the file) is a lie.
    if (chunkSize > end - next - kRiffHeaderBytes) return kErrEndOfFile;

    mnKey = chunkKey;
    mnSize = chunkSize;
    mnStart = uint32_t(next);
    mnUsed = 0;
    mbChunkCurrent = true;
    if (mnLevel > 0) {
        XRiffLevel& level = mpLevels[mnLevel - 1];
        const uint64_t payloadStart = uint64_t(level.mnStart) + kRiffHeaderBytes;
        level.mnUsed = uint32_t(next + kRiffHeaderBytes + chunkSize - payloadStart);
    }
    if (key) *key = chunkKey;
    if (size) *size = chunkSize;
    if (wanted > 0 && chunkSize > 0) {
        return ReadMoreData(wanted, data, nullptr);
    }
    return kNoErr;
}

long CRiff::ReadMoreData(unsigned long count, void* data, unsigned long* got) {
    if (got) *got = 0;
    if (!mbChunkCurrent || count == 0 || !data) return kNoErr;
    const uint32_t left = mnSize - mnUsed;
    if (left == 0) return kErrEndOfLevel;
    const unsigned long n = std::min<unsigned long>(count, left);
    MoveFilePointer((long long)mnStart + kRiffHeaderBytes + mnUsed, 1);
    unsigned long read = 0;
    const long err = ReadFile(data, n, &read);
    mnUsed += uint32_t(read);
    if (got) *got = read;
    return err;
}

long CRiff::EnterSubKey() {
    if (!mbChunkCurrent || !mpLevels || mnLevel >= uint32_t(kRiffMaxLevels)) {
        return kErrBadArgument;
    }
    mpLevels[mnLevel] = XRiffLevel{mnKey, mnSize, mnStart, 0};
    ++mnLevel;
    MoveFilePointer((long long)mnStart + kRiffHeaderBytes, 1);
    ForgetChunk();
    return kNoErr;
}

long CRiff::ExitSubKey() {
    if (mnLevel == 0 || !mpLevels) return kNoErr;
    XRiffLevel level = mpLevels[--mnLevel];
    long err = kNoErr;
    if (mbWriting) {
        // What was written since the container's header is its payload.
        const int64_t payloadStart = int64_t(level.mnStart) + kRiffHeaderBytes;
        level.mnSize = uint32_t(std::max<int64_t>(mnPosition - payloadStart, 0));
        err = PatchContainerSize(level);
    }
    MoveFilePointer((long long)level.mnStart + kRiffHeaderBytes + level.mnSize, 1);
    mpLevels[mnLevel] = XRiffLevel{};
    ForgetChunk();
    return err;
}

long CRiff::CloseFile() {
    long result = kNoErr;
    if (mnRefNum != 0) {
        while (mnLevel > 0) {
            const long err = ExitSubKey();
            if (result == kNoErr) result = err;
        }
    }
    mnLevel = 0;
    if (mpLevels) std::fill(mpLevels, mpLevels + kRiffMaxLevels, XRiffLevel{});
    ForgetChunk();
    mbWriting = 0;
    const long err = CFile::CloseFile();
    return result != kNoErr ? result : err;
}

void CRiff::ForgetChunk() {
    mnKey = 0;
    mnSize = 0;
    mnStart = 0;
    mnUsed = 0;
    mbChunkCurrent = false;
}

uint64_t CRiff::LevelEnd() const {
    if (mnLevel == 0 || !mpLevels) return mnFileSize;
    const XRiffLevel& level = mpLevels[mnLevel - 1];
    return uint64_t(level.mnStart) + kRiffHeaderBytes + level.mnSize;
}

uint32_t CRiff::DecodeWord(const unsigned char* bytes) const {
    if (mbSwap) {
        return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
               uint32_t(bytes[3]);
    }
    uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void CRiff::EncodeWord(uint32_t value, unsigned char* bytes) const {
    if (mbSwap) {
        bytes[0] = uint8_t(value >> 24);
        bytes[1] = uint8_t(value >> 16);
        bytes[2] = uint8_t(value >> 8);
        bytes[3] = uint8_t(value);
        return;
    }
    std::memcpy(bytes, &value, sizeof value);
}

long CRiff::PatchContainerSize(const XRiffLevel& level) {
    const int64_t end = mnPosition;
    unsigned char word[4];
    EncodeWord(level.mnSize, word);
    MoveFilePointer((long long)level.mnStart + 4, 1);
    const long err = WriteFile(word, sizeof word, nullptr);
    MoveFilePointer(end, 1);
    return err;
}
