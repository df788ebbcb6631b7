// Where an output's bytes end up when its final name is not a plain file:
// links stay links, pipes and devices are written through, and temporaries a
// killed run left behind are cleared once nobody can still be writing them.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BvkErrors.h"
#include "Platform.h"
#include "UtilsTestFiles.h"
#include "cFile.h"

namespace {

// Writes `text` as an output named `path`; the close's result.
long WriteOutput(const std::string& path, const std::string& text) {
    CFileSpec spec = SpecOf(path);
    CFile file;
    if (long err = file.OpenCreateFile(&spec, 0, kTextFileType)) return err;
    file.WriteFile(text.data(), text.size(), nullptr);
    return file.CloseFile();
}

class PrefStore : public CPrefBase {
  public:
    using CPrefBase::PutString;
};

}  // namespace

TEST(OutputPlacement, ALinkStaysALinkAndWhatItLeadsToIsReplaced) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, const char*>> links;  // name, link text
        const char* target;                                      // the file that gets the bytes
        bool targetExisted;
    };
    const Case cases[] = {
        {"relative link into another folder", {{"out/a.ruv", "../real/a.ruv"}}, "real/a.ruv", true},
        {"absolute link", {{"out/a.ruv", "@real/a.ruv"}}, "real/a.ruv", true},
        {"link to a link",
         {{"out/a.ruv", "b.ruv"}, {"out/b.ruv", "../real/a.ruv"}},
         "real/a.ruv",
         true},
        {"link to a missing file", {{"out/a.ruv", "../real/new.ruv"}}, "real/new.ruv", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        fs::create_directory(folder.path / "out");
        fs::create_directory(folder.path / "real");
        if (c.targetExisted) WriteBytes(folder / c.target, "old\n");
        for (const auto& [name, to] : c.links) {
            std::string text = to[0] == '@' ? folder / (to + 1) : std::string(to);
            fs::create_symlink(text, folder / name);
        }

        ASSERT_EQ(WriteOutput(folder / "out/a.ruv", "new\n"), kNoErr);
        EXPECT_TRUE(fs::is_symlink(folder / "out/a.ruv"));
        EXPECT_EQ(ReadBytes(folder / c.target), "new\n");
        // No temporary is left in either folder.
        EXPECT_EQ(Names(folder.path / "real").size(), 1u);
        EXPECT_EQ(Names(folder.path / "out").size(), c.links.size());
    }

    // Two links that lead to each other are refused (ELOOP), nothing written.
    TempFolder folder;
    fs::create_symlink("b", folder / "a");
    fs::create_symlink("a", folder / "b");
    EXPECT_EQ(WriteOutput(folder / "a", "x"), kErrPlatformBase - ELOOP);
    EXPECT_EQ(Names(folder.path), (std::vector<std::string>{"a", "b"}));
}

TEST(OutputPlacement, CopiesExchangesAndPreferencesKeepTheLinkToo) {
    TempFolder folder;
    fs::create_directory(folder.path / "real");
    WriteBytes(folder / "source.txt", "copied\n");
    WriteBytes(folder / "real/copy.txt", "old copy\n");
    fs::create_symlink("real/copy.txt", folder / "copy.txt");
    CFileTool source;
    source.SetFileSpec((folder / "source.txt").c_str());
    CFileSpec dest;
    dest.SetFileSpec((folder / "copy.txt").c_str());
    EXPECT_EQ(source.CopyFile(&dest, 1, 0, 0, 0), kNoErr);
    EXPECT_TRUE(fs::is_symlink(folder / "copy.txt"));
    EXPECT_EQ(ReadBytes(folder / "real/copy.txt"), "copied\n");

    // A week report is put in place by exchanging it with its new version.
    WriteBytes(folder / "real/week.rdt", "old week\n");
    fs::create_symlink("real/week.rdt", folder / "week.rdt");
    WriteBytes(folder / "week.rdt.new", "new week\n");
    CFileTool fresh;
    fresh.SetFileSpec((folder / "week.rdt.new").c_str());
    CFileSpec week;
    week.SetFileSpec((folder / "week.rdt").c_str());
    EXPECT_EQ(fresh.ExchangeFiles(&week), kNoErr);
    EXPECT_TRUE(fs::is_symlink(folder / "week.rdt"));
    EXPECT_EQ(ReadBytes(folder / "real/week.rdt"), "new week\n");
    EXPECT_EQ(ReadBytes(folder / "week.rdt.new"), "old week\n");

    // Preferences written back through a link.
    WriteBytes(folder / "real/Quillmoor.pref", "[A]\na = 1\n");
    fs::create_symlink("real/Quillmoor.pref", folder / "Quillmoor.pref");
    PrefStore pref;
    CFileSpec prefSpec;
    prefSpec.SetFileSpec((folder / "Quillmoor.pref").c_str());
    ASSERT_EQ(pref.OpenPreference(&prefSpec, 0, 0, 0), kNoErr);
    pref.SetSection("A");
    pref.PutString("b", "2");
    EXPECT_EQ(pref.ClosePreference(), kNoErr);
    EXPECT_TRUE(fs::is_symlink(folder / "Quillmoor.pref"));
    EXPECT_EQ(ReadBytes(folder / "real/Quillmoor.pref"), "[A]\na = 1\nb = 2\n");
}

TEST(OutputPlacement, DevicesAndPipesAreWrittenThroughAndTheirFailuresReported) {
    // A full device refuses the bytes (ENOSPC): the close says so, and the
    // device is still the device, directly or through a link.
    TempFolder folder;
    fs::create_symlink("/dev/full", folder / "full.rv");
    for (const std::string& name : {std::string("/dev/full"), folder / "full.rv"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(WriteOutput(name, "bytes"), kErrPlatformBase - ENOSPC);
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    EXPECT_TRUE(fs::is_symlink(folder / "full.rv"));
    CFileTool source;
    WriteBytes(folder / "source.txt", "copied\n");
    source.SetFileSpec((folder / "source.txt").c_str());
    CFileSpec dest;
    dest.SetFileSpec((folder / "full.rv").c_str());
    EXPECT_EQ(source.CopyFile(&dest, 1, 0, 0, 0), kErrPlatformBase - ENOSPC);
    EXPECT_TRUE(fs::is_symlink(folder / "full.rv"));

    // A pipe with a reader gets the bytes; without one the open fails at
    // once (ENXIO) instead of waiting for ever.
    const std::string pipe = folder / "pipe.rv";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(WriteOutput(pipe, "x"), kErrPlatformBase - ENXIO);
    int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(WriteOutput(pipe, "through the pipe\n"), kNoErr);
    char got[64] = {};
    EXPECT_EQ(read(reader, got, sizeof got - 1), 17);
    EXPECT_STREQ(got, "through the pipe\n");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(Names(folder.path), (std::vector<std::string>{"full.rv", "pipe.rv", "source.txt"}));
}

TEST(OutputPlacement, TemporariesUntouchedForAnHourAreClearedBeforeTheNextOutput) {
    TempFolder folder;
    // The status change time cannot be set back, so the age is moved instead:
    // everything here counts as an hour old when the limit is 0 seconds.
    const std::vector<std::string> ours = {".a.ruv.bvkpart-Ab12Cd", ".b.rv.bvkpart-copy3"};
    const std::vector<std::string> others = {".a.ruv.Ab12Cd", "a.ruv.bvkpart-Ab12Cd",
                                             ".a.ruv.bvkpart-", ".a.ruv.bvkpart-x.y", "keep.txt"};
    for (const auto& name : ours) WriteBytes(folder / name, "partial");
    for (const auto& name : others) WriteBytes(folder / name, "keep");
    fs::create_directory(folder / ".c.bvkpart-copy1");  // a folder being copied is left alone
    sleep(1);
    EXPECT_EQ(PlatformRemoveStaleTemps(folder.path.c_str(), 3600), 0) << "young ones stay";
    EXPECT_EQ(PlatformRemoveStaleTemps(folder.path.c_str(), 0), 2);
    std::vector<std::string> left = others;
    left.push_back(".c.bvkpart-copy1");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(Names(folder.path), left);

    // Every output checks its folder: a temporary of an hour ago goes, a
    // fresh one (another run may be writing it) stays.
    WriteBytes(folder / ".x.ruv.bvkpart-Young1", "being written");
    ASSERT_EQ(WriteOutput(folder / "out.txt", "new\n"), kNoErr);
    EXPECT_TRUE(fs::exists(folder / ".x.ruv.bvkpart-Young1"));
}
