#include "settings/panel_validation.h"

#include <string.h>

#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "settings/panel_messages.h"

namespace {

constexpr size_t kTextUnits = 259;  // as the file system counts them
constexpr size_t kTextSize = PLATFORM_UTF8_SIZE(kTextUnits);

char incrementalDirectoryText[kTextSize];
char bakDirectoryText[kTextSize];
char globalNameText[kTextSize];

// The buffer and the texts of one kind of backup directory.
struct DirectoryKind {
  char* buffer;
  const char* emptyError;
  const char* absoluteQuestion;
  const char* fileExistsError;
};

const DirectoryKind kIncrementalKind = {
    incrementalDirectoryText, "Specify a valid incremental directory",
    "The incremental directory is an absolute path, all objects will be incrementally saved here",
    "Invalid incremental directory, a file with that name exists"};
const DirectoryKind kBakKind = {
    bakDirectoryText, "Specify a valid BAK directory",
    "The BAK directory is an absolute path, all bak files will be saved here",
    "Invalid BAK directory, a file with that name exists"};

constexpr char kIllegalNameChars[] = ":\\/*?~<>{}#&%$!'\"@+`|=";

// Skips the leading spaces (the space character only) of `text`.
const char* skipSpaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

// Removes from the end of `buffer`, which holds `length` characters, every
// character found in `set`. Returns the new length.
size_t trimTrailing(char* buffer, size_t length, const char* set) {
  while (length > 0 && strchr(set, buffer[length - 1]) != nullptr) --length;
  buffer[length] = '\0';
  return length;
}

// Removes the separators that end `buffer`, which holds `length` bytes.
// Returns the new length.
size_t trimTrailingSeparators(char* buffer, size_t length) {
  while (platformEndsInSeparator(buffer, length)) --length;
  buffer[length] = '\0';
  return length;
}

// Copies `text` without its leading and trailing spaces into `buffer`, cut
// to at most 259 units of whole characters first (platformWholeUnits).
// Returns the length copied.
size_t copyTrimmed(char* buffer, const char* text) {
  text = skipSpaces(text);
  size_t length = platformWholeUnits(text, kTextUnits);
  memcpy(buffer, text, length);
  return trimTrailing(buffer, length, " ");
}

// An absolute directory is used for every object, so the user confirms it;
// it must then exist as a directory. Returns 1 when it may be stored.
int acceptAbsolute(const DirectoryKind& kind) {
  if (!askPanelQuestion(kind.absoluteQuestion, "This can lead to filename conflicts, proceed?"))
    return 0;
  int isDirectory = 0;
  if (!platformPathStatus(kind.buffer, &isDirectory)) {
    showHostError(kind.buffer, "Directory does not exists");
    return 0;
  }
  if (!isDirectory) {
    showHostError(kind.fileExistsError, nullptr);
    return 0;
  }
  return 1;
}

}  // namespace

const char* validateDirectory(const char* text, int isBak) {
  const DirectoryKind& kind = isBak ? kBakKind : kIncrementalKind;
  kind.buffer[0] = '\0';
  if (text == nullptr || copyTrimmed(kind.buffer, text) == 0) return kind.buffer;
  if (trimTrailingSeparators(kind.buffer, strlen(kind.buffer)) == 0) {
    showHostError(kind.emptyError, nullptr);
    return nullptr;
  }
  if (classifyDirectory(kind.buffer) != AbsoluteFolder) return kind.buffer;
  return acceptAbsolute(kind) ? kind.buffer : nullptr;
}

const char* validateGlobalName(const char* text) {
  if (text == nullptr || copyTrimmed(globalNameText, text) == 0) {
    showHostError("No BAK global file name contains was specified", nullptr);
    return nullptr;
  }
  if (hasIllegalNameChars(globalNameText)) {
    showHostError("The BAK global file name contains illegal characters", nullptr);
    return nullptr;
  }
  return globalNameText;
}

int hasIllegalNameChars(const char* text) {
  if (text == nullptr) return 0;
  for (size_t i = 0; text[i] != '\0'; ++i)  // no byte of a UTF-8 sequence is ASCII
    if (strchr(kIllegalNameChars, text[i]) != nullptr) return 1;
  return 0;
}
