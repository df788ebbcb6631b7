// Reading an LLUV file whole: keywords as written, tables as numbers.

#include "cLLUVTables.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "BvkErrors.h"
#include "Platform.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool EqualIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        const char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

// Lines that shape tables rather than describe the file.
bool IsStructureKeyword(const char* name) {
    static constexpr const char* kStructure[] = {"TableType", "TableColumns", "TableColumnTypes",
                                                 "TableRows", "TableStart",   "TableEnd",
                                                 "End"};
    for (const char* structure : kStructure)
        if (EqualIgnoringCase(name, structure)) return true;
    return false;
}

bool IsVectorTableType(uint32_t type) {
    return type == LLUVCode("LLUV") || type == LLUVCode("RBVD") || type == LLUVCode("LLWV") ||
           type == LLUVCode("XYUV");
}

}  // namespace

long XLLUVTable::Find(uint32_t code) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == code) return static_cast<long>(i);
    return -1;
}

double LLUVTablesReadNumber(const char* text, const char** end) {
    const char* start = text;
    if (*start == '+') ++start;
    const char* stop = start;
    while (*stop && !IsBlank(*stop)) ++stop;
    *end = stop;

    // The numbers of a table are short decimals ("-122.0634000"): their
    // digits as an integer, divided once by a power of ten, round exactly as
    // a full conversion would (both are exact doubles below 2^53 and 1e22).
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* c = start;
    const bool negative = *c == '-';
    if (negative) ++c;
    uint64_t digits = 0;
    int count = 0, decimals = -1;
    for (; c < stop; ++c) {
        if (*c >= '0' && *c <= '9') {
            digits = digits * 10 + static_cast<uint64_t>(*c - '0');
            ++count;
            if (decimals >= 0) ++decimals;
        } else if (*c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (c == stop && count > 0 && count <= 15) {
        const double magnitude = static_cast<double>(digits) / kPowers[decimals < 0 ? 0 : decimals];
        return negative ? -magnitude : magnitude;
    }

    double value = std::numeric_limits<double>::quiet_NaN();
    const auto [past, err] = std::from_chars(start, stop, value);
    if (err != std::errc() || past != stop || !std::isfinite(value))
        value = std::numeric_limits<double>::quiet_NaN();
    return value;
}

long CLLUVTables::ReadTables(CFileSpec* file) {
    Clear();
    ClearInfo();
    mKeywords.clear();
    mTables.clear();
    mnLastTableIndex = 0;
    char path[4096] = {};
    if (file) file->GetFilePath(path, sizeof path);
    XPlatformStat stat{};
    long err = PlatformStat(path, 1, &stat);
    if (err != kNoErr) return err;
    if (stat.isFolder) return kErrNotFound;
    if (stat.size > static_cast<uint64_t>(kLLUVTablesMaxFileBytes)) return kLLUVTablesErrTooLarge;
    if ((err = ProcessBTFile(file, 0, 0)) != kNoErr) return err;
    if (mTables.empty() || !IsVectorTableType(mTables.front().type))
        return kLLUVTablesErrNoVectorTable;
    return kNoErr;
}

long CLLUVTables::ProcessNamedKeyword(char* name, char* value) {
    if (!IsStructureKeyword(name)) mKeywords.push_back({name, value[0] == ' ' ? value + 1 : value});
    return CLLUVFile::ProcessNamedKeyword(name, value);
}

long CLLUVTables::TableStarting(long tableIndex) {
    // A table is kept from its start, so that one without rows is kept too.
    XLLUVTable& table = mTables.emplace_back();
    table.type = static_cast<uint32_t>(mnTableType);
    table.subType = static_cast<uint32_t>(mnTableSubType);
    for (long i = 0; i < 128 && mnColumnTypes[i] != 0; ++i)
        table.columns.push_back(static_cast<uint32_t>(mnColumnTypes[i]));
    mnLastTableIndex = tableIndex;
    return CLLUVFile::TableStarting(tableIndex);
}

long CLLUVTables::ProcessTableRow(char* row) {
    if (mnTableIndex != mnLastTableIndex || mTables.empty()) TableStarting(mnTableIndex);
    XLLUVTable& table = mTables.back();
    if (table.columns.empty()) return kNoErr;  // untyped rows name no column
    const char* text = row;
    for (size_t column = 0; column < table.columns.size(); ++column) {
        while (IsBlank(*text)) ++text;
        if (*text == 0) {
            table.values.push_back(std::numeric_limits<double>::quiet_NaN());
            continue;
        }
        table.values.push_back(LLUVTablesReadNumber(text, &text));
    }
    ++table.rows;
    return kNoErr;
}
