// Every save format of both kinds, and the settings writer, with a fault
// injected at each call they make of the platform layer in turn: what the
// user is told, whether the object is saved, and what is left on disk.
// Then the flushes that make a backup durable. (Saves killed part-way and
// two hosts saving at once in fault_injection_posix_test.cc.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "open/open_flow.h"
#include "open/open_panel.h"
#include "platform/platform.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"
#include "settings/settings_file.h"
#include "tests/archive_test_support.h"
#include "tests/fault_injection_fixture.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// What a save must leave behind. A save that fails must leave exactly the
// backups that existed before it, whatever the outcome lists.
struct Outcome {
  enum Message { None, FolderCreation, ListingFailed, BackupFailed } message;
  int namedBackup;           // the backup whose path the message names
  std::vector<int> backups;  // after a save: those in the folder; backup k holds state k - 1
  bool folderExists;
};

// Tries of a file that stays busy: more than any retry makes.
constexpr int kBusyThroughout = 100;

std::vector<int> numbers(int from, int to) {
  std::vector<int> list;
  for (int k = from; k <= to; ++k) list.push_back(k);
  return list;
}

// The outcome of save `c` when the `call`-th call of `operation` fails with
// `error`.
Outcome expectedOutcome(const SaveCase& c, PlatformOperation operation, int call, PlatformError error) {
  const int made = c.earlier + 1;
  std::vector<int> saved = numbers(std::max(1, c.earlier), c.earlier);  // a limit of 2 keeps one
  saved.push_back(made);
  const Outcome failed = {Outcome::BackupFailed, made, {}, true};
  switch (operation) {
    case kPlatformOpCount:           // no fault
    case kPlatformOpPathStatus:      // the folder is created or found anyway
    case kPlatformOpFileTimes:       // archived with another time stamp
    case kPlatformOpTimeToDos:
    case kPlatformOpFileLength:      // the monitor shows no total; a zip gets zip64 records
    case kPlatformOpProcessorCount:  // one encoder thread
    case kPlatformOpCurrentTime:     // another staging name
    case kPlatformOpCreateUnnamed:   // a staging name instead
      return {Outcome::None, 0, saved, true};
    case kPlatformOpFindNext:  // only backup 1 is seen; in the plan backup 2 is taken, so the namer lists again
      if (call == 1) return {Outcome::None, 0, saved, true};
      return {Outcome::None, 0, numbers(1, made), true};  // listing to prune: an error prunes nothing
    case kPlatformOpDelete:        // a failed pruning is ignored
    case kPlatformOpFileIdentity:  // the object, or a backup, cannot be told apart: it is not pruned
      return {Outcome::None, 0, numbers(1, made), true};
    case kPlatformOpClose:  // the source, read to its end; then the published backup
      return call == 1 ? Outcome{Outcome::None, 0, saved, true} : failed;
    case kPlatformOpMakeDirectory:  // taken as there when it "exists", then cannot be listed
      return {error == kPlatformFileExists ? Outcome::ListingFailed : Outcome::FolderCreation, 0, {}, false};
    case kPlatformOpFindFirst:  // "no backups": backup 1 is taken, if any, so the namer lists again
      if (call > 1) return {Outcome::None, 0, numbers(1, made), true};  // listing again to prune
      if (error != kPlatformFileNotFound) return {Outcome::ListingFailed, 0, {}, true};
      return {Outcome::None, 0, saved, true};
    case kPlatformOpSyncFolder:  // a folder that cannot be opened is no reason to fail
      return error == kPlatformAccessDenied ? Outcome{Outcome::None, 0, saved, true} : failed;
    case kPlatformOpCreateNamed:  // another staging name when one is taken
    case kPlatformOpPublish:      // a name taken with nothing there is tried once more
      return error == kPlatformFileExists ? Outcome{Outcome::None, 0, saved, true} : failed;
    default:
      return failed;
  }
}

// The errors injected into `operation`: one, or two where the caller tells
// errors apart.
std::vector<PlatformError> errorsFor(PlatformOperation operation) {
  switch (operation) {
    case kPlatformOpMakeDirectory:
      return {kPlatformAccessDenied, kPlatformFileExists};
    case kPlatformOpSyncFolder:
      return {kPlatformAccessDenied, kPlatformIoError};
    case kPlatformOpFindFirst:
      return {kPlatformIoError, kPlatformFileNotFound};
    case kPlatformOpCreateNamed:
    case kPlatformOpPublish:
      return {kPlatformIoError, kPlatformFileExists};
    default:
      return {kPlatformIoError};
  }
}

class SaveFaultTable {
 public:
  explicit SaveFaultTable(const SaveCase& c) : case_(c), template_(c, "") {
    configureProfiles(c);
    for (int k = 1; k <= c.earlier; ++k) saveAndName(template_, k);
  }

  // Counts the calls of a clean save, then fails each in turn. Returns the
  // number of faulted runs.
  int run() {
    World clean(case_, template_.folder());
    plan_.failAlways(kPlatformOpCreateUnnamed, case_.named ? kPlatformIoError : kPlatformOk);
    plan_.failCall(kPlatformOpCount, 0, kPlatformOk);
    saveAndName(clean, case_.earlier + 1);
    int counts[kPlatformOpCount];
    for (int op = 0; op < kPlatformOpCount; ++op) counts[op] = plan_.calls(static_cast<PlatformOperation>(op));
    if (case_.named) counts[kPlatformOpCreateUnnamed] = 0;  // fails always
    // Durable before the host saves: the backup file is flushed, then its
    // folder, and the object's folder too when the backup folder was made
    // in this save.
    EXPECT_EQ(counts[kPlatformOpSyncFolder], case_.earlier == 0 ? 2 : 1) << describe(case_);
    EXPECT_EQ(counts[kPlatformOpSyncFile], 1) << describe(case_);
    EXPECT_EQ(counts[kPlatformOpCreateNamed], case_.named || !kUnnamedFiles ? 1 : 0) << describe(case_);
    int runs = 0;
    for (int op = 0; op < kPlatformOpCount; ++op)
      for (int call = 1; call <= counts[op]; ++call)
        for (PlatformError error : errorsFor(static_cast<PlatformOperation>(op))) {
          runFaulted(static_cast<PlatformOperation>(op), call, error);
          ++runs;
        }
    // Files another program holds for a moment; the same in every format.
    if (case_.format == 0)
      for (PlatformOperation op : {kPlatformOpOpenRead, kPlatformOpPublish, kPlatformOpDelete})
        for (int tries : {3, kBusyThroughout})
          if (counts[op] > 0) {
            runBusy(op, tries);
            ++runs;
          }
    return runs;
  }

 private:
  // Saves `world` as save `k` and keeps the name of the new backup.
  void saveAndName(World& world, int k) {
    std::vector<std::string> beforeSave = listFolder(world.backupFolder());
    world.save(k);
    ASSERT_EQ(world.hostSaves(), 1) << describe(case_) << ", clean save " << k;
    for (const std::string& name : listFolder(world.backupFolder()))
      if (std::find(beforeSave.begin(), beforeSave.end(), name) == beforeSave.end()) names_[k] = name;
    ASSERT_EQ(names_.count(k), 1u) << describe(case_) << ", clean save " << k;
  }

  void runFaulted(PlatformOperation operation, int call, PlatformError error) {
    SCOPED_TRACE(describe(case_) + ", " + operationName(operation) + " call " + std::to_string(call) +
                 " fails with " + std::to_string(error));
    World world(case_, template_.folder());
    plan_.failCall(operation, call, error);
    world.save(case_.earlier + 1);
    EXPECT_TRUE(plan_.fired());
    plan_.failCall(kPlatformOpCount, 0, kPlatformOk);
    check(world, expectedOutcome(case_, operation, call, error));
  }

  // Saves with the first `tries` calls of `operation` failing as on a file
  // that another program holds (access denied). Where busy files are tried
  // again, up to 10 times, a few busy tries only delay the save; busy
  // throughout, the save fails as when the call fails for good.
  void runBusy(PlatformOperation operation, int tries) {
    SCOPED_TRACE(describe(case_) + ", " + operationName(operation) + " busy for " + std::to_string(tries) +
                 " tries");
    World world(case_, template_.folder());
    plan_.failCall(operation, 1, kPlatformAccessDenied, tries);
    world.save(case_.earlier + 1);
    EXPECT_EQ(plan_.calls(operation), kRetriesBusyFiles ? std::min(tries + 1, 10) : 1);
    plan_.failCall(kPlatformOpCount, 0, kPlatformOk);
    bool free = kRetriesBusyFiles && tries < 10;
    check(world, expectedOutcome(case_, free ? kPlatformOpCount : operation, 1, kPlatformIoError));
  }

  std::string expectedMessage(const World& world, const Outcome& outcome) const {
    bool bak = case_.kind == BakSave;
    std::string kind = bak ? "BAK" : "incremental";
    switch (outcome.message) {
      case Outcome::None: return "";
      case Outcome::FolderCreation:
        return world.backupFolder() + " | Failed to create " + kind + " saves directory, object not saved";
      case Outcome::ListingFailed:
        return world.backupFolder() + " | Failed to make " + kind + " save (backup folder cannot be listed), object not saved";
      case Outcome::BackupFailed: break;
    }
    std::string path = world.backupFolder() + kSeparator + names_.at(outcome.namedBackup);
    return path + " | Failed to make " + (case_.format >= 4 ? "compressed " : "") + kind +
           " save, object not saved";
  }

  void check(World& world, const Outcome& outcome) {
    const std::vector<qkhost::HostMessage>& messages = world.host().messages();
    std::string shown;
    for (const qkhost::HostMessage& m : messages)
      shown += m.firstLine + (m.secondLine ? " | " + *m.secondLine : "");
    EXPECT_EQ(shown, expectedMessage(world, outcome));
    bool saved = outcome.message == Outcome::None;
    EXPECT_EQ(world.hostSaves(), saved ? 1 : 0);
    EXPECT_TRUE(readFile(world.object()) == state(case_.earlier + (saved ? 1 : 0))) << "the object file";
    EXPECT_EQ(listFolder(world.folder()).size(), outcome.folderExists ? 2u : 1u) << "Robot.lwo and the folder";

    // A failing save deletes no backup, and leaves no file of its own.
    const std::vector<int> left = saved ? outcome.backups : numbers(1, case_.earlier);
    std::vector<std::string> expectedNames;
    for (int k : left) expectedNames.push_back(names_.at(k));
    std::sort(expectedNames.begin(), expectedNames.end());
    ASSERT_EQ(listFolder(world.backupFolder()), expectedNames);
    for (int k : left) {
      std::string path = world.backupFolder() + kSeparator + names_.at(k);
      std::string kept = template_.backupFolder() + kSeparator + names_.at(k);
      if (k <= case_.earlier) {
        EXPECT_EQ(readFile(path), readFile(kept)) << names_.at(k) << " changed";
      } else {
        EXPECT_TRUE(backupContents(path, case_.format) == state(k - 1)) << names_.at(k) << " is not complete";
      }
    }
  }

  SaveCase case_;
  World template_;
  FaultPlan plan_;
  std::map<int, std::string> names_;  // backup number to file name
};

// Runs the fault table of both kinds of save in the name formats `first`
// to `last`, and reports how many faulted saves it made.
void runFaultTables(int32_t first, int32_t last) {
  int runs = 0;
  for (SaveKind kind : {IncrementalSave, BakSave})
    for (int32_t format = first; format <= last; ++format)
      for (int earlier : {0, 2}) {
        SaveFaultTable table({kind, format, earlier, false});
        runs += table.run();
      }
  // Staging names work alike in every name format: one format of each kind
  // of backup (copy, zip, 7z) is enough.
  for (int32_t format : {0, 4, 7})
    for (int earlier : {0, 2}) {
      if (format < first || format > last) continue;
      SaveFaultTable table({IncrementalSave, format, earlier, true});
      runs += table.run();
    }
  ::testing::Test::RecordProperty("faultedSaves", runs);
  std::printf("faulted saves: %d\n", runs);
}

TEST(FaultInjectionTest, EveryCopyAndZipFormatOfBothKindsFailsSafelyAtEveryPlatformCall) {
  runFaultTables(0, 6);
}

// Apart, so that the ThreadSanitizer build runs these rows: the encoder
// reads the object on a thread of its own.
TEST(FaultInjectionTest, EverySevenZipFormatOfBothKindsFailsSafelyAtEveryPlatformCall) {
  runFaultTables(7, 9);
}

// Keep rules that cannot tell a local day: when the save's own day cannot
// be had, no backup goes by the day rule; a backup whose day cannot be had
// counts as one whose time is unknown, and stays. The calls come in order:
// the save, then the backups oldest first, the new one last.
TEST(FaultInjectionTest, KeepRulesKeepWhatTheyCannotDateAtEveryLocalTimeCall) {
  const SaveCase c = {IncrementalSave, 0, 0, false};
  const struct {
    int call;  // of kPlatformOpLocalTime; 0: none fails
    std::vector<int> left;
  } rows[] = {{0, {3}}, {1, {1, 2, 3}}, {2, {1, 3}}, {3, {2, 3}}, {4, {3}}};
  for (const auto& row : rows) {
    SCOPED_TRACE("local time call " + std::to_string(row.call));
    configureProfiles(c);
    incrementalProfile().maxFiles = 0;
    incrementalProfile().keepDays = 1;
    World world(c, "");
    std::filesystem::create_directory(world.backupFolder());
    std::vector<std::string> expected;
    for (int k = 1; k <= 2; ++k) {
      const std::string path = world.backupFolder() + kSeparator + backupName(c, k);
      writeFile(path, state(k));
      std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(72));
    }
    for (int k : row.left) expected.push_back(backupName(c, k));
    FaultPlan plan;
    plan.failCall(row.call == 0 ? kPlatformOpCount : kPlatformOpLocalTime, row.call, kPlatformIoError);
    world.save(3);
    EXPECT_EQ(plan.calls(kPlatformOpLocalTime), row.call == 1 ? 1 : 4);  // no day for the save: none asked
    EXPECT_EQ(world.hostSaves(), 1);
    EXPECT_EQ(listFolder(world.backupFolder()), expected);
  }
  incrementalProfile().reset();
}

// The settings writer: a fault anywhere before the new file takes the old
// one's name leaves the old file as it was and no staging file; a failed
// flush of the folder afterwards is not reported, nor a failed search for
// leftovers or the clock behind the staging name; a failed close after the
// replacement is. Nothing is ever shown.
TEST(FaultInjectionTest, SettingsWriterKeepsThePreviousFileAtEveryPlatformCall) {
  ScratchFolder folder("qk_fault");
  qkhost::StandInHost host;
  host.setFolder(HOST_FOLDER_SETTINGS, folder.path());
  const std::string file = folder.path() + kSeparator + "qk_revkeeper.cfg";
  auto save = [&] {
    EXPECT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 1, kHostTextCodePage), 1);
    int result = saveSettings();
    releaseHostServices();
    return result;
  };
  configureProfiles({IncrementalSave, 5, 0, false});
  ASSERT_EQ(save(), 1);
  const std::string previous = readFile(file);
  incrementalProfile().nameFormat = 8;
  bakProfile().globalName.assign("another-name");

  FaultPlan plan;
  plan.failCall(kPlatformOpCount, 0, kPlatformOk);
  ASSERT_EQ(save(), 1);
  const std::string next = readFile(file);
  ASSERT_NE(next, previous);
  int counts[kPlatformOpCount];
  for (int op = 0; op < kPlatformOpCount; ++op) counts[op] = plan.calls(static_cast<PlatformOperation>(op));

  int runs = 0;
  for (int op = 0; op < kPlatformOpCount; ++op) {
    PlatformOperation operation = static_cast<PlatformOperation>(op);
    for (int call = 1; call <= counts[op]; ++call, ++runs) {
      SCOPED_TRACE(std::string(operationName(operation)) + " call " + std::to_string(call));
      writeFile(file, previous);
      plan.failCall(operation, call, kPlatformIoError);
      bool harmless = operation == kPlatformOpSyncFolder || operation == kPlatformOpFindFirst ||
                      operation == kPlatformOpCurrentTime;
      bool afterReplace = harmless || operation == kPlatformOpClose;
      EXPECT_EQ(save(), harmless ? 1 : 0);
      EXPECT_TRUE(plan.fired());
      EXPECT_TRUE(readFile(file) == (afterReplace ? next : previous));
      EXPECT_EQ(listFolder(folder.path()), std::vector<std::string>{"qk_revkeeper.cfg"});
    }
  }
  EXPECT_TRUE(host.messages().empty());
  std::printf("faulted settings writes: %d\n", runs);
}

// Every platform call the open flow makes fails once in turn. The object
// and its backups never change; either the chosen backup's object is
// loaded from the one new file, with no message, or one message is shown
// and no file is left. A kind whose listing fails leaves the other listed.
TEST(FaultInjectionTest, OpeningABackupLosesNothingAtEveryPlatformCall) {
  const SaveCase c = {IncrementalSave, 4, 0, false};
  configureProfiles(c);
  World world(c, "");
  std::filesystem::last_write_time(world.object(), std::filesystem::file_time_type::clock::now() -
                                                       std::chrono::hours(1));  // the BAK backup lists first
  world.save(1);
  world.saveAs(BakSave, 2);  // holds state(1)
  const std::map<std::string, std::string> before = snapshotOf(world.folder());
  auto open = [&](FaultPlan* plan, PlatformOperation operation, int call) {
    world.host().clearRecords();
    world.host().setObjectPath(world.object());
    world.host().queuePanelSession({qkhost::PanelAction::ok()});
    plan->failCall(operation, call, kPlatformIoError);
    EXPECT_EQ(acquireHostServices(world.host().globalFunction(), world.host().commandInterface(), 1, kHostTextCodePage), 1);
    int loadsBefore = world.host().loadCount();
    runOpenFlow(&hostMonitorProgress);
    std::map<std::string, std::string> after = snapshotOf(world.folder());
    const std::vector<qkhost::HostMessage>& shown = world.host().messages();
    std::string outcome = shown.empty() ? "" : shown.back().firstLine + " | " + shown.back().secondLine.value_or("");
    for (const std::string name : {"Robot (BAK 1).lwo", "Robot (backup 001).lwo"}) {
      if (after.erase(world.folder() + kSeparator + name) == 0) continue;
      EXPECT_EQ(world.host().loadCount(), loadsBefore + 1);
      EXPECT_TRUE(world.host().objectBytes() == state(name[7] == 'B' ? 1 : 0)) << name;
      outcome = name;
      std::filesystem::remove(world.folder() + kSeparator + name);
    }
    EXPECT_TRUE(after == before);
    EXPECT_EQ(world.host().messages().size(), outcome.find(".lwo") == std::string::npos ? 1u : 0u) << outcome;
    const std::vector<std::unique_ptr<qkhost::StandInPanel>>& panels = world.host().panels();
    return panels.empty() ? outcome : outcome + " | " + panels.back()->label();
  };
  FaultPlan plan;
  EXPECT_EQ(open(&plan, kPlatformOpCount, 0), "Robot (BAK 1).lwo | Open Backup");
  int counts[kPlatformOpCount];
  for (int op = 0; op < kPlatformOpCount; ++op) counts[op] = plan.calls(static_cast<PlatformOperation>(op));
  const struct {
    PlatformOperation operation;
    int call;
    std::string outcome;
  } rows[] = {
      {kPlatformOpFindFirst, 1, "Robot (BAK 1).lwo | Open Backup (incremental backups could not be listed)"},
      {kPlatformOpFindFirst, 2, "Robot (backup 001).lwo | Open Backup (BAK backups could not be listed)"},
      {kPlatformOpEntryFacts, 1, "Robot (BAK 1).lwo | Open Backup"},  // not known to be no link: left out
      {kPlatformOpSyncFile, 1, world.folder() + " | Failed to write the opened backup, nothing opened | Open Backup"},
  };
  for (const auto& row : rows) EXPECT_EQ(open(&plan, row.operation, row.call), row.outcome);
  int runs = 0;
  for (int op = 0; op < kPlatformOpCount; ++op)
    for (int call = 1; call <= counts[op]; ++call, ++runs) {
      SCOPED_TRACE(std::string(operationName(static_cast<PlatformOperation>(op))) + " call " + std::to_string(call));
      open(&plan, static_cast<PlatformOperation>(op), call);
    }
  std::printf("faulted openings: %d\n", runs);
}


// Every platform call that pinning a backup makes fails once in turn. The
// backup keeps its bytes under one of its two names: pinned when nothing
// was said, else as it was, with one message that tells why.
TEST(FaultInjectionTest, PinningABackupLosesNothingAtEveryPlatformCall) {
  const SaveCase c = {IncrementalSave, 4, 0, false};
  configureProfiles(c);
  World world(c, "");
  world.save(1);
  const std::string plain = world.backupFolder() + kSeparator + backupName(c, 1);
  const std::string pinned = world.backupFolder() + kSeparator + "Robot_001 (pinned).zip";
  const std::string bytes = readFile(plain);
  auto pin = [&](FaultPlan* plan, PlatformOperation operation, int call) {
    world.host().clearRecords();
    world.host().queuePanelSession({qkhost::PanelAction::setInteger(kOpenBackupAction, kActionPin),
                                    qkhost::PanelAction::ok()});
    plan->failCall(operation, call, kPlatformIoError);
    EXPECT_EQ(acquireHostServices(world.host().globalFunction(), world.host().commandInterface(), 1, kHostTextCodePage), 1);
    runOpenFlow(&hostMonitorProgress);
    const std::vector<qkhost::HostMessage>& shown = world.host().messages();
    EXPECT_EQ(listFolder(world.backupFolder()).size(), 1u);
    EXPECT_LE(shown.size(), 1u);
    EXPECT_TRUE(readFile(shown.empty() ? pinned : plain) == bytes);
    if (shown.empty()) std::filesystem::rename(pinned, plain);
    return shown.empty() ? std::string() : shown.back().firstLine + " | " + shown.back().secondLine.value_or("");
  };
  FaultPlan plan;
  EXPECT_EQ(pin(&plan, kPlatformOpCount, 0), "");
  int counts[kPlatformOpCount];
  for (int op = 0; op < kPlatformOpCount; ++op) counts[op] = plan.calls(static_cast<PlatformOperation>(op));
  EXPECT_EQ(counts[kPlatformOpRename], 1);
  EXPECT_EQ(pin(&plan, kPlatformOpRename, 1),
            plain + " | Cannot pin the backup (the file system refused the new name), nothing changed");
  for (int op = 0; op < kPlatformOpCount; ++op)
    for (int call = 1; call <= counts[op]; ++call) {
      SCOPED_TRACE(std::string(operationName(static_cast<PlatformOperation>(op))) + " call " + std::to_string(call));
      pin(&plan, static_cast<PlatformOperation>(op), call);
    }
}


// A session whose settings file is there but cannot be read at its start
// (BAK limit 5 in the file, five BAK backups) backs up with the defaults,
// prunes nothing and says so once; the next activation that reads the file
// prunes by its limit. A missing file rightly gives the defaults (limit 1).
TEST(UnreadableSettingsTest, BackupsAreMadeAndNoneDeletedUntilTheFileIsRead) {
  const SaveCase bak = {BakSave, 3, 0, false};
  const std::vector<int> unread = numbers(1, 7);
  struct {
    const char* row;
    PlatformOperation failing;  // from the load's first call of it; kPlatformOpCount: no file
    int times;
    std::vector<int> kept;  // after two saves of the session
  } rows[] = {
      {"held through every try", kPlatformOpOpenRead, kRetriesBusyFiles ? 10 : 1, unread},
      {"read error", kPlatformOpRead, 1, unread},
      {"seek error", kPlatformOpSeek, 1, unread},
      {"no file", kPlatformOpCount, 0, {7}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.row);
    World world(bak, "");
    const std::string file = world.keepFiveBakBackups();
    if (r.failing == kPlatformOpCount) std::filesystem::remove(file);
    FaultPlan plan;
    auto activate = [&](int k, int failingCalls) {
      plan.failCall(r.failing, 1, r.failing == kPlatformOpOpenRead ? kPlatformAccessDenied : kPlatformIoError,
                    failingCalls);
      world.activate(k);
    };
    activate(6, r.times);
    activate(7, r.times);
    std::vector<std::string> kept;
    for (int k : r.kept) kept.push_back("Robot.bak" + std::to_string(k) + ".lwo");
    EXPECT_EQ(listFolder(world.backupFolder()), kept);
    std::string shown;
    for (const qkhost::HostMessage& m : world.host().messages()) shown += m.firstLine + " | " + m.secondLine.value_or("");
    EXPECT_EQ(shown, r.kept != unread ? "" : file + " | Settings could not be read; backups are kept and nothing "
                                                    "is deleted until they can be");
    activate(8, 0);
    EXPECT_EQ(listFolder(world.backupFolder()).size(), r.failing == kPlatformOpCount ? 1u : 5u);
    EXPECT_EQ(world.host().saveCount(), 8);
  }
}

TEST(DurableBackupTest, FoldersMadeForABackupAreFlushedUpToTheObjectsFolder) {
  struct Case {
    const char* directory;
    int firstSave;  // folder flushes of the save that makes the backup folder
    int laterSave;
  } cases[] = {
      {"", 1, 1},              // the object's own folder
      {".incr_save", 2, 1},    // the new folder, then the object's
      {"a/b", 3, 1},           // b, a, the object's folder
      {"a\\b\\c", 4, 1},      // backslashes separate levels too
  };
  for (const Case& c : cases) {
    configureProfiles({IncrementalSave, 0, 0, false});
    SaveProfile& profile = incrementalProfile();
    profile.directory.assign(c.directory);
    profile.directoryMode = classifyDirectory(c.directory);
    profile.maxFiles = 0;
    World world({IncrementalSave, 0, 0, false}, "");
    for (int save : {1, 2}) {
      FaultPlan plan;
      world.save(save);
      EXPECT_EQ(world.hostSaves(), 1) << "directory " << c.directory << ", save " << save;
      EXPECT_EQ(plan.calls(kPlatformOpSyncFolder), save == 1 ? c.firstSave : c.laterSave)
          << "directory " << c.directory << ", save " << save;
    }
  }
}

// A folder that cannot be opened to be flushed (one the user may write
// but not list) is no reason to fail; a flush that fails is, and then the
// new backup goes, so that the message and the folder agree.
TEST(DurableBackupTest, OnlyAFailedFlushOfTheFolderFailsTheSave) {
  struct {
    PlatformError error;
    bool saved;
  } cases[] = {{kPlatformAccessDenied, true}, {kPlatformIoError, false}};
  for (const auto& f : cases) {
    SaveCase c = {IncrementalSave, 0, 0, false};
    configureProfiles(c);
    World world(c, "");
    FaultPlan plan;
    plan.failCall(kPlatformOpSyncFolder, 1, f.error);
    world.save(1);
    EXPECT_EQ(world.hostSaves(), f.saved ? 1 : 0) << f.error;
    EXPECT_EQ(world.host().messages().empty(), f.saved) << f.error;
    EXPECT_EQ(listFolder(world.backupFolder()), f.saved ? std::vector<std::string>{"Robot_001.lwo"}
                                                        : std::vector<std::string>{})
        << f.error;
  }
}

// With "Skip Unchanged Saves" and one BAK backup kept, a save without an
// edit whose comparison fails at a call of the platform prunes as usual;
// no failure counts as a match, and a failed removal deletes nothing.
TEST(SkipUnchangedFaultTest, ACheckThatCannotBeMadePrunesAsUsual) {
  const SaveCase bak = {BakSave, 3, 0, false};
  const std::string first = "Robot.bak1.lwo: state 0", second = "Robot.bak2.lwo: state 1";
  struct {
    PlatformOperation failing;  // from the host's save on; kPlatformOpCount: none
    std::vector<std::string> kept;
  } cases[] = {
      {kPlatformOpCount, {first}},       {kPlatformOpOpenRead, {second}}, {kPlatformOpFileLength, {second}},
      {kPlatformOpRead, {second}},       {kPlatformOpDelete, {first, second}},
  };
  for (const auto& c : cases) {
    const std::string name = c.failing == kPlatformOpCount ? "no fault" : operationName(c.failing);
    configureProfiles(bak);
    bakProfile().maxFiles = 1;
    bakProfile().skipUnchanged = 1;
    World world(bak, "");
    world.save(1);
    FaultPlan plan;
    world.host().setAfterSave([&] { plan.failAlways(c.failing, kPlatformIoError); });
    world.save(1);  // the host writes the same bytes again
    plan.failAlways(c.failing, kPlatformOk);
    std::vector<std::string> kept;
    for (const std::string& file : listFolder(world.backupFolder())) {
      const std::string bytes = readFile(world.backupFolder() + "/" + file);
      kept.push_back(file + (bytes == state(0) ? ": state 0" : bytes == state(1) ? ": state 1" : ": other"));
    }
    EXPECT_EQ(kept, c.kept) << name;
    EXPECT_EQ(world.host().messages().size(), 0u) << name;
  }
  bakProfile().skipUnchanged = 0;
}

}  // namespace
}  // namespace qktest
