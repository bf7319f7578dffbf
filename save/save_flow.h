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
// does any save while the settings file cannot be read. With
// "Skip Unchanged Saves", a backup that holds what the object holds after
// the host's save (or its failure) is removed, and a successful save then
// keeps up to the limit of the earlier backups. Every way out releases the
// host services.
#ifndef QK_SAVE_SAVE_FLOW_H_
#define QK_SAVE_SAVE_FLOW_H_

#include <stdint.h>

#include "plugin/command.h"

// Runs the incremental or the BAK save of the host's current object. When
// the user aborts a 7z backup at the progress monitor, the backup fails
// with the second line "Backup cancelled, object not saved".
void runSaveFlow(SaveKind kind);

// Returns the host's name for the current object when a backup can be made
// of it (a text whose first byte is printable ASCII, ending in ".lwo"),
// else null.
const char* saveableObjectName();

// Shows the error `firstLine` / `secondLine` (which may be null), then
// releases the host services.
void reportAndRelease(const char* firstLine, const char* secondLine);

// Executes the host's "SAVE" command. Returns the host's result, 0 meaning
// the object was saved over its file.
int32_t executeHostSave();

// Executes the host's "LOAD" command (looked up by lookupHostLoad) with the
// object file `path`. Returns the host's result, 0 meaning loaded.
int32_t executeHostLoad(const char* path);

#endif  // QK_SAVE_SAVE_FLOW_H_
