// Reading a radial file for QC, and QC of a whole file with its earlier
// hours.

#include "cRadialQCFile.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "BTFKeyList.h"
#include "BTFRowValues.h"
#include "BvkErrors.h"
#include "PlatformTime.h"
#include "cFile.h"
#include "cFileTool.h"
#include "cRadialQCWrite.h"

namespace {

long ReadWholeFile(CFileSpec* spec, std::string* text) {
    CFile file;
    long err = file.OpenReadOnlyFile(spec);
    if (err != kNoErr) return err;
    const long long size = file.GetFileSize();
    if (size < 0) return kErrBadArgument;
    if (size > kQCMaxFileBytes) return kQCErrFileTooLarge;
    text->resize(static_cast<size_t>(size));
    unsigned long got = 0;
    err = size > 0 ? file.ReadFile(text->data(), static_cast<unsigned long>(size), &got) : kNoErr;
    if (err == kErrEndOfFile) err = kNoErr;
    text->resize(got);
    const long closed = file.CloseFile();
    return err != kNoErr ? err : closed;
}

// Reads an earlier hour; null when it is missing or unreadable (its
// vectors then count as missing).
std::unique_ptr<CRadialQCFile> ReadEarlierHour(CFileSpec* folder, const std::string& name) {
    CFileTool spec;
    if (spec.SetFileSpec(folder) != kNoErr || spec.SetFileSpec(name.c_str()) != kNoErr)
        return nullptr;  // a name is taken inside the folder named before
    if (!spec.DoesObjectExist(1)) return nullptr;
    auto hour = std::make_unique<CRadialQCFile>();
    if (hour->ReadForQC(&spec) != kNoErr) return nullptr;
    return hour;
}

}  // namespace

long CRadialQCFile::ReadForQC(CFileSpec* file) {
    Clear();
    ClearInfo();
    // The position forms follow the columns the file has.
    mnVectorType = 0;
    mbKeepEveryRow = true;
    mFacts = XRadialQCFileFacts{};
    mnQCTestLines = 0;
    std::memset(mnPrimaryFlagCount, 0, sizeof mnPrimaryFlagCount);
    mnPrimaryColumn = -1;
    if (file) file->GetFileName(mFacts.fileName, sizeof mFacts.fileName);
    return ProcessBTFile(file, 0, 0);
}

long CRadialQCFile::ProcessKeyword(unsigned long code, char* value) {
    switch (code) {
        case BtfCode("ftyp"):
            mFacts.keywords |= kQCKeyFileType;
            break;
        case BtfCode("site"):
            mFacts.keywords |= kQCKeySite;
            break;
        case BtfCode("tist"): {
            mFacts.keywords |= kQCKeyTimeStamp;
            long* s = mFacts.stamp;
            if (std::sscanf(value, "%ld %ld %ld %ld %ld", &s[0], &s[1], &s[2], &s[3], &s[4]) != 5)
                std::memset(s, 0, sizeof mFacts.stamp);
            break;
        }
        case BtfCode("orig"):
            mFacts.keywords |= kQCKeyOrigin;
            break;
        case BtfCode("patk"):
            mFacts.keywords |= kQCKeyPatternType;
            break;
        case BtfCode("tizn"):
            mFacts.keywords |= kQCKeyTimeZone;
            break;
        case BtfCode("ares"):
            if (std::sscanf(value, "%lf", &mFacts.angularResolution) != 1 ||
                !(mFacts.angularResolution > 0 && mFacts.angularResolution <= 360))
                mFacts.angularResolution = 0;
            break;
        default:
            break;
    }
    return CLLUVFile::ProcessKeyword(code, value);
}

long CRadialQCFile::ProcessTableRow(char* row) {
    if (mnTableIndex == 1 && row) {
        long columns = 0;
        while (columns < 128 && mnColumnTypes[columns] != 0) {
            if (mnColumnTypes[columns] == RadialQCCode(kQCPrimary)) mnPrimaryColumn = columns;
            ++columns;
        }
        const XRowValues values = WalkRowValues(row, mnPrimaryColumn);
        if (columns > 0 && values.count != columns) ++mFacts.rowsOfWrongWidth;
        if (const char* flag = values.atColumn) {
            if (*flag >= '0' && *flag <= '9' && (flag[1] == 0 || flag[1] == ' '))
                ++mnPrimaryFlagCount[*flag - '0'];
        }
    }
    return CLLUVFile::ProcessTableRow(row);
}

long CRadialQCFile::UnhandledKeyword(char* name, char* value) {
    if (name && std::strcmp(name, "QCTest") == 0) ++mnQCTestLines;
    return CLLUVFile::UnhandledKeyword(name, value);
}

bool RadialQCEarlierName(const char* name, long hours, std::string* earlier) {
    long stamp[5];
    size_t at = 0;
    if (!RadialQCNameStamp(name, stamp, &at)) return false;
    XCalendarDate date{stamp[0], stamp[1], stamp[2], stamp[3], stamp[4], 0, 0};
    PlatformSecondsToDate(PlatformDateToSeconds(date) - 3600 * static_cast<int64_t>(hours), &date);
    char moved[64];
    std::snprintf(moved, sizeof moved, "%04ld_%02ld_%02ld_%02ld%02ld", date.year % 10000,
                  date.month, date.day, date.hour, date.minute);
    *earlier = name;
    if (std::strlen(moved) != 15) return false;  // a year before 1000
    earlier->replace(at, 15, moved);
    return true;
}

long RadialQCFile(CFileSpec* input, CFileSpec* earlierFolder, CFileSpec* output,
                  const XRadialQCOptions& options, XRadialQCResult* result) {
    std::string text;
    long err = ReadWholeFile(input, &text);
    if (err != kNoErr) return err;
    auto store = std::make_unique<CRadialQCFile>();
    if ((err = store->ReadForQC(input)) != kNoErr) return err;

    std::unique_ptr<CRadialQCFile> before[2];
    for (long hours = 1; hours <= 2; ++hours) {
        std::string name;
        if (RadialQCEarlierName(store->mFacts.fileName, hours, &name))
            before[hours - 1] = ReadEarlierHour(earlierFolder, name);
    }
    RunRadialQC(*store, store->mFacts, before[0].get(), before[1].get(), options, *result);

    std::string checked;
    if ((err = RadialQCInsert(text, *result, options, &checked)) != kNoErr) return err;

    XFCatInfo info{};
    CFileTool source;
    source.SetFileSpec(input);
    const bool known = source.GetFileCatInfo(&info, 0) == kNoErr;
    CFile file;
    err = file.OpenCreateFile(output, known ? info.creator : 0,
                              known && info.type ? info.type : kTextFileType);
    if (err != kNoErr) return err;
    unsigned long done = 0;
    err = file.WriteFile(checked.data(), static_cast<unsigned long>(checked.size()), &done);
    if (err != kNoErr) {
        file.AbandonFile();
        return err;
    }
    return file.CloseFile();
}
