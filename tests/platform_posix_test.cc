// The platform layer on what only POSIX offers: names equal but for case
// side by side, '?' in a name, and pseudo-files of /proc.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/platform_search.h"
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

TEST_F(PlatformPosixTest, CopyOfAFileTheKernelCannotCopyInPlace) {
  // Pseudo-files report a size of 0; the copy must still take every byte.
  std::string target = dir_ + "/status";
  ASSERT_EQ(platformCopyFile("/proc/self/status", target.c_str()), 1);
  EXPECT_NE(readFile(target).find("Name:"), std::string::npos);
}

}  // namespace
}  // namespace qktest
