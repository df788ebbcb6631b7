#pragma once
// Temporary folders, whole-file reads and writes, folder listings, file specs,
// four-character codes and a scoped TZ for the tests of the utilities.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "cFileSpec.h"
#include "cPrefBase.h"

namespace fs = std::filesystem;

// A fresh folder for one test, removed afterwards (locked or not).
struct TempFolder {
    TempFolder() {
        std::random_device random;
        do {
            path = fs::temp_directory_path() / ("bvk-test-" + std::to_string(random()));
        } while (!fs::create_directory(path));
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

constexpr uint32_t FourCC(const char* c) {
    return (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) |
           (uint32_t(uint8_t(c[2])) << 8) | uint32_t(uint8_t(c[3]));
}

inline CFileSpec SpecOf(const std::string& path) {
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    return spec;
}

inline std::string PathOf(const CFileSpec& spec) {
    char buf[kMaxPathBytes + 2];
    spec.GetFilePath(buf, sizeof buf);
    return buf;
}

// Sets TZ for one test and puts it back afterwards.
class ScopedTZ {
  public:
    explicit ScopedTZ(const char* zone) {
        const char* saved = std::getenv("TZ");
        mbHad = saved != nullptr;
        if (mbHad) msSaved = saved;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTZ() {
        if (mbHad)
            setenv("TZ", msSaved.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    bool mbHad;
    std::string msSaved;
};

// A preference file of its own for each test.
class PrefFile : public ::testing::Test {
  protected:
    void Write(const std::string& bytes) { WriteBytes(path, bytes); }
    std::string Read() { return ReadBytes(path); }
    long Open(CPrefBase& pref, long bReadOnly) {
        CFileSpec spec = SpecOf(path);
        return pref.OpenPreference(&spec, 0, 0, bReadOnly);
    }
    TempFolder folder;
    std::string path = folder / "Quillmoor.pref";
};
