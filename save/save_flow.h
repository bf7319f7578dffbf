// The save command flow: back up the object as it last stood on disk, then
// have the host save the current object over its file.
//
// A save that cannot make its backup does not let the host save: it stops
// with a message ending "object not saved", so the file on disk stays as
// it was, and deletes no backup. Pruning happens last, and only after the
// host has saved successfully: the folder is listed again then, and the
// oldest backups beyond the profile's limit are deleted as it stands at
// that moment, the new backup counting as one of the limit and never
// deleted, and the object's own file never counted or deleted even when a
// link shows it among the backups. A failed host save prunes nothing, nor
// does a save that may not prune. With
// "Skip Unchanged Saves", a backup that holds what the object holds after
// the host's save (or its failure) is removed, and a successful save then
// keeps up to the limit of the earlier backups. Every way out releases the
// host services.
#ifndef QK_SAVE_SAVE_FLOW_H_
#define QK_SAVE_SAVE_FLOW_H_

#include <stdint.h>

#include "archive/archive_progress.h"


// Which save runs: each has its own profile and texts.
enum SaveKind : int32_t {
  IncrementalSave,
  BakSave,
};

// Runs the incremental or the BAK save of the host's current object;
// prunes nothing unless `mayPrune` is 1 (the shell passes 0 while the
// limits in force only stand in for settings that could not be read). A
// 7z backup shows its work at `progress`; when the user cancels it there,
// the backup fails with the second line "Backup cancelled, object not
// saved".
void runSaveFlow(SaveKind kind, int mayPrune, const IArchiveProgress* progress);

#endif  // QK_SAVE_SAVE_FLOW_H_
