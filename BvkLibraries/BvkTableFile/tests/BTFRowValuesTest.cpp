#include "BTFRowValues.h"

#include <gtest/gtest.h>

// Values are counted eight characters at a time and the rest one by one, so
// the rows put values across, at and after the eight-character marks.
TEST(BTFRowValues, CountsValuesAndFindsTheColumnAsked) {
    const struct {
        const char* row;
        long column;
        long count;
        long at;  // offset of the column's value, -1: none
    } cases[] = {
        {"", 0, 0, -1},
        {" \t \t ", 0, 0, -1},
        {"a", 0, 1, 0},
        {"  1.5\t-2  x ", 2, 3, 10},
        {"  1.5\t-2  x ", 3, 3, -1},
        {"  1.5\t-2  x ", -1, 3, -1},
        {"1234567890 a", 1, 2, 11},        // a value across the mark
        {"1234567 8 ", 1, 2, 8},           // a value starting at it
        {"12345678\t9 x", 1, 3, 9},        // a value ending at it
        {"1234567890abcdef x", 1, 2, 17},  // a value across two whole runs of eight
        {"a b c d e f g h i j k", 5, 11, 10},
        {"a b c d e f g h i j k", 9, 11, 18},
        {"a b c d e f g h i j k", 0, 11, 0},
        // Only the blank and the tab separate: not the bytes one above them,
        // nor those that differ in the high bit alone, nor line ends.
        {"\xA0\x89 !\t\x08\r\n x", 3, 4, 9},
    };
    for (const auto& c : cases) {
        const XRowValues values = WalkRowValues(c.row, c.column);
        EXPECT_EQ(values.count, c.count) << c.row << " column " << c.column;
        EXPECT_EQ(values.atColumn, c.at < 0 ? nullptr : c.row + c.at) << c.row << " " << c.column;
        EXPECT_EQ(CountRowValues(c.row), c.count) << c.row;
    }
    EXPECT_EQ(CountRowValues(nullptr), 0);
}
