// End-to-end runs of the built Fenwright program on a hand-made station and
// on a copy of the example one: the week reports it keeps, what it prints, and
// its answers to --help and --version.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FaultRun.h"
#include "FenwrightHelp.h"
#include "HelpChecks.h"
#include "ProgramRun.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

// The lines of a report file that are table rows.
std::vector<std::string> Rows(const std::string& text) {
    std::istringstream lines(text);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] == ' ') rows.push_back(line);
    return rows;
}

std::string Keyword(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("%" + name + ":", 0) == 0) return line;
    return "";
}

// 1904 seconds of Sunday 2 March 2008 00:00: 38,047 days after 1904-01-01
// (104 years with 26 leap days, then 31 + 29 + 1 days of 2008).
constexpr uint32_t kSunday2Mar2008 = 3287260800U;
constexpr uint32_t kDay = 86400;

// A station in a temporary folder: processing, diagnostics and configs.
class Station : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/fenwright-XXXXXX";
        root = mkdtemp(pattern);
        proc = root / "Processing";
        diag = root / "Diagnostics";
        cfg = root / "Configs";
        for (const fs::path& folder : {proc, diag, cfg}) fs::create_directories(folder);
        WriteAll(cfg / "Header.txt", "1 ABCD \"Brenvik Point\"\n36.5N 122.0W\n");
        WriteAll(root / "CSQ_ABCD_08_03_04_1600.cs", "");
        WriteAll(proc / "SpectraToProcess.txt",
                 (root / "CSQ_ABCD_08_03_04_1600.cs").string() + "\n");
    }
    void TearDown() override { fs::remove_all(root); }

    // The processing chain's diagnostics of one radial file at `time`.
    void WriteDiagInfo(uint32_t time) {
        WriteAll(proc / "RadialDiagInfo.txt",
                 "1 1 0 0 0 0 -100 -100 -110 -110 -120 -120 10 10 10 " + std::to_string(time) +
                     " 3 40 12.2\n");
    }

    XProgramResult Run(const std::vector<std::string>& args, const std::string& tz = "UTC") {
        return RunProgram(FENWRIGHT_EXE, args,
                          "cd " + ShellQuote(root.string()) + " && TZ=" + ShellQuote(tz) + " ");
    }
    XProgramResult RunStation(const std::string& level, const std::string& radialType,
                              const std::string& tz = "UTC") {
        return Run({level, radialType, proc.string(), diag.string(), cfg.string()}, tz);
    }

    // Output after the running line, which carries the build's version.
    static std::string AfterRunningLine(const std::string& out) {
        if (out.rfind(" Running Fenwright ", 0) != 0) return "<no running line>";
        return out.substr(out.find('\n') + 1);
    }

    std::set<std::string> DiagNames() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(diag))
            names.insert(entry.path().filename());
        return names;
    }

    fs::path root, proc, diag, cfg;
};

const std::string kUsageLine =
    " Usage: Fenwright <nDiag> <nRadType> <sProcFolder> <sDiagFolder> <sCfgFolder>";
const std::string kNoSource =
    "Failure -43: Couldn't find source file \"RdlsXXXX_00_00_00_0000.rv\" or "
    "\"RadialData.txt\"\n";

// Row of the test diagnostics line with no vector statistics: amplitudes 1,
// noise floors the means -100, -110, -120, signal to noise +10, range cell
// 3, 40 Doppler cells, 12.2 + 0.5 percent shown as 13, spectra type 'Q' (81).
std::string Row(long offset, int radialType, const char* date) {
    char row[512];
    std::snprintf(row, sizeof row,
                  "  %9ld   1.0000  1.0000     0.0     0.0     0.0    0.0  -100. -110. -120."
                  "  +10. +10. +10.    3      40    13     0      0     0    0.0    0.0    0.0"
                  "     0.0    %4d     81   %s",
                  offset, radialType, date);
    return row;
}

TEST_F(Station, KeepsOneFilePerWeek) {
    // Tuesday 4 March 2008 16:00: a new file for the week of Sunday 2 March.
    WriteDiagInfo(kSunday2Mar2008 + 2 * kDay + 16 * 3600);
    XProgramResult first = RunStation("2", "1");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(AfterRunningLine(first.out),
              "  Diagnostic output level 2\n" + kNoSource +
                  " Starting new radial diagnostic STAT_ABCD_2008_03_02.rdt\n");
    const fs::path week = diag / "STAT_ABCD_2008_03_02.rdt";
    std::string text = ReadAll(week);
    EXPECT_EQ(Keyword(text, "FileType"), "%FileType: DIAG rads \"Tesmara Report\"");
    EXPECT_EQ(Keyword(text, "Site"), "%Site: ABCD \"\"");
    EXPECT_EQ(Keyword(text, "TimeStamp"), "%TimeStamp: 2008 03 02  00 00 00");
    EXPECT_EQ(Keyword(text, "TableRows"), "%TableRows: 1");
    EXPECT_EQ(Keyword(text, "ProcessingTool").rfind("%ProcessingTool: \"Fenwright\" ", 0), 0u);
    std::vector<std::string> rows = Rows(text);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], Row(230400, 1, "2008 03 04  16 00 00"));
    const std::string uuid = Keyword(text, "UUID");

    // Wednesday 00:30, another radial type: appended to the same file, which
    // keeps its identifier and its single tool line.
    WriteDiagInfo(kSunday2Mar2008 + 3 * kDay + 1800);
    XProgramResult second = RunStation("2", "2");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(AfterRunningLine(second.out), "  Diagnostic output level 2\n" + kNoSource);
    text = ReadAll(week);
    EXPECT_EQ(Keyword(text, "TableRows"), "%TableRows: 2");
    EXPECT_EQ(Keyword(text, "UUID"), uuid);
    rows = Rows(text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], Row(230400, 1, "2008 03 04  16 00 00"));
    EXPECT_EQ(rows[1], Row(261000, 2, "2008 03 05  00 30 00"));
    EXPECT_EQ(DiagNames().size(), 1u);  // no ".new" or old copy left behind

    // The same radial file again: a second record of the same time.
    EXPECT_EQ(RunStation("0", "2").status, 0);
    EXPECT_EQ(Rows(ReadAll(week)).size(), 3u);

    // Sunday 9 March 00:00 starts the next week's file; the old one stays.
    std::string before = ReadAll(week);
    WriteDiagInfo(kSunday2Mar2008 + 7 * kDay);
    XProgramResult third = RunStation("0", "1");
    EXPECT_EQ(third.status, 0);
    EXPECT_EQ(third.out, kNoSource);  // at level 0 only the failure line
    EXPECT_EQ(ReadAll(week), before);
    std::string next = ReadAll(diag / "STAT_ABCD_2008_03_09.rdt");
    EXPECT_EQ(Keyword(next, "TimeStamp"), "%TimeStamp: 2008 03 09  00 00 00");
    rows = Rows(next);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], Row(0, 1, "2008 03 09  00 00 00"));
}

TEST_F(Station, WeekStartsAcrossMonthsAndClockChanges) {
    struct Case {
        const char* tz;
        uint32_t time;
        const char* file;
        long offset;
        const char* date;
    };
    // Sunday 9 March 2008 = 2 March + 7 days; Sunday 29 June 2008 = 2 March
    // + 119 days (31 + 30 + 31 + 27). Offsets are wall-clock seconds, so the
    // hour skipped on 9 March in Los Angeles is not taken off.
    const uint32_t sunday9Mar = kSunday2Mar2008 + 7 * kDay;
    const uint32_t sunday29Jun = kSunday2Mar2008 + 119 * kDay;
    const Case cases[] = {
        {"America/Los_Angeles", sunday9Mar + 2 * kDay + 12 * 3600, "STAT_ABCD_2008_03_09.rdt",
         216000, "2008 03 11  12 00 00"},
        {"Europe/Berlin", sunday9Mar + 2 * kDay + 12 * 3600, "STAT_ABCD_2008_03_09.rdt", 216000,
         "2008 03 11  12 00 00"},
        {"America/Los_Angeles", sunday9Mar + 3 * 3600 + 30 * 60, "STAT_ABCD_2008_03_09.rdt", 12600,
         "2008 03 09  03 30 00"},
        {"Europe/Berlin", sunday9Mar - 1, "STAT_ABCD_2008_03_02.rdt", 604799,
         "2008 03 08  23 59 59"},
        {"UTC", sunday29Jun + 2 * kDay + 6 * 3600, "STAT_ABCD_2008_06_29.rdt", 194400,
         "2008 07 01  06 00 00"},
        {"Australia/Sydney", sunday29Jun + 2 * kDay + 6 * 3600, "STAT_ABCD_2008_06_29.rdt", 194400,
         "2008 07 01  06 00 00"},
    };
    for (const Case& c : cases) {
        fs::remove_all(diag);
        WriteDiagInfo(c.time);
        XProgramResult r = RunStation("0", "1", c.tz);
        EXPECT_EQ(r.status, 0) << c.tz;
        std::vector<std::string> rows = Rows(ReadAll(diag / c.file));
        ASSERT_EQ(rows.size(), 1u) << c.tz << " " << c.file;
        EXPECT_EQ(rows[0], Row(c.offset, 1, c.date)) << c.tz;
    }
}

TEST_F(Station, EachRunPrintsByLevelAndAFailedOneWritesNothing) {
    const std::string running = " Running Fenwright " FENWRIGHT_VERSION "\n";
    const std::string usage = kUsageLine + "\n";
    enum { kNoDiagInfo, kEmptyDiagInfo, kDiagInfo };
    struct Case {
        std::vector<std::string> args;  // level and radial type, or none at all
        int diagInfo;
        const char* header;
        std::string out;
        bool whole;  // `out` is all that is printed, not only its start
        int status;  // -43 and -50 leave the program as their low bytes
    };
    const Case cases[] = {
        // The default folders do not exist here, so the run stops at the
        // diagnostics file, quietly at level 0.
        {{}, kNoDiagInfo, nullptr, usage, true, 256 - 43},
        {{"6", "1"}, kNoDiagInfo, nullptr, running + usage, false, 256 - 43},
        {{"0", "1"}, kNoDiagInfo, nullptr, "", true, 256 - 43},
        {{"2", "1"},
         kNoDiagInfo,
         nullptr,
         running + "  Diagnostic output level 2\n Failed -43 : Couldn't open RadialDiagInfo.txt",
         true,
         256 - 43},
        // The default level is 0: no running line, no usage, failures only.
        {{"", "1"}, kDiagInfo, nullptr, kNoSource, true, 0},
        // No first line and no radial file: the record has no time, so it
        // belongs to no week and nothing is written.
        {{"0", ""},
         kEmptyDiagInfo,
         nullptr,
         kNoSource + "Failure -50: No time for the radial diagnostic record in "
                     "RadialDiagInfo.txt or the radial file\n",
         true,
         256 - 50},
        {{"0", "1"},
         kDiagInfo,
         "1 A/BC\n",
         "Failure -50: Site code \"A/BC\" of Header.txt cannot be part of a file name\n",
         true,
         256 - 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args[0] + " " + c.args[1]);
        fs::remove_all(diag);
        fs::create_directory(diag);
        fs::remove(proc / "RadialDiagInfo.txt");
        if (c.diagInfo == kEmptyDiagInfo) WriteAll(proc / "RadialDiagInfo.txt", "");
        if (c.diagInfo == kDiagInfo) WriteDiagInfo(kSunday2Mar2008 + 2 * kDay + 16 * 3600);
        if (c.header) WriteAll(cfg / "Header.txt", c.header);
        const XProgramResult r = c.args.empty() ? Run({}) : RunStation(c.args[0], c.args[1]);
        EXPECT_EQ(c.whole ? r.out : r.out.substr(0, c.out.size()), c.out);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(DiagNames().empty(), c.status != 0) << "only a run that fails writes nothing";
    }
}

TEST_F(Station, WithoutHeaderOrSpectraTheSiteIsXXXXAndTheSpectraType0) {
    // No header and a spectra list naming a file that does not exist.
    fs::remove(cfg / "Header.txt");
    WriteAll(proc / "SpectraToProcess.txt", (root / "CSS_gone.cs").string() + "\n");
    WriteDiagInfo(kSunday2Mar2008 + 60);
    EXPECT_EQ(RunStation("0", "3").status, 0);
    std::vector<std::string> rows = Rows(ReadAll(diag / "STAT_XXXX_2008_03_02.rdt"));
    ASSERT_EQ(rows.size(), 1u);
    std::string expected = Row(60, 3, "2008 03 02  00 01 00");
    expected.replace(expected.find("     81   "), 10, "      0   ");
    EXPECT_EQ(rows[0], expected);
}

TEST_F(Station, FailedWriteKeepsTheWeeksRecords) {
    WriteDiagInfo(kSunday2Mar2008 + 2 * kDay + 16 * 3600);
    ASSERT_EQ(RunStation("0", "1").status, 0);
    const fs::path week = diag / "STAT_ABCD_2008_03_02.rdt";
    const std::string before = ReadAll(week);

    // The ".new" name is held by a folder: the new contents cannot be
    // written (tests run as root, so a read-only folder would not stop it).
    fs::create_directory(diag / "STAT_ABCD_2008_03_02.rdt.new");
    WriteDiagInfo(kSunday2Mar2008 + 3 * kDay);
    XProgramResult failed = RunStation("0", "2");
    EXPECT_EQ(failed.status, 256 - 48);
    EXPECT_EQ(
        failed.out,
        kNoSource + "Failure -48: Couldn't write radial diagnostic STAT_ABCD_2008_03_02.rdt\n");
    EXPECT_EQ(ReadAll(week), before);

    // Nothing of the failed run stands in the way of the next one.
    fs::remove(diag / "STAT_ABCD_2008_03_02.rdt.new");
    ASSERT_EQ(RunStation("0", "2").status, 0);
    EXPECT_EQ(Rows(ReadAll(week)).size(), 2u);
}

// A copy of the example station, whose week report Fenwright has kept once:
// 31 rows of Sunday 2026-12-06, the last one of the radial file of 14:00.
class ExampleWeek : public Station {
  protected:
    void SetUp() override {
        Station::SetUp();
        fs::copy(fs::path(BVK_SOURCE_DIR) / "examples/station", root,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        week = diag / "STAT_BRNK_2026_12_06.rdt";
        ASSERT_EQ(Run("0", "1").status, 0);
        kept = ReadAll(week);
        ASSERT_EQ(Rows(kept).size(), 31u);
    }
    XProgramResult Run(const std::string& level, const std::string& radialType) {
        return RunStation(level, radialType, "America/Los_Angeles");
    }

    fs::path week;
    std::string kept;
};

TEST_F(ExampleWeek, TheFirstRunKeepsTheExampleRowsByteForByte) {
    // The bundled example's week report is laid out as the report writer lays
    // it out, so adding the hour's row rewrites none of the earlier ones.
    const std::vector<std::string> before =
        Rows(ReadAll(fs::path(BVK_SOURCE_DIR) / "examples/station/Diagnostics" / week.filename()));
    ASSERT_EQ(before.size(), 30u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), Rows(kept).begin()));
}

// An append with each of its writes, fsyncs, renames and exchanges failing in
// turn: the week report is either the old one or the old one plus the new
// record, never less.
TEST_F(ExampleWeek, EveryFailedOperationKeepsTheWeeksRecords) {
    // The rows as their values: a rewritten report may align its columns differently.
    const auto Values = [](const std::string& text) {
        std::vector<std::string> rows;
        for (const std::string& line : Rows(text)) {
            std::istringstream values(line);
            std::string row;
            for (std::string value; values >> value;) row += value + " ";
            rows.push_back(row);
        }
        return rows;
    };
    const fs::path example = fs::path(BVK_SOURCE_DIR) / "examples/station/Diagnostics";
    const std::string earlier = ReadAll(example / week.filename());
    const std::vector<std::string> earlierRows = Values(earlier);
    ASSERT_EQ(earlierRows.size(), 30u);
    const std::vector<std::string> args = {"1", "1", proc.string() + "/", diag.string() + "/",
                                           cfg.string() + "/"};

    long n = 1;
    for (bool hit = true; hit && n < 200; ++n) {
        hit = false;
        // The week's first record (ENOSPC), and one appended to its 30 (EIO).
        for (const bool appending : {false, true}) {
            SCOPED_TRACE("operation " + std::to_string(n) + (appending ? " appending" : " first"));
            fs::remove_all(diag);
            if (appending)
                fs::copy(example, diag, fs::copy_options::recursive);
            else
                fs::create_directory(diag);
            XFaultRunResult r = RunWithFault(FENWRIGHT_EXE, args, root, "TZ=America/Los_Angeles", n,
                                             appending ? "EIO" : "ENOSPC");
            hit = hit || r.faultHit;
            if (r.faultHit) {
                EXPECT_NE(r.run.status, 0) << r.run.out;
                EXPECT_PRED_FORMAT2(testing::IsSubstring, "Failure ", r.run.out);
            } else {
                EXPECT_EQ(r.run.status, 0) << r.run.out;
            }

            const std::vector<std::string> before =
                appending ? earlierRows : std::vector<std::string>{};
            if (!fs::exists(week)) {
                EXPECT_TRUE(r.faultHit && !appending) << "the week report is gone";
            } else if (ReadAll(week) != (appending ? earlier : "")) {
                // A new file: every earlier row with its values, then the new record.
                std::vector<std::string> rows = Values(ReadAll(week));
                ASSERT_EQ(rows.size(), before.size() + 1);
                rows.pop_back();
                EXPECT_EQ(rows, before);
                EXPECT_PRED_FORMAT2(testing::IsSubstring, "%End:", ReadAll(week));
            }
            if (!r.faultHit) {
                EXPECT_EQ(Values(ReadAll(week)).size(), before.size() + 1);
            }
            // No temporary stays behind.
            for (const std::string& name : DiagNames()) EXPECT_NE(name[0], '.') << name;
        }
    }
    EXPECT_GT(n, 3) << "an append makes more than a few writes";
    EXPECT_LT(n, 200) << "the faults never ran out";
}

TEST_F(ExampleWeek, WeekFilesNotReadWholeAreKeptAsideWithTheirRowsCarriedOver) {
    const size_t lastRow = kept.rfind("\n ") + 1;
    const size_t lastRowEnd = kept.find('\n', lastRow);
    std::string untyped = kept, capitals = kept;
    untyped.erase(untyped.find("%TableType: rads rad1\n"), 22);
    capitals.replace(capitals.find("%TableType: rads"), 16, "%TableType: RADS");
    struct Case {
        const char* name;
        std::string bytes;
        size_t carried;  // rows of the old file that the new one starts with
        const char* reason;
    };
    const Case cases[] = {
        {"cut inside the last row", kept.substr(0, lastRow + 40), 30, "its last row is incomplete"},
        {"cut before the last line end", kept.substr(0, lastRowEnd), 30,
         "its last row is incomplete"},
        {"no table type", untyped, 0, "it holds rows that are not radial diagnostics"},
        {"a table type in capitals", capitals, 0, "it holds rows that are not radial diagnostics"},
        {"not a radial report", "%FileType: DIAG rcvr\n%TableType: rcvr rcv2\n 1 2 3\n", 0,
         "it cannot be read as a radial diagnostic report"},
    };
    const std::vector<std::string> keptRows = Rows(kept);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(diag / "STAT_BRNK_2026_12_06_1.rdt");
        WriteAll(week, c.bytes);
        XProgramResult r = Run("1", "2");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_PRED_FORMAT2(testing::IsSubstring,
                            " Kept radial diagnostic STAT_BRNK_2026_12_06.rdt as "
                            "STAT_BRNK_2026_12_06_1.rdt: " +
                                std::string(c.reason) + "\n",
                            r.out);
        EXPECT_EQ(ReadAll(diag / "STAT_BRNK_2026_12_06_1.rdt"), c.bytes);
        const std::string text = ReadAll(week);
        const std::vector<std::string> rows = Rows(text);
        ASSERT_EQ(rows.size(), c.carried + 1);
        EXPECT_EQ(Keyword(text, "TableRows"), "%TableRows: " + std::to_string(c.carried + 1));
        for (size_t i = 0; i < c.carried; ++i) EXPECT_EQ(rows[i], keptRows[i]) << i;
        EXPECT_EQ(DiagNames(),
                  (std::set<std::string>{"STAT_BRNK_2026_12_06.hdt", "STAT_BRNK_2026_12_06.rdt",
                                         "STAT_BRNK_2026_12_06_1.rdt"}));
    }
}

// The numbers of a report row.
std::vector<std::string> Tokens(const std::string& row) {
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = row.find_first_not_of(' ', at)) != std::string::npos) {
        size_t end = row.find(' ', at);
        out.push_back(row.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return out;
}

// Columns of the statistics in a row's numbers.
enum { kRADV = 16, kRAPR, kRARC, kRADR, kRMCV, kRACV, kRABA, kRTYP, kSTYP };

TEST_F(Station, AddsStatisticsOfTheXYUVMap) {
    // Three range groups east of the site, at 3, 6 and 9 km, of 4, 4 and 1
    // vectors; east-west flow in cm/s.
    WriteDiagInfo(kSunday2Mar2008 + 2 * kDay + 16 * 3600);
    WriteAll(proc / "RdlsXXXX_00_00_00_0000.rv",
             "Radial vectors    ABCD\n"
             "Format version # 1 0 ! Vectors: dx dy u v\n"
             " 16:00:00 Tuesday, March 4, 2008                   Org:36.5000 -122.0000\n"
             "  3.0000 0.0000 -30.000 0.000\n  3.0000 0.0000 20.000 0.000\n"
             "  3.0000 0.0000 10.000 0.000\n  3.0000 0.0000 5.000 0.000\n"
             "  6.0000 0.0000 30.000 0.000\n  6.0000 0.0000 -10.000 0.000\n"
             "  6.0000 0.0000 10.000 0.000\n  6.0000 0.0000 5.000 0.000\n"
             "  9.0000 0.0000 10.000 0.000\n");
    XProgramResult r = RunStation("0", "1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    std::vector<std::string> rows = Rows(ReadAll(diag / "STAT_ABCD_2008_03_02.rdt"));
    ASSERT_EQ(rows.size(), 1u);
    std::vector<std::string> t = Tokens(rows[0]);
    ASSERT_GE(t.size(), static_cast<size_t>(kSTYP + 1));
    // 9 vectors; groups 4, 4, 1 give (8 + 1) / 3 = 3 per range cell; the
    // map names no range cells, so first and last are both 0: one cell.
    EXPECT_EQ(t[kRADV], "9");
    EXPECT_EQ(t[kRAPR], "3");
    EXPECT_EQ(t[kRARC], "1");
    // The farthest group of at least 4 vectors lies at 6 km.
    EXPECT_EQ(t[kRADR], "6.0");
    // The first of the two largest speeds, 30 cm/s (its sign is the
    // store's convention for flow away from the site); mean 130 / 9.
    EXPECT_EQ(t[kRMCV].substr(t[kRMCV].size() - 4), "30.0");
    EXPECT_EQ(t[kRACV], "14.4");
    EXPECT_EQ(t[kRABA], "90.0");
    EXPECT_EQ(t[kRTYP], "1");
    EXPECT_EQ(t[kSTYP], "81");
}

TEST_F(ExampleWeek, ARecordWithoutATimeTakesTheMapsTime) {
    // The example's diagnostics line without its last four values (time,
    // range cell, Doppler cells, dual-angle percentage), and no line at all.
    const std::string line =
        "0.8532 1.1274 -42.3 117.8 -12.5 88.1 -148.2 -147.6 -151.3 -150.9 -149.8 -150.2 18.4 15.2 "
        "16.9\n";
    for (const std::string& info : {line, std::string()}) {
        SCOPED_TRACE(info);
        WriteAll(root / "Processing/RadialDiagInfo.txt", info);
        const size_t before = Rows(ReadAll(week)).size();
        XProgramResult r = Run("0", "1");
        EXPECT_EQ(r.status, 0) << r.out;
        const std::string text = ReadAll(week);
        const std::vector<std::string> rows = Rows(text);
        ASSERT_EQ(rows.size(), before + 1);
        EXPECT_EQ(Keyword(text, "TableRows"), "%TableRows: " + std::to_string(before + 1));
        // The map's 14:00, 50,400 seconds into the week.
        std::vector<std::string> t = Tokens(rows.back());
        ASSERT_GE(t.size(), static_cast<size_t>(kSTYP + 1));
        EXPECT_EQ(t[0], "50400");
        EXPECT_EQ(t[kRTYP], "1");
        EXPECT_EQ(rows.back().substr(rows.back().size() - 20), "2026 12 06  14 00 00");
        EXPECT_EQ(DiagNames(),
                  (std::set<std::string>{"STAT_BRNK_2026_12_06.hdt", "STAT_BRNK_2026_12_06.rdt"}));
    }
}

// A classic radial map of three 3 km range cells with 4, 4 and 1 vectors,
// all about bearing 90 (file angles count counter-clockwise from the
// reference, here north: 270 is east), speeds in cm/s.
const char* kRadialData =
    " 16:00:00  Tuesday, March 4, 2008 PST            3287491200\n"  // time from column 49
    "36.5000 -122.0000\n"
    "3.000 3.000 90.0 1.000\n"
    "3\n"
    "4\n280 260 280 260\n-30 20 10 5\n1 1 1 1\n"
    "4\n280 260 270 270\n30 -10 10 5\n1 1 1 1\n"
    "1\n270\n10\n1\n";

TEST_F(Station, ReadsClassicRadialMapWithoutXYUV) {
    WriteDiagInfo(kSunday2Mar2008 + 2 * kDay + 16 * 3600);
    WriteAll(proc / "RadialData.txt", kRadialData);
    XProgramResult r = RunStation("0", "1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    std::vector<std::string> rows = Rows(ReadAll(diag / "STAT_ABCD_2008_03_02.rdt"));
    ASSERT_EQ(rows.size(), 1u);
    // As for the xyuv map, but with cells 1 to 3 named and signed speeds
    // as the file gives them: -30 cm/s comes before +30.
    std::string expected = Row(230400, 1, "2008 03 04  16 00 00");
    const std::string zeros = "     0      0     0    0.0    0.0    0.0     0.0";
    expected.replace(expected.find(zeros), zeros.size(),
                     "     9      3     3    6.0  -30.0   14.4    90.0");
    EXPECT_EQ(rows[0], expected);

    // Folders relative to the current one find the same files.
    fs::remove_all(diag);
    r = Run({"0", "1", "Processing/", "Diagnostics", "Configs/"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    rows = Rows(ReadAll(diag / "STAT_ABCD_2008_03_02.rdt"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], expected);
}

// Asking for help used to run on the default folders, creating them at the
// root of the file system.
TEST(FenwrightHelp, HelpAndVersionAnswerAndTouchNothing) {
    ExpectInfoRequestsAnswerAndTouchNothing(FENWRIGHT_EXE, kUsageLine,
                                            "Fenwright " FENWRIGHT_VERSION);
}

TEST(FenwrightHelp, HelpGivesEveryArgumentWithItsDefault) {
    testing::internal::CaptureStdout();
    PrintFenwrightHelp();
    const std::string help = testing::internal::GetCapturedStdout();
    struct Case {
        const char* name;
        const char* fallback;
    };
    const Case cases[] = {
        {"<nDiag>", "0"},
        {"<nRadType>", "0"},
        {"<sProcFolder>", "/Brenvik/Tesmara/Data/Processing/"},
        {"<sDiagFolder>", "/Brenvik/Tesmara/Data/Diagnostics/"},
        {"<sCfgFolder>", "/Brenvik/Tesmara/Configs/RadialConfigs/"},
    };
    for (const auto& c : cases) ExpectArgumentDefault(help, c.name, c.fallback);
}

}  // namespace
