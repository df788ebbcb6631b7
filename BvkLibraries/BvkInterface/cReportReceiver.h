#pragma once
// The weekly receiver diagnostic report (".hdt"): the station hardware's
// periodic log of temperatures, supply voltages and current, transmitter
// temperatures, powers and trip code, GPS modes and the computer's run time,
// one record per log entry, with the receiver's settings as header keywords.
// The converter only reads it and copies the rows of a time window.

#include <cstdint>

#include "cReportBase.h"

// One log entry, in the units held in memory.
struct XReportReceiver {
    uint32_t mnTime;        // local 1904 seconds
    double mdReceiverTemp;  // degrees C
    double mdAwgTemp;
    double mdHiReceiverTemp;
    double mdHumidity;      // percent
    uint32_t mnAwgRunTime;  // seconds
    double mdSupplyVolts;
    double mdPlus5Volts;
    double mdMinus5Volts;
    double mdPlus12Volts;
    uint32_t mnXmitTripCode;  // hexadecimal in the file
    double mdXmitInternalTemp;
    double mdXmitAmpTemp;
    double mdXmitForwardWatts;
    double mdXmitReflectedWatts;
    double mdXmitPlus5Volts;
    double mdXmitAmpVolts;
    uint32_t mnGpsReceiveMode;
    uint32_t mnGpsDisplayMode;
    uint32_t mnGpsSyncCount;  // read when a table has the column, never written
    int32_t mnPllUnlock;
    double mdSupplyAmps;
    double mdComputerRunTime;  // seconds (minutes in the file)
    int32_t mnExternalInputA;
    int32_t mnExternalInputB;
};

// The receiver keywords the standard key list does not know.
extern const XBtfKeyList xHRPKeyList[19];

class CReportReceiver : public CReportBase {
  public:
    CReportReceiver();
    ~CReportReceiver() override;

    // The typed forms below sit beside the base's (record, size) forms.
    using CReportBase::AddNewReport;
    using CReportBase::GetReport;

    long AddNewReport(XReportReceiver* record) {
        return CReportBase::AddNewReport(record, sizeof(XReportReceiver));
    }
    long GetReport(long index, XReportReceiver* record) {
        return CReportBase::GetReport(index, record, sizeof(XReportReceiver));
    }

    // The receiver settings keywords into their fields; the rest to the base.
    long ProcessKeyword(unsigned long code, char* value) override;
    // Appends a row of an 'rcvr' table, by the table's declared columns (the
    // standard 30 when it declared none). 0.
    long ProcessTableRow(char* row) override;
    // The 22 settings keywords, only when mszReceiver is set. 0.
    long WriteHeaderKeys() override;
    // The 'rcvr' table: announcement, two heading comments, one row per
    // record, end. The result of StartTable or of the last row.
    long WriteReportTable() override;
    // Removes the records with time 0. 0.
    long FilterOutZeroTimeStamps();

    char mszReceiver[256];
    double mdCenterFreqMHz;
    double mdBandwidthKHz;
    double mdSweepRateHz;
    double mdAttenuation;
    double mdSampleRate;
    int32_t mnChirpState;
    int32_t mnBlankingState;
    int32_t mnTransmitState;
    int32_t mnSweepState;
    int32_t mnSweepDirection;
    int32_t mnFrequencyBand;
    double mdFrequencyPhases[2];
    double mdTransponderOffset;
    double mdSweepAlignment;
    int32_t mnPulseShaping;
    int32_t mnTransmitWatchA;
    double mdTransmitWatchB;
    int32_t mnTransmitWatchC;
    int32_t mnWatchdogTimeout;
    double mdBlankingPeriod;
    double mdBlankDelay;
    int32_t mnEnhancedBlanking;
    double mdEnhancedBlanking[3];
    double mdReceiverLocation[2];
};
