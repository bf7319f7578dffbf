#include "save/opened_copy.h"

#include <string.h>

#include <vector>

#include "archive/content_digest.h"
#include "platform/platform.h"
#include "platform/staged_file.h"
#include "save/path_helpers.h"

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

// Publishes `staged` under the first free candidate name and sets
// `*published`; the names found taken go to `taken`. Returns false when
// publishing fails for another reason or no name is free.
bool publishUnderFreeName(PlatformFile* staged, const std::string& folder, const std::string& stem,
                          const CatalogEntry& entry, std::string* published, std::vector<std::string>* taken) {
  for (int attempt = 1; attempt <= kMaxTries; ++attempt) {
    std::string path = candidatePath(folder, stem, entry, attempt);
    PlatformError error = kPlatformOk;
    if (platformPublish(staged, path.c_str(), &error)) {
      *published = path;
      return true;
    }
    if (error != kPlatformFileExists) return false;
    taken->push_back(path);
  }
  return false;
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
                                 const char* objectPath, std::string* openedPath) {
  const char* folderPart = folderOfPath(objectPath);
  const char* filePart = fileNameOfPath(objectPath);
  if (folderPart == nullptr || filePart == nullptr) return kBackupReadWriteFailed;
  std::string folder = folderPart, stem = filePart;
  stem.resize(stem.size() - strlen(".lwo"));  // the object's name ends in ".lwo"
  PlatformFile* staged = createStagedFile(folder.c_str(), stem.c_str(), kPlatformStageNew);
  if (staged == nullptr) return kBackupReadWriteFailed;
  BackupReadResult result = extractBackup(entry.path.c_str(), staged);
  std::string published;
  std::vector<std::string> taken;
  if (result == kBackupReadOk &&
      !(platformSyncFile(staged) && publishUnderFreeName(staged, folder, stem, entry, &published, &taken)))
    result = kBackupReadWriteFailed;
  bool closed = platformClose(staged) == 1;  // removes the file unless it was published
  if (result == kBackupReadOk && !(closed && platformSyncFolder(folder.c_str()))) result = kBackupReadWriteFailed;
  if (result != kBackupReadOk) {
    if (!published.empty()) platformDeleteFile(published.c_str());
    return result;
  }
  std::string same = sameFileAmong(published, taken, backups);
  if (!same.empty() && platformDeleteFile(published.c_str())) published = same;
  *openedPath = published;
  return kBackupReadOk;
}
