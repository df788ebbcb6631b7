#pragma once
// Runs the built Quillmoor program and captures what it prints.

#include "ProgramRun.h"

inline XProgramResult RunQuillmoorProgram(const std::vector<std::string>& args,
                                          const std::string& prefix = "cd \"$(mktemp -d)\" && ") {
    return RunProgram(QUILLMOOR_EXE, args, prefix);
}
