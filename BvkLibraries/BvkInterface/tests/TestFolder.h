#pragma once
// A temporary folder of its own for each object (removed with it), and whole
// files written, read and split into lines.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cFileSpec.h"

namespace test_folder {

class CTestFolder {
  public:
    CTestFolder() {
        static const unsigned run = std::random_device{}();
        static int serial = 0;
        mPath = std::filesystem::temp_directory_path() /
                ("bvk-iface-" + std::to_string(run) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(mPath);
    }
    ~CTestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    std::string File(const std::string& name) const { return (mPath / name).string(); }
    // Writes `bytes` as the file `name` and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
        return File(name);
    }
    const std::filesystem::path& Path() const { return mPath; }

  private:
    std::filesystem::path mPath;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline CFileSpec SpecOf(const std::string& path) {
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    return spec;
}

}  // namespace test_folder
