// Path helpers of the save flow: splitting the object's path, checking its
// name, and finding or creating the backup folder.
//
// Both '/' and '\\' separate a path's parts wherever a path is read. The
// results of folderOfPath and fileNameOfPath live in static buffers of one
// Windows path (260 bytes) each, overwritten by the next call of the same
// function.
#ifndef QK_BACKUPS_PATH_HELPERS_H_
#define QK_BACKUPS_PATH_HELPERS_H_

#include <stddef.h>

// Bytes of one Windows path, terminator included.
#define PATH_BUFFER_SIZE 260

// Returns the part of `path` before its last separator, or null when the
// path has no separator past its first character or does not fit the
// buffer. "C:\Models\Car.lwo" gives "C:\Models", "C:\Car.lwo" gives "C:".
const char* folderOfPath(const char* path);

// Returns the part of `path` after its last separator, or null for exactly
// the paths for which folderOfPath returns null.
const char* fileNameOfPath(const char* path);

// Returns 1 iff `path` names an existing directory.
int isDirectory(const char* path);

// Writes `base`, PLATFORM_SEPARATOR and `relative` into `out` (of `size`
// bytes), the separators of `relative` made the platform's own
// (platformNativeSeparators), so the folder reads alike in every message.
// Returns 1 iff the whole text fits.
int composeRelativeFolder(char* out, size_t size, const char* base, const char* relative);

// Creates each level of `relative` below `base` in turn, from the outermost;
// levels that exist (or a file of that name) pass, and `base` itself is
// never created. Returns 1 on success, 0 when a level cannot be created or
// base and relative together do not fit 512 bytes.
int createRelativeFolders(const char* base, const char* relative);

#endif  // QK_BACKUPS_PATH_HELPERS_H_
