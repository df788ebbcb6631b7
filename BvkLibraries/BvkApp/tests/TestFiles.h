#pragma once
// File helpers shared by the programs' end-to-end tests.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The example station's processing and configs folders copied under `root`,
// beside an empty diagnostics folder.
inline void CopyExampleStation(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    const fs::path example = fs::path(BVK_SOURCE_DIR) / "examples/station";
    fs::copy(example / "Processing", root / "Processing", fs::copy_options::recursive);
    fs::copy(example / "Configs", root / "Configs", fs::copy_options::recursive);
    fs::create_directory(root / "Diagnostics");
}
