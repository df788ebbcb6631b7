#include "cPrefBase.h"

#include "BvkErrors.h"

#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint32_t kCodePref = 0x70726566;  // 'pref'
constexpr uint32_t kCodeTtxt = 0x74747874;  // 'ttxt'
constexpr uint32_t kCodeText = 0x54455854;  // 'TEXT'

constexpr unsigned long kOpenReadOnly = 0x041;   // read, must exist
constexpr unsigned long kOpenReadWrite = 0x043;  // read, write, must exist

// Room for every line a store may hold, the final empty line and one spare.
constexpr uint32_t kLineTableEntries = kPrefMaxLines + 2;

bool IsWhite(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// One line of text as the store keeps it: cut at the first line end, with
// the control bytes that a read replaces replaced the same way.
std::string OneLine(const char* text) {
    std::string line;
    if (text == nullptr) return line;
    for (const char* p = text; *p != 0 && !IsLineEnd(*p); ++p) {
        line += (static_cast<unsigned char>(*p) < 3) ? '_' : *p;
    }
    return line;
}

// Types one line of `length` characters and finds its name and value. A line
// whose positions do not fit the table's 8-bit fields is typed "other";
// returns false for it.
bool ClassifyText(const char* text, uint32_t length, XPrefLine* entry) {
    uint32_t nameStart = 0, nameEnd = 0, valueStart = 0;
    long type = kPrefLineOther;

    uint32_t i = 0;
    while (i < length && IsWhite(text[i])) ++i;
    if (i < length && text[i] == ';') {
        type = kPrefLineComment;
    } else if (i < length && text[i] == '[') {
        type = kPrefLineSection;
        nameStart = i + 1;
        while (nameStart < length && IsWhite(text[nameStart])) ++nameStart;
        nameEnd = nameStart;
        while (nameEnd < length && text[nameEnd] != ']') ++nameEnd;
        while (nameEnd > nameStart && IsWhite(text[nameEnd - 1])) --nameEnd;
        valueStart = nameEnd;
    } else {
        const char* equals = static_cast<const char*>(memchr(text + i, '=', length - i));
        if (equals != nullptr) {
            type = kPrefLineEntry;
            nameStart = i;
            nameEnd = static_cast<uint32_t>(equals - text);
            while (nameEnd > nameStart && IsWhite(text[nameEnd - 1])) --nameEnd;
            valueStart = static_cast<uint32_t>(equals - text) + 1;
            while (valueStart < length && IsWhite(text[valueStart])) ++valueStart;
        }
    }
    const bool fits = nameStart <= 255 && nameEnd <= 255 && valueStart <= 255;
    if (!fits) {
        type = kPrefLineOther;
        nameStart = nameEnd = valueStart = 0;
    }
    entry->type = static_cast<uint8_t>(type);
    entry->nameStart = static_cast<uint8_t>(nameStart);
    entry->nameEnd = static_cast<uint8_t>(nameEnd);
    entry->valueStart = static_cast<uint8_t>(valueStart);
    return fits;
}

// Whether the line kept for this text could be found again.
bool LineFits(const std::string& text) {
    const std::string line = OneLine(text.c_str());
    XPrefLine entry{};
    return ClassifyText(line.data(), static_cast<uint32_t>(line.size()), &entry);
}

// The header line of a section. Built by appending: GCC 12 at -O3 takes
// "[" + std::string for an overlapping copy (a false -Wrestrict).
std::string SectionHeader(const char* name) {
    std::string header = "[";
    header += name;
    header += ']';
    return header;
}

// The entry line PutString writes: key, one blank unless the key ends in
// one, "= " and the value.
std::string EntryText(const char* key, const char* value) {
    std::string line = key;
    if (line.empty() || line.back() != ' ') line += ' ';
    line += "= ";
    line += value ? value : "";
    return line;
}

void CopyCut(char* out, unsigned long size, const char* text, size_t length) {
    if (out == nullptr || size == 0) return;
    if (length > size - 1) length = size - 1;
    memcpy(out, text, length);
    out[length] = 0;
}

}  // namespace

CPrefBase::CPrefBase()
    : mnKind(kCodePref),
      mnCreator(kCodeTtxt),
      mnType(kCodeText),
      mbCreateMissing(1),
      mbReadOnly(0),
      mszSection{},
      mnSectionLine(kPrefNoLine),
      mnFoundLine(kPrefNoLine),
      mbSequential(0),
      mbSequentialStep(0),
      mnSequentialLine(kPrefNoLine),
      mnSequentialCount(0),
      mnCapacity(0),
      mnLength(0),
      mbModified(0),
      mnLines(0),
      mpLines(new (std::nothrow) XPrefLine[kLineTableEntries]),
      mnWriteBlock(kErrNotFound),  // no file read yet: nothing to write back to
      mszLineEnd{'\n', 0, 0} {
    ResetText();
}

CPrefBase::~CPrefBase() {
    ClosePreference();
}

// An empty text: no lines but the final empty one.
void CPrefBase::ResetText() {
    mpText.reset(new (std::nothrow) char[kPrefBufferStep]);
    mnCapacity = mpText ? kPrefBufferStep : 0;
    mnLength = 0;
    mnLines = 0;
    strcpy(mszLineEnd, "\n");
    if (!Usable()) return;
    mpLines[0] = XPrefLine{0, static_cast<uint8_t>(kPrefLineOther), 0, 0, 0};
    mnLines = 1;
}

long CPrefBase::OpenPreference(CFileSpec* spec, unsigned long creator, unsigned long type,
                               long bReadOnly) {
    ClosePreference();
    mbReadOnly = bReadOnly ? 1 : 0;
    if (creator != 0) mnCreator = static_cast<uint32_t>(creator);
    if (type != 0) mnType = static_cast<uint32_t>(type);
    mszSection[0] = 0;
    mnSectionLine = 0;
    mnFoundLine = kPrefNoLine;
    mbSequential = mbSequentialStep = 0;
    mnSequentialLine = kPrefNoLine;
    mnSequentialCount = 0;
    mbModified = 0;
    mnWriteBlock = 0;
    ResetText();
    if (!Usable()) {
        mnWriteBlock = kErrOutOfMemory;
        return kErrOutOfMemory;
    }

    // Until the whole file is known to be in memory, nothing may be written
    // over it: an empty store written back would erase the file.
    long err = OpenFile(spec, mbReadOnly ? kOpenReadOnly : kOpenReadWrite, 0, 0);
    if (err != kNoErr) {
        mnWriteBlock = err;
        return err;
    }
    long long fileSize = GetFileSize();
    uint32_t want = fileSize > static_cast<long long>(kPrefMaxBytes)
                        ? kPrefMaxBytes
                        : static_cast<uint32_t>(fileSize < 0 ? 0 : fileSize);
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[want + 1]);
    if (!bytes) {
        CloseFile();
        mnWriteBlock = kErrOutOfMemory;
        return kErrOutOfMemory;
    }
    uint32_t got = 0;
    while (err == kNoErr && got < want) {
        unsigned long n = 0;
        err = ReadFile(bytes.get() + got, want - got, &n);
        got += static_cast<uint32_t>(n);
        if (n == 0) break;
    }
    if (err == kErrEndOfFile) err = kNoErr;
    CloseFile();
    if (err != kNoErr) {
        mnWriteBlock = err;
        return err;
    }
    LoadText(bytes.get(), got, fileSize > static_cast<long long>(got));
    return kNoErr;
}

void CPrefBase::LoadText(const char* bytes, uint32_t count, bool bMore) {
    // The file's first line end is the one that new lines get.
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes[i] == '\n') break;
        if (bytes[i] == '\r') {
            strcpy(mszLineEnd, (i + 1 < count && bytes[i + 1] == '\n') ? "\r\n" : "\r");
            break;
        }
    }
    bool bNeedsEnd = count > 0 && !IsLineEnd(bytes[count - 1]);
    uint32_t total = count + (bNeedsEnd ? static_cast<uint32_t>(strlen(mszLineEnd)) : 0);
    if (!SetCapacityFor(total)) return;
    for (uint32_t i = 0; i < count; ++i) {
        mpText[i] = (static_cast<unsigned char>(bytes[i]) < 3) ? '_' : bytes[i];
    }
    if (bNeedsEnd) memcpy(mpText.get() + count, mszLineEnd, strlen(mszLineEnd));
    mnLength = total;

    mnLines = 0;
    uint32_t pos = 0;
    while (pos < mnLength) {
        if (mnLines == kPrefMaxLines) {
            mnLength = pos;
            bMore = true;
            break;
        }
        mpLines[mnLines].offset = pos;
        ClassifyLine(mnLines);
        ++mnLines;
        while (pos < mnLength && !IsLineEnd(mpText[pos])) ++pos;
        if (pos < mnLength) {
            pos += (mpText[pos] == '\r' && pos + 1 < mnLength && mpText[pos + 1] == '\n') ? 2 : 1;
        }
    }
    mpLines[mnLines].offset = mnLength;
    ClassifyLine(mnLines);
    ++mnLines;
    if (bMore) mnWriteBlock = kErrOutOfMemory;
}

long CPrefBase::UpdatePreference() {
    if (mbReadOnly || !mbModified) return kNoErr;
    if (mnWriteBlock != kNoErr) return mnWriteBlock;
    if (!Usable()) return kErrOutOfMemory;
    if (!DoesObjectExist(1)) return kErrNotFound;
    // The new text goes to a temporary that replaces the file only when it
    // is complete, so a failed write leaves the old file as it was.
    long err = OpenCreateFile(nullptr, mnCreator, mnType);
    if (err != kNoErr) return err;
    unsigned long done = 0;
    err = WriteFile(mpText.get(), mnLength, &done);
    if (err == kNoErr && done != mnLength) err = kErrBadArgument;
    if (err != kNoErr) {
        AbandonFile();
        return err;
    }
    err = CloseFile();
    if (err == kNoErr) mbModified = 0;
    return err;
}

long CPrefBase::ClosePreference() {
    long err = UpdatePreference();
    CloseFile();
    mpText.reset();
    mnCapacity = 0;
    mnLength = 0;
    mnLines = 0;
    mbModified = 0;
    return err;
}

long CPrefBase::SetReadOnly(long bReadOnly) {
    long previous = mbReadOnly;
    mbReadOnly = bReadOnly ? 1 : 0;
    return previous;
}

// Text and line table

uint32_t CPrefBase::ContentEnd(uint32_t line) const {
    uint32_t end = mpLines[line].offset;
    while (end < mnLength && !IsLineEnd(mpText[end])) ++end;
    return end;
}

void CPrefBase::ClassifyLine(uint32_t line) {
    XPrefLine& entry = mpLines[line];
    ClassifyText(mpText.get() + entry.offset, ContentEnd(line) - entry.offset, &entry);
}

bool CPrefBase::IsBlankLine(uint32_t line) const {
    uint32_t end = ContentEnd(line);
    for (uint32_t i = mpLines[line].offset; i < end; ++i) {
        if (!IsWhite(mpText[i])) return false;
    }
    return true;
}

// Names compare without regard to ASCII case and must match in length; the
// blanks that end a key as written before "=" are not part of it.
bool CPrefBase::NameEquals(uint32_t line, const char* name) const {
    size_t length = strlen(name);
    while (length > 0 && IsWhite(name[length - 1])) --length;
    const XPrefLine& entry = mpLines[line];
    if (static_cast<size_t>(entry.nameEnd - entry.nameStart) != length) return false;
    const char* text = mpText.get() + entry.offset + entry.nameStart;
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(text[i]) != LowerAscii(name[i])) return false;
    }
    return true;
}

long CPrefBase::CopyValue(uint32_t line, char* out, unsigned long size, long bRaw) const {
    const XPrefLine& entry = mpLines[line];
    const char* text = mpText.get() + entry.offset;
    uint32_t length = ContentEnd(line) - entry.offset;
    uint32_t start = 0, end = length;
    if (entry.type == kPrefLineSection) {
        start = entry.nameStart;
        end = entry.nameEnd;
    } else if (entry.type == kPrefLineEntry) {
        start = entry.valueStart;
        if (!bRaw) {
            // ";;" outside double quotes starts the line's comment.
            bool bQuoted = false;
            for (uint32_t i = start; i < length; ++i) {
                if (text[i] == '"') bQuoted = !bQuoted;
                if (!bQuoted && text[i] == ';' && i + 1 < length && text[i + 1] == ';') {
                    end = i;
                    break;
                }
            }
            while (end > start && IsWhite(text[end - 1])) --end;
            if (end - start >= 2 && text[start] == '"' && text[end - 1] == '"') {
                ++start;
                --end;
            }
        }
    }
    CopyCut(out, size, text + start, end - start);
    return static_cast<long>(end - start);
}

// The buffer holds `needed` bytes in the smallest whole number of steps that
// leaves room to grow.
bool CPrefBase::SetCapacityFor(uint32_t needed) {
    uint32_t capacity = (needed / kPrefBufferStep) * kPrefBufferStep + kPrefBufferStep;
    if (capacity == mnCapacity && mpText) return true;
    std::unique_ptr<char[]> text(new (std::nothrow) char[capacity]);
    if (!text) {
        if (needed <= mnCapacity && mpText) return true;  // a failed shrink costs nothing
        mpText.reset();
        mnCapacity = 0;
        mnLength = 0;
        mnLines = 0;
        mnWriteBlock = kErrOutOfMemory;
        return false;
    }
    uint32_t keep = mnLength < needed ? mnLength : needed;
    if (mpText && keep > 0) memcpy(text.get(), mpText.get(), keep);
    mpText = std::move(text);
    mnCapacity = capacity;
    return true;
}

bool CPrefBase::Splice(uint32_t at, uint32_t removeCount, const char* bytes, uint32_t count) {
    uint32_t tail = mnLength - at - removeCount;
    uint32_t newLength = mnLength - removeCount + count;
    if (newLength > mnLength) {
        if (!SetCapacityFor(newLength)) return false;
        memmove(mpText.get() + at + count, mpText.get() + at + removeCount, tail);
        memcpy(mpText.get() + at, bytes, count);
        mnLength = newLength;
    } else {
        if (count > 0) memcpy(mpText.get() + at, bytes, count);
        memmove(mpText.get() + at + count, mpText.get() + at + removeCount, tail);
        mnLength = newLength;
        SetCapacityFor(newLength);
    }
    mbModified = 1;
    return true;
}

void CPrefBase::ShiftTrackedLines(uint32_t line, int delta) {
    uint32_t* tracked[] = {&mnSectionLine, &mnFoundLine, &mnSequentialLine};
    for (uint32_t* p : tracked) {
        if (*p == kPrefNoLine) continue;
        if (p == &mnSectionLine && mszSection[0] == 0) continue;
        if (delta > 0 && *p >= line) ++*p;
        if (delta < 0 && *p == line)
            *p = kPrefNoLine;
        else if (delta < 0 && *p > line)
            --*p;
    }
}

// Line operations

uint32_t CPrefBase::InsertLine(uint32_t line, const char* text) {
    if (!Editable() || mnLines > kPrefMaxLines) return kPrefNoLine;
    std::string bytes = OneLine(text) + mszLineEnd;
    uint32_t count = static_cast<uint32_t>(bytes.size());
    if (bytes.size() > kPrefMaxBytes || mnLength + count > kPrefMaxBytes) return kPrefNoLine;
    if (line >= mnLines - 1) line = mnLines - 1;
    uint32_t at = mpLines[line].offset;
    if (!Splice(at, 0, bytes.data(), count)) return kPrefNoLine;
    memmove(&mpLines[line + 1], &mpLines[line], (mnLines - line) * sizeof(XPrefLine));
    ++mnLines;
    for (uint32_t i = line + 1; i < mnLines; ++i) mpLines[i].offset += count;
    mpLines[line].offset = at;
    ClassifyLine(line);
    ShiftTrackedLines(line, 1);
    return line;
}

uint32_t CPrefBase::ReplaceLine(uint32_t line, const char* text) {
    if (!Editable() || line >= mnLines - 1) return kPrefNoLine;
    std::string bytes = OneLine(text);
    uint32_t start = mpLines[line].offset;
    uint32_t removeCount = ContentEnd(line) - start;
    if (bytes.size() > kPrefMaxBytes) return kPrefNoLine;
    uint32_t count = static_cast<uint32_t>(bytes.size());
    uint32_t newLength = mnLength - removeCount + count;
    if (newLength > kPrefMaxBytes && newLength > mnLength) return kPrefNoLine;
    if (!Splice(start, removeCount, bytes.data(), count)) return kPrefNoLine;
    for (uint32_t i = line + 1; i < mnLines; ++i) mpLines[i].offset += count - removeCount;
    ClassifyLine(line);
    return line;
}

uint32_t CPrefBase::DeleteLine(uint32_t line) {
    if (!Editable() || line >= mnLines - 1) return kPrefNoLine;
    uint32_t start = mpLines[line].offset;
    uint32_t removeCount = mpLines[line + 1].offset - start;
    if (!Splice(start, removeCount, nullptr, 0)) return kPrefNoLine;
    memmove(&mpLines[line], &mpLines[line + 1], (mnLines - line - 1) * sizeof(XPrefLine));
    --mnLines;
    for (uint32_t i = line; i < mnLines; ++i) mpLines[i].offset -= removeCount;
    ShiftTrackedLines(line, -1);
    return line;
}

uint32_t CPrefBase::FindLine(long type, const char* name, uint32_t fromLine) {
    if (!Usable()) return kPrefNoLine;
    for (uint32_t i = fromLine; i + 1 < mnLines; ++i) {
        long lineType = mpLines[i].type;
        if (type == kPrefLineEntry && lineType == kPrefLineSection && i != fromLine) break;
        if (lineType == type && (name == nullptr || NameEquals(i, name))) {
            mnFoundLine = i;
            return i;
        }
    }
    return kPrefNoLine;
}

uint32_t CPrefBase::GetLineData(uint32_t line, char* out, unsigned long size, long bRaw) {
    if (out != nullptr && size > 0) out[0] = 0;
    // Written so that kPrefNoLine, the "not found" of every lookup, is
    // refused instead of wrapping around to line 0.
    if (!Usable() || mnLines == 0 || line >= mnLines - 1) return kPrefNoLine;
    CopyValue(line, out, size, bRaw);
    return line;
}

// Sections

uint32_t CPrefBase::FindSectionHeader(const char* name) const {
    for (uint32_t i = 0; i + 1 < mnLines; ++i) {
        if (mpLines[i].type == kPrefLineSection && NameEquals(i, name)) return i;
    }
    return kPrefNoLine;
}

// The lines [first, end) of the current section's entries; a missing section
// is created when `bCreate` and mbCreateMissing allow it.
bool CPrefBase::SectionBody(bool bCreate, uint32_t* first, uint32_t* end) {
    if (!Usable()) return false;
    uint32_t start = 0;
    if (mszSection[0] != 0) {
        uint32_t header = FindSectionHeader(mszSection);
        if (header == kPrefNoLine && bCreate && mbCreateMissing) header = CreateSection(mszSection);
        mnSectionLine = header;
        if (header == kPrefNoLine) return false;
        start = header + 1;
    }
    uint32_t stop = start;
    while (stop + 1 < mnLines && mpLines[stop].type != kPrefLineSection) ++stop;
    *first = start;
    *end = stop;
    return true;
}

// A new section goes in front of the section "End" when there is one.
uint32_t CPrefBase::CreateSection(const char* name) {
    if (!Editable() || mnLines + 2 > kPrefMaxLines + 1) return kPrefNoLine;
    uint32_t at = FindSectionHeader("End");
    if (at == kPrefNoLine) at = mnLines - 1;
    const std::string header = SectionHeader(name);
    if (InsertLine(at, header.c_str()) == kPrefNoLine) return kPrefNoLine;
    if (InsertLine(at + 1, "") == kPrefNoLine) {
        DeleteLine(at);
        return kPrefNoLine;
    }
    return at;
}

uint32_t CPrefBase::SetSection(const char* name) {
    if (name != nullptr && !LineFits(SectionHeader(name))) return kPrefRefused;
    if (name != nullptr) CopyCut(mszSection, sizeof(mszSection), name, strlen(name));
    mbSequential = mbSequentialStep = 0;
    mnSequentialLine = kPrefNoLine;
    mnSequentialCount = 0;
    uint32_t first = 0, end = 0;
    if (!SectionBody(true, &first, &end)) return kPrefNoLine;
    if (mszSection[0] == 0) mnSectionLine = 0;
    return mnSectionLine;
}

uint32_t CPrefBase::GetSectionEnd() {
    uint32_t first = 0, end = 0;
    return SectionBody(false, &first, &end) ? end : kPrefNoLine;
}

// Entries

uint32_t CPrefBase::GetString(const char* key, char* out, unsigned long size,
                              const char* defaultValue, long bRaw) {
    if (out != nullptr && size > 0) out[0] = 0;
    if (key == nullptr) return kPrefNoLine;
    // The shortest entry line a key can have: "key=".
    if (!LineFits(std::string(key) + "=")) return kPrefRefused;
    uint32_t first = 0, end = 0;
    if (SectionBody(defaultValue != nullptr, &first, &end)) {
        for (uint32_t i = first; i < end; ++i) {
            if (mpLines[i].type == kPrefLineEntry && NameEquals(i, key)) {
                mnFoundLine = i;
                CopyValue(i, out, size, bRaw);
                return i;
            }
        }
    }
    if (defaultValue == nullptr) return kPrefNoLine;
    CopyCut(out, size, defaultValue, strlen(defaultValue));
    return mbCreateMissing ? PutString(key, defaultValue) : kPrefNoLine;
}

uint32_t CPrefBase::PutString(const char* key, const char* value) {
    if (key == nullptr || !Editable()) return kPrefNoLine;
    const std::string line = EntryText(key, value);
    if (!LineFits(line)) return kPrefRefused;

    uint32_t first = 0, end = 0;
    if (!SectionBody(true, &first, &end)) return kPrefNoLine;
    for (uint32_t i = first; i < end; ++i) {
        if (mpLines[i].type == kPrefLineEntry && NameEquals(i, key)) {
            mnFoundLine = i;
            return ReplaceLine(i, line.c_str());
        }
    }
    // A new entry follows the section's last non-blank line, so blank lines
    // that set off the next section stay in front of it.
    uint32_t at = first;
    if (mbSequential && mnSequentialLine != kPrefNoLine && mnSequentialLine + 1 >= first &&
        mnSequentialLine < end) {
        at = mnSequentialLine + 1;
    } else {
        for (uint32_t i = end; i > first; --i) {
            if (!IsBlankLine(i - 1)) {
                at = i;
                break;
            }
        }
    }
    uint32_t inserted = InsertLine(at, line.c_str());
    if (inserted != kPrefNoLine) {
        mnFoundLine = inserted;
        if (mbSequential) {
            mnSequentialLine = inserted;
            ++mnSequentialCount;
            mbSequentialStep = 1;
        }
    }
    return inserted;
}
