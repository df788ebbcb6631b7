#pragma once
// The preference store with formatted values and choice lists. A choice is
// written as its name followed by the whole list as a comment, so that a
// person editing the file sees what else the key accepts:
//
//   OutputLLUV = On  \t;; Off,On,Tandem,XYUV

#include "cPrefBase.h"

class CPref : public CPrefBase {
public:
    CPref() = default;
    virtual ~CPref() = default;

    // Formats the value (at most 1,023 characters) and writes it with
    // PutString; nothing (kPrefNoLine) for a null key or format.
    uint32_t PutStringf(const char* key, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // Writes the choice numbered `index` of the comma-separated `choices`,
    // with the list as a comment.
    uint32_t PutChoice(const char* key, const char* choices, long index);
    // The index in `choices` of the value's first word, `defaultIndex` when
    // it names none. A missing key is written with the default choice when
    // mbCreateMissing is set.
    long GetChoice(const char* key, const char* choices, long defaultIndex);
};
