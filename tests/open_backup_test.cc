// Opening a backup through the real plug-in file: what the host loads, and
// that nothing else in the folders changes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/archive_test_support.h"
#include "tests/open_backup_fixture.h"
#include "tests/support/hostile_archives.h"

namespace qktest {
namespace {

TEST_F(OpenBackupTest, EveryFormatOfBothKindsOpensTheObjectAsItStoodBeforeThatSave) {
  const std::string first = sampleObject(), second = sampleObject() + "edited";
  for (int32_t format = 0; format <= 9; ++format) {
    makeBackups(format, first, second);
    for (int32_t position : {0, 1}) {
      SCOPED_TRACE("format " + std::to_string(format) + ", position " + std::to_string(position));
      std::map<std::string, std::string> before = snapshot();
      std::string label = openAt(position);
      bool bak = label.rfind("BAK 1 ", 0) == 0;
      ASSERT_TRUE(bak || label.rfind("Incremental 001 ", 0) == 0) << label;
      std::string opened = inScratch(bak ? "Robot (BAK 1).lwo" : "Robot (backup 001).lwo");
      EXPECT_TRUE(shownMessages().empty()) << shownMessages().front();
      EXPECT_EQ(host().loadCount(), 1 + position);
      EXPECT_TRUE(readFile(opened) == (bak ? second : first)) << opened;
      EXPECT_TRUE(host().objectBytes() == (bak ? second : first));
      std::map<std::string, std::string> after = snapshot();
      after.erase(opened);
      EXPECT_TRUE(after == before);  // the object, its backups and nothing else
    }
  }
}

// LOAD's file name goes in the activation's encoding: counted in the code
// page, with the length 0 that marks UTF-8 under interface 4. The section
// sign is one byte in code page 1252 and two in UTF-8 (and every code page
// of interface 3 spells it).
TEST_F(OpenBackupTest, LoadNamesTheFileInTheActivationsEncoding) {
  const std::string object = openObject("Robot\xC2\xA7.lwo", "first");
  host().setObjectBytes("second");
  activate(kIncrementalServer);
  const std::string opened = inScratch("Robot\xC2\xA7 (backup 001).lwo");
  struct Case {
    int32_t version;
    bool counted;  // the argument's length counts its bytes, terminator included; else it is 0
  } cases[] = {{HOST_INTERFACE_CODE_PAGE, true}, {HOST_INTERFACE_UTF8, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("interface " + std::to_string(c.version));
    fs::remove(fs::u8path(opened));
    host().clearRecords();
    host().setObjectPath(object);
    host().queuePanelSession({PanelAction::setInteger(kOpenBackupChoice, 0), PanelAction::ok()});
    activate(kOpenServer, c.version);
    std::vector<std::string> load;
    for (const qkhost::HostCall& call : host().calls())
      if (call.operation == "execute") load = call.arguments;
    ASSERT_EQ(load.size(), 6u);
    EXPECT_EQ(handedText(load[3]), opened);
    EXPECT_EQ(load[4], c.counted ? std::to_string(load[3].size() + 1) : "0");
    EXPECT_EQ(readFile(opened), "first");
  }
  EXPECT_EQ(host().loadCount(), 2);
}

TEST_F(OpenBackupTest, EachRefusalAndFailureSaysSoAndWritesNothing) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;  // "<scratch>" stands for the scratch folder
  } cases[] = {
      {"never saved", [this] { host().setObjectPath(std::nullopt); },
       "info: Cannot open a backup, object has not yet been saved once (or invalid file name)"},
      {"no backups", [this] { openObject("Other.lwo", "x"); },
       "info: There are no backups of this object to open"},
      {"no LOAD", [this] { host().setLoadCommandAvailable(false); },
       "error: Internal error (host has no LOAD command), nothing opened"},
      {"damaged zip",
       [this] {
         std::string zip = inScratch(".incr_save/Robot_001.zip");
         std::string bytes = readFile(zip);
         bytes[bytes.size() / 2] ^= 0x55;
         writeFile(zip, bytes);
         fs::remove_all(inScratch(".bak_save"));  // the damaged one is the only choice
       },
       "error: <scratch>" + kSeparator + ".incr_save" + kSeparator + "Robot_001.zip | Backup is damaged, nothing opened"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeBackups(4, sampleObject(), sampleObject() + "edited");
    c.arrange();
    std::map<std::string, std::string> before = snapshot();
    host().queuePanelSession({PanelAction::setInteger(kOpenBackupChoice, 0), PanelAction::ok()});
    activate(kOpenServer);
    std::string message = c.message;
    if (message.find("<scratch>") != std::string::npos) message.replace(message.find("<scratch>"), 9, scratch());
    EXPECT_EQ(shownMessages(), std::vector<std::string>{message});
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(host().loadCount(), 0);
  }
}

TEST_F(OpenBackupTest, AHostileOrMisnamedArchiveOpensAsItsContainerOrNotAtAll) {
  const std::string first = sampleObject();
  const char kDamaged[] = "Backup is damaged, nothing opened";
  struct Case {
    const char* what;
    int32_t format;
    const char* backup;  // in .incr_save, replaced by what `make` returns from its bytes
    std::function<std::string(const std::string&)> make;
    const char* renamed;  // the backup's name afterwards
    const char* message;  // "" when it opens, null when nothing is said
  } cases[] = {
      {"upper-case extension", 4, "Robot_001.zip", [](const std::string& b) { return b; }, "Robot_001.ZIP", ""},
      {"directory entry", 4, "Robot_001.zip",
       [this](const std::string&) {
         fs::create_directories(inScratch("Dir/Robot.lwo"));
         runCommand("7zz a -bso0 " + readerArgument(inScratch("Dir.zip")) + " " + readerArgument(inScratch("Dir/Robot.lwo")));
         fs::remove_all(inScratch("Dir"));
         std::string bytes = readFile(inScratch("Dir.zip"));
         fs::remove(inScratch("Dir.zip"));
         return bytes;
       },
       "Robot_001.zip", kDamaged},
      {"header bomb", 7, "Robot_001.7z", [](const std::string& b) { return withEncodedHeaderOf(b, (1 << 20) + 1); },
       "Robot_001.7z", kDamaged},
      {"dictionary of 2 GiB", 7, "Robot_001.7z", [](const std::string& b) { return withDictionary(b, 1u << 31); },
       "Robot_001.7z", "Backup cannot be read, nothing opened"},
      {"abort while reading", 7, "Robot_001.7z",
       [this](const std::string& b) {
         host().setAbortAfterSteps(1);
         return b;
       },
       "Robot_001.7z", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeBackups(c.format, first, first + "edited");
    fs::remove_all(inScratch(".bak_save"));  // the incremental one is the only choice
    std::string backup = inScratch(std::string(".incr_save/") + c.backup);
    std::string bytes = c.make(readFile(backup));
    fs::remove(backup);
    writeFile(inScratch(std::string(".incr_save/") + c.renamed), bytes);
    std::map<std::string, std::string> before = snapshot();
    host().queuePanelSession({PanelAction::setInteger(kOpenBackupChoice, 0), PanelAction::ok()});
    activate(kOpenServer);
    host().setAbortAfterSteps(0);
    std::vector<std::string> expected;
    if (c.message != nullptr && *c.message != '\0')
      expected.push_back("error: " + scratch() + kSeparator + ".incr_save" + kSeparator + c.renamed + " | " + c.message);
    EXPECT_EQ(shownMessages(), expected);
    bool opens = c.message != nullptr && *c.message == '\0';
    EXPECT_EQ(host().loadCount(), opens ? 1 : 0);
    EXPECT_TRUE(opens ? readFile(inScratch("Robot (backup 001).lwo")) == first : snapshot() == before);
  }
}

TEST_F(OpenBackupTest, BackupsAreListedNewestFirstAcrossBothKindsWithTimeAndSize) {
  makeBackups(0, sampleObject(), sampleObject() + "edited");
  activate(kIncrementalServer);  // a second incremental backup
  fs::file_time_type now = fs::file_time_type::clock::now();
  const struct {
    const char* backup;
    int hoursAgo;
  } times[] = {{".incr_save/Robot_001.lwo", 3}, {".bak_save/Robot_bak1.lwo", 2}, {".incr_save/Robot_002.lwo", 1}};
  for (const auto& t : times) fs::last_write_time(inScratch(t.backup), now - std::chrono::hours(t.hoursAgo));
  host().queuePanelSession({PanelAction::cancel()});
  activate(kOpenServer);
  std::vector<std::string> labels = host().panels().back()->choices().at(kOpenBackupChoice);
  const char* expected[] = {"Incremental 002 ", "BAK 1 ", "Incremental 001 "};
  ASSERT_EQ(labels.size(), 3u);
  for (size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(labels[i].rfind(expected[i], 0), 0u) << labels[i];
    EXPECT_TRUE(std::regex_search(labels[i], std::regex(" \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d .* 1\\.1 KB$")))
        << labels[i];
  }
  EXPECT_EQ(host().loadCount(), 0);
}

TEST_F(OpenBackupTest, ATakenNameIsReusedOnlyWithTheSameBytesAndAFailedLoadLeavesTheFile) {
  makeBackups(0, sampleObject(), sampleObject() + "edited");
  std::string opened = inScratch("Robot (backup 001).lwo");
  openAt(1);
  openAt(1);  // the same bytes again: the file is used, no second one made
  EXPECT_EQ(host().loadCount(), 2);
  EXPECT_FALSE(fs::exists(inScratch("Robot (backup 001) (2).lwo")));
  writeFile(opened, "the artist's own work");
  host().setLoadResult(7);
  openAt(1);
  EXPECT_EQ(readFile(opened), "the artist's own work");
  std::string numbered = inScratch("Robot (backup 001) (2).lwo");
  EXPECT_TRUE(readFile(numbered) == sampleObject());
  EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: " + numbered +
                                                       " | Failed to load the opened backup, the file is left in place"});
}

// Where objects share a backup name (the global BAK name) or an absolute
// folder, only what a backup records tells whose it is: another object's
// archive is left out, and one whose object cannot be proven is marked.
// A number is shown as its file name writes it.
TEST_F(OpenBackupTest, OnlyThisObjectsBackupsAreListedWithTheirNumbersAsNamed) {
  const std::string shared = inScratch("shared");
  const std::string absolute = (kSeparator == "/" ? "/" : "") + shared;  // "//tmp/..." is absolute on Linux
  auto saveTwoObjects = [&](int32_t format, bool globalName, const std::string& other) {
    reload();
    for (const char* stale : {"shared", ".bak_save", ".incr_save", "Robot (BAK 1).lwo", "Robot (BAK 2).lwo"})
      fs::remove_all(inScratch(stale));
    fs::create_directories(shared);
    fs::create_directories(inScratch("sub"));
    host().queuePanelSession({PanelAction::setInteger(kBakFormat, format), PanelAction::setInteger(kBakMaxFiles, 5),
                              PanelAction::setInteger(kUseGlobalName, globalName ? 1 : 0),
                              PanelAction::setText(kBakDirectory, globalName ? ".bak_save" : absolute),
                              PanelAction::ok()});
    host().queueAnswer(true);  // to the question whether to proceed with a shared name or folder
    activate(kConfigureServer);
    object_ = openObject("Robot.lwo", "robot");
    activate(kBakServer);
    openObject(other, "other");
    activate(kBakServer);
    host().setObjectPath(object_);
  };
  const struct {
    const char* what;
    std::function<void()> arrange;
    std::vector<std::string> heads;
    const char* opened;  // the newest one opens as this file
    const char* bytes;   // holding these
  } rows[] = {
      {"numbers beyond 32 bits",
       [&] {
         makeBackups(0, "first", "second");
         fs::rename(inScratch(".incr_save/Robot_001.lwo"), inScratch(".incr_save/Robot_2147483648.lwo"));
         fs::last_write_time(inScratch(".bak_save/Robot_bak1.lwo"),
                             fs::file_time_type::clock::now() - std::chrono::hours(2));  // listed second
       },
       {"BAK 1", "Incremental 2147483648"}, "Robot (backup 2147483648).lwo", "first"},
      {"global name, zip", [&] { saveTwoObjects(4, true, "Car.lwo"); }, {"BAK 1"}, "Robot (BAK 1).lwo", "robot"},
      {"global name, 7z", [&] { saveTwoObjects(7, true, "Car.lwo"); }, {"BAK 1 (shared name)"},
       "Robot (BAK 1).lwo", "robot"},
      {"global name, plain copy", [&] { saveTwoObjects(0, true, "Car.lwo"); },
       {"BAK 1 (shared name)", "BAK 2 (shared name)"}, "Robot (BAK 2).lwo", "other"},
      {"absolute folder, zip", [&] { saveTwoObjects(4, false, "sub/Robot.lwo"); }, {"BAK 1"}, "Robot (BAK 1).lwo",
       "robot"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    row.arrange();
    EXPECT_EQ(heads(), row.heads);
    openAt(0);
    EXPECT_EQ(readFile(inScratch(row.opened)), row.bytes);
  }
}

}  // namespace
}  // namespace qktest
