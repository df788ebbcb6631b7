#pragma once
// The full cross spectra file: a versioned big-endian header, then for each
// range cell the self spectra of antennas 1, 2 and 3 (nDoppler floats each),
// the cross spectra 1x2, 1x3 and 2x3 (nDoppler float pairs each) and, for
// spectra kind 2, the quality array: 36 or 40 bytes per Doppler cell.
//
// Results of opening: 10 header extent out of range, 2 version too high,
// 4 extents inconsistent, 9 file too short for its spectra, -39 short header.

#include <cstdint>

#include "cCrossSpectra.h"
#include "cFile.h"

class CCrossSpectraFile : public CCrossSpectra, public CFile {
  public:
    CCrossSpectraFile();
    ~CCrossSpectraFile() override;

    // Opens the file and reads and checks its header; the file stays open
    // (positioned after the header) for ReadRanges.
    long OpenForRead(CFileSpec* spec);
    // Allocates the cells and reads them in file order.
    long ReadRanges();
    // The limit tables live in the file's resource stream, which this
    // system's files do not have: -43.
    long ReadAlimResource(CFileSpec* spec);
    // Open, read every range cell, close, then the limit tables (whose
    // absence is no failure); the first error.
    long ReadCrossSpectra(CFileSpec* spec);
    long Close();

    uint32_t mnFileLength;
    uint32_t mnState;

  protected:
    // Checks a header in the machine's byte order against its own extents
    // and, when `checkLength`, against the file's length.
    long CheckHeader(long bCheckLength) const;
    // 1 when the file holds the header and every cell the header counts.
    bool FileHoldsSpectra() const;
};
