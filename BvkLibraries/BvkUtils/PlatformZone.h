#pragma once
// Time zones by name. A zone is named by its database name
// ("America/Los_Angeles"), by a common abbreviation ("PST", "CEST"), which
// stands for a representative zone of the database, or by a fixed-offset
// label ("GMT", "UTC", "GMT+8", "UTC-10", "GMT+05:30") whose sign is read as
// written: "GMT+8" is eight hours east of Greenwich. Instants are seconds
// since 1970-01-01 00:00 UTC; local wall-clock times are the same count taken
// on the zone's clock. Functions return 1 when the zone is known, else 0 and
// leave their outputs alone.

#include <cstdint>

// Offset from UTC (seconds, east positive) and daylight flag of the named zone
// at the instant.
long PlatformZoneOffsetAt(const char* name, int64_t unixSeconds, long* offsetSeconds,
                          long* isDaylight);

// The instant at which the named zone's clock shows `localSeconds`. A wall
// time skipped by a change is taken with the offset in force before it; a
// repeated one is its first occurrence.
long PlatformZoneLocalToUnix(const char* name, int64_t localSeconds, int64_t* unixSeconds);

// The system zone's abbreviation at the instant ("PST", "CEST"; "GMT" when the
// system names none), cut to fit `size` bytes.
void PlatformSystemZoneAbbreviation(int64_t unixSeconds, char* text, long size);
