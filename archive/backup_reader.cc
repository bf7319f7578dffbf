#include "archive/backup_reader.h"

#include <string.h>

#include <memory>

#include "archive/seven_zip_reader.h"
#include "archive/zip_reader.h"

namespace {

const size_t kCopyBufferSize = 1 << 20;

// True iff the text from the last '.' of `path` to its end is exactly `extension`.
bool hasExtension(const char* path, const char* extension) {
  const char* dot = strrchr(path, '.');
  return dot != nullptr && strcmp(dot, extension) == 0;
}

// Closes a file when it leaves scope.
struct FileCloser {
  void operator()(PlatformFile* file) const { platformClose(file); }
};
using ScopedFile = std::unique_ptr<PlatformFile, FileCloser>;

BackupReadResult inspectPlainCopy(const char* path, BackupObjectInfo* info) {
  ScopedFile file(platformOpenRead(path));
  uint64_t creationTime = 0;
  if (file == nullptr || !platformFileLength(file.get(), &info->size) ||
      !platformFileTimes(file.get(), &creationTime, &info->lastWriteTime))
    return kBackupReadUnreadable;
  return kBackupReadOk;
}

// A plain copy holds the object's bytes as they are: copies them through.
BackupReadResult extractPlainCopy(const char* path, PlatformFile* out) {
  ScopedFile file(platformOpenRead(path));
  if (file == nullptr) return kBackupReadUnreadable;
  std::unique_ptr<char[]> buffer(new char[kCopyBufferSize]);
  for (;;) {
    size_t size = kCopyBufferSize;
    if (!platformRead(file.get(), buffer.get(), &size)) return kBackupReadUnreadable;
    if (size == 0) return kBackupReadOk;
    size_t written = size;
    if (!platformWrite(out, buffer.get(), &written)) return kBackupReadWriteFailed;
  }
}

}  // namespace

BackupReadResult inspectBackup(const char* path, BackupObjectInfo* info) {
  *info = BackupObjectInfo{};
  if (hasExtension(path, ".7z")) return inspectSevenZipBackup(path, info);
  if (hasExtension(path, ".zip")) return inspectZipBackup(path, info);
  return inspectPlainCopy(path, info);
}

BackupReadResult extractBackup(const char* path, PlatformFile* out) {
  if (hasExtension(path, ".7z")) return extractSevenZipBackup(path, out);
  if (hasExtension(path, ".zip")) return extractZipBackup(path, out);
  return extractPlainCopy(path, out);
}
