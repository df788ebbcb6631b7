// End to end: the converter labels its LLUV output with the offset that the
// radial file's zone label means at the map's time, and the file read back
// gives the map's true instant.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "QuillmoorProcess.h"
#include "cFileSpec.h"
#include "cLLUVFile.h"

namespace fs = std::filesystem;

namespace {

// Days from 1904-01-01 to 2008-01-01: 104 years, 26 of them leap years.
constexpr int64_t k2008Day = 104 * 365 + 26;
constexpr double k1904To2001 = 3061152000.0;

class LocalTimeRun : public ExampleStation {
  protected:
    // Gives the station's radial file a new time line: the text (ending in
    // the zone label) in the first 48 columns, then the 1904 seconds.
    void SetTimeLine(const std::string& text, int64_t seconds1904) {
        const fs::path radial = Proc() / "RadialData.txt";
        std::string content = ReadAll(radial);
        char line[128];
        std::snprintf(line, sizeof(line), "%-48s%lld", text.c_str(),
                      static_cast<long long>(seconds1904));
        WriteAll(radial, content.replace(0, content.find('\n'), line));
    }
};

}  // namespace

TEST_F(LocalTimeRun, ZoneLabelsMeanTheirOwnOffsetAtTheMapsTime) {
    struct {
        const char* timeText;
        int64_t day;  // of 2008, from 0
        int hour;
        const char* name;
        const char* stamp;
        const char* zone;
        double offsetHours;
    } const cases[] = {
        // Four in the morning of the day US clocks went forward (at 02:00).
        {" 04:00:00  Sunday, March 9, 2008 PDT", 68, 4, "RDLi_BRNK_2008_03_09_0400.ruv",
         "%TimeStamp: 2008 03 09  04 00 00", "%TimeZone: \"PDT\" -7.000 1", -7},
        // A station on standard time all year.
        {" 14:00:00  Tuesday, July 1, 2008 PST", 182, 14, "RDLi_BRNK_2008_07_01_1400.ruv",
         "%TimeStamp: 2008 07 01  14 00 00", "%TimeZone: \"PST\" -8.000 0", -8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeText);
        const int64_t wall = (k2008Day + c.day) * 86400 + c.hour * 3600;
        SetTimeLine(c.timeText, wall);
        ASSERT_EQ(Run("2", "i", "0").status, 0);
        const fs::path lluv = out / c.name;
        EXPECT_EQ(LineStarting(ReadAll(lluv), "%TimeStamp:"), c.stamp);
        EXPECT_EQ(LineStarting(ReadAll(lluv), "%TimeZone:"), c.zone);

        CLLUVFile back;
        CFileSpec spec;
        spec.SetFileSpec(lluv.c_str());
        EXPECT_EQ(back.ProcessBTFile(&spec, 0, 0), 0);
        EXPECT_EQ(back.mnOriginTime, static_cast<uint32_t>(wall));
        EXPECT_EQ(back.mnTimeZoneSeconds, static_cast<long>(c.offsetHours * 3600));
        EXPECT_EQ(back.GetBtfAbsoluteTime(),
                  static_cast<double>(wall) - k1904To2001 - c.offsetHours * 3600);
    }
}
