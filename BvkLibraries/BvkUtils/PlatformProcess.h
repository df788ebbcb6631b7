#pragma once
// What the system tells about the running process and its user.

// The process's short name (no folders), cut to fit `size` bytes.
void PlatformGetProcessName(char* out, long size);
