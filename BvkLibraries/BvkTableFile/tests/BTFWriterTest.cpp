#include "BTFWriter.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "../../BvkUtils/tests/UtilsTestFiles.h"
#include "BvkErrors.h"

namespace {

// 2021-07-01 12:00:00 as 1904 seconds: 1,625,140,800 s after 1970 plus the
// 2,082,844,800 s from 1904 to 1970.
constexpr unsigned long kJul1904 = 3707985600ul;
// 2021-01-15 12:00:00 likewise (14 days after 2021-01-01, 1,609,459,200).
constexpr unsigned long kJan1904 = 1609459200ul + 14 * 86400ul + 43200ul + 2082844800ul;

// Keeps every line instead of writing it to a file; counts the PreTable calls.
class CapturingWriter : public BTFWriter {
  public:
    using BTFWriter::BTFWriter;
    long WriteFile(const char* text, long length) override {
        out.append(text, static_cast<size_t>(length));
        return kNoErr;
    }
    long PreTable() override {
        ++preTableCalls;
        return kNoErr;
    }
    std::string out;
    int preTableCalls = 0;
};

// The value of "%ProcessedTimeStamp:" is the time of writing: blanked out.
std::string WithoutProcessedTime(std::string bytes) {
    const std::string key = "%ProcessedTimeStamp: ";
    size_t at = bytes.find(key);
    if (at != std::string::npos)
        bytes.replace(at + key.size(), bytes.find('\n', at) - at - key.size(), 1, '*');
    return bytes;
}

}  // namespace

TEST(BTFWriter, WritesAWholeFileByteForByte) {
    TempFolder folder;
    CFileSpec spec = SpecOf(folder / "whole.btf");
    BTFWriter w;
    w.SetBtfUUIDFromString("01234567-89ab-cdef-0123-456789abcdef");
    w.SetBtfTimeZoneLabel("PST", "America/Los_Angeles");
    w.SetBtfTimeMark(0);
    w.AddBtfNote(BtfCode("note"), 0, "first note");
    w.AddBtfNote(BtfCode("rema"), 0, "a remark");
    w.AddBtfNote(BtfCode("warn"), 0, "careful: \"quoted\"");
    w.AddMetaToolName("Quillmoor", "1.2.3");
    w.AddMetaToolName("Helper", "");

    ASSERT_EQ(w.CreateFile(&spec, BtfCode("Qmzk"), 1), kNoErr);
    EXPECT_EQ(w.WriteFileType(BtfCode("LLUV"), BtfCode("RDM1"), "Radial Map"), kNoErr);
    EXPECT_EQ(w.WriteTimeStamp(kJul1904), kNoErr);
    EXPECT_EQ(w.WriteTimeZone(kJul1904), kNoErr);
    EXPECT_EQ(w.WriteUUID(nullptr, nullptr), kNoErr);
    EXPECT_EQ(w.WriteSiteName(BtfCode("HATY"), "Hat Island"), kNoErr);
    EXPECT_EQ(w.WriteOriginLocation(37.5, -122.25), kNoErr);
    EXPECT_EQ(w.WriteTimeCoverage(75), kNoErr);
    EXPECT_EQ(w.WriteBtfNotes(), kNoErr);
    EXPECT_EQ(w.WriteComment("hello"), kNoErr);
    EXPECT_EQ(w.WriteKeyword("UserComment", "a\rb\nc\td\\e\x7f\xe9\xa1"), kNoErr);
    unsigned long columns[] = {BtfCode("LOND"), BtfCode("LATD"), BtfCode("VELO"), 0};
    EXPECT_EQ(w.StartTable(2, 0, BtfCode("LLUV"), BtfCode("RDM1"), columns), kNoErr);
    EXPECT_EQ(w.WriteTableRow("-122.1 37.2 10.5"), kNoErr);
    EXPECT_EQ(w.WriteTableRow("-122.3 37.4 -3.0"), kNoErr);
    EXPECT_EQ(w.EndTable(), kNoErr);
    EXPECT_EQ(w.StartTable(0, 2, BtfCode("rads"), 0, nullptr), kNoErr);
    EXPECT_EQ(w.WriteTableRow("1 2"), kNoErr);
    EXPECT_EQ(w.WriteTableRow(" 3 4"), kNoErr);
    EXPECT_EQ(w.EndTable(), kNoErr);
    EXPECT_EQ(w.CloseFile(), kNoErr);
    EXPECT_EQ(WithoutProcessedTime(ReadBytes(folder / "whole.btf")),
              WithoutProcessedTime(ReadBytes(BVK_TEST_DATA_DIR "/written.btf")));
}

TEST(BTFWriter, LineForms) {
    CapturingWriter w;
    struct {
        long result;
        const char* expected;
    } const cases[] = {
        {w.WriteKeyword("Note", nullptr), "%Note:\n"},
        {w.WriteKeyword(BtfCode("rema"), "r"), "%Mark: r\n"},
        {w.WriteKeywordf("Custom", "%d-%s", 7, "x"), "%Custom: 7-x\n"},
        {w.WriteKeywordf(BtfCode("rdsm"), "%.1f", 1.25), "%RangeResolutionMeters: 1.2\n"},
        {w.WriteComment("%Odd"), "%%Odd\n"},
        {w.WriteComment("tab\there"), "%% tab\\x09here\n"},
        {w.WriteOwner("Brenvik Marine"), "%Owner: Brenvik Marine\n"},
        {w.WriteSiteName(BtfCode("ABCD"), ""), "%Site: ABCD \"\"\n"},
        {w.WriteFileType(BtfCode("DIAG"), 0, "Tesmara Report"),
         "%FileType: DIAG \"Tesmara Report\"\n"},
        {w.WriteTransmitterLocation(1, -179.5), "%TransmitterLocation:   1.0000000 -179.5000000\n"},
        {w.WriteTimeCoverage(2.0 / 3.0), "%TimeCoverage: 0.667 Minutes\n"},
        {w.WriteProcessingTool("Tool", nullptr), "%ProcessingTool: \"Tool\"\n"},
        {w.WriteProcessingTool("Tool", ""), "%ProcessingTool: \"Tool\" \n"},
        {w.WriteProcessedTimeStamp(kJan1904), "%ProcessedTimeStamp: 2021 01 15  12 00 00\n"},
    };
    std::string expected;
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, kNoErr) << c.expected;
        expected += c.expected;
    }
    EXPECT_EQ(w.out, expected);

    // Missing names, unknown codes and empty rows write nothing.
    w.out.clear();
    EXPECT_EQ(w.WriteKeyword(static_cast<const char*>(nullptr), "x"), kErrBadArgument);
    EXPECT_EQ(w.WriteKeyword(BtfCode("zzzz"), "x"), kErrBadArgument);
    EXPECT_EQ(w.WriteKeyword(0ul, "x"), kErrBadArgument);
    EXPECT_EQ(w.WriteTableRow(""), kErrBadArgument);
    EXPECT_EQ(w.out, "");
}

TEST(BTFWriter, TablesAnnounceThemselvesAndLaterRowsAreCommented) {
    CapturingWriter w;
    unsigned long three[] = {BtfCode("AAAA"), BtfCode("BBBB"), BtfCode("CCCC"), 0};
    unsigned long none[] = {0};
    w.StartTable(10, 0, BtfCode("TYPE"), BtfCode("SUBT"), three);
    w.WriteTableRow("row");
    w.WriteTableRow(" lead");
    w.EndTable();
    w.StartTable(0, 5, 0, 0, none);  // an empty list: no column lines at all
    w.WriteTableRow("row");
    w.WriteTableRow(" x");
    w.EndTable();
    EXPECT_EQ(w.SetWriteTableCommentLevel(0), 1);
    w.StartTable(-1, 0, BtfCode("ONLY"), 0, nullptr);
    w.WriteTableRow("plain again");
    w.EndTable();
    EXPECT_EQ(w.preTableCalls, 1);
    EXPECT_EQ(w.out,
              "%TableType: TYPE SUBT\n%TableColumns: 3\n%TableColumnTypes: AAAA BBBB CCCC \n"
              "%TableRows: 10\n%TableStart:\n row\n  lead\n%TableEnd:\n"
              "%TableStart: 2\n% row\n% x\n%TableEnd: 2\n"
              "%TableType: ONLY\n%TableStart: 3\n plain again\n%TableEnd: 3\n");
}

TEST(BTFWriter, TimeStampForms) {
    CapturingWriter w;
    w.SetBtfTimeMark(-1);
    w.WriteTimeStamp(2008, 3, 14, 9, 5, 7);
    w.SetBtfTimeMark(1);
    w.WriteTimeStamp(kJan1904);
    w.SetBtfTimeMark(2);
    // 2021-01-15 12:00 UTC is 632,404,800 s after 2001; plus 59.6 s, seen
    // two hours east: 14:00:59.6, the seconds rounded in place to "60".
    w.SetBtfTimeZoneOffsetSeconds(7200);
    w.WriteTimeStamp(0ul, 632404800.0 + 59.6);
    w.SetBtfTimeMark(7);
    w.WriteTimeStamp(BtfCode("tist"), 632404800.0);
    w.SetBtfTimeZoneOffsetSeconds(-3600);
    w.SetBtfTimeMark(0);
    w.WriteTimeStamp(BtfCode("tsst"), 632404800.0 + 0.4);
    // The last 32-bit 1904 second is 2040-02-06 06:28:15; larger counts stay there.
    w.WriteProcessedTimeStamp(~0ul);
    EXPECT_EQ(w.out,
              "%TimeStamp: 2008 03 14  09 05 07\n"
              "%TimeMarks: start\n%TimeStamp: 2021 01 15  12 00 00\n"
              "%TimeMarks: end\n%TimeStamp: 2021 01 15  14 00 60\n"
              "%TimeStamp: 2021 01 15  14 00 00\n"
              "%TsunamiSimShelfStart: 2021 01 15  11 00 00\n"
              "%ProcessedTimeStamp: 2040 02 06  06 28 15\n");
    for (double nonsense : {1e300, -1e300, std::nan("")}) {
        w.out.clear();
        EXPECT_EQ(w.WriteTimeStamp(BtfCode("tsst"), nonsense), kNoErr);
        EXPECT_EQ(w.out.substr(0, 23), "%TsunamiSimShelfStart: ");
    }
}

TEST(BTFWriter, IdentifierIsMadeOnceAndKept) {
    CapturingWriter w;
    EXPECT_EQ(w.WriteUUID(nullptr, nullptr), kNoErr);
    EXPECT_EQ(w.WriteUUID("PatternUUID", nullptr), kNoErr);
    char text[40];
    w.GetBtfUUIDString(text, sizeof(text));
    EXPECT_EQ(w.out, "%UUID: " + std::string(text) + "\n%PatternUUID: " + text + "\n");

    XPlatformUuid other{};
    other.bytes[15] = 0xAB;
    w.out.clear();
    EXPECT_EQ(w.WriteUUID("", &other), kNoErr);
    EXPECT_EQ(w.out, "%UUID: 00000000-0000-0000-0000-0000000000AB\n");
}

TEST(BTFWriter, LongValuesAreCutAfterEscapingAndNotesBefore) {
    CapturingWriter w;
    // A tab escapes to four characters; "%Note: " leaves 4,088 of a line's
    // 4,095 characters, which keep the tab and 4,084 of the 7,999 letters.
    // A row keeps 4,092.
    w.WriteKeyword("Note", std::string(1, '\t').append(7999, 'b').c_str());
    w.WriteTableRow(std::string(8000, 'r').c_str());
    EXPECT_EQ(w.out,
              "%Note: \\x09" + std::string(4084, 'b') + "\n " + std::string(4092, 'r') + "\n");

    // Notes are cut to 2,047 characters before escaping; one of an unknown
    // kind is skipped, and the result is that of the last note.
    w.out.clear();
    w.AddBtfNote(BtfCode("note"), 1, std::string(3000, 'n').c_str());
    w.AddBtfNote(BtfCode("zzzz"), 2, "lost");
    EXPECT_EQ(w.WriteBtfNotes(), kErrBadArgument);
    EXPECT_EQ(w.out, "%Note: " + std::string(2047, 'n') + "\n");
}

TEST(BTFWriter, SharedKeyListIsUsedAndNotDeleted) {
    BTFKeyList keys;
    keys.AddKey("Special", BtfCode("spcl"));
    {
        CapturingWriter w(&keys);
        w.WriteKeyword(BtfCode("spcl"), "1");
        EXPECT_EQ(w.out, "%Special: 1\n");
    }
    EXPECT_EQ(keys.IsValidClass(), 1);
    EXPECT_EQ(keys.GetKeyCode("special"), BtfCode("spcl"));
}

TEST(BTFWriter, AGoodFileIsNeverReplacedByAnIncompleteOne) {
    TempFolder folder;
    const std::string path = folder / "keep.btf";
    WriteBytes(path, "old content\n");
    CFileSpec spec = SpecOf(path);

    // The third line fails as a full disk would; the writer goes on as its
    // caller does, but CloseFile must not put the incomplete file in place.
    struct FailingWriter : BTFWriter {
        long WriteFile(const char* text, long length) override {
            if (fail && mnLinesWritten == 2) {
                ++mnLinesWritten;
                return -34;
            }
            return BTFWriter::WriteFile(text, length);
        }
        bool fail = true;
    } w;
    EXPECT_EQ(w.CreateFile(&spec, BtfCode("Qmzk"), 0), kErrNameInUse);
    ASSERT_EQ(w.CreateFile(&spec, BtfCode("Qmzk"), 1), kNoErr);
    EXPECT_EQ(w.WriteKeyword("Note", "one"), kNoErr);
    EXPECT_EQ(w.WriteKeyword("Note", "two"), -34);
    EXPECT_EQ(w.WriteKeyword("Note", "three"), kNoErr);
    EXPECT_EQ(w.CloseFile(), -34);
    EXPECT_EQ(ReadBytes(path), "old content\n");

    // A writer dropped before CloseFile leaves the old file as it was.
    {
        BTFWriter unfinished;
        ASSERT_EQ(unfinished.CreateFile(&spec, BtfCode("Qmzk"), 1), kNoErr);
        unfinished.WriteKeyword("Note", "half");
    }
    EXPECT_EQ(ReadBytes(path), "old content\n");

    // The next file of the same writer starts clean.
    w.fail = false;
    ASSERT_EQ(w.CreateFile(&spec, BtfCode("Qmzk"), 1), kNoErr);
    EXPECT_EQ(w.CloseFile(), kNoErr);
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(0, 14), "%BTF: 1.00\n%%\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "%End:\n");
}

// Rows are looked at eight bytes at a time for characters to escape: one at
// every place of the first words, each kind of byte, is still found.
TEST(BTFWriter, CommentEscapesACharacterAtAnyPlace) {
    struct {
        char byte;
        const char* escaped;
    } const kinds[] = {
        {'\x01', "\\x01"}, {'\t', "\\x09"}, {'\n', "\\n"}, {'\r', "\\r"},
        {'\x1f', "\\x1F"}, {'\\', "\\\\"},  {' ', " "},    {'\x7f', "\x7f"},
        {'\x80', "\x80"},  {'\xff', "\xff"}, {']', "]"},   {'[', "["},
    };
    for (const auto& kind : kinds) {
        for (size_t length = 1; length <= 20; ++length) {
            for (size_t at = 0; at < length; ++at) {
                std::string text(length, 'a');
                text[at] = kind.byte;
                CapturingWriter w;
                ASSERT_EQ(w.WriteComment(text.c_str()), kNoErr);
                const std::string expected = "%% " + std::string(at, 'a') + kind.escaped +
                                             std::string(length - at - 1, 'a') + "\n";
                EXPECT_EQ(w.out, expected) << "byte " << int(kind.byte) << " at " << at;
            }
        }
    }
}
