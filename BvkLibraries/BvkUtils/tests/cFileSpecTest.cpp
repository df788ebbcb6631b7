#include "cFileSpec.h"

#include <gtest/gtest.h>

#include "BvkErrors.h"
#include "UtilsTestFiles.h"

namespace {

std::string Repeat(const std::string& item, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += item;
    return s;
}

}  // namespace

TEST(CFileSpec, PathsResolveAgainstHomeTheSpecAndTheRoot) {
    TempFolder folder;
    fs::create_directory(folder.path / "a");
    WriteBytes(folder / "a/b.txt", "");
    const std::string home = folder / "home";
    fs::create_directory(home);
    setenv("HOME", home.c_str(), 1);
    const std::string a = folder / "a";

    struct Case {
        const char* name;
        std::string start;  // path the file spec names first
        std::string given;
        std::string path;  // as GetFilePath returns it
        long result;
    };
    const std::vector<Case> cases = {
        {"tilde alone", a + "/", "~", home + "/", kNoErr},
        {"tilde slash", a + "/", "~/x", home + "/x", kErrNotFound},
        {"tilde as an item name", a + "/", "~x", a + "/~x", kErrNotFound},
        {"relative below a folder", a + "/", "sub/file.txt", a + "/sub/file.txt", kErrNotFound},
        {"relative below a file", a + "/b.txt", "sub/file.txt", a + "/b.txt/sub/file.txt",
         kErrNotFound},
        {"trailing slash keeps the folder flag", a + "/", "new/", a + "/new/", kErrNotFound},
        {"absolute", a + "/", a + "/b.txt", a + "/b.txt", kNoErr},
        {"an existing folder gets its slash", a + "/b.txt", a, a + "/", kNoErr},
        {"dots and doubled slashes", "/", a + "//x/./y/../b.txt", a + "/x/b.txt", kErrNotFound},
        {"dot dot above the root", "/", "/../..", "/", kNoErr},
        {"root", a + "/", "/", "/", kNoErr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFileSpec spec;
        spec.SetFileSpec(c.start.c_str());
        EXPECT_EQ(spec.SetFileSpec(c.given.c_str()), c.result);
        EXPECT_EQ(PathOf(spec), c.path);
        EXPECT_EQ(spec.DoesObjectExist(0), c.result == kNoErr ? 1 : 0);
    }

    // Without HOME the user database names the home folder.
    unsetenv("HOME");
    CFileSpec spec;
    EXPECT_NE(spec.SetFileSpec("~/z"), kErrBadArgument);
    EXPECT_EQ(PathOf(spec).substr(0, 1), "/");
    EXPECT_EQ(PathOf(spec).substr(PathOf(spec).size() - 2), "/z");
}

TEST(CFileSpec, ParentsNamesAndExtensions) {
    struct Case {
        const char* path;
        std::string parent;
        std::string name;
        long stripped;
        std::string ext;
        std::string withoutExt;
    };
    const std::vector<Case> cases = {
        {"/a/b/c.txt", "/a/b/", "c.txt", 1, ".txt", "/a/b/c"},
        {"/a/.profile", "/a/", ".profile", 0, "", "/a/.profile"},
        {"/a/README", "/a/", "README", 0, "", "/a/README"},
        {"/a/x.tar.gz", "/a/", "x.tar.gz", 1, ".gz", "/a/x.tar"},
        {"/a/dir.d/", "/a/", "dir.d", 1, ".d", "/a/dir/"},
        {"/a/trail.", "/a/", "trail.", 1, ".", "/a/trail"},
        {"/top", "/", "top", 0, "", "/top"},
        {"/", "/", "", 0, "", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CFileSpec spec;
        spec.SetFileSpec(c.path);
        char name[300];
        EXPECT_EQ(spec.GetFileName(name, sizeof name), kNoErr);
        EXPECT_EQ(std::string(name), c.name);

        CFileSpec copy(spec);
        char ext[kMaxPathItemChars + 1] = "junk";
        EXPECT_EQ(copy.StripDotExtension(ext), c.stripped);
        EXPECT_EQ(std::string(ext), c.ext);
        EXPECT_EQ(PathOf(copy), c.withoutExt);

        spec.SetToParent();
        EXPECT_EQ(PathOf(spec), c.parent);
        EXPECT_EQ(spec.mbIsFolder, 1);
    }
}

TEST(CFileSpec, ChangeAndExtendNames) {
    CFileSpec spec;
    spec.SetFileSpec("/a/b.txt");
    spec.ChangeFileSpec("c.txt");
    EXPECT_EQ(PathOf(spec), "/a/c.txt");
    spec.ChangeFileSpec("sub/d.txt");
    EXPECT_EQ(PathOf(spec), "/a/sub/d.txt");

    spec.SetFileSpec("/w/STAT_XXXX_2008_03_02.rdt");
    spec.AddNameExtension(".new");
    EXPECT_EQ(PathOf(spec), "/w/STAT_XXXX_2008_03_02.rdt.new");
    EXPECT_EQ(spec.AddNameExtension(static_cast<const char*>(nullptr)), kNoErr);
    EXPECT_EQ(spec.AddNameExtension("x/y"), kErrBadArgument);
    EXPECT_EQ(PathOf(spec), "/w/STAT_XXXX_2008_03_02.rdt.new");

    // The name stays within 256 characters: 250 + 6 of the 10 added.
    spec.SetFileSpec(("/w/" + std::string(250, 'n')).c_str());
    spec.AddNameExtension("0123456789");
    EXPECT_EQ(PathOf(spec), "/w/" + std::string(250, 'n') + "012345");
    // Characters, not bytes: a two-byte character counts once.
    spec.SetFileSpec(("/w/" + std::string(254, 'n')).c_str());
    spec.AddNameExtension("\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(PathOf(spec), "/w/" + std::string(254, 'n') + "\xC3\xA9\xC3\xA9");

    spec.SetFileSpec("/w/folder/");
    spec.AddNameExtension(".old");
    EXPECT_EQ(PathOf(spec), "/w/folder.old/");
}

TEST(CFileSpec, ASpecNamingNothingRefusesWork) {
    CFileSpec spec;
    EXPECT_EQ(spec.SetFileSpec(""), kErrBadArgument);
    char buf[32] = "junk";
    EXPECT_EQ(spec.GetFilePath(buf, sizeof buf), kErrNotFound);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(spec.SetToParent(), kErrBadArgument);
    EXPECT_EQ(spec.AddNameExtension(".x"), kErrBadArgument);
    EXPECT_EQ(spec.DoesObjectExist(1), 0);
    XFileRef ref;
    EXPECT_EQ(spec.GetFileRef(&ref), kErrNotFound);
    EXPECT_EQ(spec.GetParentFileRef(&ref), kErrNotFound);
    EXPECT_EQ(spec.RealizePathToObject(1, 0, 0), kErrNotFound);
    EXPECT_EQ(spec.SetFileSpec(static_cast<const CFileSpec*>(nullptr)), kErrBadArgument);
    EXPECT_EQ(spec.SetFileSpec(static_cast<const XFileRef*>(nullptr)), kErrNotFound);
    // A null name, unlike an empty one, names the default folder, as a new
    // file spec does.
    EXPECT_EQ(spec.SetFileSpec(static_cast<const char*>(nullptr)), kNoErr);
    ASSERT_FALSE(CFileSpec::mcfDefaultURL.empty());
    EXPECT_EQ(CFileSpec::mcfDefaultURL.back(), '/');
    EXPECT_EQ(PathOf(spec), CFileSpec::mcfDefaultURL);
    EXPECT_EQ(PathOf(CFileSpec()), CFileSpec::mcfDefaultURL);

    // What a new spec knows of the default folder follows the folder named.
    const std::string working = CFileSpec::mcfDefaultURL;
    TempFolder folder;
    for (const auto& [url, exists] : {std::pair{folder / "", 1}, {folder / "gone/", 0}}) {
        CFileSpec::mcfDefaultURL = url;
        CFileSpec named;
        EXPECT_EQ(PathOf(named), url);
        EXPECT_EQ(named.mbExists, exists) << url;
    }
    CFileSpec::mcfDefaultURL = working;
}

TEST(CFileSpec, LimitsAreRefusedNeverOverrun) {
    CFileSpec spec;
    struct Case {
        const char* name;
        std::string path;
        long result;
    };
    const std::vector<Case> cases = {
        {"item of 257 characters", "/x/" + std::string(257, 'i'), kErrBadArgument},
        {"item of 257 two-byte characters", "/x/" + Repeat("\xC3\xA9", 257), kErrBadArgument},
        {"path of 16,385 bytes", "/" + std::string(16384, 'p'), kErrBadArgument},
        {"long path of short items", Repeat("/abc", 5000), kErrBadArgument},
        {"item of 200 characters", "/x/" + std::string(200, 'i'), kErrNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spec.SetFileSpec("/");
        EXPECT_EQ(spec.SetFileSpec(c.path.c_str()), c.result);
        if (c.result == kErrBadArgument) {
            EXPECT_TRUE(spec.mPath.empty()) << "a refused path leaves the file spec naming nothing";
        }
    }

    // A relative path that would grow beyond the limit.
    spec.SetFileSpec(("/" + std::string(200, 'a') + "/").c_str());
    EXPECT_EQ(spec.SetFileSpec(Repeat(std::string(200, 'b') + "/", 80).c_str()), kErrBadArgument);

    // A buffer too small for the path gets nothing rather than a cut path.
    spec.SetFileSpec("/abc/def");
    char small[8] = "junk";
    EXPECT_EQ(spec.GetFilePath(small, sizeof small), kErrBadArgument);
    EXPECT_STREQ(small, "");
    char name[3];
    EXPECT_EQ(spec.GetFileName(name, sizeof name), kNoErr);
    EXPECT_STREQ(name, "de");
}

TEST(CFileSpec, PathItemHelpers) {
    const struct {
        const char* path;
        long size;
        std::string item;
        long consumed;
    } firsts[] = {{"/abc/def", 64, "abc", 4}, {"/abcdef", 4, "abc", 4}, {"//x", 64, "", 0}};
    for (const auto& c : firsts) {
        char out[64] = "junk";
        EXPECT_EQ(CFileSpec::GetPathFirstItem(c.path, out, c.size), c.consumed) << c.path;
        EXPECT_EQ(std::string(out), c.item) << c.path;
    }
    char out[64];
    EXPECT_EQ(CFileSpec::GetPathFirstItem(nullptr, out, 64), 0);

    const struct {
        const char* path;
        long size;
        std::string item;
        long index;
        long folder;
    } lasts[] = {{"/a/b/", 64, "b", 3, 1}, {"", 64, "", 0, 0}, {"/a/long", 3, "lo", 3, 0}};
    for (const auto& c : lasts) {
        long folder = -1;
        char item[64] = "junk";
        EXPECT_EQ(CFileSpec::GetPathLastItem(c.path, item, c.size, &folder), c.index) << c.path;
        EXPECT_EQ(std::string(item), c.item) << c.path;
        EXPECT_EQ(folder, c.folder) << c.path;
    }
}

TEST(CFileSpec, CreateModeMakesTheFoldersButNotTheFile) {
    TempFolder folder;
    CFileSpec spec;
    spec.SetFileSpec((folder / "x/y/z/file.txt").c_str());
    EXPECT_EQ(spec.RealizePathToObject(1, 0, 0), kErrNotFound);
    EXPECT_FALSE(fs::exists(folder.path / "x"));
    EXPECT_EQ(spec.RealizePathToObject(0, 0, 0), kErrNotFound);
    EXPECT_TRUE(fs::is_directory(folder.path / "x/y/z"));
    EXPECT_FALSE(fs::exists(folder.path / "x/y/z/file.txt"));
    EXPECT_EQ(spec.mbParentValid, 1);
    XFileRef parent;
    EXPECT_EQ(spec.GetParentFileRef(&parent), kNoErr);
    EXPECT_EQ(parent.path, folder / "x/y/z");

    EXPECT_EQ(spec.RealizePathToObject(0, 1, 1), kNoErr);
    EXPECT_TRUE(fs::is_regular_file(folder.path / "x/y/z/file.txt"));

    spec.SetFileSpec((folder / "p/q/").c_str());
    EXPECT_EQ(spec.RealizePathToObject(0, 1, 0), kNoErr);
    EXPECT_TRUE(fs::is_directory(folder.path / "p/q"));
    EXPECT_EQ(spec.IsFolder(), 1);

    // With folder creation switched off nothing is made.
    spec.SetCreateFoldersToFile(0);
    spec.SetFileSpec((folder / "m/n.txt").c_str());
    EXPECT_EQ(spec.RealizePathToObject(0, 0, 0), kErrNotFound);
    EXPECT_FALSE(fs::exists(folder.path / "m"));

    // A file in the middle of the path stops the walk.
    spec.SetCreateFoldersToFile(1);
    spec.SetFileSpec((folder / "x/y/z/file.txt/deeper/f").c_str());
    EXPECT_EQ(spec.RealizePathToObject(0, 0, 0), kErrNotFound);
    EXPECT_TRUE(fs::is_regular_file(folder.path / "x/y/z/file.txt"));
}

TEST(CFileSpec, VolumesAreNeverMadeUp) {
    if (fs::exists("/Volumes") || fs::exists("/volumes"))
        GTEST_SKIP() << "this system has /Volumes";
    CFileSpec spec;
    spec.SetFileSpec("/Volumes/Disk/folder/file.txt");
    EXPECT_EQ(spec.RealizePathToObject(0, 0, 0), kErrNotFound);
    EXPECT_FALSE(fs::exists("/Volumes"));
}

TEST(CFileSpec, LinksAreFollowedUnlessAskedNotTo) {
    TempFolder folder;
    fs::create_directory(folder.path / "real");
    fs::create_directory_symlink(folder.path / "real", folder.path / "link");
    CFileSpec spec;
    spec.SetFileSpec((folder / "link/new/f.txt").c_str());
    EXPECT_EQ(spec.RealizePathToObject(0, 0, 0), kErrNotFound);
    EXPECT_TRUE(fs::is_directory(folder.path / "real/new"));

    spec.SetFileSpec((folder / "link").c_str());
    EXPECT_EQ(spec.IsFolder(), 1);
    spec.SetResolveAlias(0);
    spec.SetFileSpec((folder / "link").c_str());
    EXPECT_EQ(spec.mbExists, 1);
    EXPECT_EQ(spec.mbIsFolder, 0) << "unresolved, the link itself is a plain item";
}

TEST(CFileSpec, CopiesAreIndependent) {
    TempFolder folder;
    CFileSpec spec;
    spec.SetFileSpec((folder.path.string() + "/").c_str());
    CFileSpec assigned;
    assigned = spec;
    assigned.SetFileSpec("child");
    EXPECT_EQ(PathOf(assigned), folder / "child");
    EXPECT_EQ(PathOf(spec), folder.path.string() + "/");
    XFileRef ref;
    ASSERT_EQ(spec.GetFileRef(&ref), kNoErr);
    CFileSpec fromRef;
    EXPECT_EQ(fromRef.SetFileSpec(&ref), kNoErr);
    EXPECT_EQ(PathOf(fromRef), folder.path.string() + "/");
}

TEST(CFileSpec, LegacyTripleAndUnicodeName) {
    TempFolder folder;
    const std::string longName = std::string(70, 'L');
    WriteBytes(folder / longName, "");
    CFileSpec spec;
    spec.SetFileSpec((folder / longName).c_str());
    XLegacySpec* legacy = spec.GetFileSpecPtr();
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(legacy->name[0], 63);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(legacy->name + 1), 63), std::string(63, 'L'));

    // e-acute is one unit, the G clef (U+1D11E) a surrogate pair D834 DD1E,
    // and a stray byte stands for itself.
    spec.SetFileSpec("/x/\xC3\xA9\xF0\x9D\x84\x9E\xFFz");
    XHFSUniStr name;
    ASSERT_EQ(spec.GetFileNameHFS(&name), kNoErr);
    ASSERT_EQ(name.length, 5);
    const uint16_t expected[5] = {0x00E9, 0xD834, 0xDD1E, 0x00FF, 'z'};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(name.unicode[i], expected[i]) << i;
}

TEST(CFileSpec, UnreadableFoldersReportTheFailure) {
    TempFolder folder;
    fs::create_directory(folder.path / "locked");
    fs::permissions(folder.path / "locked", fs::perms::none);
    std::error_code err;
    fs::directory_iterator probe(folder.path / "locked", err);
    if (!err) GTEST_SKIP() << "this user reads every folder";
    CFileSpec spec;
    long result = spec.SetFileSpec((folder / "locked/inner/f.txt").c_str());
    EXPECT_NE(result, kNoErr);
    EXPECT_NE(result, kErrNotFound) << "a locked folder is not an absent file";
    EXPECT_EQ(spec.DoesObjectExist(0), 0);
}
