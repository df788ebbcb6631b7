#include "FSCopyObject.h"

#include <cstdint>
#include <vector>

#include "BvkErrors.h"
#include "Platform.h"
#include "PlatformTime.h"

namespace {

// The date a new folder carries while it is being filled: the desktop shows
// an item with it as still in use.
constexpr uint32_t kBusyCreationDate1904 = 1329266096;

// Links inside a copied folder are followed; a loop of links ends here.
constexpr int kMaxCopyDepth = 256;

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// Makes an empty placeholder with a unique hidden name beside the
// destination; a number is appended until the name is free.
long MakePlaceholder(const std::string& folder, const std::string& name, bool asFolder,
                     std::string* path) {
    PlatformRemoveStaleTemps(folder.c_str(), kPlatformStaleTempSeconds);
    std::string stem = Join(folder, PlatformTempStem(name.c_str()) + "copy");
    // Appended rather than stem + std::to_string(n): GCC 12 at -O3 warns
    // (falsely) of an overlapping copy there.
    for (int n = 1; n < 10000; ++n) {
        *path = stem;
        *path += std::to_string(n);
        long err =
            asFolder ? PlatformCreateFolder(path->c_str()) : PlatformCreateEmptyFile(path->c_str());
        if (err != kErrNameInUse) return err;
    }
    return kErrNameInUse;
}

long CopyAttributes(const std::string& from, const std::string& to, const XPlatformStat& info) {
    uint32_t type = 0, creator = 0;
    long err = PlatformGetTypeCreator(from.c_str(), &type, &creator);
    if (err == kNoErr && (type != 0 || creator != 0))
        err = PlatformSetTypeCreator(to.c_str(), &type, &creator);
    if (err == kNoErr) err = PlatformSetMode(to.c_str(), info.mode);
    if (err == kNoErr) err = PlatformSetModifiedTime(to.c_str(), info.modifiedUnix);
    return err;
}

// Copies `from` onto `to`, which exists already (an empty file or folder).
long CopyTree(const std::string& from, const std::string& to, int depth) {
    if (depth > kMaxCopyDepth) return kErrBadArgument;
    XPlatformStat info{};
    if (long err = PlatformStat(from.c_str(), 1, &info)) return err;
    if (!info.isFolder) {
        if (long err = PlatformCopyFileContent(from.c_str(), to.c_str())) return err;
        return CopyAttributes(from, to, info);
    }

    PlatformSetModifiedTime(to.c_str(), PlatformLocal1904ToUnix(kBusyCreationDate1904));
    std::vector<std::string> names;
    if (long err = PlatformListFolder(from.c_str(), &names)) return err;
    for (const std::string& name : names) {
        std::string childFrom = Join(from, name);
        std::string childTo = Join(to, name);
        XPlatformStat child{};
        if (long err = PlatformStat(childFrom.c_str(), 1, &child)) return err;
        long err = child.isFolder ? PlatformCreateFolder(childTo.c_str())
                                  : PlatformCreateEmptyFile(childTo.c_str());
        if (err == kNoErr) err = CopyTree(childFrom, childTo, depth + 1);
        if (err != kNoErr) return err;
    }
    return CopyAttributes(from, to, info);
}

bool SameObject(const XPlatformStat& a, const XPlatformStat& b) {
    return a.device == b.device && a.inode == b.inode;
}

// True when `folder` is `source` or lies inside it.
bool IsInside(const std::string& folder, const XPlatformStat& source) {
    std::string path;
    if (PlatformResolvePath(folder.c_str(), &path) != kNoErr) return false;
    for (;;) {
        XPlatformStat info{};
        if (PlatformStat(path.c_str(), 1, &info) == kNoErr && SameObject(info, source)) return true;
        if (path == "/" || path.empty()) return false;
        size_t slash = path.find_last_of('/');
        path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
}

}  // namespace

long FSDeleteObjectTree(const char* path) {
    if (path == nullptr) return kErrBadArgument;
    XPlatformStat info{};
    if (long err = PlatformStat(path, 0, &info)) return err;
    if (info.isFolder) {
        std::vector<std::string> names;
        if (long err = PlatformListFolder(path, &names)) return err;
        for (const std::string& name : names) {
            if (long err = FSDeleteObjectTree(Join(path, name).c_str())) return err;
        }
    }
    return PlatformDeleteObject(path);
}

long FSCopyObject(const char* source, const char* destFolder, const char* destName, long bReplace,
                  std::string* copyPath) {
    if (source == nullptr || destFolder == nullptr || destName == nullptr || destName[0] == 0)
        return kErrBadArgument;
    XPlatformStat from{};
    if (long err = PlatformStat(source, 1, &from)) return err;
    XPlatformStat folder{};
    if (long err = PlatformStat(destFolder, 1, &folder)) return err;
    if (!folder.isFolder) return kErrNotAFolder;
    if (from.isFolder && IsInside(destFolder, from)) return kErrCopyIntoItself;

    std::string target = Join(destFolder, destName);
    XPlatformStat existing{};
    bool exists = PlatformStat(target.c_str(), 0, &existing) == kNoErr;
    if (exists) {
        XPlatformStat followed{};
        if (PlatformStat(target.c_str(), 1, &followed) == kNoErr && SameObject(followed, from))
            return kErrNameInUse;
        if (!bReplace) return kErrNameInUse;
    }

    std::string folderPath = destFolder, finalName = destName;
    const std::string named = target;
    if (exists && !from.isFolder) {
        std::string resolved;
        long kind = kOutputNew;
        if (long err = PlatformOutputTarget(target.c_str(), &resolved, &kind)) return err;
        if (kind == kOutputSpecial) {
            // A pipe or device takes the bytes as they come; there is
            // nothing to put in place.
            long err = PlatformCopyFileContent(source, resolved.c_str());
            if (err == kNoErr && copyPath) *copyPath = named;
            return err;
        }
        if (kind != kOutputFolder && resolved != target) {
            // The link stays a link; the file it leads to gets the copy.
            size_t slash = resolved.find_last_of('/');
            folderPath = slash == 0 ? "/" : resolved.substr(0, slash);
            finalName = resolved.substr(slash + 1);
            target = resolved;
            exists = PlatformStat(target.c_str(), 0, &existing) == kNoErr;
        }
    }

    std::string temp;
    if (long err = MakePlaceholder(folderPath, finalName, from.isFolder, &temp)) return err;
    long err = CopyTree(source, temp, 0);
    if (err == kNoErr) {
        if (!exists) {
            err = PlatformRename(temp.c_str(), target.c_str(), 1);
        } else if (!from.isFolder && !existing.isFolder) {
            err = PlatformRename(temp.c_str(), target.c_str(), 0);
        } else {
            // Swap the finished copy in, then remove what it replaced.
            err = PlatformExchange(temp.c_str(), target.c_str());
        }
    }
    FSDeleteObjectTree(temp.c_str());
    if (err == kNoErr && copyPath) *copyPath = named;
    return err;
}
