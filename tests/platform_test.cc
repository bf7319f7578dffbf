// The platform layer: directory search errors, the copy that backups rely
// on, and folder creation (search order and matching of names only POSIX
// allows in platform_posix_test.cc).
#include <gtest/gtest.h>
#include <errno.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/scratch_folder.h"

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

TEST_F(PlatformTest, CopyMakesANewFileWithTheSourcesBytesAndTime) {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7);  // more than one buffer
  std::string source = dir_ + "/source.lwo";
  writeFile(source, bytes);
  fs::last_write_time(source, fs::file_time_type::clock::now() - std::chrono::hours(30));
  std::string target = dir_ + "/copy.lwo";
  ASSERT_EQ(platformCopyFile(source.c_str(), target.c_str()), 1);
  EXPECT_EQ(readFile(target), bytes);
  EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(source));

  writeFile(target, "kept");
  EXPECT_EQ(platformCopyFile(source.c_str(), target.c_str()), 0) << "never overwrites";
  EXPECT_EQ(readFile(target), "kept");
}

TEST_F(PlatformTest, CopyThatCannotStartLeavesNoTarget) {
  fs::create_directory(dir_ + "/folder");
  writeFile(dir_ + "/source.lwo", "x");
  struct {
    std::string source, target;
  } cases[] = {
      {dir_ + "/missing.lwo", dir_ + "/a.lwo"},
      {dir_ + "/folder", dir_ + "/b.lwo"},
      {dir_ + "/source.lwo", dir_ + "/missing/c.lwo"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platformCopyFile(c.source.c_str(), c.target.c_str()), 0) << c.source;
    EXPECT_FALSE(fs::exists(c.target)) << c.source;
  }
}

TEST_F(PlatformTest, OthersMayReadAFileWhileItIsWritten) {
  std::string path = dir_ + kSeparator + "Robot_001.7z";
  PlatformFile* file = platformCreate(path.c_str(), kPlatformCreateTruncate);
  ASSERT_NE(file, nullptr);
  size_t size = 5;
  ASSERT_EQ(platformWrite(file, "7z...", &size), 1);
  EXPECT_EQ(readFile(path), "7z...") << "a reader is refused while the archive is written";
  EXPECT_EQ(platformClose(file), 1);
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
