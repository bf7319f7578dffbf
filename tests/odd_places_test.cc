// Saves with odd object names and in odd backup folders, driven in-process:
// spaces, leading dots and glob characters in names, and a folder crowded
// with other files.
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

// Spaces, leading dots and '[' in a name: a file that a glob would take
// for a backup is neither counted nor pruned. (Names beyond ASCII and with
// '*' or '?' in odd_places_posix_test.cc: Windows folds letters beyond
// ASCII and allows neither '*' nor '?'.)
TEST_F(OddPlacesTest, OddObjectNamesKeepTheirOwnSeries) {
  const OddName cases[] = {
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
