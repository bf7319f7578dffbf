// Writing one backup file: the object file as it stands on disk, copied or
// archived into a staged file that takes its name only once it is complete.
#ifndef QK_SAVE_BACKUP_WRITER_H_
#define QK_SAVE_BACKUP_WRITER_H_

#include "archive/content_digest.h"
#include "platform/platform.h"
#include "save/backup_namer.h"
#include "save/save_profile.h"

// Writes the backup of the object file `source` planned by `plan` into a
// new staged file in the plan's folder (platform/staged_file.h): a plain
// copy for name formats 0 to 3, else a zip or 7z archive as the plan's path
// says, at the profile's compression level; then flushes it to stable
// storage. The source must be a regular file: anything else fails at once,
// without waiting on it. Every byte read from the source is added to
// `digest` unless it is null (a plain copy then goes through the process
// rather than the kernel alone). Returns the staged file, for the caller to
// publish and close; null after any failure, with nothing left behind.
PlatformFile* writeStagedBackup(const char* source, const BackupPlan& plan, const SaveProfile& profile,
                                DigestState* digest);

// Publishes the staged backup `staged` under the plan's path. When the name
// was taken meanwhile (another host saved the same object), plans again
// with `objectFileName` and `profile`, and takes the next free number while
// planning moves on. Returns true when published; `*plan` is then the plan
// the backup was published by. On failure `staged` stays unpublished.
bool publishStagedBackup(PlatformFile* staged, const char* objectFileName, const SaveProfile& profile,
                         BackupPlan* plan);

#endif  // QK_SAVE_BACKUP_WRITER_H_
