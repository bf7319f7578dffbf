// The save flow's path helpers: splitting paths, the ".lwo" check, folder
// status and the level-by-level creation of relative folders.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "backups/path_helpers.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_platform.h"

namespace {

namespace fs = std::filesystem;

std::string orNull(const char* text) { return text != nullptr ? "\"" + std::string(text) + "\"" : "null"; }

TEST(PathHelpersTest, FolderAndFileNameSplitAtTheLastSeparatorOfEitherKind) {
  const std::string longestFolder = "/" + std::string(PATH_UNITS_MAX - 7, 'f');
  const std::string longest = longestFolder + "/a.lwo";  // 259 characters: the most that fits
  struct {
    std::string path;
    const char* folder;  // null: both fail
    const char* file;
  } cases[] = {
      {"C:\\Models\\Car.lwo", "C:\\Models", "Car.lwo"},
      {"C:\\Car.lwo", "C:", "Car.lwo"},
      {"/home/artist/Robot.lwo", "/home/artist", "Robot.lwo"},
      {"/home/artist\\Robot.lwo", "/home/artist", "Robot.lwo"},
      {"C:/Models\\sub/Car.lwo", "C:/Models\\sub", "Car.lwo"},
      {"a//Car.lwo", "a/", "Car.lwo"},
      {"ab/", "ab", ""},
      {"Car.lwo", nullptr, nullptr},
      {"\\Car.lwo", nullptr, nullptr},
      {"/Car.lwo", nullptr, nullptr},
      {"", nullptr, nullptr},
      {longest, longestFolder.c_str(), "a.lwo"},
      {longest + "x", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const char* folder = folderOfPath(c.path.c_str());
    std::string folderText = orNull(folder);  // before fileNameOfPath runs
    const char* file = fileNameOfPath(c.path.c_str());
    EXPECT_EQ(folderText, orNull(c.folder)) << "path " << c.path;
    EXPECT_EQ(orNull(file), orNull(c.file)) << "path " << c.path;
  }
  EXPECT_EQ(folderOfPath(nullptr), nullptr);
  EXPECT_EQ(fileNameOfPath(nullptr), nullptr);
}

TEST(PathHelpersTest, LwoExtensionIsCaseBlind) {
  struct {
    const char* name;
    int expected;
  } cases[] = {
      {"Car.lwo", 1},  {"Car.LWO", 1}, {"Car.lWo", 1},     {".lwo", 1},   {"C:\\Models\\Car.LWO", 1},
      {"lwo", 0},      {"", 0},        {"Car.lwo.bak", 0}, {"Car.lw", 0}, {"Car_lwo", 0},
      {"Car.lwoo", 0}, {nullptr, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(platformEndsWithIgnoringCase(c.name, ".lwo"), c.expected) << orNull(c.name);
}

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(base_ + "/file") << "x"; }
  qktest::ScratchFolder scratch_{"qk_paths"};
  const std::string& base_ = scratch_.path();
};

TEST_F(FolderTest, IsDirectory) {
  EXPECT_EQ(isDirectory(base_.c_str()), 1);
  EXPECT_EQ(isDirectory((base_ + "/file").c_str()), 0);
  EXPECT_EQ(isDirectory((base_ + "/missing").c_str()), 0);
  EXPECT_EQ(isDirectory(nullptr), 0);
}

TEST_F(FolderTest, CreateRelativeFolders) {
  struct {
    const char* relative;
    int expected;
    const char* mustExist;  // a folder below base afterwards, or null
  } cases[] = {
      {".incr_save", 1, ".incr_save"},
      {"a/b", 1, "a/b"},
      {"a/b/c", 1, "a/b/c"},          // a and a/b exist already and pass
      {"x\\y", 1, "x/y"},             // a backslash separates levels too
      {"trail/", 1, "trail"},
      {"file", 1, nullptr},           // a file of that name counts as existing
      {"file/sub", 0, nullptr},       // nothing can be made below a file
  };
  for (const auto& c : cases) {
    EXPECT_EQ(createRelativeFolders(base_.c_str(), c.relative), c.expected) << c.relative;
    if (c.mustExist != nullptr) {
      EXPECT_TRUE(fs::is_directory(base_ + "/" + c.mustExist)) << c.relative;
    }
  }
  EXPECT_TRUE(fs::is_regular_file(base_ + "/file"));
}

TEST_F(FolderTest, TooLongForTheBufferCreatesNothing) {
  std::string relative = "first/" + std::string(512 - base_.size() - 7, 'r');  // 512 with the '/'
  EXPECT_EQ(createRelativeFolders(base_.c_str(), relative.c_str()), 0);
  EXPECT_FALSE(fs::exists(base_ + "/first"));
  relative.pop_back();  // 511: fits, but the last level is longer than a name may be
  EXPECT_EQ(createRelativeFolders(base_.c_str(), relative.c_str()), 0);
  EXPECT_TRUE(fs::is_directory(base_ + "/first"));
}

TEST(PathHelpersTest, ComposeRelativeFolder) {
  char out[PLATFORM_UTF8_SIZE(15)];
  EXPECT_EQ(composeRelativeFolder(out, 15, "/base", "a\\b/c"), 1);
  // The relative folder's levels are joined with the platform's separator, whichever was typed.
  EXPECT_STREQ(out, qktest::kSeparator == "/" ? "/base/a/b/c" : "/base\\a\\b\\c");
  EXPECT_EQ(composeRelativeFolder(out, 15, "C:\\x", "bak"), 1);
  EXPECT_EQ(std::string(out), "C:\\x" + qktest::kSeparator + "bak") << "the base keeps its own separators";
  EXPECT_EQ(composeRelativeFolder(out, 15, "/base", "0123456789"), 0);  // 16 units
  EXPECT_EQ(composeRelativeFolder(out, 15, "/base", "012345678"), 1);
  // Five ideographs: 11 units as Windows counts them, 21 bytes as POSIX does.
  const char* ideographs = "\xE8\xB3\x87\xE8\xB3\x87\xE8\xB3\x87\xE8\xB3\x87\xE8\xB3\x87";
  EXPECT_EQ(composeRelativeFolder(out, 15, "/base", ideographs), qktest::kCountsUnits ? 1 : 0);
}

}  // namespace
