#pragma once
// printf-style formatting onto a growing text: the one way rows and lines of
// any length are built before they are written, so that nothing is cut by a
// fixed buffer.

#include <cstdint>
#include <string>

void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A double as an unsigned 32-bit count: NaN and negatives give 0, values
// beyond the range the largest count.
uint32_t ClampToUInt32(double value);
