// An independent statement of the backup naming rules, for checking the
// backup namer: which names in a folder are backups of an object, with
// which numbers, and what the next backup is called.
//
// It is written from the rules, not from the namer: a name is taken apart
// as base, separator, token, digits and extension, with strings, and
// nothing is shared with the namer's code.
#ifndef QK_FUZZ_BACKUP_NAME_ORACLE_H_
#define QK_FUZZ_BACKUP_NAME_ORACLE_H_

#include <stdint.h>

#include <optional>
#include <string>

namespace qkfuzz {

// Returns `text` with the letters A to Z in lower case: the naming rules
// compare names without regard to ASCII case, and to nothing else.
std::string foldAscii(std::string text);

// How the backups of one object under one name format are named.
struct BackupSeries {
  std::string base;       // the name whole, or up to its last '.'
  char separator;         // '_' or '.'
  std::string token;      // "bak" or ""
  std::string extension;  // ".lwo", ".zip", ".7z" or ""
  bool dotAfterBase;      // a backup has a '.' right after the base
  std::string stem;       // the name up to its last '.': the folder search asks for it
};

// Returns the series of `name` (the object's name with ".lwo", or the
// global name with ".lwo") under `format`, or nullopt when the format is
// not one of 0..9.
std::optional<BackupSeries> seriesOf(int32_t format, bool isBak, const std::string& name);

// Returns the number of the backup `found` of `series` (numbers above
// 2147483647 read as 2147483647), or nullopt when it is none.
std::optional<int32_t> backupNumber(const BackupSeries& series, const std::string& found);

// Returns the number of the backup whose pinned name `found` is, or
// nullopt when it is none. A pin puts " (pinned)" before a name's last
// ".lwo", ".zip" or ".7z" (in any case), else at its end; a listing counts
// the number, and pruning never takes the file.
std::optional<int32_t> pinnedBackupNumber(const BackupSeries& series, const std::string& found);

// Returns the file name of backup `number`, zero-padded to `width` digits.
std::string backupFileName(const BackupSeries& series, int64_t width, int32_t number);

// Returns the length of backupFileName without forming it (the width may
// be huge).
int64_t backupFileNameLength(const BackupSeries& series, int64_t width, int32_t number);

// Returns the length of the folder search's name part: the stem, cut to
// 239 characters (the most a staging name keeps), then "*".
size_t searchPatternLength(const BackupSeries& series);

}  // namespace qkfuzz

#endif  // QK_FUZZ_BACKUP_NAME_ORACLE_H_
