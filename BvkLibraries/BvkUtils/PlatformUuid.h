#pragma once
// Universally unique identifiers: random creation, parsing of and formatting
// to the standard 8-4-4-4-12 text form (upper-case hexadecimal digits).

#include <cstdint>

struct XPlatformUuid {
    uint8_t bytes[16];
};

// Identifiers are handed around as pointers to constant records; whoever keeps
// one keeps its own copy.
typedef const XPlatformUuid* CFUUIDRef;

// Text form: 36 characters plus the terminator.
constexpr long kUuidTextSize = 37;

// A new random identifier. Returns 0.
long PlatformUuidCreate(XPlatformUuid* uuid);

// Parses the 36-character text form (either case). 0, or -50 for null
// arguments and text of any other shape.
long PlatformUuidParse(const char* text, XPlatformUuid* uuid);

// The upper-case text form, cut to fit `size` bytes.
void PlatformUuidFormat(const XPlatformUuid& uuid, char* text, long size);
