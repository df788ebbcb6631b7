#include "QuillmoorHelp.h"

#include <gtest/gtest.h>

#include <string>

#include "HelpChecks.h"

namespace {

const std::string kUsageLine =
    " Usage: Quillmoor <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> "
    "<sCfgFolder> <nPattern> <sDiagFolder>";

// Asking for help used to run the converter on the default folders, creating
// them at the root of the file system.
TEST(QuillmoorHelp, HelpAndVersionAnswerAndTouchNothing) {
    ExpectInfoRequestsAnswerAndTouchNothing(QUILLMOOR_EXE, kUsageLine,
                                            "Quillmoor " QUILLMOOR_VERSION);
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
    for (const auto& c : cases) ExpectArgumentDefault(help, c.name, c.fallback);
}

}  // namespace
