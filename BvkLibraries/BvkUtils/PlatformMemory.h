#pragma once
// Blocks for the large arrays of records that stores fill as they read.

#include <cstddef>

// A zero-filled block of `bytes`; null when memory runs out. A block of two
// mebibytes or more is mapped on its own and backed by large pages where the
// system offers them: touching a fresh page then costs one fault per 2 MiB
// instead of one per 4 KiB, which on a virtual machine was half the time of
// reading a file of 100,000 vectors. Smaller blocks come from the heap.
void* PlatformBlockAllocate(std::size_t bytes);

// For a program that converts one file and exits: from now on blocks of 64 KiB
// or more are mapped on their own too. Fresh pages cost nothing until they are
// touched, and a store's default capacity is megabytes of which a small file
// uses a few pages, where a heap block is cleared whole and every page of it
// faulted in (10 us a page on a virtual machine). A process that works on file
// after file is better served by the heap, whose pages are already there.
void PlatformBlockFreshPages();

// The block grown or shrunk to hold `bytes`: its content is kept up to the
// smaller of the two sizes, and bytes past the old size are not cleared (as
// with realloc). Null, with the block unchanged, when memory runs out. A null
// block is allocated.
void* PlatformBlockResize(void* block, std::size_t bytes);

// Releases a block of the two above; null is allowed.
void PlatformBlockFree(void* block);
