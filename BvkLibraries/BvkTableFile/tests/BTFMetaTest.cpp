#include "BTFMeta.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "BTFKeyList.h"
#include "BvkErrors.h"

namespace {

// 2021-07-01 and 2021-01-15 12:00 UTC in seconds since 2001: 2021-01-01 is
// 1,609,459,200 s after 1970, and 1970 to 2001 is 978,307,200 s.
constexpr double kJuly2021Noon = 1609459200.0 + 181 * 86400.0 + 43200.0 - 978307200.0;
constexpr double kJanuary2021Noon = 1609459200.0 + 14 * 86400.0 + 43200.0 - 978307200.0;

}  // namespace

TEST(BTFMeta, TimeStampClocks) {
    // 1904-01-01 to 2001-01-01: 97 years with 25 leap days.
    const double i = (97 * 365 + 25) * 86400.0;
    BTFMeta meta;
    meta.SetBtfTimeZoneOffsetSeconds(-28800);
    meta.SetBtfAbsoluteTime(700000000.25);
    EXPECT_DOUBLE_EQ(meta.GetBtfAbsoluteTime(), 700000000.25);
    // Eight hours west of Greenwich the wall clock is eight hours behind.
    EXPECT_DOUBLE_EQ(meta.GetBtfTimeStamp1904(), 700000000.25 - 28800 + i);
    // The 1904 clock does not depend on the offset.
    meta.SetBtfTimeStamp1904(3707985600.0);
    meta.SetBtfTimeZoneOffsetSeconds(3600);
    EXPECT_DOUBLE_EQ(meta.GetBtfTimeStamp1904(), 3707985600.0);
    EXPECT_DOUBLE_EQ(meta.mdBtfTimeStamp, 3707985600.0 - i);
}

TEST(BTFMeta, ToolsShareASlotPerNameIgnoringCase) {
    BTFMeta meta;
    EXPECT_EQ(meta.AddMetaToolName("Tool", "1.0"), kNoErr);
    EXPECT_EQ(meta.AddMetaToolName("TOOL", "2.0"), kNoErr);
    EXPECT_STREQ(meta.mszBtfToolVersions[0], "2.0");
    EXPECT_EQ(meta.AddMetaToolName("Other", std::string(40, 'v').c_str()), kNoErr);
    EXPECT_EQ(std::string(meta.mszBtfToolVersions[1]), std::string(31, 'v'));
    EXPECT_EQ(meta.AddMetaToolName("tool", nullptr), kNoErr);  // removes it
    EXPECT_EQ(meta.AddMetaToolName("Third", ""), kNoErr);      // takes the freed slot
    EXPECT_STREQ(meta.mszBtfToolNames[0], "Third");
    EXPECT_EQ(meta.AddMetaToolName(nullptr, "1"), kErrBadArgument);
    EXPECT_EQ(meta.AddMetaToolName("", "1"), kErrBadArgument);
    meta.AddMetaToolName(std::string(300, 'n').c_str(), "1");
    EXPECT_EQ(std::string(meta.mszBtfToolNames[2]), std::string(255, 'n'));

    for (int i = 3; i < 64; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "T%d", i);
        meta.AddMetaToolName(name, "1");
    }
    EXPECT_EQ(meta.AddMetaToolName("OneTooMany", "1"), 1);
    EXPECT_EQ(meta.AddMetaToolName("t63", "9"), kNoErr);
    EXPECT_STREQ(meta.mszBtfToolVersions[63], "9");
}

TEST(BTFMeta, NotesFilteredByKindAndPosition) {
    BTFMeta meta;
    EXPECT_EQ(meta.GetBtfNoteAtIndex(0, nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(meta.AddBtfNote(BtfCode("note"), 12, "first"), 1);
    EXPECT_EQ(meta.AddBtfNote(BtfCode("warn"), 15, "second"), 2);
    EXPECT_EQ(meta.AddBtfNote(BtfCode("note"), 20, "third"), 3);
    struct {
        long index;
        uint32_t kind;    // 0: no kind filter
        double position;  // 0: no position filter
        long found;
    } const cases[] = {
        // clang-format off
        {0, BtfCode("warn"), 0, 1},   {2, BtfCode("warn"), 0, -1},  {1, BtfCode("note"), 0, 2},
        {0, 0, 20, 2},                {0, BtfCode("note"), 15, -1}, {0, BtfCode("warn"), 15, 1},
        {1, 0, 0, 1},                 {3, 0, 0, -1},                {-1, 0, 0, -1},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        unsigned long kind = c.kind;
        double position = c.position;
        EXPECT_EQ(meta.GetBtfNote(c.index, &kind, &position, nullptr, 0), c.found);
    }
    char text[4] = "zzz";
    double position = 99;
    unsigned long kind = 77;
    EXPECT_EQ(meta.GetBtfNoteAtIndex(2, &kind, &position, text, sizeof(text)), 2);
    EXPECT_EQ(kind, BtfCode("note"));
    EXPECT_EQ(position, 20);
    EXPECT_STREQ(text, "thi");  // cut to the buffer
}

TEST(BTFMeta, ZoneLabelsAndCities) {
    BTFMeta meta;
    meta.SetBtfTimeZoneLabel("PST  \t", nullptr);
    meta.SetBtfTimeZoneLabel(nullptr, "America/Los_Angeles");
    EXPECT_STREQ(meta.GetBtfTimeZone(), "PST");
    EXPECT_STREQ(meta.GetBtfCityZone(), "America/Los_Angeles");
    meta.SetBtfTimeZoneLabel("", "");
    EXPECT_EQ(meta.HasBtfTimeZone(), 0);
    meta.SetBtfTimeZoneLabel(std::string(400, 'L').c_str(), nullptr);
    EXPECT_EQ(std::string(meta.GetBtfTimeZone()), std::string(255, 'L'));
}

TEST(BTFMeta, UpdateTimeZoneFromCityThenLabelElseKeepsTheOffset) {
    BTFMeta meta;
    meta.SetBtfTimeZoneOffsetSeconds(12345);
    meta.SetBtfTimeZoneDaylightSavings(7);
    meta.UpdateBtfTimeZone("XYZ", "", kJuly2021Noon);  // nobody knows it: both stay
    EXPECT_EQ(meta.GetBtfTimeZoneOffsetSeconds(), 12345);
    EXPECT_EQ(meta.GetBtfTimeZoneDaylightSavings(), 7);
    meta.UpdateBtfTimeZone("CET", "Nowhere/City", kJanuary2021Noon);
    EXPECT_EQ(meta.GetBtfTimeZoneOffsetSeconds(), 3600);
    EXPECT_EQ(meta.GetBtfTimeZoneDaylightSavings(), 0);
    meta.UpdateBtfTimeZone("UTC", "America/Los_Angeles", kJuly2021Noon);
    EXPECT_EQ(meta.GetBtfTimeZoneOffsetSeconds(), -25200);
    EXPECT_EQ(meta.GetBtfTimeZoneDaylightSavings(), 1);
}

TEST(BTFMeta, IdentifierTextAndRef) {
    BTFMeta meta, other;
    char text[40] = "junk";
    meta.GetBtfUUIDString(text, sizeof(text));
    EXPECT_STREQ(text, "");
    meta.SetBtfUUIDFromString("01234567-89ab-cdef-0123-456789abcdef");
    other.SetBtfUUIDRef(meta.mpBtfUUID);
    meta.SetBtfUUIDRef(nullptr);  // the other keeps its own copy
    other.GetBtfUUIDString(text, sizeof(text));
    EXPECT_STREQ(text, "01234567-89AB-CDEF-0123-456789ABCDEF");
    other.SetBtfUUIDFromString("not a uuid");
    EXPECT_EQ(other.mpBtfUUID, nullptr);
}
