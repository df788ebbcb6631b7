#pragma once
// What a BTF table file says about itself, apart from its tables: format
// version, file type, site, origin, time stamp with its zone, coverage and
// time mark, identifier, processing tools and notes. The reader fills it from
// the standard keywords, the writer writes from it, and the formats built on
// them read and set the fields directly.

#include <cstdint>
#include <string>
#include <vector>

#include "PlatformUuid.h"
#include "cFile.h"

// Seconds from 1904-01-01 00:00 to 2001-01-01 00:00.
constexpr double kBtfSeconds1904To2001 = 3061152000.0;

// The `when` of UpdateBtfTimeZone that stands for "the metadata's own time".
constexpr double kBtfNoInstant = 1e-37;

constexpr int kBtfToolSlots = 64;

class BTFMeta : public CFile {
  public:
    char mszBtfVersion[16];
    double mdBtfVersion;
    uint32_t mnBtfFileType;
    uint32_t mnBtfFileSubType;
    uint32_t mnBtfSiteCode;
    char mszBtfSiteName[256];
    double mdBtfOriginLongitude;
    double mdBtfOriginLatitude;
    int32_t mnBtfTimeMark;  // 0 center, 1 start, 2 end, -1 none
    double mdBtfTimeStamp;  // T: seconds from 2001-01-01 00:00
    double mdBtfTimeCoverageSeconds;
    double mdBtfTimeZoneOffsetSeconds;  // Z: seconds east of GMT
    int32_t mnBtfTimeZoneDaylight;
    char mszBtfTimeZone[256];  // zone label (abbreviation or name)
    char mszBtfCityZone[256];  // zone database name
    char mszBtfToolNames[kBtfToolSlots][256];
    char mszBtfToolVersions[kBtfToolSlots][32];
    XPlatformUuid* mpBtfUUID;  // owned copy, or null
    // The notes, in the order added: kind (key code), position (line number)
    // and text kept byte for byte.
    std::vector<uint32_t> mpBtfNoteKinds;
    std::vector<double> mpBtfNotePositions;
    std::vector<std::string> mpBtfNoteTexts;

    BTFMeta();
    virtual ~BTFMeta();
    BTFMeta(const BTFMeta&) = delete;
    BTFMeta& operator=(const BTFMeta&) = delete;

    void ClearMeta();
    void ClearBtfNotes();

    // Number of notes after adding.
    long AddBtfNote(unsigned long kind, double position, const char* text);

    // The note at `index`, or with an active filter (*kind nonzero, *position
    // nonzero) the first note from `index` on that passes it. Index or -1.
    long GetBtfNote(long index, unsigned long* kind, double* position, char* text, long textSize);
    // Exactly the note at `index` (the filters are zeroed first).
    long GetBtfNoteAtIndex(long index, unsigned long* kind, double* position, char* text,
                           long textSize);

    // The stored T is local wall time: T = s - I (1904 seconds s, I the
    // 1904-to-2001 span) and T = a + Z (absolute seconds a since 2001 GMT, Z
    // the offset east of GMT), so at Z = -8 h GMT is eight hours after T.
    void SetBtfTimeStamp1904(double seconds);
    double GetBtfTimeStamp1904() const;
    void SetBtfAbsoluteTime(double seconds);
    double GetBtfAbsoluteTime() const;

    double GetBtfTimeZoneOffsetSeconds() const { return mdBtfTimeZoneOffsetSeconds; }
    void SetBtfTimeZoneOffsetSeconds(double seconds) { mdBtfTimeZoneOffsetSeconds = seconds; }
    void SetBtfTimeCoverageSeconds(double seconds) { mdBtfTimeCoverageSeconds = seconds; }
    const char* GetBtfTimeZone() const { return mszBtfTimeZone; }
    const char* GetBtfCityZone() const { return mszBtfCityZone; }
    // Non-null arguments replace their field; the label loses trailing blanks
    // and tabs.
    void SetBtfTimeZoneLabel(const char* label, const char* city);
    long HasBtfTimeZone() const;
    // Recomputes the offset and daylight flag from the city zone, else the
    // label, at the instant `when` (absolute seconds; kBtfNoInstant: the
    // instant of the metadata's own wall time, as SettleBtfTimeZone). A zone
    // nobody knows leaves both as they are, so a file that states its own
    // offset under an unknown label keeps it.
    void UpdateBtfTimeZone(const char* label, const char* city, double when);
    // The same for the instant at which the zone's clock shows `seconds1904`
    // (a repeated hour: its daylight side; a skipped hour: the offset before
    // the gap). 1 when the zone is known.
    long SettleBtfTimeZone(double seconds1904);
    long GetBtfTimeMark() const { return mnBtfTimeMark; }
    void SetBtfTimeMark(long mark) { mnBtfTimeMark = static_cast<int32_t>(mark); }
    long GetBtfTimeZoneDaylightSavings() const { return mnBtfTimeZoneDaylight; }
    void SetBtfTimeZoneDaylightSavings(long daylight) {
        mnBtfTimeZoneDaylight = static_cast<int32_t>(daylight);
    }

    void SetBtfUUIDRef(CFUUIDRef uuid);
    void SetBtfUUIDFromString(const char* text);
    // Upper-case 8-4-4-4-12 text, or empty when there is no identifier.
    void GetBtfUUIDString(char* text, long size) const;

    // The slot of the same name (case ignored), else the first free one.
    // A null version removes the tool. 0; -50 without a name; 1 when all
    // slots hold other tools.
    long AddMetaToolName(const char* name, const char* version);

  private:
    long SettleZone(bool isWallTime, int64_t unixSeconds);
};
