// QC results written into an LLUV file's text: the expected texts are written
// out by hand from the line and column formats.

#include <gtest/gtest.h>

#include <string>

#include "cRadialQCWrite.h"

namespace {

// Q201 (a file test, passed), Q202 and PRIM over two rows.
XRadialQCResult TwoRowResult() {
    XRadialQCResult result;
    result.ran[kQCSyntax] = result.ran[kQCMaxSpeed] = result.ran[kQCPrimary] = true;
    result.fileFlag[kQCSyntax] = 1;
    result.rowFlags[kQCMaxSpeed] = {1, 3};
    result.rowFlags[kQCPrimary] = {1, 3};
    return result;
}

constexpr char kTwoRowFile[] = R"(%BTF: 1.00
%FileType: LLUV rdls "RadialMap"
%TableType: LLUV RDL5
%TableColumns: 2
%TableColumnTypes: BEAR VELO 
%TableRows: 2
%TableStart:
%%  Bearing  Velocity
%%    (deg)    (cm/s)
  10.0   12.000
  15.0  160.000
%TableEnd:
%%
%TableType: rads rad1
%TableStart: 2
%  1 2
%TableEnd: 2
%End:
)";

TEST(CRadialQCWrite, AddsTheQCLinesAndFlagColumnsAndKeepsEveryOtherByte) {
    std::string out;
    ASSERT_EQ(RadialQCInsert(kTwoRowFile, TwoRowResult(), XRadialQCOptions{}, &out), 0);
    EXPECT_EQ(out, R"(%BTF: 1.00
%FileType: LLUV rdls "RadialMap"
%QCFileVersion: 2.0.0
%QCReference: Quality control reference: IOOS QARTOD HF Radar ver 2.0 June 2022
%QCFlagDefinitions: 1=pass 2=not_evaluated 3=suspect 4=fail 9=missing_data
%QCTestFormat: "test_name [qc_thresholds]: test_result"
%QCTest: syntax (Q201) [none]: 1
%QCTest: maximum_speed (Q202) [max=250 cm/s high=150 cm/s]: column Q202
%QCTest: primary_flag (PRIM) [worst of the tests run]: column PRIM
%TableType: LLUV RDL5
%TableColumns: 5
%TableColumnTypes: BEAR VELO Q201 Q202 PRIM 
%TableRows: 2
%TableStart:
%%  Bearing  Velocity   Q201   Q202   PRIM
%%    (deg)    (cm/s) (flag) (flag) (flag)
  10.0   12.000      1      1      1
  15.0  160.000      1      3      3
%TableEnd:
%%
%TableType: rads rad1
%TableStart: 2
%  1 2
%TableEnd: 2
%End:
)");
}

TEST(CRadialQCWrite, InsertedLinesTakeTheLineEndsOfTheFile) {
    XRadialQCResult result;
    result.ran[kQCPrimary] = true;
    result.rowFlags[kQCPrimary] = {4};
    std::string out;
    ASSERT_EQ(RadialQCInsert("%FileType: LLUV rdls\r\n%TableColumnTypes: VELO\r\n%TableStart:\r\n"
                             " 1.0\r\n%TableEnd:\r\n",
                             result, XRadialQCOptions{}, &out),
              0);
    EXPECT_EQ(out,
              "%FileType: LLUV rdls\r\n%QCFileVersion: 2.0.0\r\n"
              "%QCReference: Quality control reference: IOOS QARTOD HF Radar ver 2.0 June 2022\r\n"
              "%QCFlagDefinitions: 1=pass 2=not_evaluated 3=suspect 4=fail 9=missing_data\r\n"
              "%QCTestFormat: \"test_name [qc_thresholds]: test_result\"\r\n"
              "%QCTest: primary_flag (PRIM) [worst of the tests run]: column PRIM\r\n"
              "%TableColumnTypes: VELO PRIM \r\n%TableStart:\r\n 1.0      4\r\n%TableEnd:\r\n");
}

TEST(CRadialQCWrite, RefusesTextItCannotAddQCTo) {
    const std::string file = kTwoRowFile;
    const struct {
        const char* what;
        std::string text;
        long error;
    } cases[] = {
        {"QC already there", "%QCTest: x\n" + file, kQCErrAlreadyChecked},
        {"a row more than flags", std::string(file).insert(file.find("%TableEnd:"), " 1 1\n"),
         kQCErrRowCount},
        {"a row fewer than flags", std::string(file).erase(file.find("  15.0"), 16),
         kQCErrRowCount},
        {"no table", "%BTF: 1.00\n%FileType: LLUV rdls\n", kQCErrNoVectorTable},
        {"empty", "", kQCErrNoVectorTable},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(RadialQCInsert(c.text, TwoRowResult(), XRadialQCOptions{}, &out), c.error)
            << c.what;
    }
}

}  // namespace
