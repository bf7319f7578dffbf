// Reading the one file of a 7z backup back, with the LZMA SDK's 7z reader.
#ifndef QK_ARCHIVE_SEVEN_ZIP_READER_H_
#define QK_ARCHIVE_SEVEN_ZIP_READER_H_

#include "archive/backup_reader.h"

// Fills `info` with the size and last-write time of the one file of the 7z
// archive `path`, reading its headers only (their CRCs checked). Returns
// kBackupReadDamaged unless the archive holds exactly one regular file and
// its headers, packed and unpacked, hold at most 1 MiB each.
BackupReadResult inspectSevenZipBackup(const char* path, BackupObjectInfo* info);

// Decodes the one file of the 7z archive `path` into `out` and checks its
// CRCs. A file of one LZMA or LZMA2 coder is decoded piece by piece
// straight into `out`, in memory of the smaller of its dictionary and its
// size (plus a few MiB), with progress over the unpacked bytes; any other
// coder chain is decoded whole in memory first (progress over the packed
// bytes), and only up to 256 MiB. A
// dictionary above 1 GiB, or a larger chain, is kBackupReadUnreadable, as
// is a lack of memory. After any failure `out` may hold part of the file
// and is for the caller to discard.
BackupReadResult extractSevenZipBackup(const char* path, PlatformFile* out, const IArchiveProgress* progress);

#endif  // QK_ARCHIVE_SEVEN_ZIP_READER_H_
