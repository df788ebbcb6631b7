#pragma once
// printf-style formatting: the one way rows, lines and keyword values are
// built before they are written. `snprintf` with the same format is the
// reference for every byte; the conversions the writers use most (%d, %ld,
// %f, %s, %c with flags, width and precision) take a faster route that is
// checked against it value by value.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

// vsnprintf's contract: writes at most size - 1 characters and a terminating
// 0 (nothing when size is 0) and returns the length the whole text has.
int FormatIntoV(char* buffer, size_t size, const char* format, va_list args);
int FormatInto(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Appends to a growing text, so that nothing is cut by a fixed buffer.
void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A double as an unsigned 32-bit count: NaN and negatives give 0, values
// beyond the range the largest count.
uint32_t ClampToUInt32(double value);
