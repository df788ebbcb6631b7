#include "PlatformZone.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

// Database zones are read by the C library, one file per zone: pointing TZ at
// the zone's file for the length of a look-up loads that file and nothing
// else, follows the file's own rule for instants past its table, and is the
// same code that answers for the system zone. The programs run one thread, so
// borrowing TZ for a moment disturbs nobody.

namespace {

// An abbreviation means one offset and one daylight flag, whatever the date.
struct XZoneAbbreviation {
    const char* abbreviation;
    long offsetSeconds;
    long isDaylight;
};

constexpr long kHour = 3600;

constexpr XZoneAbbreviation kAbbreviations[] = {
    {"PST", -8 * kHour, 0},
    {"PDT", -7 * kHour, 1},
    {"EST", -5 * kHour, 0},
    {"EDT", -4 * kHour, 1},
    {"CST", -6 * kHour, 0},
    {"CDT", -5 * kHour, 1},
    {"MST", -7 * kHour, 0},
    {"MDT", -6 * kHour, 1},
    {"AKST", -9 * kHour, 0},
    {"AKDT", -8 * kHour, 1},
    {"HST", -10 * kHour, 0},
    {"BST", 1 * kHour, 1},
    {"CET", 1 * kHour, 0},
    {"CEST", 2 * kHour, 1},
    {"AEST", 10 * kHour, 0},
    {"AEDT", 11 * kHour, 1},
    {"JST", 9 * kHour, 0},
    {"NZST", 12 * kHour, 0},
    {"NZDT", 13 * kHour, 1},
    // Further abbreviations stations have used, each with its usual meaning.
    {"HDT", -9 * kHour, 1},
    {"AST", -4 * kHour, 0},
    {"ADT", -3 * kHour, 1},
    {"NST", -12600, 0},
    {"NDT", -9000, 1},
    {"BRT", -3 * kHour, 0},
    {"ART", -3 * kHour, 0},
    {"WET", 0, 0},
    {"WEST", 1 * kHour, 1},
    {"IST", 19800, 0},
    {"EET", 2 * kHour, 0},
    {"EEST", 3 * kHour, 1},
    {"MSK", 3 * kHour, 0},
    {"PKT", 5 * kHour, 0},
    {"ICT", 7 * kHour, 0},
    {"WIB", 7 * kHour, 0},
    {"SGT", 8 * kHour, 0},
    {"HKT", 8 * kHour, 0},
    {"PHT", 8 * kHour, 0},
    {"KST", 9 * kHour, 0},
    {"AWST", 8 * kHour, 0},
    {"ACST", 34200, 0},
    {"ACDT", 37800, 1},
    {"SAST", 2 * kHour, 0},
    {"EAT", 3 * kHour, 0},
    {"WAT", 1 * kHour, 0},
    {"CAT", 2 * kHour, 0},
};

// Instants far outside any calendar are held to a range the C library
// converts without overflow (about 3,000 years each way).
constexpr int64_t kInstantLimit = 100000000000LL;
constexpr int64_t kDay = 86400;
constexpr size_t kMaxNameLength = 255;

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

void SetAbbreviation(XZoneState* state, const char* text) {
    std::snprintf(state->abbreviation, sizeof(state->abbreviation), "%s", text);
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

const char* ZoneFolder() {
    const char* folder = std::getenv("TZDIR");
    return folder != nullptr && *folder != 0 ? folder : "/usr/share/zoneinfo";
}

// A database name is a relative path of plain components inside the zone
// folder, naming a zone file (one that starts with the format's magic).
bool IsZoneFile(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.back() == '/') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        for (char c : part) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '+' &&
                c != '.')
                return false;
        }
        start = end + 1;
    }
    std::string path = std::string(ZoneFolder()) + "/" + name;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char magic[4] = {};
    bool isZone = read(fd, magic, sizeof(magic)) == 4 && std::memcmp(magic, "TZif", 4) == 0;
    close(fd);
    return isZone;
}

// Points TZ at one database zone while it lives, then puts TZ back as it was.
class CBorrowedZone {
  public:
    explicit CBorrowedZone(const std::string& name) {
        const char* saved = std::getenv("TZ");
        mbHadTZ = saved != nullptr;
        if (mbHadTZ) msSavedTZ = saved;
        setenv("TZ", (":" + name).c_str(), 1);
        tzset();
    }
    ~CBorrowedZone() {
        if (mbHadTZ)
            setenv("TZ", msSavedTZ.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    CBorrowedZone(const CBorrowedZone&) = delete;
    CBorrowedZone& operator=(const CBorrowedZone&) = delete;

  private:
    bool mbHadTZ = false;
    std::string msSavedTZ;
};

// What the zone TZ currently names says at the instant.
bool CurrentZoneAt(int64_t unixSeconds, XZoneState* state) {
    time_t t = static_cast<time_t>(ClampInstant(unixSeconds));
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return false;
    state->unixSeconds = unixSeconds;
    state->offsetSeconds = local.tm_gmtoff;
    state->isDaylight = local.tm_isdst > 0 ? 1 : 0;
    SetAbbreviation(state, local.tm_zone != nullptr && *local.tm_zone != 0 ? local.tm_zone : "GMT");
    return true;
}

// The instant at which the clock of the zone TZ names shows `wall`. No offset
// is a day or more, and no zone changes twice within two days, so the
// offsets a day either side are the only candidates.
bool CurrentZoneAtWallTime(int64_t wall, XZoneState* state) {
    XZoneState before{};
    XZoneState after{};
    if (!CurrentZoneAt(wall - kDay, &before) || !CurrentZoneAt(wall + kDay, &after)) return false;
    XZoneState early{};
    XZoneState late{};
    if (!CurrentZoneAt(wall - before.offsetSeconds, &early) ||
        !CurrentZoneAt(wall - after.offsetSeconds, &late))
        return false;
    if (early.offsetSeconds == before.offsetSeconds) {
        // The reading exists under the earlier offset: also the first of two.
        *state = early;
    } else if (late.offsetSeconds == after.offsetSeconds) {
        *state = late;
    } else {
        // Skipped: the clock as it ran before the gap.
        *state = before;
        state->unixSeconds = wall - before.offsetSeconds;
    }
    return true;
}

// What a name stands for.
struct XZoneChoice {
    enum { kUnknown, kFixed, kSystem, kDatabase } kind = kUnknown;
    long offsetSeconds = 0;
    long isDaylight = 0;
    std::string name;
};

XZoneChoice ChooseZone(const char* name) {
    XZoneChoice choice;
    if (name == nullptr || *name == 0) {
        choice.kind = XZoneChoice::kSystem;
        return choice;
    }
    size_t length = strnlen(name, kMaxNameLength + 1);
    if (length > kMaxNameLength) return choice;
    choice.name.assign(name, length);
    for (const auto& entry : kAbbreviations) {
        if (EqualIgnoringCase(choice.name, entry.abbreviation)) {
            choice.kind = XZoneChoice::kFixed;
            choice.offsetSeconds = entry.offsetSeconds;
            choice.isDaylight = entry.isDaylight;
            return choice;
        }
    }
    if (ParseFixedOffsetLabel(choice.name, &choice.offsetSeconds)) {
        choice.kind = XZoneChoice::kFixed;
        return choice;
    }
    if (IsZoneFile(choice.name)) choice.kind = XZoneChoice::kDatabase;
    return choice;
}

// Answers for the wall time (`isWall`) or the instant `seconds`.
long AskZone(const char* name, int64_t seconds, bool isWall, XZoneState* state) {
    XZoneChoice choice = ChooseZone(name);
    seconds = ClampInstant(seconds);
    XZoneState answer{};
    bool known = false;
    switch (choice.kind) {
        case XZoneChoice::kUnknown:
            return 0;
        case XZoneChoice::kFixed:
            answer.offsetSeconds = choice.offsetSeconds;
            answer.isDaylight = choice.isDaylight;
            answer.unixSeconds = isWall ? seconds - choice.offsetSeconds : seconds;
            SetAbbreviation(&answer, choice.name.c_str());
            known = true;
            break;
        case XZoneChoice::kSystem:
            known =
                isWall ? CurrentZoneAtWallTime(seconds, &answer) : CurrentZoneAt(seconds, &answer);
            break;
        case XZoneChoice::kDatabase: {
            CBorrowedZone borrowed(choice.name);
            known =
                isWall ? CurrentZoneAtWallTime(seconds, &answer) : CurrentZoneAt(seconds, &answer);
            break;
        }
    }
    if (!known) return 0;
    if (state != nullptr) *state = answer;
    return 1;
}

}  // namespace

long PlatformZoneAtInstant(const char* name, int64_t unixSeconds, XZoneState* state) {
    return AskZone(name, unixSeconds, false, state);
}

long PlatformZoneAtWallTime(const char* name, int64_t wallSeconds, XZoneState* state) {
    return AskZone(name, wallSeconds, true, state);
}
