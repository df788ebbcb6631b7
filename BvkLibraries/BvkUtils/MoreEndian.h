#pragma once
// Byte-order reversal driven by a pattern text describing one record: `x`
// (or `X`) starts a group; `1` skips a byte; `2`, `4` and `8` reverse a 16-,
// 32- or 64-bit field; any other digit ends the processing. Other characters
// are ignored. The pattern is applied `count` times to consecutive records.

// Returns the number of bytes processed.
long SwapEndians(void* data, long count, const char* pattern);
// Reverses `count` consecutive 32-bit values.
void SwapEndiansArray4(void* data, long count);
