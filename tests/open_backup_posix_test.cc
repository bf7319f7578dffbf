// Opening a backup where links are: a link among the backups is neither
// listed nor read through, the object's own file is never offered as a
// backup, and a taken name that leads to a backup is never reused.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/open_backup_fixture.h"

namespace qktest {
namespace {

TEST_F(OpenBackupTest, LinksAreNeitherListedNorReusedAsTheOpenedCopy) {
  const std::string backup = ".incr_save/Robot_001.lwo", second = ".incr_save/Robot_002.lwo";
  const std::vector<std::string> own = {"BAK 1", "Incremental 001"};
  const struct {
    const char* what;
    std::function<void()> arrange;
    std::vector<std::string> heads;
    const char* opened;  // the file the first incremental backup opens as
  } rows[] = {
      {"link to a file elsewhere", [&] { fs::create_symlink(inScratch("secret.txt"), inScratch(second)); }, own,
       "Robot (backup 001).lwo"},
      {"link to the object", [&] { fs::create_symlink("../Robot.lwo", inScratch(second)); }, own,
       "Robot (backup 001).lwo"},
      {"hard link to the object", [&] { fs::create_hard_link(inScratch("Robot.lwo"), inScratch(second)); }, own,
       "Robot (backup 001).lwo"},
      {"hard link to a file elsewhere", [&] { fs::create_hard_link(inScratch("secret.txt"), inScratch(second)); },
       {"BAK 1", "Incremental 001", "Incremental 002"}, "Robot (backup 001).lwo"},
      {"backup folder is a link",
       [&] {
         fs::rename(inScratch(".incr_save"), inScratch("elsewhere"));
         fs::create_directory_symlink(inScratch("elsewhere"), inScratch(".incr_save"));
       },
       own, "Robot (backup 001).lwo"},
      {"opened name: absolute link to the backup",
       [&] { fs::create_symlink(inScratch(backup), inScratch("Robot (backup 001).lwo")); }, own,
       "Robot (backup 001) (2).lwo"},
      {"opened name: relative link to the backup",
       [&] { fs::create_symlink(backup, inScratch("Robot (backup 001).lwo")); }, own, "Robot (backup 001) (2).lwo"},
      {"opened name: hard link to the backup",
       [&] { fs::create_hard_link(inScratch(backup), inScratch("Robot (backup 001).lwo")); }, own,
       "Robot (backup 001) (2).lwo"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    makeBackups(0, "first", "second");
    fs::remove_all(inScratch("elsewhere"));
    fs::remove(inScratch("Robot (backup 001) (2).lwo"));
    writeFile(inScratch("secret.txt"), "secret");
    fs::last_write_time(inScratch("secret.txt"), fs::file_time_type::clock::now() - std::chrono::hours(3));
    fs::last_write_time(inScratch(".bak_save/Robot_bak1.lwo"),
                        fs::file_time_type::clock::now() - std::chrono::hours(2));  // listed last
    row.arrange();
    EXPECT_EQ(heads(), row.heads);
    const std::vector<std::string>& labels = host().panels().back()->choices().at(kOpenBackupChoice);
    size_t position = 0;
    while (position + 1 < labels.size() && labels[position].rfind("Incremental 001 ", 0) != 0) ++position;
    EXPECT_EQ(openAt(static_cast<int32_t>(position)).rfind("Incremental 001 ", 0), 0u);
    EXPECT_EQ(readFile(inScratch(row.opened)), "first");
    EXPECT_EQ(host().loadCount(), 1);
    EXPECT_EQ(readFile(inScratch(backup)), "first");
    EXPECT_EQ(readFile(inScratch("Robot.lwo")), "secondlater");  // the object's file is untouched
  }
}

}  // namespace
}  // namespace qktest
