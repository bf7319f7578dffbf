// The backup namer: decides the path of an object's next backup.
//
// A backup's file name is a base (the object's file name or its stem, or a
// global BAK name), a separator, the token "bak" for BAK backups, a
// zero-padded number and an extension, as the profile's name format says.
// The namer lists the backup folder, recognises the earlier backups of the
// object by their names, deletes the oldest ones beyond the profile's limit
// and forms the name numbered one above the highest it found. Every name it
// forms it recognises again on later saves with the same settings, and it
// never deletes a file it does not recognise.
#ifndef QK_SAVE_BACKUP_NAMER_H_
#define QK_SAVE_BACKUP_NAMER_H_

#include "save/save_profile.h"

// Bytes of the namer's result buffer, terminator included (two Windows paths).
#define BACKUP_PATH_SIZE 520

// Returns the path of the next backup of `objectFileName` (a bare file name
// ending in ".lwo") in `folder` (no trailing separator), joined with the
// platform's separator, in a static buffer that the next call overwrites.
// Backups beyond `profile.maxFiles` have been deleted by then. Returns null,
// having deleted nothing, when the name format is not 0..9, the folder
// cannot be listed, a BAK profile's global name is in use but is not a bare
// file name of 1 to 255 characters, the highest backup number is already
// 2147483647, or a path would not fit the buffer.
const char* nextBackupName(const char* folder, const char* objectFileName,
                           const SaveProfile& profile);

// Returns nextBackupName with the process-wide BAK profile.
const char* nextBakBackupName(const char* folder, const char* objectFileName);

#endif  // QK_SAVE_BACKUP_NAMER_H_
