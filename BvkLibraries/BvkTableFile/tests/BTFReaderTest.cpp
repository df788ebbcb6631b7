#include "BTFReader.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "../../BvkUtils/tests/UtilsTestFiles.h"
#include "BvkErrors.h"
#include "cStrConv.h"

namespace {

std::string CodeText(unsigned long code) {
    char text[8];
    CStrConv::CharCodeToString(text, code);
    return text;
}

using Calls = std::vector<std::string>;

// The notes, each as "kind line text".
Calls Notes(BTFReader& reader) {
    Calls notes;
    unsigned long kind = 0;
    double line = 0;
    char text[64];
    while (reader.GetBtfNoteAtIndex(static_cast<long>(notes.size()), &kind, &line, text,
                                    sizeof(text)) >= 0)
        notes.push_back(CodeText(kind) + " " + std::to_string(static_cast<int>(line)) + " " + text);
    return notes;
}

// Writes down every callback it receives, as "what detail"; the table start
// also lists the column types known at that moment.
class RecordingReader : public BTFReader {
  public:
    Calls calls;
    std::string written;  // lines written through this object
    long keywordResult = 1, validateResult = 0, startingResult = 0;
    int failAtRow = 0;  // ProcessTableRow returns -7 on this row (1-based)
    int rows = 0;

    long WriteFile(const char* text, long length) override {
        written.append(text, static_cast<size_t>(length));
        return kNoErr;
    }
    long ValidateFileType(unsigned long type, unsigned long subType) override {
        return Call("validate " + CodeText(type) + " " + CodeText(subType), validateResult);
    }
    long ProcessKeyword(unsigned long code, char* value) override {
        return Call("key " + CodeText(code) + "|" + value, keywordResult);
    }
    long ProcessTableRow(char* row) override {
        Call("row " + std::to_string(mnTableIndex) + "|" + row, 0);
        return ++rows == failAtRow ? -7 : kNoErr;
    }
    long ProcessBadLine(char* line) override { return Call(std::string("badline|") + line, 0); }
    long ProcessBadKeyword(char* text) override { return Call(std::string("badkey|") + text, 0); }
    long ProcessComment(char* text) override { return Call(std::string("comment|") + text, 0); }
    long PreTableStart(long index) override { return Call("pre " + std::to_string(index), 0); }
    long TableStarting(long index) override {
        std::string call = "start " + std::to_string(index);
        for (const uint32_t* type = mnColumnTypes; *type != 0; ++type) {
            call += ' ';
            call += CodeText(*type);
        }
        return Call(call, startingResult);
    }
    long UnhandledKeyword(char* name, char* value) override {
        return Call(std::string("unhandled ") + name + "|" + value, 1);
    }
    long TableEnd() override {
        Call("end " + std::to_string(mnTableIndex), 0);
        return BTFReader::TableEnd();
    }

  private:
    long Call(const std::string& what, long result) {
        calls.push_back(what);
        return result;
    }
};

// Reads `bytes` as a table file through `reader`.
long ReadText(const std::string& bytes, RecordingReader& reader, long skipRows = 0,
              long maxLines = 0) {
    TempFolder folder;
    WriteBytes(folder / "in.btf", bytes);
    CFileSpec spec = SpecOf(folder / "in.btf");
    return reader.ProcessBTFile(&spec, skipRows, maxLines);
}

}  // namespace

TEST(BTFReader, ReadsTheWrittenFileBack) {
    RecordingReader r;
    CFileSpec spec = SpecOf(BVK_TEST_DATA_DIR "/written.btf");
    ASSERT_EQ(r.ProcessBTFile(&spec, 0, 0), kNoErr);
    const Calls expected = {
        "key BTF_| 1.00", "validate LLUV RDM1", "key ftyp| LLUV RDM1 \"Radial Map\"",
        "key timk| center", "key tist| 2021 07 01  12 00 00",
        "key tizn| \"PST\" -7.000 1 \"America/Los_Angeles\"",
        "key uuid| 01234567-89AB-CDEF-0123-456789ABCDEF", "key site| HATY \"Hat Island\"",
        "key orig|  37.5000000 -122.2500000", "key tico| 75.000 Minutes", "key note| first note",
        // "Mark" is the keyword 'mark', not a note: nobody handles it.
        "key mark| a remark", "unhandled Mark| a remark", "key warn| careful: \"quoted\"",
        "comment| hello", "key ucom| a\\rb\\nc\\x09d\\\\e\x7f\xe9\xa1", "pre 1",
        "key ttyp| LLUV RDM1", "key cols| 3", "key ctyp| LOND LATD VELO ", "key rows| 2",
        "start 1 LOND LATD VELO", "key tbeg|", "row 1| -122.1 37.2 10.5", "row 1| -122.3 37.4 -3.0",
        "end 1", "key tend|",
        "key ttyp| rads",  // one code: no announcement yet
        "pre 2", "key cols| 2", "start 2", "key tbeg| 2", "row 2|1 2", "row 2|3 4", "end 2",
        "key tend| 2", "comment|", "key tidn| 2021 07 02  08 30 00",
        "key vpro| \"Quillmoor\" 1.2.3", "key vpro| \"Helper\" ", "key end_|"};
    EXPECT_EQ(r.calls, expected);
    EXPECT_EQ(r.mnLineCount, 33);
    EXPECT_EQ(r.mnCommentCount, 2);
    EXPECT_EQ(r.mnKeywordCount, 27);

    EXPECT_EQ(r.mnBtfFileType, BtfCode("LLUV"));
    EXPECT_EQ(r.mnBtfFileSubType, BtfCode("RDM1"));
    EXPECT_EQ(r.GetBtfTimeMark(), 0);
    EXPECT_EQ(r.GetBtfTimeStamp1904(), 3707985600.0);
    EXPECT_STREQ(r.GetBtfCityZone(), "America/Los_Angeles");
    EXPECT_EQ(r.GetBtfTimeZoneOffsetSeconds(), -25200);
    EXPECT_EQ(r.GetBtfTimeZoneDaylightSavings(), 1);

    EXPECT_EQ(Notes(r), (Calls{"note 10 first note", "warn 12 careful: \"quoted\"",
                               "ucom 14 a\\rb\\nc\\x09d\\\\e\x7f\xe9\xa1"}));
}

TEST(BTFReader, LineGrammarWithoutAFileType) {
    const std::pair<std::string, Calls> cases[] = {
        {"%%\n", {"comment|"}},
        {"% x\n", {"comment|x"}},
        {"%TableStart:\n% x\n", {"pre 1", "start 1", "key tbeg|", "row 1|x", "end 1"}},
        {"%File Type: x\n%FileType x\n%\n%:odd\n%Key-Name: 1\n%\xe9t\xe9: 2\n",
         {"badkey|File Type: x", "badkey|FileType x", "badkey|", "badline|%:odd",
          "badkey|Key-Name: 1", "badkey|\xe9t\xe9: 2"}},
        {"data line\n", {"pre 1", "start 1", "row 1|data line", "end 1"}},
        {"%TableType: AAAA BBBB\n%TableStart:\n",
         {"pre 1", "key ttyp| AAAA BBBB", "start 1", "key tbeg|", "end 1"}},
        {"%TableType: AAAA\n", {"key ttyp| AAAA"}},
        {"%Foo: bar\n", {"unhandled Foo| bar"}},
        // Rows of an announced table before its start.
        {"%TableRows: 3\n% note\nrow\n",
         {"pre 1", "key rows| 3", "comment|note", "row 0|row", "end 0"}},
        // Empty lines, line ends of all kinds, none at the end.
        {"\n\n%%a\r%%b\r\n%%c\n\r%%d", {"comment|a", "comment|b", "comment|c", "comment|d"}},
        // Tables are numbered 1, 2, 3 announced or not.
        {"x\n%TableEnd:\n%TableStart:\ny\n%TableEnd:\n%TableRows: 1\n%TableStart:\n",
         {"pre 1", "start 1", "row 1|x", "end 1", "key tend|", "pre 2", "start 2", "key tbeg|",
          "row 2|y", "end 2", "key tend|", "pre 3", "key rows| 1", "start 3", "key tbeg|",
          "end 3"}},
    };
    for (const auto& [text, calls] : cases) {
        SCOPED_TRACE(text);
        RecordingReader r;
        EXPECT_EQ(ReadText(text, r), kBtfErrNoFileType);
        EXPECT_EQ(r.calls, calls);
    }
}

TEST(BTFReader, DatesAndZones) {
    // 2001-01-01 to 2008-03-14 is 7 * 365 + 1 + 31 + 29 + 13 = 2,629 days.
    const double noon = 2629 * 86400.0 + 43200;
    const std::pair<const char*, double> cases[] = {
        {"2008 03 14  12 00 00", noon},
        {"2008-03-14T12:00:00", noon},
        {"08-03-14T12:00:30.5", noon + 30.5},
        // 1975 to 2001: 26 years with 7 leap days.
        {"75 01 01 00 00 00", -9497 * 86400.0},
        {"2008 3 14 12 0 0 XYZ 5.5 1", noon - 19800},
        // A known label decides over the hours; an abbreviation is one
        // offset whatever the season.
        {"2008 03 14 12 00 00 PST -7 1", noon + 8 * 3600},
        {"2008 03 14 12 00 00 America/Los_Angeles", noon + 7 * 3600},
        {"2008 03 14 12 00 00 GMT+8", noon - 8 * 3600},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_DOUBLE_EQ(BTFReader::StringToDate(text, nullptr, nullptr, nullptr), seconds) << text;
    double far =  // nonsense does not overflow
        BTFReader::StringToDate("1e300 1e300 -1e300 1e300 nan inf", nullptr, nullptr, nullptr);
    EXPECT_EQ(far, far);
    char label[32] = "junk";
    double hours = -99;
    long daylight = -99;
    BTFReader::StringToDate("2008 3 14 12 0 0 XYZ 5.5 1", label, &hours, &daylight);
    EXPECT_STREQ(label, "XYZ");
    EXPECT_EQ(hours, 5.5);
    EXPECT_EQ(daylight, 1);
    BTFReader::StringToDate("2008 3 14", label, &hours, &daylight);
    EXPECT_STREQ(label, "");
    EXPECT_EQ(daylight, 0);
    BTFReader::StringToDate(nullptr, nullptr, nullptr, nullptr);
}

TEST(BTFReader, TimeKeywords) {
    const std::pair<const char*, double> coverages[] = {
        {"5.000 Minutes", 300}, {"2 h", 7200}, {"30 s", 30}, {"1.5 Hours", 5400}, {"10", 600}};
    for (const auto& [text, seconds] : coverages) {
        RecordingReader r;
        ReadText(std::string("%TimeCoverage: ") + text + "\n", r);
        EXPECT_EQ(r.mdBtfTimeCoverageSeconds, seconds) << text;
    }
    const std::pair<const char*, long> marks[] = {{"end", 2}, {"start", -1}, {"  begin", 1}};
    for (const auto& [text, mark] : marks) {
        RecordingReader r;
        ReadText(std::string("%TimeMarks: ") + text + "\n", r);
        EXPECT_EQ(r.GetBtfTimeMark(), mark) << text;
    }
}

namespace {

// Days from 1904-01-01 to 2008-01-01: 104 years, 26 of them leap years
// (1904 ... 2004).
constexpr int64_t k2008Day = 104 * 365 + 26;
constexpr double k1904To2001 = 3061152000.0;

struct ZoneCase {
    const char* label;
    const char* city;
    double fileOffsetHours;  // what the metadata held before writing
    int dayOfYear;           // 2008 is a leap year: March 9 is day 68 (0-based)
    int hour;
    int minute;
    double hours;  // offset in force, worked out from the zone's rules
    long daylight;
    const char* writtenLabel;
};

std::string ZoneLine(const ZoneCase& c) {
    char line[200];
    std::snprintf(line, sizeof(line), "\"%s\" %+.03f %ld", c.writtenLabel, c.hours, c.daylight);
    std::string text = line;
    if (c.city[0]) text += std::string(" \"") + c.city + "\"";
    return text;
}

}  // namespace

// The zone written for a map's wall time is the one in force at the map's
// true instant, and reading the stamp and zone back gives that instant in
// whatever order the lines come, or with the zone inside the stamp line.
TEST(BTFReader, LocalTimeWrittenAndReadBackAcrossDaylightChanges) {
    ScopedTZ tz("America/Los_Angeles");
    std::vector<ZoneCase> cases;
    // US rules of 2008: daylight time from March 9 02:00 (02:00-02:59 does not
    // exist) to November 2 02:00 (01:00-01:59 happens twice).
    for (int hour = 0; hour <= 12; ++hour) {
        for (int day : {68, 306}) {
            cases.push_back({"PST", "", 0, day, hour, 0, -8, 0, "PST"});
            cases.push_back({"PDT", "", 0, day, hour, 0, -7, 1, "PDT"});
            bool daylight = day == 68 ? hour >= 3 : hour < 2;
            cases.push_back({"", "", 0, day, hour, 0, daylight ? -7.0 : -8.0, daylight ? 1 : 0,
                             daylight ? "PDT" : "PST"});
        }
    }
    const ZoneCase fixed[] = {
        // July 1: a station on standard time all year says PST.
        {"PST", "", 0, 182, 14, 0, -8, 0, "PST"},
        {"PDT", "", 0, 182, 14, 0, -7, 1, "PDT"},
        {"GMT+8", "", 0, 182, 14, 0, 8, 0, "GMT+8"},
        {"UTC-10", "", 0, 182, 14, 0, -10, 0, "UTC-10"},
        {"GMT", "", 0, 182, 14, 0, 0, 0, "GMT"},
        {"UTC", "", 0, 182, 14, 0, 0, 0, "UTC"},
        // Nobody knows this one: the offset the file had stays.
        {"XYZ", "", 5.5, 182, 14, 0, 5.5, 0, "XYZ"},
        {"No/Such_Zone", "Not/A_City", -2.5, 182, 14, 0, -2.5, 0, "No/Such_Zone"},
        // A city as the label. London 2008: BST from March 30 01:00 GMT (01:00-01:59
        // skipped). Sydney 2008: AEDT until April 6 03:00 (02:00-02:59 twice, the
        // first in daylight time).
        {"Europe/London", "", 0, 89, 1, 30, 0, 0, "Europe/London"},
        {"Europe/London", "", 0, 89, 2, 30, 1, 1, "Europe/London"},
        {"Australia/Sydney", "", 0, 96, 2, 30, 11, 1, "Australia/Sydney"},
        {"Australia/Sydney", "", 0, 96, 3, 30, 10, 0, "Australia/Sydney"},
        // A city zone outranks the label.
        {"AEST", "Australia/Sydney", 0, 14, 12, 0, 11, 1, "AEST"},
    };
    cases.insert(cases.end(), std::begin(fixed), std::end(fixed));

    for (const auto& c : cases) {
        const double wall = ((k2008Day + c.dayOfYear) * 24.0 + c.hour) * 3600.0 + c.minute * 60.0;
        SCOPED_TRACE(std::string(c.label) + "|" + c.city + " day " + std::to_string(c.dayOfYear) +
                     " " + std::to_string(c.hour) + ":" + std::to_string(c.minute));
        RecordingReader w;
        w.SetBtfTimeZoneLabel(c.label, c.city);
        w.SetBtfTimeZoneOffsetSeconds(c.fileOffsetHours * 3600.0);
        w.WriteTimeStamp(static_cast<unsigned long>(wall));
        w.WriteTimeZone(static_cast<unsigned long>(wall));
        const std::string stampLine = w.written.substr(0, w.written.find('\n') + 1);
        const std::string zoneLine = w.written.substr(stampLine.size());
        EXPECT_EQ(zoneLine, "%TimeZone: " + ZoneLine(c) + "\n");

        std::vector<std::string> texts = {stampLine + zoneLine, zoneLine + stampLine};
        if (c.city[0] == 0) {
            char inStamp[64];
            std::snprintf(inStamp, sizeof(inStamp), " %s %.3f %ld\n", c.writtenLabel, c.hours,
                          c.daylight);
            texts.push_back(stampLine.substr(0, stampLine.size() - 1) + inStamp);
        }
        for (const auto& text : texts) {
            RecordingReader r;
            ReadText(text, r);
            EXPECT_EQ(r.GetBtfTimeStamp1904(), wall) << text;
            EXPECT_EQ(r.GetBtfAbsoluteTime(), wall - k1904To2001 - c.hours * 3600.0) << text;
            EXPECT_EQ(r.GetBtfTimeZoneDaylightSavings(), c.daylight) << text;
            EXPECT_STREQ(r.GetBtfTimeZone(), c.writtenLabel) << text;
        }
    }
}

TEST(BTFReader, OtherStandardKeywords) {
    RecordingReader r;
    ReadText(
        "%BTF: 2.50 extra\n%Site: ABCD \"Point Name\"\n%Origin: -12.5\t130.25\n"
        "%ProcessingTool: \"Some Tool\" 9.8\n%ProcessingTool: \"Some Tool\"\n"
        "%ProcessingTool: Other 1 2\n%UUID: 01234567-89ab-cdef-0123-456789abcdef trailing\n"
        "%TableType:\tLLUV\t RDM1\n%TableColumnTypes: \tLOND  LATD\tVEL\n",
        r);
    EXPECT_STREQ(r.mszBtfVersion, "2.50");
    EXPECT_EQ(r.mdBtfVersion, 2.5);
    EXPECT_EQ(r.mnBtfSiteCode, BtfCode("ABCD"));
    EXPECT_STREQ(r.mszBtfSiteName, "Point Name");
    EXPECT_EQ(r.mdBtfOriginLatitude, -12.5);
    EXPECT_EQ(r.mdBtfOriginLongitude, 130.25);
    EXPECT_STREQ(r.mszBtfToolNames[0], "Some Tool");
    EXPECT_STREQ(r.mszBtfToolVersions[0], "");  // the second line had no version
    EXPECT_STREQ(r.mszBtfToolNames[1], "Other");
    EXPECT_STREQ(r.mszBtfToolVersions[1], "1");
    EXPECT_NE(r.mpBtfUUID, nullptr);
    EXPECT_EQ(r.mnTableType, BtfCode("LLUV"));
    EXPECT_EQ(r.mnTableSubType, BtfCode("RDM1"));
    EXPECT_EQ(r.mnColumnTypes[1], BtfCode("LATD"));
    EXPECT_EQ(r.mnColumnTypes[2], 0x56454C00u);  // "VEL" fills from the top
    EXPECT_EQ(r.mnColumnTypes[3], 0u);

    ReadText("%UUID: 01234567-89ab\n%Site:\n", r);
    EXPECT_EQ(r.mpBtfUUID, nullptr);
    EXPECT_EQ(r.mnBtfSiteCode, 0u);
}

TEST(BTFReader, NotesKeepTheirLineAndLoseOneBlank) {
    RecordingReader r;
    ReadText(std::string(11, '\n') + "%Note: hello\n%Remark:  two\n%Warning:x\n%Copyright: c\n", r);
    EXPECT_EQ(Notes(r), (Calls{"note 12 hello", "rema 13  two", "warn 14 x", "crit 15 c"}));
    // The next read starts from nothing.
    ReadText("%Bookmark: b\n", r);
    EXPECT_EQ(r.mnBtfFileType, 0u);
    EXPECT_EQ(Notes(r), (Calls{"book 1 b"}));
}

TEST(BTFReader, CallbackResultsSteerTheRead) {
    const std::string text = "%filetype: ABCD\n%TableStart:\na\nb\nc\n%Site: SITE\n";
    const Calls opening = {"validate ABCD ", "key ftyp| ABCD", "pre 1", "start 1", "key tbeg|"};
    auto with = [&opening](Calls more) {
        Calls all = opening;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    RecordingReader failingRow;  // stops the read; the table is still closed
    failingRow.failAtRow = 2;
    EXPECT_EQ(ReadText(text, failingRow), -7);
    EXPECT_EQ(failingRow.calls, with({"row 1|a", "row 1|b", "end 1"}));

    RecordingReader refused;  // a refused file type gives -50
    refused.validateResult = 3;
    EXPECT_EQ(ReadText(text, refused), kErrBadArgument);
    EXPECT_EQ(refused.calls.size(), 2u);

    RecordingReader failingStart;
    failingStart.startingResult = -3;
    EXPECT_EQ(ReadText(text, failingStart), -3);
    EXPECT_EQ(failingStart.calls.back(), "end 1");

    RecordingReader skipping;
    EXPECT_EQ(ReadText(text, skipping, 1), kNoErr);
    EXPECT_EQ(skipping.calls, with({"key site| SITE", "end 1"}));

    RecordingReader five;
    EXPECT_EQ(ReadText(text, five, 0, 5), kNoErr);
    EXPECT_EQ(five.calls, with({"row 1|a", "row 1|b", "row 1|c", "end 1"}));

    RecordingReader r;  // a keyword answered 2 is also unhandled; negative stops
    r.keywordResult = 2;
    EXPECT_EQ(ReadText("%Site: SITE\n%FileType: ABCD\n", r), kNoErr);
    EXPECT_EQ(r.calls, (Calls{"key site| SITE", "unhandled Site| SITE", "validate ABCD ",
                              "key ftyp| ABCD", "unhandled FileType| ABCD"}));
    r.keywordResult = -9;
    EXPECT_EQ(ReadText("%Site: SITE\n%FileType: ABCD\n", r), -9);
}

TEST(BTFReader, EveryLineTheWriterWritesReadsBackWhole) {
    // The longest keyword name that fits, a middling one, a short one, each with
    // a value far longer than a line; then the longest comment and row.
    RecordingReader r;
    const std::string names[] = {std::string(4093, 'K'), std::string(300, 'K'), "K"};
    for (const std::string& name : names)
        EXPECT_EQ(r.WriteKeyword(name.c_str(), std::string(9000, 'v').c_str()), kNoErr);
    EXPECT_EQ(r.WriteKeyword(std::string(4094, 'K').c_str(), "v"), kErrBadArgument);
    r.WriteComment(std::string(9000, 'c').c_str());
    r.WriteTableRow(std::string(9000, 'r').c_str());
    const std::string written = r.written;
    ReadText(written, r);
    // One callback per line written; a table opens only for the row.
    const std::string key(32, 'K');
    EXPECT_EQ(r.calls,
              (Calls{"unhandled " + key + "|", "unhandled " + key + "| " + std::string(3792, 'v'),
                     "unhandled K| " + std::string(4091, 'v'), "comment| " + std::string(4092, 'c'),
                     "pre 1", "start 1", "row 1| " + std::string(4092, 'r'), "end 1"}));
}

TEST(BTFReader, HostileInput) {
    RecordingReader r;
    CFileSpec spec = SpecOf("/nonexistent-folder-for-btf/none.btf");
    EXPECT_EQ(r.ProcessBTFile(&spec, 0, 0), kErrNotFound);
    EXPECT_EQ(ReadText("", r), kBtfErrNoFileType);
    EXPECT_TRUE(r.calls.empty());

    // A 1 MB line arrives in pieces of 4,096 characters.
    EXPECT_EQ(ReadText(std::string(1 << 20, 'x') + "\n", r), kBtfErrNoFileType);
    EXPECT_EQ(r.rows, 256);
    EXPECT_EQ(r.calls[2], "row 1|" + std::string(4096, 'x'));

    RecordingReader nul;  // NUL bytes end lines; other bytes pass through
    ReadText(std::string("%Note: a\0%Note: b\n\x01\x80\xff\xfe\n", 23), nul);
    EXPECT_EQ(Notes(nul), (Calls{"note 1 a", "note 2 b"}));
    EXPECT_EQ(nul.calls.at(nul.calls.size() - 2), "row 1|\x01\x80\xff\xfe");

    // A file cut in the middle of a row.
    std::string whole = ReadBytes(BVK_TEST_DATA_DIR "/written.btf");
    RecordingReader cut;
    EXPECT_EQ(ReadText(whole.substr(0, whole.find(" -122.3 37.4") + 12), cut), kNoErr);
    EXPECT_EQ(cut.calls.at(cut.calls.size() - 2), "row 1| -122.3 37.4");

    RecordingReader longName;  // cut to 32 characters, and so unknown
    ReadText("%" + std::string(100, 'N') + ": v\n", longName);
    EXPECT_EQ(longName.calls, (Calls{"unhandled " + std::string(32, 'N') + "| v"}));

    RecordingReader counts;  // 500 column types keep the first 128; huge counts
    std::string columns = "%TableColumnTypes:";
    for (int i = 0; i < 500; ++i) columns += " C" + std::to_string(100 + i % 900);
    ReadText("%TableColumns: 99999999999\n%TableRows: -5\n" + columns + "\n", counts);
    EXPECT_EQ(counts.mnColumnTypes[127], BtfCode("C227"));
    EXPECT_EQ(counts.mnColumnTypes[128], 0u);
    EXPECT_EQ(counts.mnTableColumns, -1);  // the 32-bit pattern of the clamped value
    EXPECT_EQ(counts.mnTableRows, -5);
}

// Line ends are found the same wherever they fall in the file: a CR LF pair
// split by the reader's block boundary (64 KiB) is one line end, a line of
// exactly 4,096 characters leaves its line end as an empty line, and every
// kind of line end is taken.
TEST(BTFReader, LineEndsAnywhereInALargeFile) {
    std::string text;
    const char* ends[] = {"\r\n", "\n", "\r", "\n\r"};
    int rowCount = 0;
    // Rows of 7 to 20 characters with their ends, so that some pair
    // straddles every few kilobytes, the block boundary among them, and a
    // line end falls at every place of an eight-byte word.
    while (text.size() < 70000) {
        ++rowCount;
        text += " r" + std::string(static_cast<size_t>(5 + rowCount % 14), 'a' + rowCount % 26);
        text += ends[rowCount % 4];
    }
    const std::string exact(4096, 'z');
    text += exact + "\n";
    RecordingReader r;
    ReadText(text, r);
    EXPECT_EQ(r.rows, rowCount + 1);
    EXPECT_EQ(r.mnLineCount, rowCount + 2);  // the line end after 4,096 characters
    EXPECT_EQ(r.calls.at(r.calls.size() - 2), "row 1|" + exact);
    const int last = rowCount;
    EXPECT_EQ(r.calls.at(r.calls.size() - 3),
              "row 1| r" + std::string(static_cast<size_t>(5 + last % 14), 'a' + last % 26));
}
