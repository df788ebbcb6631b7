#pragma once
// The reduced cross spectra file: a chunked file whose outer chunk is 'CSSW',
// 'CSSX' (cross spectra as decibel magnitude and phase in degrees), 'CSSY' or
// 'CSSZ' (cross spectra as two decibel components), holding the spectra
// header ('cs4h') and per range cell ('indx') compressed arrays, sign bits
// ('csgn'), the scale ('scal'), the decibel reference ('dbrf'), the limit
// tables ('alim', 'wlim') and the source file name ('srcn').
//
// Every count and index the file gives is checked against the chunk that
// carries it and the arrays it fills: results 1002 not a reduced spectra
// file, 1004 range data met while only the header was asked for, 10 header
// out of range, 9 chunk shorter than its data (or a file shorter than a
// byte per 16 Doppler cells of the cells its header counts), -39 no header
// or a chunk that reaches past its container, -108 out of memory.

#include <cstdint>
#include <vector>

#include "cCrossSpectraFile.h"

class CRiff;
class CShortener;

class CCrossSpectraShort : public CCrossSpectraFile {
  public:
    CCrossSpectraShort();
    ~CCrossSpectraShort() override;

    // With bHeaderOnly the reading ends (result 0) right after the header.
    long ReadReducedFile(CFileSpec* spec, long bHeaderOnly);

    char mszSourceName[256];
    CShortener* mpShortener;
    double mdCompression;

  private:
    long ReadChunks(CRiff& riff, long bHeaderOnly, bool* headerDone);
    long ReadHeaderChunk(CRiff& riff, unsigned long size, long bHeaderOnly);
    long ReadIndexChunk(CRiff& riff, unsigned long size);
    long ReadScaleChunk(CRiff& riff, unsigned long size);
    long ReadReferenceChunk(CRiff& riff, unsigned long size);
    long ReadArrayChunk(CRiff& riff, unsigned long key, unsigned long size);
    long ReadSignChunk(CRiff& riff, unsigned long size);
    long ReadLimitChunk(CRiff& riff, unsigned long key, unsigned long size);
    long ReadSourceNameChunk(CRiff& riff, unsigned long size);
    void ApplySignBits();

    long mnCurrentCell;
    double mdReference;
    bool mbHaveCells;
    // Six sign bit maps per range cell, kept until the values are converted.
    std::vector<uint8_t> mSignBits;
};
