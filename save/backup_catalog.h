// The backup catalog: every backup of one object that the two save
// profiles recognise today, newest first, as the "Open Backup" panel
// offers them.
#ifndef QK_SAVE_BACKUP_CATALOG_H_
#define QK_SAVE_BACKUP_CATALOG_H_

#include <stdint.h>

#include <string>
#include <vector>

#include "archive/backup_reader.h"

// One backup of the object.
struct CatalogEntry {
  bool isBak;                  // made by the BAK profile, else the incremental one
  int32_t number;              // the number its name carries
  int32_t digits;              // the profile's minimum digits, to show the number as named
  std::string path;            // folder, the platform's separator, name
  BackupReadResult inspected;  // kBackupReadOk when `info` holds the facts of its state
  BackupObjectInfo info;       // zero unless inspected is kBackupReadOk
};

// Fills `entries` with the backups of the object file `objectPath` that
// each profile recognises in the folder it names (a relative folder that
// does not exist holds none and is not created), newest first: by the
// time of the state each holds, and within a kind by number, so a backup
// that cannot be read, having no time, follows the newer ones of its kind.
// Returns false when `objectPath` has no folder part or a folder that
// exists cannot be listed.
bool catalogBackups(const char* objectPath, std::vector<CatalogEntry>* entries);

// Returns the entry as the panel shows it: kind, number, the local time of
// the state and the object's size, as "Incremental 031 · 2026-12-08 14:03 ·
// 1.2 MB"; "damaged" or "unreadable" after the number when it could not be
// inspected.
std::string labelOf(const CatalogEntry& entry);

#endif  // QK_SAVE_BACKUP_CATALOG_H_
