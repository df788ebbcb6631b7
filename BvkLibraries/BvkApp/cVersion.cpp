#include "cVersion.h"

#include <cstdio>
#include <cstring>

#include "PlatformProcess.h"

long CVersion::GetApplicationName(char* out) {
    if (out == nullptr) return 0;
    PlatformGetProcessName(out, 256);
    return 0;
}

long CVersion::GetShortVersionString(char* out) {
    if (out == nullptr) return 0;
    FormatVersionBytes(BVK_VERSION_BYTES, out);
    return 0;
}

void CVersion::FormatVersionBytes(uint32_t versionBytes, char* out) {
    unsigned majorBcd = (versionBytes >> 24) & 0xFF;
    long major = (majorBcd >> 4) * 10 + (majorBcd & 0x0F);
    long minor = (versionBytes >> 20) & 0x0F;
    long fix = (versionBytes >> 16) & 0x0F;
    unsigned stage = (versionBytes >> 8) & 0xFF;
    long build = versionBytes & 0xFF;

    int n = snprintf(out, 32, "%0ld.%0ld.%0ld", major, minor, fix);
    if (stage == 0 || build == 0 || n < 0) return;
    const char* suffix = stage == 0x20 ? "d%ld" : stage == 0x40 ? "a%ld" : stage == 0x60 ? "b%ld" : "_%ld";
    snprintf(out + n, 32 - n, suffix, build);
}
