#include "cRiff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "cFileSpec.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr unsigned long K(const char* t) {
    return (unsigned long)(uint8_t(t[0])) << 24 | (unsigned long)(uint8_t(t[1])) << 16 |
           (unsigned long)(uint8_t(t[2])) << 8 | (unsigned long)(uint8_t(t[3]));
}

// A container 'TEST' (payload 28) holding 'abcd' (payload "xy") and the
// container 'LIST' (payload 10) with 'efgh' (payload "pq"); then 'zzzz'
// (empty payload) at the top level. Size words sit at 4, 12, 22, 30 and 40.
const Bytes kNested = {
    'T', 'E', 'S', 'T', 0, 0, 0, 28,            //
    'a', 'b', 'c', 'd', 0, 0, 0, 2,  'x', 'y',  //
    'L', 'I', 'S', 'T', 0, 0, 0, 10,            //
    'e', 'f', 'g', 'h', 0, 0, 0, 2,  'p', 'q',  //
    'z', 'z', 'z', 'z', 0, 0, 0, 0,             //
};
const size_t kNestedSizeFields[] = {4, 12, 22, 30, 40};

class RiffFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        sFolder = std::filesystem::temp_directory_path() /
                  ("riff-tests-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(sFolder);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(sFolder, ignored);
    }

    long Open(const Bytes& bytes) {
        const std::string& path = mPath;
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        mSpec.SetFileSpec(path.c_str());
        return mRiff.OpenRiffFile(&mSpec);
    }

    struct XEvent {
        long level;
        unsigned long key;
        unsigned long size;
        bool operator==(const XEvent&) const = default;
    };

    // Reads every chunk, entering every container; the result that ended the
    // walk at the top level goes to *end.
    std::vector<XEvent> Walk(long* end) {
        std::vector<XEvent> events;
        for (int step = 0; step < 100000; ++step) {
            unsigned long key = 0, size = 0;
            const long err = mRiff.ReadNextKey(&key, &size, nullptr);
            if (err == kErrEndOfLevel && mRiff.GetCurrentSubKeyLevel() > 0) {
                mRiff.ExitSubKey();
                continue;
            }
            if (err != kNoErr) {
                *end = err;
                return events;
            }
            events.push_back({mRiff.GetCurrentSubKeyLevel(), key, size});
            if (mRiff.IsSubKey(key)) mRiff.EnterSubKey();
        }
        ADD_FAILURE() << "the walk does not end";
        return events;
    }

    static std::filesystem::path sFolder;
    std::string mPath = (sFolder / "chunks.bin").string();
    CFileSpec mSpec;
    CRiff mRiff;
};

std::filesystem::path RiffFile::sFolder;

// The whole walk is checked in LyingSizesNeverLeadOutsideTheFile; here where
// leaving a container early, entered or not, puts the reader.
TEST_F(RiffFile, LeavingAContainerEarlyPositionsAfterIt) {
    for (const bool enterList : {false, true}) {
        SCOPED_TRACE(enterList);
        ASSERT_EQ(Open(kNested), kNoErr);
        unsigned long key = 0, size = 0;
        ASSERT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kNoErr);
        ASSERT_EQ(mRiff.EnterSubKey(), kNoErr);
        ASSERT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kNoErr);
        ASSERT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kNoErr);  // skips "xy"
        ASSERT_EQ(key, K("LIST"));
        if (enterList) {
            ASSERT_EQ(mRiff.EnterSubKey(), kNoErr);
            ASSERT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kNoErr);  // "pq" never read
        } else {
            EXPECT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kErrEndOfLevel);
        }
        EXPECT_EQ(mRiff.ExitSubKey(), kNoErr);
        EXPECT_EQ(mRiff.mnPosition, 36);  // just after the container
    }
    // LIST ended TEST too; then the top level goes on.
    unsigned long key = 0, size = 0;
    EXPECT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kErrEndOfLevel);
    EXPECT_EQ(mRiff.ExitSubKey(), kNoErr);
    ASSERT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kNoErr);
    EXPECT_EQ(key, K("zzzz"));
    EXPECT_EQ(mRiff.ExitSubKey(), kNoErr);  // nothing to leave at the top
}

TEST_F(RiffFile, PayloadReadsStopAtTheChunkEnd) {
    ASSERT_EQ(Open(kNested), kNoErr);
    unsigned long key = 0, size = 0;
    mRiff.ReadNextKey(&key, &size, nullptr);
    mRiff.EnterSubKey();

    char data[16] = {};
    size = 1;  // room for one payload byte
    ASSERT_EQ(mRiff.ReadNextKey(&key, &size, data), kNoErr);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(std::string(data), "x");
    unsigned long got = 0;
    EXPECT_EQ(mRiff.ReadMoreData(sizeof data, data, &got), kNoErr);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(data[0], 'y');
    EXPECT_EQ(mRiff.ReadMoreData(sizeof data, data, &got), kErrEndOfLevel);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(mRiff.ReadMoreData(0, data, &got), kNoErr);  // nothing asked
}

TEST(CRiff, KeyClassesAndPayloadSizes) {
    CRiff riff;
    // Containers are four capitals A to Z.
    for (const char* key : {"BODY", "AZZA"}) EXPECT_EQ(riff.IsSubKey(K(key)), 1) << key;
    for (const char* key : {"cs4h", "Body", "BOD ", "@ABC", "ABC["})
        EXPECT_EQ(riff.IsSubKey(K(key)), 0) << key;

    EXPECT_EQ(riff.RecognizeKey(K("gps ")), 1);
    EXPECT_EQ(riff.RecognizeKey(K("TAIL")), 1);
    EXPECT_EQ(riff.RecognizeKey(K("cs4h")), 0);

    riff.mnFileSize = 1000;  // what "any other key" sizes are held to
    const struct {
        unsigned long key;
        unsigned long size;
        long valid;
    } sizes[] = {
        {K("ieee"), 0, 1},    {K("bend"), 4, 0},    {K("chan"), 4, 1},   {K("usec"), 8, 0},
        {K("fbw "), 8, 1},    {K("freq"), 4, 0},    {K("gps "), 24, 1},  {K("gps "), 23, 0},
        {K("text"), 5000, 1}, {K("lstr"), 0, 1},    {K("cs1a"), 999, 1}, {K("cs1a"), 1000, 0},
        {K("BODY"), 999, 1},  {K("BODY"), 1000, 0},
    };
    for (const auto& c : sizes) EXPECT_EQ(riff.ValidateSize(c.key, c.size), c.valid) << c.key;
}

TEST_F(RiffFile, LyingSizesNeverLeadOutsideTheFile) {
    ASSERT_EQ(Open(kNested), kNoErr);
    long end = 0;
    const std::vector<XEvent> honest = {
        {0, K("TEST"), 28}, {1, K("abcd"), 2}, {1, K("LIST"), 10},
        {2, K("efgh"), 2},  {0, K("zzzz"), 0},
    };
    EXPECT_EQ(Walk(&end), honest);
    EXPECT_EQ(end, kErrEndOfFile);
    for (const size_t field : kNestedSizeFields) {
        for (const uint32_t lie : {0u, uint32_t(kNested.size() + 1), 0xFFFFFFFFu}) {
            Bytes bytes = kNested;
            for (int i = 0; i < 4; ++i) bytes[field + i] = uint8_t(lie >> (24 - 8 * i));
            ASSERT_EQ(Open(bytes), kNoErr);
            long end = 0;
            const std::vector<XEvent> events = Walk(&end);
            EXPECT_NE(end, kNoErr) << field << " " << lie;
            for (const auto& e : events) {
                EXPECT_LE(e.size, kNested.size() - 8) << field << " " << lie;
            }
        }
    }
}

TEST_F(RiffFile, HostileFilesEndWithAnError) {
    const struct {
        Bytes bytes;
        size_t chunks;  // read before the error
    } cases[] = {
        {{}, 0},                                                      // empty
        {{'T', 'E', 'S', 'T', 0}, 0},                                 // cut header
        {{'a', 'b', 'c', 'd', 0, 0, 0, 9, 1, 2}, 0},                  // cut payload
        {{0xFF, 0xFE, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xF0, 0x00}, 0},  // binary
        // 'abcd' claims 4 bytes but its container holds only 2 more.
        {{'T', 'E', 'S', 'T', 0, 0,   0,   10,  'a', 'b', 'c',
          'd', 0,   0,   0,   4, 'x', 'y', 'z', 'z', 'z', 'z'},
         1},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Open(c.bytes), kNoErr) << c.bytes.size();
        long end = 0;
        EXPECT_EQ(Walk(&end).size(), c.chunks) << c.bytes.size();
        EXPECT_EQ(end, kErrEndOfFile) << c.bytes.size();
    }
}

TEST_F(RiffFile, NestingStopsAtTheLevelTable) {
    // 300 containers inside each other around one data chunk.
    const int depth = 300;
    Bytes bytes;
    for (int i = 0; i < depth; ++i) {
        const uint32_t payload = uint32_t(8 * (depth - 1 - i) + 8);
        bytes.insert(bytes.end(),
                     {'N', 'E', 'S', 'T', uint8_t(payload >> 24), uint8_t(payload >> 16),
                      uint8_t(payload >> 8), uint8_t(payload)});
    }
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a', 0, 0, 0, 0});
    ASSERT_EQ(Open(bytes), kNoErr);
    long deepest = 0;
    for (;;) {
        unsigned long key = 0, size = 0;
        const long err = mRiff.ReadNextKey(&key, &size, nullptr);
        if (err != kNoErr) break;
        if (mRiff.IsSubKey(key) && mRiff.EnterSubKey() != kNoErr) break;
        deepest = std::max(deepest, mRiff.GetCurrentSubKeyLevel());
    }
    EXPECT_EQ(deepest, kRiffMaxLevels);
    EXPECT_EQ(mRiff.CloseFile(), kNoErr);
    EXPECT_EQ(mRiff.GetCurrentSubKeyLevel(), 0);
}

TEST_F(RiffFile, ClosingWhileWritingPatchesOpenContainerSizes) {
    ASSERT_EQ(Open(kNested), kNoErr);
    mRiff.CloseFile();
    // Read/write access to the same file; the container is left after its
    // first chunk, so that chunk is all its payload.
    ASSERT_EQ(mRiff.OpenFile(&mSpec, 0x003, 0, 0), kNoErr);
    mRiff.mnFileSize = uint32_t(kNested.size());
    mRiff.mbWriting = 1;
    unsigned long key = 0, size = 0;
    ASSERT_EQ(mRiff.ReadNextKey(&key, &size, nullptr), kNoErr);
    mRiff.EnterSubKey();
    char data[2];
    size = sizeof data;
    ASSERT_EQ(mRiff.ReadNextKey(&key, &size, data), kNoErr);
    EXPECT_EQ(mRiff.CloseFile(), kNoErr);

    std::ifstream in(mPath, std::ios::binary);
    Bytes after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(after.size(), kNested.size());
    EXPECT_EQ(Bytes(after.begin() + 4, after.begin() + 8), (Bytes{0, 0, 0, 10}));
    EXPECT_EQ(Bytes(after.begin() + 8, after.end()), Bytes(kNested.begin() + 8, kNested.end()));
}

}  // namespace
