#include "BTFSiteCode.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Code(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(d));
}

}  // namespace

// Every code comes back from what the writer makes of it, followed by the
// site name as the Site keyword writes it.
TEST(BTFSiteCode, WrittenCodesReadBack) {
    const struct {
        uint32_t code;
        const char* written;
        uint32_t read;
    } cases[] = {
        {Code('A', 'B', 'C', 'D'), "ABCD", Code('A', 'B', 'C', 'D')},
        {Code('1', 'A', 'B', 'C'), "1ABC", Code('1', 'A', 'B', 'C')},  // not a number
        {Code('A', 'B', ' ', ' '), "AB  ", Code('A', 'B', ' ', ' ')},
        {Code('a', 'b', 0, 0), "\"ab\"", Code('a', 'b', 0, 0)},
        {Code(' ', 'a', 'b', 'c'), "\" abc\"", Code(' ', 'a', 'b', 'c')},
        {Code('"', 'T', 'E', 'S'), "'\"TES'", Code('"', 'T', 'E', 'S')},
        {Code('"', '\'', 'a', 'b'), "'\"_ab'", Code('"', '_', 'a', 'b')},
        {Code('a', '\t', 'b', 'c'), "a_bc", Code('a', '_', 'b', 'c')},
        {Code('\\', 'E', 'S', 'T'), "_EST", Code('_', 'E', 'S', 'T')},
        {0, "\"\"", 0},
    };
    for (const auto& c : cases) {
        const std::string written = BtfSiteCodeToText(c.code).text;
        EXPECT_EQ(written, c.written);
        const std::string line = "  " + written + " \"Name\"";
        uint32_t read = 1;
        EXPECT_EQ(BtfReadSiteCode(line.c_str(), &read), static_cast<long>(2 + written.size()))
            << c.written;
        EXPECT_EQ(read, c.read) << c.written;
    }
}

TEST(BTFSiteCode, TextsNoWriterMakes) {
    uint32_t read = 1;
    EXPECT_EQ(BtfReadSiteCode("\"ABCDEF", &read), 4);  // no closing quote in reach
    EXPECT_EQ(read, Code('"', 'A', 'B', 'C'));
    EXPECT_EQ(BtfReadSiteCode(" AB", &read), 3);
    EXPECT_EQ(read, Code('A', 'B', 0, 0));
    EXPECT_EQ(BtfReadSiteCode("", &read), 0);
    EXPECT_EQ(read, 0u);
}
