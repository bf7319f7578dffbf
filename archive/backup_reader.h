// Reading a backup back: the object bytes a plain copy, a zip or a 7z backup holds, and the facts of the state it holds.
#ifndef QK_ARCHIVE_BACKUP_READER_H_
#define QK_ARCHIVE_BACKUP_READER_H_

#include <stdint.h>

#include <string>

#include "archive/archive_progress.h"
#include "platform/platform.h"

// What an archive backup records of the object it was made from, as it
// stores it; each part empty where the backup records none (a plain copy
// records nothing).
struct BackupOrigin {
  std::string zipName;          // the zip entry's name
  std::string zipComment;       // the zip archive's comment
  std::u16string sevenZipName;  // the name of the 7z archive's file
};

struct BackupObjectInfo {
  uint64_t size;           // the object's length in bytes
  uint64_t lastWriteTime;  // FILETIME (UTC) of the object's state the backup holds (the copy's own last-write time, the zip entry's or the 7z entry's); 0 when the backup records none
  BackupOrigin origin;
};

enum BackupReadResult {
  kBackupReadOk = 0,
  kBackupReadUnreadable = 1,  // the backup file cannot be opened or read, or a 7z needs more memory than allowed (a dictionary above 1 GiB)
  kBackupReadDamaged = 2,     // not a well-formed archive of one regular file (its signature first, a 7z header of at most 1 MiB), or a CRC that does not match
  kBackupReadCancelled = 3,   // the artist pressed the monitor's abort button
  kBackupReadWriteFailed = 4  // writing to `out` failed
};

// Reads the size, time and origin of the object held by the backup `path` without decompressing it: a 7z archive when `path` ends in ".7z", a zip archive when it ends in ".zip" (in any case of letters, as the namer recognises them), else a plain copy. An archive that does not begin with its container's signature, or whose one entry is no regular file, is kBackupReadDamaged.
BackupReadResult inspectBackup(const char* path, BackupObjectInfo* info);

// Writes the object bytes held by the backup `path`, its container chosen and confirmed as inspectBackup does, into the open, empty file `out` (neither flushed nor closed), checking every archive CRC; a 7z or zip backup advances `progress` while it is read, and a cancel there is kBackupReadCancelled. Returns kBackupReadOk only when every byte was written and matched its CRC.
BackupReadResult extractBackup(const char* path, PlatformFile* out, const IArchiveProgress* progress);

#endif  // QK_ARCHIVE_BACKUP_READER_H_
