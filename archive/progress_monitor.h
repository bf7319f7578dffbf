// The host's progress monitor while an archive is compressed or read.
//
// The monitor lives in hostServices.activeMonitor from openProgressMonitor
// to closeProgressMonitor. A host without the dynamic monitor service, or
// one that gives no monitor, simply shows no progress and never aborts.
//
// The host adds up the amounts given to its monitor's step and expects them
// to reach the total given to init; both are 32-bit. So this module keeps
// the work done so far and passes only the increase, and scales a total
// above 32 bits (and every position with it) down by a power of two.
#ifndef QK_ARCHIVE_PROGRESS_MONITOR_H_
#define QK_ARCHIVE_PROGRESS_MONITOR_H_

#include "7zTypes.h"

// Shows the monitor "QK_RevKeeper" / `text` (such as "Compressing...") for
// `total` units of work, unless one is open already, and forgets any
// earlier abort.
void openProgressMonitor(UInt64 total, const char* text);

// Moves the open monitor on to `done` units of its total (a larger value
// counts as the total; a smaller one than before moves nothing). Returns 1
// once the user has pressed the monitor's abort button, now or at an
// earlier call since the monitor was opened; else 0, also with no monitor.
int advanceProgressMonitor(UInt64 done);

// Returns 1 iff the user pressed abort since the last call of this function
// or of openProgressMonitor, and forgets it: a caller learns of each abort
// once, so a later failure of another kind is not taken for one.
int takeProgressAbort();

// Brings the open monitor to its total unless the user aborted, then
// finishes and destroys it. Does nothing when none is open.
void closeProgressMonitor();

// The encoder's progress callback: advances the open monitor to the source
// bytes consumed, and returns SZ_ERROR_PROGRESS once the user aborted, so
// that the encoder stops at its next block. The encoder calls it on the
// thread that called LzmaEnc_Encode (the host's command thread), never on
// its match finder's threads, as the host's monitor requires.
extern ICompressProgress monitorProgress;

#endif  // QK_ARCHIVE_PROGRESS_MONITOR_H_
