#pragma once
// Clock, calendar and system-zone services. Times in the system are "1904
// seconds": local wall-clock seconds since 1904-01-01 00:00. Calendar
// arithmetic on them is plain civil-date arithmetic with no zone involved;
// only the conversions to and from real instants consult the system zone
// (TZ, or /etc/localtime).

#include <cstdint>

// Seconds between 1904-01-01 and 1970-01-01, and between 1970 and 2001.
constexpr int64_t kSeconds1904To1970 = 2082844800;
constexpr int64_t kSeconds1970To2001 = 978307200;

struct XCalendarDate {
    long year;
    long month;   // 1 ... 12
    long day;     // 1 ... 31
    long hour;
    long minute;
    long second;
    long dayOfWeek;  // 0 Sunday ... 6 Saturday
};

// The current instant as seconds since 1970 UTC.
int64_t PlatformNowUnix();

// The current local time as 1904 seconds.
uint32_t PlatformNow1904Local();

// Offset of the system zone from UTC, in seconds (east positive), at the
// given instant, and whether daylight saving time is then in force.
long PlatformSystemZoneOffset(int64_t unixSeconds, long* isDaylight);

// A real instant as local 1904 seconds, clamped to 0 ... 4,294,967,295.
uint32_t PlatformUnixToLocal1904(int64_t unixSeconds);

// Local 1904 seconds as a real instant on the system zone's clock (a
// repeated hour is its first occurrence, a skipped one is read with the
// offset before the gap).
int64_t PlatformLocal1904ToUnix(uint32_t local1904);

// Civil-date conversions of 1904 seconds (no zone).
void PlatformSecondsToDate(int64_t seconds1904, XCalendarDate* date);
int64_t PlatformDateToSeconds(const XCalendarDate& date);
