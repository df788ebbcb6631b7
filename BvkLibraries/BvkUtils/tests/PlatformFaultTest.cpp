// Injected faults: only the Nth operation of the armed kind fails, and an
// output whose write, fsync or rename fails leaves the file it was to
// replace whole.

#include "PlatformFault.h"

#include <errno.h>
#include <gtest/gtest.h>

#include "BvkErrors.h"
#include "Platform.h"
#include "UtilsTestFiles.h"
#include "cFile.h"

TEST(PlatformFault, TheNthOperationOfItsKindFailsAndTheOldOutputStays) {
    TempFolder folder;
    const std::string out = folder / "out.txt";
    // Writes `text` as an output while the given fault is armed; the close's result.
    const auto writeOutput = [&out](const char* text, uint32_t kinds, long nth, int err,
                                    bool fires) {
        CFileSpec spec = SpecOf(out);
        CFile file;
        EXPECT_EQ(file.OpenCreateFile(&spec, 0, kTextFileType), kNoErr);
        file.WriteTextFormat("%s", text);
        PlatformSetFault(kinds, nth, err);
        long closed = file.CloseFile();
        EXPECT_EQ(PlatformFaultFired(), fires);
        PlatformSetFault(0, 0, 0);
        return closed;
    };
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
        WriteBytes(out, "old\n");
        EXPECT_EQ(writeOutput("new\n", c.kinds, c.nth, c.err, c.fails),
                  c.fails ? kErrPlatformBase - c.err : kNoErr);
        EXPECT_EQ(ReadBytes(out), c.fails ? "old\n" : "new\n");
        EXPECT_EQ(Names(folder.path).size(), 1u) << "no temporary stays";
    }

    // A batch that syncs its volume itself: no fsync per output.
    setenv("BVK_DEFER_SYNC", "1", 1);
    EXPECT_EQ(writeOutput("deferred\n", kFaultSync, 1, EIO, false), kNoErr);
    EXPECT_EQ(ReadBytes(out), "deferred\n");
    unsetenv("BVK_DEFER_SYNC");

    // An exchange that fails leaves both files as they were.
    WriteBytes(out, "old\n");
    WriteBytes(folder / "other.txt", "other\n");
    CFileTool a;
    a.SetFileSpec(out.c_str());
    CFileSpec b = SpecOf(folder / "other.txt");
    PlatformSetFault(kFaultExchange, 1, ENOSPC);
    EXPECT_EQ(a.ExchangeFiles(&b), kErrPlatformBase - ENOSPC);
    PlatformSetFault(0, 0, 0);
    EXPECT_EQ(ReadBytes(out), "old\n");
    EXPECT_EQ(ReadBytes(folder / "other.txt"), "other\n");
}
