#include "archive/zip_writer.h"

#include <minizip/zip.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "archive/entry_name.h"
#include "archive/zip_platform_io.h"
#include "platform/platform.h"

namespace {

const size_t kTransferSize = 65536;
const char kCommentFormat[] = "Original path name: %s";

// Copies the rest of `source` into the open entry, one buffer at a time.
// Returns 1 when all of it went in. Any result of minizip's but ZIP_OK is a
// failure: taking a positive one for the end would cut the backup short.
int copyIntoEntry(zipFile zip, PlatformFile* source, char* buffer) {
  for (;;) {
    size_t n = kTransferSize;
    if (!platformRead(source, buffer, &n)) return 0;
    if (n == 0) return 1;
    if (zipWriteInFileInZip(zip, buffer, static_cast<unsigned>(n)) != ZIP_OK) return 0;
    if (n < kTransferSize) return 1;  // a short read is the end of the file
  }
}

// Writes the archive with `buffer` as the transfer buffer. Returns 1 when
// it was closed complete.
int zipSource(PlatformFile* sourceFile, const char* source, const char* archive,
              int32_t compressionLevel, char* buffer) {
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
  int entryDone = zipOpenNewFileInZip(zip, entryNameOf(source), &info, nullptr, 0, nullptr, 0,
                                      nullptr, Z_DEFLATED, level) == ZIP_OK &&
                  copyIntoEntry(zip, sourceFile, buffer) && zipCloseFileInZip(zip) == ZIP_OK;
  if (!entryDone) {
    zipClose(zip, nullptr);
    return 0;
  }
  snprintf(buffer, kTransferSize, kCommentFormat, source);
  return zipClose(zip, buffer) == ZIP_OK;
}

}  // namespace

int writeZip(const char* source, const char* archive, int32_t compressionLevel) {
  PlatformFile* sourceFile = platformOpenRead(source);
  if (sourceFile == nullptr) return 0;
  char* buffer = static_cast<char*>(malloc(kTransferSize));
  int ok = buffer != nullptr && zipSource(sourceFile, source, archive, compressionLevel, buffer);
  free(buffer);
  platformClose(sourceFile);
  return ok;
}

int getFileDosTime(PlatformFile* file, uint32_t* dosDateTime) {
  uint64_t creationTime = 0;
  uint64_t lastWriteTime = 0;
  return platformFileTimes(file, &creationTime, &lastWriteTime) &&
         platformFileTimeToLocalDos(lastWriteTime, dosDateTime);
}
