#include "save/backup_namer.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <utility>

#include "platform/platform.h"
#include "platform/staged_file.h"
#include "platform/text.h"
#include "save/backup_list.h"

namespace {

constexpr size_t kNameSize = 260;       // the name and the base, terminator included
constexpr size_t kGlobalNameMax = 255;  // leaves room for ".lwo" and the terminator
// What no file name may hold: separators, a drive colon, and the characters
// a folder search takes as wildcards or that Windows refuses in a name.
constexpr char kNotInFileName[] = "/\\:*?\"<>|";
constexpr uint32_t kSkippedAttributes = PLATFORM_ATTRIBUTE_DIRECTORY | PLATFORM_ATTRIBUTE_OFFLINE;

// How one name format spells a backup's name.
struct FormatShape {
  bool wholeName;         // the base is the whole name, not its stem
  char separator;         // between base and token
  const char* extension;  // after the number; "" for none
  bool dotAfterBase;      // only names with a '.' right after the base are taken
};

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

// The backups of one object under one profile: what their names look like.
// The folder is searched for every name that begins with the stem, which
// takes in the backups of every format and the object's staging files.
struct Series {
  char stem[kNameSize];  // the name up to its last '.', which staging names start with
  char base[kNameSize];
  ptrdiff_t baseLength;
  const char* token;  // "bak" or ""
  ptrdiff_t tokenLength;
  const FormatShape* shape;
};

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Returns true iff snprintf's result `written` fits a buffer of `size`.
bool fits(int written, size_t size) { return written >= 0 && static_cast<size_t>(written) < size; }

// Writes folder, the platform's separator and `name` into `out`. Returns
// true iff the whole path fits.
bool joinPath(char (&out)[BACKUP_PATH_SIZE], const char* folder, const char* name) {
  return fits(snprintf(out, sizeof out, "%s%c%s", folder, PLATFORM_SEPARATOR, name), sizeof out);
}

// Returns true iff `name` can stand for an object's name in a backup folder:
// 1 to 255 characters, none of them a control character or one of
// kNotInFileName. Other characters the options panel refuses ("my+name")
// still make a file name, as one from a settings file may hold them.
bool isBareFileName(const char* name) {
  if (name == nullptr || name[0] == '\0' || strlen(name) > kGlobalNameMax) return false;
  // Steps by characters: the second byte of a double-byte character may be
  // '\\' or '|' and is no such character.
  for (const char* c = name; *c != '\0'; c += platformCharacterLength(c))
    if (static_cast<unsigned char>(*c) < 0x20 || strchr(kNotInFileName, *c) != nullptr) return false;
  return true;
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
  memcpy(series->stem, series->base, strlen(series->base) + 1);
  char* dot = strrchr(series->stem, '.');
  if (dot != nullptr) *dot = '\0';
  if (!series->shape->wholeName) memcpy(series->base, series->stem, strlen(series->stem) + 1);
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
// With no token the base's own last character may serve as the separator,
// except in the formats that want a '.' right after the base. The search
// matches the stem only, so the base and the extension are compared here
// (without regard to case); a base holding '*' cannot act as a wildcard,
// and names a search matched by their short aliases are not taken. Sets
// `*number`.
bool recognise(const char* found, const Series& s, int32_t* number) {
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
    if (p < 0 || foldAscii(found[p]) != s.token[i]) return false;
    if (--p < L) return false;
  }
  if (p < 0 || p > L || found[p] != s.shape->separator) return false;
  if (p < L && !platformStartsCharacter(s.base, static_cast<size_t>(p))) return false;  // a second byte
  *number = readNumber(found + p + t + 1);
  return true;
}

using Search = std::unique_ptr<PlatformSearch, decltype(&platformFindClose)>;

// What pruning never touches: the new backup, and the object's own file
// wherever a link puts it in the folder.
struct Spared {
  const std::string& newBackup;  // its path
  PlatformFileIdentity object;
};

// Returns true iff the backup at `path` is spared: the new backup, the
// object itself, or a file whose identity cannot be told (it may be the
// object, or gone).
bool isSpared(const char* path, const Spared& spared) {
  PlatformFileIdentity identity;
  return spared.newBackup == path || platformFileIdentity(path, &identity) != 1 ||
         sameFile(identity, spared.object);
}

// What one listing of the folder finds.
struct Listing {
  BackupList* keep;                     // the recognised backups not spared; null: not wanted
  const Spared* spared;                 // null: none
  std::vector<std::string>* leftovers;  // the object's staging files; null: not wanted
  int32_t highest = 0;                  // the highest number recognised, 0 when none
  PlatformError error = kPlatformOk;    // why the folder could not be listed
};

// Lists `folder` for the series into `*listing`. Returns false when the
// search cannot start for any reason but an empty result (setting
// `listing->error`), or the pattern or a kept backup's path does not fit a
// path buffer. A listing cut short by an error counts as far as it got,
// except for pruning (a listing with spared files): there it fails, since
// a part of the folder can make a newer backup look like the oldest.
bool listBackups(const char* folder, const Series& s, Listing* listing) {
  char path[BACKUP_PATH_SIZE];
  if (!fits(snprintf(path, sizeof path, "%s%c%.*s*", folder, PLATFORM_SEPARATOR, STAGING_PREFIX_MAX, s.stem),
            sizeof path))
    return false;
  PlatformFindData entry;
  Search search(platformFindFirst(path, &entry, &listing->error), platformFindClose);
  if (search == nullptr) return listing->error == kPlatformFileNotFound;
  do {
    int32_t number;
    if ((entry.attributes & kSkippedAttributes) != 0) continue;
    if (isStagingName(entry.name, s.stem)) {
      if (listing->leftovers != nullptr) listing->leftovers->push_back(entry.name);
      continue;
    }
    if (!recognise(entry.name, s, &number)) continue;
    if (number > listing->highest) listing->highest = number;
    if (listing->keep == nullptr) continue;
    if (!joinPath(path, folder, entry.name)) return false;  // could not be pruned
    if (listing->spared != nullptr && isSpared(path, *listing->spared)) continue;
    listing->keep->insertSorted(std::make_unique<BackupEntry>(number, entry.name), compareEntries);
  } while (platformFindNext(search.get(), &entry));
  listing->error = platformFindError(search.get());
  return listing->spared == nullptr || listing->error == kPlatformOk;
}

// Moves the oldest backups of `list` to `prune` until the list holds at
// most `keep`.
void chooseOldest(BackupList* list, uint32_t keep, std::vector<std::string>* prune) {
  while (list->count() > 0 && static_cast<uint32_t>(list->count()) > keep) prune->push_back(list->takeFirst()->name);
}

// Writes the path of backup `number` into `out`; a width below 1 pads as
// 1. Returns false when it does not fit.
bool formResult(char (&out)[BACKUP_PATH_SIZE], const char* folder, const Series& s, int32_t digits,
                int32_t number) {
  int width = digits < 1 ? 1 : digits;
  if (width >= static_cast<int>(sizeof out)) return false;
  return fits(snprintf(out, sizeof out, "%s%c%s%c%s%0*d%s", folder, PLATFORM_SEPARATOR, s.base,
                       s.shape->separator, s.token, width, number, s.shape->extension),
              sizeof out);
}

// Calls `act` with the path of each name in `names`, in order.
template <typename Act>
void forEachPath(const BackupPlan& plan, const std::vector<std::string>& names, Act act) {
  char path[BACKUP_PATH_SIZE];
  for (const std::string& name : names)
    if (joinPath(path, plan.folder.c_str(), name.c_str())) act(path);
}

}  // namespace

bool planNextBackup(const char* folder, const char* objectFileName, const SaveProfile& profile,
                    BackupPlan* plan) {
  Series series;
  if (folder == nullptr || !formSeries(objectFileName, profile, &series)) return false;
  BackupPlan next;
  BackupList list;
  Listing listing = {profile.maxFiles != 0 ? &list : nullptr, nullptr, &next.leftovers};
  if (!listBackups(folder, series, &listing)) {
    plan->listingError = listing.error;
    return false;
  }
  if (listing.highest == INT32_MAX) return false;  // no number is left above it
  char path[BACKUP_PATH_SIZE];
  if (!formResult(path, folder, series, profile.digits, listing.highest + 1)) return false;
  chooseOldest(&list, profile.maxFiles - 1, &next.prune);
  next.folder = folder;
  next.path = path;
  next.stagingPrefix = series.stem;
  *plan = std::move(next);
  return true;
}

bool revisePruning(const char* objectPath, const char* objectFileName, const SaveProfile& profile, bool newStands,
                   BackupPlan* plan) {
  plan->prune.clear();
  if (profile.maxFiles == 0) return true;
  Series series;
  Spared spared = {plan->path, {}};
  if (!formSeries(objectFileName, profile, &series) || platformFileIdentity(objectPath, &spared.object) != 1)
    return false;
  BackupList list;
  Listing listing = {&list, &spared, nullptr};
  if (!listBackups(plan->folder.c_str(), series, &listing)) return false;
  chooseOldest(&list, newStands ? profile.maxFiles - 1 : profile.maxFiles, &plan->prune);
  return true;
}

bool findBackups(const char* folder, const char* objectFileName, const SaveProfile& profile, BackupList* list) {
  Series series;
  if (folder == nullptr || !formSeries(objectFileName, profile, &series)) return false;
  Listing listing = {list, nullptr, nullptr};
  return listBackups(folder, series, &listing);
}

void pruneBackups(const BackupPlan& plan) { forEachPath(plan, plan.prune, platformDeleteFile); }

void removeLeftovers(const BackupPlan& plan, uint64_t writtenBefore) {
  forEachPath(plan, plan.leftovers,
              [writtenBefore](const char* path) { platformRemoveAbandoned(path, writtenBefore); });
}
