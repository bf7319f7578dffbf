// The backup namer on real folders: which names it recognises, which it
// prunes, the name it forms, and every way it refuses.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backups/backup_list.h"
#include "backups/save_profile.h"
#include "save/backup_namer.h"
#include "tests/backup_namer_fixture.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kExampleListing = {
    "Robot.lwo",      "Robot_001.lwo", "Robot_002.lwo",    "robot_010.LWO", "Robot_0005.lwo",
    "Robot_v2.lwo",   "Robot2.lwo",    "RobotArm_001.lwo", "Robot_12a.lwo", "Robot_003.lwo.bak"};

TEST_F(BackupNamerTest, WorkedExamples) {
  std::vector<std::string> pruned = {"Robot.lwo",    "Robot2.lwo",    "RobotArm_001.lwo", "Robot_0005.lwo",
                                     "Robot_003.lwo.bak", "Robot_12a.lwo", "Robot_v2.lwo", "robot_010.LWO"};
  std::vector<std::string> all = kExampleListing;
  std::sort(all.begin(), all.end());
  const std::vector<Case> cases = {
      {"incremental defaults", kIncrementalDefaults, "Robot.lwo", kExampleListing, "Robot_011.lwo", all},
      {"limit 3", {0, 3, 3, false}, "Robot.lwo", kExampleListing, "Robot_011.lwo", pruned},
      {"BAK defaults", kBakDefaults, "Robot.lwo",
       {"Robot.bak7.lwo", "Robot.BAK8.lwo", "Robot.bak.lwo", "Robot.8.lwo", "Robot.lwo"}, "Robot.bak9.lwo",
       {"Robot.8.lwo", "Robot.bak.lwo", "Robot.lwo"}},
      {"format 2", {2, 3, 0, false}, "Robot.lwo", {"Robot.lwo.001", "Robot.lwo.002"}, "Robot.lwo.003",
       {"Robot.lwo.001", "Robot.lwo.002"}},
      {"format 1, limit 2", {1, 3, 2, false}, "Robot.lwo",
       {"Robot.001", "Robot.002", "Robot.003", "Robot.lwo", "Robot.001.lwo"}, "Robot.004",
       {"Robot.001.lwo", "Robot.003", "Robot.lwo"}},
      {"global name, any object", {3, 1, 1, true, true}, "Car.lwo",
       {"qkincr-lwo-bak.bak3.lwo", "qkincr-lwo-bak.bak4.lwo"}, "qkincr-lwo-bak.bak5.lwo", {}},
      {"format 7, limit 2", {7, 1, 2, false}, "Robot.lwo", {"Robot_1.7z", "Robot_2.7z", "Robot_10.7z"},
       "Robot_11.7z", {"Robot_10.7z"}},
      {"BAK format 5", {5, 2, 0, true}, "Robot.lwo", {"Robot.bak01.zip", "Robot.bak1.zip", "Robot_bak02.zip"},
       "Robot.bak02.zip", {"Robot.bak01.zip", "Robot.bak1.zip", "Robot_bak02.zip"}},
  };
  runCases(cases);
}

TEST_F(BackupNamerTest, EdgeCases) {
  std::string ideographs;  // 100 characters, 300 bytes
  while (ideographs.size() < 300) ideographs += "\xE3\x83\xA2";
  const std::string ideographBackup = ideographs + ".bak1.lwo";
  std::vector<Case> cases = {
      {"empty folder", kIncrementalDefaults, "Robot.lwo", {}, "Robot_001.lwo", {}},
      {"no matching entry", kIncrementalDefaults, "Robot.lwo", {"Other_005.lwo"}, "Robot_001.lwo",
       {"Other_005.lwo"}},
      {"limit 1 prunes the one", {0, 3, 1, false}, "Robot.lwo", {"Robot_004.lwo"}, "Robot_005.lwo", {}},
      {"limit 5 keeps three", {0, 3, 5, false}, "Robot.lwo", {"Robot_001.lwo", "Robot_002.lwo", "Robot_003.lwo"},
       "Robot_004.lwo", {"Robot_001.lwo", "Robot_002.lwo", "Robot_003.lwo"}},
      {"longer than digits", kIncrementalDefaults, "Robot.lwo", {"Robot_1000.lwo"}, "Robot_1001.lwo",
       {"Robot_1000.lwo"}},
      {"token in capitals", {3, 1, 0, true}, "Robot.lwo", {"Robot.BAK3.lwo"}, "Robot.bak4.lwo", {"Robot.BAK3.lwo"}},
      {"BAK needs the token", {3, 1, 1, true}, "Robot.lwo", {"Robot.5.lwo"}, "Robot.bak1.lwo", {"Robot.5.lwo"}},
      {"incremental refuses a token", {0, 3, 1, false}, "Robot.lwo", {"Robot_bak5.lwo"}, "Robot_001.lwo",
       {"Robot_bak5.lwo"}},
      {"folders are not backups", {0, 3, 1, false}, "Robot.lwo", {"Robot_009.lwo/", "Robot_002.lwo"},
       "Robot_003.lwo", {"Robot_009.lwo"}},
      {"equal numbers: listed first goes first", {0, 3, 3, false}, "Robot.lwo",
       {"Robot_1.lwo", "Robot_001.lwo", "Robot_2.lwo"}, "Robot_003.lwo", {"Robot_1.lwo", "Robot_2.lwo"}},
      {"base ending in the separator", kIncrementalDefaults, "Robot_.lwo", {"Robot_001.lwo", "Robot__002.lwo"},
       "Robot__003.lwo", {"Robot_001.lwo", "Robot__002.lwo"}},
      {"number 0 gives 1", {0, 3, 1, false}, "Robot.lwo", {"Robot_000.lwo"}, "Robot_001.lwo", {}},
      {"digits 0 pads as 1", {0, 0, 0, false}, "Robot.lwo", {}, "Robot_1.lwo", {}},
      {"negative digits pad as 1", {0, -5, 0, false}, "Robot.lwo", {}, "Robot_1.lwo", {}},
      {"base compared without case", {0, 3, 1, false}, "ROBOT.lwo", {"robot_004.lwo"}, "ROBOT_005.lwo", {}},
      {"empty stem", {0, 3, 1, false}, ".lwo", {"_004.lwo", "001.lwo", "Robot_002.lwo"}, "_005.lwo",
       {"001.lwo", "Robot_002.lwo"}},
      {"global name the panel would refuse", {3, 1, 1, true, true, "my+name#1"}, "Robot.lwo",
       {"my+name#1.bak2.lwo"}, "my+name#1.bak3.lwo", {}},
      {"'[' in the base is no wildcard", {0, 3, 1, false}, "[ab].lwo", {"[ab]_003.lwo", "a_009.lwo"},
       "[ab]_004.lwo", {"a_009.lwo"}},
  };
  if (kCountsUnits)  // 109 units, 309 bytes
    cases.push_back({"global name past 259 bytes, within 259 units", {3, 1, 1, true, true, ideographs.c_str()},
                     "Robot.lwo", {}, ideographBackup.c_str(), {}});
  runCases(cases);
}

TEST_F(BackupNamerTest, EveryFormedNameIsRecognisedAgain) {
  for (bool bak : {false, true}) {
    for (int32_t format = 0; format <= 9; ++format) {
      std::string folder = makeFolder({});
      ProfileSetup setup = {format, 1, 2, bak};
      std::vector<std::string> formed;
      for (int save = 1; save <= 3; ++save) {
        const char* result = name(folder, "Robot.lwo", setup);
        ASSERT_NE(result, nullptr) << "format " << format << " bak " << bak;
        formed.push_back(fs::path(result).filename().string());
        std::ofstream(result) << save;
      }
      std::string where = "format " + std::to_string(format) + (bak ? " BAK: " : ": ") + formed[0];
      EXPECT_NE(formed[0].find('1'), std::string::npos) << where;
      EXPECT_NE(formed[2].find('3'), std::string::npos) << where << " ... " << formed[2];
      // Limit 2: the third save pruned the first backup.
      std::vector<std::string> kept = {formed[1], formed[2]};
      std::sort(kept.begin(), kept.end());
      EXPECT_EQ(listFolder(folder), kept) << where;
    }
  }
}

struct ErrorCase {
  const char* label;
  ProfileSetup setup;
  std::vector<std::string> files;  // all must still be there afterwards
  NamingCause cause = kNamingRefused;
  const char* highest = "";  // the backup a refusal for numbers used up names
};

// A global name whose BAK backup name "<name>.bak1.lwo" has 256 characters.
const std::string kLongGlobalNameText(247, 'g');
const char* const kLongGlobalName = kLongGlobalNameText.c_str();

TEST_F(BackupNamerTest, RefusalsListWriteAndDeleteNothing) {
  const std::vector<std::string> mixed = {"Robot_001.lwo", "Robot.bak1.lwo", "qkincr-lwo-bak.bak1.lwo"};
  const ErrorCase errors[] = {
      {"format 10", {10, 3, 1, false}, mixed},
      {"format -1", {-1, 3, 1, false}, mixed},
      {"global name none", {3, 1, 1, true, true, nullptr}, mixed},
      {"global name empty", {3, 1, 1, true, true, ""}, mixed},
      {"global name with '/'", {3, 1, 1, true, true, "../Robot"}, mixed},
      {"global name with '\\'", {3, 1, 1, true, true, "a\\Robot"}, mixed},
      {"global name with ':'", {3, 1, 1, true, true, "C:Robot"}, mixed},
      {"global name with '*'", {3, 1, 1, true, true, "*"}, mixed},
      {"global name with '<'", {3, 1, 1, true, true, "a<b"}, mixed},
      {"global name with a control character", {3, 1, 1, true, true, "Rob\tot"}, mixed},
      {"highest number 2147483647", {0, 3, 1, false}, {"Robot_001.lwo", "Robot_2147483647.lwo"},
       kNamingNumbersUsedUp, "Robot_2147483647.lwo"},
      {"numbers above 2147483647 read exactly", {0, 3, 1, false},
       {"Robot_001.lwo", "Robot_2147483648.lwo", "Robot_99999999999.lwo", "Robot_3000000000.lwo"},
       kNamingNumbersUsedUp, "Robot_99999999999.lwo"},
      {"BAK number above 2147483647", {3, 1, 1, true}, {"Robot.bak2147483648.lwo"}, kNamingNumbersUsedUp,
       "Robot.bak2147483648.lwo"},
      {"digits wider than a path", {0, 600, 1, false}, {"Robot_001.lwo"}, kNamingNameTooLong},
      {"name of 256 characters", {3, 1, 1, true, true, kLongGlobalName}, mixed, kNamingNameTooLong},
  };
  for (const ErrorCase& e : errors) {
    std::string folder = makeFolder(e.files);
    EXPECT_EQ(name(folder, "Robot.lwo", e.setup), nullptr) << e.label;
    EXPECT_EQ(refusal_.cause, e.cause) << e.label;
    EXPECT_EQ(refusal_.highestBackup, *e.highest ? folder + kSeparator + e.highest : "") << e.label;
    std::vector<std::string> all = e.files;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(listFolder(folder), all) << e.label;
  }
}

// The list hands each number over as its name writes it, beyond 32 bits too.
TEST_F(BackupNamerTest, FoundBackupsKeepTheirDigitsAsWritten) {
  std::string folder = makeFolder({"Robot_0031.lwo", "Robot_99999999999.lwo", "Robot_2147483648.lwo"});
  BackupList list;
  SaveProfile profile;
  ASSERT_TRUE(findBackups(folder.c_str(), "Robot.lwo", profile, &list, nullptr));
  std::vector<std::string> digits;
  for (const BackupEntry* e = list.first(); e != nullptr; e = e->next) digits.push_back(e->digits);
  EXPECT_EQ(digits, (std::vector<std::string>{"0031", "2147483648", "99999999999"}));
}

// A pinned backup is no backup to any format or kind: a save keeping one
// backup deletes it under none, its own series numbers on above it, and
// taking the mark out gives back the name it had.
TEST_F(BackupNamerTest, PinnedNamesAreRecognisedByNoFormat) {
  std::vector<ProfileSetup> setups;
  for (int32_t format = 0; format <= 9; ++format) {
    setups.push_back({format, 3, 1, false});
    setups.push_back({format, 1, 1, true});
    setups.push_back({format, 1, 1, true, true});
  }
  for (const ProfileSetup& pinnedBy : setups) {
    const std::string label = "pinned from format " + std::to_string(pinnedBy.format) + (pinnedBy.bak ? " BAK" : "") +
                              (pinnedBy.useGlobal ? " global" : "");
    ASSERT_NE(name(makeFolder({}), "Robot.lwo", pinnedBy), nullptr) << label;
    const std::string backup = std::filesystem::path(plan_.path).filename().string();
    char pinned[BACKUP_PATH_SIZE], unpinned[BACKUP_PATH_SIZE];
    ASSERT_TRUE(formPinnedName(pinned, backup.c_str())) << label;
    ASSERT_TRUE(unpinnedNameOf(unpinned, pinned)) << label << ": " << pinned;
    EXPECT_EQ(std::string(unpinned), backup) << label;
    EXPECT_FALSE(unpinnedNameOf(unpinned, backup.c_str())) << label;
    if (std::string(pinned) != backup + PINNED_MARK) {  // the mark where no pin puts it
      EXPECT_FALSE(unpinnedNameOf(unpinned, (backup + PINNED_MARK).c_str())) << label;
    }
    for (const ProfileSetup& saver : setups) {
      std::string folder = makeFolder({pinned});
      ASSERT_NE(name(folder, "Robot.lwo", saver), nullptr) << label << ", saved by format " << saver.format;
      EXPECT_TRUE(plan_.prune.empty()) << label << ": " << pinned << ", saved by format " << saver.format;
      bool sameSeries = saver.format == pinnedBy.format && saver.bak == pinnedBy.bak && saver.useGlobal == pinnedBy.useGlobal;
      if (sameSeries) {
        EXPECT_EQ(plan_.number, 2) << label << ": the pinned number is not taken again";
      }
    }
  }
}

TEST_F(BackupNamerTest, MissingFolderFails) {
  EXPECT_EQ(name(scratch_ + kSeparator + "missing", "Robot.lwo", kIncrementalDefaults), nullptr);
}

// --- BackupList ---------------------------------------------------------------

std::vector<std::string> namesOf(const BackupList& list) {
  std::vector<std::string> names;
  for (const BackupEntry* e = list.first(); e != nullptr; e = e->next) names.push_back(e->name);
  return names;
}

TEST(BackupListTest, InsertSortedKeepsNumberOrderAndInsertionOrderOfTies) {
  struct ListCase {
    std::vector<int32_t> numbers;  // entry i is named "e<i>"
    std::vector<std::string> expected;
  } cases[] = {
      {{}, {}},
      {{3, 1, 2}, {"e1", "e2", "e0"}},
      {{1, 1, 0, 1}, {"e2", "e0", "e1", "e3"}},
      {{5, 4, 3}, {"e2", "e1", "e0"}},
      {{2, 7, 2, 5, 2}, {"e0", "e2", "e4", "e3", "e1"}},
  };
  for (const ListCase& c : cases) {
    BackupList list;
    for (size_t i = 0; i < c.numbers.size(); ++i)
      list.insertSorted(std::make_unique<BackupEntry>(c.numbers[i], ("e" + std::to_string(i)).c_str()),
                        compareEntries);
    std::string input = ::testing::PrintToString(c.numbers);
    EXPECT_EQ(namesOf(list), c.expected) << input;
    EXPECT_EQ(list.count(), static_cast<int32_t>(c.numbers.size())) << input;
    // Every link back matches the link forward.
    for (const BackupEntry* e = list.first(); e != nullptr && e->next != nullptr; e = e->next) {
      EXPECT_EQ(e->next->previous, e) << input;
    }
  }
}

TEST(BackupListTest, PushFrontPushBackAndTakeFirst) {
  BackupList list;
  list.pushBack(std::make_unique<BackupEntry>(1, "b"));
  list.pushFront(std::make_unique<BackupEntry>(9, "a"));
  list.pushBack(std::make_unique<BackupEntry>(0, "c"));
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.takeFirst()->name, "a");
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(list.first()->previous, nullptr);
  EXPECT_EQ(list.takeFirst()->name, "b");
  EXPECT_EQ(list.takeFirst()->name, "c");
  EXPECT_EQ(list.takeFirst(), nullptr);
  EXPECT_EQ(list.count(), 0);
  list.pushFront(std::make_unique<BackupEntry>(4, "d"));  // the list works again after emptying
  EXPECT_EQ(namesOf(list), std::vector<std::string>{"d"});
}

TEST(BackupListTest, CompareEntriesNeverOverflows) {
  struct {
    int32_t a, b, sign;
  } cases[] = {{5, 3, 1}, {3, 5, -1}, {4, 4, 0}, {INT32_MAX, INT32_MIN, 1}, {INT32_MIN, INT32_MAX, -1}, {0, INT32_MAX, -1}};
  for (const auto& c : cases) {
    int32_t d = compareEntries(BackupEntry(c.a, "a"), BackupEntry(c.b, "b"));
    EXPECT_EQ((d > 0) - (d < 0), c.sign) << c.a << " - " << c.b;
  }
  EXPECT_EQ(compareEntries(BackupEntry(10, "a"), BackupEntry(3, "b")), 7);
}

}  // namespace
}  // namespace qktest
