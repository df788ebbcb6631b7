#pragma once
// Runs a built program in a sandbox: a fresh temporary folder that is its HOME,
// its working folder and its TMPDIR. Reports every path that appeared there or
// under the stations' default root while it ran.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ProgramRun.h"

// Held by every test that runs a program able to create the default folders at
// the root of the file system (or that watches them), so that tests running at
// the same time do not see each other's folders.
class CStationRootLock {
  public:
    CStationRootLock() {
        const auto path = std::filesystem::temp_directory_path() / "bvk-station-root.lock";
        mFd = open(path.c_str(), O_RDWR | O_CREAT, 0666);
        if (mFd >= 0) flock(mFd, LOCK_EX);
    }
    ~CStationRootLock() {
        if (mFd >= 0) close(mFd);
    }
    CStationRootLock(const CStationRootLock&) = delete;
    CStationRootLock& operator=(const CStationRootLock&) = delete;

  private:
    int mFd = -1;
};

struct XSandboxResult {
    XProgramResult run;
    std::vector<std::string> created;
};

inline std::set<std::string> ListTree(const std::filesystem::path& root) {
    std::set<std::string> paths;
    std::error_code ec;
    if (!std::filesystem::exists(root, ec)) return paths;
    paths.insert(root.string());
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ec))
        paths.insert(entry.path().string());
    return paths;
}

inline XSandboxResult RunInSandbox(const std::string& program,
                                   const std::vector<std::string>& args) {
    std::string pattern = (std::filesystem::temp_directory_path() / "bvk-sandbox.XXXXXX").string();
    const std::filesystem::path sandbox = mkdtemp(pattern.data());
    const std::filesystem::path stationRoot = "/Brenvik";
    const std::vector<std::filesystem::path> watched = {sandbox, stationRoot};

    CStationRootLock lock;
    std::set<std::string> before;
    for (const auto& root : watched) before.merge(ListTree(root));
    const std::string dir = ShellQuote(sandbox.string());
    XSandboxResult result;
    result.run =
        RunProgram(program, args, "cd " + dir + " && HOME=" + dir + " TMPDIR=" + dir + " ");
    for (const auto& root : watched)
        for (const auto& path : ListTree(root))
            if (!before.contains(path)) result.created.push_back(path);
    // What a faulty run left behind is reported, then removed.
    std::error_code ec;
    for (const auto& path : result.created) std::filesystem::remove_all(path, ec);
    std::filesystem::remove_all(sandbox, ec);
    return result;
}
