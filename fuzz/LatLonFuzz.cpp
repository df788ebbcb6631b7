// Latitude and longitude text in every reading mode.

#include <cstddef>
#include <cstdint>

#include "FuzzScratch.h"
#include "cGeoString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzText input(data, size);
    const CGeoString geo;
    double latitude = 0;
    double longitude = 0;
    long hemisphere = 0;
    geo.GetLatLon(input.text, &latitude, &longitude);
    for (long blankEndsValue = 0; blankEndsValue < 2; ++blankEndsValue) {
        geo.GetLatitude(input.text, &latitude, &hemisphere, blankEndsValue);
        geo.GetLongitude(input.text, &longitude, &hemisphere, blankEndsValue);
        geo.DMSToDegrees(input.text, blankEndsValue, &latitude, &hemisphere);
    }
    CGeoString::GetParameterCount(input.text);
    return 0;
}
