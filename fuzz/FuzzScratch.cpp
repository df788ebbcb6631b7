#include "FuzzScratch.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace {

constexpr int kScratchSlots = 4;

// The process's own scratch folder, removed (with whatever the writers left
// in it) when the process ends normally.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::random_device random;
        const unsigned long long tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
        mFolder = std::filesystem::temp_directory_path() / ("bvk-fuzz-" + std::to_string(tag));
        // Every slot has the same name in a folder of its own: readers that
        // take the site or the pattern kind from a file's name find the same
        // in each (a standard classic radial name).
        for (int slot = 0; slot < kScratchSlots; ++slot) {
            const std::filesystem::path folder = mFolder / ("slot" + std::to_string(slot));
            std::filesystem::create_directories(folder);
            mPaths[slot] = (folder / "RdlsFUZZ_26_12_06_1400.rv").string();
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }
    const char* Path(int slot) const { return mPaths[slot].c_str(); }

  private:
    std::filesystem::path mFolder;
    std::string mPaths[kScratchSlots];
};

ScratchFolder& Folder() {
    static ScratchFolder folder;
    return folder;
}

}  // namespace

const char* FuzzScratchPath(int slot) {
    if (slot < 0 || slot >= kScratchSlots) std::abort();
    return Folder().Path(slot);
}

const char* FuzzWriteScratch(int slot, const uint8_t* data, size_t size) {
    const char* path = FuzzScratchPath(slot);
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
    return path;
}

FuzzText::FuzzText(const uint8_t* data, size_t size) : text(new char[size + 1]) {
    if (size > 0) std::memcpy(text, data, size);
    text[size] = 0;
}

FuzzText::~FuzzText() {
    delete[] text;
}

bool FuzzSameNumber(double a, double b, double tolerance) {
    if (a == b || (std::isnan(a) && std::isnan(b))) return true;
    const double scale = std::fmax(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) <= tolerance * scale;
}

void FuzzFail(const char* what, long index, double a, double b) {
    std::fprintf(stderr, "round trip changed %s at %ld: %.17g -> %.17g\n", what, index, a, b);
    std::abort();
}
