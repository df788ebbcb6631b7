// Reading an LLUV file whole, and the number reader's fast path against the
// full conversion.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "BvkErrors.h"
#include "cFileTool.h"
#include "cLLUVTables.h"

namespace fs = std::filesystem;

namespace {

double Read(const std::string& token) {
    const char* end = nullptr;
    const double value = LLUVTablesReadNumber(token.c_str(), &end);
    EXPECT_EQ(end, token.c_str() + token.size()) << token;
    return value;
}

long ReadText(const std::string& text, CLLUVTables* file) {
    const fs::path path = fs::temp_directory_path() / "bvk-lluv-tables-test.ruv";
    std::ofstream(path, std::ios::binary) << text;
    CFileTool spec;
    spec.SetFileSpec(path.c_str());
    const long err = file->ReadTables(&spec);
    fs::remove(path);
    return err;
}

}  // namespace

TEST(LLUVTables, NumbersReadAsTheFullConversionReadsThem) {
    const struct {
        const char* token;
        double value;  // NaN: no number
    } kCases[] = {
        {"-122.0634000", -122.0634},
        {"+18.", 18},
        {"000", 0},
        {"-0.000", -0.0},
        {"999.000", 999},
        {"1e3", 1000},                               // beyond the fast path
        {"1234567890123456.5", 1234567890123456.5},  // more than 15 digits
        {"abc", NAN},
        {"12abc", NAN},
        {"-", NAN},
        {".", NAN},
        {"1.2.3", NAN},
    };
    for (const auto& c : kCases) {
        const double value = Read(c.token);
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(value)) << c.token;
        } else {
            EXPECT_EQ(value, c.value) << c.token;
            EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.token;
        }
    }
    // Random decimals of up to 15 digits, as the tables write them.
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = static_cast<int>(random() % 9);
        const long long whole = static_cast<long long>(random() % 1000000000000000ULL);
        const std::string digits = std::to_string(whole);
        const size_t point = decimals > 0 && static_cast<int>(digits.size()) > decimals
                                 ? digits.size() - static_cast<size_t>(decimals)
                                 : digits.size();
        std::string token = random() % 2 ? "-" : "";
        token.append(digits, 0, point);
        if (point < digits.size()) {
            token += '.';
            token.append(digits, point);
        }
        ASSERT_EQ(Read(token), std::strtod(token.c_str(), nullptr)) << token;
    }
}

TEST(LLUVTables, KeepsKeywordsAsWrittenAndEveryTableAsNumbers) {
    CLLUVTables file;
    ASSERT_EQ(ReadText("%FileType: LLUV rdls\n%Site: ABCD \"\"\n%Origin:  36.9 -122.1\n"
                       "%TableType: LLUV RDL5\n%TableColumnTypes: LOND LATD VELO\n%TableStart:\n"
                       " 1 2 3 4\n 5 x\n%TableEnd:\n"
                       "%TableType: rads rad1\n%TableColumnTypes: TIME AMP1\n%TableStart: 2\n"
                       "%  0 +0.5\n%TableEnd: 2\n%End:\n",
                       &file),
              kNoErr);
    ASSERT_EQ(file.mKeywords.size(), 3u);
    EXPECT_EQ(file.mKeywords[2].name, "Origin");
    EXPECT_EQ(file.mKeywords[2].value, " 36.9 -122.1");
    ASSERT_EQ(file.mTables.size(), 2u);
    const XLLUVTable& vectors = file.mTables[0];
    EXPECT_EQ(vectors.rows, 2);
    EXPECT_EQ(vectors.Value(0, 2), 3);  // the fourth number has no column
    EXPECT_EQ(vectors.Value(1, 0), 5);
    EXPECT_TRUE(std::isnan(vectors.Value(1, 1)));  // "x"
    EXPECT_TRUE(std::isnan(vectors.Value(1, 2)));  // short row
    EXPECT_EQ(file.mTables[1].Value(0, 1), 0.5);

    CLLUVTables empty;  // a map without vectors is still a map
    ASSERT_EQ(ReadText("%FileType: LLUV rdls\n%TableType: LLUV RDL5\n%TableColumnTypes: LOND LATD"
                       "\n%TableStart:\n%TableEnd:\n",
                       &empty),
              kNoErr);
    ASSERT_EQ(empty.mTables.size(), 1u);
    EXPECT_EQ(empty.mTables[0].rows, 0);
    EXPECT_EQ(empty.mTables[0].columns.size(), 2u);
}

TEST(LLUVTables, RefusesWhatIsNoRadialFile) {
    CLLUVTables file;
    EXPECT_EQ(ReadText("%FileType: LLUV rdls\n%TableType: rads rad1\n%TableColumnTypes: TIME\n"
                       "%TableStart:\n 1\n",
                       &file),
              kLLUVTablesErrNoVectorTable);
    EXPECT_EQ(ReadText("%FileType: XXXX rdls\n", &file), kErrBadArgument);
    const fs::path huge = fs::temp_directory_path() / "bvk-lluv-tables-huge.ruv";
    std::ofstream(huge) << "%FileType: LLUV rdls\n";
    fs::resize_file(huge, kLLUVTablesMaxFileBytes + 1);  // sparse: nothing is written
    CFileTool spec;
    spec.SetFileSpec(huge.c_str());
    EXPECT_EQ(file.ReadTables(&spec), kLLUVTablesErrTooLarge);
    fs::remove(huge);
}
