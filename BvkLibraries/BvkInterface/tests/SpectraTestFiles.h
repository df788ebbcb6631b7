#pragma once
// Writers of cross spectra test files, built from the file layouts in
// big-endian byte order: a byte buffer with big-endian fields, a nested chunk
// writer that remembers where every size field is (so tests can make each of
// them lie in turn), a full-form header and a test spectra model that can be
// written in both the full and the reduced form.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace spectra_test {

// Overwrites the big-endian word at `at`.
inline void PutWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (24 - 8 * i));
}

class CBigEndianBytes {
  public:
    void U8(uint8_t v) { mBytes.push_back(v); }
    void U16(uint16_t v) {
        U8(uint8_t(v >> 8));
        U8(uint8_t(v));
    }
    void U32(uint32_t v) {
        U16(uint16_t(v >> 16));
        U16(uint16_t(v));
    }
    void I16(int16_t v) { U16(uint16_t(v)); }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void F32(float v) {
        uint32_t w;
        std::memcpy(&w, &v, 4);
        U32(w);
    }
    void F64(double v) {
        uint64_t w;
        std::memcpy(&w, &v, 8);
        U32(uint32_t(w >> 32));
        U32(uint32_t(w));
    }
    void Key(const char* k) {
        for (int i = 0; i < 4; ++i) U8(uint8_t(k[i]));
    }
    void Raw(const std::vector<uint8_t>& b) { mBytes.insert(mBytes.end(), b.begin(), b.end()); }
    void PatchU32(size_t at, uint32_t v) { PutWord(mBytes, at, v); }
    size_t Size() const { return mBytes.size(); }

    std::vector<uint8_t> mBytes;
};

// Chunks: key, big-endian payload size, payload. Begin/End nest containers.
class CChunkWriter : public CBigEndianBytes {
  public:
    void Begin(const char* key) {
        Key(key);
        mOpen.push_back(Size());
        mSizeFields.push_back(Size());
        U32(0);
    }
    void End() {
        const size_t at = mOpen.back();
        mOpen.pop_back();
        PatchU32(at, uint32_t(Size() - at - 4));
    }
    void Chunk(const char* key, const std::vector<uint8_t>& payload) {
        Key(key);
        mSizeFields.push_back(Size());
        U32(uint32_t(payload.size()));
        Raw(payload);
    }

    std::vector<size_t> mOpen;
    std::vector<size_t> mSizeFields;  // offset of every chunk's size word
};

// One container of plain chunks, in the order given.
inline std::vector<uint8_t> Container(
    const char* key, std::initializer_list<std::pair<const char*, std::vector<uint8_t>>> chunks) {
    CChunkWriter w;
    w.Begin(key);
    for (const auto& [chunkKey, payload] : chunks) w.Chunk(chunkKey, payload);
    w.End();
    return w.mBytes;
}

// Header of a full file, version 5 (100 bytes) unless `length` asks for more.
struct XHeaderFields {
    int16_t version = 5;
    uint32_t timeStamp = 3'500'000'000u;
    int16_t kind = 2;
    const char* site = "MARG";
    float sweepRateHz = 2.0f;
    float bandwidthKHz = 25.0f;
    int32_t sweepUp = 0;
    int32_t nDoppler = 8;
    int32_t nRange = 3;
    int32_t firstRange = 1;
    float rangeKm = 5.8f;
    long length = 100;
};

// Offsets of the header words tests change.
constexpr size_t kExtent1At = 6, kExtent2At = 12, kExtent3At = 20, kExtent4At = 68, kExtent5At = 96,
                 kDopplerAt = 52, kRangeAt = 56, kFirstRangeAt = 60;

inline std::vector<uint8_t> FullHeader(const XHeaderFields& f) {
    CBigEndianBytes b;
    const int32_t len = int32_t(f.length);
    b.I16(f.version);
    b.U32(f.timeStamp);
    b.I32(len - 10);
    b.I16(f.kind);
    b.I32(len - 16);
    b.Key(f.site);
    b.I32(len - 24);
    b.I32(0), b.I32(0), b.I32(0);
    b.F32(0.0f);
    b.F32(f.sweepRateHz);
    b.F32(f.bandwidthKHz);
    b.I32(f.sweepUp);
    b.I32(f.nDoppler);
    b.I32(f.nRange);
    b.I32(f.firstRange);
    b.F32(f.rangeKm);
    b.I32(len - 72);
    b.I32(0);
    b.Key("XXXX");
    b.Key("1.00");
    b.I32(3), b.I32(3), b.I32(7);
    b.I32(len - 100);
    while (b.Size() < size_t(len)) b.U8(0xEE);  // fields of later versions
    b.mBytes.resize(size_t(len));               // a shorter version ends early
    return b.mBytes;
}

// A 'scal' payload: one linear scale of `steps` steps from `min` to `max`.
inline std::vector<uint8_t> Scale(float min, float max, float steps) {
    CBigEndianBytes b;
    b.I32(1), b.F32(min), b.F32(max), b.F32(steps);
    return b.mBytes;
}

// Spectra given as integers on a decibel scale, so that the reduced form
// carries them exactly: a value i stands for kMin + i * (kMax - kMin) / kSteps
// decibels.
struct XTestSpectra {
    static constexpr float kMin = -200.0f;
    static constexpr float kMax = 0.0f;
    static constexpr float kSteps = 20000.0f;  // 0.01 dB per step
    static constexpr double kReference = -40.0;

    int nDoppler = 8;
    int nRange = 3;
    int firstRange = 1;

    // A pattern that varies with every index; about a third of the cross
    // components are negative (their signs travel apart in the reduced form).
    static int32_t Self(int r, int a, int d) { return 9000 + 700 * r + 131 * d - 40 * a * d; }
    static int32_t Cross(int r, int p, int d, int c) {
        return 8000 + 300 * r - 97 * d + 50 * p + 13 * c;
    }
    static bool Negative(int r, int p, int d, int c) { return (r + d + p + c) % 3 == 0; }
    static float Quality(int r, int d) { return 0.25f * float(d + r); }

    static double Volts(int32_t i) {
        return std::pow(10.0, (kMin + i * double(kMax - kMin) / kSteps + kReference) / 10.0);
    }
    static double CrossVolts(int r, int p, int d, int c) {
        const double v = Volts(Cross(r, p, d, c));
        return Negative(r, p, d, c) ? -v : v;
    }
};

// The full form of the spectra (kind 2, with quality), as voltages.
inline std::vector<uint8_t> FullFile(const XTestSpectra& s, XHeaderFields f = {}) {
    f.nDoppler = s.nDoppler;
    f.nRange = s.nRange;
    f.firstRange = s.firstRange;
    f.kind = 2;
    CBigEndianBytes b;
    b.Raw(FullHeader(f));
    for (int r = 0; r < s.nRange; ++r) {
        for (int a = 0; a < 3; ++a) {
            for (int d = 0; d < s.nDoppler; ++d) b.F32(float(XTestSpectra::Volts(s.Self(r, a, d))));
        }
        for (int p = 0; p < 3; ++p) {
            for (int d = 0; d < s.nDoppler; ++d) {
                for (int c = 0; c < 2; ++c) b.F32(float(s.CrossVolts(r, p, d, c)));
            }
        }
        for (int d = 0; d < s.nDoppler; ++d) b.F32(s.Quality(r, d));
    }
    return b.mBytes;
}

// Integers as a compressed array: the first as an absolute value, the rest
// as 16-bit deltas in runs of at most 256.
inline std::vector<uint8_t> Encode(const std::vector<int32_t>& values) {
    CBigEndianBytes b;
    if (values.empty()) return {};
    b.U8(0x9C);
    b.I32(values[0]);
    size_t i = 1;
    while (i < values.size()) {
        const size_t run = std::min<size_t>(256, values.size() - i);
        b.U8(0x82);
        b.U8(uint8_t(run - 1));
        for (size_t k = 0; k < run; ++k, ++i) b.I16(int16_t(values[i] - values[i - 1]));
    }
    return b.mBytes;
}

// Where the reduced writer put the numbers tests make lie.
struct XReducedLayout {
    std::vector<size_t> sizeFields;
    size_t limitCountField = 0;  // word 1 of the 'alim' table
    size_t headerAt = 0;         // first byte of the 'cs4h' payload
};

// The limit table written into reduced files: entries per range cell.
inline std::vector<uint8_t> LimitTable(int entries, int nDoppler) {
    CBigEndianBytes b;
    b.U32(0);
    b.U32(uint32_t(entries));
    b.U32(0), b.U32(0), b.U32(0);
    b.U32(uint32_t(nDoppler));
    b.U32(0), b.U32(0);
    for (int e = 0; e < entries; ++e) {
        b.I32(2 + e), b.I32(3 + e), b.I32(-1 - e), b.I32(1 + e);
    }
    return b.mBytes;
}

// The reduced form: 'CSSY' (cross spectra as two decibel components with
// sign bits), the cells inside a 'BODY' container, cell data after 'indx'.
inline std::vector<uint8_t> ReducedFile(const XTestSpectra& s, XReducedLayout* layout = nullptr,
                                        const char* form = "CSSY") {
    XHeaderFields f;
    f.nDoppler = s.nDoppler;
    f.nRange = s.nRange;
    f.firstRange = s.firstRange;
    f.kind = 2;
    CChunkWriter w;
    XReducedLayout at;
    w.Begin(form);
    at.headerAt = w.Size() + 8;
    w.Chunk("cs4h", FullHeader(f));
    {
        w.Chunk("scal", Scale(XTestSpectra::kMin, XTestSpectra::kMax, XTestSpectra::kSteps));
        CBigEndianBytes reference;
        reference.F64(XTestSpectra::kReference);
        w.Chunk("dbrf", reference.mBytes);
    }
    w.Chunk("srcn", {'C', 'S', 'S', '_', 'M', 'A', 'R', 'G'});
    w.Begin("BODY");
    const char* selfKeys[] = {"cs1a", "cs2a", "cs3a"};
    const char* firstKeys[] = {"c12r", "c13r", "c23r"};
    const char* secondKeys[] = {"c12i", "c13i", "c23i"};
    // Sign maps in file order: 1x3, 2x3, 1x2 (pairs 1, 2, 0), first then second.
    const int signPairs[] = {1, 1, 2, 2, 0, 0};
    for (int r = 0; r < s.nRange; ++r) {
        CBigEndianBytes index;
        index.I32(s.firstRange + r);
        w.Chunk("indx", index.mBytes);
        for (int a = 0; a < 3; ++a) {
            std::vector<int32_t> values(s.nDoppler);
            for (int d = 0; d < s.nDoppler; ++d) values[d] = s.Self(r, a, d);
            w.Chunk(selfKeys[a], Encode(values));
        }
        for (int p = 0; p < 3; ++p) {
            for (int c = 0; c < 2; ++c) {
                std::vector<int32_t> values(s.nDoppler);
                for (int d = 0; d < s.nDoppler; ++d) values[d] = s.Cross(r, p, d, c);
                w.Chunk(c == 0 ? firstKeys[p] : secondKeys[p], Encode(values));
            }
        }
        const int mapBytes = (s.nDoppler + 7) / 8;
        std::vector<uint8_t> signs(6 * mapBytes, 0);
        for (int m = 0; m < 6; ++m) {
            for (int d = 0; d < s.nDoppler; ++d) {
                if (s.Negative(r, signPairs[m], d, m % 2)) {
                    signs[m * mapBytes + d / 8] |= uint8_t(1 << (d % 8));
                }
            }
        }
        w.Chunk("csgn", signs);
        // Quality on the scale 0..10 in 10000 steps (the step count itself
        // would be a missing value).
        std::vector<int32_t> quality(s.nDoppler);
        for (int d = 0; d < s.nDoppler; ++d) {
            quality[d] = int32_t(std::lround(s.Quality(r, d) * 1000));
        }
        w.Chunk("scal", Scale(0.0f, 10.0f, 10000.0f));
        w.Chunk("csqf", Encode(quality));
        w.Chunk("scal", Scale(XTestSpectra::kMin, XTestSpectra::kMax, XTestSpectra::kSteps));
    }
    w.End();
    at.limitCountField = w.Size() + 8 + 4;
    w.Chunk("alim", LimitTable(s.nRange, s.nDoppler));
    w.End();
    at.sizeFields = w.mSizeFields;
    if (layout) *layout = at;
    return w.mBytes;
}

}  // namespace spectra_test
