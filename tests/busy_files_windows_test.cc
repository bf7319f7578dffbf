// Saves on Windows among other programs: files they hold for a moment or
// for good, a second process that tries to delete the backup being made,
// backup paths close to MAX_PATH, and two hosts saving one object.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/platform_fault.h"
#include "tests/fault_injection_fixture.h"

namespace qktest {
namespace {

const SaveCase kCopy = {IncrementalSave, 0, 0, true};

// Runs `commandLine` as a Windows process and waits for it; returns its
// exit code, or -1 when it cannot be started.
int runProcess(std::string commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Opens `path` as another program would, sharing only `share`.
HANDLE hold(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A scanner, an indexer or the host itself holds the object or the backup
// that pruning deletes: for 300 ms (the save waits), or for the whole save
// (reading the object then fails as it always did, with nothing lost; a
// backup that cannot be deleted stays, as any failed pruning leaves it).
TEST(BusyFileTest, AFileHeldForAMomentDelaysTheSaveAndOneHeldThroughoutFailsAsBefore) {
  struct {
    const char* row;
    bool holdBackup;  // else the object
    DWORD access, share;
    int holdMs;       // 0: the whole save
    bool saved;
    std::vector<int> backups;  // after the second save
  } rows[] = {
      {"object, no sharing, 300 ms", false, GENERIC_READ, 0, 300, true, {2}},
      {"object, no sharing, whole save", false, GENERIC_READ, 0, 0, false, {1}},
      {"object open for writing, read and write shared", false, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
       0, true, {2}},
      {"pruned backup, no sharing, 300 ms", true, GENERIC_READ, 0, 300, true, {2}},
      {"pruned backup, no sharing, whole save", true, GENERIC_READ, 0, 0, true, {1, 2}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.row);
    configureProfiles(kCopy);
    incrementalProfile().maxFiles = 1;
    World world(kCopy, "");
    world.save(1);
    std::string first = world.backupFolder() + kSeparator + backupName(kCopy, 1);
    HANDLE held = hold(r.holdBackup ? first : world.object(), r.access, r.share);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release;
    if (r.holdMs > 0) release = std::thread([&] {
        Sleep(r.holdMs);
        CloseHandle(held);
      });
    world.save(2);
    if (r.holdMs > 0) release.join(); else CloseHandle(held);
    EXPECT_EQ(world.hostSaves(), r.saved ? 1 : 0);
    EXPECT_EQ(world.host().messages().empty(), r.saved);
    EXPECT_TRUE(readFile(world.object()) == state(r.saved ? 2 : 1)) << "the object file";
    std::vector<std::string> names;
    for (int k : r.backups) names.push_back(backupName(kCopy, k));
    EXPECT_EQ(listFolder(world.backupFolder()), names);
    for (int k : r.backups)
      EXPECT_TRUE(readFile(world.backupFolder() + kSeparator + backupName(kCopy, k)) == state(k - 1)) << k;
  }
}

// Another program holds the settings file without sharing at a session's
// start: the BAK save backs up with the defaults, deletes none of the five
// backups the file's limit of 5 keeps, and says so; once the file is free,
// the next save reads it and prunes by its limit.
TEST(BusyFileTest, SettingsHeldAtTheSessionsStartDeleteNoBackup) {
  World world({BakSave, 3, 0, false}, "");
  const std::string file = world.keepFiveBakBackups();
  HANDLE held = hold(file, GENERIC_READ, 0);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  world.activate(6);
  CloseHandle(held);
  EXPECT_EQ(listFolder(world.backupFolder()).size(), 6u);
  ASSERT_EQ(world.host().messages().size(), 1u);
  EXPECT_EQ(world.host().messages()[0].firstLine, file);
  world.activate(7);
  EXPECT_EQ(listFolder(world.backupFolder()).size(), 5u);
  EXPECT_EQ(world.host().saveCount(), 7);
}

// The second process: deletes every file in the backup folder whenever
// the save is about to flush its staged backup or to close a file.
std::string deleteCommand;
int deleteRuns = 0;

PlatformError deleteFromAnotherProcess(PlatformOperation operation) {
  if (operation == kPlatformOpSyncFile || operation == kPlatformOpClose) deleteRuns += runProcess(deleteCommand) == 0;
  return kPlatformOk;
}

// Another host's removal of leftovers, or any other process, cannot delete
// a backup while it is made: not at its staging name while it is written,
// nor at its own name between its publishing and its closing.
TEST(BusyFileTest, AnotherProcessCannotDeleteTheBackupWhileItIsMade) {
  configureProfiles(kCopy);
  World world(kCopy, "");
  CreateDirectoryA(world.backupFolder().c_str(), nullptr);
  deleteCommand = "cmd.exe /c del /q \"" + world.backupFolder() + "\\*\"";
  deleteRuns = 0;
  platformFaultHook = deleteFromAnotherProcess;
  world.save(1);
  platformFaultHook = nullptr;
  EXPECT_GE(deleteRuns, 3) << deleteCommand;  // flush, and closing the object, then the backup
  EXPECT_TRUE(world.host().messages().empty());
  EXPECT_EQ(world.hostSaves(), 1);
  ASSERT_EQ(listFolder(world.backupFolder()), std::vector<std::string>{backupName(kCopy, 1)});
  EXPECT_TRUE(readFile(world.backupFolder() + kSeparator + backupName(kCopy, 1)) == state(0));
}

// A backup whose path fits in MAX_PATH is made, although its staging name
// is 8 characters longer.
TEST(BusyFileTest, ABackupPathUpToMaxPathIsMadeThoughItsStagingPathIsLonger) {
  for (size_t length : {250u, 255u, 259u}) {
    configureProfiles(kCopy);
    World world(kCopy, "");
    const std::string name = kSeparator + backupName(kCopy, 1);
    std::string folder = world.folder();
    while (folder.size() + name.size() < length) {
      std::string level(std::min<size_t>(100, length - name.size() - folder.size() - 1), 'f');
      folder += kSeparator + level;
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    ASSERT_EQ((folder + name).size(), length);
    incrementalProfile().directory.assign(folder.c_str());
    incrementalProfile().directoryMode = AbsoluteFolder;
    world.save(1);
    EXPECT_TRUE(world.host().messages().empty()) << length;
    EXPECT_EQ(world.hostSaves(), 1) << length;
    EXPECT_TRUE(readFile(folder + name) == state(0)) << length;
    EXPECT_EQ(listFolder(folder), std::vector<std::string>{backupName(kCopy, 1)}) << length;
  }
}

// Two artists' hosts saving one object 200 times each, at once: every
// save succeeds and keeps its backup.
TEST(BusyFileTest, TwoHostsSavingOneObjectTwoHundredTimesEachLoseNothing) {
  configureProfiles(kCopy);
  World world(kCopy, "");
  ScratchFolder settings("qk_settings");  // the defaults: .incr_save, no limit
  std::string commandLine = std::string(QK_HOST_PATH) + " --quiet --settings \"" + settings.path() + "\" open \"" +
                            world.object() + "\"";
  for (int save = 0; save < 200; ++save) commandLine += " edit save";
  int status[2] = {-1, -1};
  std::thread other([&] { status[1] = runProcess(commandLine); });
  status[0] = runProcess(commandLine);
  other.join();
  EXPECT_EQ(status[0], 0);
  EXPECT_EQ(status[1], 0);
  std::vector<std::string> names = listFolder(world.backupFolder());
  EXPECT_EQ(names.size(), 400u);
  for (const std::string& name : names) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}

}  // namespace
}  // namespace qktest
