// Whose backup an archive is, by what it records of the object it was
// made from: where objects share a backup folder or a backup name, the
// name alone does not tell.
#ifndef QK_BACKUPS_BACKUP_OWNER_H_
#define QK_BACKUPS_BACKUP_OWNER_H_

#include "archive/backup_reader.h"

enum BackupOwner {
  kOwnerThisObject,   // it records this object's path
  kOwnerUnproven,     // it records nothing that tells: a plain copy, a name alone
  kOwnerOtherObject,  // it records another object's file name or path
};

// Returns whose backup `origin` (as inspectBackup read it) is, against the
// object file `objectPath`. Names and paths are compared as the archives
// store them (a zip in UTF-8 where not ASCII, a 7z in UTF-16), ASCII
// letters without regard to case and '/' and '\\' as one separator.
BackupOwner ownerOf(const BackupOrigin& origin, const char* objectPath);

#endif  // QK_BACKUPS_BACKUP_OWNER_H_
