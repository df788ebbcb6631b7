#include "FenwrightHelp.h"

#include <gtest/gtest.h>

#include <string>

#include "SandboxRun.h"

namespace {

const std::string kUsageLine =
    " Usage: Fenwright <nDiag> <nRadType> <sProcFolder> <sDiagFolder> <sCfgFolder>";

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// Asking for help used to run on the default folders, creating them at the
// root of the file system.
TEST(FenwrightHelp, HelpAndVersionAnswerAndTouchNothing) {
    struct Case {
        const char* arg;
        std::string firstLine;
    };
    const Case cases[] = {
        {"--help", kUsageLine},
        {"-h", kUsageLine},
        {"--version", "Fenwright " FENWRIGHT_VERSION},
        {"-V", "Fenwright " FENWRIGHT_VERSION},
    };
    for (const auto& c : cases) {
        XSandboxResult r = RunInSandbox(FENWRIGHT_EXE, {c.arg});
        EXPECT_EQ(r.run.status, 0) << c.arg;
        EXPECT_EQ(FirstLine(r.run.out), c.firstLine) << c.arg;
        EXPECT_EQ(r.created, std::vector<std::string>{}) << c.arg;
    }
}

TEST(FenwrightHelp, HelpGivesEveryArgumentWithItsDefault) {
    testing::internal::CaptureStdout();
    PrintFenwrightHelp();
    const std::string help = testing::internal::GetCapturedStdout();
    struct Case {
        const char* name;
        const char* fallback;
    };
    const Case cases[] = {
        {"<nDiag>", "0"},
        {"<nRadType>", "0"},
        {"<sProcFolder>", "/Brenvik/Tesmara/Data/Processing/"},
        {"<sDiagFolder>", "/Brenvik/Tesmara/Data/Diagnostics/"},
        {"<sCfgFolder>", "/Brenvik/Tesmara/Configs/RadialConfigs/"},
    };
    for (const auto& c : cases) {
        // The last line naming the argument: the usage lines come first.
        const size_t start = help.rfind(std::string("\n  ") + c.name + " ");
        ASSERT_NE(start, std::string::npos) << c.name;
        const std::string line = help.substr(start + 1, help.find('\n', start + 1) - start - 1);
        const std::string ending = std::string("; default ") + c.fallback;
        EXPECT_TRUE(line.ends_with(ending)) << line;
    }
}

}  // namespace
