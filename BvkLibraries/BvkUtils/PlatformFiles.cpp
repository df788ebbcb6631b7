#include "Platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "BvkErrors.h"

static_assert(EXDEV == 18, "kErrPlatformOtherVolume assumes Linux's EXDEV");

namespace {

constexpr const char* kTypeAttribute = "user.bvk.type";
constexpr const char* kCreatorAttribute = "user.bvk.creator";
constexpr size_t kCopyBufferSize = 262144;

// First write failure per open stream, so that a failed write through a
// borrowed reference still spoils the owner's close.
std::map<int, long>& StreamWriteErrors() {
    static std::map<int, long> errors;
    return errors;
}

long LastError() {
    return PlatformErrorFromErrno(errno);
}

bool IsUnsupported(int err) {
    return err == ENOTSUP || err == EOPNOTSUPP;
}

void PutCode(unsigned char* bytes, uint32_t code) {
    bytes[0] = static_cast<unsigned char>(code >> 24);
    bytes[1] = static_cast<unsigned char>(code >> 16);
    bytes[2] = static_cast<unsigned char>(code >> 8);
    bytes[3] = static_cast<unsigned char>(code);
}

long ReadCode(const char* path, const char* attribute, uint32_t* code) {
    unsigned char bytes[4];
    ssize_t n = getxattr(path, attribute, bytes, sizeof bytes);
    *code = 0;
    if (n == 4) {
        *code = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                (uint32_t{bytes[2]} << 8) | uint32_t{bytes[3]};
        return kNoErr;
    }
    if (n >= 0 || errno == ENODATA || errno == ERANGE || IsUnsupported(errno)) return kNoErr;
    return LastError();
}

long WriteCode(const char* path, const char* attribute, uint32_t code) {
    unsigned char bytes[4];
    PutCode(bytes, code);
    if (setxattr(path, attribute, bytes, sizeof bytes, 0) == 0) return kNoErr;
    if (IsUnsupported(errno)) return kNoErr;
    return LastError();
}

long CheckRef(int16_t ref) {
    return ref > 0 ? kNoErr : kErrBadArgument;
}

long AdoptDescriptor(int fd, int16_t* ref) {
    if (fd > SHRT_MAX) {
        close(fd);
        return PlatformErrorFromErrno(EMFILE);
    }
    *ref = static_cast<int16_t>(fd);
    StreamWriteErrors()[fd] = kNoErr;
    return kNoErr;
}

}  // namespace

long PlatformErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return kErrPlatformBase;
        case ENOENT:
        case ENOTDIR:
            return kErrNotFound;
        case EEXIST:
            return kErrNameInUse;
        case EBUSY:
        case ETXTBSY:
        case ENOTEMPTY:  // a folder that still holds items cannot go yet
            return kErrBusy;
        case EINVAL:
        case ENAMETOOLONG:
            return kErrBadArgument;
        case ENOMEM:
            return kErrOutOfMemory;
        default:
            return kErrPlatformBase - err;
    }
}

long PlatformStat(const char* path, long followLinks, XPlatformStat* info) {
    if (path == nullptr || info == nullptr) return kErrBadArgument;
    *info = XPlatformStat{};
    struct stat st {};
    int rc = followLinks ? stat(path, &st) : lstat(path, &st);
    if (rc != 0) return LastError();
    info->isFolder = S_ISDIR(st.st_mode) ? 1 : 0;
    info->isLink = S_ISLNK(st.st_mode) ? 1 : 0;
    info->size = static_cast<uint64_t>(st.st_size);
    info->allocated = static_cast<uint64_t>(st.st_blocks) * 512u;
    info->modifiedUnix = static_cast<int64_t>(st.st_mtim.tv_sec);
    info->mode = static_cast<uint32_t>(st.st_mode & 07777);
    info->device = static_cast<uint64_t>(st.st_dev);
    info->inode = static_cast<uint64_t>(st.st_ino);
    return kNoErr;
}

long PlatformListFolder(const char* path, std::vector<std::string>* names) {
    if (path == nullptr || names == nullptr) return kErrBadArgument;
    names->clear();
    DIR* dir = opendir(path);
    if (dir == nullptr) return LastError();
    errno = 0;
    while (struct dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names->emplace_back(entry->d_name);
        errno = 0;
    }
    long result = errno != 0 ? LastError() : kNoErr;
    closedir(dir);
    return result;
}

long PlatformCreateFolder(const char* path) {
    if (path == nullptr) return kErrBadArgument;
    return mkdir(path, 0777) == 0 ? kNoErr : LastError();
}

long PlatformCreateEmptyFile(const char* path) {
    if (path == nullptr) return kErrBadArgument;
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return LastError();
    return close(fd) == 0 ? kNoErr : LastError();
}

long PlatformDeleteObject(const char* path) {
    if (path == nullptr) return kErrBadArgument;
    struct stat st {};
    if (lstat(path, &st) != 0) return LastError();
    int rc = S_ISDIR(st.st_mode) ? rmdir(path) : unlink(path);
    return rc == 0 ? kNoErr : LastError();
}

long PlatformRename(const char* from, const char* to, long noReplace) {
    if (from == nullptr || to == nullptr) return kErrBadArgument;
    if (noReplace) {
        if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return kNoErr;
        if (errno != EINVAL && errno != ENOSYS && !IsUnsupported(errno)) return LastError();
        struct stat st {};
        if (lstat(to, &st) == 0) return kErrNameInUse;
    }
    return rename(from, to) == 0 ? kNoErr : LastError();
}

long PlatformExchange(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return kErrBadArgument;
    if (renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE) == 0) return kNoErr;
    if (errno != EINVAL && errno != ENOSYS && !IsUnsupported(errno)) return LastError();

    struct stat st {};
    if (lstat(a, &st) != 0 || lstat(b, &st) != 0) return LastError();
    std::string parked;
    for (int n = 0;; ++n) {
        if (n == 1000) return kErrNameInUse;
        parked = std::string(a) + ".exchange" + std::to_string(n);
        if (lstat(parked.c_str(), &st) != 0) break;
    }
    if (rename(a, parked.c_str()) != 0) return LastError();
    if (rename(b, a) != 0) {
        long err = LastError();
        rename(parked.c_str(), a);
        return err;
    }
    if (rename(parked.c_str(), b) != 0) {
        long err = LastError();
        rename(a, b);
        rename(parked.c_str(), a);
        return err;
    }
    return kNoErr;
}

long PlatformResolvePath(const char* path, std::string* resolved) {
    if (path == nullptr || resolved == nullptr) return kErrBadArgument;
    char* real = realpath(path, nullptr);
    if (real == nullptr) return LastError();
    *resolved = real;
    free(real);
    return kNoErr;
}

long PlatformGetTypeCreator(const char* path, uint32_t* type, uint32_t* creator) {
    if (path == nullptr) return kErrBadArgument;
    uint32_t scratch = 0;
    long err = ReadCode(path, kTypeAttribute, type ? type : &scratch);
    if (err == kNoErr) err = ReadCode(path, kCreatorAttribute, creator ? creator : &scratch);
    return err;
}

long PlatformSetTypeCreator(const char* path, const uint32_t* type, const uint32_t* creator) {
    if (path == nullptr) return kErrBadArgument;
    struct stat st {};
    if (stat(path, &st) != 0) return LastError();
    long err = kNoErr;
    if (type) err = WriteCode(path, kTypeAttribute, *type);
    if (err == kNoErr && creator) err = WriteCode(path, kCreatorAttribute, *creator);
    return err;
}

bool PlatformTypeCreatorSupported(const char* path) {
    if (path == nullptr) return false;
    unsigned char bytes[4] = {'t', 'e', 's', 't'};
    if (setxattr(path, "user.bvk.probe", bytes, sizeof bytes, 0) != 0) return false;
    removexattr(path, "user.bvk.probe");
    return true;
}

long PlatformSetModifiedTime(const char* path, int64_t unixSeconds) {
    if (path == nullptr) return kErrBadArgument;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(unixSeconds);
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, path, times, 0) == 0 ? kNoErr : LastError();
}

long PlatformSetMode(const char* path, uint32_t mode) {
    if (path == nullptr) return kErrBadArgument;
    return chmod(path, static_cast<mode_t>(mode & 07777)) == 0 ? kNoErr : LastError();
}

long PlatformCopyFileContent(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) return kErrBadArgument;
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return LastError();
    struct stat st {};
    if (fstat(in, &st) != 0) {
        long err = LastError();
        close(in);
        return err;
    }
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0) {
        long err = LastError();
        close(in);
        return err;
    }

    long err = kNoErr;
    bool serverSide = true;
    while (serverSide) {
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n > 0) continue;
        if (n == 0) break;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || IsUnsupported(errno)) {
            serverSide = false;
            // Start over through a buffer from wherever the failed attempt left us.
            if (lseek(in, 0, SEEK_SET) < 0 || lseek(out, 0, SEEK_SET) < 0 || ftruncate(out, 0) != 0)
                err = LastError();
            break;
        }
        err = LastError();
        break;
    }
    if (!serverSide && err == kNoErr) {
        std::vector<char> buffer(kCopyBufferSize);
        for (;;) {
            ssize_t n = read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                err = LastError();
                break;
            }
            if (n == 0) break;
            ssize_t written = 0;
            while (written < n) {
                ssize_t w = write(out, buffer.data() + written, static_cast<size_t>(n - written));
                if (w < 0 && errno == EINTR) continue;
                if (w < 0) break;
                written += w;
            }
            if (written < n) {
                err = LastError();
                break;
            }
        }
    }
    if (err == kNoErr && fchmod(out, st.st_mode & 07777) != 0) err = LastError();
    if (close(out) != 0 && err == kNoErr) err = LastError();
    close(in);
    return err;
}

long PlatformOpenStream(const char* path, long access, long truncate, int16_t* ref) {
    if (path == nullptr || ref == nullptr) return kErrBadArgument;
    *ref = 0;
    int flags = O_CLOEXEC;
    if (access == kPlatformAccessRead)
        flags |= O_RDONLY;
    else if (access == kPlatformAccessWrite)
        flags |= O_WRONLY;
    else
        flags |= O_RDWR;
    if (truncate && access != kPlatformAccessRead) flags |= O_TRUNC;
    int fd = open(path, flags);
    // A stream opened with the default access falls back to reading alone.
    if (fd < 0 && access != kPlatformAccessRead && access != kPlatformAccessWrite &&
        access != kPlatformAccessReadWrite && (errno == EACCES || errno == EROFS))
        fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return LastError();
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        return PlatformErrorFromErrno(EISDIR);
    }
    return AdoptDescriptor(fd, ref);
}

long PlatformCreateTempStream(const char* folder, const char* name, std::string* tempPath,
                              int16_t* ref) {
    if (folder == nullptr || name == nullptr || tempPath == nullptr || ref == nullptr)
        return kErrBadArgument;
    *ref = 0;
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    // Keep the hidden name short enough for every file system.
    pattern += '.';
    pattern += std::string(name).substr(0, 200);
    pattern += ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) return LastError();
    // The replacement keeps the permissions of the file it will replace; a
    // new file gets the usual ones.
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = 0666 & ~mask;
    std::string finalPath = folder;
    if (finalPath.empty() || finalPath.back() != '/') finalPath += '/';
    finalPath += name;
    struct stat existing {};
    if (stat(finalPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) mode = existing.st_mode & 07777;
    if (fchmod(fd, mode) != 0) {
        long err = LastError();
        close(fd);
        unlink(buffer.data());
        return err;
    }
    *tempPath = buffer.data();
    long err = AdoptDescriptor(fd, ref);
    if (err != kNoErr) unlink(buffer.data());
    return err;
}

long PlatformCloseStream(int16_t ref) {
    if (long err = CheckRef(ref)) return err;
    StreamWriteErrors().erase(ref);
    return close(ref) == 0 ? kNoErr : LastError();
}

long PlatformSyncStream(int16_t ref) {
    if (long err = CheckRef(ref)) return err;
    return fsync(ref) == 0 || errno == EINVAL || errno == EROFS ? kNoErr : LastError();
}

long PlatformReadStream(int16_t ref, void* data, uint64_t count, uint64_t* got) {
    if (got) *got = 0;
    if (long err = CheckRef(ref)) return err;
    if (data == nullptr && count > 0) return kErrBadArgument;
    uint64_t total = 0;
    while (total < count) {
        ssize_t n = read(ref, static_cast<char*>(data) + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (got) *got = total;
            return LastError();
        }
        if (n == 0) break;
        total += static_cast<uint64_t>(n);
    }
    if (got) *got = total;
    return total < count ? kErrEndOfFile : kNoErr;
}

long PlatformReadStreamAt(int16_t ref, int64_t offset, void* data, uint64_t count, uint64_t* got) {
    if (got) *got = 0;
    if (long err = CheckRef(ref)) return err;
    if ((data == nullptr && count > 0) || offset < 0) return kErrBadArgument;
    uint64_t total = 0;
    while (total < count) {
        ssize_t n = pread(ref, static_cast<char*>(data) + total, count - total,
                          static_cast<off_t>(offset + static_cast<int64_t>(total)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (got) *got = total;
            return LastError();
        }
        if (n == 0) break;
        total += static_cast<uint64_t>(n);
    }
    if (got) *got = total;
    return total < count ? kErrEndOfFile : kNoErr;
}

long PlatformWriteStream(int16_t ref, const void* data, uint64_t count, uint64_t* done) {
    if (done) *done = 0;
    if (long err = CheckRef(ref)) return err;
    if (data == nullptr && count > 0) return kErrBadArgument;
    uint64_t total = 0;
    long err = kNoErr;
    while (total < count) {
        ssize_t n = write(ref, static_cast<const char*>(data) + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? LastError() : PlatformErrorFromErrno(EIO);
            break;
        }
        total += static_cast<uint64_t>(n);
    }
    if (done) *done = total;
    if (err != kNoErr) {
        long& first = StreamWriteErrors()[ref];
        if (first == kNoErr) first = err;
    }
    return err;
}

long PlatformSeekStream(int16_t ref, int64_t offset, int whence, int64_t* position) {
    if (long err = CheckRef(ref)) return err;
    int how = whence == 0 ? SEEK_SET : whence == 2 ? SEEK_END : SEEK_CUR;
    off_t at = lseek(ref, static_cast<off_t>(offset), how);
    if (at < 0) {
        long err = LastError();
        if (position) *position = lseek(ref, 0, SEEK_CUR);
        return err;
    }
    if (position) *position = static_cast<int64_t>(at);
    return kNoErr;
}

long PlatformStreamSize(int16_t ref, int64_t* size) {
    if (size) *size = 0;
    if (long err = CheckRef(ref)) return err;
    struct stat st {};
    if (fstat(ref, &st) != 0) return LastError();
    if (size) *size = static_cast<int64_t>(st.st_size);
    return kNoErr;
}

long PlatformSetStreamSize(int16_t ref, int64_t size) {
    if (long err = CheckRef(ref)) return err;
    if (size < 0) return kErrBadArgument;
    return ftruncate(ref, static_cast<off_t>(size)) == 0 ? kNoErr : LastError();
}

long PlatformStreamWriteError(int16_t ref) {
    auto& errors = StreamWriteErrors();
    auto found = errors.find(ref);
    return found == errors.end() ? kNoErr : found->second;
}

int64_t PlatformMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void PlatformSleepMicroseconds(int64_t us) {
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
}
