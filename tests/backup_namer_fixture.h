// BackupNamerTest: the backup namer run on real folders made to order
// (backup_namer_test.cc, and backup_namer_posix_test.cc for names and paths
// longer than Windows allows).
#ifndef QK_TESTS_BACKUP_NAMER_FIXTURE_H_
#define QK_TESTS_BACKUP_NAMER_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "save/backup_namer.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/scratch_folder.h"

namespace qktest {

// A profile as one test wants it; useGlobal with a null globalName holds none.
struct ProfileSetup {
  int32_t format, digits;
  uint32_t maxFiles;
  bool bak;
  bool useGlobal = false;
  const char* globalName = "qkincr-lwo-bak";
};

inline const ProfileSetup kIncrementalDefaults = {0, 3, 0, false};
inline const ProfileSetup kBakDefaults = {3, 1, 1, true};

struct Case {
  const char* label;
  ProfileSetup setup;
  const char* object;
  std::vector<std::string> files;      // a trailing '/' makes a folder
  const char* result;                  // the file name formed
  std::vector<std::string> remaining;  // the folder afterwards, sorted
};

class BackupNamerTest : public ::testing::Test {
 protected:
  // Makes a fresh backup folder holding `files`, and returns it.
  std::string makeFolder(const std::vector<std::string>& files, const std::string& name = "backups") {
    std::string folder = scratch_ + kSeparator + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const std::string& f : files) {
      if (f.back() == '/') {
        std::filesystem::create_directory(folder + kSeparator + f);
      } else {
        std::ofstream(folder + kSeparator + f) << f;
      }
    }
    return folder;
  }

  // Runs the namer on `folder` with a profile built from `setup`, then
  // prunes as it planned. Returns the new backup's path, or null with the
  // reason in refusal_.
  const char* name(const std::string& folder, const char* object, const ProfileSetup& setup) {
    BakSaveProfile bak;
    SaveProfile incremental;
    SaveProfile& profile = setup.bak ? static_cast<SaveProfile&>(bak) : incremental;
    profile.nameFormat = setup.format;
    profile.digits = setup.digits;
    profile.maxFiles = setup.maxFiles;
    bak.useGlobalName = setup.useGlobal;
    bak.globalName.assign(setup.globalName);
    refusal_ = NamingRefusal();
    if (!planBackupFrom(folder.c_str(), object, profile, 1, &plan_, &refusal_)) return nullptr;
    pruneBackups(plan_);
    return plan_.path.c_str();
  }

  // Runs each case on a fresh folder and checks the name and what is left.
  void runCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      std::string folder = makeFolder(c.files);
      const char* result = name(folder, c.object, c.setup);
      ASSERT_NE(result, nullptr) << describe(c);
      EXPECT_EQ(std::string(result), folder + kSeparator + c.result) << describe(c);
      EXPECT_EQ(listFolder(folder), c.remaining) << describe(c);
    }
  }

  static std::string describe(const Case& c) {
    std::string text = std::string(c.label) + ": object " + c.object + ", format " +
                       std::to_string(c.setup.format) + ", listing";
    for (const std::string& f : c.files) text += " " + f;
    return text;
  }

  BackupPlan plan_;
  NamingRefusal refusal_;  // why name() last returned null
  ScratchFolder scratchFolder_{"qk_namer"};
  const std::string& scratch_ = scratchFolder_.path();
};

}  // namespace qktest

#endif  // QK_TESTS_BACKUP_NAMER_FIXTURE_H_
