#include "cReportRadial.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "TestFolder.h"

namespace {

using namespace test_folder;

// 2008-03-02 00:00, a Sunday: 104 years from 1904 with 26 leap days, then
// 31 + 29 + 1 days of 2008, is 38,047 days of 86,400 seconds.
constexpr uint32_t kSunday2Mar2008 = 3287260800U;
constexpr uint32_t kSiteABCD = 0x41424344;

XReportRadial Record(uint32_t time, uint32_t type) {
    XReportRadial r{};
    r.mnTime = time;
    r.mnRadialType = type;
    return r;
}

std::vector<XReportRadial> Records(CReportRadial& report) {
    std::vector<XReportRadial> out(static_cast<size_t>(report.Points()));
    for (long i = 0; i < report.Points(); ++i) report.GetReport(i, &out[static_cast<size_t>(i)]);
    return out;
}

// Tuesday 4 March 2008 13:30:15 with every column holding something that
// tests its format: an amplitude above 900, rounding of "%4.f", signs of
// "%+3.f", the half added to the dual-angle percentage, unit changes.
XReportRadial TuesdayRecord() {
    XReportRadial r{};
    r.mnTime = kSunday2Mar2008 + 2 * 86400 + 13 * 3600 + 30 * 60 + 15;  // offset 221415
    r.mnRadialType = 1;
    r.mdAmp1 = 1000.0;
    r.mdAmp2 = 0.5;
    r.mdPhase13 = -12.34;
    r.mdPhase23 = 100.06;
    r.mdPhase1 = 5.0;
    r.mdPhase2 = -0.04;
    r.mdNoiseFloor[0] = -120.4;
    r.mdNoiseFloor[1] = -118.7;
    r.mdNoiseFloor[2] = -130.6;
    r.mdSignalToNoise[0] = 12.4;
    r.mdSignalToNoise[1] = 5.6;
    r.mdSignalToNoise[2] = -3.2;
    r.mnDiagRangeCell = 3;
    r.mnValidDopplerCells = 45;
    r.mdDualAnglePercent = 12.2;
    r.mnVectorCount = 250;
    r.mnVectorsPerRange = 7;
    r.mnRangeCells = 31;
    r.mdMaxRange = 45500.0;
    r.mdMaxVelocity = -0.853;
    r.mdMeanVelocity = 0.123;
    r.mdMeanBearing = 215.26;
    r.mnSpectraType = 'S';
    return r;
}

// Saturday 8 March 2008 23:59:59, the week's last second; amplitude 900 is
// still a real value.
XReportRadial SaturdayRecord() {
    XReportRadial r{};
    r.mnTime = kSunday2Mar2008 + 6 * 86400 + 86399;  // offset 604799
    r.mnRadialType = 2;
    r.mdAmp1 = 900.0;
    r.mdDualAnglePercent = 2.3;
    return r;
}

const char* kExpectedRdt[] = {
    "%BTF: 1.00",
    "%FileType: DIAG rads \"Tesmara Report\"",
    "%Owner: Brenvik Marine",
    "%Site: ABCD \"\"",
    "%TimeStamp: 2008 03 02  00 00 00",
    "%UUID: 0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9",
    "%TableType: rads rad1",
    "%TableColumns: 31",
    "%TableColumnTypes: TIME AMP1 AMP2 PH13 PH23 CPH1 CPH2 SNF1 SNF2 SNF3 SSN1 SSN2 SSN3 DGRC "
    "DOPV DDAP RADV RAPR RARC RADR RMCV RACV RABA RTYP STYP TYRS TMON TDAY THRS TMIN TSEC ",
    "%TableRows: 2",
    "%TableStart:",
    "%%   Time       Calculated      Calculated     Corrected        Noise Floor     "
    "SignalToNoise   Diag  Valid  Dual  Radial RadsV Rads   Max   Vel    Vel    Bearing  "
    "Radial Spectra Time",
    "%% FromStart   Amp1    Amp2   Phase13 Phase23 Phase1 Phase2   NF1   NF2   NF3   SN1  "
    "SN2  SN3   Range Dopplr Angle Vector  per  Range Range  Max    Aver   Average   Type   "
    "Type   Year Mo Dy  Hr Mn  S",
    "%%  Seconds  (1/v^2) (1/v^2)   (deg)   (deg)   (deg)  (deg)  (dBm) (dBm) (dBm)  (dB) "
    "(dB) (dB)  Cell  Cells  Prcnt Count  Range Cells  (km) (cm/s) (cm/s) (deg CWN)",
    // pieces: " %9ld", "  %7.4f %7.4f", "  %6.1f  %6.1f", "  %6.1f %6.1f",
    // "  %4.f. %4.f. %4.f.", "  %+3.f. %+3.f. %+3.f.", " %4ld  %6ld  %4.f",
    // " %5ld  %5ld %5ld %6.1f", " %6.1f %6.1f  %6.1f", "    %4ld", "  %5ld", the date
    "     221415   0.0000  0.5000   -12.3   100.1     5.0   -0.0  -120. -119. -131."
    "  +12.  +6.  -3.    3      45    13   250      7    31   45.5  -85.3   12.3   215.3"
    "       1     83   2008 03 04  13 30 15",
    "     604799  900.0000  0.0000     0.0     0.0     0.0    0.0     0.    0.    0."
    "   +0.  +0.  +0.    0       0     3     0      0     0    0.0    0.0    0.0     0.0"
    "       2      0   2008 03 08  23 59 59",
    "%TableEnd:",
    "%%",
    "%ProcessedTimeStamp: ",  // the clock at writing: only the keyword is compared
    "%End:",
};

TEST(CReportRadial, WritesTableLinesByteForByteAndReadsThemBack) {
    CTestFolder dir;
    const std::string path = dir.File("STAT_ABCD_2008_03_02.rdt");
    {
        CReportRadial report;
        report.mnBtfSiteCode = kSiteABCD;
        report.SetTimeStamp(kSunday2Mar2008);
        report.SetBtfUUIDFromString("0a1b2c3d-4e5f-4061-8293-a4b5c6d7e8f9");
        XReportRadial tuesday = TuesdayRecord(), unset = Record(0, 1), saturday = SaturdayRecord();
        report.AddNewReport(&tuesday);
        report.AddNewReport(&unset);  // time 0: no row, so not announced either
        report.AddNewReport(&saturday);
        CFileSpec target = SpecOf(path);
        ASSERT_EQ(report.WriteReportFile(&target), kNoErr);
    }
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), std::size(kExpectedRdt));
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string expected = kExpectedRdt[i];
        if (expected == "%ProcessedTimeStamp: ")
            EXPECT_EQ(lines[i].substr(0, expected.size()), expected);
        else
            EXPECT_EQ(lines[i], expected) << "line " << i + 1;
    }

    CReportRadial back;
    CFileSpec source = SpecOf(path);
    ASSERT_EQ(back.ReadReportFile(&source), kNoErr);
    EXPECT_EQ(back.mnBtfSiteCode, kSiteABCD);
    EXPECT_EQ(back.GetTimeStamp(), kSunday2Mar2008);
    ASSERT_EQ(back.Points(), 2);  // the record without a time was not written

    std::vector<XReportRadial> got = Records(back);
    const XReportRadial& t = got[0];
    EXPECT_EQ(t.mnTime, kSunday2Mar2008 + 221415);
    EXPECT_EQ(t.mnRadialType, 1u);
    EXPECT_DOUBLE_EQ(t.mdAmp1, 0.0);  // 1000 was written as 0
    EXPECT_DOUBLE_EQ(t.mdNoiseFloor[2], -131.0);
    EXPECT_DOUBLE_EQ(t.mdDualAnglePercent, 12.5);  // the shown 13 less the half
    EXPECT_DOUBLE_EQ(t.mdMaxRange, 45500.0);
    EXPECT_DOUBLE_EQ(t.mdMaxVelocity, -0.853);
    EXPECT_DOUBLE_EQ(t.mdMeanBearing, 215.3);

    EXPECT_EQ(got[1].mnTime, kSunday2Mar2008 + 604799);
    EXPECT_DOUBLE_EQ(got[1].mdAmp1, 900.0);

    // Written again, every row comes out as it was: a weekly file is
    // rewritten on every run and its earlier rows must not drift.
    CFileSpec again = SpecOf(dir.File("again.rdt"));
    ASSERT_EQ(back.WriteReportFile(&again), kNoErr);
    auto rows = [](const std::string& text) {
        std::vector<std::string> out;
        for (const std::string& line : Lines(text))
            if (!line.empty() && line[0] == ' ') out.push_back(line);
        return out;
    };
    std::vector<std::string> firstRows = rows(ReadAll(path));
    ASSERT_EQ(firstRows.size(), 2u);
    EXPECT_EQ(rows(ReadAll(dir.File("again.rdt"))), firstRows);
}

TEST(CReportRadial, ReadsOnlyRowsOfRadialTables) {
    CTestFolder dir;
    // A receiver table first, then a radial one whose rows are commented out
    // as in an LLUV file, and a row written before the table's time stamp.
    const std::string path =
        dir.Write("mixed.rdt",
                  "%FileType: DIAG rads\r\n"
                  "%TimeStamp: 2008 03 02  00 00 00\r\n"
                  "%TableType: rcvr rcv2\r\n"
                  "%TableStart:\r\n"
                  " 60 20 30\r\n"
                  "%TableEnd:\r\n"
                  "%TableType: rads rad1\r\n"
                  "%TableStart: 2\r\n"
                  "%    -60  0 0\r\n"
                  "%   3600  1.5 2.5 1 2 3 4 -100. -110. -120. +10. +11. +12. 4 50 7 200 6 30 "
                  "40.0 -50.0 25.5 180.0 3 83 2008 03 02 01 00 00\r\n"
                  "%TableEnd: 2\r\n");
    CReportRadial report;
    CFileSpec source = SpecOf(path);
    // The receiver row is no record: the file is read only in part.
    ASSERT_EQ(report.ReadReportFile(&source), kReportErrRowsNotRead);
    ASSERT_EQ(report.Points(), 2);
    std::vector<XReportRadial> got = Records(report);
    EXPECT_EQ(got[0].mnTime, kSunday2Mar2008 - 60);
    EXPECT_EQ(got[1].mnTime, kSunday2Mar2008 + 3600);
    EXPECT_DOUBLE_EQ(got[1].mdDualAnglePercent, 6.5);
    EXPECT_DOUBLE_EQ(got[1].mdMaxRange, 40000.0);
    EXPECT_DOUBLE_EQ(got[1].mdMeanVelocity, 0.255);
    EXPECT_EQ(got[1].mnSpectraType, 83);
}

TEST(CReportRadial, AFileReadInPartSaysSo) {
    CTestFolder dir;
    const std::string whole = std::string(kExpectedRdt[14]) + "\n";
    const std::string last = kExpectedRdt[15];
    const struct {
        const char* name;
        const char* tableType;
        std::string rows;
        long result;
        long points;
    } cases[] = {
        {"whole", "rads rad1", whole + last + "\n%TableEnd:\n", kNoErr, 2},
        {"cut after a line end", "rads rad1", whole + last + "\n", kNoErr, 2},
        {"a blank last line", "rads rad1", whole + last + "\n   ", kNoErr, 2},
        {"a short row before a whole one", "rads rad1", whole + " 60 1.0\n" + last + "\n", kNoErr,
         3},
        {"cut inside the last row", "rads rad1", whole + last.substr(0, 40), kReportErrDamaged, 1},
        {"cut before the last line end", "rads rad1", whole + last, kReportErrDamaged, 1},
        {"no table type", nullptr, whole + last + "\n", kReportErrRowsNotRead, 0},
        {"a table type in capitals", "RADS rad1", whole + last + "\n", kReportErrRowsNotRead, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "%FileType: DIAG rads\n%TimeStamp: 2008 03 02  00 00 00\n";
        if (c.tableType != nullptr) text += std::string("%TableType: ") + c.tableType + "\n";
        CReportRadial report;
        CFileSpec source = SpecOf(dir.Write("week.rdt", text + "%TableStart:\n" + c.rows));
        EXPECT_EQ(report.ReadReportFile(&source), c.result);
        ASSERT_EQ(report.Points(), c.points);
        // Of a cut file, the rows before the cut are whole.
        if (c.points > 0) {
            EXPECT_EQ(Records(report)[0].mnTime, kSunday2Mar2008 + 221415);
        }
    }
}

TEST(CReportRadial, HostileRowsGiveZerosNeverACrash) {
    CTestFolder dir;
    struct Case {
        const char* name;
        std::string rows;
        long points;
    };
    // Each last row holds fewer values than the table's columns: the file
    // reads as damaged, its last row left out.
    std::string binary = " 10 ";
    for (int b = 1; b < 256; ++b)
        if (b != '\n' && b != '\r') binary += static_cast<char>(b);
    const Case cases[] = {
        {"truncated", " 10 0.5\n 20\n", 1},
        {"words", " ten eleven twelve\n", 0},
        {"binary", binary + "\n", 0},
        {"huge", " 1e300 1e308 -1e308 99999999999999999999 " + std::string(5000, '9') + "\n", 1},
    };
    for (const Case& c : cases) {
        const std::string path =
            dir.Write(std::string(c.name) + ".rdt",
                      "%FileType: DIAG rads\n%TimeStamp: 2008 03 02  00 00 00\n"
                      "%TableType: rads rad1\n%TableStart:\n" +
                          c.rows + "%TableEnd:\n");
        CReportRadial report;
        CFileSpec source = SpecOf(path);
        EXPECT_EQ(report.ReadReportFile(&source), kReportErrDamaged) << c.name;
        EXPECT_GE(report.Points(), c.points) << c.name;
    }
    // A long row is cut into pieces by the reader; the first piece's huge
    // seconds clamp to the largest time instead of wrapping.
    CReportRadial report;
    CFileSpec source = SpecOf(dir.File("huge.rdt"));
    report.ReadReportFile(&source);
    XReportRadial first{};
    report.GetReport(0, &first);
    EXPECT_EQ(first.mnTime, 4294967295u);

    // Nothing at all, and a file of other kind.
    CReportRadial empty;
    source.SetFileSpec(dir.Write("empty.rdt", "").c_str());
    EXPECT_EQ(empty.ReadReportFile(&source), kBtfErrNoFileType);
    EXPECT_EQ(empty.Points(), 0);
}

TEST(CReportRadial, BaseRecordAccessBySizeStaysCallable) {
    CReportRadial report;
    XReportRadial in{}, out{};
    in.mnTime = 9;
    EXPECT_EQ(report.AddNewReport(&in, sizeof in), 1);  // the new count
    in.mnTime = 11;
    EXPECT_EQ(report.SetReport(0, &in, sizeof in), kNoErr);
    EXPECT_EQ(report.GetReport(0, &out, sizeof out), kNoErr);
    EXPECT_EQ(out.mnTime, 11u);
}

TEST(CReportRadial, RemovesDuplicatesKeepingLaterContents) {
    // Records as {seconds after t, type, range cell}; the cell tells whose
    // contents stayed.
    using Recs = std::vector<std::array<uint32_t, 3>>;
    const uint32_t t = kSunday2Mar2008 + 600;
    const struct {
        const char* name;
        Recs in;
        long stopAtNewTime;
        Recs out;
    } cases[] = {
        {"same time, types 1 2 1", {{0, 1, 1}, {0, 2, 2}, {0, 1, 3}}, 0, {{0, 1, 3}, {0, 2, 2}}},
        {"three equal in a row", {{0, 1, 1}, {0, 1, 2}, {0, 1, 3}}, 0, {{0, 1, 3}}},
        {"unsorted, full search", {{0, 1, 1}, {1, 1, 2}, {0, 1, 3}}, 0, {{0, 1, 3}, {1, 1, 2}}},
        {"unsorted, stop at new time",
         {{0, 1, 1}, {1, 1, 2}, {0, 1, 3}},
         1,
         {{0, 1, 1}, {1, 1, 2}, {0, 1, 3}}},
        {"sorted, stop at new time", {{0, 1, 1}, {0, 1, 2}, {1, 1, 3}}, 1, {{0, 1, 2}, {1, 1, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CReportRadial report;
        for (const auto& [offset, type, cell] : c.in) {
            XReportRadial r = Record(t + offset, type);
            r.mnDiagRangeCell = static_cast<int32_t>(cell);
            report.AddNewReport(&r);
        }
        EXPECT_EQ(report.RemoveDuplicateTimeEntries(c.stopAtNewTime), kNoErr);
        Recs got;
        for (const XReportRadial& r : Records(report))
            got.push_back({r.mnTime - t, r.mnRadialType, static_cast<uint32_t>(r.mnDiagRangeCell)});
        EXPECT_EQ(got, c.out);
    }
}

TEST(CReportRadial, KeepsTypesAndDropsZeroTimesInOrder) {
    CReportRadial report;
    for (uint32_t type = 1; type <= 7; ++type) {
        XReportRadial r = Record(type % 2 == 0 ? 0 : 1000 + type, type);
        report.AddNewReport(&r);
    }
    report.KeepRadialType(1);  // types 1, 3, 5, 7 have the ideal bit
    std::vector<XReportRadial> got = Records(report);
    ASSERT_EQ(got.size(), 4u);
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].mnRadialType, 2 * i + 1);

    CReportRadial zeros;
    const uint32_t times[] = {0, 5, 0, 7, 0};
    for (uint32_t time : times) {
        XReportRadial r = Record(time, 1);
        zeros.AddNewReport(&r);
    }
    zeros.FilterOutZeroTimeStamps();
    got = Records(zeros);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].mnTime, 5u);
    EXPECT_EQ(got[1].mnTime, 7u);

    // Filters that leave nothing clear the storage.
    zeros.KeepRadialType(2);
    EXPECT_EQ(zeros.Points(), 0);
    EXPECT_EQ(zeros.mpReports, nullptr);
}

TEST(CReportRadial, ConvertsDiagnosticLines) {
    CReportRadial report;
    XReportRadial r{};
    // Blanks, tabs and commas separate; each noise floor is its pair's mean.
    const char* full =
        "1.5, 2.5\t10 20 30 40 -100 -102 -110 -112, -120 -124 15 16 17 3287260800 5 60 12.5";
    ASSERT_EQ(report.ConvertDiagSavLine(full, &r), kNoErr);
    EXPECT_EQ(
        (std::vector<double>{r.mdAmp1, r.mdAmp2, r.mdPhase13, r.mdPhase23, r.mdPhase1, r.mdPhase2}),
        (std::vector<double>{1.5, 2.5, 10, 20, 30, 40}));
    EXPECT_EQ(
        (std::vector<double>{r.mdNoiseFloor[0], r.mdNoiseFloor[1], r.mdNoiseFloor[2],
                             r.mdSignalToNoise[0], r.mdSignalToNoise[2], r.mdDualAnglePercent}),
        (std::vector<double>{-101, -111, -122, 15, 17, 12.5}));
    EXPECT_EQ(r.mnTime, kSunday2Mar2008);
    EXPECT_EQ(r.mnValidDopplerCells, 60);

    // Fields the line does not hold keep their values, also a noise floor
    // whose pair is cut short; an item that is no number reads as 0.
    XReportRadial kept{};
    kept.mdAmp2 = 9;
    kept.mdNoiseFloor[0] = -77;
    kept.mnTime = 77;
    ASSERT_EQ(report.ConvertDiagSavLine("1 x 3 4 5 6 -100", &kept), kNoErr);
    EXPECT_DOUBLE_EQ(kept.mdAmp2, 0);
    EXPECT_DOUBLE_EQ(kept.mdPhase2, 6);
    EXPECT_DOUBLE_EQ(kept.mdNoiseFloor[0], -77);
    EXPECT_EQ(kept.mnTime, 77u);

    EXPECT_EQ(report.ConvertDiagSavLine(full, nullptr), kErrBadArgument);
    EXPECT_EQ(report.ConvertDiagSavLine("", &kept), kNoErr);
}

// A "RadialDiagInfo.txt" line: a leading word, then the values, with the
// pairs of the first two noise floors set to `noise`.
std::string DiagLine(uint32_t time, double dual, int noise = -100) {
    char line[256];
    std::snprintf(line, sizeof line, "w1 1 1 0 0 0 0 %d %d %d %d -120 -120 10 10 10 %u 3 40 %g\n",
                  noise, noise, noise, noise, time, dual);
    return line;
}

TEST(CReportRadial, ImportTakesLinesInTimeOrder) {
    CTestFolder dir;
    const struct {
        const char* name;
        std::string text;
        std::vector<std::pair<uint32_t, double>> kept;  // time, dual angle percent
    } cases[] = {
        // 150 is out of order; 300 is compared with 150, and so is 180.
        {"100 200 150 300",
         DiagLine(100, 1) + DiagLine(200, 2) + DiagLine(150, 3) + DiagLine(300, 4),
         {{100, 1}, {200, 2}, {300, 4}}},
        {"100 200 150 180",
         DiagLine(100, 1) + DiagLine(200, 2) + DiagLine(150, 3) + DiagLine(180, 4),
         {{100, 1}, {200, 2}, {180, 4}}},
        // A line without noise floors is ignored and does not move the
        // previous time: 150 is compared with 100.
        {"silent line",
         DiagLine(100, 1) + DiagLine(200, 2, 0) + DiagLine(150, 3),
         {{100, 1}, {150, 3}}},
        // The same time again replaces the record in place.
        {"same time", DiagLine(100, 1) + DiagLine(200, 2) + DiagLine(200, 5), {{100, 1}, {200, 5}}},
        {"empty file", "", {}},
        {"blank lines and CR ends", "\r\n\r\n" + DiagLine(100, 1) + "\r", {{100, 1}}},
        // The processing folder's lines start with the first amplitude; a
        // leading number is a word only when the line holds one item more.
        {"no leading word",
         DiagLine(100, 1).substr(3) + DiagLine(200, 2).substr(3),
         {{100, 1}, {200, 2}}},
        {"leading number", "7 " + DiagLine(100, 1).substr(3), {{100, 1}}},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write("RadialDiagInfo.txt", c.text);
        CReportRadial report;
        CFileSpec source = SpecOf(path);
        ASSERT_EQ(report.ImportDiagSavFile(&source), kNoErr) << c.name;
        std::vector<XReportRadial> got = Records(report);
        ASSERT_EQ(got.size(), c.kept.size()) << c.name;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].mnTime, c.kept[i].first) << c.name;
            EXPECT_DOUBLE_EQ(got[i].mdDualAnglePercent, c.kept[i].second) << c.name;
            EXPECT_DOUBLE_EQ(got[i].mdNoiseFloor[2], -120) << c.name;
        }
        // The table is stamped with the first record's time.
        if (!got.empty()) {
            EXPECT_EQ(report.GetTimeStamp(), c.kept[0].first) << c.name;
        }
        // The report still names its own file, not the import.
        EXPECT_NE(report.mPath, path) << c.name;
    }
}

TEST(CReportRadial, ImportNamesSiteAndSurvivesHostileFiles) {
    CTestFolder dir;
    CReportRadial report;
    CFileSpec source = SpecOf(dir.File("missing.txt"));
    EXPECT_EQ(report.ImportDiagSavFile(&source), kErrNotFound);

    // "DIAG_" in any case gives the site code.
    source.SetFileSpec(dir.Write("diag_WXYZ_2008.txt", DiagLine(100, 1)).c_str());
    ASSERT_EQ(report.ImportDiagSavFile(&source), kNoErr);
    EXPECT_EQ(report.mnBtfSiteCode, 0x5758595Au);

    // Binary bytes, a 5000-character line and huge numbers: no crash, and a
    // long line is taken in pieces of at most 1,023 characters.
    std::string hostile;
    for (int b = 0; b < 256; ++b) hostile += static_cast<char>(b);
    hostile += "\n" + std::string(5000, '7') + "\n";
    hostile += "w 1e400 -1e400 1 1 1 1 -1e308 -1e308 1 1 1 1 1 1 1 99999999999999 -5 1e30 1\n";
    CReportRadial survivor;
    source.SetFileSpec(dir.Write("hostile.txt", hostile).c_str());
    EXPECT_EQ(survivor.ImportDiagSavFile(&source), kNoErr);
    XReportRadial last{};
    ASSERT_EQ(survivor.GetReport(-1, &last), 0);
    EXPECT_EQ(last.mnTime, 4294967295u);  // clamped, not wrapped
    EXPECT_EQ(last.mnDiagRangeCell, -5);
}

}  // namespace
