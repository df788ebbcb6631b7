// Reading LLUV table files into the vector store.

#include "cLLUVFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "BvkErrors.h"
#include "TestFolder.h"
#include "cGeo.h"

namespace {

using namespace test_folder;

// Writes `text` to a temporary file and reads it.
long ReadText(CLLUVFile& file, const std::string& text) {
    const CTestFolder folder;
    CFileSpec spec = SpecOf(folder.Write("read.ruv", text));
    return file.ProcessBTFile(&spec, 0, 0);
}

// A radial file whose first table has the given type line, column codes
// (none: an untyped table) and rows.
std::string TableFile(const std::string& tableType, const std::string& columns,
                      const std::string& rows, const std::string& header = "") {
    std::string text = "%BTF: 1.00\n%FileType: LLUV rdls \"RadialMap\"\n" + header;
    text += "%TableType: " + tableType + "\n";
    if (!columns.empty()) text += "%TableColumnTypes: " + columns + "\n";
    text += "%TableStart:\n" + rows + "%TableEnd:\n%End:\n";
    return text;
}

std::string Untyped(const std::string& tableType, int columns, const std::string& rows) {
    return "%BTF: 1.00\n%FileType: LLUV rdls\n%TableType: " + tableType +
           "\n%TableColumns: " + std::to_string(columns) + "\n%TableStart:\n" + rows +
           "%TableEnd:\n";
}

}  // namespace

TEST(CLLUVFileRead, RadialFileFillsInformationAndVectorsInStoreUnits) {
    CLLUVFile file;
    CFileSpec spec = SpecOf(BVK_TEST_DATA_DIR "/RDLs_TEST_2008_01_08_1430.ruv");
    ASSERT_EQ(file.ProcessBTFile(&spec, 0, 0), 0);
    EXPECT_EQ(file.mdLLUVSpec, 1.05);
    EXPECT_EQ(file.mnSiteCode, LLUVCode("TEST"));
    EXPECT_EQ(file.GetOriginTime(), 3282647400ul);  // 2008-01-08 14:30:00 in 1904 seconds
    EXPECT_STREQ(file.msTimeZone, "UTC");
    EXPECT_EQ(file.mnTimeCoverageSeconds, 4500);
    EXPECT_NEAR(file.GetOriginLatitude(), 36.9, 1e-12);
    EXPECT_NEAR(file.GetOriginLongitude(), -122.0, 1e-12);
    EXPECT_EQ(file.GetAntennaBearing(), 45.0);
    EXPECT_EQ(file.mdRangeResolutionMeters, 1500.0);
    EXPECT_NEAR(file.mdTransmitFrequencyHz, 13450000.0, 1e-6);

    EXPECT_EQ(file.mnMapType, kLLUVMapRadial);
    EXPECT_EQ(file.mnVectorType, kLLUVVectorFull);  // as constructed
    EXPECT_EQ(file.mnColumnMask, 0x186Du);
    EXPECT_EQ(file.mnQualityMode, 7);
    EXPECT_EQ(file.mnUseDistance, 1);
    EXPECT_EQ(file.mnSpectraSourceMask, 1);
    ASSERT_EQ(file.GetNumberOfVectors(), 2);

    const XLLUVVector& g = file.mpLLUV[0];
    EXPECT_EQ(g.mdLongitude, -121.98);
    EXPECT_EQ(g.mdLatitude, 36.91);
    EXPECT_NEAR(g.mdVelocityU, -0.1, 1e-15);  // -10 cm/s
    EXPECT_NEAR(g.mdVelocityV, 0.05, 1e-15);
    const XQualityVector& q = file.mpQuality[0];
    EXPECT_EQ(q.mnFlags, 128u);
    EXPECT_EQ(q.mfQuality[2], 1.5f);    // ESPC
    EXPECT_EQ(q.mfQuality[3], 2.5f);    // ETMP
    EXPECT_EQ(q.mfQuality[0], 0.2f);    // MAXV 20 cm/s
    EXPECT_EQ(q.mfQuality[1], -0.03f);  // MINV -3 cm/s
    EXPECT_EQ(q.mnEditCount, 4);
    EXPECT_EQ(q.mnRadialCount, 2);
    EXPECT_NEAR(file.mpDist[0].mdX, 1784.9, 1e-9);  // 1.7849 km
    EXPECT_NEAR(file.mpDist[0].mdY, 1112.0, 1e-9);
    const XRBVDVector& p = file.mpRBVD[1];
    EXPECT_NEAR(p.mdRange, 1600.0, 1e-9);
    EXPECT_EQ(p.mdBearing, 213.7);
    EXPECT_NEAR(p.mdVelocity, 0.00559, 1e-15);
    EXPECT_EQ(p.mdDirection, 33.7);
    EXPECT_EQ(file.mpSpectraSource[1].mnRangeCell, 2);
}

TEST(CLLUVFileRead, TableTypeAndColumnsDecideTheFormsKept) {
    const struct {
        const char* tableType;
        const char* columns;
        const char* row;
        uint32_t vectorType;
        std::function<void(const CLLUVFile&)> check;
    } cases[] = {
        {"LLUV RDL5", "LOND LATD VELU VELV", " -122.0 36.9 10.0 -5.0\n", kLLUVVectorGeographic,
         [](const CLLUVFile& f) {
             EXPECT_NEAR(f.mpLLUV[0].mdVelocityU, 0.1, 1e-15);
             EXPECT_NEAR(f.mpLLUV[0].mdVelocityV, -0.05, 1e-15);
             EXPECT_EQ(f.mpRBVD, nullptr);
         }},
        {"RBVD RDL3", "RNGE BEAR VELO HEAD", " 3.0 120.0 -25.0 300.0\n", kLLUVVectorPolar,
         [](const CLLUVFile& f) {
             EXPECT_EQ(f.mpRBVD[0].mdRange, 3000.0);
             EXPECT_EQ(f.mpRBVD[0].mdVelocity, -0.25);
             EXPECT_EQ(f.mpRBVD[0].mdDirection, 300.0);
             EXPECT_EQ(f.mpLLUV, nullptr);
         }},
        {"XYUV RAD2", "XDST YDST VELU VELV RNGE", " 1.5 -2.0 4.0 3.0 2.5\n", kLLUVVectorFull,
         [](const CLLUVFile& f) {
             EXPECT_EQ(f.mpDist[0].mdX, 1500.0);
             EXPECT_EQ(f.mpDist[0].mdY, -2000.0);
             EXPECT_EQ(f.mpRBVD[0].mdRange, 2500.0);
             EXPECT_NEAR(f.mpLLUV[0].mdVelocityV, 0.03, 1e-15);
         }},
        {"LLWV WVM1", "LOND LATD WPDU WPDV WVHT WIND", " 5.0 50.0 1.5 -2.0 3.25 12.0\n",
         kLLUVVectorGeographic,
         [](const CLLUVFile& f) {
             EXPECT_EQ(f.mpLLUV[0].mdVelocityU, 1.5);  // wave maps keep values unscaled
             EXPECT_EQ(f.mpWaveMap[0].mdWaveHeight, 3.25);
             EXPECT_EQ(f.mpWaveMap[0].mdWind, 12.0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tableType);
        CLLUVFile file;
        file.mnVectorType = 0;  // let the columns decide
        std::string text = TableFile(c.tableType, c.columns, c.row);
        if (std::string(c.tableType) == "LLWV WVM1") {
            text.replace(text.find("LLUV rdls"), 9, "WAVE wvm1");
        }
        ASSERT_EQ(ReadText(file, text), 0);
        ASSERT_EQ(file.GetNumberOfVectors(), 1);
        EXPECT_EQ(file.mnVectorType, c.vectorType);
        c.check(file);
    }
}

TEST(CLLUVFileRead, MapTypeComesFromTheFileSubtype) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"RDL7", kLLUVMapRadial},     {"rdls", kLLUVMapRadial},     {"RUV1", kLLUVMapRadial},
        {"ELT1", kLLUVMapElliptical}, {"elps", kLLUVMapElliptical}, {"TM01", kLLUVMapTsunami},
        {"wvmp", kLLUVMapWave},       {"TOT4", kLLUVMapTotal},      {"RDX1", kLLUVMapTotal}};
    for (const auto& [subtype, mapType] : cases) {
        SCOPED_TRACE(subtype);
        CLLUVFile file;
        std::string text = TableFile("LLUV RDL5", "LOND LATD", " 1 2\n");
        text.replace(text.find("rdls"), 4, subtype);
        ASSERT_EQ(ReadText(file, text), 0);
        EXPECT_EQ(file.mnMapType, mapType);
    }
}

TEST(CLLUVFileRead, QualityModeComesFromTheQualityColumns) {
    const std::pair<const char*, long> cases[] = {
        {"STDV", 1},
        {"UQAL VQAL", 2},
        {"VFLG UQAL VQAL", 3},
        {"VFLG UQAL VQAL CQAL", 4},
        {"VFLG STDV", 5},
        {"VFLG ESPC ETMP", 6},
        {"VFLG ESPC ETMP MAXV MINV", 7},
        {"VFLG ESPC ETMP MAXV MINV EDVC ERTC", 7},  // the writer's fullest radial set
        {"VFLG ESPC ETMP EDIF", 7},                 // EDIF counts as MINV and MAXV
        {"", 7},                                    // no quality columns at all
        {"SCDV", 6},
        {"VFLG SCMX ETMP", 6},
        {"MAXV", 4},
        {"VFLG UQAL", 4},
        {"VQAL", 7},
        {"VFLG", 7},
    };
    for (const auto& [quality, mode] : cases) {
        SCOPED_TRACE(quality);
        CLLUVFile file;
        ASSERT_EQ(ReadText(file, TableFile("LLUV RDL7", std::string("LOND LATD ") + quality,
                                           " 1 2 3 4 5 6 7 8\n")),
                  0);
        EXPECT_EQ(file.mnQualityMode, mode);
        EXPECT_NE(file.mpQuality, nullptr);
    }
}

TEST(CLLUVFileRead, QualitySlotsFollowTheSubtype) {
    // ESPC holds 1.5, ETMP 2.5; only 'RDL4' tables carry them swapped.
    const struct {
        const char* type;
        float espcSlotValue[4];
    } cases[] = {{"LLUV RDL4", {0, 0, 2.5f, 1.5f}}, {"LLUV RDL5", {0, 0, 1.5f, 2.5f}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        CLLUVFile file;
        ASSERT_EQ(ReadText(file, TableFile(c.type, "LOND LATD VFLG ESPC ETMP STDV SCDV",
                                           " 1 2 3 1.5 2.5\n")),
                  0);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(file.mpQuality[0].mfQuality[i], c.espcSlotValue[i]);
    }
}

TEST(CLLUVFileRead, ClockwiseColumnsWinOverCounterClockwiseOnes) {
    const struct {
        const char* columns;
        const char* row;
        double bearing, direction;
    } cases[] = {
        {"RNGE BEAR CCBR HEAD CCHD", " 1 20 10 40 30\n", 20.0, 40.0},
        {"RNGE CCBR BEAR CCHD HEAD", " 1 10 20 30 40\n", 20.0, 40.0},  // the order does not matter
        {"RNGE CCBR CCHD", " 1 20 30\n", 340.0, 330.0},                // 360 - 20, 360 - 30
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        CLLUVFile file;
        ASSERT_EQ(ReadText(file, TableFile("RBVD RDL5", c.columns, c.row)), 0);
        EXPECT_EQ(file.mpRBVD[0].mdBearing, c.bearing);
        EXPECT_EQ(file.mpRBVD[0].mdDirection, c.direction);
    }
}

TEST(CLLUVFileRead, UnitKeywordsSetTheScales) {
    const struct {
        const char* header;
        double metresPerUnit, metresPerSecondPerUnit;
        const char* distanceName;
        const char* velocityName;
    } cases[] = {
        {"", 1000.0, 0.01, "km", "cm/s"},
        {"%UVUnits: \"m/s\" 1.000\n", 1000.0, 1.0, "km", "m/s"},
        {"%UVUnits: m/s\n", 1000.0, 0.01, "km", "m/s"},  // no number: the default scale
        {"%XYUnits: \"metres\" 1\n%UVUnits: mm/s 0.001\n", 1.0, 0.001, "metres", "mm/s"},
        {"%XYUnits: \"mi\" 0\n", 1000.0, 0.01, "mi", "cm/s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        CLLUVFile file;
        ASSERT_EQ(ReadText(file, TableFile("LLUV RDL5", "VELU RNGE", " 50 2\n", c.header)), 0);
        EXPECT_EQ(file.mdDistanceUnitMeters, c.metresPerUnit);
        EXPECT_EQ(file.mdVelocityUnitMetersPerSecond, c.metresPerSecondPerUnit);
        EXPECT_STREQ(file.msDistanceUnits, c.distanceName);
        EXPECT_STREQ(file.msVelocityUnits, c.velocityName);
        EXPECT_DOUBLE_EQ(file.mpLLUV[0].mdVelocityU, 50 * c.metresPerSecondPerUnit);
        EXPECT_DOUBLE_EQ(file.mpRBVD[0].mdRange, 2 * c.metresPerUnit);
    }
}

TEST(CLLUVFileRead, UntypedRowsFollowTheSubtypeLayouts) {
    // Thirteen numbers 1 ... 13 in every row; each layout picks its own.
    const std::string row = " 1 2 3 4 5 6 7 8 9 10 11 12 13\n";
    const struct {
        const char* type;
        int columns;
        XLLUVVector geographic;  // lon, lat, u, v
        XDistVector offset;
        XRBVDVector polar;
        uint32_t flags;
        float q0;
    } cases[] = {
        {"LLUV CUV3", 11, {1, 2, .03, .04}, {5000, 6000}, {7000, 8, .09, 10}, 11, 0},
        {"LLUV CUV3", 5, {1, 2, .03, .04}, {0, 0}, {0, 0, 0, 0}, 5, 0},
        {"LLUV CUV2", 11, {2, 1, .03, .04}, {5000, 6000}, {7000, 8, .09, 10}, 11, 0},
        {"LLUV CUV2", 6, {2, 1, .03, .04}, {5000, 6000}, {0, 0, 0, 0}, 7, 0},
        {"LLUV CUV1", 9, {2, 1, .03, .04}, {0, 0}, {5000, 6, .07, 8}, 0, 9},
        {"LLUV TOT1", 8, {1, 2, .03, .04}, {0, 0}, {5000, 6, .07, 8}, 0, 9},
        {"LLUV TOT1", 4, {1, 2, .03, .04}, {0, 0}, {0, 0, 0, 0}, 0, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.columns);
        CLLUVFile file;
        file.UseDistance(1);
        ASSERT_EQ(ReadText(file, Untyped(c.type, c.columns, row)), 0);
        ASSERT_EQ(file.GetNumberOfVectors(), 1);
        EXPECT_EQ(file.mpLLUV[0].mdLongitude, c.geographic.mdLongitude);
        EXPECT_EQ(file.mpLLUV[0].mdLatitude, c.geographic.mdLatitude);
        EXPECT_DOUBLE_EQ(file.mpLLUV[0].mdVelocityU, c.geographic.mdVelocityU);
        EXPECT_DOUBLE_EQ(file.mpLLUV[0].mdVelocityV, c.geographic.mdVelocityV);
        EXPECT_EQ(file.mpDist[0].mdX, c.offset.mdX);
        EXPECT_EQ(file.mpDist[0].mdY, c.offset.mdY);
        EXPECT_EQ(file.mpRBVD[0].mdRange, c.polar.mdRange);
        EXPECT_DOUBLE_EQ(file.mpRBVD[0].mdBearing, c.polar.mdBearing);
        EXPECT_DOUBLE_EQ(file.mpRBVD[0].mdVelocity, c.polar.mdVelocity);
        EXPECT_DOUBLE_EQ(file.mpRBVD[0].mdDirection, c.polar.mdDirection);
        EXPECT_EQ(file.mpQuality[0].mnFlags, c.flags);
        EXPECT_EQ(file.mpQuality[0].mfQuality[0], c.q0);
    }
}

TEST(CLLUVFileRead, UntypedRowsOfOtherTables) {
    CLLUVFile polar;
    polar.ChangeVectorType(LLUVCode("XXXX"));  // keep the polar values as read
    ASSERT_EQ(ReadText(polar, Untyped("RBVD RDL1", 5, " 2.5 30 -12 1080 0.75\n")), 0);
    ASSERT_EQ(polar.GetNumberOfVectors(), 1);
    EXPECT_EQ(polar.mpRBVD[0].mdRange, 2500.0);
    EXPECT_EQ(polar.mpRBVD[0].mdBearing, 30.0);
    EXPECT_DOUBLE_EQ(polar.mpRBVD[0].mdVelocity, -0.12);
    EXPECT_EQ(polar.mpRBVD[0].mdDirection, 1080.0);
    EXPECT_EQ(polar.mpQuality[0].mfQuality[0], 0.75f);

    CLLUVFile xy;
    xy.UseDistance(1);
    ASSERT_EQ(ReadText(xy, Untyped("XYUV RAD1", 13, " 1 2 3 4 5 6 7 8 9 10 11 12 13\n")), 0);
    ASSERT_EQ(xy.GetNumberOfVectors(), 1);
    EXPECT_EQ(xy.mpDist[0].mdX, 1000.0);
    EXPECT_EQ(xy.mpDist[0].mdY, 2000.0);
    EXPECT_DOUBLE_EQ(xy.mpLLUV[0].mdVelocityV, 0.04);
    EXPECT_EQ(xy.mpRBVD[0].mdRange, 6000.0);
    EXPECT_EQ(xy.mpRBVD[0].mdVelocity, 8.0);  // unscaled
    EXPECT_EQ(xy.mpQuality[0].mnFlags, 5u);
    EXPECT_EQ(xy.mpQuality[0].mfQuality[2], 11.0f);
    EXPECT_EQ(xy.mpQuality[0].mfQuality[3], 13.0f);
    EXPECT_EQ(xy.mpQuality[0].mfQuality[4], 12.0f);
}

TEST(CLLUVFileRead, OnlyTheFirstTableGivesVectorsAndRowsFitTheColumns) {
    CLLUVFile file;
    const std::string text =
        TableFile("LLUV RDL5", "LOND LATD VELU VELV",
                  " 1 2 3 4\n"
                  " 5 6\n"                   // short: the rest stays 0
                  " 7 8 9 10 11 12 13 14\n"  // long: the extra numbers are ignored
                  " 1 2 nan 4\n"             // not finite: no measurement, not kept
                  " 1 2 3 1e400\n"           // beyond a double
                  "\n") +
        "%TableType: LLUV RDL5\n%TableColumnTypes: LOND LATD\n%TableStart:\n 90 91\n%TableEnd:\n";
    ASSERT_EQ(ReadText(file, text), 0);
    ASSERT_EQ(file.GetNumberOfVectors(), 3);
    EXPECT_EQ(file.mpLLUV[1].mdLatitude, 6.0);
    EXPECT_EQ(file.mpLLUV[1].mdVelocityU, 0.0);
    EXPECT_EQ(file.mpLLUV[1].mdVelocityV, 0.0);
    EXPECT_DOUBLE_EQ(file.mpLLUV[2].mdVelocityV, 0.1);
}

TEST(CLLUVFileRead, HeaderKeywordsFillTheInformation) {
    const struct {
        const char* line;
        std::function<void(const CLLUVFile&)> check;
    } cases[] = {
        {"%TimeCoverage: 75", [](auto& f) { EXPECT_EQ(f.mnTimeCoverageSeconds, 4500); }},
        {"%TimeCoverage: 1 hours", [](auto& f) { EXPECT_EQ(f.mnTimeCoverageSeconds, 3600); }},
        {"%TimeCoverage: 0.5083", [](auto& f) { EXPECT_EQ(f.mnTimeCoverageSeconds, 30); }},
        {"%TimeZone: \"GMT+8\" +8.000 0",
         [](auto& f) {
             EXPECT_STREQ(f.msTimeZone, "GMT+8");
             EXPECT_EQ(f.mnTimeZoneSeconds, 28800);
         }},
        {"%AntennaBearing: none", [](auto& f) { EXPECT_EQ(f.GetAntennaBearing(), 1440.0); }},
        {"%PatternPhaseCorrections: 12.5  -40.25",
         [](auto& f) {
             EXPECT_EQ(f.mfPatternPhaseCorrections[0], 12.5f);
             EXPECT_EQ(f.mfPatternPhaseCorrections[1], -40.25f);
         }},
        {"%PatternType: Measured", [](auto& f) { EXPECT_EQ(f.mnPatternType, 0); }},
        {"%LLUVSpec: 1.02\n%PatternType: Measured", [](auto& f) { EXPECT_EQ(f.mnPatternType, 2); }},
        {"%LLUVSpec: 1.05\n%PatternType: Ideal", [](auto& f) { EXPECT_EQ(f.mnPatternType, 1); }},
        {"%PatternDate: 2007 12 20  10 00 00",
         [](auto& f) { EXPECT_EQ(f.mnPatternDate, 3280989600u); }},
        {"%PatternUUID: \"1A2B-3C\" trailing",
         [](auto& f) { EXPECT_STREQ(f.msPatternUUID, "1A2B-3C"); }},
        {"%GreatCircle: \"Sphere\" 6367450.000  0.000000000000",
         [](auto& f) { EXPECT_STREQ(f.msGreatCircle, "\"Sphere\" 6367450.000  0.000000000000"); }},
        {"%TsunamiDetStripThickness: 2.50 km",
         [](auto& f) { EXPECT_EQ(f.mdTsunamiStripThickness, 2500.0); }},
        {"%TsunamiSimWaveHeight: 25.0 cm",
         [](auto& f) { EXPECT_EQ(f.mdTsunamiSimWaveHeight, 0.25); }},
        {"%TsunamiSimShelfStart: 2008 03 14  12 00 00",
         [](auto& f) { EXPECT_EQ(f.mdTsunamiSimShelfStart, 227188800.0); }},  // since 2001, GMT
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CLLUVFile file;
        ASSERT_EQ(ReadText(file, std::string("%BTF: 1.00\n%FileType: LLUV rdls\n") + c.line + "\n"),
                  0);
        c.check(file);
    }
}

TEST(CLLUVFileRead, ReceiverBeforeAnyOriginBecomesTheOrigin) {
    CLLUVFile first;
    ASSERT_EQ(ReadText(first,
                       "%BTF: 1.00\n%FileType: LLUV rdls\n"
                       "%ReceiverLocation:  36.9000000 -122.0000000\n"),
              0);
    EXPECT_NEAR(first.GetOriginLatitude(), 36.9, 1e-12);
    EXPECT_EQ(first.mdReceiverX, 0.0);

    // 0.01 degrees of latitude north of the origin: about 1.1 km north, 0 east.
    CLLUVFile second;
    ASSERT_EQ(ReadText(second,
                       "%BTF: 1.00\n%FileType: LLUV rdls\n"
                       "%Origin:  36.9000000 -122.0000000\n"
                       "%ReceiverLocation:  36.9100000 -122.0000000\n"
                       "%TransmitterLocation:  36.9000000 -122.0000000\n"),
              0);
    EXPECT_NEAR(second.GetOriginLatitude(), 36.9, 1e-12);
    EXPECT_NEAR(second.mdReceiverX, 0.0, 1e-6);
    EXPECT_NEAR(second.mdReceiverY, 1110.0, 2.0);
    EXPECT_NEAR(second.mdTransmitterY, 0.0, 1e-6);
}

TEST(CLLUVFileRead, FileTypesOutsideTheFamilyAreRefused) {
    auto read = [](const std::string& type) {
        CLLUVFile file;
        return ReadText(file, "%BTF: 1.00\n%FileType: " + type + " rdls\n");
    };
    for (const char* type : {"LLUV", "RDIF", "ETIF", "TOIF", "TSIF", "TMAP", "WAVE", "WMIF"})
        EXPECT_EQ(read(type), 0) << type;
    for (const char* type : {"RDTb", "lluv"}) EXPECT_EQ(read(type), kErrBadArgument) << type;
}

TEST(CLLUVFileRead, UnreadableFirstTableStoresNothing) {
    CLLUVFile file;
    EXPECT_EQ(ReadText(file, TableFile("RDTB RDT1", "LOND LATD", " 1 2\n 3 4\n")), 0);
    EXPECT_EQ(file.GetNumberOfVectors(), 0);
    file.mnTableIndex = 1;
    file.mnTableType = LLUVCode("RDTB");
    char row[] = " 1 2";
    EXPECT_EQ(file.ProcessTableRow(row), kLLUVErrUnreadableTable);
}

TEST(CLLUVFileRead, HostileInputNeverCrashes) {
    std::string unknownColumns;
    for (int i = 0; i < 128; ++i) {
        unknownColumns += 'Z';
        unknownColumns += std::to_string(100 + i);
        unknownColumns += ' ';
    }
    std::string longRow;
    for (int i = 0; i < 300; ++i) longRow += " 1e308";
    const struct {
        const char* name;
        std::string text;
        long result;
        long vectors;
    } cases[] = {
        {"empty file", "", kBtfErrNoFileType, 0},
        {"only the version", "%BTF: 1.00\n", kBtfErrNoFileType, 0},
        {"table cut mid-row", TableFile("LLUV RDL5", "LOND LATD", " 1.5 2.").substr(0, 120), 0, -1},
        {"binary rows",
         TableFile("LLUV RDL5", "LOND LATD VFLG EDVC S1CN SPRC",
                   std::string(" nan inf -inf nan -inf inf\n \x01\xff\x80\x7f\x00\x00 9e99\n", 40)),
         0, -1},
        {"garbage rows", TableFile("LLUV RDL5", "LOND LATD VELU", " abc def\n ******\n --1\n"), 0,
         3},
        {"128 unknown columns", TableFile("LLUV RDL5", unknownColumns, longRow + "\n"), 0, 1},
        {"huge numbers", TableFile("LLUV RDL5", "LOND MAXV EDVC VFLG S1CN SPRC", longRow + "\n"), 0,
         1},
        {"lying row count",
         TableFile("LLUV RDL5", "LOND LATD", " 1 2\n 3 4\n 5 6\n", "%TableRows: 2147483647\n"), 0,
         3},
        {"negative row count",
         TableFile("LLUV RDL5", "LOND LATD", " 1 2\n",
                   "%TableRows: -5\n%TableColumns: 99999999999\n"),
         0, 1},
        // 1e308 km is no finite distance in metres: no measurement.
        {"untyped long row", Untyped("LLUV CUV3", 2000000000, longRow + "\n"), 0, 0},
        // Untyped wave tables, too few numbers and too few columns store nothing.
        {"untyped wave table", Untyped("LLWV WVM1", 6, " 1 2 3 4 5 6\n"), 0, 0},
        {"untyped row too short", Untyped("LLUV CUV3", 6, " 1 2 3\n"), 0, 0},
        {"untyped, too few columns", Untyped("LLUV CUV3", 3, " 1 2 3 4 5\n"), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLLUVFile file;
        EXPECT_EQ(ReadText(file, c.text), c.result);
        if (c.vectors >= 0) {
            EXPECT_EQ(file.GetNumberOfVectors(), c.vectors);
        }
        EXPECT_LE(file.mnAllocated, 16384);
    }
}

TEST(CLLUVFileRead, StatedRowCountTheFileCanHoldIsReservedAtOnce) {
    std::string rows;
    for (int i = 0; i < 20000; ++i) rows += " 1 2\n";
    CLLUVFile file;
    ASSERT_EQ(ReadText(file, TableFile("LLUV RDL5", "LOND LATD", rows, "%TableRows: 20000\n")), 0);
    EXPECT_EQ(file.GetNumberOfVectors(), 20000);
    EXPECT_EQ(file.mnAllocated, 20000);

    // A short table takes room for its rows, not the initial capacity.
    CLLUVFile small;
    ASSERT_EQ(ReadText(small, TableFile("LLUV RDL5", "LOND LATD", " 1 2\n 3 4\n 5 6\n",
                                        "%TableRows: 3\n")),
              0);
    EXPECT_EQ(small.GetNumberOfVectors(), 3);
    EXPECT_EQ(small.mnAllocated, 3);
}

TEST(CLLUVFileRead, TenMillionRowsTakeNoMoreMemoryThanTheVectors) {
#if defined(__SANITIZE_ADDRESS__)
    const long rows = 200000;  // the sanitizer's allocator copies on every growth
#else
    const long rows = 10000000;
#endif
    auto statusKilobytes = [](const char* key) {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
        }
        return 0L;
    };
    [[maybe_unused]] const long before = statusKilobytes("VmRSS:");

    // The lines are generated one at a time and handed to the reader's line
    // classifier, as the file loop would hand them, so that nothing but the
    // store can hold them; the table announces 3 rows and brings 10 million.
    CLLUVFile file;
    file.mnVectorType = 0;  // geographic only, as the columns say
    char header[][64] = {"%FileType: LLUV rdls", "%TableType: LLUV RDL5",
                         "%TableColumnTypes: LOND LATD VELU VELV", "%TableRows: 3", "%TableStart:"};
    for (char* line : header) ASSERT_EQ(file.ProcessLine(line), 0);
    char row[32];
    for (long i = 0; i < rows; ++i) {
        std::snprintf(row, sizeof row, " %ld 2 3 4", i % 1000);
        ASSERT_EQ(file.ProcessLine(row), 0);
    }
    file.TableEnd();

    ASSERT_EQ(file.GetNumberOfVectors(), rows);
    EXPECT_EQ(file.mnAllocated, 16384 + (rows - 16384 + 1023) / 1024 * 1024);
    EXPECT_EQ(file.mpLLUV[rows - 1].mdLongitude, double((rows - 1) % 1000));
    EXPECT_DOUBLE_EQ(file.mpLLUV[rows - 1].mdVelocityV, 0.04);
#if !defined(__SANITIZE_ADDRESS__)
    // Geographic and quality records of every vector, with 10 % to spare.
    const long need = rows * long(sizeof(XLLUVVector) + sizeof(XQualityVector)) / 1024;
    EXPECT_LE(statusKilobytes("VmHWM:") - before, need + need / 10);
#endif
}

TEST(CLLUVFile, ClearInfoDescribesTheCommonEarthAndTheDefaultUnits) {
    CLLUVFile file;
    file.SetDistanceUnits(1.0, const_cast<char*>("m"));
    file.mnColumnMask = 5;
    file.mnFormatVersion = 7;
    file.ClearInfo();
    // 1 / 0.0033528106647475126, the flattening the geodesy keeps for WGS84.
    EXPECT_STREQ(file.msGreatCircle, "\"WGS84\" 6378137.000  298.257223562997");
    EXPECT_EQ(file.mdDistanceUnitMeters, 1000.0);
    EXPECT_EQ(file.mnColumnMask, 0u);

    // The converter chooses by list index (15, International Hayford:
    // a 6378388, 1/f 297); the file still names the ellipsoid.
    CGeo::SetCommonEllipsiodType(15);
    file.ClearInfo();
    EXPECT_STREQ(file.msGreatCircle, "\"International Hayford\" 6378388.000  297.000000000000");
    CGeo::SetCommonEllipsiodType(1);
    file.ClearInfo();
    EXPECT_STREQ(file.msGreatCircle, "\"WGS84\" 6378137.000  298.257223562997");
}

TEST(CLLUVFile, SiteAndTimeReachTheMetadata) {
    CLLUVFile file;
    file.SetSiteCode(LLUVCode("ABCD"));
    EXPECT_EQ(file.mnBtfSiteCode, LLUVCode("ABCD"));
    EXPECT_EQ(file.mnSiteCode, LLUVCode("ABCD"));
    // The field form goes through the override: 2008-01-08 14:30 local.
    EXPECT_EQ(file.SetOriginTime(8, 1, 8, 14, 30, 0, "PST"), 3282647400L);
    EXPECT_EQ(file.GetBtfTimeStamp1904(), 3282647400.0);
    EXPECT_STREQ(file.GetBtfTimeZone(), "PST");
}
