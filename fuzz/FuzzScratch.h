#pragma once
// Scratch files for the fuzz targets. Readers that take a path get the input
// through one file made once per process and rewritten for every input, so a
// long run does not leave a file per input behind. Every scratch file lives
// in a folder of its own that is removed when the process ends.

#include <cstddef>
#include <cstdint>

// Path of scratch file `slot` (0 is the input), valid for the whole run.
const char* FuzzScratchPath(int slot);

// Rewrites scratch file `slot` with `size` bytes; its path.
const char* FuzzWriteScratch(int slot, const uint8_t* data, size_t size);

// The bytes as a NUL-terminated text (bytes after an embedded NUL stay, the
// reader simply stops there).
struct FuzzText {
    FuzzText(const uint8_t* data, size_t size);
    ~FuzzText();
    FuzzText(const FuzzText&) = delete;
    FuzzText& operator=(const FuzzText&) = delete;
    char* text;
};

// 1 when a and b are equal, both NaN, or closer than `tolerance` relative to
// the larger magnitude (text formats hold a limited number of digits).
bool FuzzSameNumber(double a, double b, double tolerance);

// Reports a broken property and aborts, so the fuzzer keeps the input.
[[noreturn]] void FuzzFail(const char* what, long index, double a, double b);
