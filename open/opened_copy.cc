#include "open/opened_copy.h"

#include <string.h>

#include <vector>

#include "archive/content_digest.h"
#include "platform/platform.h"
#include "platform/staged_file.h"

namespace {

// The most names tried before the opening gives up.
constexpr int kMaxTries = 1000;

// Returns the path of try `attempt` (1 the plain name): folder, separator,
// stem, " (backup 031)" or " (BAK 3)", " (2)" from the second try, ".lwo".
std::string candidatePath(const std::string& folder, const std::string& stem, const CatalogEntry& entry,
                          int attempt) {
  std::string tag = (entry.isBak ? " (BAK " : " (backup ") + entry.number + ")";
  std::string path = folder + PLATFORM_SEPARATOR + stem + tag;
  if (attempt > 1) path += " (" + std::to_string(attempt) + ")";
  return path + ".lwo";
}

// The names an opened copy is offered under: the candidate names in turn,
// each one found taken kept in `taken`.
struct CopyNames {
  IFreeNames vt;  // first, so that the callback finds the rest
  const std::string* folder;
  const std::string* stem;
  const CatalogEntry* entry;
  int attempt;  // of the name being tried
  std::vector<std::string>* taken;
};

int nextCopyName(IFreeNames* p, std::string* path) {
  CopyNames* n = reinterpret_cast<CopyNames*>(p);
  n->taken->push_back(*path);
  if (++n->attempt > kMaxTries) return 0;
  *path = candidatePath(*n->folder, *n->stem, *n->entry, n->attempt);
  return 1;
}

// True iff the file at `path` may be loaded in place of a new copy: a
// regular file, not a link, with no second hard link, and none of the
// backups, so that a save of what the host loads from it writes into no
// backup.
bool reusable(const std::string& path, const std::vector<CatalogEntry>& backups) {
  PlatformEntryFacts facts;
  if (!platformEntryFacts(path.c_str(), &facts) || facts.isLink || !facts.isRegular || facts.linkCount != 1)
    return false;
  for (const CatalogEntry& backup : backups)
    if (sameFile(facts.identity, backup.identity)) return false;
  return true;
}

// Returns the reusable taken name that holds the same bytes as the file
// `published`, or "" when none does (or the new file cannot be read back).
std::string sameFileAmong(const std::string& published, const std::vector<std::string>& taken,
                          const std::vector<CatalogEntry>& backups) {
  ContentDigest digest;
  if (taken.empty() || !digestFile(published.c_str(), &digest)) return "";
  for (const std::string& path : taken)
    if (reusable(path, backups) && fileHasContent(path.c_str(), digest)) return path;
  return "";
}

}  // namespace

BackupReadResult writeOpenedCopy(const CatalogEntry& entry, const std::vector<CatalogEntry>& backups,
                                 const std::string& folder, const std::string& objectFileName,
                                 const IArchiveProgress* progress, std::string* openedPath) {
  std::string stem = objectFileName.substr(0, objectFileName.size() - strlen(".lwo"));  // it ends in ".lwo"
  PlatformFile* staged = createStagedFile(folder.c_str(), stem.c_str(), kPlatformStageNew);
  if (staged == nullptr) return kBackupReadWriteFailed;
  BackupReadResult result = extractBackup(entry.path.c_str(), staged, progress);
  std::string path = candidatePath(folder, stem, entry, 1);
  std::vector<std::string> taken;
  CopyNames names = {{nextCopyName}, &folder, &stem, &entry, 1, &taken};
  bool published =
      result == kBackupReadOk && platformSyncFile(staged) && publishUnderFreeName(staged, &path, &names.vt);
  if (result == kBackupReadOk && !published) result = kBackupReadWriteFailed;
  bool closed = platformClose(staged) == 1;  // removes the file unless it was published
  if (result == kBackupReadOk && !(closed && platformSyncFolder(folder.c_str()))) result = kBackupReadWriteFailed;
  if (result != kBackupReadOk) {
    if (published) platformDeleteFile(path.c_str());
    return result;
  }
  std::string same = sameFileAmong(path, taken, backups);
  if (!same.empty() && platformDeleteFile(path.c_str())) path = same;
  *openedPath = path;
  return kBackupReadOk;
}
