#include "PlatformCapture.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

#include "BvkErrors.h"
#include "Platform.h"

namespace {

long LastError() {
    return PlatformErrorFromErrno(errno);
}

// Points `fd` at what `to` refers to.
bool Redirect(int to, int fd) {
    while (dup2(to, fd) < 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// A copy of `fd` that a started program does not inherit.
int Keep(int fd) {
    return fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

void Forget(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

}  // namespace

long PlatformCaptureOpen(XPlatformCapture* capture) {
    if (capture == nullptr) return kErrBadArgument;
    // A file in memory: the caught text never touches a volume.
    capture->file = memfd_create("capture", MFD_CLOEXEC);
    return capture->file < 0 ? LastError() : kNoErr;
}

long PlatformCaptureStart(XPlatformCapture* capture) {
    if (capture == nullptr || capture->file < 0 || capture->savedOut >= 0) return kErrBadArgument;
    fflush(stdout);
    fflush(stderr);
    if (ftruncate(capture->file, 0) != 0 || lseek(capture->file, 0, SEEK_SET) != 0)
        return LastError();
    capture->savedOut = Keep(STDOUT_FILENO);
    capture->savedErr = Keep(STDERR_FILENO);
    if (capture->savedOut < 0 || capture->savedErr < 0 || !Redirect(capture->file, STDOUT_FILENO) ||
        !Redirect(capture->file, STDERR_FILENO)) {
        long err = LastError();
        if (capture->savedOut >= 0) Redirect(capture->savedOut, STDOUT_FILENO);
        if (capture->savedErr >= 0) Redirect(capture->savedErr, STDERR_FILENO);
        Forget(&capture->savedOut);
        Forget(&capture->savedErr);
        return err;
    }
    return kNoErr;
}

long PlatformCaptureStop(XPlatformCapture* capture, std::string* text, size_t limit) {
    if (capture == nullptr || capture->savedOut < 0) return kErrBadArgument;
    fflush(stdout);
    fflush(stderr);
    long err = kNoErr;
    if (!Redirect(capture->savedOut, STDOUT_FILENO) || !Redirect(capture->savedErr, STDERR_FILENO))
        err = LastError();
    Forget(&capture->savedOut);
    Forget(&capture->savedErr);
    if (text == nullptr) return err;
    text->clear();
    char buffer[4096];
    off_t offset = 0;
    while (text->size() < limit) {
        size_t want = limit - text->size() < sizeof buffer ? limit - text->size() : sizeof buffer;
        ssize_t n = pread(capture->file, buffer, want, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return err != kNoErr ? err : LastError();
        if (n == 0) break;
        text->append(buffer, static_cast<size_t>(n));
        offset += n;
    }
    return err;
}

void PlatformCaptureClose(XPlatformCapture* capture) {
    if (capture == nullptr) return;
    if (capture->savedOut >= 0) PlatformCaptureStop(capture, nullptr, 0);
    Forget(&capture->file);
}
