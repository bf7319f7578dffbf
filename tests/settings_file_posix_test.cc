// The settings file on a disk that fills up part-way through a save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/host_services.h"
#include "settings/settings_file.h"
#include "tests/support/file_size_cap.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using SettingsFileFullDiskTest = PluginTest;

TEST_F(SettingsFileFullDiskTest, AFailedSaveLeavesThePreviousFileAsItWas) {
  ASSERT_EQ(acquireHostServices(host().globalFunction(), host().commandInterface(), 0), 1);
  const std::string file = inScratch("settings/qk_revkeeper.cfg");
  const std::string previous(40, 'p');  // any bytes: the save must not touch them
  writeFile(file, previous);
  int saved;
  {
    FileSizeCap cap(100);  // the new file's 176 bytes do not fit
    saved = saveSettings();
  }
  releaseHostServices();
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(readFile(file), previous);
  EXPECT_EQ(listFolder(settingsDir()), std::vector<std::string>{"qk_revkeeper.cfg"});
}

}  // namespace
}  // namespace qktest
