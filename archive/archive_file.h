// Compressed backups: one object file stored in a zip or a 7z archive.
#ifndef QK_ARCHIVE_ARCHIVE_FILE_H_
#define QK_ARCHIVE_ARCHIVE_FILE_H_

#include <stdint.h>

// Stores the file `source` as the single entry of a new archive at
// `archive`: a 7z archive when the path ends in ".7z", a zip archive
// otherwise. `compressionLevel` 0 is "Normal", any other value "High".
// Returns 1 when the archive was written completely, 0 on any failure.
// Shows no message.
int archiveFile(const char* source, const char* archive, int32_t compressionLevel);

#endif  // QK_ARCHIVE_ARCHIVE_FILE_H_
