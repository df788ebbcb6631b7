#include "PlatformMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Address checking watches only what the C allocator hands out, so checked
// builds keep every block on the heap.
#if defined(__SANITIZE_ADDRESS__)
#define BVK_MAPPED_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BVK_MAPPED_BLOCKS 0
#endif
#endif
#ifndef BVK_MAPPED_BLOCKS
#define BVK_MAPPED_BLOCKS 1
#endif

namespace {

constexpr std::size_t kLargePage = std::size_t(2) << 20;

// Every block starts with this record; the caller's bytes follow it, so a
// block says itself how it was made and how to give it back. The bytes start
// a cache line after the record, keeping the alignment of what holds it.
struct XBlockHeader {
    std::size_t mapped;  // length of the block's own mapping; 0 on the heap
    std::size_t bytes;   // what the caller asked for
};
constexpr std::size_t kHeader = 64;
static_assert(sizeof(XBlockHeader) <= kHeader);

// Blocks this large or larger are mapped on their own. A program that
// converts one file and exits lowers it (PlatformBlockFreshPages).
std::size_t gMappedFrom = kLargePage;

XBlockHeader* HeaderOf(void* block) {
    return reinterpret_cast<XBlockHeader*>(static_cast<char*>(block) - kHeader);
}

void* BytesOf(XBlockHeader* header) { return reinterpret_cast<char*>(header) + kHeader; }

bool TooLarge(std::size_t bytes) { return bytes > (SIZE_MAX >> 2); }

#if BVK_MAPPED_BLOCKS

constexpr std::size_t kPage = 4096;

// Blocks of a large page or more take whole large pages; smaller ones whole
// small pages (a large page would be zeroed whole on its first touch).
std::size_t MappingFor(std::size_t bytes) {
    const std::size_t unit = bytes + kHeader >= kLargePage ? kLargePage : kPage;
    return (bytes + kHeader + unit - 1) & ~(unit - 1);
}

// A zeroed mapping of `length`; one of whole large pages starts on a
// large-page boundary, so that all of it can be backed by large pages.
void* MapAligned(std::size_t length) {
    const std::size_t align = length >= kLargePage ? kLargePage : kPage;
    const std::size_t slack = align - kPage;
    void* area = mmap(nullptr, length + slack, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) return nullptr;
    if (slack == 0) return area;
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const auto aligned = (start + align - 1) & ~(align - 1);
    if (aligned > start) munmap(area, aligned - start);
    const auto end = start + length + slack;
    if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
#ifdef MADV_HUGEPAGE
    (void)madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);  // advice only
#endif
    return reinterpret_cast<void*>(aligned);
}

void* AllocateMapped(std::size_t bytes) {
    const std::size_t length = MappingFor(bytes);
    auto* header = static_cast<XBlockHeader*>(MapAligned(length));
    if (header == nullptr) return nullptr;
    header->mapped = length;
    header->bytes = bytes;
    return BytesOf(header);
}

// Moves the pages of a mapped block to a larger aligned mapping without
// copying them; the new tail is zero.
void* GrowMapped(XBlockHeader* header, std::size_t bytes) {
    const std::size_t length = MappingFor(bytes);
    void* target = MapAligned(length);
    if (target == nullptr) return nullptr;
    if (header->mapped < kLargePage && length >= kLargePage) {
        // Small pages moved into a large-page mapping would keep it from
        // getting large pages: a block under 2 MiB is copied instead.
        std::memcpy(target, header, kHeader + header->bytes);
        munmap(header, header->mapped);
        auto* grown = static_cast<XBlockHeader*>(target);
        grown->mapped = length;
        grown->bytes = bytes;
        return BytesOf(grown);
    }
    void* moved = mremap(header, header->mapped, length, MREMAP_MAYMOVE | MREMAP_FIXED, target);
    if (moved == MAP_FAILED) {
        munmap(target, length);
        return nullptr;
    }
    auto* grown = static_cast<XBlockHeader*>(moved);
    grown->mapped = length;
    grown->bytes = bytes;
    return BytesOf(grown);
}

#endif  // BVK_MAPPED_BLOCKS

void* AllocateOnHeap(std::size_t bytes) {
    auto* header = static_cast<XBlockHeader*>(std::calloc(1, bytes + kHeader));
    if (header == nullptr) return nullptr;
    header->mapped = 0;
    header->bytes = bytes;
    return BytesOf(header);
}

}  // namespace

void PlatformBlockFreshPages() {
    gMappedFrom = std::size_t(64) << 10;
}

void* PlatformBlockAllocate(std::size_t bytes) {
    if (TooLarge(bytes)) return nullptr;
#if BVK_MAPPED_BLOCKS
    if (bytes >= gMappedFrom) return AllocateMapped(bytes);
#endif
    return AllocateOnHeap(bytes);
}

void* PlatformBlockResize(void* block, std::size_t bytes) {
    if (block == nullptr) return PlatformBlockAllocate(bytes);
    if (TooLarge(bytes)) return nullptr;
    XBlockHeader* header = HeaderOf(block);
#if BVK_MAPPED_BLOCKS
    if (header->mapped != 0) {
        // A mapped block never shrinks: its pages are only touched when used.
        if (bytes + kHeader <= header->mapped) {
            header->bytes = bytes;
            return block;
        }
        return GrowMapped(header, bytes);
    }
    if (bytes >= gMappedFrom) {
        void* grown = AllocateMapped(bytes);
        if (grown == nullptr) return nullptr;
        std::memcpy(grown, block, header->bytes);  // a heap block is the smaller
        std::free(header);
        return grown;
    }
#endif
    auto* resized = static_cast<XBlockHeader*>(std::realloc(header, bytes + kHeader));
    if (resized == nullptr) return nullptr;
    resized->bytes = bytes;
    return BytesOf(resized);
}

void PlatformBlockFree(void* block) {
    if (block == nullptr) return;
    XBlockHeader* header = HeaderOf(block);
#if BVK_MAPPED_BLOCKS
    if (header->mapped != 0) {
        munmap(header, header->mapped);
        return;
    }
#endif
    std::free(header);
}
