#include "save/backup_writer.h"

#include <stdint.h>

#include <string>
#include <utility>

#include "archive/archive_file.h"
#include "platform/staged_file.h"

namespace {

// Returns true iff nothing stands at `path` that a status query sees (a
// link to nothing does not count).
bool looksFree(const char* path) {
  int isFolder = 0;
  return platformPathStatus(path, &isFolder) == 0;
}

}  // namespace

PlatformFile* writeStagedBackup(const char* source, const BackupPlan& plan, const SaveProfile& profile,
                                DigestState* digest) {
  PlatformFile* in = platformOpenRead(source);
  if (in == nullptr) return nullptr;
  PlatformFile* staged = createStagedFile(plan.folder.c_str(), plan.stagingPrefix.c_str(), kPlatformStageNew);
  PlatformReadTap tap = digestTap(digest);
  int written = staged != nullptr &&
                (isCompressedFormat(profile.nameFormat)
                     ? archiveFile(in, source, staged, plan.path.c_str(), profile.compressionLevel, digest)
                     : platformCopyInto(in, staged, digest != nullptr ? &tap : nullptr)) &&
                platformSyncFile(staged);
  platformClose(in);  // read to its end, so closing it changes nothing
  if (written) return staged;
  platformClose(staged);  // removes it
  return nullptr;
}

bool publishStagedBackup(PlatformFile* staged, const char* objectFileName, const SaveProfile& profile,
                         BackupPlan* plan, NamingRefusal* refusal) {
  refusal->cause = kNamingOk;
  size_t blocked = 0;   // names taken by entries the namer does not count
  bool again = false;   // the plan's name is being tried a second time
  for (;;) {
    PlatformError error = kPlatformOk;
    if (platformPublish(staged, plan->path.c_str(), &error)) return true;
    if (error != kPlatformFileExists) return false;
    if (!again && looksFree(plan->path.c_str())) {  // taken, and freed since
      again = true;
      continue;
    }
    again = false;
    const int32_t taken = plan->number;
    if (taken == INT32_MAX) {
      refusal->cause = kNamingNumbersUsedUp;
      refusal->highestBackup = plan->path;
      return false;
    }
    BackupPlan next;
    if (!planBackupFrom(plan->folder.c_str(), objectFileName, profile, taken + 1, &next, refusal)) return false;
    // Another host's backup under the name is progress; anything else blocks it.
    if (next.highest < taken && ++blocked > next.entries + 1) return false;
    *plan = std::move(next);
  }
}
