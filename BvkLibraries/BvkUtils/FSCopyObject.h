#pragma once
// The copy engine: a file or a whole folder, with its content, permissions,
// type and creator codes and modification time. A copy is first written under
// a unique hidden name beside its destination and put in place only when it is
// complete, so a failed copy never leaves a half object under the final name,
// and a replaced object stays until its replacement is whole.

#include <string>

// Copies `source` to `destFolder`/`destName`. An existing object of that name
// is replaced when bReplace is set, else the result is -48. A folder copied
// into itself or one of its own sub-folders gives -1234 before anything is
// written; copying an object onto itself gives -48. `copyPath` (when given)
// receives the path of the copy.
long FSCopyObject(const char* source, const char* destFolder, const char* destName, long bReplace,
                  std::string* copyPath);

// Deletes an object and, for a folder, everything in it. Symbolic links are
// removed, never followed.
long FSDeleteObjectTree(const char* path);
