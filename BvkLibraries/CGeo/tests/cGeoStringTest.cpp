#include "cGeoString.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

// The degree sign is the Mac Roman byte 0xA1. It is written as its own string
// piece ("36" DEG "30") so the hexadecimal escape cannot swallow the digits
// after it.
#define DEG "\xA1"

TEST(CGeoString, WritesEachFormatByteForByte) {
    const struct {
        bool latitude;
        double value;
        long format;
        const char* expected;
    } cases[] = {
        {true, -36.5, 2, "36" DEG "30'00\"S"},
        {false, -122.25, 4, "122" DEG "15.000'W"},
        {true, 36.999999, 3, "36" DEG "59'59.996\"N"},  // 59.9964 s + 0.0005
        {true, 12.5, 0, "+12.5000000"},
        {true, 12.5, 1, "12.500000N"},
        {true, 12.5, 99, "+12.5000000"},
        {false, -12.5, -1, "-12.5000000"},
        {false, 5.0, 2, "005" DEG "00'00\"E"},
        {false, -0.5, 1, "0.500000W"},
        {true, 0.0, 4, "00" DEG "00.000'N"},
        {false, 179.9999999, 2, "180" DEG "00'00\"E"},
        // Just below and above the half-unit of each format's last field.
        {true, 36.0 + 59.9994 / 60.0, 4, "36" DEG "59.999'N"},
        {true, 36.0 + 59.9996 / 60.0, 4, "37" DEG "00.000'N"},
        {true, 36.0 + 59.0 / 60.0 + 59.4 / 3600.0, 2, "36" DEG "59'59\"N"},
        {true, 36.0 + 59.0 / 60.0 + 59.6 / 3600.0, 2, "37" DEG "00'00\"N"},
        {true, -(36.0 + 59.0 / 60.0 + 59.9994 / 3600.0), 3, "36" DEG "59'59.999\"S"},
        {true, -(36.0 + 59.0 / 60.0 + 59.9996 / 3600.0), 3, "37" DEG "00'00.000\"S"},
        {false, 122.0 + 1.0 / 60.0 + 45.123 / 3600.0, 3, "122" DEG "01'45.123\"E"},
    };
    CGeoString geo;
    for (const auto& c : cases) {
        char text[CGeoString::kCoordTextSize];
        const long length = c.latitude ? geo.GetLatitudeString(c.value, text, c.format)
                                       : geo.GetLongitudeString(c.value, text, c.format);
        EXPECT_EQ(std::string(text), std::string(c.expected)) << c.value << " format " << c.format;
        EXPECT_EQ(length, static_cast<long>(std::strlen(c.expected)));
    }
}

TEST(CGeoString, PairTextJoinsWithTheSeparator) {
    CGeoString geo;
    char text[CGeoString::kPairTextSize];
    long n = geo.GetLatLonString(36.5, -122.25, text, 4, nullptr);
    EXPECT_STREQ(text, "36" DEG "30.000'N,122" DEG "15.000'W");
    EXPECT_EQ(n, 11 + 1 + 12);
    n = geo.GetLatLonString(-1.0, 2.0, text, 1, "  ");
    EXPECT_STREQ(text, "1.000000S  2.000000E");
    EXPECT_EQ(n, 20);
    // A runaway separator is cut; the buffer size stated in the header holds.
    const std::string longSeparator(200, '-');
    n = geo.GetLatLonString(1e300, -1e300, text, 1, longSeparator.c_str());
    EXPECT_LT(n, CGeoString::kPairTextSize);
    EXPECT_EQ(static_cast<long>(std::strlen(text)), n);
}

TEST(CGeoString, AbsurdValuesStillFitTheBuffer) {
    CGeoString geo;
    const double values[] = {1e300, -1e300, std::nan(""), INFINITY, -INFINITY, 4e9};
    for (double v : values) {
        for (long format = 0; format <= 4; ++format) {
            char text[CGeoString::kCoordTextSize];
            const long n = geo.GetLongitudeString(v, text, format);
            EXPECT_LT(n, CGeoString::kCoordTextSize) << v << " format " << format;
            EXPECT_EQ(static_cast<long>(std::strlen(text)), n);
        }
    }
}

TEST(CGeoString, ReadsTheWaysPositionsAreWritten) {
    const struct {
        const char* text;
        long blankEndsValue;
        double degrees;
        long hemisphere;
        long consumed;
    } cases[] = {
        {"36 30 N", 0, 36.5, 1, 7},
        {"36 30 N", 1, 36.0, 0, 2},  // the blank ends the value
        {"N36.5", 0, 36.5, 1, 5},
        {"S 36 30", 0, -36.5, 2, 7},
        {"w122.25", 1, -122.25, 4, 7},
        {"3630.0", 0, 36.5, 0, 6},  // packed degrees and minutes
        {"3657.5N", 0, 36.0 + 57.5 / 60.0, 1, 7},
        {"1223015", 0, 122.0 + 30.0 / 60.0 + 15.0 / 3600.0, 0, 7},  // packed d m s
        {"1223015.5E", 0, 122.0 + 30.0 / 60.0 + 15.5 / 3600.0, 3, 10},
        {"36d30m", 0, 36.5, 0, 6},
        {"36g30'", 0, 36.5, 0, 6},  // g is a degree mark, not an exponent
        {"-36 30", 0, -36.5, 0, 6},
        {"-0 30", 0, -0.5, 0, 5},  // the sign of a zero degree field counts
        {"36.5 N", 1, 36.5, 1, 6},
        {"36" DEG "30'00\"S", 1, -36.5, 2, 10},
        {"36\xC2\xB0"
         "30'N",
         1, 36.5, 1, 8},  // UTF-8 degree sign: one two-byte mark
        {"36*30*15", 0, 36.0 + 0.5 + 15.0 / 3600.0, 0, 8},
        {"36 30 15.5 N", 0, 36.0 + 0.5 + 15.5 / 3600.0, 1, 12},
        {"45'", 0, 0.75, 0, 3},                             // minutes alone
        {"30\" 15", 0, 15.0 / 60.0 + 30.0 / 3600.0, 0, 6},  // seconds, then minutes
        {"36  30", 0, 36.0, 0, 2},                          // two blanks end the value
        {"36.5 30", 0, 36.5, 0, 4},                         // a fraction ends the value
        {"  36.5", 1, 36.5, 0, 6},
        {"36,-122", 1, 36.0, 0, 2},
    };
    CGeoString geo;
    for (const auto& c : cases) {
        double degrees = 99.0;
        long kind = 99;
        const long n = geo.DMSToDegrees(c.text, c.blankEndsValue, &degrees, &kind);
        EXPECT_NEAR(degrees, c.degrees, 1e-12) << c.text;
        EXPECT_EQ(kind, c.hemisphere) << c.text;
        EXPECT_EQ(n, c.consumed) << c.text;
    }
    double degrees = 0.0;
    long kind = 0;
    EXPECT_EQ(geo.GetLatitude("36 30 N", &degrees, &kind, 0), 7);
    EXPECT_EQ(geo.GetLongitude("122 15 W", &degrees, &kind, 0), 8);
    EXPECT_DOUBLE_EQ(degrees, -122.25);
}

TEST(CGeoString, TextThatIsNoPositionStopsCleanly) {
    const std::string digits(5000, '1');
    const std::string blanks(5000, ' ');
    const std::string binary("\xFF\xFE\x01\x80\x7F", 5);
    const std::string texts[] = {"",    "hello", ",",    ":",    "--",   "N",
                                 "...", "nan(",  digits, blanks, binary, "****"};
    CGeoString geo;
    for (const std::string& t : texts) {
        const char* text = t.c_str();
        double degrees = 99.0;
        long kind = 99;
        const long n = geo.DMSToDegrees(text, 0, &degrees, &kind);
        EXPECT_GE(n, 0) << text;
        EXPECT_LE(n, static_cast<long>(std::strlen(text))) << text;
    }
    double degrees = 99.0;
    long kind = 99;
    EXPECT_EQ(geo.DMSToDegrees("hello", 0, &degrees, &kind), 0);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(degrees, 0.0);
    EXPECT_EQ(geo.DMSToDegrees(nullptr, 0, &degrees, &kind), 0);
    EXPECT_EQ(geo.DMSToDegrees(",", 0, nullptr, nullptr), 0);
    // A huge packed number is consumed whole and does not crash the field split.
    EXPECT_EQ(geo.DMSToDegrees(digits.c_str(), 0, &degrees, &kind), 5000);
}

TEST(CGeoString, ReadsPairsInEitherOrder) {
    const struct {
        const char* text;
        double latitude;
        double longitude;
        long consumed;
    } cases[] = {
        {"36.5N, 122.25W", 36.5, -122.25, 14},
        {"122.25W 36.5N", 36.5, -122.25, 13},  // the letters decide
        {"36 30 00 N 122 15 00 W", 36.5, -122.25, 22},
        {"36 57.5 N 122 1 W", 36.0 + 57.5 / 60.0, -(122.0 + 1.0 / 60.0), 17},
        {"36.5,-122.25", 36.5, -122.25, 12},
        {"36" DEG "30.000'N,122" DEG "15.000'W", 36.5, -122.25, 24},
        {"36" DEG "30'N 122" DEG "15'W", 36.5, -122.25, 16},
        {"hello world", 0.0, 0.0, 0},
        // Off the earth: a packed number's digits give 12200 degrees.
        {"36.9 -122000000.0", 0.0, 0.0, 17},
        {"95.5 10.0", 0.0, 0.0, 9},
    };
    CGeoString geo;
    for (const auto& c : cases) {
        double latitude = 99.0;
        double longitude = 99.0;
        EXPECT_EQ(geo.GetLatLon(c.text, &latitude, &longitude), c.consumed) << c.text;
        EXPECT_NEAR(latitude, c.latitude, 1e-12) << c.text;
        EXPECT_NEAR(longitude, c.longitude, 1e-12) << c.text;
    }
    double latitude = 99.0;
    double longitude = 99.0;
    EXPECT_EQ(geo.GetLatLon(nullptr, &latitude, &longitude), 0);
    EXPECT_EQ(latitude, 0.0);
    EXPECT_EQ(longitude, 0.0);
}

TEST(CGeoString, PairsReadBackFromEveryFormat) {
    CGeoString geo;
    const double points[][2] = {{36.958333, -122.016667}, {-33.5, 151.25}, {0.25, -0.75}};
    for (long format = 0; format <= 4; ++format) {
        for (const auto& p : points) {
            char text[CGeoString::kPairTextSize];
            const long n = geo.GetLatLonString(p[0], p[1], text, format, nullptr);
            double latitude = 0.0;
            double longitude = 0.0;
            EXPECT_EQ(geo.GetLatLon(text, &latitude, &longitude), n) << text;
            EXPECT_NEAR(latitude, p[0], 0.5 / 3600.0 + 1e-12) << text;
            EXPECT_NEAR(longitude, p[1], 0.5 / 3600.0 + 1e-12) << text;
        }
    }
}

TEST(CGeoString, ScanningHelpersStopWhereTheNumberEnds) {
    const struct {
        const char* text;
        long skipInteger;
        long skipFloat;
    } cases[] = {
        {"+12.5", 3, 5},      {"0x1F", 1, 1},  // no hexadecimal
        {"1.5e", 1, 3},                        // a bare exponent letter is not part of it
        {"2E-2.5 ", 1, 6},    {"36g30", 2, 2}, {"****", 0, 4},
        {"NaN(123) 5", 0, 8}, {"info", 0, 0},  {"  7", 0, 0},  // neither skips white space
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CGeoString::SkipInteger(c.text), c.skipInteger) << c.text;
        EXPECT_EQ(CGeoString::SkipFloat(c.text), c.skipFloat) << c.text;
    }
    double value = 0.0;
    EXPECT_EQ(CGeoString::StringToDouble("  -1.5e-3xyz", &value), 9);
    EXPECT_DOUBLE_EQ(value, -0.0015);
    EXPECT_EQ(CGeoString::StringToDouble("abc", &value), 0);
    EXPECT_EQ(value, 0.0);
    const std::string longNumber = "0." + std::string(1000, '5');
    EXPECT_EQ(CGeoString::StringToDouble(longNumber.c_str(), &value), 1002);
    EXPECT_NEAR(value, 5.0 / 9.0, 1e-12);
    EXPECT_EQ(CGeoString::SkipWhiteSpace(" \t x"), 3);
}

}  // namespace
