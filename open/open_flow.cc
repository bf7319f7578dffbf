#include "open/open_flow.h"

#include <string>
#include <vector>

#include "backups/backup_catalog.h"
#include "backups/path_helpers.h"
#include "hostapi/host_commands.h"
#include "hostapi/host_services.h"
#include "open/backup_pins.h"
#include "open/open_panel.h"
#include "open/opened_copy.h"
#include "platform/platform.h"

namespace {

const char kRefusal[] = "Cannot open a backup, object has not yet been saved once (or invalid file name)";
const char kNoLoad[] = "Internal error (host has no LOAD command), nothing opened";
const char kNoBackups[] = "There are no backups of this object to open";
const char kListFailed[] = "Failed to list the backups, nothing opened";
const char kLoadFailed[] = "Failed to load the opened backup, the file is left in place";

void inform(const char* text) {
  showHostInfo(text);
  releaseHostServices();
}

// Reports a failed opening of `entry` whose copy was to be written into
// `folder`; a cancelled one is not reported.
void reportOpeningFailure(BackupReadResult result, const CatalogEntry& entry, const std::string& folder) {
  if (result == kBackupReadDamaged) return reportAndRelease(entry.path.c_str(), "Backup is damaged, nothing opened");
  if (result == kBackupReadUnreadable)
    return reportAndRelease(entry.path.c_str(), "Backup cannot be read, nothing opened");
  if (result == kBackupReadWriteFailed)
    return reportAndRelease(folder.c_str(), "Failed to write the opened backup, nothing opened");
  releaseHostServices();
}

// Refuses links on reading (platform.h) while it lives, so that neither
// listing nor opening reads a backup through a link.
struct LinksRefused {
  LinksRefused() : before(platformRefuseLinksOnRead(1)) {}
  ~LinksRefused() { platformRefuseLinksOnRead(before); }
  LinksRefused(const LinksRefused&) = delete;
  LinksRefused& operator=(const LinksRefused&) = delete;
  int before;
};

// The panel's title: which kind, if any, could not be listed.
const char* titleOf(const Catalog& catalog) {
  if (!catalog.incrementalListed) return "Open Backup (incremental backups could not be listed)";
  if (!catalog.bakListed) return "Open Backup (BAK backups could not be listed)";
  return "Open Backup";
}

}  // namespace

void runOpenFlow(const IArchiveProgress* progress) {
  const char* found = saveableObjectName();
  if (found == nullptr) return inform(kRefusal);
  std::string name = found;  // the host's text may not outlive the next call
  if (!lookupHostLoad()) return reportAndRelease(kNoLoad, nullptr);
  LinksRefused linksRefused;
  Catalog catalog;
  catalogBackups(name.c_str(), &catalog);
  const std::vector<CatalogEntry>& entries = catalog.entries;
  bool complete = catalog.incrementalListed && catalog.bakListed;
  // The catalog lists nothing for a name without a folder part.
  const char* folderPart = folderOfPath(name.c_str());
  if (folderPart == nullptr) return complete ? inform(kNoBackups) : reportAndRelease(name.c_str(), kListFailed);
  if (entries.empty() && !complete) return reportAndRelease(name.c_str(), kListFailed);
  std::string folder = folderPart;
  // Without backups the one line is the object's file, which only "Pin Current File" applies to.
  std::vector<std::string> labels;
  for (const CatalogEntry& entry : entries) labels.push_back(labelOf(entry));
  if (entries.empty()) labels.push_back(currentFileLabel(name.c_str()));
  OpenPanelChoice choice;
  if (!chooseOnOpenPanel(titleOf(catalog), labels, &choice)) return releaseHostServices();
  if (choice.action == kActionPinCurrentFile) {
    platformRefuseLinksOnRead(linksRefused.before);  // the object is read as a save reads it
    return pinCurrentFile(name.c_str(), progress);
  }
  if (entries.empty()) return inform(kNoBackups);
  const CatalogEntry& entry = entries[static_cast<size_t>(choice.position)];
  if (choice.action == kActionPin) return pinBackup(entry);
  if (choice.action == kActionUnpin) return unpinBackup(entry);
  std::string opened;
  BackupReadResult result = writeOpenedCopy(entry, entries, folder, fileNameOfPath(name.c_str()), progress, &opened);
  if (result != kBackupReadOk) return reportOpeningFailure(result, entry, folder);
  if (executeHostLoad(opened.c_str()) != 0) return reportAndRelease(opened.c_str(), kLoadFailed);
  releaseHostServices();
}
