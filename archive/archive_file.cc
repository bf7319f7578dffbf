// Each archive is written under a staging name and takes its real name only
// once it is complete and on disk, so a failed or interrupted archive never
// carries a backup's name: the backup namer would count it, and with a
// limit on backups it would push good ones out. The staging name ends in a
// letter after the archive's own extension, which no backup name pattern
// accepts.
#include "archive/archive_file.h"

#include <string.h>

#include <string>

#include "archive/seven_zip_writer.h"
#include "archive/zip_writer.h"
#include "platform/platform.h"

namespace {

const char kStagingSuffix[] = ".partial";

// True iff the text from the last '.' of `path` to its end is exactly ".7z".
bool hasSevenZipExtension(const char* path) {
  const char* dot = strrchr(path, '.');
  return dot != nullptr && strcmp(dot, ".7z") == 0;
}

}  // namespace

int archiveFile(const char* source, const char* archive, int32_t compressionLevel) {
  std::string staging = std::string(archive) + kStagingSuffix;
  int written = hasSevenZipExtension(archive)
                    ? writeSevenZip(source, staging.c_str(), compressionLevel)
                    : writeZip(source, staging.c_str(), compressionLevel);
  if (written && platformRenameNoReplace(staging.c_str(), archive)) return 1;
  platformDeleteFile(staging.c_str());
  return 0;
}
