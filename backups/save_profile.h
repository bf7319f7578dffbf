// Save profiles: everything that decides where and how one kind of backup
// is made.
//
// The plug-in has exactly two profiles, both process-wide and alive while
// the plug-in is loaded: the incremental profile (used by the incremental
// save command) and the BAK profile (used by the BAK save command, which
// may also replace the object's name by one global name). The backup namer
// reads a profile, the save flow picks one, the settings file and the
// options panel write their fields directly.
#ifndef QK_BACKUPS_SAVE_PROFILE_H_
#define QK_BACKUPS_SAVE_PROFILE_H_

#include <stddef.h>
#include <stdint.h>

#include "backups/owned_string.h"

// The backup file name formats, by their position in the panel's popup.
// 0..3 are plain copies, 4..6 zip archives, 7..9 7z archives.
enum NameFormat : int32_t {
  kNameUnderscoreLwo = 0,      // Name_001.lwo
  kNameDot = 1,                // Name.001
  kNameLwoDot = 2,             // Name.lwo.001
  kNameDotLwo = 3,             // Name.001.lwo
  kNameUnderscoreZip = 4,      // Name_001.zip
  kNameDotZip = 5,             // Name.001.zip
  kNameLwoDotZip = 6,          // Name.lwo.001.zip
  kNameUnderscore7z = 7,       // Name_001.7z
  kNameDot7z = 8,              // Name.001.7z
  kNameLwoDot7z = 9,           // Name.lwo.001.7z
};

// Returns true iff `format` is one of the archive formats 4..9.
inline bool isCompressedFormat(int32_t format) { return format >= 4 && format <= 9; }

// Where backups go, derived from a profile's directory.
enum DirectoryMode : int32_t {
  ObjectFolder = 0,    // the object's own folder
  RelativeFolder = 1,  // `directory` below the object's folder, created when missing
  AbsoluteFolder = 2,  // `directory` itself, for every object; must exist
};

class SaveProfile {
 public:
  SaveProfile();
  ~SaveProfile();  // not virtual: profiles are never destroyed through a base pointer
  SaveProfile(const SaveProfile&) = delete;
  SaveProfile& operator=(const SaveProfile&) = delete;

  // Frees the owned strings and leaves them holding none.
  virtual void release();
  // Applies the reset defaults (format 0, 3 digits, ".incr_save", no limit,
  // relative mode, unchanged saves kept, no keep rule, no size cap). Leaves compressionLevel and isBak
  // alone.
  virtual void reset();

  int32_t nameFormat = 0;        // a NameFormat; other values make the namer fail
  int32_t digits = 1;            // minimum digits of the backup number; kept within 1..8
  int32_t compressionLevel = 0;  // archive formats only: 0 "Normal", other "High"
  OwnedString directory;         // backup directory as entered: none/empty, relative, absolute
  uint32_t maxFiles = 0;         // backups kept; 0 is no limit (incremental only)
  int32_t directoryMode = ObjectFolder;  // classifyDirectory(directory); never stored
  int32_t isBak = 0;             // 1 for a BAK profile: token "bak", global name allowed
  int32_t skipUnchanged = 0;     // nonzero: a save that leaves the object's bytes as they
                                 // were removes its new backup, and keeps up to the limit
                                 // of the earlier ones
  // The history an artist shapes, each 0 (off, the default) to
  // kMaxHistoryValue. With all four 0, pruning keeps the newest maxFiles.
  int32_t keepHours = 0;   // keep every backup younger than this many hours
  int32_t keepDays = 0;    // keep the newest backup of each local day, for this many days
  int32_t keepWeeks = 0;   // keep the newest backup of each ISO week, for this many weeks
  int32_t maxTotalMB = 0;  // cap on the MB (1,048,576 bytes) of all backups but the newest

  // Returns true iff a keep rule (hours, days or weeks) is on.
  bool keepsByAge() const { return keepHours != 0 || keepDays != 0 || keepWeeks != 0; }
};

class BakSaveProfile : public SaveProfile {
 public:
  BakSaveProfile();
  ~BakSaveProfile();

  // Frees globalName, then directory.
  void release() override;
  // The base reset, then format 3, 1 digit, ".bak_save" and a limit of 1.
  // Leaves useGlobalName and globalName alone.
  void reset() override;

  int32_t useGlobalName = 0;  // nonzero: backup names use globalName, not the object's
  OwnedString globalName;     // the global BAK file name, without extension
};

// The two process-wide profiles.
SaveProfile& incrementalProfile();
BakSaveProfile& bakProfile();

// Returns `digits` brought within 1..8, the widths the options panel offers.
int32_t digitsInRange(int32_t digits);

// Returns a limit of backups typed or stored as `limit`, read as a signed
// 32-bit number, brought to 1 or more.
uint32_t limitInRange(int32_t limit);

// The largest value of a keep rule or of the size cap.
constexpr int32_t kMaxHistoryValue = 100000;

// Returns `value` brought within 0..kMaxHistoryValue.
int32_t historyValueInRange(int32_t value);

// Brings `profile`'s digits within 1..8, its limit to 1 or more (the
// incremental profile's limit of 0, no limit, stays) and its keep rules
// and size cap within 0..kMaxHistoryValue.
void keepValuesInRange(SaveProfile& profile);

// Returns 1 when `length` >= 3, the first two characters are each '/' or
// '\\' and the third is neither (a network path); otherwise 0.
int isUncPath(const char* text, size_t length);

// Returns ObjectFolder for null or empty text, AbsoluteFolder for a network
// path or any text with a colon, RelativeFolder otherwise.
DirectoryMode classifyDirectory(const char* text);

#endif  // QK_BACKUPS_SAVE_PROFILE_H_
