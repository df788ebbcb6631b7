#include "PlatformProcess.h"

#include <errno.h>
#include <malloc.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>
#include <cstdio>

void PlatformGetProcessName(char* out, long size) {
    if (out == nullptr || size <= 0) return;
    snprintf(out, static_cast<size_t>(size), "%s", program_invocation_short_name ? program_invocation_short_name : "");
}

bool PlatformGetEnvironment(const char* name, std::string* value) {
    if (name == nullptr || value == nullptr) return false;
    const char* text = getenv(name);
    if (text == nullptr) return false;
    *value = text;
    return true;
}

bool PlatformGetUserHome(std::string* home) {
    if (home == nullptr) return false;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0')
        return false;
    *home = found->pw_dir;
    return true;
}

void PlatformKeepFreedMemory() {
    // Blocks up to the C library's largest threshold come from the heap (and
    // setting it stops the library from moving it), and the heap is never
    // trimmed below its peak; only larger blocks are mapped and unmapped.
    constexpr int kLargestHeapBlock = 32 * 1024 * 1024;
    constexpr int kNeverTrim = 1 << 30;
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kNeverTrim);
}
