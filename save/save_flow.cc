#include "save/save_flow.h"

#include <string.h>

#include <string>

#include "archive/content_digest.h"
#include "backups/backup_folder.h"
#include "backups/path_helpers.h"
#include "backups/save_profile.h"
#include "hostapi/host_commands.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "platform/staged_file.h"
#include "platform/text.h"
#include "save/backup_namer.h"
#include "save/backup_writer.h"

namespace {

// What each save kind tells the user.
struct KindTexts {
  const char* refusal;         // no saved ".lwo" file: an information message
  const char* folderCreation;  // the relative folder cannot be created
  const char* missingFolder;   // the absolute folder is not a directory
  const char* makeSave;        // no backup name, or the copy failed
  const char* compressedSave;  // the archive could not be written
};

const KindTexts kIncrementalTexts = {
    "Cannot do an incremental save, object has not yet been saved once (or invalid file name)",
    "Failed to create incremental saves directory, object not saved",
    "Incremental saves directory does not exist, object not saved",
    "Failed to make incremental save, object not saved",
    "Failed to make compressed incremental save, object not saved",
};

const KindTexts kBakTexts = {
    "Cannot do an BAK save, object has not yet been saved once (or invalid file name)",
    "Failed to create BAK saves directory, object not saved",
    "BAK saves directory does not exist, object not saved",
    "Failed to make BAK save, object not saved",
    "Failed to make compressed BAK save, object not saved",
};

// The second line when the user pressed abort on the progress monitor.
const char kCancelled[] = "Backup cancelled, object not saved";

// How every message of a save that stops before the host's save ends.
const char kNotSaved[] = ", object not saved";

// The cause shown when the backup folder cannot be listed with `error`.
const char* listingCause(PlatformError error) {
  switch (error) {
    case kPlatformBusy: return "backup folder in use by another program";
    case kPlatformAccessDenied: return "backup folder access denied";
    case kPlatformNameTooLong: return "path too long";
    default: return "backup folder cannot be listed";
  }
}

const KindTexts& textsOf(SaveKind kind) { return kind == BakSave ? kBakTexts : kIncrementalTexts; }

const SaveProfile& profileOf(SaveKind kind) {
  if (kind == BakSave) return bakProfile();
  return incrementalProfile();
}

// Reports and releases; returns false so a step can end with it.
bool fail(const char* firstLine, const char* secondLine) {
  reportAndRelease(firstLine, secondLine);
  return false;
}

// Returns `text` (a make-save text) with `cause` in brackets before its
// ending: "Failed to make BAK save (numbers used up), object not saved".
std::string withCause(const char* text, const char* cause) {
  const char* ending = strstr(text, kNotSaved);
  return std::string(text, static_cast<size_t>(ending - text)) + " (" + cause + ")" + ending;
}

// Reports why the namer refused a save into `backupFolder`, and returns
// false. The make-save text carries the cause before its ending: a name
// too long is that one line; when the numbers are used up, the second line
// names the backup that holds the highest number (the file to rename);
// when the folder cannot be listed, the first line is the folder. Any
// other refusal is the make-save text alone.
bool failNaming(const NamingRefusal& refusal, const char* backupFolder, const KindTexts& texts) {
  if (refusal.cause == kNamingNameTooLong)
    return fail(withCause(texts.makeSave, "backup name too long").c_str(), nullptr);
  if (refusal.cause == kNamingNumbersUsedUp)
    return fail(withCause(texts.makeSave, "numbers used up").c_str(), refusal.highestBackup.c_str());
  if (refusal.listingError != kPlatformOk)
    return fail(backupFolder, withCause(texts.makeSave, listingCause(refusal.listingError)).c_str());
  return fail(texts.makeSave, nullptr);
}

// Returns the folder that receives the backup by the profile's directory
// mode (a relative one created when missing, as `*created` then tells), or
// null after reporting why there is none.
const char* chooseBackupFolder(const char* folder, const SaveProfile& profile, const KindTexts& texts,
                               char (&composed)[kComposedFolderSize], bool* created) {
  const char* backupFolder = backupFolderOf(folder, profile, composed);
  if (backupFolder == nullptr) {
    fail(texts.folderCreation, nullptr);  // too long to name: the text alone
    return nullptr;
  }
  if (backupFolder == folder || isDirectory(backupFolder)) return backupFolder;
  if (profile.directoryMode == AbsoluteFolder) {
    fail(backupFolder, texts.missingFolder);
    return nullptr;
  }
  if (!createRelativeFolders(folder, profileDirectory(profile))) {
    fail(backupFolder, texts.folderCreation);
    return nullptr;
  }
  *created = true;
  return backupFolder;
}

// Flushes `backupFolder`, and every folder above it up to and including
// `top`, to stable storage: the host is about to overwrite the object, so
// the new backup's name, and the names of folders made for it, must be on
// disk first. Returns true unless a flush reported an error.
bool syncBackupFolders(const char* backupFolder, const char* top) {
  char level[kComposedFolderSize];
  size_t length = strlen(backupFolder);
  size_t topLength = strlen(top);
  if (length >= sizeof level) return false;
  memcpy(level, backupFolder, length + 1);
  for (;;) {
    if (platformSyncFolder(level) != 1) return false;
    if (length <= topLength) return true;
    size_t after = platformAfterLastSeparator(level, length);
    length = after > topLength ? after - 1 : topLength;
    level[length] = '\0';
  }
}

// Makes the backup of the object file `name`, published and on disk, and
// stores in `*plan` what the namer decided; adds the bytes the backup read
// to `reading` unless it is null; a 7z backup advances `progress`. Returns true when the host may save: the
// backup stands, or the name has no folder part to back up in (`*plan`
// then names no backup and prunes nothing). Returns false after reporting,
// having deleted no backup.
bool backUpObject(const char* name, SaveKind kind, const IArchiveProgress* progress, BackupPlan* plan,
                  DigestState* reading) {
  const SaveProfile& profile = profileOf(kind);
  const KindTexts& texts = textsOf(kind);
  if (strlen(name) >= PATH_BUFFER_SIZE) return fail(name, withCause(texts.makeSave, "path too long").c_str());
  const char* folder = folderOfPath(name);
  const char* file = fileNameOfPath(name);
  if (folder == nullptr || file == nullptr) return true;

  char composed[kComposedFolderSize];
  bool created = false;  // the backup folder is new: its name must reach the disk too
  const char* backupFolder = chooseBackupFolder(folder, profile, texts, composed, &created);
  if (backupFolder == nullptr) return false;
  NamingRefusal refusal;
  if (!planBackupFrom(backupFolder, file, profile, 1, plan, &refusal)) return failNaming(refusal, backupFolder, texts);
  removeLeftovers(*plan, abandonedBefore());
  const char* failed = isCompressedFormat(profile.nameFormat) ? texts.compressedSave : texts.makeSave;
  PlatformFile* staged = writeStagedBackup(name, *plan, profile, reading, progress);
  if (staged == nullptr) return fail(plan->path.c_str(), progress->TakeCancel(progress) ? kCancelled : failed);
  bool published = publishStagedBackup(staged, file, profile, plan, &refusal);
  bool stands = platformClose(staged) == 1 && published &&
                syncBackupFolders(backupFolder, created ? folder : backupFolder);
  // A backup that may not be on disk is taken back, so the message and
  // the folder agree.
  if (published && !stands) platformDeleteFile(plan->path.c_str());
  // Publishing fails for a cause of its own when the namer would form no further name.
  if (refusal.cause == kNamingNameTooLong || refusal.cause == kNamingNumbersUsedUp) return failNaming(refusal, backupFolder, texts);
  return stands || fail(plan->path.c_str(), failed);
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
  if (!backUpObject(name, kind, progress, &plan, skipUnchanged ? &reading : nullptr)) return;
  int32_t saved = executeHostSave();
  if (saved != 0) showHostError(name, "Failed to save file");
  bool unchanged = skipUnchanged && removeBackupOfUnchangedObject(name, plan, &reading);
  // A failed save leaves the object as it was: every backup stays.
  if (saved == 0 && mayPrune == 1) pruneAfterSave(name, kind, !unchanged, &plan);
  releaseHostServices();
}
