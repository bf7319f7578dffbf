// The save command flow: back up the object as it stands on disk, then
// have the host save it over its file.
#ifndef QK_SAVE_SAVE_FLOW_H_
#define QK_SAVE_SAVE_FLOW_H_

#include "plugin/command.h"

// Runs the incremental or the BAK save of the host's current object.
// Every way out ends with releaseHostServices.
void runSaveFlow(SaveKind kind);

#endif  // QK_SAVE_SAVE_FLOW_H_
