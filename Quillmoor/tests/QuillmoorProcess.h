#pragma once
// Runs the built Quillmoor program and captures what it prints, and the copy
// of the example station that the end-to-end tests run it on.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "TestFiles.h"

inline XProgramResult RunQuillmoorProgram(const std::vector<std::string>& args,
                                          const std::string& prefix = "cd \"$(mktemp -d)\" && ") {
    return RunProgram(QUILLMOOR_EXE, args, prefix);
}

// The example's outputs: its classic name has the letter i and the separators '_' and '-'.
inline const char* kClassicName = "RadiBRNK_26-12-06_1400.rv";
inline const char* kXYUVName = "RdtiBRNK_26-12-06_1400.rv";
inline const char* kLLUVName = "RDLi_BRNK_2026_12_06_1400.ruv";

// The first line of `text` that starts with `key`, or "".
inline std::string LineStarting(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(key, 0) == 0) return line;
    return "";
}

// `text` without the lines that differ from run to run by design: the file's
// UUID and the time it was processed.
inline std::string WithoutRunStamps(const std::string& text) {
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("%UUID:", 0) != 0 && line.rfind("%ProcessedTimeStamp:", 0) != 0)
            kept += line + "\n";
    return kept;
}

// A copy of the example station in a fresh temporary folder (see CopyExampleStation).
class ExampleStation : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillmoor-station-XXXXXX";
        root = mkdtemp(pattern);
        out = root / "Out";
        CopyExampleStation(root);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::filesystem::path Proc() const { return root / "Processing"; }
    std::filesystem::path Cfg() const { return root / "Configs"; }

    // <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> <sCfgFolder>
    // <nPattern> <sDiagFolder>; `source` stands for the processing folder when given.
    std::vector<std::string> Args(const std::string& mode, const std::string& procText = "i",
                                  const std::string& level = "10", const std::string& source = "",
                                  const std::string& pattern = "-1") const {
        return {level,
                procText,
                "",
                out.string() + "/",
                source.empty() ? Proc().string() + "/" : source,
                mode,
                "0",
                Cfg().string() + "/",
                pattern,
                (root / "Diagnostics").string() + "/"};
    }
    template <typename... T>
    XProgramResult Run(const T&... args) {
        return RunQuillmoorProgram(Args(args...), prefix);
    }

    std::filesystem::path root, out;
    std::string prefix = "TZ=America/Los_Angeles ";
};
