#pragma once
// The two-way dictionary between the keyword names that stand in a BTF table
// file ("%FileType: ...") and the four-character key codes ('ftyp') by which
// the code handles them, plus the escaping applied to every value, comment and
// row a writer puts into a file.

#include <cstdint>

// A key code from its four characters, first character most significant:
// BtfCode("ftyp").
constexpr uint32_t BtfCode(const char (&text)[5]) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}

// One record of a static key table. A table ends with a record whose code is
// 0 or whose name is empty.
struct XBtfKeyList {
    uint32_t mnCode;
    char mszName[36];
};

// The standard vocabulary, 124 records and the end record.
extern const XBtfKeyList xBtfStandardList[125];

class BTFKeyList {
  public:
    uint32_t mnClassTag;    // 'btfk' while alive, 0 after destruction
    int32_t mnKeyCount;     // entries in use
    int32_t mnKeyCapacity;  // entries allocated
    XBtfKeyList* mpKeys;    // owned, zero-filled when allocated

    BTFKeyList();
    virtual ~BTFKeyList();

    void ClearKeyList();

    // Nothing for a null or empty name or code 0. The entry reuses the first
    // slot below the count whose code is 0, else it is appended. Names longer
    // than 32 characters keep their first 33 (and so can never be looked up).
    void AddKey(const char* name, unsigned long code);
    void AddKeyList(const XBtfKeyList* list);

    // Earliest entry at or after `start` (negative counts as 0), or -1.
    long FindKeyIndex(unsigned long code, long start) const;
    long FindKeyIndex(const char* name, long start) const;

    // Code of the first entry named `name` (case ignored); 0 when none; all
    // bits set when the object is not a live key list.
    unsigned long GetKeyCode(const char* name) const;

    // With a nonzero code: the first entry of that code from `index` on.
    // With code 0: the entry at `index`. Copies its name (the buffer holds at
    // least 34 bytes; it is emptied first) and returns the index, or -1.
    long GetKeyName(char* name, unsigned long code, long index) const;

    // Escapes `length` bytes of `text` (negative: up to its NUL) for one line
    // of a table file: CR -> \r, LF -> \n, backslash -> \\, other bytes below
    // 32 -> \xHH; everything else unchanged. *encoded receives a buffer the
    // caller releases with free(), or null when the text is empty. 0, -50 for
    // missing arguments, -108 when memory runs out.
    static long EncodeString(const char* text, long length, char** encoded, long* encodedLength);

    long IsValidClass() const;
};
