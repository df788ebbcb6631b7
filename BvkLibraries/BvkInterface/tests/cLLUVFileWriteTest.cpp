// Writing the vector store as an LLUV table file, and the file's standard name.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <regex>
#include <limits>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "TestFolder.h"
#include "cLLUVFile.h"

namespace {

using namespace test_folder;

long Write(CLLUVFile& store, const std::string& path) {
    CFileSpec spec = SpecOf(path);
    return store.WriteUVFile(&spec, LLUVCode("Qlmr"));
}

std::vector<std::string> WrittenLines(CLLUVFile& store) {
    const CTestFolder folder;
    EXPECT_EQ(Write(store, folder.File("written.ruv")), 0);
    return Lines(ReadAll(folder.File("written.ruv")));
}

// The first line that starts with `start`, or "" when there is none.
std::string LineStarting(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines) {
        if (line.compare(0, start.size(), start) == 0) return line;
    }
    return "";
}

// A store of one map with the arrays the flags ask for and one zeroed vector.
struct XStoreSetup {
    uint32_t mapType;
    uint32_t vectorType;
    long qualityMode;
    bool qualityArray;
    long editCount, radialCount;
    long useDistance, contributors, spectraMask, useWave;
};

void Prepare(CLLUVFile& store, const XStoreSetup& setup, long vectors = 1) {
    store.mnMapType = setup.mapType;
    store.mnQualityMode = setup.qualityMode;
    store.mnUseDistance = setup.useDistance;
    store.mnContributorCount = setup.contributors;
    store.mnSpectraSourceMask = setup.spectraMask;
    store.mnUseWaveMap = setup.useWave;
    ASSERT_EQ(store.Allocate(16, setup.vectorType), 0);
    if (!setup.qualityArray) {
        store.UseQuality(0);
        store.mnQualityMode = setup.qualityMode;
    }
    for (long i = 0; i < vectors; ++i) ASSERT_EQ(store.AddNewEmptyVector(), i);
    if (store.mpQuality) {
        store.mpQuality[0].mnEditCount = setup.editCount;
        store.mpQuality[0].mnRadialCount = setup.radialCount;
    }
}

// The hand-made classic radial file.
void ImportHandMade(CLLUVFile& store) {
    CFileSpec source = SpecOf(BVK_TEST_DATA_DIR "/RdlsTEST_08_01_08_1430.rv");
    ASSERT_EQ(store.ImportClassicRadial(&source), 0);
}

// An expected line that starts with '~' is a pattern the line must match.
void ExpectLine(const std::string& actual, const std::string& expected) {
    if (expected[0] == '~')
        EXPECT_TRUE(std::regex_match(actual, std::regex(expected.substr(1)))) << actual;
    else
        EXPECT_EQ(actual, expected);
}

// Rows with the position compared to 1e-7 degrees and the rest as text.
void ExpectRow(const std::string& actual, const std::string& expected) {
    ASSERT_GE(actual.size(), 26u) << actual;
    const double lon = std::atof(actual.substr(1, 13).c_str());
    const double lat = std::atof(actual.substr(14, 12).c_str());
    EXPECT_NEAR(lon, std::atof(expected.substr(1, 13).c_str()), 1.01e-7) << actual;
    EXPECT_NEAR(lat, std::atof(expected.substr(14, 12).c_str()), 1.01e-7) << actual;
    EXPECT_EQ(actual.substr(26), expected.substr(26));
}

}  // namespace

// The hand-made classic file becomes an LLUV file; positions and directions
// from GeographicLib, U and V = speed x sin/cos of the direction, in cm/s.
TEST(CLLUVFileWrite, ClassicRadialBecomesLLUVFileLineByLine) {
    CLLUVFile store;
    ImportHandMade(store);
    const std::vector<std::string> lines = WrittenLines(store);

    const std::vector<std::string> header = {
        R"(%BTF: 1.00)",
        R"(%FileType: LLUV rdls "RadialMap")",
        R"(%LLUVSpec: 1.05  2007 06 25)",
        R"(~%UUID: [0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})",
        R"(%Manufacturer: Brenvik Marine. Tesmara)",
        R"(%Site: TEST "")",
        R"(%TimeStamp: 2008 01 08  14 30 00)",
        R"(%TimeZone: "PST" -8.000 0)",
        R"(%TimeCoverage: 60.000 Minutes)",
        R"(%Origin:  36.9500000 -122.0500000)",
        R"(%GreatCircle: "WGS84" 6378137.000  298.257223562997)",
        R"(%GeodVersion: "CGEO" 1.54  2007 12 20)",
        R"(%RangeResolutionKMeters: 1.5000)",
        R"(%TransmitCenterFreqMHz: 13.450000)",
        R"(%DopplerResolutionHzPerBin: 0.242187500)",
        R"(%BraggSmoothingPoints: 5)",
        R"(%CurrentVelocityLimit: 150.0)",
        R"(%BraggHasSecondOrder: 1)",
        R"(%RadialBraggPeakDropOff: 15.000)",
        R"(%RadialBraggPeakNull: 10.000)",
        R"(%RadialBraggNoiseThreshold: 6.000)",
        R"(%PatternAmplitudeCorrections: 1.2500  0.8750)",
        R"(%PatternPhaseCorrections: 12.50  -30.25)",
        R"(%PatternAmplitudeCalculations: 1.1250  0.9375)",
        R"(%PatternPhaseCalculations: 11.75  -29.50)",
        R"(%RadialMusicParameters: 40.000 20.000 2.000)",
        R"(%RadialSmoothingParameters: 2)",
        R"(%MergedCount: 3)",
        R"(%RadialMinimumMergePoints: 2)",
        R"(%FirstOrderCalc: 1)",
        R"(%MergeMethod: 1 MedianVectors)",
        R"(%PatternMethod: 1 PatternVectors)",
        R"(%RangeStart: 1)",
        R"(%RangeEnd: 4)",
        R"(%ReferenceBearing: 30 DegNCW)",
        R"(%PatternType: Ideal)",
        R"(%TableType: LLUV RDL5)",
        R"(%TableColumns: 14)",
        R"(%TableColumnTypes: LOND LATD VELU VELV VFLG ESPC ETMP MAXV MINV RNGE BEAR VELO HEAD SPRC )",
        R"(%TableRows: 10)",
        R"(%TableStart:)",
        R"(%%   Longitude   Latitude    U comp   V comp  VectorFlag    Spatial    Temporal     Velocity    Velocity   Range   Bearing   Velocity  Direction   Spectra)",
        R"(%%     (deg)       (deg)     (cm/s)   (cm/s)  (GridCode)    Quality     Quality     Maximum     Minimum     (km)  (deg NCW)   (cm/s)   (deg NCW)   RngCell)",
    };
    const std::vector<std::string> rows = {
        R"(  -122.0384765  36.9754018   -4.277  -11.746          0     999.000       1.000      12.500      12.500    3.0000    20.0     12.500     200.0         2)",
        R"(  -122.0441492  36.9766218    1.259    7.140          0     999.000       2.000      -7.250      -7.250    3.0000    10.0     -7.250     190.0         2)",
        R"(  -122.0500000  36.9770326    0.000    0.000          0     999.000       3.000       0.000       0.000    3.0000     0.0      0.000     180.0         2)",
        R"(  -122.0283441  36.9707062  -21.282  -25.351          0     999.000       4.000      33.100      33.100    3.0000    40.0     33.100     220.0         2)",
        R"(  -122.0326475  36.9731702    6.361   10.581          0     999.000       5.000     -12.346     -12.346    3.0000    31.0    -12.346     211.0         2)",
        R"(  -122.0331541  36.9734098   -2.501   -4.330          0     999.000       6.000       5.000       5.000    3.0000    30.0      5.000     210.0         2)",
        R"(  -122.0791741  36.9635128   -0.035    0.020          0     999.000       7.000      -0.040      -0.040    3.0000   300.0     -0.040     120.0         2)",
        R"(  -122.0558467  36.9233778   17.359   98.482          0     999.000       8.000     100.000     100.000    3.0000   190.0    100.000      10.0         2)",
        R"(  -122.0674467  37.0022217   -5.180   19.318          0     999.000       0.500     -20.000     -20.000    6.0000   345.0    -20.000     165.0         4)",
        R"(  -121.9849206  36.9639753  -14.975   -4.001          0     999.000       1.250      15.500      15.500    6.0000    75.0     15.500     255.0         4)",
    };
    const std::vector<std::string> closing = {
        R"(%TableEnd:)",
        R"(%%)",
        R"(~%ProcessedTimeStamp: 20\d\d [01]\d [0-3]\d  [0-2]\d [0-5]\d [0-6]\d)",
        R"(%ProcessingTool: "RadialMerger" 10.5.2)",
        R"(%ProcessingTool: "SpectraToRadial" 10.7.1)",
        R"(%ProcessingTool: "Currents" 9.4)",
        R"(%ProcessingTool: "RadialSlider" 11.0.0)",
        R"(%ProcessingTool: "SpectraToEllipticals" 2.1)",
        R"(%ProcessingTool: "EllipticalsSlider" 2.2)",
        R"(%ProcessingTool: "EllipticalsMerger" 2.3)",
        R"(%End:)",
    };
    ASSERT_EQ(lines.size(), header.size() + rows.size() + closing.size());
    size_t at = 0;
    for (const std::string& expected : header) ExpectLine(lines[at++], expected);
    for (const std::string& expected : rows) ExpectRow(lines[at++], expected);
    for (const std::string& expected : closing) ExpectLine(lines[at++], expected);

    // Every file gets its own identifier.
    const std::vector<std::string> again = WrittenLines(store);
    ASSERT_GT(again.size(), 3u);
    EXPECT_NE(again[3], lines[3]);
}

TEST(CLLUVFileWrite, WrittenFileReadsBackToTheSameMap) {
    CLLUVFile store;
    ImportHandMade(store);
    const CTestFolder folder;
    ASSERT_EQ(Write(store, folder.File("readback.ruv")), 0);
    CLLUVFile back;
    CFileSpec spec = SpecOf(folder.File("readback.ruv"));
    ASSERT_EQ(back.ProcessBTFile(&spec, 0, 0), 0);

    EXPECT_EQ(back.mnSiteCode, store.mnSiteCode);
    EXPECT_EQ(back.mnOriginTime, store.mnOriginTime);
    EXPECT_EQ(back.mnTimeZoneSeconds, store.mnTimeZoneSeconds);
    EXPECT_EQ(back.mdOriginLongitude, store.mdOriginLongitude);
    EXPECT_EQ(back.mdRangeResolutionMeters, store.mdRangeResolutionMeters);
    EXPECT_EQ(back.mnQualityMode, 7);
    ASSERT_EQ(back.mnVectors, store.mnVectors);
    // Within half of the last written digit.
    for (long i = 0; i < store.mnVectors; ++i) {
        const XLLUVVector &g = back.mpLLUV[i], &G = store.mpLLUV[i];
        const XRBVDVector &p = back.mpRBVD[i], &P = store.mpRBVD[i];
        EXPECT_NEAR(g.mdLongitude, G.mdLongitude, 5.1e-8) << i;
        EXPECT_NEAR(g.mdLatitude, G.mdLatitude, 5.1e-8) << i;
        EXPECT_NEAR(g.mdVelocityU, G.mdVelocityU, 5.1e-6) << i;
        EXPECT_NEAR(g.mdVelocityV, G.mdVelocityV, 5.1e-6) << i;
        EXPECT_NEAR(p.mdRange, P.mdRange, 0.051) << i;
        EXPECT_NEAR(p.mdBearing, P.mdBearing, 0.051) << i;
        EXPECT_NEAR(p.mdVelocity, P.mdVelocity, 5.1e-6) << i;
        EXPECT_NEAR(p.mdDirection, P.mdDirection, 0.051) << i;
        EXPECT_NEAR(back.mpQuality[i].mfQuality[3], store.mpQuality[i].mfQuality[3], 5.1e-4);
        EXPECT_EQ(back.mpSpectraSource[i].mnRangeCell, store.mpSpectraSource[i].mnRangeCell);
    }
}

// The map type and the arrays kept choose table type, subtype and columns.
TEST(CLLUVFileWrite, MapTypeAndArraysChooseSubtypeAndColumns) {
    const uint32_t rdls = kLLUVMapRadial, full = kLLUVVectorFull, lluv = kLLUVVectorGeographic,
                   rbvd = kLLUVVectorPolar, wvmp = kLLUVMapWave, elps = kLLUVMapElliptical;
    const std::string geo = "LOND LATD VELU VELV ", polar = "RNGE BEAR VELO HEAD ";
    struct XCase {
        XStoreSetup setup;
        const char* tableType;
        std::string columns;
    } cases[] = {
        // clang-format off
        {{rdls, full, 1, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL3", geo + "STDV " + polar},
        {{rdls, full, 2, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL3", geo + "UQAL VQAL " + polar},
        {{rdls, full, 3, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL3", geo + "VFLG UQAL VQAL " + polar},
        {{rdls, full, 4, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL3", geo + "VFLG UQAL VQAL CQAL " + polar},
        {{rdls, full, 5, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL3", geo + "VFLG RSVD RSVD STDV " + polar},
        {{rdls, full, 6, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL3", geo + "VFLG ESPC ETMP " + polar},
        {{rdls, full, 7, false, 0, 0, 0, 0, 0, 0}, "LLUV RDL7", geo + polar},
        {{rdls, full, 7, true, 0, 0, 0, 0, 0, 0}, "LLUV RDL5", geo + "VFLG ESPC ETMP MAXV MINV " + polar},
        {{rdls, full, 7, true, 3, 0, 0, 0, 0, 0}, "LLUV RDL6", geo + "VFLG ESPC ETMP MAXV MINV EDVC " + polar},
        {{rdls, full, 7, true, 0, 2, 0, 0, 0, 0}, "LLUV RDL7", geo + "VFLG ESPC ETMP MAXV MINV ERTC " + polar},
        {{rdls, lluv, 7, true, 3, 2, 1, 6, 1 | 2 | 8 | 16, 0}, "LLUV RDL7", geo +
         "VFLG ESPC ETMP MAXV MINV EDVC ERTC XDST YDST S1CN S2CN S3CN S4CN S5CN S6CN SPRC BANG BADJ "},
        {{elps, rbvd, 0, false, 0, 0, 0, 0, 0, 0}, "RBVD ELP7", polar},
        {{elps, full, 0, false, 0, 0, 0, 0, 0, 0}, "LLUV ELP7", geo + polar},
        {{kLLUVMapTotal, lluv, 4, true, 0, 0, 0, 0, 0, 0}, "LLUV TOT4", geo + "VFLG UQAL VQAL CQAL "},
        {{kLLUVMapTsunami, full, 1, true, 0, 0, 1, 0, 0, 0}, "LLTM TM01",
         "LOND LATD TOSU TOSV VFLG QTSU TTOS WAVD XDST YDST RNGE BEAR "},
        {{wvmp, full, 1, true, 0, 0, 0, 0, 0, 1}, "LLWV WVM1", "LOND LATD WPDU WPDV VFLG RNGE BEAR WVPD WAVD WVHT "},
        {{wvmp, rbvd, 0, false, 0, 0, 0, 0, 0, 0}, "LLWV WVM1", "RNGE BEAR WVPD WAVD "},
        // clang-format on
    };
    const std::map<uint32_t, std::string> fileTypes = {
        {rdls, R"(rdls "RadialMap")"},
        {elps, R"(elps "EllipticalMap")"},
        {kLLUVMapTotal, R"(tots "CurrentMap")"},
        {kLLUVMapTsunami, R"(tmap "TsunamiCorrelationMap")"},
        {wvmp, R"(wvmp "WaveMap")"}};
    for (const XCase& c : cases) {
        SCOPED_TRACE(c.columns);
        CLLUVFile store;
        Prepare(store, c.setup);
        const std::vector<std::string> lines = WrittenLines(store);
        EXPECT_EQ(LineStarting(lines, "%FileType:"),
                  "%FileType: LLUV " + fileTypes.at(c.setup.mapType));
        EXPECT_EQ(LineStarting(lines, "%TableType:"), "%TableType: " + std::string(c.tableType));
        EXPECT_EQ(LineStarting(lines, "%TableColumnTypes:"), "%TableColumnTypes: " + c.columns);
    }
    // The receiver angle needs a receiver away from the origin.
    CLLUVFile store;
    Prepare(store, {rdls, rbvd, 0, false, 0, 0, 0, 0, 2, 0});
    store.mdReceiverY = 100.0;
    EXPECT_EQ(LineStarting(WrittenLines(store), "%TableColumnTypes:"),
              "%TableColumnTypes: " + polar + "SAOA ");
}

// No vectors: no row count, no rows; the processing comment follows the
// table end.
TEST(CLLUVFileWrite, EmptyStoreWritesAnnouncementTitlesAndTableEnd) {
    CLLUVFile store;
    Prepare(store, {kLLUVMapRadial, kLLUVVectorFull, 7, true, 0, 0, 0, 0, 1, 0}, 0);
    std::strcpy(store.msProcessingComment, "from xyuv");
    const std::vector<std::string> lines = WrittenLines(store);
    // The column titles (checked with the hand-made file) follow the start.
    auto at = std::find(lines.begin(), lines.end(), "%TableStart:");
    ASSERT_LE(at + 7, lines.end());
    EXPECT_EQ(LineStarting(lines, "%TableRows:"), "");
    EXPECT_EQ(at[-1].rfind("%TableColumnTypes: ", 0), 0u) << at[-1];
    const std::vector<std::string> closing = {"%TableEnd:", "%%",
                                              R"(%ProcessingComment: "from xyuv")", "%%"};
    for (size_t i = 0; i < closing.size(); ++i) EXPECT_EQ(at[3 + i], closing[i]);
}

// Rounding: 359.96 shows as 0.0, -0.04 without a sign, 0.123456 m/s as
// 12.346 cm/s; x/y distances, the bistatic angle and its adjustment; no
// trailing blanks.
TEST(CLLUVFileWrite, RowsRoundAndFormatEveryColumn) {
    CLLUVFile store;
    Prepare(store, {kLLUVMapTotal, kLLUVVectorFull, 0, false, 0, 0, 0, 0, 0, 0});
    store.mpLLUV[0] = {-122.25, 36.5, 0.123456, -0.0512};
    store.mpRBVD[0] = {1234.56789, 359.96, -0.123456, -0.04};
    std::vector<std::string> lines = WrittenLines(store);
    EXPECT_EQ(LineStarting(lines, " "),
              "  -122.2500000  36.5000000   12.346   -5.120   1.2346     0.0    -12.346       0.0");

    // A vector that holds a value that is not finite, or one whose rounding
    // overflows (1e305 in steps of 1e-7), has no row; a huge value that stays
    // finite has one, and the count says so.
    CLLUVFile withNaN;
    Prepare(withNaN, {kLLUVMapTotal, kLLUVVectorFull, 0, false, 0, 0, 0, 0, 0, 0}, 5);
    withNaN.mpRBVD[0].mdVelocity = std::nan("");
    withNaN.mpLLUV[2].mdLatitude = -std::numeric_limits<double>::infinity();
    withNaN.mpLLUV[3].mdLongitude = 1e305;
    withNaN.mpRBVD[4].mdRange = 1e260;
    lines = WrittenLines(withNaN);
    EXPECT_EQ(LineStarting(lines, "%TableRows:"), "%TableRows: 2");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind(" ", 0) == 0; }),
              2);

    // Transmitter 1 km east of the receiver at the origin: the vector 1 km
    // east sees the transmitter at -45 degrees from the receiver's line.
    CLLUVFile bistatic;
    Prepare(bistatic, {kLLUVMapElliptical, kLLUVVectorPolar, 0, false, 0, 0, 1, 0, 8 | 16, 0});
    bistatic.mdTransmitterY = 1000.0;
    bistatic.mpDist[0] = {1000.0, 0.0};
    bistatic.mpRBVD[0] = {1000.0, 90.0, 0.0, 0.0};
    lines = WrittenLines(bistatic);
    EXPECT_EQ(LineStarting(lines, "%TableColumnTypes:"),
              "%TableColumnTypes: XDST YDST RNGE BEAR VELO HEAD BANG BADJ ");
    EXPECT_EQ(
        LineStarting(lines, " "),
        "      1.0000      0.0000    1.0000    90.0      0.000       0.0     -45.0      0.924");
    EXPECT_EQ(LineStarting(lines, "%%  X Distance"),
              "%%  X Distance  Y Distance   Range   Bearing   Velocity  Direction   Bistatic   "
              "Bistatic ");
    EXPECT_EQ(LineStarting(lines, "%%     (km)"),
              "%%     (km)        (km)       (km)  (deg NCW)   (cm/s)   (deg NCW)  Angle(deg) "
              "Adjustment");

    // Without the angle's bit the adjustment is cos 0.
    bistatic.mnSpectraSourceMask = 16;
    EXPECT_EQ(LineStarting(WrittenLines(bistatic), " "),
              "      1.0000      0.0000    1.0000    90.0      0.000       0.0     1.000");
}

TEST(CLLUVFileWrite, HeaderKeywordsFollowTheirConditions) {
    struct XCase {
        std::function<void(CLLUVFile&)> set;
        const char* start;     // the keyword looked for
        const char* expected;  // its whole line, or "" for none
    } cases[] = {
        {[](CLLUVFile& s) { s.mdRangeResolutionMeters = 300; }, "%RangeResolution",
         "%RangeResolutionMeters: 300.00"},
        {[](CLLUVFile& s) { s.mnRangeStart = 3, s.mnRangeEnd = 40; },
         "%RangeStart:", "%RangeStart: 1"},
        {[](CLLUVFile&) {}, "%RangeStart:", ""},
        {[](CLLUVFile&) {}, "%FirstOrderCalc:", ""},
        {[](CLLUVFile& s) { s.mnFirstOrderCalc = 0; }, "%FirstOrderCalc:", "%FirstOrderCalc: 0"},
        {[](CLLUVFile& s) { s.mnMergeMethod = 5; }, "%MergeMethod:", "%MergeMethod: 5 "},
        {[](CLLUVFile& s) { s.mnBraggHasSecondOrder = 1; }, "%BraggHasSecondOrder:", ""},
        {[](CLLUVFile& s) { s.mnPatternType = 2, s.mnPatternDate = 3282647405u; },
         "%PatternDate:", "%PatternDate: 2008 01 08  14 30 05"},
        {[](CLLUVFile& s) { s.mdReceiverY = 1000; }, "%ReceiverLocation:",
         "%ReceiverLocation:   0.0090437    0.0000000"},  // 1 km north of 0, 0
        {[](CLLUVFile& s) { s.SetDistanceUnits(1.0, const_cast<char*>("m")); },
         "%XYUnits:", R"(%XYUnits: "m" 1.000)"},
        {[](CLLUVFile&) {}, "%UVUnits:", ""},
        {[](CLLUVFile& s) { s.mnMapType = kLLUVMapTotal; }, "%ReferenceBearing:", ""},
        {[](CLLUVFile& s) { s.mnMapType = kLLUVMapTsunami; }, "%TsunamiSimWaveHeight:", ""},
        {[](CLLUVFile& s) {
             s.mnMapType = kLLUVMapTsunami, s.mnTsunamiSimType = 1;
             s.mdTsunamiSimWaveHeight = 0.25;
         },
         "%TsunamiSimWaveHeight:", "%TsunamiSimWaveHeight: 25.0 cm"},
    };
    for (const XCase& c : cases) {
        CLLUVFile store;
        Prepare(store, {kLLUVMapRadial, kLLUVVectorFull, 0, false, 0, 0, 0, 0, 0, 0});
        c.set(store);
        EXPECT_EQ(LineStarting(WrittenLines(store), c.start), c.expected) << c.start;
    }
}

// A store whose file system refuses the n-th line.
class CFailingLLUVFile : public CLLUVFile {
  public:
    long mnFailAt = 0;
    long WriteFile(const char* text, long length) override {
        if (mnLinesWritten + 1 == mnFailAt) {
            ++mnLinesWritten;
            return kErrBusy;
        }
        return CLLUVFile::WriteFile(text, length);
    }
};

TEST(CLLUVFileWrite, FailedWriteKeepsTheOldFileAndReportsTheError) {
    const CTestFolder folder;
    const std::string path = folder.File("kept.ruv");
    const XStoreSetup setup{kLLUVMapRadial, kLLUVVectorFull, 7, true, 0, 0, 0, 0, 1, 0};
    CLLUVFile complete;
    Prepare(complete, setup, 3);
    const long lineCount = static_cast<long>(WrittenLines(complete).size());
    // The version line, the file type, a header line, a row, the end line.
    for (long failAt : {1L, 2L, 3L, lineCount - 6, lineCount}) {
        SCOPED_TRACE(failAt);
        folder.Write("kept.ruv", "good old file\n");
        CFailingLLUVFile store;
        Prepare(store, setup, 3);
        store.mnFailAt = failAt;
        EXPECT_EQ(Write(store, path), kErrBusy);
        EXPECT_EQ(ReadAll(path), "good old file\n");
        // The same object writes the file completely afterwards.
        store.mnFailAt = 0;
        EXPECT_EQ(Write(store, path), 0);
        EXPECT_EQ(Lines(ReadAll(path)).back(), "%End:");
    }

    // A file that cannot be created.
    CLLUVFile store;
    EXPECT_NE(Write(store, folder.Write("blocker", "x") + "/inside.ruv"), 0);
}

TEST(CLLUVFileWrite, StandardFileNames) {
    struct XCase {
        uint32_t mapType;
        char letter;
        const char* extension;
        const char* name;
    } cases[] = {
        {kLLUVMapRadial, 0, ".ruv", "RDLs_ABCD_2008_01_08_1430.ruv"},
        {kLLUVMapRadial, 'i', nullptr, "RDLi_ABCD_2008_01_08_1430.ruv"},
        {kLLUVMapRadial, 0, "abc", "RDLs_ABCD_2008_01_08_1430abc.ruv"},
        {kLLUVMapElliptical, 0, nullptr, "ELTs_ABCD_2008_01_08_1430.euv"},
        {kLLUVMapTsunami, 0, nullptr, "TMAP_ABCD_2008_01_08_1430.tmap"},
        {kLLUVMapTotal, 0, nullptr, "TOTL_ABCD_2008_01_08_1430.tuv"},
        {kLLUVMapWave, 0, "", "WVMP_ABCD_2008_01_08_1430.wvmp"},
        {LLUVCode("odds"), 'x', nullptr, "LLUx_ABCD_2008_01_08_1430.lluv"},
        {kLLUVMapRadial, 0, ".an-extension-of-thirty-six-letters",
         "RDLs_ABCD_2008_01_08_1430.an-extension-of-thirty-six-let"},
    };
    for (const XCase& c : cases) {
        CLLUVFile store;
        store.mnMapType = c.mapType;
        store.mnOriginTime = 3282647400u;  // 2008-01-08 14:30:00
        char name[64];
        store.GetUVFilename(name, c.letter, const_cast<char*>(c.extension), LLUVCode("ABCD"), 0);
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(store.mnBtfSiteCode, LLUVCode("ABCD"));
    }
    // Site and time from the store; a metadata site of 0 becomes XXXX.
    CLLUVFile store;
    store.mnBtfSiteCode = 0;
    char name[64];
    store.GetUVFilename(name, 0, nullptr, 0, 3282647405u);
    EXPECT_STREQ(name, "RDLs_XXXX_2008_01_08_1430.ruv");
    EXPECT_EQ(store.mnSiteCode, LLUVCode("XXXX"));
    EXPECT_EQ(store.mnBtfSiteCode, 0u);
}
