#include "cFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "BvkErrors.h"
#include "Platform.h"

CFile::CFile()
    : mnRefNum(0),
      mnPosition(0),
      mbConvertLineEnds(1),
      mcLineEnd(10),
      mbSetTypeOnClose(0),
      mnType(0),
      mnCreator(0),
      mbNotifyOnClose(1),
      mnOpenFlags(0),
      mnWriteError(kNoErr) {}

CFile::~CFile() {
    CloseFile();
}

void CFile::SyncPosition() {
    int64_t position = 0;
    if (mnRefNum != 0 && PlatformSeekStream(mnRefNum, 0, 1, &position) == kNoErr)
        mnPosition = position;
}

void CFile::ForgetStream() {
    mnRefNum = 0;
    mnPosition = 0;
    mbSetTypeOnClose = 0;
    mnType = 0;
    mnCreator = 0;
    mnOpenFlags = 0;
    mnWriteError = kNoErr;
    msOpenPath.clear();
    msTempPath.clear();
}

long CFile::OpenFile(CFileSpec* spec, unsigned long flags, unsigned long creator,
                     unsigned long type) {
    // The open file is finished under its own name before the file spec changes.
    if (mnRefNum != 0) CloseFile();
    if (spec != nullptr && spec != this) {
        long err = SetFileSpec(spec);
        if (err != kNoErr && err != kErrNotFound) return err;
    }
    if (flags == 0) flags = kFileRead | kFileWrite | kFileMustExist;
    if (flags & kFileShared) flags |= kFileRead | kFileWrite;
    if (mPath.empty() || mPath == "/") return kErrBadArgument;

    bool exists = DoesObjectExist(1) != 0;
    bool create = false;
    if (flags & kFileCreateNew) {
        if (exists) {
            if (!(flags & kFileMustExist)) return kErrNameInUse;
            if (IsFolder()) return kErrNameInUse;
            CFileTool old(*this);
            if (long err = old.DeleteFile(kDeleteToTrash | kDeleteRenameAside)) return err;
        }
        create = true;
    } else if (!exists) {
        if ((flags & kFileMustExist) || !(flags & kFileCreateMissing)) return kErrNotFound;
        create = true;
    }
    if (create) {
        if (long err = CreateFile(kBrokenFileCreator, kBrokenFileType)) return err;
    }

    long access = (flags & kFileRead) && (flags & kFileWrite) ? kPlatformAccessReadWrite
                  : (flags & kFileWrite)                      ? kPlatformAccessWrite
                  : (flags & kFileRead)                       ? kPlatformAccessRead
                                                              : 0;
    int16_t ref = 0;
    if (long err = PlatformOpenStream(mPath.c_str(), access, (flags & kFileTruncate) != 0, &ref))
        return err;
    ForgetStream();
    mnRefNum = ref;
    msOpenPath = mPath;
    mnOpenFlags = static_cast<uint32_t>(flags);
    if (create) {
        mbSetTypeOnClose = 1;
        mnType = static_cast<uint32_t>(type);
        mnCreator = static_cast<uint32_t>(creator);
    }
    if (flags & kFileAppend) PlatformSeekStream(mnRefNum, 0, 2, nullptr);
    SyncPosition();
    return kNoErr;
}

long CFile::OpenReadOnlyFile(CFileSpec* spec) {
    return OpenFile(spec, kFileRead | kFileMustExist, 0, 0);
}

long CFile::OpenCreateFile(CFileSpec* spec, unsigned long creator, unsigned long type) {
    // The open file is finished under its own name before the file spec changes.
    if (mnRefNum != 0) CloseFile();
    if (spec != nullptr && spec != this) {
        long err = SetFileSpec(spec);
        if (err != kNoErr && err != kErrNotFound) return err;
    }
    if (mPath.empty() || mPath == "/") return kErrBadArgument;
    long err = RealizePathToObject(0, 0, 0);
    if (err != kNoErr && err != kErrNotFound) return err;
    if (mbExists && IsFolder()) return kErrNameInUse;

    // A link stays a link: what it leads to is the file that gets replaced.
    std::string target;
    long kind = kOutputNew;
    if ((err = PlatformOutputTarget(mPath.c_str(), &target, &kind))) return err;
    if (kind == kOutputFolder) return kErrNameInUse;
    int16_t ref = 0;
    if (kind == kOutputSpecial) {
        // A pipe or device cannot be replaced, only written to; its codes
        // are left alone.
        if ((err = PlatformOpenWriteThrough(target.c_str(), &ref))) return err;
        ForgetStream();
        mnRefNum = ref;
        msOpenPath = mPath;
        mnOpenFlags = kFileWrite;
        return kNoErr;
    }

    // The new content grows beside the old file and replaces it at close.
    const size_t slash = target.find_last_of('/');
    const std::string targetFolder = slash == 0 ? "/" : target.substr(0, slash);
    std::string temp;
    if ((err = PlatformCreateTempStream(targetFolder.c_str(), target.c_str() + slash + 1, &temp,
                                        &ref)))
        return err;
    uint32_t brokenType = kBrokenFileType, brokenCreator = kBrokenFileCreator;
    err = PlatformSetTypeCreator(temp.c_str(), &brokenType, &brokenCreator);
    if (err != kNoErr) {
        PlatformCloseStream(ref);
        PlatformDeleteObject(temp.c_str());
        return err;
    }
    ForgetStream();
    mnRefNum = ref;
    msOpenPath = target;
    msTempPath = temp;
    mnOpenFlags = kFileRead | kFileWrite | kFileCreateMissing | kFileTruncate;
    mbSetTypeOnClose = 1;
    mnType = static_cast<uint32_t>(type);
    mnCreator = static_cast<uint32_t>(creator);
    return kNoErr;
}

long CFile::CloseFile() {
    mnPosition = 0;
    if (mnRefNum == 0) return kNoErr;
    // A write that failed, here or through a borrowed reference, makes the
    // close fail too, so that nobody takes a short file for a good one.
    long err = kNoErr;
    if (mnOpenFlags & kFileWrite) {
        err = mnWriteError;
        if (err == kNoErr) err = PlatformStreamWriteError(mnRefNum);
    }
    // The new content is on the volume before it takes the old file's name.
    if (!msTempPath.empty() && err == kNoErr) err = PlatformSyncStream(mnRefNum);
    long closeErr = PlatformCloseStream(mnRefNum);
    if (err == kNoErr) err = closeErr;

    if (!msTempPath.empty()) {
        if (err == kNoErr && mbSetTypeOnClose) {
            err = PlatformSetTypeCreator(msTempPath.c_str(), &mnType, &mnCreator);
        }
        if (err == kNoErr) err = PlatformRename(msTempPath.c_str(), msOpenPath.c_str(), 0);
        // Whatever went wrong, the file we were replacing is still whole.
        if (err != kNoErr) PlatformDeleteObject(msTempPath.c_str());
    } else if (mbSetTypeOnClose) {
        long codesErr = PlatformSetTypeCreator(msOpenPath.c_str(), &mnType, &mnCreator);
        if (err == kNoErr) err = codesErr;
    }
    bool wrote = (mnOpenFlags & kFileWrite) != 0;
    ForgetStream();
    if (mbNotifyOnClose && wrote) ItemChanged();
    RealizePathToObject(1, 0, 0);
    return err;
}

long CFile::AbandonFile() {
    if (mnRefNum == 0) return kNoErr;
    if (msTempPath.empty()) return CloseFile();
    PlatformCloseStream(mnRefNum);
    long err = PlatformDeleteObject(msTempPath.c_str());
    ForgetStream();
    RealizePathToObject(1, 0, 0);
    return err;
}

long CFile::ReadFile(void* data, unsigned long count, unsigned long* got) {
    if (got) *got = 0;
    if (mnRefNum == 0) return kErrBadArgument;
    uint64_t n = 0;
    long err = PlatformReadStream(mnRefNum, data, count, &n);
    if (got) *got = static_cast<unsigned long>(n);
    SyncPosition();
    return err;
}

long CFile::WriteFile(const void* data, unsigned long count, unsigned long* done) {
    if (done) *done = 0;
    if (mnRefNum == 0) return kErrBadArgument;
    uint64_t n = 0;
    long err = PlatformWriteStream(mnRefNum, data, count, &n);
    if (done) *done = static_cast<unsigned long>(n);
    if (err != kNoErr && mnWriteError == kNoErr) mnWriteError = err;
    SyncPosition();
    return err;
}

long CFile::MoveFilePointer(long long offset, long mode) {
    if (mnRefNum == 0 || mode < 1 || mode > 3) return kNoErr;
    int whence = mode == 1 ? 0 : mode == 2 ? 2 : 1;
    PlatformSeekStream(mnRefNum, offset, whence, nullptr);
    SyncPosition();
    return kNoErr;
}

long CFile::RewindFilePointer(long long n) {
    return MoveFilePointer(-n, 3);
}

long CFile::AppendFilePointer() {
    return MoveFilePointer(0, 2);
}

long long CFile::GetFileSize() {
    int64_t size = 0;
    if (mnRefNum == 0 || PlatformStreamSize(mnRefNum, &size) != kNoErr) return 0;
    return size;
}

long CFile::SetFileSize(long long size) {
    if (mnRefNum == 0 || size < 0 || size >= 0x100000000LL) return kErrBadArgument;
    long err = PlatformSetStreamSize(mnRefNum, size);
    SyncPosition();
    return err;
}

void CFile::SetLineEnding(long mode) {
    mcLineEnd = mode == 0 ? 0 : mode == 1 ? 13 : 10;
}

void CFile::UpdateLineEndings(char* text) const {
    if (text == nullptr || !mbConvertLineEnds || mcLineEnd == 0) return;
    char from = mcLineEnd == 10 ? 13 : 10;
    for (char* p = text; *p; ++p)
        if (*p == from) *p = mcLineEnd;
}

long CFile::WriteTextFormat(const char* format, ...) {
    if (format == nullptr) return kErrBadArgument;
    char text[kTextFormatBuffer];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return kErrBadArgument;
    UpdateLineEndings(text);
    return WriteFile(text, strlen(text), nullptr);
}

long CFile::ReadTextLine(char* buf, long* pLength, long maxLength) {
    long limit = maxLength;
    if (pLength != nullptr && maxLength == 0) limit = *pLength;
    if (pLength != nullptr) *pLength = 0;
    if (limit <= 0) return kNoErr;
    if (buf == nullptr) return kErrBadArgument;
    buf[0] = 0;
    if (mnRefNum == 0) return kErrBadArgument;

    SyncPosition();
    // A block is never longer than what is left of the file. On a regular
    // file a short read says where it ends; for anything else (a device, a
    // pipe) the length the stream reports is the end, as it always was.
    const bool sized = !PlatformStreamIsRegularFile(mnRefNum);
    const long long size = sized ? GetFileSize() : 0;
    long taken = 0;
    long err = kNoErr;
    for (;;) {
        long long block = std::min<long long>(kTextLineBlock, limit - taken);
        if (sized) block = std::min<long long>(block, size - mnPosition);
        // A line that ends in what the stream holds needs nothing more from
        // the file; asking past it would cost a read at the end of every
        // short file, for every line near its end.
        if (const uint64_t held = PlatformStreamHeldBytes(mnRefNum); held > 0)
            block = std::min<long long>(block, static_cast<long long>(held));
        if (block <= 0) {
            err = kErrEndOfFile;
            break;
        }
        int64_t blockStart = mnPosition;
        unsigned long got = 0;
        long readErr = ReadFile(buf + taken, static_cast<unsigned long>(block), &got);
        if (readErr != kNoErr && readErr != kErrEndOfFile) {
            // Nothing left to read is the end of the file, whatever the
            // stream would say to a read.
            err = GetFileSize() <= blockStart ? kErrEndOfFile : readErr;
            break;
        }
        if (got == 0) {
            err = readErr;
            break;
        }

        const char* scan = buf + taken;
        long at = 0;
        while (at < static_cast<long>(got) && scan[at] != 10 && scan[at] != 13 && scan[at] != 0)
            ++at;
        if (at < static_cast<long>(got)) {
            char end = scan[at];
            int64_t next = blockStart + at + 1;
            if (end != 0) {
                // A CR LF or LF CR pair is one line end, also across blocks.
                char follower = 0;
                bool have = false;
                if (at + 1 < static_cast<long>(got)) {
                    follower = scan[at + 1];
                    have = true;
                } else {
                    uint64_t n = 0;
                    PlatformReadStreamAt(mnRefNum, next, &follower, 1, &n);
                    have = n == 1;
                }
                if (have && ((end == 13 && follower == 10) || (end == 10 && follower == 13)))
                    ++next;
            }
            taken += at;
            MoveFilePointer(next, 1);
            break;
        }
        taken += static_cast<long>(got);
        if (taken >= limit) break;
    }
    buf[taken] = 0;
    if (pLength != nullptr) *pLength = taken;
    if (taken > 0 && err == kErrEndOfFile) err = kNoErr;
    return err;
}
