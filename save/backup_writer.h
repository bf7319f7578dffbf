// Writing one backup file: the object file as it stands on disk, copied or
// archived into a staged file that takes its name only once it is complete.
#ifndef QK_SAVE_BACKUP_WRITER_H_
#define QK_SAVE_BACKUP_WRITER_H_

#include "archive/archive_progress.h"
#include "archive/content_digest.h"
#include "backups/save_profile.h"
#include "platform/platform.h"
#include "save/backup_namer.h"

// Writes the backup of the object file `source` planned by `plan` into a
// new staged file in the plan's folder (platform/staged_file.h): a plain
// copy for name formats 0 to 3, else a zip or 7z archive as the plan's path
// says, at the profile's compression level; then flushes it to stable
// storage. The source must be a regular file: anything else fails at once,
// without waiting on it. Every byte read from the source is added to
// `digest` unless it is null (a plain copy then goes through the process
// rather than the kernel alone); a 7z archive advances `progress`. Returns the staged file, for the caller to
// publish and close; null after any failure, with nothing left behind.
PlatformFile* writeStagedBackup(const char* source, const BackupPlan& plan, const SaveProfile& profile,
                                DigestState* digest, const IArchiveProgress* progress);

// Publishes the staged backup `staged` under the plan's path. When that
// name is taken, moves on to the next free number: above another host's
// backup that took it, or above an entry the namer never counts (a folder,
// a link to nothing) that blocks it; a name that was taken and is free
// again is tried once more. Gives up only when the numbers are used up, or
// after more names blocked by entries it does not count than the folder
// held entries at the last listing (plus one). Returns true when
// published; `*plan` is then the plan the backup was published by. On
// failure `staged` stays unpublished and `*refusal` tells why when the
// namer refused (else its cause is kNamingOk).
bool publishStagedBackup(PlatformFile* staged, const char* objectFileName, const SaveProfile& profile,
                         BackupPlan* plan, NamingRefusal* refusal);

#endif  // QK_SAVE_BACKUP_WRITER_H_
