#pragma once
// An LLUV file kept whole: every keyword line as written (name and value, in
// file order) and every table as numbers, column by column as the table
// names them. The vector store itself stays empty; exporters that must carry
// every value of the file, including columns the store has no place for (QC
// flags, diagnostic tables), read the file through this class.

#include <cstdint>
#include <string>
#include <vector>

#include "cLLUVFile.h"

// Larger files are refused before they are read: no radial file comes near.
constexpr long long kLLUVTablesMaxFileBytes = 64LL << 20;

// A file whose first table is not a vector table.
constexpr long kLLUVTablesErrNoVectorTable = 2201;
// Larger than kLLUVTablesMaxFileBytes.
constexpr long kLLUVTablesErrTooLarge = 2202;

struct XLLUVKeyword {
    std::string name;   // as written, for example "TimeStamp"
    std::string value;  // without the blank after the colon
};

struct XLLUVTable {
    uint32_t type = 0;
    uint32_t subType = 0;
    std::vector<uint32_t> columns;
    // Row after row; NaN where a row holds no readable number for a column.
    std::vector<double> values;
    long rows = 0;

    double Value(long row, long column) const {
        return values[static_cast<size_t>(row) * columns.size() + static_cast<size_t>(column)];
    }
    // The column's index, or -1.
    long Find(uint32_t code) const;
};

class CLLUVTables : public CLLUVFile {
  public:
    // Reads the file; the header keywords, the tables and the file's
    // metadata (site, stamp, zone, origin, units) are kept. 0 or an error.
    long ReadTables(CFileSpec* file);

    long ProcessNamedKeyword(char* name, char* value) override;
    long TableStarting(long tableIndex) override;
    long ProcessTableRow(char* row) override;

    // Every keyword but the table structure lines and End, in file order.
    std::vector<XLLUVKeyword> mKeywords;
    // Tables in file order; the first is the vector table.
    std::vector<XLLUVTable> mTables;

  private:
    long mnLastTableIndex = 0;
};

// The number at the start of `text` (a leading '+' allowed), or NaN when
// there is none; `*end` is moved past the token either way.
double LLUVTablesReadNumber(const char* text, const char** end);
