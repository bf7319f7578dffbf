// The check that the reader fuzz targets share: any bytes as a backup of
// one container, through inspection and extraction as opening a backup
// runs them.
#ifndef QK_FUZZ_BACKUP_READER_CHECK_H_
#define QK_FUZZ_BACKUP_READER_CHECK_H_

#include <stddef.h>
#include <stdint.h>

namespace qkfuzz {

// Writes `data` as the backup `name` (such as "Box_001.7z") in this
// process's scratch folder, inspects it and extracts it into a staged file
// there. Aborts when a result is none of the readers' results, when an
// extraction succeeds whose inspection did not or whose length differs from
// the inspected size, or when a failed extraction leaves a file behind.
void checkBackupReader(const uint8_t* data, size_t size, const char* name);

}  // namespace qkfuzz

#endif  // QK_FUZZ_BACKUP_READER_CHECK_H_
