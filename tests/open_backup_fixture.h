// The world of the opening tests: a plug-in whose profiles keep backups
// of an object "Robot.lwo", opened through the real plug-in file
// (open_backup_test.cc, and open_backup_posix_test.cc for links).
#ifndef QK_TESTS_OPEN_BACKUP_FIXTURE_H_
#define QK_TESTS_OPEN_BACKUP_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "open/open_panel.h"
#include "platform/text.h"
#include "settings/panel_layout.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {

namespace fs = std::filesystem;
using qkhost::PanelAction;

class OpenBackupTest : public PluginTest {
 protected:
  // A fresh plug-in whose two profiles use `format`, and an object
  // "Robot.lwo" with one incremental backup of `first` and one BAK backup
  // of `second` (the object as it stood before each save).
  void makeBackups(int32_t format, const std::string& first, const std::string& second) {
    reload();
    for (const char* folder : {"/.incr_save", "/.bak_save"}) fs::remove_all(scratch() + folder);
    fs::remove_all(inScratch("Robot (backup 001).lwo"));
    fs::remove_all(inScratch("Robot (BAK 1).lwo"));
    host().queuePanelSession({PanelAction::setInteger(kIncrementalFormat, format),
                              PanelAction::setInteger(kBakFormat, format), PanelAction::ok()});
    activate(kConfigureServer);
    object_ = openObject("Robot.lwo", first);
    host().setObjectBytes(second);
    activate(kIncrementalServer);
    host().setObjectBytes(second + "later");
    activate(kBakServer);
    ASSERT_TRUE(shownMessages().empty());
    host().clearRecords();
  }

  // Opens the entry at `position` of the panel; returns its label.
  std::string openAt(int32_t position) {
    host().clearRecords();
    host().queuePanelSession({PanelAction::setInteger(kOpenBackupChoice, position), PanelAction::ok()});
    activate(kOpenServer);
    host().setObjectPath(object_);  // the loaded copy became the object being edited
    return host().panels().back()->choices().at(kOpenBackupChoice).at(static_cast<size_t>(position));
  }

  // Every file below the scratch folder but the settings, with its bytes.
  std::map<std::string, std::string> snapshot() const { return snapshotOf(scratch(), settingsDir()); }

  // The panel's labels up to their time or state, sorted: "BAK 1",
  // "Incremental 001", "BAK 2 (shared name)"; the panel cancelled.
  std::vector<std::string> heads() {
    host().clearRecords();
    host().queuePanelSession({PanelAction::cancel()});
    activate(kOpenServer);
    std::vector<std::string> heads;
    if (host().panels().empty()) return heads;
    for (const std::string& label : host().panels().back()->choices().at(kOpenBackupChoice))
      heads.push_back(label.substr(0, label.find(std::string(" ") + platformMiddleDot())));
    std::sort(heads.begin(), heads.end());
    return heads;
  }

  std::string object_;
};

}  // namespace qktest

#endif  // QK_TESTS_OPEN_BACKUP_FIXTURE_H_
