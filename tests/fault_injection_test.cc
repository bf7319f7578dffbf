// Every save format of both kinds, and the settings writer, with a fault
// injected at each call they make of the platform layer in turn: what the
// user is told, whether the object is saved, and what is left on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/stand_in_host.h"
#include "plugin/host_services.h"
#include "save/save_flow.h"
#include "save/save_profile.h"
#include "settings/settings_file.h"
#include "tests/archive_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// The object file as the host saved it the k-th time (0: before the first
// save). Two reads of the zip writer's 64 KiB buffer.
std::string state(int k) { return randomBytes(70000, 100 + static_cast<unsigned>(k)); }

// One save: the kind, the name format, and how many saves came before it.
// Both kinds keep at most two backups, so the third save prunes one.
struct SaveCase {
  SaveKind kind;
  int32_t format;
  int earlier;  // 0 (the backup folder is created) or 2
};

std::string describe(const SaveCase& c) {
  return std::string(c.kind == BakSave ? "BAK" : "incremental") + " format " + std::to_string(c.format) +
         " after " + std::to_string(c.earlier) + " saves";
}

void configureProfiles(const SaveCase& c) {
  SaveProfile& incremental = incrementalProfile();
  BakSaveProfile& bak = bakProfile();
  incremental.reset();
  bak.reset();
  bak.useGlobalName = 0;
  for (SaveProfile* profile : {&incremental, static_cast<SaveProfile*>(&bak)}) {
    profile->nameFormat = c.format;
    profile->maxFiles = 2;
    profile->compressionLevel = 0;
  }
}

// A folder holding the object Robot.lwo and its backup folder, with a host
// whose object it is.
class World {
 public:
  World(const SaveCase& c, const std::string& copyOf) : case_(c) {
    if (!copyOf.empty())
      for (const fs::directory_entry& entry : fs::directory_iterator(copyOf))
        fs::copy(entry.path(), fs::path(folder_.path()) / entry.path().filename(), fs::copy_options::recursive);
    object_ = folder_.path() + kSeparator + "Robot.lwo";
    if (copyOf.empty()) writeFile(object_, state(0));
    host_.setObjectPath(object_);
  }

  // Runs the save flow in-process, the host holding the next state.
  void save(int saveNumber) {
    host_.clearRecords();
    savesBefore_ = host_.saveCount();
    host_.setObjectBytes(state(saveNumber));
    ASSERT_EQ(acquireHostServices(host_.globalFunction(), host_.commandInterface(), 0), 1);
    runSaveFlow(case_.kind);
  }

  std::string backupFolder() const {
    return folder_.path() + (case_.kind == BakSave ? "/.bak_save" : "/.incr_save");
  }
  const std::string& folder() const { return folder_.path(); }
  const std::string& object() const { return object_; }
  qkhost::StandInHost& host() { return host_; }
  // The times the host saved the object in the last save().
  int hostSaves() const { return host_.saveCount() - savesBefore_; }

 private:
  SaveCase case_;
  ScratchFolder folder_{"qk_fault"};
  std::string object_;
  qkhost::StandInHost host_;
  int savesBefore_ = 0;
};

// What a save must leave behind.
struct Outcome {
  enum Message { None, FolderCreation, MakeSaveAlone, BackupFailed } message;
  int namedBackup;           // the backup whose path the message names
  std::vector<int> backups;  // those in the folder afterwards; backup k holds state k - 1
  bool folderExists;
};

std::vector<int> numbers(int from, int to) {
  std::vector<int> list;
  for (int k = from; k <= to; ++k) list.push_back(k);
  return list;
}

// The outcome of save `c` when the `call`-th call of `operation` fails with
// `error`.
Outcome expectedOutcome(const SaveCase& c, PlatformOperation operation, int call, PlatformError error) {
  const int made = c.earlier + 1;
  const std::vector<int> before = numbers(1, c.earlier);
  const std::vector<int> pruned = numbers(std::max(1, c.earlier), c.earlier);  // a limit of 2 keeps one
  std::vector<int> saved = pruned;
  saved.push_back(made);
  switch (operation) {
    case kPlatformOpPathStatus:      // the folder is created or found anyway
    case kPlatformOpFileTimes:       // archived with another time stamp
    case kPlatformOpTimeToDos:
    case kPlatformOpFileLength:      // the monitor shows no total
    case kPlatformOpProcessorCount:  // one encoder thread
    case kPlatformOpCurrentTime:
      return {Outcome::None, 0, saved, true};
    case kPlatformOpDelete: {  // a failed pruning is ignored
      std::vector<int> all = numbers(1, made);
      return {Outcome::None, 0, all, true};
    }
    case kPlatformOpClose:
      if (call == 2) return {Outcome::None, 0, saved, true};  // the source, read to its end
      break;
    case kPlatformOpMakeDirectory:  // taken as there when it "exists", then cannot be listed
      return {error == kPlatformFileExists ? Outcome::MakeSaveAlone : Outcome::FolderCreation, 0, {}, false};
    case kPlatformOpFindFirst:
      if (error != kPlatformFileNotFound) return {Outcome::MakeSaveAlone, 0, before, true};
      if (c.earlier == 0) return {Outcome::None, 0, saved, true};  // as the empty folder answers
      return {Outcome::BackupFailed, 1, before, true};  // backup 1 seems free, but is never overwritten
    case kPlatformOpFindNext:  // only backup 1 was seen: backup 2 is never overwritten
      return {Outcome::BackupFailed, 2, before, true};
    case kPlatformOpSyncFolder:  // the backup stands, but may not be on disk
      return {Outcome::BackupFailed, made, saved, true};
    default:
      break;
  }
  return {Outcome::BackupFailed, made, pruned, true};
}

// The errors injected into `operation`: one, or two where the caller tells
// errors apart.
std::vector<PlatformError> errorsFor(PlatformOperation operation) {
  if (operation == kPlatformOpMakeDirectory) return {kPlatformAccessDenied, kPlatformFileExists};
  if (operation == kPlatformOpFindFirst) return {kPlatformIoError, kPlatformFileNotFound};
  return {kPlatformIoError};
}

// The bytes a backup file holds: the file itself, or its archive's entry.
std::string backupContents(const std::string& path, int32_t format) {
  if (format <= 3) return readFile(path);
  if (format <= 6) return unzipMember(path, "Robot.lwo");
  return sevenZipContent(path);
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
    plan_.failCall(kPlatformOpCount, 0, kPlatformOk);
    saveAndName(clean, case_.earlier + 1);
    int counts[kPlatformOpCount];
    for (int op = 0; op < kPlatformOpCount; ++op) counts[op] = plan_.calls(static_cast<PlatformOperation>(op));
    // Durable before the host saves: the backup's folder is flushed, and
    // the object's folder too when the backup folder was made in this save
    // (a failure of either below saves nothing); so is an archive (a copy
    // flushes itself).
    EXPECT_EQ(counts[kPlatformOpSyncFolder], case_.earlier == 0 ? 2 : 1) << describe(case_);
    EXPECT_EQ(counts[kPlatformOpSyncFile], case_.format >= 4 ? 1 : 0) << describe(case_);
    int runs = 0;
    for (int op = 0; op < kPlatformOpCount; ++op)
      for (int call = 1; call <= counts[op]; ++call)
        for (PlatformError error : errorsFor(static_cast<PlatformOperation>(op))) {
          runFaulted(static_cast<PlatformOperation>(op), call, error);
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

  std::string expectedMessage(const World& world, const Outcome& outcome) const {
    bool bak = case_.kind == BakSave;
    std::string kind = bak ? "BAK" : "incremental";
    switch (outcome.message) {
      case Outcome::None: return "";
      case Outcome::FolderCreation:
        return world.backupFolder() + " | Failed to create " + kind + " saves directory, object not saved";
      case Outcome::MakeSaveAlone: return "Failed to make " + kind + " save, object not saved";
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

    std::vector<std::string> expectedNames;
    for (int k : outcome.backups) expectedNames.push_back(names_.at(k));
    std::sort(expectedNames.begin(), expectedNames.end());
    ASSERT_EQ(listFolder(world.backupFolder()), expectedNames);
    for (int k : outcome.backups) {
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

TEST(FaultInjectionTest, EverySaveFormatOfBothKindsFailsSafelyAtEveryPlatformCall) {
  int runs = 0;
  for (SaveKind kind : {IncrementalSave, BakSave})
    for (int32_t format = 0; format <= 9; ++format)
      for (int earlier : {0, 2}) {
        SaveFaultTable table({kind, format, earlier});
        runs += table.run();
      }
  RecordProperty("faultedSaves", runs);
  std::printf("faulted saves: %d\n", runs);
}

// The settings writer: a fault anywhere before the new file takes the old
// one's name leaves the old file as it was and no temporary file; a failed
// flush of the folder afterwards is not reported. Nothing is ever shown.
TEST(FaultInjectionTest, SettingsWriterKeepsThePreviousFileAtEveryPlatformCall) {
  ScratchFolder folder("qk_fault");
  qkhost::StandInHost host;
  host.setFolder(HOST_FOLDER_SETTINGS, folder.path());
  const std::string file = folder.path() + "/qk_revkeeper.cfg";
  auto save = [&] {
    EXPECT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 1), 1);
    int result = saveSettings();
    releaseHostServices();
    return result;
  };
  configureProfiles({IncrementalSave, 5, 0});
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
      bool afterReplace = operation == kPlatformOpSyncFolder;
      EXPECT_EQ(save(), afterReplace ? 1 : 0);
      EXPECT_TRUE(plan.fired());
      EXPECT_TRUE(readFile(file) == (afterReplace ? next : previous));
      EXPECT_EQ(listFolder(folder.path()), std::vector<std::string>{"qk_revkeeper.cfg"});
    }
  }
  EXPECT_TRUE(host.messages().empty());
  std::printf("faulted settings writes: %d\n", runs);
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
    configureProfiles({IncrementalSave, 0, 0});
    SaveProfile& profile = incrementalProfile();
    profile.directory.assign(c.directory);
    profile.directoryMode = classifyDirectory(c.directory);
    profile.maxFiles = 0;
    World world({IncrementalSave, 0, 0}, "");
    for (int save : {1, 2}) {
      FaultPlan plan;
      world.save(save);
      EXPECT_EQ(world.hostSaves(), 1) << "directory " << c.directory << ", save " << save;
      EXPECT_EQ(plan.calls(kPlatformOpSyncFolder), save == 1 ? c.firstSave : c.laterSave)
          << "directory " << c.directory << ", save " << save;
    }
  }
}

}  // namespace
}  // namespace qktest
