// Injected faults: only the Nth operation of the armed kind fails, and an
// output whose write, fsync or rename fails leaves the file it was to
// replace whole.

#include "PlatformFault.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "BvkErrors.h"
#include "Platform.h"
#include "cFile.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(PlatformFault, TheNthOperationOfItsKindFailsAndTheOldOutputStays) {
    const fs::path folder =
        fs::temp_directory_path() / ("bvk-fault-" + std::to_string(std::random_device{}()));
    fs::create_directory(folder);
    const fs::path out = folder / "out.txt";
    // An output makes one write (at the close, from the write-behind
    // buffer), one fsync and one rename.
    struct Case {
        uint32_t kinds;
        long nth;
        int err;
        bool fails;
    };
    const Case cases[] = {
        {kFaultWrite, 1, ENOSPC, true},  {kFaultSync, 1, EIO, true},
        {kFaultRename, 1, ENOSPC, true}, {kFaultAny, 3, EIO, true},  // the rename
        {kFaultAny, 4, EIO, false},      {kFaultExchange, 1, EIO, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kinds) + " #" + std::to_string(c.nth));
        std::ofstream(out) << "old\n";
        CFileSpec spec;
        spec.SetFileSpec(out.string().c_str());
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, 0, kTextFileType), kNoErr);
        file.WriteTextFormat("new\n");
        PlatformSetFault(c.kinds, c.nth, c.err);
        long closed = file.CloseFile();
        EXPECT_EQ(PlatformFaultFired(), c.fails);
        PlatformSetFault(0, 0, 0);
        EXPECT_EQ(closed, c.fails ? kErrPlatformBase - c.err : kNoErr);
        EXPECT_EQ(ReadBytes(out), c.fails ? "old\n" : "new\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no temporary stays";
    }

    // A batch that syncs its volume itself: no fsync per output.
    setenv("BVK_DEFER_SYNC", "1", 1);
    {
        CFileSpec spec;
        spec.SetFileSpec(out.string().c_str());
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, 0, kTextFileType), kNoErr);
        file.WriteTextFormat("deferred\n");
        PlatformSetFault(kFaultSync, 1, EIO);
        EXPECT_EQ(file.CloseFile(), kNoErr);
        EXPECT_FALSE(PlatformFaultFired());
        PlatformSetFault(0, 0, 0);
        EXPECT_EQ(ReadBytes(out), "deferred\n");
    }
    unsetenv("BVK_DEFER_SYNC");

    // An exchange that fails leaves both files as they were.
    std::ofstream(out) << "old\n";
    std::ofstream(folder / "other.txt") << "other\n";
    CFileTool a;
    a.SetFileSpec(out.string().c_str());
    CFileSpec b;
    b.SetFileSpec((folder / "other.txt").string().c_str());
    PlatformSetFault(kFaultExchange, 1, ENOSPC);
    EXPECT_EQ(a.ExchangeFiles(&b), kErrPlatformBase - ENOSPC);
    PlatformSetFault(0, 0, 0);
    EXPECT_EQ(ReadBytes(out), "old\n");
    EXPECT_EQ(ReadBytes(folder / "other.txt"), "other\n");
    fs::remove_all(folder);
}
