#pragma once
// Quality control of the LLUV file the converter has just written, when the
// [QC] section of Quillmoor.pref switches it on. With QC off (or no [QC]
// section) nothing is read besides that section and nothing is written.

#include "cFileSpec.h"
#include "cRadialQC.h"

// Reads the [QC] section of the preference file `prefFile` without changing
// the file. True when QC is on; `options` gets the thresholds it names.
bool ReadConverterQCPreferences(CFileSpec* prefFile, XRadialQCOptions* options);

// Adds the QC lines and flag columns to `lluvFile` when QC is on, with the
// earlier hours taken from `outputFolder`. 0 when QC is off or was added;
// otherwise a Failure line is printed and the code returned, and the file
// stays as it was written.
long AddConverterQC(const CFileSpec& configsFolder, const CFileSpec& outputFolder,
                    CFileSpec* lluvFile);
