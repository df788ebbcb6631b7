#include "cFileTool.h"

#include <gtest/gtest.h>

#include <chrono>

#include "BvkErrors.h"
#include "Platform.h"
#include "UtilsTestFiles.h"

namespace {

// The trash lives in the home folder: keep it inside the test.
struct ToolFolder : TempFolder {
    ToolFolder() {
        fs::create_directory(path / "home");
        setenv("HOME", (path / "home").c_str(), 1);
    }
};

int64_t UnixModified(const fs::path& path) {
    auto time = fs::last_write_time(path);
    auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

}  // namespace

TEST(CFileTool, CreateFilesAndFolders) {
    ToolFolder folder;
    CFileTool tool;
    tool.SetFileSpec((folder / "a/b/new.txt").c_str());
    EXPECT_EQ(tool.CreateFile(FourCC("Qmzk"), FourCC("TEXT")), kNoErr);
    EXPECT_EQ(fs::file_size(folder.path / "a/b/new.txt"), 0u);
    EXPECT_EQ(tool.CreateFile(0, 0), kErrNameInUse);

    tool.SetFileSpec((folder / "c/d").c_str());
    EXPECT_EQ(tool.CreateFolder(), kNoErr);
    EXPECT_EQ(PathOf(tool), folder / "c/d/");
    EXPECT_EQ(tool.CreateFolder(), kErrNameInUse);
}

TEST(CFileTool, CatalogInformationAndListing) {
    ToolFolder folder;
    ScopedTZ tz("PST8PDT");
    fs::create_directory(folder.path / "list");
    WriteBytes(folder / "list/one.txt", "12345");
    WriteBytes(folder / "list/two.txt", "");

    CFileTool tool;
    tool.SetFileSpec((folder / "list/one.txt").c_str());
    // 2008-07-01 12:00:00 local daylight time is 19:00:00 UTC.
    ASSERT_EQ(tool.SetFileCreationDate(3297758400ul), kNoErr);
    EXPECT_EQ(UnixModified(folder.path / "list/one.txt"), 1214938800);
    // 2008-01-15 06:00:00 local standard time is 14:00:00 UTC.
    tool.SetFileSpec((folder / "list/two.txt").c_str());
    ASSERT_EQ(tool.SetFileCreationDate(3283221600ul), kNoErr);
    EXPECT_EQ(UnixModified(folder.path / "list/two.txt"), 1200405600);

    XFCatInfo info;
    tool.SetFileSpec((folder / "list/one.txt").c_str());
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_STREQ(info.name, "one.txt");
    EXPECT_EQ(info.created, 3297758400u);
    EXPECT_EQ(info.modified, 3297758400u);
    EXPECT_EQ(info.isFolder, 0);

    tool.SetFileSpec((folder / "list").c_str());
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.isFolder, 1);
    EXPECT_EQ(info.items, 2u);
    EXPECT_EQ(info.type, FourCC("fold"));

    // Listing by index walks the folder; past the last item is -43.
    std::vector<std::string> listed;
    for (unsigned long index = 1; index <= 2; ++index) {
        CFileTool walker;
        walker.SetFileSpec((folder / "list/").c_str());
        ASSERT_EQ(walker.GetFileCatInfo(&info, index), kNoErr);
        listed.push_back(info.name);
        EXPECT_EQ(PathOf(walker), folder / ("list/" + listed.back()));
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"one.txt", "two.txt"}));
    tool.SetFileSpec((folder / "list").c_str());
    EXPECT_EQ(tool.GetFileCatInfo(&info, 3), kErrNotFound);
    EXPECT_STREQ(info.name, "");
    tool.SetFileSpec((folder / "list/none.txt").c_str());
    EXPECT_EQ(tool.GetFileCatInfo(&info, 0), kErrNotFound);
}

TEST(CFileTool, TypeAndCreatorCodes) {
    ToolFolder folder;
    if (!PlatformTypeCreatorSupported(folder.path.c_str()))
        GTEST_SKIP() << "the temporary file system keeps no extended attributes";
    WriteBytes(folder / "c.txt", "x");
    CFileTool tool;
    tool.SetFileSpec((folder / "c.txt").c_str());
    XFCatInfo info;
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.type, 0u) << "a file nobody coded";
    // Setting one code leaves the other alone.
    EXPECT_EQ(tool.SetFileType(FourCC("LLUV")), kNoErr);
    EXPECT_EQ(tool.SetFileCreator(FourCC("Fnwr")), kNoErr);
    ASSERT_EQ(tool.GetFileCatInfo(&info, 0), kNoErr);
    EXPECT_EQ(info.type, FourCC("LLUV"));
    EXPECT_EQ(info.creator, FourCC("Fnwr"));
    tool.SetFileSpec((folder / "missing").c_str());
    EXPECT_EQ(tool.SetFileType(FourCC("TEXT")), kErrNotFound);
}

TEST(CFileTool, SequenceRenameTakesTheFirstFreeName) {
    struct Case {
        const char* name;
        std::vector<std::string> present;  // besides a.txt
        const char* separator;
        long first, last;
        long result;
        std::string renamedTo;
    };
    const std::vector<Case> cases = {
        {"first free", {"a_1.txt"}, "_", 1, 3, kNoErr, "a_2.txt"},
        {"none free", {"a_1.txt", "a_2.txt", "a_3.txt"}, "_", 1, 3, kErrNotFound, "a.txt"},
        {"empty range", {}, "_", 3, 1, kErrNotFound, "a.txt"},
        {"zero tries the name itself", {}, "", 0, 5, kNoErr, "a.txt"},
        {"zero with a separator", {}, "-", 0, 5, kNoErr, "a-.txt"},
        {"null separator", {"a1.txt"}, nullptr, 1, 9, kNoErr, "a2.txt"},
        {"large numbers", {}, "_", 2147483646, 2147483647, kNoErr, "a_2147483646.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolFolder folder;
        WriteBytes(folder / "a.txt", "A");
        for (const std::string& name : c.present) WriteBytes(folder / name, "other");
        CFileTool tool;
        tool.SetFileSpec((folder / "a.txt").c_str());
        EXPECT_EQ(tool.SequenceRenameFile(c.separator, c.first, c.last), c.result);
        EXPECT_EQ(ReadBytes(folder / c.renamedTo), "A");
        EXPECT_EQ(PathOf(tool), folder / c.renamedTo);
        for (const std::string& name : c.present) EXPECT_EQ(ReadBytes(folder / name), "other");
    }

    // Names without an extension, and folders.
    ToolFolder folder;
    fs::create_directory(folder.path / "dir");
    CFileTool tool;
    tool.SetFileSpec((folder / "dir").c_str());
    EXPECT_EQ(tool.SequenceRenameFile("_", 1, 1), kNoErr);
    EXPECT_TRUE(fs::is_directory(folder.path / "dir_1"));
    EXPECT_EQ(PathOf(tool), folder / "dir_1/");
}

TEST(CFileTool, RenameFileHonoursWhatIsInTheWay) {
    ToolFolder folder;
    WriteBytes(folder / "a.txt", "A");
    WriteBytes(folder / "b.txt", "B");
    CFileTool tool;
    tool.SetFileSpec((folder / "a.txt").c_str());
    EXPECT_EQ(tool.RenameFile("b.txt", 0), kErrNameInUse);
    EXPECT_EQ(ReadBytes(folder / "b.txt"), "B");
    EXPECT_EQ(PathOf(tool), folder / "a.txt");
    for (const char* bad : {"", "x/y", ".", ".."})
        EXPECT_EQ(tool.RenameFile(bad, 0), kErrBadArgument);
    EXPECT_EQ(tool.RenameFile(std::string(257, 'r').c_str(), 0), kErrBadArgument);
    EXPECT_EQ(tool.RenameFile("b.txt", 1), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "b.txt"), "A");
    EXPECT_EQ(Names(folder.path), (std::vector<std::string>{"b.txt", "home"}));
    EXPECT_EQ(tool.RenameFile("b.txt", 0), kNoErr) << "its own name is no conflict";
    tool.SetFileSpec((folder / "gone.txt").c_str());
    EXPECT_EQ(tool.RenameFile("c.txt", 0), kErrNotFound);
}

TEST(CFileTool, DeleteFileAndItsFallbacks) {
    // A folder that still holds an item cannot be deleted: it answers busy,
    // which is what the retry and fallback options are about.
    struct Case {
        const char* name;
        unsigned long options;
        long result;
        bool stays;
        std::string asideName;  // where it went, in the folder or the trash
        bool inTrash;
    };
    const std::vector<Case> cases = {
        {"no retry", 0x10, kErrBusy, true, "", false},
        {"to the trash", 0x12, kNoErr, false, "full", true},
        {"renamed aside", 0x18, kNoErr, false, "full_1", false},
        {"trash first", 0x1A, kNoErr, false, "full", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolFolder folder;
        fs::create_directory(folder.path / "full");
        WriteBytes(folder / "full/item", "i");
        CFileTool tool;
        tool.SetFileSpec((folder / "full").c_str());
        EXPECT_EQ(tool.DeleteFile(c.options), c.result);
        EXPECT_EQ(fs::exists(folder.path / "full"), c.stays);
        if (!c.asideName.empty()) {
            fs::path aside =
                c.inTrash ? folder.path / "home/.Trash" / c.asideName : folder.path / c.asideName;
            EXPECT_EQ(ReadBytes((aside / "item").string()), "i");
        }
    }

    ToolFolder folder;
    WriteBytes(folder / "f.txt", "f");
    CFileTool tool;
    tool.SetFileSpec((folder / "f.txt").c_str());
    EXPECT_EQ(tool.DeleteFile(0), kNoErr);
    EXPECT_FALSE(fs::exists(folder.path / "f.txt"));
    EXPECT_EQ(tool.DeleteFile(0), kErrNotFound);
}

TEST(CFileTool, DeleteFolderAlsoRecursively) {
    ToolFolder folder;
    fs::create_directories(folder.path / "tree/sub/deeper");
    WriteBytes(folder / "tree/a", "a");
    WriteBytes(folder / "tree/sub/deeper/b", "b");
    fs::create_directory(folder.path / "outside");
    WriteBytes(folder / "outside/keep", "k");
    fs::create_directory_symlink(folder.path / "outside", folder.path / "tree/link");

    CFileTool tool;
    tool.SetFileSpec((folder / "tree").c_str());
    EXPECT_EQ(tool.DeleteFolder(0), kErrBusy);
    EXPECT_EQ(ReadBytes(folder / "tree/a"), "a");
    EXPECT_EQ(tool.DeleteFolder(1), kNoErr);
    EXPECT_FALSE(fs::exists(folder.path / "tree"));
    EXPECT_EQ(ReadBytes(folder / "outside/keep"), "k") << "a link is removed, not followed";

    tool.SetFileSpec((folder / "outside/keep").c_str());
    EXPECT_EQ(tool.DeleteFolder(1), kErrNotAFolder);
    tool.SetFileSpec((folder / "nothing").c_str());
    EXPECT_EQ(tool.DeleteFolder(1), kErrNotFound);
}

TEST(CFileTool, MoveFileAndMoveToTrash) {
    ToolFolder folder;
    WriteBytes(folder / "a.txt", "new");
    CFileTool tool;
    tool.SetFileSpec((folder / "a.txt").c_str());
    CFileSpec dest;
    dest.SetFileSpec((folder / "to/deep/").c_str());
    EXPECT_EQ(tool.MoveFile(&dest, 0), kNoErr) << "missing destination folders are made";
    EXPECT_EQ(ReadBytes(folder / "to/deep/a.txt"), "new");
    EXPECT_EQ(PathOf(tool), folder / "to/deep/a.txt");

    // Into a file's folder, with a same-named object in the way.
    fs::create_directory(folder.path / "b");
    WriteBytes(folder / "b/a.txt", "old");
    WriteBytes(folder / "b/other", "o");
    dest.SetFileSpec((folder / "b/other").c_str());
    EXPECT_EQ(tool.MoveFile(&dest, 0), kErrNameInUse);
    EXPECT_EQ(PathOf(tool), folder / "to/deep/a.txt");
    EXPECT_EQ(tool.MoveFile(&dest, 0x08), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "b/a.txt"), "new");
    EXPECT_EQ(ReadBytes(folder / "b/a_1.txt"), "old");
    fs::create_directory(folder.path / "c");
    WriteBytes(folder / "c/a.txt", "older");
    dest.SetFileSpec((folder / "c/").c_str());
    EXPECT_EQ(tool.MoveFile(&dest, 0x01), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "c/a.txt"), "new");
    EXPECT_EQ(Names(folder.path / "c"), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(tool.MoveFile(nullptr, 0), kErrBadArgument);

    // The trash: a same-named item there is moved aside with _1.
    WriteBytes(folder / "t.txt", "first");
    tool.SetFileSpec((folder / "t.txt").c_str());
    EXPECT_EQ(tool.MoveFileToTrash(0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "home/.Trash/t.txt"), "first");
    EXPECT_EQ(PathOf(tool), folder / "home/.Trash/t.txt");
    WriteBytes(folder / "t.txt", "second");
    tool.SetFileSpec((folder / "t.txt").c_str());
    EXPECT_EQ(tool.MoveFileToTrash(0), kErrNameInUse);
    EXPECT_EQ(tool.MoveFileToTrash(0x08), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "home/.Trash/t.txt"), "second");
    EXPECT_EQ(ReadBytes(folder / "home/.Trash/t_1.txt"), "first");
    WriteBytes(folder / "t.txt", "third");
    tool.SetFileSpec((folder / "t.txt").c_str());
    EXPECT_EQ(tool.MoveFileToTrash(0x04), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "home/.Trash/t.txt"), "third");
}

// The exchange itself is checked through links in OutputPlacementTest; here
// its refusals.
TEST(CFileTool, ExchangeNeedsTwoFiles) {
    ToolFolder folder;
    WriteBytes(folder / "report.rdt", "new contents");
    CFileTool current, fresh;
    current.SetFileSpec((folder / "report.rdt").c_str());
    EXPECT_EQ(current.ExchangeFiles(nullptr), kErrBadArgument);
    fresh.SetFileSpec((folder / "absent").c_str());
    EXPECT_EQ(current.ExchangeFiles(&fresh), kErrNotFound);
    EXPECT_EQ(ReadBytes(folder / "report.rdt"), "new contents");
}

TEST(CFileTool, CopyKeepsContentPermissionsAndTimes) {
    ToolFolder folder;
    ScopedTZ tz("UTC");
    WriteBytes(folder / "src.rv", "radial data\n");
    fs::permissions(folder.path / "src.rv",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    CFileTool tool;
    tool.SetFileSpec((folder / "src.rv").c_str());
    // 2001-01-01 00:00:00 UTC is 3,061,152,000 seconds after 1904.
    ASSERT_EQ(tool.SetFileCreationDate(3061152000ul), kNoErr);

    CFileSpec dest;
    dest.SetFileSpec((folder / "out/copy.rv").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 1, 0, 1, 0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "out/copy.rv"), "radial data\n");
    EXPECT_EQ(fs::status(folder.path / "out/copy.rv").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(UnixModified(folder.path / "out/copy.rv"), 978307200);
    EXPECT_EQ(PathOf(tool), folder / "out/copy.rv") << "the file spec follows the copy";

    // Without replace an existing object stays; with it, it is replaced.
    tool.SetFileSpec((folder / "src.rv").c_str());
    WriteBytes(folder / "out/copy.rv", "other");
    EXPECT_EQ(tool.CopyFile(&dest, 0, 0, 0, 0), kErrNameInUse);
    EXPECT_EQ(ReadBytes(folder / "out/copy.rv"), "other");
    EXPECT_EQ(tool.CopyFile(&dest, 1, 0, 0, 0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "out/copy.rv"), "radial data\n");

    // Into an existing folder under the source's own name.
    dest.SetFileSpec((folder / "out").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 0, 0, 0, 0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "out/src.rv"), "radial data\n");
    // Onto itself.
    dest.SetFileSpec((folder / "src.rv").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 1, 0, 0, 0), kErrNameInUse);
    EXPECT_EQ(ReadBytes(folder / "src.rv"), "radial data\n")
        << "never truncated by copying onto itself";
    EXPECT_EQ(tool.CopyFile(nullptr, 1, 0, 0, 0), kErrBadArgument);
}

TEST(CFileTool, CopyWholeFoldersButNeverIntoThemselves) {
    ToolFolder folder;
    fs::create_directories(folder.path / "site/diag");
    WriteBytes(folder / "site/Header.txt", "header");
    WriteBytes(folder / "site/diag/a.rdt", "report");
    CFileTool tool;
    tool.SetFileSpec((folder / "site").c_str());

    CFileSpec dest;
    dest.SetFileSpec((folder / "site/diag/").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 1, 0, 0, 0), kErrCopyIntoItself);
    EXPECT_EQ(Names(folder.path / "site/diag"), std::vector<std::string>{"a.rdt"});
    dest.SetFileSpec((folder / "site").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 1, 1, 0, 0), kErrNameInUse);

    dest.SetFileSpec((folder / "backup/").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 0, 0, 1, 0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "backup/site/Header.txt"), "header");
    EXPECT_EQ(ReadBytes(folder / "backup/site/diag/a.rdt"), "report");
    EXPECT_EQ(PathOf(tool), folder / "backup/site/");

    // Replacing a folder swaps in the complete copy.
    tool.SetFileSpec((folder / "site").c_str());
    WriteBytes(folder / "site/Header.txt", "header 2");
    WriteBytes(folder / "backup/site/stale.txt", "stale");
    EXPECT_EQ(tool.CopyFile(&dest, 1, 0, 0, 0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "backup/site/Header.txt"), "header 2");
    EXPECT_FALSE(fs::exists(folder.path / "backup/site/stale.txt"));
    EXPECT_EQ(Names(folder.path / "backup"), std::vector<std::string>{"site"});

    // With destination-is-name the copy takes the given name.
    dest.SetFileSpec((folder / "renamed").c_str());
    EXPECT_EQ(tool.CopyFile(&dest, 0, 1, 0, 0), kNoErr);
    EXPECT_EQ(ReadBytes(folder / "renamed/diag/a.rdt"), "report");
}
