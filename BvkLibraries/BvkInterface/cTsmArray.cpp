#include "cTsmArray.h"

#include "cSort.h"

long CTsmArray::FloatArrayFindMedian(float* values, long count, long stride) {
    if (values == nullptr || count < 2) return 0;
    CSarMFMedSort sort(stride < 1 ? 1 : stride);
    if (sort.MakeSortIndex(values, static_cast<unsigned long>(count), 1) != 0) return 0;
    return static_cast<long>(sort.mpIndex[(count + 1) / 2 - 1]);
}
