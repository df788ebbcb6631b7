#pragma once
// The weekly radial diagnostic report (".rdt"): one record per radial file,
// with the antenna amplitudes and phases, the noise floors and
// signal-to-noise ratios of the three channels and statistics of the radial
// vectors. Reads and writes the table, imports the processing chain's
// "RadialDiagInfo.txt" and filters records for the converter.

#include <cstdint>

#include "cReportBase.h"

// One radial file's diagnostics, in the units held in memory.
struct XReportRadial {
    uint32_t mnTime;        // local 1904 seconds of the radial data
    uint32_t mnRadialType;  // 1 ideal pattern, 2 measured pattern, other bits kept
    double mdAmp1;          // 1/v^2
    double mdAmp2;
    double mdPhase13;  // degrees
    double mdPhase23;
    double mdPhase1;  // corrected, degrees
    double mdPhase2;
    double mdNoiseFloor[3];     // dBm
    double mdSignalToNoise[3];  // dB
    double mdDualAnglePercent;
    double mdMaxRange;      // metres
    double mdMaxVelocity;   // m/s, signed: the velocity of largest magnitude
    double mdMeanVelocity;  // m/s, mean speed
    double mdMeanBearing;   // degrees clockwise from north
    int32_t mnDiagRangeCell;
    int32_t mnValidDopplerCells;
    int32_t mnVectorCount;
    int32_t mnVectorsPerRange;
    int32_t mnRangeCells;
    int32_t mnSpectraType;  // a character of the spectra file's name
};

// Radial type bits.
constexpr uint32_t kRadialTypeIdeal = 1;
constexpr uint32_t kRadialTypeMeasured = 2;

class CReportRadial : public CReportBase {
  public:
    CReportRadial();
    ~CReportRadial() override;

    // The typed forms below sit beside the base's (record, size) forms.
    using CReportBase::AddNewReport;
    using CReportBase::GetReport;
    using CReportBase::SetReport;

    long AddNewReport(XReportRadial* record) {
        return CReportBase::AddNewReport(record, sizeof(XReportRadial));
    }
    long GetReport(long index, XReportRadial* record) {
        return CReportBase::GetReport(index, record, sizeof(XReportRadial));
    }
    long SetReport(long index, XReportRadial* record) {
        return CReportBase::SetReport(index, record, sizeof(XReportRadial));
    }

    // The 'rads' table: announcement of the rows written, three heading
    // comments, one row per record with a nonzero time, end. The result of
    // the last row written or of StartTable.
    long WriteReportTable() override;
    // Appends a row of a 'rads' table; rows of other tables are ignored. 0.
    long ProcessTableRow(char* row) override;

    // Records with equal time and radial type become one, the later one's
    // contents in the earlier one's place. With bStopAtNewTime the search
    // for each record stops at the first later time (sorted records). 0.
    long RemoveDuplicateTimeEntries(long bStopAtNewTime);
    // Keeps the records whose radial type has any of `typeBits`. 0.
    long KeepRadialType(unsigned long typeBits);
    // Removes the records with time 0. 0.
    long FilterOutZeroTimeStamps();

    // Reads a "RadialDiagInfo.txt" line (without its leading word) into
    // `record`; fields the line does not hold keep their values. 0, -50.
    long ConvertDiagSavLine(const char* line, XReportRadial* record);
    // Imports a whole "RadialDiagInfo.txt" (null: the report's own file).
    // A line led by one more word (archived files) has it skipped. 0 or the
    // open error.
    long ImportDiagSavFile(CFileSpec* file);
};
