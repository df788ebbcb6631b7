#include "QuillmoorHelp.h"

#include <cstdio>

#include "AppInfoRequest.h"
#include "QuillmoorGlobals.h"

void PrintQuillmoorHelp() {
    // The same usage lines a run prints at level 6, so that both read alike.
    printf(
        " Usage: Quillmoor <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> "
        "<bOpen> <sCfgFolder> <nPattern> <sDiagFolder>\n");
    printf("  <nDiag> 0=quiet, 999=much output\n");
    printf("  <cProcChar> i=ideal, m=measured\n");
    printf("  <bLLUV> -1=UsePref, 0=Rad, 1=LLUV, 2=Rad/LLUV, 3=LLUV/Rad\n");
    printf("  <bOpen> 0=Don't open, 1=Open\n");
    printf("  <nPattern> -1=Unknown, 0=Ideal, 1=Meas\n");
    printf("    or: Quillmoor --help | -h | --version | -V\n\n");
    printf(
        "Converts the radial file of the processing folder into a classic radial file, an\n"
        "xyuv test file and an LLUV table file (.ruv) in the output folder.\n\n");
    printf(
        "Arguments may be left off from the right; an empty argument (\"\") keeps its default.\n");
    const XArgumentHelp arguments[] = {
        {"<nDiag>", "how much to print, below 0 failures only", "999"},
        {"<cProcChar>", "processing text", "empty"},
        {"<sOwner>", "four-character owner code of the outputs", "Kvrd"},
        {"<sRadFolder>", "output folder, created when missing", kDefaultDstFolder},
        {"<sProcFolder>", "processing folder, or the radial file itself", kDefaultProcFolder},
        {"<bLLUV>", "outputs, -1 from Quillmoor.pref", "-1"},
        {"<bOpen>", "ask another application to open each output", "1"},
        {"<sCfgFolder>", "configs folder", kDefaultCfgFolder},
        {"<nPattern>", "antenna pattern", "-1"},
        {"<sDiagFolder>", "diagnostics folder", kDefaultDiagFolder},
    };
    PrintArgumentHelp(arguments);
    printf(
        "\nFolder arguments end in '/'; paths may be relative or begin with '~'.\n"
        "Exit status: 0 on success, else the failing step's error code (modulo 256).\n"
        "More in Quillmoor(1) and in the README, section \"Running on a station\".\n");
}
