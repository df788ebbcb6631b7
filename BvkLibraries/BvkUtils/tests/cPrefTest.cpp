#include "cPref.h"

#include "BvkErrors.h"
#include "UtilsTestFiles.h"

namespace {

constexpr const char* kModes = "Off,On,Tandem,XYUV";

class PrefChoices : public PrefFile {};

// Matching itself is CStrConv::FindChoice's; here only what CPref feeds it.
TEST_F(PrefChoices, ChoiceIsTheValuesFirstWordInTheList) {
    const struct {
        const char* value;
        long expected;
    } cases[] = {
        {"Tandem ;; comment", 2},
        {"XYUV  \t;; Off,On,Tandem,XYUV", 3},  // the form PutChoice writes
        {"On extra words", 1},
        {"\"Tandem\"", 2},  // quotes come off the value first
        {"Quiet", 1},       // unknown: the default
    };
    for (const auto& c : cases) {
        Write(std::string("[Conversion]\nOutputLLUV = ") + c.value + "\n");
        CPref pref;
        ASSERT_EQ(Open(pref, 1), kNoErr);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 1), c.expected) << c.value;
    }
}

TEST_F(PrefChoices, MissingChoiceIsWrittenOnlyWhenTheStoreIsWritable) {
    Write("; nothing here\n");
    {
        CPref pref;
        ASSERT_EQ(Open(pref, 1), kNoErr);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 3), 3);
        EXPECT_EQ(pref.mbModified, 0);
    }
    EXPECT_EQ(Read(), "; nothing here\n");

    Write("[Conversion]\nOther = 1\n");
    {
        CPref pref;
        ASSERT_EQ(Open(pref, 0), kNoErr);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 1), 1);
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 3), 1);  // now it is there
    }
    EXPECT_EQ(Read(), "[Conversion]\nOther = 1\nOutputLLUV = On  \t;; Off,On,Tandem,XYUV\n");
}

TEST_F(PrefChoices, FormattedValuesAreCutAndUnknownChoicesEmpty) {
    Write("[S]\n");
    CPref pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    pref.SetSection("S");
    EXPECT_EQ(pref.PutStringf(nullptr, "%d", 1), kPrefNoLine);
    EXPECT_EQ(pref.PutStringf("x", nullptr), kPrefNoLine);
    EXPECT_EQ(pref.PutChoice("Far", kModes, 9), 1u);
    EXPECT_EQ(pref.PutStringf("Huge", "%s", std::string(3000, 'v').c_str()), 2u);
    char out[2048];
    pref.GetString("Huge", out, sizeof(out), nullptr, 0);
    EXPECT_EQ(std::string(out), std::string(1023, 'v'));
    pref.GetString("Far", out, sizeof(out), nullptr, 0);
    EXPECT_STREQ(out, "");
    pref.SetReadOnly(1);
}

// The converter's own use: a hand-kept file with blank lines, a key the
// program does not know and CR LF line ends gains only the new line and the
// replaced one (which loses its old comment).
TEST_F(PrefChoices, EditsKeepEveryOtherByteOfAHandKeptFile) {
    Write(
        "[GreatCircle]\r\n"
        "Ellipsiod = WGS84 ;; old\r\n"
        "[Conversion]\r\n"
        "  Unknown\t=  x  \r\n"
        "\r\n"
        "\r\n"
        "[End]\r\n");
    {
        CPref pref;
        ASSERT_EQ(Open(pref, 0), kNoErr);
        pref.SetSection("greatcircle");
        EXPECT_EQ(pref.PutString("Ellipsiod", "GRS80"), 1u);
        pref.SetSection("Conversion");
        EXPECT_EQ(pref.GetChoice("OutputLLUV", kModes, 1), 1);
        EXPECT_EQ(pref.ClosePreference(), kNoErr);
    }
    EXPECT_EQ(Read(),
              "[GreatCircle]\r\n"
              "Ellipsiod = GRS80\r\n"
              "[Conversion]\r\n"
              "  Unknown\t=  x  \r\n"
              "OutputLLUV = On  \t;; Off,On,Tandem,XYUV\r\n"
              "\r\n"
              "\r\n"
              "[End]\r\n");
}

}  // namespace
