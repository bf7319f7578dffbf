#include "platform/staged_file.h"

#include <stdint.h>
#include <string.h>

#include <string>

#include "platform/text.h"

namespace {

const char kMark[] = ".qk";
const char kEnd[] = ".part";
constexpr size_t kMarkLength = sizeof kMark - 1;
constexpr size_t kRandomLength = 8;
constexpr size_t kEndLength = sizeof kEnd - 1;
static_assert(STAGING_PREFIX_MAX + kMarkLength + kRandomLength + kEndLength == 255, "a name is 255 units at most");
const char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr uint64_t kAlphabetSize = sizeof kAlphabet - 1;
// Names tried before giving up; each is taken only by a rare coincidence.
constexpr int kAttempts = 16;
// Five minutes in FILETIME units (100 ns).
constexpr uint64_t kAbandonedAge = 5ull * 60 * 10000000;

size_t prefixLength(const char* prefix) {
  return platformWholeUnits(prefix, STAGING_PREFIX_MAX);
}

// Writes kRandomLength letters and digits to `out`, different on each call
// and, by the time and the address space, from one process to the next.
// Uniqueness does not rest on them: a name is created only if it is free.
void randomCharacters(char* out) {
  static uint64_t state = 0;
  int anchor = 0;
  uint64_t z = state += 0x9E3779B97F4A7C15ull ^ platformCurrentFileTime() ^ reinterpret_cast<uintptr_t>(&anchor);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;  // splitmix64's finish
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  for (size_t i = 0; i < kRandomLength; ++i, z /= kAlphabetSize) out[i] = kAlphabet[z % kAlphabetSize];
}

// Returns `folder` and a separator, unless it ends in one already.
std::string folderPrefix(const char* folder) {
  std::string path = folder;
  if (!path.empty() && !platformEndsInSeparator(folder, path.size())) path += PLATFORM_SEPARATOR;
  return path;
}

}  // namespace

PlatformFile* createStagedFile(const char* folder, const char* prefix, PlatformStageMode mode) {
  PlatformFile* file = platformCreateUnnamed(folder, mode);
  if (file != nullptr) return file;
  std::string path = folderPrefix(folder) + std::string(prefix, prefixLength(prefix)) + kMark +
                     std::string(kRandomLength, 'x') + kEnd;
  char* random = &path[path.size() - kEndLength - kRandomLength];
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    randomCharacters(random);
    PlatformError error = kPlatformOk;
    file = platformCreateNamed(path.c_str(), mode, &error);
    if (file != nullptr || error != kPlatformFileExists) return file;
  }
  return nullptr;
}

bool isStagingName(const char* name, const char* prefix) {
  size_t length = prefixLength(prefix);
  if (strncmp(name, prefix, length) != 0 || strncmp(name + length, kMark, kMarkLength) != 0) return false;
  const char* random = name + length + kMarkLength;
  for (size_t i = 0; i < kRandomLength; ++i)
    if (random[i] == '\0' || strchr(kAlphabet, random[i]) == nullptr) return false;
  return strcmp(random + kRandomLength, kEnd) == 0;
}

uint64_t abandonedBefore() {
  uint64_t now = platformCurrentFileTime();
  return now > kAbandonedAge ? now - kAbandonedAge : 0;
}

void removeAbandonedStagingFiles(const char* folder, const char* prefix) {
  uint64_t before = abandonedBefore();
  std::string start = folderPrefix(folder);
  std::string pattern = start + std::string(prefix, prefixLength(prefix)) + kMark + "*" + kEnd;
  PlatformFindData entry;
  PlatformError error;
  PlatformSearch* search = platformFindFirst(pattern.c_str(), &entry, &error);
  if (search == nullptr) return;
  do {
    if ((entry.attributes & PLATFORM_ATTRIBUTE_DIRECTORY) == 0 && isStagingName(entry.name, prefix))
      platformRemoveAbandoned((start + entry.name).c_str(), before);
  } while (platformFindNext(search, &entry));
  platformFindClose(search);
}

int publishUnderFreeName(PlatformFile* staged, std::string* path, IFreeNames* names) {
  for (;;) {
    PlatformError error = kPlatformOk;
    if (platformPublish(staged, path->c_str(), &error)) return 1;
    if (error != kPlatformFileExists || !names->Next(names, path)) return 0;
  }
}
