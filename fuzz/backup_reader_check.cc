#include "fuzz/backup_reader_check.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "archive/backup_reader.h"
#include "fuzz/scratch_folder.h"
#include "platform/staged_file.h"

namespace qkfuzz {
namespace {

void fail(const char* what, int inspected, int extracted) {
  fprintf(stderr, "backup reader: %s (inspected %d, extracted %d)\n", what, inspected, extracted);
  abort();
}

}  // namespace

void checkBackupReader(const uint8_t* data, size_t size, const char* name) {
  static const std::string folder = makeScratchFolder("reader");
  emptyFolder(folder);
  const std::string backup = folder + "/" + name, opened = folder + "/Opened.lwo";
  writeFile(backup, std::string(reinterpret_cast<const char*>(data), size));
  BackupObjectInfo info;
  BackupReadResult inspected = inspectBackup(backup.c_str(), &info);
  PlatformFile* out = createStagedFile(folder.c_str(), "Opened", kPlatformStageNew);
  if (out == nullptr) fail("no staged file", inspected, -1);
  BackupReadResult extracted = extractBackup(backup.c_str(), out, &kNoArchiveProgress);
  uint64_t length = 0;
  bool measured = platformFileLength(out, &length) == 1;
  PlatformError error = kPlatformOk;
  if (extracted == kBackupReadOk && !platformPublish(out, opened.c_str(), &error)) fail("not published", inspected, extracted);
  platformClose(out);
  if (inspected > kBackupReadWriteFailed || extracted > kBackupReadWriteFailed) fail("unknown result", inspected, extracted);
  if (extracted == kBackupReadOk && (inspected != kBackupReadOk || !measured || length != info.size))
    fail("extracted what inspection did not find", inspected, extracted);
  if (listFolder(folder).files.size() != (extracted == kBackupReadOk ? 2u : 1u)) fail("files left", inspected, extracted);
}

}  // namespace qkfuzz
