// The converter's LLUV hooks on hand-made spectra and report files: the four
// spectra keywords in the header, and the radial and receiver rows of the
// map's time window as the file's next tables, rows commented.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../../BvkLibraries/BvkInterface/tests/SpectraTestFiles.h"
#include "BTFKeyList.h"
#include "TestFiles.h"
#include "QuillmoorGlobals.h"
#include "cAppLLUVFile.h"
#include "cReportRadial.h"

namespace fs = std::filesystem;
using spectra_test::CChunkWriter;
using spectra_test::XHeaderFields;

namespace {

constexpr uint32_t kDay = 86400;
// The test map: site TEST, Tuesday 2008-01-08 14:30; its week starts on
// Sunday the 6th.
constexpr uint32_t kMapTime = 3282647400u;
constexpr const char* kWeekName = "STAT_TEST_2008_01_06";

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    WriteAll(path, std::string(bytes.begin(), bytes.end()));
}

// Every table row of a file, by table, "% " rows of later tables included.
struct XTables {
    std::vector<std::vector<std::string>> tables;
    std::vector<uint32_t> types;
};
class CTableRows : public BTFReader {
  public:
    CTableRows() { mnCommentRowLevel = 2; }
    long ProcessTableRow(char* row) override {
        if (read.tables.size() < static_cast<size_t>(mnTableIndex))
            read.tables.resize(mnTableIndex);
        read.types.resize(read.tables.size());
        read.types[mnTableIndex - 1] = mnTableType;
        read.tables[mnTableIndex - 1].push_back(row);
        return 0;
    }
    XTables read;
};

// Item `index` of a row, as a number.
double Item(const std::string& row, int index) {
    std::istringstream in(row);
    std::string item;
    for (int i = 0; i <= index; ++i) in >> item;
    return std::atof(item.c_str());
}

class HookWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillmoor-hooks-XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directory(Proc());
        fs::create_directory(Diag());
        std::snprintf(szProcFolder, kFolderTextSize, "%s/", Proc().c_str());
        std::snprintf(szDiagFolder, kFolderTextSize, "%s", Diag().c_str());  // no final "/"
        CFileSpec source;
        source.SetFileSpec((fs::path(BVK_SOURCE_DIR) /
                            "BvkLibraries/BvkInterface/tests/data/RdlsTEST_08_01_08_1430.rv")
                               .c_str());
        ASSERT_EQ(store.ImportClassicRadial(&source), 0);
        store.mnTimeCoverageSeconds = 0;
        store.mnPatternType = 0;
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path Proc() const { return root / "Processing"; }
    fs::path Diag() const { return root / "Diagnostics"; }
    fs::path Out() const { return root / "out.ruv"; }

    std::string Write() {
        CFileSpec out;
        out.SetFileSpec(Out().c_str());
        EXPECT_EQ(store.WriteUVFile(&out, BtfCode("Kvrd")), 0);
        return ReadAll(Out());
    }
    XTables ReadTables() {
        CTableRows rows;
        CFileSpec out;
        out.SetFileSpec(Out().c_str());
        EXPECT_EQ(rows.ProcessBTFile(&out, 0, 0), 0);
        return rows.read;
    }

    // Radial records (time, type, vector count) as the week's ".rdt".
    void WriteRadialReport(const std::vector<XReportRadial>& records,
                           const std::string& name = kWeekName) {
        CReportRadial report;
        report.SetTimeStamp(kMapTime - 2 * kDay - 52200);  // Sunday 00:00
        for (XReportRadial r : records) report.AddNewReport(&r);
        CFileSpec file;
        file.SetFileSpec((Diag() / (name + ".rdt")).c_str());
        ASSERT_EQ(report.WriteReportFile(&file), 0);
    }
    // A hand-made ".hdt": rows of minutes from the stamp and a temperature.
    void WriteReceiverReport(const std::string& rows, const std::string& name = kWeekName,
                             const char* stamp = "2008 01 08  14 30 00") {
        WriteAll(Diag() / (name + ".hdt"),
                 "%BTF: 1.00\n%FileType: DIAG rcvr \"Tesmara Report\"\n%TimeStamp: " +
                     std::string(stamp) +
                     "\n%TableType: rcvr rcv2\n%TableColumnTypes: TIME RTMP\n%TableStart:\n" +
                     rows + "%TableEnd:\n%End:\n");
    }

    fs::path root;
    CAppLLUVFile store;
};

XReportRadial Radial(int64_t offset, uint32_t type) {
    XReportRadial r{};
    r.mnTime = static_cast<uint32_t>(kMapTime + offset);
    r.mnRadialType = type;
    return r;
}

TEST_F(HookWrite, SpectraKeywordsComeFromTheListedFile) {
    CChunkWriter reduced;
    reduced.Begin("CSSW");
    reduced.Chunk("cs4h", spectra_test::FullHeader(
                              {.sweepRateHz = 1.5f, .sweepUp = 1, .nDoppler = 512, .nRange = 31}));
    reduced.End();
    WriteBytes(root / "reduced.cs", reduced.mBytes);
    // 8 Doppler cells, 3 range cells, 25 kHz sweeping down.
    WriteBytes(root / "full.cs", spectra_test::FullFile({}, {.sweepRateHz = 2.0f, .sweepUp = 0}));
    WriteBytes(root / "old.cs", spectra_test::FullHeader({.version = 3, .length = 24}));

    const std::string none;
    struct Case {
        const char* list;  // the first line of "SpectraToProcess.txt"
        std::string lines;
    };
    const Case cases[] = {
        {"reduced.cs",
         "%TransmitSweepRateHz: 1.500000\n%TransmitBandwidthKHz: 25.000000\n"
         "%SpectraRangeCells: 31\n%SpectraDopplerCells: 512\n"},
        // Not a reduced file: read in the full form; a downward sweep.
        {"full.cs",
         "%TransmitSweepRateHz: 2.000000\n%TransmitBandwidthKHz: -25.000000\n"
         "%SpectraRangeCells: 3\n%SpectraDopplerCells: 8\n"},
        {"old.cs", none},  // a header without sweep fields
        {"missing.cs", none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        WriteAll(Proc() / "SpectraToProcess.txt", (root / c.list).string() + "\r\n");
        const std::string text = Write();
        // The four lines stand just before the vector table.
        const size_t at =
            c.lines.empty() ? text.find("%TransmitSweep") : text.find(c.lines + "%TableType: LLUV");
        EXPECT_EQ(at == std::string::npos, c.lines.empty());
    }
}

TEST_F(HookWrite, RowsOfTheWindowStay) {
    // Offsets from the map time 14:30; type 5 is ideal with the exact-time bit.
    WriteRadialReport({Radial(-1801, 1), Radial(-1800, 1), Radial(0, 1), Radial(1, 1), Radial(1, 5),
                       Radial(0, 5), Radial(1800, 2), Radial(1801, 1), Radial(600, 1),
                       Radial(600, 1), Radial(3600, 1)});
    // Minutes and a temperature; 30.0166667 minutes is a second past 15:00.
    WriteReceiverReport(" -30.0166667 21\n -30 22\n 0 23\n 30 24\n 30.0166667 25\n");
    struct Case {
        long patternType;
        long coverage;
        std::vector<std::pair<int, int>> radial;  // offset, type
        std::vector<int> receiver;                // temperatures
    };
    const Case cases[] = {
        // The window is 3,600 s without a coverage: 14:00:00 and 15:00:00
        // belong to it; the bit-4 row only at 14:30 itself; one row of two
        // with the same time and type.
        {1, 0, {{-1800, 1}, {0, 1}, {1, 1}, {0, 5}, {600, 1}}, {22, 23, 24}},
        {2, 0, {{1800, 2}}, {22, 23, 24}},
        {0, 0, {{-1800, 1}, {0, 1}, {1, 1}, {0, 5}, {1800, 2}, {600, 1}}, {22, 23, 24}},
        // Two hours of coverage: an hour on either side.
        {1,
         7200,
         {{-1801, 1}, {-1800, 1}, {0, 1}, {1, 1}, {0, 5}, {1801, 1}, {600, 1}, {3600, 1}},
         {21, 22, 23, 24, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patternType * 10000 + c.coverage);
        store.mnPatternType = c.patternType;
        store.mnTimeCoverageSeconds = c.coverage;
        Write();
        XTables read = ReadTables();
        ASSERT_EQ(read.tables.size(), 3u);
        std::vector<std::pair<int, int>> radial;
        for (const std::string& row : read.tables[1])
            radial.emplace_back(static_cast<int>(Item(row, 0)), static_cast<int>(Item(row, 23)));
        EXPECT_EQ(radial, c.radial);
        std::vector<int> receiver;
        for (const std::string& row : read.tables[2]) receiver.push_back(int(Item(row, 1)));
        EXPECT_EQ(receiver, c.receiver);
    }
}

TEST_F(HookWrite, ReportSourcesAndWhatTheyAdd) {
    const std::string diagLine =
        "0.85 1.12 -42.3 117.8 -12.5 88.1 -148 -147 -151 -150 -149 -150 18 15 16 ";
    struct Case {
        const char* name;
        bool rdtOutside;                 // a ".rdt" whose rows all lie outside the window
        bool rdtJunk;                    // a ".rdt" that is not a report
        bool diagInfo;                   // "RadialDiagInfo.txt" with a row at the map time
        bool receiver;                   // an ".hdt" with a row at the map time
        std::vector<std::string> types;  // table types after the vectors
    };
    const Case cases[] = {
        {"nothing", false, false, false, false, {}},
        {"rows outside only", true, false, false, false, {}},
        {"import without a report", false, false, true, false, {"rads"}},
        {"import after an unreadable report", false, true, true, true, {"rads", "rcvr"}},
        {"receiver alone is table 2", false, false, false, true, {"rcvr"}},
        // A readable report is used even when it adds nothing.
        {"report wins over the import", true, false, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Diag());
        fs::create_directory(Diag());
        fs::remove(Proc() / "RadialDiagInfo.txt");
        if (c.rdtOutside) WriteRadialReport({Radial(-5000, 1), Radial(5000, 1)});
        if (c.rdtJunk) WriteAll(Diag() / (std::string(kWeekName) + ".rdt"), "\x01\x02\n%BTF\n");
        if (c.diagInfo) {
            WriteAll(Proc() / "RadialDiagInfo.txt", diagLine + std::to_string(kMapTime - 7200) +
                                                        " 12 387 8.6\n" + diagLine +
                                                        std::to_string(kMapTime) + " 12 387 8.6\n");
        }
        if (c.receiver) WriteReceiverReport(" 0 20\n");
        const std::string text = Write();
        XTables read = ReadTables();
        ASSERT_EQ(read.tables.size(), c.types.size() + 1);
        std::string end = "%TableEnd:\n";
        for (size_t i = 0; i < c.types.size(); ++i) {
            const uint32_t t = read.types[i + 1];
            EXPECT_EQ(std::string({char(t >> 24), char(t >> 16), char(t >> 8), char(t)}),
                      c.types[i]);
            ASSERT_EQ(read.tables[i + 1].size(), 1u);
            EXPECT_EQ(Item(read.tables[i + 1][0], 0), 0);
            // Each table after an empty comment line.
            EXPECT_PRED_FORMAT2(testing::IsSubstring, end + "%%\n%TableType: " + c.types[i], text);
            end = "%TableEnd: " + std::to_string(i + 2) + "\n";
        }
        EXPECT_PRED_FORMAT2(testing::IsSubstring, end + "%%\n%ProcessedTime", text);
        // The LLUV reader still takes exactly the vectors.
        EXPECT_EQ(static_cast<long>(read.tables[0].size()), store.mnVectors);
        CLLUVFile back;
        CFileSpec out;
        out.SetFileSpec(Out().c_str());
        ASSERT_EQ(back.ProcessBTFile(&out, 0, 0), 0);
        EXPECT_EQ(back.mnVectors, store.mnVectors);
    }
}

TEST_F(HookWrite, ReportsAreThoseOfTheMapsWeek) {
    // Monday 2 June 2008 is in the week of Sunday 1 June; Tuesday 1 July in
    // that of Sunday 29 June, back in the previous month.
    const uint32_t june2 = kMapTime + 146 * kDay;  // 23 + 29 + 31 + 30 + 31 + 2 days on
    const struct {
        uint32_t time;
        const char* week;
        const char* stamp;
    } cases[] = {{june2, "STAT_TEST_2008_06_01", "2008 06 02  14 30 00"},
                 {june2 + 29 * kDay, "STAT_TEST_2008_06_29", "2008 07 01  14 30 00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.week);
        fs::remove_all(Diag());
        fs::create_directory(Diag());
        store.mnOriginTime = c.time;
        WriteReceiverReport(" 0 20\n", c.week, c.stamp);
        Write();
        EXPECT_EQ(ReadTables().tables.size(), 2u);
    }
}

}  // namespace
