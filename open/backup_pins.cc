#include "open/backup_pins.h"

#include <string>

#include "backups/backup_names.h"
#include "backups/path_helpers.h"
#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "save/object_backup.h"

namespace {

const char kPinnedAlready[] = "Backup is pinned already, nothing changed";
const char kNotPinned[] = "Backup is not pinned, nothing changed";

const BackupTexts kPinTexts = {
    "Failed to create incremental saves directory, nothing pinned",
    "Incremental saves directory does not exist, nothing pinned",
    "Failed to make the backup to pin, nothing pinned",
    "Failed to make the compressed backup to pin, nothing pinned",
    "Backup cancelled, nothing pinned",
};

// The cause a failed rename to `target` (a bare name) is told with.
std::string renameCause(PlatformError error, const char* target) {
  switch (error) {
    case kPlatformFileExists: return std::string("the name ") + target + " is taken";
    case kPlatformBusy: return "in use by another program";
    case kPlatformAccessDenied: return "access denied";
    case kPlatformNameTooLong: return "name too long";
    default: return "the file system refused the new name";
  }
}

// Renames the file `path` to `name` (null: no name could be formed, too
// long) in its folder, never replacing a file. On failure reports `path`
// and "<failure> (<cause>), <outcome>". Releases the host services either
// way.
void renameInFolder(const std::string& path, const char* name, const char* failure, const char* outcome) {
  char target[BACKUP_PATH_SIZE];
  const char* folder = folderOfPath(path.c_str());
  PlatformError error = kPlatformNameTooLong;
  if (name != nullptr && folder != nullptr && joinBackupPath(target, folder, name) &&
      platformRenameNoReplace(path.c_str(), target, &error))
    return releaseHostServices();
  std::string why = std::string(failure) + " (" + renameCause(error, name) + "), " + outcome;
  reportAndRelease(path.c_str(), why.c_str());
}

// Renames the backup `path` to its pinned name, as renameInFolder tells.
void pinFile(const std::string& path, const char* failure, const char* outcome) {
  char pinned[BACKUP_PATH_SIZE];
  const char* name = fileNameOfPath(path.c_str());
  bool formed = name != nullptr && formPinnedName(pinned, name);
  renameInFolder(path, formed ? pinned : nullptr, failure, outcome);
}

}  // namespace

void pinBackup(const CatalogEntry& entry) {
  if (entry.pinned) return reportAndRelease(entry.path.c_str(), kPinnedAlready);
  pinFile(entry.path, "Cannot pin the backup", "nothing changed");
}

void unpinBackup(const CatalogEntry& entry) {
  char unpinned[BACKUP_PATH_SIZE];
  const char* name = fileNameOfPath(entry.path.c_str());
  if (!entry.pinned || name == nullptr || !unpinnedNameOf(unpinned, name))
    return reportAndRelease(entry.path.c_str(), kNotPinned);
  renameInFolder(entry.path, unpinned, "Cannot unpin the backup", "it stays pinned");
}

void pinCurrentFile(const char* objectPath, const IArchiveProgress* progress) {
  BackupPlan plan;
  if (!backUpObject(objectPath, incrementalProfile(), kPinTexts, progress, &plan, nullptr)) return;
  if (plan.path.empty()) return releaseHostServices();  // no folder part: nothing to back up in
  pinFile(plan.path, "Cannot pin the new backup", "it stays as an ordinary backup");
}
