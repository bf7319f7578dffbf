// ArchiveProgress: how archive code shows the progress of its work and
// learns that the user cancelled it, without knowing who shows it.
//
// A callback struct whose functions take the struct itself as their first
// argument, so that an implementation finds its own state around it. The
// plug-in's shell fills one from the host's progress monitor; a caller
// that wants no progress passes kNoArchiveProgress.
//
// One piece of work runs at a time, on the calling thread: Begin, then
// Advance any number of times, then End.
#ifndef QK_ARCHIVE_ARCHIVE_PROGRESS_H_
#define QK_ARCHIVE_ARCHIVE_PROGRESS_H_

#include "7zTypes.h"

typedef struct IArchiveProgress IArchiveProgress;
struct IArchiveProgress {
  // Shows `text` ("Compressing...") for `total` units of work, and forgets
  // any earlier cancel.
  void (*Begin)(const IArchiveProgress* p, UInt64 total, const char* text);
  // Moves the work on to `done` units (more than the total counts as the
  // total; less than before moves nothing). Returns 1 once the user has
  // cancelled, now or earlier since Begin; else 0.
  int (*Advance)(const IArchiveProgress* p, UInt64 done);
  // Brings the work to its total unless it was cancelled, and ends it.
  void (*End)(const IArchiveProgress* p);
  // Returns 1 iff the user cancelled since Begin or the last call of
  // TakeCancel, and forgets it: a caller learns of each cancel once.
  int (*TakeCancel)(const IArchiveProgress* p);
};

// Shows nothing and is never cancelled.
extern const IArchiveProgress kNoArchiveProgress;

// The LZMA SDK's progress callback over an IArchiveProgress: advances it
// to the source bytes consumed, and answers SZ_ERROR_PROGRESS once the
// user cancelled, so that the coder stops at its next block. The encoder
// calls it on the thread that called LzmaEnc_Encode, never on its match
// finder's threads.
struct ArchiveCoderProgress {
  ICompressProgress vt;
  const IArchiveProgress* progress;
};

// Returns the coder's callback over `progress`.
ArchiveCoderProgress coderProgressOf(const IArchiveProgress* progress);

#endif  // QK_ARCHIVE_ARCHIVE_PROGRESS_H_
