#pragma once
// A file specification: one file or folder named by its absolute path, with
// what is known about it (whether it exists, its parent, whether it is a
// folder). Relative paths, ~ and the default folder are resolved here. Every
// operation that changes the file spec ends by looking the object up again and
// returns that result: 0 when it exists, -43 when it does not (no failure for
// a file about to be created).

#include <cstdint>
#include <string>

// A file-system reference: the path of an object that existed when the
// reference was made.
struct XFileRef {
    std::string path;
};

// The classic volume/folder/name triple (70 bytes): a volume number, the
// folder's number, the name as a length byte and at most 63 characters.
#pragma pack(push, 2)
struct XLegacySpec {
    int16_t vRefNum;
    int32_t parID;
    unsigned char name[64];
};
#pragma pack(pop)
static_assert(sizeof(XLegacySpec) == 70);

// A name as UTF-16 code units.
struct XHFSUniStr {
    uint16_t length;
    uint16_t unicode[256];
};

// Limits of a path and of one of its items; longer ones are refused with -50.
constexpr long kMaxPathBytes = 16384;
constexpr long kMaxPathItemChars = 256;
// Deepest path the folder walk follows.
constexpr long kMaxPathItems = 2047;

class CFileSpec {
  public:
    // Names the default folder. What the file system says of it is asked once
    // per default folder and process, as the folder's path is (DoesObjectExist(1)
    // asks again): most specs are set to another object as soon as they are made.
    CFileSpec();
    CFileSpec(const CFileSpec& other);
    CFileSpec& operator=(const CFileSpec& other);
    virtual ~CFileSpec();

    // Naming the object
    long SetFileSpec(const char* path);
    long SetFileSpec(const unsigned char* path);
    long SetFileSpec(const CFileSpec* spec);
    long SetFileSpec(const XFileRef* ref);
    long SetToDefaultFolder();
    long SetToRoot();
    long SetToParent();
    long ChangeFileSpec(const char* name);
    long ChangeFileSpec(const unsigned char* name);
    void SetResolveAlias(long bResolve) { mbResolveAlias = bResolve ? 1 : 0; }
    void SetCreateFoldersToFile(long bCreate) { mbCreateFoldersToFile = bCreate ? 1 : 0; }
    // `ext` (when given) must hold kMaxPathItemChars + 1 bytes.
    long StripDotExtension(unsigned char* ext);
    long StripDotExtension(char* ext);
    long AddNameExtension(const unsigned char* ext);
    long AddNameExtension(const char* ext);

    // Queries. A path that does not fit `size` gives -50 and an empty text
    // (a cut path would name another object); a name is cut to fit.
    long GetFilePath(char* buf, long size) const;
    long GetFilePath(unsigned char* buf, long size) const;
    long GetFileName(char* buf, long size) const;
    long GetFileName(unsigned char* buf, long size) const;
    long GetFileNameHFS(XHFSUniStr* name) const;
    long GetParentFileRef(XFileRef* ref);
    long GetFileRef(XFileRef* ref);
    long IsFolder(const XFileRef* ref = nullptr);
    long DoesObjectExist(long bRefresh);
    XLegacySpec GetFileSpec();
    XLegacySpec* GetFileSpecPtr();
    std::string CFURLCreateCopy() const;

    // Path items
    static long GetPathFirstItem(const char* path, char* out, long size);
    static long GetPathLastItem(const char* path, char* out, long size, long* pbFolder);

    // bLookOnly 1: look the object up. 0: create the missing folders on the
    // way; bCreateLast also creates the last item (as a folder when the file spec
    // names one, as an empty file when bCreateLastAsFile).
    long RealizePathToObject(long bLookOnly, long bCreateLast, long bCreateLastAsFile);

    // The absolute path without a trailing slash ("/" for the root); empty
    // when the file spec names nothing.
    std::string mPath;
    int32_t mbParentValid;
    XFileRef mParentRef;
    int32_t mbExists;
    XFileRef mObjectRef;
    int32_t mbLegacySpecValid;
    XLegacySpec mLegacySpec;
    int32_t mbCreateFoldersToFile;
    int32_t mbResolveAlias;
    int32_t mbIsFolder;

    // The default folder, with a trailing slash.
    static std::string mcfDefaultURL;

  protected:
    // Forgets the object (keeps the two option flags).
    void ClearSpec();
    // Names `path` (absolute; "." and ".." resolved, slashes collapsed) and
    // realizes it; -50 when the path is out of limits.
    long SetAbsolutePath(const std::string& path, long bFolder);
    // The path as given out: with a trailing slash for a folder.
    std::string PathText() const;
    std::string LastItem() const;
    std::string ParentPath() const;

  private:
    struct XUnset {};
    // Options as the default constructor sets them, naming nothing.
    explicit CFileSpec(XUnset);
    void CopyFields(const CFileSpec& spec);
    void BuildLegacySpec();
    static void InitDefaultFolder();
};
