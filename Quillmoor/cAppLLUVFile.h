#pragma once
// Quillmoor's vector store: an LLUV file whose writer hooks add the spectra
// keywords and the diagnostic tables of the hour.

#include "cLLUVFile.h"

class CAppLLUVFile : public CLLUVFile {
public:
    CAppLLUVFile() = default;
    ~CAppLLUVFile() override = default;
};
