#pragma once
// Counted memory blocks and plain memory helpers. The three counters let a
// run tell whether every block it took was given back.

#include <cstdint>

extern uint32_t nNewPtrs;       // blocks handed out
extern uint32_t nNewPtrBytes;   // bytes handed out
extern uint32_t nDisposedPtrs;  // blocks returned

// A block of `size` bytes (zero-filled when bClear), or null when memory runs
// out. A size of 0 still gives a distinct block.
void* MyNewPtr(unsigned long size, long bClear);
// Returns a block from MyNewPtr; null is ignored.
void MyDisposePtr(void* block);
void MyZeroMemory(void* data, unsigned long count);
// Copies `n` bytes, also between overlapping ranges. Returns 1 (and copies
// nothing) when `src` or `dst` is null, else 0.
long MyCopyMemory(void* dst, const void* src, unsigned long n);
