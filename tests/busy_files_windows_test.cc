// Saves on Windows among other programs: files and folders they hold for a
// moment or for good, read-only backups, a second process that tries to
// delete the backup being made, backup paths around MAX_PATH, and two
// hosts saving one object.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "host/stand_in_host.h"
#include "open/open_flow.h"
#include "open/open_panel.h"
#include "platform/platform_fault.h"
#include "plugin/host_progress.h"
#include "tests/fault_injection_fixture.h"
#include "tests/support/fault_plan.h"

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

// Opens the file or folder `path` as another program would, sharing only
// `share`.
HANDLE hold(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A scanner, an indexer or the host itself holds the object, the backup
// that pruning deletes or the backup folder: for 300 ms (the save waits),
// or for the whole save (reading the object or listing the folder then
// fails, with nothing lost and the cause told; a backup that cannot be
// deleted stays, as any failed pruning leaves it).
TEST(BusyFileTest, AFileHeldForAMomentDelaysTheSaveAndOneHeldThroughoutFailsAsBefore) {
  enum Held { kObject, kPrunedBackup, kBackupFolder };
  struct {
    const char* row;
    Held held;
    DWORD access, share;
    int holdMs;       // 0: the whole save
    bool saved;
    std::vector<int> backups;  // after the second save
  } rows[] = {
      {"object, no sharing, 300 ms", kObject, GENERIC_READ, 0, 300, true, {2}},
      {"object, no sharing, whole save", kObject, GENERIC_READ, 0, 0, false, {1}},
      {"object open for writing, read and write shared", kObject, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
       0, true, {2}},
      {"pruned backup, no sharing, 300 ms", kPrunedBackup, GENERIC_READ, 0, 300, true, {2}},
      {"pruned backup, no sharing, whole save", kPrunedBackup, GENERIC_READ, 0, 0, true, {1, 2}},
      {"backup folder, no sharing, 300 ms", kBackupFolder, GENERIC_READ, 0, 300, true, {2}},
      {"backup folder, no sharing, whole save", kBackupFolder, GENERIC_READ, 0, 0, false, {1}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.row);
    configureProfiles(kCopy);
    incrementalProfile().maxFiles = 1;
    World world(kCopy, "");
    world.save(1);
    std::string first = world.backupFolder() + kSeparator + backupName(kCopy, 1);
    const std::string paths[] = {world.object(), first, world.backupFolder()};
    HANDLE held = hold(paths[r.held], r.access, r.share);
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
    if (r.held == kBackupFolder && !r.saved) {
      ASSERT_EQ(world.host().messages().size(), 1u);
      EXPECT_EQ(world.host().messages()[0].firstLine, world.backupFolder());
      EXPECT_EQ(world.host().messages()[0].secondLine,
                "Failed to make incremental save (backup folder in use by another program), object not saved");
    }
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

// Read-only backups beyond the limit refuse their deletion for good: each
// is asked once, not retried as a busy file, and stays; the others go.
TEST(BusyFileTest, ReadOnlyBackupsBeyondTheLimitAreNotRetriedAndStay) {
  configureProfiles(kCopy);
  World world(kCopy, "");
  incrementalProfile().maxFiles = 0;
  for (int k = 1; k <= 5; ++k) world.save(k);
  auto path = [&](int k) { return world.backupFolder() + kSeparator + backupName(kCopy, k); };
  for (int k = 1; k <= 4; ++k) ASSERT_TRUE(SetFileAttributesA(path(k).c_str(), FILE_ATTRIBUTE_READONLY));
  incrementalProfile().maxFiles = 1;
  FaultPlan plan;
  world.save(6);
  EXPECT_EQ(plan.calls(kPlatformOpDelete), 5) << "one try of each of backups 1 to 5";
  EXPECT_TRUE(world.host().messages().empty());
  EXPECT_EQ(world.hostSaves(), 1);
  std::vector<std::string> names;
  for (int k : {1, 2, 3, 4, 6}) names.push_back(backupName(kCopy, k));
  EXPECT_EQ(listFolder(world.backupFolder()), names);
  for (int k = 1; k <= 4; ++k) SetFileAttributesA(path(k).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The names in the folder `folder` (ASCII), listed through its \\?\ path
// as Windows takes a path past MAX_PATH.
std::vector<std::string> listLongFolder(const std::string& folder) {
  std::wstring pattern = L"\\\\?\\" + std::wstring(folder.begin(), folder.end()) + L"\\*";
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {"(cannot be listed)"};
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(std::string(name.begin(), name.end()));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Makes the folders of `folder` below `base` (long paths included).
void makeLongFolder(const std::string& base, const std::string& folder) {
  for (size_t at = folder.find(kSeparator, base.size() + 1); ; at = folder.find(kSeparator, at + 1)) {
    ASSERT_EQ(platformMakeDirectory(folder.substr(0, at).c_str()), 0) << folder.substr(0, at);
    if (at == std::string::npos) return;
  }
}

// A backup the plug-in makes, it prunes, compares and opens, whatever the
// length of its path: below MAX_PATH, and past it (where its staging path
// is longer still). At a limit of 1 with "Skip Unchanged Saves" on: a
// changed save prunes the first backup, an unchanged one removes its own,
// and Open Backup opens the one left.
TEST(BusyFileTest, BackupPathsAroundMaxPathArePrunedComparedAndOpened) {
  for (size_t length : {250u, 259u, 261u, 264u, 267u, 290u}) {
    SCOPED_TRACE(length);
    configureProfiles(kCopy);
    World world(kCopy, "");
    const std::string name = kSeparator + backupName(kCopy, 1);
    std::string folder = world.folder();
    while (folder.size() + name.size() < length)
      folder += kSeparator + std::string(std::min<size_t>(100, length - name.size() - folder.size() - 1), 'f');
    makeLongFolder(world.folder(), folder);
    ASSERT_EQ((folder + name).size(), length);
    incrementalProfile().directory.assign(folder.c_str());
    incrementalProfile().directoryMode = AbsoluteFolder;
    incrementalProfile().maxFiles = 1;
    incrementalProfile().skipUnchanged = 1;
    world.save(1);
    world.save(2);
    world.save(2);  // unchanged
    EXPECT_TRUE(world.host().messages().empty());
    EXPECT_EQ(listLongFolder(folder), std::vector<std::string>{backupName(kCopy, 2)});
    world.host().queuePanelSession({qkhost::PanelAction::setInteger(kOpenBackupChoice, 0), qkhost::PanelAction::ok()});
    ASSERT_EQ(acquireHostServices(world.host().globalFunction(), world.host().commandInterface(), 1, kHostTextCodePage), 1);
    runOpenFlow(&hostMonitorProgress);
    EXPECT_TRUE(world.host().messages().empty());
    EXPECT_EQ(world.host().loadCount(), 1);
    EXPECT_TRUE(readFile(world.folder() + kSeparator + "Robot (backup 002).lwo") == state(1));
  }
  incrementalProfile().skipUnchanged = 0;
}

// A backup that another program holds, letting others read but not
// rename it, is pinned once it lets go within the retries; held
// throughout, the pin fails as busy and the backup keeps its name.
TEST(BusyFileTest, PinningABackupHeldForAMomentWaitsAndOneHeldThroughoutFails) {
  const struct {
    const char* row;
    int holdMs;  // 0: the whole pin
    bool pinned;
  } rows[] = {
      {"held 300 ms", 300, true},
      {"held throughout", 0, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.row);
    configureProfiles(kCopy);
    World world(kCopy, "");
    world.save(1);
    const std::string plain = world.backupFolder() + kSeparator + backupName(kCopy, 1);
    const std::string pinned = world.backupFolder() + kSeparator + "Robot_001 (pinned).lwo";
    HANDLE held = hold(plain, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release;
    if (r.holdMs > 0) release = std::thread([&] {
        Sleep(r.holdMs);
        CloseHandle(held);
      });
    world.host().queuePanelSession({qkhost::PanelAction::setInteger(kOpenBackupAction, kActionPin),
                                    qkhost::PanelAction::ok()});
    ASSERT_EQ(acquireHostServices(world.host().globalFunction(), world.host().commandInterface(), 1, kHostTextCodePage), 1);
    runOpenFlow(&hostMonitorProgress);
    if (r.holdMs > 0) release.join(); else CloseHandle(held);
    EXPECT_EQ(listFolder(world.backupFolder()),
              std::vector<std::string>{r.pinned ? "Robot_001 (pinned).lwo" : backupName(kCopy, 1)});
    if (!r.pinned) {
      ASSERT_EQ(world.host().messages().size(), 1u);
      EXPECT_EQ(world.host().messages()[0].secondLine,
                "Cannot pin the backup (in use by another program), nothing changed");
    }
    EXPECT_TRUE(readFile(r.pinned ? pinned : plain) == state(0));
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
