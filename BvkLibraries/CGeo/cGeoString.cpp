#include "cGeoString.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Marks accepted when reading (Mac Roman bytes, plus the letters and ASCII
// look-alikes people type).
constexpr unsigned char _szDegSymbols[] = {0xA1, 0xFB, 0xFA, 0xB0, 0x9A, 'd',
                                           'g',  0xA7, 0xF8, 'i',  0xC1, 0};
constexpr unsigned char _szMinSymbols[] = {'\'', '`', 0xAB, 0xD4, 0xD5, 'm', 0};
constexpr unsigned char _szSecSymbols[] = {'"', 0xD2, 0xD3, 0};
constexpr unsigned char _szSepSymbols[] = {'_', '^',  '*', '!',  '/',  '\\', '|',
                                           '?', 0xA5, '~', 0xC1, 0xE7, 0};

// The number converter never looks at more than this many characters.
constexpr long kMaxNumberLength = 511;

// Rounding added to the absolute value before the fields are cut: half a
// unit of each format's last field.
constexpr double kHalfSecond = 0.00013888888888889;
constexpr double kHalfMilliSecond = 1.3888888888889e-07;
constexpr double kHalfMilliMinute = 8.33333333333333e-06;

// Values are clamped to this before their fields are cut into integers, so
// that absurd inputs still print (as nonsense) instead of overflowing.
constexpr double kMaxFieldDegrees = 1e9;

bool InSet(const unsigned char* set, unsigned char ch) {
    if (ch == 0) return false;
    for (; *set; ++set) {
        if (*set == ch) return true;
    }
    return false;
}

unsigned char At(const char* text, long i) {
    return static_cast<unsigned char>(text[i]);
}

bool IsBlank(unsigned char ch) {
    return ch == ' ' || ch == '\t';
}
bool IsDigit(unsigned char ch) {
    return ch >= '0' && ch <= '9';
}
bool IsLetter(unsigned char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}
bool IsDegreeMark(unsigned char ch) {
    return InSet(_szDegSymbols, ch);
}
bool IsMinuteMark(unsigned char ch) {
    return InSet(_szMinSymbols, ch);
}
bool IsSecondMark(unsigned char ch) {
    return InSet(_szSecSymbols, ch);
}
bool IsSeparator(unsigned char ch) {
    return InSet(_szSepSymbols, ch);
}
bool IsHighByte(unsigned char ch) {
    return ch >= 0x7F;
}

// Hemisphere kind of a letter (either case), or 0.
long HemisphereKind(unsigned char ch) {
    switch (ch) {
        case 'N':
        case 'n':
            return CGeoString::kHemisphereNorth;
        case 'S':
        case 's':
            return CGeoString::kHemisphereSouth;
        case 'E':
        case 'e':
            return CGeoString::kHemisphereEast;
        case 'W':
        case 'w':
            return CGeoString::kHemisphereWest;
        default:
            return CGeoString::kHemisphereNone;
    }
}

bool IsNegativeKind(long kind) {
    return kind == CGeoString::kHemisphereSouth || kind == CGeoString::kHemisphereWest;
}

// Length of the mark at `text`: a byte above 0x7F followed by a degree mark or
// another high byte is one two-byte mark (the UTF-8 degree sign, C2 B0, being
// the common case).
long MarkLength(const char* text) {
    const unsigned char ch = At(text, 0);
    const unsigned char next = At(text, 1);
    if (ch > 0x7F && next != 0 && (IsDegreeMark(next) || next > 0x7F)) return 2;
    return 1;
}

// One number of a coordinate: its value, whether it was written with a
// decimal point, and the characters consumed (white space before it
// included).
struct XNumber {
    double value = 0.0;
    bool hasFraction = false;
    long consumed = 0;
};

XNumber ReadNumber(const char* text) {
    XNumber number;
    number.consumed = CGeoString::StringToDouble(text, &number.value);
    const long start = CGeoString::SkipWhiteSpace(text);
    number.hasFraction = std::memchr(text + start, '.', size_t(number.consumed - start)) != nullptr;
    return number;
}

}  // namespace

CGeoString::CGeoString() : mszSymbols{char(0xA1), '\'', '"', 0} {}

// ---------------------------------------------------------------- writing

long CGeoString::FormatCoordinate(double value, char* text, long format, long degreeDigits,
                                  char positive, char negative) const {
    if (!text) return 0;
    const char hemisphere = value < 0.0 ? negative : positive;
    const bool wide = degreeDigits == 3;
    char buffer[128];
    int written = 0;

    if (format == 1) {
        written = std::snprintf(buffer, sizeof buffer, "%.6f%c", std::fabs(value), hemisphere);
    } else if (format >= 2 && format <= 4) {
        double rounding = kHalfSecond;
        if (format == 3) rounding = kHalfMilliSecond;
        if (format == 4) rounding = kHalfMilliMinute;
        double v = std::fabs(value) + rounding;
        if (std::isnan(v)) v = 0.0;
        if (v > kMaxFieldDegrees) v = kMaxFieldDegrees;

        // Fields are cut, not rounded: the rounding was added above.
        const double degrees = std::floor(v);
        const double minutesAll = (v - degrees) * 60.0;
        const double minutes = std::floor(minutesAll);
        const long d = long(degrees);
        const long m = long(minutes);
        const char degSym = mszSymbols[0];
        const char minSym = mszSymbols[1];
        const char secSym = mszSymbols[2];
        if (format == 4) {
            const long thousandths = long((minutesAll - minutes) * 1000.0);
            written = std::snprintf(buffer, sizeof buffer,
                                    wide ? "%03ld%c%02ld.%03ld%c%c" : "%02ld%c%02ld.%03ld%c%c", d,
                                    degSym, m, thousandths, minSym, hemisphere);
        } else {
            const double secondsAll = (minutesAll - minutes) * 60.0;
            const double seconds = std::floor(secondsAll);
            const long s = long(seconds);
            if (format == 2) {
                written =
                    std::snprintf(buffer, sizeof buffer,
                                  wide ? "%03ld%c%02ld%c%02ld%c%c" : "%02ld%c%02ld%c%02ld%c%c", d,
                                  degSym, m, minSym, s, secSym, hemisphere);
            } else {
                const long thousandths = long((secondsAll - seconds) * 1000.0);
                written = std::snprintf(
                    buffer, sizeof buffer,
                    wide ? "%03ld%c%02ld%c%02ld.%03ld%c%c" : "%02ld%c%02ld%c%02ld.%03ld%c%c", d,
                    degSym, m, minSym, s, thousandths, secSym, hemisphere);
            }
        }
    } else {
        written = std::snprintf(buffer, sizeof buffer, "%+.7f", value);
    }

    long length = written < 0 ? 0 : written;
    if (length > long(sizeof buffer) - 1) length = long(sizeof buffer) - 1;
    if (length > kCoordTextSize - 1) length = kCoordTextSize - 1;
    std::memcpy(text, buffer, size_t(length));
    text[length] = 0;
    return length;
}

long CGeoString::GetLatitudeString(double latitude, char* text, long format) const {
    return FormatCoordinate(latitude, text, format, 2, 'N', 'S');
}

long CGeoString::GetLongitudeString(double longitude, char* text, long format) const {
    return FormatCoordinate(longitude, text, format, 3, 'E', 'W');
}

long CGeoString::GetLatLonString(double latitude, double longitude, char* text, long format,
                                 const char* separator) const {
    if (!text) return 0;
    long length = GetLatitudeString(latitude, text, format);
    const char* sep = separator ? separator : ",";
    for (long i = 0; sep[i] && i < kSeparatorMax; ++i) text[length++] = sep[i];
    length += GetLongitudeString(longitude, text + length, format);
    return length;
}

// ---------------------------------------------------------------- scanning

long CGeoString::SkipWhiteSpace(const char* text) {
    if (!text) return 0;
    long n = 0;
    while (IsBlank(At(text, n))) ++n;
    return n;
}

long CGeoString::SkipInteger(const char* text) {
    if (!text) return 0;
    long n = 0;
    if (text[n] == '+' || text[n] == '-') ++n;
    while (IsDigit(At(text, n))) ++n;
    return n;
}

long CGeoString::SkipFloat(const char* text) {
    if (!text) return 0;
    long n = 0;
    if (text[0] == '*') {
        while (text[n] == '*') ++n;
        return n;
    }
    if (text[n] == '+' || text[n] == '-') ++n;

    // "nan" and "inf", with an optional parenthesised tail such as "nan(123)".
    const char* word = text + n;
    if (word[0] && word[1] && word[2]) {
        const bool isNan =
            (word[0] | 0x20) == 'n' && (word[1] | 0x20) == 'a' && (word[2] | 0x20) == 'n';
        const bool isInf =
            (word[0] | 0x20) == 'i' && (word[1] | 0x20) == 'n' && (word[2] | 0x20) == 'f';
        if ((isNan || isInf) && !IsLetter(At(word, 3))) {
            n += 3;
            if (text[n] == '(') {
                const char* close = std::strchr(text + n, ')');
                if (close) n = long(close - text) + 1;
            }
            return n;
        }
    }

    while (IsDigit(At(text, n))) ++n;
    if (text[n] == '.') {
        ++n;
        while (IsDigit(At(text, n))) ++n;
    }
    // Only e and E start an exponent here: g is a degree mark, and "36g30"
    // must read as 36 degrees 30 minutes.
    if (text[n] == 'e' || text[n] == 'E') {
        long e = n + 1;
        if (text[e] == '+' || text[e] == '-') ++e;
        if (IsDigit(At(text, e))) {
            while (IsDigit(At(text, e))) ++e;
            if (text[e] == '.') {
                ++e;
                while (IsDigit(At(text, e))) ++e;
            }
            n = e;
        }
    }
    return n;
}

long CGeoString::StringToDouble(const char* text, double* value) {
    if (!text) return 0;
    const long white = SkipWhiteSpace(text);
    const long length = SkipFloat(text + white);
    if (value) {
        char buffer[kMaxNumberLength + 1];
        const long copied = length < kMaxNumberLength ? length : kMaxNumberLength;
        std::memcpy(buffer, text + white, size_t(copied));
        buffer[copied] = 0;
        *value = copied > 0 ? std::strtod(buffer, nullptr) : 0.0;
    }
    return white + length;
}

long CGeoString::GetParameterCount(const char* text) {
    if (!text) return 0;
    long count = 0;
    long n = SkipWhiteSpace(text);
    while (text[n]) {
        ++count;
        while (text[n] && !IsBlank(At(text, n))) ++n;
        n += SkipWhiteSpace(text + n);
    }
    return count;
}

// ---------------------------------------------------------------- reading

long CGeoString::DMSToDegrees(const char* text, long blankEndsValue, double* degrees,
                              long* hemisphere) const {
    if (degrees) *degrees = 0.0;
    if (hemisphere) *hemisphere = kHemisphereNone;
    if (!text) return 0;

    double D = 0.0, M = 0.0, S = 0.0;
    double sign = 1.0;
    long kind = kHemisphereNone;
    long p = SkipWhiteSpace(text);

    // A hemisphere letter in front.
    if (const long k = HemisphereKind(At(text, p)); k != kHemisphereNone) {
        kind = k;
        if (IsNegativeKind(k)) sign = -sign;
        ++p;
        p += SkipWhiteSpace(text + p);
    }

    // How many integer digits the first number has decides whether it is a
    // packed form.
    const long integerLength = SkipInteger(text + p);
    const bool hasSign = text[p] == '+' || text[p] == '-';
    const long integerDigits = integerLength - (hasSign ? 1 : 0);

    const XNumber first = ReadNumber(text + p);
    p += first.consumed;
    D = first.value;
    // Tested by sign bit so that "-0 30" reads as minus half a degree.
    if (std::signbit(D)) {
        sign = -sign;
        D = -D;
    }

    // A blank ends the value when the caller says so, when the number had a
    // fraction (nothing finer can follow it) or when a second blank follows.
    auto blankEnds = [&](long at, bool hadFraction) {
        return blankEndsValue != 0 || hadFraction || IsBlank(At(text, at + 1));
    };

    enum class Next { kMinutes, kSeconds, kEnd };
    Next next = Next::kEnd;
    bool secondsAfterMinutes = true;

    const unsigned char ch = At(text, p);
    if (IsDegreeMark(ch) || IsSeparator(ch) || IsHighByte(ch)) {
        p += MarkLength(text + p);
        next = Next::kMinutes;
    } else if (IsMinuteMark(ch)) {
        M = D;
        D = 0.0;
        p += MarkLength(text + p);
        next = Next::kSeconds;
    } else if (IsSecondMark(ch)) {
        S = D;
        D = 0.0;
        p += MarkLength(text + p);
        // Minutes written after the seconds, if any, and nothing after them.
        const long white = SkipWhiteSpace(text + p);
        if (SkipFloat(text + p + white) > 0) {
            next = Next::kMinutes;
            secondsAfterMinutes = false;
        }
    } else {
        // No mark: plain degrees, or a packed form.
        const double whole = std::floor(D);
        const double fraction = D - whole;
        if (integerDigits >= 5) {
            D = std::floor(whole / 10000.0);
            M = std::fmod(std::floor(whole / 100.0), 100.0);
            S = std::fmod(whole, 100.0) + fraction;
            next = Next::kEnd;
        } else {
            if (integerDigits == 4) {
                D = std::floor(whole / 100.0);
                M = std::fmod(whole, 100.0) + fraction;
                next = Next::kSeconds;
            } else {
                next = Next::kMinutes;
            }
            if (ch == 0 || (IsBlank(ch) && blankEnds(p, first.hasFraction)) || first.hasFraction) {
                next = Next::kEnd;
            } else if (IsBlank(ch)) {
                ++p;
            }
        }
    }

    if (next == Next::kMinutes) {
        const XNumber minutes = ReadNumber(text + p);
        p += minutes.consumed;
        M = minutes.value;
        next = Next::kEnd;
        const unsigned char c = At(text, p);
        if (IsBlank(c)) {
            if (secondsAfterMinutes && !blankEnds(p, minutes.hasFraction)) {
                ++p;
                next = Next::kSeconds;
            }
        } else if (IsMinuteMark(c) || IsSeparator(c) || IsHighByte(c)) {
            p += MarkLength(text + p);
            if (secondsAfterMinutes) next = Next::kSeconds;
        } else if (IsSecondMark(c)) {
            S = M;
            M = 0.0;
            p += MarkLength(text + p);
        }
    }

    if (next == Next::kSeconds) {
        const XNumber seconds = ReadNumber(text + p);
        p += seconds.consumed;
        S = seconds.value;
        const unsigned char c = At(text, p);
        if (IsSecondMark(c) || IsSeparator(c) || IsHighByte(c)) p += MarkLength(text + p);
        if (IsBlank(At(text, p)) && !blankEnds(p, seconds.hasFraction)) ++p;
    }

    // A hemisphere letter after the value, perhaps after one blank.
    if (kind == kHemisphereNone) {
        const long q = IsBlank(At(text, p)) ? p + 1 : p;
        if (const long k = HemisphereKind(At(text, q)); k != kHemisphereNone) {
            kind = k;
            if (IsNegativeKind(k)) sign = -sign;
            p = q + 1;
        }
    }

    if (degrees) *degrees = (D + M / 60.0 + S / 3600.0) * sign;
    if (hemisphere) *hemisphere = kind;
    return p;
}

long CGeoString::GetLatitude(const char* text, double* degrees, long* hemisphere,
                             long blankEndsValue) const {
    return DMSToDegrees(text, blankEndsValue, degrees, hemisphere);
}

long CGeoString::GetLongitude(const char* text, double* degrees, long* hemisphere,
                              long blankEndsValue) const {
    return DMSToDegrees(text, blankEndsValue, degrees, hemisphere);
}

long CGeoString::GetLatLon(const char* text, double* latitude, double* longitude) const {
    double lat = 0.0;
    double lon = 0.0;
    const long consumed = ReadLatLon(text, &lat, &lon);
    // A pair off the earth (a latitude beyond a pole, a longitude beyond a
    // whole turn, as the digits of a misread packed number give) is no
    // position: written back in decimal degrees it would read as another.
    if (!(std::fabs(lat) <= 90.0) || !(std::fabs(lon) <= 360.0)) lat = lon = 0.0;
    if (latitude) *latitude = lat;
    if (longitude) *longitude = lon;
    return consumed;
}

long CGeoString::ReadLatLon(const char* text, double* latitude, double* longitude) const {
    if (!text) return 0;
    // With few items each item is a whole coordinate; with more, blanks
    // separate degree, minute and second fields.
    const long blankEndsValue = GetParameterCount(text) < 5 ? 1 : 0;

    double value = 0.0;
    long kind = kHemisphereNone;
    long p = DMSToDegrees(text, blankEndsValue, &value, &kind);
    double* target = (kind == kHemisphereEast || kind == kHemisphereWest) ? longitude : latitude;
    if (target) *target = value;
    if (p == 0) return 0;

    p += SkipWhiteSpace(text + p);
    if (text[p] == ',') ++p;
    const long second = DMSToDegrees(text + p, blankEndsValue, &value, &kind);
    target = (kind == kHemisphereNorth || kind == kHemisphereSouth) ? latitude : longitude;
    if (target) *target = value;
    return p + second;
}
