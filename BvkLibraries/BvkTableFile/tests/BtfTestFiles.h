#pragma once
// Temporary folders, whole-file reads and writes and file specs for the table
// file tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "cFileSpec.h"

class TempFolder {
  public:
    TempFolder() {
        static int serial = 0;
        static const unsigned run = std::random_device{}();
        path_ = std::filesystem::temp_directory_path() /
                ("btf-test-" + std::to_string(run) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline CFileSpec Spec(const std::string& path) {
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    return spec;
}
