#include "FenwrightHelp.h"

#include <cstdio>

#include "AppInfoRequest.h"

void PrintFenwrightHelp() {
    // The same usage line a run prints at level 6, so that both read alike.
    printf(" Usage: Fenwright <nDiag> <nRadType> <sProcFolder> <sDiagFolder> <sCfgFolder>\n");
    printf("    or: Fenwright --help | -h | --version | -V\n\n");
    printf(
        "Appends one record for the latest radial file to the site's weekly radial\n"
        "diagnostic report (.rdt) in the diagnostics folder.\n\n");
    printf(
        "Arguments may be left off from the right; an empty argument (\"\") keeps its default.\n");
    const XArgumentHelp arguments[] = {
        {"<nDiag>", "how much to print, 0 failures only", "0"},
        {"<nRadType>", "radial type of the record, 1 ideal, 2 measured pattern", "0"},
        {"<sProcFolder>", "processing folder", "/Brenvik/Tesmara/Data/Processing/"},
        {"<sDiagFolder>", "diagnostics folder", "/Brenvik/Tesmara/Data/Diagnostics/"},
        {"<sCfgFolder>", "configs folder", "/Brenvik/Tesmara/Configs/RadialConfigs/"},
    };
    PrintArgumentHelp(arguments);
    printf(
        "\nFolder arguments end in '/'; paths may be relative or begin with '~'.\n"
        "Exit status: 0 when the report was written, else the error code (modulo 256).\n"
        "More in Fenwright(1) and in the README, section \"Running on a station\".\n");
}
