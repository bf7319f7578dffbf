// The backup namer where Windows stops earlier: '*' and '?' in names, a
// file name of 264 characters, and folders beyond 260 characters, which
// POSIX allows and the Win32 ANSI calls do not.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/backup_namer_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// Windows allows neither '*' nor '?' in a file name.
TEST_F(BackupNamerTest, GlobCharactersInTheBaseAreNoWildcards) {
  runCases({
      {"'*' in the base is no wildcard", {0, 3, 1, false}, "Ro*t.lwo",
       {"Ro*t_001.lwo", "Robot_005.lwo", "RoXt_007.lwo"}, "Ro*t_002.lwo", {"RoXt_007.lwo", "Robot_005.lwo"}},
      {"'?' in the base is no wildcard", {0, 3, 1, false}, "R?t.lwo", {"R?t_001.lwo", "Rot_004.lwo"},
       "R?t_002.lwo", {"Rot_004.lwo"}},
  });
}

// The longest global name is the one whose backup name has 255 characters.
TEST_F(BackupNamerTest, GlobalNameLengthLimitIs255) {
  std::string longest(246, 'g');
  std::string folder = makeFolder({});
  const char* result = name(folder, "Robot.lwo", {3, 1, 1, true, true, longest.c_str()});
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(fs::path(result).filename().string(), longest + ".bak1.lwo");
  std::string tooLong(256, 'g');
  EXPECT_EQ(name(folder, "Robot.lwo", {3, 1, 1, true, true, tooLong.c_str()}), nullptr);
  EXPECT_EQ(refusal_.cause, kNamingNameTooLong);
}

TEST_F(BackupNamerTest, PathsThatDoNotFitFailBeforeAnyDeletion) {
  // A real folder whose path leaves no room for the result.
  std::string deep = "backups";
  while (scratch_.size() + deep.size() <= BACKUP_PATH_UNITS) deep += "/" + std::string(100, 'd');
  std::string folder = makeFolder({"Robot_001.lwo"}, deep);
  EXPECT_EQ(name(folder, "Robot.lwo", {0, 3, 1, false}), nullptr);
  EXPECT_EQ(listFolder(folder), std::vector<std::string>{"Robot_001.lwo"});

  // The result fits, but the path of a backup to prune does not.
  std::string middle = "backups";
  while (scratch_.size() + middle.size() < 300) middle += "/" + std::string(50, 'm');
  std::string longBackup = "R_" + std::string(220, '0') + "1.lwo";
  folder = makeFolder({longBackup}, middle);
  EXPECT_EQ(name(folder, "R.lwo", {0, 3, 1, false}), nullptr);
  EXPECT_EQ(listFolder(folder), std::vector<std::string>{longBackup});
  // Without a limit nothing is pruned, so the name is formed.
  EXPECT_NE(name(folder, "R.lwo", {0, 3, 0, false}), nullptr);
}

}  // namespace
}  // namespace qktest
