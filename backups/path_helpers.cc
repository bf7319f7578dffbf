#include "backups/path_helpers.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform/native_separators.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

constexpr size_t kRelativeUnits = 511;

char folderBuffer[PATH_BUFFER_SIZE];
char fileNameBuffer[PATH_BUFFER_SIZE];

// Returns the position just after the last separator of `path` when it is
// past the first character and `path` fits PATH_UNITS_MAX (and so the
// buffers); 0 otherwise.
size_t splitPoint(const char* path) {
  if (path == nullptr || platformPathLength(path) > PATH_UNITS_MAX) return 0;
  size_t n = platformAfterLastSeparator(path, strlen(path));
  return n > 1 ? n : 0;
}

}  // namespace

const char* folderOfPath(const char* path) {
  size_t split = splitPoint(path);
  if (split == 0) return nullptr;
  memcpy(folderBuffer, path, split - 1);
  folderBuffer[split - 1] = '\0';
  return folderBuffer;
}

const char* fileNameOfPath(const char* path) {
  size_t split = splitPoint(path);
  if (split == 0) return nullptr;
  strcpy(fileNameBuffer, path + split);  // fits: the whole path does
  return fileNameBuffer;
}

int isDirectory(const char* path) {
  int directory = 0;
  return path != nullptr && platformPathStatus(path, &directory) && directory;
}

int composeRelativeFolder(char* out, size_t units, const char* base, const char* relative) {
  size_t size = PLATFORM_UTF8_SIZE(units);
  int written = snprintf(out, size, "%s%c%s", base, PLATFORM_SEPARATOR, relative);
  if (written < 0 || static_cast<size_t>(written) >= size || platformPathLength(out) > units) return 0;
  platformNativeSeparators(out + strlen(base) + 1);
  return 1;
}

int createRelativeFolders(const char* base, const char* relative) {
  char path[PLATFORM_UTF8_SIZE(kRelativeUnits)];
  if (!composeRelativeFolder(path, kRelativeUnits, base, relative)) return 0;
  for (char* level = path + strlen(base) + 1; *level != '\0';) {
    char* end = level + platformFirstSeparator(level);
    char kept = *end;
    *end = '\0';
    int error = platformMakeDirectory(path);
    if (error != 0 && error != EEXIST) return 0;
    *end = kept;
    level = kept != '\0' ? end + 1 : end;
  }
  return 1;
}
