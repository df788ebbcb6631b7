// A Fenwright append to the example station's week with each of its writes,
// fsyncs, renames and exchanges failing in turn: the week report is either the
// old one or the old one plus the new record, never less.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "FaultRun.h"

namespace fs = std::filesystem;

namespace {

// The table rows of a report (the lines that start with a blank) as their
// values: a rewritten report may align its columns differently.
std::vector<std::string> Rows(const std::string& text) {
    std::istringstream lines(text);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] != ' ') continue;
        std::istringstream values(line);
        std::string row;
        for (std::string value; values >> value;) row += value + " ";
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(FenwrightFaults, EveryFailedOperationKeepsTheWeeksRecords) {
    char pattern[] = "/tmp/fenwright-fault-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const fs::path example = fs::path(BVK_SOURCE_DIR) / "examples/station";
    fs::copy(example / "Processing", root / "Processing", fs::copy_options::recursive);
    fs::copy(example / "Configs", root / "Configs", fs::copy_options::recursive);
    const std::string weekName = "STAT_BRNK_2026_12_06.rdt";
    const std::string earlier = ReadAll(example / "Diagnostics" / weekName);
    const std::vector<std::string> earlierRows = Rows(earlier);
    ASSERT_EQ(earlierRows.size(), 30u);
    const std::vector<std::string> args = {"1", "1", (root / "Processing").string() + "/",
                                           (root / "Diagnostics").string() + "/",
                                           (root / "Configs").string() + "/"};

    long n = 1;
    for (bool hit = true; hit && n < 200; ++n) {
        hit = false;
        // The week's first record (ENOSPC), and one appended to its 30 (EIO).
        for (const bool appending : {false, true}) {
            SCOPED_TRACE("operation " + std::to_string(n) + (appending ? " appending" : " first"));
            fs::remove_all(root / "Diagnostics");
            if (appending)
                fs::copy(example / "Diagnostics", root / "Diagnostics",
                         fs::copy_options::recursive);
            else
                fs::create_directory(root / "Diagnostics");
            const fs::path week = root / "Diagnostics" / weekName;
            XFaultRunResult r = RunWithFault(FENWRIGHT_EXE, args, root, "TZ=America/Los_Angeles", n,
                                             appending ? "EIO" : "ENOSPC");
            hit = hit || r.faultHit;
            if (r.faultHit) {
                EXPECT_NE(r.run.status, 0) << r.run.out;
                EXPECT_NE(r.run.out.find("Failure "), std::string::npos) << r.run.out;
            } else {
                EXPECT_EQ(r.run.status, 0) << r.run.out;
            }

            const std::vector<std::string> before =
                appending ? earlierRows : std::vector<std::string>{};
            if (!fs::exists(week)) {
                EXPECT_TRUE(r.faultHit && !appending) << "the week report is gone";
            } else if (ReadAll(week) != (appending ? earlier : "")) {
                // A new file: every earlier row with its values, then the new record.
                std::vector<std::string> rows = Rows(ReadAll(week));
                ASSERT_EQ(rows.size(), before.size() + 1);
                rows.pop_back();
                EXPECT_EQ(rows, before);
                EXPECT_NE(ReadAll(week).find("%End:"), std::string::npos);
            }
            if (!r.faultHit) {
                EXPECT_EQ(Rows(ReadAll(week)).size(), before.size() + 1);
            }
            // No temporary stays behind.
            for (const std::string& name : Names(root / "Diagnostics"))
                EXPECT_NE(name[0], '.') << name;
        }
    }
    EXPECT_GT(n, 3) << "an append makes more than a few writes";
    EXPECT_LT(n, 200) << "the faults never ran out";
    fs::remove_all(root);
}
