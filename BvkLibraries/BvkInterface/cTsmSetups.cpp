#include "cTsmSetups.h"

#include "BvkErrors.h"
#include "cGeo.h"
#include "cStrConv.h"

#include <cstring>

namespace {

constexpr uint32_t kCodeXXXX = 0x58585858;  // 'XXXX'
constexpr long kLineChars = 255;
constexpr long kHeaderLines = 28;
constexpr long kCompleteHeaderLines = 19;
constexpr long kMaxListLines = 1023;

constexpr const char* kDefaultHeaderPath = "/Brenvik/Tesmara/Configs/RadialConfigs/Header.txt";
constexpr const char* kDefaultPhasesPath = "/Brenvik/Tesmara/Configs/RadialConfigs/Phases.txt";
constexpr const char* kDefaultListPath = "/Brenvik/Tesmara/Data/Processing/SpectraToProcess.txt";

// Walks the values of one line from the left. A value is taken only while
// text remains; one that is not there leaves its target alone.
class CValueReader {
public:
    explicit CValueReader(const char* text) : mp(text) {}

    bool More() {
        mp += CStrConv::SkipWhiteSpace(mp);
        if (*mp == ',') {
            ++mp;
            mp += CStrConv::SkipWhiteSpace(mp);
        }
        return *mp != 0;
    }
    void Long(int32_t* target) {
        if (!More()) return;
        long value = 0;
        mp += CStrConv::StringToLong(mp, &value);
        *target = static_cast<int32_t>(value);
    }
    void Double(double* target) {
        if (!More()) return;
        mp += CStrConv::StringToDouble(mp, target);
    }
    void Doubles(double* targets, int count) {
        for (int i = 0; i < count; ++i) Double(&targets[i]);
    }
    void Longs(int32_t* targets, int count) {
        for (int i = 0; i < count; ++i) Long(&targets[i]);
    }
    void Code(uint32_t* target) {
        if (!More()) return;
        unsigned long code = 0;
        mp += CStrConv::StringToCharCode(mp, &code);
        *target = static_cast<uint32_t>(code);
    }
    // A word or quoted string of at most `size` - 1 characters.
    void Word(char* target, unsigned long size, bool bStripTrailing) {
        if (!More()) return;
        mp += CStrConv::FindSubString(mp, target, size - 1);
        if (bStripTrailing) CStrConv::StripTrailingWhiteSpace(target);
    }
    void Position(double* latitude, double* longitude) {
        if (!More()) return;
        CGeo point;
        mp += point.SetLatLon(mp);
        *latitude = point.GetLatitude();
        *longitude = point.GetLongitude();
    }

private:
    const char* mp;
};

}  // namespace

CTsmSetups::CTsmSetups() { ClearValues(); }

CTsmSetups::~CTsmSetups() = default;

void CTsmSetups::ClearValues() {
    mbDefaultsSet = 0;
    mnLinesRead = mnNonEmptyLines = 0;
    mbHeaderLoaded = 0;
    mnLine1A = 0;
    mnSiteCode = 0;
    mszSiteName[0] = 0;
    mdLatitude = mdLongitude = mdAntennaBearing = 0;
    mnLine4A = 0;
    mdLine4B = mdLine4C = mdLine5 = mdLine6 = mdLine7 = 0;
    mnLine8 = 0;
    mdLine9 = 0;
    mszLine10A[0] = 0;
    mdLine10B = 0;
    mszLine10C[0] = 0;
    mdLine11A = 0;
    mnLine11B = 0;
    mdLine12A = 0;
    mnLine12B = 0;
    mdLine12C = 0;
    mnLine13 = mnLine14A = 0;
    mdLine14B = 0;
    memset(mdLine15, 0, sizeof(mdLine15));
    memset(mnLine16, 0, sizeof(mnLine16));
    memset(mdLine17, 0, sizeof(mdLine17));
    memset(mdLine18, 0, sizeof(mdLine18));
    memset(mdLine19, 0, sizeof(mdLine19));
    mcDateSeparator = mcFieldSeparator = 0;
    memset(mdLine21, 0, sizeof(mdLine21));
    mnLine21D = 0;
    mdLine22 = 0;
    memset(mdLine23, 0, sizeof(mdLine23));
    mnLine23D = 0;
    mdLine24 = 0;
    mnLine25 = 0;
    memset(mdLine26, 0, sizeof(mdLine26));
    memset(mnLine27, 0, sizeof(mnLine27));
    mdLine28 = 0;
    mbPhasesLoaded = 0;
    mdPhase[0] = mdPhase[1] = 0;
}

void CTsmSetups::SetDefaultValues() {
    ClearValues();
    mbDefaultsSet = 1;
    mnSiteCode = kCodeXXXX;
    mnLine4A = 30;
    mdLine4B = 0.999;
    mdLine4C = 0.999;
    mdLine5 = 90.0;
    mdLine6 = 1.0;
    mdLine7 = 0.0;
    mnLine8 = 512;
    mdLine9 = 0.00390625;
    mdLine10B = 0.0;
    mdLine11A = 150.0;
    mnLine11B = 2;
    mdLine12A = 15.0;
    mnLine12B = 1;
    mdLine12C = 100.0;
    mnLine13 = 0;
    mnLine14A = 2;
    mdLine14B = 17.0;
    const double line15[4] = {7.5, 4.0, 10.0, 3.0};
    memcpy(mdLine15, line15, sizeof(mdLine15));
    mnLine16[0] = mnLine16[1] = mnLine16[2] = 1024;
    mdLine17[0] = mdLine17[1] = mdLine17[2] = mdLine17[3] = 1.0;
    const double line19[7] = {20.0, 10.0, 3.0, 15.0, 15.0, 25.0, 15.0};
    memcpy(mdLine19, line19, sizeof(mdLine19));
    mcDateSeparator = '_';
    mcFieldSeparator = '-';
    mdLine21[0] = mdLine23[0] = 75.0;
    mdLine21[1] = mdLine23[1] = 60.0;
    mdLine22 = 5.0;
    mdLine24 = 1.0;
    mnLine27[0] = mnLine27[1] = 1;
    mdLine28 = 360.0;
}

// The object takes `file` (adding `fileName` when it names a folder), or the
// default path.
long CTsmSetups::NameFile(CFileSpec* file, const char* fileName, const char* defaultPath) {
    if (file == nullptr) return SetFileSpec(defaultPath);
    long err = SetFileSpec(static_cast<const CFileSpec*>(file));
    if (err != kNoErr) return err;
    if (IsFolder()) err = SetFileSpec(fileName);
    return err;
}

long CTsmSetups::ImportHeaderFile(CFileSpec* file, long maxLines) {
    long err = NameFile(file, "Header.txt", kDefaultHeaderPath);
    if (err == kNoErr) err = OpenReadOnlyFile(nullptr);
    if (err != kNoErr) return err;
    mnLinesRead = mnNonEmptyLines = 0;
    char line[kLineChars + 1];
    while (mnLinesRead < kHeaderLines) {
        long length = 0;
        err = ReadTextLine(line, &length, kLineChars);
        if (err != kNoErr) break;
        ++mnLinesRead;
        if (line[0] != 0) ++mnNonEmptyLines;
        ReadHeaderLine(mnLinesRead, line);
        if (maxLines > 0 && mnLinesRead >= maxLines) break;
    }
    CloseFile();
    if (err == kErrEndOfFile && mnLinesRead >= kCompleteHeaderLines) err = kNoErr;
    if (err == kNoErr) mbHeaderLoaded = 1;
    return err;
}

long CTsmSetups::CheckSiteCode() const {
    char text[5] = {};
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = static_cast<unsigned char>(mnSiteCode >> (24 - 8 * i));
        if (c == '/' || (c != 0 && c < 32) || c == 127) return kErrBadArgument;
        text[i] = static_cast<char>(c);
    }
    // A name stops at its first zero byte.
    if (std::strcmp(text, ".") == 0 || std::strcmp(text, "..") == 0) return kErrBadArgument;
    return kNoErr;
}

void CTsmSetups::ReadHeaderLine(long lineNumber, char* line) {
    if (lineNumber == 20) {
        // Raw characters: "!" may well be the separator wanted.
        if (line[0] != 0) {
            mcFieldSeparator = line[0];
            if (line[1] != 0) mcDateSeparator = line[1];
        }
        return;
    }
    CStrConv::StripFortranComment(line, nullptr);
    CValueReader values(line);
    switch (lineNumber) {
        case 1:
            values.Long(&mnLine1A);
            values.Code(&mnSiteCode);
            values.Word(mszSiteName, sizeof(mszSiteName), false);
            break;
        case 2: values.Position(&mdLatitude, &mdLongitude); break;
        case 3: values.Double(&mdAntennaBearing); break;
        case 4:
            values.Long(&mnLine4A);
            values.Double(&mdLine4B);
            values.Double(&mdLine4C);
            break;
        case 5: values.Double(&mdLine5); break;
        case 6: values.Double(&mdLine6); break;
        case 7: values.Double(&mdLine7); break;
        case 8: values.Long(&mnLine8); break;
        case 9: values.Double(&mdLine9); break;
        case 10:
            values.Word(mszLine10A, sizeof(mszLine10A), true);
            values.Double(&mdLine10B);
            values.Word(mszLine10C, sizeof(mszLine10C), false);
            break;
        case 11:
            values.Double(&mdLine11A);
            values.Long(&mnLine11B);
            values.Double(&mdLine24);
            break;
        case 12:
            values.Double(&mdLine12A);
            values.Long(&mnLine12B);
            values.Double(&mdLine12C);
            break;
        case 13: values.Long(&mnLine13); break;
        case 14:
            values.Long(&mnLine14A);
            values.Double(&mdLine14B);
            break;
        case 15: values.Doubles(mdLine15, 4); break;
        case 16: values.Longs(mnLine16, 3); break;
        case 17: values.Doubles(mdLine17, 4); break;
        case 18: values.Doubles(mdLine18, 2); break;
        case 19: values.Doubles(mdLine19, 7); break;
        case 21:
            // Line 23 starts out as a copy; a header that has a line 23
            // replaces it.
            values.Doubles(mdLine21, 3);
            values.Long(&mnLine21D);
            mdLine23[0] = mdLine21[0];
            mdLine23[1] = mdLine21[1];
            mdLine23[2] = static_cast<double>(mnLine21D);
            mnLine23D = mnLine21D;
            break;
        case 22: values.Double(&mdLine22); break;
        case 23:
            values.Doubles(mdLine23, 3);
            values.Long(&mnLine23D);
            break;
        case 24: values.Double(&mdLine24); break;
        case 25: values.Long(&mnLine25); break;
        case 26: values.Doubles(mdLine26, 2); break;
        case 27: values.Longs(mnLine27, 2); break;
        case 28: values.Double(&mdLine28); break;
        default: break;
    }
}

long CTsmSetups::ImportPhasesFile(CFileSpec* file, long /*unused*/) {
    long err = NameFile(file, "Phases.txt", kDefaultPhasesPath);
    if (err == kNoErr) err = OpenReadOnlyFile(nullptr);
    if (err != kNoErr) return err;
    mnLinesRead = mnNonEmptyLines = 0;
    char line[kLineChars + 1];
    long length = 0;
    err = ReadTextLine(line, &length, kLineChars);
    if (err == kNoErr) {
        ++mnLinesRead;
        if (line[0] != 0) ++mnNonEmptyLines;
        CStrConv::StripFortranComment(line, nullptr);
        CValueReader values(line);
        values.Doubles(mdPhase, 2);
        mbPhasesLoaded = 1;
    }
    CloseFile();
    return err;
}

long CTsmSetups::GetSpectraToProcess(CFileSpec* file, char* name, long lineNumber) {
    if (name == nullptr) return kErrBadArgument;
    name[0] = 0;
    long err = NameFile(file, "SpectraToProcess.txt", kDefaultListPath);
    if (err == kNoErr) err = OpenReadOnlyFile(nullptr);
    if (err != kNoErr) return err;
    long lines = lineNumber > 0 ? lineNumber : 1;
    if (lines > kMaxListLines) lines = kMaxListLines;
    char line[kLineChars + 1];
    line[0] = 0;
    for (long i = 0; i < lines; ++i) {
        long length = 0;
        err = ReadTextLine(line, &length, kLineChars);
        if (err != kNoErr) break;
    }
    CloseFile();
    if (err != kNoErr) return err;
    memcpy(name, line, strlen(line) + 1);
    return kNoErr;
}
