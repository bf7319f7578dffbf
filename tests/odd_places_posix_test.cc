// Saves in odd places only POSIX offers: paths beyond 260 characters at
// the buffer bounds, names beyond ASCII and with '*' or '?', a backup
// folder that refuses writes (permissions, or the immutable flag for
// root), and a backup folder on another file system.
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

#include "save/backup_namer.h"
#include "tests/odd_places_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// Returns a folder below `base` whose path is exactly `length` characters,
// made of levels of at most 200 characters.
std::string folderOfLength(const std::string& base, size_t length) {
  std::string folder = base;
  while (folder.size() + 201 < length) folder += "/" + std::string(200, 'd');
  folder += "/" + std::string(length - folder.size() - 1, 'e');
  fs::create_directories(folder);
  return folder;
}

// The namer's result buffer holds 519 characters: a backup path of 519 is
// formed, one of 520 or 521 is not, and then nothing is pruned.
TEST_F(OddPlacesTest, BackupPathsAtTheNamersBound) {
  const std::string backup = "/Robot_002.lwo";
  struct {
    size_t pathLength;
    bool formed;
  } cases[] = {{518, true}, {519, true}, {520, false}, {521, false}};
  SaveProfile profile;
  profile.digits = 3;
  profile.maxFiles = 1;
  for (const auto& c : cases) {
    std::string folder = folderOfLength(scratch() + "/" + std::to_string(c.pathLength), c.pathLength - backup.size());
    writeFile(folder + "/Robot_001.lwo", "first");
    const char* name = nextBackupName(folder.c_str(), "Robot.lwo", profile);
    EXPECT_EQ(name != nullptr, c.formed) << c.pathLength;
    EXPECT_EQ(std::string(name != nullptr ? name : ""), c.formed ? folder + backup : "") << c.pathLength;
    EXPECT_EQ(fs::exists(folder + "/Robot_001.lwo"), !c.formed) << c.pathLength << ": pruned only when formed";
  }
}

// An object path of up to 259 characters (one Windows path with its
// terminator) is backed up and saved; 260 is refused (see the save flow's
// own tests). The backup folder's own path may then run past 260.
TEST_F(OddPlacesTest, ObjectPathsJustWithinOnePath) {
  configure(0, 0);
  for (size_t length : {258u, 259u}) {
    std::string folder = folderOfLength(scratch() + "/" + std::to_string(length), length - 10);
    std::string object = openObject(folder.substr(scratch().size() + 1) + "/Robot.lwo", "state");
    ASSERT_EQ(object.size(), length);
    EXPECT_EQ(save(), std::vector<std::string>{}) << length;
    EXPECT_EQ(readFile(folder + "/.incr_save/Robot_001.lwo"), "state") << length;
    EXPECT_EQ(readFile(object), "next state") << length;
  }
}

// Names are bytes: nothing beyond ASCII is folded, and '*' and '?' stand
// for themselves.
TEST_F(OddPlacesTest, NamesOnlyPosixKeepsApartKeepTheirOwnSeries) {
  const OddName cases[] = {
      {"R\xC3\xB6" "bot.lwo", "R\xC3\x96" "bot_001.lwo"},  // UTF-8 o-umlaut; the capital is another byte
      {"R\xE9sum\xE9.lwo", "R\xC9sum\xC9_001.lwo"},      // Latin-1 e-acute
      {"R*t.lwo", "Rabbit_001.lwo"},
      {"R?t.lwo", "Rat_001.lwo"},
  };
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
