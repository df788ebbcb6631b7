#include "TextFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// How many values the differential tests try: a few million by default so
// that CI stays quick, more with BVK_FORMAT_DIFF_VALUES=N when run by hand.
long DifferentialCount(long fallback) {
    const char* text = std::getenv("BVK_FORMAT_DIFF_VALUES");
    return text ? std::atol(text) : fallback;
}

// Doubles of every kind the writers may meet: all magnitudes, exact halfway
// cases of the decimal rounding, values just beside them, the specials and
// arbitrary bit patterns.
class XDoubleSource {
  public:
    explicit XDoubleSource(unsigned seed) : mRandom(seed) {}
    double Next() {
        switch (mRandom() % 6) {
            case 0: {  // a mantissa at any decimal magnitude
                std::uniform_real_distribution<double> mantissa(1.0, 10.0);
                const int exponent = static_cast<int>(mRandom() % 40) - 20;
                return Signed(mantissa(mRandom) * std::pow(10.0, exponent));
            }
            case 1: {  // m / 2^k: exact ties for every precision below k
                const int k = static_cast<int>(mRandom() % 14);
                return Signed(std::ldexp(static_cast<double>(mRandom() % 2000000), -k));
            }
            case 2: {  // the neighbours of a tie
                const double tie = std::ldexp(static_cast<double>(mRandom() % 20000), -4);
                return Signed(std::nextafter(tie, (mRandom() & 1) ? 1e9 : -1e9));
            }
            case 3: {  // values a writer prints: a few digits after the point
                const double scale = std::pow(10.0, static_cast<int>(mRandom() % 8));
                return Signed(static_cast<double>(mRandom() % 100000000) / scale);
            }
            case 4: {  // any bit pattern: denormals, huge values, NaN payloads
                uint64_t bits = (static_cast<uint64_t>(mRandom()) << 32) | mRandom();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                return d;
            }
            default: {
                using limits = std::numeric_limits<double>;
                constexpr double nan = limits::quiet_NaN(), inf = limits::infinity();
                constexpr double tiny = limits::denorm_min(), huge = limits::max();
                static const double specials[] = {
                    0.0, -0.0, nan,     -nan,     inf,          -inf, tiny,      huge, -1e-300,
                    0.5, 2.5,  -0.0005, 999.9995, 9.9999999e16, 1e17, 359.99999, 1e22};
                return specials[mRandom() % std::size(specials)];
            }
        }
    }
    uint32_t Bits() { return mRandom(); }

  private:
    double Signed(double d) { return (mRandom() & 1) ? -d : d; }
    std::mt19937 mRandom;
};

// Every fixed-notation format the writers use, and the grid around them,
// through FormatInto and through the format compiled once.
TEST(TextFormat, FixedNotationMatchesSnprintfForEveryValue) {
    std::vector<std::string> formats = {
        "%12.7f", "%11.7f", "%8.3f",  " %10.3f ", "%10.4f",   "%8.4f",  "%7.1f", "%7.2f",
        "%6.2f",  "%9.1f",  "%9.2f",  "%.3f",     "%+.03f",   "%02.0f", "%4.f.", "%f",
        "%-9.2f", "%+8.3f", "% 7.1f", "%010.3f",  "%-+12.7f", "%.0f",   "%.20f", "%3.1f"};
    // Pads longer than one fill, and literals as long as a compiled format takes.
    formats.insert(formats.end(), {"%20.3f", "%40.1f", "literal of 15 c%12.7fand 15 more c"});
    const char* flags[] = {"", "-", "+", " ", "0", "-+", "+0", " 0", "- "};
    for (const char* flag : flags) {
        for (int width = 0; width <= 16; width += 3) {
            for (int precision = -1; precision <= 12; ++precision) {
                char format[32];
                if (precision < 0) {
                    std::snprintf(format, sizeof format, "%%%s%df", flag, width);
                } else {
                    std::snprintf(format, sizeof format, "%%%s%d.%df", flag, width, precision);
                }
                formats.push_back(format);
            }
        }
    }
    std::vector<CFormatOne> compiled(formats.size());
    for (size_t f = 0; f < formats.size(); ++f)
        ASSERT_TRUE(compiled[f].Compile(formats[f].c_str()));
    XDoubleSource source(18);
    const long count = DifferentialCount(1500000);
    long failures = 0;
    for (long i = 0; i < count && failures < 10; ++i) {
        const double value = source.Next();
        const size_t f = source.Bits() % formats.size();
        const char* format = formats[f].c_str();
        char expected[512], got[512];
        std::snprintf(expected, sizeof expected, format, value);
        if (i & 1) {
            FormatInto(got, sizeof got, format, value);
        } else {
            compiled[f].Format(got, sizeof got, value);
        }
        if (std::strcmp(got, expected) != 0) {
            ++failures;
            ADD_FAILURE() << format << " of " << std::hexfloat << value << ": \"" << got
                          << "\" instead of \"" << expected << "\"";
        }
    }
}

TEST(TextFormat, IntegersAndTextMatchSnprintf) {
    std::mt19937 random(7);
    const char* longFormats[] = {"%ld",  "%10ld ", " %6ld  ", "%3ld", "%04ld", "%02ld", "%-5ld|",
                                 "%+ld", "% ld",   "%.3ld",   "%lu",  "%8lu",  "%lx"};
    const char* intFormats[] = {"%d", "%02d", "%04d", "%-3d|", "%+05d", "%u", "%c", "%5c|"};
    const long count = DifferentialCount(1500000) / 4;
    for (long i = 0; i < count; ++i) {
        // Numbers of every length, the extremes included.
        const int digits = static_cast<int>(random() % 20);
        long value = static_cast<long>((static_cast<uint64_t>(random()) << 32) | random());
        if (digits < 19) value %= static_cast<long>(std::pow(10.0, digits)) + 1;
        if (i % 1000 == 0) value = (i % 2000 == 0) ? LONG_MIN : LONG_MAX;
        char expected[128], got[128];
        const char* lf = longFormats[random() % std::size(longFormats)];
        std::snprintf(expected, sizeof expected, lf, value);
        FormatInto(got, sizeof got, lf, value);
        ASSERT_STREQ(got, expected) << lf << " of " << value;
        CFormatOne once;
        if (once.Compile(lf)) {
            once.Format(got, sizeof got, value);
            ASSERT_STREQ(got, expected) << lf << " compiled, of " << value;
        }
        const int small = static_cast<int>(value);
        const char* f = intFormats[random() % std::size(intFormats)];
        std::snprintf(expected, sizeof expected, f, small);
        FormatInto(got, sizeof got, f, small);
        ASSERT_STREQ(got, expected) << f << " of " << small;
    }
    const char* word = "Site Name";
    const char* textFormats[] = {"%s",   "%4.4s ", "\"%s\" %s", "%-12s|",    "%12s|",
                                 "%.3s", "%.5s)",  "%%%s%%",    "%s:%-6.2s|"};
    for (const char* f : textFormats) {
        char expected[128], got[128];
        std::snprintf(expected, sizeof expected, f, word, "xyz");
        FormatInto(got, sizeof got, f, word, "xyz");
        EXPECT_STREQ(got, expected) << f;
    }
    char got[64];
    FormatInto(got, sizeof got, "%*s|%-*.*s|%*ld", 12, word, 6, 3, word, -4, 7L);
    EXPECT_STREQ(got, "   Site Name|Sit   |7   ");
}

TEST(TextFormat, CutsLikeSnprintfAndReturnsTheWholeLength) {
    char text[8];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(FormatInto(text, 5, "%8.3f|%s", -2.5, "abc"), 12);
    EXPECT_STREQ(text, "  -2");
    EXPECT_EQ(text[5], 'x');  // nothing written beyond the size
    EXPECT_EQ(FormatInto(nullptr, 0, "%ld", 12345L), 5);
    // Conversions only vsnprintf knows are handed to it whole.
    EXPECT_EQ(FormatInto(text, sizeof text, "%hd|%e", static_cast<short>(-3), 1.0), 15);
    EXPECT_STREQ(text, "-3|1.00");
    // ... also when it comes after conversions of ours, a '*' width among them.
    char mixed[32];
    EXPECT_EQ(FormatInto(mixed, sizeof mixed, "%*d|%s|%hd|%zu", 3, 7, "ab", static_cast<short>(-3),
                         static_cast<size_t>(5)),
              11);
    EXPECT_STREQ(mixed, "  7|ab|-3|5");
    std::string grown = "a";
    AppendFormat(grown, "%300.1f", 1.25);
    EXPECT_EQ(grown.size(), 301u);
    EXPECT_EQ(grown.substr(297), " 1.2");  // a tie rounds to even

    // A compiled format cuts the same way, and takes only what it can hold.
    CFormatOne once;
    ASSERT_TRUE(once.Compile(" %8.3f|"));
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(once.Format(text, 5, -2.5), 10);
    EXPECT_STREQ(text, "   -");                         // " " and the first three of "  -2.500"
    EXPECT_EQ(once.Format(text, sizeof text, 3L), -1);  // a long for a double
    ASSERT_TRUE(once.Compile("%6ld|"));
    EXPECT_EQ(once.Format(text, 5, -42L), 7);
    EXPECT_STREQ(text, "   -");  // the first four of "   -42|"
    for (const char* other : {"%d", "%s", "%*ld", "%f%f", "%e", "x%", "%f 100%%", ""})
        EXPECT_FALSE(once.Compile(other)) << other;
}

}  // namespace
