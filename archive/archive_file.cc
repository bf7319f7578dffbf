#include "archive/archive_file.h"

#include <string.h>

#include "archive/seven_zip_writer.h"
#include "archive/zip_writer.h"

namespace {

// True iff the text from the last '.' of `path` to its end is exactly ".7z".
bool hasSevenZipExtension(const char* path) {
  const char* dot = strrchr(path, '.');
  return dot != nullptr && strcmp(dot, ".7z") == 0;
}

}  // namespace

int archiveFile(PlatformFile* source, const char* sourcePath, PlatformFile* archive, const char* archivePath,
                int32_t compressionLevel, DigestState* digest, const IArchiveProgress* progress) {
  return hasSevenZipExtension(archivePath) ? writeSevenZip(source, sourcePath, archive, compressionLevel, digest, progress)
                                           : writeZip(source, sourcePath, archive, compressionLevel, digest);
}
