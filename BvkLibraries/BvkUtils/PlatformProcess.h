#pragma once
// What the system tells about the running process and its user.

// The process's short name (no folders), cut to fit `size` bytes.
void PlatformGetProcessName(char* out, long size);

#include <string>

// The value of an environment variable; false when it is unset.
bool PlatformGetEnvironment(const char* name, std::string* value);

// The home folder of the effective user from the user database; false when
// the database does not know it.
bool PlatformGetUserHome(std::string* home);

// Memory freed by earlier work stays with the process for the next, up to the
// largest blocks: for a program that runs many conversions one after another,
// handing pages back to the system and asking for them again after every
// conversion costs more than the conversion's own reading and writing.
void PlatformKeepFreedMemory();
