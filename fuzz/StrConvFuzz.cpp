// The string-to-number and item conversions every text reader builds on.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzScratch.h"
#include "cStrConv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzText input(data, size);
    const char* text = input.text;
    double number = 0;
    float single = 0;
    long integer = 0;
    unsigned long unsignedInteger = 0;
    short shortInteger = 0;
    double numbers[16];
    CStrConv::StringToDouble(text, &number);
    CStrConv::StringToFloat(text, &single);
    CStrConv::StringToLong(text, &integer);
    CStrConv::StringToULong(text, &unsignedInteger);
    CStrConv::StringToShort(text, &shortInteger);
    CStrConv::StringHexToLong(text, &unsignedInteger, 8);
    CStrConv::StringToDoubles(text, numbers, 16);
    CStrConv::StringToCharCode(text, &unsignedInteger);
    CStrConv::SkipToNextItem(text);
    CStrConv::FindChoice(text, "Off,On,Tandem,XYUV", -1, 0);
    char word[64];
    CStrConv::FindSubString(text, word, sizeof word - 1);
    // The in-place helpers get their own copy.
    const FuzzText scratch(data, size);
    std::vector<char> comment(std::strlen(scratch.text) + 1);
    CStrConv::StripFortranComment(scratch.text, comment.data());
    CStrConv::StripTrailingWhiteSpace(scratch.text);
    return 0;
}
