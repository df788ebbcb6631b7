#pragma once
// Time zones by name, and the one conversion between a wall-clock time on a
// zone's clock and a real instant.
//
// A zone is named by
// - a database name ("America/Los_Angeles"): the zone's rules at the instant
//   decide;
// - a common abbreviation ("PST", "CEST"): one fixed offset and one fixed
//   daylight flag, whatever the date ("PST" in July is still eight hours
//   west of Greenwich, as stations that keep standard time all year write);
// - a fixed-offset label ("GMT", "UTC", "GMT+8", "UTC-10", "GMT+05:30"),
//   whose sign is read as written: "GMT+8" is eight hours east of Greenwich;
// - nothing (null or empty): the system zone (TZ, or /etc/localtime).
//
// Instants are seconds since 1970-01-01 00:00 UTC; wall times are the same
// count taken on the zone's clock. The functions return 1 when the zone is
// known, else 0 and leave `state` alone.

#include <cstdint>

struct XZoneState {
    int64_t unixSeconds;    // the instant
    long offsetSeconds;     // wall time minus instant, east positive
    long isDaylight;        // 1 while daylight saving time is in force
    char abbreviation[16];  // "PST", "CEST"; the label itself for fixed offsets
};

// What the zone says at the instant.
long PlatformZoneAtInstant(const char* name, int64_t unixSeconds, XZoneState* state);

// The instant at which the zone's clock shows `wallSeconds`, with what the
// zone says for that reading. A reading that occurs twice (the hour repeated
// when clocks go back) is its first occurrence, on the daylight side; a
// reading that never occurs (the hour skipped when clocks go forward) is taken
// with the offset in force just before the gap. In every case
// wallSeconds - offsetSeconds is the instant.
long PlatformZoneAtWallTime(const char* name, int64_t wallSeconds, XZoneState* state);
