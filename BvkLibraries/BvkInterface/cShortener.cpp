#include "cShortener.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "BvkErrors.h"

namespace {

// The step count a scale starts with until one is read.
constexpr float kUnsetSteps = -2147483648.0f;

// Item width in bytes and whether the item replaces the running value.
struct XCode {
    unsigned char code;
    int width;
    bool counted;  // a count byte n follows: n + 1 items
    bool absolute;
};

constexpr XCode kCodes[] = {
    {0x81, 1, true, false},  {0x82, 2, true, false},  {0xA4, 3, true, false},
    {0x94, 4, true, true},   {0x89, 1, false, false}, {0x8A, 2, false, false},
    {0xAC, 3, false, false}, {0x9C, 4, false, true},
};

const XCode* FindCode(unsigned char code) {
    for (const auto& c : kCodes) {
        if (c.code == code) return &c;
    }
    return nullptr;
}

// A big-endian signed item of 1 to 4 bytes, as the 32-bit bit pattern.
uint32_t ReadItem(const unsigned char* bytes, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | bytes[i];
    const int unusedBits = 32 - 8 * width;
    if (unusedBits > 0 && (value & (1u << (8 * width - 1)))) {
        value |= ~0u << (8 * width);  // sign extension
    }
    return value;
}

}  // namespace

CShortener::CShortener()
    : mnScaleKind(1),
      mfMin(0.0f),
      mfMax(1.0f),
      mfSteps(kUnsetSteps),
      mnValues(0),
      mnCapacity(0),
      mpValues(nullptr),
      mpIntegers(nullptr),
      mpEncoded(nullptr),
      mnEncodedCapacity(0),
      mnEncodedLength(0) {}

CShortener::~CShortener() {
    delete[] mpValues;
    delete[] mpIntegers;
    delete[] mpEncoded;
}

long CShortener::SetCapacity(unsigned long count) {
    if (count > std::numeric_limits<uint32_t>::max()) return kErrBadArgument;
    float* values = new (std::nothrow) float[count + 1]();
    int32_t* integers = new (std::nothrow) int32_t[count + 1]();
    if (!values || !integers) {
        delete[] values;
        delete[] integers;
        return kErrOutOfMemory;
    }
    delete[] mpValues;
    delete[] mpIntegers;
    mpValues = values;
    mpIntegers = integers;
    mnCapacity = uint32_t(count);
    mnValues = 0;
    return kNoErr;
}

void CShortener::SetScale(long kind, float min, float max, float steps) {
    mnScaleKind = int32_t(kind);
    mfMin = min;
    mfMax = max;
    mfSteps = steps;
}

unsigned char* CShortener::PrepareEncoded(unsigned long length) {
    if (length > std::numeric_limits<uint32_t>::max()) return nullptr;
    if (length > mnEncodedCapacity || !mpEncoded) {
        unsigned char* buffer = new (std::nothrow) unsigned char[length + 1];
        if (!buffer) return nullptr;
        delete[] mpEncoded;
        mpEncoded = buffer;
        mnEncodedCapacity = uint32_t(length);
    }
    mnEncodedLength = uint32_t(length);
    return mpEncoded;
}

long CShortener::ExpandBytes(const unsigned char* bytes, unsigned long length) {
    if (!bytes && length > 0) return kErrBadArgument;
    unsigned char* buffer = PrepareEncoded(length);
    if (!buffer) return kErrOutOfMemory;
    if (length > 0) std::memcpy(buffer, bytes, length);
    return Expand();
}

long CShortener::Expand() {
    mnValues = 0;
    if (!mpValues || !mpIntegers) return kNoErr;
    ExpandIntegers();
    ScaleValues();
    return kNoErr;
}

void CShortener::ExpandIntegers() {
    const unsigned char* bytes = mpEncoded;
    const uint32_t length = mpEncoded ? mnEncodedLength : 0;
    uint32_t at = 0;
    // Unsigned arithmetic: a damaged stream may run the value past 32 bits,
    // which wraps instead of being undefined.
    uint32_t running = 0;
    while (at < length && mnValues < mnCapacity) {
        const XCode* code = FindCode(bytes[at++]);
        if (!code) continue;
        uint32_t items = 1;
        if (code->counted) {
            if (at >= length) break;
            items = uint32_t(bytes[at++]) + 1;
        }
        for (uint32_t i = 0; i < items && mnValues < mnCapacity; ++i) {
            if (length - at < uint32_t(code->width)) return;
            const uint32_t item = ReadItem(bytes + at, code->width);
            at += uint32_t(code->width);
            running = code->absolute ? item : running + item;
            mpIntegers[mnValues++] = int32_t(running);
        }
    }
}

void CShortener::ScaleValues() {
    // The step count as an integer marks a missing value; a count that is
    // not a finite integer marks none (and makes every value missing when it
    // cannot scale at all).
    const double steps = mfSteps;
    const bool scaled = std::isfinite(steps) && steps != 0.0;
    const bool hasMarker = std::isfinite(steps) && std::fabs(steps) < 9.0e18;
    const uint32_t marker = hasMarker ? uint32_t(int64_t(steps)) : 0;
    const double step = scaled ? (double(mfMax) - double(mfMin)) / steps : 0.0;
    for (uint32_t i = 0; i < mnValues; ++i) {
        const int32_t n = mpIntegers[i];
        if (!scaled || (hasMarker && uint32_t(n) == marker)) {
            mpValues[i] = std::numeric_limits<float>::quiet_NaN();
        } else {
            mpValues[i] = float(mfMin + n * step);
        }
    }
}
