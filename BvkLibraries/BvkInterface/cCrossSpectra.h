#pragma once
// The Doppler cross spectra of one measurement in memory: a versioned header
// (kept in the machine's byte order) and, per range cell, the self spectra of
// the three receive antennas, their three cross spectra and a quality array,
// plus the two Bragg-limit tables.
//
// The header grows by versions; each version adds fields and an extent word
// that counts the header bytes after it. Its version follows from its length:
// 10 bytes version 1, 16 version 2, 24 version 3, 72 version 4, 100 or more
// version 5. Values a header does not hold read as their defaults.

#include <cstddef>
#include <cstdint>

// One range cell: seven arrays of nDoppler entries (16 spare entries each).
// The cross spectra hold pairs: first component, second component.
struct XCsa4RangeCell {
    float* mpAntenna1;
    float* mpAntenna2;
    float* mpAntenna3;
    float* mpCross12;
    float* mpCross13;
    float* mpCross23;
    float* mpQuality;
};

// The first 100 header bytes, laid out as in the file.
#pragma pack(push, 2)
struct XCsa5Header {
    int16_t mnVersion;
    uint32_t mnTimeStamp;   // seconds since 1904
    int32_t mnExtent1;      // header length - 10
    int16_t mnSpectraKind;  // 1: six arrays per cell, 2: seven (with quality)
    int32_t mnExtent2;      // header length - 16
    uint32_t mnSiteCode;
    int32_t mnExtent3;  // header length - 24
    int32_t mnReserved4[3];
    float mfReserved4;
    float mfSweepRateHz;
    float mfBandwidthKHz;
    int32_t mbSweepUp;  // 0: sweeping down
    int32_t mnDopplerCells;
    int32_t mnRangeCells;
    int32_t mnFirstRangeCell;
    float mfRangeCellKm;
    int32_t mnExtent4;  // header length - 72
    int32_t mnReserved5;
    uint32_t mnOwnerCode;
    uint32_t mnOwnerVersion;
    int32_t mnChannels;
    int32_t mnChannelsUsed;
    int32_t mnChannelMask;
    int32_t mnExtent5;  // header length - 100
};
#pragma pack(pop)
static_assert(sizeof(XCsa5Header) == 100);
static_assert(offsetof(XCsa5Header, mnExtent1) == 6);
static_assert(offsetof(XCsa5Header, mnExtent2) == 12);
static_assert(offsetof(XCsa5Header, mnExtent3) == 20);
static_assert(offsetof(XCsa5Header, mfSweepRateHz) == 40);
static_assert(offsetof(XCsa5Header, mnDopplerCells) == 52);
static_assert(offsetof(XCsa5Header, mnExtent4) == 68);
static_assert(offsetof(XCsa5Header, mnExtent5) == 96);

// Header lengths of the versions, and the longest header accepted.
constexpr long kCsaHeaderV1 = 10;
constexpr long kCsaHeaderV2 = 16;
constexpr long kCsaHeaderV3 = 24;
constexpr long kCsaHeaderV4 = 72;
constexpr long kCsaHeaderV5 = 100;
constexpr long kCsaMaxExtent = 65536;
constexpr long kCsaMaxHeader = kCsaMaxExtent + kCsaHeaderV1;

// Bragg-limit tables: a head of eight words (word 1 the entry count, word 5
// the Doppler cell count the limits refer to), then four Doppler cell numbers
// per range cell.
constexpr long kLimitHeadWords = 8;
constexpr long kLimitCountWord = 1;
constexpr long kLimitDopplerWord = 5;
constexpr long kLimitEntryWords = 4;
constexpr unsigned long kMaxAlimEntries = 16384;
constexpr unsigned long kMaxWAlimEntries = 4096;

// The largest spectra a reader allocates: real radars stay far below.
constexpr long kMaxDopplerCells = 65536;
constexpr long kMaxRangeCells = 8192;
constexpr unsigned long long kMaxCellBytes = 256ull << 20;

class CCrossSpectra {
  public:
    CCrossSpectra();
    virtual ~CCrossSpectra();
    CCrossSpectra(const CCrossSpectra&) = delete;
    CCrossSpectra& operator=(const CCrossSpectra&) = delete;

    // The header's counts; 512 and 31 without a header of at least 72 bytes
    // or for values below 1.
    long NumberOfDopplerCells() const;
    long NumberOfRangeCells() const;
    // The header's first range cell number (1 when not given).
    long FirstRangeCell() const;
    // 1 or 2 (2: each cell carries a quality array).
    long SpectraKind() const;
    // Bytes per Doppler cell in a full file: 36, or 40 with quality.
    long BytesPerDopplerCell() const;

    // Cell `index` of the allocated cells; null (and -50) out of range.
    long GetRangeCellPtr(long index, XCsa4RangeCell** cell);
    // A header of `size` bytes with every default of its version.
    long AllocateHeader(long size);
    // A header from bytes already in the machine's byte order.
    long SetHeader(const void* bytes, long size);
    // At most 100 header bytes into a zeroed record; -39 without a header.
    long GetCsa5Header(XCsa5Header* out) const;
    // Cells for the header's counts, zero-filled; -108 when memory runs out
    // (or the counts ask for more than a reader ever allocates).
    long AllocateRangeCells();
    long GetAlimSize() const;
    long GetWAlimSize() const;
    // Header plus cells (36 or 40 bytes per Doppler cell), plus both limit
    // tables when asked.
    long GetSpectraSize(long bWithLimits) const;
    long ConvertCellsToVoltages(double dbReference, long bCrossInDecibelPairs);
    void Clear();

    // Installs a limit table from its words in the machine's byte order
    // (head and entries), making the entries array numbers. Refused (-50)
    // unless `words` holds exactly the head's entry count.
    long SetLimitTable(long bWave, const uint32_t* words, unsigned long wordCount);

    // Reverses the byte order of a header of `size` bytes by its version.
    static long SwapHeader(void* bytes, long size);
    // The version a header of `size` bytes has (0 below 10 bytes).
    static long HeaderVersionForSize(long size);

    // Cells allocated and their Doppler count (0 when none).
    long AllocatedRangeCells() const { return mnCellCount; }
    long AllocatedDopplerCells() const { return mnCellDoppler; }

    int32_t mnStatus;
    int32_t mbInDecibels;
    uint32_t mnHeaderSize;
    uint8_t* mpHeader;
    XCsa4RangeCell* mpCells;
    uint32_t* mpAlim;
    uint32_t* mpWAlim;

  protected:
    // A header field, or `fallback` when the header does not reach it.
    int32_t HeaderLong(long offset, int32_t fallback) const;
    void FreeCells();

  private:
    float* mpCellValues;
    long mnCellCount;
    long mnCellDoppler;
};
