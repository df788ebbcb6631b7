#include "AppInfoRequest.h"

#include <cstdio>
#include <cstring>

#include "cVersion.h"

namespace {

bool IsOneOf(const char* arg, const char* longForm, const char* shortForm) {
    return std::strcmp(arg, longForm) == 0 || std::strcmp(arg, shortForm) == 0;
}

}  // namespace

bool AnswerInfoRequest(int argc, char** argv, const char* programName, void (*printHelp)()) {
    if (argc < 2 || argv[1] == nullptr) return false;
    if (IsOneOf(argv[1], "--help", "-h")) {
        printHelp();
    } else if (IsOneOf(argv[1], "--version", "-V")) {
        char version[32];
        CVersion::GetShortVersionString(version);
        printf("%s %s\n", programName, version);
    } else {
        return false;
    }
    fflush(stdout);
    return true;
}

void PrintArgumentHelp(const XArgumentHelp* arguments, size_t count) {
    for (size_t i = 0; i < count; ++i)
        printf("  %-14s %s; default %s\n", arguments[i].name, arguments[i].meaning,
               arguments[i].fallback);
}
