// Pruning by age and size through the real save flow, in-process: backup
// times set by the test (a plain copy's file time, a 7z's recorded time),
// a pinned backup under every rule, and an unchanged save.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "tests/fault_injection_fixture.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

const char kPinned[] = "Robot_001 (pinned).lwo";  // 30 days old, 5 MiB

struct Existing {
  int number;   // Robot_00k.lwo
  int ageHours;
  size_t bytes;
};

struct FlowRow {
  const char* label;
  uint32_t maxFiles;
  int32_t hours, days, weeks, capMB;
  bool unchanged;  // the host saves the bytes already on disk, with "Skip Unchanged Saves"
  std::vector<Existing> existing;
  std::vector<std::string> left;  // after the save, sorted
};

void writeAged(const std::string& path, size_t bytes, int ageHours) {
  writeFile(path, std::string(bytes, 'b'));
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(ageHours));
}

TEST(PruningSaveFlowTest, EachRuleThroughTheSaveLeavesPinnedBackupsAlone) {
  const std::vector<FlowRow> rows = {
      {"count limit", 1, 0, 0, 0, 0, false, {{2, 5, 10}, {3, 1, 10}}, {kPinned, "Robot_004.lwo"}},
      {"hours", 0, 2, 0, 0, 0, false, {{2, 5, 10}, {3, 1, 10}}, {kPinned, "Robot_003.lwo", "Robot_004.lwo"}},
      {"days", 0, 0, 1, 0, 0, false, {{2, 72, 10}, {3, 49, 10}}, {kPinned, "Robot_004.lwo"}},
      {"weeks", 0, 0, 0, 1, 0, false, {{2, 400, 10}, {3, 200, 10}}, {kPinned, "Robot_004.lwo"}},
      {"cap counts neither the pinned nor the newest", 0, 0, 0, 0, 1, false, {{2, 3, 600000}, {3, 2, 600000}},
       {kPinned, "Robot_003.lwo", "Robot_004.lwo"}},
      {"an unchanged save still ages backups out", 0, 2, 0, 0, 0, true, {{2, 5, 10}, {3, 3, 10}},
       {kPinned, "Robot_003.lwo"}},
  };
  for (const FlowRow& row : rows) {
    SCOPED_TRACE(row.label);
    const SaveCase c = {IncrementalSave, 0, 0, false};
    configureProfiles(c);
    SaveProfile& profile = incrementalProfile();
    profile.maxFiles = row.maxFiles;
    profile.keepHours = row.hours;
    profile.keepDays = row.days;
    profile.keepWeeks = row.weeks;
    profile.maxTotalMB = row.capMB;
    profile.skipUnchanged = row.unchanged ? 1 : 0;
    World world(c, "");
    fs::create_directory(world.backupFolder());
    writeAged(world.backupFolder() + kSeparator + kPinned, 5 << 20, 720);
    for (const Existing& e : row.existing)
      writeAged(world.backupFolder() + kSeparator + backupName(c, e.number), e.bytes, e.ageHours);
    world.save(row.unchanged ? 0 : 1);
    EXPECT_EQ(world.hostSaves(), 1);
    EXPECT_EQ(listFolder(world.backupFolder()), row.left);
  }
  incrementalProfile().reset();
}

// A 7z backup's time is the one it records, not its file's; one that
// cannot be read has no time and is kept.
TEST(PruningSaveFlowTest, ArchiveTimesAreTheRecordedOnes) {
  const SaveCase c = {IncrementalSave, 7, 0, false};
  configureProfiles(c);
  incrementalProfile().maxFiles = 0;
  incrementalProfile().keepDays = 1;
  World world(c, "");
  fs::last_write_time(world.object(), fs::file_time_type::clock::now() - std::chrono::hours(72));
  world.save(1);  // Robot_001.7z records a state three days old
  fs::last_write_time(world.backupFolder() + kSeparator + backupName(c, 1), fs::file_time_type::clock::now());
  writeFile(world.backupFolder() + kSeparator + backupName(c, 2), "7z but damaged");
  world.save(3);
  EXPECT_EQ(listFolder(world.backupFolder()), (std::vector<std::string>{backupName(c, 2), backupName(c, 3)}));
  incrementalProfile().reset();
}

}  // namespace
}  // namespace qktest
