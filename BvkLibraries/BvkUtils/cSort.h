#pragma once
// An index sort with a replaceable comparison: the caller's data stays where
// it is and an array of element numbers is put in order. The default
// comparison reads the data as unsigned 32-bit values; derived classes
// compare other element kinds.

#include <cstdint>

class CSort {
  public:
    CSort();
    CSort(const CSort&) = delete;
    CSort& operator=(const CSort&) = delete;
    virtual ~CSort();

    // -1, 0 or +1 for data elements a and b.
    virtual long CompareElements(unsigned long a, unsigned long b);
    // Sets index position `position` to element `element`.
    virtual void IndexElement(unsigned long position, unsigned long element);
    // Exchanges two index positions.
    virtual void SwapElements(unsigned long a, unsigned long b);

    // Makes the index 0 ... count-1 over `data` and sorts it (ascending or
    // descending); -108 when memory runs out, 0 otherwise.
    long MakeSortIndex(const void* data, unsigned long count, long bAscending);
    // Heap sort of the first `count` index positions.
    void QuickSortCW(long count);

    uint32_t mnCount;
    uint32_t* mpIndex;
    int32_t mnDirection;
    int32_t mnReserved;
    const void* mpData;

  private:
    void SiftDown(unsigned long root, unsigned long end);
};

// Sorts floats that lie `mnStride` floats apart.
class CSarMFMedSort : public CSort {
  public:
    explicit CSarMFMedSort(long stride);
    // +1 when element a is larger, -1 when smaller, 0 otherwise (also when
    // either is not a number).
    long CompareElements(unsigned long a, unsigned long b) override;

    int32_t mnStride;
};
