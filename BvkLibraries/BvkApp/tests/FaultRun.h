#pragma once
// Runs a built program with one injected I/O fault (BVK_FAULT_INJECT) and
// tells whether the run met it, for the fault tests of both programs.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramRun.h"

struct XFaultRunResult {
    XProgramResult run;
    bool faultHit;  // the Nth operation came before the run ended
};

// Runs `program` in `folder` with the nth write, fsync, rename or exchange
// failing with `error` (ENOSPC or EIO); `environment` is put before it.
inline XFaultRunResult RunWithFault(const std::string& program,
                                    const std::vector<std::string>& args,
                                    const std::filesystem::path& folder,
                                    const std::string& environment, long nth, const char* error) {
    const std::filesystem::path said = folder / "fault-stderr.txt";
    const std::string prefix = "cd " + ShellQuote(folder.string()) + " && " + environment +
                               " BVK_FAULT_INJECT=any:" + std::to_string(nth) + ":" + error +
                               " 2>" + ShellQuote(said.string()) + " ";
    XFaultRunResult result{RunProgram(program, args, prefix), false};
    std::ifstream in(said);
    std::stringstream text;
    text << in.rdbuf();
    result.faultHit = text.str().find("injected fault: ") != std::string::npos;
    std::filesystem::remove(said);
    return result;
}
