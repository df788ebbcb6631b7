#pragma once
// The running program's name and short version text, printed on every run's
// first line and recorded as the processing tool of the files we write.

#include <cstdint>

class CVersion {
public:
    virtual ~CVersion() = default;

    // The process's short name; empty when the system gives none. Returns 0.
    static long GetApplicationName(char* out);

    // "major.minor.fix" plus a stage suffix ("d", "a", "b" or "_" and the
    // build) when both stage and build are non-zero. Returns 0.
    static long GetShortVersionString(char* out);

    // The text of a four-byte version number; `out` holds at least 32 bytes.
    static void FormatVersionBytes(uint32_t versionBytes, char* out);
};
