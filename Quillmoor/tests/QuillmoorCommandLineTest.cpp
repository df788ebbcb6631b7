#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct RunResult {
    std::string out;
    int status;
};

std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the built program with the given arguments in an empty folder, so the
// run cannot find a station and ends after the command line.
RunResult RunQuillmoorProgram(const std::vector<std::string>& args) {
    std::string cmd = "cd \"$(mktemp -d)\" && " + Quote(QUILLMOOR_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    RunResult r{"", -1};
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

const char* kUsage =
    " Usage: Quillmoor <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> "
    "<sCfgFolder> <nPattern> <sDiagFolder>\n"
    "  <nDiag> 0=quiet, 999=much output\n"
    "  <cProcChar> i=ideal, m=measured\n"
    "  <bLLUV> -1=UsePref, 0=Rad, 1=LLUV, 2=Rad/LLUV, 3=LLUV/Rad\n"
    "  <bOpen> 0=Don't open, 1=Open\n"
    "  <nPattern> -1=Unknown, 0=Ideal, 1=Meas\n";

std::string RunningLine() { return " Running Quillmoor " + std::string(QUILLMOOR_VERSION) + "\n"; }

TEST(QuillmoorCommandLine, NoArgumentsPrintsRunningLineUsageAndLevel) {
    RunResult r = RunQuillmoorProgram({});
    std::string expected = RunningLine() + kUsage + "  Diagnostic output level 999\n";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
}

TEST(QuillmoorCommandLine, LevelTenShowsProcessingTextAndOwner) {
    RunResult r = RunQuillmoorProgram({"10", "abcM", ""});
    std::string expected = RunningLine() + kUsage +
                           "  Diagnostic output level 10\n"
                           " File Processing char is 'abcM'\n"
                           " OwnerType is 'Kvrd'\n";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
}

TEST(QuillmoorCommandLine, OwnerCodesAndQuietLevels) {
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{"0"}, RunningLine()},                         // quiet: the running line only
        {{"-1"}, ""},                                   // below 0 nothing but failures
        {{"5", "i", "Abcd"}, RunningLine()},            // usage only from level 6
        {{"6", "", "Abcd"}, RunningLine() + kUsage},
        {{"10", "", "Abcd"}, RunningLine() + kUsage + "  Diagnostic output level 10\n"
                                 " File Processing char is ''\n OwnerType is 'Abcd'\n"},
        // Five digits read as a number: the codes 1 and 0 both mean the default owner.
        {{"10", "", "00001"}, RunningLine() + kUsage + "  Diagnostic output level 10\n"
                              " File Processing char is ''\n OwnerType is 'Kvrd'\n"},
        {{"10", "", "00000"}, RunningLine() + kUsage + "  Diagnostic output level 10\n"
                              " File Processing char is ''\n OwnerType is 'Kvrd'\n"},
    };
    for (const auto& c : cases) {
        RunResult r = RunQuillmoorProgram(c.args);
        EXPECT_EQ(r.out.substr(0, c.expected.size()), c.expected) << c.args[0];
        EXPECT_EQ(r.status, 0) << c.args[0];
        if (c.args[0] == "-1") {
            EXPECT_EQ(r.out.find(" Running"), std::string::npos);
        }
    }
}

}  // namespace
