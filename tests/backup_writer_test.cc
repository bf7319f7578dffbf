// Backups written as staged files, with the file system making unnamed
// files and without (every name staged): a failed backup leaves nothing, a
// staging file is never taken for a backup and is removed only once its
// writer is gone, and publishing never replaces what another save made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "platform/staged_file.h"
#include "save/backup_namer.h"
#include "save/backup_writer.h"
#include "tests/archive_test_support.h"
#include "tests/backup_writer_fixture.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// The contents of backup `path` in `format`: the file, or its archive's entry.
std::string backupHolds(const std::string& path, int32_t format) {
  if (format < 4) return readFile(path);
  if (format < 7) return unzipMember(path, "*");
  return sevenZipContent(path);
}

TEST_F(BackupWriterTest, AFailedBackupLeavesNothing) {
  struct Case {
    const char* label;
    std::function<void(const std::string& scratch)> prepare;
    const char* folder;
  } cases[] = {
      {"source is a folder", [](const std::string& s) { fs::create_directory(s + "/Box.lwo"); }, ""},
      {"source missing", [](const std::string&) {}, ""},
      {"backup folder missing", [](const std::string& s) { writeFile(s + "/Box.lwo", "box"); }, "/missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    expectFailedBackupsLeaveNothing(*this, c.prepare, c.folder);
  }
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
      NamingRefusal refusal;
      ASSERT_TRUE(planBackupFrom(scratch().c_str(), "Robot.lwo", *profile, 1, &empty, &refusal));
      writeFile(path(abandoned), "left by a killed save");
      writeFile(path(others), "left by a killed save");
      PlatformFile* live = createStagedFile(scratch().c_str(), "Robot", kPlatformStageNew);
      ASSERT_NE(live, nullptr);
      std::vector<std::string> staged = listFolder(scratch());
      ASSERT_EQ(staged.size(), 3u);

      BackupPlan plan;
      ASSERT_TRUE(planBackupFrom(scratch().c_str(), "Robot.lwo", *profile, 1, &plan, &refusal));
      EXPECT_EQ(plan.path, empty.path) << "a staging file was counted";
      EXPECT_TRUE(plan.prune.empty());
      std::sort(plan.leftovers.begin(), plan.leftovers.end());
      staged.erase(std::find(staged.begin(), staged.end(), others));
      EXPECT_EQ(plan.leftovers, staged);
      removeLeftovers(plan, UINT64_MAX);  // of any age
      staged.erase(std::find(staged.begin(), staged.end(), abandoned));
      staged.push_back(others);
      std::sort(staged.begin(), staged.end());
      EXPECT_EQ(listFolder(scratch()), staged) << "the live one stays";
      platformClose(live);
      EXPECT_EQ(listFolder(scratch()), std::vector<std::string>{others});
    }
}

// Publishing moves on to the next free name past whatever takes the
// planned one, never over it, and gives up only once more names were
// taken than the folder holds entries.
TEST_F(BackupWriterTest, ANameTakenMeanwhileIsKeptAndTheNextFreeOneTaken) {
  struct Case {
    const char* label;
    std::function<void(FaultPlan* faults, const std::string& planned)> take;
    const char* published;  // the stem of the name it takes; null: none
  } cases[] = {
      {"another host's backup", [](FaultPlan*, const std::string& p) { writeFile(p, "another host's backup"); },
       "Box_002"},
      {"a folder", [](FaultPlan*, const std::string& p) { fs::create_directory(p); }, "Box_002"},
      {"taken, then free again",
       [](FaultPlan* f, const std::string&) { f->failCall(kPlatformOpPublish, 1, kPlatformFileExists); }, "Box_001"},
      {"every name taken",
       [](FaultPlan* f, const std::string&) { f->failAlways(kPlatformOpPublish, kPlatformFileExists); }, nullptr},
  };
  FaultPlan faults;
  for (const Case& c : cases)
    for (bool named : {false, true})
      for (int32_t format : {0, 4, 7}) {
        SCOPED_TRACE(std::string(c.label) + ", format " + std::to_string(format) + (named ? ", named" : ""));
        stageNamed(&faults, named);
        fs::remove_all(path("backups"));
        fs::create_directory(path("backups"));
        writeFile(path("Box.lwo"), textBytes(100000));
        SaveProfile profile;
        profile.nameFormat = format;
        profile.digits = 3;
        BackupPlan plan;
        NamingRefusal refusal;
        ASSERT_TRUE(planBackupFrom(path("backups").c_str(), "Box.lwo", profile, 1, &plan, &refusal));
        const std::string planned = plan.path;
        PlatformFile* staged = writeStagedBackup(path("Box.lwo").c_str(), plan, profile, nullptr, &kNoArchiveProgress);
        ASSERT_NE(staged, nullptr);
        c.take(&faults, planned);
        EXPECT_EQ(publishStagedBackup(staged, "Box.lwo", profile, &plan, &refusal), c.published != nullptr);
        faults.failAlways(kPlatformOpPublish, kPlatformOk);
        EXPECT_EQ(refusal.cause, kNamingOk);
        EXPECT_EQ(platformClose(staged), 1);
        if (c.published == nullptr) {
          EXPECT_EQ(listFolder(path("backups")), std::vector<std::string>{});  // the staging file went too
          continue;
        }
        EXPECT_TRUE(plan.path == planned || !fs::is_regular_file(planned) ||
                    readFile(planned) == "another host's backup");
        EXPECT_EQ(fs::path(plan.path).stem().string(), c.published);
        EXPECT_TRUE(backupHolds(plan.path, format) == textBytes(100000));
      }
}

}  // namespace
}  // namespace qktest
