// Saves killed part-way (a child process that ends at a chosen platform
// call), one object saved by two hosts at once (a second qkhost process),
// and hosts racing each other save after save: fork and the shell are
// POSIX's.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <new>
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

// Where racing hosts meet, in memory the host processes share: each
// save's first publish waits until every host is about to publish, so they
// publish the numbers they planned at one moment; a host whose name was
// taken there goes on only once a backup was removed (or 20 ms later), as
// a host held up at that moment would.
struct StartingLine {
  std::atomic<int> arrived;
  std::atomic<int> round;
  std::atomic<int> removals;  // backups removed by any host
};
StartingLine* startingLine = nullptr;
int racingHosts = 0;
bool holdNewPlans = false;  // backups are removed as unchanged
bool atTheLine = false;     // this host's save has yet to publish
int justPublished = -1;     // the removals seen when the publish before this call was tried; -1: none

// Waits until `done` holds, or `milliseconds` have passed, so that a host
// that stopped early holds the others up no longer.
template <typename Done>
void waitUntil(Done done, int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done() && std::chrono::steady_clock::now() < end) usleep(10);
}

void awaitTheOthers() {
  int round = startingLine->round.load();
  if (startingLine->arrived.fetch_add(1) + 1 == racingHosts) {
    startingLine->arrived = 0;
    ++startingLine->round;
    return;
  }
  waitUntil([round] { return startingLine->round.load() != round; }, 2000);
}

PlatformError racingHook(PlatformOperation operation) {
  int seen = justPublished;
  justPublished = -1;
  if (operation == kPlatformOpOpenRead) atTheLine = true;  // the backup's reading starts a save
  if (operation == kPlatformOpDelete) ++startingLine->removals;
  if (operation != kPlatformOpClose && seen >= 0 && holdNewPlans)  // the name was taken
    waitUntil([seen] { return startingLine->removals.load() != seen; }, 20);
  if (operation == kPlatformOpPublish && atTheLine) {
    atTheLine = false;
    awaitTheOthers();
    justPublished = startingLine->removals.load();
  }
  return kPlatformOk;
}

// Hosts in processes of their own save one object over and over, each
// save publishing at the moment the others do, so that they keep planning
// the same numbers: one host's backup takes the name another planned, and
// with "Skip Unchanged Saves" it is removed again before the other plans
// anew, so names are taken and freed. No save may fail while a free number
// exists: 600 saves in each case.
TEST(RacingHostsTest, NoSaveFailsWhileAFreeNumberExists) {
  constexpr int kSaves = 600;  // shared among the hosts
  struct {
    int hosts;
    bool skipUnchanged;
  } cases[] = {{2, true}, {3, true}, {3, false}};
  for (const auto& r : cases) {
    SCOPED_TRACE(std::to_string(r.hosts) + " hosts" + (r.skipUnchanged ? ", skip unchanged" : ""));
    SaveCase c = {IncrementalSave, 0, 0, false};
    configureProfiles(c);
    incrementalProfile().skipUnchanged = r.skipUnchanged;
    // The race is in naming and publishing, not in flushing: the hosts save
    // in a folder in memory where there is one, where a flush costs nothing.
    const char* tmpdir = getenv("TMPDIR");
    const std::string before = tmpdir != nullptr ? tmpdir : "";
    if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
    World world(c, "");
    tmpdir != nullptr ? setenv("TMPDIR", before.c_str(), 1) : unsetenv("TMPDIR");
    void* shared = mmap(nullptr, sizeof(StartingLine), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    startingLine = new (shared) StartingLine{{0}, {0}, {0}};
    racingHosts = r.hosts;
    holdNewPlans = r.skipUnchanged;
    std::vector<pid_t> hosts;
    for (int h = 0; h < r.hosts; ++h) {
      pid_t child = fork();
      if (child == 0) {
        platformFaultHook = racingHook;
        int failed = 0;
        for (int k = 0; k < kSaves / r.hosts; ++k) {
          world.save(0);  // the object as it stands: every save changes nothing
          failed += !world.host().messages().empty() || world.hostSaves() != 1;
        }
        _exit(failed > 254 ? 254 : failed);
      }
      hosts.push_back(child);
    }
    for (pid_t host : hosts) {
      int status = 0;
      ASSERT_EQ(waitpid(host, &status, 0), host);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed saves: " << WEXITSTATUS(status);
    }
    munmap(shared, sizeof(StartingLine));
  }
}

}  // namespace
}  // namespace qktest
