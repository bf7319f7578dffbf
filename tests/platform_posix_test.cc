// The platform layer on what only POSIX offers: names equal but for case
// side by side, '?' in a name, permissions, FIFOs and pseudo-files of
// /proc and /dev.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/staged_file.h"
#include "tests/platform_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/scratch_folder.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

class PlatformPosixTest : public ::testing::Test {
 protected:
  ScratchFolder scratch_{"qk_platform"};
  const std::string& dir_ = scratch_.path();
};

TEST_F(PlatformPosixTest, SearchMatchesAndOrdersLikeAnNtfsFolder) {
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
    EXPECT_EQ(searchNames(dir_ + "/" + c.pattern, &error), c.expected) << c.pattern;
    EXPECT_EQ(error, kPlatformOk) << c.pattern;
  }
}

TEST_F(PlatformPosixTest, CopyGivesNoWiderAccessThanTheSource) {
  std::string source = dir_ + "/source.lwo";
  writeFile(source, "bytes");
  ASSERT_EQ(chmod(source.c_str(), 0640), 0);
  std::string target = dir_ + "/copy.lwo";
  ASSERT_EQ(copyFile(source, target), 1);
  struct stat status;
  ASSERT_EQ(stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777 & ~0640u, 0u) << "no access the source denies";
}

TEST_F(PlatformPosixTest, OpenReadTakesRegularFilesOnlyAndNeverWaits) {
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

TEST_F(PlatformPosixTest, CopyOfAFileTheKernelCannotCopyInPlace) {
  // Pseudo-files report a size of 0; the copy must still take every byte.
  std::string target = dir_ + "/status";
  ASSERT_EQ(copyFile("/proc/self/status", target), 1);
  EXPECT_NE(readFile(target).find("Name:"), std::string::npos);
}

// A settings-style staged file, published, is its owner's alone.
TEST_F(PlatformPosixTest, AReplacingStagedFileIsItsOwnersAlone) {
  FaultPlan faults;
  for (bool named : {false, true}) {
    faults.failAlways(kPlatformOpCreateUnnamed, named ? kPlatformIoError : kPlatformOk);
    const std::string file = dir_ + "/settings.cfg";
    PlatformFile* staged = createStagedFile(dir_.c_str(), "settings", kPlatformStageReplace);
    ASSERT_NE(staged, nullptr) << named;
    PlatformError error = kPlatformOk;
    EXPECT_EQ(platformPublish(staged, file.c_str(), &error), 1) << named;
    platformClose(staged);
    struct stat status;
    ASSERT_EQ(stat(file.c_str(), &status), 0) << named;
    EXPECT_EQ(status.st_mode & 0777, 0600u) << named;
  }
}

}  // namespace
}  // namespace qktest
