#include "BTFMeta.h"

#include <string>

#include <gtest/gtest.h>

#include "BTFKeyList.h"
#include "BvkErrors.h"

namespace {

constexpr double kI = 3061152000.0;  // 1904-01-01 to 2001-01-01
// 2021-07-01 12:00 UTC in seconds since 2001: 2021-01-01 is 1,609,459,200 s
// after 1970, July 1st 181 days later, and 1970 to 2001 is 978,307,200 s.
constexpr double kJuly2021Noon = 1609459200.0 + 181 * 86400.0 + 43200.0 - 978307200.0;
// 2021-01-15 12:00 UTC likewise.
constexpr double kJanuary2021Noon = 1609459200.0 + 14 * 86400.0 + 43200.0 - 978307200.0;

}  // namespace

TEST(BTFMeta, TimeStampClocks) {
    BTFMeta meta;
    const double a = 700000000.25;
    meta.SetBtfTimeZoneOffsetSeconds(-28800);
    meta.SetBtfAbsoluteTime(a);
    EXPECT_DOUBLE_EQ(meta.GetBtfAbsoluteTime(), a);
    EXPECT_DOUBLE_EQ(meta.GetBtfTimeStamp1904(), a + 28800 + kI);

    const double s = 3707985600.0;
    meta.SetBtfTimeStamp1904(s);
    for (double offset : {0.0, 3600.0, -36000.0}) {
        meta.SetBtfTimeZoneOffsetSeconds(offset);
        EXPECT_DOUBLE_EQ(meta.GetBtfTimeStamp1904(), s);
    }
    EXPECT_DOUBLE_EQ(meta.mdBtfTimeStamp, s - kI);
}

TEST(BTFMeta, ToolsShareASlotPerNameIgnoringCase) {
    BTFMeta meta;
    EXPECT_EQ(meta.AddMetaToolName("Tool", "1.0"), kNoErr);
    EXPECT_EQ(meta.AddMetaToolName("TOOL", "2.0"), kNoErr);
    EXPECT_STREQ(meta.mszBtfToolVersions[0], "2.0");
    EXPECT_EQ(meta.mszBtfToolNames[1][0], 0);
    EXPECT_EQ(meta.AddMetaToolName("Other", std::string(40, 'v').c_str()), kNoErr);
    EXPECT_EQ(std::string(meta.mszBtfToolVersions[1]), std::string(31, 'v'));
    EXPECT_EQ(meta.AddMetaToolName("tool", nullptr), kNoErr);
    EXPECT_EQ(meta.mszBtfToolNames[0][0], 0);
    // The freed first slot is taken again before later free ones.
    EXPECT_EQ(meta.AddMetaToolName("Third", ""), kNoErr);
    EXPECT_STREQ(meta.mszBtfToolNames[0], "Third");
    EXPECT_EQ(meta.AddMetaToolName(nullptr, "1"), kErrBadArgument);
    EXPECT_EQ(meta.AddMetaToolName("", "1"), kErrBadArgument);
    EXPECT_EQ(std::string(meta.mszBtfToolNames[1]), "Other");
    meta.AddMetaToolName(std::string(300, 'n').c_str(), "1");
    EXPECT_EQ(std::string(meta.mszBtfToolNames[2]), std::string(255, 'n'));
}

TEST(BTFMeta, AllToolSlotsInUse) {
    BTFMeta meta;
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(meta.AddMetaToolName(("T" + std::to_string(i)).c_str(), "1"), kNoErr);
    EXPECT_EQ(meta.AddMetaToolName("OneTooMany", "1"), 1);
    EXPECT_EQ(meta.AddMetaToolName("t63", "9"), kNoErr);
    EXPECT_STREQ(meta.mszBtfToolVersions[63], "9");
}

TEST(BTFMeta, NotesFilteredByKindAndPosition) {
    BTFMeta meta;
    unsigned long kind = 0;
    EXPECT_EQ(meta.GetBtfNote(0, &kind, nullptr, nullptr, 0), -1);
    EXPECT_EQ(meta.AddBtfNote(BtfCode("note"), 12, "first"), 1);
    EXPECT_EQ(meta.AddBtfNote(BtfCode("warn"), 15, "second"), 2);
    EXPECT_EQ(meta.AddBtfNote(BtfCode("note"), 20, "third"), 3);

    struct {
        long index;
        const char* kind;  // null: no kind filter
        double position;   // 0: no position filter
        long found;
    } const cases[] = {
        {0, "warn", 0, 1},   {2, "warn", 0, -1},  {1, "note", 0, 2},
        {0, nullptr, 20, 2}, {0, "note", 15, -1}, {0, "warn", 15, 1},
        {1, nullptr, 0, 1},  {3, nullptr, 0, -1}, {-1, nullptr, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        unsigned long k = 0;
        if (c.kind)
            k = (uint32_t(uint8_t(c.kind[0])) << 24) | (uint32_t(uint8_t(c.kind[1])) << 16) |
                (uint32_t(uint8_t(c.kind[2])) << 8) | uint32_t(uint8_t(c.kind[3]));
        double position = c.position;
        EXPECT_EQ(meta.GetBtfNote(c.index, &k, &position, nullptr, 0), c.found);
    }

    char text[4] = "zzz";
    double position = 99;
    kind = 77;
    EXPECT_EQ(meta.GetBtfNoteAtIndex(2, &kind, &position, text, sizeof(text)), 2);
    EXPECT_EQ(kind, BtfCode("note"));
    EXPECT_EQ(position, 20);
    EXPECT_STREQ(text, "thi");  // cut to the buffer

    // Outside the list the outputs keep what the caller put there ...
    kind = 77;
    EXPECT_EQ(meta.GetBtfNote(5, &kind, nullptr, nullptr, 0), -1);
    EXPECT_EQ(kind, 77u);
    // ... or what GetBtfNoteAtIndex zeroed.
    EXPECT_EQ(meta.GetBtfNoteAtIndex(5, &kind, &position, nullptr, 0), -1);
    EXPECT_EQ(kind, 0u);
    EXPECT_EQ(position, 0);

    meta.ClearBtfNotes();
    EXPECT_EQ(meta.GetBtfNoteAtIndex(0, &kind, &position, nullptr, 0), -1);
}

TEST(BTFMeta, ZoneLabelsAndCities) {
    BTFMeta meta;
    EXPECT_EQ(meta.HasBtfTimeZone(), 0);
    meta.SetBtfTimeZoneLabel("UTC", nullptr);
    EXPECT_EQ(meta.HasBtfTimeZone(), 1);
    meta.SetBtfTimeZoneLabel("PST  \t", nullptr);
    EXPECT_STREQ(meta.GetBtfTimeZone(), "PST");
    meta.SetBtfTimeZoneLabel(nullptr, "America/Los_Angeles");
    EXPECT_STREQ(meta.GetBtfTimeZone(), "PST");
    EXPECT_STREQ(meta.GetBtfCityZone(), "America/Los_Angeles");
    meta.SetBtfTimeZoneLabel("", "");
    EXPECT_EQ(meta.HasBtfTimeZone(), 0);
    meta.SetBtfTimeZoneLabel(std::string(400, 'L').c_str(), nullptr);
    EXPECT_EQ(std::string(meta.GetBtfTimeZone()), std::string(255, 'L'));
}

TEST(BTFMeta, UpdateTimeZoneFromCityThenLabel) {
    struct {
        const char* label;
        const char* city;
        double when;
        double offset;
        long daylight;
    } const cases[] = {
        // The city decides over the label.
        {"UTC", "America/Los_Angeles", kJuly2021Noon, -25200, 1},
        {"UTC", "America/Los_Angeles", kJanuary2021Noon, -28800, 0},
        {"CET", "", kJuly2021Noon, 7200, 1},
        {"CET", "Nowhere/City", kJanuary2021Noon, 3600, 0},
        {"GMT+8", "", kJuly2021Noon, 28800, 0},
        {"UTC-10", "", kJuly2021Noon, -36000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.label) + "/" + c.city);
        BTFMeta meta;
        meta.SetBtfTimeZoneOffsetSeconds(12345);
        meta.SetBtfTimeZoneDaylightSavings(7);
        meta.UpdateBtfTimeZone(c.label, c.city, c.when);
        EXPECT_EQ(meta.GetBtfTimeZoneOffsetSeconds(), c.offset);
        EXPECT_EQ(meta.GetBtfTimeZoneDaylightSavings(), c.daylight);
        EXPECT_STREQ(meta.GetBtfTimeZone(), c.label);
    }
}

TEST(BTFMeta, IdentifierTextAndRef) {
    BTFMeta meta;
    char text[40] = "junk";
    meta.GetBtfUUIDString(text, sizeof(text));
    EXPECT_STREQ(text, "");
    meta.SetBtfUUIDFromString("01234567-89ab-cdef-0123-456789abcdef");
    meta.GetBtfUUIDString(text, sizeof(text));
    EXPECT_STREQ(text, "01234567-89AB-CDEF-0123-456789ABCDEF");

    BTFMeta other;
    other.SetBtfUUIDRef(meta.mpBtfUUID);
    meta.SetBtfUUIDRef(nullptr);  // the other keeps its own copy
    other.GetBtfUUIDString(text, sizeof(text));
    EXPECT_STREQ(text, "01234567-89AB-CDEF-0123-456789ABCDEF");

    other.SetBtfUUIDFromString("not a uuid");
    EXPECT_EQ(other.mpBtfUUID, nullptr);
    other.SetBtfUUIDFromString(nullptr);
    EXPECT_EQ(other.mpBtfUUID, nullptr);
}
