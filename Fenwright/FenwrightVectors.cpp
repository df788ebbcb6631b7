#include "FenwrightVectors.h"

#include "BvkErrors.h"

// The xyuv and classic radial readers are not in the libraries yet: until
// they are, no radial map can be read and the run reports the source missing.
long ReadRadialVectors(const char*, std::vector<XVectorSample>* vectors, long* rangeStart,
                       long* rangeEnd) {
    vectors->clear();
    *rangeStart = 0;
    *rangeEnd = 0;
    return kErrNotFound;
}
