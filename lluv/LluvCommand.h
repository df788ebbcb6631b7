#pragma once
// The subcommands of lluv. Each lives in its own file and is listed once in
// kLluvCommands; main.cpp attaches every listed command to the command line.
// Adding a command is one file and one line in the table.

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

// Exit statuses.
constexpr int kLluvOk = 0;
constexpr int kLluvFileFailed = 1;
constexpr int kLluvUsage = 2;

// Declares a command's options on `command` and returns what runs it once
// the command line is parsed; that gives the exit status.
using LluvSetUp = std::function<int()> (*)(CLI::App* command);

struct XLluvCommand {
    const char* name;
    const char* summary;
    LluvSetUp setUp;
};

std::function<int()> SetUpQcCommand(CLI::App* command);
std::function<int()> SetUpCheckCommand(CLI::App* command);
std::function<int()> SetUpInfoCommand(CLI::App* command);
std::function<int()> SetUpNetcdfCommand(CLI::App* command);

inline const XLluvCommand kLluvCommands[] = {
    {"qc", "Add the network's quality-control flags to radial LLUV files", SetUpQcCommand},
    {"check", "Say what is wrong with radial LLUV files (syntax test and reader)",
     SetUpCheckCommand},
    {"info", "Print what radial LLUV files hold, one line (or JSON object) per file",
     SetUpInfoCommand},
    {"netcdf", "Write radial LLUV files as CF netCDF files (tabular or gridded)",
     SetUpNetcdfCommand},
};

// A person's message about `file` on standard error: "lluv: FILE: text".
void LluvComplain(const std::string& file, const std::string& text);
// What an error code of the reader, the QC or the file layer means.
std::string LluvErrorText(long code);
