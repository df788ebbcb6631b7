#pragma once
// Fenwright's process-wide state: the diagnostic level, its three folders and
// the program's name and version.

constexpr long kFenwrightFolderSize = 2048;
constexpr long kFenwrightAppNameSize = 256;
constexpr long kFenwrightAppVersSize = 32;

extern long gnDiag;
extern char szProcFolder[kFenwrightFolderSize];
extern char szDiagFolder[kFenwrightFolderSize];
extern char szCfgFolder[kFenwrightFolderSize];
extern char szAppName[kFenwrightAppNameSize];
extern char szAppVers[kFenwrightAppVersSize];
