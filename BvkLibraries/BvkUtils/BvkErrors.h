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
