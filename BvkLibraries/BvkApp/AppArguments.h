#pragma once
// Positional command-line arguments as both programs read them: an argument
// that is missing or empty keeps its default.

#include <cstdio>

// Argument `position` (1 based) when it was given and is not empty, else null.
inline const char* GivenArgument(int argc, char** argv, int position) {
    if (position >= argc || argv[position] == nullptr || argv[position][0] == 0) return nullptr;
    return argv[position];
}

// Copies `text` into a fixed buffer, cut to fit.
inline void CopyCut(char* out, long size, const char* text) {
    snprintf(out, static_cast<size_t>(size), "%s", text);
}
