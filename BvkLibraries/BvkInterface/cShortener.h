#pragma once
// The expander of compressed spectra arrays. A compressed array is a byte
// stream of codes producing signed 32-bit integers through a running value
// that starts at 0; the integers are then scaled to floats between mfMin and
// mfMax in mfSteps steps, the integer equal to the step count standing for a
// missing value (NaN).
//
//   0x81 n  n+1 signed  8-bit deltas    0x89  one signed  8-bit delta
//   0x82 n  n+1 signed 16-bit deltas    0x8A  one signed 16-bit delta
//   0xA4 n  n+1 signed 24-bit deltas    0xAC  one signed 24-bit delta
//   0x94 n  n+1 absolute 32-bit values  0x9C  one absolute 32-bit value
//
// Multi-byte items are big-endian; any other code byte is skipped. Expansion
// stops at the end of the bytes or when the output is full, also in the
// middle of a code whose items the bytes do not hold.

#include <cstdint>

class CShortener {
  public:
    CShortener();
    virtual ~CShortener();
    CShortener(const CShortener&) = delete;
    CShortener& operator=(const CShortener&) = delete;

    // Room for `count` values (what one expansion produces at most).
    long SetCapacity(unsigned long count);
    void SetScale(long kind, float min, float max, float steps);
    // A buffer of `length` bytes for the encoded stream (null when memory
    // runs out); Expand reads exactly those bytes.
    unsigned char* PrepareEncoded(unsigned long length);
    // Copies `length` encoded bytes and expands them.
    long ExpandBytes(const unsigned char* bytes, unsigned long length);
    // Expands the prepared bytes: mnValues integers into the work array and
    // their scaled floats into the output array.
    long Expand();

    const float* Values() const { return mpValues; }
    const int32_t* Integers() const { return mpIntegers; }

    int32_t mnScaleKind;
    float mfMin;
    float mfMax;
    float mfSteps;
    uint32_t mnValues;
    uint32_t mnCapacity;
    float* mpValues;
    int32_t* mpIntegers;
    unsigned char* mpEncoded;
    uint32_t mnEncodedCapacity;
    uint32_t mnEncodedLength;

  private:
    void ExpandIntegers();
    void ScaleValues();
};
