// The POSIX platform layer: directory search order and matching, and the
// copy that backups rely on.
#include <gtest/gtest.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>

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
  // Returns the names a search for `namePattern` in the folder delivers, in
  // order, with "/" after directories; sets `*error`.
  std::vector<std::string> search(const std::string& namePattern, PlatformError* error) {
    std::vector<std::string> names;
    PlatformFindData data;
    PlatformSearch* s = platformFindFirst((dir_ + "/" + namePattern).c_str(), &data, error);
    if (s == nullptr) return names;
    do {
      names.push_back(std::string(data.name) + ((data.attributes & PLATFORM_ATTRIBUTE_DIRECTORY) ? "/" : ""));
    } while (platformFindNext(s, &data));
    platformFindClose(s);
    return names;
  }

  ScratchFolder scratch_{"qk_platform"};
  const std::string& dir_ = scratch_.path();
};

TEST_F(PlatformTest, SearchMatchesAndOrdersLikeAnNtfsFolder) {
  for (const char* name : {"robot_2.lwo", "Robot_1.lwo", "ROBOT_1.lwo", "RobotA.lwo", "Robot.lwo", "Robot[1].lwo",
                           "Ro?ot.lwo", "Robot_1.lwo.bak", "Other.lwo"})
    writeFile(dir_ + "/" + name, name);
  fs::create_directory(dir_ + "/Robot_3.lwo");
  struct {
    const char* pattern;
    std::vector<std::string> expected;
  } cases[] = {
      // '[' (0x5B) and '_' (0x5F) sort after letters folded to upper case;
      // names equal but for case come in byte order.
      {"Robot*.lwo",
       {"Robot.lwo", "RobotA.lwo", "Robot[1].lwo", "ROBOT_1.lwo", "Robot_1.lwo", "robot_2.lwo", "Robot_3.lwo/"}},
      {"robot_*.LWO", {"ROBOT_1.lwo", "Robot_1.lwo", "robot_2.lwo", "Robot_3.lwo/"}},
      {"Robot*", {"Robot.lwo", "RobotA.lwo", "Robot[1].lwo", "ROBOT_1.lwo", "Robot_1.lwo", "Robot_1.lwo.bak",
                  "robot_2.lwo", "Robot_3.lwo/"}},
      {"Ro?ot*", {"Ro?ot.lwo"}},        // '?' matches only itself
      {"Robot[1]*", {"Robot[1].lwo"}},  // so does '['
      {"Robot.lwo*", {"Robot.lwo"}},    // '*' matches no character too
      {"*.lwo.bak", {"Robot_1.lwo.bak"}},
  };
  for (const auto& c : cases) {
    PlatformError error = kPlatformIoError;
    EXPECT_EQ(search(c.pattern, &error), c.expected) << c.pattern;
    EXPECT_EQ(error, kPlatformOk) << c.pattern;
  }
}

TEST_F(PlatformTest, SearchTellsNoMatchFromAFolderThatCannotBeRead) {
  writeFile(dir_ + "/file", "x");
  struct {
    std::string pattern;
    PlatformError expected;
  } cases[] = {
      {dir_ + "/Nothing*.lwo", kPlatformFileNotFound},
      {dir_ + "/missing/Robot*.lwo", kPlatformPathNotFound},
      {dir_ + "/file/Robot*.lwo", kPlatformPathNotFound},
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
  struct {
    std::string source, target;
  } cases[] = {
      {dir_ + "/missing.lwo", dir_ + "/a.lwo"},
      {dir_ + "/folder", dir_ + "/b.lwo"},
      {"/proc/self/status", dir_ + "/missing/c.lwo"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platformCopyFile(c.source.c_str(), c.target.c_str()), 0) << c.source;
    EXPECT_FALSE(fs::exists(c.target)) << c.source;
  }
}

TEST_F(PlatformTest, CopyOfAFileTheKernelCannotCopyInPlace) {
  // Pseudo-files report a size of 0; the copy must still take every byte.
  std::string target = dir_ + "/status";
  ASSERT_EQ(platformCopyFile("/proc/self/status", target.c_str()), 1);
  EXPECT_NE(readFile(target).find("Name:"), std::string::npos);
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
