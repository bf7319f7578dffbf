// The host's progress monitor while an archive is compressed or read.
//
// The monitor lives in hostServices.activeMonitor from openProgressMonitor
// to closeProgressMonitor. A host without the dynamic monitor service, or
// one that gives no monitor, simply shows no progress.
#ifndef QK_ARCHIVE_PROGRESS_MONITOR_H_
#define QK_ARCHIVE_PROGRESS_MONITOR_H_

#include "7zTypes.h"

// Shows the monitor "QK_RevKeeper" / `text` (such as "Compressing...") for
// `total` source bytes (its low 32 bits), unless one is open already.
void openProgressMonitor(UInt64 total, const char* text);

// Finishes and destroys the open monitor, if any.
void closeProgressMonitor();

// The encoder's progress callback: steps the open monitor to the running
// total of source bytes consumed. Never asks the encoder to stop. The
// encoder calls it on the thread that called LzmaEnc_Encode (the host's
// command thread), never on its match finder's threads, as the host's
// monitor requires.
extern ICompressProgress monitorProgress;

#endif  // QK_ARCHIVE_PROGRESS_MONITOR_H_
