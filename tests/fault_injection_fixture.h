// The world of the fault tests: an object saved the k-th time, the save
// cases, the profiles they configure, and a folder with a host in which a
// save runs in-process (fault_injection_test.cc, and
// fault_injection_posix_test.cc for killed saves and a second process).
#ifndef QK_TESTS_FAULT_INJECTION_FIXTURE_H_
#define QK_TESTS_FAULT_INJECTION_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "plugin/command.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"
#include "settings/settings_file.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/scratch_folder.h"

namespace qktest {


// The object file as the host saved it the k-th time (0: before the first
// save). Two reads of the zip writer's 64 KiB buffer.
inline std::string state(int k) { return randomBytes(70000, 100 + static_cast<unsigned>(k)); }

// One save: the kind, the name format, how many saves came before it, and
// whether the file system makes unnamed files (else every new file has a
// staging name). Both kinds keep at most two backups, so the third save
// prunes one.
struct SaveCase {
  SaveKind kind;
  int32_t format;
  int earlier;  // 0 (the backup folder is created) or 2
  bool named;
};

inline std::string describe(const SaveCase& c) {
  return std::string(c.kind == BakSave ? "BAK" : "incremental") + " format " + std::to_string(c.format) +
         " after " + std::to_string(c.earlier) + " saves" + (c.named ? ", staging names" : "");
}

inline void configureProfiles(const SaveCase& c) {
  SaveProfile& incremental = incrementalProfile();
  BakSaveProfile& bak = bakProfile();
  incremental.reset();
  bak.reset();
  bak.useGlobalName = 0;
  for (SaveProfile* profile : {&incremental, static_cast<SaveProfile*>(&bak)}) {
    profile->nameFormat = c.format;
    profile->maxFiles = 2;
    profile->compressionLevel = 0;
  }
}

// A folder holding the object Robot.lwo and its backup folder, with a host
// whose object it is.
class World {
 public:
  World(const SaveCase& c, const std::string& copyOf) : case_(c) {
    if (!copyOf.empty())
      for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(copyOf))
        std::filesystem::copy(entry.path(), std::filesystem::path(folder_.path()) / entry.path().filename(),
                              std::filesystem::copy_options::recursive);
    object_ = folder_.path() + kSeparator + "Robot.lwo";
    if (copyOf.empty()) writeFile(object_, state(0));
    host_.setObjectPath(object_);
  }

  // Runs the save flow of `kind` (the case's own by default) in-process,
  // the host holding the next state.
  void save(int saveNumber) { saveAs(case_.kind, saveNumber); }
  void saveAs(SaveKind kind, int saveNumber) {
    host_.clearRecords();
    savesBefore_ = host_.saveCount();
    host_.setObjectBytes(state(saveNumber));
    ASSERT_EQ(acquireHostServices(host_.globalFunction(), host_.commandInterface(), 0, kHostTextCodePage), 1);
    runSaveFlow(kind, 1, &hostMonitorProgress);
  }

  // Runs the whole command in-process (the settings load included), the
  // host holding state `saveNumber`.
  void activate(int saveNumber) {
    host_.setObjectBytes(state(saveNumber));
    runCommand(host_.globalFunction(), host_.commandInterface(), case_.kind == BakSave ? kBakCommand : kIncrementalCommand,
               kHostTextCodePage);
  }

  // Gives the host a settings file in the world's folder that keeps 5 BAK
  // backups, and makes those five in a session of their own (states 1 to
  // 5). Returns the file's path; the next activation starts a new session.
  std::string keepFiveBakBackups() {
    host_.setFolder(HOST_FOLDER_SETTINGS, folder_.path());
    const std::string file = folder_.path() + kSeparator + "qk_revkeeper.cfg";
    writeFile(file, std::string("INSV\1\0\0\0BLIM\4\0\0\0\5\0\0\0", 20));
    firstActivation = 1;
    for (int k = 1; k <= 5; ++k) activate(k);
    firstActivation = 1;
    host_.clearRecords();
    return file;
  }

  std::string backupFolder() const {
    return folder_.path() + kSeparator + (case_.kind == BakSave ? ".bak_save" : ".incr_save");
  }
  const std::string& folder() const { return folder_.path(); }
  const std::string& object() const { return object_; }
  qkhost::StandInHost& host() { return host_; }
  // The times the host saved the object in the last save().
  int hostSaves() const { return host_.saveCount() - savesBefore_; }

 private:
  SaveCase case_;
  ScratchFolder folder_{"qk_fault"};
  std::string object_;
  qkhost::StandInHost host_;
  int savesBefore_ = 0;
};

// The bytes a backup file holds: the file itself, or its archive's entry.
inline std::string backupContents(const std::string& path, int32_t format) {
  if (format <= 3) return readFile(path);
  if (format <= 6) return unzipMember(path, "Robot.lwo");
  return sevenZipContent(path);
}

// The name of the backup numbered `k` by the profiles of configureProfiles.
inline std::string backupName(const SaveCase& c, int k) {
  static const char* const extensions[] = {".lwo", "", "", ".lwo", ".zip", ".zip", "", ".7z", ".7z", ""};
  return "Robot_00" + std::to_string(k) + extensions[c.format];
}

}  // namespace qktest

#endif  // QK_TESTS_FAULT_INJECTION_FIXTURE_H_
