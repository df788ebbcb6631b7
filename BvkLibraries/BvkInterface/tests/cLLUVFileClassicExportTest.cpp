// Writing classic radial files and their standard names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "BvkErrors.h"
#include "MyMath.h"
#include "TestFolder.h"
#include "cLLUVFile.h"

namespace {

namespace fs = std::filesystem;
using namespace test_folder;

const CTestFolder gFolder;

std::string Blanks(size_t n) {
    return std::string(n, ' ');
}

// 2008-01-08 14:30:00 as seconds since 1904: 37993 days (104 years with 26
// leap days, then 7 days) and 52200 seconds.
constexpr unsigned long kMapTime = 3282647400ul;

// A radial map of 3 km cells 1 to 3 about 36.5 N 122.25 W, reference bearing
// 30 (reference angle 60), polar vectors only, with quality values.
void MakeRadialMap(CLLUVFile& map) {
    map.mdRangeResolutionMeters = 3000.0;
    map.mnRangeStart = 1;
    map.mnRangeEnd = 3;
    map.mfReferenceBearing = 30.0f;
    map.mnTimeCoverageSeconds = 3600;
    map.mdOriginLatitude = 36.5;
    map.mdOriginLongitude = -122.25;
    map.SetOriginTime(kMapTime, "PST");
    map.UseQuality(7);
    map.Allocate(0, kLLUVVectorPolar);
}

// A vector whose direction points back to the site keeps its speed.
long AddTowardsSite(CLLUVFile& map, double range, double bearing, double speed, float quality3) {
    const long index = map.AddNewVectorRangeBearing(range, bearing, speed, bearing + 180.0, 0.0);
    map.mpQuality[index].mfQuality[3] = quality3;
    return index;
}

}  // namespace

TEST(CLLUVFileClassicExport, WritesEveryLineOfTheFormat) {
    CLLUVFile map;
    MakeRadialMap(map);
    // Cell 1 (3000 m): nine vectors; bearings 20 ... 60 are the angles
    // 360 - b + 30 = 10, 5, 0, 355 ... 330 counter-clockwise from the
    // reference.
    const double bearings[9] = {20, 25, 30, 35, 40, 45, 50, 55, 60};
    const double speeds[9] = {0.1234, -0.5, 0.0, 1.0, -0.0125, 0.25, 0.333, -1.5, 0.07};
    for (int k = 0; k < 9; ++k) AddTowardsSite(map, 3000.0, bearings[k], speeds[k], 1.0f + k);
    // Every vector reaches the file: one halfway between cells 2 and 3 goes
    // into the farther, and one beyond the store's last cell widens the span.
    AddTowardsSite(map, 7500.0, 100.0, 0.1, 0.0f);    // cell 3
    AddTowardsSite(map, 30000.0, 100.0, 0.1, 0.0f);   // cell 10
    AddTowardsSite(map, 9000.0, 120.0, 0.2, 0.5f);    // cell 3
    AddTowardsSite(map, 10400.0, 120.0, 0.2, 0.25f);  // 1400 m from cell 3's centre

    // MergeMethod 0 is left out.
    std::tie(map.mnMergedCount, map.mnBraggSmoothingPoints, map.mnBraggHasSecondOrder,
             map.mnRadialSmoothing, map.mnRadialMinimumMergePoints, map.mnFirstOrderCalc,
             map.mnMergeMethod, map.mnPatternMethod) = std::tuple(3, 2, 1, 0, 2, 1, 0, 2);
    std::tie(map.mdTransmitFrequencyHz, map.mdDopplerResolutionHz) = std::tuple(13490000.0, 0.0625);
    std::tie(map.mfMaximumCurrentVelocity, map.mfRadialBraggPeakDropOff, map.mfRadialBraggPeakNull,
             map.mfRadialBraggNoiseThreshold) = std::tuple(150.0f, 7.5f, 50.0f, 5.0f);
    const float pairs[4][2] = {{0.5f, 1.25f}, {1.5f, 2.75f}, {10.0f, -20.0f}, {0.25f, 0.5f}};
    std::copy_n(pairs[0], 2, map.mfPatternAmplitudeCorrections);
    std::copy_n(pairs[1], 2, map.mfPatternAmplitudeCalculations);
    std::copy_n(pairs[2], 2, map.mfPatternPhaseCorrections);
    std::copy_n(pairs[3], 2, map.mfPatternPhaseCalculations);
    const float music[3] = {40.0f, 20.0f, 2.0f};
    std::copy_n(music, 3, map.mfMusicParameters);
    map.AddMetaToolName("RadialMerger", "10.5.1");

    const std::string path = gFolder.File("lines.rv");
    CFileSpec spec = SpecOf(path);
    ASSERT_EQ(map.ExportClassicRadial(&spec, 0), 0);

    // Line 1: the time text padded to 47 characters, 15 blanks, and the
    // time as a signed 32-bit number: 3282647400 - 4294967296.
    const std::string timeText = "14:30:00 Tuesday, January 8, 2008 PST";
    std::string expected =
        " " + timeText + Blanks(47 - timeText.size()) + Blanks(15) + "-1012319896\n";
    // Line 2: format 4 with the degree sign 0xA1, padded to 31.
    expected +=
        " 36\xA1"
        "30.000'N,122\xA1"
        "15.000'W       \n";
    expected += "  3.000   3.000   60.0   1.000\n";
    expected += " 10\n";
    expected += " 9   1  \n";
    // Every value takes 11 columns ("  %9.1f" or "  %9.2f"), seven to a line.
    expected += std::string(" ") + "       10.0" + "        5.0" + "        0.0" + "      355.0" +
                "      350.0" + "      345.0" + "      340.0" + "\n";
    expected += std::string(" ") + "      335.0" + "      330.0" + "\n";
    expected += std::string(" ") + "      12.34" + "     -50.00" + "       0.00" + "     100.00" +
                "      -1.25" + "      25.00" + "      33.30" + "\n";
    expected += std::string(" ") + "    -150.00" + "       7.00" + "\n";
    expected += std::string(" ") + "       1.00" + "       2.00" + "       3.00" + "       4.00" +
                "       5.00" + "       6.00" + "       7.00" + "\n";
    expected += std::string(" ") + "       8.00" + "       9.00" + "\n";
    expected += " 0   2  \n";
    expected += " 3   3  \n";
    expected += std::string(" ") + "      290.0" + "      270.0" + "      270.0" + "\n";
    expected += std::string(" ") + "      10.00" + "      20.00" + "      20.00" + "\n";
    expected += std::string(" ") + "       0.00" + "       0.50" + "       0.25" + "\n";
    for (int cell = 4; cell <= 9; ++cell) expected += " 0   " + std::to_string(cell) + "  \n";
    expected += " 1   10 \n";
    expected += std::string(" ") + "      290.0" + "\n";
    expected += std::string(" ") + "      10.00" + "\n";
    expected += std::string(" ") + "       0.00" + "\n";
    expected += " " + Blanks(20) + "NumMergeRads 3\n";
    expected += " " + Blanks(19) + "CenterFreqMHz 13.490000000\n";
    expected += " " + Blanks(19) + "DopplerFreqHz 0.062500000\n";
    expected += " " + Blanks(17) + "LimitMaxCurrent 150.00\t!cm/s\n";
    expected += " " + Blanks(19) + "AverFirmssPts 2\n";
    expected += " " + Blanks(13) + "FactorDownPeakLimit 7.50\n";
    expected += " " + Blanks(18) + "UseSecondOrder 1\n";
    expected += " " + Blanks(14) + "FactorDownPeakNull 50.00\n";
    expected += " " + Blanks(16) + "FactorAboveNoise 5.00\n";
    expected += " " + Blanks(16) + "AmpAdjustFactors 0.5000 1.2500\n";
    expected += " " + Blanks(21) + "MusicParams 40.00 20.00 2.00\n";
    expected += " " + Blanks(20) + "RadSmoothing 0\n";
    expected += " " + Blanks(17) + "MinRadVectorPts 2\n";
    expected += " " + Blanks(19) + "AmpCalculated 1.5000 2.7500\n";
    expected += " " + Blanks(14) + "PhaseAdjustFactors 10.00 -20.00\n";
    expected += " " + Blanks(17) + "PhaseCalculated 0.25 0.50\n";
    expected += " " + Blanks(18) + "FirstOrderCalc 1\n";
    expected += " " + Blanks(19) + "PatternMethod 2\n";
    expected += " " + Blanks(20) + "RadialMerger 10.5.1\n";
    expected += "!END\n";
    EXPECT_EQ(ReadAll(path), expected);
}

TEST(CLLUVFileClassicExport, TimeTextKeepsTheZoneLabelWithinColumn47) {
    // The time text may use columns 2 to 47: a longer label pushes the date
    // to shorter forms, down to the time alone.
    const std::string label31 = "Abcdefghijklmnopqrstuvwxyzabcde";
    struct Case {
        const char* label;
        std::string text;
    } cases[] = {
        {"", "14:30:00 Tuesday, January 8, 2008"},
        {"GMT+10", "14:30:00 Tuesday, January 8, 2008 GMT+10"},
        {"Pacific_Standard", "14:30:00 Tue, Jan 8, 2008 Pacific_Standard"},      // 33 + 17 > 46
        {"Pacific_Standard_Time", "14:30:00 2008-01-08 Pacific_Standard_Time"},  // 25 + 22 > 46
        {label31.c_str(), "14:30:00 " + label31},
    };
    for (const Case& c : cases) {
        CLLUVFile map;
        MakeRadialMap(map);
        LLUVCopyText(map.msTimeZone, c.label);
        map.SetBtfTimeZoneLabel(c.label, "");
        const std::string path = gFolder.File("time.rv");
        CFileSpec spec = SpecOf(path);
        ASSERT_EQ(map.ExportClassicRadial(&spec, 0), 0);
        const std::string first = Lines(ReadAll(path)).at(0);
        ASSERT_LE(c.text.size(), 46u);
        EXPECT_EQ(first.substr(0, 48), " " + c.text + Blanks(47 - c.text.size())) << c.label;
    }
}

TEST(CLLUVFileClassicExport, SpeedsTakeTheSignOfTheRadialComponent) {
    // Directions less than 90 degrees from the bearing point away from the
    // site: the speed is negated and the direction turned round.
    struct Case {
        double bearing, direction, speed;
        double expectedDirection, expectedSpeed;
    } cases[] = {
        {45, 50, 0.2, 230, -0.2},   // away from the site
        {45, 350, 0.2, 170, -0.2},  // 55 degrees counter-clockwise of the bearing
        {45, 134.9, 0.2, 314.9, -0.2}, {45, 135.1, 0.2, 135.1, 0.2},
        {45, 225, 0.2, 225, 0.2},                                  // towards the site
        {45, 50, -0.3, 230, 0.3},      {350, 10, 0.1, 190, -0.1},  // across north
        {45, 1080, 0.2, 1080, 0.2},  // no direction computed: the speed stands
    };
    CLLUVFile map;
    MakeRadialMap(map);
    map.mfReferenceBearing = 0.0f;
    for (const Case& c : cases) {
        const long i = map.AddNewVectorRangeBearing(3000.0, c.bearing, c.speed, 0.0, 0.0);
        map.mpRBVD[i].mdDirection = c.direction;
    }
    const std::string path = gFolder.File("sign.rv");
    CFileSpec spec = SpecOf(path);
    ASSERT_EQ(map.ExportClassicRadial(&spec, 0), 0);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_NEAR(map.mpRBVD[i].mdDirection, cases[i].expectedDirection, 1e-9) << i;
        EXPECT_DOUBLE_EQ(map.mpRBVD[i].mdVelocity, cases[i].expectedSpeed) << i;
    }
    // The first vector is written with -20.00 cm/s (after two lines of
    // bearings).
    const std::vector<std::string> lines = Lines(ReadAll(path));
    EXPECT_EQ(lines.at(7).substr(0, 12), "      -20.00");
}

TEST(CLLUVFileClassicExport, RefusalsWriteNothingAndGeographicMapsKeepTheirForm) {
    const CTestFolder folder;  // of this test alone: nothing is there before
    const std::string path = folder.File("refused.rv");
    CFileSpec spec = SpecOf(path);
    CLLUVFile noResolution;
    MakeRadialMap(noResolution);
    noResolution.mdRangeResolutionMeters = 0.0;
    EXPECT_EQ(noResolution.ExportClassicRadial(&spec, 0), kErrBadArgument);
    CLLUVFile noPolarForm;  // never allocated
    noPolarForm.mdRangeResolutionMeters = 3000.0;
    EXPECT_EQ(noPolarForm.ExportClassicRadial(&spec, 0), kErrOutOfMemory);
    // A count line for each of 65,536 cells (1 to 65,536, the last one
    // holding a vector) or 2,000,000,000 cells is more than a map may span.
    CLLUVFile wideByVector;
    MakeRadialMap(wideByVector);
    AddTowardsSite(wideByVector, 3000.0 * 65536, 10.0, 0.1, 0.0f);
    EXPECT_EQ(wideByVector.ExportClassicRadial(&spec, 0), kErrBadArgument);
    CLLUVFile wideByCells;
    MakeRadialMap(wideByCells);
    wideByCells.mnRangeEnd = 2000000000;
    EXPECT_EQ(wideByCells.ExportClassicRadial(&spec, 0), kErrBadArgument);
    EXPECT_FALSE(fs::exists(path));

    // 65,535 cells are written; a vector that is not a number has no line.
    CLLUVFile widest;
    MakeRadialMap(widest);
    AddTowardsSite(widest, 3000.0 * 65535, 10.0, 0.1, 0.0f);
    AddTowardsSite(widest, 3000.0, 10.0, std::nan(""), 0.0f);
    ASSERT_EQ(widest.ExportClassicRadial(&spec, 0), 0);
    const std::vector<std::string> written = Lines(ReadAll(path));
    EXPECT_EQ(written.at(3), " 65535");
    EXPECT_EQ(written.at(4), " 0   1  ");
    EXPECT_EQ(written.at(65538), " 1   65535");

    // 3 km due north flowing south at 10 cm/s: cell 1, angle 360 - 0 + 0,
    // speed +10.00 (towards the site).
    CLLUVFile map;
    MakeRadialMap(map);
    map.mfReferenceBearing = 0.0f;
    map.Allocate(0, kLLUVVectorGeographic);
    map.AddNewVectorXYUV(0.0, 3000.0, 0.0, -0.1, 0, 0, 0, 0, 0);
    // A file that cannot be created leaves the map with both forms...
    CFileSpec impossible = SpecOf(folder.Write("plain-file", "x") + "/x.rv");
    EXPECT_NE(map.ExportClassicRadial(&impossible, 0), 0);
    EXPECT_EQ(map.mnVectorType, kLLUVVectorFull);
    // ... a written one with its geographic form only.
    map.ChangeVectorType(kLLUVVectorGeographic);
    ASSERT_EQ(map.ExportClassicRadial(&spec, 0), 0);
    const std::vector<std::string> lines = Lines(ReadAll(path));
    EXPECT_EQ(lines.at(4) + lines.at(5) + lines.at(6) + lines.at(7),
              std::string(" 1   1  ") + "         0.0" + "       10.00" + "        0.00");
    EXPECT_EQ(map.mnVectorType, kLLUVVectorGeographic);
    EXPECT_EQ(map.mpRBVD, nullptr);
}

TEST(CLLUVFileClassicExport, ImportGivesBackCellsBearingsSpeedsAndQuality) {
    // A first cell 0 lies at range 0: the import keeps it as the first cell.
    for (long first : {0L, 1L, 3L}) {
        CLLUVFile map;
        MakeRadialMap(map);
        map.mnRangeStart = first;
        map.mnRangeEnd = first + 2;
        // Cells first and first + 2 hold vectors, the middle one none.
        for (int k = 0; k < 6; ++k) {
            const double range = 3000.0 * (first + (k < 4 ? 0 : 2));
            AddTowardsSite(map, range, 12.3456 + 57.3 * k, 0.123456 - 0.1 * k, 0.875f + k);
        }
        map.mnMergedCount = 4;
        map.AddMetaToolName("SpectraToRadial", "11.2.0");
        const std::string path = gFolder.File("trip.rv");
        CFileSpec spec = SpecOf(path);
        ASSERT_EQ(map.ExportClassicRadial(&spec, 0), 0);
        CLLUVFile back;
        ASSERT_EQ(back.ImportClassicRadial(&spec), 0);

        EXPECT_EQ(back.mnRangeStart, first);
        EXPECT_EQ(back.mnRangeEnd, first + 2);
        EXPECT_FLOAT_EQ(back.mfReferenceBearing, 30.0f);
        EXPECT_EQ(back.mnOriginTime, kMapTime);
        EXPECT_STREQ(back.msTimeZone, "PST");
        EXPECT_EQ(back.mnMergedCount, 4);
        EXPECT_STREQ(back.mszBtfToolNames[0], "SpectraToRadial");
        EXPECT_STREQ(back.mszBtfToolVersions[0], "11.2.0");
        ASSERT_EQ(back.mnVectors, 6);
        for (int k = 0; k < 6; ++k) {
            EXPECT_DOUBLE_EQ(back.mpRBVD[k].mdRange, map.mpRBVD[k].mdRange) << k;
            EXPECT_LE(
                std::fabs(DegreeDifference(back.mpRBVD[k].mdBearing, map.mpRBVD[k].mdBearing)), 0.1)
                << k;
            EXPECT_NEAR(back.mpRBVD[k].mdVelocity, map.mpRBVD[k].mdVelocity, 0.0001) << k;
            EXPECT_NEAR(back.mpQuality[k].mfQuality[3], 0.875f + k, 0.01) << k;
        }
    }
}

TEST(CLLUVFileClassicExport, StandardNames) {
    struct Case {
        uint32_t mapType;
        uint32_t site;
        char letter;
        const char* extension;
        const char* prefix;
        char dateSeparator, fieldSeparator;
        const char* name;
    } cases[] = {
        {kLLUVMapRadial, LLUVCode("ABCD"), 's', nullptr, nullptr, 0, 0,
         "RadsABCD_08_01_08_1430.rv"},
        {kLLUVMapRadial, 0, 0, nullptr, nullptr, 0, 0, "Rad_XXXX_08_01_08_1430.rv"},
        {kLLUVMapElliptical, LLUVCode("ABCD"), 0, "x", nullptr, '-', '.',
         "Elp_ABCD-08.01.08-1430x.ev"},
        {kLLUVMapTotal, LLUVCode("ABCD"), 0, ".txt", nullptr, 0, 0, "Tot_ABCD_08_01_08_1430.txt"},
        {kLLUVMapTsunami, LLUVCode("ABCD"), 0, "x", nullptr, 0, 0, "Tsu_ABCD_08_01_08_1430.tm"},
        {kLLUVMapWave, LLUVCode("ABCD"), 'm', "x", nullptr, 0, 0, "WvmmABCD_08_01_08_1430.ww"},
        {kLLUVMapRadial, LLUVCode("ABCD"), 'i', nullptr, "RDLx_", 0, 0,
         "RDLi_ABCD_08_01_08_1430.rv"},
    };
    for (const Case& c : cases) {
        CLLUVFile map;
        map.mnMapType = c.mapType;
        map.mnSiteCode = c.site;
        map.mnOriginTime = kMapTime;
        char name[kClassicFilenameSize];
        map.GetClassicFilename(name, c.letter, const_cast<char*>(c.extension),
                               const_cast<char*>(c.prefix), c.dateSeparator, c.fieldSeparator);
        EXPECT_STREQ(name, c.name);
    }

    // Prefix and extension texts are cut to 31 characters; the standard
    // ending still fits.
    CLLUVFile map;
    map.mnOriginTime = kMapTime;
    const std::string longText(40, 'e');
    char name[kClassicFilenameSize];
    map.GetClassicFilename(name, 0, const_cast<char*>(longText.c_str()),
                           const_cast<char*>(longText.c_str()), 0, 0);
    EXPECT_EQ(std::string(name),
              std::string(31, 'e') + "XXXX_08_01_08_1430" + std::string(28, 'e') + ".rv");
}
