#include "cReportReceiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "TestFolder.h"

namespace {

using namespace test_folder;

// 2008-03-02 00:00, a Sunday: 38,047 days after 1904-01-01.
constexpr uint32_t kSunday2Mar2008 = 3287260800U;

class ReceiverFiles : public ::testing::Test {
  protected:
    std::vector<std::string> WrittenLines(CReportReceiver& report) {
        CFileSpec target = SpecOf(mFolder.File("STAT_ABCD_2008_03_02.hdt"));
        EXPECT_EQ(report.WriteReportFile(&target), kNoErr);
        return Lines(ReadAll(mFolder.File("STAT_ABCD_2008_03_02.hdt")));
    }
    long ReadText(CReportReceiver& report, const std::string& text) {
        CFileSpec source = SpecOf(mFolder.Write("in.hdt", text));
        return report.ReadReportFile(&source);
    }

    CTestFolder mFolder;
};

// The lines every week file starts with, up to its time stamp.
const std::string kWeekStart =
    "%BTF: 1.00\n%FileType: DIAG rcvr \"Tesmara Report\"\n%TimeStamp: 2008 03 02  00 00 00\n";

std::vector<XReportReceiver> Records(CReportReceiver& report) {
    std::vector<XReportReceiver> out(static_cast<size_t>(report.Points()));
    for (long i = 0; i < report.Points(); ++i) report.GetReport(i, &out[size_t(i)]);
    return out;
}

// Tuesday 4 March 2008 13:30:15 (221,415 s, 3,690.25 minutes into the week),
// every column holding a value that shows its format.
XReportReceiver TuesdayRecord() {
    XReportReceiver r{};
    r.mnTime = kSunday2Mar2008 + 2 * 86400 + 13 * 3600 + 30 * 60 + 15;
    r.mdReceiverTemp = 23.6;
    r.mdAwgTemp = -5.4;
    r.mnXmitTripCode = 26;
    r.mnAwgRunTime = 86400;
    r.mdSupplyVolts = 24.36;
    r.mdPlus5Volts = 5.012;
    r.mdMinus5Volts = -4.987;
    r.mdPlus12Volts = 12.1;
    r.mdXmitInternalTemp = 40.4;
    r.mdXmitAmpTemp = 45;
    r.mdXmitForwardWatts = 123.4;
    r.mdXmitReflectedWatts = 2.6;
    r.mdXmitAmpVolts = 27.95;
    r.mdXmitPlus5Volts = 5.1;
    r.mnGpsReceiveMode = 2;
    r.mnGpsDisplayMode = 0;
    r.mnGpsSyncCount = 99;  // no column of the written table
    r.mnPllUnlock = 3;
    r.mdHiReceiverTemp = 31.3;
    r.mdHumidity = 55;
    r.mdSupplyAmps = 1.5;
    r.mnExternalInputA = 7;
    r.mnExternalInputB = -1;
    r.mdComputerRunTime = 750;  // 12.5 minutes
    return r;
}

const char* kExpectedTable[] = {
    "%TableType: rcvr rcv2",
    "%TableColumns: 30",
    "%TableColumnTypes: TIME RTMP MTMP XTRP RUNT SP24 SP05 SN05 SP12 XPHT XAHT XAFW XARW XP28 "
    "XP05 GRMD GDMD PLLL HTMP HUMI RBIA EXTA EXTB CRUN TYRS TMON TDAY THRS TMIN TSEC ",
    "%TableRows: 1",
    "%TableStart:",
    "%%   LogTime Rcvr Awg3 XmtTrip Awg3Run Supply +5VDC -5VDC +12VDC XInt XAmp XForw XRefl"
    " X+Ampl X+5VDC GpsRcv GpsDsp  PLL   HiRcvr Humid Supply Extern Extern  CompRunTime "
    "  Year Mo Dy Hr Mn  S",
    "%%   Minutes   \xA1"
    "C   \xA1"
    "C HexCode Seconds Volts  Volts Volts  Volts   \xA1"
    "C   "
    "\xA1"
    "C Watts Watts  Volts  Volts  Mode   Mode  Unlock    \xA1"
    "C     %   Amps  InputA"
    " InputB    Minutes                        ",
    // The writer's blank, the row's two, then the pieces: TIME " %8.0f", RTMP
    // MTMP " %4.0f", XTRP "   %02lX   ", RUNT " %7ld", SP24 " %5.1f ", SP05
    // SN05 " %5.2f", SP12 " %6.2f", XPHT XAHT " %4.0f", XAFW XARW " %5.0f",
    // XP28 XP05 "  %5.2f", GRMD GDMD " %4ld  ", PLLL " %5ld ", HTMP " %6.1f",
    // HUMI " %4.0f ", RBIA " %5.2f ", EXTA EXTB "  %03ld  ", CRUN " %12.2f",
    // the date "   %04d" and " %02d" five times.
    "        3690   24   -5   1A      86400  24.4   5.01 -4.99  12.10   40   45   123     3"
    "  27.95   5.10    2      0       3    31.3   55   1.50   007    -01          12.50"
    "   2008 03 04 13 30 15",
    "%TableEnd:",
};

TEST_F(ReceiverFiles, WritesTheTableByteForByte) {
    CReportReceiver report;
    report.mnBtfSiteCode = 0x41424344;  // 'ABCD'
    report.SetTimeStamp(kSunday2Mar2008);
    XReportReceiver tuesday = TuesdayRecord();
    report.AddNewReport(&tuesday);
    const std::vector<std::string> lines = WrittenLines(report);
    // Without a receiver name no settings are written: the table follows
    // the identifier.
    const auto start = std::find(lines.begin(), lines.end(), kExpectedTable[0]);
    ASSERT_NE(start, lines.end());
    EXPECT_EQ((start - 1)->substr(0, 6), "%UUID:");
    ASSERT_GE(size_t(lines.end() - start), std::size(kExpectedTable));
    for (size_t i = 0; i < std::size(kExpectedTable); ++i) {
        EXPECT_EQ(start[i], kExpectedTable[i]) << "table line " << i;
    }
}

TEST_F(ReceiverFiles, WrittenRowsReadBackInTheirUnits) {
    CReportReceiver report;
    report.SetTimeStamp(kSunday2Mar2008);
    XReportReceiver tuesday = TuesdayRecord();
    tuesday.mnTime = kSunday2Mar2008 + 90 * 60;  // TIME 90
    report.AddNewReport(&tuesday);
    WrittenLines(report);

    CReportReceiver back;
    CFileSpec source = SpecOf(mFolder.File("STAT_ABCD_2008_03_02.hdt"));
    ASSERT_EQ(back.ReadReportFile(&source), kNoErr);
    ASSERT_EQ(back.Points(), 1);
    const XReportReceiver r = Records(back)[0];
    EXPECT_EQ(r.mnTime, kSunday2Mar2008 + 5400);
    EXPECT_EQ(r.mnXmitTripCode, 26u);       // from "1A"
    EXPECT_EQ(r.mdComputerRunTime, 750.0);  // 12.50 minutes
    EXPECT_EQ(r.mdReceiverTemp, 24.0);      // as rounded by "%4.0f"
    EXPECT_EQ(r.mdMinus5Volts, -4.99);
    EXPECT_EQ(r.mnExternalInputB, -1);
    EXPECT_EQ(r.mnGpsSyncCount, 0u);  // not a column of the written table
}

TEST_F(ReceiverFiles, RowsFollowTheDeclaredColumns) {
    const std::string text = kWeekStart +
                             "%TableType: rcvr rcv2\n"
                             "%TableColumns: 3\n"
                             "%TableColumnTypes: TIME GSNC RTMP\n"
                             "%TableStart:\n"
                             "     90  17  21.5\n"
                             "   -1.5  x  3\n"
                             "%TableEnd:\n"
                             "%TableType: rads rad1\n"
                             "%TableStart:\n"
                             "     5 5 5\n"
                             "%TableEnd:\n"
                             "%TableType: rcvr rcv2\n"
                             "%TableColumns: 4\n"
                             "%TableStart:\n"
                             "  1 2A 3 4\n"
                             "%TableEnd:\n"
                             "%End:\n";
    CReportReceiver report;
    // The 'rads' row is not this report's: the file is read only in part.
    ASSERT_EQ(ReadText(report, text), kReportErrRowsNotRead);
    const std::vector<XReportReceiver> got = Records(report);
    ASSERT_EQ(got.size(), 3u);

    XReportReceiver first{};
    first.mnTime = kSunday2Mar2008 + 5400;
    first.mnGpsSyncCount = 17;
    first.mdReceiverTemp = 21.5;
    EXPECT_EQ(std::memcmp(&got[0], &first, sizeof first), 0);
    EXPECT_EQ(got[1].mnTime, kSunday2Mar2008 - 90);
    EXPECT_EQ(got[1].mnGpsSyncCount, 0u);  // "x" is no number and is passed over
    EXPECT_EQ(got[1].mdReceiverTemp, 3.0);
    // A table that declares no columns has the standard ones: TIME RTMP MTMP
    // XTRP, so "2A" is the receiver temperature read as far as it is a number.
    EXPECT_EQ(got[2].mnTime, kSunday2Mar2008 + 60);
    EXPECT_EQ(got[2].mdReceiverTemp, 2.0);
    EXPECT_EQ(got[2].mdAwgTemp, 3.0);
}

TEST_F(ReceiverFiles, StandardColumnsSkipTheDateAndReadHex) {
    const std::string text =
        kWeekStart +
        "%TableType: rcvr rcv2\n"
        "%TableStart:\n"
        "  10 20 30 ff 40 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 12.5 2008 03 02 00 10 00\n"
        "%TableEnd:\n"
        "%End:\n";
    CReportReceiver report;
    ASSERT_EQ(ReadText(report, text), kNoErr);
    ASSERT_EQ(report.Points(), 1);
    const XReportReceiver r = Records(report)[0];
    EXPECT_EQ(r.mnTime, kSunday2Mar2008 + 600);
    EXPECT_EQ(r.mnXmitTripCode, 255u);
    EXPECT_EQ(r.mdXmitPlus5Volts, 10.0);  // XP05 after XP28
    EXPECT_EQ(r.mnExternalInputB, 18);
    EXPECT_EQ(r.mdComputerRunTime, 750.0);
}

TEST_F(ReceiverFiles, SettingsKeywordsBothWays) {
    const std::string text =
        "%BTF: 1.00\n"
        "%FileType: DIAG rcvr \"Tesmara Report\"\n"
        "%Receiver:   Tesmara RX 5\n"
        "%TransmitCenterFreqMHz: 13.450000 MHz\n"
        "%ChirpState: 1  %% 0=Chirp,1=Halt\n"
        "%FrequencyPhases: 12. -34. deg\n"
        "%SweepAlignment: 1.50 us\n"
        "%TransmitWatch: 3 120. 7\n"
        "%EnhancedBlanking: 1 2.5 3.5 4.5 us\n"
        "%ReceiverLocation: 37.1234567 -122.7654321\n"
        "%End:\n";
    CReportReceiver report;
    ASSERT_EQ(ReadText(report, text), kNoErr);
    // Every value read shows again in the lines written below.
    EXPECT_EQ(report.mdSweepAlignment, 1.5);  // as the number stands
    report.mdSweepAlignment = 1500;           // written in thousands
    const std::vector<std::string> lines = WrittenLines(report);
    const auto at = std::find(lines.begin(), lines.end(), "%Receiver: Tesmara RX 5");
    ASSERT_NE(at, lines.end());
    const std::vector<std::string> expected = {
        "%Receiver: Tesmara RX 5",
        "%TransmitCenterFreqMHz: 13.450000 MHz",
        "%TransmitBandwidthKHz: 0.000 kHz",
        "%TransmitSweepRateHz: 0.000000 Hz",
        "%Attenuation: 0.0 dB",
        "%SampleRate: 0.0 us",
        "%ChirpState: 1  %% 0=Chirp,1=Halt",
        "%BlankingState: 0  %% 0=On,1=Off,2=Pulse",
        "%TransmitState: 0  %% 0=On,1=Off,2=Pulse",
        "%SweepState: 0  %% 0=CW,1=Sweep",
        "%SweepDirection: 0  %% 0=Up,1=Down",
        "%FrequencyBand: 0  %% 0=Low,1=High",
        "%FrequencyPhases: 12. -34. deg",
        "%TransponderOffset: 0.00 Hz",
        "%SweepAlignment: 1.50 us",
        "%PulseShaping: 0  %% 0=Off,1=On",
        "%TransmitWatch: 3 120. 7",
        "%WatchdogTimout: 0 seconds",
        "%BlankingPeriod: 0.0 us",
        "%BlankDelay: 0.0 us",
        "%EnhancedBlanking: 1 2.5 3.5 4.5 us",
        "%ReceiverLocation: 37.1234567 -122.7654321",
    };
    ASSERT_GE(size_t(lines.end() - at), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(at[i], expected[i]);
}

TEST_F(ReceiverFiles, HostileRowsGiveZerosNeverACrash) {
    std::string text = kWeekStart +
                       "%TableType: rcvr rcv2\n"
                       "%TableStart:\n"
                       "  1e300 -1e300 nan , , ,\n"
                       "  -99999999999 zz\x01\x7f\xff 1\n";
    text += "  " + std::string(5000, '9') + "\n  \n";
    text += "%TableEnd:\n%End:\n";
    CReportReceiver report;
    // The last row holds one value of 30: the file reads as damaged.
    ASSERT_EQ(ReadText(report, text), kReportErrDamaged);
    const std::vector<XReportReceiver> got = Records(report);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0].mnTime, 4294967295u);      // clamped
    EXPECT_TRUE(std::isnan(got[0].mdAwgTemp));  // "nan" is a number word: kept as read
    EXPECT_EQ(got[1].mnTime, 0u);
}

TEST(CReportReceiver, ZeroTimesAreFiltered) {
    CReportReceiver report;
    const uint32_t times[] = {0, 5, 0, 7, 0};
    for (uint32_t t : times) {
        XReportReceiver r{};
        r.mnTime = t;
        report.AddNewReport(&r);
    }
    EXPECT_EQ(report.FilterOutZeroTimeStamps(), kNoErr);
    const std::vector<XReportReceiver> kept = Records(report);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].mnTime, 5u);
    EXPECT_EQ(kept[1].mnTime, 7u);
}

TEST(CReportReceiver, BaseRecordAccessBySizeStaysCallable) {
    CReportReceiver report;
    XReportReceiver in{}, out{};
    in.mnTime = 9;
    EXPECT_EQ(report.AddNewReport(&in, sizeof in), 1);  // the new count
    EXPECT_EQ(report.GetReport(0, &out, sizeof out), kNoErr);
    EXPECT_EQ(out.mnTime, 9u);
}

}  // namespace
