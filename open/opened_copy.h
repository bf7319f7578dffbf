// The opened copy: the object a backup holds, written beside the object
// as a new file for the host to load, so that the backup itself is never
// loaded and a later save can never overwrite it.
#ifndef QK_OPEN_OPENED_COPY_H_
#define QK_OPEN_OPENED_COPY_H_

#include <string>
#include <vector>

#include "archive/archive_progress.h"
#include "archive/backup_reader.h"
#include "backups/backup_catalog.h"

// Writes the object bytes `entry` holds into a new file in `folder` (no
// trailing separator), beside the object file `objectFileName` (a bare
// name ending in ".lwo"), named "<stem> (backup 031).lwo" for an
// incremental backup and "<stem> (BAK 3).lwo" for a BAK backup, which no
// name format takes for a backup. The file is staged and published
// (platform/staged_file.h) and never replaces a file: when the name is
// taken, " (2)", " (3)" ... is added before ".lwo", and when a taken name
// holds exactly the same bytes and is a regular file with one link that is
// none of `backups` (the catalog's entries), that file is used and the new
// one removed. The number is as the backup's name writes it. An archive
// backup advances `progress` while it is read. Sets `*openedPath` to the file to load and returns kBackupReadOk; on any
// failure returns its cause and leaves no new file.
BackupReadResult writeOpenedCopy(const CatalogEntry& entry, const std::vector<CatalogEntry>& backups,
                                 const std::string& folder, const std::string& objectFileName,
                                 const IArchiveProgress* progress, std::string* openedPath);

#endif  // QK_OPEN_OPENED_COPY_H_
