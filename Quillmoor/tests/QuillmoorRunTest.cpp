// End-to-end runs of the built converter on temporary copies of the example
// station: which outputs each mode writes, where the source comes from, the
// pattern and ellipsoid choices, the zone of the map's time, the failures and
// their exit statuses. The bytes of the example's outputs are the golden
// test's (tests/golden_outputs.sh).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "QuillmoorProcess.h"
#include "cFileSpec.h"
#include "cLLUVFile.h"

namespace fs = std::filesystem;

namespace {

const char* kXYUVSource = "RdlsXXXX_00_00_00_0000.rv";
using Names = std::set<std::string>;

Names NamesIn(const fs::path& folder) {
    Names names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// Days from 1904-01-01 to 2008-01-01: 104 years, 26 of them leap years.
constexpr int64_t k2008Day = 104 * 365 + 26;
constexpr double k1904To2001 = 3061152000.0;

class StationRun : public ExampleStation {
  protected:
    void SetFirstLine(const fs::path& file, const std::string& line) {
        std::string text = ReadAll(file);
        WriteAll(file, text.replace(0, text.find('\n'), line));
    }
    // The first data row of the LLUV file written by the last run.
    std::string FirstRow() {
        std::istringstream lines(ReadAll(out / kLLUVName));
        bool inTable = false;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("%TableStart:", 0) == 0)
                inTable = true;
            else if (inTable && line.rfind("%", 0) != 0)
                return line;
        }
        return "";
    }
    std::string HeaderLine(const std::string& key, const std::string& name = kLLUVName) {
        return LineStarting(ReadAll(out / name), key);
    }
};

TEST_F(StationRun, EachOutputModeWritesItsFilesDatedWithTheDataTime) {
    struct Case {
        const char* mode;
        Names files;
    };
    const Case cases[] = {
        {"0", {kClassicName}},  // classic only: the source copied
        {"1", {kLLUVName}},
        {"2", {kClassicName, kLLUVName}},
        {"3", {kClassicName, kLLUVName}},
        {"5", {kXYUVName, kLLUVName}},  // bit 4: the xyuv test file instead of the classic one
        {"8", {kLLUVName}},             // large values without bit 4: LLUV only
    };
    // 2026-12-06 14:00 PST is 22:00 UTC.
    struct tm utc = {};
    utc.tm_year = 2026 - 1900;
    utc.tm_mon = 11;
    utc.tm_mday = 6;
    utc.tm_hour = 22;
    const time_t dataTime = timegm(&utc);
    const std::string source = ReadAll(Proc() / "RadialData.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        fs::remove_all(out);
        XProgramResult r = Run(c.mode);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(NamesIn(out), c.files);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, " Finished. 0\n", r.out);
        EXPECT_EQ(ReadAll(Proc() / "RadialData.txt"), source) << "the source keeps its content";
        for (const std::string& name : c.files) {
            struct stat info {};
            ASSERT_EQ(stat((out / name).c_str(), &info), 0);
            EXPECT_EQ(info.st_mtime, dataTime) << name;
        }
    }
    // Mode 0 copies the classic source byte for byte.
    fs::remove_all(out);
    Run("0");
    EXPECT_EQ(ReadAll(out / kClassicName), source);
}

TEST_F(StationRun, PreferenceChoosesTheModeAndMovesATopLevelEntry) {
    // The example's preference file says Tandem: classic and LLUV.
    ASSERT_EQ(Run("-1").status, 0);
    EXPECT_EQ(NamesIn(out), (Names{kClassicName, kLLUVName}));

    // An older file with the entry outside any section: it becomes the
    // default of the "Conversion" entry and the old line goes.
    fs::remove_all(out);
    WriteAll(Cfg() / "Quillmoor.pref", "; old layout\nOutputLLUV = XYUV\n");
    XProgramResult r = Run("");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, " Make LLUV is 5\n", r.out);
    EXPECT_EQ(NamesIn(out), (Names{kXYUVName, kLLUVName}));
    const std::string pref = ReadAll(Cfg() / "Quillmoor.pref");
    EXPECT_PRED_FORMAT2(testing::IsNotSubstring, "OutputLLUV = XYUV\n", pref);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "[Conversion]\nOutputLLUV = XYUV  \t;; Off,On,Tandem,XYUV\n", pref);

    // No preference file at all: LLUV only.
    fs::remove_all(out);
    fs::remove(Cfg() / "Quillmoor.pref");
    r = Run("-1");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, " Make LLUV is 1\n", r.out);
    EXPECT_EQ(NamesIn(out), (Names{kLLUVName}));
}

TEST_F(StationRun, SourceKindsAreTriedInTheirOrder) {
    // Write an xyuv file of the example with the converter itself, then offer it as the
    // station's xyuv source next to the classic one: it wins.
    ASSERT_EQ(Run("5").status, 0);
    fs::copy_file(out / kXYUVName, Proc() / kXYUVSource);
    fs::remove_all(out);
    XProgramResult r = Run("1");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        " Radial Source File is \"RdlsXXXX_00_00_00_0000.rv\"\n", r.out);
    EXPECT_EQ(NamesIn(out), (Names{kLLUVName}));

    // An xyuv source that cannot be read ends the run.
    WriteAll(Proc() / kXYUVSource, "not an xyuv file\n");
    r = Run("1");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, ": Unable to read source xyuv file\n", r.out);
    EXPECT_NE(r.status, 0);

    // A file named on the command line is tried as xyuv, then as classic radial.
    fs::remove(Proc() / kXYUVSource);
    fs::remove_all(out);
    r = Run("1", "i", "10", (Proc() / "RadialData.txt").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_PRED_FORMAT2(testing::IsSubstring, " Processing Folder is " + Proc().string() + "/\n",
                        r.out);
    EXPECT_EQ(NamesIn(out), (Names{kLLUVName}));
}

TEST_F(StationRun, FailuresEndTheRunWithTheirCode) {
    // A regular file where a folder should be created.
    WriteAll(root / "plain", "x");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string proc = Proc().string() + "/", cfg = Cfg().string() + "/",
                      o = out.string() + "/";
    const std::string plain = (root / "plain/out/").string(),
                      nothing = (root / "nothing/").string(),
                      noConfigs = (root / "noconfigs/").string(),
                      aFile = (root / "Processing/none.rv").string();
    const Case cases[] = {
        {{"0", "i", "", plain, proc}, "Couldn't set output Folder \"" + plain + "\"\n"},
        {{"0", "i", "", o, nothing}, "Couldn't find Processing Folder \"" + nothing + "\"\n"},
        {{"0", "i", "", o, proc, "1", "0", noConfigs},
         "Couldn't find Configs Folder \"" + noConfigs + "\"\n"},
        {{"0", "i", "", o, aFile, "1", "0", cfg},
         "Couldn't find Processing Folder \"" + aFile + "\"\n"},
    };
    for (const auto& c : cases) {
        XProgramResult r = RunQuillmoorProgram(c.args);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "Failure -43: " + c.message, r.out);
        EXPECT_EQ(r.status, 256 - 43) << r.out;
        EXPECT_PRED_FORMAT2(testing::IsNotSubstring, " Finished.", r.out);
    }

    // No source in the processing folder.
    fs::remove(Proc() / "RadialData.txt");
    XProgramResult r = Run("1");
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "Failure -43: Couldn't find source file \"RdlsXXXX_00_00_00_0000.rv\" or "
                        "\"RadialData.txt\"\n",
                        r.out);
    EXPECT_EQ(r.status, 256 - 43);

    // A classic source that ends before its geometry line.
    WriteAll(Proc() / "RadialData.txt", " 14:00:00 PST\n");
    r = Run("1");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, ": Unable to read source radial file\n", r.out);
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
    const std::string classic = "Cannot write classic radial \"" + std::string(kClassicName) + "\"";
    const Case cases[] = {
        {"2", kClassicName, kLLUVName, classic},
        {"2", kLLUVName, kClassicName, "Cannot create LLUV File"},
        {"3", kClassicName, kLLUVName, classic},
        {"3", kLLUVName, kClassicName, "Cannot create LLUV File"},
        {"5", kXYUVName, kLLUVName, "Cannot write testing xyuv \"" + std::string(kXYUVName) + "\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.blocked);
        fs::remove_all(out);
        fs::create_directories(out / c.blocked);
        XProgramResult r = Run(c.mode);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "Failure -48: " + c.message + "\n", r.out);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, " Finished. -48\n", r.out);
        EXPECT_EQ(r.status, 256 - 48);
        EXPECT_TRUE(fs::is_directory(out / c.blocked));
        // The other output is written whole, and nothing half-written is left.
        EXPECT_TRUE(fs::is_regular_file(out / c.written));
        EXPECT_EQ(NamesIn(out), (Names{c.blocked, c.written}));
    }
}

TEST_F(StationRun, ASourceWithoutTimeOrWithAPathForASiteCodeWritesNothing) {
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
         "No time in the source file \"RadialData.txt\""},
        {time, "1 A/BC", "Site code \"A/BC\" of Header.txt cannot be part of a file name"},
        {time, "1 /../", "Site code \"/../\" of Header.txt cannot be part of a file name"},
        {time, "1 ..", "Site code \"..\" of Header.txt cannot be part of a file name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        SetFirstLine(Proc() / "RadialData.txt", c.timeLine);
        SetFirstLine(Cfg() / "Header.txt", c.siteLine);
        XProgramResult r = Run("3");
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "Failure -50: " + c.message + "\n", r.out);
        EXPECT_EQ(r.status, 256 - 50);
        EXPECT_PRED_FORMAT2(testing::IsNotSubstring, " Finished.", r.out);
        EXPECT_TRUE(NamesIn(out).empty());  // not even a folder "RadiA/" for "A/BC"
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
        fs::remove_all(out);
        ASSERT_EQ(Run("1", "i", "0", "", pattern).status, 0);
        const std::string text = ReadAll(out / kLLUVName);
        std::string expected = row;
        expected[expected.find(" T ") + 1] = pattern == std::string("1") ? '2' : '1';
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "%TableType: rads rad1\n", text);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "%TableRows: 1\n%TableStart: 2\n", text);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, expected, text);
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
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        " Using the complete receiver diagnostic rows of "
                        "STAT_BRNK_2026_12_06.hdt: its last row is incomplete\n",
                        r.out);
    const std::string lluv = ReadAll(out / kLLUVName);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "%TableType: rcvr rcv2\n", lluv);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "%TableRows: 5\n%TableStart: 3\n", lluv);
    // Minutes from the map's time, " %8.0f" after the row's two blanks.
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "\n%" + std::string(9, ' ') + "10   ", lluv);
    EXPECT_PRED_FORMAT2(testing::IsNotSubstring, "\n%" + std::string(9, ' ') + "20   ", lluv);
    EXPECT_EQ(ReadAll(hdt), text);
    EXPECT_EQ(NamesIn(root / "Diagnostics"),
              (Names{"STAT_BRNK_2026_12_06.hdt", "STAT_BRNK_2026_12_06.rdt"}));
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
        {"i", "-1", "0", kLLUVName, "%PatternType: Ideal"},
        {"abcM", "-1", "1", "RDLm_BRNK_2026_12_06_1400.ruv", "%PatternType: Measured"},
        {"X", "-1", "0", "RDLx_BRNK_2026_12_06_1400.ruv", "%PatternType: Ideal"},
        {"", "-1", "-1", "RDLs_BRNK_2026_12_06_1400.ruv", ""},
        {"i", "1", "1", kLLUVName, "%PatternType: Measured"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.procText);
        fs::remove_all(out);
        XProgramResult r = Run("1", c.procText, "10", source.string(), c.pattern);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_PRED_FORMAT2(testing::IsSubstring,
                            " Antenna Pattern Type is " + std::string(c.printed) + "\n", r.out);
        EXPECT_EQ(NamesIn(out), Names{c.name});
        EXPECT_EQ(HeaderLine("%PatternType:", c.name), c.patternType);
    }
    // The classic source of the station folder is named "RadialData.txt":
    // its fourth letter already says ideal, whatever the processing text.
    fs::remove_all(out);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, " Antenna Pattern Type is 0\n", Run("1", "abcM").out);
}

TEST_F(StationRun, TheEllipsoidPreferenceMovesThePositions) {
    ASSERT_EQ(Run("1").status, 0);
    const std::string wgs84Row = FirstRow();

    fs::remove_all(out);
    WriteAll(Cfg() / "Quillmoor.pref", "[GreatCircle]\nEllipsiod = Sphere\n");
    ASSERT_EQ(Run("1").status, 0);
    EXPECT_EQ(HeaderLine("%GreatCircle:"), "%GreatCircle: \"Sphere\" 6367450.000  0.000000000000");
    const std::string sphereRow = FirstRow();
    ASSERT_FALSE(sphereRow.empty());
    EXPECT_NE(sphereRow.substr(0, 28), wgs84Row.substr(0, 28)) << "longitude and latitude change";
    // Range and bearing are the file's own; only the placement differs.
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "    1.5000   180.0", sphereRow);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "    1.5000   180.0", wgs84Row);
}

TEST_F(StationRun, QuietAndVerboseOutput) {
    XProgramResult quiet = Run("3", "i", "0");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, " Running Quillmoor " + std::string(QUILLMOOR_VERSION) + "\n");

    const std::string verbose = Run("3", "i", "10").out;
    for (const std::string& line :
         {" Output Folder is " + out.string() + "/\n",
          " Processing Folder is " + Proc().string() + "/\n",
          " Configs Folder is " + Cfg().string() + "/\n", std::string(" Make LLUV is 3\n"),
          std::string(" Radial Source File is \"RadialData.txt\"\n"),
          "  Writing classic " + std::string(kClassicName) + "\n",
          "  Writing LLUV " + std::string(kLLUVName) + "\n"})
        EXPECT_PRED_FORMAT2(testing::IsSubstring, line, verbose);
}

// The converter labels its LLUV output with the offset that the radial file's
// zone label means at the map's time, and the file read back gives the map's
// true instant.
TEST_F(StationRun, ZoneLabelsMeanTheirOwnOffsetAtTheMapsTime) {
    struct {
        const char* timeText;
        int64_t day;  // of 2008, from 0
        int hour;
        const char* name;
        const char* stamp;
        const char* zone;
        double offsetHours;
    } const cases[] = {
        // Four in the morning of the day US clocks went forward (at 02:00).
        {" 04:00:00  Sunday, March 9, 2008 PDT", 68, 4, "RDLi_BRNK_2008_03_09_0400.ruv",
         "%TimeStamp: 2008 03 09  04 00 00", "%TimeZone: \"PDT\" -7.000 1", -7},
        // A station on standard time all year.
        {" 14:00:00  Tuesday, July 1, 2008 PST", 182, 14, "RDLi_BRNK_2008_07_01_1400.ruv",
         "%TimeStamp: 2008 07 01  14 00 00", "%TimeZone: \"PST\" -8.000 0", -8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeText);
        const int64_t wall = (k2008Day + c.day) * 86400 + c.hour * 3600;
        // The text (ending in the zone label) in the first 48 columns, then the 1904 seconds.
        char line[128];
        std::snprintf(line, sizeof(line), "%-48s%lld", c.timeText, static_cast<long long>(wall));
        SetFirstLine(Proc() / "RadialData.txt", line);
        ASSERT_EQ(Run("2", "i", "0").status, 0);
        EXPECT_EQ(HeaderLine("%TimeStamp:", c.name), c.stamp);
        EXPECT_EQ(HeaderLine("%TimeZone:", c.name), c.zone);

        CLLUVFile back;
        CFileSpec spec;
        spec.SetFileSpec((out / c.name).c_str());
        EXPECT_EQ(back.ProcessBTFile(&spec, 0, 0), 0);
        EXPECT_EQ(back.mnOriginTime, static_cast<uint32_t>(wall));
        EXPECT_EQ(back.mnTimeZoneSeconds, static_cast<long>(c.offsetHours * 3600));
        EXPECT_EQ(back.GetBtfAbsoluteTime(),
                  static_cast<double>(wall) - k1904To2001 - c.offsetHours * 3600);
    }
}

}  // namespace
