#include "BTFWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BTFSiteCode.h"
#include "BvkErrors.h"
#include "PlatformTime.h"
#include "PlatformZone.h"
#include "cStrConv.h"

namespace {

// Values, comments and rows are cut to this many characters once escaped.
constexpr long kMaxLineText = 4092;
// Buffer of the formatted keyword forms.
constexpr size_t kFormatBufferSize = 4096;
// Note texts are cut to this many characters before they are escaped.
constexpr size_t kMaxNoteText = 2047;

// The one formatting helper behind every formatted line.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatText(const char* format, ...) {
    char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return n < 0 ? std::string() : std::string(buffer);
}

// The four characters of a code as text (bytes 1 to 31 shown as '_').
struct XCodeText {
    char text[8];
    explicit XCodeText(unsigned long code) { CStrConv::CharCodeToString(text, code); }
};

// The longest prefix WriteLine puts together without the encoder (a table
// row's comment mark and blank).
constexpr size_t kMaxLinePrefix = 8;

// Characters before the first one the encoder would change (a control
// character or a backslash), or before the end. Every row goes through here;
// strcspn with 32 characters to look for runs a byte at a time, so eight
// bytes are looked at together instead.
size_t PlainLength(const char* text) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighs = 0x8080808080808080u;
    const size_t length = std::strlen(text);
    size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        uint64_t word;
        std::memcpy(&word, text + at, sizeof(word));
        // A byte below 0x20, or a backslash (a zero byte once 0x5C is taken
        // away), sets the high bit of its byte or one above it.
        const uint64_t control = (word - kOnes * 0x20) & ~word & kHighs;
        const uint64_t slash = word ^ (kOnes * '\\');
        if (control | ((slash - kOnes) & ~slash & kHighs)) break;
    }
    for (; at < length; ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c < 0x20 || c == '\\') break;
    }
    return at;
}

// Escaped text, cut to `cut` characters; empty for null or empty text.
// Returns 0 or the allocation error.
long EncodeCut(const char* text, long cut, std::string* out) {
    out->clear();
    if (text == nullptr || *text == 0) return kNoErr;
    // Most text (every table row) has nothing to escape: it is taken as it
    // is, without the encoder's copy.
    const long plain = static_cast<long>(PlainLength(text));
    if (text[plain] == 0) {
        out->assign(text, static_cast<size_t>(std::min(plain, cut)));
        return kNoErr;
    }
    char* encoded = nullptr;
    long length = 0;
    long err = BTFKeyList::EncodeString(text, -1, &encoded, &length);
    if (err != kNoErr) return err;
    if (encoded != nullptr) out->assign(encoded, static_cast<size_t>(std::min(length, cut)));
    std::free(encoded);
    return kNoErr;
}

// The calendar fields of 1904 seconds; 0 means the local clock now.
XCalendarDate DateOf1904(unsigned long seconds1904) {
    if (seconds1904 == 0) seconds1904 = PlatformNow1904Local();
    // Time stamps are 32-bit counts; anything larger is held at their end.
    if (seconds1904 > 0xFFFFFFFFul) seconds1904 = 0xFFFFFFFFul;
    XCalendarDate date{};
    PlatformSecondsToDate(static_cast<int64_t>(seconds1904), &date);
    return date;
}

}  // namespace

BTFWriter::BTFWriter(BTFKeyList* keys)
    : mpKeyList(keys),
      mbOwnsKeyList(0),
      mnTableCount(0),
      mnWriteTableCommentLevel(1),
      mnLinesWritten(0) {
    if (mpKeyList == nullptr) {
        mpKeyList = new BTFKeyList();
        mbOwnsKeyList = 1;
    }
}

BTFWriter::~BTFWriter() {
    if (mbWritingFile) AbandonFile();
    if (mbOwnsKeyList) delete mpKeyList;
    mpKeyList = nullptr;
}

long BTFWriter::CreateFile(CFileSpec* file, unsigned long creator, long replace) {
    mnTableCount = 0;
    mnLinesWritten = 0;
    mnFirstWriteError = 0;
    if (mbWritingFile) AbandonFile();
    mbWritingFile = false;
    if (!replace) {
        CFileSpec* target = file != nullptr ? file : this;
        if (target->DoesObjectExist(1)) return kErrNameInUse;
    }
    long err = OpenCreateFile(file, creator, 0);
    if (err != kNoErr) return err;
    mbWritingFile = true;
    err = WriteKeyword(BtfCode("BTF_"), "1.00");
    std::snprintf(mszBtfVersion, sizeof(mszBtfVersion), "%s", "1.00");
    mdBtfVersion = 1.0;
    return err;
}

long BTFWriter::CloseFile() {
    // Nothing is written to a file this writer did not create.
    if (!mbWritingFile) return CFile::CloseFile();
    Finishing();
    long err = WriteKeyword(BtfCode("end_"), nullptr);
    mbWritingFile = false;
    if (mnFirstWriteError != kNoErr) {
        AbandonFile();
        return mnFirstWriteError;
    }
    long closeErr = CFile::CloseFile();
    return err != kNoErr ? err : closeErr;
}

long BTFWriter::WriteFile(const char* text, long length) {
    if (mnLinesWritten < INT32_MAX) ++mnLinesWritten;
    if (text == nullptr || length < 0) return kErrBadArgument;
    return CFile::WriteFile(text, static_cast<unsigned long>(length), nullptr);
}

long BTFWriter::PutLine(const std::string& line) {
    return PutLine(line.data(), static_cast<long>(line.size()));
}

long BTFWriter::PutLine(const char* line, long length) {
    long err = WriteFile(line, length);
    if (err != kNoErr && mnFirstWriteError == kNoErr) mnFirstWriteError = err;
    return err;
}

long BTFWriter::PreTable() {
    return kNoErr;
}

long BTFWriter::Finishing() {
    // Failed lines are remembered by PutLine and reported by CloseFile.
    WriteComment(nullptr);
    WriteProcessedTimeStamp(0);
    for (int i = 0; i < kBtfToolSlots; ++i) {
        if (mszBtfToolNames[i][0]) WriteProcessingTool(mszBtfToolNames[i], mszBtfToolVersions[i]);
    }
    return kNoErr;
}

long BTFWriter::WriteLine(const char* prefix, const char* text, long cut) {
    // A line with nothing to escape (every table row) is put together once,
    // on the stack.
    const size_t prefixLength = std::strlen(prefix);
    const size_t plain = text ? PlainLength(text) : 0;
    if (text && text[plain] == 0 && prefixLength <= kMaxLinePrefix) {
        char line[kMaxLinePrefix + kMaxLineText + 1];
        const size_t take = std::min(plain, static_cast<size_t>(std::max(0L, cut)));
        std::memcpy(line, prefix, prefixLength);
        std::memcpy(line + prefixLength, text, take);
        line[prefixLength + take] = '\n';
        return PutLine(line, static_cast<long>(prefixLength + take + 1));
    }
    std::string encoded;
    long err = EncodeCut(text, cut, &encoded);
    if (err != kNoErr) return err;
    std::string line = prefix;
    line += encoded;
    line += '\n';
    return PutLine(line);
}

long BTFWriter::WriteKeyword(const char* name, const char* value) {
    if (name == nullptr || *name == 0) return kErrBadArgument;
    // "%", the name and ": " come before the value: a long name leaves the
    // value less room, and one that leaves none cannot be written readably.
    const long nameLength = static_cast<long>(std::strlen(name));
    if (nameLength > kBtfMaxLineLength - 2) return kErrBadArgument;
    const long room = std::max(0L, kBtfMaxLineLength - 3 - nameLength);
    std::string encoded;
    long err = EncodeCut(value, std::min(kMaxLineText, room), &encoded);
    if (err != kNoErr) return err;
    std::string line = "%";
    line += name;
    line += encoded.empty() ? ":" : ": ";
    line += encoded;
    line += '\n';
    return PutLine(line);
}

long BTFWriter::WriteKeyword(unsigned long code, const char* value) {
    char name[40];
    name[0] = 0;
    if (mpKeyList != nullptr && code != 0) mpKeyList->GetKeyName(name, code, 0);
    return WriteKeyword(name, value);
}

long BTFWriter::WriteKeywordf(unsigned long code, const char* format, ...) {
    char value[kFormatBufferSize];
    value[0] = 0;
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(value, sizeof(value), format, args);
        va_end(args);
    }
    return WriteKeyword(code, value);
}

long BTFWriter::WriteKeywordf(const char* name, const char* format, ...) {
    char value[kFormatBufferSize];
    value[0] = 0;
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(value, sizeof(value), format, args);
        va_end(args);
    }
    return WriteKeyword(name, value);
}

long BTFWriter::WriteComment(const char* text) {
    if (text == nullptr || *text == 0) return PutLine("%%\n");
    return WriteLine(text[0] == '%' ? "%" : "%% ", text, kMaxLineText);
}

long BTFWriter::StartTable(long rows, long columns, unsigned long tableType,
                           unsigned long tableSubType, unsigned long* columnTypes) {
    if (mnTableCount < INT32_MAX) ++mnTableCount;
    if (mnTableCount == 1) PreTable();
    long err = kNoErr;
    if (tableType != 0) {
        if (tableSubType == 0)
            err = WriteKeywordf(BtfCode("ttyp"), "%4.4s", XCodeText(tableType).text);
        else
            err = WriteKeywordf(BtfCode("ttyp"), "%4.4s %4.4s", XCodeText(tableType).text,
                                XCodeText(tableSubType).text);
    }
    std::string columnText;
    bool columnsWritten = true;
    if (columnTypes != nullptr) {
        if (columnTypes[0] == 0) {
            columnsWritten = false;
        } else {
            long count = 0;
            for (; columnTypes[count] != 0; ++count)
                columnText += FormatText("%4.4s ", XCodeText(columnTypes[count]).text);
            columns = count;
        }
    }
    if (columnsWritten) {
        if (columns > 0) err = WriteKeywordf(BtfCode("cols"), "%ld", columns);
        if (!columnText.empty()) err = WriteKeyword(BtfCode("ctyp"), columnText.c_str());
    }
    if (rows > 0) err = WriteKeywordf(BtfCode("rows"), "%ld", rows);
    if (mnTableCount == 1)
        err = WriteKeyword(BtfCode("tbeg"), nullptr);
    else
        err = WriteKeywordf(BtfCode("tbeg"), "%ld", static_cast<long>(mnTableCount));
    return err;
}

long BTFWriter::WriteTableRow(const char* row) {
    if (row == nullptr || *row == 0) return kErrBadArgument;
    const char* prefix;
    if (mnWriteTableCommentLevel == 0 || mnWriteTableCommentLevel >= mnTableCount)
        prefix = " ";
    else
        prefix = row[0] == ' ' ? "%" : "% ";
    return WriteLine(prefix, row, kMaxLineText);
}

long BTFWriter::EndTable() {
    if (mnTableCount <= 1) return WriteKeyword(BtfCode("tend"), nullptr);
    return WriteKeywordf(BtfCode("tend"), "%ld", static_cast<long>(mnTableCount));
}

long BTFWriter::SetWriteTableCommentLevel(long level) {
    long previous = mnWriteTableCommentLevel;
    mnWriteTableCommentLevel = static_cast<int32_t>(level);
    return previous;
}

long BTFWriter::WriteFileType(unsigned long type, unsigned long subType, const char* description) {
    if (description == nullptr) description = "";
    if (subType == 0)
        return WriteKeywordf(BtfCode("ftyp"), "%4.4s \"%s\"", XCodeText(type).text, description);
    return WriteKeywordf(BtfCode("ftyp"), "%4.4s %4.4s \"%s\"", XCodeText(type).text,
                         XCodeText(subType).text, description);
}

long BTFWriter::WriteManufacturer(const char* text) {
    return WriteKeyword(BtfCode("mfgr"), text);
}

long BTFWriter::WriteOwner(const char* text) {
    return WriteKeyword(BtfCode("ownr"), text);
}

long BTFWriter::WriteSiteName(unsigned long code, const char* name) {
    return WriteKeywordf(BtfCode("site"), "%s \"%s\"",
                         BtfSiteCodeToText(static_cast<uint32_t>(code)).text,
                         name == nullptr ? "" : name);
}

long BTFWriter::WriteLocation(const char* name, double latitude, double longitude) {
    return WriteKeywordf(name, "%11.7f %12.7f", latitude, longitude);
}

long BTFWriter::WriteOriginLocation(double latitude, double longitude) {
    return WriteLocation("Origin", latitude, longitude);
}

long BTFWriter::WriteReceiverLocation(double latitude, double longitude) {
    return WriteLocation("ReceiverLocation", latitude, longitude);
}

long BTFWriter::WriteTransmitterLocation(double latitude, double longitude) {
    return WriteLocation("TransmitterLocation", latitude, longitude);
}

long BTFWriter::WriteTimeCoverage(double minutes) {
    return WriteKeywordf(BtfCode("tico"), "%.3f Minutes", minutes);
}

long BTFWriter::WriteTimeMark() {
    switch (mnBtfTimeMark) {
        case 0:
            return WriteKeyword(BtfCode("timk"), "center");
        case 1:
            return WriteKeyword(BtfCode("timk"), "start");
        case 2:
            return WriteKeyword(BtfCode("timk"), "end");
        default:
            return kNoErr;
    }
}

long BTFWriter::WriteTimeStamp(long year, long month, long day, long hour, long minute,
                               long second) {
    WriteTimeMark();
    return WriteKeywordf(BtfCode("tist"), "%04ld %02ld %02ld  %02ld %02ld %02ld", year, month, day,
                         hour, minute, second);
}

long BTFWriter::WriteTimeStamp(unsigned long seconds1904) {
    XCalendarDate date = DateOf1904(seconds1904);
    return WriteTimeStamp(date.year, date.month, date.day, date.hour, date.minute, date.second);
}

long BTFWriter::WriteTimeStamp(unsigned long code, double absoluteTime) {
    // The wall clock of offset Z; the whole seconds give the calendar fields
    // and the fraction is rounded in the seconds field only, so 59.6 shows as
    // "60" rather than carrying into the minute.
    double local = absoluteTime + mdBtfTimeZoneOffsetSeconds + kBtfSeconds1904To2001;
    if (!std::isfinite(local)) local = 0;
    // Held within some three thousand years, where calendar dates exist.
    local = std::fmax(-1e11, std::fmin(1e11, local));
    double whole = std::floor(local);
    XCalendarDate date{};
    PlatformSecondsToDate(static_cast<int64_t>(whole), &date);
    double seconds = static_cast<double>(date.second) + (local - whole);
    bool isTimeStamp = code == 0 || code == BtfCode("tist");
    if (isTimeStamp) {
        WriteTimeMark();
        code = BtfCode("tist");
    }
    return WriteKeywordf(code, "%04ld %02d %02d  %02d %02d %02.0f", date.year,
                         static_cast<int>(date.month), static_cast<int>(date.day),
                         static_cast<int>(date.hour), static_cast<int>(date.minute), seconds);
}

long BTFWriter::WriteProcessedTimeStamp(unsigned long seconds1904) {
    XCalendarDate date = DateOf1904(seconds1904);
    return WriteKeywordf(BtfCode("tidn"), "%04d %02d %02d  %02d %02d %02d",
                         static_cast<int>(date.year), static_cast<int>(date.month),
                         static_cast<int>(date.day), static_cast<int>(date.hour),
                         static_cast<int>(date.minute), static_cast<int>(date.second));
}

long BTFWriter::WriteProcessingTool(const char* name, const char* version) {
    if (name == nullptr) name = "";
    if (version == nullptr) return WriteKeywordf(BtfCode("vpro"), "\"%s\"", name);
    return WriteKeywordf(BtfCode("vpro"), "\"%s\" %s", name, version);
}

long BTFWriter::WriteTimeZone(double offsetSeconds, const char* label, long daylight,
                              const char* city) {
    if (label == nullptr) label = "";
    double hours = offsetSeconds / 3600.0;
    if (city != nullptr && *city != 0)
        return WriteKeywordf(BtfCode("tizn"), "\"%s\" %+.03f %ld \"%s\"", label, hours, daylight,
                             city);
    return WriteKeywordf(BtfCode("tizn"), "\"%s\" %+.03f %ld", label, hours, daylight);
}

long BTFWriter::WriteTimeZone(unsigned long seconds1904) {
    // The offset written is the one in force at the map's true instant, found
    // from its wall time, so that stamp minus offset gives that instant back.
    if (mdBtfTimeZoneOffsetSeconds != 0 || HasBtfTimeZone()) {
        SettleBtfTimeZone(static_cast<double>(seconds1904));
        return WriteTimeZone(mdBtfTimeZoneOffsetSeconds, mszBtfTimeZone, mnBtfTimeZoneDaylight,
                             mszBtfCityZone);
    }
    XZoneState zone{};
    std::snprintf(zone.abbreviation, sizeof(zone.abbreviation), "GMT");
    if (seconds1904 == 0)
        PlatformZoneAtInstant(nullptr, PlatformNowUnix(), &zone);
    else
        PlatformZoneAtWallTime(nullptr, static_cast<int64_t>(seconds1904) - kSeconds1904To1970,
                               &zone);
    return WriteTimeZone(static_cast<double>(zone.offsetSeconds), zone.abbreviation,
                         zone.isDaylight, mszBtfCityZone);
}

long BTFWriter::WriteUUID(const char* name, CFUUIDRef uuid) {
    if (uuid == nullptr) {
        if (mpBtfUUID == nullptr) {
            XPlatformUuid created;
            if (PlatformUuidCreate(&created) != kNoErr) return kErrBadArgument;
            SetBtfUUIDRef(&created);
        }
        uuid = mpBtfUUID;
    }
    char text[kUuidTextSize];
    PlatformUuidFormat(*uuid, text, sizeof(text));
    if (text[0] == 0) return kErrBadArgument;
    if (name != nullptr && *name != 0) return WriteKeyword(name, text);
    return WriteKeyword(BtfCode("uuid"), text);
}

long BTFWriter::WriteBtfNotes() {
    long err = kNoErr;
    for (size_t i = 0; i < mpBtfNoteKinds.size(); ++i) {
        const std::string& text = mpBtfNoteTexts[i];
        err = WriteKeyword(mpBtfNoteKinds[i], text.substr(0, kMaxNoteText).c_str());
    }
    return err;
}
