#pragma once
// Antenna pattern files: the older plain text layout and the table file
// layout (file type 'PATT').
//
// Plain text layout, one item per line unless said otherwise:
//   N                       the number of bearings
//   N bearings              as many per line as a line holds
//   8 blocks of N numbers   A13R Q13R A13I Q13I A23R Q23R A23I Q23I
//   (a line that is skipped), antenna bearing, site code, site position,
//   angular resolution, angular smoothing, date (six numbers), comment, and
//   a line holding "UUID" and the identifier; these trailing lines may be
//   left out.
// The plain layout counts bearings counter-clockwise from the antenna
// bearing; after reading they are clockwise from true north and the list
// starts at the smallest.

#include "BTFReader.h"
#include "cCrossLoop.h"

#include <cstdint>
#include <vector>

class CCrossLoopPattBtf : public CCrossLoopPattern, public BTFReader {
public:
    CCrossLoopPattBtf();
    virtual ~CCrossLoopPattBtf();

    // Reads a pattern file of either layout (a file whose first line starts
    // with "%" is read as a table file). A plain file announcing fewer than
    // one bearing gives 0 with no vectors; a read failure inside the numbers
    // clears the pattern and returns the error.
    long ImportPatSavFile(CFileSpec* file);

    // Table file callbacks. Rows are taken from the first table only.
    long ProcessKeyword(unsigned long code, char* value) override;
    long ProcessTableRow(char* row) override;
    long TableEnd() override;

    int32_t mnPatternTables;    // tables ended so far
    int32_t mnRealImagColumns;  // of the current table
    int32_t mnMagPhaseColumns;

private:
    long ImportTableFile();
    long ImportPlainFile();
    long ReadNumberLines(std::vector<double>* values, long count);
    void FinishPlainPattern();
    void CountColumns();
};
