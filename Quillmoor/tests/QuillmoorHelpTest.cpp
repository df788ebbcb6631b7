#include "QuillmoorHelp.h"

#include <gtest/gtest.h>

#include <string>

#include "SandboxRun.h"

namespace {

const std::string kUsageLine =
    " Usage: Quillmoor <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> "
    "<sCfgFolder> <nPattern> <sDiagFolder>";

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// Asking for help used to run the converter on the default folders, creating
// them at the root of the file system.
TEST(QuillmoorHelp, HelpAndVersionAnswerAndTouchNothing) {
    struct Case {
        const char* arg;
        std::string firstLine;
    };
    const Case cases[] = {
        {"--help", kUsageLine},
        {"-h", kUsageLine},
        {"--version", "Quillmoor " QUILLMOOR_VERSION},
        {"-V", "Quillmoor " QUILLMOOR_VERSION},
    };
    for (const auto& c : cases) {
        XSandboxResult r = RunInSandbox(QUILLMOOR_EXE, {c.arg});
        EXPECT_EQ(r.run.status, 0) << c.arg;
        EXPECT_EQ(FirstLine(r.run.out), c.firstLine) << c.arg;
        EXPECT_EQ(r.created, std::vector<std::string>{}) << c.arg;
    }
}

TEST(QuillmoorHelp, HelpGivesEveryArgumentWithItsDefault) {
    testing::internal::CaptureStdout();
    PrintQuillmoorHelp();
    const std::string help = testing::internal::GetCapturedStdout();
    struct Case {
        const char* name;
        const char* fallback;
    };
    const Case cases[] = {
        {"<nDiag>", "999"},
        {"<cProcChar>", "empty"},
        {"<sOwner>", "Kvrd"},
        {"<sRadFolder>", "/Brenvik/Tesmara/Data/Radials/"},
        {"<sProcFolder>", "/Brenvik/Tesmara/Data/Processing/"},
        {"<bLLUV>", "-1"},
        {"<bOpen>", "1"},
        {"<sCfgFolder>", "/Brenvik/Tesmara/Configs/RadialConfigs/"},
        {"<nPattern>", "-1"},
        {"<sDiagFolder>", "/Brenvik/Tesmara/Data/Diagnostics/"},
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
