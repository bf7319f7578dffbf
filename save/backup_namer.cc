#include "save/backup_namer.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <memory>

#include "platform/platform.h"
#include "save/backup_list.h"
#include "settings/panel_validation.h"

namespace {

constexpr size_t kNameSize = 260;       // the name and the base, terminator included
constexpr size_t kGlobalNameMax = 255;  // leaves room for ".lwo" and the terminator
constexpr uint32_t kSkippedAttributes = PLATFORM_ATTRIBUTE_DIRECTORY | PLATFORM_ATTRIBUTE_OFFLINE;

// Holds the search pattern while the folder is listed, then the result.
char resultBuffer[BACKUP_PATH_SIZE];

// How one name format spells a backup's name.
struct FormatShape {
  bool wholeName;           // the base is the whole name, not its stem
  char separator;           // between base and token
  const char* extension;    // after the number; "" for none
  const char* patternTail;  // what the search pattern puts after the base
};

const FormatShape kFormats[] = {
    {false, '_', ".lwo", "*.lwo"},  // 0 Name_001.lwo
    {false, '.', "", ".*"},         // 1 Name.001
    {true, '.', "", ".*"},          // 2 Name.lwo.001
    {false, '.', ".lwo", "*.lwo"},  // 3 Name.001.lwo
    {false, '_', ".zip", "*.zip"},  // 4 Name_001.zip
    {false, '.', ".zip", "*.zip"},  // 5 Name.001.zip
    {true, '.', ".zip", ".*.zip"},  // 6 Name.lwo.001.zip
    {false, '_', ".7z", "*.7z"},    // 7 Name_001.7z
    {false, '.', ".7z", "*.7z"},    // 8 Name.001.7z
    {true, '.', ".7z", ".*.7z"},    // 9 Name.lwo.001.7z
};
constexpr int32_t kFormatCount = sizeof kFormats / sizeof kFormats[0];

// The backups of one object under one profile: what their names look like.
struct Series {
  char base[kNameSize];
  ptrdiff_t baseLength;
  const char* token;  // "bak" or ""
  ptrdiff_t tokenLength;
  const FormatShape* shape;
};

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Returns true iff the first `length` characters of `a` and `b` are equal
// without regard to ASCII case.
bool equalIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  return true;
}

// Returns true iff snprintf's result `written` fits a buffer of `size`.
bool fits(int written, size_t size) { return written >= 0 && static_cast<size_t>(written) < size; }

// Writes folder, the platform's separator and `name` into `out`. Returns
// true iff the whole path fits.
bool joinPath(char (&out)[BACKUP_PATH_SIZE], const char* folder, const char* name) {
  return fits(snprintf(out, sizeof out, "%s%c%s", folder, PLATFORM_SEPARATOR, name), sizeof out);
}

// Returns true iff `name` can stand for an object's name in a backup folder:
// 1 to 255 characters, none of them a separator, a drive colon, a wildcard,
// a control character or another character the options panel refuses.
bool isBareFileName(const char* name) {
  if (name == nullptr || name[0] == '\0' || strlen(name) > kGlobalNameMax) return false;
  for (const char* c = name; *c != '\0'; ++c)
    if (static_cast<unsigned char>(*c) < 0x20) return false;
  return hasIllegalNameChars(name) == 0;
}

// Writes the name the backups are named after into `name`: the global BAK
// name and ".lwo" when the profile uses it, else the object's file name.
// Returns false when that global name is not a bare file name or the name
// does not fit.
bool chooseName(const char* objectFileName, const SaveProfile& profile, char (&name)[kNameSize]) {
  const BakSaveProfile* bak = dynamic_cast<const BakSaveProfile*>(&profile);
  if (profile.isBak && bak != nullptr && bak->useGlobalName) {
    const char* global = bak->globalName.get();
    return isBareFileName(global) && fits(snprintf(name, sizeof name, "%s.lwo", global), sizeof name);
  }
  return objectFileName != nullptr && fits(snprintf(name, sizeof name, "%s", objectFileName), sizeof name);
}

// Fills `series` for the object and profile. Returns false when the
// profile's format is unknown or chooseName fails.
bool formSeries(const char* objectFileName, const SaveProfile& profile, Series* series) {
  if (!chooseName(objectFileName, profile, series->base)) return false;
  if (profile.nameFormat < 0 || profile.nameFormat >= kFormatCount) return false;
  series->shape = &kFormats[profile.nameFormat];
  if (!series->shape->wholeName) {
    char* dot = strrchr(series->base, '.');
    if (dot != nullptr) *dot = '\0';
  }
  series->baseLength = static_cast<ptrdiff_t>(strlen(series->base));
  series->token = profile.isBak ? "bak" : "";
  series->tokenLength = static_cast<ptrdiff_t>(strlen(series->token));
  return true;
}

// Reads the decimal digits at `digits`; a value above 2147483647 reads as
// 2147483647.
int32_t readNumber(const char* digits) {
  int64_t value = 0;
  for (; isDigit(*digits); ++digits) {
    value = value * 10 + (*digits - '0');
    if (value > INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(value);
}

// Returns true iff `found` is a backup of the series: the base, the
// separator, the token in any case, one or more digits and the extension.
// With no token the base's own last character may serve as the separator.
// The base and the extension are compared here too (without regard to
// case), so a base holding '*' cannot act as a wildcard and names a search
// matched by their short aliases are not taken. Sets `*number`.
bool recognise(const char* found, const Series& s, int32_t* number) {
  const ptrdiff_t n = static_cast<ptrdiff_t>(strlen(found));
  const ptrdiff_t L = s.baseLength, t = s.tokenLength;
  const ptrdiff_t x = static_cast<ptrdiff_t>(strlen(s.shape->extension));
  if (n < L + t + 2 + x) return false;
  if (!equalIgnoringCase(found, s.base, L) || !equalIgnoringCase(found + n - x, s.shape->extension, x))
    return false;
  ptrdiff_t p = n - 1 - x;
  while (p >= L && isDigit(found[p])) --p;
  for (ptrdiff_t i = t - 1; i >= 0; --i) {
    if (p < 0 || foldAscii(found[p]) != s.token[i]) return false;
    if (--p < L) return false;
  }
  if (p < 0 || p > L || found[p] != s.shape->separator) return false;
  *number = readNumber(found + p + t + 1);
  return true;
}

using Search = std::unique_ptr<PlatformSearch, decltype(&platformFindClose)>;

// Lists `folder` for the series, sets `*highest` to the highest number
// recognised (0 when none) and, when `keep` is not null, adds every
// recognised backup to it. Returns false when the search cannot start for
// any reason but an empty result, or the pattern or a kept backup's path
// does not fit a path buffer.
bool listBackups(const char* folder, const Series& s, BackupList* keep, int32_t* highest) {
  *highest = 0;
  if (!fits(snprintf(resultBuffer, sizeof resultBuffer, "%s%c%s%s", folder, PLATFORM_SEPARATOR, s.base,
                     s.shape->patternTail),
            sizeof resultBuffer))
    return false;
  PlatformFindData entry;
  PlatformError error;
  Search search(platformFindFirst(resultBuffer, &entry, &error), platformFindClose);
  if (search == nullptr) return error == kPlatformFileNotFound;
  char path[BACKUP_PATH_SIZE];
  do {
    int32_t number;
    if ((entry.attributes & kSkippedAttributes) != 0 || !recognise(entry.name, s, &number)) continue;
    if (number > *highest) *highest = number;
    if (keep == nullptr) continue;
    if (!joinPath(path, folder, entry.name)) return false;  // could not be pruned
    keep->insertSorted(std::make_unique<BackupEntry>(number, entry.name), compareEntries);
  } while (platformFindNext(search.get(), &entry));
  return true;
}

// Deletes the oldest backups of `list` until it holds `maxFiles` - 1, so
// that with the new one there are `maxFiles`. A failed deletion still
// counts as removed.
void pruneOldest(const char* folder, BackupList* list, uint32_t maxFiles) {
  char path[BACKUP_PATH_SIZE];
  while (list->count() > 0 && static_cast<uint32_t>(list->count()) >= maxFiles) {
    std::unique_ptr<BackupEntry> oldest = list->takeFirst();
    if (joinPath(path, folder, oldest->name.c_str())) platformDeleteFile(path);
  }
}

// Writes the path of backup `number` into the result buffer; a width below
// 1 pads as 1. Returns false when it does not fit.
bool formResult(const char* folder, const Series& s, int32_t digits, int32_t number) {
  int width = digits < 1 ? 1 : digits;
  if (width >= static_cast<int>(sizeof resultBuffer)) return false;
  return fits(snprintf(resultBuffer, sizeof resultBuffer, "%s%c%s%c%s%0*d%s", folder, PLATFORM_SEPARATOR,
                       s.base, s.shape->separator, s.token, width, number, s.shape->extension),
              sizeof resultBuffer);
}

}  // namespace

const char* nextBackupName(const char* folder, const char* objectFileName, const SaveProfile& profile) {
  Series series;
  if (folder == nullptr || !formSeries(objectFileName, profile, &series)) return nullptr;
  BackupList list;
  int32_t highest;
  if (!listBackups(folder, series, profile.maxFiles != 0 ? &list : nullptr, &highest)) return nullptr;
  if (highest == INT32_MAX) return nullptr;  // no number is left above it
  if (!formResult(folder, series, profile.digits, highest + 1)) return nullptr;
  pruneOldest(folder, &list, profile.maxFiles);
  return resultBuffer;
}

const char* nextBakBackupName(const char* folder, const char* objectFileName) {
  return nextBackupName(folder, objectFileName, bakProfile());
}
