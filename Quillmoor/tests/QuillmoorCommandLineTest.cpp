// The converter's command line: what each level prints first, the defaults of
// missing and empty arguments, and the answers to --help and --version.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "HelpChecks.h"
#include "QuillmoorHelp.h"
#include "QuillmoorProcess.h"
#include "SandboxRun.h"

namespace {

const std::string kUsageLine =
    " Usage: Quillmoor <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> "
    "<sCfgFolder> <nPattern> <sDiagFolder>";
const std::string kUsage = kUsageLine +
                           "\n"
                           "  <nDiag> 0=quiet, 999=much output\n"
                           "  <cProcChar> i=ideal, m=measured\n"
                           "  <bLLUV> -1=UsePref, 0=Rad, 1=LLUV, 2=Rad/LLUV, 3=LLUV/Rad\n"
                           "  <bOpen> 0=Don't open, 1=Open\n"
                           "  <nPattern> -1=Unknown, 0=Ideal, 1=Meas\n";

std::string RunningLine() {
    return " Running Quillmoor " + std::string(QUILLMOOR_VERSION) + "\n";
}

// Arguments 4 and 5 of every run below: an output folder in a fresh temporary
// folder and a processing folder that does not exist, so that each run stops
// right after the command line with a failure of its own.
std::vector<std::string> WithMissingProcessingFolder(std::vector<std::string> args) {
    std::string base = std::filesystem::temp_directory_path() / "quillmoor-cmdline";
    while (args.size() < 3) args.push_back("");
    args.push_back(base + "/out/");
    args.push_back(base + "/missing/");
    return args;
}

const char* kMissingFolderFailure = "Failure -43: Couldn't find Processing Folder \"";

TEST(QuillmoorCommandLine, NoArgumentsPrintsRunningLineUsageAndLevel) {
    // With no arguments the run goes on to the station's default folders;
    // remove what it creates there when the machine had none.
    CStationRootLock lock;
    const std::filesystem::path stationRoot = "/Brenvik";
    const bool hadStation = std::filesystem::exists(stationRoot);
    XProgramResult r = RunQuillmoorProgram({});
    if (!hadStation) std::filesystem::remove_all(stationRoot);
    std::string expected = RunningLine() + kUsage +
                           "  Diagnostic output level 999\n"
                           " File Processing char is ''\n OwnerType is 'Kvrd'\n";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
}

TEST(QuillmoorCommandLine, FirstStepsPrintByLevelAndOwnerCodesDefault) {
    const std::string level10 = RunningLine() + kUsage + "  Diagnostic output level 10\n";
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{"10", "abcM", ""}, level10 + " File Processing char is 'abcM'\n OwnerType is 'Kvrd'\n"},
        {{"0"}, RunningLine()},               // quiet: the running line only
        {{"-1"}, ""},                         // below 0 nothing but failures
        {{"5", "i", "Abcd"}, RunningLine()},  // usage only from level 6
        {{"6", "", "Abcd"}, RunningLine() + kUsage},
        {{"10", "", "Abcd"}, level10 + " File Processing char is ''\n OwnerType is 'Abcd'\n"},
        // Five digits read as a number: the codes 1 and 0 both mean the default owner.
        {{"10", "", "00001"}, level10 + " File Processing char is ''\n OwnerType is 'Kvrd'\n"},
        {{"10", "", "00000"}, level10 + " File Processing char is ''\n OwnerType is 'Kvrd'\n"},
        // An empty level keeps its default, 999, as a missing one does.
        {{""}, RunningLine() + kUsage + "  Diagnostic output level 999\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        XProgramResult r = RunQuillmoorProgram(WithMissingProcessingFolder(c.args));
        EXPECT_EQ(r.out.substr(0, c.expected.size()), c.expected);
        // Failures are printed at every level, and the run's code is the exit status.
        EXPECT_PRED_FORMAT2(testing::IsSubstring, kMissingFolderFailure, r.out);
        EXPECT_EQ(r.status, 256 - 43);
    }
}

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
