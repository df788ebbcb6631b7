#pragma once
// The radar site's setup as the station's configuration files give it: the
// site header "Header.txt" (site code and name, position, antenna bearing and
// 25 further lines of processing settings), the phases file "Phases.txt" and
// the processing list "SpectraToProcess.txt".
//
// Header values are read from the left of each line, separated by white
// space or commas, and only while text remains: a value a line does not give
// keeps what it held (the defaults after SetDefaultValues). Everything from a
// line's first "!" on is a comment, except on line 20, which holds raw
// separator characters.

#include "cFile.h"

#include <cstdint>

class CTsmSetups : public CFile {
  public:
    // Every field zero; SetDefaultValues gives the working defaults.
    CTsmSetups();
    virtual ~CTsmSetups();
    CTsmSetups(const CTsmSetups&) = delete;
    CTsmSetups& operator=(const CTsmSetups&) = delete;

    void SetDefaultValues();

    // `file` (or the default path) names the file or the folder holding it.
    // A header that ends before line 19 gives -39, with the values read so
    // far kept; maxLines > 0 stops with success after that many lines.
    long ImportHeaderFile(CFileSpec* file, long maxLines);
    // The first line's two values; -39 for an empty file.
    long ImportPhasesFile(CFileSpec* file, long unused);
    // The `lineNumber`-th line of the list (the first for 0), at most 1,023
    // lines in, into `name`, which holds 256 bytes. On failure `name` is
    // empty and the read error is returned.
    long GetSpectraToProcess(CFileSpec* file, char* name, long lineNumber);
    // The site code goes into the names of every output and report: 0 when
    // it can, -50 when it holds a "/" or a control character or is "." or
    // "..".
    long CheckSiteCode() const;

    int32_t mbDefaultsSet;
    int32_t mnLinesRead;
    int32_t mnNonEmptyLines;
    int32_t mbHeaderLoaded;
    int32_t mnLine1A;
    uint32_t mnSiteCode;
    char mszSiteName[256];
    double mdLatitude;
    double mdLongitude;
    double mdAntennaBearing;
    int32_t mnLine4A;
    double mdLine4B;
    double mdLine4C;
    double mdLine5;
    double mdLine6;
    double mdLine7;
    int32_t mnLine8;
    double mdLine9;
    char mszLine10A[32];
    double mdLine10B;
    char mszLine10C[256];
    double mdLine11A;
    int32_t mnLine11B;
    double mdLine12A;
    int32_t mnLine12B;
    double mdLine12C;
    int32_t mnLine13;
    int32_t mnLine14A;
    double mdLine14B;
    double mdLine15[4];
    int32_t mnLine16[3];
    double mdLine17[4];
    double mdLine18[2];
    double mdLine19[7];
    char mcDateSeparator;
    char mcFieldSeparator;
    double mdLine21[3];
    int32_t mnLine21D;
    double mdLine22;
    double mdLine23[3];
    int32_t mnLine23D;
    double mdLine24;
    int32_t mnLine25;
    double mdLine26[2];
    int32_t mnLine27[2];
    double mdLine28;
    int32_t mbPhasesLoaded;
    double mdPhase[2];

  private:
    void ClearValues();
    long NameFile(CFileSpec* file, const char* fileName, const char* defaultPath);
    void ReadHeaderLine(long lineNumber, char* line);
};
