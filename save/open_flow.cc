#include "save/open_flow.h"

#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin/host_services.h"
#include "save/backup_catalog.h"
#include "save/open_panel.h"
#include "save/opened_copy.h"
#include "save/path_helpers.h"
#include "save/save_flow.h"

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

// Reports a failed opening of `entry` whose copy was to be written beside
// `objectPath`; a cancelled one is not reported.
void reportOpeningFailure(BackupReadResult result, const CatalogEntry& entry, const char* objectPath) {
  if (result == kBackupReadDamaged) return reportAndRelease(entry.path.c_str(), "Backup is damaged, nothing opened");
  if (result == kBackupReadUnreadable)
    return reportAndRelease(entry.path.c_str(), "Backup cannot be read, nothing opened");
  if (result == kBackupReadWriteFailed)
    return reportAndRelease(folderOfPath(objectPath), "Failed to write the opened backup, nothing opened");
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

void runOpenFlow() {
  const char* found = saveableObjectName();
  if (found == nullptr) return inform(kRefusal);
  std::string name = found;  // the host's text may not outlive the next call
  if (!lookupHostLoad()) return reportAndRelease(kNoLoad, nullptr);
  LinksRefused linksRefused;
  Catalog catalog;
  catalogBackups(name.c_str(), &catalog);
  const std::vector<CatalogEntry>& entries = catalog.entries;
  bool complete = catalog.incrementalListed && catalog.bakListed;
  if (entries.empty()) return complete ? inform(kNoBackups) : reportAndRelease(name.c_str(), kListFailed);
  std::vector<std::string> labels;
  for (const CatalogEntry& entry : entries) labels.push_back(labelOf(entry));
  int32_t chosen = chooseBackupOnPanel(titleOf(catalog), labels);
  if (chosen < 0) return releaseHostServices();
  const CatalogEntry& entry = entries[static_cast<size_t>(chosen)];
  std::string opened;
  BackupReadResult result = writeOpenedCopy(entry, entries, name.c_str(), &opened);
  if (result != kBackupReadOk) return reportOpeningFailure(result, entry, name.c_str());
  if (executeHostLoad(opened.c_str()) != 0) return reportAndRelease(opened.c_str(), kLoadFailed);
  releaseHostServices();
}
