#include "Generic.h"

#include <cstdlib>
#include <cstring>

uint32_t nNewPtrs = 0;
uint32_t nNewPtrBytes = 0;
uint32_t nDisposedPtrs = 0;

void* MyNewPtr(unsigned long size, long bClear) {
    size_t bytes = size > 0 ? size : 1;
    void* block = bClear ? calloc(1, bytes) : malloc(bytes);
    if (block == nullptr) return nullptr;
    ++nNewPtrs;
    nNewPtrBytes += static_cast<uint32_t>(size);
    return block;
}

void MyDisposePtr(void* block) {
    if (block == nullptr) return;
    ++nDisposedPtrs;
    free(block);
}

void MyZeroMemory(void* data, unsigned long count) {
    if (data != nullptr && count > 0) memset(data, 0, count);
}

long MyCopyMemory(void* dst, const void* src, unsigned long n) {
    if (src == nullptr || dst == nullptr) return 1;
    if (n > 0) memmove(dst, src, n);
    return 0;
}
