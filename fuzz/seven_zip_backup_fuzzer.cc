// fuzz_seven_zip_backup: any bytes as a 7z backup, through the 7z reader as
// opening a backup runs it (see backup_reader_check.h); hostile headers and
// dictionaries must be refused within libFuzzer's memory limit.
#include "fuzz/backup_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qkfuzz::checkBackupReader(data, size, "Box_001.7z");
  return 0;
}
