#include "QuillmoorMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "AppArguments.h"
#include "AppInfoRequest.h"
#include "QuillmoorGlobals.h"
#include "QuillmoorHelp.h"
#include "QuillmoorRun.h"
#include "cStrConv.h"
#include "cVersion.h"

namespace {

constexpr unsigned long kOwnerKvrd = 0x4B767264;  // 'Kvrd'

void ResetFolders() {
    CopyCut(szDstFolder, kFolderTextSize, kDefaultDstFolder);
    CopyCut(szProcFolder, kFolderTextSize, kDefaultProcFolder);
    CopyCut(szCfgFolder, kFolderTextSize, kDefaultCfgFolder);
    CopyCut(szDiagFolder, kFolderTextSize, kDefaultDiagFolder);
}

void ReadDiagnosticLevel(int argc, char** argv) {
    gnDiag = 999;
    if (const char* level = GivenArgument(argc, argv, 1)) gnDiag = atol(level);
}

// The name the outputs give as their processing tool is the one the program
// was started by. A conversion run inside another program (a batch of them in
// one process) hands that name over as argv[0], which for a program of its own
// is where the process's name comes from too.
void TakeApplicationName(int argc, char** argv) {
    if (argc < 1 || argv[0] == nullptr || argv[0][0] == 0) {
        CVersion::GetApplicationName(szAppName);
        return;
    }
    const char* slash = strrchr(argv[0], '/');
    CopyCut(szAppName, kAppNameSize, slash != nullptr ? slash + 1 : argv[0]);
}

void PrintRunningLine(int argc, char** argv) {
    CVersion::GetShortVersionString(szAppVers);
    TakeApplicationName(argc, argv);
    if (gnDiag >= 0) printf(" Running %s %s\n", szAppName, szAppVers);
}

void PrintUsage(int argc) {
    if (argc <= 1 || gnDiag >= 6) {
        printf(" Usage: %s <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> "
               "<sCfgFolder> <nPattern> <sDiagFolder>\n",
               szAppName);
        printf("  <nDiag> 0=quiet, 999=much output\n");
        printf("  <cProcChar> i=ideal, m=measured\n");
        printf("  <bLLUV> -1=UsePref, 0=Rad, 1=LLUV, 2=Rad/LLUV, 3=LLUV/Rad\n");
        printf("  <bOpen> 0=Don't open, 1=Open\n");
        printf("  <nPattern> -1=Unknown, 0=Ideal, 1=Meas\n");
    }
    if (gnDiag >= 10) printf("  Diagnostic output level %ld\n", gnDiag);
}

void ReadProcessingText(int argc, char** argv, char* procText) {
    procText[0] = 0;
    if (const char* given = GivenArgument(argc, argv, 2)) CopyCut(procText, kProcTextSize, given);
    if (gnDiag >= 10) printf(" File Processing char is '%s'\n", procText);
}

unsigned long ReadOwnerCode(int argc, char** argv) {
    unsigned long owner = 0;
    if (const char* given = GivenArgument(argc, argv, 3)) CStrConv::StringToCharCode(given, &owner);
    if (owner == 0 || owner == 1) owner = kOwnerKvrd;
    if (gnDiag >= 10) {
        char text[8];
        CStrConv::CharCodeToString(text, owner);
        printf(" OwnerType is '%s'\n", text);
    }
    return owner;
}

}  // namespace

long QuillmoorMain(int argc, char** argv) {
    if (AnswerInfoRequest(argc, argv, "Quillmoor", PrintQuillmoorHelp)) return 0;
    ResetFolders();
    ReadDiagnosticLevel(argc, argv);
    PrintRunningLine(argc, argv);
    PrintUsage(argc);
    char procText[kProcTextSize];
    ReadProcessingText(argc, argv, procText);
    unsigned long owner = ReadOwnerCode(argc, argv);
    long status = RunQuillmoor(argc, argv, procText, owner);
    fflush(stdout);
    return status;
}
