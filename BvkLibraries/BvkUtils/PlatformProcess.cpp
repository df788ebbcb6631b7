#include "PlatformProcess.h"

#include <errno.h>
#include <cstdio>

void PlatformGetProcessName(char* out, long size) {
    if (out == nullptr || size <= 0) return;
    snprintf(out, static_cast<size_t>(size), "%s", program_invocation_short_name ? program_invocation_short_name : "");
}
