#pragma once
#include <cstddef>

// The two requests every program answers instead of running: help and its
// version. Only a whole first argument asks, so every other command line keeps
// its positional meaning (a first argument is otherwise the diagnostic level).

// The program's help is written by `printHelp`; the version line is
// "<programName> <short version>". Returns true when the first argument asked
// for either and the answer has been printed: the program then exits with 0,
// having read no preference and created no folder.
bool AnswerInfoRequest(int argc, char** argv, const char* programName, void (*printHelp)());

// One argument's line in a program's help: its name, what it means, its default.
struct XArgumentHelp {
    const char* name;
    const char* meaning;
    const char* fallback;
};

// Prints "  <name>         meaning; default fallback" for each argument.
void PrintArgumentHelp(const XArgumentHelp* arguments, size_t count);

template <size_t N>
void PrintArgumentHelp(const XArgumentHelp (&arguments)[N]) {
    PrintArgumentHelp(arguments, N);
}
