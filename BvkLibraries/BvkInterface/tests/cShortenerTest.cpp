#include "cShortener.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "BvkErrors.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Ints = std::vector<int32_t>;

Ints Expand(const Bytes& bytes, unsigned long capacity = 64) {
    CShortener shortener;
    EXPECT_EQ(shortener.SetCapacity(capacity), kNoErr);
    EXPECT_EQ(shortener.ExpandBytes(bytes.data(), bytes.size()), kNoErr);
    return Ints(shortener.Integers(), shortener.Integers() + shortener.mnValues);
}

TEST(CShortener, EveryCodeMovesTheRunningValue) {
    const struct {
        const char* name;
        Bytes bytes;
        Ints values;
    } cases[] = {
        {"8-bit deltas", {0x81, 0x02, 0x01, 0x01, 0xFF}, {1, 2, 1}},
        {"16-bit deltas", {0x82, 0x01, 0x01, 0x00, 0xFF, 0xFE}, {256, 254}},
        {"24-bit deltas", {0xA4, 0x01, 0xFF, 0xFF, 0xFD, 0x01, 0x00, 0x00}, {-3, 65533}},
        {"absolute values", {0x94, 0x01, 0x00, 0x00, 0x00, 0x05, 0xFF, 0xFF, 0xFF, 0xF6}, {5, -10}},
        {"single items",
         {0x89, 0x05, 0x8A, 0x01, 0x00, 0xAC, 0x01, 0x00, 0x00, 0x9C, 0x7F, 0xFF, 0xFF, 0xFF},
         {5, 261, 65797, 2147483647}},
        {"absolute then delta", {0x9C, 0x00, 0x00, 0x00, 0x0A, 0x81, 0x00, 0xF6}, {10, 0}},
        {"unknown bytes are skipped", {0x00, 0x89, 0x03, 0x7E, 0x80, 0x89, 0x01}, {3, 4}},
        {"a count of 255 means 256 items",
         [] {
             Bytes b(2 + 256, 0x01);  // 0x81 0xFF, then 256 items
             b[0] = 0x81;
             b[1] = 0xFF;
             return b;
         }(),
         [] {
             Ints v;
             for (int i = 1; i <= 64; ++i) v.push_back(i);  // capacity 64
             return v;
         }()},
        {"the value wraps at 32 bits",
         {0x9C, 0x7F, 0xFF, 0xFF, 0xFF, 0x89, 0x01},
         {2147483647, -2147483647 - 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(Expand(c.bytes), c.values) << c.name;
}

TEST(CShortener, ExpansionStopsAtTheEndOfBytesOrOutput) {
    const struct {
        const char* name;
        Bytes bytes;
        unsigned long capacity;
        Ints values;
    } cases[] = {
        {"empty", {}, 8, {}},
        {"code without count", {0x81}, 8, {}},
        {"items cut short", {0x81, 0x05, 0x01, 0x02}, 8, {1, 3}},
        {"16-bit item cut", {0x82, 0x00, 0x01}, 8, {}},
        {"absolute item cut", {0x89, 0x02, 0x9C, 0x00, 0x00}, 8, {2}},
        {"output full", {0x81, 0x04, 1, 1, 1, 1, 1}, 2, {1, 2}},
        {"no room at all", {0x89, 0x01}, 0, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Expand(c.bytes, c.capacity), c.values) << c.name;
}

TEST(CShortener, IntegersBecomeScaledFloatsAndTheStepCountIsMissing) {
    CShortener shortener;
    ASSERT_EQ(shortener.SetCapacity(8), kNoErr);
    shortener.SetScale(1, -10.0f, 10.0f, 20.0f);  // one unit per step
    // 0, 5, 20 (the step count), -2, 19
    const Bytes bytes = {0x94, 0x04, 0,  0,    0,    0,    0,    0, 0, 5, 0,
                         0,    0,    20, 0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 19};
    ASSERT_EQ(shortener.ExpandBytes(bytes.data(), bytes.size()), kNoErr);
    ASSERT_EQ(shortener.mnValues, 5u);
    const float* v = shortener.Values();
    EXPECT_FLOAT_EQ(v[0], -10.0f);
    EXPECT_FLOAT_EQ(v[1], -5.0f);
    EXPECT_TRUE(std::isnan(v[2]));
    EXPECT_FLOAT_EQ(v[3], -12.0f);
    EXPECT_FLOAT_EQ(v[4], 9.0f);
}

TEST(CShortener, UnsetOrBrokenStepCounts) {
    CShortener shortener;
    ASSERT_EQ(shortener.SetCapacity(4), kNoErr);
    // Unset scale: -2^31 steps from 0 to 1; the integer 0x80000000 is missing.
    const Bytes bytes = {0x9C, 0x80, 0x00, 0x00, 0x00, 0x9C, 0x00, 0x00, 0x00, 0x02};
    ASSERT_EQ(shortener.ExpandBytes(bytes.data(), bytes.size()), kNoErr);
    EXPECT_TRUE(std::isnan(shortener.Values()[0]));
    EXPECT_FLOAT_EQ(shortener.Values()[1], float(2.0 / -2147483648.0));

    for (float steps : {0.0f, INFINITY, NAN}) {
        shortener.SetScale(1, 0.0f, 1.0f, steps);
        ASSERT_EQ(shortener.Expand(), kNoErr);
        EXPECT_TRUE(std::isnan(shortener.Values()[1])) << steps;
    }
    shortener.SetScale(1, 0.0f, 1.0f, 1.0e30f);  // no integer can be the marker
    ASSERT_EQ(shortener.Expand(), kNoErr);
    EXPECT_FALSE(std::isnan(shortener.Values()[0]));
}

TEST(CShortener, RandomBytesNeverOverrunTheOutput) {
    std::mt19937 random(12345);
    for (int round = 0; round < 500; ++round) {
        Bytes bytes(random() % 300);
        for (auto& b : bytes) {
            // Mostly code bytes, so that long runs are tried.
            const uint8_t codes[] = {0x81, 0x82, 0xA4, 0x94, 0x89, 0x8A, 0xAC, 0x9C};
            b = (random() % 3 == 0) ? codes[random() % 8] : uint8_t(random());
        }
        CShortener shortener;
        const unsigned long capacity = random() % 20;
        ASSERT_EQ(shortener.SetCapacity(capacity), kNoErr);
        ASSERT_EQ(shortener.ExpandBytes(bytes.data(), bytes.size()), kNoErr);
        EXPECT_LE(shortener.mnValues, capacity);
    }
}

}  // namespace
