// Reading the one entry of a zip backup back, with minizip's unzip.
#ifndef QK_ARCHIVE_ZIP_READER_H_
#define QK_ARCHIVE_ZIP_READER_H_

#include "archive/archive_progress.h"
#include "archive/backup_reader.h"

// Fills `info` with the size and last-write time (its DOS time read as
// local time) of the one entry of the zip archive `path`, without
// inflating it. Returns kBackupReadDamaged unless the archive holds
// exactly one entry, a regular file (no directory or link).
BackupReadResult inspectZipBackup(const char* path, BackupObjectInfo* info);

// Inflates the one entry of the zip archive `path` into `out`, showing
// `progress`, and checks its size and CRC. Returns kBackupReadOk only when
// both match; the CRC is known only at the end, so after a failure `out`
// may hold part of the entry and is for the caller to discard.
BackupReadResult extractZipBackup(const char* path, PlatformFile* out, const IArchiveProgress* progress);

#endif  // QK_ARCHIVE_ZIP_READER_H_
