#pragma once
// Writing QC results into an LLUV file's text: the QC keyword lines before
// the vector table and one flag column per test run, PRIM last, after the
// table's existing columns. Every other byte of the file stays as it was.

#include <string>

#include "cRadialQC.h"

// Appends a flag as its column writes it (" %6d").
void RadialQCAppendFlag(std::string& text, int flag);

// The QC keyword lines, each ended by `lineEnd`.
std::string RadialQCKeywordLines(const XRadialQCResult& result, const XRadialQCOptions& options,
                                 const char* lineEnd);

// `out` = `text` with the QC added. 0; kQCErrAlreadyChecked when the text
// carries QC keywords; kQCErrNoVectorTable when no table starts; kQCErrRowCount when the vector
// table does not have one row per flag.
long RadialQCInsert(const std::string& text, const XRadialQCResult& result,
                    const XRadialQCOptions& options, std::string* out);
