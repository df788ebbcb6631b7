#include "FenwrightGlobals.h"

long gnDiag = 0;
char szProcFolder[kFenwrightFolderSize] = "";
char szDiagFolder[kFenwrightFolderSize] = "";
char szCfgFolder[kFenwrightFolderSize] = "";
char szAppName[kFenwrightAppNameSize] = "";
char szAppVers[kFenwrightAppVersSize] = "";
