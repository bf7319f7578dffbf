#include "save/backup_catalog.h"

#include <inttypes.h>
#include <stdio.h>

#include <algorithm>

#include "platform/platform.h"
#include "save/backup_list.h"
#include "save/backup_namer.h"
#include "save/path_helpers.h"
#include "save/save_profile.h"

namespace {

// Bytes of a composed relative backup folder (two Windows paths).
constexpr size_t kComposedFolderSize = 520;

// Returns the folder the profile keeps the object's backups in, or null
// when it does not exist. A relative folder is composed in `composed`.
const char* existingBackupFolder(const char* folder, const SaveProfile& profile,
                                 char (&composed)[kComposedFolderSize]) {
  const char* directory = profile.directory.get() != nullptr ? profile.directory.get() : "";
  const char* chosen = folder;
  if (profile.directoryMode == AbsoluteFolder) chosen = directory;
  if (profile.directoryMode == RelativeFolder)
    chosen = composeRelativeFolder(composed, sizeof composed, folder, directory) ? composed : nullptr;
  return chosen != nullptr && isDirectory(chosen) ? chosen : nullptr;
}

// Appends the backups `profile` recognises in its folder to `entries`,
// newest (highest number) first, each inspected. Returns false when the
// folder exists but cannot be listed.
bool addKind(const char* folder, const char* file, const SaveProfile& profile,
             std::vector<CatalogEntry>* entries) {
  char composed[kComposedFolderSize];
  const char* backupFolder = existingBackupFolder(folder, profile, composed);
  if (backupFolder == nullptr) return true;
  BackupList list;
  if (!findBackups(backupFolder, file, profile, &list)) return false;
  size_t firstOfKind = entries->size();
  while (std::unique_ptr<BackupEntry> found = list.takeFirst()) {
    CatalogEntry entry{profile.isBak != 0, found->number, profile.digits,
                       std::string(backupFolder) + PLATFORM_SEPARATOR + found->name, kBackupReadOk, {}};
    entry.inspected = inspectBackup(entry.path.c_str(), &entry.info);
    if (entry.inspected != kBackupReadOk) entry.info = BackupObjectInfo{};
    entries->push_back(std::move(entry));
  }
  std::reverse(entries->begin() + static_cast<ptrdiff_t>(firstOfKind), entries->end());
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
// `out`; "no time" when there is none the system can show.
void formatTime(uint64_t time, char (&out)[32]) {
  uint32_t dos = 0;
  if (time == 0 || !platformFileTimeToLocalDos(time, &dos)) {
    snprintf(out, sizeof out, "no time");
    return;
  }
  uint32_t date = dos >> 16, clock = dos & 0xFFFFu;
  snprintf(out, sizeof out, "%04u-%02u-%02u %02u:%02u", ((date >> 9) & 0x7Fu) + 1980u, (date >> 5) & 0xFu,
           date & 0x1Fu, (clock >> 11) & 0x1Fu, (clock >> 5) & 0x3Fu);
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

}  // namespace

bool catalogBackups(const char* objectPath, std::vector<CatalogEntry>* entries) {
  const char* folderPart = folderOfPath(objectPath);
  const char* filePart = fileNameOfPath(objectPath);
  if (folderPart == nullptr || filePart == nullptr) return false;
  std::string folder = folderPart, file = filePart;  // the helpers' buffers are reused below
  std::vector<CatalogEntry> incremental, bak;
  if (!addKind(folder.c_str(), file.c_str(), incrementalProfile(), &incremental) ||
      !addKind(folder.c_str(), file.c_str(), bakProfile(), &bak))
    return false;
  mergeNewestFirst(incremental, bak, entries);
  return true;
}

std::string labelOf(const CatalogEntry& entry) {
  char number[16], when[32], size[32];
  snprintf(number, sizeof number, "%0*d", std::max(1, std::min(entry.digits, 10)), entry.number);
  std::string label = std::string(entry.isBak ? "BAK " : "Incremental ") + number;
  if (entry.inspected == kBackupReadDamaged) return label + " " PLATFORM_MIDDLE_DOT " damaged";
  if (entry.inspected != kBackupReadOk) return label + " " PLATFORM_MIDDLE_DOT " unreadable";
  formatTime(entry.info.lastWriteTime, when);
  formatSize(entry.info.size, size);
  return label + " " PLATFORM_MIDDLE_DOT " " + when + " " PLATFORM_MIDDLE_DOT " " + size;
}
