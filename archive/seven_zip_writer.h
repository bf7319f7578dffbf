// The 7z archive writer: one file, LZMA-compressed, in a new 7z archive,
// with its progress shown while it runs.
//
// Status codes, the LZMA SDK's, returned by encodeSevenZip:
//   SZ_OK (0)           the archive is complete
//   SZ_ERROR_MEM (2)    the encoder or its buffers could not be allocated
//   SZ_ERROR_PARAM (5)  the encoder refused its properties, or the entry
//                       name is longer than SEVEN_ZIP_MAX_NAME
//   SZ_ERROR_READ (8)   reading the source failed
//   SZ_ERROR_WRITE (9)  writing or seeking the archive failed
//   SZ_ERROR_PROGRESS (10)  the user cancelled at the progress
#ifndef QK_ARCHIVE_SEVEN_ZIP_WRITER_H_
#define QK_ARCHIVE_SEVEN_ZIP_WRITER_H_

#include <stdint.h>

#include "7zTypes.h"
#include "LzmaEnc.h"
#include "archive/archive_progress.h"
#include "archive/lzma_streams.h"
#include "archive/seven_zip_header.h"
#include "platform/platform.h"

// Writes a 7z archive into the open, empty file `archive`, holding the
// open file `source` (read from its position to its end) under the file
// name of `sourcePath` without folders. A `compressionLevel` of 0 is
// "Normal" (64 KiB dictionary), any other value "High" (16 MiB). Every
// byte read from `source` is added to `digest` unless it is null. Returns 1
// when the archive was written completely, 0 on any failure, the user's
// cancel at `progress` included (its TakeCancel tells it apart). Neither
// flushes nor closes the files.
int writeSevenZip(PlatformFile* source, const char* sourcePath, PlatformFile* archive, int32_t compressionLevel,
                  DigestState* digest, const IArchiveProgress* progress);

// Writes the whole archive to `out`, which must stand at offset 0, with
// the bytes of `in` as the file `entry->name` with `entry`'s times. Stores
// in `entry` the size and CRC-32 of the bytes read, advancing `progress`
// by them (Begin and End are the caller's). Returns a status above.
SRes encodeSevenZip(ISeekOutStream* out, ISeqInStream* in, SevenZipEntry* entry, int32_t compressionLevel,
                    const IArchiveProgress* progress);

// The encoder's properties for `compressionLevel` on a machine with
// `processors` processors (0 when it cannot tell).
CLzmaEncProps sevenZipEncoderProps(int32_t compressionLevel, uint32_t processors);

#endif  // QK_ARCHIVE_SEVEN_ZIP_WRITER_H_
