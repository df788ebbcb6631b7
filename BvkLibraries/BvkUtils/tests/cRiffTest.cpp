#include "cRiff.h"

#include <gtest/gtest.h>

#include "BvkErrors.h"
#include "UtilsTestFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

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
    long Open(const Bytes& bytes) {
        WriteBytes(mPath, std::string(bytes.begin(), bytes.end()));
        mSpec.SetFileSpec(mPath.c_str());
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

    TempFolder mFolder;
    std::string mPath = mFolder / "chunks.bin";
    CFileSpec mSpec;
    CRiff mRiff;
};

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
        ASSERT_EQ(key, FourCC("LIST"));
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
    EXPECT_EQ(key, FourCC("zzzz"));
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
    for (const char* key : {"BODY", "AZZA"}) EXPECT_EQ(riff.IsSubKey(FourCC(key)), 1) << key;
    for (const char* key : {"cs4h", "Body", "BOD ", "@ABC", "ABC["})
        EXPECT_EQ(riff.IsSubKey(FourCC(key)), 0) << key;

    EXPECT_EQ(riff.RecognizeKey(FourCC("gps ")), 1);
    EXPECT_EQ(riff.RecognizeKey(FourCC("TAIL")), 1);
    EXPECT_EQ(riff.RecognizeKey(FourCC("cs4h")), 0);

    riff.mnFileSize = 1000;  // what "any other key" sizes are held to
    const struct {
        unsigned long key;
        unsigned long size;
        long valid;
    } sizes[] = {
        {FourCC("ieee"), 0, 1},   {FourCC("bend"), 4, 0},    {FourCC("chan"), 4, 1},
        {FourCC("usec"), 8, 0},   {FourCC("fbw "), 8, 1},    {FourCC("freq"), 4, 0},
        {FourCC("gps "), 24, 1},  {FourCC("gps "), 23, 0},   {FourCC("text"), 5000, 1},
        {FourCC("lstr"), 0, 1},   {FourCC("cs1a"), 999, 1},  {FourCC("cs1a"), 1000, 0},
        {FourCC("BODY"), 999, 1}, {FourCC("BODY"), 1000, 0},
    };
    for (const auto& c : sizes) EXPECT_EQ(riff.ValidateSize(c.key, c.size), c.valid) << c.key;
}

TEST_F(RiffFile, LyingSizesNeverLeadOutsideTheFile) {
    ASSERT_EQ(Open(kNested), kNoErr);
    long end = 0;
    const std::vector<XEvent> honest = {
        {0, FourCC("TEST"), 28}, {1, FourCC("abcd"), 2}, {1, FourCC("LIST"), 10},
        {2, FourCC("efgh"), 2},  {0, FourCC("zzzz"), 0},
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

    const std::string text = ReadBytes(mPath);
    const Bytes after(text.begin(), text.end());
    ASSERT_EQ(after.size(), kNested.size());
    EXPECT_EQ(Bytes(after.begin() + 4, after.begin() + 8), (Bytes{0, 0, 0, 10}));
    EXPECT_EQ(Bytes(after.begin() + 8, after.end()), Bytes(kNested.begin() + 8, kNested.end()));
}

}  // namespace
