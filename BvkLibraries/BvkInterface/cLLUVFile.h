#pragma once
// The vector store joined to the table-file reader: one object holds the
// vectors, the file's metadata and the open file, and reads LLUV table files
// through the reader's callbacks. Distances in a file are in its distance
// unit (kilometres unless the file says otherwise) and velocities in its
// velocity unit (centimetres per second); the store keeps metres and metres
// per second.

#include <cstddef>
#include <cstdint>
#include <string>

#include "BTFReader.h"
#include "cLLUV.h"

// A first table whose type this reader cannot store.
constexpr long kLLUVErrUnreadableTable = 2001;

// An xyuv file whose first line names no known map.
constexpr long kLLUVErrUnknownXYUVTitle = 1002;
// Room for any name GetClassicFilename builds.
constexpr size_t kClassicFilenameSize = 96;
// The parameter keywords of classic radial files, numbered from 0.
inline constexpr char szRadialKeys[] =
    "NumMergeRads CenterFreqMHz DopplerFreqHz LimitMaxCurrent AverFirmssPts "
    "FactorDownPeakLimit UseSecondOrder FactorDownPeakNull FactorAboveNoise AmpAdjustFactors "
    "MusicParams RadialMerger RadSmoothing MinRadVectorPts SpectraToRadial Currents "
    "RadialSlider AmpCalculated PhaseAdjustFactors PhaseCalculated FirstOrderCalc "
    "SpectraToEllipticals EllipticalsSlider EllipticalsMerger MergeMethod PatternMethod";

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

struct XClassicCellPlan;

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

    // ---- Classic radial and xyuv files -------------------------------------
    // The classic radial file of a radial map: time, site position, range
    // geometry, the vectors grouped by range cell, the processing parameters
    // and tools. Speeds get the sign of the radial component first (flows
    // pointing away from the site become negative speeds; this stays in the
    // store). 0, -50 without a range resolution, -108 without a polar form,
    // or the error of creating or finishing the file.
    long ExportClassicRadial(CFileSpec* file, unsigned long creator);
    // The standard file name of the map ("RadsABCD_08_01_08_1430.rv");
    // `name` holds kClassicFilenameSize bytes. Null or empty prefix and
    // extension, and 0 letter or separators, choose the defaults of the map
    // type.
    void GetClassicFilename(char* name, char letter, char* extension, char* prefix,
                            char dateSeparator, char fieldSeparator);
    // The xyuv file of the store in its format version (a version of 0 is
    // chosen from the quality mode and kept). `comment` (may be null) goes on
    // line 2; timeOnLine3 moves map time and coverage from line 1 to line 3.
    // 0 or an error code.
    long ExportClassicXYUV(CFileSpec* file, unsigned long creator, char* comment, long timeOnLine3);
    // Reads an xyuv file into the store, replacing its content. useLonLat
    // places version 4 rows by their latitude and longitude columns; keepXY
    // then keeps the file's x/y as well. 0, 1002 for an unknown title, -50
    // for a third line without an origin, or a read error.
    long ImportClassicXYUV(CFileSpec* file, long useLonLat, long keepXY);

    // ---- Classic radial import and LLUV output -----------------------------
    // Replaces the whole content by the radial map of a classic radial file
    // (null: the object's own file). 0; the open error or the read error of
    // the first four lines; -50 when the cell count line holds no number. A
    // file that ends inside the cell blocks keeps what was read and gives 0.
    long ImportClassicRadial(CFileSpec* file);
    // Reads parameter lines from the open file up to its end; processing
    // tools go into the metadata. Always 0; the file stays open.
    long ReadClassicRadialParams();
    // Writes the store as an LLUV table file (null: the object's own file)
    // with the given creator code. 0 or the first error that kept the file
    // from being complete; a file that is not complete never replaces the
    // one it was to become. The store is not changed.
    long WriteUVFile(CFileSpec* file, unsigned long creator);
    // The standard LLUV file name into `name` (64 bytes). `letter` (when not
    // 0) replaces the prefix's fourth character; `extension` starting with
    // "." is used as it is, else the map's extension is appended to it;
    // `site` and `time` 0 take the store's.
    void GetUVFilename(char* name, char letter, char* extension, unsigned long site,
                       unsigned long time);

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
    // Time of day, blank, date and (when given) blank and zone label, in at
    // most `room` characters: the date gives way to shorter forms so that the
    // label stays inside the room where readers look for it.
    static void FormatMapTimeText(unsigned long seconds, const char* label, size_t room, char* text,
                                  size_t size);
    // The text written with the file's line ends.
    long WriteClassicText(std::string& text);
    void WriteClassicRadialCells(const XClassicCellPlan& plan);
    void WriteClassicRadialParameters();
    long ReadXYUVTitleLine(char* line);
    void ReadXYUVFormatLine(char* line);
    long ReadXYUVTimeLine(char* line);
    void ReadXYUVRow(const char* row, long useLonLat, long keepXY);
    long WriteXYUVRow(long index, long version);

    long PrepareFirstRow();
    void ScanColumns();
    void PlanColumns();
    void StoreTypedRow(const char* row);
    void StoreUntypedRow(const char* row);
    double VelocityScale() const;

    bool mbTableReady = false;  // the first row of the current file set the store up
    // Where each column of a typed row goes (an EColumnSlot), decided once
    // per column list rather than for every value.
    bool mbColumnsPlanned = false;
    int mnPlannedColumns = 0;
    uint8_t mnColumnSlots[kBtfMaxColumnTypes] = {};

  protected:
    // A reader whose output is the file's own rows with something added (the
    // QC) keeps every row, finite or not, so that its results line up with them.
    bool mbKeepEveryRow = false;
};
