#include "BTFKeyList.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "BvkErrors.h"

namespace {

// "index name" of GetKeyName, its buffer pre-filled with junk so that
// "emptied" is seen.
std::string Name(const BTFKeyList& keys, unsigned long code, long index) {
    char name[40];
    std::memset(name, 'x', sizeof(name));
    long found = keys.GetKeyName(name, code, index);
    return std::to_string(found) + " " + name;
}

}  // namespace

TEST(BTFKeyList, NamesMatchRegardlessOfCaseAndEarliestEntryWins) {
    EXPECT_EQ(BtfCode("ftyp"), 0x66747970u);  // 'f' 't' 'y' 'p', first byte on top
    BTFKeyList keys;
    // "Mark" is entry 8, before the note kind of that name at 107; a prefix
    // is not the name.
    const std::pair<const char*, uint32_t> cases[] = {{"filetype", BtfCode("ftyp")},
                                                      {"FILETYPE", BtfCode("ftyp")},
                                                      {"Mark", BtfCode("mark")},
                                                      {"Remark", BtfCode("rema")},
                                                      {"File", 0},
                                                      {"FileTypes", 0},
                                                      {"", 0}};
    for (const auto& [name, code] : cases) EXPECT_EQ(keys.GetKeyCode(name), code) << name;
    EXPECT_EQ(keys.GetKeyCode(nullptr), 0u);
}

TEST(BTFKeyList, LookupsByCodeOrIndexStartWhereAsked) {
    BTFKeyList keys;
    EXPECT_EQ(Name(keys, BtfCode("mark"), 0), "8 Mark");
    EXPECT_EQ(Name(keys, BtfCode("rema"), 0), "107 Mark");
    EXPECT_EQ(Name(keys, BtfCode("rema"), 108), "108 Remark");
    EXPECT_EQ(Name(keys, 0, 108), "108 Remark");
    EXPECT_EQ(Name(keys, 0, 124), "-1 ");
    EXPECT_EQ(Name(keys, 0, -1), "-1 ");
    EXPECT_EQ(Name(keys, BtfCode("zzzz"), 0), "-1 ");
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), -5), 105);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), 106), -1);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), 500), -1);
    EXPECT_EQ(keys.FindKeyIndex("mark", 9), 107);
}

TEST(BTFKeyList, LongNamesAreKeptCutAndNeverFound) {
    BTFKeyList keys;
    const std::string forty(40, 'q'), n32(32, 'r'), n31(31, 's');
    keys.AddKey(forty.c_str(), BtfCode("qqqq"));
    keys.AddKey(n32.c_str(), BtfCode("rrrr"));
    keys.AddKey(n31.c_str(), BtfCode("ssss"));
    EXPECT_EQ(Name(keys, BtfCode("qqqq"), 0), "124 " + forty.substr(0, 33));
    EXPECT_EQ(keys.GetKeyCode(forty.c_str()), 0u);
    // 32 characters are compared and never reach the end of the name; 31 do.
    EXPECT_EQ(keys.GetKeyCode(n32.c_str()), 0u);
    EXPECT_EQ(keys.GetKeyCode(n31.c_str()), BtfCode("ssss"));
    EXPECT_EQ(Name(keys, BtfCode("rrrr"), 0), "125 " + n32);
}

TEST(BTFKeyList, AddingSkipsEmptyInputReusesFreedSlotsAndStopsAtTheEndRecord) {
    BTFKeyList keys;
    keys.AddKey(nullptr, BtfCode("abcd"));
    keys.AddKey("", BtfCode("abcd"));
    keys.AddKey("Abcd", 0);
    keys.AddKeyList(nullptr);
    EXPECT_EQ(keys.mnKeyCount, 124);

    keys.mpKeys[3].mnCode = 0;  // a freed entry below the count
    keys.AddKey("Extra", BtfCode("xtra"));
    EXPECT_EQ(keys.mnKeyCount, 124);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("xtra"), 0), 3);

    const XBtfKeyList own[] = {
        {BtfCode("aaaa"), "Alpha"},
        {BtfCode("bbbb"), ""},  // an empty name ends the table too
        {BtfCode("cccc"), "Gamma"},
    };
    keys.AddKeyList(own);
    EXPECT_EQ(keys.mnKeyCount, 125);
    EXPECT_EQ(keys.GetKeyCode("alpha"), BtfCode("aaaa"));
    EXPECT_EQ(keys.GetKeyCode("gamma"), 0u);

    keys.ClearKeyList();
    EXPECT_EQ(keys.GetKeyCode("FileType"), 0u);
}

TEST(BTFKeyList, GrowsByWholeBlocksKeepingEntries) {
    BTFKeyList keys;
    char name[16];
    for (int i = 0; i < 901; ++i) {
        std::snprintf(name, sizeof(name), "K%d", i);
        keys.AddKey(name, 0x10000000u + i);
    }
    EXPECT_EQ(keys.mnKeyCount, 1025);
    EXPECT_EQ(keys.mnKeyCapacity, 2048);
    EXPECT_EQ(keys.GetKeyCode("FileType"), BtfCode("ftyp"));
    EXPECT_EQ(keys.GetKeyCode("k900"), 0x10000000u + 900);
    EXPECT_EQ(keys.mpKeys[2047].mnCode, 0u);  // the new block is zeroed
}

TEST(BTFKeyList, ADeadObjectAnswersNothing) {
    BTFKeyList keys;
    keys.mnClassTag = 0;
    EXPECT_EQ(keys.GetKeyCode("FileType"), static_cast<unsigned long>(-1));
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("ftyp"), 0), -1);
    EXPECT_EQ(Name(keys, BtfCode("ftyp"), 0), "-1 ");
    keys.AddKey("Ghost", BtfCode("gost"));
    EXPECT_EQ(keys.mnKeyCount, 124);
    keys.mnClassTag = BtfCode("btfk");
}

TEST(BTFKeyList, EncodeStringEscapesControlBytesOnly) {
    struct {
        std::string in;
        long length;  // negative: up to the terminator
        std::string out;
    } const cases[] = {
        {"a\tb\\c\r\n", 7, R"(a\x09b\\c\r\n)"},
        {"a\tb\\c\r\n", -1, R"(a\x09b\\c\r\n)"},
        {std::string("a\0b", 3), 3, R"(a\x00b)"},
        {"\x1f\x7f\xe9\xa1 plain ~", -1, "\\x1F\x7f\xe9\xa1 plain ~"},
        {"abc", 0, ""},
        {"", -1, ""},
    };
    for (const auto& c : cases) {
        char* encoded = nullptr;
        long length = -7;
        ASSERT_EQ(BTFKeyList::EncodeString(c.in.data(), c.length, &encoded, &length), kNoErr);
        // Empty text gives no buffer at all.
        EXPECT_EQ(encoded != nullptr ? std::string("[") + encoded + "]" : "null",
                  c.out.empty() ? "null" : std::string("[") + c.out + "]");
        EXPECT_EQ(length, static_cast<long>(c.out.size()));
        std::free(encoded);
    }
    char* encoded = nullptr;
    long length = 5;
    EXPECT_EQ(BTFKeyList::EncodeString(nullptr, 3, &encoded, &length), kErrBadArgument);
    EXPECT_EQ(BTFKeyList::EncodeString("abc", 3, nullptr, &length), kErrBadArgument);
    EXPECT_EQ(length, 0);
}
