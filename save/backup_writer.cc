#include "save/backup_writer.h"

#include <string>

#include "archive/archive_file.h"
#include "platform/staged_file.h"

namespace {

// Names tried when others keep taking them; one is the usual.
constexpr int kPublishAttempts = 8;

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
                         BackupPlan* plan) {
  for (int attempt = 0; attempt < kPublishAttempts; ++attempt) {
    PlatformError error = kPlatformOk;
    if (platformPublish(staged, plan->path.c_str(), &error)) return true;
    const std::string taken = plan->path;
    const std::string folder = plan->folder;
    if (error != kPlatformFileExists || !planNextBackup(folder.c_str(), objectFileName, profile, plan) ||
        plan->path == taken)
      return false;
  }
  return false;
}
