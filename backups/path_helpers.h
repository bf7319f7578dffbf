// Path helpers of the save flow: splitting the object's path, checking its
// name, and finding or creating the backup folder.
//
// Both '/' and '\\' separate a path's parts wherever a path is read. The
// results of folderOfPath and fileNameOfPath live in static buffers of one
// Windows path each, overwritten by the next call of the same function.
// Paths are counted as the file system counts them (platformPathLength),
// in buffers sized for their UTF-8.
#ifndef QK_BACKUPS_PATH_HELPERS_H_
#define QK_BACKUPS_PATH_HELPERS_H_

#include <stddef.h>

#include "platform/text.h"

// Units of the longest path, terminator not included (one Windows path).
#define PATH_UNITS_MAX 259

// Bytes of a buffer for one such path.
#define PATH_BUFFER_SIZE PLATFORM_UTF8_SIZE(PATH_UNITS_MAX)

// Returns the part of `path` before its last separator, or null when the
// path has no separator past its first character or is longer than
// PATH_UNITS_MAX. "C:\Models\Car.lwo" gives "C:\Models", "C:\Car.lwo" gives "C:".
const char* folderOfPath(const char* path);

// Returns the part of `path` after its last separator, or null for exactly
// the paths for which folderOfPath returns null.
const char* fileNameOfPath(const char* path);

// Returns 1 iff `path` names an existing directory.
int isDirectory(const char* path);

// Writes `base`, PLATFORM_SEPARATOR and `relative` into `out` (of
// PLATFORM_UTF8_SIZE(units) bytes), the separators of `relative` made the
// platform's own (platformNativeSeparators), so the folder reads alike in
// every message. Returns 1 iff the whole text fits `units`.
int composeRelativeFolder(char* out, size_t units, const char* base, const char* relative);

// Creates each level of `relative` below `base` in turn, from the outermost;
// levels that exist (or a file of that name) pass, and `base` itself is
// never created. Returns 1 on success, 0 when a level cannot be created or
// base and relative together pass 511 units.
int createRelativeFolders(const char* base, const char* relative);

#endif  // QK_BACKUPS_PATH_HELPERS_H_
