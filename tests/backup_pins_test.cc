// Pinning from the "Open Backup" panel through the real plug-in file:
// pin and unpin by renaming, the object's own line when it has no
// backups, and "Pin Current File".
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/open_backup_fixture.h"

namespace qktest {
namespace {

class BackupPinsTest : public OpenBackupTest {
 protected:
  // Applies `action` to the entry at `position` of the panel; returns the
  // panel's labels.
  std::vector<std::string> act(int32_t position, OpenAction action) {
    host().clearRecords();
    host().queuePanelSession({PanelAction::setInteger(kOpenBackupChoice, position),
                              PanelAction::setInteger(kOpenBackupAction, action), PanelAction::ok()});
    activate(kOpenServer);
    host().setObjectPath(object_);
    return host().panels().back()->choices().at(kOpenBackupChoice);
  }

  // Sets incremental settings on the options panel.
  void configure(std::vector<PanelAction> edits) {
    edits.push_back(PanelAction::ok());
    host().queuePanelSession(edits);
    activate(kConfigureServer);
  }

  // The position of the first label ending in " · pinned"; -1 when none does.
  int32_t pinnedPosition() {
    host().clearRecords();
    host().queuePanelSession({PanelAction::cancel()});
    activate(kOpenServer);
    const std::vector<std::string> labels = host().panels().back()->choices().at(kOpenBackupChoice);
    for (size_t i = 0; i < labels.size(); ++i)
      if (std::regex_search(labels[i], std::regex(" pinned$"))) return static_cast<int32_t>(i);
    return -1;
  }

  std::vector<std::string> incremental() { return listFolder(inScratch(".incr_save")); }
};

// One object's one backup pinned, pinned again, unpinned, unpinned again,
// then pinned while another file takes its old name: each step renames or
// says why it changes nothing, and the backup keeps its bytes throughout.
TEST_F(BackupPinsTest, PinAndUnpinRenameBackAndForthAndRefuseWhatCannotBeDone) {
  makeBackups(0, "first", "second");
  fs::remove_all(inScratch(".bak_save"));
  const std::string plain = inScratch(".incr_save") + kSeparator + "Robot_001.lwo";
  const std::string pinned = inScratch(".incr_save") + kSeparator + "Robot_001 (pinned).lwo";
  const struct {
    const char* what;
    std::function<void()> arrange;
    OpenAction action;
    std::vector<std::string> names;  // in the incremental folder afterwards
    std::string message;             // "" for none
  } steps[] = {
      {"pin", [] {}, kActionPin, {"Robot_001 (pinned).lwo"}, ""},
      {"pin again", [] {}, kActionPin, {"Robot_001 (pinned).lwo"},
       "error: " + pinned + " | Backup is pinned already, nothing changed"},
      {"unpin", [] {}, kActionUnpin, {"Robot_001.lwo"}, ""},
      {"unpin again", [] {}, kActionUnpin, {"Robot_001.lwo"},
       "error: " + plain + " | Backup is not pinned, nothing changed"},
      {"unpin onto a taken name",
       [&] {
         act(0, kActionPin);
         writeFile(plain, "taken");  // listed after the pinned one of the same number
       },
       kActionUnpin, {"Robot_001 (pinned).lwo", "Robot_001.lwo"},
       "error: " + pinned + " | Cannot unpin the backup (the name Robot_001.lwo is taken), it stays pinned"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.arrange();
    act(0, step.action);
    EXPECT_EQ(shownMessages(), step.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{step.message});
    EXPECT_EQ(incremental(), step.names);
    EXPECT_EQ(readFile(fs::exists(pinned) ? pinned : plain), "first");
    EXPECT_EQ(host().loadCount(), 0);
  }
  EXPECT_EQ(readFile(plain), "taken");
  EXPECT_EQ(pinnedPosition(), 0);
}

// With no backups the panel still shows, its one line the object's file;
// only "Pin Current File" applies there, the others change nothing.
TEST_F(BackupPinsTest, WithoutBackupsTheObjectsLineOffersOnlyPinCurrentFile) {
  const struct {
    OpenAction action;
    std::vector<std::string> made;  // in the incremental folder
    std::vector<std::string> messages;
  } rows[] = {
      {kActionOpen, {}, {"info: There are no backups of this object to open"}},
      {kActionPin, {}, {"info: There are no backups of this object to open"}},
      {kActionUnpin, {}, {"info: There are no backups of this object to open"}},
      {kActionPinCurrentFile, {"Robot_001 (pinned).lwo"}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.action);
    reload();
    fs::remove_all(inScratch(".incr_save"));
    object_ = openObject("Robot.lwo", std::string(2048, 'x'));
    std::map<std::string, std::string> before = snapshot();
    std::vector<std::string> labels = act(0, row.action);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_TRUE(std::regex_match(labels[0], std::regex("Current file \\S+ \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d \\S+ 2\\.0 KB")))
        << labels[0];
    EXPECT_EQ(shownMessages(), row.messages);
    EXPECT_EQ(incremental(), row.made);
    EXPECT_TRUE(!row.made.empty() || snapshot() == before);
    EXPECT_EQ(host().loadCount(), 0);
  }
  EXPECT_EQ(readFile(inScratch(".incr_save") + kSeparator + "Robot_001 (pinned).lwo"), std::string(2048, 'x'));
}

// "Pin Current File" backs up the object's file as it stands now, as the
// next incremental backup in the profile's format and container, then
// pins it; Skip Unchanged Saves does not take it back although it holds
// what the object holds. The next save numbers above it.
TEST_F(BackupPinsTest, PinCurrentFileKeepsTheStateOnDiskAsTheNextBackupPinned) {
  const struct {
    int32_t format;
    bool skipUnchanged;
    const char* pinned;
    const char* next;  // the next save's backup
  } rows[] = {
      {0, false, "Robot_002 (pinned).lwo", "Robot_003.lwo"},
      {0, true, "Robot_002 (pinned).lwo", "Robot_003.lwo"},
      {4, true, "Robot_002 (pinned).zip", "Robot_003.zip"},
      {7, true, "Robot_002 (pinned).7z", "Robot_003.7z"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.format) + (row.skipUnchanged ? ", skip unchanged" : ""));
    makeBackups(row.format, "first", "second");  // the file on disk holds "secondlater"
    configure({PanelAction::setInteger(kIncrementalSkipUnchanged, row.skipUnchanged ? 1 : 0)});
    act(0, kActionPinCurrentFile);
    EXPECT_EQ(shownMessages(), std::vector<std::string>{});
    host().setObjectBytes("third");
    activate(kIncrementalServer);
    std::vector<std::string> names = incremental();
    EXPECT_EQ(names.size(), 3u);
    EXPECT_TRUE(std::find(names.begin(), names.end(), row.pinned) != names.end());
    EXPECT_TRUE(std::find(names.begin(), names.end(), row.next) != names.end());
    int32_t position = pinnedPosition();
    ASSERT_GE(position, 0);
    openAt(position);
    EXPECT_EQ(host().objectBytes(), "secondlater");
  }
}

}  // namespace
}  // namespace qktest
