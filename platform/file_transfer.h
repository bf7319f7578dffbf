// The platform's half of reading and writing open files. file_transfer.cc
// builds platformRead and platformWrite on it the same way on every
// platform, injected faults included.
#ifndef QK_PLATFORM_FILE_TRANSFER_H_
#define QK_PLATFORM_FILE_TRANSFER_H_

#include <stddef.h>

#include "platform/platform.h"

// Reads up to `*size` bytes, stopping early only at end of file or on an
// error, and sets `*size` to the bytes read. Returns 1, or 0 on an error.
int platformReadSome(PlatformFile* file, void* buffer, size_t* size);

// Writes up to `*size` bytes, stopping at the first failure, and sets
// `*size` to the bytes written.
void platformWriteSome(PlatformFile* file, const void* buffer, size_t* size);

// Records that a write to `file` failed, so that closing it fails too.
void platformMarkWriteFailed(PlatformFile* file);

#endif  // QK_PLATFORM_FILE_TRANSFER_H_
