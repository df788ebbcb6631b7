#pragma once
// The vector store joined to the table-file reader: one object holds the
// vectors, the file's metadata and the open file, and reads LLUV table files
// through the reader's callbacks. Distances in a file are in its distance
// unit (kilometres unless the file says otherwise) and velocities in its
// velocity unit (centimetres per second); the store keeps metres and metres
// per second.

#include <cstdint>

#include "BTFReader.h"
#include "cLLUV.h"

// A first table whose type this reader cannot store.
constexpr long kLLUVErrUnreadableTable = 2001;

// Bits of mnColumnMask: the quality columns found in the table header.
constexpr uint32_t kLLUVColumnVFLG = 0x1;
constexpr uint32_t kLLUVColumnSTDV = 0x2;
constexpr uint32_t kLLUVColumnESPC = 0x4;  // also SCDV
constexpr uint32_t kLLUVColumnETMP = 0x8;
constexpr uint32_t kLLUVColumnSCMX = 0x10;
constexpr uint32_t kLLUVColumnMINV = 0x20;  // EDIF sets MINV and MAXV
constexpr uint32_t kLLUVColumnMAXV = 0x40;
constexpr uint32_t kLLUVColumnUQAL = 0x100;
constexpr uint32_t kLLUVColumnVQAL = 0x200;
constexpr uint32_t kLLUVColumnCQAL = 0x400;
constexpr uint32_t kLLUVColumnEDVC = 0x800;
constexpr uint32_t kLLUVColumnERTC = 0x1000;

class CLLUVFile : public CLLUV, public BTFReader {
  public:
    // A radial map with both position forms.
    CLLUVFile();
    ~CLLUVFile() override = default;

    // The store's information, the metadata and this class's own fields back
    // to their cleared values; the geodesy texts describe the common earth
    // model. 0.
    long ClearInfo() override;
    // Also stamps the metadata with the time (and the zone label when given).
    long SetOriginTime(unsigned long seconds, const char* timeZone) override;
    long SetOriginTime(long year, long month, long day, long hour, long minute, long second,
                       const char* timeZone) override;
    // Also the metadata's site code.
    void SetSiteCode(unsigned long site) override;

    long Finishing() override;
    // 0 for the LLUV family of file types, else 1000.
    long ValidateFileType(unsigned long fileType, unsigned long fileSubType) override;
    // 0 when the keyword was stored, 1 when it is not one of this reader's.
    long ProcessKeyword(unsigned long code, char* value) override;
    // Stores a row of the file's first table; 0, 2001 for a table type that
    // cannot be read, or the allocation error of the first row.
    long ProcessTableRow(char* row) override;
    long UnhandledKeyword(char* name, char* value) override;

    // Metres (or metres per second) per file unit, and the unit's name.
    char* SetDistanceUnits(double metres, char* name);
    char* SetVelocityUnits(double metresPerSecond, char* name);

    // Brings the metadata in line with the store's site, time, zone,
    // coverage and origin.
    void SiteInfoToMeta();

    long mnFormatVersion;  // classic file format version
    long mnFormatSubVersion;
    long mnCombineMethod;  // total-vector combine method
    char msProcessingComment[256];
    char msGreatCircle[256];  // ellipsoid name, radius and inverse flattening
    char msGeodVersion[256];  // geodesy library version text
    uint32_t mnColumnMask;    // kLLUVColumn... bits of the first table
    double mdDistanceUnitMeters;
    double mdVelocityUnitMetersPerSecond;
    char msDistanceUnits[256];
    char msVelocityUnits[256];

  private:
    long PrepareFirstRow();
    void ScanColumns();
    void StoreTypedRow(const char* row);
    void StoreUntypedRow(const char* row);
    double VelocityScale() const;

    bool mbTableReady = false;  // the first row of the current file set the store up
};
