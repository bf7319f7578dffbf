#include "backups/backup_folder.h"

#include "backups/path_helpers.h"

const char* profileDirectory(const SaveProfile& profile) {
  const char* directory = profile.directory.get();
  return directory != nullptr ? directory : "";
}

const char* backupFolderOf(const char* folder, const SaveProfile& profile, char (&composed)[kComposedFolderSize]) {
  const char* directory = profileDirectory(profile);
  if (profile.directoryMode == AbsoluteFolder) return directory;
  if (profile.directoryMode != RelativeFolder) return folder;
  return composeRelativeFolder(composed, kComposedFolderUnits, folder, directory) ? composed : nullptr;
}
