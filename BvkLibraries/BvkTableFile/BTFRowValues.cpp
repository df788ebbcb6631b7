#include "BTFRowValues.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = kOnes * 0x80;
constexpr uint64_t kLows = kOnes * 0x7F;

// The high bit of every byte of `word` that is zero, and of no other.
uint64_t ZeroBytes(uint64_t word) {
    return ~(((word & kLows) + kLows) | word) & kHighs;
}

// The high bit of every byte that is neither a blank nor a tab.
uint64_t ValueBytes(uint64_t word) {
    return ~(ZeroBytes(word ^ (kOnes * ' ')) | ZeroBytes(word ^ (kOnes * '\t'))) & kHighs;
}

// Eight characters with the first in the lowest byte, whatever the machine.
uint64_t LoadWord(const char* text) {
    uint64_t word;
    std::memcpy(&word, text, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

}  // namespace

XRowValues WalkRowValues(const char* row, long column) {
    XRowValues values;
    if (row == nullptr) return values;
    const size_t length = std::strlen(row);
    size_t at = 0;
    uint64_t before = 0;  // high bit of the lowest byte: the character before is in a value
    for (; at + 8 <= length; at += 8) {
        const uint64_t inValue = ValueBytes(LoadWord(row + at));
        // A value starts where a value character follows a blank one.
        uint64_t starts = inValue & ~((inValue << 8) | before);
        before = inValue >> 56;
        // One bit a byte at most: a multiplication adds them up in the top
        // byte (std::popcount is a library call on the baseline instruction set).
        const long found = static_cast<long>(((starts >> 7) * kOnes) >> 56);
        if (column >= values.count && column < values.count + found) {
            for (long skip = column - values.count; skip > 0; --skip) starts &= starts - 1;
            values.atColumn = row + at + std::countr_zero(starts) / 8;
        }
        values.count += found;
    }
    bool inValue = before != 0;
    for (; at < length; ++at) {
        const bool blank = row[at] == ' ' || row[at] == '\t';
        if (!blank && !inValue) {
            if (values.count == column) values.atColumn = row + at;
            ++values.count;
        }
        inValue = !blank;
    }
    return values;
}
