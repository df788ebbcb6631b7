#pragma once
// Quillmoor's vector store: an LLUV file whose writer hooks add the spectra
// keywords and the diagnostic tables of the hour.
//
// PreTable, just before the vector table, writes the sweep rate, the signed
// bandwidth and the range and Doppler cell counts of the cross spectra named
// by "SpectraToProcess.txt" in szProcFolder. Finishing, just before the
// closing lines, appends the rows of the weekly radial report (".rdt" in
// szDiagFolder, else "RadialDiagInfo.txt" in szProcFolder) and of the weekly
// receiver report (".hdt") that fall in the map's time window, each as the
// file's next numbered table with its rows commented, so that readers of the
// vector table still see only the vectors. Both hooks always give 0: what
// cannot be read is left out, and of a week file read only in part (a cut
// last row, rows of another kind) the complete rows are used.

#include <cstdint>

#include "cLLUVFile.h"

class CReportBase;
class CReportRadial;

// The window used when the map gives no time coverage, in seconds.
constexpr long kDefaultDiagWindowSeconds = 3600;

// Radial report rows with this type bit are kept only at the map's own time.
constexpr uint32_t kRadialTypeExactTime = 4;

class CAppLLUVFile : public CLLUVFile {
  public:
    CAppLLUVFile() = default;
    ~CAppLLUVFile() override = default;

    long PreTable() override;
    long Finishing() override;

  private:
    // The map's window [first, last] in local 1904 seconds, held inside the
    // 32-bit range.
    void GetDiagWindow(int64_t* first, int64_t* last) const;
    void AddRadialDiagTable(unsigned long weekStart);
    void AddReceiverDiagTable(unsigned long weekStart);
    // Rows imported from "RadialDiagInfo.txt" carry no radial type: they
    // take the map's pattern type (1 ideal, 2 measured).
    void TakePatternType(CReportRadial* report) const;
    // Writes the report's table into this open file as its next table: the
    // report borrows the stream and the table count and gives them back.
    void EmbedReportTable(CReportBase* report);
};
