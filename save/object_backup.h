// Making the next backup of an object's file: the file as it stands on
// disk, named by the namer as the profile's next backup, in the folder the
// profile names (a relative one created), staged, flushed and published
// without replacing anything. The save flow makes one before each host
// save; Open Backup's "Pin Current File" makes one to pin.
#ifndef QK_SAVE_OBJECT_BACKUP_H_
#define QK_SAVE_OBJECT_BACKUP_H_

#include "archive/archive_progress.h"
#include "archive/content_digest.h"
#include "backups/save_profile.h"
#include "save/backup_namer.h"

// What the user is told when the backup cannot be made. Each text but the
// folder ones ends in ", " and what did not happen ("object not saved"); a
// cause goes in brackets before that ending.
struct BackupTexts {
  const char* folderCreation;  // the relative folder cannot be created
  const char* missingFolder;   // the absolute folder is not a directory
  const char* makeBackup;      // no backup name, or the copy failed
  const char* compressed;      // the archive could not be written
  const char* cancelled;       // the user pressed abort on the progress monitor
};

// Makes the backup of the object file `name` under `profile`, published
// and on disk, and stores in `*plan` what the namer decided; adds the
// bytes the backup read to `reading` unless it is null; a 7z backup
// advances `progress`. Returns true when the backup stands, or the name
// has no folder part to back up in (`*plan` then names no backup). Returns
// false after reporting with `texts` and releasing the host services,
// having deleted no backup.
bool backUpObject(const char* name, const SaveProfile& profile, const BackupTexts& texts,
                  const IArchiveProgress* progress, BackupPlan* plan, DigestState* reading);

#endif  // QK_SAVE_OBJECT_BACKUP_H_
