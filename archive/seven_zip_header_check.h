// Bounds on a 7z archive's headers, checked before the LZMA SDK reads them,
// so that a small hostile archive cannot make the reader decode or hold a
// header of gigabytes.
#ifndef QK_ARCHIVE_SEVEN_ZIP_HEADER_CHECK_H_
#define QK_ARCHIVE_SEVEN_ZIP_HEADER_CHECK_H_

#include <stddef.h>

#include "7zTypes.h"
#include "archive/backup_reader.h"
#include "platform/platform.h"

// The most bytes a header may hold, packed or unpacked.
const size_t kMaxSevenZipHeaderBytes = 1 << 20;

// Reads the start header of the 7z archive in `file` and, when its end
// header is an encoded one, the packed sizes that one records; leaves the
// position of `file` anywhere. Returns kBackupReadDamaged when the file
// does not begin with the 7z signature or an end header or a packed header
// is larger than kMaxSevenZipHeaderBytes, kBackupReadUnreadable when
// reading fails, else kBackupReadOk (the SDK checks everything else).
BackupReadResult checkSevenZipHeaderSizes(PlatformFile* file);

// An allocator for the SDK's temporary buffers while it reads the headers:
// it refuses any one block above kMaxSevenZipHeaderBytes (an encoded
// header's unpacked size among them, before it is decoded) and remembers
// that it did, so the caller can tell a refused header from a lack of
// memory.
struct HeaderAllocator {
  ISzAlloc vt;
  bool refused;
};

// Returns a fresh HeaderAllocator that has refused nothing yet.
HeaderAllocator makeHeaderAllocator();

#endif  // QK_ARCHIVE_SEVEN_ZIP_HEADER_CHECK_H_
