// Compressed backups end to end: the real plug-in file in the stand-in
// host, configured through its options panel, saving into zip and 7z
// archives that the independent readers accept.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/panel_layout.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using qkhost::PanelAction;

class ArchiveSaveFlowTest : public PluginTest {
 protected:
  // Has the user choose both formats and compression levels in the panel.
  void configure(int32_t format, int32_t level, int32_t bakFormat, int32_t bakLevel) {
    host().queuePanelSession({PanelAction::setInteger(kIncrementalFormat, format),
                              PanelAction::setInteger(kIncrementalCompression, level),
                              PanelAction::setInteger(kBakFormat, bakFormat),
                              PanelAction::setInteger(kBakCompression, bakLevel),
                              PanelAction::ok()});
    activate(kConfigureServer);
    ASSERT_TRUE(shownMessages().empty());
    host().clearRecords();
  }

  // Expects `archive` to hold the one entry "Robot.lwo" with `bytes`,
  // compressed at `level`, as the readers see it.
  void expectBackup(const std::string& archive, const std::string& bytes, int32_t level) {
    SCOPED_TRACE(archive);
    if (archive.size() > 3 && archive.substr(archive.size() - 3) == ".7z") {
      expectSevenZipTests(archive);
      std::map<std::string, std::string> entry = sevenZipEntry(archive);
      EXPECT_EQ(entry["Path"], "Robot.lwo");
      EXPECT_EQ(entry["Method"], level ? "LZMA:24" : "LZMA:16");
      EXPECT_EQ(sevenZipContent(archive), bytes);
    } else {
      expectZipTests(archive);
      std::string line = zipinfoEntryLine(archive);
      EXPECT_NE(line.find(level ? " defX " : " defN "), std::string::npos) << line;
      EXPECT_EQ(unzipMember(archive, "Robot.lwo"), bytes);
    }
  }
};

struct FormatCase {
  int32_t format;
  const char* incremental;  // the first incremental backup's name, 3 digits
  const char* bak;          // the first BAK backup's name, 1 digit
};

const FormatCase kFormats[] = {
    {4, "Robot_001.zip", "Robot_bak1.zip"},       {5, "Robot.001.zip", "Robot.bak1.zip"},
    {6, "Robot.lwo.001.zip", "Robot.lwo.bak1.zip"}, {7, "Robot_001.7z", "Robot_bak1.7z"},
    {8, "Robot.001.7z", "Robot.bak1.7z"},         {9, "Robot.lwo.001.7z", "Robot.lwo.bak1.7z"},
};

TEST_F(ArchiveSaveFlowTest, EveryArchiveFormatBacksUpTheFileAsItWasWithItsKindsLevel) {
  const std::string onDisk = sampleObject();
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.format);
    reload();
    std::filesystem::remove_all(scratch() + "/.incr_save");
    std::filesystem::remove_all(scratch() + "/.bak_save");
    configure(c.format, 1, c.format, 0);
    std::string object = openObject("Robot.lwo", onDisk);
    host().setObjectBytes(onDisk + "edited");

    activate(kIncrementalServer);
    activate(kBakServer);
    EXPECT_TRUE(shownMessages().empty());
    EXPECT_EQ(host().saveCount(), 2);
    EXPECT_EQ(readFile(object), onDisk + "edited");
    EXPECT_EQ(listFolder(scratch() + "/.incr_save"), std::vector<std::string>{c.incremental});
    EXPECT_EQ(listFolder(scratch() + "/.bak_save"), std::vector<std::string>{c.bak});
    expectBackup(scratch() + "/.incr_save/" + c.incremental, onDisk, 1);
    // The incremental save had the host write the edit before the BAK backup.
    expectBackup(scratch() + "/.bak_save/" + c.bak, onDisk + "edited", 0);
  }
}

TEST_F(ArchiveSaveFlowTest, ArchivesAreCountedAgainAndShowTheMonitorFor7zOnly) {
  configure(7, 0, 4, 0);
  std::string object = openObject("Robot.lwo", sampleObject());
  activate(kIncrementalServer);
  activate(kIncrementalServer);
  EXPECT_EQ(listFolder(scratch() + "/.incr_save"),
            (std::vector<std::string>{"Robot_001.7z", "Robot_002.7z"}));
  std::vector<qkhost::MonitorEvent::Kind> kinds;
  for (const qkhost::MonitorEvent& e : host().monitorEvents()) kinds.push_back(e.kind);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), qkhost::MonitorEvent::Create), 2);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), qkhost::MonitorEvent::Destroy), 2);
  EXPECT_EQ(host().monitorEvents().front().title, "QK_RevKeeper");

  host().clearRecords();
  activate(kBakServer);
  activate(kBakServer);  // the limit of one keeps only the newest
  EXPECT_EQ(listFolder(scratch() + "/.bak_save"), std::vector<std::string>{"Robot_bak2.zip"});
  EXPECT_TRUE(host().monitorEvents().empty());
  EXPECT_EQ(host().saveCount(), 4);
}

TEST_F(ArchiveSaveFlowTest, FailedArchiveIsReportedLeavesNothingAndSavesNothing) {
  struct Case {
    const char* server;
    int32_t format;
    std::string backup;  // after the scratch folder
    const char* message;
  } cases[] = {
      {kIncrementalServer, 4, kSeparator + ".incr_save" + kSeparator + "Robot_001.zip",
       "Failed to make compressed incremental save, object not saved"},
      {kIncrementalServer, 7, kSeparator + ".incr_save" + kSeparator + "Robot_001.7z",
       "Failed to make compressed incremental save, object not saved"},
      {kBakServer, 5, kSeparator + ".bak_save" + kSeparator + "Robot.bak1.zip",
       "Failed to make compressed BAK save, object not saved"},
      {kBakServer, 8, kSeparator + ".bak_save" + kSeparator + "Robot.bak1.7z",
       "Failed to make compressed BAK save, object not saved"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.backup);
    reload();
    configure(c.format, 0, c.format, 0);
    std::string object = inScratch("Robot.lwo");
    std::filesystem::create_directories(object);  // opens, but cannot be read
    host().setObjectPath(object);
    activate(c.server);
    EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: " + scratch() + c.backup + " | " +
                                                         c.message});
    EXPECT_EQ(host().saveCount(), 0);
    std::string folder = std::filesystem::path(scratch() + c.backup).parent_path().string();
    EXPECT_TRUE(listFolder(folder).empty());

    // Once the file can be read, the next backup takes the same number.
    std::filesystem::remove(object);
    openObject("Robot.lwo", sampleObject());
    host().clearRecords();
    activate(c.server);
    EXPECT_TRUE(shownMessages().empty());
    EXPECT_EQ(listFolder(folder),
              std::vector<std::string>{std::filesystem::path(c.backup).filename().string()});
    std::filesystem::remove_all(object);
    std::filesystem::remove_all(folder);
  }
}

TEST_F(ArchiveSaveFlowTest, AbortAtTheMonitorSavesNothingAndLeavesTheFolderAsItWas) {
  configure(4, 0, 7, 1);  // BAK: 7z High, a limit of one
  const std::string onDisk = textBytes(1 << 20);
  std::string object = openObject("Robot.lwo", onDisk);
  activate(kBakServer);
  const std::vector<std::string> before = listFolder(scratch() + "/.bak_save");
  ASSERT_EQ(before, std::vector<std::string>{"Robot_bak1.7z"});

  host().clearRecords();
  host().setAbortAfterSteps(2);
  host().setObjectBytes(onDisk + "edited");
  activate(kBakServer);
  EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: " + scratch() + kSeparator + ".bak_save" + kSeparator +
                                                       "Robot_bak2.7z | Backup cancelled, object not saved"});
  EXPECT_EQ(listFolder(scratch() + "/.bak_save"), before) << "nothing staged, published or pruned";
  EXPECT_EQ(host().saveCount(), 1);
  EXPECT_EQ(readFile(object), onDisk);
}

}  // namespace
}  // namespace qktest
