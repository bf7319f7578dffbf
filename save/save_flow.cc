#include "save/save_flow.h"

#include "archive/content_digest.h"
#include "backups/path_helpers.h"
#include "backups/save_profile.h"
#include "hostapi/host_commands.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "save/backup_namer.h"
#include "save/object_backup.h"

namespace {

// What each save kind tells the user.
struct KindTexts {
  const char* refusal;  // no saved ".lwo" file: an information message
  BackupTexts backup;
};

const KindTexts kIncrementalTexts = {
    "Cannot do an incremental save, object has not yet been saved once (or invalid file name)",
    {"Failed to create incremental saves directory, object not saved",
     "Incremental saves directory does not exist, object not saved",
     "Failed to make incremental save, object not saved",
     "Failed to make compressed incremental save, object not saved", "Backup cancelled, object not saved"},
};

const KindTexts kBakTexts = {
    "Cannot do an BAK save, object has not yet been saved once (or invalid file name)",
    {"Failed to create BAK saves directory, object not saved", "BAK saves directory does not exist, object not saved",
     "Failed to make BAK save, object not saved", "Failed to make compressed BAK save, object not saved",
     "Backup cancelled, object not saved"},
};

const KindTexts& textsOf(SaveKind kind) { return kind == BakSave ? kBakTexts : kIncrementalTexts; }

const SaveProfile& profileOf(SaveKind kind) {
  if (kind == BakSave) return bakProfile();
  return incrementalProfile();
}

// Called after the host's save of the object `name`: when its file holds
// exactly the bytes that its new backup took (`reading`), the save changed
// nothing (or the host could not save) and the backup only repeats the
// object, so it is removed. Returns true when it was; false when there is
// no backup, the bytes differ or cannot be compared, or the removal fails.
bool removeBackupOfUnchangedObject(const char* name, const BackupPlan& plan, DigestState* reading) {
  if (plan.path.empty()) return false;
  ContentDigest taken;
  digestFinish(reading, &taken);
  return fileHasContent(name, taken) && platformDeleteFile(plan.path.c_str());
}

// Called after the host saved the object `name`: deletes the backups that
// the limit, the keep rules and the size cap let go, as the folder stands now (another host may
// have added or removed backups since the plan). The new backup, when it
// still stands, is one of the limit.
void pruneAfterSave(const char* name, SaveKind kind, bool newStands, BackupPlan* plan) {
  if (plan->path.empty()) return;  // no backup was made
  const char* file = fileNameOfPath(name);
  if (file != nullptr && revisePruning(name, file, profileOf(kind), newStands, plan)) pruneBackups(*plan);
}

}  // namespace

void runSaveFlow(SaveKind kind, int mayPrune, const IArchiveProgress* progress) {
  const char* name = saveableObjectName();
  if (name == nullptr) {
    showHostInfo(textsOf(kind).refusal);
    releaseHostServices();
    return;
  }
  // With "Skip Unchanged Saves" the backup's reading is digested, to tell
  // after the host's save whether anything changed.
  bool skipUnchanged = profileOf(kind).skipUnchanged != 0;
  DigestState reading;
  if (skipUnchanged) digestStart(&reading);
  BackupPlan plan;
  if (!backUpObject(name, profileOf(kind), textsOf(kind).backup, progress, &plan, skipUnchanged ? &reading : nullptr))
    return;
  int32_t saved = executeHostSave();
  if (saved != 0) showHostError(name, "Failed to save file");
  bool unchanged = skipUnchanged && removeBackupOfUnchangedObject(name, plan, &reading);
  // A failed save leaves the object as it was: every backup stays.
  if (saved == 0 && mayPrune == 1) pruneAfterSave(name, kind, !unchanged, &plan);
  releaseHostServices();
}
