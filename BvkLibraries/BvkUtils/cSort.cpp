#include "cSort.h"

#include <new>

#include "BvkErrors.h"

CSort::CSort() : mnCount(0), mpIndex(nullptr), mnDirection(1), mnReserved(0), mpData(nullptr) {}

CSort::~CSort() {
    delete[] mpIndex;
}

long CSort::CompareElements(unsigned long a, unsigned long b) {
    const uint32_t* values = static_cast<const uint32_t*>(mpData);
    if (values == nullptr) return 0;
    return values[a] < values[b] ? -1 : values[a] > values[b] ? 1 : 0;
}

void CSort::IndexElement(unsigned long position, unsigned long element) {
    if (mpIndex != nullptr && position < mnCount)
        mpIndex[position] = static_cast<uint32_t>(element);
}

void CSort::SwapElements(unsigned long a, unsigned long b) {
    uint32_t kept = mpIndex[a];
    mpIndex[a] = mpIndex[b];
    mpIndex[b] = kept;
}

long CSort::MakeSortIndex(const void* data, unsigned long count, long bAscending) {
    mpData = data;
    mnDirection = bAscending ? 1 : -1;
    delete[] mpIndex;
    mpIndex = nullptr;
    mnCount = 0;
    if (count == 0) return kNoErr;
    if (count > 0xFFFFFFFFul) return kErrBadArgument;
    mpIndex = new (std::nothrow) uint32_t[count];
    if (mpIndex == nullptr) return kErrOutOfMemory;
    mnCount = static_cast<uint32_t>(count);
    for (unsigned long i = 0; i < count; ++i) IndexElement(i, i);
    QuickSortCW(static_cast<long>(count));
    return kNoErr;
}

void CSort::SiftDown(unsigned long root, unsigned long end) {
    for (unsigned long child = 2 * root + 1; child < end; child = 2 * root + 1) {
        if (child + 1 < end &&
            CompareElements(mpIndex[child], mpIndex[child + 1]) * mnDirection < 0)
            ++child;
        // Equal elements stay where they are.
        if (CompareElements(mpIndex[root], mpIndex[child]) * mnDirection >= 0) return;
        SwapElements(root, child);
        root = child;
    }
}

void CSort::QuickSortCW(long count) {
    if (mpIndex == nullptr || count < 2) return;
    unsigned long n = static_cast<unsigned long>(count);
    if (n > mnCount) n = mnCount;
    for (unsigned long start = n / 2; start-- > 0;) SiftDown(start, n);
    for (unsigned long end = n - 1; end > 0; --end) {
        SwapElements(0, end);
        SiftDown(0, end);
    }
}

CSarMFMedSort::CSarMFMedSort(long stride) : mnStride(static_cast<int32_t>(stride)) {}

long CSarMFMedSort::CompareElements(unsigned long a, unsigned long b) {
    const float* values = static_cast<const float*>(mpData);
    if (values == nullptr) return 0;
    float x = values[a * static_cast<unsigned long>(mnStride)];
    float y = values[b * static_cast<unsigned long>(mnStride)];
    return x > y ? 1 : x < y ? -1 : 0;
}
