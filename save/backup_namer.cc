#include "save/backup_namer.h"

#include <algorithm>
#include <utility>

#include "archive/backup_reader.h"
#include "backups/backup_list.h"
#include "platform/platform.h"
#include "save/pruning.h"

namespace {

// Moves the oldest backups of `list` to `prune` until the list holds at
// most `keep`.
void chooseOldest(BackupList* list, uint32_t keep, std::vector<std::string>* prune) {
  while (list->count() > 0 && static_cast<uint32_t>(list->count()) > keep) prune->push_back(list->takeFirst()->name);
}

// Sets `*refusal` to `cause`, naming `highest` (empty for none), and
// returns false.
bool refuse(NamingRefusal* refusal, NamingCause cause, const std::string& highest) {
  refusal->cause = cause;
  refusal->highestBackup = highest;
  return false;
}

// Returns what pruning weighs of the backup `path` numbered `number`:
// with `weighed`, the time of the state it holds as inspectBackup reads it
// (0 when it cannot be inspected) and its file's size (0 when it cannot be
// read); else its number alone.
BackupFacts factsOf(const char* path, int32_t number, bool weighed) {
  BackupFacts facts = {number, 0, 0};
  if (!weighed) return facts;
  BackupObjectInfo info;
  if (inspectBackup(path, &info) == kBackupReadOk) facts.time = info.lastWriteTime;
  PlatformFile* file = platformOpenRead(path);
  if (file != nullptr) {
    if (platformFileLength(file, &facts.bytes) != 1) facts.bytes = 0;
    platformClose(file);
  }
  return facts;
}

// Calls `act` with the path of each name in `names`, in order.
template <typename Act>
void forEachPath(const BackupPlan& plan, const std::vector<std::string>& names, Act act) {
  char path[BACKUP_PATH_SIZE];
  for (const std::string& name : names)
    if (joinBackupPath(path, plan.folder.c_str(), name.c_str())) act(path);
}

}  // namespace

bool planBackupFrom(const char* folder, const char* objectFileName, const SaveProfile& profile, int32_t lowest,
                    BackupPlan* plan, NamingRefusal* refusal) {
  BackupSeries series;
  if (folder == nullptr) return refuse(refusal, kNamingRefused, "");
  NamingCause cause = formSeries(objectFileName, profile, &series);
  if (cause != kNamingOk) return refuse(refusal, cause, "");
  char name[BACKUP_PATH_SIZE];
  char path[BACKUP_PATH_SIZE];
  if (!formBackupName(name, series, profile.digits, lowest)) return refuse(refusal, kNamingNameTooLong, "");
  BackupPlan next;
  BackupList list;
  SeriesListing listing = {profile.maxFiles != 0 ? &list : nullptr, nullptr, &next.leftovers};
  cause = listSeries(folder, series, &listing);
  if (cause != kNamingOk) {
    refusal->listingError = listing.error;
    return refuse(refusal, cause, "");
  }
  if (listing.highest >= INT32_MAX)  // no number is left above it
    return refuse(refusal, kNamingNumbersUsedUp,
                  joinBackupPath(path, folder, listing.highestName.c_str()) ? path : listing.highestName);
  next.number = std::max(static_cast<int32_t>(listing.highest + 1), lowest);
  if (!formBackupName(name, series, profile.digits, next.number) || !joinBackupPath(path, folder, name))
    return refuse(refusal, kNamingNameTooLong, "");
  chooseOldest(&list, profile.maxFiles - 1, &next.prune);
  next.folder = folder;
  next.path = path;
  next.stagingPrefix = series.stem;
  next.highest = static_cast<int32_t>(listing.highest);
  next.entries = listing.entries;
  *plan = std::move(next);
  return true;
}

bool revisePruning(const char* objectPath, const char* objectFileName, const SaveProfile& profile, bool newStands,
                   BackupPlan* plan) {
  plan->prune.clear();
  const bool weighed = profile.keepsByAge() || profile.maxTotalMB > 0;
  if (profile.maxFiles == 0 && !weighed) return true;
  BackupSeries series;
  SparedFiles spared = {plan->path, {}};
  if (formSeries(objectFileName, profile, &series) != kNamingOk ||
      platformFileIdentity(objectPath, &spared.object) != 1)
    return false;
  BackupList list;
  SeriesListing listing = {&list, &spared, nullptr};
  if (listSeries(plan->folder.c_str(), series, &listing) != kNamingOk) return false;
  std::vector<std::string> names;
  std::vector<BackupFacts> facts;
  char path[BACKUP_PATH_SIZE];
  for (const BackupEntry* entry = list.first(); entry != nullptr; entry = entry->next) {
    names.push_back(entry->name);
    facts.push_back(factsOf(joinBackupPath(path, plan->folder.c_str(), entry->name.c_str()) ? path : "",
                            entry->number, weighed));
  }
  if (newStands) facts.push_back(factsOf(plan->path.c_str(), plan->number, weighed));  // the newest: it stays
  std::vector<size_t> doomed;
  choosePrunes(facts, profile, weighed ? platformCurrentFileTime() : 0, &doomed);
  for (size_t index : doomed)
    if (index < names.size()) plan->prune.push_back(names[index]);
  return true;
}

void pruneBackups(const BackupPlan& plan) { forEachPath(plan, plan.prune, platformDeleteFile); }

void removeLeftovers(const BackupPlan& plan, uint64_t writtenBefore) {
  forEachPath(plan, plan.leftovers,
              [writtenBefore](const char* path) { platformRemoveAbandoned(path, writtenBefore); });
}
