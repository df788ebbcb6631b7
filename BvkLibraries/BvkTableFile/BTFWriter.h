#pragma once
// Writes BTF table files: the version line, keyword lines, comments, tables
// with their announcement lines and rows, the standard metadata lines and the
// closing lines. Every line goes through the virtual WriteFile, ends in a
// single LF and holds its value escaped (BTFKeyList::EncodeString) and cut to
// 4,092 characters, or shorter where a keyword's name leaves less room.

#include <cstdint>
#include <string>

#include "BTFKeyList.h"
#include "BTFMeta.h"

// The longest line, line end excluded, that the reader takes in one piece.
// The writer never writes a longer one, so every line it writes reads back
// whole.
inline constexpr long kBtfMaxLineLength = 4095;

class BTFWriter : public BTFMeta {
  public:
    BTFKeyList* mpKeyList;
    int32_t mbOwnsKeyList;
    int32_t mnTableCount;              // tables started in the current file
    int32_t mnWriteTableCommentLevel;  // tables numbered above it get commented rows
    int32_t mnLinesWritten;            // WriteFile calls since CreateFile

    // A null list means a private standard list, owned and deleted here; a
    // given list is shared and must outlive the writer.
    explicit BTFWriter(BTFKeyList* keys = nullptr);
    // A file still open for writing is abandoned: a table file that was never
    // closed is incomplete and must not replace the file it was to become.
    ~BTFWriter() override;

    // Creates the file (a null spec: the one the object names) and writes
    // "%BTF: 1.00". Without `replace` an existing file gives -48. The
    // metadata is kept.
    long CreateFile(CFileSpec* file, unsigned long creator, long replace);
    // Finishing(), "%End:", then the file is closed. A file in which any line
    // failed to be written is abandoned, and that error returned, so that a
    // truncated table file never takes the place of a good one.
    long CloseFile();

    virtual long WriteFile(const char* text, long length);
    virtual long PreTable();
    // The trailer: "%%", the processed time stamp, one line per tool.
    virtual long Finishing();

    // Keyword lines; -50 for a missing or unknown name.
    long WriteKeyword(const char* name, const char* value);
    long WriteKeyword(unsigned long code, const char* value);
    long WriteKeywordf(unsigned long code, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    long WriteKeywordf(const char* name, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    long WriteComment(const char* text);

    // Tables. `columnTypes` is a 0-terminated list of codes or null.
    long StartTable(long rows, long columns, unsigned long tableType, unsigned long tableSubType,
                    unsigned long* columnTypes);
    long WriteTableRow(const char* row);
    long EndTable();
    long SetWriteTableCommentLevel(long level);

    // Metadata lines.
    long WriteFileType(unsigned long type, unsigned long subType, const char* description);
    long WriteManufacturer(const char* text);
    long WriteOwner(const char* text);
    long WriteSiteName(unsigned long code, const char* name);
    long WriteOriginLocation(double latitude, double longitude);
    long WriteReceiverLocation(double latitude, double longitude);
    long WriteTransmitterLocation(double latitude, double longitude);
    long WriteTimeCoverage(double minutes);
    long WriteTimeMark();
    long WriteTimeStamp(long year, long month, long day, long hour, long minute, long second);
    // 0 means now (local clock).
    long WriteTimeStamp(unsigned long seconds1904);
    // Absolute seconds since 2001 GMT shown on the clock of the metadata's
    // offset; under "TimeStamp" (code 0 or 'tist', after the time mark) or
    // under the keyword of `code` alone.
    long WriteTimeStamp(unsigned long code, double absoluteTime);
    long WriteProcessedTimeStamp(unsigned long seconds1904);
    long WriteProcessingTool(const char* name, const char* version);
    long WriteTimeZone(double offsetSeconds, const char* label, long daylight, const char* city);
    // The metadata's zone at that time when it has one, else the system's.
    long WriteTimeZone(unsigned long seconds1904);
    // `uuid`, else the metadata's identifier (made when there is none).
    long WriteUUID(const char* name, CFUUIDRef uuid);
    long WriteBtfNotes();

  protected:
    long mnFirstWriteError = 0;  // first failed line since CreateFile
    bool mbWritingFile = false;  // between a successful CreateFile and CloseFile

  private:
    // Every line goes out here, through the virtual WriteFile; the first
    // failure is remembered for CloseFile.
    long PutLine(const std::string& line);
    long PutLine(const char* line, long length);
    long WriteLine(const char* prefix, const char* text, long cut);
    long WriteLocation(const char* name, double latitude, double longitude);
};
