// The open flow: the artist picks one of the object's backups and the
// host loads the object it holds, from a new file beside the object.
//
// The object being edited, its file and every backup stay as they are;
// the backup file itself is never loaded, so a later save cannot write
// over it. Every way out releases the host services.
#ifndef QK_OPEN_OPEN_FLOW_H_
#define QK_OPEN_OPEN_FLOW_H_

#include "archive/archive_progress.h"

// Runs the opening of a backup of the host's current object: refuses an
// object without a saved ".lwo" file and a host without "LOAD", else shows
// the "Open Backup" panel (with no backups, its one line is the object's
// file) and, on OK, applies the chosen action: Open writes the chosen
// backup's object beside the object and has the host load it; Pin, Unpin
// and Pin Current File work as backup_pins.h says. Any action but Pin
// Current File on the object's own line tells there is no backup. An
// archive backup shows its reading at `progress`.
void runOpenFlow(const IArchiveProgress* progress);

#endif  // QK_OPEN_OPEN_FLOW_H_
