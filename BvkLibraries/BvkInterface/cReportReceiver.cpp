#include "cReportReceiver.h"

#include "TextFormat.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "BTFRowValues.h"
#include "BvkErrors.h"
#include "PlatformTime.h"
#include "cStrConv.h"

const XBtfKeyList xHRPKeyList[19] = {
    {BtfCode("ssri"), "Receiver"},
    {BtfCode("attn"), "Attenuation"},
    {BtfCode("smpl"), "SampleRate"},
    {BtfCode("chst"), "ChirpState"},
    {BtfCode("blst"), "BlankingState"},
    {BtfCode("txst"), "TransmitState"},
    {BtfCode("swst"), "SweepState"},
    {BtfCode("swdr"), "SweepDirection"},
    {BtfCode("frqb"), "FrequencyBand"},
    {BtfCode("phas"), "FrequencyPhases"},
    {BtfCode("foff"), "TransponderOffset"},
    {BtfCode("sadj"), "SweepAlignment"},
    {BtfCode("pups"), "PulseShaping"},
    {BtfCode("txwa"), "TransmitWatch"},
    {BtfCode("wdog"), "WatchdogTimout"},
    {BtfCode("blnk"), "BlankingPeriod"},
    {BtfCode("bdly"), "BlankDelay"},
    {BtfCode("eblk"), "EnhancedBlanking"},
    {0, ""},
};

namespace {

constexpr uint32_t kReceiverReportType = BtfCode("rcvr");
constexpr uint32_t kReceiverTableSubType = BtfCode("rcv2");

// A column: its code and its two heading pieces (the degree sign is the Mac
// Roman byte 0xA1).
struct XReceiverColumn {
    uint32_t code;
    const char* heading1;
    const char* heading2;
};

constexpr XReceiverColumn kColumns[] = {
    {BtfCode("TIME"), "  LogTime", "  Minutes"},
    {BtfCode("RTMP"), " Rcvr",
     "   \xA1"
     "C"},
    {BtfCode("MTMP"), " Awg3",
     "   \xA1"
     "C"},
    {BtfCode("XTRP"), " XmtTrip", " HexCode"},
    {BtfCode("RUNT"), " Awg3Run", " Seconds"},
    {BtfCode("SP24"), " Supply", " Volts "},
    {BtfCode("SP05"), " +5VDC", " Volts"},
    {BtfCode("SN05"), " -5VDC", " Volts"},
    {BtfCode("SP12"), " +12VDC", "  Volts"},
    {BtfCode("XPHT"), " XInt",
     "   \xA1"
     "C"},
    {BtfCode("XAHT"), " XAmp",
     "   \xA1"
     "C"},
    {BtfCode("XAFW"), " XForw", " Watts"},
    {BtfCode("XARW"), " XRefl", " Watts"},
    {BtfCode("XP28"), " X+Ampl", "  Volts"},
    {BtfCode("XP05"), " X+5VDC", "  Volts"},
    {BtfCode("GRMD"), " GpsRcv", "  Mode "},
    {BtfCode("GDMD"), " GpsDsp", "  Mode "},
    {BtfCode("PLLL"), "  PLL  ", " Unlock"},
    {BtfCode("HTMP"), " HiRcvr",
     "    \xA1"
     "C "},
    {BtfCode("HUMI"), " Humid", "    % "},
    {BtfCode("RBIA"), " Supply", "  Amps "},
    {BtfCode("EXTA"), " Extern", " InputA"},
    {BtfCode("EXTB"), " Extern", " InputB"},
    {BtfCode("CRUN"), "  CompRunTime ", "    Minutes   "},
    {BtfCode("TYRS"), "  Year", "      "},
    {BtfCode("TMON"), " Mo", "   "},
    {BtfCode("TDAY"), " Dy", "   "},
    {BtfCode("THRS"), " Hr", "   "},
    {BtfCode("TMIN"), " Mn", "   "},
    {BtfCode("TSEC"), "  S", "   "},
};
constexpr long kColumnCount = sizeof(kColumns) / sizeof(kColumns[0]);
static_assert(kColumnCount == 30);

// The record's double fields by column code.
struct XDoubleColumn {
    uint32_t code;
    double XReportReceiver::*field;
};
constexpr XDoubleColumn kDoubleColumns[] = {
    {BtfCode("RTMP"), &XReportReceiver::mdReceiverTemp},
    {BtfCode("MTMP"), &XReportReceiver::mdAwgTemp},
    {BtfCode("HTMP"), &XReportReceiver::mdHiReceiverTemp},
    {BtfCode("HUMI"), &XReportReceiver::mdHumidity},
    {BtfCode("SP24"), &XReportReceiver::mdSupplyVolts},
    {BtfCode("SP05"), &XReportReceiver::mdPlus5Volts},
    {BtfCode("SN05"), &XReportReceiver::mdMinus5Volts},
    {BtfCode("SP12"), &XReportReceiver::mdPlus12Volts},
    {BtfCode("XPHT"), &XReportReceiver::mdXmitInternalTemp},
    {BtfCode("XAHT"), &XReportReceiver::mdXmitAmpTemp},
    {BtfCode("XAFW"), &XReportReceiver::mdXmitForwardWatts},
    {BtfCode("XARW"), &XReportReceiver::mdXmitReflectedWatts},
    {BtfCode("XP05"), &XReportReceiver::mdXmitPlus5Volts},
    {BtfCode("XP28"), &XReportReceiver::mdXmitAmpVolts},
    {BtfCode("RBIA"), &XReportReceiver::mdSupplyAmps},
};

// Values of a keyword, read from the left; a value that is missing or does
// not convert is 0.
class CValueReader {
  public:
    explicit CValueReader(const char* text) : mText(text ? text : "") {}
    double Double() {
        double value = 0;
        mText += CStrConv::StringToDouble(mText, &value);
        return value;
    }
    int32_t Integer() {
        unsigned long value = 0;
        mText += CStrConv::StringToULong(mText, &value);
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }

  private:
    const char* mText;
};

void AppendPiece(std::string& row, uint32_t code, const XReportReceiver& r, double stamp,
                 const XCalendarDate& date) {
    for (const auto& d : kDoubleColumns) {
        if (d.code != code) continue;
        const double value = r.*d.field;
        switch (code) {
            case BtfCode("SP24"):
                return AppendFormat(row, " %5.1f ", value);
            case BtfCode("SP05"):
            case BtfCode("SN05"):
                return AppendFormat(row, " %5.2f", value);
            case BtfCode("SP12"):
                return AppendFormat(row, " %6.2f", value);
            case BtfCode("XAFW"):
            case BtfCode("XARW"):
                return AppendFormat(row, " %5.0f", value);
            case BtfCode("XP28"):
            case BtfCode("XP05"):
                return AppendFormat(row, "  %5.2f", value);
            case BtfCode("HTMP"):
                return AppendFormat(row, " %6.1f", value);
            case BtfCode("HUMI"):
                return AppendFormat(row, " %4.0f ", value);
            case BtfCode("RBIA"):
                return AppendFormat(row, " %5.2f ", value);
            default:
                return AppendFormat(row, " %4.0f", value);  // the temperatures
        }
    }
    switch (code) {
        case BtfCode("TIME"):
            return AppendFormat(row, " %8.0f", (r.mnTime - stamp) / 60.0);
        case BtfCode("XTRP"):
            return AppendFormat(row, "   %02lX   ", static_cast<unsigned long>(r.mnXmitTripCode));
        case BtfCode("RUNT"):
            return AppendFormat(row, " %7ld", static_cast<long>(r.mnAwgRunTime));
        case BtfCode("GRMD"):
            return AppendFormat(row, " %4ld  ", static_cast<long>(r.mnGpsReceiveMode));
        case BtfCode("GDMD"):
            return AppendFormat(row, " %4ld  ", static_cast<long>(r.mnGpsDisplayMode));
        case BtfCode("GSNC"):
            return AppendFormat(row, " %6ld ", static_cast<long>(r.mnGpsSyncCount));
        case BtfCode("PLLL"):
            return AppendFormat(row, " %5ld ", static_cast<long>(r.mnPllUnlock));
        case BtfCode("EXTA"):
            return AppendFormat(row, "  %03ld  ", static_cast<long>(r.mnExternalInputA));
        case BtfCode("EXTB"):
            return AppendFormat(row, "  %03ld  ", static_cast<long>(r.mnExternalInputB));
        case BtfCode("CRUN"):
            return AppendFormat(row, " %12.2f", r.mdComputerRunTime / 60);
        case BtfCode("TYRS"):
            return AppendFormat(row, "   %04d", static_cast<int>(date.year));
        case BtfCode("TMON"):
            return AppendFormat(row, " %02d", static_cast<int>(date.month));
        case BtfCode("TDAY"):
            return AppendFormat(row, " %02d", static_cast<int>(date.day));
        case BtfCode("THRS"):
            return AppendFormat(row, " %02d", static_cast<int>(date.hour));
        case BtfCode("TMIN"):
            return AppendFormat(row, " %02d", static_cast<int>(date.minute));
        case BtfCode("TSEC"):
            return AppendFormat(row, " %02d", static_cast<int>(date.second));
        default:
            return;
    }
}

}  // namespace

CReportReceiver::CReportReceiver()
    : CReportBase(kReceiverReportType, sizeof(XReportReceiver), ".hdt"),
      mszReceiver{},
      mdCenterFreqMHz(0),
      mdBandwidthKHz(0),
      mdSweepRateHz(0),
      mdAttenuation(0),
      mdSampleRate(0),
      mnChirpState(0),
      mnBlankingState(0),
      mnTransmitState(0),
      mnSweepState(0),
      mnSweepDirection(0),
      mnFrequencyBand(0),
      mdFrequencyPhases{},
      mdTransponderOffset(0),
      mdSweepAlignment(0),
      mnPulseShaping(0),
      mnTransmitWatchA(0),
      mdTransmitWatchB(0),
      mnTransmitWatchC(0),
      mnWatchdogTimeout(0),
      mdBlankingPeriod(0),
      mdBlankDelay(0),
      mnEnhancedBlanking(0),
      mdEnhancedBlanking{},
      mdReceiverLocation{} {
    if (mpKeyList != nullptr) mpKeyList->AddKeyList(xHRPKeyList);
}

CReportReceiver::~CReportReceiver() = default;

long CReportReceiver::ProcessKeyword(unsigned long code, char* value) {
    CValueReader in(value);
    switch (code) {
        case BtfCode("ssri"): {
            const char* text = value ? value + CStrConv::SkipWhiteSpace(value) : "";
            std::snprintf(mszReceiver, sizeof mszReceiver, "%s", text);
            break;
        }
        case BtfCode("txfq"):
            mdCenterFreqMHz = in.Double();
            break;
        case BtfCode("txbw"):
            mdBandwidthKHz = in.Double();
            break;
        case BtfCode("txsr"):
            mdSweepRateHz = in.Double();
            break;
        case BtfCode("attn"):
            mdAttenuation = in.Double();
            break;
        case BtfCode("smpl"):
            mdSampleRate = in.Double();
            break;
        case BtfCode("chst"):
            mnChirpState = in.Integer();
            break;
        case BtfCode("blst"):
            mnBlankingState = in.Integer();
            break;
        case BtfCode("txst"):
            mnTransmitState = in.Integer();
            break;
        case BtfCode("swst"):
            mnSweepState = in.Integer();
            break;
        case BtfCode("swdr"):
            mnSweepDirection = in.Integer();
            break;
        case BtfCode("frqb"):
            mnFrequencyBand = in.Integer();
            break;
        case BtfCode("phas"):
            mdFrequencyPhases[0] = in.Double();
            mdFrequencyPhases[1] = in.Double();
            break;
        case BtfCode("foff"):
            mdTransponderOffset = in.Double();
            break;
        case BtfCode("sadj"):
            mdSweepAlignment = in.Double();
            break;
        case BtfCode("pups"):
            mnPulseShaping = in.Integer();
            break;
        case BtfCode("txwa"):
            mnTransmitWatchA = in.Integer();
            mdTransmitWatchB = in.Double();
            mnTransmitWatchC = in.Integer();
            break;
        case BtfCode("wdog"):
            mnWatchdogTimeout = in.Integer();
            break;
        case BtfCode("blnk"):
            mdBlankingPeriod = in.Double();
            break;
        case BtfCode("bdly"):
            mdBlankDelay = in.Double();
            break;
        case BtfCode("eblk"):
            mnEnhancedBlanking = in.Integer();
            for (double& d : mdEnhancedBlanking) d = in.Double();
            break;
        case BtfCode("rxpt"):
            mdReceiverLocation[0] = in.Double();
            mdReceiverLocation[1] = in.Double();
            break;
        default:
            break;
    }
    return CReportBase::ProcessKeyword(code, value);
}

long CReportReceiver::WriteHeaderKeys() {
    if (mszReceiver[0] == 0) return kNoErr;
    WriteKeywordf(BtfCode("ssri"), "%s", mszReceiver);
    WriteKeywordf(BtfCode("txfq"), "%.6f MHz", mdCenterFreqMHz);
    WriteKeywordf(BtfCode("txbw"), "%.3f kHz", mdBandwidthKHz);
    WriteKeywordf(BtfCode("txsr"), "%.6f Hz", mdSweepRateHz);
    WriteKeywordf(BtfCode("attn"), "%.1f dB", mdAttenuation);
    WriteKeywordf(BtfCode("smpl"), "%.1f us", mdSampleRate);
    WriteKeywordf(BtfCode("chst"), "%d  %%%% 0=Chirp,1=Halt", mnChirpState);
    WriteKeywordf(BtfCode("blst"), "%d  %%%% 0=On,1=Off,2=Pulse", mnBlankingState);
    WriteKeywordf(BtfCode("txst"), "%d  %%%% 0=On,1=Off,2=Pulse", mnTransmitState);
    WriteKeywordf(BtfCode("swst"), "%d  %%%% 0=CW,1=Sweep", mnSweepState);
    WriteKeywordf(BtfCode("swdr"), "%d  %%%% 0=Up,1=Down", mnSweepDirection);
    WriteKeywordf(BtfCode("frqb"), "%d  %%%% 0=Low,1=High", mnFrequencyBand);
    WriteKeywordf(BtfCode("phas"), "%.0f. %.0f. deg", mdFrequencyPhases[0], mdFrequencyPhases[1]);
    WriteKeywordf(BtfCode("foff"), "%.2f Hz", mdTransponderOffset);
    // Read as the number stands, written in thousands: kept as it always was.
    WriteKeywordf(BtfCode("sadj"), "%.2f us", mdSweepAlignment / 1000);
    WriteKeywordf(BtfCode("pups"), "%d  %%%% 0=Off,1=On", mnPulseShaping);
    WriteKeywordf(BtfCode("txwa"), "%d %.0f. %d", mnTransmitWatchA, mdTransmitWatchB,
                  mnTransmitWatchC);
    WriteKeywordf(BtfCode("wdog"), "%d seconds", mnWatchdogTimeout);
    WriteKeywordf(BtfCode("blnk"), "%.1f us", mdBlankingPeriod);
    WriteKeywordf(BtfCode("bdly"), "%.1f us", mdBlankDelay);
    WriteKeywordf(BtfCode("eblk"), "%d %.1f %.1f %.1f us", mnEnhancedBlanking,
                  mdEnhancedBlanking[0], mdEnhancedBlanking[1], mdEnhancedBlanking[2]);
    WriteKeywordf(BtfCode("rxpt"), "%.7f %.7f", mdReceiverLocation[0], mdReceiverLocation[1]);
    return kNoErr;
}

long CReportReceiver::WriteReportTable() {
    unsigned long columns[kColumnCount + 1] = {};
    std::string headings[2] = {"% ", "% "};
    for (long i = 0; i < kColumnCount; ++i) {
        columns[i] = kColumns[i].code;
        headings[0] += kColumns[i].heading1;
        headings[1] += kColumns[i].heading2;
    }
    long err = StartTable(mnReports, kColumnCount, mnReportType, kReceiverTableSubType, columns);
    for (const std::string& heading : headings) WriteComment(heading.c_str());

    const double stamp = static_cast<double>(GetTimeStamp());
    std::string row;
    for (long i = 0; i < mnReports; ++i) {
        XReportReceiver r;
        std::memcpy(&r, RecordAt(i), sizeof r);
        XCalendarDate date{};
        PlatformSecondsToDate(r.mnTime, &date);
        row = "  ";
        for (const auto& column : kColumns) AppendPiece(row, column.code, r, stamp, date);
        err = WriteTableRow(row.c_str());
    }
    const long ended = EndTable();
    return err != kNoErr ? err : ended;
}

long CReportReceiver::ProcessTableRow(char* row) {
    // A line of blanks inside a table holds no row.
    if (row == nullptr || CountRowValues(row) == 0) return kNoErr;
    if (mnTableType != mnReportType) {
        NoteRowNotTaken();
        return kNoErr;
    }
    unsigned long standard[kColumnCount + 1] = {};
    for (long i = 0; i < kColumnCount; ++i) standard[i] = kColumns[i].code;
    const bool declared = mnColumnTypes[0] != 0;

    XReportReceiver r{};
    const char* p = row + CStrConv::SkipWhiteSpace(row);
    for (long i = 0; i < kBtfMaxColumnTypes && *p != 0; ++i) {
        const unsigned long code = declared ? mnColumnTypes[i] : standard[i];
        if (code == 0) break;
        long used = 0;
        double number = 0;
        unsigned long whole = 0;
        long integer = 0;
        switch (code) {
            case BtfCode("TIME"):
                used = CStrConv::StringToDouble(p, &number);
                r.mnTime = ClampToUInt32(number * 60 + static_cast<double>(GetTimeStamp()));
                break;
            case BtfCode("XTRP"):
                used = CStrConv::StringHexToLong(p, &whole, 0);
                r.mnXmitTripCode = static_cast<uint32_t>(whole);
                break;
            case BtfCode("RUNT"):
            case BtfCode("GRMD"):
            case BtfCode("GDMD"):
            case BtfCode("GSNC"): {
                used = CStrConv::StringToULong(p, &whole);
                uint32_t& field = code == BtfCode("RUNT")   ? r.mnAwgRunTime
                                  : code == BtfCode("GRMD") ? r.mnGpsReceiveMode
                                  : code == BtfCode("GDMD") ? r.mnGpsDisplayMode
                                                            : r.mnGpsSyncCount;
                field = static_cast<uint32_t>(whole);
                break;
            }
            case BtfCode("PLLL"):
            case BtfCode("EXTA"):
            case BtfCode("EXTB"): {
                used = CStrConv::StringToLong(p, &integer);
                int32_t& field = code == BtfCode("PLLL")   ? r.mnPllUnlock
                                 : code == BtfCode("EXTA") ? r.mnExternalInputA
                                                           : r.mnExternalInputB;
                field = static_cast<int32_t>(integer);
                break;
            }
            case BtfCode("CRUN"):
                used = CStrConv::StringToDouble(p, &number);
                r.mdComputerRunTime = number * 60;
                break;
            default:
                for (const auto& d : kDoubleColumns) {
                    if (d.code == code) used = CStrConv::StringToDouble(p, &(r.*d.field));
                }
        }
        // Each column takes one item: what is left of it after its number
        // (all of it for a date column, an unknown code or no number) is
        // passed over, so the items after it still reach their own columns.
        const char* next = p + used;
        next += CStrConv::SkipToNextItem(next);
        p = next > p ? next : p + 1;
    }
    if (AddNewReport(&r) == 0) {
        NoteRowNotTaken();
    } else {
        NoteRowTaken(row, kColumnCount);
    }
    return kNoErr;
}

long CReportReceiver::FilterOutZeroTimeStamps() {
    RemoveRecordsIf([](const unsigned char* bytes) {
        XReportReceiver r;
        std::memcpy(&r, bytes, sizeof r);
        return r.mnTime == 0;
    });
    return kNoErr;
}
