#include "backups/backup_names.h"

#include <stdio.h>
#include <string.h>

#include <memory>

#include "platform/staged_file.h"
#include "platform/text.h"

// How one name format spells a backup's name.
struct FormatShape {
  bool wholeName;         // the base is the whole name, not its stem
  char separator;         // between base and token
  const char* extension;  // after the number; "" for none
  bool dotAfterBase;      // only names with a '.' right after the base are taken
};

namespace {

// The most characters of a file name that NTFS (UTF-16 units) and the
// POSIX file systems (bytes) take.
constexpr size_t kFileNameMax = 255;
// What no file name may hold: separators, a drive colon, and the characters
// a folder search takes as wildcards or that Windows refuses in a name.
constexpr char kNotInFileName[] = "/\\:*?\"<>|";
constexpr uint32_t kSkippedAttributes = PLATFORM_ATTRIBUTE_DIRECTORY | PLATFORM_ATTRIBUTE_OFFLINE;


const FormatShape kFormats[] = {
    {false, '_', ".lwo", false},  // 0 Name_001.lwo
    {false, '.', "", true},       // 1 Name.001
    {true, '.', "", true},        // 2 Name.lwo.001
    {false, '.', ".lwo", false},  // 3 Name.001.lwo
    {false, '_', ".zip", false},  // 4 Name_001.zip
    {false, '.', ".zip", false},  // 5 Name.001.zip
    {true, '.', ".zip", true},    // 6 Name.lwo.001.zip
    {false, '_', ".7z", false},   // 7 Name_001.7z
    {false, '.', ".7z", false},   // 8 Name.001.7z
    {true, '.', ".7z", true},     // 9 Name.lwo.001.7z
};
constexpr int32_t kFormatCount = sizeof kFormats / sizeof kFormats[0];

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Returns true iff snprintf's result `written` fits a buffer of `size`.
bool fits(int written, size_t size) { return written >= 0 && static_cast<size_t>(written) < size; }

// Returns true iff snprintf's result `written` fits the buffer `text` and
// the text written counts at most `units` as the file system counts them.
template <size_t kSize>
bool fitsUnits(int written, const char (&text)[kSize], size_t units) {
  return fits(written, kSize) && platformPathLength(text) <= units;
}

// Returns true iff `name` can stand for an object's name in a backup folder:
// not empty, and none of its characters a control character or one of
// kNotInFileName. Other characters the options panel refuses ("my+name")
// still make a file name, as one from a settings file may hold them. How
// long it may be, the backup's name decides (see formBackupName).
bool isBareFileName(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  for (const char* c = name; *c != '\0'; ++c)  // no byte of a UTF-8 sequence is ASCII
    if (static_cast<unsigned char>(*c) < 0x20 || strchr(kNotInFileName, *c) != nullptr) return false;
  return true;
}

// Writes the name the backups are named after into `name`: the global BAK
// name and ".lwo" when the profile uses it, else the object's file name.
// Returns kNamingRefused when there is no object name or the global name
// is not a bare file name, kNamingNameTooLong when the name does not fit.
NamingCause chooseName(const char* objectFileName, const SaveProfile& profile, char (&name)[BACKUP_BASE_SIZE]) {
  const BakSaveProfile* bak = dynamic_cast<const BakSaveProfile*>(&profile);
  bool global = profile.isBak && bak != nullptr && bak->useGlobalName;
  const char* chosen = global ? bak->globalName.get() : objectFileName;
  if (global ? !isBareFileName(chosen) : chosen == nullptr) return kNamingRefused;
  return fitsUnits(snprintf(name, sizeof name, global ? "%s.lwo" : "%s", chosen), name, BACKUP_BASE_UNITS)
             ? kNamingOk
             : kNamingNameTooLong;
}

// Reads the decimal digits at `digits`; a value above INT64_MAX (19 digits
// and more) reads as INT64_MAX.
int64_t readNumber(const char* digits) {
  int64_t value = 0;
  for (; isDigit(*digits); ++digits) {
    if (value > (INT64_MAX - (*digits - '0')) / 10) return INT64_MAX;
    value = value * 10 + (*digits - '0');
  }
  return value;
}

// A backup's number as the list orders it: above 2147483647 as 2147483647.
int32_t listedNumber(int64_t number) { return number > INT32_MAX ? INT32_MAX : static_cast<int32_t>(number); }

// Returns true iff `found` is a backup of the series: the base, the
// separator, the token in any case, one or more digits and the extension.
// With no token the base's own last character may serve as the separator,
// except in the formats that want a '.' right after the base. The search
// matches the stem only, so the base and the extension are compared here
// (without regard to case); a base holding '*' cannot act as a wildcard,
// and names a search matched by their short aliases are not taken. Sets
// `*number` and `*digits` (the number as the name writes it).
bool recognise(const char* found, const BackupSeries& s, int64_t* number, std::string* digits) {
  const ptrdiff_t n = static_cast<ptrdiff_t>(strlen(found));
  const ptrdiff_t L = s.baseLength, t = s.tokenLength;
  const ptrdiff_t x = static_cast<ptrdiff_t>(strlen(s.shape->extension));
  if (n < L + t + 2 + x) return false;
  if (!platformEqualIgnoringCase(s.base, found, L) ||
      !platformEqualIgnoringCase(s.shape->extension, found + n - x, x) ||
      (s.shape->dotAfterBase && found[L] != '.'))
    return false;
  ptrdiff_t p = n - 1 - x;
  while (p >= L && isDigit(found[p])) --p;
  for (ptrdiff_t i = t - 1; i >= 0; --i) {
    if (p < 0 || platformFoldAscii(found[p]) != s.token[i]) return false;
    if (--p < L) return false;
  }
  if (p < 0 || p > L || found[p] != s.shape->separator) return false;
  if (p < L && !platformStartsCharacter(s.base, static_cast<size_t>(p))) return false;  // a second byte
  const char* first = found + p + t + 1;
  *number = readNumber(first);
  digits->assign(first, static_cast<size_t>(found + n - x - first));
  return true;
}
using Search = std::unique_ptr<PlatformSearch, decltype(&platformFindClose)>;

// Returns true iff the backup at `path` is spared: the new backup, the
// object itself, or a file whose identity cannot be told (it may be the
// object, or gone).
bool isSpared(const char* path, const SparedFiles& spared) {
  PlatformFileIdentity identity;
  return spared.newBackup == path || platformFileIdentity(path, &identity) != 1 ||
         sameFile(identity, spared.object);
}

// The extensions a pinned mark goes before; any other name takes it at its end.
const char* const kPinnableExtensions[] = {".lwo", ".zip", ".7z"};

// recognise, for a listed name that may be pinned: sets `*pinned` when
// `found` is the pinned name of a backup of the series.
bool recogniseListed(const char* found, const BackupSeries& s, int64_t* number, std::string* digits, bool* pinned) {
  char unpinned[BACKUP_PATH_SIZE];
  *pinned = false;
  if (recognise(found, s, number, digits)) return true;
  *pinned = unpinnedNameOf(unpinned, found) && recognise(unpinned, s, number, digits);
  return *pinned;
}

}  // namespace

NamingCause formSeries(const char* objectFileName, const SaveProfile& profile, BackupSeries* series) {
  NamingCause chosen = chooseName(objectFileName, profile, series->base);
  if (chosen != kNamingOk) return chosen;
  if (profile.nameFormat < 0 || profile.nameFormat >= kFormatCount) return kNamingRefused;
  series->shape = &kFormats[profile.nameFormat];
  memcpy(series->stem, series->base, strlen(series->base) + 1);
  char* dot = strrchr(series->stem, '.');
  if (dot != nullptr) *dot = '\0';
  if (!series->shape->wholeName) memcpy(series->base, series->stem, strlen(series->stem) + 1);
  series->baseLength = static_cast<ptrdiff_t>(strlen(series->base));
  series->token = profile.isBak ? "bak" : "";
  series->tokenLength = static_cast<ptrdiff_t>(strlen(series->token));
  return kNamingOk;
}

bool joinBackupPath(char (&out)[BACKUP_PATH_SIZE], const char* folder, const char* name) {
  return fitsUnits(snprintf(out, sizeof out, "%s%c%s", folder, PLATFORM_SEPARATOR, name), out, BACKUP_PATH_UNITS);
}

bool formBackupName(char (&out)[BACKUP_PATH_SIZE], const BackupSeries& s, int32_t digits, int32_t number) {
  int width = digits < 1 ? 1 : digits;
  return width < static_cast<int>(sizeof out) &&
         fits(snprintf(out, sizeof out, "%s%c%s%0*d%s", s.base, s.shape->separator, s.token, width, number,
                       s.shape->extension),
              sizeof out) &&
         platformNameLength(out) <= kFileNameMax;
}

bool formPinnedName(char (&out)[BACKUP_PATH_SIZE], const char* name) {
  size_t length = strlen(name);
  size_t extension = 0;  // bytes of the extension the mark goes before
  for (const char* candidate : kPinnableExtensions)
    if (platformEndsWithIgnoringCase(name, candidate)) extension = strlen(candidate);
  int stem = static_cast<int>(length - extension);
  return fits(snprintf(out, sizeof out, "%.*s%s%s", stem, name, PINNED_MARK, name + stem), sizeof out) &&
         platformNameLength(out) <= kFileNameMax;
}

bool unpinnedNameOf(char (&out)[BACKUP_PATH_SIZE], const char* pinned) {
  const size_t length = strlen(pinned), mark = strlen(PINNED_MARK);
  size_t extension = 0;
  for (const char* candidate : kPinnableExtensions)
    if (platformEndsWithIgnoringCase(pinned, candidate)) extension = strlen(candidate);
  if (length < mark + extension + 1 || length >= sizeof out ||
      memcmp(pinned + length - extension - mark, PINNED_MARK, mark) != 0)
    return false;
  size_t stem = length - extension - mark;
  memcpy(out, pinned, stem);
  memcpy(out + stem, pinned + length - extension, extension + 1);
  // "Robot_031.lwo (pinned)" carries the mark where no pin puts it.
  char again[BACKUP_PATH_SIZE];
  return formPinnedName(again, out) && strcmp(again, pinned) == 0;
}

NamingCause listSeries(const char* folder, const BackupSeries& s, SeriesListing* listing) {
  char path[BACKUP_PATH_SIZE];
  int prefix = static_cast<int>(platformWholeUnits(s.stem, STAGING_PREFIX_MAX));
  if (!fitsUnits(snprintf(path, sizeof path, "%s%c%.*s*", folder, PLATFORM_SEPARATOR, prefix, s.stem), path,
                 BACKUP_PATH_UNITS))
    return kNamingNameTooLong;
  PlatformFindData entry;
  Search search(platformFindFirst(path, &entry, &listing->error), platformFindClose);
  if (search == nullptr) return listing->error == kPlatformFileNotFound ? kNamingOk : kNamingRefused;
  do {
    ++listing->entries;
    int64_t number;
    std::string digits;
    if ((entry.attributes & kSkippedAttributes) != 0) continue;
    if (isStagingName(entry.name, s.stem)) {
      if (listing->leftovers != nullptr) listing->leftovers->push_back(entry.name);
      continue;
    }
    bool pinned = false;
    if (!recogniseListed(entry.name, s, &number, &digits, &pinned)) continue;
    if (number > listing->highest) {  // a pinned backup's number is never taken again
      listing->highest = number;
      listing->highestName = entry.name;
    }
    BackupList* list = pinned ? listing->pinned : listing->keep;
    if (list == nullptr) continue;
    if (pinned) {
      list->insertSorted(std::make_unique<BackupEntry>(listedNumber(number), entry.name, digits), compareEntries);
      continue;
    }
    if (!joinBackupPath(path, folder, entry.name)) return kNamingNameTooLong;  // could not be pruned
    if (listing->spared != nullptr && isSpared(path, *listing->spared)) continue;
    listing->keep->insertSorted(std::make_unique<BackupEntry>(listedNumber(number), entry.name, digits),
                                compareEntries);
  } while (platformFindNext(search.get(), &entry));
  listing->error = platformFindError(search.get());
  return listing->spared == nullptr || listing->error == kPlatformOk ? kNamingOk : kNamingRefused;
}

bool findBackups(const char* folder, const char* objectFileName, const SaveProfile& profile, BackupList* list,
                 BackupList* pinned) {
  BackupSeries series;
  if (folder == nullptr || formSeries(objectFileName, profile, &series) != kNamingOk) return false;
  SeriesListing listing = {list, nullptr, nullptr, pinned};
  return listSeries(folder, series, &listing) == kNamingOk;
}
