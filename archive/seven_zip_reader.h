// Reading the one file of a 7z backup back, with the LZMA SDK's 7z reader.
#ifndef QK_ARCHIVE_SEVEN_ZIP_READER_H_
#define QK_ARCHIVE_SEVEN_ZIP_READER_H_

#include "archive/backup_reader.h"

// Fills `info` with the size and last-write time of the one file of the 7z
// archive `path`, reading its headers only (their CRCs checked). Returns
// kBackupReadDamaged unless the archive holds exactly one file.
BackupReadResult inspectSevenZipBackup(const char* path, BackupObjectInfo* info);

// Decodes the one file of the 7z archive `path` into `out`, showing
// progress over the packed bytes, and checks its CRCs. The file is decoded
// in memory whole before any of it is written, so nothing is written
// unless every check passed; without the memory for it, the result is
// kBackupReadUnreadable.
BackupReadResult extractSevenZipBackup(const char* path, PlatformFile* out);

#endif  // QK_ARCHIVE_SEVEN_ZIP_READER_H_
