// Writing and reading xyuv files.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "BvkErrors.h"
#include "TestFolder.h"
#include "cLLUVFile.h"

namespace {

using namespace test_folder;

// Files of the test program's own folder; the name matters to the reader.
const CTestFolder gFolder;

// 2008-01-08 14:30:00 as seconds since 1904 (37993 days and 52200 seconds).
constexpr unsigned long kMapTime = 3282647400ul;

long Export(CLLUVFile& map, const std::string& path, long timeOnLine3 = 0) {
    CFileSpec spec = SpecOf(path);
    return map.ExportClassicXYUV(&spec, 0, nullptr, timeOnLine3);
}

long Import(CLLUVFile& map, const std::string& path) {
    CFileSpec spec = SpecOf(path);
    return map.ImportClassicXYUV(&spec, 0, 0);
}

long ImportText(CLLUVFile& map, const std::string& text, const std::string& name = "plain.txt") {
    return Import(map, gFolder.Write(name, text));
}

// A map with every optional array, site 'ABCD' about 36.5 N 122.25 W.
void MakeMap(CLLUVFile& map, uint32_t mapType, long version) {
    map.mnMapType = mapType;
    map.mnFormatVersion = version;
    map.mnFormatSubVersion = 1;
    map.SetSiteCode(LLUVCode("ABCD"));
    map.SetOriginTime(kMapTime, "PST");
    map.mnTimeCoverageSeconds = 4500;
    map.mdRangeResolutionMeters = 1500.0;
    map.mdReceiverX = 100.0;
    map.mdReceiverY = -200.0;
    map.mdTransmitterY = 2500.0;
    map.mnFirstRangeCell = 1;
    map.SetAntennaBearing(45.5);
    map.mdOriginLatitude = 36.5;
    map.mdOriginLongitude = -122.25;
    map.UseQuality(7);
    map.mnContributorCount = 1;
    map.mnSpectraSourceMask = 7;
    map.mnUseWaveMap = 1;
    map.Allocate(0, kLLUVVectorFull);
}

}  // namespace

TEST(CLLUVFileXYUV, Version7LinesWithAndWithoutCounts) {
    CLLUVFile map;
    MakeMap(map, kLLUVMapRadial, 7);
    map.mnContributorCount = 0;
    map.mnUseWaveMap = 0;
    map.Allocate(0, 0);
    long i = map.AddNewVectorXYUV(1500.0, -2250.0, 0.1234, -0.05, 0, 0, 0, 0, 0);
    map.mpRBVD[i].mdVelocity = -0.25;
    map.SetSpectraSourceInfo(i, 5, 100.0, 0.0);
    map.SetVectorQuality(i, 0.3, -0.1, 0.5, 1.25, 0.0, 3, 4);
    i = map.AddNewVectorXYUV(0.0, 3000.0, 0.0, 0.0, 0, 0, 0, 0, 0);
    map.mpRBVD[i].mdVelocity = 0.0;
    map.SetSpectraSourceInfo(i, 1, 0.0, 0.0);

    const std::string path = gFolder.File("v7.xyuv");
    ASSERT_EQ(Export(map, path), 0);
    std::string expected = std::string("Radial vectors") + "    ABCD" + "     3282647400" +
                           "  1.250" + "    1.5000" + "      0.10000" + "    -0.20000" +
                           "      0.00000" + "     2.50000" + "  1" + "  45.5" + "\n";
    expected +=
        "Format version # 7 1 ! Vectors: dx dy u v bear rvel espc vmax vmin rc etmp nv rt\n";
    const std::string timeText = "14:30:00 Tuesday, January 8, 2008 PST";  // 37 of 45
    expected += " " + timeText + std::string(8, ' ') + "    Org:" +
                "36\xA1"
                "30.000'N,122\xA1"
                "15.000'W" +
                "    \n";
    // Spectra bearing 100 is written as 360 - 100; MAXV 0.3 and MINV -0.1
    // m/s as cm/s.
    expected += std::string(" ") + "    1.50000" + "  " + "   -2.25000" + "    " + "    12.340" +
                "  " + "    -5.000" + "      " + "    260.0" + "  " + "  -25.000" + "    " +
                "    0.500" + "  " + "   30.000" + "  " + "  -10.000" + "  " + "   5" + "  " +
                "    1.250" + "  " + "   3" + " " + "   4" + "\n";
    expected += std::string(" ") + "    0.00000" + "  " + "    3.00000" + "    " + "     0.000" +
                "  " + "     0.000" + "      " + "      0.0" + "  " + "    0.000" + "    " +
                "    0.000" + "  " + "    0.000" + "  " + "    0.000" + "  " + "   1" + "  " +
                "    0.000" + "\n";
    EXPECT_EQ(ReadAll(path), expected);
}

TEST(CLLUVFileXYUV, ExportThenImportKeepsWhatEachVersionCarries) {
    // Version 0 is chosen on export and kept: 4 for quality mode 7, and 1
    // for wave maps, the only version with wave rows.
    struct Case {
        uint32_t mapType;
        long exported, version;
        long timeOnLine3;
    } cases[] = {
        {kLLUVMapTotal, 1, 1, 0},  {kLLUVMapTotal, 2, 2, 0},      {kLLUVMapTotal, 3, 3, 1},
        {kLLUVMapTotal, 0, 4, 0},  {kLLUVMapElliptical, 5, 5, 0}, {kLLUVMapRadial, 6, 6, 0},
        {kLLUVMapRadial, 7, 7, 1}, {kLLUVMapWave, 0, 1, 0},       {kLLUVMapTsunami, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " map " << c.mapType);
        CLLUVFile map;
        MakeMap(map, c.mapType, c.exported);
        const double scale = c.mapType == kLLUVMapWave || c.mapType == kLLUVMapTsunami ? 1.0 : 0.01;
        const double xs[2] = {1500.0, -4000.0}, ys[2] = {-2250.0, 3000.0};
        for (int k = 0; k < 2; ++k) {
            const long i =
                map.AddNewVectorXYUV(xs[k], ys[k], 0.1234 + k, -0.05 * k, 7 + k, 0, 0, 0, 0);
            map.mpRBVD[i].mdVelocity = -0.25 + k;
            map.SetVectorQuality(i, 0.3 + k, -0.1, 0.5, 1.25 + k, 0.0, 3 + k, 4);
            map.SetVectorSixContributers(i, 1 + k, 2, 3, 4, 5, 6);
            map.SetSpectraSourceInfo(i, 5 + k, 100.0 + 10 * k, 0.0);
            map.SetWaveMapInfo(i, 2.5 + k, 0.0);
        }
        const std::string path = gFolder.File("trip.xyuv");
        ASSERT_EQ(Export(map, path, c.timeOnLine3), 0);
        EXPECT_EQ(map.mnFormatVersion, c.version);
        CLLUVFile back;
        ASSERT_EQ(Import(back, path), 0);

        EXPECT_EQ(back.mnMapType, c.mapType);
        EXPECT_EQ(back.mnFormatVersion, c.version);
        EXPECT_EQ(back.mnFormatSubVersion, 1);
        EXPECT_EQ(back.mnOriginTime, kMapTime);
        EXPECT_EQ(back.mnTimeCoverageSeconds, 4500);
        EXPECT_NEAR(back.mdOriginLatitude, 36.5, 1e-6);
        EXPECT_NEAR(back.mdOriginLongitude, -122.25, 1e-6);
        EXPECT_STREQ(back.msTimeZone, "PST");
        if (!c.timeOnLine3) {
            EXPECT_EQ(back.mnSiteCode, LLUVCode("ABCD"));
            EXPECT_DOUBLE_EQ(back.mdRangeResolutionMeters, 1500.0);
            EXPECT_DOUBLE_EQ(back.mdReceiverY, -200.0);
            EXPECT_DOUBLE_EQ(back.mdTransmitterY, 2500.0);
            EXPECT_FLOAT_EQ(back.mfAntennaBearing, 45.5f);
        }
        ASSERT_EQ(back.mnVectors, 2);
        for (int k = 0; k < 2; ++k) {
            XLLUVVector& g = back.mpLLUV[k];
            XDistVector xy{};
            back.LonLatToXY(&g, &xy);
            EXPECT_NEAR(xy.mdX, xs[k], 0.01);
            EXPECT_NEAR(xy.mdY, ys[k], 0.01);
            EXPECT_NEAR(g.mdVelocityU, 0.1234 + k, 5e-4 * scale);
            EXPECT_NEAR(g.mdVelocityV, -0.05 * k, 5e-4 * scale);
            const XQualityVector* q = back.mpQuality ? &back.mpQuality[k] : nullptr;
            const XSpectraSource* s = back.mpSpectraSource ? &back.mpSpectraSource[k] : nullptr;
            switch (c.mapType == kLLUVMapTotal || c.mapType == kLLUVMapRadial ||
                            c.mapType == kLLUVMapElliptical
                        ? c.version
                        : 0) {
                case 2:
                case 4:
                    ASSERT_NE(back.mpContributors, nullptr);
                    EXPECT_EQ(back.mpContributors[k].mnContributor[0], 1 + k);
                    EXPECT_EQ(back.mpContributors[k].mnContributor[5], 6);
                    if (c.version == 2) break;
                    ASSERT_NE(q, nullptr);
                    EXPECT_NEAR(q->mfQuality[2], 0.5, 0.005);
                    [[fallthrough]];
                case 3:
                    ASSERT_NE(q, nullptr);
                    EXPECT_NEAR(q->mfQuality[0], 0.3 + k, 0.005);
                    EXPECT_NEAR(q->mfQuality[1], -0.1, 0.005);
                    EXPECT_EQ(q->mnFlags, 7u + k);
                    break;
                case 5:
                case 6:
                case 7:
                    ASSERT_NE(q, nullptr);
                    ASSERT_NE(s, nullptr);
                    EXPECT_NEAR(q->mfQuality[2], 0.5, 0.005);
                    EXPECT_NEAR(q->mfQuality[3], 1.25 + k, 0.005);
                    EXPECT_EQ(s->mnRangeCell, 5 + k);
                    EXPECT_NEAR(s->mdBearing, 100.0 + 10 * k, 0.05);
                    EXPECT_NEAR(s->mdVelocity, -0.25 + k, 0.005 * scale);
                    if (c.version == 5) {
                        EXPECT_EQ(q->mnFlags, 7u + k);
                    }
                    if (c.version != 7) break;
                    EXPECT_NEAR(q->mfQuality[0], 0.3 + k, 5e-4 * scale);
                    EXPECT_NEAR(q->mfQuality[1], -0.1, 5e-4 * scale);
                    EXPECT_EQ(q->mnEditCount, 3 + k);
                    EXPECT_EQ(q->mnRadialCount, 4);
                    break;
            }
            if (c.mapType == kLLUVMapWave) {
                EXPECT_NEAR(back.mpWaveMap[k].mdWaveHeight, 2.5 + k, 5e-4);
            }
            if (c.mapType == kLLUVMapTsunami) {
                EXPECT_NEAR(q->mfQuality[0], 0.3 + k, 5e-7);
            }
        }
    }
}

TEST(CLLUVFileXYUV, HeaderLinesAreReadByTheirRules) {
    const std::string line3 =
        " 14:30:00 2008-01-08 PDT" + std::string(25, ' ') + "Org:36.5N 122.25W\n";
    struct Case {
        std::string text;
        std::string name;
        uint32_t mapType;
        uint32_t site;
        unsigned long time;
        long patternType;
        const char* zone;
    } cases[] = {
        {"TOTAL VECTORS\nFormat version # 1 0\n" + line3, "none", kLLUVMapTotal, LLUVCode("XXXX"),
         0, 0, "PDT"},
        {"Current vectors ! comment\nFormat version # 1 0\n" + line3, "Rdls.xy", kLLUVMapTotal,
         LLUVCode("XXXX"), 0, 1, "PDT"},
        // 1986-02-03 04:05 is 5877 days and 14700 s after 1970, which is
        // 2082844800 s after 1904.
        {"Radial vectors\nFormat version # 1 0\n" + line3, "RdlyWXYZ_86_02_03_0405.xyuv",
         kLLUVMapRadial, LLUVCode("WXYZ"), 2590632300ul, 2, "PDT"},
        // 2085 lies beyond the 32-bit seconds and is held at their end.
        {"Wave measurements\nFormat version # 1 0\n" + line3, "Wvmm_ABC_85_02_03_0405.xyuv",
         kLLUVMapWave, LLUVCode("_ABC"), 4294967295ul, 2, "PDT"},
        {"Radial vectors    EFGH  1000\nFormat version # 1 0\n 14:30:00 GMT+10" +
             std::string(32, ' ') + "Org:36.5N 122.25W  MDT:-1000000000\n",
         "RdlsWXYZ_86_02_03_0405.xyuv", kLLUVMapRadial, LLUVCode("EFGH"), 3294967296ul, 1,
         "GMT+10"},
        {"Radial vectors\nFormat version # 1 0\n 14:30:00 2008" + std::string(34, ' ') +
             "Org:36.5N 122.25W\n",
         "none", kLLUVMapRadial, LLUVCode("XXXX"), 0, 0, ""},
    };
    for (const Case& c : cases) {
        CLLUVFile map;
        ASSERT_EQ(ImportText(map, c.text, c.name), 0) << c.name;
        EXPECT_EQ(map.mnMapType, c.mapType) << c.name;
        EXPECT_EQ(map.mnSiteCode, c.site) << c.name;
        EXPECT_EQ(map.mnOriginTime, c.time) << c.name;
        EXPECT_EQ(map.mnPatternType, c.patternType) << c.name;
        EXPECT_STREQ(map.msTimeZone, c.zone) << c.name;
        // Labelled like the classic import: "PDT" in February is still -7 h.
        if (std::string(c.zone) == "PDT") {
            EXPECT_EQ(map.GetBtfTimeZoneOffsetSeconds(), -25200) << c.name;
            EXPECT_EQ(map.GetBtfTimeZoneDaylightSavings(), 1) << c.name;
        }
        EXPECT_NEAR(map.mdOriginLatitude, 36.5, 1e-9);
    }

    // A tool named between the marks of line 2; a fault stays a comment.
    CLLUVFile map;
    ASSERT_EQ(ImportText(map, "Total vectors\nFormat version # 3 2 5 ! Merger 1.2.3 ! x\n" + line3),
              0);
    EXPECT_STREQ(map.mszBtfToolNames[0], "Merger");
    EXPECT_STREQ(map.mszBtfToolVersions[0], "1.2.3");
    EXPECT_EQ(map.mnCombineMethod, 5);
    ASSERT_EQ(ImportText(map, "Total vectors\nFormat version # 3 2 ! Fault: no data ! x\n" + line3),
              0);
    EXPECT_STREQ(map.msProcessingComment, "Fault: no data");
    EXPECT_EQ(map.mszBtfToolNames[0][0], 0);
}

TEST(CLLUVFileXYUV, HostileInputIsRefusedOrSkipped) {
    const std::string line3 = " 14:30:00" + std::string(39, ' ') + "Org:36.5N 122.25W\n";
    const std::string header = "Total vectors\nFormat version # 1 0\n" + line3;
    const std::string v5 = std::string("Elliptical vectors\nFormat version # 5 0\n") + " 14:30:00" +
                           std::string(39, ' ') + "Org:36.5N 122.25W\n";
    const std::string v5Row = " 1.0 1.0 10 10 1 2 3 0 0 0 6.0 90 5\n";
    struct Case {
        const char* what;
        std::string text;
        long result;
        long vectors;
    } cases[] = {
        {"empty file", "", kErrEndOfFile, 0},
        {"unknown title", "Some measurements\nFormat version # 1 0\n", kLLUVErrUnknownXYUVTitle, 0},
        {"binary title", std::string("\x00\xff\x01vectors", 10), kLLUVErrUnknownXYUVTitle, 0},
        {"no third line", "Total vectors\nFormat version # 1 0\n", kErrEndOfFile, 0},
        {"short third line", "Total vectors\nFormat version # 1 0\n 14:30:00 36.5N\n",
         kErrBadArgument, 0},
        {"overlong row", header + " 1 1 1 1" + std::string(5000, ' ') + " 2 2 2 2\n", 0, 1},
        {"rows of letters", header + "abc def ghi jkl\n x y u v\n1 2 3\n", 0, 0},
        {"binary rows", header + std::string("\x01\x80\xff\x7f\x00\x09 1e999 nan 1 2\n", 21), 0, 0},
        {"huge version",
         "Total vectors\nFormat version # 99999999999999 -5\n" + line3 +
             " 1 1 1 1 999999999999 1e300\n",
         0, 1},
        {"v5 without resolution", v5 + v5Row, 0, 1},
        {"v5 with resolution 0", "Elliptical vectors    ABCD 1 1 0\n" + v5.substr(19) + v5Row, 0,
         1},
    };
    for (const Case& c : cases) {
        CLLUVFile map;
        EXPECT_EQ(ImportText(map, c.text), c.result) << c.what;
        EXPECT_EQ(map.mnVectors, c.vectors) << c.what;
        if (map.mpSpectraSource && map.mnVectors) {
            EXPECT_EQ(map.mpSpectraSource[0].mnRangeCell, 0) << c.what;
        }
    }

    // A million empty lines are read through without growing the store.
    CLLUVFile map;
    EXPECT_EQ(ImportText(map, header + std::string(1000000, '\n')), 0);
    EXPECT_EQ(map.mnVectors, 0);
    EXPECT_EQ(map.mnAllocated, 16384);
}

// A bad value (not a number, not finite, or a place off the earth) leaves
// out its own row and no other: the columns after it keep their places. The
// cells that hold vectors may span 65,535 cells at most.
TEST(CLLUVFileXYUV, BadValuesDropTheirRowAndWideCellSpansAreRefused) {
    const std::string header = "Radial vectors\nFormat version # 7 1\n 14:30:00" +
                               std::string(39, ' ') + "Org:36.5N 122.25W\n";
    // x y u v bear rvel espc vmax vmin rc etmp nv rt
    const std::string rows =
        " 1.0 1.0 10 10 90 5 abc 1 2 3 4 5 6\n"
        " 1.0 2.0 10 10 90 5 0.5 1 2 3 4 5 6\n"
        " 1.0 2.0 10 10 90 5 0.5 1 2 3 4 5 nan\n"
        " 1e306 2.0 10 10 90 5 0.5 1 2 3 4\n";
    CLLUVFile map;
    ASSERT_EQ(ImportText(map, header + rows), 0);
    ASSERT_EQ(map.mnVectors, 1);
    EXPECT_EQ(map.mpSpectraSource[0].mnRangeCell, 3);
    EXPECT_EQ(map.mpQuality[0].mfQuality[2], 0.5f);
    EXPECT_EQ(map.mpQuality[0].mnRadialCount, 6);

    const struct {
        long first, last, result;
    } cases[] = {{1, 65535, 0},
                 {1, 65536, kErrBadArgument},
                 {1, 2000000000, kErrBadArgument},
                 {-2000000000, 1, kErrBadArgument}};
    for (const auto& c : cases) {
        const std::string text = header + " 1 1 10 10 90 5 0.5 1 2 " + std::to_string(c.first) +
                                 " 4\n 1 2 10 10 90 5 0.5 1 2 " + std::to_string(c.last) + " 4\n";
        CLLUVFile wide;
        EXPECT_EQ(ImportText(wide, text), c.result) << c.first << " " << c.last;
    }

    // A vector that holds a NaN is written as no row at all.
    map.mpRBVD[0].mdVelocity = std::nan("");
    const std::string path = gFolder.File("nan.xyuv");
    ASSERT_EQ(Export(map, path), 0);
    EXPECT_EQ(ReadAll(path).find("nan"), std::string::npos);
    CLLUVFile back;
    ASSERT_EQ(Import(back, path), 0);
    EXPECT_EQ(back.mnVectors, 0);
}

TEST(CLLUVFileXYUV, MapsWithinAKilometreAreStatedInMetres) {
    const std::string header = "Total vectors\nFormat version # 1 0\n 14:30:00" +
                               std::string(39, ' ') + "Org:36.5N 122.25W\n";
    CLLUVFile near, far;
    ASSERT_EQ(ImportText(near, header + " 0.5 0.5 10 10\n"), 0);                 // 707 m
    ASSERT_EQ(ImportText(far, header + " 0.5 0.5 10 10\n 1.0 0.5 10 10\n"), 0);  // 1118 m
    EXPECT_EQ(std::string(near.msDistanceUnits) + near.msVelocityUnits, "mm/s");
    EXPECT_EQ(near.mdDistanceUnitMeters + near.mdVelocityUnitMetersPerSecond, 2.0);
    EXPECT_EQ(std::string(far.msDistanceUnits) + far.msVelocityUnits, "kmcm/s");
}

TEST(CLLUVFileXYUV, Version4RowsCanBePlacedByTheirLatitudeAndLongitude) {
    CFileSpec spec = SpecOf(gFolder.Write(
        "v4.xyuv", "Total vectors\nFormat version # 4 0\n 14:30:00" + std::string(39, ' ') +
                       "Org:36.5N 122.25W\n 5.0 5.0 10 -10 1 2 3 4 36.75 -122.5 1 2 3 4 5 6\n"));
    CLLUVFile map;
    map.UseDistance(1);
    ASSERT_EQ(map.ImportClassicXYUV(&spec, 1, 1), 0);
    ASSERT_EQ(map.mnVectors, 1);
    EXPECT_DOUBLE_EQ(map.mpLLUV[0].mdLatitude, 36.75);
    EXPECT_DOUBLE_EQ(map.mpLLUV[0].mdLongitude, -122.5);
    EXPECT_DOUBLE_EQ(map.mpDist[0].mdX, 5000.0);  // the file's x/y kept
    EXPECT_DOUBLE_EQ(map.mpLLUV[0].mdVelocityV, -0.1);
    EXPECT_EQ(map.mpContributors[0].mnContributor[5], 6);
}
