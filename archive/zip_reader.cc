#include "archive/zip_reader.h"

#include <minizip/unzip.h>

#include <string.h>

#include <memory>
#include <string>

#include "archive/zip_platform_io.h"

namespace {

const unsigned kTransferSize = 1 << 18;
const size_t kMaxEntryName = 1024;  // longer than any object name; such an entry is refused
const uLong kDirectoryAttribute = 0x10;
const uLong kMadeOnUnix = 3;  // the host in the high byte of "version made by"
const uLong kUnixFileType = 0170000, kUnixRegularFile = 0100000;
const char kProgressText[] = "Reading backup...";

// True iff the entry `name` with the facts `entry` is a regular file: no
// name ending in a separator, no directory attribute, and, when made on
// POSIX, no mode of a directory, link or other special file.
bool isRegularFile(const char* name, const unz_file_info64& entry) {
  size_t length = strlen(name);
  if (length == 0 || name[length - 1] == '/' || name[length - 1] == '\\') return false;
  if ((entry.external_fa & kDirectoryAttribute) != 0) return false;
  uLong type = (entry.external_fa >> 16) & kUnixFileType;
  return (entry.version >> 8) != kMadeOnUnix || type == 0 || type == kUnixRegularFile;
}

// True iff `file` begins with a zip's local header signature "PK\3\4".
bool hasZipSignature(PlatformFile* file) {
  char start[4] = {};
  size_t size = sizeof start;
  return platformRead(file, start, &size) && size == sizeof start && memcmp(start, "PK\3\4", sizeof start) == 0;
}

// Opens the zip archive in `file` at its one entry, whose facts go to
// `entry`. Returns the archive, or null when it is not a zip archive of
// exactly one entry, a regular file, or does not begin with a local header.
unzFile openOnlyEntry(PlatformFile* file, unz_file_info64* entry) {
  if (!hasZipSignature(file)) return nullptr;
  zlib_filefunc64_def io;
  fillPlatformFileFuncs(&io);
  unzFile zip = unzOpen2_64(file, &io);
  if (zip == nullptr) return nullptr;
  unz_global_info64 global;
  char name[kMaxEntryName + 1] = {};
  if (unzGetGlobalInfo64(zip, &global) == UNZ_OK && global.number_entry == 1 && unzGoToFirstFile(zip) == UNZ_OK &&
      unzGetCurrentFileInfo64(zip, entry, name, kMaxEntryName, nullptr, 0, nullptr, 0) == UNZ_OK &&
      entry->size_filename < kMaxEntryName && isRegularFile(name, *entry))
    return zip;
  unzClose(zip);
  return nullptr;
}

// Reads the name of the open archive's current entry, described by
// `entry`, and the archive's comment into `origin`.
void readOrigin(unzFile zip, const unz_file_info64& entry, BackupOrigin* origin) {
  origin->zipName.assign(entry.size_filename, '\0');
  std::string comment(0xFFFF, '\0');
  int length = unzGetGlobalComment(zip, &comment[0], comment.size());
  if (unzGetCurrentFileInfo64(zip, nullptr, &origin->zipName[0], origin->zipName.size(), nullptr, 0, nullptr, 0) !=
      UNZ_OK)
    origin->zipName.clear();
  if (length > 0) origin->zipComment.assign(comment, 0, static_cast<size_t>(length));
}

// Inflates the open archive's current entry of `size` bytes into `out`
// through `buffer`, stepping the open monitor. minizip checks the CRC once
// the last byte is read, when the entry is closed.
BackupReadResult inflateEntry(unzFile zip, uint64_t size, PlatformFile* out, char* buffer,
                              const IArchiveProgress* progress) {
  uint64_t done = 0;
  BackupReadResult result = kBackupReadOk;
  for (;;) {
    int n = unzReadCurrentFile(zip, buffer, kTransferSize);
    if (n <= 0) {
      if (n < 0) result = n == UNZ_ERRNO ? kBackupReadUnreadable : kBackupReadDamaged;
      break;
    }
    size_t written = static_cast<size_t>(n);
    if (!platformWrite(out, buffer, &written)) return kBackupReadWriteFailed;
    done += static_cast<uint64_t>(n);
    if (progress->Advance(progress, done)) return kBackupReadCancelled;
  }
  int closed = unzCloseCurrentFile(zip);  // UNZ_CRCERROR when the CRC does not match
  if (result == kBackupReadOk && (closed != UNZ_OK || done != size)) result = kBackupReadDamaged;
  return result;
}

}  // namespace

BackupReadResult inspectZipBackup(const char* path, BackupObjectInfo* info) {
  PlatformFile* file = platformOpenRead(path);
  if (file == nullptr) return kBackupReadUnreadable;
  unz_file_info64 entry;
  unzFile zip = openOnlyEntry(file, &entry);
  if (zip != nullptr) {
    info->size = entry.uncompressed_size;
    readOrigin(zip, entry, &info->origin);
    if (!platformLocalDosToFileTime(static_cast<uint32_t>(entry.dosDate), &info->lastWriteTime))
      info->lastWriteTime = 0;
    unzClose(zip);
  }
  platformClose(file);
  return zip != nullptr ? kBackupReadOk : kBackupReadDamaged;
}

BackupReadResult extractZipBackup(const char* path, PlatformFile* out, const IArchiveProgress* progress) {
  PlatformFile* file = platformOpenRead(path);
  if (file == nullptr) return kBackupReadUnreadable;
  unz_file_info64 entry;
  unzFile zip = openOnlyEntry(file, &entry);
  BackupReadResult result = kBackupReadDamaged;
  if (zip != nullptr && unzOpenCurrentFile(zip) == UNZ_OK) {
    std::unique_ptr<char[]> buffer(new char[kTransferSize]);
    progress->Begin(progress, entry.uncompressed_size, kProgressText);
    result = inflateEntry(zip, entry.uncompressed_size, out, buffer.get(), progress);
    progress->End(progress);
  }
  if (zip != nullptr) unzClose(zip);
  platformClose(file);
  return result;
}
