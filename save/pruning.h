// Pruning: which of an object's backups go once a save has made its new
// one. A pure decision over facts the caller gathers (each backup's
// number, the time of the state it holds and its file's size) under a
// profile's count limit, keep rules and size cap; it deletes nothing.
//
// With no keep rule on, the count limit alone decides: the oldest beyond
// the newest maxFiles go. With a keep rule on, a backup stays when the
// count limit keeps it (the newest maxFiles, none when there is no limit),
// a keep rule keeps it, it is the newest, or its time cannot be read; the
// rest go. The size cap then deletes the oldest backups that are left
// until all but the newest fit in it. "Newest" and "oldest" are by number.
#ifndef QK_SAVE_PRUNING_H_
#define QK_SAVE_PRUNING_H_

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "backups/save_profile.h"

// What pruning weighs of one backup.
struct BackupFacts {
  int32_t number;  // orders the series
  uint64_t time;   // FILETIME (UTC) of the state it holds; 0 when it cannot be read
  uint64_t bytes;  // the backup file's size
};

// Appends to `doomed`, in ascending order (oldest first), the indices of
// the backups of `series` that go under `profile` after a save at
// `saveTime` (a FILETIME). `series` is oldest first, its last entry the
// newest, which never goes. Local days and weeks are those
// platformLocalTimeOf gives; a time it cannot convert counts as unknown,
// and when the save's own cannot be converted, the day and week rules keep
// every backup.
void choosePrunes(const std::vector<BackupFacts>& series, const SaveProfile& profile, uint64_t saveTime,
                  std::vector<size_t>* doomed);

#endif  // QK_SAVE_PRUNING_H_
