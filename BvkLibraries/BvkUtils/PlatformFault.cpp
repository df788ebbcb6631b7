#include "PlatformFault.h"

#include <errno.h>
#include <stdio.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct XFaultPlan {
    bool armed = false;
    bool fired = false;
    uint32_t kinds = 0;
    long remaining = 0;  // operations of `kinds` left until the failing one
    int err = 0;
};

// "KIND:N:ERROR"; false when the text is not one.
bool ParsePlan(const char* text, XFaultPlan* plan) {
    static constexpr struct {
        const char* name;
        uint32_t kinds;
    } kKinds[] = {{"write", kFaultWrite},
                  {"fsync", kFaultSync},
                  {"rename", kFaultRename},
                  {"exchange", kFaultExchange},
                  {"any", kFaultAny}};
    const char* colon = strchr(text, ':');
    if (colon == nullptr) return false;
    const std::string kind(text, colon);
    uint32_t kinds = 0;
    for (const auto& k : kKinds)
        if (kind == k.name) kinds = k.kinds;
    char* end = nullptr;
    long nth = strtol(colon + 1, &end, 10);
    if (kinds == 0 || end == colon + 1 || *end != ':' || nth < 1) return false;
    int err = strcmp(end + 1, "ENOSPC") == 0 ? ENOSPC : strcmp(end + 1, "EIO") == 0 ? EIO : 0;
    if (err == 0) return false;
    *plan = XFaultPlan{true, false, kinds, nth, err};
    return true;
}

XFaultPlan& Plan() {
    static XFaultPlan plan = [] {
        XFaultPlan fromEnvironment;
        const char* text = getenv("BVK_FAULT_INJECT");
        if (text != nullptr && *text != 0 && !ParsePlan(text, &fromEnvironment))
            fprintf(stderr, "BVK_FAULT_INJECT=%s is not KIND:N:ENOSPC|EIO; nothing injected\n",
                    text);
        return fromEnvironment;
    }();
    return plan;
}

const char* KindName(uint32_t kind) {
    switch (kind) {
        case kFaultWrite:
            return "write";
        case kFaultSync:
            return "fsync";
        case kFaultRename:
            return "rename";
        default:
            return "exchange";
    }
}

}  // namespace

void PlatformSetFault(uint32_t kinds, long nth, int err) {
    Plan() = nth > 0 ? XFaultPlan{true, false, kinds, nth, err} : XFaultPlan{};
}

bool PlatformFaultFired() {
    return Plan().fired;
}

bool PlatformFaultHere(uint32_t kind) {
    XFaultPlan& plan = Plan();
    if (!plan.armed || !(plan.kinds & kind)) return false;
    if (--plan.remaining > 0) return false;
    plan.armed = false;
    plan.fired = true;
    fprintf(stderr, "injected fault: %s fails with %s\n", KindName(kind),
            plan.err == ENOSPC ? "ENOSPC" : "EIO");
    errno = plan.err;
    return true;
}
