// The two save commands through the real plug-in in the stand-in host:
// backups, rotation, folders, the host's save, and every message.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "host/lwo_edit.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "plugin/command.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"
#include "settings/settings_file.h"
#include "tests/support/output_file.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

using ProfileEdit = std::function<void(SaveProfile& incremental, BakSaveProfile& bak)>;

class SaveFlowTest : public PluginTest {
 protected:
  // Writes a settings file holding the reset defaults changed by `edit`;
  // the plug-in reads it on its first activation.
  void configure(const ProfileEdit& edit) {
    SaveProfile& incremental = incrementalProfile();
    BakSaveProfile& bak = bakProfile();
    incremental.reset();
    bak.reset();
    incremental.compressionLevel = bak.compressionLevel = 0;
    bak.useGlobalName = 0;
    bak.globalName.assign("qkincr-lwo-bak");
    edit(incremental, bak);
    PlatformFile* file = createOutputFile(settingsDir() + "/qk_revkeeper.cfg");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(writeSettings(file), 1);
    ASSERT_EQ(finishOutputFile(file, settingsDir() + "/qk_revkeeper.cfg"), 1);
  }

  // Opens Robot.lwo holding `bytes` in the scratch folder.
  std::string openRobot(const std::string& bytes = "LWO state 0") { return openObject("Robot.lwo", bytes); }

  // The host's in-memory object changes, as an edit by the artist would.
  void edit() { host().setObjectBytes(qkhost::appendEditChunk(host().objectBytes())); }

  std::string at(const std::string& relative) const { return inScratch(relative); }
};

TEST_F(SaveFlowTest, ThreeIncrementalSavesKeepThePreviousStates) {
  std::string object = openRobot(sampleObject("hierarchy.lwo"));
  std::vector<std::string> states;
  for (int save = 0; save < 3; ++save) {
    states.push_back(readFile(object));
    EXPECT_EQ(activate(kIncrementalServer), 0);
    edit();
  }
  EXPECT_EQ(listFolder(at(".incr_save")),
            (std::vector<std::string>{"Robot_001.lwo", "Robot_002.lwo", "Robot_003.lwo"}));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(readFile(at(".incr_save/Robot_00" + std::to_string(i + 1) + ".lwo")), states[i]) << i;
  EXPECT_NE(readFile(object), states[2]) << "the host saved the current object";
  EXPECT_EQ(host().saveCount(), 3);
  EXPECT_TRUE(shownMessages().empty());
}

TEST_F(SaveFlowTest, RepeatedBakSavesKeepExactlyOne) {
  std::string object = openRobot();
  std::string previous;
  for (int save = 0; save < 3; ++save) {
    previous = readFile(object);
    activate(kBakServer);
    edit();
  }
  EXPECT_EQ(listFolder(at(".bak_save")), std::vector<std::string>{"Robot.bak3.lwo"});
  EXPECT_EQ(readFile(at(".bak_save/Robot.bak3.lwo")), previous);
  EXPECT_FALSE(fs::exists(at(".incr_save")));
  EXPECT_TRUE(shownMessages().empty());
}

TEST_F(SaveFlowTest, ALimitKeepsExactlyThatMany) {
  configure([](SaveProfile& incremental, BakSaveProfile& bak) {
    incremental.maxFiles = 2;
    bak.maxFiles = 3;
  });
  openRobot();
  for (int save = 0; save < 5; ++save) {
    activate(kIncrementalServer);
    activate(kBakServer);
    edit();
  }
  EXPECT_EQ(listFolder(at(".incr_save")), (std::vector<std::string>{"Robot_004.lwo", "Robot_005.lwo"}));
  EXPECT_EQ(listFolder(at(".bak_save")),
            (std::vector<std::string>{"Robot.bak3.lwo", "Robot.bak4.lwo", "Robot.bak5.lwo"}));
}

TEST_F(SaveFlowTest, FoldersAndNamesFollowEachProfile) {
  const std::string absolute = absoluteFolder(inScratch("all"));
  fs::create_directory(at("all"));
  struct {
    const char* label;
    ProfileEdit edit;
    const char* server;
    std::string backup;  // below the scratch folder
  } cases[] = {
      {"relative a/b", [](SaveProfile& p, BakSaveProfile&) { p.directory.assign("a/b"); }, kIncrementalServer,
       "a/b/Robot_001.lwo"},
      {"BAK relative a\\b", [](SaveProfile&, BakSaveProfile& b) { b.directory.assign("x\\y"); }, kBakServer,
       "x/y/Robot.bak1.lwo"},
      {"object folder", [](SaveProfile& p, BakSaveProfile&) { p.directory.assign(""); }, kIncrementalServer,
       "Robot_001.lwo"},
      {"absolute", [&](SaveProfile& p, BakSaveProfile&) { p.directory.assign(absolute.c_str()); },
       kIncrementalServer, "all/Robot_001.lwo"},
      {"BAK absolute", [&](SaveProfile&, BakSaveProfile& b) { b.directory.assign(absolute.c_str()); }, kBakServer,
       "all/Robot.bak1.lwo"},
      {"global name", [](SaveProfile&, BakSaveProfile& b) { b.useGlobalName = 1; }, kBakServer,
       ".bak_save/qkincr-lwo-bak.bak1.lwo"},
      {"format 2, 1 digit", [](SaveProfile& p, BakSaveProfile&) { p.nameFormat = 2, p.digits = 1; },
       kIncrementalServer, ".incr_save/Robot.lwo.1"},
      // A folder named as the next backup is no backup, and the one after it is taken.
      {"a folder takes the name",
       [&](SaveProfile&, BakSaveProfile&) { fs::create_directories(at(".incr_save/Robot_001.lwo")); },
       kIncrementalServer, ".incr_save/Robot_002.lwo"},
      {"BAK, a folder takes the name",
       [&](SaveProfile&, BakSaveProfile&) { fs::create_directories(at(".bak_save/Robot.bak1.lwo")); }, kBakServer, ".bak_save/Robot.bak2.lwo"},
  };
  for (const auto& c : cases) {
    fs::remove_all(at("a"));
    fs::remove_all(at("x"));
    configure(c.edit);
    reload();
    std::string object = openRobot("state of " + std::string(c.label));
    activate(c.server);
    EXPECT_EQ(readFile(at(c.backup)), "state of " + std::string(c.label)) << c.label;
    EXPECT_TRUE(shownMessages().empty()) << c.label;
    fs::remove(at(c.backup));
  }
}

TEST_F(SaveFlowTest, AcceptedNameInAnyCase) {
  openObject("Car.LWO", "car");
  activate(kIncrementalServer);
  EXPECT_EQ(readFile(at(".incr_save/Car_001.lwo")), "car");
}

// --- Messages -------------------------------------------------------------------

struct MessageCase {
  const char* label;
  ProfileEdit edit;
  std::function<void(const std::string& scratch)> prepare;  // may be empty
  std::string incremental;  // the message shown, with "@" standing for the scratch folder
  std::string bak;
};

// Returns `text` with each '/' made the platform's separator (every
// separator of a path in a message is), then "@" the scratch folder.
std::string expand(std::string text, const std::string& scratch) {
  for (char& c : text)
    if (c == '/') c = PLATFORM_SEPARATOR;
  for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + scratch.size()))
    text.replace(at, 1, scratch);
  return text;
}

void bothDirectories(SaveProfile& p, BakSaveProfile& b, const char* directory) {
  p.directory.assign(directory);
  b.directory.assign(directory);
}

void bothFormats(SaveProfile& p, BakSaveProfile& b, int32_t format) { p.nameFormat = b.nameFormat = format; }

TEST_F(SaveFlowTest, EveryFailureBeforeTheHostSaveIsReportedAndSavesNothing) {
  const std::string missing = absoluteFolder(inScratch("missing"));  // and not there
  const MessageCase cases[] = {
      {"relative folder below a file", [](SaveProfile& p, BakSaveProfile& b) { bothDirectories(p, b, "file/sub"); },
       [](const std::string& s) { writeFile(s + "/file", "x"); },
       "error: @/file/sub | Failed to create incremental saves directory, object not saved",
       "error: @/file/sub | Failed to create BAK saves directory, object not saved"},
      {"relative folder that is a file", [](SaveProfile& p, BakSaveProfile& b) { bothDirectories(p, b, "file"); },
       [](const std::string& s) { writeFile(s + "/file", "x"); },
       "error: @/file | Failed to make incremental save (backup folder cannot be listed), object not saved",
       "error: @/file | Failed to make BAK save (backup folder cannot be listed), object not saved"},
      {"missing absolute folder", [&](SaveProfile& p, BakSaveProfile& b) { bothDirectories(p, b, missing.c_str()); },
       nullptr, "error: " + missing + " | Incremental saves directory does not exist, object not saved",
       "error: " + missing + " | BAK saves directory does not exist, object not saved"},
      {"absolute folder with a colon", [](SaveProfile& p, BakSaveProfile& b) { bothDirectories(p, b, "Q:\\none"); },
       nullptr, "error: Q:\\none | Incremental saves directory does not exist, object not saved",
       "error: Q:\\none | BAK saves directory does not exist, object not saved"},
      {"unknown format", [](SaveProfile& p, BakSaveProfile& b) { bothFormats(p, b, 10); }, nullptr,
       "error: Failed to make incremental save, object not saved",
       "error: Failed to make BAK save, object not saved"},
      {"unusable global name",
       [](SaveProfile&, BakSaveProfile& b) {
         b.useGlobalName = 1;
         b.globalName.assign("../elsewhere");
       },
       nullptr, "", "error: Failed to make BAK save, object not saved"},
      {"numbers used up", [](SaveProfile&, BakSaveProfile&) {},
       [](const std::string& s) {
         writeFile(s + "/.incr_save/Robot_2147483647.lwo", "x");
         writeFile(s + "/.bak_save/Robot.bak2147483647.lwo", "x");
       },
       "error: Failed to make incremental save (numbers used up), object not saved | @/.incr_save" + kSeparator +
           "Robot_2147483647.lwo",
       "error: Failed to make BAK save (numbers used up), object not saved | @/.bak_save" + kSeparator +
           "Robot.bak2147483647.lwo"},
      {"a number past the last", [](SaveProfile& p, BakSaveProfile& b) { bothFormats(p, b, 4); },
       [](const std::string& s) {
         writeFile(s + "/.incr_save/Robot_2147483648.zip", "x");
         writeFile(s + "/.incr_save/Robot_99999999999.zip", "x");
         writeFile(s + "/.bak_save/Robot_bak99999999999.zip", "x");
       },
       "error: Failed to make incremental save (numbers used up), object not saved | @/.incr_save" + kSeparator +
           "Robot_99999999999.zip",
       "error: Failed to make BAK save (numbers used up), object not saved | @/.bak_save" + kSeparator +
           "Robot_bak99999999999.zip"},
      {"backup name too long",
       [](SaveProfile&, BakSaveProfile& b) {
         b.useGlobalName = 1;
         b.globalName.assign(std::string(247, 'g').c_str());
       },
       nullptr, "", "error: Failed to make BAK save (backup name too long), object not saved"},
  };
  for (const MessageCase& c : cases) {
    for (const char* server : {kIncrementalServer, kBakServer}) {
      const std::string& expected = server == kBakServer ? c.bak : c.incremental;
      if (expected.empty()) continue;
      for (const char* leftover : {"file", ".incr_save", ".bak_save"}) fs::remove_all(at(leftover));
      configure(c.edit);
      reload();
      for (const char* folder : {".incr_save", ".bak_save"}) fs::create_directories(at(folder));
      if (c.prepare) c.prepare(scratch());
      std::string object = openRobot();
      edit();
      EXPECT_EQ(activate(server), 0) << c.label;
      EXPECT_EQ(shownMessages(), std::vector<std::string>{expand(expected, scratch())}) << c.label << ", " << server;
      EXPECT_EQ(host().saveCount(), 0) << c.label << ", " << server;
      EXPECT_EQ(readFile(object), "LWO state 0") << c.label << ", " << server;
    }
  }
}

TEST_F(SaveFlowTest, ObjectsThatCannotBeBackedUpAreRefused) {
  struct {
    std::optional<std::string> path;
  } cases[] = {{std::nullopt}, {""}, {"\x1f/Robot.lwo"}, {"\xc3/Robot.lwo"}, {"/m/Car.lwo.bak"}, {"/m/Car.lw"}};
  for (const auto& c : cases) {
    if (c.path && !hostCanHand(*c.path)) continue;  // bytes that are no text of the code page
    for (const char* server : {kIncrementalServer, kBakServer}) {
      host().clearRecords();
      host().setObjectPath(c.path);
      EXPECT_EQ(activate(server), 0);
      std::string kind = server == kBakServer ? "BAK" : "incremental";
      EXPECT_EQ(shownMessages(), std::vector<std::string>{"info: Cannot do an " + kind +
                                                         " save, object has not yet been saved once (or invalid "
                                                         "file name)"})
          << c.path.value_or("(null)");
      EXPECT_EQ(host().messages()[0].secondLine, std::nullopt);
      EXPECT_EQ(host().saveCount(), 0);
    }
  }
  EXPECT_EQ(listFolder(scratch()), (std::vector<std::string>{"QK_RevKeeper.1.p", "settings"}));
}

TEST_F(SaveFlowTest, AFailedHostSaveKeepsTheBackupAndNamesTheObject) {
  std::string object = openRobot();
  host().setSaveResult(5);
  for (const char* server : {kIncrementalServer, kBakServer}) {
    host().clearRecords();
    EXPECT_EQ(activate(server), 0) << "the activation's result is 0 whatever the save did";
    EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: " + object + " | Failed to save file"});
  }
  EXPECT_EQ(readFile(at(".incr_save/Robot_001.lwo")), "LWO state 0");
  EXPECT_EQ(readFile(at(".bak_save/Robot.bak1.lwo")), "LWO state 0");
}

// With the BAK defaults (one backup kept), an object that cannot be backed
// up leaves the one backup there is: nothing is pruned before a new
// backup stands.
TEST_F(SaveFlowTest, AFailedBackupDeletesNoBackup) {
  struct {
    int32_t format;
    const char* kept;
    std::string message;
  } cases[] = {
      {3, "Robot.bak1.lwo", "@/.bak_save" + kSeparator + "Robot.bak2.lwo | Failed to make BAK save, object not saved"},
      {5, "Robot.bak1.zip",
       "@/.bak_save" + kSeparator + "Robot.bak2.zip | Failed to make compressed BAK save, object not saved"},
      {8, "Robot.bak1.7z",
       "@/.bak_save" + kSeparator + "Robot.bak2.7z | Failed to make compressed BAK save, object not saved"},
  };
  for (const auto& c : cases) {
    configure([&](SaveProfile&, BakSaveProfile& bak) { bak.nameFormat = c.format; });
    reload();
    fs::remove_all(at(".bak_save"));
    fs::create_directories(at(".bak_save"));
    writeFile(at(".bak_save/") + c.kept, "the only backup");
    fs::create_directories(at("Robot.lwo"));  // no file to read
    host().setObjectPath(at("Robot.lwo"));
    activate(kBakServer);
    EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: " + expand(c.message, scratch())}) << c.format;
    EXPECT_EQ(host().saveCount(), 0) << c.format;
    EXPECT_EQ(listFolder(at(".bak_save")), std::vector<std::string>{c.kept}) << c.format;
    EXPECT_EQ(readFile(at(".bak_save/") + c.kept), "the only backup") << c.format;
  }
}

// --- Skip Unchanged Saves ----------------------------------------------------------

// Returns each file of `folder` by name with its bytes.
std::map<std::string, std::string> contentsOf(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : listFolder(folder)) contents[name] = readFile(folder + "/" + name);
  return contents;
}

// The names and sizes of `contents`, for failure messages.
std::string describe(const std::map<std::string, std::string>& contents) {
  std::string text;
  for (const auto& [name, bytes] : contents) text += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
  return text;
}

TEST_F(SaveFlowTest, ASaveWithoutAnEditLeavesTheFolderAsTheFirstSaveLeftIt) {
  const std::string sample = sampleObject();
  for (int32_t format = 0; format <= 9; ++format) {
    // A limit of one: a second backup kept, or the first pruned, shows.
    configure([format](SaveProfile& incremental, BakSaveProfile& bak) {
      incremental.nameFormat = bak.nameFormat = format;
      incremental.maxFiles = bak.maxFiles = 1;
      incremental.skipUnchanged = bak.skipUnchanged = 1;
    });
    reload();
    for (const auto& [server, backups] : {std::pair{kIncrementalServer, ".incr_save"}, {kBakServer, ".bak_save"}}) {
      const std::string where = "format" + std::to_string(format) + "/" + server;
      openObject(where + "/Robot.lwo", sample);
      edit();
      activate(server);
      const std::map<std::string, std::string> first = contentsOf(at(where + "/" + backups));
      ASSERT_EQ(first.size(), 1u) << where;
      activate(server);
      const std::map<std::string, std::string> second = contentsOf(at(where + "/" + backups));
      EXPECT_TRUE(second == first) << where << ": first" << describe(first) << ", then" << describe(second);
    }
    EXPECT_EQ(shownMessages(), std::vector<std::string>{}) << "format " << format;
    EXPECT_EQ(host().saveCount(), 4) << "format " << format;
  }
}

TEST_F(SaveFlowTest, BreakSaveSaveAgainKeepsTheBakOfTheGoodObject) {
  configure([](SaveProfile&, BakSaveProfile& bak) { bak.skipUnchanged = 1; });
  const std::string good = "LWO good", broken = "LWO broken";
  struct Case {
    const char* name;
    std::string second;       // the object the host holds at the second save
    int32_t hostResult;       // of the second save
    bool objectGoneAfterSave;  // the comparison cannot be made
    std::vector<std::string> kept;  // the BAK files left, as "name: bytes"
  } cases[] = {
      {"save again", broken, 0, false, {"Robot.bak1.lwo: " + good}},
      {"edited again", "LWO edited", 0, false, {"Robot.bak2.lwo: " + broken}},
      {"host save fails", broken, 5, false, {"Robot.bak1.lwo: " + good}},  // the new backup repeats the object
      // Nothing can be told apart from an object that is not there: nothing is pruned.
      {"object gone after the save", broken, 0, true, {"Robot.bak1.lwo: " + good, "Robot.bak2.lwo: " + broken}},
  };
  for (const Case& c : cases) {
    const std::string folder = std::string(c.name) + "/.bak_save";
    std::string object = openObject(std::string(c.name) + "/Robot.lwo", good);
    host().setObjectBytes(broken);
    activate(kBakServer);
    host().setObjectBytes(c.second);
    host().setSaveResult(c.hostResult);
    if (c.objectGoneAfterSave) host().setAfterSave([object] { fs::remove(object); });
    activate(kBakServer);
    host().setSaveResult(0);
    host().setAfterSave(nullptr);
    std::vector<std::string> kept;
    for (const auto& [name, bytes] : contentsOf(at(folder))) kept.push_back(name + ": " + bytes);
    EXPECT_EQ(kept, c.kept) << c.name;
  }
}

// Pruning counts the backups as the folder stands once the host has saved:
// never the object itself (a second link to it among the backups), not a
// backup another host removed meanwhile, the new one only when it stays,
// and nothing after a failed host save. A fresh staging file stays too: its
// writer may be another system's host.
TEST_F(SaveFlowTest, PruningCountsTheFolderAsItStandsAfterASuccessfulSave) {
  struct Case {
    const char* label;
    uint32_t limit;
    bool skipUnchanged, edit;
    int32_t hostResult;
    bool objectIsBackup1;           // Robot_001.lwo is a second link to the object
    const char* removedDuringSave;  // another host's backup, removed as unchanged while this host saves
    std::vector<std::string> kept;  // of Robot_001 to _003.lwo, and the new Robot_004.lwo
  } cases[] = {
      {"object is a backup", 2, false, true, 0, true, nullptr, {"Robot_001.lwo", "Robot_003.lwo", "Robot_004.lwo"}},
      {"other host", 3, false, true, 0, false, "Robot_003.lwo", {"Robot_001.lwo", "Robot_002.lwo", "Robot_004.lwo"}},
      {"lowered limit", 2, true, false, 0, false, nullptr, {"Robot_002.lwo", "Robot_003.lwo"}},
      {"failed save", 1, false, true, 5, false, nullptr,
       {"Robot_001.lwo", "Robot_002.lwo", "Robot_003.lwo", "Robot_004.lwo"}},
  };
  for (const Case& c : cases) {
    configure([&c](SaveProfile& incremental, BakSaveProfile&) {
      incremental.maxFiles = c.limit;
      incremental.skipUnchanged = c.skipUnchanged;
    });
    reload();
    const std::string object = openObject(std::string(c.label) + "/Robot.lwo", "LWO state");
    const std::string backups = at(std::string(c.label) + "/.incr_save/");
    fs::create_directory(backups);
    for (const char* k : {"1", "2", "3"}) writeFile(backups + "Robot_00" + k + ".lwo", k);
    writeFile(backups + "Robot.qk0a1b2c3d.part", "being written");
    if (c.objectIsBackup1) {
      fs::remove(backups + "Robot_001.lwo");
      fs::create_hard_link(object, backups + "Robot_001.lwo");
    }
    if (c.edit) edit();
    host().setSaveResult(c.hostResult);
    if (c.removedDuringSave) host().setAfterSave([&] { fs::remove(backups + c.removedDuringSave); });
    activate(kIncrementalServer);
    host().setSaveResult(0);
    host().setAfterSave(nullptr);
    std::vector<std::string> kept = c.kept;
    kept.insert(kept.begin(), "Robot.qk0a1b2c3d.part");
    EXPECT_EQ(listFolder(backups), kept) << c.label;
    EXPECT_EQ(readFile(object) == host().objectBytes(), c.hostResult == 0) << c.label << ": the object holds the save";
  }
}

TEST_F(SaveFlowTest, ANameWithoutAFolderIsSavedWithoutBackupOrMessage) {
  const fs::path previous = fs::current_path();
  fs::current_path(scratch());
  // Names in the current folder, where the host saves them; on POSIX a
  // backslash is part of a name (on Windows it would start at the root).
  std::vector<std::string> names = {"Car.lwo"};
  if (kSeparator == "/") names.push_back("\\Car.lwo");
  for (const std::string& name : names) {
    host().clearRecords();
    host().setObjectPath(name);
    host().setObjectBytes(name);
    activate(kIncrementalServer);
    EXPECT_TRUE(shownMessages().empty()) << name;
    EXPECT_EQ(readFile(at(name)), name);
  }
  EXPECT_FALSE(fs::exists(at(".incr_save")));
  EXPECT_EQ(host().saveCount(), static_cast<int>(names.size()));
  fs::current_path(previous);
}

// An object path is counted as the file system counts it: in bytes on
// POSIX, in UTF-16 units on Windows, where names whose UTF-8 passes 259
// bytes still make one path.
TEST_F(SaveFlowTest, AnObjectPathTooLongForOnePathSavesNothing) {
  auto repeat = [](const std::string& text, size_t times) {
    std::string repeated;
    while (times-- > 0) repeated += text;
    return repeated;
  };
  const size_t room = 259 - scratch().size() - 2 - 4;  // less two separators and ".lwo"
  struct {
    const char* label;
    std::string folder;
    std::string stem;
    bool savedInUnits;  // where the file system counts UTF-16 units; never where it counts these bytes
  } cases[] = {
      {"260 ASCII characters", std::string(room - 4, 'f'), "Robot", false},
      {"259 units, more bytes", "\xE8\xB3\x87" + std::string(room - 61, 'f'), repeat("\xE8\x83\xBD", 60), true},
      {"a 100-character Japanese name in a Japanese-named folder", "\xE8\xB3\x87\xE6\x96\x99",
       repeat("\xE3\x83\xA2", 100), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    host().clearRecords();
    const std::string folder = inScratch(c.folder);
    const std::string object = folder + kSeparator + c.stem + ".lwo";
    if (!hostCanHand(object)) continue;
    fs::create_directory(fs::u8path(folder));
    if (kCountsUnits || c.stem.size() + 4 <= 255) writeFile(object, "long");  // else no file system takes it
    host().setObjectPath(object);
    host().setObjectBytes("edited");
    const int saves = host().saveCount();
    activate(kIncrementalServer);
    if (kCountsUnits && c.savedInUnits) {
      EXPECT_TRUE(shownMessages().empty());
      EXPECT_EQ(readFile(folder + kSeparator + ".incr_save" + kSeparator + c.stem + "_001.lwo"), "long");
      EXPECT_EQ(host().saveCount(), saves + 1);
      continue;
    }
    EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: " + object +
                                                        " | Failed to make incremental save (path too long), "
                                                        "object not saved"});
    EXPECT_EQ(host().saveCount(), saves);
    EXPECT_FALSE(fs::exists(fs::u8path(folder + kSeparator + ".incr_save")));
  }
}

// --- First use ----------------------------------------------------------------------

TEST_F(SaveFlowTest, AFirstActivationWithoutSaveLeavesTheResetToTheNextSave) {
  openRobot();
  host().setSaveCommandAvailable(false);
  EXPECT_EQ(activate(kIncrementalServer), 0);
  host().setSaveCommandAvailable(true);
  EXPECT_EQ(activate(kIncrementalServer), 0);
  EXPECT_EQ(listFolder(at(".incr_save")), std::vector<std::string>{"Robot_001.lwo"});
  EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: Internal error (API init failed)"});
}

// --- Buffers the plug-in's own settings cannot overflow, driven in-process ----

class SaveFlowBufferTest : public PluginTest {
 protected:
  // Runs the linked-in flow (with the test binary's own profiles) on the host.
  void runIncrementalSave(const char* directory) {
    incrementalProfile().reset();
    incrementalProfile().directory.assign(directory);
    ASSERT_EQ(acquireHostServices(host().globalFunction(), host().commandInterface(), 0, kHostTextCodePage), 1);
    runSaveFlow(IncrementalSave, 1, &hostMonitorProgress);
    EXPECT_EQ(hostServices.messages, nullptr) << "released";
  }
};

TEST_F(SaveFlowBufferTest, RelativeFoldersTooLongToComposeCreateNothing) {
  std::string object = openObject("Robot.lwo", "state");
  std::string folderPart = scratch();
  struct {
    size_t composedLength;  // folder, '/', directory
    std::string message;
  } cases[] = {
      {520, "error: Failed to create incremental saves directory, object not saved"},
      {515, ""},  // composes, but more than creation's 512 bytes: the composed folder is named
  };
  for (const auto& c : cases) {
    host().clearRecords();
    std::string directory = "level/" + std::string(c.composedLength - folderPart.size() - 7, 'd');
    runIncrementalSave(directory.c_str());
    std::string expected = c.message.empty() ? "error: " + folderPart + kSeparator + expand(directory, "") +
                                                   " | Failed to create incremental saves directory, object not saved"
                                             : c.message;
    EXPECT_EQ(shownMessages(), std::vector<std::string>{expected}) << c.composedLength;
    EXPECT_FALSE(fs::exists(scratch() + "/level")) << c.composedLength;
    EXPECT_EQ(host().saveCount(), 0);
  }
}

}  // namespace
}  // namespace qktest
