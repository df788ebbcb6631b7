#include "FenwrightMain.h"

#include <cstdio>
#include <cstdlib>

#include "AppArguments.h"
#include "FenwrightGlobals.h"
#include "cVersion.h"

long FenwrightMain(int argc, char** argv) {
    if (const char* level = GivenArgument(argc, argv, 1)) gnDiag = atol(level);
    CVersion::GetShortVersionString(szAppVers);
    CVersion::GetApplicationName(szAppName);
    if (gnDiag >= 1) printf(" Running %s %s\n", szAppName, szAppVers);
    if (argc <= 1 || gnDiag >= 6)
        printf(" Usage: %s <nDiag> <nRadType> <sProcFolder> <sDiagFolder> <sCfgFolder>\n", szAppName);
    if (gnDiag >= 2) printf("  Diagnostic output level %ld\n", gnDiag);
    // The report update is not built yet: the run ends here, successfully.
    fflush(stdout);
    return 0;
}
