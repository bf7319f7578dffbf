// The backup namer: decides the path of an object's next backup, and which
// earlier backups go once it stands.
//
// The namer lists the backup folder, recognises the earlier backups of the
// object by their names (backups/backup_names.h), and plans the name
// numbered one above the highest it found. Once the host has saved, the
// namer lists the folder again and deletes the backups that the profile's
// limit, keep rules and size cap let go, as the folder stands then; it never deletes the new
// backup, nor the object's own file that a link may show among the
// backups, nor a file it does not recognise.
//
// The highest number a new backup can take is 2147483647, so a backup
// numbered that or above (Robot_2147483648.lwo) leaves no next number: the
// numbers are used up until it is renamed.
#ifndef QK_SAVE_BACKUP_NAMER_H_
#define QK_SAVE_BACKUP_NAMER_H_

#include <stdint.h>

#include <string>
#include <vector>

#include "backups/backup_names.h"
#include "backups/save_profile.h"
#include "platform/platform.h"

// What the namer decides for one save of an object.
struct BackupPlan {
  std::string folder;         // the backup folder, as given
  std::string path;           // the new backup: folder, the platform's separator, name
  std::string stagingPrefix;  // what the new backup's staging name starts with
  std::vector<std::string> prune;      // backups to delete, oldest first (see revisePruning)
  std::vector<std::string> leftovers;  // staging files of earlier saves of the object
  int32_t number = 0;   // the new backup's number
  int32_t highest = 0;  // the highest number among the backups listed, 0 when none
  size_t entries = 0;   // the entries listed: every name that starts as the backups' names do
};

struct NamingRefusal {
  NamingCause cause = kNamingOk;
  std::string highestBackup;  // kNamingNumbersUsedUp: the path of the backup with the highest number
  PlatformError listingError = kPlatformOk;  // kNamingRefused by the folder's listing: why it failed
};

// Plans the next backup of `objectFileName` (a bare file name ending in
// ".lwo") in `folder` (no trailing separator) and stores it in `*plan`:
// the path numbered one above the highest backup found, or `lowest` if
// that is more, and the backups beyond `profile.maxFiles` to delete once
// it stands, so that the limit then holds with the new one. A listing cut
// short by an error counts as far as it got (the backup is never
// published over a file anyway). Deletes nothing. Returns false, leaving `*plan` as it was and telling why in
// `*refusal`, when the name format is not 0..9, a BAK profile's global
// name is in use but is empty or holds a character no file name may, or
// the folder cannot be listed (kNamingRefused, with `listingError`
// saying why); the backup's name would
// have more than 255 characters (bytes on POSIX, characters of the code
// page on Win32) or a path would not fit BACKUP_PATH_SIZE
// (kNamingNameTooLong); or the highest backup number is 2147483647 or
// above (kNamingNumbersUsedUp, naming that backup).
bool planBackupFrom(const char* folder, const char* objectFileName, const SaveProfile& profile, int32_t lowest,
                    BackupPlan* plan, NamingRefusal* refusal);

// Lists the plan's folder again and replaces `plan->prune` with the
// backups of `objectFileName` that go under `profile` (save/pruning.h:
// the count limit, the keep rules and the size cap, the save's time being
// now), oldest first, as the folder stands now. With a keep rule or the
// cap on, each backup's time (as inspectBackup reads it; none when it
// cannot be inspected) and file size are read. Neither the new backup (the
// plan's path) nor any name for the file at `objectPath` is counted or
// chosen. When `newStands`, the new backup is the newest and one of the
// limit, so one fewer of the others is kept. Returns false, choosing
// nothing, when the object cannot be identified or the folder cannot be
// listed in full (a listing error part-way through included).
bool revisePruning(const char* objectPath, const char* objectFileName, const SaveProfile& profile, bool newStands,
                   BackupPlan* plan);

// Deletes the backups `plan` chose to prune, oldest first. A deletion that
// fails is passed over.
void pruneBackups(const BackupPlan& plan);

// Removes the leftovers of `plan` that no save is writing any more and
// that were last written before `writtenBefore` (a FILETIME; the save flow
// passes abandonedBefore() of platform/staged_file.h).
void removeLeftovers(const BackupPlan& plan, uint64_t writtenBefore);

#endif  // QK_SAVE_BACKUP_NAMER_H_
