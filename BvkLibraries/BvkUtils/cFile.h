#pragma once
// An open file: a file specification with an open data stream and a tracked
// position. Open modes, raw reads and writes, positioning, formatted text
// with line-end conversion, and the text-line reader every text input of the
// system goes through.
//
// Output files are made with OpenCreateFile, which protects the file they
// replace: the new content goes to a hidden temporary beside it and takes the
// final name only when CloseFile finds every write succeeded. A failed write
// or AbandonFile leaves the old file as it was. A final name that is a
// symbolic link stays one: the file it leads to is the one replaced. A pipe
// or device is written straight through, and its write failures are the
// close's result.

#include <cstdint>
#include <string>

#include "cFileTool.h"

// OpenFile flags.
enum : unsigned long {
    kFileRead = 0x001,
    kFileWrite = 0x002,
    kFileShared = 0x004,     // shared read/write; implies read and write
    kFileCreateNew = 0x010,  // -48 when the file exists (with kFileMustExist: replace it)
    kFileCreateMissing = 0x020,
    kFileMustExist = 0x040,  // -43 when the file is missing
    kFileTruncate = 0x100,
    kFileKeepResource = 0x200,  // no resource stream to keep here
    kFileAppend = 0x400,        // position at the end after opening
};

// Codes a new file carries until it is closed and given its own.
constexpr uint32_t kBrokenFileType = 0x62726F6B;     // 'brok'
constexpr uint32_t kBrokenFileCreator = 0x4D414353;  // 'MACS'
constexpr uint32_t kTextFileType = 0x54455854;       // 'TEXT'

// The block a text line is read in, and the buffer formatted text is built in.
constexpr long kTextLineBlock = 256;
constexpr long kTextFormatBuffer = 1024;

class CFile : public CFileTool {
  public:
    CFile();
    // An open stream has one owner; hand over mnRefNum explicitly instead.
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() override;

    long OpenFile(CFileSpec* spec, unsigned long flags, unsigned long creator, unsigned long type);
    long OpenReadOnlyFile(CFileSpec* spec);
    long OpenCreateFile(CFileSpec* spec, unsigned long creator, unsigned long type);
    long CloseFile();
    // Closes a file made by OpenCreateFile without putting it in place: the
    // file it would have replaced stays untouched. Any other open file is
    // simply closed.
    long AbandonFile();

    long ReadFile(void* data, unsigned long count, unsigned long* got);
    long WriteFile(const void* data, unsigned long count, unsigned long* done);
    long MoveFilePointer(long long offset, long mode);
    long RewindFilePointer(long long n);
    long AppendFilePointer();
    long long GetFileSize();
    long SetFileSize(long long size);
    short GetFileRefNum() const { return mnRefNum; }

    void SetLineEnding(long mode);
    void UpdateLineEndings(char* text) const;
    long WriteTextFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    long ReadTextLine(char* buf, long* pLength, long maxLength);

    int16_t mnRefNum;
    int64_t mnPosition;
    int32_t mbConvertLineEnds;
    char mcLineEnd;
    int32_t mbSetTypeOnClose;
    uint32_t mnType;
    uint32_t mnCreator;
    int32_t mbNotifyOnClose;
    uint32_t mnOpenFlags;

  private:
    void SyncPosition();
    void ForgetStream();

    // The path the stream was opened for (for an output, the file its final
    // name leads to): the close finishes that file even when the file spec
    // has been pointed elsewhere meanwhile.
    std::string msOpenPath;
    // The hidden file being written by OpenCreateFile; empty otherwise.
    std::string msTempPath;
    // The first failed write through this object.
    long mnWriteError;
};
