#include "PlatformTime.h"

#include <chrono>
#include <ctime>

#include <date/date.h>

#include "PlatformZone.h"

int64_t PlatformNowUnix() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

uint32_t PlatformNow1904Local() { return PlatformUnixToLocal1904(PlatformNowUnix()); }

long PlatformSystemZoneOffset(int64_t unixSeconds, long* isDaylight) {
    time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) {
        if (isDaylight) *isDaylight = 0;
        return 0;
    }
    if (isDaylight) *isDaylight = local.tm_isdst > 0 ? 1 : 0;
    return local.tm_gmtoff;
}

uint32_t PlatformUnixToLocal1904(int64_t unixSeconds) {
    int64_t local = unixSeconds + kSeconds1904To1970 + PlatformSystemZoneOffset(unixSeconds, nullptr);
    if (local < 0) return 0;
    if (local > 0xFFFFFFFFLL) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(local);
}

int64_t PlatformLocal1904ToUnix(uint32_t local1904) {
    int64_t wall = static_cast<int64_t>(local1904) - kSeconds1904To1970;
    XZoneState state{};
    if (PlatformZoneAtWallTime(nullptr, wall, &state)) return state.unixSeconds;
    return wall;
}

void PlatformSecondsToDate(int64_t seconds1904, XCalendarDate* out) {
    int64_t unixWall = seconds1904 - kSeconds1904To1970;
    date::sys_seconds tp{std::chrono::seconds(unixWall)};
    auto dayPoint = date::floor<date::days>(tp);
    date::year_month_day ymd{dayPoint};
    date::hh_mm_ss<std::chrono::seconds> hms{tp - dayPoint};
    out->year = static_cast<int>(ymd.year());
    out->month = static_cast<unsigned>(ymd.month());
    out->day = static_cast<unsigned>(ymd.day());
    out->hour = hms.hours().count();
    out->minute = hms.minutes().count();
    out->second = hms.seconds().count();
    out->dayOfWeek = static_cast<long>(date::weekday{dayPoint}.c_encoding());
}

int64_t PlatformDateToSeconds(const XCalendarDate& in) {
    // Out-of-range months and days roll over as in civil arithmetic.
    long monthIndex = in.month - 1;
    long yearShift = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    monthIndex -= yearShift * 12;
    date::sys_days first = date::year{static_cast<int>(in.year + yearShift)} /
                           date::month{static_cast<unsigned>(monthIndex + 1)} / 1;
    int64_t days = first.time_since_epoch().count() + (in.day - 1);
    return kSeconds1904To1970 + days * 86400 + in.hour * 3600 + in.minute * 60 + in.second;
}
