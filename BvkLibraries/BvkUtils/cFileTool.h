#pragma once
// Whole-object operations on a file specification: create, codes and dates,
// catalog information, rename (also to the next free numbered name), delete
// with retries, move, trash, exchange and copy. Operations return 0 or an
// error code (-43 not found, -48 name in use, -47 busy, -50 bad argument,
// -1407 not a folder, others from the file system) and leave the file spec naming
// what it named before, except renames and moves, which name the result when
// they succeed.

#include <cstdint>

#include "cFileSpec.h"

// Catalog information of one object. Times are local 1904 seconds.
struct XFCatInfo {
    char name[257];
    uint32_t creator;   // 'fold' for a folder
    uint32_t type;      // 'fold' for a folder
    uint64_t dataSize;  // bytes allocated to the data stream
    uint64_t resourceSize;
    uint32_t created;
    uint32_t modified;
    uint32_t backedUp;
    int32_t isFolder;
    uint32_t items;  // items in a folder
};

// Options of DeleteFile, MoveFile and MoveFileToTrash.
enum : unsigned long {
    kDeleteReplaceExisting = 0x01,  // delete a same-named object in the way
    kDeleteToTrash = 0x02,          // move to the trash when it cannot be deleted
    kDeleteTrashDuplicate = 0x04,   // delete a same-named item already in the trash
    kDeleteRenameAside = 0x08,      // rename out of the way when it cannot be deleted
    kDeleteNoRetry = 0x10,          // do not wait for a busy object
};

// Folders carry this code as both type and creator.
constexpr uint32_t kFolderCode = 0x666F6C64;  // 'fold'

class CFileTool : public CFileSpec {
  public:
    CFileTool() = default;
    CFileTool(const CFileTool& other) = default;
    CFileTool& operator=(const CFileTool& other) = default;
    ~CFileTool() override;

    long CreateFile(unsigned long creator, unsigned long type);
    long CreateFolder();
    long SetFileCreatorType(unsigned long creator, unsigned long type);
    long SetFileCreator(unsigned long creator);
    long SetFileType(unsigned long type);
    long SetFileCreationDate(unsigned long time1904Local);
    long GetFileCatInfo(XFCatInfo* info, unsigned long index);
    long RenameFile(const unsigned char* newName, long deleteOptions);
    long RenameFile(const char* newName, long deleteOptions);
    long SequenceRenameFile(const char* separator, long first, long last);
    long DeleteFile(unsigned long options);
    long DeleteFolder(long bRecursive);
    long MoveFile(CFileSpec* dest, long options);
    long MoveFileToTrash(unsigned long options);
    long ExchangeFiles(CFileSpec* other);
    long CopyFile(CFileSpec* dest, long bReplace, long bDestIsName, long bFollowCopy, long options);
    long ItemChanged();

  private:
    // Moves the object to `target` (a full path), across volumes by copying.
    long MoveObjectTo(const char* target);
    // Deletes, or renames aside, an object in the way of a move.
    static long ClearWay(const char* path, long bDelete, long bRenameAside);
};

// Waits the given number of milliseconds.
void Delay(unsigned long ms);
