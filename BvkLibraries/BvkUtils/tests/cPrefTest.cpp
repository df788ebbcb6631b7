#include "cPref.h"

#include "BvkErrors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kModes = "Off,On,Tandem,XYUV";

class PrefChoices : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pref_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "Quillmoor.pref").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string Read() {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    long Open(CPref& pref, long bReadOnly) {
        CFileSpec spec;
        spec.SetFileSpec(path.c_str());
        return pref.OpenPreference(&spec, 0, 0, bReadOnly);
    }

    fs::path dir;
    std::string path;
};

struct ChoiceCase {
    const char* value;
    long expected;
};

TEST_F(PrefChoices, ChoiceIsTheValuesFirstWordInTheList) {
    const ChoiceCase cases[] = {
        {"Tandem ;; comment", 2},
        {"tandem", 2},
        {"XYUV  \t;; Off,On,Tandem,XYUV", 3},
        {"On extra words", 1},
        {"\"Tandem\"", 2},  // quotes come off the value first
        {"tan", 2},         // a prefix of an item
        {"Tandem2", 2},     // the longest partial match
        {"Quiet", 1},       // unknown: the default
        {"", 0},            // an empty word matches the first item
    };
    for (const auto& c : cases) {
        Write(std::string("[Conversion]\nOutputLLUV = ") + c.value + "\n");
        CPref pref;
        ASSERT_EQ(Open(pref, 1), kNoErr);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 1), c.expected) << c.value;
    }
}

TEST_F(PrefChoices, MissingChoiceIsWrittenWithItsListAsComment) {
    Write("[Conversion]\nOther = 1\n\n[GreatCircle]\nEllipsiod = WGS84\n");
    {
        CPref pref;
        ASSERT_EQ(Open(pref, 0), kNoErr);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 1), 1);
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 3), 1);  // now it is there
    }
    EXPECT_EQ(Read(),
              "[Conversion]\nOther = 1\nOutputLLUV = On  \t;; Off,On,Tandem,XYUV\n\n"
              "[GreatCircle]\nEllipsiod = WGS84\n");
}

TEST_F(PrefChoices, MissingChoiceAndSectionInAReadOnlyStoreGiveTheDefault) {
    Write("; nothing here\n");
    {
        CPref pref;
        ASSERT_EQ(Open(pref, 1), kNoErr);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 3), 3);
        EXPECT_EQ(pref.mbModified, 0);
    }
    EXPECT_EQ(Read(), "; nothing here\n");
}

TEST_F(PrefChoices, FormattedValues) {
    Write("[S]\n");
    CPref pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    pref.SetSection("S");
    EXPECT_EQ(pref.PutStringf("Count", "%ld items at %.2f", 12L, 1.5), 1u);
    EXPECT_EQ(pref.PutStringf(nullptr, "%d", 1), kPrefNoLine);
    EXPECT_EQ(pref.PutStringf("x", nullptr), kPrefNoLine);
    EXPECT_EQ(pref.PutChoice("Mode", kModes, 2), 2u);
    EXPECT_EQ(pref.PutChoice("Far", kModes, 9), 3u);  // no such item: an empty name
    std::string huge(3000, 'v');
    EXPECT_EQ(pref.PutStringf("Huge", "%s", huge.c_str()), 4u);
    char out[2048];
    pref.GetString("Huge", out, sizeof(out), nullptr, 0);
    EXPECT_EQ(std::string(out), std::string(1023, 'v'));  // cut to 1,023 characters
    pref.GetString("Count", out, sizeof(out), nullptr, 0);
    EXPECT_STREQ(out, "12 items at 1.50");
    pref.GetString("Mode", out, sizeof(out), nullptr, 1);
    EXPECT_STREQ(out, "Tandem  \t;; Off,On,Tandem,XYUV");
    pref.GetString("Far", out, sizeof(out), nullptr, 0);
    EXPECT_STREQ(out, "");
    pref.SetReadOnly(1);
}

// The converter's own use: a file kept by hand, with comments, blank lines,
// keys the program does not know and CR LF line ends, gains only the line
// that was asked for.
TEST_F(PrefChoices, ConverterEditKeepsTheRestOfAHandKeptFile) {
    const std::string before =
        ";; Quillmoor preferences\r\n"
        "\r\n"
        "[GreatCircle]\r\n"
        "Ellipsiod = WGS84 ;; Clarke1866,WGS84\r\n"
        "MyOwnKey = \"keep;; this\"\r\n"
        "\r\n"
        "[Conversion]\r\n"
        "; the output mode is chosen here\r\n"
        "Unknown=1\r\n"
        "\r\n"
        "[End]\r\n";
    Write(before);
    {
        CPref pref;
        ASSERT_EQ(Open(pref, 0), kNoErr);
        pref.SetSection("GreatCircle");
        EXPECT_EQ(pref.GetChoice("Ellipsiod", "Clarke1866,WGS84", 0), 1);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 1), 1);
        EXPECT_EQ(pref.ClosePreference(), kNoErr);
    }
    EXPECT_EQ(Read(),
              ";; Quillmoor preferences\r\n"
              "\r\n"
              "[GreatCircle]\r\n"
              "Ellipsiod = WGS84 ;; Clarke1866,WGS84\r\n"
              "MyOwnKey = \"keep;; this\"\r\n"
              "\r\n"
              "[Conversion]\r\n"
              "; the output mode is chosen here\r\n"
              "Unknown=1\r\n"
              "OutputLLUV = On  \t;; Off,On,Tandem,XYUV\r\n"
              "\r\n"
              "[End]\r\n");
    // Read back, the new line gives the same choice.
    CPref again;
    ASSERT_EQ(Open(again, 1), kNoErr);
    again.SetSection("Conversion");
    EXPECT_EQ(again.GetChoice("OutputLLUV", kModes, 3), 1);
}

}  // namespace
