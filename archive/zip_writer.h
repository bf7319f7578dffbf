// The zip archive writer: one file, deflated, in a new zip archive.
#ifndef QK_ARCHIVE_ZIP_WRITER_H_
#define QK_ARCHIVE_ZIP_WRITER_H_

#include <stdint.h>

#include "archive/content_digest.h"
#include "platform/platform.h"

// What a backup's zip comment holds before the object's path.
#define ZIP_COMMENT_PREFIX "Original path name: "

// Writes a zip archive into the open, empty file `archive`, holding the
// open file `source` (read from its position to its end) as its one entry,
// named after `sourcePath` without folders and stamped with the source's
// last-write time in local time; the archive's comment is
// ZIP_COMMENT_PREFIX and `sourcePath`. A `compressionLevel` of 0 deflates at zlib's
// default level, any other value at level 9. An entry that may reach 4 GiB
// gets zip64 records. Every byte read from `source` is added to `digest`
// unless it is null. Returns 1 when the archive was written completely, 0
// on any failure. Neither flushes nor closes the files.
int writeZip(PlatformFile* source, const char* sourcePath, PlatformFile* archive, int32_t compressionLevel,
             DigestState* digest);

#endif  // QK_ARCHIVE_ZIP_WRITER_H_
