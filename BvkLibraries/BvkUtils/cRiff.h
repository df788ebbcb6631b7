#pragma once
// A file made of nested chunks: each chunk is a four-character key, a 32-bit
// payload size and the payload, both big-endian. A chunk whose key is four
// upper-case letters is a container whose payload is a sequence of chunks;
// the whole file is one container whose key names the file kind.
//
// Reading walks the chunks of one level with ReadNextKey (a payload that was
// not read is skipped), descends with EnterSubKey and climbs with ExitSubKey.
// kErrEndOfLevel (-2046) says that the level (or the chunk's payload) is used
// up. Every chunk must lie inside its container and the file: a size that
// reaches past them is refused with kErrEndOfFile before anything of it is
// read, so a lying size never moves a reader outside the file.

#include <cstdint>

#include "cFile.h"

// One open level: the container's key, its payload size, the file position
// of its 8-byte header and the payload bytes already consumed.
struct XRiffLevel {
    uint32_t mnKey;
    uint32_t mnSize;
    uint32_t mnStart;
    uint32_t mnUsed;
};

constexpr long kRiffMaxLevels = 256;
constexpr long kRiffHeaderBytes = 8;

class CRiff : public CFile {
  public:
    CRiff();
    ~CRiff() override;
    CRiff(const CRiff&) = delete;
    CRiff& operator=(const CRiff&) = delete;

    // 1 for the keys the format knows.
    virtual long RecognizeKey(unsigned long key);
    // 1 when `size` is the payload size `key` must have.
    virtual long ValidateSize(unsigned long key, unsigned long size);
    // 1 when all four characters are upper-case letters (a container).
    virtual long IsSubKey(unsigned long key);

    long OpenRiffFile(CFileSpec* spec);
    // Moves to the next chunk of the current level. When `data` is given and
    // *size holds a byte count on entry, up to that many payload bytes are
    // read at once. *key and *size receive the chunk's key and payload size.
    long ReadNextKey(unsigned long* key, unsigned long* size, void* data);
    // Up to `count` bytes of the current chunk's payload, never past its end.
    long ReadMoreData(unsigned long count, void* data, unsigned long* got);
    long EnterSubKey();
    long ExitSubKey();
    long GetCurrentSubKeyLevel() const { return mnLevel; }
    long IsSwapEndian() const { return mbSwap; }
    // Leaves every open level (patching sizes when writing) and closes.
    long CloseFile();

    uint32_t mnFormKey;
    int32_t mbWriting;
    uint32_t mnLevel;
    XRiffLevel* mpLevels;
    uint32_t mnKey;
    uint32_t mnSize;
    uint32_t mnStart;
    uint32_t mnUsed;
    uint32_t mnByteOrder;
    uint32_t mnFloatFormat;
    int32_t mbSwap;
    uint32_t mnFileSize;

  private:
    void ForgetChunk();
    // File position just after the payload of the innermost open container,
    // or the file's length at the top.
    uint64_t LevelEnd() const;
    uint32_t DecodeWord(const unsigned char* bytes) const;
    void EncodeWord(uint32_t value, unsigned char* bytes) const;
    long PatchContainerSize(const XRiffLevel& level);

    bool mbChunkCurrent;
};
