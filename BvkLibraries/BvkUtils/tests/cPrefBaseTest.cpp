#include "cPrefBase.h"

#include "BvkErrors.h"
#include "UtilsTestFiles.h"

namespace {

std::string Value(CPrefBase& pref, const char* key, long bRaw = 0) {
    char out[256];
    if (pref.GetString(key, out, sizeof(out), nullptr, bRaw) == kPrefNoLine) return "<none>";
    return out;
}

TEST_F(PrefFile, EntryValuesLoseCommentsBlanksAndOuterQuotes) {
    const struct {
        std::string line;
        const char* key;
        long bRaw;
        const char* value;
    } cases[] = {
        {"Key = value", "Key", 0, "value"},
        {"  Key\t=\tvalue  \t", "Key", 0, "value"},
        {"key = a;;b", "key", 0, "a"},         // ";;" starts a comment
        {"key = \"a;;b\"", "key", 0, "a;;b"},  // but not inside quotes
        {"key = a ; b", "key", 0, "a ; b"},    // a single ';' is text
        {"key = \"", "key", 0, "\""},          // one quote is not a quoted value
        {"key = \"\"", "key", 0, ""},
        {"key =", "key", 0, ""},
        {"key = a = b", "key", 0, "a = b"},        // the first '=' ends the key
        {"key = a ;; b  ", "key", 1, "a ;; b  "},  // raw: the whole rest of the line
        {"keyx = 1", "key", 0, "<none>"},          // names must match in length
        {"key", "key", 0, "<none>"},               // no '=': not an entry
        {"; key = 1", "key", 0, "<none>"},         // a comment
        {std::string("k = a\1b\0c\2\3", 11), "k", 0, "a_b_c_\x03"},  // bytes 0 to 2 read as _
    };
    for (const auto& c : cases) {
        Write(c.line + "\n");
        CPrefBase pref;
        ASSERT_EQ(Open(pref, 1), kNoErr);
        pref.SetSection("");
        EXPECT_EQ(Value(pref, c.key, c.bRaw), c.value) << c.line;
    }
}

TEST_F(PrefFile, LookupsStayInsideTheCurrentSection) {
    Write("top = 0\n[A]\nx = 1\n[ Conv  ]\ny = 2\n[Open\nz = 3\n");
    CPrefBase pref;
    ASSERT_EQ(Open(pref, 1), kNoErr);
    EXPECT_EQ(pref.SetSection("a"), 1u);
    EXPECT_EQ(Value(pref, "x"), "1");
    EXPECT_EQ(Value(pref, "y"), "<none>");  // the next section's key
    EXPECT_EQ(Value(pref, "top"), "<none>");
    EXPECT_EQ(pref.GetSectionEnd(), 3u);
    EXPECT_EQ(pref.SetSection("Conv"), 3u);  // blanks around the name do not count
    EXPECT_EQ(Value(pref, "y"), "2");
    EXPECT_EQ(pref.SetSection("Open"), 5u);  // a header without ']'
    EXPECT_EQ(Value(pref, "z"), "3");
    EXPECT_EQ(pref.GetSectionEnd(), 7u);  // the final empty line
    EXPECT_EQ(pref.SetSection(""), 0u);   // the part before the first header
    EXPECT_EQ(Value(pref, "top"), "0");
    EXPECT_EQ(Value(pref, "x"), "<none>");
    EXPECT_EQ(pref.SetSection("Missing"), kPrefNoLine);  // read-only: not created
    EXPECT_EQ(Value(pref, "x"), "<none>");
}

TEST_F(PrefFile, NewLinesTakeTheFilesLineEnd) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"[A]\ra = 1\r", "[A]\ra = 1\rb = 2\r"},
        {"[A]\na = 1\n", "[A]\na = 1\nb = 2\n"},
        {"[A]\r\na = 1", "[A]\r\na = 1\r\nb = 2\r\n"},  // a last line without its end gets one
        {"", "[A]\nb = 2\n\n"},  // a new section is a header and one empty line
    };
    for (const auto& c : cases) {
        Write(c.before);
        {
            CPrefBase pref;
            ASSERT_EQ(Open(pref, 0), kNoErr);
            pref.SetSection("A");
            pref.PutString("b", "2");
        }
        EXPECT_EQ(Read(), c.after) << c.before;
    }
}

TEST_F(PrefFile, MissingSectionsAndKeysAreCreatedOnlyWhenAllowed) {
    Write("[A]\na = 1\n[END]\nlast = 1\n");
    CPrefBase pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    pref.mbCreateMissing = 0;
    EXPECT_EQ(pref.SetSection("New"), kPrefNoLine);
    pref.SetSection("A");
    char out[32];
    EXPECT_EQ(pref.GetString("b", out, sizeof(out), "dflt", 0), kPrefNoLine);
    EXPECT_STREQ(out, "dflt");
    EXPECT_EQ(pref.mbModified, 0);
    // Allowed: a new section goes before the END section.
    pref.mbCreateMissing = 1;
    EXPECT_EQ(pref.SetSection("New"), 2u);
    EXPECT_EQ(pref.GetString("k", out, sizeof(out), "v", 0), 3u);  // right after the header
    EXPECT_STREQ(out, "v");
    EXPECT_EQ(pref.PutString("k2 ", "w"), 4u);  // a key ending in a blank gets no second one
    EXPECT_EQ(pref.GetString("k2", out, sizeof(out), nullptr, 0), 4u);
    EXPECT_STREQ(out, "w");
    EXPECT_EQ(pref.ClosePreference(), kNoErr);
    EXPECT_EQ(Read(), "[A]\na = 1\n[New]\nk = v\nk2 = w\n\n[END]\nlast = 1\n");
}

TEST_F(PrefFile, NamesAndValuesPastColumn255AreRefused) {
    // The line table holds name and value positions up to column 255: "[" and
    // 254 characters end there, as do 252 characters and " = ", or "k = " and
    // 251 blanks before a value. One more and the line could never be found
    // again, so it is refused and nothing changes.
    Write("");
    CPrefBase pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    const std::string section(254, 'S'), key(252, 'K');
    const std::string blanks(251, ' ');
    EXPECT_EQ(pref.SetSection((section + "S").c_str()), kPrefRefused);
    EXPECT_EQ(pref.mbModified, 0);
    EXPECT_EQ(pref.SetSection(section.c_str()), 0u);
    EXPECT_EQ(pref.SetSection((section + "S").c_str()), kPrefRefused);
    EXPECT_EQ(pref.PutString((key + "K").c_str(), "v"), kPrefRefused);
    EXPECT_EQ(pref.PutString("k", (blanks + " x").c_str()), kPrefRefused);
    char out[8] = "?";
    EXPECT_EQ(pref.GetString(std::string(255, 'K').c_str(), out, sizeof(out), "d", 0),
              kPrefRefused);
    EXPECT_EQ(pref.PutString(key.c_str(), "v"), 1u);
    EXPECT_EQ(pref.PutString("k", (blanks + "x").c_str()), 2u);
    EXPECT_EQ(Value(pref, key.c_str()), "v");
    EXPECT_EQ(Value(pref, "k"), "x");
    EXPECT_EQ(pref.SetSection(section.c_str()), 0u);  // found, not made again
    EXPECT_EQ(pref.ClosePreference(), kNoErr);
    EXPECT_EQ(Read(), "[" + section + "]\n" + key + " = v\nk = " + blanks + "x\n\n");
}

TEST_F(PrefFile, ReadOnlyStoreNeverWrites) {
    const std::string before = "[A]\na = 1\n";
    Write(before);
    {
        CPrefBase pref;
        ASSERT_EQ(Open(pref, 1), kNoErr);
        pref.SetSection("A");
        char out[32];
        EXPECT_EQ(pref.GetString("b", out, sizeof(out), "2", 0), kPrefNoLine);
        EXPECT_STREQ(out, "2");
        EXPECT_EQ(pref.PutString("a", "9"), kPrefNoLine);
        EXPECT_EQ(pref.InsertLine(0, "x"), kPrefNoLine);
        EXPECT_EQ(pref.ReplaceLine(0, "x"), kPrefNoLine);
        EXPECT_EQ(pref.DeleteLine(0), kPrefNoLine);
        EXPECT_EQ(Value(pref, "a"), "1");
        EXPECT_EQ(pref.SetSection("Other"), kPrefNoLine);
        EXPECT_EQ(pref.UpdatePreference(), kNoErr);
        // Lifted and set again before closing: still nothing written.
        EXPECT_EQ(pref.SetReadOnly(0), 1);
        EXPECT_NE(pref.PutString("a", "2"), kPrefNoLine);
        EXPECT_EQ(pref.SetReadOnly(1), 0);
        EXPECT_EQ(pref.ClosePreference(), kNoErr);
    }
    EXPECT_EQ(Read(), before);
}

TEST_F(PrefFile, LineOperationsShiftRetypeAndStopAtTheFinalLine) {
    Write("[S]\n; note\nk = 1\n");
    CPrefBase pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    ASSERT_EQ(pref.mnLines, 4u);                    // three lines and the final empty one
    EXPECT_EQ(pref.InsertLine(99, "end = 2"), 3u);  // beyond the end: before the final line
    EXPECT_EQ(pref.ReplaceLine(1, "note = 3\nignored"), 1u);  // a comment becomes an entry
    EXPECT_EQ(pref.mpLines[1].type, kPrefLineEntry);
    EXPECT_EQ(pref.FindLine(kPrefLineEntry, "NOTE", 0), 1u);
    EXPECT_EQ(pref.FindLine(kPrefLineEntry, "end", 2), 3u);
    EXPECT_EQ(pref.FindLine(kPrefLineEntry, "k", 3), kPrefNoLine);
    EXPECT_EQ(pref.FindLine(kPrefLineSection, nullptr, 0), 0u);
    char out[32];
    EXPECT_EQ(pref.GetLineData(0, out, sizeof(out), 0), 0u);
    EXPECT_STREQ(out, "S");
    EXPECT_EQ(pref.GetLineData(1, out, sizeof(out), 0), 1u);
    EXPECT_STREQ(out, "3");
    EXPECT_EQ(pref.DeleteLine(2), 2u);
    EXPECT_EQ(pref.DeleteLine(3), kPrefNoLine);  // the final empty line stays
    EXPECT_EQ(pref.ReplaceLine(3, "x"), kPrefNoLine);
    EXPECT_EQ(pref.GetLineData(3, out, sizeof(out), 0), kPrefNoLine);
    EXPECT_EQ(pref.mpLines[2].offset, 13u);  // "[S]\n" + "note = 3\n"
    EXPECT_EQ(pref.ClosePreference(), kNoErr);
    EXPECT_EQ(Read(), "[S]\nnote = 3\nend = 2\n");
}

TEST_F(PrefFile, SequentialEntriesFollowTheOneBefore) {
    for (int bSequential = 0; bSequential <= 1; ++bSequential) {
        Write("[S]\nx = 1\n");
        {
            CPrefBase pref;
            ASSERT_EQ(Open(pref, 0), kNoErr);
            pref.SetSection("S");
            pref.mbSequential = bSequential;
            EXPECT_EQ(pref.PutString("a", "1"), 2u);
            EXPECT_EQ(pref.InsertLine(3, "; after a"), 3u);
            pref.PutString("b", "2");
        }
        EXPECT_EQ(Read(), bSequential ? "[S]\nx = 1\na = 1\nb = 2\n; after a\n"
                                      : "[S]\nx = 1\na = 1\n; after a\nb = 2\n");
    }
}

TEST_F(PrefFile, MissingFileGivesAnEmptyStoreAndIsNotCreated) {
    CPrefBase pref;
    EXPECT_EQ(Open(pref, 0), kErrNotFound);
    EXPECT_EQ(pref.mnLines, 1u);
    pref.SetSection("A");
    EXPECT_NE(pref.PutString("a", "1"), kPrefNoLine);
    EXPECT_EQ(pref.UpdatePreference(), kErrNotFound);
    EXPECT_EQ(pref.ClosePreference(), kErrNotFound);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PrefFile, FileLargerThanTheStoreIsReadButNeverWrittenBack) {
    // 7,000 lines of 10 bytes: 70,000 bytes, more than the store holds.
    std::string text = "[S]\n";
    for (int i = 0; i < 7000; ++i) {
        text += 'k';
        text += std::to_string(1000 + i);
        text += " = 1\n";
    }
    Write(text);
    {
        CPrefBase pref;
        ASSERT_EQ(Open(pref, 0), kNoErr);
        EXPECT_EQ(pref.mnLength, 65537u);  // the cut line gets a line end
        pref.SetSection("S");
        EXPECT_EQ(Value(pref, "k1000"), "1");
        EXPECT_EQ(Value(pref, "k7999"), "<none>");  // beyond what fitted
        EXPECT_NE(pref.PutString("k1000", "2"), kPrefNoLine);
        EXPECT_EQ(pref.UpdatePreference(), kErrOutOfMemory);
        EXPECT_EQ(pref.mbModified, 1);
    }
    EXPECT_EQ(Read(), text);
}

TEST_F(PrefFile, TextNeverGrowsBeyondWhatCanBeReadBack) {
    Write(std::string(65536, '\n'));  // as many lines as the table holds
    CPrefBase pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    EXPECT_EQ(pref.mnLines, 65537u);
    EXPECT_EQ(pref.InsertLine(0, ""), kPrefNoLine);
    EXPECT_EQ(pref.ReplaceLine(0, "a"), kPrefNoLine);
    EXPECT_EQ(pref.DeleteLine(0), 0u);
    EXPECT_EQ(pref.InsertLine(0, "a"), kPrefNoLine);  // 65,537 bytes
    EXPECT_EQ(pref.InsertLine(0, ""), 0u);
    EXPECT_EQ(pref.ClosePreference(), kNoErr);
    EXPECT_EQ(Read().size(), 65536u);
}

TEST_F(PrefFile, HostileFilesReadWithoutHarm) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37 + 11) & 0xFF);
    for (const std::string& bytes : {std::string(), binary, std::string("[\n]\n[]\n=\n")}) {
        Write(bytes);
        CPrefBase pref;
        ASSERT_EQ(Open(pref, 0), kNoErr) << bytes.size();
        pref.SetSection("x");
        pref.PutString("a", "b");
        pref.ClosePreference();
    }
    // One 1 MB line: the value is cut to the caller's buffer, and the file
    // is left alone because it did not fit.
    Write("key = " + std::string(1 << 20, 'x'));
    CPrefBase pref;
    ASSERT_EQ(Open(pref, 0), kNoErr);
    char out[64];
    EXPECT_EQ(pref.GetString("key", out, sizeof(out), nullptr, 0), 0u);
    EXPECT_EQ(std::string(out), std::string(63, 'x'));
    pref.PutString("key", "1");
    EXPECT_EQ(pref.ClosePreference(), kErrOutOfMemory);
    EXPECT_EQ(Read().size(), 6u + (1u << 20));
    // A key that starts too far into its line is kept but never matched.
    Write(std::string(300, ' ') + "key = 1\n");
    ASSERT_EQ(Open(pref, 1), kNoErr);
    EXPECT_EQ(Value(pref, "key"), "<none>");
}

}  // namespace
