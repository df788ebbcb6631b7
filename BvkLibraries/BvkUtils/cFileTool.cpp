#include "cFileTool.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "FSCopyObject.h"
#include "Platform.h"
#include "PlatformProcess.h"
#include "PlatformTime.h"

namespace {

// Busy objects are tried this many more times, a millisecond apart.
constexpr int kBusyRetries = 2000;

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool Exists(const std::string& path) {
    XPlatformStat info{};
    return PlatformStat(path.c_str(), 0, &info) == kNoErr;
}

// A name that can stand alone in a folder.
bool ValidName(const char* name) {
    if (name == nullptr || name[0] == 0 || strchr(name, '/') != nullptr) return false;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
    long chars = 0;
    for (const char* p = name; *p; ++p)
        if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) ++chars;
    return chars <= kMaxPathItemChars;
}

}  // namespace

CFileTool::~CFileTool() = default;

long CFileTool::CreateFile(unsigned long creator, unsigned long type) {
    if (mPath.empty() || mPath == "/") return kErrBadArgument;
    long err = RealizePathToObject(0, 0, 0);
    if (err == kNoErr) return kErrNameInUse;
    if (err != kErrNotFound) return err;
    err = PlatformCreateEmptyFile(mPath.c_str());
    if (err == kNoErr) {
        uint32_t t = static_cast<uint32_t>(type), c = static_cast<uint32_t>(creator);
        err = PlatformSetTypeCreator(mPath.c_str(), &t, &c);
    }
    long found = RealizePathToObject(1, 0, 0);
    return err != kNoErr ? err : found;
}

long CFileTool::CreateFolder() {
    if (mPath.empty()) return kErrBadArgument;
    long err = RealizePathToObject(0, 0, 0);
    if (err == kNoErr) return kErrNameInUse;
    if (err != kErrNotFound) return err;
    err = PlatformCreateFolder(mPath.c_str());
    mbIsFolder = 1;
    long found = RealizePathToObject(1, 0, 0);
    return err != kNoErr ? err : found;
}

long CFileTool::SetFileCreatorType(unsigned long creator, unsigned long type) {
    if (mPath.empty()) return kErrNotFound;
    uint32_t t = static_cast<uint32_t>(type), c = static_cast<uint32_t>(creator);
    return PlatformSetTypeCreator(mPath.c_str(), &t, &c);
}

long CFileTool::SetFileCreator(unsigned long creator) {
    if (mPath.empty()) return kErrNotFound;
    uint32_t c = static_cast<uint32_t>(creator);
    return PlatformSetTypeCreator(mPath.c_str(), nullptr, &c);
}

long CFileTool::SetFileType(unsigned long type) {
    if (mPath.empty()) return kErrNotFound;
    uint32_t t = static_cast<uint32_t>(type);
    return PlatformSetTypeCreator(mPath.c_str(), &t, nullptr);
}

long CFileTool::SetFileCreationDate(unsigned long time1904Local) {
    if (mPath.empty()) return kErrNotFound;
    if (time1904Local > 0xFFFFFFFFul) return kErrBadArgument;
    int64_t instant = PlatformLocal1904ToUnix(static_cast<uint32_t>(time1904Local));
    return PlatformSetModifiedTime(mPath.c_str(), instant);
}

long CFileTool::GetFileCatInfo(XFCatInfo* info, unsigned long index) {
    if (info) *info = XFCatInfo{};
    if (mPath.empty()) return kErrNotFound;
    if (index > 0) {
        std::string folder = IsFolder() ? mPath : ParentPath();
        std::vector<std::string> names;
        if (long err = PlatformListFolder(folder.c_str(), &names)) return err;
        if (index > names.size()) return kErrNotFound;
        long err = SetFileSpec(Join(folder, names[index - 1]).c_str());
        if (err != kNoErr) return err;
    }
    XPlatformStat stat{};
    if (long err = PlatformStat(mPath.c_str(), mbResolveAlias, &stat)) return err;
    if (info == nullptr) return kNoErr;

    std::string name = LastItem();
    snprintf(info->name, sizeof info->name, "%s", name.c_str());
    if (stat.isFolder) {
        info->type = info->creator = kFolderCode;
        info->isFolder = 1;
        std::vector<std::string> names;
        if (PlatformListFolder(mPath.c_str(), &names) == kNoErr)
            info->items = static_cast<uint32_t>(names.size());
    } else {
        uint32_t type = 0, creator = 0;
        PlatformGetTypeCreator(mPath.c_str(), &type, &creator);
        info->type = type;
        info->creator = creator;
        info->dataSize = stat.allocated;
    }
    // The file system keeps one date; it stands for both.
    info->created = info->modified = PlatformUnixToLocal1904(stat.modifiedUnix);
    return kNoErr;
}

long CFileTool::RenameFile(const unsigned char* newName, long deleteOptions) {
    return RenameFile(reinterpret_cast<const char*>(newName), deleteOptions);
}

long CFileTool::RenameFile(const char* newName, long deleteOptions) {
    if (!ValidName(newName)) return kErrBadArgument;
    if (mPath.empty() || mPath == "/") return kErrBadArgument;
    if (!Exists(mPath)) return kErrNotFound;
    std::string target = Join(ParentPath(), newName);
    if (target == mPath) return kNoErr;
    if (Exists(target)) {
        if (deleteOptions == 0) return kErrNameInUse;
        CFileTool existing;
        existing.SetResolveAlias(0);
        existing.SetFileSpec(target.c_str());
        if (long err = existing.DeleteFile(static_cast<unsigned long>(deleteOptions))) return err;
        if (Exists(target)) return kErrNameInUse;
    }
    if (long err = PlatformRename(mPath.c_str(), target.c_str(), 1)) return err;
    long err = SetAbsolutePath(target, mbIsFolder);
    return err == kErrNotFound ? kNoErr : err;
}

long CFileTool::SequenceRenameFile(const char* separator, long first, long last) {
    if (last < first) return kErrNotFound;
    if (mPath.empty() || mPath == "/") return kErrBadArgument;
    if (separator == nullptr) separator = "";
    CFileSpec stem(*this);
    char ext[kMaxPathItemChars + 1];
    stem.StripDotExtension(ext);
    std::string base = stem.mPath.substr(stem.mPath.find_last_of('/') + 1);
    std::string current = LastItem();
    for (long n = first; n <= last; ++n) {
        char number[24] = "";
        if (n != 0) snprintf(number, sizeof number, "%ld", n);
        std::string name = base + separator + number + ext;
        // Our own name is free for us: nothing to do.
        if (name == current) return kNoErr;
        if (!ValidName(name.c_str())) return kErrBadArgument;
        if (!Exists(Join(ParentPath(), name))) return RenameFile(name.c_str(), 0);
        if (n == LONG_MAX) break;
    }
    return kErrNotFound;
}

long CFileTool::DeleteFile(unsigned long options) {
    if (mPath.empty()) return kErrNotFound;
    if (mPath == "/") return kErrBadArgument;
    std::string path = mPath;
    int32_t folder = mbIsFolder;
    long err = PlatformDeleteObject(path.c_str());
    for (int retry = 0; err == kErrBusy && !(options & kDeleteNoRetry) && retry < kBusyRetries;
         ++retry) {
        Delay(1);
        err = PlatformDeleteObject(path.c_str());
    }
    if (err != kNoErr && err != kErrNotFound) {
        long moved = err;
        if (options & kDeleteToTrash) moved = MoveFileToTrash(options & ~kDeleteReplaceExisting);
        if (moved != kNoErr && (options & kDeleteRenameAside)) {
            SetAbsolutePath(path, folder);
            moved = SequenceRenameFile("_", 1, INT32_MAX);
        }
        if (options & (kDeleteToTrash | kDeleteRenameAside)) err = moved;
    }
    // The file spec keeps naming the place the object was taken from.
    SetAbsolutePath(path, folder);
    return err;
}

long CFileTool::DeleteFolder(long bRecursive) {
    if (mPath.empty()) return kErrNotFound;
    if (!Exists(mPath)) return kErrNotFound;
    if (!IsFolder()) return kErrNotAFolder;
    long err = PlatformDeleteObject(mPath.c_str());
    if (err == kErrBusy && bRecursive) {
        std::vector<std::string> names;
        err = PlatformListFolder(mPath.c_str(), &names);
        for (size_t i = 0; err == kNoErr && i < names.size(); ++i) {
            CFileTool item;
            // Links are removed, never followed into what they point at.
            item.SetResolveAlias(0);
            item.SetFileSpec(Join(mPath, names[i]).c_str());
            XPlatformStat info{};
            PlatformStat(item.mPath.c_str(), 0, &info);
            err = info.isFolder ? item.DeleteFolder(1) : item.DeleteFile(10);
        }
        if (err == kNoErr) err = PlatformDeleteObject(mPath.c_str());
    }
    RealizePathToObject(1, 0, 0);
    return err;
}

long CFileTool::ClearWay(const char* path, long bDelete, long bRenameAside) {
    CFileTool existing;
    existing.SetResolveAlias(0);
    existing.SetFileSpec(path);
    long err = kErrNameInUse;
    if (bDelete) {
        XPlatformStat info{};
        PlatformStat(path, 0, &info);
        err = info.isFolder ? existing.DeleteFolder(1) : existing.DeleteFile(0);
    }
    if (err != kNoErr && bRenameAside) err = existing.SequenceRenameFile("_", 1, INT32_MAX);
    if (err == kNoErr && Exists(path)) err = kErrNameInUse;
    return err;
}

long CFileTool::MoveObjectTo(const char* target) {
    long err = PlatformRename(mPath.c_str(), target, 1);
    if (err == kErrPlatformOtherVolume) {
        std::string folder(target, strrchr(target, '/') - target);
        err = FSCopyObject(mPath.c_str(), folder.empty() ? "/" : folder.c_str(),
                           strrchr(target, '/') + 1, 0, nullptr);
        if (err == kNoErr) err = FSDeleteObjectTree(mPath.c_str());
    }
    if (err == kNoErr) SetAbsolutePath(target, mbIsFolder);
    return err;
}

long CFileTool::MoveFile(CFileSpec* dest, long options) {
    if (dest == nullptr) return kErrBadArgument;
    if (mPath.empty() || !Exists(mPath)) return kErrNotFound;
    CFileSpec folder(*dest);
    if (!folder.IsFolder()) folder.SetToParent();
    folder.mbIsFolder = 1;
    long err = folder.RealizePathToObject(0, 1, 0);
    if (err != kNoErr) return err;
    std::string target = Join(folder.mPath, LastItem());
    if (target == mPath) return kNoErr;
    if (Exists(target)) {
        err = ClearWay(target.c_str(), options & kDeleteReplaceExisting,
                       options & kDeleteRenameAside);
        if (err != kNoErr) return err;
    }
    return MoveObjectTo(target.c_str());
}

long CFileTool::MoveFileToTrash(unsigned long options) {
    if (mPath.empty() || !Exists(mPath)) return kErrNotFound;
    CFileSpec trash;
    if (long err = trash.SetFileSpec("~/.Trash/"); err != kNoErr && err != kErrNotFound) return err;
    if (long err = trash.RealizePathToObject(0, 1, 0)) return err;
    if (!trash.IsFolder()) return kErrNotAFolder;
    std::string target = Join(trash.mPath, LastItem());
    if (target == mPath) return kNoErr;
    if (Exists(target)) {
        long err =
            ClearWay(target.c_str(), options & (kDeleteReplaceExisting | kDeleteTrashDuplicate),
                     options & kDeleteRenameAside);
        if (err != kNoErr) return err;
    }
    return MoveObjectTo(target.c_str());
}

long CFileTool::ExchangeFiles(CFileSpec* other) {
    if (other == nullptr) return kErrBadArgument;
    if (mPath.empty() || other->mPath.empty()) return kErrNotFound;
    // The contents trade places, not the names: a name that is a link to a
    // file stays a link and the file it leads to takes part.
    std::string mine = mPath, theirs = other->mPath;
    long kind = kOutputNew;
    if (PlatformOutputTarget(mPath.c_str(), &mine, &kind) != kNoErr || kind != kOutputRegular)
        mine = mPath;
    if (PlatformOutputTarget(other->mPath.c_str(), &theirs, &kind) != kNoErr ||
        kind != kOutputRegular)
        theirs = other->mPath;
    long err = PlatformExchange(mine.c_str(), theirs.c_str());
    // Files on two volumes cannot trade places; the names still can.
    if (err == kErrPlatformOtherVolume && (mine != mPath || theirs != other->mPath))
        err = PlatformExchange(mPath.c_str(), other->mPath.c_str());
    // Both specs still name their paths; only what lies there has changed.
    RealizePathToObject(1, 0, 0);
    other->RealizePathToObject(1, 0, 0);
    return err;
}

long CFileTool::CopyFile(CFileSpec* dest, long bReplace, long bDestIsName, long bFollowCopy,
                         long /*options*/) {
    if (dest == nullptr || dest->mPath.empty()) return kErrBadArgument;
    if (mPath.empty() || !Exists(mPath)) return kErrNotFound;
    bool sourceIsFolder = IsFolder() != 0;
    CFileSpec folder(*dest);
    std::string name;
    if (bDestIsName || (!sourceIsFolder && !folder.IsFolder())) {
        name = dest->mPath.substr(dest->mPath.find_last_of('/') + 1);
        if (name.empty()) return kErrBadArgument;
        folder.SetToParent();
    } else {
        name = LastItem();
    }
    folder.mbIsFolder = 1;
    if (long err = folder.RealizePathToObject(0, 1, 0)) return err;
    std::string copy;
    long err = FSCopyObject(mPath.c_str(), folder.mPath.c_str(), name.c_str(), bReplace, &copy);
    if (err == kNoErr) {
        ItemChanged();
        if (bFollowCopy) SetAbsolutePath(copy, sourceIsFolder);
    }
    return err;
}

long CFileTool::ItemChanged() {
    // The desktop has no view of our folders to refresh.
    return kNoErr;
}

void Delay(unsigned long ms) {
    int64_t until = PlatformMicroseconds() + static_cast<int64_t>(ms) * 1000;
    for (int64_t now = PlatformMicroseconds(); now < until; now = PlatformMicroseconds())
        PlatformSleepMicroseconds(std::min<int64_t>(until - now, 1000));
}
