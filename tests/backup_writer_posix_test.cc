// The backup writer on a disk that fills up, made with a file size limit,
// and past a symbolic link to nothing that takes a backup's name.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/backup_writer_fixture.h"
#include "tests/support/file_size_cap.h"

namespace qktest {
namespace {

TEST_F(BackupWriterTest, AFailedWriteLeavesNothing) {
  expectFailedBackupsLeaveNothing(
      *this, [](const std::string& s) { writeFile(s + "/Box.lwo", randomBytes(1 << 20)); }, "",
      [] { return std::make_shared<FileSizeCap>(65536); });  // writes past 64 KiB fail, as on a full disk
}

// The listing never shows a link to nothing, but publishing collides with
// it: the backup takes the next number, and the link stays as it was.
TEST_F(BackupWriterTest, ALinkToNothingIsPassedOver) {
  writeFile(path("Box.lwo"), "box");
  SaveProfile profile;
  BackupPlan plan;
  NamingRefusal refusal;
  ASSERT_TRUE(planBackupFrom(scratch().c_str(), "Box.lwo", profile, 1, &plan, &refusal));
  std::filesystem::create_symlink(path("nowhere"), plan.path);
  PlatformFile* staged = writeStagedBackup(path("Box.lwo").c_str(), plan, profile, nullptr, &kNoArchiveProgress);
  EXPECT_TRUE(publishStagedBackup(staged, "Box.lwo", profile, &plan, &refusal));
  platformClose(staged);
  EXPECT_EQ(std::filesystem::path(plan.path).filename().string(), "Box_2.lwo");
  EXPECT_EQ(readFile(plan.path), "box");
  EXPECT_EQ(std::filesystem::read_symlink(path("Box_1.lwo")).string(), path("nowhere"));
}

}  // namespace
}  // namespace qktest
