// Pinning backups from the "Open Backup" panel. A pinned backup carries
// the mark of backup_names.h in its name, so no rotation, keep rule or
// size cap of this release or an older one ever deletes it, and the pin
// survives restarts and copies of the folder. Renaming never replaces a
// file. Each function tells the user what went wrong, if anything, and
// releases the host services.
#ifndef QK_OPEN_BACKUP_PINS_H_
#define QK_OPEN_BACKUP_PINS_H_

#include "archive/archive_progress.h"
#include "backups/backup_catalog.h"

// Renames the backup `entry` to its pinned name. A backup pinned already,
// or whose pinned name is taken or too long, stays as it is.
void pinBackup(const CatalogEntry& entry);

// Gives the pinned backup `entry` back the name it had before it was
// pinned. When that name is taken, or `entry` is not pinned, it stays as
// it is and the message says why.
void unpinBackup(const CatalogEntry& entry);

// Makes a backup of the object file `objectPath` as it stands on disk now,
// exactly as the next incremental save would (its folder, number, name
// format and container; Skip Unchanged Saves does not apply), then pins
// it. Prunes nothing. A 7z backup advances `progress`.
void pinCurrentFile(const char* objectPath, const IArchiveProgress* progress);

#endif  // QK_OPEN_BACKUP_PINS_H_
