#include "cFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "BvkErrors.h"
#include "Platform.h"
#include "UtilsTestFiles.h"

namespace {

struct Line {
    long result;
    std::string text;
};

// Every line of a file read with the given limit, up to and including the
// first failing call.
std::vector<Line> ReadAllLines(const std::string& path, long limit) {
    CFile file;
    std::vector<Line> lines;
    CFileSpec spec = SpecOf(path);
    if (file.OpenReadOnlyFile(&spec) != kNoErr) return lines;
    std::vector<char> buf(limit + 1, '?');
    for (int guard = 0; guard < 100; ++guard) {
        long length = -1;
        long err = file.ReadTextLine(buf.data(), &length, limit);
        lines.push_back({err, std::string(buf.data(), length)});
        if (err != kNoErr) break;
    }
    return lines;
}

// Writes the content to path and expects exactly these lines from it.
void ExpectLines(const std::string& path, const std::string& content, long limit,
                 const std::vector<Line>& lines) {
    WriteBytes(path, content);
    std::vector<Line> got = ReadAllLines(path, limit);
    ASSERT_EQ(got.size(), lines.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].result, lines[i].result) << "line " << i;
        EXPECT_EQ(got[i].text, lines[i].text) << "line " << i;
    }
}

}  // namespace

// Every kind of line end, pairs split by a block or by the stream's read-ahead
// refill (kPlatformStreamBuffer bytes at a time), and lines cut at the limit.
TEST(CFile, ReadTextLineSplitsEveryLineEndKindAnywhereAndCutsAtTheLimit) {
    const std::string x255(255, 'x');
    const std::string y300(300, 'y');
    const size_t edge = kPlatformStreamBuffer;
    const std::string upToEdge(edge - 1, 'a');  // the byte before the edge is the line end
    const std::string c20(20, 'c'), a11(edge - 11, 'a'), d2(2 * edge + 5, 'd');
    const std::string nulZ("\0z", 2);
    const long wide = 3 * edge;
    const Line eof{kErrEndOfFile, ""};
    struct Case {
        const char* name;
        std::string content;
        long limit;
        std::vector<Line> lines;
    };
    const std::vector<Case> cases = {
        {"mixed ends", "a\r\nb\rc\nd", 1024, {{0, "a"}, {0, "b"}, {0, "c"}, {0, "d"}, eof}},
        {"empty file", "", 1024, {eof}},
        {"two LFs are two lines", "\n\n", 1024, {{0, ""}, {0, ""}, eof}},
        {"LF CR is one line end", "p\n\rq", 1024, {{0, "p"}, {0, "q"}, eof}},
        {"CR CR are two", "p\r\rq", 1024, {{0, "p"}, {0, ""}, {0, "q"}, eof}},
        {"NUL ends a line", std::string("ab\0cd\n", 6), 1024, {{0, "ab"}, {0, "cd"}, eof}},
        {"NUL never pairs", std::string("a\0\nb", 4), 1024, {{0, "a"}, {0, ""}, {0, "b"}, eof}},
        {"binary bytes pass", "\xA1\xFF\x01", 1024, {{0, "\xA1\xFF\x01"}, eof}},
        // Bytes 0..254 are text, 255 (last of the first block) is CR, 256 LF.
        {"CR LF across blocks", x255 + "\r\nz", 1024, {{0, x255}, {0, "z"}, eof}},
        {"LF CR across blocks", x255 + "\n\rz", 1024, {{0, x255}, {0, "z"}, eof}},
        {"CR ends last block", x255 + "\r", 1024, {{0, x255}, eof}},
        {"line over one block", y300 + "\nz", 1024, {{0, y300}, {0, "z"}, eof}},
        {"600 with limit 512",
         std::string(600, 'w') + "\n",
         512,
         {{0, std::string(512, 'w')}, {0, std::string(88, 'w')}, eof}},
        {"line exactly at limit", "abcd\nef", 4, {{0, "abcd"}, {0, ""}, {0, "ef"}, eof}},
        {"limit one", "ab\n", 1, {{0, "a"}, {0, "b"}, {0, ""}, eof}},
        {"CR LF across a refill", upToEdge + "\r\nb", wide, {{0, upToEdge}, {0, "b"}, eof}},
        {"LF CR across a refill", upToEdge + "\n\rb", wide, {{0, upToEdge}, {0, "b"}, eof}},
        {"CR CR at a refill", upToEdge + "\r\r", wide, {{0, upToEdge}, {0, ""}, eof}},
        {"NUL after a refill",
         upToEdge + "\n" + nulZ,
         wide,
         {{0, upToEdge}, {0, ""}, {0, "z"}, eof}},
        // Bytes edge-10 .. edge+9 are one line of 20.
        {"line across a refill", a11 + "\n" + c20 + "\n", wide, {{0, a11}, {0, c20}, eof}},
        {"two refills in one line", d2 + "\r\n", wide, {{0, d2}, eof}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectLines(folder / "t.txt", c.content, c.limit, c.lines);
    }
}

// A file still being written: lines added after the reader read ahead, or
// after it met the end, are read on.
TEST(CFile, ReadTextLineReadsLinesAddedWhileTheFileIsRead) {
    TempFolder folder;
    const std::string path = folder / "growing.txt";
    WriteBytes(path, "a\nb\n");
    CFileSpec spec = SpecOf(path);
    CFile file;
    ASSERT_EQ(file.OpenReadOnlyFile(&spec), kNoErr);
    auto next = [&file]() {
        char line[64];
        long length = 0;
        const long err = file.ReadTextLine(line, &length, 63);
        return err == kNoErr ? std::string(line, length) : "error " + std::to_string(err);
    };
    auto add = [&path](const char* text) {
        std::ofstream(path, std::ios::binary | std::ios::app) << text;
    };
    EXPECT_EQ(next(), "a");  // the whole file is read ahead here
    add("c\n");
    EXPECT_EQ(next(), "b");
    EXPECT_EQ(next(), "c");
    EXPECT_EQ(next(), "error " + std::to_string(kErrEndOfFile));
    add("d\n");
    EXPECT_EQ(next(), "d");
}

TEST(CFile, ReadTextLineArgumentRules) {
    TempFolder folder;
    WriteBytes(folder / "t.txt", "hello\nworld\n");
    CFile file;
    CFileSpec spec = SpecOf(folder / "t.txt");
    ASSERT_EQ(file.OpenReadOnlyFile(&spec), kNoErr);
    char buf[16];

    // The limit comes from *pLength when maxLength is 0.
    long length = 3;
    EXPECT_EQ(file.ReadTextLine(buf, &length, 0), kNoErr);
    EXPECT_STREQ(buf, "hel");
    EXPECT_EQ(length, 3);

    // A zero limit reads nothing and moves nothing.
    length = 0;
    strcpy(buf, "keep");
    EXPECT_EQ(file.ReadTextLine(buf, &length, 0), kNoErr);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(file.mnPosition, 3);

    EXPECT_EQ(file.ReadTextLine(nullptr, &length, 10), kErrBadArgument);
    EXPECT_EQ(length, 0);

    // No length pointer is fine.
    EXPECT_EQ(file.ReadTextLine(buf, nullptr, 15), kNoErr);
    EXPECT_STREQ(buf, "lo");
    EXPECT_EQ(file.ReadTextLine(buf, nullptr, 15), kNoErr);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(file.ReadTextLine(buf, nullptr, 15), kErrEndOfFile);
    EXPECT_STREQ(buf, "");

    CFile closed;
    EXPECT_EQ(closed.ReadTextLine(buf, nullptr, 15), kErrBadArgument);
}

TEST(CFile, OpenModesGiveTheirResults) {
    struct Case {
        const char* name;
        unsigned long flags;
        bool existsBefore;
        long result;
        std::string contentAfter;  // "<missing>" when no file should be there
        long long positionAfter;
    };
    const std::vector<Case> cases = {
        {"0 means read/write existing", 0, true, kNoErr, "old!", 0},
        {"0 on missing", 0, false, kErrNotFound, "<missing>", 0},
        {"read-only on missing", 0x041, false, kErrNotFound, "<missing>", 0},
        {"read-only", 0x041, true, kNoErr, "old!", 0},
        {"create new on existing", 0x013, true, kErrNameInUse, "old!", 0},
        {"create new on missing", 0x013, false, kNoErr, "", 0},
        {"create new replacing", 0x053, true, kNoErr, "", 0},
        {"create missing on missing", 0x023, false, kNoErr, "", 0},
        {"create missing on existing", 0x023, true, kNoErr, "old!", 0},
        {"must exist", 0x043, false, kErrNotFound, "<missing>", 0},
        {"truncate", 0x143, true, kNoErr, "", 0},
        {"append", 0x443, true, kNoErr, "old!", 4},
        {"neither create nor must exist", 0x003, false, kErrNotFound, "<missing>", 0},
        {"shared forces read and write", 0x044, true, kNoErr, "old!", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder / "f.dat";
        if (c.existsBefore) WriteBytes(path, "old!");
        CFile file;
        CFileSpec spec = SpecOf(path);
        EXPECT_EQ(file.OpenFile(&spec, c.flags, 0, 0), c.result);
        EXPECT_EQ(file.mnRefNum != 0, c.result == kNoErr);
        EXPECT_EQ(file.mnPosition, c.positionAfter);
        EXPECT_EQ(file.GetFileSize(),
                  static_cast<long long>(c.result == kNoErr ? c.contentAfter.size() : 0));
        if (c.flags == 0x044) {
            unsigned long done = 0;
            EXPECT_EQ(file.WriteFile("N", 1, &done), kNoErr);
            EXPECT_EQ(done, 1u);
        }
        EXPECT_EQ(file.CloseFile(), kNoErr);
        EXPECT_EQ(file.mnRefNum, 0);
        std::string expected = c.flags == 0x044 ? "Nld!" : c.contentAfter;
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

TEST(CFile, ReadOnlyStreamRefusesWritesAndFoldersDoNotOpen) {
    TempFolder folder;
    WriteBytes(folder / "r.txt", "abc");
    CFile file;
    CFileSpec spec = SpecOf(folder / "r.txt");
    ASSERT_EQ(file.OpenReadOnlyFile(&spec), kNoErr);
    unsigned long done = 99;
    EXPECT_NE(file.WriteFile("zz", 2, &done), kNoErr);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(file.CloseFile(), kNoErr) << "a read-only open reports no write failures";
    EXPECT_EQ(ReadBytes(folder / "r.txt"), "abc");

    spec.SetFileSpec(folder.path.string().c_str());
    EXPECT_NE(file.OpenReadOnlyFile(&spec), kNoErr);
    EXPECT_EQ(file.mnRefNum, 0);
    EXPECT_EQ(file.OpenFile(&spec, 0x053, 0, 0), kErrNameInUse);
    EXPECT_TRUE(fs::is_directory(folder.path));
}

TEST(CFile, ReadWriteAndPositioning) {
    TempFolder folder;
    CFile file;
    CFileSpec spec = SpecOf(folder / "sub/dir/p.bin");
    ASSERT_EQ(file.OpenFile(&spec, 0x023, 0, 0), kNoErr) << "folders on the way are created";
    unsigned long n = 0;
    EXPECT_EQ(file.WriteFile("0123456789", 10, &n), kNoErr);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(file.mnPosition, 10);

    struct Move {
        long long offset;
        long mode;
        long long position;
    };
    const Move moves[] = {{3, 1, 3}, {-2, 2, 8}, {-5, 3, 3}, {7, 9, 3}, {1, 0, 3}, {2, 3, 5}};
    for (const Move& m : moves) {
        EXPECT_EQ(file.MoveFilePointer(m.offset, m.mode), kNoErr);
        EXPECT_EQ(file.mnPosition, m.position) << "offset " << m.offset << " mode " << m.mode;
    }
    char buf[8] = {};
    EXPECT_EQ(file.ReadFile(buf, 3, &n), kNoErr);
    EXPECT_EQ(std::string(buf, 3), "567");
    EXPECT_EQ(file.RewindFilePointer(2), kNoErr);
    EXPECT_EQ(file.mnPosition, 6);
    EXPECT_EQ(file.AppendFilePointer(), kNoErr);
    EXPECT_EQ(file.mnPosition, 10);

    // Reading past the end moves what is there and says end of file.
    file.MoveFilePointer(8, 1);
    EXPECT_EQ(file.ReadFile(buf, 5, &n), kErrEndOfFile);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(file.mnPosition, 10);

    EXPECT_EQ(file.SetFileSize(4), kNoErr);
    EXPECT_EQ(file.GetFileSize(), 4);
    EXPECT_EQ(file.SetFileSize(0x100000000LL), kErrBadArgument);
    EXPECT_EQ(file.CloseFile(), kNoErr);
    EXPECT_EQ(file.mnPosition, 0);
    EXPECT_EQ(file.GetFileSize(), 0);
    EXPECT_EQ(ReadBytes(folder / "sub/dir/p.bin"), "0123");
    EXPECT_EQ(file.CloseFile(), kNoErr) << "closing twice is harmless";
}

TEST(CFile, OpenCreateFileReplacesOnlyAtASuccessfulClose) {
    TempFolder folder;
    const std::string path = folder / "out.txt";
    WriteBytes(path, "previous\n");
    CFileSpec spec = SpecOf(path);

    // Success: the old content is there until the close, then the new.
    {
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
        EXPECT_EQ(file.WriteTextFormat("new %d\n", 1), kNoErr);
        EXPECT_EQ(file.GetFileSize(), 6) << "the size is the new content's";
        EXPECT_EQ(ReadBytes(path), "previous\n");
        file.MoveFilePointer(0, 1);
        char buf[16];
        EXPECT_EQ(file.ReadTextLine(buf, nullptr, 15), kNoErr);
        EXPECT_STREQ(buf, "new 1");
        EXPECT_EQ(file.CloseFile(), kNoErr);
        EXPECT_EQ(ReadBytes(path), "new 1\n");
        EXPECT_TRUE(file.DoesObjectExist(0));
    }
    EXPECT_EQ(Names(folder.path), std::vector<std::string>{"out.txt"});

    // A failed write spoils the close; the previous file stays as it was.
    {
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
        EXPECT_EQ(file.WriteTextFormat("half"), kNoErr);
        EXPECT_EQ(file.WriteFile(nullptr, 10, nullptr), kErrBadArgument);
        EXPECT_EQ(file.WriteTextFormat("more"), kNoErr);
        EXPECT_EQ(file.CloseFile(), kErrBadArgument);
    }
    EXPECT_EQ(ReadBytes(path), "new 1\n");
    EXPECT_EQ(Names(folder.path), std::vector<std::string>{"out.txt"});

    // Abandoning leaves the old file too, and so does an abandoned new name.
    {
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
        EXPECT_EQ(file.WriteTextFormat("never"), kNoErr);
        EXPECT_EQ(file.AbandonFile(), kNoErr);
        EXPECT_EQ(file.mnRefNum, 0);
        EXPECT_EQ(file.CloseFile(), kNoErr);
        CFileSpec fresh = SpecOf(folder / "fresh.txt");
        ASSERT_EQ(file.OpenCreateFile(&fresh, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
        EXPECT_EQ(file.AbandonFile(), kNoErr);
    }
    EXPECT_EQ(ReadBytes(path), "new 1\n");
    EXPECT_EQ(Names(folder.path), std::vector<std::string>{"out.txt"});

    // The destructor closes, which puts a clean file in place.
    {
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
        file.WriteTextFormat("by destructor");
    }
    EXPECT_EQ(ReadBytes(path), "by destructor");

    // A replaced file keeps its permissions, so a file the station made
    // private stays private.
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    {
        CFile file;
        ASSERT_EQ(file.OpenCreateFile(&spec, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
        file.WriteTextFormat("private");
    }
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // A folder of that name is never replaced.
    CFile file;
    CFileSpec folderSpec = SpecOf(folder.path.string());
    EXPECT_EQ(file.OpenCreateFile(&folderSpec, FourCC("Qmzk"), FourCC("TEXT")), kErrNameInUse);
}

TEST(CFile, TypeAndCreatorAreGivenAtClose) {
    TempFolder folder;
    if (!PlatformTypeCreatorSupported(folder.path.string().c_str()))
        GTEST_SKIP() << "the temporary file system keeps no extended attributes";
    const std::string path = folder / "coded.txt";
    WriteBytes(path, "x");
    CFileTool tool;
    tool.SetFileSpec(path.c_str());
    ASSERT_EQ(tool.SetFileCreatorType(FourCC("Olds"), FourCC("OLDT")), kNoErr);

    CFile file;
    CFileSpec spec = SpecOf(path);
    ASSERT_EQ(file.OpenCreateFile(&spec, FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
    XFCatInfo info;
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.type, FourCC("OLDT"))
        << "the old file is untouched while the new one is written";
    // The hidden file being written carries the placeholder codes.
    for (const std::string& name : Names(folder.path)) {
        if (name == "coded.txt") continue;
        uint32_t type = 0, creator = 0;
        PlatformGetTypeCreator((folder / name).c_str(), &type, &creator);
        EXPECT_EQ(type, FourCC("brok"));
        EXPECT_EQ(creator, FourCC("MACS"));
    }
    ASSERT_EQ(file.CloseFile(), kNoErr);
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.type, FourCC("TEXT"));
    EXPECT_EQ(info.creator, FourCC("Qmzk"));

    // OpenFile creating a file gives it the placeholder until the close.
    CFileSpec other = SpecOf(folder / "made.dat");
    ASSERT_EQ(file.OpenFile(&other, 0x033, FourCC("Crea"), FourCC("Type")), kNoErr);
    tool.SetFileSpec((folder / "made.dat").c_str());
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.type, FourCC("brok"));
    EXPECT_EQ(info.creator, FourCC("MACS"));
    ASSERT_EQ(file.CloseFile(), kNoErr);
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.type, FourCC("Type"));
    EXPECT_EQ(info.creator, FourCC("Crea"));
}

TEST(CFile, WriteTextFormatConvertsLineEndsAndCutsAt1023) {
    struct Case {
        long mode;
        long convert;
        const char* text;
        std::string written;
    };
    const std::vector<Case> cases = {
        {2, 1, "a\rb\r\nc\n", "a\nb\n\nc\n"},
        {1, 1, "a\rb\r\nc\n", "a\rb\r\rc\r"},
        {0, 1, "a\rb\r\nc\n", "a\rb\r\nc\n"},
        {2, 0, "a\rb\n", "a\rb\n"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CFile file;
        CFileSpec spec = SpecOf(folder / "w.txt");
        ASSERT_EQ(file.OpenCreateFile(&spec, 0, FourCC("TEXT")), kNoErr);
        file.SetLineEnding(c.mode);
        file.mbConvertLineEnds = static_cast<int32_t>(c.convert);
        EXPECT_EQ(file.WriteTextFormat("%s", c.text), kNoErr);
        EXPECT_EQ(file.CloseFile(), kNoErr);
        EXPECT_EQ(ReadBytes(folder / "w.txt"), c.written);
    }

    CFile file;
    CFileSpec spec = SpecOf(folder / "long.txt");
    ASSERT_EQ(file.OpenCreateFile(&spec, 0, FourCC("TEXT")), kNoErr);
    std::string big(2000, 'q');
    EXPECT_EQ(file.WriteTextFormat("%s%s", big.c_str(), "tail"), kNoErr);
    EXPECT_EQ(file.WriteTextFormat(nullptr), kErrBadArgument);
    EXPECT_EQ(file.CloseFile(), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "long.txt"), std::string(1023, 'q'));
}

TEST(CFile, CloseFinishesTheFileItWasOpenedFor) {
    TempFolder folder;
    CFile file;
    CFileSpec first, second;
    first.SetFileSpec((folder / "first.txt").c_str());
    second.SetFileSpec((folder / "second.txt").c_str());
    ASSERT_EQ(file.OpenCreateFile(&first, 0, FourCC("TEXT")), kNoErr);
    file.WriteTextFormat("one");
    // Opening another file closes this one under its own name first.
    ASSERT_EQ(file.OpenCreateFile(&second, 0, FourCC("TEXT")), kNoErr);
    file.WriteTextFormat("two");
    // Pointing the file spec elsewhere does not move the file being written.
    file.SetFileSpec((folder / "elsewhere.txt").c_str());
    EXPECT_EQ(file.CloseFile(), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "first.txt"), "one");
    EXPECT_EQ(ReadBytes(folder / "second.txt"), "two");
    EXPECT_EQ(Names(folder.path), (std::vector<std::string>{"first.txt", "second.txt"}));
}

TEST(CFile, InterleavedReadsWritesAndMovesSeeEachOther) {
    TempFolder folder;
    const std::string path = folder / "rw.txt";
    CFile file;
    CFileSpec spec = SpecOf(path);
    ASSERT_EQ(file.OpenFile(&spec, 0x023, 0, 0), kNoErr);
    char buf[64];
    long length = 0;

    ASSERT_EQ(file.WriteTextFormat("line1\nline2\n"), kNoErr);
    EXPECT_EQ(file.GetFileSize(), 12);
    XPlatformStat info;
    ASSERT_EQ(PlatformStat(path.c_str(), 1, &info), kNoErr);
    EXPECT_EQ(info.size, 12u) << "what was written is on the file for its path too";

    file.MoveFilePointer(0, 1);
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kNoErr);
    EXPECT_STREQ(buf, "line1");
    EXPECT_EQ(file.mnPosition, 6);
    // Overwrite the start of the line just read ahead, then read on.
    ASSERT_EQ(file.WriteTextFormat("XX"), kNoErr);
    EXPECT_EQ(file.mnPosition, 8);
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kNoErr);
    EXPECT_STREQ(buf, "ne2");
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kErrEndOfFile);

    // Past the end: the gap reads as zeros, so as an empty line (NUL).
    file.MoveFilePointer(2, 2);
    EXPECT_EQ(file.mnPosition, 14);
    ASSERT_EQ(file.WriteTextFormat("tail"), kNoErr);
    EXPECT_EQ(file.GetFileSize(), 18);
    file.MoveFilePointer(-6, 3);
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kNoErr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(file.mnPosition, 13);

    // A write longer than the buffer, between small ones.
    const std::string big(kPlatformStreamBuffer + 3, 'B');
    file.AppendFilePointer();
    ASSERT_EQ(file.WriteTextFormat("<"), kNoErr);
    unsigned long done = 0;
    ASSERT_EQ(file.WriteFile(big.data(), big.size(), &done), kNoErr);
    EXPECT_EQ(done, big.size());
    ASSERT_EQ(file.WriteTextFormat(">"), kNoErr);
    EXPECT_EQ(file.mnPosition, static_cast<int64_t>(20 + big.size()));

    // Shrinking drops what was read ahead beyond the new end.
    file.MoveFilePointer(0, 1);
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kNoErr);
    ASSERT_EQ(file.SetFileSize(8), kNoErr);
    EXPECT_EQ(file.mnPosition, 6);
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kNoErr);
    EXPECT_STREQ(buf, "XX");
    EXPECT_EQ(file.ReadTextLine(buf, &length, 63), kErrEndOfFile);
    EXPECT_EQ(file.CloseFile(), kNoErr);
    EXPECT_EQ(ReadBytes(path), "line1\nXX");
}

TEST(CFile, StreamsAndBorrowersOfOneFileSeeEachOthersBytes) {
    TempFolder folder;
    // A borrower of an output being written writes where the owner stands.
    CFile owner;
    CFileSpec shared = SpecOf(folder / "shared.txt");
    ASSERT_EQ(owner.OpenCreateFile(&shared, 0, FourCC("TEXT")), kNoErr);
    owner.WriteTextFormat("head\n");
    {
        CFile borrower;
        borrower.mnRefNum = owner.mnRefNum;
        EXPECT_EQ(borrower.WriteTextFormat("table\n"), kNoErr);
        borrower.mnRefNum = 0;  // given back: releasing the borrower closes nothing
    }
    owner.WriteTextFormat("end\n");
    EXPECT_EQ(owner.mnPosition, 15);
    EXPECT_EQ(owner.CloseFile(), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "shared.txt"), "head\ntable\nend\n");

    const std::string path = folder / "two.txt";
    WriteBytes(path, "one\ntwo\nsix\n");
    CFileSpec spec = SpecOf(path);
    CFile reader, writer;
    ASSERT_EQ(reader.OpenReadOnlyFile(&spec), kNoErr);
    ASSERT_EQ(writer.OpenFile(&spec, 0x003, 0, 0), kNoErr);
    char buf[16];
    long length = 0;

    // The reader has the whole file read ahead when the writer changes it.
    EXPECT_EQ(reader.ReadTextLine(buf, &length, 15), kNoErr);
    EXPECT_STREQ(buf, "one");
    writer.MoveFilePointer(4, 1);
    ASSERT_EQ(writer.WriteTextFormat("TWO"), kNoErr);
    EXPECT_EQ(reader.ReadTextLine(buf, &length, 15), kNoErr);
    EXPECT_STREQ(buf, "TWO");

    // A borrower of the reader's stream goes on where the reader stopped,
    // and the reader goes on after the borrower.
    {
        CFile borrower;
        borrower.mnRefNum = reader.mnRefNum;
        EXPECT_EQ(borrower.ReadTextLine(buf, &length, 15), kNoErr);
        EXPECT_STREQ(buf, "six");
        borrower.mnRefNum = 0;
    }
    writer.AppendFilePointer();
    ASSERT_EQ(writer.WriteTextFormat("ten"), kNoErr);
    EXPECT_EQ(reader.ReadTextLine(buf, &length, 15), kNoErr);
    EXPECT_STREQ(buf, "ten");
    EXPECT_EQ(reader.mnPosition, 15);
    EXPECT_EQ(reader.GetFileSize(), 15);
    EXPECT_EQ(writer.CloseFile(), kNoErr);
    EXPECT_EQ(reader.CloseFile(), kNoErr);
    EXPECT_EQ(ReadBytes(path), "one\nTWO\nsix\nten");
}
