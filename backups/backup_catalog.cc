#include "backups/backup_catalog.h"

#include <inttypes.h>
#include <stdio.h>

#include <algorithm>

#include "backups/backup_folder.h"
#include "backups/backup_list.h"
#include "backups/backup_names.h"
#include "backups/backup_owner.h"
#include "backups/path_helpers.h"
#include "backups/save_profile.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

// What one kind's listing needs to know of the object.
struct Listed {
  const char* objectPath;
  bool knownObject;                // whether `object` holds the object file's identity
  PlatformFileIdentity object;
};

// Makes the catalog entry of the backup `found` in `folder` into `*entry`.
// Returns false when it is not to be listed: a link, not a regular file,
// the object itself, or in a shared folder or name another object's.
bool describeBackup(const std::string& folder, const BackupEntry& found, const SaveProfile& profile,
                    const Listed& listed, CatalogEntry* entry) {
  entry->isBak = profile.isBak != 0;
  entry->path = folder + PLATFORM_SEPARATOR + found.name;
  entry->number = found.digits;
  PlatformEntryFacts facts;
  if (!platformEntryFacts(entry->path.c_str(), &facts) || facts.isLink || !facts.isRegular) return false;
  if (listed.knownObject && sameFile(facts.identity, listed.object)) return false;
  entry->identity = facts.identity;
  entry->inspected = inspectBackup(entry->path.c_str(), &entry->info);
  bool sharedPlace = profile.directoryMode == AbsoluteFolder || (profile.isBak && bakProfile().useGlobalName);
  BackupOwner owner = sharedPlace ? ownerOf(entry->info.origin, listed.objectPath) : kOwnerThisObject;
  if (entry->inspected != kBackupReadOk) entry->info = BackupObjectInfo{};
  entry->shared = owner == kOwnerUnproven;
  return owner != kOwnerOtherObject;
}

// Appends the backups `profile` recognises in its folder to `entries`,
// pinned ones among them, newest (highest number) first, each inspected.
// Returns false when the folder's path or the backups' names cannot be
// formed, or the folder exists but cannot be listed.
bool addKind(const char* folder, const char* file, const SaveProfile& profile, const Listed& listed,
             std::vector<CatalogEntry>* entries) {
  char composed[kComposedFolderSize];
  const char* backupFolder = backupFolderOf(folder, profile, composed);
  if (backupFolder == nullptr) return false;
  if (!isDirectory(backupFolder)) return true;
  BackupList list, pinned;
  if (!findBackups(backupFolder, file, profile, &list, &pinned)) return false;
  while (list.first() != nullptr || pinned.first() != nullptr) {
    bool isPinned = list.first() == nullptr || (pinned.first() != nullptr &&
                                                compareEntries(*pinned.first(), *list.first()) < 0);
    std::unique_ptr<BackupEntry> found = (isPinned ? pinned : list).takeFirst();
    CatalogEntry entry{};
    entry.pinned = isPinned;
    if (describeBackup(backupFolder, *found, profile, listed, &entry)) entries->push_back(std::move(entry));
  }
  std::reverse(entries->begin(), entries->end());
  return true;
}

// Merges the two kinds, each newest first by number, into `out`: always
// taking the head whose state is newer, the incremental one on equal
// times. Each kind keeps its order even where its times do not follow its
// numbers.
void mergeNewestFirst(std::vector<CatalogEntry>& a, std::vector<CatalogEntry>& b,
                      std::vector<CatalogEntry>* out) {
  out->clear();
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    bool takeB = i == a.size() || (j < b.size() && b[j].info.lastWriteTime > a[i].info.lastWriteTime);
    out->push_back(std::move(takeB ? b[j++] : a[i++]));
  }
}

// Writes the local time of the FILETIME `time` as "2026-12-08 14:03" into
// `out`, on the local day that date had (as pruning by age counts days);
// "no time" when there is none the system can show.
void formatTime(uint64_t time, char (&out)[32]) {
  PlatformLocalTime local;
  if (time == 0 || !platformLocalTimeOf(time, &local)) {
    snprintf(out, sizeof out, "no time");
    return;
  }
  snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d", static_cast<int>(local.year), static_cast<int>(local.month),
           static_cast<int>(local.day), static_cast<int>(local.hour), static_cast<int>(local.minute));
}

// Writes `size` bytes as "512 bytes", "3.4 KB", "1.2 MB" or "2.0 GB" into `out`.
void formatSize(uint64_t size, char (&out)[32]) {
  if (size < 1024) {
    snprintf(out, sizeof out, "%" PRIu64 " bytes", size);
    return;
  }
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(size) / 1024.0;
  size_t unit = 0;
  for (; value >= 1024.0 && unit + 1 < sizeof units / sizeof units[0]; ++unit) value /= 1024.0;
  snprintf(out, sizeof out, "%.1f %s", value, units[unit]);
}

// Returns `part` after a middle dot between spaces, as a label's parts are separated.
std::string separated(const std::string& part) {
  return std::string(" ") + platformMiddleDot() + " " + part;
}

// Returns the label's part " · 2026-12-08 14:03 · 1.2 MB" for a state of
// `size` bytes written at the FILETIME `time`.
std::string timeAndSize(uint64_t time, uint64_t size) {
  char when[32], bytes[32];
  formatTime(time, when);
  formatSize(size, bytes);
  return separated(when) + separated(bytes);
}

}  // namespace

void catalogBackups(const char* objectPath, Catalog* catalog) {
  *catalog = Catalog{};
  const char* folderPart = folderOfPath(objectPath);
  const char* filePart = fileNameOfPath(objectPath);
  if (folderPart == nullptr || filePart == nullptr) return;
  std::string folder = folderPart, file = filePart;  // the helpers' buffers are reused below
  Listed listed{objectPath, false, {}};
  listed.knownObject = platformFileIdentity(objectPath, &listed.object) == 1;
  std::vector<CatalogEntry> incremental, bak;
  catalog->incrementalListed = addKind(folder.c_str(), file.c_str(), incrementalProfile(), listed, &incremental);
  catalog->bakListed = addKind(folder.c_str(), file.c_str(), bakProfile(), listed, &bak);
  mergeNewestFirst(incremental, bak, &catalog->entries);
}

std::string labelOf(const CatalogEntry& entry) {
  std::string label = (entry.isBak ? "BAK " : "Incremental ") + entry.number;
  if (entry.shared) label += " (shared name)";
  if (entry.inspected == kBackupReadDamaged) label += separated("damaged");
  else if (entry.inspected != kBackupReadOk) label += separated("unreadable");
  else label += timeAndSize(entry.info.lastWriteTime, entry.info.size);
  return entry.pinned ? label + separated("pinned") : label;
}

std::string currentFileLabel(const char* objectPath) {
  PlatformFile* file = platformOpenRead(objectPath);
  uint64_t created = 0, written = 0, length = 0;
  bool known = file != nullptr && platformFileTimes(file, &created, &written) && platformFileLength(file, &length);
  platformClose(file);
  return std::string("Current file") + (known ? timeAndSize(written, length) : separated("unreadable"));
}
