#include "Platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <climits>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "BvkErrors.h"
#include "PlatformFault.h"

static_assert(EXDEV == 18, "kErrPlatformOtherVolume assumes Linux's EXDEV");

namespace {

constexpr const char* kTypeAttribute = "user.bvk.type";
constexpr const char* kCreatorAttribute = "user.bvk.creator";
constexpr size_t kCopyBufferSize = 262144;
// Marks the hidden name of a file that is being written and will take its
// final name when complete: ".NAME" + this + a unique part.
constexpr const char* kTempTag = ".bvkpart-";

// What the layer keeps for one open stream. The state belongs to the stream,
// not to whoever holds the reference, so an object that borrows a reference
// reads and writes exactly where the owner would, through the same buffer.
//
// A regular file is read ahead and written behind through `buffer`, at a
// position kept here (pread/pwrite); the buffer holds either bytes read from
// the file or bytes not yet written to it, never both. Other files go straight
// to the system.
struct XStream {
    bool buffered = false;
    bool writable = false;
    // Another stream of this process is open on the same file: its writes
    // must be visible to this one's reads and the other way round.
    bool shared = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    // The first write failure, so that a failed write through a borrowed
    // reference still spoils the owner's close.
    long firstWriteError = kNoErr;
    int64_t position = 0;
    // Positions up to here are known to be acceptable to the file system.
    int64_t knownEnd = 0;
    std::unique_ptr<char[]> buffer;
    int64_t bufferStart = 0;
    uint64_t bufferLength = 0;
    bool pendingWrite = false;
    // An output that is synced before it takes its name: its bytes are sent
    // to the volume as they are written, so that the sync at the end waits
    // for the last stretch only, not for the whole file.
    bool syncedAtClose = false;
    int64_t unsentFrom = 0;
    int64_t unsentTo = 0;
};

// Indexed by descriptor; references are small numbers.
std::vector<std::unique_ptr<XStream>>& Streams() {
    static std::vector<std::unique_ptr<XStream>> streams;
    return streams;
}

XStream* FindStream(int16_t ref) {
    auto& streams = Streams();
    if (ref <= 0 || static_cast<size_t>(ref) >= streams.size()) return nullptr;
    return streams[static_cast<size_t>(ref)].get();
}

XStream* FindBufferedStream(int16_t ref) {
    XStream* stream = FindStream(ref);
    return stream != nullptr && stream->buffered ? stream : nullptr;
}

void NoteWriteError(XStream* stream, long err) {
    if (stream != nullptr && err != kNoErr && stream->firstWriteError == kNoErr)
        stream->firstWriteError = err;
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

// Writes of an output that is synced at close start on the volume once this
// much has gathered; the sync itself still decides whether the file is good.
constexpr int64_t kWritebackStep = int64_t(1) << 20;

void StartWriteback(int fd, XStream& stream, int64_t offset, uint64_t count) {
    if (!stream.syncedAtClose || count == 0) return;
    int64_t end = offset + static_cast<int64_t>(count);
    if (stream.unsentTo == stream.unsentFrom) {
        stream.unsentFrom = offset;
        stream.unsentTo = end;
    } else {
        stream.unsentFrom = std::min(stream.unsentFrom, offset);
        stream.unsentTo = std::max(stream.unsentTo, end);
    }
    if (stream.unsentTo - stream.unsentFrom < kWritebackStep) return;
    sync_file_range(fd, stream.unsentFrom, stream.unsentTo - stream.unsentFrom,
                    SYNC_FILE_RANGE_WRITE);
    stream.unsentFrom = stream.unsentTo = 0;
}

long CheckRef(int16_t ref) {
    return ref > 0 ? kNoErr : kErrBadArgument;
}

// Writes every byte at `offset`; 0 or the failure, with the count written.
long WriteAllAt(int fd, const char* data, uint64_t count, int64_t offset, uint64_t* done) {
    uint64_t total = 0;
    long err = kNoErr;
    while (total < count) {
        if (PlatformFaultHere(kFaultWrite)) {
            err = LastError();
            break;
        }
        ssize_t n = pwrite(fd, data + total, count - total,
                           static_cast<off_t>(offset + static_cast<int64_t>(total)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? LastError() : PlatformErrorFromErrno(EIO);
            break;
        }
        total += static_cast<uint64_t>(n);
    }
    *done = total;
    return err;
}

// Puts the bytes written behind on the file. A failure is kept as the
// stream's write failure; the bytes are dropped either way.
long FlushStream(int fd, XStream& stream) {
    if (!stream.pendingWrite) return kNoErr;
    uint64_t done = 0;
    long err = WriteAllAt(fd, stream.buffer.get(), stream.bufferLength, stream.bufferStart, &done);
    StartWriteback(fd, stream, stream.bufferStart, done);
    stream.pendingWrite = false;
    stream.bufferLength = 0;
    NoteWriteError(&stream, err);
    return err;
}

void DropReadAhead(XStream& stream) {
    if (!stream.pendingWrite) stream.bufferLength = 0;
}

// Other streams of this process open on the same file as `self`.
template <typename Visit>
void ForEachSharer(int self, const XStream& stream, Visit visit) {
    if (!stream.shared) return;
    auto& streams = Streams();
    for (size_t fd = 0; fd < streams.size(); ++fd) {
        XStream* other = streams[fd].get();
        if (other != nullptr && static_cast<int>(fd) != self && other->buffered &&
            other->device == stream.device && other->inode == stream.inode)
            visit(static_cast<int>(fd), *other);
    }
}

// Before bytes come from the file: what this or another stream wrote behind
// goes there first.
void BeforeFileRead(int fd, XStream& stream) {
    FlushStream(fd, stream);
    ForEachSharer(fd, stream, [](int other, XStream& s) { FlushStream(other, s); });
}

// Before the file changes through this stream: what others wrote behind goes
// first, so that writes land in the order they were made, and what they read
// ahead is stale.
void BeforeFileChange(int fd, XStream& stream) {
    ForEachSharer(fd, stream, [](int other, XStream& s) {
        FlushStream(other, s);
        DropReadAhead(s);
    });
}

// Before an operation by path: every stream's bytes are on the files, and,
// when the operation rewrites a file, nothing read ahead is trusted any more.
void SettleStreams(bool dropReadAhead) {
    auto& streams = Streams();
    for (size_t fd = 0; fd < streams.size(); ++fd) {
        XStream* stream = streams[fd].get();
        if (stream == nullptr) continue;
        FlushStream(static_cast<int>(fd), *stream);
        if (dropReadAhead) DropReadAhead(*stream);
    }
}

// Reads up to `count` bytes at `offset`, from the buffer where it holds them.
long BufferedReadAt(int fd, XStream& stream, int64_t offset, char* data, uint64_t count,
                    uint64_t* got) {
    if (stream.pendingWrite) BeforeFileRead(fd, stream);
    uint64_t total = 0;
    while (total < count) {
        int64_t at = offset + static_cast<int64_t>(total);
        int64_t bufferEnd = stream.bufferStart + static_cast<int64_t>(stream.bufferLength);
        if (stream.bufferLength > 0 && at >= stream.bufferStart && at < bufferEnd) {
            uint64_t n = std::min<uint64_t>(count - total, static_cast<uint64_t>(bufferEnd - at));
            memcpy(data + total, stream.buffer.get() + (at - stream.bufferStart), n);
            total += n;
            continue;
        }
        BeforeFileRead(fd, stream);
        // A large read goes straight to the caller; a small one refills.
        bool direct = count - total >= kPlatformStreamBuffer;
        if (!direct && !stream.buffer) stream.buffer.reset(new char[kPlatformStreamBuffer]);
        char* into = direct ? data + total : stream.buffer.get();
        uint64_t room = direct ? count - total : kPlatformStreamBuffer;
        ssize_t n = pread(fd, into, room, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *got = total;
            return LastError();
        }
        if (n == 0) break;
        stream.knownEnd = std::max(stream.knownEnd, at + n);
        if (direct) {
            total += static_cast<uint64_t>(n);
        } else {
            stream.bufferStart = at;
            stream.bufferLength = static_cast<uint64_t>(n);
        }
    }
    *got = total;
    return total < count ? kErrEndOfFile : kNoErr;
}

long BufferedWrite(int fd, XStream& stream, const char* data, uint64_t count, uint64_t* done) {
    *done = 0;
    BeforeFileChange(fd, stream);
    DropReadAhead(stream);
    if (stream.pendingWrite && stream.bufferLength + count > kPlatformStreamBuffer) {
        if (long err = FlushStream(fd, stream)) return err;
    }
    if (count >= kPlatformStreamBuffer) {
        long err = WriteAllAt(fd, data, count, stream.position, done);
        StartWriteback(fd, stream, stream.position, *done);
        stream.position += static_cast<int64_t>(*done);
        stream.knownEnd = std::max(stream.knownEnd, stream.position);
        NoteWriteError(&stream, err);
        return err;
    }
    if (!stream.buffer) stream.buffer.reset(new char[kPlatformStreamBuffer]);
    if (!stream.pendingWrite) {
        stream.pendingWrite = true;
        stream.bufferStart = stream.position;
        stream.bufferLength = 0;
    }
    memcpy(stream.buffer.get() + stream.bufferLength, data, count);
    stream.bufferLength += count;
    stream.position += static_cast<int64_t>(count);
    stream.knownEnd = std::max(stream.knownEnd, stream.position);
    *done = count;
    return kNoErr;
}

long BufferedSeek(int fd, XStream& stream, int64_t offset, int whence, int64_t* position) {
    int64_t base = stream.position;
    if (whence == 0) {
        base = 0;
    } else if (whence == 2) {
        BeforeFileRead(fd, stream);
        struct stat st {};
        if (fstat(fd, &st) != 0) {
            long err = LastError();
            if (position) *position = stream.position;
            return err;
        }
        base = static_cast<int64_t>(st.st_size);
        stream.knownEnd = std::max(stream.knownEnd, base);
    }
    int64_t target = 0;
    long err = kNoErr;
    if (__builtin_add_overflow(base, offset, &target))
        err = PlatformErrorFromErrno(EOVERFLOW);
    else if (target < 0)
        err = PlatformErrorFromErrno(EINVAL);
    else if (target > stream.knownEnd) {
        // Past what the file is known to hold the file system decides.
        if (lseek(fd, static_cast<off_t>(target), SEEK_SET) < 0)
            err = LastError();
        else
            stream.knownEnd = target;
    }
    if (err == kNoErr && target != stream.position) {
        FlushStream(fd, stream);
        stream.position = target;
    }
    if (position) *position = stream.position;
    return err;
}

// `st` is what fstat said of the descriptor (null when it failed) and
// `openFlags` the flags it was opened with (-1 when not known): an open that
// already asked need not ask again.
long AdoptDescriptor(int fd, const struct stat* st, int openFlags, int16_t* ref) {
    if (fd > SHRT_MAX) {
        close(fd);
        return PlatformErrorFromErrno(EMFILE);
    }
    *ref = static_cast<int16_t>(fd);
    auto stream = std::make_unique<XStream>();
    if (st != nullptr && S_ISREG(st->st_mode)) {
        int mode = openFlags >= 0 ? openFlags : fcntl(fd, F_GETFL);
        stream->buffered = true;
        stream->writable = mode >= 0 && (mode & O_ACCMODE) != O_RDONLY;
        stream->device = static_cast<uint64_t>(st->st_dev);
        stream->inode = static_cast<uint64_t>(st->st_ino);
        stream->knownEnd = static_cast<int64_t>(st->st_size);
        for (auto& other : Streams()) {
            if (other && other->buffered && other->device == stream->device &&
                other->inode == stream->inode)
                other->shared = stream->shared = true;
        }
    }
    auto& streams = Streams();
    if (streams.size() <= static_cast<size_t>(fd)) streams.resize(static_cast<size_t>(fd) + 1);
    streams[static_cast<size_t>(fd)] = std::move(stream);
    return kNoErr;
}

long AdoptDescriptor(int fd, int16_t* ref) {
    struct stat st {};
    return AdoptDescriptor(fd, fstat(fd, &st) == 0 ? &st : nullptr, -1, ref);
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
    SettleStreams(false);
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
    SettleStreams(false);
    struct stat st {};
    if (lstat(path, &st) != 0) return LastError();
    int rc = S_ISDIR(st.st_mode) ? rmdir(path) : unlink(path);
    return rc == 0 ? kNoErr : LastError();
}

long PlatformRename(const char* from, const char* to, long noReplace) {
    if (from == nullptr || to == nullptr) return kErrBadArgument;
    SettleStreams(false);
    if (PlatformFaultHere(kFaultRename)) return LastError();
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
    SettleStreams(false);
    if (PlatformFaultHere(kFaultExchange)) return LastError();
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
    // A later write behind would move the time again.
    SettleStreams(false);
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
    SettleStreams(true);
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return LastError();
    struct stat st {};
    if (fstat(in, &st) != 0) {
        long err = LastError();
        close(in);
        return err;
    }
    // A pipe without a reader fails at once instead of holding the copy.
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    struct stat outInfo {};
    int outFlags = out < 0 ? -1 : fcntl(out, F_GETFL);
    if (out < 0 || outFlags < 0 || fcntl(out, F_SETFL, outFlags & ~O_NONBLOCK) != 0 ||
        fstat(out, &outInfo) != 0) {
        long err = LastError();
        if (out >= 0) close(out);
        close(in);
        return err;
    }
    // A pipe or device is only written to: its own mode and the volume's
    // sync are none of the copy's business.
    const bool regular = S_ISREG(outInfo.st_mode);

    long err = kNoErr;
    bool serverSide = true;
    while (serverSide) {
        if (PlatformFaultHere(kFaultWrite)) {
            err = LastError();
            break;
        }
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n > 0) continue;
        if (n == 0) break;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || IsUnsupported(errno)) {
            serverSide = false;
            // Start over through a buffer from wherever the failed attempt
            // left us; nothing was copied into a pipe or device, which
            // cannot go back.
            if (lseek(in, 0, SEEK_SET) < 0 ||
                (regular && (lseek(out, 0, SEEK_SET) < 0 || ftruncate(out, 0) != 0)))
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
                if (PlatformFaultHere(kFaultWrite)) break;
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
    if (regular && err == kNoErr && fchmod(out, st.st_mode & 07777) != 0) err = LastError();
    // A copy is put in place by a rename: its bytes must be on the volume
    // before it takes the final name.
    if (regular && err == kNoErr && !PlatformSyncDeferred() &&
        (PlatformFaultHere(kFaultSync) || fsync(out) != 0) && errno != EINVAL && errno != EROFS)
        err = LastError();
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
    SettleStreams(truncate != 0);
    int fd = open(path, flags);
    // A stream opened with the default access falls back to reading alone.
    if (fd < 0 && access != kPlatformAccessRead && access != kPlatformAccessWrite &&
        access != kPlatformAccessReadWrite && (errno == EACCES || errno == EROFS)) {
        flags = O_RDONLY | O_CLOEXEC;
        fd = open(path, flags);
    }
    if (fd < 0) return LastError();
    struct stat st {};
    const bool statted = fstat(fd, &st) == 0;
    if (statted && S_ISDIR(st.st_mode)) {
        close(fd);
        return PlatformErrorFromErrno(EISDIR);
    }
    return AdoptDescriptor(fd, statted ? &st : nullptr, flags, ref);
}

long PlatformCreateTempStream(const char* folder, const char* name, std::string* tempPath,
                              int16_t* ref) {
    if (folder == nullptr || name == nullptr || tempPath == nullptr || ref == nullptr)
        return kErrBadArgument;
    *ref = 0;
    // Leftovers of runs that were killed while writing here go first.
    PlatformRemoveStaleTemps(folder, kPlatformStaleTempSeconds);
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += PlatformTempStem(name);
    pattern += "XXXXXX";
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
    if (stat(finalPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        mode = existing.st_mode & 07777;
    if (fchmod(fd, mode) != 0) {
        long err = LastError();
        close(fd);
        unlink(buffer.data());
        return err;
    }
    *tempPath = buffer.data();
    long err = AdoptDescriptor(fd, ref);
    if (err != kNoErr) {
        unlink(buffer.data());
        return err;
    }
    if (XStream* stream = FindStream(*ref)) stream->syncedAtClose = !PlatformSyncDeferred();
    return kNoErr;
}

std::string PlatformTempStem(const char* name) {
    // Kept short enough for every file system. Built by appending: GCC 12 at -O3
    // sees a false overlap in "." + std::string.
    std::string stem(1, '.');
    if (name != nullptr) stem.append(name, strnlen(name, 200));
    stem += kTempTag;
    return stem;
}

bool PlatformIsTempName(const char* name) {
    if (name == nullptr || name[0] != '.') return false;
    const char* tag = strstr(name + 1, kTempTag);
    if (tag == nullptr) return false;
    // The tag may also occur inside the name the temporary stands for.
    for (const char* next; (next = strstr(tag + 1, kTempTag)) != nullptr;) tag = next;
    const char* unique = tag + strlen(kTempTag);
    if (*unique == 0) return false;
    for (const char* p = unique; *p; ++p)
        if (!isalnum(static_cast<unsigned char>(*p))) return false;
    return true;
}

long PlatformRemoveStaleTemps(const char* folder, int64_t ageSeconds) {
    if (folder == nullptr) return 0;
    std::vector<std::string> names;
    if (PlatformListFolder(folder, &names) != kNoErr) return 0;
    // The status change time moves with every write, every change of codes
    // or dates and every rename, and cannot be set back: a temporary that
    // has not changed for that long belongs to no running writer.
    const int64_t before = static_cast<int64_t>(time(nullptr)) - ageSeconds;
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';
    long removed = 0;
    for (const std::string& name : names) {
        if (!PlatformIsTempName(name.c_str())) continue;
        const std::string path = base + name;
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (static_cast<int64_t>(st.st_ctim.tv_sec) >= before) continue;
        if (unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

long PlatformOutputTarget(const char* path, std::string* target, long* kind) {
    if (path == nullptr || target == nullptr || kind == nullptr) return kErrBadArgument;
    std::string at = path;
    // As many links as the system itself follows.
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat st {};
        if (lstat(at.c_str(), &st) != 0) {
            if (errno != ENOENT) return LastError();
            *target = at;
            *kind = kOutputNew;
            return kNoErr;
        }
        if (!S_ISLNK(st.st_mode)) {
            *target = at;
            *kind = S_ISREG(st.st_mode)   ? kOutputRegular
                    : S_ISDIR(st.st_mode) ? kOutputFolder
                                          : kOutputSpecial;
            return kNoErr;
        }
        std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = readlink(at.c_str(), link.data(), link.size());
        if (n < 0) return LastError();
        if (static_cast<size_t>(n) >= link.size()) return PlatformErrorFromErrno(ENAMETOOLONG);
        std::string to(link.data(), static_cast<size_t>(n));
        if (to.empty()) return kErrNotFound;
        // A relative link is relative to the folder that holds it.
        if (to[0] != '/') to = at.substr(0, at.find_last_of('/') + 1) + to;
        at = to;
    }
    return PlatformErrorFromErrno(ELOOP);
}

long PlatformOpenWriteThrough(const char* path, int16_t* ref) {
    if (path == nullptr || ref == nullptr) return kErrBadArgument;
    *ref = 0;
    SettleStreams(false);
    // A pipe nobody reads would hold the open for ever: without a reader the
    // open fails (ENXIO) instead. Once open, writes wait as they should.
    int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return LastError();
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        long err = LastError();
        close(fd);
        return err;
    }
    return AdoptDescriptor(fd, ref);
}

long PlatformCloseStream(int16_t ref) {
    if (long err = CheckRef(ref)) return err;
    long err = kNoErr;
    auto& streams = Streams();
    if (static_cast<size_t>(ref) < streams.size() && streams[static_cast<size_t>(ref)]) {
        err = FlushStream(ref, *streams[static_cast<size_t>(ref)]);
        streams[static_cast<size_t>(ref)].reset();
    }
    long closeErr = close(ref) == 0 ? kNoErr : LastError();
    return err != kNoErr ? err : closeErr;
}

bool PlatformSyncDeferred() {
    const char* value = std::getenv("BVK_DEFER_SYNC");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

long PlatformSyncStream(int16_t ref) {
    if (long err = CheckRef(ref)) return err;
    if (XStream* stream = FindStream(ref)) {
        if (long err = FlushStream(ref, *stream)) return err;
    }
    if (PlatformSyncDeferred()) return kNoErr;
    if (PlatformFaultHere(kFaultSync)) return LastError();
    return fsync(ref) == 0 || errno == EINVAL || errno == EROFS ? kNoErr : LastError();
}

long PlatformReadStream(int16_t ref, void* data, uint64_t count, uint64_t* got) {
    if (got) *got = 0;
    if (long err = CheckRef(ref)) return err;
    if (data == nullptr && count > 0) return kErrBadArgument;
    if (XStream* stream = FindBufferedStream(ref)) {
        uint64_t n = 0;
        long err =
            BufferedReadAt(ref, *stream, stream->position, static_cast<char*>(data), count, &n);
        stream->position += static_cast<int64_t>(n);
        if (got) *got = n;
        return err;
    }
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
    if (XStream* stream = FindBufferedStream(ref)) {
        uint64_t n = 0;
        long err = BufferedReadAt(ref, *stream, offset, static_cast<char*>(data), count, &n);
        if (got) *got = n;
        return err;
    }
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
    XStream* stream = FindStream(ref);
    if (stream != nullptr && stream->buffered && stream->writable) {
        uint64_t n = 0;
        long err = BufferedWrite(ref, *stream, static_cast<const char*>(data), count, &n);
        if (done) *done = n;
        return err;
    }
    // A stream that cannot be written fails here and now, as the system says.
    uint64_t total = 0;
    long err = kNoErr;
    while (total < count) {
        if (PlatformFaultHere(kFaultWrite)) {
            err = LastError();
            break;
        }
        ssize_t n = write(ref, static_cast<const char*>(data) + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? LastError() : PlatformErrorFromErrno(EIO);
            break;
        }
        total += static_cast<uint64_t>(n);
    }
    if (done) *done = total;
    NoteWriteError(stream, err);
    return err;
}

long PlatformSeekStream(int16_t ref, int64_t offset, int whence, int64_t* position) {
    if (long err = CheckRef(ref)) return err;
    if (XStream* stream = FindBufferedStream(ref))
        return BufferedSeek(ref, *stream, offset, whence, position);
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
    if (XStream* stream = FindBufferedStream(ref)) BeforeFileRead(ref, *stream);
    struct stat st {};
    if (fstat(ref, &st) != 0) return LastError();
    if (size) *size = static_cast<int64_t>(st.st_size);
    return kNoErr;
}

long PlatformSetStreamSize(int16_t ref, int64_t size) {
    if (long err = CheckRef(ref)) return err;
    if (size < 0) return kErrBadArgument;
    if (XStream* stream = FindBufferedStream(ref)) {
        FlushStream(ref, *stream);
        BeforeFileChange(ref, *stream);
        DropReadAhead(*stream);
    }
    return ftruncate(ref, static_cast<off_t>(size)) == 0 ? kNoErr : LastError();
}

long PlatformStreamWriteError(int16_t ref) {
    XStream* stream = FindStream(ref);
    if (stream == nullptr) return kNoErr;
    FlushStream(ref, *stream);
    return stream->firstWriteError;
}

bool PlatformStreamIsRegularFile(int16_t ref) {
    return FindBufferedStream(ref) != nullptr;
}

uint64_t PlatformStreamHeldBytes(int16_t ref) {
    const XStream* stream = FindBufferedStream(ref);
    if (stream == nullptr || stream->pendingWrite || stream->bufferLength == 0) return 0;
    const int64_t end = stream->bufferStart + static_cast<int64_t>(stream->bufferLength);
    if (stream->position < stream->bufferStart || stream->position >= end) return 0;
    return static_cast<uint64_t>(end - stream->position);
}

int64_t PlatformMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void PlatformSleepMicroseconds(int64_t us) {
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
}
