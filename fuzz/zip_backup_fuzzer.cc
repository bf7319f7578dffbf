// fuzz_zip_backup: any bytes as a zip backup, through the zip reader as
// opening a backup runs it (see backup_reader_check.h).
#include "fuzz/backup_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qkfuzz::checkBackupReader(data, size, "Box_001.zip");
  return 0;
}
