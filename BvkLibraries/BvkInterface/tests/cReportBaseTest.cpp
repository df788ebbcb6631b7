#include "cReportBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "BvkErrors.h"
#include "PlatformTime.h"
#include "TestFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace test_folder;

constexpr uint32_t kTypeTest = 0x74657374;  // 'test'
constexpr uint32_t kTypeRads = 0x72616473;  // 'rads'
constexpr uint32_t kTypeRcvr = 0x72637672;  // 'rcvr'
constexpr uint32_t kTypeDIAG = 0x44494147;  // 'DIAG'
constexpr uint32_t kTypeLLUV = 0x4C4C5556;  // 'LLUV'
constexpr uint32_t kSiteABCD = 0x41424344;

// 2008-03-02 00:00, a Sunday: 38,047 days after 1904-01-01 (104 years with
// 26 leap days, then 31 + 29 + 1 days of 2008).
constexpr uint32_t kSunday2Mar2008 = 3287260800U;
constexpr uint32_t kDay = 86400;

size_t Count(const CTestFolder& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir.Path()), {}));
}

struct Sample {
    uint32_t time;
    uint32_t value;
    double extra;
};

TEST(CReportBase, GrowsInDocumentedSteps) {
    CReportBase report(kTypeTest, sizeof(Sample), nullptr);
    Sample s{1, 2, 3.0};
    for (uint32_t i = 1; i <= 512; ++i) {
        s.time = i;
        report.AddNewReport(&s, 0);
    }
    EXPECT_EQ(report.mnReportCapacity, 512);
    s.time = 513;
    EXPECT_EQ(report.AddNewReport(&s, 0), 513);
    EXPECT_EQ(report.mnReportCapacity, 1024);
    // Growing kept every record in its place.
    for (long i : {0L, 255L, 511L, 512L}) {
        Sample got{};
        ASSERT_EQ(report.GetReport(i, &got, 0), 0);
        EXPECT_EQ(got.time, static_cast<uint32_t>(i + 1));
    }

    // Small requests are raised to 8; Allocate starts empty.
    EXPECT_EQ(report.AllocateMore(3), kNoErr);
    EXPECT_EQ(report.mnReportCapacity, 1032);
    EXPECT_EQ(report.Points(), 513);
    EXPECT_EQ(report.Allocate(3), kNoErr);
    EXPECT_EQ(report.mnReportCapacity, 8);
    EXPECT_EQ(report.Points(), 0);
    EXPECT_EQ(report.Clear(), kNoErr);
    EXPECT_EQ(report.AllocateMore(20), kNoErr);  // no storage: Allocate(max(20, 8))
    EXPECT_EQ(report.mnReportCapacity, 20);

    // Without a record size nothing can be stored.
    CReportBase sizeless(kTypeTest, 0, ".x");
    EXPECT_EQ(sizeless.Allocate(10), kErrBadArgument);
    EXPECT_EQ(sizeless.AllocateMore(10), kErrBadArgument);
    EXPECT_EQ(sizeless.AddNewReport(&s, 0), 0);

    // A growth beyond any count fails and keeps what is there.
    CReportBase huge(kTypeTest, sizeof(Sample), nullptr);
    huge.AddNewReport(&s, 0);
    EXPECT_EQ(huge.AllocateMore(2147483647L), kErrOutOfMemory);
    EXPECT_EQ(huge.Points(), 1);
    EXPECT_EQ(huge.mnReportCapacity, 512);
}

TEST(CReportBase, CopiesRecordsWithinBounds) {
    CReportBase report(kTypeTest, sizeof(Sample), nullptr);
    Sample full{7, 8, 9.5};
    Sample out{};
    // Empty report: the last record is nothing, and the output is zeroed.
    std::memset(&out, 0x5A, sizeof out);
    EXPECT_EQ(report.GetReport(-1, &out, 0), -1);
    EXPECT_EQ(out.time, 0u);
    EXPECT_EQ(out.extra, 0.0);

    // The bytes copied: the request, or the whole record for 0 or more.
    const struct {
        long size;
        uint32_t time, value;
        double extra;
    } cases[] = {
        {4, 7, 0, 0.0},
        {0, 7, 8, 9.5},
        {-3, 7, 8, 9.5},
        {1000, 7, 8, 9.5},
    };
    for (const auto& c : cases) {
        CReportBase r(kTypeTest, sizeof(Sample), nullptr);
        Sample before{1, 1, 1.0};
        r.AddNewReport(&before, 0);
        ASSERT_EQ(r.AddNewReport(&full, c.size), 2) << c.size;
        Sample got{};
        ASSERT_EQ(r.GetReport(-1, &got, 0), 0);
        EXPECT_EQ(got.time, c.time) << c.size;
        EXPECT_EQ(got.value, c.value) << c.size;
        EXPECT_EQ(got.extra, c.extra) << c.size;
    }

    EXPECT_EQ(report.AddNewReport(nullptr, 0), 0);
    ASSERT_EQ(report.AddNewReport(&full, 0), 1);
    EXPECT_EQ(report.GetReport(0, nullptr, 0), -1);
    std::memset(&out, 0x5A, sizeof out);
    EXPECT_EQ(report.GetReport(1, &out, 4), -1);  // only the asked-for bytes are zeroed
    EXPECT_EQ(out.time, 0u);
    EXPECT_NE(out.value, 0u);

    Sample changed{70, 80, 90.0};
    EXPECT_EQ(report.SetReport(1, &changed, 0), -1);
    EXPECT_EQ(report.SetReport(-2, &changed, 0), -1);
    EXPECT_EQ(report.SetReport(0, nullptr, 0), -1);
    ASSERT_EQ(report.GetReport(0, &out, 0), 0);
    EXPECT_EQ(out.time, 7u);
    EXPECT_EQ(report.SetReport(-1, &changed, 4), 0);
    ASSERT_EQ(report.GetReport(0, &out, 0), 0);
    EXPECT_EQ(out.time, 70u);
    EXPECT_EQ(out.value, 8u);
}

TEST(CReportBase, ClampsTheTableTimeStamp) {
    CReportBase report(kTypeTest, 8, nullptr);
    report.SetTimeStamp(kSunday2Mar2008);
    EXPECT_EQ(report.GetTimeStamp(), kSunday2Mar2008);
    const std::pair<double, unsigned long> cases[] = {
        {-5.0, 0}, {12.9, 12}, {5e9, 4294967295UL}, {4294967295.0, 4294967295UL}};
    for (const auto& [stamp, expected] : cases) {
        report.SetBtfTimeStamp1904(stamp);
        EXPECT_EQ(report.GetTimeStamp(), expected) << stamp;
    }
}

TEST(CReportBase, NamesWeekFiles) {
    CReportBase radial(kTypeRads, 8, ".rdt");
    struct Case {
        char typeChar;
        unsigned long site;
        unsigned long time;
        const char* extension;
        const char* expected;
    };
    const uint32_t midweek = kSunday2Mar2008 + 3 * kDay + 3600;  // Wednesday 5 March
    const Case cases[] = {
        {0, kSiteABCD, kSunday2Mar2008, ".hdt", "STAT_ABCD_2008_03_02.hdt"},
        {0, kSiteABCD, kSunday2Mar2008, "x", "STAT_ABCD_2008_03_02x.rdt"},
        {0, kSiteABCD, kSunday2Mar2008, nullptr, "STAT_ABCD_2008_03_02.rdt"},
        {0, kSiteABCD, kSunday2Mar2008, "", "STAT_ABCD_2008_03_02.rdt"},
        {'R', kSiteABCD, midweek, ".rdt", "STAR_ABCD_2008_03_05.rdt"},
        {0, 0, kSunday2Mar2008, ".rdt", "STAT_XXXX_2008_03_02.rdt"},  // no site at all
        {0, 0x41420943, kSunday2Mar2008, ".rdt", "STAT_AB_C_2008_03_02.rdt"},
        {0, kSiteABCD, 0 + 1, ".rdt", "STAT_ABCD_1904_01_01.rdt"},
    };
    for (const Case& c : cases) {
        char name[kReportFileNameSize];
        long length = radial.GetReportFileName(name, c.typeChar, c.site, c.time, c.extension);
        EXPECT_STREQ(name, c.expected);
        EXPECT_EQ(length, static_cast<long>(std::strlen(c.expected)));
    }

    // Site 0 takes the report's own site.
    char name[kReportFileNameSize];
    radial.mnBtfSiteCode = kSiteABCD;
    radial.GetReportFileName(name, 0, 0, kSunday2Mar2008, nullptr);
    EXPECT_STREQ(name, "STAT_ABCD_2008_03_02.rdt");

    // An extension longer than any name is cut, never overruns.
    std::string longExt = "." + std::string(1000, 'e');
    long length = radial.GetReportFileName(name, 0, kSiteABCD, kSunday2Mar2008, longExt.c_str());
    EXPECT_EQ(length, kReportFileNameSize - 1);
    EXPECT_EQ(std::strlen(name), static_cast<size_t>(kReportFileNameSize - 1));
}

TEST(CReportBase, WeekStartsOnSundayMidnight) {
    const struct {
        int year, month, day, hour, minute;
        long startYear, startMonth, startDay;
    } cases[] = {
        {2008, 6, 3, 12, 0, 2008, 6, 1},    // Tuesday
        {2008, 6, 2, 0, 0, 2008, 6, 1},     // Monday
        {2008, 6, 7, 23, 59, 2008, 6, 1},   // Saturday
        {2008, 6, 1, 0, 0, 2008, 6, 1},     // the Sunday itself
        {2008, 7, 1, 6, 0, 2008, 6, 29},    // Tuesday: back into June
        {2008, 3, 1, 10, 0, 2008, 2, 24},   // Saturday after a 29-day February
        {2009, 1, 2, 10, 0, 2008, 12, 28},  // back into the old year
        // Around the change to daylight saving time (second Sunday of March
        // 2008 in North America, last Sunday of March 2008 in Europe): the
        // week still starts at the Sunday's 00:00 wall-clock time.
        {2008, 3, 9, 3, 30, 2008, 3, 9},
        {2008, 3, 11, 12, 0, 2008, 3, 9},
        {2008, 3, 8, 23, 0, 2008, 3, 2},
        {2008, 3, 31, 1, 0, 2008, 3, 30},
        {2008, 11, 2, 1, 30, 2008, 11, 2},  // the hour that happens twice
    };
    for (const auto& c : cases) {
        XCalendarDate in{c.year, c.month, c.day, c.hour, c.minute, 7, 0};
        unsigned long start =
            CReportBase::GetWeekStart(static_cast<unsigned long>(PlatformDateToSeconds(in)));
        XCalendarDate out{};
        PlatformSecondsToDate(start, &out);
        EXPECT_EQ(out.year, c.startYear) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(out.month, c.startMonth) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(out.day, c.startDay) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(out.hour * 3600 + out.minute * 60 + out.second, 0);
        EXPECT_EQ(out.dayOfWeek, 0);
    }
    EXPECT_EQ(CReportBase::GetWeekStart(kSunday2Mar2008 + 4 * kDay + 5), kSunday2Mar2008);
    // 1904 began on a Friday: its week starts before the clock does.
    EXPECT_EQ(CReportBase::GetWeekStart(0), 0u);
}

TEST(CReportBase, AcceptsOnlyItsOwnKindOfFile) {
    const struct {
        unsigned long reportType, type, subType;
        long expected;
    } cases[] = {
        {kTypeRads, kTypeDIAG, kTypeRads, 0},
        {kTypeRads, kTypeDIAG, kTypeRcvr, 1000},
        {kTypeRads, kTypeLLUV, kTypeRads, 1000},
        {0, kTypeDIAG, kTypeRcvr, 0},
        {0, kTypeLLUV, 0, 1000},
    };
    for (const auto& c : cases) {
        CReportBase report(c.reportType, 8, nullptr);
        EXPECT_EQ(report.ValidateFileType(c.type, c.subType), c.expected);
    }

    // The receiver's week file is refused before anything is read; the site
    // is taken only from a file of the report's own kind.
    const struct {
        const char* name;
        const char* text;  // none: no file
        long result;
    } files[] = {
        {"absent.rdt", nullptr, kErrNotFound},
        {"receiver.hdt", "%FileType: DIAG rcvr\n%Site: WXYZ\n", kErrBadArgument},
        {"plain.txt", "just text\n\x01\x02\xff\n", kBtfErrNoFileType},
        {"ours.rdt", "%FileType: DIAG rads\n%Site: WXYZ\n", kNoErr},
    };
    CTestFolder dir;
    CReportBase radial(kTypeRads, 8, ".rdt");
    for (const auto& f : files) {
        CFileSpec file = SpecOf(f.text ? dir.Write(f.name, f.text) : dir.File(f.name));
        EXPECT_EQ(radial.ReadReportFile(&file), f.result) << f.name;
        EXPECT_EQ(radial.mnBtfSiteCode == 0x5758595Au, f.result == kNoErr) << f.name;
    }
}

// The header lines of a base report with no table, stamped 2008-03-02.
std::string ExpectedHeader(const char* uuid) {
    return std::string(
               "%BTF: 1.00\n"
               "%FileType: DIAG test \"Tesmara Report\"\n"
               "%Owner: Brenvik Marine\n"
               "%Site: ABCD \"\"\n"
               "%TimeStamp: 2008 03 02  00 00 00\n"
               "%UUID: ") +
           uuid + "\n%%\n%ProcessedTimeStamp: ";
}

TEST(CReportBase, ReplacesWeekFileThroughNewFile) {
    CTestFolder dir;
    const std::string path = dir.File("STAT_ABCD_2008_03_02.gdt");
    CReportBase report(kTypeTest, 8, nullptr);
    report.mnBtfSiteCode = kSiteABCD;
    report.SetTimeStamp(kSunday2Mar2008);
    report.SetBtfUUIDFromString("00000000-0000-4000-8000-000000000001");
    CFileSpec target = SpecOf(path);

    // A new file is written directly.
    ASSERT_EQ(report.WriteReportFile(&target), kNoErr);
    std::string first = ReadAll(path);
    EXPECT_EQ(first.substr(0, ExpectedHeader("00000000-0000-4000-8000-000000000001").size()),
              ExpectedHeader("00000000-0000-4000-8000-000000000001"));
    EXPECT_EQ(first.substr(first.size() - 6), "%End:\n");
    EXPECT_EQ(Count(dir), 1u);

    // Writing again keeps the name; the old contents are gone, and so is the
    // ".new" file they passed through.
    report.SetBtfUUIDFromString("00000000-0000-4000-8000-000000000002");
    ASSERT_EQ(report.WriteReportFile(nullptr), kNoErr);
    std::string second = ReadAll(path);
    EXPECT_EQ(second.substr(0, ExpectedHeader("00000000-0000-4000-8000-000000000002").size()),
              ExpectedHeader("00000000-0000-4000-8000-000000000002"));
    EXPECT_EQ(Count(dir), 1u);
    EXPECT_FALSE(fs::exists(path + ".new"));
    EXPECT_EQ(report.mPath, path);
}

TEST(CReportBase, FailedWriteKeepsTheWeekFile) {
    CTestFolder dir;
    const std::string path = dir.File("STAT_ABCD_2008_03_02.gdt");
    const std::string earlier = "%FileType: DIAG test\n%TableType: test tst1\n 1 2 3\n";
    dir.Write("STAT_ABCD_2008_03_02.gdt", earlier);
    // The ".new" name is taken by a folder, so the new contents cannot be
    // written (root ignores read-only folders; a full disk fails the same way).
    fs::create_directory(path + ".new");

    CReportBase report(kTypeTest, 8, nullptr);
    report.mnBtfSiteCode = kSiteABCD;
    CFileSpec target = SpecOf(path);
    EXPECT_NE(report.WriteReportFile(&target), kNoErr);
    EXPECT_EQ(ReadAll(path), earlier);
    EXPECT_TRUE(fs::is_directory(path + ".new"));
    EXPECT_EQ(Count(dir), 2u);  // nothing half-written left behind
    EXPECT_EQ(report.mPath, path);
}

TEST(CReportBase, ZeroTimeStampIsWrittenAs1904) {
    // The rows count seconds from the stamp, so 0 must not come out as "now".
    CTestFolder dir;
    CReportBase report(kTypeTest, 8, nullptr);
    report.SetTimeStamp(0);
    CFileSpec target = SpecOf(dir.File("zero.gdt"));
    ASSERT_EQ(report.WriteReportFile(&target), kNoErr);
    EXPECT_NE(ReadAll(dir.File("zero.gdt")).find("\n%TimeStamp: 1904 01 01  00 00 00\n"),
              std::string::npos);
    CReportBase back(kTypeTest, 8, nullptr);
    ASSERT_EQ(back.ReadReportFile(&target), kNoErr);
    EXPECT_EQ(back.GetTimeStamp(), 0u);
}

}  // namespace
