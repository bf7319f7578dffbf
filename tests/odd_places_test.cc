// Saves with odd object names and in odd backup folders, driven in-process:
// paths at the buffer bounds, bytes beyond ASCII, spaces, leading dots and
// glob characters in names, and a folder crowded with other files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "save/backup_namer.h"
#include "tests/odd_places_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// Returns a folder below `base` whose path is exactly `length` characters,
// made of levels of at most 200 characters.
std::string folderOfLength(const std::string& base, size_t length) {
  std::string folder = base;
  while (folder.size() + 201 < length) folder += "/" + std::string(200, 'd');
  folder += "/" + std::string(length - folder.size() - 1, 'e');
  fs::create_directories(folder);
  return folder;
}

// The namer's result buffer holds 519 characters: a backup path of 519 is
// formed, one of 520 or 521 is not, and then nothing is pruned.
TEST_F(OddPlacesTest, BackupPathsAtTheNamersBound) {
  const std::string backup = "/Robot_002.lwo";
  struct {
    size_t pathLength;
    bool formed;
  } cases[] = {{518, true}, {519, true}, {520, false}, {521, false}};
  SaveProfile profile;
  profile.digits = 3;
  profile.maxFiles = 1;
  for (const auto& c : cases) {
    std::string folder = folderOfLength(scratch() + "/" + std::to_string(c.pathLength), c.pathLength - backup.size());
    writeFile(folder + "/Robot_001.lwo", "first");
    const char* name = nextBackupName(folder.c_str(), "Robot.lwo", profile);
    EXPECT_EQ(name != nullptr, c.formed) << c.pathLength;
    EXPECT_EQ(std::string(name != nullptr ? name : ""), c.formed ? folder + backup : "") << c.pathLength;
    EXPECT_EQ(fs::exists(folder + "/Robot_001.lwo"), !c.formed) << c.pathLength << ": pruned only when formed";
  }
}

// An object path of up to 259 characters (one Windows path with its
// terminator) is backed up and saved; 260 is refused (see the save flow's
// own tests). The backup folder's own path may then run past 260.
TEST_F(OddPlacesTest, ObjectPathsJustWithinOnePath) {
  configure(0, 0);
  for (size_t length : {258u, 259u}) {
    std::string folder = folderOfLength(scratch() + "/" + std::to_string(length), length - 10);
    std::string object = openObject(folder.substr(scratch().size() + 1) + "/Robot.lwo", "state");
    ASSERT_EQ(object.size(), length);
    EXPECT_EQ(save(), std::vector<std::string>{}) << length;
    EXPECT_EQ(readFile(folder + "/.incr_save/Robot_001.lwo"), "state") << length;
    EXPECT_EQ(readFile(object), "next state") << length;
  }
}

// Names are bytes: nothing beyond ASCII is folded, and '[' in a name
// stands for itself, so a file that a glob would take for a backup is
// neither counted nor pruned. ('*' and '?' in odd_places_posix_test.cc:
// Windows allows neither in a file name.)
TEST_F(OddPlacesTest, OddObjectNamesKeepTheirOwnSeries) {
  const OddName cases[] = {
      {"R\xC3\xB6" "bot.lwo", "R\xC3\x96" "bot_001.lwo"},  // UTF-8 o-umlaut; the capital is another byte
      {"R\xE9sum\xE9.lwo", "R\xC9sum\xC9_001.lwo"},      // Latin-1 e-acute
      {"My Robot v2.lwo", "My Robot v2 _001.lwo"},
      {".Robot.lwo", "Robot_001.lwo"},
      {".lwo", "x_001.lwo"},  // the stem is empty: every "_N.lwo" and nothing else
      {"R[ab]t.lwo", "Rat_001.lwo"},
  };
  for (int32_t format : {0, 4, 7})
    for (const OddName& c : cases)
      expectOwnSeries(*this, c, format, inScratch("f" + std::to_string(format) + "-" + std::to_string(&c - cases)));
}

// Three backups among 3,000 other files, some of which the search pattern
// takes too: the next number follows the highest backup, and only the
// oldest backup is pruned.
TEST_F(OddPlacesTest, BackupsAmongThousandsOfOtherFiles) {
  configure(0, 3);
  std::string object = openObject("Robot.lwo", "state");
  std::string backups = scratch() + "/.incr_save";
  fs::create_directories(backups);
  for (int k = 0; k < 3000; ++k) {
    const char* shapes[] = {"Robot_v%04d.lwo", "RobotArm_%04d.lwo", "Robot_%04da.lwo", "Other_%04d.lwo",
                            "Robot_%04d.lwo.txt"};
    char name[32];
    snprintf(name, sizeof name, shapes[k % 5], k);
    writeFile(backups + "/" + name, "");
  }
  for (const char* name : {"Robot_007.lwo", "Robot_0100.lwo", "robot_042.LWO"}) writeFile(backups + "/" + name, name);
  EXPECT_EQ(save(), std::vector<std::string>{});
  std::vector<std::string> left = listFolder(backups);
  EXPECT_EQ(left.size(), 3000u + 3);
  EXPECT_FALSE(fs::exists(backups + "/Robot_007.lwo")) << "the oldest is pruned";
  EXPECT_EQ(readFile(backups + "/Robot_101.lwo"), "state");
}

}  // namespace
}  // namespace qktest
