#include "TextFormat.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace {

// The output of one call: counts every character, stores what fits.
struct XSink {
    char* out;
    size_t room;  // characters that may still be stored (the 0 excluded)
    size_t length = 0;

    void Put(const char* text, size_t n) {
        const size_t take = n < room ? n : room;
        if (take) {
            std::memcpy(out, text, take);
            out += take;
            room -= take;
        }
        length += n;
    }
    void Fill(char c, size_t n) {
        const size_t take = n < room ? n : room;
        if (take) {
            std::memset(out, c, take);
            out += take;
            room -= take;
        }
        length += n;
    }
};

using XSpec = XFormatSpec;

// Reads one specification after its '%'. With `args` the '*' width and
// precision are taken from the arguments, without them they read as 0.
// `usable` is cleared for what only vsnprintf knows how to take.
const char* ReadSpec(const char* p, XSpec& spec, va_list* args, bool& usable) {
    for (;; ++p) {
        if (*p == '-')
            spec.left = true;
        else if (*p == '+')
            spec.plus = true;
        else if (*p == ' ')
            spec.space = true;
        else if (*p == '0')
            spec.zero = true;
        else if (*p == '#')
            spec.alternate = true;
        else
            break;
    }
    if (*p == '*') {
        ++p;
        if (args) {
            spec.width = va_arg(*args, int);
            if (spec.width < 0) {
                spec.left = true;
                spec.width = -spec.width;
            }
        }
    } else {
        while (*p >= '0' && *p <= '9') spec.width = spec.width * 10 + (*p++ - '0');
    }
    if (*p == '.') {
        ++p;
        spec.precision = 0;
        if (*p == '*') {
            ++p;
            if (args) {
                spec.precision = va_arg(*args, int);
                if (spec.precision < 0) spec.precision = -1;
            }
        } else {
            while (*p >= '0' && *p <= '9') spec.precision = spec.precision * 10 + (*p++ - '0');
        }
    }
    while (*p == 'l') {
        ++spec.longs;
        ++p;
    }
    spec.conversion = *p;
    switch (*p) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            usable = usable && spec.longs <= 2;
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
        case 's':
        case 'c':
        case 'p':
            usable = usable && spec.longs <= 1;
            break;
        case '%':
            usable = usable && p[-1] == '%';  // only "%%" itself
            break;
        default:
            usable = false;  // h, L, j, z, t, n, positional arguments, a lone '%' ...
            break;
    }
    return *p ? p + 1 : p;
}

// Everything the fast route does not handle is formatted by snprintf alone,
// one conversion at a time, from its directive with the width and
// precision written out.
template <typename T>
void PutBySnprintf(XSink& sink, const XSpec& spec, T value) {
    char format[48];
    size_t at = 0;
    format[at++] = '%';
    if (spec.left) format[at++] = '-';
    if (spec.plus) format[at++] = '+';
    if (spec.space) format[at++] = ' ';
    if (spec.zero) format[at++] = '0';
    if (spec.alternate) format[at++] = '#';
    at += static_cast<size_t>(std::snprintf(format + at, sizeof format - at, "%d", spec.width));
    if (spec.precision >= 0)
        at += static_cast<size_t>(
            std::snprintf(format + at, sizeof format - at, ".%d", spec.precision));
    for (int i = 0; i < spec.longs; ++i) format[at++] = 'l';
    format[at++] = spec.conversion;
    format[at] = 0;
    char small[128];
    const int n = std::snprintf(small, sizeof small, format, value);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        sink.Put(small, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, value);
    sink.Put(big.data(), static_cast<size_t>(n));
}

// Sign, zero padding and width around digits that carry no sign.
void PutNumber(XSink& sink, const XSpec& spec, bool negative, const char* digits, size_t n,
               bool zeroAllowed) {
    char sign = negative ? '-' : spec.plus ? '+' : spec.space ? ' ' : 0;
    const size_t body = n + (sign ? 1 : 0);
    const size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    const size_t pad = width > body ? width - body : 0;
    if (spec.left) {
        if (sign) sink.Put(&sign, 1);
        sink.Put(digits, n);
        sink.Fill(' ', pad);
    } else if (spec.zero && zeroAllowed) {
        if (sign) sink.Put(&sign, 1);
        sink.Fill('0', pad);
        sink.Put(digits, n);
    } else {
        sink.Fill(' ', pad);
        if (sign) sink.Put(&sign, 1);
        sink.Put(digits, n);
    }
}

// Fixed notation is exactly rounded by both to_chars and printf; values that
// would need many digits, and NaN and infinity, go to snprintf.
constexpr double kFastFixedLimit = 1e17;
constexpr int kFastPrecisionLimit = 20;

constexpr double kPowersOfTen[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                   1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

constexpr auto kWholePowersOfTen = [] {
    std::array<uint64_t, std::size(kPowersOfTen)> powers{};
    uint64_t power = 1;
    for (uint64_t& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// "00" to "99": digits are written two at a time.
constexpr char kDigitPairs[] =
    "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546"
    "4748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293"
    "949596979899";

// Writes the decimal digits of `value` (at least one) so that they end just
// before `end`; returns where they start.
char* DigitsBackward(uint64_t value, char* end) {
    while (value >= 100) {
        const size_t pair = static_cast<size_t>(value % 100) * 2;
        value /= 100;
        end -= 2;
        std::memcpy(end, kDigitPairs + pair, 2);
    }
    if (value >= 10) {
        end -= 2;
        std::memcpy(end, kDigitPairs + value * 2, 2);
    } else {
        *--end = static_cast<char>('0' + value);
    }
    return end;
}

// Exactly `count` digits of `value` (below 10^count, count at most 8),
// leading zeros kept, written backward from `end`; returns where they start.
// Above four digits the halves are independent, so the processor works on
// both at once instead of one long chain of divisions.
char* FractionDigits(uint32_t value, int count, char* end) {
    if (count > 4) {
        uint32_t low = value % 10000;
        value /= 10000;
        count -= 4;
        end -= 4;
        std::memcpy(end + 2, kDigitPairs + (low % 100) * 2, 2);
        std::memcpy(end, kDigitPairs + (low / 100) * 2, 2);
    }
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, kDigitPairs + (value % 100) * 2, 2);
        value /= 100;
    }
    if (count == 1) *--end = static_cast<char>('0' + value);
    return end;
}

// The digits of |value| rounded to `precision` decimals, written backward
// from `end`, when the scaled value is an integer-sized double whose rounding
// cannot be in doubt: the exact product lies within half an ulp of the
// computed one, so unless that is near a halfway point both round to the same
// integer. Null otherwise.
char* ShortFixedDigits(double magnitude, int precision, char* end) {
    if (precision > 17) return nullptr;
    const double scaled = magnitude * kPowersOfTen[precision];
    if (!(scaled < 4503599627370496.0)) return nullptr;  // 2^52: whole and half units exact
    // Truncation is the floor of a non-negative value, without a library
    // call; through a signed integer, which the processor converts in one
    // step (the value is below 2^52).
    const int64_t wholeUnits = static_cast<int64_t>(scaled);
    const double fraction = scaled - static_cast<double>(wholeUnits);  // exact below 2^52
    // The next double up from a finite non-negative one is the next bit
    // pattern: nextafter(scaled, INFINITY) without the library call.
    const double above = std::bit_cast<double>(std::bit_cast<uint64_t>(scaled) + 1);
    const double doubt = 4.0 * above - 4.0 * scaled;
    if (std::fabs(fraction - 0.5) <= doubt) return nullptr;
    const uint64_t rounded = static_cast<uint64_t>(wholeUnits) + (fraction > 0.5 ? 1 : 0);
    if (precision == 0) return DigitsBackward(rounded, end);
    // The integer part is the magnitude's own: its product with 10^precision
    // rounds to a count between integer * 10^precision and (integer + 1) *
    // 10^precision, the top one when the decimals carry into it.
    const uint64_t unit = kWholePowersOfTen[precision];
    uint64_t integer = static_cast<uint64_t>(static_cast<int64_t>(magnitude));
    uint64_t decimals = rounded - integer * unit;
    if (decimals == unit) {
        ++integer;
        decimals = 0;
    }
    char* p = end;
    if (precision <= 8) {
        p = FractionDigits(static_cast<uint32_t>(decimals), precision, p);
    } else {
        for (int left = precision; left > 0; --left) {
            *--p = static_cast<char>('0' + decimals % 10);
            decimals /= 10;
        }
    }
    *--p = '.';
    return DigitsBackward(integer, p);
}

// Puts the sign and blank padding in front of digits that were written
// backward into a buffer with room before them, and returns the field's
// start; null (nothing written) when the field needs more room or another
// layout than a right-aligned blank-padded one.
char* AlignRight(const XSpec& spec, bool negative, char* start, const char* end,
                 const char* bufferStart) {
    if (spec.left || spec.zero) return nullptr;
    const char sign = negative ? '-' : spec.plus ? '+' : spec.space ? ' ' : 0;
    const size_t body = static_cast<size_t>(end - start) + (sign ? 1 : 0);
    const size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    const size_t pad = width > body ? width - body : 0;
    if (static_cast<size_t>(start - bufferStart) < pad + 1) return nullptr;
    if (sign) *--start = sign;
    // A short pad goes in one fixed-size fill; what it puts before the field
    // lies in the buffer's scratch room.
    constexpr size_t kBlanks = 16;
    if (pad <= kBlanks && static_cast<size_t>(start - bufferStart) >= kBlanks)
        std::memset(start - kBlanks, ' ', kBlanks);
    else
        std::memset(start - pad, ' ', pad);
    return start - pad;
}

bool PutRightAligned(XSink& sink, const XSpec& spec, bool negative, char* start, char* end,
                     const char* bufferStart) {
    char* field = AlignRight(spec, negative, start, end, bufferStart);
    if (field == nullptr) return false;
    sink.Put(field, static_cast<size_t>(end - field));
    return true;
}

bool PutFixed(XSink& sink, const XSpec& spec, double value) {
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    if (spec.alternate || precision > kFastPrecisionLimit || !(std::fabs(value) < kFastFixedLimit))
        return false;
    char buffer[96];
    char* const end = buffer + sizeof buffer;
    const bool negative = std::signbit(value);
    if (char* start = ShortFixedDigits(std::fabs(value), precision, end)) {
        if (!PutRightAligned(sink, spec, negative, start, end, buffer))
            PutNumber(sink, spec, negative, start, static_cast<size_t>(end - start), true);
        return true;
    }
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                      std::chars_format::fixed, precision);
    if (result.ec != std::errc{}) return false;
    PutNumber(sink, spec, negative, digits, static_cast<size_t>(result.ptr - digits), true);
    return true;
}

// The magnitude of a signed whole number, the most negative one included.
template <typename T>
uint64_t WholeMagnitude(T value) {
    using U = std::make_unsigned_t<T>;
    return value < 0 ? static_cast<U>(U(0) - static_cast<U>(value)) : static_cast<U>(value);
}

template <typename T>
bool PutInteger(XSink& sink, const XSpec& spec, T value) {
    if (spec.precision >= 0 || spec.alternate) return false;
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    const bool negative = value < 0;
    char* start = DigitsBackward(WholeMagnitude(value), end);
    if (!PutRightAligned(sink, spec, negative, start, end, buffer))
        PutNumber(sink, spec, negative, start, static_cast<size_t>(end - start), true);
    return true;
}

template <typename T>
bool PutUnsigned(XSink& sink, const XSpec& spec, T value) {
    if (spec.precision >= 0 || spec.alternate) return false;
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    XSpec noSign = spec;
    noSign.plus = noSign.space = false;  // no sign is shown for unsigned values
    PutNumber(sink, noSign, false, digits, static_cast<size_t>(result.ptr - digits), true);
    return true;
}

void PutText(XSink& sink, const XSpec& spec, const char* text, size_t n) {
    const size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    const size_t pad = width > n ? width - n : 0;
    if (!spec.left) sink.Fill(' ', pad);
    sink.Put(text, n);
    if (spec.left) sink.Fill(' ', pad);
}

}  // namespace

int FormatIntoV(char* buffer, size_t size, const char* format, va_list args) {
    if (format == nullptr || *format == 0) return std::vsnprintf(buffer, size, format, args);
    va_list ap;
    va_copy(ap, args);
    XSink sink{buffer, size > 0 ? size - 1 : 0};
    const char* p = format;
    while (*p) {
        const char* percent = std::strchr(p, '%');
        if (percent == nullptr) {
            sink.Put(p, std::strlen(p));
            break;
        }
        sink.Put(p, static_cast<size_t>(percent - p));
        XSpec spec;
        bool usable = true;
        p = ReadSpec(percent + 1, spec, &ap, usable);
        if (!usable) {
            // A conversion only vsnprintf knows: it writes the whole text
            // again from the untouched arguments. The specifications before
            // it were all ours, so the copy `ap` has been read correctly.
            va_end(ap);
            return std::vsnprintf(buffer, size, format, args);
        }
        switch (spec.conversion) {
            case '%':
                sink.Put("%", 1);
                break;
            case 'f': {
                const double value = va_arg(ap, double);
                if (!PutFixed(sink, spec, value)) PutBySnprintf(sink, spec, value);
                break;
            }
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                PutBySnprintf(sink, spec, va_arg(ap, double));
                break;
            case 'd':
            case 'i':
                if (spec.longs == 0) {
                    const int value = va_arg(ap, int);
                    if (!PutInteger(sink, spec, value)) PutBySnprintf(sink, spec, value);
                } else if (spec.longs == 1) {
                    const long value = va_arg(ap, long);
                    if (!PutInteger(sink, spec, value)) PutBySnprintf(sink, spec, value);
                } else {
                    const long long value = va_arg(ap, long long);
                    if (!PutInteger(sink, spec, value)) PutBySnprintf(sink, spec, value);
                }
                break;
            case 'u':
            case 'x':
            case 'X':
            case 'o':
                if (spec.longs == 0) {
                    const unsigned value = va_arg(ap, unsigned);
                    if (spec.conversion != 'u' || !PutUnsigned(sink, spec, value))
                        PutBySnprintf(sink, spec, value);
                } else if (spec.longs == 1) {
                    const unsigned long value = va_arg(ap, unsigned long);
                    if (spec.conversion != 'u' || !PutUnsigned(sink, spec, value))
                        PutBySnprintf(sink, spec, value);
                } else {
                    const unsigned long long value = va_arg(ap, unsigned long long);
                    if (spec.conversion != 'u' || !PutUnsigned(sink, spec, value))
                        PutBySnprintf(sink, spec, value);
                }
                break;
            case 's': {
                const char* text = va_arg(ap, const char*);
                if (text == nullptr || spec.longs || spec.zero) {
                    PutBySnprintf(sink, spec, text);
                } else {
                    const size_t n = spec.precision >= 0
                                         ? strnlen(text, static_cast<size_t>(spec.precision))
                                         : std::strlen(text);
                    PutText(sink, spec, text, n);
                }
                break;
            }
            case 'c': {
                const int value = va_arg(ap, int);
                if (spec.longs || spec.zero) {
                    PutBySnprintf(sink, spec, value);
                } else {
                    const char c = static_cast<char>(value);
                    PutText(sink, spec, &c, 1);
                }
                break;
            }
            default:  // 'p'
                PutBySnprintf(sink, spec, va_arg(ap, void*));
                break;
        }
    }
    va_end(ap);
    if (size > 0) *sink.out = 0;
    return static_cast<int>(sink.length);
}

int FormatInto(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = FormatIntoV(buffer, size, format, args);
    va_end(args);
    return n;
}

void AppendFormat(std::string& text, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = FormatIntoV(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
        text.append(buffer, static_cast<size_t>(n));
    } else if (n > 0) {
        const size_t at = text.size();
        text.resize(at + static_cast<size_t>(n) + 1);
        FormatIntoV(text.data() + at, static_cast<size_t>(n) + 1, format, again);
        text.resize(at + static_cast<size_t>(n));
    }
    va_end(again);
}

bool CFormatOne::Compile(const char* format) {
    mKind = XKind::kNone;
    const char* percent = format ? std::strchr(format, '%') : nullptr;
    if (percent == nullptr) return false;
    XSpec spec;
    bool usable = true;
    const char* after = ReadSpec(percent + 1, spec, nullptr, usable);
    // A '*' reads its width from the arguments, which a compiled format has not.
    if (!usable || std::memchr(percent, '*', static_cast<size_t>(after - percent)) ||
        std::strchr(after, '%'))
        return false;
    const size_t prefix = static_cast<size_t>(percent - format);
    const size_t suffix = std::strlen(after);
    if (prefix > kMaxLiteral || suffix > kMaxLiteral) return false;
    XKind kind = XKind::kNone;
    if (spec.conversion == 'f' && spec.longs <= 1)
        kind = XKind::kDouble;
    else if ((spec.conversion == 'd' || spec.conversion == 'i') && spec.longs == 1)
        kind = XKind::kLong;
    else
        return false;
    std::memset(mPrefix, 0, sizeof mPrefix);
    std::memset(mSuffix, 0, sizeof mSuffix);
    std::memcpy(mPrefix + sizeof mPrefix - prefix, format, prefix);
    std::memcpy(mSuffix, after, suffix);
    mPrefixLength = prefix;
    mSuffixLength = suffix;
    mSpec = spec;
    mKind = kind;
    return true;
}

// The common field (exact digits, right-aligned) is put together with the
// literal texts around it in a scratch array and goes out in one piece. The
// array keeps a whole literal array's room before the field, and after it
// the room of one quick copy.
inline int CFormatOne::PutWithLiterals(char* buffer, size_t size, char* start, char* end) const {
    std::memcpy(start - sizeof mPrefix, mPrefix, sizeof mPrefix);
    std::memcpy(end, mSuffix, sizeof mSuffix);
    start -= mPrefixLength;
    const size_t length = static_cast<size_t>(end - start) + mSuffixLength;
    // A short text goes out in one fixed-size move, which costs less than a
    // move of its own length; the terminator ends it.
    if (length < kQuickCopy && size > kQuickCopy) {
        std::memcpy(buffer, start, kQuickCopy);
        buffer[length] = 0;
        return static_cast<int>(length);
    }
    XSink sink{buffer, size > 0 ? size - 1 : 0};
    sink.Put(start, length);
    if (size > 0) *sink.out = 0;
    return static_cast<int>(sink.length);
}

int CFormatOne::Format(char* buffer, size_t size, double value) const {
    if (mKind != XKind::kDouble) return -1;
    const int precision = mSpec.precision < 0 ? 6 : mSpec.precision;
    if (!mSpec.alternate && std::fabs(value) < kFastFixedLimit) {
        char field[kFieldRoom + kQuickCopy];
        char* const end = field + kFieldRoom;
        char* start = ShortFixedDigits(std::fabs(value), precision, end);
        if (start != nullptr &&
            (start = AlignRight(mSpec, std::signbit(value), start, end, field + sizeof mPrefix)))
            return PutWithLiterals(buffer, size, start, end);
    }
    XSink sink{buffer, size > 0 ? size - 1 : 0};
    sink.Put(mPrefix + sizeof mPrefix - mPrefixLength, mPrefixLength);
    if (!PutFixed(sink, mSpec, value)) PutBySnprintf(sink, mSpec, value);
    sink.Put(mSuffix, mSuffixLength);
    if (size > 0) *sink.out = 0;
    return static_cast<int>(sink.length);
}

int CFormatOne::Format(char* buffer, size_t size, long value) const {
    if (mKind != XKind::kLong) return -1;
    if (mSpec.precision < 0 && !mSpec.alternate) {
        char field[kFieldRoom + kQuickCopy];
        char* const end = field + kFieldRoom;
        const bool negative = value < 0;
        char* start = DigitsBackward(WholeMagnitude(value), end);
        if ((start = AlignRight(mSpec, negative, start, end, field + sizeof mPrefix)))
            return PutWithLiterals(buffer, size, start, end);
    }
    XSink sink{buffer, size > 0 ? size - 1 : 0};
    sink.Put(mPrefix + sizeof mPrefix - mPrefixLength, mPrefixLength);
    if (!PutInteger(sink, mSpec, value)) PutBySnprintf(sink, mSpec, value);
    sink.Put(mSuffix, mSuffixLength);
    if (size > 0) *sink.out = 0;
    return static_cast<int>(sink.length);
}

uint32_t ClampToUInt32(double value) {
    if (!(value > 0)) return 0;
    if (value >= 4294967295.0) return 4294967295U;
    return static_cast<uint32_t>(value);
}
