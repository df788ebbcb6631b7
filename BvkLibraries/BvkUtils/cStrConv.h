#pragma once
// Text scanning shared by every text format of the system. White space is the
// blank and the tab only; item separators are the blank, the tab and the
// comma. Parsing operations return how many characters they consumed from the
// start of the text (white space included), so a caller walks a line by
// adding the results, and they write a result only through a non-null pointer.

class CStrConv {
public:
    virtual ~CStrConv() = default;

    // White space and items
    static long SkipWhiteSpace(const char* text);
    static long ReverseSkipWhiteSpace(const char* text, long length);
    static char* StripTrailingWhiteSpace(char* text);
    static char* StripFortranComment(char* text, char* comment);
    static long SkipToNextItem(const char* text);
    static long FindSubString(const char* text, char* word, unsigned long maxLength);

    // Numbers
    static long SkipInteger(const char* text);
    static long SkipHex(const char* text);
    static long SkipFloat(const char* text);
    static long StringToDouble(const char* text, double* value);
    static long StringToFloat(const char* text, float* value);
    static long StringToLong(const char* text, long* value);
    static long StringToULong(const char* text, unsigned long* value);
    static long StringToShort(const char* text, short* value);
    static long StringHexToLong(const char* text, unsigned long* value, long maxDigits);
    static long StringToDoubles(const char* text, double* values, long maxCount);

    // Four-character codes
    static long StringToCharCode(const char* text, unsigned long* code);
    static long CharCodeToString(char* text, unsigned long code);

    // Choice lists ("Off,On,Tandem,XYUV"), items numbered from 0
    static long FindChoice(const char* text, const char* choices, long defaultIndex, long noPartial);
    static long GetChoiceString(long index, const char* choices, char* item, unsigned long maxLength);

    // Strings
    static long StringCompare(const char* a, const char* b, long ignoreCase, long maxLength);
    static long InsertString(const char* insert, char* text);
    static void PadString(char* text, long width);
};
