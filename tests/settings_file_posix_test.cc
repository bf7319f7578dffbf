// The settings file where only POSIX lets a test look: a disk that fills
// up during a save (a file size limit), and the file's permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "tests/settings_file_fixture.h"
#include "tests/support/file_size_cap.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

TEST_F(SettingsFileTest, AFailedSaveLeavesThePreviousFileAsItWas) {
  const std::string previous(40, 'p');  // any bytes: the save must not touch them
  struct {
    const char* name;
    rlim_t sizeCap;  // the new file takes 176 bytes
  } errors[] = {
      {"the disk fills up part-way", 100},
      {"the file system fills up at once", 1},
  };
  for (const auto& c : errors) {
    fs::remove_all(settingsDir());
    fs::create_directories(settingsDir());
    writeFile(settingsFile(), previous);
    int saved;
    {
      FileSizeCap cap(c.sizeCap);
      saved = saveSettings();
    }
    EXPECT_EQ(saved, 0) << c.name;
    EXPECT_EQ(readFile(settingsFile()), previous) << c.name;
    EXPECT_EQ(listFolder(settingsDir()), std::vector<std::string>{"qk_revkeeper.cfg"}) << c.name;
  }
}

TEST_F(SettingsFileTest, TheFileIsItsOwnersAlone) {
  for (bool previous : {false, true}) {
    fs::remove_all(settingsFile());
    if (previous) writeFile(settingsFile(), "an older file, as the umask left it");
    ASSERT_EQ(saveSettings(), 1) << previous;
    struct stat status;
    ASSERT_EQ(stat(settingsFile().c_str(), &status), 0) << previous;
    EXPECT_EQ(status.st_mode & 0777, 0600u) << previous;
  }
}

}  // namespace
}  // namespace qktest
