#include "cStrConv.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t'; }
bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// A run of '*' is what fixed-width writers put for a number that did not fit.
long SkipFillers(const char* text) {
    long n = 0;
    while (text[n] == '*') ++n;
    return n;
}

bool HasHexPrefix(const char* text) { return text[0] == '0' && (text[1] == 'x' || text[1] == 'X'); }

long SkipDigits(const char* text) {
    long n = 0;
    while (IsDigit(text[n])) ++n;
    return n;
}

// "nan" or "inf" in any case, not followed by a letter, with an optional
// parenthesised tail; 0 when the text is not one of them.
long SkipNanOrInf(const char* text) {
    if (strlen(text) < 3) return 0;
    char a = LowerAscii(text[0]), b = LowerAscii(text[1]), c = LowerAscii(text[2]);
    bool nan = a == 'n' && b == 'a' && c == 'n';
    bool inf = a == 'i' && b == 'n' && c == 'f';
    if (!(nan || inf) || IsLetter(text[3])) return 0;
    long n = 3;
    if (text[n] == '(') {
        const char* close = strchr(text + n, ')');
        if (close) n = static_cast<long>(close - text) + 1;
    }
    return n;
}

// atof's value of the text. The plain decimal numbers that files hold are
// read here: up to 19 digits with a power of ten of at most 22 are exact
// doubles, so one multiplication or division rounds them exactly as strtod
// does; longer ones go to from_chars, which rounds the same way. Everything
// else (hexadecimal, nan, inf, a lone sign, a value out of the double range)
// is left to atof itself. `end` receives where the decimal number ends, or
// null when it was not one.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double DecimalValue(const char* text, const char** end) {
    *end = nullptr;
    const char* start = text;
    if (*start == '+') {
        ++start;  // from_chars takes no plus sign, and strtod no second sign
        if (*start == '-') return atof(text);
    }
    const bool negative = *start == '-';
    const char* p = negative ? start + 1 : start;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return atof(text);
    // Every digit goes into the mantissa; more than 19 of them (leading zeros
    // included) may have wrapped it, and take the from_chars route instead.
    uint64_t mantissa = 0;
    const char* integer = p;
    while (IsDigit(*p)) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
        ++p;
    }
    long digits = p - integer;
    bool any = digits != 0;
    long fractionDigits = 0;
    if (*p == '.') {
        const char* fraction = ++p;
        while (IsDigit(*p)) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
            ++p;
        }
        fractionDigits = p - fraction;
        digits += fractionDigits;
        any = any || fractionDigits != 0;
    }
    if (!any) return atof(text);
    long exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        const bool negativeExponent = *e == '-';
        if (*e == '+' || *e == '-') ++e;
        if (IsDigit(*e)) {
            while (IsDigit(*e)) {
                if (exponent < 100000) exponent = exponent * 10 + (*e - '0');
                ++e;
            }
            if (negativeExponent) exponent = -exponent;
            p = e;
        }
    }
    *end = p;
    const long scale = exponent - fractionDigits;
    if (digits <= 19 && mantissa < (uint64_t(1) << 53) && scale >= -22 && scale <= 22) {
        double value = static_cast<double>(mantissa);
        value = scale < 0 ? value / kExactPowersOfTen[-scale] : value * kExactPowersOfTen[scale];
        return negative ? -value : value;
    }
    double value = 0.0;
    const auto result = std::from_chars(start, p, value, std::chars_format::general);
    if (result.ec != std::errc{} || result.ptr != p) {
        *end = nullptr;
        return atof(text);
    }
    return value;
}

}  // namespace

long CStrConv::SkipWhiteSpace(const char* text) {
    if (text == nullptr) return 0;
    long n = 0;
    while (IsWhite(text[n])) ++n;
    return n;
}

long CStrConv::ReverseSkipWhiteSpace(const char* text, long length) {
    if (text == nullptr) return 0;
    if (length <= 0) length = static_cast<long>(strlen(text));
    while (length > 0 && IsWhite(text[length - 1])) --length;
    return length;
}

char* CStrConv::StripTrailingWhiteSpace(char* text) {
    if (text == nullptr) return text;
    text[ReverseSkipWhiteSpace(text, 0)] = 0;
    return text;
}

char* CStrConv::StripFortranComment(char* text, char* comment) {
    if (comment) comment[0] = 0;
    if (text == nullptr) return text;
    char* mark = strchr(text, '!');
    if (mark == nullptr) return text;
    if (comment) memmove(comment, mark, strlen(mark) + 1);
    *mark = 0;
    return StripTrailingWhiteSpace(text);
}

long CStrConv::SkipToNextItem(const char* text) {
    if (text == nullptr) return 0;
    long n = SkipWhiteSpace(text);
    if (n == 0) {
        n = FindSubString(text, nullptr, 0);
        n += SkipWhiteSpace(text + n);
    }
    if (text[n] == ',') {
        ++n;
        n += SkipWhiteSpace(text + n);
    }
    return n;
}

long CStrConv::FindSubString(const char* text, char* word, unsigned long maxLength) {
    if (word) word[0] = 0;
    if (text == nullptr) return 0;
    const bool limited = word != nullptr && maxLength >= 1;
    long n = SkipWhiteSpace(text);
    unsigned long copied = 0;
    char quote = text[n];
    if (quote == '"' || quote == '\'') {
        ++n;
        bool cut = false;
        while (text[n] != 0 && text[n] != quote) {
            if (limited && copied == maxLength) {
                ++n;  // the character after a cut copy is consumed whatever it is
                cut = true;
                break;
            }
            if (word) word[copied] = text[n];
            ++copied;
            ++n;
        }
        if (!cut && text[n] == quote) ++n;
    } else if (text[n] == ',') {
        ++n;  // an empty item
    } else {
        while (text[n] != 0 && !IsSeparator(text[n]) && text[n] != '\r' && text[n] != '\n') {
            if (limited && copied == maxLength) break;
            if (word) word[copied] = text[n];
            ++copied;
            ++n;
        }
        char stop = text[n];
        if (stop != 0 && stop != '\r' && stop != '\n') ++n;
    }
    if (word) word[copied] = 0;
    return n;
}

long CStrConv::SkipInteger(const char* text) {
    if (text == nullptr) return 0;
    long fillers = SkipFillers(text);
    if (fillers) return fillers;
    if (HasHexPrefix(text)) return 2 + SkipHex(text + 2);
    long n = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    return n + SkipDigits(text + n);
}

long CStrConv::SkipHex(const char* text) {
    if (text == nullptr) return 0;
    long fillers = SkipFillers(text);
    if (fillers) return fillers;
    long n = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    while (IsHexDigit(text[n])) ++n;
    return n;
}

long CStrConv::SkipFloat(const char* text) {
    if (text == nullptr) return 0;
    long fillers = SkipFillers(text);
    if (fillers) return fillers;
    long n = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    long special = SkipNanOrInf(text + n);
    if (special) return n + special;
    n += SkipDigits(text + n);
    if (text[n] == '.') {
        ++n;
        n += SkipDigits(text + n);
    }
    char e = text[n];
    if (e == 'e' || e == 'E' || e == 'g' || e == 'G') {
        long m = n + 1;
        if (text[m] == '+' || text[m] == '-') ++m;
        long digits = SkipDigits(text + m);
        if (digits > 0) {
            m += digits;
            if (text[m] == '.') {
                ++m;
                m += SkipDigits(text + m);
            }
            n = m;
        }
    }
    return n;
}

namespace {

// The form nearly every number in a file has: an optional minus, at most 19
// digits around an optional point (so the mantissa cannot wrap), and after
// them nothing that could make it another number (a point, an exponent
// letter, the x of a hexadecimal prefix). Its value is DecimalValue's, by
// the same exact division; any other text returns false and takes the
// general route.
bool ReadPlainDecimal(const char* text, double* value, const char** end) {
    const bool negative = *text == '-';
    const char* p = text + (negative ? 1 : 0);
    const char* first = p;
    uint64_t mantissa = 0;
    for (unsigned digit; (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
        mantissa = mantissa * 10 + digit;
    long digits = p - first;
    long fractionDigits = 0;
    if (*p == '.') {
        const char* fraction = ++p;
        for (unsigned digit; (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
            mantissa = mantissa * 10 + digit;
        fractionDigits = p - fraction;
        digits += fractionDigits;
    }
    const char next = *p;
    if (digits == 0 || digits > 19 || mantissa >= (uint64_t(1) << 53) || next == '.' ||
        next == 'e' || next == 'E' || next == 'g' || next == 'G' || next == 'x' || next == 'X')
        return false;
    double result = static_cast<double>(mantissa);
    if (fractionDigits > 0) result /= kExactPowersOfTen[fractionDigits];
    *value = negative ? -result : result;
    *end = p;
    return true;
}

// Every other form: atof's value and, where the scan and SkipFloat
// disagree, SkipFloat's count.
[[gnu::noinline]] long ReadAnyNumber(const char* text, long n, double* value) {
    const char* end = nullptr;
    const double decimal = DecimalValue(text + n, &end);
    if (value) *value = decimal;
    // The scan above and SkipFloat agree unless a filler, an exponent letter
    // strtod does not know (g, G), or a fraction of the exponent follows.
    if (end && *end != '.' && *end != 'e' && *end != 'E' && *end != 'g' && *end != 'G') {
        return n + static_cast<long>(end - text - n);
    }
    return n + CStrConv::SkipFloat(text + n);
}

}  // namespace

long CStrConv::StringToDouble(const char* text, double* value) {
    if (text == nullptr) return 0;
    const long n = SkipWhiteSpace(text);
    double plain;
    const char* end;
    if (ReadPlainDecimal(text + n, &plain, &end)) {
        if (value) *value = plain;
        return static_cast<long>(end - text);
    }
    return ReadAnyNumber(text, n, value);
}

long CStrConv::StringToFloat(const char* text, float* value) {
    double d = 0;
    long n = StringToDouble(text, value ? &d : nullptr);
    if (value) *value = static_cast<float>(d);
    return n;
}

long CStrConv::StringToULong(const char* text, unsigned long* value) {
    if (text == nullptr) return 0;
    long n = SkipWhiteSpace(text);
    if (value == nullptr) return n;
    const char* number = text + n;
    if (HasHexPrefix(number)) {
        unsigned long hex = 0;
        if (sscanf(number, "%lx", &hex) != 1) hex = 0;
        *value = hex & 0xFFFFFFFFul;
        return n + SkipInteger(number);
    }
    // atof's value and SkipFloat's count, as StringToDouble reads them.
    double d = 0;
    const long used = StringToDouble(number, &d);
    uint32_t bits;
    if (std::isnan(d)) {
        bits = 0;
    } else if (d < 0) {
        // Negative values keep their sign: truncated toward zero and stored
        // as the 32-bit two's-complement pattern.
        double t = std::trunc(d);
        bits = t <= -2147483648.0 ? 0x80000000u : static_cast<uint32_t>(static_cast<int32_t>(t));
    } else {
        bits = d >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(d);
    }
    *value = bits;
    return n + used;
}

long CStrConv::StringToLong(const char* text, long* value) {
    unsigned long bits = 0;
    long n = StringToULong(text, value ? &bits : nullptr);
    if (value) *value = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return n;
}

long CStrConv::StringToShort(const char* text, short* value) {
    if (text == nullptr) return 0;
    long n = SkipWhiteSpace(text);
    const char* number = text + n;
    if (value) {
        unsigned long v = 0;
        if (HasHexPrefix(number)) {
            if (sscanf(number, "%lx", &v) != 1) v = 0;
        } else {
            v = static_cast<unsigned long>(static_cast<long>(atoi(number)));
        }
        *value = static_cast<short>(static_cast<uint16_t>(v & 0xFFFF));
    }
    return n + SkipInteger(number);
}

long CStrConv::StringHexToLong(const char* text, unsigned long* value, long maxDigits) {
    if (text == nullptr) return 0;
    long n = SkipWhiteSpace(text);
    bool seen = false;
    if (HasHexPrefix(text + n)) {
        n += 2;
        seen = true;
    } else if (text[n] == 'x' || text[n] == 'X') {
        n += 1;
        seen = true;
    }
    unsigned long v = 0;
    long digits = 0;
    while (IsHexDigit(text[n]) && (maxDigits <= 0 || digits < maxDigits)) {
        char c = LowerAscii(text[n]);
        v = (v << 4) | static_cast<unsigned long>(IsDigit(c) ? c - '0' : c - 'a' + 10);
        ++digits;
        ++n;
    }
    if (value && (seen || digits > 0)) *value = v;
    return n;
}

long CStrConv::StringToDoubles(const char* text, double* values, long maxCount) {
    if (text == nullptr || values == nullptr) return 0;
    long count = 0;
    long n = 0;
    while (count < maxCount && text[n] != 0) {
        long used = StringToDouble(text + n, &values[count]);
        if (used == 0) break;
        ++count;
        n += used;
        n += SkipWhiteSpace(text + n);
        if (text[n] == ',') ++n;
    }
    return count;
}

long CStrConv::StringToCharCode(const char* text, unsigned long* code) {
    if (text == nullptr) return 0;
    long n = 0;
    if (strlen(text) > 4) n = SkipWhiteSpace(text);
    char quote = 0;
    if (strlen(text + n) >= 5 && (text[n] == '\'' || text[n] == '"')) {
        quote = text[n];
        ++n;
    }
    const char* rest = text + n;
    long length = static_cast<long>(strlen(rest));
    if (quote && length > 0 && rest[length - 1] == quote) --length;
    if (length > 4 && IsDigit(rest[0])) {
        long number = 0;
        long used = StringToLong(rest, &number);
        if (code) *code = static_cast<uint32_t>(number);
        n += used;
        if (quote && text[n] == quote) ++n;
        return n;
    }
    uint32_t value = 0;
    long taken = 0;
    while (taken < 4 && rest[taken] != 0 && !(quote && rest[taken] == quote)) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(rest[taken])) << (24 - 8 * taken);
        ++taken;
    }
    n += taken;
    if (quote && text[n] == quote) ++n;
    if (code) *code = value;
    return n;
}

long CStrConv::CharCodeToString(char* text, unsigned long code) {
    if (text == nullptr) return 4;
    for (int i = 0; i < 4; ++i) {
        unsigned char c = static_cast<unsigned char>((code >> (24 - 8 * i)) & 0xFF);
        text[i] = (c >= 1 && c <= 31) ? '_' : static_cast<char>(c);
    }
    text[4] = 0;
    return 4;
}

long CStrConv::FindChoice(const char* text, const char* choices, long defaultIndex, long noPartial) {
    if (choices == nullptr || choices[0] == 0) return defaultIndex;
    if (text == nullptr) text = "";
    const long textLength = static_cast<long>(strlen(text));
    long remembered = defaultIndex;
    long bestMatch = 0;
    long index = 0;
    const char* item = choices;
    // A leading separator run does not start an empty item.
    item += SkipWhiteSpace(item);
    while (*item != 0) {
        long itemLength = 0;
        while (item[itemLength] != 0 && !IsSeparator(item[itemLength])) ++itemLength;
        long k = 0;
        while (k < textLength && k < itemLength && LowerAscii(text[k]) == LowerAscii(item[k])) ++k;
        if (k == textLength) return index;
        if (noPartial == 0 && k > 0 && k > bestMatch) {
            bestMatch = k;
            remembered = index;
        }
        item += itemLength;
        item += SkipToNextItem(item);
        ++index;
    }
    return remembered;
}

long CStrConv::GetChoiceString(long index, const char* choices, char* item, unsigned long maxLength) {
    if (item == nullptr) return 0;
    item[0] = 0;
    if (choices == nullptr || index < 0) return 0;
    const char* p = choices;
    for (long i = 0; i < index; ++i) {
        while (*p != 0 && !IsSeparator(*p)) ++p;
        if (*p == 0) return 0;
        p += SkipToNextItem(p);
    }
    if (static_cast<long>(maxLength) < 0) return 0;
    unsigned long n = 0;
    while (p[n] != 0 && !IsSeparator(p[n]) && (maxLength == 0 || n < maxLength)) {
        item[n] = p[n];
        ++n;
    }
    item[n] = 0;
    return static_cast<long>(n);
}

long CStrConv::StringCompare(const char* a, const char* b, long ignoreCase, long maxLength) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    if (a[0] == 0 || b[0] == 0) return (a[0] == 0 && b[0] == 0) ? 0 : (a[0] == 0 ? -1 : 1);
    for (long i = 0;; ++i) {
        if (maxLength > 0 && i >= maxLength) return 0;
        if (a[i] == 0 || b[i] == 0) return (a[i] == 0 && b[i] == 0) ? 0 : (a[i] == 0 ? -1 : 1);
        signed char ca = static_cast<signed char>(ignoreCase ? LowerAscii(a[i]) : a[i]);
        signed char cb = static_cast<signed char>(ignoreCase ? LowerAscii(b[i]) : b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
}

long CStrConv::InsertString(const char* insert, char* text) {
    if (insert == nullptr || text == nullptr) return 0;
    size_t n = strlen(insert);
    if (n == 0) return 0;
    memmove(text + n, text, strlen(text) + 1);
    memcpy(text, insert, n);
    return static_cast<long>(n);
}

void CStrConv::PadString(char* text, long width) {
    if (text == nullptr) return;
    long length = static_cast<long>(strlen(text));
    while (length < width) {
        memmove(text + 1, text, static_cast<size_t>(length) + 1);
        text[0] = ' ';
        ++length;
        if (length < width) {
            text[length++] = ' ';
            text[length] = 0;
        }
    }
}
