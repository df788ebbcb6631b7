#pragma once
// The two requests every program answers instead of running: help and its
// version. Only a whole first argument asks, so every other command line keeps
// its positional meaning (a first argument is otherwise the diagnostic level).

// The program's help is written by `printHelp`; the version line is
// "<programName> <short version>". Returns true when the first argument asked
// for either and the answer has been printed: the program then exits with 0,
// having read no preference and created no folder.
bool AnswerInfoRequest(int argc, char** argv, const char* programName, void (*printHelp)());
