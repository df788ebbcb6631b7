// The example station's conversion with each of its writes, fsyncs, renames
// and exchanges failing in turn: the run says it failed, and every output is
// either missing, the file it was to replace, or whole.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "FaultRun.h"
#include "QuillmoorProcess.h"

namespace fs = std::filesystem;

namespace {

// The bytes of every file in a folder tree, by path below it.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files[fs::relative(entry.path(), folder)] = ReadAll(entry.path());
    return files;
}

}  // namespace

class QuillmoorFaults : public ExampleStation {};

TEST_F(QuillmoorFaults, EveryFailedOperationLeavesOldOrWholeOutputs) {
    fs::copy(fs::path(BVK_SOURCE_DIR) / "examples/station/Diagnostics", root / "Diagnostics",
             fs::copy_options::recursive);
    // The example's command line: classic and LLUV outputs.
    const std::string tz = "TZ=America/Los_Angeles";
    out = root / "Reference";
    prefix = "cd " + root.string() + " && " + tz + " ";
    ASSERT_EQ(Run("2").status, 0);
    const auto reference = Contents(out);
    ASSERT_EQ(reference.size(), 2u);
    const auto inputs = [&] {
        std::map<std::string, std::string> all;
        for (const char* part : {"Processing", "Configs", "Diagnostics"})
            for (auto& [name, bytes] : Contents(root / part))
                all[std::string(part) + "/" + name] = bytes;
        return all;
    };
    const auto inputsBefore = inputs();
    out = root / "Out";

    long n = 1;
    for (bool hit = true; hit && n < 200; ++n) {
        hit = false;
        // Into an empty folder (ENOSPC), and over outputs of an earlier run (EIO).
        for (const bool replacing : {false, true}) {
            SCOPED_TRACE("operation " + std::to_string(n) + (replacing ? " replacing" : " new"));
            fs::remove_all(root / "Out");
            fs::create_directory(root / "Out");
            if (replacing)
                for (const auto& [name, bytes] : reference)
                    std::ofstream(root / "Out" / name) << "old\n";
            XFaultRunResult r =
                RunWithFault(QUILLMOOR_EXE, Args("2"), root, tz, n, replacing ? "EIO" : "ENOSPC");
            const auto outputs = Contents(root / "Out");
            EXPECT_EQ(inputs(), inputsBefore);
            if (!r.faultHit) {
                EXPECT_EQ(r.run.status, 0);
                EXPECT_EQ(outputs.size(), reference.size());
            } else {
                hit = true;
                EXPECT_PRED_FORMAT2(testing::IsSubstring, "Failure ", r.run.out);
                EXPECT_NE(r.run.status, 0) << r.run.out;
            }
            // No temporary stays, and no final name holds part of a file.
            for (const auto& [name, bytes] : outputs) {
                SCOPED_TRACE(name);
                ASSERT_EQ(reference.count(name), 1u);
                if (replacing && bytes == "old\n") continue;
                EXPECT_EQ(WithoutRunStamps(bytes), WithoutRunStamps(reference.at(name)));
            }
        }
    }
    EXPECT_GT(n, 5) << "a conversion makes more than a few writes";
    EXPECT_LT(n, 200) << "the faults never ran out";
}
