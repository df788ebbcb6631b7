#pragma once
// What a stretch of code prints on standard output and standard error, caught
// in a file of its own instead of reaching the process's streams: a program
// that runs several conversions in one process tells each one's messages
// apart this way. The C streams are flushed at both ends, so nothing printed
// before the capture lands in it and nothing printed during it escapes.

#include <string>

struct XPlatformCapture {
    int file = -1;      // where the caught text goes, emptied at each start
    int savedOut = -1;  // the process's standard output and error while caught
    int savedErr = -1;
};

// Opens the capture's file; 0 or an error code.
long PlatformCaptureOpen(XPlatformCapture* capture);
// From here on standard output and error go to the emptied capture file.
long PlatformCaptureStart(XPlatformCapture* capture);
// Gives back the process's streams; `text` gets what was caught, at most
// `limit` bytes of it.
long PlatformCaptureStop(XPlatformCapture* capture, std::string* text, size_t limit);
void PlatformCaptureClose(XPlatformCapture* capture);
