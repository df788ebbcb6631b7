#include "cFileSpec.h"

#include <cstring>
#include <vector>

#include "BvkErrors.h"
#include "Platform.h"
#include "PlatformProcess.h"

// Set on first use, never during static initialization: no spec is built
// before main. (Not constinit: Clang cannot evaluate libstdc++'s string
// constructor at compile time.)
std::string CFileSpec::mcfDefaultURL;

namespace {

// Characters of a UTF-8 text: every byte that does not continue a sequence.
long Utf8Length(const std::string& text) {
    long n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::vector<std::string> SplitItems(const std::string& path) {
    std::vector<std::string> items;
    size_t at = 0;
    while (at < path.size()) {
        size_t next = path.find('/', at);
        if (next == std::string::npos) next = path.size();
        if (next > at) items.push_back(path.substr(at, next - at));
        at = next + 1;
    }
    return items;
}

std::string JoinItems(const std::vector<std::string>& items, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) path += "/" + items[i];
    return path.empty() ? "/" : path;
}

bool EqualsIgnoreCase(const std::string& a, const char* b) {
    if (a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        if (x != b[i]) return false;
    }
    return true;
}

// Copies `text` into a buffer of `size` bytes, cut to fit.
long CopyCut(const std::string& text, char* buf, long size) {
    if (buf == nullptr || size <= 0) return kErrBadArgument;
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    memcpy(buf, text.data(), n);
    buf[n] = 0;
    return kNoErr;
}

}  // namespace

void CFileSpec::InitDefaultFolder() {
    if (!mcfDefaultURL.empty()) return;
    std::string folder;
    XPlatformStat info{};
    if (PlatformGetEnvironment("PWD", &folder) && !folder.empty() && folder[0] == '/' &&
        PlatformStat(folder.c_str(), 1, &info) == kNoErr) {
        if (!info.isFolder) {
            size_t slash = folder.find_last_of('/');
            folder = slash == 0 ? "/" : folder.substr(0, slash);
        }
    } else if (PlatformResolvePath(".", &folder) != kNoErr) {
        // Without PWD the working folder itself, or as a last resort the root.
        folder.assign(1, '/');
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    mcfDefaultURL = folder;
}

CFileSpec::CFileSpec(XUnset)
    : mbParentValid(0),
      mbExists(0),
      mbLegacySpecValid(0),
      mLegacySpec{},
      mbCreateFoldersToFile(1),
      mbResolveAlias(1),
      mbIsFolder(0) {}

CFileSpec::CFileSpec() : CFileSpec(XUnset{}) {
    InitDefaultFolder();
    // Asking at every construction cost a conversion a stat of the working
    // folder for each of the twenty-odd specs it makes. Never destroyed: a
    // spec may be made while the program exits.
    static CFileSpec& known = *new CFileSpec(XUnset{});
    static std::string knownURL;
    if (knownURL != mcfDefaultURL) {
        known.SetToDefaultFolder();
        knownURL = mcfDefaultURL;
    }
    CopyFields(known);
}

CFileSpec::CFileSpec(const CFileSpec& other) : mLegacySpec{} {
    mbCreateFoldersToFile = 1;
    mbResolveAlias = 1;
    ClearSpec();
    SetFileSpec(&other);
}

CFileSpec& CFileSpec::operator=(const CFileSpec& other) {
    if (this != &other) SetFileSpec(&other);
    return *this;
}

CFileSpec::~CFileSpec() = default;

void CFileSpec::ClearSpec() {
    mPath.clear();
    mbParentValid = 0;
    mParentRef = XFileRef{};
    mbExists = 0;
    mObjectRef = XFileRef{};
    mbLegacySpecValid = 0;
    mLegacySpec = XLegacySpec{};
    mbIsFolder = 0;
}

long CFileSpec::SetAbsolutePath(const std::string& path, long bFolder) {
    ClearSpec();
    if (path.empty() || path[0] != '/') return kErrBadArgument;
    std::vector<std::string> items;
    for (std::string& item : SplitItems(path)) {
        if (item == ".") continue;
        if (item == "..") {
            if (!items.empty()) items.pop_back();
            continue;
        }
        if (Utf8Length(item) > kMaxPathItemChars) return kErrBadArgument;
        items.push_back(std::move(item));
    }
    std::string normal = JoinItems(items, items.size());
    long slash = bFolder && normal != "/" ? 1 : 0;
    if (static_cast<long>(normal.size()) + slash > kMaxPathBytes) return kErrBadArgument;
    mPath = normal;
    mbIsFolder = bFolder || normal == "/" ? 1 : 0;
    return RealizePathToObject(1, 0, 0);
}

long CFileSpec::SetFileSpec(const char* path) {
    if (path == nullptr) return SetToDefaultFolder();
    if (path[0] == 0) {
        ClearSpec();
        return kErrBadArgument;
    }
    // Keep hostile lengths away from the string building below.
    if (strnlen(path, kMaxPathBytes + 1) > static_cast<size_t>(kMaxPathBytes)) {
        ClearSpec();
        return kErrBadArgument;
    }
    std::string full;
    if (path[0] == '~' && (path[1] == 0 || path[1] == '/')) {
        std::string home;
        if (!PlatformGetEnvironment("HOME", &home) || home.empty()) {
            if (!PlatformGetUserHome(&home)) home.clear();
        }
        if (home.empty() || home[0] != '/') {
            ClearSpec();
            return kErrBadArgument;
        }
        full = home + (path + 1);
    } else if (path[0] == '/') {
        full = path;
    } else {
        std::string base = mPath.empty() ? mcfDefaultURL : mPath;
        if (base.empty() || base.back() != '/') base += '/';
        full = base + path;
    }
    long bFolder = full.back() == '/' ? 1 : 0;
    return SetAbsolutePath(full, bFolder);
}

long CFileSpec::SetFileSpec(const unsigned char* path) {
    return SetFileSpec(reinterpret_cast<const char*>(path));
}

long CFileSpec::SetFileSpec(const CFileSpec* spec) {
    if (spec == nullptr) return kErrBadArgument;
    if (spec == this) return RealizePathToObject(1, 0, 0);
    CopyFields(*spec);
    return RealizePathToObject(1, 0, 0);
}

void CFileSpec::CopyFields(const CFileSpec& spec) {
    mPath = spec.mPath;
    mbParentValid = spec.mbParentValid;
    mParentRef = spec.mParentRef;
    mbExists = spec.mbExists;
    mObjectRef = spec.mObjectRef;
    mbLegacySpecValid = spec.mbLegacySpecValid;
    mLegacySpec = spec.mLegacySpec;
    mbCreateFoldersToFile = spec.mbCreateFoldersToFile;
    mbResolveAlias = spec.mbResolveAlias;
    mbIsFolder = spec.mbIsFolder;
}

long CFileSpec::SetFileSpec(const XFileRef* ref) {
    if (ref == nullptr) return kErrNotFound;
    if (ref->path.empty()) return kErrBadArgument;
    return SetFileSpec(ref->path.c_str());
}

long CFileSpec::SetToDefaultFolder() {
    InitDefaultFolder();
    return SetAbsolutePath(mcfDefaultURL, 1);
}

long CFileSpec::SetToRoot() {
    return SetAbsolutePath("/", 1);
}

long CFileSpec::SetToParent() {
    if (mPath.empty()) return kErrBadArgument;
    return SetAbsolutePath(ParentPath(), 1);
}

long CFileSpec::ChangeFileSpec(const char* name) {
    if (long err = SetToParent(); err != kNoErr && err != kErrNotFound) return err;
    return SetFileSpec(name);
}

long CFileSpec::ChangeFileSpec(const unsigned char* name) {
    return ChangeFileSpec(reinterpret_cast<const char*>(name));
}

std::string CFileSpec::PathText() const {
    if (mPath.empty()) return std::string();
    if (mbIsFolder && mPath != "/") return mPath + "/";
    return mPath;
}

std::string CFileSpec::LastItem() const {
    size_t slash = mPath.find_last_of('/');
    return slash == std::string::npos ? mPath : mPath.substr(slash + 1);
}

std::string CFileSpec::ParentPath() const {
    size_t slash = mPath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return mPath.substr(0, slash);
}

long CFileSpec::StripDotExtension(unsigned char* ext) {
    return StripDotExtension(reinterpret_cast<char*>(ext));
}

long CFileSpec::StripDotExtension(char* ext) {
    if (ext) ext[0] = 0;
    std::string item = LastItem();
    size_t dot = item.find_last_of('.');
    // A leading dot marks a hidden name, not an extension.
    if (mPath.empty() || dot == std::string::npos || dot == 0) return 0;
    if (ext) CopyCut(item.substr(dot), ext, kMaxPathItemChars + 1);
    std::string parent = ParentPath();
    if (parent.back() != '/') parent += '/';
    SetAbsolutePath(parent + item.substr(0, dot), mbIsFolder);
    return 1;
}

long CFileSpec::AddNameExtension(const unsigned char* ext) {
    return AddNameExtension(reinterpret_cast<const char*>(ext));
}

long CFileSpec::AddNameExtension(const char* ext) {
    if (ext == nullptr) return kNoErr;
    if (mPath.empty() || mPath == "/" || strchr(ext, '/') != nullptr) return kErrBadArgument;
    std::string item = LastItem();
    long room = kMaxPathItemChars - Utf8Length(item);
    // Cut the added text at a character boundary so the name stays in limits.
    size_t take = 0;
    for (long chars = 0; ext[take] != 0; ++take) {
        if ((static_cast<unsigned char>(ext[take]) & 0xC0) != 0x80 && ++chars > room) break;
    }
    std::string parent = ParentPath();
    if (parent.back() != '/') parent += '/';
    return SetAbsolutePath(parent + item + std::string(ext, take), mbIsFolder);
}

long CFileSpec::GetFilePath(char* buf, long size) const {
    if (buf == nullptr || size <= 0) return kErrBadArgument;
    buf[0] = 0;
    if (mPath.empty()) return kErrNotFound;
    std::string text = PathText();
    if (static_cast<long>(text.size()) >= size) return kErrBadArgument;
    memcpy(buf, text.c_str(), text.size() + 1);
    return kNoErr;
}

long CFileSpec::GetFilePath(unsigned char* buf, long size) const {
    return GetFilePath(reinterpret_cast<char*>(buf), size);
}

long CFileSpec::GetFileName(char* buf, long size) const {
    if (buf == nullptr || size <= 0) return kErrBadArgument;
    buf[0] = 0;
    if (mPath.empty()) return kErrNotFound;
    return CopyCut(LastItem(), buf, size);
}

long CFileSpec::GetFileName(unsigned char* buf, long size) const {
    return GetFileName(reinterpret_cast<char*>(buf), size);
}

long CFileSpec::GetFileNameHFS(XHFSUniStr* name) const {
    if (name == nullptr) return kErrBadArgument;
    *name = XHFSUniStr{};
    if (mPath.empty()) return kErrNotFound;
    std::string item = LastItem();
    size_t i = 0;
    uint16_t n = 0;
    auto put = [&](uint32_t unit) {
        if (n < 256) name->unicode[n++] = static_cast<uint16_t>(unit);
    };
    while (i < item.size() && n < 256) {
        unsigned char c = static_cast<unsigned char>(item[i]);
        int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t code = extra == 3   ? c & 0x07u
                        : extra == 2 ? c & 0x0Fu
                        : extra == 1 ? c & 0x1Fu
                                     : c;
        bool valid = c < 0x80 || extra > 0;
        for (int k = 1; valid && k <= extra; ++k) {
            if (i + k >= item.size() || (static_cast<unsigned char>(item[i + k]) & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (static_cast<unsigned char>(item[i + k]) & 0x3Fu);
        }
        if (!valid) {
            // A byte outside UTF-8 stands for itself.
            put(c);
            ++i;
            continue;
        }
        i += extra + 1;
        if (code >= 0x10000) {
            if (n + 2 > 256) break;
            code -= 0x10000;
            put(0xD800 + (code >> 10));
            put(0xDC00 + (code & 0x3FF));
        } else {
            put(code);
        }
    }
    name->length = n;
    return kNoErr;
}

long CFileSpec::GetParentFileRef(XFileRef* ref) {
    if (ref == nullptr) return kErrBadArgument;
    if (mbParentValid) {
        *ref = mParentRef;
        return kNoErr;
    }
    if (mPath.empty() || mPath == "/") return kErrNotFound;
    XPlatformStat info{};
    std::string parent = ParentPath();
    if (long err = PlatformStat(parent.c_str(), 1, &info)) return err;
    ref->path = parent;
    return kNoErr;
}

long CFileSpec::GetFileRef(XFileRef* ref) {
    if (ref == nullptr) return kErrBadArgument;
    if (mPath.empty()) return kErrNotFound;
    XPlatformStat info{};
    if (PlatformStat(mPath.c_str(), mbResolveAlias, &info) == kNoErr) {
        ref->path = mPath;
        return kNoErr;
    }
    long err = RealizePathToObject(1, 0, 0);
    if (err == kNoErr) *ref = mObjectRef;
    return err;
}

long CFileSpec::IsFolder(const XFileRef* ref) {
    XPlatformStat info{};
    if (ref != nullptr) return PlatformStat(ref->path.c_str(), 1, &info) == kNoErr && info.isFolder;
    if (!mPath.empty() && PlatformStat(mPath.c_str(), mbResolveAlias, &info) == kNoErr)
        return info.isFolder ? 1 : 0;
    return mbIsFolder ? 1 : 0;
}

long CFileSpec::DoesObjectExist(long bRefresh) {
    if (bRefresh) RealizePathToObject(1, 0, 0);
    return mbExists;
}

void CFileSpec::BuildLegacySpec() {
    mbLegacySpecValid = 0;
    mLegacySpec = XLegacySpec{};
    if (mPath.empty()) return;
    XPlatformStat parent{};
    if (PlatformStat(ParentPath().c_str(), 1, &parent) != kNoErr) return;
    mLegacySpec.vRefNum = static_cast<int16_t>(-static_cast<int16_t>(parent.device & 0x7FFF));
    mLegacySpec.parID = static_cast<int32_t>(parent.inode & 0x7FFFFFFF);
    std::string item = LastItem();
    size_t n = std::min<size_t>(item.size(), 63);
    mLegacySpec.name[0] = static_cast<unsigned char>(n);
    memcpy(mLegacySpec.name + 1, item.data(), n);
    mbLegacySpecValid = 1;
}

XLegacySpec CFileSpec::GetFileSpec() {
    if (!mbLegacySpecValid) BuildLegacySpec();
    return mLegacySpec;
}

XLegacySpec* CFileSpec::GetFileSpecPtr() {
    if (!mbLegacySpecValid) BuildLegacySpec();
    return mbLegacySpecValid ? &mLegacySpec : nullptr;
}

std::string CFileSpec::CFURLCreateCopy() const {
    return PathText();
}

long CFileSpec::GetPathFirstItem(const char* path, char* out, long size) {
    if (out && size > 0) out[0] = 0;
    if (path == nullptr || out == nullptr || size <= 0) return 0;
    long at = path[0] == '/' ? 1 : 0;
    long n = 0;
    while (path[at + n] != 0 && path[at + n] != '/' && n < size - 1) {
        out[n] = path[at + n];
        ++n;
    }
    out[n] = 0;
    return n == 0 ? 0 : at + n;
}

long CFileSpec::GetPathLastItem(const char* path, char* out, long size, long* pbFolder) {
    if (out && size > 0) out[0] = 0;
    if (pbFolder) *pbFolder = 0;
    if (path == nullptr) return 0;
    long end = static_cast<long>(strlen(path));
    if (end == 0) return 0;
    if (path[end - 1] == '/') {
        if (pbFolder) *pbFolder = 1;
        --end;
    }
    long start = end;
    while (start > 0 && path[start - 1] != '/') --start;
    // The root's parent is the root itself.
    if (end == 0) return 1;
    if (out && size > 0) {
        long n = std::min(end - start, size - 1);
        memcpy(out, path + start, static_cast<size_t>(n));
        out[n] = 0;
    }
    return start;
}

long CFileSpec::RealizePathToObject(long bLookOnly, long bCreateLast, long bCreateLastAsFile) {
    mbParentValid = 0;
    mParentRef = XFileRef{};
    mbExists = 0;
    mObjectRef = XFileRef{};
    mbLegacySpecValid = 0;
    if (mPath.empty()) return kErrNotFound;

    auto found = [this](const XPlatformStat& info) {
        mbExists = 1;
        mObjectRef.path = mPath;
        mbIsFolder = info.isFolder || mPath == "/" ? 1 : 0;
        if (mPath != "/") {
            mParentRef.path = ParentPath();
            mbParentValid = 1;
        }
        // The legacy triple costs a stat of the parent and few callers ask
        // for it: GetFileSpec builds it when it is first wanted.
    };
    auto recordParent = [this]() {
        XPlatformStat parent{};
        if (mPath != "/" && PlatformStat(ParentPath().c_str(), 1, &parent) == kNoErr &&
            parent.isFolder) {
            mParentRef.path = ParentPath();
            mbParentValid = 1;
        }
    };

    XPlatformStat info{};
    long err = PlatformStat(mPath.c_str(), mbResolveAlias, &info);
    if (err == kNoErr) {
        found(info);
        return kNoErr;
    }
    if (err != kErrNotFound) return err;
    bool create = !bLookOnly && mbCreateFoldersToFile;
    if (!create) {
        recordParent();
        return kErrNotFound;
    }

    std::vector<std::string> items = SplitItems(mPath);
    if (static_cast<long>(items.size()) > kMaxPathItems) return kErrBadArgument;
    for (size_t i = 0; i < items.size(); ++i) {
        std::string prefix = JoinItems(items, i + 1);
        bool last = i + 1 == items.size();
        XPlatformStat step{};
        err = PlatformStat(prefix.c_str(), 1, &step);
        if (err == kNoErr) {
            if (!last && !step.isFolder) return kErrNotFound;
            continue;
        }
        if (err != kErrNotFound) return err;
        // Mount points are the system's business: never make them up.
        if (i <= 1 && EqualsIgnoreCase(items[0], "volumes")) return kErrNotFound;
        if (!last) {
            err = PlatformCreateFolder(prefix.c_str());
            if (err != kNoErr && err != kErrNameInUse) return err;
        } else if (bCreateLast && mbIsFolder) {
            err = PlatformCreateFolder(prefix.c_str());
            if (err != kNoErr && err != kErrNameInUse) return err;
        } else if (bCreateLast && bCreateLastAsFile) {
            err = PlatformCreateEmptyFile(prefix.c_str());
            if (err != kNoErr && err != kErrNameInUse) return err;
        }
    }

    err = PlatformStat(mPath.c_str(), mbResolveAlias, &info);
    if (err == kNoErr) {
        found(info);
        return kNoErr;
    }
    recordParent();
    return err;
}
