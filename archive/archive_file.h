// Compressed backups: one object file stored in a zip or a 7z archive.
#ifndef QK_ARCHIVE_ARCHIVE_FILE_H_
#define QK_ARCHIVE_ARCHIVE_FILE_H_

#include <stdint.h>

#include "archive/archive_progress.h"
#include "archive/content_digest.h"
#include "platform/platform.h"

// Stores the open file `source`, read from its start, whose path is
// `sourcePath`, as the single entry of a new archive written to the open,
// empty file `archive`: a 7z archive when `archivePath` (the name the
// archive will have) ends in ".7z", a zip archive otherwise.
// `compressionLevel` 0 is "Normal", any other value "High". Every byte
// read from `source` is added to `digest` unless it is null; a 7z archive
// advances `progress` while it is written. Returns 1 when
// the archive was written completely, 0 on any failure. Neither flushes
// nor closes the files; shows no message.
int archiveFile(PlatformFile* source, const char* sourcePath, PlatformFile* archive, const char* archivePath,
                int32_t compressionLevel, DigestState* digest, const IArchiveProgress* progress);

#endif  // QK_ARCHIVE_ARCHIVE_FILE_H_
