#include "PlatformZone.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>

#include <date/tz.h>

namespace {

// Abbreviations name no zone of the database; each stands for one zone that
// uses it, whose offset at the instant asked then decides (so "PDT" in
// January answers with Pacific standard time, as the zone itself would).
struct XZoneAbbreviation {
    const char* abbreviation;
    const char* zone;
};

constexpr XZoneAbbreviation kAbbreviations[] = {
    {"HST", "Pacific/Honolulu"},     {"HDT", "America/Adak"},
    {"AKST", "America/Anchorage"},   {"AKDT", "America/Anchorage"},
    {"PST", "America/Los_Angeles"},  {"PDT", "America/Los_Angeles"},
    {"MST", "America/Denver"},       {"MDT", "America/Denver"},
    {"CST", "America/Chicago"},      {"CDT", "America/Chicago"},
    {"EST", "America/New_York"},     {"EDT", "America/New_York"},
    {"AST", "America/Halifax"},      {"ADT", "America/Halifax"},
    {"NST", "America/St_Johns"},     {"NDT", "America/St_Johns"},
    {"BRT", "America/Sao_Paulo"},    {"ART", "America/Argentina/Buenos_Aires"},
    {"WET", "Europe/Lisbon"},        {"WEST", "Europe/Lisbon"},
    {"BST", "Europe/London"},        {"IST", "Asia/Kolkata"},
    {"CET", "Europe/Paris"},         {"CEST", "Europe/Paris"},
    {"EET", "Europe/Athens"},        {"EEST", "Europe/Athens"},
    {"MSK", "Europe/Moscow"},        {"PKT", "Asia/Karachi"},
    {"ICT", "Asia/Bangkok"},         {"WIB", "Asia/Jakarta"},
    {"SGT", "Asia/Singapore"},       {"HKT", "Asia/Hong_Kong"},
    {"PHT", "Asia/Manila"},          {"KST", "Asia/Seoul"},
    {"JST", "Asia/Tokyo"},           {"AWST", "Australia/Perth"},
    {"ACST", "Australia/Adelaide"},  {"ACDT", "Australia/Adelaide"},
    {"AEST", "Australia/Sydney"},    {"AEDT", "Australia/Sydney"},
    {"NZST", "Pacific/Auckland"},    {"NZDT", "Pacific/Auckland"},
    {"SAST", "Africa/Johannesburg"}, {"EAT", "Africa/Nairobi"},
    {"WAT", "Africa/Lagos"},         {"CAT", "Africa/Maputo"},
};

// Instants far outside any calendar the tables cover are held to a range the
// zone database computes without overflow (about 3,000 years each way).
constexpr int64_t kInstantLimit = 100000000000LL;

int64_t ClampInstant(int64_t seconds) {
    return std::clamp(seconds, -kInstantLimit, kInstantLimit);
}

bool EqualIgnoringCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// "GMT", "UTC", "UT", "Z" alone, or one of the first three followed by a sign,
// one or two hour digits and optionally two minute digits (with or without a
// colon). The sign is taken as written.
bool ParseFixedOffsetLabel(const std::string& label, long* offsetSeconds) {
    size_t prefix = 0;
    if (EqualIgnoringCase(label, "Z")) {
        *offsetSeconds = 0;
        return true;
    }
    for (const char* p : {"GMT", "UTC", "UT"}) {
        size_t n = std::strlen(p);
        if (label.size() >= n && EqualIgnoringCase(label.substr(0, n), p)) {
            prefix = n;
            break;
        }
    }
    if (prefix == 0) return false;
    if (label.size() == prefix) {
        *offsetSeconds = 0;
        return true;
    }
    const char* s = label.c_str() + prefix;
    int sign;
    if (*s == '+')
        sign = 1;
    else if (*s == '-')
        sign = -1;
    else
        return false;
    ++s;
    auto digits = [](const char* t) {
        int n = 0;
        while (std::isdigit(static_cast<unsigned char>(t[n]))) ++n;
        return n;
    };
    int hourDigits = digits(s);
    int hours = 0;
    int minutes = 0;
    if (hourDigits == 1 || hourDigits == 2) {
        hours = std::atoi(std::string(s, hourDigits).c_str());
        s += hourDigits;
        if (*s == ':') {
            ++s;
            if (digits(s) != 2) return false;
            minutes = (s[0] - '0') * 10 + (s[1] - '0');
            s += 2;
        }
    } else if (hourDigits == 4) {
        hours = (s[0] - '0') * 10 + (s[1] - '0');
        minutes = (s[2] - '0') * 10 + (s[3] - '0');
        s += 4;
    } else {
        return false;
    }
    if (*s != 0 || hours > 23 || minutes > 59) return false;
    *offsetSeconds = sign * (hours * 3600L + minutes * 60L);
    return true;
}

const date::time_zone* FindDatabaseZone(const std::string& name) {
    for (const auto& entry : kAbbreviations) {
        if (EqualIgnoringCase(name, entry.abbreviation)) {
            try {
                return date::locate_zone(entry.zone);
            } catch (const std::exception&) {
                return nullptr;
            }
        }
    }
    try {
        return date::locate_zone(name);
    } catch (const std::exception&) {
        return nullptr;
    }
}

// What a name stands for: a fixed offset or a zone of the database.
struct XZoneChoice {
    bool known = false;
    bool fixed = false;
    long fixedOffset = 0;
    const date::time_zone* zone = nullptr;
};

XZoneChoice ChooseZone(const char* name) {
    XZoneChoice choice;
    if (name == nullptr || *name == 0) return choice;
    size_t length = strnlen(name, 256);
    if (length >= 256) return choice;
    std::string text(name, length);
    if (ParseFixedOffsetLabel(text, &choice.fixedOffset)) {
        choice.known = choice.fixed = true;
        return choice;
    }
    choice.zone = FindDatabaseZone(text);
    choice.known = choice.zone != nullptr;
    return choice;
}

}  // namespace

long PlatformZoneOffsetAt(const char* name, int64_t unixSeconds, long* offsetSeconds,
                          long* isDaylight) {
    XZoneChoice choice = ChooseZone(name);
    if (!choice.known) return 0;
    long offset = choice.fixedOffset;
    long daylight = 0;
    if (!choice.fixed) {
        try {
            date::sys_seconds instant{std::chrono::seconds(ClampInstant(unixSeconds))};
            date::sys_info info = choice.zone->get_info(instant);
            offset = static_cast<long>(info.offset.count());
            daylight = info.save.count() != 0 ? 1 : 0;
        } catch (const std::exception&) {
            return 0;
        }
    }
    if (offsetSeconds) *offsetSeconds = offset;
    if (isDaylight) *isDaylight = daylight;
    return 1;
}

long PlatformZoneLocalToUnix(const char* name, int64_t localSeconds, int64_t* unixSeconds) {
    XZoneChoice choice = ChooseZone(name);
    if (!choice.known) return 0;
    int64_t local = ClampInstant(localSeconds);
    int64_t result = local - choice.fixedOffset;
    if (!choice.fixed) {
        try {
            date::local_seconds wall{std::chrono::seconds(local)};
            date::local_info info = choice.zone->get_info(wall);
            // Nonexistent: the offset before the gap (first) applies.
            // Ambiguous: the first occurrence, also under the first offset.
            result = local - info.first.offset.count();
        } catch (const std::exception&) {
            return 0;
        }
    }
    if (unixSeconds) *unixSeconds = result;
    return 1;
}

void PlatformSystemZoneAbbreviation(int64_t unixSeconds, char* text, long size) {
    if (text == nullptr || size < 1) return;
    time_t t = static_cast<time_t>(ClampInstant(unixSeconds));
    struct tm local {};
    const char* abbreviation = "GMT";
    if (localtime_r(&t, &local) != nullptr && local.tm_zone != nullptr && *local.tm_zone != 0)
        abbreviation = local.tm_zone;
    std::snprintf(text, static_cast<size_t>(size), "%s", abbreviation);
}
