#pragma once
// Radial QC of files: an LLUV reader that also notes what the QC tests need
// from the file's text, and the whole operation on one file (read it, find
// the site's two earlier hours, run the tests, write the QC'd copy through a
// temporary file so that no reader ever sees half of it).

#include <string>

#include "cRadialQC.h"

// Radial files are far smaller; anything larger is refused before it is read.
constexpr long long kQCMaxFileBytes = 64LL << 20;

class CRadialQCFile : public CLLUVFile {
  public:
    // Reads an LLUV file into the store (the position forms follow the
    // file's columns). The reader's result: 0, or its error code.
    long ReadForQC(CFileSpec* file);

    long ProcessKeyword(unsigned long code, char* value) override;
    long ProcessTableRow(char* row) override;
    long UnhandledKeyword(char* name, char* value) override;

    XRadialQCFileFacts mFacts;
    // QC results the file already carries: its QCTest lines and the count
    // of rows with each primary flag (0 to 9).
    long mnQCTestLines = 0;
    long mnPrimaryFlagCount[10] = {};

  private:
    long mnPrimaryColumn = -1;  // of the vector table, -1 when none
};

// The name of the same site's file `hours` earlier: the name's
// YYYY_MM_DD_HHMM stamp moved back. False when the name has no stamp.
bool RadialQCEarlierName(const char* name, long hours, std::string* earlier);

// QC of `input` written to `output` (may be the input itself); earlier hours
// are looked for in `earlierFolder`. 0 or an error code; on error `output`
// is left as it was.
long RadialQCFile(CFileSpec* input, CFileSpec* earlierFolder, CFileSpec* output,
                  const XRadialQCOptions& options, XRadialQCResult* result);
