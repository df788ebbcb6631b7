#pragma once
// The values of a table row are its runs of anything but the blank and the
// tab. Readers count them on every row (a short row is a cut or a damaged
// one), so the walk takes eight characters at a time.

struct XRowValues {
    long count = 0;
    const char* atColumn = nullptr;  // where the value at the column asked for starts
};

// How many values `row` (null: none) holds, and where the one at `column`
// (from 0) starts: null when the row has fewer or `column` is negative.
XRowValues WalkRowValues(const char* row, long column);

inline long CountRowValues(const char* row) {
    return WalkRowValues(row, -1).count;
}
