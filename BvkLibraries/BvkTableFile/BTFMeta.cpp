#include "BTFMeta.h"

#include <cmath>
#include <cstring>

#include "BTFKeyList.h"
#include "BvkErrors.h"
#include "PlatformTime.h"
#include "PlatformZone.h"
#include "cStrConv.h"

namespace {

// Copies `text` into a fixed field of `size` bytes, cut to fit.
void CopyField(char* field, size_t size, const char* text) {
    size_t n = text == nullptr ? 0 : strnlen(text, size - 1);
    if (n > 0) std::memcpy(field, text, n);
    field[n] = 0;
}

// Seconds since 2001 (absolute, or 1904 seconds less the 1904-to-2001
// span) as seconds since 1970, held inside the range the zone services
// accept.
int64_t SecondsSince2001To1970(double seconds) {
    double unix = seconds + static_cast<double>(kSeconds1970To2001);
    if (!(unix > -1e11)) return static_cast<int64_t>(-1e11);  // also NaN
    if (unix > 1e11) return static_cast<int64_t>(1e11);
    return static_cast<int64_t>(std::floor(unix));
}

}  // namespace

BTFMeta::BTFMeta() : mpBtfUUID(nullptr) {
    ClearMeta();
}

// Only the identifier is owned; clearing the 18 KB of text fields of an
// object that is going away would cost every table file read or written.
BTFMeta::~BTFMeta() {
    SetBtfUUIDRef(nullptr);
}

void BTFMeta::ClearMeta() {
    ClearBtfNotes();
    SetBtfUUIDRef(nullptr);
    std::memset(mszBtfVersion, 0, sizeof(mszBtfVersion));
    mdBtfVersion = 0;
    mnBtfFileType = 0;
    mnBtfFileSubType = 0;
    mnBtfSiteCode = BtfCode("XXXX");
    std::memset(mszBtfSiteName, 0, sizeof(mszBtfSiteName));
    mdBtfOriginLongitude = 0;
    mdBtfOriginLatitude = 0;
    mnBtfTimeMark = -1;
    mdBtfTimeStamp = 0;
    mdBtfTimeCoverageSeconds = 0;
    mdBtfTimeZoneOffsetSeconds = 0;
    mnBtfTimeZoneDaylight = 0;
    std::memset(mszBtfTimeZone, 0, sizeof(mszBtfTimeZone));
    std::memset(mszBtfCityZone, 0, sizeof(mszBtfCityZone));
    std::memset(mszBtfToolNames, 0, sizeof(mszBtfToolNames));
    std::memset(mszBtfToolVersions, 0, sizeof(mszBtfToolVersions));
}

void BTFMeta::ClearBtfNotes() {
    mpBtfNoteKinds = {};
    mpBtfNotePositions = {};
    mpBtfNoteTexts = {};
}

long BTFMeta::AddBtfNote(unsigned long kind, double position, const char* text) {
    mpBtfNoteKinds.push_back(static_cast<uint32_t>(kind));
    mpBtfNotePositions.push_back(position);
    mpBtfNoteTexts.emplace_back(text == nullptr ? "" : text);
    return static_cast<long>(mpBtfNoteKinds.size());
}

long BTFMeta::GetBtfNote(long index, unsigned long* kind, double* position, char* text,
                         long textSize) {
    long count = static_cast<long>(mpBtfNoteKinds.size());
    if (count == 0 || index < 0 || index >= count) return -1;
    bool byKind = kind != nullptr && *kind != 0;
    bool byPosition = position != nullptr && *position != 0;
    long found = index;
    if (byKind || byPosition) {
        found = -1;
        for (long i = index; i < count; ++i) {
            if (byKind && mpBtfNoteKinds[i] != *kind) continue;
            if (byPosition && std::fabs(mpBtfNotePositions[i] - *position) >= 1e-80) continue;
            found = i;
            break;
        }
        if (found < 0) return -1;
    }
    if (kind != nullptr) *kind = mpBtfNoteKinds[found];
    if (position != nullptr) *position = mpBtfNotePositions[found];
    if (text != nullptr && textSize > 0)
        CopyField(text, static_cast<size_t>(textSize), mpBtfNoteTexts[found].c_str());
    return found;
}

long BTFMeta::GetBtfNoteAtIndex(long index, unsigned long* kind, double* position, char* text,
                                long textSize) {
    if (kind != nullptr) *kind = 0;
    if (position != nullptr) *position = 0;
    return GetBtfNote(index, kind, position, text, textSize);
}

void BTFMeta::SetBtfTimeStamp1904(double seconds) {
    mdBtfTimeStamp = seconds - kBtfSeconds1904To2001;
}

double BTFMeta::GetBtfTimeStamp1904() const {
    return mdBtfTimeStamp + kBtfSeconds1904To2001;
}

// Local time is absolute time plus the offset east of GMT: T = a + Z.
void BTFMeta::SetBtfAbsoluteTime(double seconds) {
    mdBtfTimeStamp = seconds + mdBtfTimeZoneOffsetSeconds;
}

double BTFMeta::GetBtfAbsoluteTime() const {
    return mdBtfTimeStamp - mdBtfTimeZoneOffsetSeconds;
}

void BTFMeta::SetBtfTimeZoneLabel(const char* label, const char* city) {
    if (label != nullptr) {
        CopyField(mszBtfTimeZone, sizeof(mszBtfTimeZone), label);
        CStrConv::StripTrailingWhiteSpace(mszBtfTimeZone);
    }
    if (city != nullptr) CopyField(mszBtfCityZone, sizeof(mszBtfCityZone), city);
}

long BTFMeta::HasBtfTimeZone() const {
    return (mszBtfTimeZone[0] || mszBtfCityZone[0]) ? 1 : 0;
}

void BTFMeta::UpdateBtfTimeZone(const char* label, const char* city, double when) {
    if (label != nullptr) CopyField(mszBtfTimeZone, sizeof(mszBtfTimeZone), label);
    if (city != nullptr) CopyField(mszBtfCityZone, sizeof(mszBtfCityZone), city);
    if (when == kBtfNoInstant) {
        SettleBtfTimeZone(GetBtfTimeStamp1904());
        return;
    }
    SettleZone(false, SecondsSince2001To1970(when));
}

long BTFMeta::SettleBtfTimeZone(double seconds1904) {
    return SettleZone(true, SecondsSince2001To1970(seconds1904 - kBtfSeconds1904To2001));
}

long BTFMeta::SettleZone(bool isWallTime, int64_t seconds) {
    XZoneState state{};
    auto ask = [&](const char* name) {
        if (name[0] == 0) return false;
        return (isWallTime ? PlatformZoneAtWallTime(name, seconds, &state)
                           : PlatformZoneAtInstant(name, seconds, &state)) != 0;
    };
    if (!ask(mszBtfCityZone) && !ask(mszBtfTimeZone)) return 0;
    mdBtfTimeZoneOffsetSeconds = static_cast<double>(state.offsetSeconds);
    mnBtfTimeZoneDaylight = static_cast<int32_t>(state.isDaylight);
    return 1;
}

void BTFMeta::SetBtfUUIDRef(CFUUIDRef uuid) {
    delete mpBtfUUID;
    mpBtfUUID = uuid == nullptr ? nullptr : new XPlatformUuid(*uuid);
}

void BTFMeta::SetBtfUUIDFromString(const char* text) {
    SetBtfUUIDRef(nullptr);
    XPlatformUuid parsed;
    if (PlatformUuidParse(text, &parsed) == kNoErr) SetBtfUUIDRef(&parsed);
}

void BTFMeta::GetBtfUUIDString(char* text, long size) const {
    if (text == nullptr || size < 1) return;
    *text = 0;
    if (mpBtfUUID != nullptr) PlatformUuidFormat(*mpBtfUUID, text, size);
}

long BTFMeta::AddMetaToolName(const char* name, const char* version) {
    if (name == nullptr || *name == 0) return kErrBadArgument;
    int slot = -1;
    for (int i = 0; i < kBtfToolSlots && slot < 0; ++i) {
        if (mszBtfToolNames[i][0] && CStrConv::StringCompare(mszBtfToolNames[i], name, 1, 0) == 0)
            slot = i;
    }
    for (int i = 0; i < kBtfToolSlots && slot < 0; ++i) {
        if (mszBtfToolNames[i][0] == 0) slot = i;
    }
    if (slot < 0) return 1;
    if (version == nullptr) {
        mszBtfToolNames[slot][0] = 0;
        mszBtfToolVersions[slot][0] = 0;
        return kNoErr;
    }
    CopyField(mszBtfToolNames[slot], sizeof(mszBtfToolNames[slot]), name);
    CopyField(mszBtfToolVersions[slot], sizeof(mszBtfToolVersions[slot]), version);
    return kNoErr;
}
