#pragma once
// Injected I/O faults, for tests: the Nth write, fsync, rename or exchange the
// file layer makes fails as if the volume had said ENOSPC or EIO. Nothing is
// armed unless a test asks, so a run of the programs pays one test of a flag
// per operation.
//
// A test arms it in process with PlatformSetFault, or for a whole program run
// through the environment:
//
//   BVK_FAULT_INJECT=KIND:N:ERROR
//
// KIND is write, fsync, rename, exchange or any (all four counted together),
// N counts from 1, ERROR is ENOSPC or EIO. The variable is read once, at the
// first operation. When the fault fires, one line saying which operation
// failed goes to standard error, so that a test running the program can tell
// a run that met the fault from one that ended before the Nth operation.

#include <cstdint>

enum : uint32_t {
    kFaultWrite = 1,
    kFaultSync = 2,
    kFaultRename = 4,
    kFaultExchange = 8,
    kFaultAny = kFaultWrite | kFaultSync | kFaultRename | kFaultExchange,
};

// Arms the fault for the nth operation of the given kinds from now on (nth 0
// disarms); `err` is the errno value the operation reports.
void PlatformSetFault(uint32_t kinds, long nth, int err);
// True once the armed fault has fired.
bool PlatformFaultFired();

// Called by the file layer before each operation of `kind`: true when this one
// must fail, with errno set to the armed error.
bool PlatformFaultHere(uint32_t kind);
