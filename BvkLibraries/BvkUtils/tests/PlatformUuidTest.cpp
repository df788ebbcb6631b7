#include "PlatformUuid.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "BvkErrors.h"

TEST(PlatformUuid, ParsesEitherCaseAndFormatsUpperCase) {
    XPlatformUuid uuid{};
    ASSERT_EQ(PlatformUuidParse("01234567-89ab-cdef-0123-456789ABCDEF", &uuid), kNoErr);
    const uint8_t expected[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                  0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(std::memcmp(uuid.bytes, expected, 16), 0);
    char text[kUuidTextSize];
    PlatformUuidFormat(uuid, text, sizeof(text));
    EXPECT_STREQ(text, "01234567-89AB-CDEF-0123-456789ABCDEF");
    PlatformUuidFormat(uuid, text, 9);
    EXPECT_STREQ(text, "01234567");
}

TEST(PlatformUuid, RejectsTextOfAnyOtherShape) {
    XPlatformUuid uuid{};
    for (const char* bad :
         {"", "01234567-89ab-cdef-0123-456789abcde", "01234567-89ab-cdef-0123-456789abcdef0",
          "01234567x89ab-cdef-0123-456789abcdef", "0123456g-89ab-cdef-0123-456789abcdef",
          "{01234567-89ab-cdef-0123-456789abcd}"}) {
        EXPECT_EQ(PlatformUuidParse(bad, &uuid), kErrBadArgument) << bad;
    }
    EXPECT_EQ(PlatformUuidParse(nullptr, &uuid), kErrBadArgument);
    EXPECT_EQ(PlatformUuidParse("01234567-89ab-cdef-0123-456789abcdef", nullptr), kErrBadArgument);
}

TEST(PlatformUuid, CreatesDistinctRandomIdentifiers) {
    XPlatformUuid a{}, b{};
    ASSERT_EQ(PlatformUuidCreate(&a), kNoErr);
    ASSERT_EQ(PlatformUuidCreate(&b), kNoErr);
    EXPECT_NE(std::memcmp(a.bytes, b.bytes, 16), 0);
    // Random identifiers carry version 4 and the standard variant.
    EXPECT_EQ(a.bytes[6] >> 4, 4);
    EXPECT_EQ(a.bytes[8] >> 6, 2);
}
