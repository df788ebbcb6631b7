#include "PlatformZone.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

namespace {

// Instants worked out from the civil calendar: 2021-01-01 00:00 UTC is day
// 18,628 after 1970-01-01, that is 1,609,459,200 s.
constexpr int64_t k2021Jan01 = 1609459200;
constexpr int64_t kDay = 86400;
// 2021-03-14 (day 72 of the year): US clocks go forward at 02:00 local,
// 10:00 UTC in the Pacific zone.
constexpr int64_t kUsSpring = k2021Jan01 + 72 * kDay + 10 * 3600;
// 2021-03-28 (day 86): European clocks go forward at 01:00 UTC.
constexpr int64_t kEuSpring = k2021Jan01 + 86 * kDay + 1 * 3600;
// 2021-11-07 (day 310): US clocks go back at 02:00 daylight time.
constexpr int64_t kUsAutumnDay = k2021Jan01 + 310 * kDay;

struct ZoneAnswer {
    long known;
    long offset;
    long daylight;
};

ZoneAnswer Ask(const char* name, int64_t instant) {
    ZoneAnswer a{0, -99999, -9};
    a.known = PlatformZoneOffsetAt(name, instant, &a.offset, &a.daylight);
    return a;
}

}  // namespace

TEST(PlatformZone, DaylightChangesInTwoHemispheresAndTwoContinents) {
    struct {
        const char* name;
        int64_t instant;
        long offset;
        long daylight;
    } const cases[] = {
        {"America/Los_Angeles", kUsSpring - 1, -8 * 3600, 0},
        {"America/Los_Angeles", kUsSpring, -7 * 3600, 1},
        {"Europe/Berlin", kEuSpring - 1, 1 * 3600, 0},
        {"Europe/Berlin", kEuSpring, 2 * 3600, 1},
        {"Australia/Sydney", k2021Jan01 + 14 * kDay, 11 * 3600, 1},
        {"Australia/Sydney", k2021Jan01 + 180 * kDay, 10 * 3600, 0},
        // Abbreviations stand for one zone; its rules at the instant decide.
        {"PST", kUsSpring, -7 * 3600, 1},
        {"pdt", kUsSpring - 1, -8 * 3600, 0},
        {"CET", kEuSpring, 2 * 3600, 1},
        {"JST", kEuSpring, 9 * 3600, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " @ " + std::to_string(c.instant));
        ZoneAnswer a = Ask(c.name, c.instant);
        EXPECT_EQ(a.known, 1);
        EXPECT_EQ(a.offset, c.offset);
        EXPECT_EQ(a.daylight, c.daylight);
    }
}

TEST(PlatformZone, FixedOffsetLabelsKeepTheirWrittenSign) {
    struct {
        const char* name;
        long offset;
    } const cases[] = {
        {"UTC", 0},           {"Z", 0},
        {"GMT+8", 8 * 3600},  {"gmt-3", -3 * 3600},
        {"GMT+05:30", 19800}, {"UTC+0545", 20700},
        {"UT+1", 3600},
    };
    for (const auto& c : cases) {
        ZoneAnswer a = Ask(c.name, kUsSpring);
        EXPECT_EQ(a.known, 1) << c.name;
        EXPECT_EQ(a.offset, c.offset) << c.name;
        EXPECT_EQ(a.daylight, 0) << c.name;
    }
    // The database's own Etc names keep the database's (inverted) sign.
    EXPECT_EQ(Ask("Etc/GMT+8", kUsSpring).offset, -8 * 3600);
}

TEST(PlatformZone, UnknownNamesLeaveTheOutputsAloneAndFarInstantsDoNotFail) {
    const std::string longName(300, 'A');
    for (const char* name :
         {"XYZ", "GMT+25", "GMT+5:3", "GMT8", "", "../../etc/passwd", longName.c_str()}) {
        ZoneAnswer a = Ask(name, kUsSpring);
        EXPECT_EQ(a.known, 0) << name;
        EXPECT_EQ(a.offset, -99999) << name;
        EXPECT_EQ(a.daylight, -9) << name;
    }
    EXPECT_EQ(Ask(nullptr, 0).known, 0);
    // Instants far outside the database still get an answer.
    EXPECT_EQ(Ask("Europe/Berlin", INT64_MAX).known, 1);
    EXPECT_EQ(Ask("Europe/Berlin", INT64_MIN).known, 1);
}

TEST(PlatformZone, WallTimeToInstantAroundChanges) {
    struct {
        const char* name;
        int64_t local;
        int64_t instant;
    } const cases[] = {
        // 01:30 PST on the morning of the spring change is 09:30 UTC.
        {"America/Los_Angeles", k2021Jan01 + 72 * kDay + 5400, k2021Jan01 + 72 * kDay + 34200},
        // 02:30 does not exist that day: read with the standard offset.
        {"America/Los_Angeles", k2021Jan01 + 72 * kDay + 9000, k2021Jan01 + 72 * kDay + 37800},
        // 01:30 happens twice in November: the first (PDT) is 08:30 UTC.
        {"America/Los_Angeles", kUsAutumnDay + 5400, kUsAutumnDay + 30600},
        // Summer in Berlin: 14:00 local is 12:00 UTC.
        {"Europe/Berlin", k2021Jan01 + 180 * kDay + 14 * 3600, k2021Jan01 + 180 * kDay + 12 * 3600},
        {"UTC-10", 36000, 72000},
    };
    for (const auto& c : cases) {
        int64_t instant = -1;
        EXPECT_EQ(PlatformZoneLocalToUnix(c.name, c.local, &instant), 1) << c.name;
        EXPECT_EQ(instant, c.instant) << c.name << " " << c.local;
    }
    int64_t untouched = 42;
    EXPECT_EQ(PlatformZoneLocalToUnix("Nowhere", 0, &untouched), 0);
    EXPECT_EQ(untouched, 42);
}

TEST(PlatformZone, SystemAbbreviationFollowsTZ) {
    const char* saved = std::getenv("TZ");
    std::string savedValue = saved ? saved : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    char text[64];
    PlatformSystemZoneAbbreviation(k2021Jan01, text, sizeof(text));
    EXPECT_STREQ(text, "EST");
    PlatformSystemZoneAbbreviation(k2021Jan01 + 180 * kDay, text, sizeof(text));
    EXPECT_STREQ(text, "EDT");
    PlatformSystemZoneAbbreviation(k2021Jan01, text, 3);
    EXPECT_STREQ(text, "ES");
    if (saved)
        setenv("TZ", savedValue.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
