#pragma once
// Array helpers of the station's processing.

class CTsmArray {
  public:
    // The element number of the median of `count` floats lying `stride`
    // floats apart: the element at sorted position (count + 1) / 2 - 1 in
    // ascending order (the lower middle one for an even count). 0 for a null
    // array or fewer than two values. A stride below 1 is taken as 1.
    static long FloatArrayFindMedian(float* values, long count, long stride);
};
