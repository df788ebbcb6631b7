#pragma once
// Real-time quality control of one radial map: the network's QC tests as
// pure functions over a vector store and up to two earlier hours of the same
// site. A test gives one flag per file or one per vector row; the primary
// flag of a row is the worst flag any test gave it.
//
// Velocities are compared in thousandths of a centimetre per second, the
// resolution LLUV files carry, so that a threshold met exactly in the file is
// met exactly here.

#include <cstdint>
#include <vector>

#include "cLLUVFile.h"

// Flags.
constexpr int kQCPass = 1;
constexpr int kQCNotEvaluated = 2;
constexpr int kQCSuspect = 3;
constexpr int kQCFail = 4;
constexpr int kQCMissingData = 9;

// A vector flag marking land or a place the radar cannot measure.
constexpr uint32_t kQCVectorFlagLand = 128;

// The tests, in the order their columns are written.
enum ERadialQCTest {
    kQCSyntax,            // Q201, file
    kQCMaxSpeed,          // Q202, row
    kQCValidLocation,     // Q203, row
    kQCRadialCount,       // Q204, file
    kQCSpatialMedian,     // Q205, row
    kQCTemporalGradient,  // Q206, row
    kQCAverageBearing,    // Q207, file
    kQCStuckValue,        // Q209, row
    kQCPrimary,           // PRIM, row
    kQCTestCount
};

struct XRadialQCOptions {
    double maxSpeed = 250;  // cm/s
    double highSpeed = 150;
    long minRadials = 150;
    long lowRadials = 300;
    double medianRangeCells = 2.1;
    double medianAngle = 10;    // degrees
    double medianMaxDiff = 30;  // cm/s
    double gradientWarn = 36;   // cm/s per hour
    double gradientFail = 54;
    bool hasReferenceBearing = false;
    double referenceBearing = 0;  // degrees clockwise from north
    double bearingWarn = 15;
    double bearingFail = 30;
    double stuckResolution = 0.01;  // cm/s
    // Degrees per bearing cell; 0 takes the file's, else the bearing grid's.
    double angularResolution = 0;
};

// Q201 conditions that failed (bits).
enum : uint32_t {
    kQCSyntaxNoNameStamp = 0x01,
    kQCSyntaxNoRows = 0x02,
    kQCSyntaxMissingKeyword = 0x04,
    kQCSyntaxStampMismatch = 0x08,
    kQCSyntaxRowWidth = 0x10,
    kQCSyntaxOriginRange = 0x20,
};

// Keywords a radial file must carry (bits of XRadialQCFileFacts::keywords).
enum : uint32_t {
    kQCKeyFileType = 0x01,
    kQCKeySite = 0x02,
    kQCKeyTimeStamp = 0x04,
    kQCKeyOrigin = 0x08,
    kQCKeyPatternType = 0x10,
    kQCKeyTimeZone = 0x20,
    kQCKeyAll = 0x3F,
};

// What the file's text says that the store does not keep.
struct XRadialQCFileFacts {
    char fileName[256] = {};
    uint32_t keywords = 0;
    long stamp[5] = {};  // year, month, day, hour, minute of %TimeStamp
    long rowsOfWrongWidth = 0;
    double angularResolution = 0;  // %AngularResolution, 0 when absent
};

struct XRadialQCResult {
    bool ran[kQCTestCount] = {};
    int fileFlag[kQCTestCount] = {};  // file tests
    uint32_t syntaxProblems = 0;      // kQCSyntax... bits when Q201 failed
    long radialCount = 0;
    double meanBearing = 0;        // Q207's circular mean
    double angularResolution = 0;  // used by Q205
    // Row tests: one flag per vector, empty for a test not run.
    std::vector<uint8_t> rowFlags[kQCTestCount];
};

// Column code and name of every test.
uint32_t RadialQCCode(int test);
const char* RadialQCName(int test);
bool RadialQCIsFileTest(int test);

// The single tests. Row tests fill `flags` with one flag per vector.
int RadialQCSyntax(const CLLUVFile& store, const XRadialQCFileFacts& facts, uint32_t* problems);
void RadialQCMaxSpeed(const CLLUVFile& store, const XRadialQCOptions& options,
                      std::vector<uint8_t>& flags);
void RadialQCValidLocation(const CLLUVFile& store, std::vector<uint8_t>& flags);
int RadialQCRadialCount(const CLLUVFile& store, const XRadialQCOptions& options, long* count);
void RadialQCSpatialMedian(const CLLUVFile& store, const XRadialQCOptions& options,
                           double angularResolution, std::vector<uint8_t>& flags);
void RadialQCTemporalGradient(const CLLUVFile& store, const CLLUVFile* hourBefore,
                              const XRadialQCOptions& options, std::vector<uint8_t>& flags);
int RadialQCAverageBearing(const CLLUVFile& store, const XRadialQCOptions& options,
                           double* meanBearing);
void RadialQCStuckValue(const CLLUVFile& store, const CLLUVFile* hourBefore,
                        const CLLUVFile* twoHoursBefore, const XRadialQCOptions& options,
                        std::vector<uint8_t>& flags);

// The first YYYY_MM_DD_HHMM stamp in a file name: year, month, day, hour,
// minute, and where it starts. False when there is none.
bool RadialQCNameStamp(const char* name, long stamp[5], size_t* at);

// The bearing cell size in degrees: the option, else the file's, else the
// smallest step between the bearings of the map; 0 when none can be found.
double RadialQCAngularResolution(const CLLUVFile& store, const XRadialQCOptions& options,
                                 const XRadialQCFileFacts& facts);

// Runs every test whose inputs exist; earlier hours may be null.
void RunRadialQC(const CLLUVFile& store, const XRadialQCFileFacts& facts,
                 const CLLUVFile* hourBefore, const CLLUVFile* twoHoursBefore,
                 const XRadialQCOptions& options, XRadialQCResult& result);

// Which columns a store holds, as the tests need them.
bool RadialQCHasVelocity(const CLLUVFile& store);
bool RadialQCHasPosition(const CLLUVFile& store);
bool RadialQCHasVectorFlag(const CLLUVFile& store);
bool RadialQCHasRangeCell(const CLLUVFile& store);

// Files the QC cannot be added to.
constexpr long kQCErrAlreadyChecked = 2101;  // the file carries QC results already
constexpr long kQCErrRowCount = 2102;        // the table's rows are not the vectors read
constexpr long kQCErrNoVectorTable = 2103;   // no vector table to add columns to
constexpr long kQCErrFileTooLarge = 2104;    // larger than any radial file
