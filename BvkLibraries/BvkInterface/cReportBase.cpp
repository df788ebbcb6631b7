#include "cReportBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BTFRowValues.h"
#include "BvkErrors.h"
#include "PlatformMemory.h"
#include "PlatformTime.h"
#include "cStrConv.h"

namespace {

constexpr uint32_t kDiagFileType = BtfCode("DIAG");
constexpr uint32_t kReportCreator = BtfCode("Qmzk");
constexpr long kMinimumCapacity = 8;
constexpr long kMinimumGrowth = 8;
// Zero-filled storage for `records` records, or null. Storage grows 512
// records at a time and a report file often fills a part of that: a platform
// block leaves the pages of the rest untouched where the program asked for
// fresh pages.
unsigned char* NewStorage(int64_t records, long recordSize) {
    int64_t bytes = records * recordSize;
    if (records < 1 || bytes / records != recordSize) return nullptr;
    return static_cast<unsigned char*>(PlatformBlockAllocate(static_cast<size_t>(bytes)));
}

// The bytes a record copy moves: the smaller of the request and the record,
// the whole record for a request below 1.
long CopySize(long requested, long recordSize) {
    if (requested < 1) return recordSize;
    return std::min(requested, recordSize);
}

}  // namespace

CReportBase::CReportBase(unsigned long reportType, long recordSize, const char* extension)
    : BTFReader(nullptr),
      mnReportType(static_cast<uint32_t>(reportType)),
      mnReports(0),
      mnReportCapacity(static_cast<int32_t>(kReportGrowth)),
      mnReportSize(static_cast<int32_t>(std::clamp<long>(recordSize, 0, INT32_MAX))),
      mpReports(nullptr),
      mszReportExtension{} {
    const char* ext = extension != nullptr && extension[0] != 0 ? extension : ".gdt";
    std::snprintf(mszReportExtension, sizeof(mszReportExtension), "%s", ext);
}

CReportBase::~CReportBase() {
    Clear();
}

long CReportBase::Clear() {
    PlatformBlockFree(mpReports);
    mpReports = nullptr;
    mnReports = 0;
    return kNoErr;
}

long CReportBase::Allocate(long n) {
    Clear();
    if (n > 0) mnReportCapacity = static_cast<int32_t>(std::min<long>(n, INT32_MAX - 1));
    if (mnReportCapacity < kMinimumCapacity) mnReportCapacity = kMinimumCapacity;
    if (mnReportSize < 1) return kErrBadArgument;
    mpReports = NewStorage(int64_t{mnReportCapacity} + 1, mnReportSize);
    return mpReports != nullptr ? kNoErr : kErrOutOfMemory;
}

long CReportBase::AllocateMore(long n) {
    if (mnReportSize < 1) return kErrBadArgument;
    long growth = n < 9 ? kMinimumGrowth : n;
    if (mpReports == nullptr || mnReportCapacity == 0)
        return Allocate(std::max<long>(growth, mnReportCapacity));
    int64_t capacity = int64_t{mnReportCapacity} + growth;
    if (capacity >= INT32_MAX) return kErrOutOfMemory;
    unsigned char* grown = NewStorage(capacity + 1, mnReportSize);
    if (grown == nullptr) return kErrOutOfMemory;
    long keep = std::min<long>(mnReports, mnReportCapacity);
    std::memcpy(grown, mpReports, static_cast<size_t>(int64_t{keep} * mnReportSize));
    PlatformBlockFree(mpReports);
    mpReports = grown;
    mnReportCapacity = static_cast<int32_t>(capacity);
    return kNoErr;
}

long CReportBase::AddNewReport(void* record, long size) {
    long bytes = CopySize(size, mnReportSize);
    if (record == nullptr || bytes < 1) return 0;
    if (mpReports == nullptr || mnReports >= mnReportCapacity) {
        if (AllocateMore(kReportGrowth) != kNoErr) return 0;
    }
    unsigned char* slot = RecordAt(mnReports);
    // A short copy must not pick up what a removed record left in the slot.
    std::memset(slot, 0, static_cast<size_t>(mnReportSize));
    std::memcpy(slot, record, static_cast<size_t>(bytes));
    return ++mnReports;
}

long CReportBase::GetReport(long index, void* record, long size) {
    long bytes = CopySize(size, mnReportSize);
    if (record == nullptr || bytes < 1) return -1;
    if (index == -1) index = mnReports - 1;
    if (index < 0 || index >= mnReports || mpReports == nullptr) {
        std::memset(record, 0, static_cast<size_t>(bytes));
        return -1;
    }
    std::memcpy(record, RecordAt(index), static_cast<size_t>(bytes));
    return 0;
}

long CReportBase::SetReport(long index, void* record, long size) {
    long bytes = CopySize(size, mnReportSize);
    if (record == nullptr || bytes < 1) return -1;
    if (index == -1) index = mnReports - 1;
    if (index < 0 || index >= mnReports || mpReports == nullptr) return -1;
    std::memcpy(RecordAt(index), record, static_cast<size_t>(bytes));
    return 0;
}

void CReportBase::RemoveRecord(long index) {
    if (index < 0 || index >= mnReports) return;
    long after = mnReports - index - 1;
    if (after > 0)
        std::memmove(RecordAt(index), RecordAt(index + 1),
                     static_cast<size_t>(int64_t{after} * mnReportSize));
    --mnReports;
}

void CReportBase::SetTimeStamp(unsigned long seconds1904) {
    SetBtfTimeStamp1904(static_cast<double>(seconds1904));
}

unsigned long CReportBase::GetTimeStamp() const {
    double t = GetBtfTimeStamp1904();
    if (!(t > 0)) return 0;
    if (t >= 4294967295.0) return 4294967295UL;
    return static_cast<unsigned long>(t);
}

long CReportBase::GetReportFileName(char* name, char typeChar, unsigned long site,
                                    unsigned long time, const char* extension) {
    if (name == nullptr) return 0;
    char prefix[5] = "STAT";
    if (typeChar != 0) prefix[3] = typeChar;

    char ext[kReportFileNameSize] = "";
    if (extension != nullptr) std::snprintf(ext, sizeof(ext), "%s", extension);
    if (ext[0] != '.') {
        size_t used = std::strlen(ext);
        std::snprintf(ext + used, sizeof(ext) - used, "%s", mszReportExtension);
    }

    if (site == 0) site = mnBtfSiteCode;
    char siteText[8] = "XXXX";
    if (site != 0) CStrConv::CharCodeToString(siteText, site);

    XCalendarDate date{};
    PlatformSecondsToDate(time != 0 ? time : PlatformNow1904Local(), &date);
    int length = std::snprintf(name, kReportFileNameSize, "%s_%s_%04d_%02d_%02d%s", prefix,
                               siteText, static_cast<int>(date.year), static_cast<int>(date.month),
                               static_cast<int>(date.day), ext);
    return std::clamp<long>(length, 0, kReportFileNameSize - 1);
}

unsigned long CReportBase::GetWeekStart(unsigned long time) {
    XCalendarDate date{};
    PlatformSecondsToDate(time, &date);
    date.hour = 0;
    date.minute = 0;
    date.second = 0;
    // Sunday is the first day; a day before the 1st rolls into the last month.
    date.day -= date.dayOfWeek;
    int64_t start = PlatformDateToSeconds(date);
    return start < 0 ? 0 : static_cast<unsigned long>(start);
}

long CReportBase::ReadReportFile(CFileSpec* file) {
    mnRowsNotTaken = 0;
    mbLastRowCut = false;
    mnSizeBeingRead = -1;
    long err = ProcessBTFile(file, 0, 0);
    mnSizeBeingRead = -1;
    if (err != kNoErr) return err;
    if (mbLastRowCut) {
        // A file cut while it was written: what the cut row still holds is
        // not a record, the rows before it are.
        RemoveRecord(mnReports - 1);
        if (mnReports == 0) Clear();
        return kReportErrDamaged;
    }
    return mnRowsNotTaken > 0 ? kReportErrRowsNotRead : kNoErr;
}

void CReportBase::NoteRowNotTaken() {
    ++mnRowsNotTaken;
}

void CReportBase::NoteRowTaken(const char* row, long columns) {
    long declared = 0;
    while (declared < kBtfMaxColumnTypes && mnColumnTypes[declared] != 0) ++declared;
    if (declared == 0 && mnTableColumns > 0) declared = mnTableColumns;
    if (declared > 0) columns = declared;
    mbLastRowCut = CountRowValues(row) < columns || !LineEndFollows();
}

// Whether the line just read ended with a line end. Only the file's last
// line can lack one.
bool CReportBase::LineEndFollows() {
    // Asked for every row: one status call per read, not one per row.
    if (mnSizeBeingRead < 0) mnSizeBeingRead = GetFileSize();
    const long long size = mnSizeBeingRead;
    if (mnRefNum == 0 || size < 1 || mnPosition < size) return true;
    const int64_t after = mnPosition;
    char last = 0;
    unsigned long got = 0;
    MoveFilePointer(size - 1, 1);
    ReadFile(&last, 1, &got);
    MoveFilePointer(after, 1);
    return got != 1 || last == '\n' || last == '\r' || last == 0;
}

long CReportBase::WriteReportFile(CFileSpec* file) {
    if (file != nullptr && file != this) {
        long err = SetFileSpec(file);
        if (err != kNoErr && err != kErrNotFound) return err;
    }
    // The week's file is only ever replaced by a complete new one: the new
    // contents go to "name.new" and trade places with the old file after.
    CFileSpec existing(*this);
    bool viaNewFile = false;
    if (DoesObjectExist(1)) {
        long err = AddNameExtension(".new");
        if (err != kNoErr && err != kErrNotFound) return err;
        viaNewFile = mPath != existing.mPath;
    }

    long err = WriteContents();
    if (err == kNoErr && viaNewFile) {
        err = ExchangeFiles(&existing);
        // The ".new" name now holds the previous contents.
        if (err == kNoErr) DeleteFile(kDeleteToTrash | kDeleteRenameAside);
    }
    if (viaNewFile) SetFileSpec(&existing);
    return err;
}

long CReportBase::WriteContents() {
    long err = CreateFile(nullptr, kReportCreator, 1);
    if (err != kNoErr) return err;
    if (!err) err = WriteFileType(kDiagFileType, mnReportType, "Tesmara Report");
    if (!err) err = WriteOwner("Brenvik Marine");
    if (!err) err = WriteSiteName(mnBtfSiteCode, "");
    unsigned long stamp = GetTimeStamp();
    if (!err) {
        // The calendar form, so that a stamp of 0 stays 1904 and is not taken
        // for "now": the rows are counted from this stamp.
        XCalendarDate date{};
        PlatformSecondsToDate(stamp, &date);
        err = WriteTimeStamp(date.year, date.month, date.day, date.hour, date.minute, date.second);
    }
    if (!err && HasBtfTimeZone()) err = WriteTimeZone(stamp);
    if (!err) err = WriteUUID(nullptr, nullptr);
    if (!err) err = WriteHeaderKeys();
    if (!err) err = WriteReportTable();
    if (!err) err = WriteEndKeys();
    if (err != kNoErr) {
        // Never let part of a report take the place of a whole one.
        mbWritingFile = false;
        AbandonFile();
        return err;
    }
    return BTFWriter::CloseFile();
}

long CReportBase::ValidateFileType(unsigned long type, unsigned long subType) {
    if (type == kDiagFileType && (mnReportType == 0 || mnReportType == subType)) return kNoErr;
    return kBtfErrNoFileType;
}

long CReportBase::ProcessKeyword(unsigned long, char*) {
    return kNoErr;
}
long CReportBase::ProcessTableRow(char*) {
    return kNoErr;
}
long CReportBase::WriteHeaderKeys() {
    return kNoErr;
}
long CReportBase::WriteReportTable() {
    return kNoErr;
}
long CReportBase::WriteEndKeys() {
    return kNoErr;
}
