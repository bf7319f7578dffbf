// Staged files: how the plug-in makes every backup and its settings file.
//
// The new file is created where no other program writes, written, flushed
// and only then published under its name (platform.h), so that a name
// never stands for an incomplete file, and a save that fails or is killed
// leaves nothing that counts. Where the file system allows, the file has
// no name at all until it is published. Elsewhere it has a staging name
// unique to this save: a prefix (the start of the backups' names), ".qk",
// eight random letters and digits, and ".part", at most 255 characters as
// the file system counts them (platformNameLength). Such a
// name never ends in a digit nor in ".lwo", ".zip" or ".7z", so no backup
// name format takes it for a backup.
#ifndef QK_PLATFORM_STAGED_FILE_H_
#define QK_PLATFORM_STAGED_FILE_H_

#include <string>

#include "platform/platform.h"

// The most of a prefix a staging name keeps, counted as platformNameLength
// counts; the rest is cut off.
#define STAGING_PREFIX_MAX 239

// Creates a staged file for writing, to be published in `folder`: unnamed
// where the file system allows and `mode` is kPlatformStageNew, else under
// a new staging name made from `prefix`. Returns the file, or null.
PlatformFile* createStagedFile(const char* folder, const char* prefix, PlatformStageMode mode);

// Returns true iff `name` is a staging name made from `prefix`.
bool isStagingName(const char* name, const char* prefix);

// Returns the time (a FILETIME) before which a staging file must have been
// written last for a save to take it for abandoned: five minutes ago, far
// longer than any writer leaves its file untouched. Returns 0, so that
// nothing counts as abandoned, when the clock cannot be read.
uint64_t abandonedBefore();

// Removes from `folder` the files with staging names made from `prefix`
// that their writers left behind when they were killed, as
// platformRemoveAbandoned with abandonedBefore() decides.
void removeAbandonedStagingFiles(const char* folder, const char* prefix);

// The names a staged file is offered under when the first is taken, one
// after another; a callback struct whose function takes the struct itself,
// so that an implementation finds its own state around it.
typedef struct IFreeNames IFreeNames;
struct IFreeNames {
  // Called with `*path` just found taken; sets it to the next name to try
  // (the same one again is allowed). Returns 0 to give up.
  int (*Next)(IFreeNames* p, std::string* path);
};

// Publishes the staged file `staged` (kPlatformStageNew) under `*path`,
// and while the name is taken, under each name `names` offers next; never
// replaces a file. Returns 1 with `*path` the name it took; 0 when
// publishing fails for another reason or `names` gives up, the file then
// still staged.
int publishUnderFreeName(PlatformFile* staged, std::string* path, IFreeNames* names);

#endif  // QK_PLATFORM_STAGED_FILE_H_
