// The platform layer: directory search errors, reading and copying, staged
// files and folder creation (what only POSIX offers in
// platform_posix_test.cc).
#include <gtest/gtest.h>
#include <errno.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/staged_file.h"
#include "tests/platform_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_platform.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

class PlatformTest : public ::testing::Test {
 protected:
  ScratchFolder scratch_{"qk_platform"};
  const std::string& dir_ = scratch_.path();
};

TEST_F(PlatformTest, SearchTellsNoMatchFromAFolderThatCannotBeRead) {
  writeFile(dir_ + "/file", "x");
  struct {
    std::string pattern;
    PlatformError expected;
  } cases[] = {
      {dir_ + "/Nothing*.lwo", kPlatformFileNotFound},
      {dir_ + "/missing/Robot*.lwo", kPlatformPathNotFound},
      // Windows answers 3 or 267 through a file; wine answers 123, "invalid name".
      {dir_ + "/file/Robot*.lwo", underWine() ? kPlatformIoError : kPlatformPathNotFound},
      {dir_ + "\\Nothing*", kPlatformFileNotFound},  // a backslash separates too
  };
  for (const auto& c : cases) {
    PlatformFindData data;
    PlatformError error = kPlatformOk;
    EXPECT_EQ(platformFindFirst(c.pattern.c_str(), &data, &error), nullptr) << c.pattern;
    EXPECT_EQ(error, c.expected) << c.pattern;
  }
}

TEST_F(PlatformTest, CopyGivesTheSourcesBytesAndTime) {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7);  // more than one buffer
  std::string source = dir_ + "/source.lwo";
  writeFile(source, bytes);
  fs::last_write_time(source, fs::file_time_type::clock::now() - std::chrono::hours(30));
  std::string seen;
  PlatformReadTap tap = {[](void* context, const void* run, size_t size) {
                           static_cast<std::string*>(context)->append(static_cast<const char*>(run), size);
                         },
                         &seen};
  const PlatformReadTap* taps[] = {nullptr, &tap};
  for (const PlatformReadTap* withTap : taps) {
    const char* name = withTap ? "with a tap" : "without";
    std::string target = dir_ + "/copy " + name + ".lwo";
    ASSERT_EQ(copyFile(source, target, withTap), 1) << name;
    EXPECT_EQ(readFile(target), bytes) << name;
    EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(source)) << name;
  }
  EXPECT_EQ(seen, bytes) << "the tap sees every byte, in order";
}

// Staged files, unnamed and named: publishing a new file never replaces,
// a settings-style file does, and a file closed unpublished leaves nothing.
TEST_F(PlatformTest, StagedFilesPublishOrVanish) {
  FaultPlan faults;
  for (bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    faults.failAlways(kPlatformOpCreateUnnamed, named ? kPlatformIoError : kPlatformOk);
    fs::remove_all(dir_ + "/d");
    fs::create_directory(dir_ + "/d");
    const std::string taken = dir_ + "/d/taken";
    writeFile(taken, "old");
    for (PlatformStageMode mode : {kPlatformStageNew, kPlatformStageReplace}) {
      PlatformFile* file = createStagedFile((dir_ + "/d").c_str(), "taken", mode);
      ASSERT_NE(file, nullptr);
      size_t size = 3;
      ASSERT_EQ(platformWrite(file, "new", &size), 1);
      PlatformError error = kPlatformOk;
      EXPECT_EQ(platformPublish(file, taken.c_str(), &error), mode == kPlatformStageReplace ? 1 : 0);
      EXPECT_EQ(error, mode == kPlatformStageReplace ? kPlatformOk : kPlatformFileExists);
      platformClose(file);
      EXPECT_EQ(readFile(taken), mode == kPlatformStageReplace ? "new" : "old");
      EXPECT_EQ(listFolder(dir_ + "/d"), std::vector<std::string>{"taken"});
    }
  }
}

// A backup's staging file, named, may be read while it is written, as an
// archive being made may be, by a reader that lets it be renamed.
TEST_F(PlatformTest, OthersMayReadAStagedFileWhileItIsWritten) {
  FaultPlan faults;
  faults.failAlways(kPlatformOpCreateUnnamed, kPlatformIoError);
  PlatformFile* file = createStagedFile(dir_.c_str(), "Robot_001", kPlatformStageNew);
  ASSERT_NE(file, nullptr);
  size_t size = 5;
  ASSERT_EQ(platformWrite(file, "7z...", &size), 1);
  std::vector<std::string> names = listFolder(dir_);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(readSharedFile(dir_ + kSeparator + names[0]), "7z...") << "a reader is refused while the file is written";
  platformClose(file);
}

// A leftover goes only when every time stamp is older than the cutoff and
// it is not read-only: another system's live writer holds no lock we see.
TEST_F(PlatformTest, RemovingAnAbandonedFileSparesFreshAndReadOnlyOnes) {
  const uint64_t later = platformCurrentFileTime() + 36000000000ull;  // in an hour: every file is older
  struct {
    const char* label;
    bool readOnly;
    uint64_t writtenBefore;
    int removed;
  } cases[] = {
      {"just written", false, abandonedBefore(), 0},
      {"older than the cutoff", false, later, 1},
      {"read-only", true, later, 0},
  };
  for (const auto& c : cases) {
    const std::string path = dir_ + kSeparator + "Robot.qk0a1b2c3d.part";
    writeFile(path, c.label);
    if (c.readOnly) fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(platformRemoveAbandoned(path.c_str(), c.writtenBefore), c.removed) << c.label;
    EXPECT_EQ(fs::exists(path), c.removed == 0) << c.label;
    if (fs::exists(path)) fs::permissions(path, fs::perms::owner_all);
    fs::remove(path);
  }
}

TEST_F(PlatformTest, MakeDirectoryReportsTheErrorNumber) {
  std::string folder = dir_ + "/new";
  EXPECT_EQ(platformMakeDirectory(folder.c_str()), 0);
  EXPECT_EQ(platformMakeDirectory(folder.c_str()), 17);
  EXPECT_EQ(platformMakeDirectory((dir_ + "/missing/new").c_str()), ENOENT);
  int isDirectory = 0;
  EXPECT_EQ(platformPathStatus(folder.c_str(), &isDirectory), 1);
  EXPECT_EQ(isDirectory, 1);
}

}  // namespace
}  // namespace qktest
