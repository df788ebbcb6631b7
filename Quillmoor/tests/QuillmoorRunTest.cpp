// End-to-end runs of the built converter on temporary copies of the example
// station: which outputs each mode writes, where the source comes from, the
// pattern and ellipsoid choices, the failures and their exit statuses.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "QuillmoorProcess.h"

namespace fs = std::filesystem;

namespace {

const char* kClassicName = "RadiBRNK_26-12-06_1400.rv";  // letter i, separators '_' and '-'
const char* kXYUVName = "RdtiBRNK_26-12-06_1400.rv";
const char* kLLUVName = "RDLi_BRNK_2026_12_06_1400.ruv";
const char* kXYUVSource = "RdlsXXXX_00_00_00_0000.rv";

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// A copy of the example station in a fresh temporary folder.
class StationRun : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillmoor-run-XXXXXX";
        root = mkdtemp(pattern);
        CopyExampleStation(root);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path Out() const { return root / "Out"; }
    fs::path Proc() const { return root / "Processing"; }
    fs::path Cfg() const { return root / "Configs"; }

    // <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> <sCfgFolder>
    // <nPattern> <sDiagFolder>
    XProgramResult Run(const std::string& mode, const std::string& procText = "i",
                       const std::string& level = "10", const std::string& source = "",
                       const std::string& pattern = "-1") {
        std::string procArg = source.empty() ? Proc().string() + "/" : source;
        return RunQuillmoorProgram(
            {level, procText, "", Out().string() + "/", procArg, mode, "0", Cfg().string() + "/",
             pattern, (root / "Diagnostics").string() + "/"},
            "TZ=America/Los_Angeles ");
    }

    // The first data row of the LLUV file written by the last run.
    std::string FirstRow(const std::string& name = kLLUVName) {
        std::istringstream lines(ReadAll(Out() / name));
        std::string line;
        bool inTable = false;
        while (std::getline(lines, line)) {
            if (line.rfind("%TableStart:", 0) == 0)
                inTable = true;
            else if (inTable && line.rfind("%", 0) != 0)
                return line;
        }
        return "";
    }

    std::string HeaderLine(const std::string& key, const std::string& name = kLLUVName) {
        std::istringstream lines(ReadAll(Out() / name));
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind(key, 0) == 0) return line;
        return "";
    }

    fs::path root;
};

TEST_F(StationRun, EachOutputModeWritesItsFiles) {
    struct Case {
        const char* mode;
        std::set<std::string> files;
    };
    const Case cases[] = {
        {"0", {kClassicName}},  // classic only: the source copied
        {"1", {kLLUVName}},
        {"2", {kClassicName, kLLUVName}},
        {"3", {kClassicName, kLLUVName}},
        {"5", {kXYUVName, kLLUVName}},  // bit 4: the xyuv test file instead of the classic one
        {"8", {kLLUVName}},             // large values without bit 4: LLUV only
    };
    const std::string source = ReadAll(Proc() / "RadialData.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        fs::remove_all(Out());
        XProgramResult r = Run(c.mode);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(Names(Out()), c.files);
        EXPECT_NE(r.out.find(" Finished. 0\n"), std::string::npos);
        EXPECT_EQ(ReadAll(Proc() / "RadialData.txt"), source) << "the source keeps its content";
    }
    // Mode 0 copied the classic source byte for byte; mode 3 wrote it anew.
    fs::remove_all(Out());
    Run("0");
    EXPECT_EQ(ReadAll(Out() / kClassicName), source);
}

TEST_F(StationRun, OutputsCarryTheDataTimeAsTheirDate) {
    ASSERT_EQ(Run("3").status, 0);
    // 2026-12-06 14:00 PST is 22:00 UTC.
    struct tm utc = {};
    utc.tm_year = 2026 - 1900;
    utc.tm_mon = 11;
    utc.tm_mday = 6;
    utc.tm_hour = 22;
    const time_t expected = timegm(&utc);
    for (const char* name : {kClassicName, kLLUVName}) {
        struct stat info {};
        ASSERT_EQ(stat((Out() / name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mtime, expected) << name;
    }
}

TEST_F(StationRun, PreferenceChoosesTheModeAndMovesATopLevelEntry) {
    // The example's preference file says Tandem: classic and LLUV.
    ASSERT_EQ(Run("-1").status, 0);
    EXPECT_EQ(Names(Out()), (std::set<std::string>{kClassicName, kLLUVName}));

    // An older file with the entry outside any section: it becomes the
    // default of the "Conversion" entry and the old line goes.
    fs::remove_all(Out());
    WriteAll(Cfg() / "Quillmoor.pref", "; old layout\nOutputLLUV = XYUV\n");
    XProgramResult r = Run("");
    EXPECT_NE(r.out.find(" Make LLUV is 5\n"), std::string::npos);
    EXPECT_EQ(Names(Out()), (std::set<std::string>{kXYUVName, kLLUVName}));
    const std::string pref = ReadAll(Cfg() / "Quillmoor.pref");
    EXPECT_EQ(pref.find("OutputLLUV = XYUV\n"), std::string::npos) << pref;
    EXPECT_NE(pref.find("[Conversion]\nOutputLLUV = XYUV  \t;; Off,On,Tandem,XYUV\n"),
              std::string::npos)
        << pref;

    // No preference file at all: LLUV only.
    fs::remove_all(Out());
    fs::remove(Cfg() / "Quillmoor.pref");
    r = Run("-1");
    EXPECT_NE(r.out.find(" Make LLUV is 1\n"), std::string::npos);
    EXPECT_EQ(Names(Out()), (std::set<std::string>{kLLUVName}));
}

TEST_F(StationRun, SourceKindsAreTriedInTheirOrder) {
    // Write an xyuv file of the example with the converter itself, then offer it as the
    // station's xyuv source next to the classic one: it wins.
    ASSERT_EQ(Run("5").status, 0);
    fs::copy_file(Out() / kXYUVName, Proc() / kXYUVSource);
    fs::remove_all(Out());
    XProgramResult r = Run("1");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(" Radial Source File is \"RdlsXXXX_00_00_00_0000.rv\"\n"),
              std::string::npos);
    EXPECT_EQ(Names(Out()), (std::set<std::string>{kLLUVName}));

    // An xyuv source that cannot be read ends the run.
    WriteAll(Proc() / kXYUVSource, "not an xyuv file\n");
    r = Run("1");
    EXPECT_NE(r.out.find(": Unable to read source xyuv file\n"), std::string::npos) << r.out;
    EXPECT_NE(r.status, 0);

    // A file named on the command line is tried as xyuv, then as classic radial.
    fs::remove(Proc() / kXYUVSource);
    fs::remove_all(Out());
    r = Run("1", "i", "10", (Proc() / "RadialData.txt").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(" Processing Folder is " + Proc().string() + "/\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(Names(Out()), (std::set<std::string>{kLLUVName}));
}

TEST_F(StationRun, FailuresEndTheRunWithTheirCode) {
    // A regular file where a folder should be created.
    WriteAll(root / "plain", "x");
    struct Case {
        std::vector<std::string> args;
        std::string message;
        int status;
    };
    const std::string proc = Proc().string() + "/", cfg = Cfg().string() + "/",
                      out = Out().string() + "/";
    const Case cases[] = {
        {{"0", "i", "", (root / "plain/out/").string(), proc},
         "Failure -43: Couldn't set output Folder \"" + (root / "plain/out/").string() + "\"\n",
         256 - 43},
        {{"0", "i", "", out, (root / "nothing/").string()},
         "Failure -43: Couldn't find Processing Folder \"" + (root / "nothing/").string() + "\"\n",
         256 - 43},
        {{"0", "i", "", out, proc, "1", "0", (root / "noconfigs/").string()},
         "Failure -43: Couldn't find Configs Folder \"" + (root / "noconfigs/").string() + "\"\n",
         256 - 43},
        {{"0", "i", "", out, (root / "Processing/none.rv").string(), "1", "0", cfg},
         "Failure -43: Couldn't find Processing Folder \"" +
             (root / "Processing/none.rv").string() + "\"\n",
         256 - 43},
    };
    for (const auto& c : cases) {
        XProgramResult r = RunQuillmoorProgram(c.args);
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_EQ(r.out.find(" Finished."), std::string::npos);
    }

    // No source in the processing folder.
    fs::remove(Proc() / "RadialData.txt");
    XProgramResult r = Run("1");
    EXPECT_NE(r.out.find("Failure -43: Couldn't find source file \"RdlsXXXX_00_00_00_0000.rv\" or "
                         "\"RadialData.txt\"\n"),
              std::string::npos);
    EXPECT_EQ(r.status, 256 - 43);

    // A classic source that ends before its geometry line.
    WriteAll(Proc() / "RadialData.txt", " 14:00:00 PST\n");
    r = Run("1");
    EXPECT_NE(r.out.find(": Unable to read source radial file\n"), std::string::npos) << r.out;
    EXPECT_NE(r.status, 0);
}

TEST_F(StationRun, EveryOutputIsAttemptedAndAFailedOneIsTheExitStatus) {
    // A folder standing at an output's name cannot be replaced (-48).
    struct Case {
        const char* mode;
        const char* blocked;
        const char* written;
        std::string message;
    };
    const Case cases[] = {
        {"2", kClassicName, kLLUVName,
         "Failure -48: Cannot write classic radial \"" + std::string(kClassicName) + "\"\n"},
        {"2", kLLUVName, kClassicName, "Failure -48: Cannot create LLUV File\n"},
        {"3", kClassicName, kLLUVName,
         "Failure -48: Cannot write classic radial \"" + std::string(kClassicName) + "\"\n"},
        {"3", kLLUVName, kClassicName, "Failure -48: Cannot create LLUV File\n"},
        {"5", kXYUVName, kLLUVName,
         "Failure -48: Cannot write testing xyuv \"" + std::string(kXYUVName) + "\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.blocked);
        fs::remove_all(Out());
        fs::create_directories(Out() / c.blocked);
        XProgramResult r = Run(c.mode);
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(" Finished. -48\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.status, 256 - 48);
        EXPECT_TRUE(fs::is_directory(Out() / c.blocked));
        // The other output is written whole, and nothing half-written is left.
        EXPECT_TRUE(fs::is_regular_file(Out() / c.written));
        EXPECT_EQ(Names(Out()), (std::set<std::string>{c.blocked, c.written}));
    }
}

TEST_F(StationRun, ASourceWithoutTimeOrWithAPathForASiteCodeWritesNothing) {
    const std::string source = ReadAll(Proc() / "RadialData.txt");
    const std::string header = ReadAll(Cfg() / "Header.txt");
    const std::string restOfSource = source.substr(source.find('\n'));
    const std::string restOfHeader = header.substr(header.find('\n'));
    struct Case {
        std::string timeLine;
        std::string siteLine;
        std::string message;
    };
    const std::string time =
        " 14:00:00  Sunday, December 6, 2026 PST                        -415556896";
    const Case cases[] = {
        // A time line that ends before the time's column: map time 0.
        {" 14:00:00  Sunday, December 6, 2026 PST", "1 BRNK",
         "Failure -50: No time in the source file \"RadialData.txt\"\n"},
        {time, "1 A/BC",
         "Failure -50: Site code \"A/BC\" of Header.txt cannot be part of a file name\n"},
        {time, "1 /../",
         "Failure -50: Site code \"/../\" of Header.txt cannot be part of a file name\n"},
        {time, "1 ..",
         "Failure -50: Site code \"..\" of Header.txt cannot be part of a file name\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        WriteAll(Proc() / "RadialData.txt", c.timeLine + restOfSource);
        WriteAll(Cfg() / "Header.txt", c.siteLine + restOfHeader);
        XProgramResult r = Run("3");
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_EQ(r.status, 256 - 50);
        EXPECT_EQ(r.out.find(" Finished."), std::string::npos);
        EXPECT_TRUE(Names(Out()).empty());  // not even a folder "RadiA/" for "A/BC"
    }
}

TEST_F(StationRun, FallbackDiagnosticRowsTakeThePatternType) {
    // No week report: the radial rows come from the processing chain's line
    // of the hour, of the map's pattern, so the pattern filter keeps them.
    // The row, piece by piece: offset 0; amplitudes; phases; noise floors,
    // the means of -148.2/-147.6, -151.3/-150.9, -149.8/-150.2; signal to
    // noise; cell 12, 387 Doppler cells, 8.6 + 0.5 shown as 9; no map
    // statistics; the radial type; spectra type 0; the date.
    const std::string row =
        "%         0   0.8532  1.1274   -42.3   117.8   -12.5   88.1  -148. -151. -150."
        "  +18. +15. +17.   12     387     9     0      0     0    0.0    0.0    0.0"
        "     0.0       T      0   2026 12 06  14 00 00\n";
    for (const char* pattern : {"-1", "1"}) {
        SCOPED_TRACE(pattern);
        fs::remove_all(Out());
        ASSERT_EQ(Run("1", "i", "0", "", pattern).status, 0);
        const std::string text = ReadAll(Out() / kLLUVName);
        std::string expected = row;
        expected[expected.find(" T ") + 1] = pattern == std::string("1") ? '2' : '1';
        EXPECT_NE(text.find("%TableType: rads rad1\n"), std::string::npos);
        EXPECT_NE(text.find("%TableRows: 1\n%TableStart: 2\n"), std::string::npos);
        EXPECT_NE(text.find(expected), std::string::npos)
            << text.substr(text.find("%TableStart: 2"));
    }
}

TEST_F(StationRun, ACutReceiverReportGivesItsWholeRowsAndStaysAsItIs) {
    fs::copy(fs::path(BVK_SOURCE_DIR) / "examples/station/Diagnostics", root / "Diagnostics",
             fs::copy_options::recursive);
    const fs::path hdt = root / "Diagnostics/STAT_BRNK_2026_12_06.hdt";
    // Cut inside the 14:20 log row, after its time: the rows from 13:30 to
    // 14:10 are whole.
    std::string text = ReadAll(hdt);
    const size_t lastRow = text.rfind("\n" + std::string(9, ' ') + "860 ");
    ASSERT_NE(lastRow, std::string::npos);
    text.resize(lastRow + 40);
    WriteAll(hdt, text);
    XProgramResult r = Run("1", "i", "1");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(" Using the complete receiver diagnostic rows of "
                         "STAT_BRNK_2026_12_06.hdt: its last row "
                         "is incomplete\n"),
              std::string::npos)
        << r.out;
    const std::string lluv = ReadAll(Out() / kLLUVName);
    EXPECT_NE(lluv.find("%TableType: rcvr rcv2\n"), std::string::npos);
    EXPECT_NE(lluv.find("%TableRows: 5\n%TableStart: 3\n"), std::string::npos);
    // Minutes from the map's time, " %8.0f" after the row's two blanks.
    EXPECT_NE(lluv.find("\n%" + std::string(9, ' ') + "10   "), std::string::npos);
    EXPECT_EQ(lluv.find("\n%" + std::string(9, ' ') + "20   "), std::string::npos);
    EXPECT_EQ(ReadAll(hdt), text);
    EXPECT_EQ(Names(root / "Diagnostics"),
              (std::set<std::string>{"STAT_BRNK_2026_12_06.hdt", "STAT_BRNK_2026_12_06.rdt"}));
}

TEST_F(StationRun, PatternTypeComesFromTheArgumentOrTheProcessingCharacter) {
    // A source whose name says nothing of the pattern ('m' is not one of the
    // classic names' letters), so that the processing character decides.
    const fs::path source = Proc() / "RdlmBRNK_26_12_06_1400.rv";
    fs::copy_file(Proc() / "RadialData.txt", source);
    struct Case {
        const char* procText;
        const char* pattern;
        const char* printed;
        const char* name;
        const char* patternType;
    };
    const Case cases[] = {
        {"i", "-1", " Antenna Pattern Type is 0\n", kLLUVName, "%PatternType: Ideal"},
        {"abcM", "-1", " Antenna Pattern Type is 1\n", "RDLm_BRNK_2026_12_06_1400.ruv",
         "%PatternType: Measured"},
        {"X", "-1", " Antenna Pattern Type is 0\n", "RDLx_BRNK_2026_12_06_1400.ruv",
         "%PatternType: Ideal"},
        {"", "-1", " Antenna Pattern Type is -1\n", "RDLs_BRNK_2026_12_06_1400.ruv", ""},
        {"i", "1", " Antenna Pattern Type is 1\n", kLLUVName, "%PatternType: Measured"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.procText);
        fs::remove_all(Out());
        XProgramResult r = Run("1", c.procText, "10", source.string(), c.pattern);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find(c.printed), std::string::npos) << r.out;
        EXPECT_EQ(Names(Out()), std::set<std::string>{c.name});
        EXPECT_EQ(HeaderLine("%PatternType:", c.name), c.patternType);
    }
    // The classic source of the station folder is named "RadialData.txt":
    // its fourth letter already says ideal, whatever the processing text.
    fs::remove_all(Out());
    XProgramResult r = Run("1", "abcM");
    EXPECT_NE(r.out.find(" Antenna Pattern Type is 0\n"), std::string::npos) << r.out;

    // Only the ideal pattern file exists: its identifier reaches the file.
    fs::remove_all(Out());
    Run("1");
    EXPECT_EQ(HeaderLine("%PatternUUID:"), "%PatternUUID: 6F1C2A3B-4D5E-4F60-8172-93A4B5C6D7E8");
    EXPECT_EQ(HeaderLine("%PatternPhaseCorrections:"), "%PatternPhaseCorrections: -41.30  102.70");
}

TEST_F(StationRun, TheEllipsoidPreferenceMovesThePositions) {
    ASSERT_EQ(Run("1").status, 0);
    const std::string wgs84Row = FirstRow();
    EXPECT_EQ(HeaderLine("%GreatCircle:"), "%GreatCircle: \"WGS84\" 6378137.000  298.257223562997");

    fs::remove_all(Out());
    WriteAll(Cfg() / "Quillmoor.pref", "[GreatCircle]\nEllipsiod = Sphere\n");
    ASSERT_EQ(Run("1").status, 0);
    EXPECT_EQ(HeaderLine("%GreatCircle:"), "%GreatCircle: \"Sphere\" 6367450.000  0.000000000000");
    const std::string sphereRow = FirstRow();
    ASSERT_FALSE(sphereRow.empty());
    EXPECT_NE(sphereRow.substr(0, 28), wgs84Row.substr(0, 28)) << "longitude and latitude change";
    // Range and bearing are the file's own; only the placement differs.
    EXPECT_NE(sphereRow.find("    1.5000   180.0"), std::string::npos) << sphereRow;
    EXPECT_NE(wgs84Row.find("    1.5000   180.0"), std::string::npos) << wgs84Row;
}

TEST_F(StationRun, TheExampleWeekAddsSpectraAndBothDiagnosticTables) {
    // The example's reports; its spectra list names the spectra file relative
    // to the folder the converter is started in.
    fs::copy(fs::path(BVK_SOURCE_DIR) / "examples/station/Diagnostics", root / "Diagnostics",
             fs::copy_options::recursive);
    WriteAll(Proc() / "SpectraToProcess.txt", "Processing/CSS_BRNK_26_12_06_1400.cs\n");
    XProgramResult r =
        RunQuillmoorProgram({"0", "i", "", Out().string() + "/", Proc().string() + "/", "1", "0",
                             Cfg().string() + "/", "-1", (root / "Diagnostics").string() + "/"},
                            "cd " + ShellQuote(root.string()) + " && TZ=America/Los_Angeles ");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string text = ReadAll(Out() / kLLUVName);
    // A downward sweep of 100 kHz at 4 sweeps a second, 31 by 512 cells.
    EXPECT_NE(text.find("%TransmitSweepRateHz: 4.000000\n%TransmitBandwidthKHz: -100.000000\n"
                        "%SpectraRangeCells: 31\n%SpectraDopplerCells: 512\n%TableType: LLUV"),
              std::string::npos);
    // The hour 13:30 to 14:30 of an ideal-pattern map: the 14:00 ideal row of
    // the radial week, and the six receiver log rows from 13:30 to 14:20.
    EXPECT_NE(text.find("%TableEnd:\n%%\n%TableType: rads rad1\n%TableColumns: 31\n"),
              std::string::npos);
    EXPECT_NE(text.find("%TableRows: 1\n%TableStart: 2\n"), std::string::npos);
    EXPECT_NE(text.find("%TableEnd: 2\n%%\n%TableType: rcvr rcv2\n%TableColumns: 30\n"),
              std::string::npos);
    EXPECT_NE(text.find("%TableRows: 6\n%TableStart: 3\n"), std::string::npos);
    EXPECT_NE(text.find("\n%         0   0.8532  1.1274"), std::string::npos);
    EXPECT_NE(text.find("\n%        -30   "), std::string::npos);
    EXPECT_NE(text.find("\n%         20   "), std::string::npos);
    EXPECT_EQ(text.find("%TableStart: 4"), std::string::npos);
}

TEST_F(StationRun, QuietAndVerboseOutput) {
    XProgramResult quiet = Run("3", "i", "0");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, " Running Quillmoor " + std::string(QUILLMOOR_VERSION) + "\n");

    XProgramResult verbose = Run("3", "i", "10");
    const std::string out = Out().string() + "/";
    for (const std::string& line :
         {" Output Folder is " + out + "\n", " Processing Folder is " + Proc().string() + "/\n",
          " Configs Folder is " + Cfg().string() + "/\n", std::string(" Make LLUV is 3\n"),
          std::string(" Radial Source File is \"RadialData.txt\"\n"),
          "  Writing classic " + std::string(kClassicName) + "\n",
          "  Writing LLUV " + std::string(kLLUVName) + "\n", std::string(" Finished. 0\n")}) {
        EXPECT_NE(verbose.out.find(line), std::string::npos) << line;
    }
}

}  // namespace
