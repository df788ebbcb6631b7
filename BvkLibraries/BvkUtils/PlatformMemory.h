#pragma once
// Blocks for the large arrays of records that stores fill as they read.

#include <cstddef>

// A zero-filled block of `bytes`; null when memory runs out. A block of two
// mebibytes or more is mapped on its own and backed by large pages where the
// system offers them: touching a fresh page then costs one fault per 2 MiB
// instead of one per 4 KiB, which on a virtual machine was half the time of
// reading a file of 100,000 vectors. Smaller blocks come from the heap.
void* PlatformBlockAllocate(std::size_t bytes);

// The block grown or shrunk to hold `bytes`: its content is kept up to the
// smaller of the two sizes, and bytes past the old size are not cleared (as
// with realloc). Null, with the block unchanged, when memory runs out. A null
// block is allocated.
void* PlatformBlockResize(void* block, std::size_t bytes);

// Releases a block of the two above; null is allowed.
void PlatformBlockFree(void* block);
