#include "PlatformUuid.h"

#include <cstdio>
#include <cstring>

#include <uuid/uuid.h>

#include "BvkErrors.h"

long PlatformUuidCreate(XPlatformUuid* uuid) {
    if (uuid == nullptr) return kErrBadArgument;
    uuid_t raw;
    uuid_generate_random(raw);
    std::memcpy(uuid->bytes, raw, sizeof(uuid->bytes));
    return kNoErr;
}

long PlatformUuidParse(const char* text, XPlatformUuid* uuid) {
    if (text == nullptr || uuid == nullptr) return kErrBadArgument;
    // uuid_parse reads exactly 36 characters; anything longer is not an
    // identifier even when it begins like one.
    if (strnlen(text, 37) != 36) return kErrBadArgument;
    uuid_t raw;
    if (uuid_parse(text, raw) != 0) return kErrBadArgument;
    std::memcpy(uuid->bytes, raw, sizeof(uuid->bytes));
    return kNoErr;
}

void PlatformUuidFormat(const XPlatformUuid& uuid, char* text, long size) {
    if (text == nullptr || size < 1) return;
    char full[kUuidTextSize];
    uuid_t raw;
    std::memcpy(raw, uuid.bytes, sizeof(raw));
    uuid_unparse_upper(raw, full);
    std::snprintf(text, static_cast<size_t>(size), "%s", full);
}
