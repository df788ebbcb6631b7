#include "QuillmoorGlobals.h"

long gnDiag = 999;
char szDstFolder[kFolderTextSize] = "";
char szProcFolder[kFolderTextSize] = "";
char szCfgFolder[kFolderTextSize] = "";
char szDiagFolder[kFolderTextSize] = "";
char szAppName[kAppNameSize] = "";
char szAppVers[kAppVersSize] = "";
