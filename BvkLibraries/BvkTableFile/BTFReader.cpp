#include "BTFReader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "BTFSiteCode.h"
#include "BvkErrors.h"
#include "Platform.h"
#include "PlatformTime.h"
#include "PlatformZone.h"
#include "cStrConv.h"

namespace {

// Lines are read in pieces of at most this many characters, the line end
// counted: the writer's longest line and its LF are one piece.
constexpr long kMaxLineLength = kBtfMaxLineLength + 1;
// Keyword names are cut to this many characters.
constexpr size_t kMaxKeywordName = 32;

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// Where the first CR, LF or NUL of text[0, limit) is, or limit. Eight bytes
// are tested at a time: a byte equal to one of the three makes its lane of
// x ^ pattern zero, and a zero lane is what the has-zero bit trick finds; the
// lane itself is then found by the byte loop.
size_t LineStopWithin(const char* text, size_t limit) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    size_t at = 0;
    while (at + 8 <= limit) {
        uint64_t word;
        std::memcpy(&word, text + at, sizeof word);
        const uint64_t lf = word ^ (kOnes * 10);
        const uint64_t cr = word ^ (kOnes * 13);
        const uint64_t zero =
            ((word - kOnes) & ~word) | ((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr);
        if (zero & kHighs) break;
        at += 8;
    }
    while (at < limit && text[at] != 10 && text[at] != 13 && text[at] != 0) ++at;
    return at;
}

// Splits a file into lines by the rules of CFile::ReadTextLine (a line ends
// at CR, LF, CR LF, LF CR or NUL; a line longer than kMaxLineLength arrives
// in pieces of that length), from large blocks rather than a read for each
// line. The file's position is kept just after the line handed out, as a
// line-by-line reader leaves it, since callbacks may look at it (a report
// asks whether its last row ended with a line end); blocks are read at
// their own offsets, whatever a callback did with the position.
class CLineSplitter {
  public:
    explicit CLineSplitter(CFile& file)
        : mFile(file),
          mBlock(std::make_unique_for_overwrite<char[]>(kBlockCapacity)),
          mBlockOffset(file.mnPosition) {}

    // 0 with the next line in `line` (kMaxLineLength + 1 bytes), -39 after
    // the last line, or the error of a read.
    long Next(char* line, long* length) {
        if (mEnd - mStart <= static_cast<size_t>(kMaxLineLength) && !mAtEnd) Fill();
        const size_t available = mEnd - mStart;
        *length = 0;
        line[0] = 0;
        if (available == 0) return mError != kNoErr ? mError : kErrEndOfFile;
        const char* text = mBlock.get() + mStart;
        const size_t limit = std::min(available, static_cast<size_t>(kMaxLineLength));
        size_t at = LineStopWithin(text, limit);
        std::memcpy(line, text, at);
        line[at] = 0;
        *length = static_cast<long>(at);
        size_t next = at;  // no line end within the limit: the rest comes next
        if (at < limit) {
            next = at + 1;
            const char end = text[at];
            if (end != 0 && next < available) {
                const char follower = text[next];
                if ((end == 13 && follower == 10) || (end == 10 && follower == 13)) ++next;
            }
        }
        mStart += next;
        mFile.mnPosition = mBlockOffset + static_cast<int64_t>(mStart);
        return kNoErr;
    }

  private:
    // Only the bytes read are ever looked at, so the block is not cleared
    // first: that would cost a small file a write of the whole block.
    static constexpr size_t kBlockCapacity = 65536 + kMaxLineLength + 1;

    // Reads until more than a whole line's worth is held or the file ends.
    void Fill() {
        if (mStart > 0) {
            std::memmove(mBlock.get(), mBlock.get() + mStart, mEnd - mStart);
            mBlockOffset += static_cast<int64_t>(mStart);
            mEnd -= mStart;
            mStart = 0;
        }
        while (!mAtEnd && mEnd <= static_cast<size_t>(kMaxLineLength)) {
            uint64_t got = 0;
            const long err = PlatformReadStreamAt(mFile.GetFileRefNum(),
                                                  mBlockOffset + static_cast<int64_t>(mEnd),
                                                  mBlock.get() + mEnd, kBlockCapacity - mEnd, &got);
            mEnd += static_cast<size_t>(got);
            if (err != kNoErr && err != kErrEndOfFile) mError = err;
            if (err != kNoErr || got == 0) mAtEnd = true;
        }
    }

    CFile& mFile;
    std::unique_ptr<char[]> mBlock;
    int64_t mBlockOffset;  // where in the file mBlock[0] was read from
    size_t mStart = 0, mEnd = 0;
    bool mAtEnd = false;
    long mError = kNoErr;
};

void Bump(int32_t& counter) {
    if (counter < INT32_MAX) ++counter;
}

// A number read as a double, held to +-limit (NaN reads as 0).
double Limited(double value, double limit) {
    if (!(value == value)) return 0;
    return std::fmax(-limit, std::fmin(limit, value));
}

// A time stamp as written: its wall time on its own clock, and what follows.
struct XStampText {
    int64_t wall;     // whole seconds since 1970 on the stamp's clock
    double fraction;  // of a second
    char label[32];
    double hours;
    long daylight;
};

XStampText ParseStamp(const char* text) {
    if (text == nullptr) text = "";
    const char* p = text;
    double field = 0;
    p += CStrConv::StringToDouble(p, &field);
    double year = std::trunc(Limited(field, 1e6));
    if (year < 50)
        year += 2000;
    else if (year < 100)
        year += 1900;
    auto next = [&p](char separator) {
        if (*p == separator) ++p;
        double value = 0;
        p += CStrConv::StringToDouble(p, &value);
        return value;
    };
    double month = std::trunc(next('-'));
    double day = std::trunc(next('-'));
    double hour = std::trunc(next('T'));
    double minute = std::trunc(next(':'));
    double seconds = next(':');

    XStampText stamp{};
    p += CStrConv::FindSubString(p, stamp.label, sizeof(stamp.label) - 1);
    p += CStrConv::StringToDouble(p, &stamp.hours);
    stamp.hours = Limited(stamp.hours, 1e6);
    CStrConv::StringToLong(p, &stamp.daylight);

    // Fields far outside a calendar are held where the arithmetic stays
    // exact; such dates are nonsense either way.
    XCalendarDate date{};
    date.year = static_cast<long>(Limited(year, 9999));
    date.month = static_cast<long>(Limited(month, 1200));
    date.day = static_cast<long>(Limited(day, 1e6));
    date.hour = static_cast<long>(Limited(hour, 1e7));
    date.minute = static_cast<long>(Limited(minute, 1e8));
    double wholeSeconds = std::floor(Limited(seconds, 1e10));
    date.second = static_cast<long>(wholeSeconds);
    stamp.fraction = Limited(seconds, 1e10) - wholeSeconds;
    stamp.wall = PlatformDateToSeconds(date) - kSeconds1904To1970;
    return stamp;
}

}  // namespace

BTFReader::BTFReader(BTFKeyList* keys)
    : BTFWriter(keys),
      mnLineCount(0),
      mnCommentCount(0),
      mnKeywordCount(0),
      mbSkipTableRows(0),
      mnTableIndex(0),
      mnTableColumns(0),
      mnTableRows(0),
      mnTableOpen(0),
      mnTableType(0),
      mnTableSubType(0),
      mnCommentRowLevel(1) {
    ClearColumnTypes();
}

BTFReader::~BTFReader() = default;

void BTFReader::ClearColumnTypes() {
    std::memset(mnColumnTypes, 0, sizeof(mnColumnTypes));
}

long BTFReader::ProcessBTFile(CFileSpec* file, long skipTableRows, long maxLines) {
    ClearMeta();
    mnLineCount = 0;
    mnCommentCount = 0;
    mnKeywordCount = 0;
    mnTableIndex = 0;
    mnTableColumns = 0;
    mnTableRows = 0;
    mnTableOpen = 0;
    mnTableType = 0;
    mnTableSubType = 0;
    ClearColumnTypes();
    mbSkipTableRows = skipTableRows ? 1 : 0;
    mbSawTimeZoneKeyword = false;

    // A table file still being written here is given up rather than closed
    // half-written by the open below.
    if (mbWritingFile) {
        AbandonFile();
        mbWritingFile = false;
    }
    long err = OpenReadOnlyFile(file);
    if (err != kNoErr) return err;

    char line[kMaxLineLength + 1];
    CLineSplitter lines(*this);
    long result = kNoErr;
    for (;;) {
        long length = 0;
        err = lines.Next(line, &length);
        if (err == kErrEndOfFile) break;
        if (err != kNoErr) {
            result = err;
            break;
        }
        Bump(mnLineCount);
        if (line[0] != 0) {
            long r = ProcessLine(line);
            if (r < 0) {
                result = r;
                break;
            }
        }
        if (maxLines >= 1 && mnLineCount >= maxLines) break;
    }
    if (mnTableOpen) TableEnd();
    CFile::CloseFile();
    if (result != kNoErr) return result;
    return mnBtfFileType == 0 ? kBtfErrNoFileType : kNoErr;
}

long BTFReader::ProcessLine(char* line) {
    if (line[0] == '%') {
        if (line[1] == '%') {
            Bump(mnCommentCount);
            return ProcessComment(line + 2);
        }
        if (line[1] == ' ') {
            if (mnTableOpen == 1 && mnCommentRowLevel != 0 && mnTableIndex >= mnCommentRowLevel)
                return HandleTableRow(line + 2);
            Bump(mnCommentCount);
            return ProcessComment(line + 2);
        }
        if (line[1] == 0) return ProcessBadKeyword(line + 1);
        if (line[1] == ':') return ProcessBadLine(line);
        char* end = line + 1;
        while (IsAsciiLetterOrDigit(*end)) ++end;
        if (*end != ':') return ProcessBadKeyword(line + 1);
        char name[kMaxKeywordName + 1];
        size_t nameLength = std::min(static_cast<size_t>(end - (line + 1)), kMaxKeywordName);
        std::memcpy(name, line + 1, nameLength);
        name[nameLength] = 0;
        long r = ProcessNamedKeyword(name, end + 1);
        Bump(mnKeywordCount);
        return r;
    }
    if (!mnTableOpen) {
        mnTableType = 0;
        mnTableSubType = 0;
        long r = TableStart(line);
        if (r != 0) return r;
        if (!mnTableOpen) return ProcessBadLine(line);
    }
    return HandleTableRow(line);
}

long BTFReader::HandleTableRow(char* row) {
    if (mbSkipTableRows) return kNoErr;
    return ProcessTableRow(row);
}

long BTFReader::ProcessNamedKeyword(char* name, char* value) {
    unsigned long code = mpKeyList != nullptr ? mpKeyList->GetKeyCode(name) : 0;
    if (code == static_cast<unsigned long>(-1)) code = 0;
    if (code == 0) {
        UnhandledKeyword(name, value);
        return 1;
    }
    long r1 = ProcessBtfKeyword(code, value);
    long r2 = ProcessKeyword(code, value);
    if ((r1 == 1 && r2 == 1) || r2 == 2) UnhandledKeyword(name, value);
    return r2 < 0 ? r2 : r1;
}

void BTFReader::AnnounceTable() {
    if (mnTableOpen == 0) {
        PreTableStart(static_cast<long>(mnTableIndex) + 1);
        mnTableOpen = 1;
    }
}

long BTFReader::ProcessBtfKeyword(unsigned long code, char* value) {
    const char* p = value;
    switch (code) {
        case BtfCode("BTF_"): {
            char word[16];
            CStrConv::FindSubString(p, word, sizeof(word) - 1);
            std::snprintf(mszBtfVersion, sizeof(mszBtfVersion), "%s", word);
            double version = 0;
            CStrConv::StringToDouble(word, &version);
            mdBtfVersion = version;
            return kNoErr;
        }
        case BtfCode("ftyp"): {
            unsigned long type = 0;
            unsigned long subType = 0;
            p += CStrConv::SkipWhiteSpace(p);
            p += CStrConv::StringToCharCode(p, &type);
            p += CStrConv::SkipWhiteSpace(p);
            CStrConv::StringToCharCode(p, &subType);
            mnBtfFileType = static_cast<uint32_t>(type);
            mnBtfFileSubType = static_cast<uint32_t>(subType);
            long r = ValidateFileType(type, subType);
            return r > 0 ? kErrBadArgument : r;
        }
        // The stamp is the map's wall time and the zone says where that clock
        // runs. Either keyword may come first, so each settles the zone again
        // from what has been read: after the header the offset belongs to the
        // stamp's wall time whatever the order. A "%TimeZone:" line outranks
        // a label inside the stamp line.
        case BtfCode("tist"): {
            XStampText stamp = ParseStamp(p);
            SetBtfTimeStamp1904(static_cast<double>(stamp.wall + kSeconds1904To1970) +
                                stamp.fraction);
            if (stamp.label[0] && !mbSawTimeZoneKeyword) {
                SetBtfTimeZoneLabel(stamp.label, nullptr);
                mdBtfTimeZoneOffsetSeconds = stamp.hours * 3600.0;
                mnBtfTimeZoneDaylight = static_cast<int32_t>(stamp.daylight);
            }
            SettleBtfTimeZone(GetBtfTimeStamp1904());
            return kNoErr;
        }
        case BtfCode("tizn"): {
            char label[256];
            char city[256];
            double hours = 0;
            long daylight = 0;
            p += CStrConv::FindSubString(p, label, sizeof(label) - 1);
            CStrConv::StripTrailingWhiteSpace(label);
            p += CStrConv::StringToDouble(p, &hours);
            p += CStrConv::StringToLong(p, &daylight);
            CStrConv::FindSubString(p, city, sizeof(city) - 1);
            SetBtfTimeZoneLabel(label, city);
            mdBtfTimeZoneOffsetSeconds = Limited(hours, 1e6) * 3600.0;
            mnBtfTimeZoneDaylight = static_cast<int32_t>(daylight);
            mbSawTimeZoneKeyword = true;
            SettleBtfTimeZone(GetBtfTimeStamp1904());
            return kNoErr;
        }
        case BtfCode("timk"):
            p += CStrConv::SkipWhiteSpace(p);
            SetBtfTimeMark(CStrConv::FindChoice(p, "center begin end", -1, 0));
            return kNoErr;
        case BtfCode("tico"): {
            double amount = 0;
            p += CStrConv::StringToDouble(p, &amount);
            p += CStrConv::SkipWhiteSpace(p);
            double unit = 60;
            if (*p == 'h' || *p == 'H')
                unit = 3600;
            else if (*p == 's' || *p == 'S')
                unit = 1;
            SetBtfTimeCoverageSeconds(amount * unit);
            return kNoErr;
        }
        case BtfCode("site"): {
            mszBtfSiteName[0] = 0;
            p += BtfReadSiteCode(p, &mnBtfSiteCode);
            CStrConv::FindSubString(p, mszBtfSiteName, sizeof(mszBtfSiteName) - 1);
            return kNoErr;
        }
        case BtfCode("orig"): {
            double latitude = 0;
            double longitude = 0;
            p += CStrConv::StringToDouble(p, &latitude);
            CStrConv::StringToDouble(p, &longitude);
            mdBtfOriginLatitude = latitude;
            mdBtfOriginLongitude = longitude;
            return kNoErr;
        }
        case BtfCode("vpro"): {
            char name[256];
            char version[32];
            p += CStrConv::FindSubString(p, name, sizeof(name) - 1);
            CStrConv::FindSubString(p, version, sizeof(version) - 1);
            AddMetaToolName(name, version);
            return kNoErr;
        }
        case BtfCode("uuid"): {
            char word[512];
            SetBtfUUIDRef(nullptr);
            p += CStrConv::SkipWhiteSpace(p);
            CStrConv::FindSubString(p, word, sizeof(word) - 1);
            SetBtfUUIDFromString(word);
            return kNoErr;
        }
        case BtfCode("ttyp"): {
            unsigned long type = 0;
            unsigned long subType = 0;
            mnTableType = 0;
            mnTableSubType = 0;
            while (IsBlankOrTab(*p)) ++p;
            if (strnlen(p, 4) >= 4) {
                CStrConv::StringToCharCode(p, &type);
                mnTableType = static_cast<uint32_t>(type);
                while (*p != 0 && !IsBlankOrTab(*p)) ++p;
                while (IsBlankOrTab(*p)) ++p;
                if (strnlen(p, 4) >= 4) {
                    CStrConv::StringToCharCode(p, &subType);
                    mnTableSubType = static_cast<uint32_t>(subType);
                    AnnounceTable();
                }
            }
            return kNoErr;
        }
        case BtfCode("cols"): {
            long columns = 0;
            CStrConv::StringToLong(p, &columns);
            mnTableColumns = static_cast<int32_t>(columns);
            ClearColumnTypes();
            AnnounceTable();
            return kNoErr;
        }
        case BtfCode("ctyp"): {
            ClearColumnTypes();
            int count = 0;
            while (strnlen(p, 4) > 3 && count < kBtfMaxColumnTypes) {
                while (IsBlankOrTab(*p)) ++p;
                if (strnlen(p, 3) < 3) break;
                unsigned long column = 0;
                CStrConv::StringToCharCode(p, &column);
                mnColumnTypes[count++] = static_cast<uint32_t>(column);
                while (*p != 0 && !IsBlankOrTab(*p)) ++p;
            }
            AnnounceTable();
            return kNoErr;
        }
        case BtfCode("rows"): {
            long rows = 0;
            CStrConv::StringToLong(p, &rows);
            mnTableRows = static_cast<int32_t>(rows);
            AnnounceTable();
            return kNoErr;
        }
        case BtfCode("tbeg"):
            return TableStart(value);
        case BtfCode("tend"):
            return TableEnd();
        case BtfCode("end_"):
        case BtfCode("mfgr"):
        case BtfCode("ownr"):
        case BtfCode("tidn"):
        case BtfCode("user"):
            return kNoErr;
        case BtfCode("note"):
        case BtfCode("noti"):
        case BtfCode("rema"):
        case BtfCode("warn"):
        case BtfCode("fail"):
        case BtfCode("clam"):
        case BtfCode("crit"):
        case BtfCode("book"):
        case BtfCode("ucom"):
            AddBtfNote(code, mnLineCount, value[0] == ' ' ? value + 1 : value);
            return kNoErr;
        default:
            return 1;
    }
}

double BTFReader::StringToDate(const char* text, char* zoneLabel, double* zoneHours,
                               long* daylight) {
    XStampText stamp = ParseStamp(text);
    if (zoneLabel != nullptr) std::memcpy(zoneLabel, stamp.label, sizeof(stamp.label));
    if (zoneHours != nullptr) *zoneHours = stamp.hours;
    if (daylight != nullptr) *daylight = stamp.daylight;

    int64_t instant = stamp.wall;
    XZoneState zone{};
    if (stamp.label[0] != 0 && PlatformZoneAtWallTime(stamp.label, stamp.wall, &zone))
        instant = zone.unixSeconds;
    else if (stamp.hours != 0)
        instant = stamp.wall - static_cast<int64_t>(std::llround(stamp.hours * 3600.0));
    return static_cast<double>(instant - kSeconds1970To2001) + stamp.fraction;
}

long BTFReader::ValidateFileType(unsigned long, unsigned long) {
    return kNoErr;
}
long BTFReader::ProcessKeyword(unsigned long, char*) {
    return 1;
}
long BTFReader::ProcessTableRow(char*) {
    return kNoErr;
}
long BTFReader::ProcessBadLine(char*) {
    return kNoErr;
}
long BTFReader::ProcessBadKeyword(char*) {
    return kNoErr;
}
long BTFReader::ProcessComment(char*) {
    return kNoErr;
}
long BTFReader::PreTableStart(long) {
    return kNoErr;
}
long BTFReader::TableStarting(long) {
    return kNoErr;
}
long BTFReader::UnhandledKeyword(char*, char*) {
    return 1;
}

long BTFReader::TableStart(char*) {
    // Announced or not, a table gets the next number, so the first table of
    // a file is always table 1.
    bool announced = mnTableOpen != 0;
    Bump(mnTableIndex);
    if (!announced) {
        PreTableStart(mnTableIndex);
        mnTableOpen = 1;
    }
    return TableStarting(mnTableIndex);
}

long BTFReader::TableEnd() {
    mnTableOpen = 0;
    return kNoErr;
}
