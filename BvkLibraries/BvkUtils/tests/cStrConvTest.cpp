#include "cStrConv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

TEST(CStrConv, StringToDoubleConsumesWhiteSpaceAndTheNumberOnly) {
    const struct {
        const char* text;
        long consumed;
        double value;
    } cases[] = {
        {"  -1.5e-3xyz", 9, -0.0015},
        {"1.5e", 3, 1.5},     // a bare exponent letter is not part of the number
        {"1.5e+", 3, 1.5},    // nor a signed one without digits
        {"2g2", 3, 2.0},      // g is an exponent letter for the scan, atof stops before it
        {"3E2.5", 5, 300.0},  // an exponent may carry a fraction, the scan takes it
        {"\t+.5,", 4, 0.5},
        {"-", 1, 0.0},
        {"", 0, 0.0},
        {"****  7", 4, 0.0},  // fillers of an unprintable number
        {" 12 34", 3, 12.0},
    };
    for (const auto& c : cases) {
        double d = -99;
        EXPECT_EQ(CStrConv::StringToDouble(c.text, &d), c.consumed) << c.text;
        EXPECT_DOUBLE_EQ(d, c.value) << c.text;
    }
    double v[4] = {};
    EXPECT_EQ(CStrConv::StringToDoubles("1, 2 ,3,4,5", v, 4), 4);
    EXPECT_TRUE(v[0] == 1 && v[1] == 2 && v[2] == 3 && v[3] == 4);
    EXPECT_EQ(CStrConv::StringToDoubles("7 x 8", v, 4), 1);
}

TEST(CStrConv, SkippersCountSignsFillersPrefixesAndNumberWords) {
    const struct {
        long (*skip)(const char*);
        const char* text;
        long length;
    } cases[] = {
        {CStrConv::SkipFloat, "****", 4},
        {CStrConv::SkipFloat, "NaN(123) 5", 8},
        {CStrConv::SkipFloat, "info", 0},  // a letter follows: not a number word
        {CStrConv::SkipFloat, "-inf,", 4},
        {CStrConv::SkipFloat, "nan(unclosed", 3},
        {CStrConv::SkipFloat, "in", 0},  // fewer than three characters
        {CStrConv::SkipInteger, "-12x", 3},
        {CStrConv::SkipInteger, "+", 1},  // a sign alone still counts
        {CStrConv::SkipInteger, "0x1fG", 4},
        {CStrConv::SkipInteger, "***1", 3},
        {CStrConv::SkipInteger, "12.5", 2},
        {CStrConv::SkipHex, "-aF9g", 4},
        {CStrConv::SkipToNextItem, "abc,def", 4},
        {CStrConv::SkipToNextItem, "abc , def", 6},
        {CStrConv::SkipToNextItem, "  , abc", 4},
        {CStrConv::SkipWhiteSpace, " \t\r", 2},  // CR is not white space
    };
    for (const auto& c : cases) EXPECT_EQ(c.skip(c.text), c.length) << c.text;
    double d = 0;
    EXPECT_EQ(CStrConv::StringToDouble(" inf", &d), 4);
    EXPECT_TRUE(std::isinf(d));
}

TEST(CStrConv, IntegerReadersTruncateClampAndWrap) {
    const struct {
        char reader;  // l: StringToLong, u: StringToULong, s: StringToShort
        const char* text;
        long consumed;
        long long value;
    } cases[] = {
        {'l', " 0x1F", 5, 31},
        {'l', "-7.9", 4, -7},
        {'l', "1e3", 3, 1000},
        {'l', "3000000000", 10, 3000000000LL - 4294967296LL},  // the unsigned pattern, signed
        {'l', "nan", 3, 0},
        {'u', "5000000000", 10, 4294967295LL},
        {'u', "-1", 2, 4294967295LL},
        {'u', "\r5", 0, 5},        // atof skips the CR, the count does not
        {'u', "12g3", 4, 12},      // the count takes the g exponent, atof stops before it
        {'l', "-2E1.5x", 6, -20},  // and an exponent's fraction
        {'s', " 70000", 6, 70000 - 65536},
        {'s', "0xFFFF", 6, -1},
        {'s', "12.9", 2, 12},  // integers stop at the point
    };
    for (const auto& c : cases) {
        long n = 99;
        unsigned long u = 99;
        short s = 99;
        long consumed = c.reader == 'l'   ? CStrConv::StringToLong(c.text, &n)
                        : c.reader == 'u' ? CStrConv::StringToULong(c.text, &u)
                                          : CStrConv::StringToShort(c.text, &s);
        EXPECT_EQ(consumed, c.consumed) << c.text;
        EXPECT_EQ(c.reader == 'l'   ? n
                  : c.reader == 'u' ? static_cast<long long>(u)
                                    : s,
                  c.value)
            << c.text;
    }
    // Without a destination only the white space is measured.
    EXPECT_EQ(CStrConv::StringToLong("   42", nullptr), 3);

    const struct {
        const char* text;
        long maxDigits;
        long consumed;
        unsigned long value;
    } hex[] = {
        {" x1aZ", 0, 4, 0x1a},
        {"0XABCDEF", 4, 6, 0xABCD},
        {"  zz", 0, 2, 7},  // nothing seen: the value is left alone
        {"0x", 0, 2, 0},    // a prefix alone counts as seen
    };
    for (const auto& c : hex) {
        unsigned long v = 7;
        EXPECT_EQ(CStrConv::StringHexToLong(c.text, &v, c.maxDigits), c.consumed) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(CStrConv, FindSubStringReadsWordsAndQuotedStrings) {
    struct Case {
        const char* text;
        unsigned long maxLength;
        const char* word;
        long consumed;
    };
    const Case cases[] = {
        {"  \"Site Name\", next", 256, "Site Name", 13},
        {"abc,def", 256, "abc", 4},
        {"abc\r\n", 256, "abc", 3},  // line ends are not consumed
        {"'a,b c'x", 256, "a,b c", 7},
        {"\"open to the end", 256, "open to the end", 16},
        {"\"\" rest", 256, "", 2},
        {" , x", 256, "", 2},  // a comma right after the white space is an empty item
        {"", 256, "", 0},
        {"abcdef ghi", 3, "abc", 4},  // the character after a cut is consumed too
        {"abc\n", 3, "abc", 3},       // ... unless it is a line end
        {"\"abcdef\"", 3, "abc", 5},  // in quotes whatever it is
    };
    for (const auto& c : cases) {
        char word[300];
        memset(word, 'Z', sizeof word);
        EXPECT_EQ(CStrConv::FindSubString(c.text, word, c.maxLength), c.consumed) << c.text;
        EXPECT_STREQ(word, c.word) << c.text;
    }
    EXPECT_EQ(CStrConv::FindSubString("measure only", nullptr, 0), 8);
}

TEST(CStrConv, CharCodesReadQuotedNumericAndShortFormsAndWriteBack) {
    struct Case {
        const char* text;
        unsigned long code;
        long consumed;
    };
    const Case cases[] = {
        {"ABCD EFGH", 0x41424344, 4},
        {"12345", 12345, 5},
        {"'ab'  ", 0x61620000, 4},
        {"'1234'", 0x31323334, 6},  // quoted, so characters and not a number
        {"ab cd", 0x61622063, 4},   // blanks do not stop an unquoted code
        {"ab", 0x61620000, 2},
        {"", 0, 0},
        {"  LLUV", 0x4C4C5556, 6},  // longer than four: white space skipped
    };
    for (const auto& c : cases) {
        unsigned long code = 99;
        EXPECT_EQ(CStrConv::StringToCharCode(c.text, &code), c.consumed) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
    // Written back, control bytes show as '_' and a zero byte ends the text.
    char text[8];
    EXPECT_EQ(CStrConv::CharCodeToString(text, 0x4B767264), 4);
    EXPECT_STREQ(text, "Kvrd");
    CStrConv::CharCodeToString(text, 0x41094243);
    EXPECT_STREQ(text, "A_BC");
    CStrConv::CharCodeToString(text, 0x41420000);
    EXPECT_STREQ(text, "AB");  // a zero byte ends the text early
}

TEST(CStrConv, ChoicesMatchWholeThenLongestPartialAndCopyByNumber) {
    const char* list = "Off,On,Tandem,XYUV";
    struct Case {
        const char* text;
        long noPartial;
        long index;
    };
    const Case cases[] = {
        {"on", 0, 1}, {"tan", 0, 2},      {"O", 0, 0},    {"Tandem2", 0, 2}, {"Q", 0, -1},
        {"", 0, 0},   {"Tandem2", 1, -1}, {"xyuv", 1, 3}, {"Oz", 0, 0},  // partial of one
                                                                         // character: the first
                                                                         // such item wins
    };
    for (const auto& c : cases)
        EXPECT_EQ(CStrConv::FindChoice(c.text, list, -1, c.noPartial), c.index) << c.text;
    EXPECT_EQ(CStrConv::FindChoice("end", "center begin end", 5, 0), 2);
    EXPECT_EQ(CStrConv::FindChoice("x", "", 5, 0), 5);
    char item[32];
    EXPECT_EQ(CStrConv::GetChoiceString(2, "Off,On,Tandem,XYUV", item, 32), 6);
    EXPECT_STREQ(item, "Tandem");
    EXPECT_EQ(CStrConv::GetChoiceString(7, "Off,On,Tandem,XYUV", item, 32), 0);
    EXPECT_STREQ(item, "");
    EXPECT_EQ(CStrConv::GetChoiceString(1, "center , begin end", item, 3), 3);
    EXPECT_STREQ(item, "beg");
    EXPECT_EQ(CStrConv::GetChoiceString(0, "abc", nullptr, 3), 0);
}

TEST(CStrConv, StringCompareOrdersBytesSignedAndStopsAtTheLimit) {
    EXPECT_EQ(CStrConv::StringCompare("abc", "ABD", 1, 0), -1);
    EXPECT_EQ(CStrConv::StringCompare("abc", "abcd", 0, 3), 0);
    EXPECT_EQ(CStrConv::StringCompare("abc", "abcd", 0, 0), -1);
    EXPECT_EQ(CStrConv::StringCompare("abc", "ABC", 0, 0), 1);
    EXPECT_EQ(CStrConv::StringCompare("\xA1", "a", 0, 0), -1);  // high bytes sort below ASCII
    EXPECT_EQ(CStrConv::StringCompare(nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(CStrConv::StringCompare(nullptr, "", 0, 0), -1);
}

TEST(CStrConv, EditingHelpersWorkInPlace) {
    char text[32] = "12 3 ! note";
    char comment[32] = "old";
    CStrConv::StripFortranComment(text, comment);
    EXPECT_STREQ(text, "12 3");
    EXPECT_STREQ(comment, "! note");

    char padded[16] = "ab";
    CStrConv::PadString(padded, 5);
    EXPECT_STREQ(padded, "  ab ");

    char body[16] = "world";
    EXPECT_EQ(CStrConv::InsertString("hi ", body), 3);
    EXPECT_STREQ(body, "hi world");

    char trailing[16] = "x \t ";
    EXPECT_STREQ(CStrConv::StripTrailingWhiteSpace(trailing), "x");
    EXPECT_EQ(CStrConv::ReverseSkipWhiteSpace("ab  cd  ", 4), 2);
    EXPECT_EQ(CStrConv::ReverseSkipWhiteSpace(" \t", 0), 0);
}

TEST(CStrConv, HostileTextNeverReadsPastTheEnd) {
    // A long run without separators and binary bytes: every reader stops at the NUL.
    std::string big(100000, '9');
    double d = 0;
    EXPECT_EQ(CStrConv::StringToDouble(big.c_str(), &d), 100000);
    EXPECT_TRUE(std::isinf(d));
    long n = 0;
    EXPECT_EQ(CStrConv::StringToLong(big.c_str(), &n), 100000);
    EXPECT_EQ(n, -1);  // clamped to 4,294,967,295 and read back signed
    std::string binary = "\x01\x02\xff\xfe\x7f";
    char word[8];
    EXPECT_EQ(CStrConv::FindSubString(binary.c_str(), word, 7), 5);
    unsigned long code = 0;
    EXPECT_EQ(CStrConv::StringToCharCode("\"", &code), 1);
    EXPECT_EQ(CStrConv::FindChoice(binary.c_str(), "a,b", 9, 0), 9);
}

// The value of every number is atof's, to the last bit, whatever way it is
// written: numbers as writers print them at every magnitude and precision,
// the shortest round-trip form, long digit strings, and the forms atof reads
// differently from a plain decimal (hexadecimal, nan, inf, signs, exponents
// out of range).
TEST(CStrConv, StringToDoubleGivesAtofsValueForEveryNumber) {
    const char* env = std::getenv("BVK_FORMAT_DIFF_VALUES");
    const long count = env ? std::atol(env) : 1000000;
    std::mt19937_64 random(4);
    const char* formats[] = {"%.0f", "%.1f", "%.3f", "%.7f", "%.17g", "%.25e", "%g", "%.40f"};
    char text[512];
    for (long i = 0; i < count; ++i) {
        double d;
        const uint64_t bits = random();
        if (i % 4 == 0) {
            std::memcpy(&d, &bits, sizeof d);  // any double, denormals and huge ones too
        } else {
            d = std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(random() % 120) - 100);
        }
        if (i % 2) d = -d;
        std::snprintf(text, sizeof text, formats[random() % std::size(formats)], d);
        if (i % 8 == 1) text[0] = text[0] == '-' ? '+' : text[0];
        double got = 0;
        CStrConv::StringToDouble(text, &got);
        const double expected = atof(text);
        ASSERT_TRUE(std::memcmp(&got, &expected, sizeof got) == 0 ||
                    (std::isnan(got) && std::isnan(expected)))
            << text;
    }
    for (const char* t : {"0x1p3", "-0X10", "+-5", "-+5", "1e400", "-1e-400", "4.9e-324", "1.e5",
                          ".e5", "-.5e", "nan(1)", "-InF", "1e+", "+.", "00012.5", "1_000",
                          "9007199254740993", "\r5", "0e99999"}) {
        double got = 0;
        CStrConv::StringToDouble(t, &got);
        const double expected = atof(t);
        EXPECT_TRUE(std::memcmp(&got, &expected, sizeof got) == 0 ||
                    (std::isnan(got) && std::isnan(expected)))
            << t;
    }
}

}  // namespace
