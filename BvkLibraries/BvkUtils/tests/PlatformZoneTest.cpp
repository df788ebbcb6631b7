#include "PlatformZone.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "UtilsTestFiles.h"

namespace {

// Instants worked out from the civil calendar: 2021-01-01 00:00 UTC is day
// 18,628 after 1970-01-01, that is 1,609,459,200 s.
constexpr int64_t k2021Jan01 = 1609459200;
constexpr int64_t kDay = 86400;
// 2021-03-14 (day 72 of the year): US clocks go forward at 02:00 local,
// 10:00 UTC in the Pacific zone.
constexpr int64_t kUsSpring = k2021Jan01 + 72 * kDay + 10 * 3600;
// 2021-11-07 (day 310): US clocks go back at 02:00 daylight time.
constexpr int64_t kUsAutumnDay = k2021Jan01 + 310 * kDay;

struct ZoneAnswer {
    long known;
    long offset;
    long daylight;
    std::string abbreviation;
    int64_t instant;
};

ZoneAnswer Ask(const char* name, int64_t seconds, bool isWall = false) {
    XZoneState state{-1, -99999, -9, "untouched"};
    ZoneAnswer a{};
    a.known = isWall ? PlatformZoneAtWallTime(name, seconds, &state)
                     : PlatformZoneAtInstant(name, seconds, &state);
    a.offset = state.offsetSeconds;
    a.daylight = state.isDaylight;
    a.abbreviation = state.abbreviation;
    a.instant = state.unixSeconds;
    return a;
}

}  // namespace

TEST(PlatformZone, InstantsInCityZonesAbbreviationsAndFixedLabels) {
    struct {
        const char* name;
        int64_t instant;
        long offset;
        long daylight;
        const char* abbreviation;
    } const cases[] = {
        {"America/Los_Angeles", kUsSpring - 1, -8 * 3600, 0, "PST"},
        {"America/Los_Angeles", kUsSpring, -7 * 3600, 1, "PDT"},
        {"Australia/Sydney", k2021Jan01 + 14 * kDay, 11 * 3600, 1, "AEDT"},
        // An abbreviation is one offset and one flag whatever the date.
        {"PST", kUsSpring, -8 * 3600, 0, "PST"},
        {"pdt", k2021Jan01, -7 * 3600, 1, "pdt"},
        {"NZDT", k2021Jan01 + 180 * kDay, 13 * 3600, 1, "NZDT"},
        // Fixed labels keep the sign as written.
        {"UTC", kUsSpring, 0, 0, "UTC"},
        {"Z", kUsSpring, 0, 0, "Z"},
        {"GMT+8", kUsSpring, 8 * 3600, 0, "GMT+8"},
        {"gmt-3", kUsSpring, -3 * 3600, 0, "gmt-3"},
        {"GMT+05:30", kUsSpring, 19800, 0, "GMT+05:30"},
        {"UTC+0545", kUsSpring, 20700, 0, "UTC+0545"},
        // The database's own Etc names keep the database's (inverted) sign.
        {"Etc/GMT+8", kUsSpring, -8 * 3600, 0, "-08"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " @ " + std::to_string(c.instant));
        ZoneAnswer a = Ask(c.name, c.instant);
        EXPECT_EQ(a.known, 1);
        EXPECT_EQ(a.offset, c.offset);
        EXPECT_EQ(a.daylight, c.daylight);
        EXPECT_EQ(a.abbreviation, c.abbreviation);
        EXPECT_EQ(a.instant, c.instant);
    }
}

TEST(PlatformZone, UnknownNamesLeaveTheStateAloneAndFarInstantsDoNotFail) {
    const std::string longName(300, 'A');
    for (const char* name :
         {"XYZ", "GMT+25", "GMT+5:3", "GMT8", "America", "America/", "../../etc/passwd",
          "/etc/localtime", "Europe/./Berlin", "Europe//Berlin", longName.c_str()}) {
        ZoneAnswer a = Ask(name, kUsSpring);
        EXPECT_EQ(a.known, 0) << name;
        EXPECT_EQ(a.offset, -99999) << name;
        EXPECT_EQ(a.abbreviation, "untouched") << name;
    }
    EXPECT_EQ(Ask("Europe/Berlin", INT64_MAX).known, 1);
    EXPECT_EQ(Ask("Europe/Berlin", INT64_MIN, true).known, 1);
}

TEST(PlatformZone, WallTimeToInstantAroundChanges) {
    constexpr int64_t kSpringDay = k2021Jan01 + 72 * kDay;
    struct {
        const char* name;
        int64_t wall;
        int64_t instant;
        long daylight;
        const char* abbreviation;
    } const cases[] = {
        // 01:30 PST on the morning of the spring change is 09:30 UTC.
        {"America/Los_Angeles", kSpringDay + 5400, kSpringDay + 34200, 0, "PST"},
        // 02:30 does not exist that day: read with the offset before the gap.
        {"America/Los_Angeles", kSpringDay + 9000, kSpringDay + 37800, 0, "PST"},
        // 03:00 PDT is 10:00 UTC.
        {"America/Los_Angeles", kSpringDay + 10800, kSpringDay + 36000, 1, "PDT"},
        // 01:30 happens twice in November: the first (PDT) is 08:30 UTC.
        {"America/Los_Angeles", kUsAutumnDay + 5400, kUsAutumnDay + 30600, 1, "PDT"},
        // 02:00 comes once, in PST: 10:00 UTC.
        {"America/Los_Angeles", kUsAutumnDay + 7200, kUsAutumnDay + 36000, 0, "PST"},
        // Summer in Berlin: 14:00 local is 12:00 UTC.
        {"Europe/Berlin", k2021Jan01 + 180 * kDay + 14 * 3600, k2021Jan01 + 180 * kDay + 12 * 3600,
         1, "CEST"},
        {"UTC-10", 36000, 72000, 0, "UTC-10"},
        {"PDT", kUsAutumnDay + 7200, kUsAutumnDay + 7200 + 7 * 3600, 1, "PDT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " @ " + std::to_string(c.wall));
        ZoneAnswer a = Ask(c.name, c.wall, true);
        EXPECT_EQ(a.known, 1);
        EXPECT_EQ(a.instant, c.instant);
        EXPECT_EQ(a.offset, c.wall - c.instant);
        EXPECT_EQ(a.daylight, c.daylight);
        EXPECT_EQ(a.abbreviation, c.abbreviation);
    }
}

TEST(PlatformZone, SystemZoneFollowsTZAndSurvivesACityLookUp) {
    ScopedTZ tz("America/New_York");
    EXPECT_EQ(Ask(nullptr, k2021Jan01).abbreviation, "EST");
    EXPECT_EQ(Ask("", k2021Jan01 + 180 * kDay).offset, -4 * 3600);
    // 2021-11-07 01:30 in New York happens twice: the first is EDT.
    ZoneAnswer repeated = Ask(nullptr, kUsAutumnDay + 5400, true);
    EXPECT_EQ(repeated.abbreviation, "EDT");
    EXPECT_EQ(repeated.instant, kUsAutumnDay + 5400 + 4 * 3600);

    EXPECT_EQ(Ask("Asia/Tokyo", k2021Jan01).offset, 9 * 3600);
    EXPECT_STREQ(std::getenv("TZ"), "America/New_York");
    EXPECT_EQ(Ask(nullptr, k2021Jan01).offset, -5 * 3600);
}
