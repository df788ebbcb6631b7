#pragma once
// A small sectioned text file of settings held in memory:
//
//   ; comment
//   [Section]
//   Key = value ;; comment
//
// Lookups find an entry only inside the current section; edits insert,
// replace or delete whole lines and leave every other byte of the text as it
// was read (comments, blank lines, unknown keys, the file's own line ends), so
// writing the text back changes only what was asked for.
//
// Line numbers are unsigned 32-bit; kPrefNoLine (all ones) means "not found"
// or "refused". A section name, key or value that would sit past column 255,
// where the line table cannot describe it and so could never find it again,
// is refused with kPrefRefused (-50) and changes nothing. Line operations refuse on a read-only
// store, when the line table is full, when the text would grow beyond what a later read can hold,
// and after the text buffer has been lost to a failed allocation.
//
// A file larger than the store (more than kPrefMaxBytes bytes or
// kPrefMaxLines lines) is read as far as it fits and never written back:
// writing the part that fitted would cut the rest off the file on disk.
// UpdatePreference reports kErrOutOfMemory for it instead.

#include "cFile.h"

#include <cstdint>
#include <memory>

constexpr uint32_t kPrefNoLine = 0xFFFFFFFFu;
constexpr uint32_t kPrefRefused = static_cast<uint32_t>(-50);  // the bad-argument code
constexpr uint32_t kPrefMaxBytes = 65536;
constexpr uint32_t kPrefMaxLines = 65536;
constexpr uint32_t kPrefBufferStep = 2048;

// Line types of the line table.
constexpr long kPrefLineOther = 0;  // blank or anything else
constexpr long kPrefLineComment = 1;
constexpr long kPrefLineSection = 2;
constexpr long kPrefLineEntry = 3;

// One line of the text. The three positions count from the line start; a
// line whose name or value starts beyond 255 characters cannot be described
// and is typed "other" (it is kept, but never matched).
struct XPrefLine {
    uint32_t offset;     // of the line's first byte in the text
    uint8_t type;        // kPrefLine...
    uint8_t nameStart;   // section name or key
    uint8_t nameEnd;     // one past the name, trailing blanks excluded
    uint8_t valueStart;  // first non-blank after '=' (entries)
};
static_assert(sizeof(XPrefLine) == 8);

class CPrefBase : public CFile {
  public:
    CPrefBase();
    virtual ~CPrefBase();
    CPrefBase(const CPrefBase&) = delete;
    CPrefBase& operator=(const CPrefBase&) = delete;

    // Closes any open preference, then reads the file (`spec`, or the path
    // the object already names). A missing file gives -43 and an empty store.
    // Non-zero codes replace the creator and type used when writing.
    long OpenPreference(CFileSpec* spec, unsigned long creator, unsigned long type, long bReadOnly);
    // Writes the whole text back when the store is writable and modified. A
    // file that does not exist is not created (-43).
    long UpdatePreference();
    // UpdatePreference, close, free the text. Returns the update's result.
    long ClosePreference();
    // Returns the previous setting.
    long SetReadOnly(long bReadOnly);

    // The current section; null keeps the current name, "" is the part before
    // the first header. Returns the header line (0 for ""), or kPrefNoLine.
    uint32_t SetSection(const char* name);
    // The value of `key` in the current section copied to `out` (at most
    // size - 1 characters). When missing, `defaultValue` (or "") is copied and,
    // with mbCreateMissing, written as a new entry. Returns the entry's line.
    uint32_t GetString(const char* key, char* out, unsigned long size, const char* defaultValue,
                       long bRaw);
    // Replaces the entry of `key` in the current section, or inserts
    // "key = value" at the end of the section. Returns the entry's line.
    uint32_t PutString(const char* key, const char* value);

    // Line operations. `text` is one line: anything from its first CR or LF
    // on is dropped. Inserting at or beyond the last line inserts before the
    // final empty line.
    uint32_t InsertLine(uint32_t line, const char* text);
    uint32_t ReplaceLine(uint32_t line, const char* text);
    uint32_t DeleteLine(uint32_t line);
    // The first line at or after `fromLine` of `type` whose name equals
    // `name` (any name when null). A search for entries stops at the next
    // section header.
    uint32_t FindLine(long type, const char* name, uint32_t fromLine);
    // An entry's value (the rest of the line with bRaw), a section's name, or
    // any other line's whole text.
    uint32_t GetLineData(uint32_t line, char* out, unsigned long size, long bRaw);
    // The line after the current section's last line: the next header, or
    // the final empty line.
    uint32_t GetSectionEnd();

    uint32_t mnKind;
    uint32_t mnCreator;
    uint32_t mnType;
    int32_t mbCreateMissing;
    int32_t mbReadOnly;
    char mszSection[256];
    uint32_t mnSectionLine;
    uint32_t mnFoundLine;
    int32_t mbSequential;
    int32_t mbSequentialStep;
    uint32_t mnSequentialLine;
    uint32_t mnSequentialCount;
    uint32_t mnCapacity;
    uint32_t mnLength;
    std::unique_ptr<char[]> mpText;
    int32_t mbModified;
    uint32_t mnLines;  // the final empty line included
    std::unique_ptr<XPrefLine[]> mpLines;
    // Why the text must not be written back (0: it may): the file did not
    // fit, could not be opened or read, or the text was lost.
    long mnWriteBlock;

  private:
    bool Usable() const { return mpText != nullptr && mpLines != nullptr; }
    bool Editable() const { return !mbReadOnly && Usable(); }
    void ResetText();
    void LoadText(const char* bytes, uint32_t count, bool bMore);
    uint32_t ContentEnd(uint32_t line) const;
    void ClassifyLine(uint32_t line);
    bool IsBlankLine(uint32_t line) const;
    bool NameEquals(uint32_t line, const char* name) const;
    long CopyValue(uint32_t line, char* out, unsigned long size, long bRaw) const;
    bool SetCapacityFor(uint32_t needed);
    bool Splice(uint32_t at, uint32_t removeCount, const char* bytes, uint32_t count);
    uint32_t FindSectionHeader(const char* name) const;
    bool SectionBody(bool bCreate, uint32_t* first, uint32_t* end);
    uint32_t CreateSection(const char* name);
    void ShiftTrackedLines(uint32_t line, int delta);

    char mszLineEnd[3];  // what inserted lines end with: the file's own line end
};
