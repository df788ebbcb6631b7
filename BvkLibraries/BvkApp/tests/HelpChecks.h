#pragma once
// Checks every program's answers to --help and --version.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SandboxRun.h"

// Each of --help, -h, --version and -V as the only argument: exit 0, the usage
// or version line first, and nothing created anywhere the program can reach.
inline void ExpectInfoRequestsAnswerAndTouchNothing(const char* program,
                                                    const std::string& usageLine,
                                                    const std::string& versionLine) {
    const std::pair<const char*, std::string> cases[] = {
        {"--help", usageLine},
        {"-h", usageLine},
        {"--version", versionLine},
        {"-V", versionLine},
    };
    for (const auto& [arg, firstLine] : cases) {
        XSandboxResult r = RunInSandbox(program, {arg});
        EXPECT_EQ(r.run.status, 0) << arg;
        EXPECT_EQ(r.run.out.substr(0, r.run.out.find('\n')), firstLine) << arg;
        EXPECT_EQ(r.created, std::vector<std::string>{}) << arg;
    }
}

// The help's line for argument `name` (the last line naming it: the usage
// lines come first) ends with "; default " and the default.
inline void ExpectArgumentDefault(const std::string& help, const char* name, const char* fallback) {
    const size_t start = help.rfind(std::string("\n  ") + name + " ");
    ASSERT_NE(start, std::string::npos) << name;
    const std::string line = help.substr(start + 1, help.find('\n', start + 1) - start - 1);
    EXPECT_TRUE(line.ends_with(std::string("; default ") + fallback)) << line;
}
