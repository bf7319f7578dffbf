// Backups written as staged files, with the file system making unnamed
// files and without (every name staged): a failed backup leaves nothing, a
// staging file is never taken for a backup and is removed only once its
// writer is gone, and publishing never replaces what another save made.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/staged_file.h"
#include "save/backup_namer.h"
#include "save/backup_writer.h"
#include "save/save_profile.h"
#include "tests/archive_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// With `named`, the file system makes no unnamed files.
void stageNamed(FaultPlan* faults, bool named) {
  faults->failAlways(kPlatformOpCreateUnnamed, named ? kPlatformIoError : kPlatformOk);
}

// The contents of backup `path` in `format`: the file, or its archive's entry.
std::string backupHolds(const std::string& path, int32_t format) {
  if (format < 4) return readFile(path);
  if (format < 7) return runCommand("unzip -p " + shellQuote(path)).output;
  return runCommand("7zz e -so -bso0 -bse0 -bsp0 " + shellQuote(path)).output;
}

using BackupWriterTest = ScratchTest;

TEST_F(BackupWriterTest, AFailedBackupLeavesNothing) {
  struct Case {
    const char* label;
    std::function<void(const std::string& scratch)> prepare;
    const char* folder;
  } cases[] = {
      {"source is a folder", [](const std::string& s) { fs::create_directory(s + "/Box.lwo"); }, ""},
      {"source missing", [](const std::string&) {}, ""},
      {"backup folder missing", [](const std::string& s) { writeFile(s + "/Box.lwo", "box"); }, "/missing"},
      {"writes past 64 KiB fail", [](const std::string& s) { writeFile(s + "/Box.lwo", randomBytes(1 << 20)); },
       ""},
  };
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
  FaultPlan faults;
  for (bool named : {false, true})
    for (int32_t format : {0, 4, 7})
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label) + ", format " + std::to_string(format) + (named ? ", named" : ""));
        fs::remove_all(path("Box.lwo"));
        c.prepare(scratch());
        const std::vector<std::string> before = listFolder(scratch());
        stageNamed(&faults, named);
        std::string folder = scratch() + c.folder;
        BackupPlan plan = {folder, folder + "/Box_001.x", "Box", {}, {}};
        struct rlimit small = saved;
        small.rlim_cur = 65536;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        SaveProfile profile;
        profile.nameFormat = format;
        PlatformFile* staged = writeStagedBackup(path("Box.lwo").c_str(), plan, profile, nullptr);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(staged, nullptr);
        platformClose(staged);
        EXPECT_EQ(listFolder(scratch()), before);
      }
  signal(SIGXFSZ, previous);
}

TEST_F(BackupWriterTest, StagingFilesAreNoBackupsAndOnlyAbandonedOnesAreRemoved) {
  FaultPlan faults;
  stageNamed(&faults, true);
  const std::string abandoned = "Robot.qk0a1b2c3d.part";
  const std::string others = "RobotArm.qk0a1b2c3d.part";  // another object's
  SaveProfile incremental;
  BakSaveProfile bak;
  for (SaveProfile* profile : {&incremental, static_cast<SaveProfile*>(&bak)})
    for (int32_t format = 0; format <= 9; ++format) {
      SCOPED_TRACE("format " + std::to_string(format) + (profile->isBak ? ", BAK" : ""));
      profile->nameFormat = format;
      profile->maxFiles = 1;
      BackupPlan empty;
      ASSERT_TRUE(planNextBackup(scratch().c_str(), "Robot.lwo", *profile, &empty));
      writeFile(path(abandoned), "left by a killed save");
      writeFile(path(others), "left by a killed save");
      PlatformFile* live = createStagedFile(scratch().c_str(), "Robot", kPlatformStageNew);
      ASSERT_NE(live, nullptr);
      std::vector<std::string> staged = listFolder(scratch());
      ASSERT_EQ(staged.size(), 3u);

      BackupPlan plan;
      ASSERT_TRUE(planNextBackup(scratch().c_str(), "Robot.lwo", *profile, &plan));
      EXPECT_EQ(plan.path, empty.path) << "a staging file was counted";
      EXPECT_TRUE(plan.prune.empty());
      std::sort(plan.leftovers.begin(), plan.leftovers.end());
      staged.erase(std::find(staged.begin(), staged.end(), others));
      EXPECT_EQ(plan.leftovers, staged);
      removeLeftovers(plan);
      staged.erase(std::find(staged.begin(), staged.end(), abandoned));
      staged.push_back(others);
      std::sort(staged.begin(), staged.end());
      EXPECT_EQ(listFolder(scratch()), staged) << "the live one stays";
      platformClose(live);
      EXPECT_EQ(listFolder(scratch()), std::vector<std::string>{others});
    }
}

TEST_F(BackupWriterTest, ANameTakenMeanwhileIsKeptAndTheNextOneTaken) {
  FaultPlan faults;
  for (bool named : {false, true})
    for (int32_t format : {0, 4, 7}) {
      SCOPED_TRACE("format " + std::to_string(format) + (named ? ", named" : ""));
      stageNamed(&faults, named);
      fs::remove_all(path("backups"));
      fs::create_directory(path("backups"));
      writeFile(path("Box.lwo"), textBytes(100000));
      SaveProfile profile;
      profile.nameFormat = format;
      profile.digits = 3;
      BackupPlan plan;
      ASSERT_TRUE(planNextBackup(path("backups").c_str(), "Box.lwo", profile, &plan));
      PlatformFile* staged = writeStagedBackup(path("Box.lwo").c_str(), plan, profile, nullptr);
      ASSERT_NE(staged, nullptr);
      const std::string first = plan.path;
      writeFile(first, "another host's backup");
      ASSERT_TRUE(publishStagedBackup(staged, "Box.lwo", profile, &plan));
      EXPECT_EQ(platformClose(staged), 1);
      EXPECT_EQ(readFile(first), "another host's backup");
      EXPECT_EQ(fs::path(plan.path).stem().string(), "Box_002");
      EXPECT_TRUE(backupHolds(plan.path, format) == textBytes(100000));
      EXPECT_EQ(listFolder(path("backups")).size(), 2u);

      // A name the namer never counts (a folder's) stays taken: no backup.
      fs::remove(plan.path);
      fs::create_directory(plan.path);
      staged = writeStagedBackup(path("Box.lwo").c_str(), plan, profile, nullptr);
      EXPECT_FALSE(publishStagedBackup(staged, "Box.lwo", profile, &plan));
      platformClose(staged);
      EXPECT_EQ(listFolder(path("backups")).size(), 2u);
    }
}

}  // namespace
}  // namespace qktest
