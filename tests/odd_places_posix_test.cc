// Saves in odd places only POSIX offers: '*' and '?' in object names, a
// backup folder that refuses writes (permissions, or the immutable flag
// for root), and a backup folder on another file system.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/odd_places_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

TEST_F(OddPlacesTest, GlobCharactersInNamesStandForThemselves) {
  const OddName cases[] = {{"R*t.lwo", "Rabbit_001.lwo"}, {"R?t.lwo", "Rat_001.lwo"}};
  for (int32_t format : {0, 4, 7})
    for (const OddName& c : cases)
      expectOwnSeries(*this, c, format, inScratch("g" + std::to_string(format) + "-" + std::to_string(&c - cases)));
}

// Makes `folder` immutable when running as root (who ignores permissions),
// or read-only otherwise. Returns false when neither can be done.
bool makeUnwritable(const std::string& folder) {
  if (geteuid() != 0) return chmod(folder.c_str(), 0555) == 0;
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  int flags = 0;
  bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
              (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  if (fd >= 0) close(fd);
  return done;
}

void makeWritable(const std::string& folder) {
  chmod(folder.c_str(), 0755);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  int flags = 0;
  if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags &= ~FS_IMMUTABLE_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  if (fd >= 0) close(fd);
}

// A backup folder that cannot be written: the save stops with the format's
// message naming the new backup, the earlier backup that pruning could not
// delete stays, and the object is not saved.
TEST_F(OddPlacesTest, ReadOnlyBackupFolder) {
  struct {
    int32_t format;
    const char* backup;
    const char* message;
  } cases[] = {{0, "Robot_002.lwo", kMakeSave}, {4, "Robot_002.zip", kCompressedSave},
               {7, "Robot_002.7z", kCompressedSave}};
  for (const auto& c : cases) {
    configure(c.format, 1);
    std::string folder = scratch() + "/ro" + std::to_string(c.format);
    std::string object = openObject(folder.substr(scratch().size() + 1) + "/Robot.lwo", "state");
    std::string backups = folder + "/.incr_save";
    std::string first = std::string("Robot_001") + fs::path(c.backup).extension().string();
    fs::create_directories(backups);
    writeFile(backups + "/" + first, "first");
    if (!makeUnwritable(backups))
      GTEST_SKIP() << "running as root on a file system without the immutable flag: no folder refuses root";
    std::vector<std::string> shown = save();
    makeWritable(backups);
    EXPECT_EQ(shown, std::vector<std::string>{backups + "/" + c.backup + " | " + c.message}) << c.format;
    EXPECT_EQ(listFolder(backups), std::vector<std::string>{first}) << c.format;
    EXPECT_EQ(readFile(object), "state") << c.format;
  }
}

// The backup folder on another file system than the object (tmpfs against
// the scratch folder's): the kernel cannot copy in place across them, and
// the copy goes through a buffer; archives are renamed within their folder.
TEST_F(OddPlacesTest, BackupFolderOnAnotherFileSystem) {
  struct statfs here, shm;
  if (statfs(scratch().c_str(), &here) != 0 || statfs("/dev/shm", &shm) != 0 || here.f_type == shm.f_type)
    GTEST_SKIP() << "/dev/shm is not another file system here";
  char pattern[] = "/dev/shm/qk_odd.XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string shmFolder = pattern;
  std::string data = randomBytes(300000);
  for (int32_t format : {0, 4, 7}) {
    configure(format, 0, "/" + shmFolder);  // two separators: an absolute folder on every platform
    std::string object = openObject("Robot" + std::to_string(format) + ".lwo", data);
    EXPECT_EQ(save(), std::vector<std::string>{}) << format;
    std::string backup = shmFolder + "/Robot" + std::to_string(format) + "_001" +
                         (format == 0 ? ".lwo" : format == 4 ? ".zip" : ".7z");
    expectBackupHolds(backup, format, data);
  }
  EXPECT_EQ(listFolder(shmFolder).size(), 3u) << "no staging file left";
  fs::remove_all(shmFolder);
}

}  // namespace
}  // namespace qktest
