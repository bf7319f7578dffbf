// Backup names: how the backups of an object are named under a profile,
// and how a listing of a folder recognises them again.
//
// A backup's file name is a base (the object's file name or its stem, or a
// global BAK name), a separator, the token "bak" for BAK backups, a
// zero-padded number and an extension, as the profile's name format says.
// Every name formed here is recognised here again with the same settings;
// a file that is not recognised is no backup, and nothing ever deletes it.
//
// Numbers. A backup's number is recognised exactly as its name writes it,
// however many digits it has: BackupEntry::digits holds that text, and its
// `number` orders the list (numbers above 2147483647 as 2147483647).
#ifndef QK_BACKUPS_BACKUP_NAMES_H_
#define QK_BACKUPS_BACKUP_NAMES_H_

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "backups/backup_list.h"
#include "backups/save_profile.h"
#include "platform/platform.h"
#include "platform/text.h"

// Units (as platformPathLength counts them) of the longest backup path,
// search pattern or deletion path, terminator not included (two Windows
// paths), and the bytes of a buffer for one.
#define BACKUP_PATH_UNITS 519
#define BACKUP_PATH_SIZE PLATFORM_UTF8_SIZE(BACKUP_PATH_UNITS)

// Units of a series' base and stem, at most, and the bytes of a buffer for
// one.
#define BACKUP_BASE_UNITS 259
#define BACKUP_BASE_SIZE PLATFORM_UTF8_SIZE(BACKUP_BASE_UNITS)

// Why no name could be formed, or no listing made.
enum NamingCause {
  kNamingOk,
  kNamingRefused,        // the name format, the global BAK name's characters, the folder's listing
  kNamingNameTooLong,    // a backup's name over 255 characters, or a path over BACKUP_PATH_UNITS
  kNamingNumbersUsedUp,  // a backup numbered 2147483647 or above leaves no next number
};

struct FormatShape;  // how one name format spells a name; private to backup_names.cc

// The backups of one object under one profile: what their names look like.
// A folder is searched for every name that begins with the stem, which
// takes in the backups of every format and the object's staging files.
struct BackupSeries {
  char stem[BACKUP_BASE_SIZE];  // the name up to its last '.', which staging names start with
  char base[BACKUP_BASE_SIZE];
  ptrdiff_t baseLength;
  const char* token;  // "bak" or ""
  ptrdiff_t tokenLength;
  const FormatShape* shape;
};

// Fills `*series` for the object file `objectFileName` (a bare name ending
// in ".lwo") under `profile`. Returns kNamingRefused when the name format
// is not 0..9, there is no object name, or a BAK profile's global name is
// in use but is empty or holds a character no file name may;
// kNamingNameTooLong when the base passes BACKUP_BASE_UNITS.
NamingCause formSeries(const char* objectFileName, const SaveProfile& profile, BackupSeries* series);

// Writes the file name of backup `number`, padded to `digits` (a width
// below 1 pads as 1), into `out`. Returns false when it does not fit or
// has more than 255 characters (bytes on POSIX, UTF-16 units on Win32), so
// that no file system takes it.
bool formBackupName(char (&out)[BACKUP_PATH_SIZE], const BackupSeries& series, int32_t digits, int32_t number);

// Writes `folder`, the platform's separator and `name` into `out`. Returns
// true iff the whole path fits BACKUP_PATH_UNITS.
bool joinBackupPath(char (&out)[BACKUP_PATH_SIZE], const char* folder, const char* name);

// What pruning never touches: the new backup, and the object's own file
// wherever a link puts it in the folder, or a file whose identity cannot
// be told (it may be the object, or gone).
struct SparedFiles {
  const std::string& newBackup;  // its path
  PlatformFileIdentity object;
};

// What one listing of a folder finds.
struct SeriesListing {
  BackupList* keep;                     // the recognised backups not spared nor pinned, by number; null: not wanted
  const SparedFiles* spared;            // null: none
  std::vector<std::string>* leftovers;  // the object's staging files; null: not wanted
  BackupList* pinned = nullptr;         // the series' pinned backups, by number; null: not wanted
  int64_t highest = 0;                  // the highest number recognised, pinned ones included; 0 when none
  std::string highestName{};            // the backup that carries it, the first listed of equals
  size_t entries = 0;                   // every entry the search delivered
  PlatformError error = kPlatformOk;    // why the folder could not be listed
};

// Lists `folder` (no trailing separator) for `series` into `*listing`;
// folders and offline files are never backups. Returns kNamingRefused when
// the search cannot start for any reason but an empty result (setting
// `listing->error`), and kNamingNameTooLong when the pattern or a kept
// backup's path passes BACKUP_PATH_UNITS. A listing cut short by an
// error counts as far as it got, except with spared files (pruning): there
// it is refused, since a part of the folder can make a newer backup look
// like the oldest.
NamingCause listSeries(const char* folder, const BackupSeries& series, SeriesListing* listing);

// Adds to `list`, in ascending order of their numbers, every backup of
// `objectFileName` in `folder` that a save with `profile` would recognise
// (never a staging file), and to `pinned` (unless it is null) the pinned
// ones. Returns false when formSeries refuses, the folder cannot be listed
// or a backup's path would pass BACKUP_PATH_UNITS.
bool findBackups(const char* folder, const char* objectFileName, const SaveProfile& profile, BackupList* list,
                 BackupList* pinned);

// Pinned backups. Pinning renames a backup out of its series: the mark
// " (pinned)" goes before the name's extension when it ends in ".lwo",
// ".zip" or ".7z" (in any case), else at its end, so "Robot_031.lwo"
// becomes "Robot_031 (pinned).lwo" and "Robot.lwo.3" "Robot.lwo.3 (pinned)".
// No name format recognises such a name as a backup (each wants a digit
// right before its extension, or at the end), so no rotation of this
// release or an older one deletes it; a listing still counts its number,
// which a new backup never takes again. Taking the mark out gives back the
// name the backup had.
#define PINNED_MARK " (pinned)"

// Writes the pinned name of the backup name `name` into `out`. Returns
// false when it does not fit or would have more than 255 characters.
bool formPinnedName(char (&out)[BACKUP_PATH_SIZE], const char* name);

// Writes into `out` the name that the pinned name `pinned` had before it
// was pinned. Returns false when `pinned` carries no mark where
// formPinnedName puts it.
bool unpinnedNameOf(char (&out)[BACKUP_PATH_SIZE], const char* pinned);

#endif  // QK_BACKUPS_BACKUP_NAMES_H_
