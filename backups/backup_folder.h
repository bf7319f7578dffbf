// The backup folder: where a profile keeps the backups of an object, by its
// directory mode. The save flow and the catalog both find it here.
#ifndef QK_BACKUPS_BACKUP_FOLDER_H_
#define QK_BACKUPS_BACKUP_FOLDER_H_

#include <stddef.h>

#include "backups/save_profile.h"
#include "platform/text.h"

// Units of a composed relative backup folder, at most (two Windows paths,
// less the terminator), and the bytes of a buffer for one.
constexpr size_t kComposedFolderUnits = 519;
constexpr size_t kComposedFolderSize = PLATFORM_UTF8_SIZE(kComposedFolderUnits);

// Returns the profile's directory as entered, "" when it holds none.
const char* profileDirectory(const SaveProfile& profile);

// Returns the folder where `profile` keeps the backups of an object in
// `folder`: `folder` itself, the relative directory below it composed in
// `composed`, or the absolute directory. Returns null when the relative
// folder's path does not fit. Looks at nothing on disk.
const char* backupFolderOf(const char* folder, const SaveProfile& profile, char (&composed)[kComposedFolderSize]);

#endif  // QK_BACKUPS_BACKUP_FOLDER_H_
