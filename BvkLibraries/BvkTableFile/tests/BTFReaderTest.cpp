#include "BTFReader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BtfTestFiles.h"
#include "BvkErrors.h"
#include "cStrConv.h"

namespace {

constexpr double kI = 3061152000.0;  // 1904-01-01 to 2001-01-01

std::string CodeText(unsigned long code) {
    char text[8];
    CStrConv::CharCodeToString(text, code);
    return text;
}

// Writes down every callback it receives, as "what detail".
class RecordingReader : public BTFReader {
  public:
    std::vector<std::string> calls;
    std::vector<uint32_t> firstTableColumns;
    std::string written;  // lines written through this object
    long keywordResult = 1;
    long validateResult = 0;
    long startingResult = 0;
    int failAtRow = 0;  // ProcessTableRow returns -7 on this row (1-based)
    int rows = 0;

    long WriteFile(const char* text, long length) override {
        written.append(text, static_cast<size_t>(length));
        return kNoErr;
    }
    long ValidateFileType(unsigned long type, unsigned long subType) override {
        calls.push_back("validate " + CodeText(type) + " " + CodeText(subType));
        return validateResult;
    }
    long ProcessKeyword(unsigned long code, char* value) override {
        calls.push_back("key " + CodeText(code) + "|" + value);
        return keywordResult;
    }
    long ProcessTableRow(char* row) override {
        calls.push_back("row " + std::to_string(mnTableIndex) + "|" + row);
        return ++rows == failAtRow ? -7 : kNoErr;
    }
    long ProcessBadLine(char* line) override {
        calls.push_back(std::string("badline|") + line);
        return kNoErr;
    }
    long ProcessBadKeyword(char* text) override {
        calls.push_back(std::string("badkey|") + text);
        return kNoErr;
    }
    long ProcessComment(char* text) override {
        calls.push_back(std::string("comment|") + text);
        return kNoErr;
    }
    long PreTableStart(long index) override {
        calls.push_back("pre " + std::to_string(index));
        return kNoErr;
    }
    long TableStarting(long index) override {
        calls.push_back("start " + std::to_string(index));
        if (index == 1)
            firstTableColumns.assign(mnColumnTypes, mnColumnTypes + kBtfMaxColumnTypes + 1);
        return startingResult;
    }
    long UnhandledKeyword(char* name, char* value) override {
        calls.push_back(std::string("unhandled ") + name + "|" + value);
        return 1;
    }
    long TableEnd() override {
        calls.push_back("end " + std::to_string(mnTableIndex));
        return BTFReader::TableEnd();
    }
};

// Reads `bytes` as a table file through `reader`.
long ReadText(const std::string& bytes, RecordingReader& reader, long skipRows = 0,
              long maxLines = 0) {
    TempFolder folder;
    const std::string path = folder.File("in.btf");
    WriteBytes(path, bytes);
    CFileSpec spec;
    spec.SetFileSpec(path.c_str());
    return reader.ProcessBTFile(&spec, skipRows, maxLines);
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(BTFReader, ReadsTheWrittenFileBack) {
    RecordingReader r;
    CFileSpec spec;
    spec.SetFileSpec(BVK_TEST_DATA_DIR "/written.btf");
    ASSERT_EQ(r.ProcessBTFile(&spec, 0, 0), kNoErr);
    const Calls expected = {
        "key BTF_| 1.00",
        "validate LLUV RDM1",
        "key ftyp| LLUV RDM1 \"Radial Map\"",
        "key timk| center",
        "key tist| 2021 07 01  12 00 00",
        "key tizn| \"PST\" -7.000 1 \"America/Los_Angeles\"",
        "key uuid| 01234567-89AB-CDEF-0123-456789ABCDEF",
        "key site| HATY \"Hat Island\"",
        "key orig|  37.5000000 -122.2500000",
        "key tico| 75.000 Minutes",
        "key note| first note",
        // "Mark" is the keyword 'mark', not a note: nobody handles it.
        "key mark| a remark",
        "unhandled Mark| a remark",
        "key warn| careful: \"quoted\"",
        "comment| hello",
        "key ucom| a\\rb\\nc\\x09d\\\\e\x7f\xe9\xa1",
        "pre 1",
        "key ttyp| LLUV RDM1",
        "key cols| 3",
        "key ctyp| LOND LATD VELO ",
        "key rows| 2",
        "start 1",
        "key tbeg|",
        "row 1| -122.1 37.2 10.5",
        "row 1| -122.3 37.4 -3.0",
        "end 1",
        "key tend|",
        "key ttyp| rads",  // one code: no announcement yet
        "pre 2",
        "key cols| 2",
        "start 2",
        "key tbeg| 2",
        "row 2|1 2",
        "row 2|3 4",
        "end 2",
        "key tend| 2",
        "comment|",
        "key tidn| 2021 07 02  08 30 00",
        "key vpro| \"Quillmoor\" 1.2.3",
        "key vpro| \"Helper\" ",
        "key end_|",
    };
    EXPECT_EQ(r.calls, expected);

    EXPECT_EQ(r.mnLineCount, 33);
    EXPECT_EQ(r.mnCommentCount, 2);
    EXPECT_EQ(r.mnKeywordCount, 27);
    EXPECT_EQ(r.mnTableIndex, 2);
    EXPECT_EQ(r.mnTableOpen, 0);
    EXPECT_EQ(r.mnTableType, BtfCode("rads"));
    EXPECT_EQ(r.mnTableColumns, 2);
    ASSERT_EQ(r.firstTableColumns.size(), 129u);
    EXPECT_EQ(r.firstTableColumns[0], BtfCode("LOND"));
    EXPECT_EQ(r.firstTableColumns[1], BtfCode("LATD"));
    EXPECT_EQ(r.firstTableColumns[2], BtfCode("VELO"));
    EXPECT_EQ(r.firstTableColumns[3], 0u);

    EXPECT_STREQ(r.mszBtfVersion, "1.00");
    EXPECT_EQ(r.mdBtfVersion, 1.0);
    EXPECT_EQ(r.mnBtfFileType, BtfCode("LLUV"));
    EXPECT_EQ(r.mnBtfFileSubType, BtfCode("RDM1"));
    EXPECT_EQ(r.GetBtfTimeMark(), 0);
    EXPECT_EQ(r.GetBtfTimeStamp1904(), 3707985600.0);
    EXPECT_STREQ(r.GetBtfTimeZone(), "PST");
    EXPECT_STREQ(r.GetBtfCityZone(), "America/Los_Angeles");
    EXPECT_EQ(r.GetBtfTimeZoneOffsetSeconds(), -25200);
    EXPECT_EQ(r.GetBtfTimeZoneDaylightSavings(), 1);
    char uuid[40];
    r.GetBtfUUIDString(uuid, sizeof(uuid));
    EXPECT_STREQ(uuid, "01234567-89AB-CDEF-0123-456789ABCDEF");
    EXPECT_EQ(r.mnBtfSiteCode, BtfCode("HATY"));
    EXPECT_STREQ(r.mszBtfSiteName, "Hat Island");
    EXPECT_EQ(r.mdBtfOriginLatitude, 37.5);
    EXPECT_EQ(r.mdBtfOriginLongitude, -122.25);
    EXPECT_EQ(r.mdBtfTimeCoverageSeconds, 4500);
    EXPECT_STREQ(r.mszBtfToolNames[0], "Quillmoor");
    EXPECT_STREQ(r.mszBtfToolVersions[0], "1.2.3");
    EXPECT_STREQ(r.mszBtfToolNames[1], "Helper");
    EXPECT_STREQ(r.mszBtfToolVersions[1], "");

    struct {
        const char* kind;
        double line;
        std::string text;
    } const notes[] = {
        {"note", 10, "first note"},
        {"warn", 12, "careful: \"quoted\""},
        {"ucom", 14, "a\\rb\\nc\\x09d\\\\e\x7f\xe9\xa1"},
    };
    for (long i = 0; i < 3; ++i) {
        unsigned long kind = 0;
        double line = 0;
        char text[64];
        ASSERT_EQ(r.GetBtfNoteAtIndex(i, &kind, &line, text, sizeof(text)), i);
        EXPECT_EQ(CodeText(kind), notes[i].kind);
        EXPECT_EQ(line, notes[i].line);
        EXPECT_EQ(text, notes[i].text);
    }
    EXPECT_EQ(r.GetBtfNoteAtIndex(3, nullptr, nullptr, nullptr, 0), -1);
}

TEST(BTFReader, LineGrammar) {
    struct {
        const char* name;
        std::string text;
        long result;
        Calls calls;
    } const cases[] = {
        {"empty comment", "%%\n", 1000, {"comment|"}},
        {"blank comment outside a table", "% x\n", 1000, {"comment|x"}},
        {"blank comment inside table 1 is a row",
         "%TableStart:\n% x\n",
         1000,
         {"pre 1", "start 1", "key tbeg|", "row 1|x", "end 1"}},
        {"bad keywords and lines",
         "%File Type: x\n%FileType x\n%\n%:odd\n%Key-Name: 1\n%\xe9t\xe9: 2\n",
         1000,
         {"badkey|File Type: x", "badkey|FileType x", "badkey|", "badline|%:odd",
          "badkey|Key-Name: 1", "badkey|\xe9t\xe9: 2"}},
        {"names ignore case",
         "%filetype: ABCD EFGH\n",
         0,
         {"validate ABCD EFGH", "key ftyp| ABCD EFGH"}},
        {"a data line opens a table",
         "data line\n",
         1000,
         {"pre 1", "start 1", "row 1|data line", "end 1"}},
        {"two codes announce",
         "%TableType: AAAA BBBB\n%TableStart:\n",
         1000,
         {"pre 1", "key ttyp| AAAA BBBB", "start 1", "key tbeg|", "end 1"}},
        {"one code does not announce", "%TableType: AAAA\n", 1000, {"key ttyp| AAAA"}},
        {"unknown keyword", "%Foo: bar\n", 1000, {"unhandled Foo| bar"}},
        {"rows of an announced table before its start",
         "%TableRows: 3\n% note\nrow\n",
         1000,
         {"pre 1", "key rows| 3", "comment|note", "row 0|row", "end 0"}},
        {"line ends of all kinds",
         std::string("%%a\r%%b\r\n%%c\n\r%%d"),
         1000,
         {"comment|a", "comment|b", "comment|c", "comment|d"}},
        {"empty lines are only counted", "\n\n%%\n", 1000, {"comment|"}},
        {"tables are numbered 1, 2, 3 announced or not",
         "x\n%TableEnd:\n%TableStart:\ny\n%TableEnd:\n%TableRows: 1\n%TableStart:\n",
         1000,
         {"pre 1", "start 1", "row 1|x", "end 1", "key tend|", "pre 2", "start 2", "key tbeg|",
          "row 2|y", "end 2", "key tend|", "pre 3", "key rows| 1", "start 3", "key tbeg|",
          "end 3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingReader r;
        EXPECT_EQ(ReadText(c.text, r), c.result);
        EXPECT_EQ(r.calls, c.calls);
    }
}

TEST(BTFReader, LineCountsIncludeEmptyLines) {
    RecordingReader r;
    ReadText("\n\n%%\n%FileType: ABCD\n", r);
    EXPECT_EQ(r.mnLineCount, 4);
    EXPECT_EQ(r.mnCommentCount, 1);
    EXPECT_EQ(r.mnKeywordCount, 1);
}

TEST(BTFReader, TableTypeAndColumnTypes) {
    RecordingReader r;
    ReadText("%TableType: AAAA\n", r);
    EXPECT_EQ(r.mnTableType, BtfCode("AAAA"));
    EXPECT_EQ(r.mnTableSubType, 0u);
    EXPECT_EQ(r.mnTableOpen, 0);

    ReadText("%TableType:\tLLUV\t RDM1\n%TableColumnTypes: \tLOND  LATD\tVEL\n", r);
    EXPECT_EQ(r.mnTableType, BtfCode("LLUV"));
    EXPECT_EQ(r.mnTableSubType, BtfCode("RDM1"));
    EXPECT_EQ(r.mnColumnTypes[0], BtfCode("LOND"));
    EXPECT_EQ(r.mnColumnTypes[1], BtfCode("LATD"));
    EXPECT_EQ(r.mnColumnTypes[2], 0x56454C00u);  // "VEL" fills from the top
    EXPECT_EQ(r.mnColumnTypes[3], 0u);
    EXPECT_EQ(r.mnTableOpen, 0);  // announced, and closed by the end of the file
    EXPECT_EQ(r.calls.back(), "end 0");

    // The columns keyword starts a fresh list.
    ReadText("%TableColumnTypes: AAAA BBBB\n%TableColumns: 2\n", r);
    EXPECT_EQ(r.mnTableColumns, 2);
    EXPECT_EQ(r.mnColumnTypes[0], 0u);
}

TEST(BTFReader, DatesAndZones) {
    struct {
        const char* text;
        double seconds;  // since 2001-01-01 00:00 GMT
        const char* label;
        double hours;
        long daylight;
    } const cases[] = {
        // 2001-01-01 to 2008-03-14 is 7 * 365 + 1 + 31 + 29 + 13 = 2,629 days.
        {"2008 03 14  12 00 00", 2629 * 86400.0 + 43200, "", 0, 0},
        {"2008-03-14T12:00:00", 2629 * 86400.0 + 43200, "", 0, 0},
        {"08-03-14T12:00:30.5", 2629 * 86400.0 + 43230.5, "", 0, 0},
        {"07 01 01 00 00 00", 2191 * 86400.0, "", 0, 0},
        // 1975 to 2001: 26 years with 7 leap days.
        {"75 01 01 00 00 00", -9497 * 86400.0, "", 0, 0},
        {"2008 3 14 12 0 0 XYZ 5.5 1", 2629 * 86400.0 + 43200 - 19800, "XYZ", 5.5, 1},
        {"2008 03 14 12 00 00 XYZ 0 0", 2629 * 86400.0 + 43200, "XYZ", 0, 0},
        // The named zone decides over the hours: daylight time had started
        // on March 9th, so noon in Los Angeles is 19:00 GMT.
        {"2008 03 14 12 00 00 PST -8 0", 2629 * 86400.0 + 43200 + 7 * 3600, "PST", -8, 0},
        {"2008 03 14 12 00 00 \"Europe/Berlin\"", 2629 * 86400.0 + 43200 - 3600, "Europe/Berlin", 0,
         0},
        {"2008 03 14 12 00 00 GMT+8", 2629 * 86400.0 + 43200 - 8 * 3600, "GMT+8", 0, 0},
        // Around the spring changes of 2021 (days 7,377 and 7,391 after 2001).
        {"2021 03 14 01 30 00 America/Los_Angeles", 7377 * 86400.0 + 9.5 * 3600,
         "America/Los_Angeles", 0, 0},
        {"2021 03 14 03 30 00 America/Los_Angeles", 7377 * 86400.0 + 10.5 * 3600,
         "America/Los_Angeles", 0, 0},
        {"2021 03 28 01 30 00 Europe/Berlin", 7391 * 86400.0 + 0.5 * 3600, "Europe/Berlin", 0, 0},
        {"2021 03 28 03 30 00 Europe/Berlin", 7391 * 86400.0 + 1.5 * 3600, "Europe/Berlin", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        char label[32] = "junk";
        double hours = -99;
        long daylight = -99;
        EXPECT_DOUBLE_EQ(BTFReader::StringToDate(c.text, label, &hours, &daylight), c.seconds);
        EXPECT_STREQ(label, c.label);
        EXPECT_EQ(hours, c.hours);
        EXPECT_EQ(daylight, c.daylight);
    }
    // Outputs are optional and nonsense does not overflow.
    EXPECT_DOUBLE_EQ(BTFReader::StringToDate("2008 03 14 12 00 00", nullptr, nullptr, nullptr),
                     2629 * 86400.0 + 43200);
    double far =
        BTFReader::StringToDate("1e300 1e300 -1e300 1e300 nan inf", nullptr, nullptr, nullptr);
    EXPECT_EQ(far, far);
    BTFReader::StringToDate(nullptr, nullptr, nullptr, nullptr);
}

TEST(BTFReader, TimeKeywords) {
    struct {
        const char* line;
        double coverage;
        long mark;
    } const cases[] = {
        {"%TimeCoverage: 5.000 Minutes\n", 300, -1},
        {"%TimeCoverage: 2 h\n", 7200, -1},
        {"%TimeCoverage: 30 s\n", 30, -1},
        {"%TimeCoverage: 10\n", 600, -1},
        {"%TimeCoverage: 1.5 Hours\n", 5400, -1},
        {"%TimeMarks: end\n", 0, 2},
        {"%TimeMarks: start\n", 0, -1},
        {"%TimeMarks: center\n", 0, 0},
        {"%TimeMarks:   begin\n", 0, 1},
    };
    for (const auto& c : cases) {
        RecordingReader r;
        ReadText(c.line, r);
        EXPECT_EQ(r.mdBtfTimeCoverageSeconds, c.coverage) << c.line;
        EXPECT_EQ(r.GetBtfTimeMark(), c.mark) << c.line;
    }

    RecordingReader r;
    ReadText("%TimeStamp: 07 01 01  00 00 00\n", r);
    EXPECT_EQ(r.GetBtfTimeStamp1904(), 2191 * 86400.0 + kI);
    EXPECT_EQ(r.HasBtfTimeZone(), 0);

    // A zone in the stamp sets the label, the stated hours and flag.
    ReadText("%TimeStamp: 2008 03 14 12 00 00 PST -8 0\n", r);
    EXPECT_STREQ(r.GetBtfTimeZone(), "PST");
    EXPECT_EQ(r.GetBtfTimeZoneOffsetSeconds(), -28800);
    EXPECT_EQ(r.GetBtfAbsoluteTime(), 2629 * 86400.0 + 43200 + 7 * 3600);
}

TEST(BTFReader, TimeZoneKeywordAcrossDaylightChanges) {
    struct {
        const char* text;
        double offset;
        long daylight;
    } const cases[] = {
        {"%TimeStamp: 2021 01 15 12 00 00\n%TimeZone: \"PST\" -8.000 0 \"America/Los_Angeles\"\n",
         -28800, 0},
        {"%TimeStamp: 2021 07 01 12 00 00\n%TimeZone: \"PST\" -8.000 0 \"America/Los_Angeles\"\n",
         -25200, 1},
        {"%TimeStamp: 2021 01 15 12 00 00\n%TimeZone: \"CET\" +1.000 0\n", 3600, 0},
        {"%TimeStamp: 2021 07 01 12 00 00\n%TimeZone: \"CET\" +1.000 0\n", 7200, 1},
        // Nobody knows this zone: the stated offset stays.
        {"%TimeZone: \"XYZ\" +5.000 0\n", 18000, 0},
        {"%TimeZone: XYZ -3.5 1\n", -12600, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingReader r;
        ReadText(c.text, r);
        EXPECT_EQ(r.GetBtfTimeZoneOffsetSeconds(), c.offset);
        EXPECT_EQ(r.GetBtfTimeZoneDaylightSavings(), c.daylight);
    }
}

TEST(BTFReader, UnknownZoneSurvivesReadAndWrite) {
    RecordingReader r;
    ReadText("%FileType: TEST\n%TimeStamp: 2021 07 01 12 00 00\n%TimeZone: \"XYZ\" +5.000 0\n", r);
    r.WriteTimeZone(static_cast<unsigned long>(r.GetBtfTimeStamp1904()));
    EXPECT_EQ(r.written, "%TimeZone: \"XYZ\" +5.000 0\n");
}

TEST(BTFReader, OtherStandardKeywords) {
    RecordingReader r;
    ReadText(
        "%BTF: 2.50 extra\n"
        "%Site: ABCD \"Point Name\"\n"
        "%Origin: -12.5\t130.25\n"
        "%ProcessingTool: \"Some Tool\" 9.8\n"
        "%ProcessingTool: \"Some Tool\"\n"
        "%ProcessingTool: Other 1 2\n"
        "%UUID: 01234567-89ab-cdef-0123-456789abcdef trailing\n",
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
    char uuid[40];
    r.GetBtfUUIDString(uuid, sizeof(uuid));
    EXPECT_STREQ(uuid, "01234567-89AB-CDEF-0123-456789ABCDEF");

    ReadText("%UUID: 01234567-89ab\n%Site:\n", r);
    EXPECT_EQ(r.mpBtfUUID, nullptr);
    EXPECT_EQ(r.mnBtfSiteCode, 0u);
    EXPECT_STREQ(r.mszBtfSiteName, "");
}

TEST(BTFReader, NotesKeepTheirLineAndLoseOneBlank) {
    std::string text;
    for (int i = 1; i < 12; ++i) text += "%%\n";
    text += "%Note: hello\n%Remark:  two\n%Warning:x\n%Bookmark: b\n%Copyright: c\n";
    RecordingReader r;
    ReadText(text, r);
    struct {
        const char* kind;
        double line;
        const char* text;
    } const expected[] = {
        {"note", 12, "hello"}, {"rema", 13, " two"}, {"warn", 14, "x"},
        {"book", 15, "b"},     {"crit", 16, "c"},
    };
    for (long i = 0; i < 5; ++i) {
        unsigned long kind = 0;
        double line = 0;
        char note[16];
        ASSERT_EQ(r.GetBtfNoteAtIndex(i, &kind, &line, note, sizeof(note)), i);
        EXPECT_EQ(CodeText(kind), expected[i].kind);
        EXPECT_EQ(line, expected[i].line);
        EXPECT_STREQ(note, expected[i].text);
    }
}

TEST(BTFReader, CallbackResultsSteerTheRead) {
    const std::string text = "%FileType: ABCD\n%TableStart:\na\nb\nc\n%Site: SITE\n";
    {
        SCOPED_TRACE("a failing row stops the read; the table is still closed");
        RecordingReader r;
        r.failAtRow = 2;
        EXPECT_EQ(ReadText(text, r), -7);
        EXPECT_EQ(r.calls, (Calls{"validate ABCD ", "key ftyp| ABCD", "pre 1", "start 1",
                                  "key tbeg|", "row 1|a", "row 1|b", "end 1"}));
        EXPECT_EQ(r.mnLineCount, 4);
    }
    {
        SCOPED_TRACE("a refused file type stops the read with -50");
        RecordingReader r;
        r.validateResult = 3;
        EXPECT_EQ(ReadText(text, r), kErrBadArgument);
        EXPECT_EQ(r.calls.size(), 2u);
    }
    {
        SCOPED_TRACE("a failing table start stops the read");
        RecordingReader r;
        r.startingResult = -3;
        EXPECT_EQ(ReadText(text, r), -3);
        EXPECT_EQ(r.calls.back(), "end 1");
    }
    {
        SCOPED_TRACE("a keyword answered 2 is also unhandled; negative stops");
        RecordingReader r;
        r.keywordResult = 2;
        EXPECT_EQ(ReadText("%Site: SITE\n%FileType: ABCD\n", r), kNoErr);
        EXPECT_EQ(r.calls, (Calls{"key site| SITE", "unhandled Site| SITE", "validate ABCD ",
                                  "key ftyp| ABCD", "unhandled FileType| ABCD"}));
        r.keywordResult = -9;
        EXPECT_EQ(ReadText("%Site: SITE\n%FileType: ABCD\n", r), -9);
    }
    {
        SCOPED_TRACE("rows can be skipped");
        RecordingReader r;
        EXPECT_EQ(ReadText(text, r, 1), kNoErr);
        EXPECT_EQ(r.calls, (Calls{"validate ABCD ", "key ftyp| ABCD", "pre 1", "start 1",
                                  "key tbeg|", "key site| SITE", "end 1"}));
    }
    {
        SCOPED_TRACE("maxLines");
        RecordingReader r;
        EXPECT_EQ(ReadText(text, r, 0, 5), kNoErr);
        EXPECT_EQ(r.mnLineCount, 5);
        EXPECT_EQ(r.calls.back(), "end 1");
        EXPECT_EQ(r.rows, 3);
        EXPECT_EQ(r.mnTableOpen, 0);
    }
}

TEST(BTFReader, HostileInput) {
    {
        SCOPED_TRACE("missing and empty files");
        RecordingReader r;
        CFileSpec spec;
        spec.SetFileSpec("/nonexistent-folder-for-btf/none.btf");
        EXPECT_EQ(r.ProcessBTFile(&spec, 0, 0), kErrNotFound);
        EXPECT_EQ(ReadText("", r), kBtfErrNoFileType);
        EXPECT_TRUE(r.calls.empty());
    }
    {
        SCOPED_TRACE("a 1 MB line arrives in pieces of 4,096 characters");
        RecordingReader r;
        EXPECT_EQ(ReadText(std::string(1 << 20, 'x') + "\n", r), kBtfErrNoFileType);
        EXPECT_EQ(r.rows, 256);
        EXPECT_EQ(r.calls[2], "row 1|" + std::string(4096, 'x'));
    }
    {
        SCOPED_TRACE("NUL bytes end lines");
        RecordingReader r;
        ReadText(std::string("%Note: a\0%Note: b\n", 18), r);
        char text[8];
        double line = 0;
        ASSERT_EQ(r.GetBtfNoteAtIndex(1, nullptr, &line, text, sizeof(text)), 1);
        EXPECT_STREQ(text, "b");
        EXPECT_EQ(line, 2);
    }
    {
        SCOPED_TRACE("binary bytes pass through");
        RecordingReader r;
        ReadText("%FileType: ABCD\n\x01\x80\xff\xfe\n", r);
        EXPECT_EQ(r.calls.back(), "end 1");
        EXPECT_EQ(r.calls[r.calls.size() - 2], "row 1|\x01\x80\xff\xfe");
    }
    {
        SCOPED_TRACE("a file cut in the middle of a row");
        std::string whole = ReadBytes(BVK_TEST_DATA_DIR "/written.btf");
        size_t cut = whole.find(" -122.3 37.4") + 12;
        RecordingReader r;
        EXPECT_EQ(ReadText(whole.substr(0, cut), r), kNoErr);
        EXPECT_EQ(r.calls[r.calls.size() - 2], "row 1| -122.3 37.4");
        EXPECT_EQ(r.calls.back(), "end 1");
    }
    {
        SCOPED_TRACE("a keyword name of 100 characters is cut to 32 and unknown");
        RecordingReader r;
        ReadText("%" + std::string(100, 'N') + ": v\n", r);
        EXPECT_EQ(r.calls, (Calls{"unhandled " + std::string(32, 'N') + "| v"}));
    }
    {
        SCOPED_TRACE("500 column types keep the first 128");
        std::string line = "%TableColumnTypes:";
        for (int i = 0; i < 500; ++i) line += " C" + std::to_string(100 + i % 900);
        RecordingReader r;
        ReadText(line + "\n", r);
        EXPECT_EQ(r.mnColumnTypes[0], BtfCode("C100"));
        EXPECT_EQ(r.mnColumnTypes[127], BtfCode("C227"));
        EXPECT_EQ(r.mnColumnTypes[128], 0u);
    }
    {
        SCOPED_TRACE("huge counts");
        RecordingReader r;
        ReadText("%TableColumns: 99999999999\n%TableRows: -5\n", r);
        EXPECT_EQ(r.mnTableColumns, -1);  // the 32-bit pattern of the clamped value
        EXPECT_EQ(r.mnTableRows, -5);
    }
    {
        SCOPED_TRACE("an unknown zone name keeps the stated offset");
        RecordingReader r;
        ReadText("%TimeZone: \"No/Such_Zone\" -2.5 0 \"Not/A_City\"\n", r);
        EXPECT_EQ(r.GetBtfTimeZoneOffsetSeconds(), -9000);
        EXPECT_STREQ(r.GetBtfCityZone(), "Not/A_City");
    }
}

TEST(BTFReader, MetadataIsClearedBeforeEachRead) {
    RecordingReader r;
    ReadText("%FileType: ABCD\n%Note: one\n%TableStart:\nrow\n", r);
    ReadText("%Warning: two\n", r);
    EXPECT_EQ(r.mnBtfFileType, 0u);
    EXPECT_EQ(r.mnTableIndex, 0);
    unsigned long kind = 0;
    ASSERT_EQ(r.GetBtfNoteAtIndex(0, &kind, nullptr, nullptr, 0), 0);
    EXPECT_EQ(kind, BtfCode("warn"));
    EXPECT_EQ(r.GetBtfNoteAtIndex(1, nullptr, nullptr, nullptr, 0), -1);
}
