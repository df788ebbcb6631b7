#pragma once
// Quillmoor's process-wide state: the diagnostic level, the four folders and
// the program's name and version. The run resets them at its start.

constexpr long kFolderTextSize = 4096;
constexpr long kAppNameSize = 256;
constexpr long kAppVersSize = 32;

extern long gnDiag;
extern char szDstFolder[kFolderTextSize];
extern char szProcFolder[kFolderTextSize];
extern char szCfgFolder[kFolderTextSize];
extern char szDiagFolder[kFolderTextSize];
extern char szAppName[kAppNameSize];
extern char szAppVers[kAppVersSize];

constexpr const char* kDefaultDstFolder = "/Brenvik/Tesmara/Data/Radials/";
constexpr const char* kDefaultProcFolder = "/Brenvik/Tesmara/Data/Processing/";
constexpr const char* kDefaultCfgFolder = "/Brenvik/Tesmara/Configs/RadialConfigs/";
constexpr const char* kDefaultDiagFolder = "/Brenvik/Tesmara/Data/Diagnostics/";
