#include "FenwrightHelp.h"

#include <gtest/gtest.h>

#include <string>

#include "HelpChecks.h"

namespace {

const std::string kUsageLine =
    " Usage: Fenwright <nDiag> <nRadType> <sProcFolder> <sDiagFolder> <sCfgFolder>";

// Asking for help used to run on the default folders, creating them at the
// root of the file system.
TEST(FenwrightHelp, HelpAndVersionAnswerAndTouchNothing) {
    ExpectInfoRequestsAnswerAndTouchNothing(FENWRIGHT_EXE, kUsageLine,
                                            "Fenwright " FENWRIGHT_VERSION);
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
    for (const auto& c : cases) ExpectArgumentDefault(help, c.name, c.fallback);
}

}  // namespace
