#pragma once
// The file-system layer: everything the file classes need from the operating
// system, by path, with results already turned into the system's error codes
// (0 success, -39 end of file, -43 not found, -47 busy, -48 name in use, -50
// bad argument, -108 out of memory; other failures as kErrPlatformBase - errno).
// Paths are absolute UTF-8 path strings. Nothing here keeps state except the
// table of open streams.

#include <cstdint>
#include <string>
#include <vector>

// Failures without a code of their own come out as this minus errno, far from
// every code the system defines.
constexpr long kErrPlatformBase = -20000;
// A rename across volumes (EXDEV), which callers answer by copying.
constexpr long kErrPlatformOtherVolume = kErrPlatformBase - 18;

// The one mapping from an errno value to an error code.
long PlatformErrorFromErrno(int err);

// What the catalog says about one object.
struct XPlatformStat {
    int32_t isFolder;
    int32_t isLink;        // the path itself is a symbolic link (only when not followed)
    uint64_t size;         // logical length in bytes
    uint64_t allocated;    // bytes allocated on the volume
    int64_t modifiedUnix;  // content modification time, seconds since 1970 UTC
    uint32_t mode;         // permission bits
    uint64_t device;
    uint64_t inode;
};

// 0 and the record, or -43 when nothing is there. With followLinks the
// record is the link target's.
long PlatformStat(const char* path, long followLinks, XPlatformStat* info);

// The names in a folder in directory order, without "." and "..".
long PlatformListFolder(const char* path, std::vector<std::string>* names);

long PlatformCreateFolder(const char* path);     // -48 when something is there
long PlatformCreateEmptyFile(const char* path);  // -48 when something is there
// Removes a file, a link or an empty folder (-47 when the folder holds items).
long PlatformDeleteObject(const char* path);
// Renames; an existing object of the new name is replaced unless noReplace.
long PlatformRename(const char* from, const char* to, long noReplace);
// Swaps two objects atomically when the file system can, else by three renames
// through a temporary name in the first object's folder.
long PlatformExchange(const char* a, const char* b);
// The path with every symbolic link resolved (the object must exist).
long PlatformResolvePath(const char* path, std::string* resolved);

// Type and creator codes, kept in user extended attributes. Reading a file
// that has none gives 0 codes; a file system without extended attributes
// drops them silently (the set succeeds).
long PlatformGetTypeCreator(const char* path, uint32_t* type, uint32_t* creator);
long PlatformSetTypeCreator(const char* path, const uint32_t* type, const uint32_t* creator);
// True when the file system under `path` stores the codes.
bool PlatformTypeCreatorSupported(const char* path);

// Sets the content modification time (seconds since 1970 UTC); the access
// time is left alone.
long PlatformSetModifiedTime(const char* path, int64_t unixSeconds);

// Copies a file's content and permission bits to `to` (created, or truncated
// when it exists). The file system copies server-side where it can.
long PlatformCopyFileContent(const char* from, const char* to);

// Sets the permission bits of an object.
long PlatformSetMode(const char* path, uint32_t mode);

// Open streams. A stream reference is a positive 16-bit number; reads and
// writes happen at the stream's own position, so a reference handed to
// another object continues where the owner stopped.
//
// A regular file is read ahead and written behind in blocks of
// kPlatformStreamBuffer bytes, so that reading a file line by line or
// writing it a line at a time costs few system calls. The buffer belongs to
// the stream: every operation here, through any holder of the reference, by
// another stream on the same file or by path, sees the file as if each call
// had gone to the system at once. What shows is only when a write failure
// surfaces: a write that fails on the volume may be reported by a later
// write, and at the latest by PlatformStreamWriteError, PlatformSyncStream
// and PlatformCloseStream.
constexpr uint64_t kPlatformStreamBuffer = 65536;
enum {
    kPlatformAccessRead = 1,
    kPlatformAccessWrite = 2,
    kPlatformAccessReadWrite = 3,
};
long PlatformOpenStream(const char* path, long access, long truncate, int16_t* ref);
// Creates and opens (read/write) a new file with a unique hidden name made
// from `name` in `folder` (PlatformTempStem); its full path goes to
// `tempPath`. It gets the permissions of the regular file `name` it will
// replace, else those of a newly created file. Stale temporaries in the
// folder are removed first.
long PlatformCreateTempStream(const char* folder, const char* name, std::string* tempPath,
                              int16_t* ref);

// What an output's final name leads to, symbolic links followed: `target` is
// the path of the object the output will replace (the name itself when it is
// not a link), `kind` one of the values below.
enum {
    kOutputNew = 0,      // nothing there yet (a link may point to the missing name)
    kOutputRegular = 1,  // a regular file, replaced by renaming a finished copy over it
    kOutputFolder = 2,
    kOutputSpecial = 3,  // a pipe, device or socket: written through, never replaced
};
long PlatformOutputTarget(const char* path, std::string* target, long* kind);
// Opens an existing pipe or device for writing. A pipe without a reader fails
// at once (kErrPlatformBase - ENXIO) instead of waiting for one.
long PlatformOpenWriteThrough(const char* path, int16_t* ref);

// Hidden temporary files: the name a temporary for `name` starts with, and
// whether a name is one. Removes those in `folder` that have not changed for
// `ageSeconds` (what a killed run left); gives the number removed.
constexpr int64_t kPlatformStaleTempSeconds = 3600;
std::string PlatformTempStem(const char* name);
bool PlatformIsTempName(const char* name);
long PlatformRemoveStaleTemps(const char* folder, int64_t ageSeconds);

long PlatformCloseStream(int16_t ref);
// Pushes what was written through the stream to the volume.
long PlatformSyncStream(int16_t ref);
// With BVK_DEFER_SYNC=1 in the environment an output takes its name without
// waiting for the volume (its bytes are written and checked, not synced): a
// batch run that syncs the file system once, and checks it, before trusting
// a batch's outputs saves a disk round trip per file.
bool PlatformSyncDeferred();
// Reads up to `count` bytes; -39 when fewer were there.
long PlatformReadStream(int16_t ref, void* data, uint64_t count, uint64_t* got);
// Reads at an absolute offset without moving the stream.
long PlatformReadStreamAt(int16_t ref, int64_t offset, void* data, uint64_t count, uint64_t* got);
long PlatformWriteStream(int16_t ref, const void* data, uint64_t count, uint64_t* done);
// whence: 0 from the start, 1 from the current position, 2 from the end.
long PlatformSeekStream(int16_t ref, int64_t offset, int whence, int64_t* position);
long PlatformStreamSize(int16_t ref, int64_t* size);
long PlatformSetStreamSize(int16_t ref, int64_t size);
// The first write failure of the stream since it was opened (0 when none),
// whoever wrote through it.
long PlatformStreamWriteError(int16_t ref);
// True for a stream on a regular file, whose reads stop at its end.
bool PlatformStreamIsRegularFile(int16_t ref);
// Bytes the stream already holds from its position on, which a read takes
// without asking the file (0 when it holds none).
uint64_t PlatformStreamHeldBytes(int16_t ref);

// A monotonic clock in microseconds and a short sleep.
int64_t PlatformMicroseconds();
void PlatformSleepMicroseconds(int64_t us);
