#include "archive/backup_reader.h"

#include <memory>

#include "archive/seven_zip_reader.h"
#include "archive/zip_reader.h"
#include "platform/text.h"

namespace {

const size_t kCopyBufferSize = 1 << 20;

// The kinds of file a backup is, by the extension its name ends in.
enum Container { kPlainCopy, kZipArchive, kSevenZipArchive };

// Returns the container `path` names by its extension, ASCII letters
// compared without regard to case, as the namer recognises backup names.
Container containerOf(const char* path) {
  if (platformEndsWithIgnoringCase(path, ".7z")) return kSevenZipArchive;
  return platformEndsWithIgnoringCase(path, ".zip") ? kZipArchive : kPlainCopy;
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
  Container container = containerOf(path);
  if (container == kPlainCopy) return inspectPlainCopy(path, info);
  return container == kSevenZipArchive ? inspectSevenZipBackup(path, info) : inspectZipBackup(path, info);
}

BackupReadResult extractBackup(const char* path, PlatformFile* out, const IArchiveProgress* progress) {
  Container container = containerOf(path);
  if (container == kPlainCopy) return extractPlainCopy(path, out);
  return container == kSevenZipArchive ? extractSevenZipBackup(path, out, progress)
                                       : extractZipBackup(path, out, progress);
}
