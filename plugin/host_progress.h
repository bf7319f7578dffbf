// The host's progress monitor as the archive code's progress: the shell
// hands hostMonitorProgress to the flows, which pass it to the archive
// writers and readers.
//
// The monitor lives in hostServices.activeMonitor from Begin to End. A
// host without the dynamic monitor service, or one that gives no monitor,
// simply shows no progress and is never cancelled.
//
// The host adds up the amounts given to its monitor's step and expects them
// to reach the total given to init; both are 32-bit. So this module keeps
// the work done so far and passes only the increase, and scales a total
// above 32 bits (and every position with it) down by a power of two.
#ifndef QK_PLUGIN_HOST_PROGRESS_H_
#define QK_PLUGIN_HOST_PROGRESS_H_

#include "archive/archive_progress.h"

// Begin shows the monitor "QK_RevKeeper" / text unless one is open
// already; End finishes and destroys it. The user cancels with the
// monitor's abort button.
extern const IArchiveProgress hostMonitorProgress;

#endif  // QK_PLUGIN_HOST_PROGRESS_H_
