#include "BTFKeyList.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "BvkErrors.h"

namespace {

constexpr uint32_t kKeyListTag = BtfCode("btfk");
constexpr int32_t kKeyGrowth = 1024;
// Names are compared over at most this many bytes; a stored name keeps one
// more so that an over-long name stays recognisably over-long.
constexpr int kNameCompareLength = 32;
constexpr int kNameStoreLength = 33;

// Bytes compared with bit 0x20 set: ASCII letters match regardless of case.
bool NameMatches(const char* entry, const char* name) {
    for (int i = 0; i < kNameCompareLength; ++i) {
        unsigned char a = static_cast<unsigned char>(name[i]) | 0x20;
        unsigned char b = static_cast<unsigned char>(entry[i]) | 0x20;
        if (a != b) return false;
        if (name[i] == 0) return true;
    }
    return false;
}

}  // namespace

// clang-format off
const XBtfKeyList xBtfStandardList[125] = {
    {BtfCode("BTF_"), "BTF"},
    {BtfCode("ftyp"), "FileType"},
    {BtfCode("timk"), "TimeMarks"},
    {BtfCode("tist"), "TimeStamp"},
    {BtfCode("tizn"), "TimeZone"},
    {BtfCode("end_"), "End"},
    {BtfCode("sect"), "BeginSection"},
    {BtfCode("send"), "EndSection"},
    {BtfCode("mark"), "Mark"},
    {BtfCode("cols"), "TableColumns"},
    {BtfCode("rows"), "TableRows"},
    {BtfCode("ttyp"), "TableType"},
    {BtfCode("ctyp"), "TableColumnTypes"},
    {BtfCode("tbeg"), "TableStart"},
    {BtfCode("tend"), "TableEnd"},
    {BtfCode("site"), "Site"},
    {BtfCode("ownr"), "Owner"},
    {BtfCode("mfgr"), "Manufacturer"},
    {BtfCode("vpro"), "ProcessingTool"},
    {BtfCode("user"), "ProcessedBy"},
    {BtfCode("tidn"), "ProcessedTimeStamp"},
    {BtfCode("tico"), "TimeCoverage"},
    {BtfCode("orig"), "Origin"},
    {BtfCode("rxpt"), "ReceiverLocation"},
    {BtfCode("txpt"), "TransmitterLocation"},
    {BtfCode("antb"), "AntennaBearing"},
    {BtfCode("refb"), "ReferenceBearing"},
    {BtfCode("refc"), "ReferenceChannel"},
    {BtfCode("rlos"), "ReferenceLoss"},
    {BtfCode("txfq"), "TransmitCenterFreqMHz"},
    {BtfCode("txbw"), "TransmitBandwidthKHz"},
    {BtfCode("txsr"), "TransmitSweepRateHz"},
    {BtfCode("rcel"), "RangeCell"},
    {BtfCode("nrng"), "RangeCells"},
    {BtfCode("rbeg"), "RangeStart"},
    {BtfCode("rend"), "RangeEnd"},
    {BtfCode("rdis"), "RangeResolutionKMeters"},
    {BtfCode("rdsm"), "RangeResolutionMeters"},
    {BtfCode("ndop"), "DopplerCells"},
    {BtfCode("dhpb"), "DopplerResolutionHzPerBin"},
    {BtfCode("brgp"), "BraggPolarity"},
    {BtfCode("brgv"), "BraggVelocity"},
    {BtfCode("nmrd"), "MergedCount"},
    {BtfCode("slst"), "SiteList"},
    {BtfCode("ancr"), "AntennaCorrection"},
    {BtfCode("gdst"), "GridSpacing"},
    {BtfCode("garo"), "GridAxisOrientation"},
    {BtfCode("gaty"), "GridAxisType"},
    {BtfCode("avra"), "AveragingRadius"},
    {BtfCode("dapl"), "DistanceAngularLimit"},
    {BtfCode("siti"), "SiteIndex"},
    {BtfCode("prrc"), "RangeCellsToProcess"},
    {BtfCode("rfag"), "ReferenceAngle"},
    {BtfCode("mxcv"), "MaximumCurrentVelocity"},
    {BtfCode("cvlm"), "CurrentVelocityLimit"},
    {BtfCode("bspt"), "BraggSmoothingPoints"},
    {BtfCode("rpdo"), "RadialBraggPeakDropOff"},
    {BtfCode("bord"), "BraggHasSecondOrder"},
    {BtfCode("rbpn"), "RadialBraggPeakNull"},
    {BtfCode("rbnt"), "RadialBraggNoiseThreshold"},
    {BtfCode("wpdo"), "WaveBraggPeakDropOff"},
    {BtfCode("wprc"), "WaveRangeCell"},
    {BtfCode("wmpd"), "MaximumWavePeriod"},
    {BtfCode("wbpn"), "WaveBraggPeakNull"},
    {BtfCode("wbnt"), "WaveBraggNoiseThreshold"},
    {BtfCode("wblm"), "WaveBearingLimits"},
    {BtfCode("wuib"), "WaveUseInnerBragg"},
    {BtfCode("wwfw"), "WavesFollowTheWind"},
    {BtfCode("wmmd"), "WaveMergeMethod"},
    {BtfCode("kcsa"), "KeepLongTimeCrossSpectra"},
    {BtfCode("kcss"), "KeepShortTimeCrossSpectra"},
    {BtfCode("krad"), "KeepRadialsAndWaves"},
    {BtfCode("pamc"), "PatternAmplitudeCorrections"},
    {BtfCode("bamc"), "PatternAmplitudeCalculations"},
    {BtfCode("pphc"), "PatternPhaseCorrections"},
    {BtfCode("bphc"), "PatternPhaseCalculations"},
    {BtfCode("ccov"), "CoastlineSector"},
    {BtfCode("mupm"), "RadialMusicParameters"},
    {BtfCode("rasm"), "RadialSmoothingParameters"},
    {BtfCode("rmpf"), "RadialMinimumMergePoints"},
    {BtfCode("heat"), "Temperature"},
    {BtfCode("baro"), "Barometer"},
    {BtfCode("humi"), "Humidity"},
    {BtfCode("gerd"), "GreatCircle"},
    {BtfCode("vgeo"), "GeodVersion"},
    {BtfCode("vgrd"), "GridVersion"},
    {BtfCode("ares"), "AngularResolution"},
    {BtfCode("asmo"), "AngularSmoothing"},
    {BtfCode("ucom"), "UserComment"},
    {BtfCode("patk"), "PatternType"},
    {BtfCode("patd"), "PatternDate"},
    {BtfCode("pats"), "PatternSmoothing"},
    {BtfCode("patr"), "PatternResolution"},
    {BtfCode("pati"), "PatternUUID"},
    {BtfCode("dist"), "Distance"},
    {BtfCode("focu"), "FirstOrderCalc"},
    {BtfCode("cmed"), "CombineMethod"},
    {BtfCode("lluv"), "LLUVSpec"},
    {BtfCode("rmed"), "MergeMethod"},
    {BtfCode("pmed"), "PatternMethod"},
    {BtfCode("uvun"), "UVUnits"},
    {BtfCode("xyun"), "XYUnits"},
    {BtfCode("dbeg"), "DopplerStart"},
    {BtfCode("dend"), "DopplerEnd"},
    {BtfCode("uuid"), "UUID"},
    {BtfCode("note"), "Note"},
    {BtfCode("noti"), "Notice"},
    {BtfCode("rema"), "Mark"},
    {BtfCode("rema"), "Remark"},
    {BtfCode("warn"), "Warning"},
    {BtfCode("fail"), "Failure"},
    {BtfCode("clam"), "Disclaimer"},
    {BtfCode("crit"), "Copyright"},
    {BtfCode("book"), "Bookmark"},
    {BtfCode("tdbr"), "TsunamiDirectionOfArrival"},
    {BtfCode("tstw"), "TsunamiDetStripThickness"},
    {BtfCode("tsbr"), "TsunamiDetShelfBearing"},
    {BtfCode("trbc"), "TsunamiDetRadCoverageLong"},
    {BtfCode("trqc"), "TsunamiDetRadCoverageShort"},
    {BtfCode("tsty"), "TsunamiSimType"},
    {BtfCode("tsst"), "TsunamiSimShelfStart"},
    {BtfCode("tssf"), "TsunamiSimSlowness"},
    {BtfCode("tswh"), "TsunamiSimWaveHeight"},
    {BtfCode("tswp"), "TsunamiSimWavePeriod"},
    {0, ""},
};
// clang-format on

BTFKeyList::BTFKeyList()
    : mnClassTag(kKeyListTag), mnKeyCount(0), mnKeyCapacity(0), mpKeys(nullptr) {
    AddKeyList(xBtfStandardList);
}

BTFKeyList::~BTFKeyList() {
    ClearKeyList();
    mnClassTag = 0;
}

void BTFKeyList::ClearKeyList() {
    std::free(mpKeys);
    mpKeys = nullptr;
    mnKeyCount = 0;
    mnKeyCapacity = 0;
}

void BTFKeyList::AddKey(const char* name, unsigned long code) {
    if (!IsValidClass() || name == nullptr || *name == 0 || code == 0) return;
    int32_t slot = -1;
    for (int32_t i = 0; i < mnKeyCount && mpKeys != nullptr; ++i) {
        if (mpKeys[i].mnCode == 0) {
            slot = i;
            break;
        }
    }
    if (slot < 0) {
        if (mnKeyCount + 1 > mnKeyCapacity) {
            if (mnKeyCapacity > std::numeric_limits<int32_t>::max() - kKeyGrowth) return;
            int32_t capacity = mnKeyCapacity + kKeyGrowth;
            // Only the first mnKeyCount records are ever read, and each is
            // written whole before it counts: the rest stay untouched.
            auto* grown = static_cast<XBtfKeyList*>(
                std::malloc(static_cast<size_t>(capacity) * sizeof(XBtfKeyList)));
            if (grown == nullptr) return;
            if (mpKeys != nullptr && mnKeyCount > 0)
                std::memcpy(grown, mpKeys, sizeof(XBtfKeyList) * mnKeyCount);
            std::free(mpKeys);
            mpKeys = grown;
            mnKeyCapacity = capacity;
        }
        slot = mnKeyCount++;
    }
    XBtfKeyList& entry = mpKeys[slot];
    entry.mnCode = static_cast<uint32_t>(code);
    std::memset(entry.mszName, 0, sizeof(entry.mszName));
    std::memcpy(entry.mszName, name, strnlen(name, kNameStoreLength));
}

void BTFKeyList::AddKeyList(const XBtfKeyList* list) {
    if (list == nullptr) return;
    if (IsValidClass() && mpKeys == nullptr && mnKeyCount == 0) {
        // Every reader and writer starts with the standard vocabulary in an
        // empty list: it has no free slots to look for, so the records are
        // taken in one pass, as AddKey would store them.
        int32_t count = 0;
        while (count < std::numeric_limits<int32_t>::max() - kKeyGrowth &&
               list[count].mnCode != 0 && list[count].mszName[0] != 0)
            ++count;
        const int32_t capacity = (count + kKeyGrowth - 1) / kKeyGrowth * kKeyGrowth;
        if (capacity == 0) return;
        // Every reader and writer has a list: clearing all its records (40 KB)
        // touched pages the vocabulary (5 KB) never uses.
        auto* keys = static_cast<XBtfKeyList*>(
            std::malloc(static_cast<size_t>(capacity) * sizeof(XBtfKeyList)));
        if (keys == nullptr) return;
        std::memset(keys, 0, static_cast<size_t>(count) * sizeof(XBtfKeyList));
        for (int32_t i = 0; i < count; ++i) {
            keys[i].mnCode = list[i].mnCode;
            std::memcpy(keys[i].mszName, list[i].mszName,
                        strnlen(list[i].mszName, kNameStoreLength));
        }
        mpKeys = keys;
        mnKeyCount = count;
        mnKeyCapacity = capacity;
        return;
    }
    for (; list->mnCode != 0 && list->mszName[0] != 0; ++list) AddKey(list->mszName, list->mnCode);
}

long BTFKeyList::FindKeyIndex(unsigned long code, long start) const {
    if (!IsValidClass() || code == 0 || mpKeys == nullptr || mnKeyCount <= 0) return -1;
    if (start < 0) start = 0;
    for (long i = start; i < mnKeyCount; ++i) {
        if (mpKeys[i].mnCode == code) return i;
    }
    return -1;
}

long BTFKeyList::FindKeyIndex(const char* name, long start) const {
    if (!IsValidClass() || name == nullptr || *name == 0 || mpKeys == nullptr || mnKeyCount <= 0)
        return -1;
    if (start < 0) start = 0;
    for (long i = start; i < mnKeyCount; ++i) {
        if (NameMatches(mpKeys[i].mszName, name)) return i;
    }
    return -1;
}

unsigned long BTFKeyList::GetKeyCode(const char* name) const {
    if (!IsValidClass()) return static_cast<unsigned long>(-1);
    long index = FindKeyIndex(name, 0);
    return index < 0 ? 0 : mpKeys[index].mnCode;
}

long BTFKeyList::GetKeyName(char* name, unsigned long code, long index) const {
    if (name != nullptr) *name = 0;
    if (!IsValidClass() || mpKeys == nullptr) return -1;
    long found = index;
    if (code != 0)
        found = FindKeyIndex(code, index);
    else if (index < 0 || index >= mnKeyCount)
        found = -1;
    if (found < 0) return -1;
    if (name != nullptr) std::memcpy(name, mpKeys[found].mszName, kNameStoreLength + 1);
    return found;
}

long BTFKeyList::EncodeString(const char* text, long length, char** encoded, long* encodedLength) {
    if (encoded != nullptr) *encoded = nullptr;
    if (encodedLength != nullptr) *encodedLength = 0;
    if (text == nullptr || encoded == nullptr) return kErrBadArgument;
    if (length < 0) length = static_cast<long>(std::strlen(text));
    if (length < 1) return kNoErr;
    if (length > (std::numeric_limits<long>::max() - 16) / 4) return kErrOutOfMemory;
    auto* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(length) * 4 + 16));
    if (buffer == nullptr) return kErrOutOfMemory;
    static constexpr char kHex[] = "0123456789ABCDEF";
    char* out = buffer;
    for (long i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            *out++ = '\\';
            *out++ = 'r';
        } else if (c == '\n') {
            *out++ = '\\';
            *out++ = 'n';
        } else if (c == '\\') {
            *out++ = '\\';
            *out++ = '\\';
        } else if (c < 32) {
            *out++ = '\\';
            *out++ = 'x';
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 15];
        } else {
            *out++ = static_cast<char>(c);
        }
    }
    *out = 0;
    long count = out - buffer;
    if (char* shrunk = static_cast<char*>(std::realloc(buffer, static_cast<size_t>(count) + 1)))
        buffer = shrunk;
    *encoded = buffer;
    if (encodedLength != nullptr) *encodedLength = count;
    return kNoErr;
}

long BTFKeyList::IsValidClass() const {
    return mnClassTag == kKeyListTag ? 1 : 0;
}
