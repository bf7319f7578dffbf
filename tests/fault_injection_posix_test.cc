// Saves killed part-way (a child process that ends at a chosen platform
// call) and one object saved by two hosts at once (a second qkhost
// process): fork and the shell are POSIX's.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/staged_file.h"
#include "tests/fault_injection_fixture.h"
#include "tests/support/fault_plan.h"
#include "tests/support/output_file.h"

namespace qktest {
namespace {

// Where a killed save stops: the process ends at the first call of
// `killAt`; with `killNamed` the file system makes no unnamed files.
PlatformOperation killAt = kPlatformOpCount;
bool killNamed = false;

PlatformError killingHook(PlatformOperation operation) {
  if (operation == killAt) _exit(0);
  return operation == kPlatformOpCreateUnnamed && killNamed ? kPlatformIoError : kPlatformOk;
}

// A host killed while it writes a backup (a crash, a power cut) leaves
// nothing that counts: the next save keeps the good backup and takes the
// next number. What the killed save left (a staging file, when the file
// system makes no unnamed files) is removed by a save only once it is a
// few minutes old, as another system's live writer may hold it.
TEST(KilledSaveTest, LeavesNothingThatALaterSaveCountsOrKeeps) {
  struct {
    int32_t format;
    PlatformOperation killAt;
  } cases[] = {{0, kPlatformOpCopy}, {4, kPlatformOpWrite}, {7, kPlatformOpWrite}};
  for (bool named : {false, true})
    for (const auto& k : cases) {
      SaveCase c = {IncrementalSave, k.format, 0, named};
      SCOPED_TRACE(describe(c));
      configureProfiles(c);  // a limit of two
      World world(c, "");
      world.save(1);
      pid_t child = fork();
      if (child == 0) {
        killAt = k.killAt;
        killNamed = named;
        platformFaultHook = killingHook;
        world.save(2);
        _exit(1);  // not killed
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "killed where planned";
      world.save(2);
      EXPECT_EQ(world.hostSaves(), 1);
      std::vector<std::string> left = listFolder(world.backupFolder());
      if (named && !left.empty() && isStagingName(left[0].c_str(), "Robot")) left.erase(left.begin());
      EXPECT_EQ(left, (std::vector<std::string>{backupName(c, 1), backupName(c, 2)}));
      EXPECT_TRUE(backupContents(world.backupFolder() + kSeparator + backupName(c, 1), c.format) == state(0));
      EXPECT_TRUE(backupContents(world.backupFolder() + kSeparator + backupName(c, 2), c.format) == state(1));
    }
}

// The other host: a whole save of the same object by another process,
// run when this one first writes its archive.
std::string otherHostCommand;
int otherHostStatus = -1;

PlatformError otherHostHook(PlatformOperation operation) {
  if (operation == kPlatformOpWrite && otherHostStatus == -1) otherHostStatus = system(otherHostCommand.c_str());
  return kPlatformOk;
}

// Two hosts saving one object at once (two artists on one share): each
// writes a file of its own, and the second to finish takes the next number.
TEST(TwoHostsTest, SavingOneObjectAtOnceNeitherMixesNorLosesBackups) {
  for (int32_t format : {4, 7}) {
    SaveCase c = {IncrementalSave, format, 0, false};
    SCOPED_TRACE(describe(c));
    configureProfiles(c);
    World world(c, "");
    ScratchFolder settings("qk_fault");
    PlatformFile* file = createOutputFile(settings.path() + "/qk_revkeeper.cfg");
    ASSERT_EQ(writeSettings(file), 1);
    ASSERT_EQ(finishOutputFile(file, settings.path() + "/qk_revkeeper.cfg"), 1);
    otherHostCommand = std::string(QK_HOST_PATH) + " --quiet --settings " + shellQuote(settings.path()) +
                       " save " + shellQuote(world.object());
    otherHostStatus = -1;
    platformFaultHook = otherHostHook;
    world.save(1);
    platformFaultHook = nullptr;
    ASSERT_EQ(otherHostStatus, 0) << otherHostCommand;
    EXPECT_TRUE(world.host().messages().empty());
    EXPECT_EQ(world.hostSaves(), 1);
    EXPECT_EQ(listFolder(world.backupFolder()), (std::vector<std::string>{backupName(c, 1), backupName(c, 2)}));
    for (int k : {1, 2}) {
      std::string backup = world.backupFolder() + kSeparator + backupName(c, k);
      format == 4 ? expectZipTests(backup) : expectSevenZipTests(backup);
      EXPECT_TRUE(backupContents(backup, format) == state(0)) << backup;
    }
  }
}

}  // namespace
}  // namespace qktest
