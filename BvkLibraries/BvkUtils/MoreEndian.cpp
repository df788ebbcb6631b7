#include "MoreEndian.h"

#include <algorithm>

long SwapEndians(void* data, long count, const char* pattern) {
    if (data == nullptr || pattern == nullptr || count <= 0) return 0;
    unsigned char* bytes = static_cast<unsigned char*>(data);
    long done = 0;
    for (long record = 0; record < count; ++record) {
        for (const char* p = pattern; *p; ++p) {
            if (*p < '0' || *p > '9') continue;
            long width = *p - '0';
            if (width != 1 && width != 2 && width != 4 && width != 8) return done;
            if (width > 1) std::reverse(bytes + done, bytes + done + width);
            done += width;
        }
    }
    return done;
}

void SwapEndiansArray4(void* data, long count) {
    if (data == nullptr) return;
    unsigned char* bytes = static_cast<unsigned char*>(data);
    for (long i = 0; i < count; ++i) std::reverse(bytes + 4 * i, bytes + 4 * i + 4);
}
