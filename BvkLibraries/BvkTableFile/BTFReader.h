#pragma once
// Reads a BTF table file line by line, classifies every line, handles the
// standard keywords itself (file type, version, time stamp and zone, site,
// origin, notes, table announcements) and hands everything else to virtual
// callbacks that a concrete file format overrides.
//
// Callback results: negative is an error and stops the read; 0 is success;
// positive is information (1: not handled) and the read goes on.

#include <cstdint>

#include "BTFWriter.h"

constexpr int kBtfMaxColumnTypes = 128;

// A read that found no nonzero "%FileType:": the file is not a table file.
constexpr long kBtfErrNoFileType = 1000;

class BTFReader : public BTFWriter {
  public:
    int32_t mnLineCount;  // lines read, empty ones included; the current line's number
    int32_t mnCommentCount;
    int32_t mnKeywordCount;
    int32_t mbSkipTableRows;  // rows recognised but not handed on
    int32_t mnTableIndex;     // current or last table, 0 before the first
    int32_t mnTableColumns;
    int32_t mnTableRows;
    int32_t mnTableOpen;  // 1 while a table is announced or open
    uint32_t mnTableType;
    uint32_t mnTableSubType;
    int32_t mnCommentRowLevel;  // tables from this index on take "% " lines as rows
    uint32_t mnColumnTypes[kBtfMaxColumnTypes + 1];  // 0-terminated

    explicit BTFReader(BTFKeyList* keys = nullptr);
    ~BTFReader() override;

    // Reads the whole file (null: the file the object names). The error or
    // negative callback result that stopped the read; else 1000 when the
    // file named no file type; else 0. `maxLines` >= 1 stops after that many.
    long ProcessBTFile(CFileSpec* file, long skipTableRows, long maxLines);

    // "2008 03 14  12 00 00", "2008-03-14T12:00:00", optionally followed by
    // a zone label, zone hours and a daylight flag. Seconds since 2001-01-01
    // 00:00 GMT of that wall time in the named zone (PlatformZoneAtWallTime),
    // else in the fixed offset of the hours, else in GMT. Two-digit years: below 50 are 20xx, 50 to
    // 99 are 19xx. `zoneLabel` holds at least 32 bytes.
    static double StringToDate(const char* text, char* zoneLabel, double* zoneHours,
                               long* daylight);

    virtual long ValidateFileType(unsigned long fileType, unsigned long fileSubType);
    virtual long ProcessKeyword(unsigned long code, char* value);
    virtual long ProcessTableRow(char* row);
    virtual long ProcessLine(char* line);
    virtual long ProcessBadLine(char* line);
    virtual long ProcessBadKeyword(char* text);
    virtual long ProcessComment(char* text);
    virtual long ProcessNamedKeyword(char* name, char* value);
    virtual long ProcessBtfKeyword(unsigned long code, char* value);
    virtual long PreTableStart(long tableIndex);
    virtual long TableStarting(long tableIndex);
    virtual long UnhandledKeyword(char* name, char* value);
    virtual long TableStart(char* text);
    virtual long TableEnd();

  private:
    void AnnounceTable();
    void ClearColumnTypes();
    long HandleTableRow(char* row);

    bool mbSawTimeZoneKeyword = false;  // a "%TimeZone:" line was read
};
