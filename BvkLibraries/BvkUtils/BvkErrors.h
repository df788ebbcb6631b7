#pragma once
// Error codes shared by every part of the system. 0 is success; negative
// values are the file system's, positive values the system's own.

constexpr long kNoErr = 0;
constexpr long kErrEndOfFile = -39;
constexpr long kErrNotFound = -43;
constexpr long kErrBusy = -47;
constexpr long kErrNameInUse = -48;
constexpr long kErrBadArgument = -50;
constexpr long kErrOutOfMemory = -108;
constexpr long kErrCopyIntoItself = -1234;
constexpr long kErrNotAFolder = -1407;

// Chunked binary files: the end of a container's (or chunk's) data, which is
// how a reader notices that a level is finished.
constexpr long kErrEndOfLevel = -2046;

// Cross spectra files.
constexpr long kErrSpectraVersion = 2;          // header version too high
constexpr long kErrSpectraExtents = 4;          // header extents inconsistent
constexpr long kErrSpectraTooShort = 9;         // file (or chunk) shorter than its spectra
constexpr long kErrSpectraHeaderRange = 10;     // header extent or dimensions out of range
constexpr long kErrNotReducedSpectra = 1002;    // outer chunk is not a reduced spectra kind
constexpr long kErrRangeDataInHeaderOnly = 1004; // range data met while only the header was asked for
