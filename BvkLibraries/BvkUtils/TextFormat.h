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

// One conversion specification as written in a format.
struct XFormatSpec {
    bool left = false, plus = false, space = false, zero = false, alternate = false;
    int width = 0;
    int precision = -1;  // -1: none given
    int longs = 0;       // number of 'l' modifiers
    char conversion = 0;
};

// A format of one "%f" or "%ld" conversion between literal texts, read once
// for values formatted many times (a table column's). Format gives the bytes
// FormatInto gives for the same format and value.
class CFormatOne {
  public:
    // False for any other format (the caller formats with FormatInto).
    bool Compile(const char* format);
    // -1, and nothing written, for a value of the other kind. Unlike
    // snprintf, the bytes after the terminator, up to `size`, may change.
    int Format(char* buffer, size_t size, double value) const;
    int Format(char* buffer, size_t size, long value) const;

  private:
    static constexpr size_t kMaxLiteral = 15;
    static constexpr size_t kQuickCopy = 32;
    static constexpr size_t kFieldRoom = 128;
    // Puts the prefix before the field that runs from `start` to `end` of a
    // scratch array and the suffix after it, and the whole into `buffer`.
    int PutWithLiterals(char* buffer, size_t size, char* start, char* end) const;
    enum class XKind : char { kNone, kDouble, kLong };
    XKind mKind = XKind::kNone;
    XFormatSpec mSpec;
    // The prefix ends its array and the suffix starts its array, so that
    // both are copied whole, in one fixed-size move each.
    char mPrefix[kMaxLiteral + 1] = {};
    char mSuffix[kMaxLiteral + 1] = {};
    size_t mPrefixLength = 0;
    size_t mSuffixLength = 0;
};

// A double as an unsigned 32-bit count: NaN and negatives give 0, values
// beyond the range the largest count.
uint32_t ClampToUInt32(double value);
