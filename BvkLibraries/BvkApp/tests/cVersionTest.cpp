#include "cVersion.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CVersion, VersionBytesGiveTheShortText) {
    struct Case {
        uint32_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0x01236005, "1.2.3b5"},
        {0x10508000, "10.5.0"},     // a zero build means no suffix
        {0x0200200C, "2.0.0d12"},
        {0x99994003, "99.9.9a3"},
        {0x01008007, "1.0.0_7"},    // any other stage
        {0x01000007, "1.0.0"},      // a zero stage means no suffix
    };
    for (const auto& c : cases) {
        char text[32];
        CVersion::FormatVersionBytes(c.bytes, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(CVersion, NameIsTheProcessShortName) {
    char name[256];
    EXPECT_EQ(CVersion::GetApplicationName(name), 0);
    EXPECT_STREQ(name, "BvkAppTests");
    char version[32];
    EXPECT_EQ(CVersion::GetShortVersionString(version), 0);
    EXPECT_NE(strchr(version, '.'), nullptr);
    EXPECT_EQ(CVersion::GetShortVersionString(nullptr), 0);
}

}  // namespace
