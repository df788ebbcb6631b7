#include "BTFKeyList.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "BvkErrors.h"

namespace {

uint32_t CodeOf(const char* text) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

std::string Name(const BTFKeyList& keys, unsigned long code, long index, long* found) {
    char name[40];
    std::memset(name, 'x', sizeof(name));
    *found = keys.GetKeyName(name, code, index);
    return name;
}

}  // namespace

TEST(BTFKeyList, StandardListHasItsRecordsInOrder) {
    BTFKeyList keys;
    EXPECT_EQ(keys.mnKeyCount, 124);
    EXPECT_EQ(keys.mnKeyCapacity, 1024);
    EXPECT_EQ(xBtfStandardList[124].mnCode, 0u);
    struct {
        long index;
        const char* code;
        const char* name;
    } const cases[] = {
        {0, "BTF_", "BTF"},
        {1, "ftyp", "FileType"},
        {8, "mark", "Mark"},
        {12, "ctyp", "TableColumnTypes"},
        {39, "dhpb", "DopplerResolutionHzPerBin"},
        {72, "pamc", "PatternAmplitudeCorrections"},
        {104, "uuid", "UUID"},
        {107, "rema", "Mark"},
        {108, "rema", "Remark"},
        {123, "tswp", "TsunamiSimWavePeriod"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(keys.mpKeys[c.index].mnCode, CodeOf(c.code));
        EXPECT_STREQ(keys.mpKeys[c.index].mszName, c.name);
    }
}

TEST(BTFKeyList, NamesMatchRegardlessOfCaseAndEarliestEntryWins) {
    BTFKeyList keys;
    struct {
        const char* name;
        uint32_t code;
    } const cases[] = {
        {"filetype", BtfCode("ftyp")},
        {"FILETYPE", BtfCode("ftyp")},
        {"FileType", BtfCode("ftyp")},
        {"Mark", BtfCode("mark")},  // index 8, before the note kind at 107
        {"Remark", BtfCode("rema")},
        {"File", 0},  // a prefix is not the name
        {"FileTypes", 0},
        {"Unknown", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(keys.GetKeyCode(c.name), c.code) << c.name;
    EXPECT_EQ(keys.GetKeyCode(nullptr), 0u);
}

TEST(BTFKeyList, GetKeyNameByCodeOrByIndex) {
    BTFKeyList keys;
    long found = 0;
    EXPECT_EQ(Name(keys, BtfCode("rema"), 0, &found), "Mark");
    EXPECT_EQ(found, 107);
    EXPECT_EQ(Name(keys, BtfCode("rema"), 108, &found), "Remark");
    EXPECT_EQ(found, 108);
    EXPECT_EQ(Name(keys, 0, 108, &found), "Remark");
    EXPECT_EQ(found, 108);
    EXPECT_EQ(Name(keys, BtfCode("zzzz"), 0, &found), "");
    EXPECT_EQ(found, -1);
    EXPECT_EQ(Name(keys, 0, 124, &found), "");
    EXPECT_EQ(found, -1);
    EXPECT_EQ(Name(keys, 0, -1, &found), "");
    EXPECT_EQ(found, -1);
}

TEST(BTFKeyList, FindKeyIndexStartsWhereAsked) {
    BTFKeyList keys;
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), 106), -1);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), -5), 105);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), 105), 105);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("note"), 500), -1);
    EXPECT_EQ(keys.FindKeyIndex(0ul, 0), -1);
    EXPECT_EQ(keys.FindKeyIndex("mark", 9), 107);
    EXPECT_EQ(keys.FindKeyIndex("mark", 108), -1);
}

TEST(BTFKeyList, LongNamesAreKeptCutAndNeverFound) {
    BTFKeyList keys;
    const std::string forty(40, 'q');
    keys.AddKey(forty.c_str(), BtfCode("qqqq"));
    ASSERT_EQ(keys.mnKeyCount, 125);
    EXPECT_EQ(std::string(keys.mpKeys[124].mszName), forty.substr(0, 33));
    EXPECT_EQ(keys.GetKeyCode(forty.c_str()), 0u);
    EXPECT_EQ(keys.GetKeyCode(forty.substr(0, 33).c_str()), 0u);

    // 32 characters are compared and never reach the end of the name; 31 do.
    const std::string n32(32, 'r');
    const std::string n31(31, 's');
    keys.AddKey(n32.c_str(), BtfCode("rrrr"));
    keys.AddKey(n31.c_str(), BtfCode("ssss"));
    EXPECT_EQ(keys.GetKeyCode(n32.c_str()), 0u);
    EXPECT_EQ(keys.GetKeyCode(n31.c_str()), BtfCode("ssss"));
    long found = 0;
    EXPECT_EQ(Name(keys, BtfCode("rrrr"), 0, &found), n32);
}

TEST(BTFKeyList, AddKeyIgnoresEmptyInputAndReusesFreedSlots) {
    BTFKeyList keys;
    keys.AddKey(nullptr, BtfCode("abcd"));
    keys.AddKey("", BtfCode("abcd"));
    keys.AddKey("Abcd", 0);
    EXPECT_EQ(keys.mnKeyCount, 124);

    keys.mpKeys[3].mnCode = 0;  // a freed entry below the count
    keys.AddKey("Extra", BtfCode("xtra"));
    EXPECT_EQ(keys.mnKeyCount, 124);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("xtra"), 0), 3);
    EXPECT_EQ(keys.GetKeyCode("extra"), BtfCode("xtra"));

    keys.ClearKeyList();
    EXPECT_EQ(keys.mnKeyCount, 0);
    EXPECT_EQ(keys.mpKeys, nullptr);
    EXPECT_EQ(keys.GetKeyCode("FileType"), 0u);
    keys.AddKeyList(xBtfStandardList);
    EXPECT_EQ(keys.GetKeyCode("FileType"), BtfCode("ftyp"));
}

TEST(BTFKeyList, AddKeyListStopsAtTheEndRecord) {
    const XBtfKeyList own[] = {
        {BtfCode("aaaa"), "Alpha"},
        {BtfCode("bbbb"), ""},  // an empty name ends the table too
        {BtfCode("cccc"), "Gamma"},
    };
    BTFKeyList keys;
    keys.AddKeyList(own);
    keys.AddKeyList(nullptr);
    EXPECT_EQ(keys.mnKeyCount, 125);
    EXPECT_EQ(keys.GetKeyCode("alpha"), BtfCode("aaaa"));
    EXPECT_EQ(keys.GetKeyCode("gamma"), 0u);
}

TEST(BTFKeyList, GrowsByWholeBlocksKeepingEntries) {
    BTFKeyList keys;
    char name[16];
    for (int i = 0; i < 900; ++i) {
        std::snprintf(name, sizeof(name), "K%d", i);
        keys.AddKey(name, 0x10000000u + i);
    }
    EXPECT_EQ(keys.mnKeyCount, 1024);
    EXPECT_EQ(keys.mnKeyCapacity, 1024);
    keys.AddKey("OneMore", BtfCode("more"));
    EXPECT_EQ(keys.mnKeyCount, 1025);
    EXPECT_EQ(keys.mnKeyCapacity, 2048);
    EXPECT_EQ(keys.GetKeyCode("FileType"), BtfCode("ftyp"));
    EXPECT_EQ(keys.GetKeyCode("k899"), 0x10000000u + 899);
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("more"), 0), 1024);
    // The new block is zeroed past the count.
    EXPECT_EQ(keys.mpKeys[1025].mnCode, 0u);
    EXPECT_EQ(keys.mpKeys[2047].mszName[0], 0);
}

TEST(BTFKeyList, ADeadObjectAnswersNothing) {
    BTFKeyList keys;
    uint32_t tag = keys.mnClassTag;
    EXPECT_EQ(tag, BtfCode("btfk"));
    keys.mnClassTag = 0;
    EXPECT_EQ(keys.IsValidClass(), 0);
    EXPECT_EQ(keys.GetKeyCode("FileType"), static_cast<unsigned long>(-1));
    EXPECT_EQ(keys.FindKeyIndex(BtfCode("ftyp"), 0), -1);
    long found = 0;
    EXPECT_EQ(Name(keys, BtfCode("ftyp"), 0, &found), "");
    EXPECT_EQ(found, -1);
    keys.AddKey("Ghost", BtfCode("gost"));
    EXPECT_EQ(keys.mnKeyCount, 124);
    keys.mnClassTag = tag;
}

TEST(BTFKeyList, EncodeStringEscapesControlBytesOnly) {
    struct {
        std::string in;
        std::string out;
    } const cases[] = {
        {"a\tb\\c\r\n", R"(a\x09b\\c\r\n)"},
        {std::string("a\0b", 3), R"(a\x00b)"},
        {"\x1f\x01", R"(\x1F\x01)"},
        {"\x7f\xe9\xa1 plain ~", "\x7f\xe9\xa1 plain ~"},
        {"\\\\", R"(\\\\)"},
    };
    for (const auto& c : cases) {
        char* encoded = nullptr;
        long length = -7;
        ASSERT_EQ(BTFKeyList::EncodeString(c.in.data(), static_cast<long>(c.in.size()), &encoded,
                                           &length),
                  kNoErr);
        ASSERT_NE(encoded, nullptr);
        EXPECT_EQ(std::string(encoded), c.out);
        EXPECT_EQ(length, static_cast<long>(c.out.size()));
        std::free(encoded);
    }
    // Negative length: up to the terminator. "a\tb\\c\r\n" encodes to 13.
    char* encoded = nullptr;
    long length = 0;
    ASSERT_EQ(BTFKeyList::EncodeString("a\tb\\c\r\n", -1, &encoded, &length), kNoErr);
    EXPECT_EQ(length, 13);
    std::free(encoded);
}

TEST(BTFKeyList, EncodeStringEmptyAndMissingArguments) {
    char* encoded = reinterpret_cast<char*>(1);
    long length = 5;
    EXPECT_EQ(BTFKeyList::EncodeString("abc", 0, &encoded, &length), kNoErr);
    EXPECT_EQ(encoded, nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(BTFKeyList::EncodeString("", -1, &encoded, nullptr), kNoErr);
    EXPECT_EQ(encoded, nullptr);
    EXPECT_EQ(BTFKeyList::EncodeString(nullptr, 3, &encoded, &length), kErrBadArgument);
    EXPECT_EQ(BTFKeyList::EncodeString("abc", 3, nullptr, &length), kErrBadArgument);
    EXPECT_EQ(length, 0);
}
