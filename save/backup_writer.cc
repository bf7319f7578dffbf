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

// The names a backup is offered under once its planned name is taken: the
// same name once more when it was freed since, else the namer's next plan
// above the taken number.
struct NextBackupNames {
  IFreeNames vt;  // first, so that the callback finds the rest
  const char* objectFileName;
  const SaveProfile* profile;
  BackupPlan* plan;        // the plan of the name being tried
  NamingRefusal* refusal;  // why the namer refused, if it did
  size_t blocked;          // names taken by entries the namer does not count
  bool again;              // the plan's name is being tried a second time
};

int nextBackupName(IFreeNames* p, std::string* path) {
  NextBackupNames* n = reinterpret_cast<NextBackupNames*>(p);
  BackupPlan* plan = n->plan;
  if (!n->again && looksFree(plan->path.c_str())) {  // taken, and freed since
    n->again = true;
    return 1;
  }
  n->again = false;
  const int32_t taken = plan->number;
  if (taken == INT32_MAX) {
    n->refusal->cause = kNamingNumbersUsedUp;
    n->refusal->highestBackup = plan->path;
    return 0;
  }
  BackupPlan next;
  if (!planBackupFrom(plan->folder.c_str(), n->objectFileName, *n->profile, taken + 1, &next, n->refusal)) return 0;
  // Another host's backup under the name is progress; anything else blocks it.
  if (next.highest < taken && ++n->blocked > next.entries + 1) return 0;
  *plan = std::move(next);
  *path = plan->path;
  return 1;
}

}  // namespace

PlatformFile* writeStagedBackup(const char* source, const BackupPlan& plan, const SaveProfile& profile,
                                DigestState* digest, const IArchiveProgress* progress) {
  PlatformFile* in = platformOpenRead(source);
  if (in == nullptr) return nullptr;
  PlatformFile* staged = createStagedFile(plan.folder.c_str(), plan.stagingPrefix.c_str(), kPlatformStageNew);
  PlatformReadTap tap = digestTap(digest);
  int written = staged != nullptr &&
                (isCompressedFormat(profile.nameFormat)
                     ? archiveFile(in, source, staged, plan.path.c_str(), profile.compressionLevel, digest, progress)
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
  NextBackupNames names = {{nextBackupName}, objectFileName, &profile, plan, refusal, 0, false};
  std::string path = plan->path;
  return publishUnderFreeName(staged, &path, &names.vt) == 1;
}
