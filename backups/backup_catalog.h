// The backup catalog: every backup of one object that the two save
// profiles recognise today, newest first, as the "Open Backup" panel
// offers them.
//
// It lists only this object's backups and never a link: a backup file
// that is a link (or on Win32 a name-surrogate reparse point) is left out,
// and so is the object's own file wherever a hard link shows it. Where a
// folder or name is shared by objects (an absolute folder, a global BAK
// name), an archive that records another object is left out, and a backup
// whose object cannot be proven from what it records is marked as shared.
// The catalog reads backups through platformOpenRead: its caller refuses
// links on reading (platform.h) while it runs.
#ifndef QK_BACKUPS_BACKUP_CATALOG_H_
#define QK_BACKUPS_BACKUP_CATALOG_H_

#include <string>
#include <vector>

#include "archive/backup_reader.h"
#include "platform/platform.h"

// One backup of the object.
struct CatalogEntry {
  bool isBak;                       // made by the BAK profile, else the incremental one
  bool shared;                      // in a shared folder or name, its object not proven
  bool pinned;                      // named out of its series (backup_names.h): never deleted
  std::string number;               // the number as its name writes it: "031", "2147483648"
  std::string path;                 // folder, the platform's separator, name
  PlatformFileIdentity identity;    // of the backup file
  BackupReadResult inspected;       // kBackupReadOk when `info` holds the facts of its state
  BackupObjectInfo info;            // zero unless inspected is kBackupReadOk
};

// The backups of one object, and which kinds could be listed.
struct Catalog {
  std::vector<CatalogEntry> entries;
  bool incrementalListed = false;  // false: its folder or its names gave an error
  bool bakListed = false;
};

// Fills `catalog` with the backups of the object file `objectPath` that
// each profile recognises in the folder it names, pinned ones included (a relative folder that
// does not exist holds none and is not created), newest first: by the
// time of the state each holds, and within a kind by number, so a backup
// that cannot be read, having no time, follows the newer ones of its kind.
// A kind whose folder cannot be listed, or whose names cannot be formed,
// is marked as not listed and adds nothing; so are both kinds when
// `objectPath` has no folder part.
void catalogBackups(const char* objectPath, Catalog* catalog);

// Returns the entry as the panel shows it: kind, number, " (shared name)"
// when marked so, the local time of the state and the object's size, as
// "Incremental 031 · 2026-12-08 14:03 · 1.2 MB"; "damaged" or "unreadable"
// after the number when it could not be inspected; " · pinned" at the end
// of a pinned one.
std::string labelOf(const CatalogEntry& entry);

// Returns the line that stands for the object file `objectPath` itself
// when it has no backups, its time and size as labelOf shows a state's:
// "Current file · 2026-12-08 14:03 · 1.2 MB"; "Current file · unreadable"
// when the file cannot be read.
std::string currentFileLabel(const char* objectPath);

#endif  // QK_BACKUPS_BACKUP_CATALOG_H_
