#pragma once
// A growable array of fixed-size diagnostic records kept as a BTF table file:
// one file per site, week and kind of report, named from the site code and
// the date of the week's first day. Subclasses fix the record type and the
// table's columns; this base owns the storage, the file name, the reading
// and the safe rewriting of the file.
//
// The report's site code and table time stamp are the metadata's
// (mnBtfSiteCode, the time stamp of BTFMeta).

#include <cstdint>
#include <cstring>

#include "BTFReader.h"

// Bytes a name buffer of GetReportFileName must hold; the name is cut to fit.
constexpr long kReportFileNameSize = 256;

// Records the storage grows by when it is full.
constexpr long kReportGrowth = 512;

// ReadReportFile results for a file read only in part; the records read stay.
// The last row was cut short (fewer values than its columns, or no line end):
// its record is left out, every complete row is held.
constexpr long kReportErrDamaged = 1010;
// Rows of the file became no record (a table without a type, or of a type
// that is not this report's): rewriting the file would lose them.
constexpr long kReportErrRowsNotRead = 1011;

class CReportBase : public BTFReader {
  public:
    uint32_t mnReportType;     // 'rads', 'rcvr': file subtype and table type
    int32_t mnReports;         // records in use
    int32_t mnReportCapacity;  // records the storage holds
    int32_t mnReportSize;      // bytes per record
    unsigned char* mpReports;  // (capacity + 1) records, zero-filled when made
    char mszReportExtension[16];

    // A null or empty extension means ".gdt".
    CReportBase(unsigned long reportType, long recordSize, const char* extension);
    ~CReportBase() override;

    // Frees the storage; no records (the capacity stays). 0.
    long Clear();
    // Clear, then storage for max(n, 8) records (n <= 0 keeps the capacity).
    // -50 for a record size below 1, -108 when memory runs out.
    long Allocate(long n);
    // Grows the storage by n records (8 when n is below 9), keeping the
    // records. -50, -108 (records kept as they were).
    long AllocateMore(long n);

    // Copies min(size, record size) bytes (size < 1: the record size) into a
    // new record. The new number of records, or 0 on failure.
    long AddNewReport(void* record, long size);
    // Record `index` (-1: the last) into `record`. 0, or -1 for a null
    // record or an index outside the records (the bytes are then zeroed).
    long GetReport(long index, void* record, long size);
    // The reverse copy; an index outside the records changes nothing. 0 or -1.
    long SetReport(long index, void* record, long size);
    long Points() const { return mnReports; }

    // The table time stamp as local 1904 seconds.
    void SetTimeStamp(unsigned long seconds1904);
    unsigned long GetTimeStamp() const;

    // "STAT_SITE_YYYY_MM_DD.ext": the fourth prefix letter becomes `typeChar`
    // when it is not 0; site 0 means the report's site (or "XXXX"); time 0
    // means now; an extension without a leading "." gets the default one
    // appended. `name` holds kReportFileNameSize bytes. The length written.
    long GetReportFileName(char* name, char typeChar, unsigned long site, unsigned long time,
                           const char* extension);

    // The Sunday 00:00 (local 1904 seconds) that starts the week of `time`;
    // 0 when that Sunday lies before 1904.
    static unsigned long GetWeekStart(unsigned long time);

    // Reads the file (null: the one the report names), appending its rows.
    // The reader's error, 1000 without a file type; else kReportErrDamaged or
    // kReportErrRowsNotRead for a file read only in part; else 0.
    long ReadReportFile(CFileSpec* file);
    // Writes the report (null: under its own name). An existing file is
    // replaced through "name.new", exchanged with it once complete, so that a
    // failed write leaves the old file whole. 0 or the first failure.
    long WriteReportFile(CFileSpec* file);

    // 0 for a 'DIAG' file of this report type (any type when it is 0), else 1000.
    long ValidateFileType(unsigned long type, unsigned long subType) override;
    long ProcessKeyword(unsigned long code, char* value) override;
    long ProcessTableRow(char* row) override;

    virtual long WriteHeaderKeys();
    virtual long WriteReportTable();
    virtual long WriteEndKeys();

  protected:
    // Start of record `index` (no bounds check).
    unsigned char* RecordAt(long index) const {
        return mpReports + static_cast<int64_t>(index) * mnReportSize;
    }
    // Removes the records for which `drop` is true, keeping the order; an
    // empty result is cleared.
    template <typename Drop>
    void RemoveRecordsIf(Drop drop);
    // Removes record `index`, moving the later ones up.
    void RemoveRecord(long index);

    // A subclass's row reader says what became of each row it was handed:
    // a row of another table is not taken; a taken row is the last record
    // appended, and `columns` is how many values its table's rows hold
    // when the table declares none.
    void NoteRowNotTaken();
    void NoteRowTaken(const char* row, long columns);

  private:
    long WriteContents();
    bool LineEndFollows();

    // What the last ReadReportFile met besides its records.
    long mnRowsNotTaken = 0;
    bool mbLastRowCut = false;
    // The size of the file being read, asked once per read (-1: not yet).
    long long mnSizeBeingRead = -1;
};

template <typename Drop>
void CReportBase::RemoveRecordsIf(Drop drop) {
    long kept = 0;
    for (long i = 0; i < mnReports; ++i) {
        if (drop(RecordAt(i))) continue;
        if (kept != i) std::memmove(RecordAt(kept), RecordAt(i), mnReportSize);
        ++kept;
    }
    mnReports = static_cast<int32_t>(kept);
    if (mnReports == 0) Clear();
}
