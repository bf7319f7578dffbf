#include "archive/zip_writer.h"

#include <minizip/zip.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <string>

#include "archive/entry_name.h"
#include "archive/zip_platform_io.h"
#include "platform/platform.h"

namespace {

const size_t kTransferSize = 65536;
// The sizes a zip entry holds without zip64 records are below this.
const uint64_t kZip32Limit = 0xFFFFFFFFu;
// Bit 11 of an entry's general purpose flag, in its local and central
// header: the entry's name (and comment) are UTF-8.
const uLong kUtf8NameFlag = 1u << 11;
// "Version made by" (host system in the high byte): FAT, as minizip writes
// it by default, for ASCII names; VFAT, which differs only in allowing long
// names, for UTF-8 ones, since Info-ZIP's unzip decodes the names of a FAT
// archive as the DOS code page even when bit 11 is set.
const uLong kMadeByFat = 0;
const uLong kMadeByVfat = 14u << 8;
const int kMemoryLevel = 8;  // zlib's default, minizip's too

// Stores the last-write time of the open `file`, in local time, as a DOS
// date (high 16 bits) and time (low 16 bits) in `*dosDateTime`. Returns 1
// on success; 0 when the time cannot be read or has no DOS form (before
// 1980, after 2107), leaving `*dosDateTime` as it was.
int getFileDosTime(PlatformFile* file, uint32_t* dosDateTime) {
  uint64_t creationTime = 0;
  uint64_t lastWriteTime = 0;
  return platformFileTimes(file, &creationTime, &lastWriteTime) &&
         platformFileTimeToLocalDos(lastWriteTime, dosDateTime);
}

// Returns 1 when the entry of a `length`-byte source needs zip64 records:
// when it, or its deflated form (at most zlib's compressBound, computed in
// 64 bits), may reach 4 GiB. An unknown length counts as that large. Small
// entries go without them: readers warn of zip64 records that hold no size.
int needsZip64(PlatformFile* source) {
  uint64_t length = kZip32Limit;
  platformFileLength(source, &length);
  uint64_t bound = length + (length >> 12) + (length >> 14) + (length >> 25) + 13;
  return bound >= kZip32Limit;
}

// Copies the rest of `source` into the open entry, one buffer at a time,
// adding what it reads to `digest` (unless null). Returns 1 when all of it
// went in. Any result of minizip's but ZIP_OK is a failure: taking a
// positive one for the end would cut the backup short.
int copyIntoEntry(zipFile zip, PlatformFile* source, char* buffer, DigestState* digest) {
  for (;;) {
    size_t n = kTransferSize;
    if (!digestingRead(source, buffer, &n, digest)) return 0;
    if (n == 0) return 1;
    if (zipWriteInFileInZip(zip, buffer, static_cast<unsigned>(n)) != ZIP_OK) return 0;
    if (n < kTransferSize) return 1;  // a short read is the end of the file
  }
}

// Writes the archive with `buffer` as the transfer buffer. Returns 1 when
// it was closed complete.
int zipSource(PlatformFile* sourceFile, const char* source, PlatformFile* archive, int32_t compressionLevel,
              char* buffer, DigestState* digest) {
  zlib_filefunc64_def io;
  fillPlatformFileFuncs(&io);
  zipFile zip = zipOpen2_64(archive, APPEND_STATUS_CREATE, nullptr, &io);
  if (zip == nullptr) return 0;

  zip_fileinfo info;
  memset(&info, 0, sizeof info);
  uint32_t dosDateTime = 0;
  getFileDosTime(sourceFile, &dosDateTime);  // without it minizip stamps the zero date
  info.dosDate = dosDateTime;
  int level = compressionLevel != 0 ? 9 : Z_DEFAULT_COMPRESSION;
  int utf8 = 0;
  std::string name = zipText(entryNameOf(source), &utf8);
  int entryDone = zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                          level, 0, -MAX_WBITS, kMemoryLevel, Z_DEFAULT_STRATEGY, nullptr, 0,
                                          utf8 ? kMadeByVfat : kMadeByFat, utf8 ? kUtf8NameFlag : 0,
                                          needsZip64(sourceFile)) == ZIP_OK &&
                  copyIntoEntry(zip, sourceFile, buffer, digest) && zipCloseFileInZip(zip) == ZIP_OK;
  if (!entryDone) {
    zipClose(zip, nullptr);
    return 0;
  }
  // The archive comment has no flag of its own: it is UTF-8 whenever the
  // path converts, as the name is; otherwise it keeps the path's bytes.
  snprintf(buffer, kTransferSize, ZIP_COMMENT_PREFIX "%s", source);
  return zipClose(zip, zipText(buffer, &utf8).c_str()) == ZIP_OK;
}

}  // namespace

int writeZip(PlatformFile* source, const char* sourcePath, PlatformFile* archive, int32_t compressionLevel,
             DigestState* digest) {
  char* buffer = static_cast<char*>(malloc(kTransferSize));
  int ok = buffer != nullptr && zipSource(source, sourcePath, archive, compressionLevel, buffer, digest);
  free(buffer);
  return ok;
}

