// The POSIX platform layer: directory search order and matching, and the
// reading and copying that backups rely on.
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

// Copies the file `source` into a new file `target`; returns the result.
int copyFile(const std::string& source, const std::string& target) {
  PlatformFile* in = platformOpenRead(source.c_str());
  PlatformFile* out = platformCreate(target.c_str(), kPlatformCreateExclusive);
  int copied = in != nullptr && out != nullptr && platformCopyInto(in, out);
  platformClose(in);
  return platformClose(out) && copied;
}

TEST_F(PlatformTest, CopyGivesTheSourcesBytesTimeAndNoWiderAccess) {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7);  // more than one buffer
  std::string source = dir_ + "/source.lwo";
  writeFile(source, bytes);
  fs::last_write_time(source, fs::file_time_type::clock::now() - std::chrono::hours(30));
  ASSERT_EQ(chmod(source.c_str(), 0640), 0);
  std::string target = dir_ + "/copy.lwo";
  ASSERT_EQ(copyFile(source, target), 1);
  EXPECT_EQ(readFile(target), bytes);
  EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(source));
  struct stat status;
  ASSERT_EQ(stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777 & ~0640u, 0u) << "no access the source denies";
}

TEST_F(PlatformTest, OpenReadTakesRegularFilesOnlyAndNeverWaits) {
  fs::create_directory(dir_ + "/folder");
  ASSERT_EQ(mkfifo((dir_ + "/fifo").c_str(), 0600), 0);  // opening it to read would wait for a writer
  writeFile(dir_ + "/file", "x");
  struct {
    std::string path;
    bool opens;
  } cases[] = {
      {dir_ + "/file", true},  {"/proc/self/status", true}, {dir_ + "/missing", false},
      {dir_ + "/folder", false}, {dir_ + "/fifo", false},   {"/dev/null", false},
  };
  for (const auto& c : cases) {
    PlatformFile* file = platformOpenRead(c.path.c_str());
    EXPECT_EQ(file != nullptr, c.opens) << c.path;
    platformClose(file);
  }
}

TEST_F(PlatformTest, CopyOfAFileTheKernelCannotCopyInPlace) {
  // Pseudo-files report a size of 0; the copy must still take every byte.
  std::string target = dir_ + "/status";
  ASSERT_EQ(copyFile("/proc/self/status", target), 1);
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
