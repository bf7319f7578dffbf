// The zip archive writer: one file, deflated, in a new zip archive.
#ifndef QK_ARCHIVE_ZIP_WRITER_H_
#define QK_ARCHIVE_ZIP_WRITER_H_

#include <stdint.h>

#include "platform/platform.h"

// Stores the file `source` in a new zip archive `archive` (created, or
// truncated when it exists) as its one entry, named after the file without
// folders and stamped with its last-write time in local time; the archive's
// comment is "Original path name: " and `source`. A `compressionLevel` of 0
// deflates at zlib's default level, any other value at level 9. Returns 1
// when the archive was written completely and reached the disk, 0 on any
// failure, leaving the archive as far as it got.
int writeZip(const char* source, const char* archive, int32_t compressionLevel);

// Stores the last-write time of the open `file`, in local time, as a DOS
// date (high 16 bits) and time (low 16 bits) in `*dosDateTime`. Returns 1
// on success; 0 when the time cannot be read or has no DOS form (before
// 1980, after 2107), leaving `*dosDateTime` as it was.
int getFileDosTime(PlatformFile* file, uint32_t* dosDateTime);

#endif  // QK_ARCHIVE_ZIP_WRITER_H_
