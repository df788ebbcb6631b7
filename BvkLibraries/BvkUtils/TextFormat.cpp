#include "TextFormat.h"

#include <cstdarg>
#include <cstdio>

void AppendFormat(std::string& text, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
        text.append(buffer, static_cast<size_t>(n));
    } else if (n > 0) {
        const size_t at = text.size();
        text.resize(at + static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data() + at, static_cast<size_t>(n) + 1, format, again);
        text.resize(at + static_cast<size_t>(n));
    }
    va_end(again);
}

uint32_t ClampToUInt32(double value) {
    if (!(value > 0)) return 0;
    if (value >= 4294967295.0) return 4294967295U;
    return static_cast<uint32_t>(value);
}
