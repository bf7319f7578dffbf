#include "save/object_backup.h"

#include <string.h>

#include <string>

#include "backups/backup_folder.h"
#include "backups/path_helpers.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "platform/staged_file.h"
#include "platform/text.h"
#include "save/backup_writer.h"

namespace {

// The cause shown when the backup folder cannot be listed with `error`.
const char* listingCause(PlatformError error) {
  switch (error) {
    case kPlatformBusy: return "backup folder in use by another program";
    case kPlatformAccessDenied: return "backup folder access denied";
    case kPlatformNameTooLong: return "path too long";
    default: return "backup folder cannot be listed";
  }
}

// Reports and releases; returns false so a step can end with it.
bool fail(const char* firstLine, const char* secondLine) {
  reportAndRelease(firstLine, secondLine);
  return false;
}

// Returns `text` (a make-backup text) with `cause` in brackets before its
// ending: "Failed to make BAK save (numbers used up), object not saved".
std::string withCause(const char* text, const char* cause) {
  const char* ending = strrchr(text, ',');
  return std::string(text, static_cast<size_t>(ending - text)) + " (" + cause + ")" + ending;
}

// Reports why the namer refused a save into `backupFolder`, and returns
// false. The make-save text carries the cause before its ending: a name
// too long is that one line; when the numbers are used up, the second line
// names the backup that holds the highest number (the file to rename);
// when the folder cannot be listed, the first line is the folder. Any
// other refusal is the make-save text alone.
bool failNaming(const NamingRefusal& refusal, const char* backupFolder, const BackupTexts& texts) {
  if (refusal.cause == kNamingNameTooLong)
    return fail(withCause(texts.makeBackup, "backup name too long").c_str(), nullptr);
  if (refusal.cause == kNamingNumbersUsedUp)
    return fail(withCause(texts.makeBackup, "numbers used up").c_str(), refusal.highestBackup.c_str());
  if (refusal.listingError != kPlatformOk)
    return fail(backupFolder, withCause(texts.makeBackup, listingCause(refusal.listingError)).c_str());
  return fail(texts.makeBackup, nullptr);
}

// Returns the folder that receives the backup by the profile's directory
// mode (a relative one created when missing, as `*created` then tells), or
// null after reporting why there is none.
const char* chooseBackupFolder(const char* folder, const SaveProfile& profile, const BackupTexts& texts,
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

}  // namespace

bool backUpObject(const char* name, const SaveProfile& profile, const BackupTexts& texts,
                  const IArchiveProgress* progress, BackupPlan* plan, DigestState* reading) {
  if (platformPathLength(name) > PATH_UNITS_MAX)
    return fail(name, withCause(texts.makeBackup, "path too long").c_str());
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
  const char* failed = isCompressedFormat(profile.nameFormat) ? texts.compressed : texts.makeBackup;
  PlatformFile* staged = writeStagedBackup(name, *plan, profile, reading, progress);
  if (staged == nullptr) return fail(plan->path.c_str(), progress->TakeCancel(progress) ? texts.cancelled : failed);
  bool published = publishStagedBackup(staged, file, profile, plan, &refusal);
  bool stands = platformClose(staged) == 1 && published &&
                syncBackupFolders(backupFolder, created ? folder : backupFolder);
  // A backup that may not be on disk is taken back, so the message and
  // the folder agree.
  if (published && !stands) platformDeleteFile(plan->path.c_str());
  // Publishing fails for a cause of its own when the namer would form no further name.
  if (refusal.cause == kNamingNameTooLong || refusal.cause == kNamingNumbersUsedUp)
    return failNaming(refusal, backupFolder, texts);
  return stands || fail(plan->path.c_str(), failed);
}

