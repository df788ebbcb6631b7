#pragma once
// Latitude and longitude as text: written in several degree/minute/second
// layouts and read back from the many ways people and older files write them
// (decimal degrees, marks or blanks between fields, packed forms such as
// 3657.5 or 1220145, hemisphere letters before or after). Text is single-byte
// Mac Roman, in which 0xA1 is the degree sign.

class CGeoString {
  public:
    // Longest coordinate text written, without the NUL: longer results (only
    // absurd values make them) are cut. A caller's buffer for one coordinate
    // needs kCoordTextSize bytes; for a pair, kPairTextSize.
    static constexpr long kCoordTextSize = 32;
    static constexpr long kSeparatorMax = 15;
    static constexpr long kPairTextSize = 2 * (kCoordTextSize - 1) + kSeparatorMax + 1;

    // Hemisphere kinds reported by the reader.
    static constexpr long kHemisphereNone = 0;
    static constexpr long kHemisphereNorth = 1;
    static constexpr long kHemisphereSouth = 2;
    static constexpr long kHemisphereEast = 3;
    static constexpr long kHemisphereWest = 4;

    CGeoString();
    virtual ~CGeoString() = default;

    // Formats: 1 decimal degrees and hemisphere letter; 2 degrees, minutes,
    // whole seconds; 3 seconds with three decimals; 4 minutes with three
    // decimals; anything else signed decimal degrees. Result: length written.
    long GetLatitudeString(double latitude, char* text, long format) const;
    long GetLongitudeString(double longitude, char* text, long format) const;
    // Latitude text, `separator` ("," when null, at most kSeparatorMax
    // characters), longitude text. Result: total length.
    long GetLatLonString(double latitude, double longitude, char* text, long format,
                         const char* separator) const;

    // Reads one coordinate; result: characters consumed. With
    // `blankEndsValue` set a blank ends the value, otherwise blanks may
    // separate its degree, minute and second fields.
    long DMSToDegrees(const char* text, long blankEndsValue, double* degrees,
                      long* hemisphere) const;
    long GetLatitude(const char* text, double* degrees, long* hemisphere,
                     long blankEndsValue) const;
    long GetLongitude(const char* text, double* degrees, long* hemisphere,
                      long blankEndsValue) const;
    // Reads a latitude and a longitude in either order (hemisphere letters
    // decide; without them the latitude comes first). Result: characters
    // consumed, 0 when the text does not start with a coordinate. A pair off
    // the earth (|latitude| > 90, |longitude| > 360) gives 0 and 0.
    long GetLatLon(const char* text, double* latitude, double* longitude) const;

    static long GetParameterCount(const char* text);
    static long SkipWhiteSpace(const char* text);
    static long SkipInteger(const char* text);
    static long SkipFloat(const char* text);
    static long StringToDouble(const char* text, double* value);

    // Degree, minute and second symbols used for writing, NUL-terminated.
    char mszSymbols[4];

  private:
    long ReadLatLon(const char* text, double* latitude, double* longitude) const;
    long FormatCoordinate(double value, char* text, long format, long degreeDigits, char positive,
                          char negative) const;
};
