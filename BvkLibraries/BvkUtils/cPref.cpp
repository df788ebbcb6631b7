#include "cPref.h"

#include "cStrConv.h"

#include <cstdarg>
#include <cstdio>

namespace {
constexpr unsigned long kValueSize = 1024;
constexpr unsigned long kChoiceWordChars = 64;
}  // namespace

uint32_t CPref::PutStringf(const char* key, const char* format, ...) {
    if (key == nullptr || format == nullptr) return kPrefNoLine;
    char value[kValueSize];
    va_list args;
    va_start(args, format);
    vsnprintf(value, sizeof(value), format, args);
    va_end(args);
    return PutString(key, value);
}

uint32_t CPref::PutChoice(const char* key, const char* choices, long index) {
    if (key == nullptr || choices == nullptr) return kPrefNoLine;
    char item[kValueSize];
    CStrConv::GetChoiceString(index, choices, item, sizeof(item) - 1);
    return PutStringf(key, "%.128s  \t;; %.128s", item, choices);
}

long CPref::GetChoice(const char* key, const char* choices, long defaultIndex) {
    char value[kValueSize];
    const uint32_t line = GetString(key, value, sizeof(value), nullptr, 0);
    if (line == kPrefRefused) return defaultIndex;
    if (line == kPrefNoLine) {
        if (mbCreateMissing && choices != nullptr) PutChoice(key, choices, defaultIndex);
        return defaultIndex;
    }
    char word[kChoiceWordChars + 1];
    CStrConv::FindSubString(value, word, kChoiceWordChars);
    return CStrConv::FindChoice(word, choices ? choices : "", defaultIndex, 0);
}
