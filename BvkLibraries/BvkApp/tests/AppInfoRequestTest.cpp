#include "AppInfoRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void PrintHelp() {
    printf("help\n");
}

TEST(AppInfoRequest, OnlyAWholeFirstArgumentAsks) {
    struct Case {
        std::vector<std::string> args;
        std::string printed;  // empty: not a request, the program runs as usual
    };
    const std::string version = std::string("Prog ") + BVK_VERSION_TEXT + "\n";
    const Case cases[] = {
        {{"--help"}, "help\n"},
        {{"-h", "10"}, "help\n"},
        {{"--version"}, version},
        {{"-V"}, version},
        {{}, ""},
        {{""}, ""},
        {{"10", "--help"}, ""},
        {{"--helpme"}, ""},
        {{"-H"}, ""},
        {{"-v"}, ""},
        {{"--Version"}, ""},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("Prog")};
        for (const auto& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
        testing::internal::CaptureStdout();
        const bool answered =
            AnswerInfoRequest(static_cast<int>(argv.size()), argv.data(), "Prog", PrintHelp);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(answered, !c.printed.empty());
    }
}

}  // namespace
