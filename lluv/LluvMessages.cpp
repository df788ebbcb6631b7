// Messages for people: what went wrong with a file, on standard error.

#include <cstdio>

#include "BTFReader.h"
#include "BvkErrors.h"
#include "LluvCommand.h"
#include "cRadialQC.h"

void LluvComplain(const std::string& file, const std::string& text) {
    std::fprintf(stderr, "lluv: %s: %s\n", file.c_str(), text.c_str());
}

std::string LluvErrorText(long code) {
    const char* text = nullptr;
    switch (code) {
        case kErrNotFound:
            text = "no such file";
            break;
        case kErrEndOfFile:
            text = "file ends too early";
            break;
        case kErrBusy:
            text = "file is busy";
            break;
        case kErrNameInUse:
            text = "name already in use";
            break;
        case kErrBadArgument:
            text = "not an LLUV file (file type not accepted) or bad name";
            break;
        case kErrOutOfMemory:
            text = "out of memory";
            break;
        case kBtfErrNoFileType:
            text = "not a table file (no %FileType line)";
            break;
        case kLLUVErrUnreadableTable:
            text = "first table is not a vector table";
            break;
        case kQCErrAlreadyChecked:
            text = "already carries QC results";
            break;
        case kQCErrRowCount:
            text = "vector table rows do not match the vectors read";
            break;
        case kQCErrNoVectorTable:
            text = "no vector table";
            break;
        case kQCErrFileTooLarge:
            text = "too large for a radial file";
            break;
        default:
            text = "cannot be read or written";
            break;
    }
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%s (error %ld)", text, code);
    return buffer;
}
