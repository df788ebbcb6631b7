#pragma once
// Runs a built program through the shell and captures what it prints, for the
// end-to-end tests of both programs.

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

struct XProgramResult {
    std::string out;
    int status;  // the exit code as a shell sees it, -1 when it did not exit
};

inline std::string ShellQuote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// `prefix` is put before the program (an environment or a `cd`).
inline XProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& prefix) {
    std::string cmd = prefix + ShellQuote(program);
    for (const auto& a : args) {
        cmd += ' ';
        cmd += ShellQuote(a);
    }
    XProgramResult r{"", -1};
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}
