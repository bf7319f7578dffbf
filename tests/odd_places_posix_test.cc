// Saves in odd places only POSIX offers: paths beyond 260 characters at
// the buffer bounds, names beyond ASCII and with '*' or '?', a backup
// folder that refuses writes (permissions, or the immutable flag for
// root), a backup folder on another file system, symbolic links planted
// at staging names, an object that is a FIFO, and backup names of 255
// bytes (beyond 260 characters with their folder).
#include <fcntl.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "save/backup_namer.h"
#include "settings/settings_file.h"
#include "tests/odd_places_fixture.h"
#include "tests/support/fault_plan.h"

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
    BackupPlan plan;
    NamingRefusal refusal;
    bool formed = planBackupFrom(folder.c_str(), "Robot.lwo", profile, 1, &plan, &refusal);
    EXPECT_EQ(formed, c.formed) << c.pathLength;
    EXPECT_EQ(plan.path, c.formed ? folder + backup : "") << c.pathLength;
    EXPECT_EQ(plan.prune, formed ? std::vector<std::string>{"Robot_001.lwo"} : std::vector<std::string>{})
        << c.pathLength << ": pruned only when formed";
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

// Links planted in a shared folder where the plug-in once put its staging
// files, to a file and to nothing: the plug-in writes through none of them,
// and what it publishes is a file of its own.
TEST_F(OddPlacesTest, LinksPlantedAtStagingNamesAreNeverFollowed) {
  const std::string victim = scratch() + "/victim";
  const std::string nowhere = scratch() + "/nowhere";
  for (const std::string& target : {victim, nowhere}) {
    writeFile(victim, "not to be touched");
    struct {
      std::string file;  // what the save makes
      std::string link;  // planted beside it
      std::function<void()> run;
    } cases[] = {
        {".incr_save/Robot_001.zip", ".incr_save/Robot_001.zip.partial", [&] {
           configure(4, 0);
           EXPECT_EQ(save(), std::vector<std::string>{});
         }},
        {".incr_save/Robot_001.7z", ".incr_save/Robot_001.7z.partial", [&] {
           configure(7, 0);
           EXPECT_EQ(save(), std::vector<std::string>{});
         }},
        {"settings/qk_revkeeper.cfg", "settings/qk_revkeeper.tmp", [&] {
           host().setFolder(HOST_FOLDER_SETTINGS, scratch() + "/settings");
           ASSERT_EQ(acquireHostServices(host().globalFunction(), host().commandInterface(), 1, kHostTextCodePage), 1);
           EXPECT_EQ(saveSettings(), 1);
           releaseHostServices();
         }},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.link + " -> " + target);
      openObject("Robot.lwo", "state");
      fs::remove_all(scratch() + "/.incr_save");
      fs::remove_all(scratch() + "/settings");
      fs::create_directories(fs::path(scratch() + "/" + c.link).parent_path());
      fs::create_symlink(target, scratch() + "/" + c.link);
      c.run();
      EXPECT_EQ(readFile(victim), "not to be touched");
      EXPECT_FALSE(fs::exists(nowhere));
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(scratch() + "/" + c.file)));
    }
  }
}

bool alarmRang = false;
void ringAlarm(int) { alarmRang = true; }

// An object path that names a FIFO: the save fails at once with the kind's
// message, where opening it to read would wait for a writer for ever.
TEST_F(OddPlacesTest, AnObjectThatIsAFifoFailsWithoutWaiting) {
  struct sigaction ring = {};
  ring.sa_handler = ringAlarm;  // no SA_RESTART: a waiting open gives up
  struct sigaction previous;
  ASSERT_EQ(sigaction(SIGALRM, &ring, &previous), 0);
  struct {
    int32_t format;
    const char* backup;
    const char* message;
  } cases[] = {{0, "Robot_001.lwo", kMakeSave}, {4, "Robot_001.zip", kCompressedSave},
               {7, "Robot_001.7z", kCompressedSave}};
  std::string object = scratch() + "/Robot.lwo";
  ASSERT_EQ(mkfifo(object.c_str(), 0600), 0);
  host().setObjectPath(object);
  for (const auto& c : cases) {
    configure(c.format, 0);
    alarmRang = false;
    alarm(2);
    std::vector<std::string> shown = save();
    alarm(0);
    EXPECT_FALSE(alarmRang) << c.format << ": waited on the FIFO";
    EXPECT_EQ(shown, std::vector<std::string>{scratch() + "/.incr_save/" + c.backup + " | " + c.message})
        << c.format;
    EXPECT_EQ(host().saveCount(), 0) << c.format;
    EXPECT_TRUE(listFolder(scratch() + "/.incr_save").empty()) << c.format;
  }
  sigaction(SIGALRM, &previous, nullptr);
}

// A backup name of 255 bytes, the most a file system allows, is made in
// every kind: staging takes no longer name than that.
TEST_F(OddPlacesTest, BackupNamesOfTheLongestLength) {
  struct {
    int32_t format;
    const char* tail;  // after the global name
  } cases[] = {{3, ".bak1.lwo"}, {5, ".bak1.zip"}, {8, ".bak1.7z"}};
  FaultPlan faults;
  for (bool named : {false, true})
    for (const auto& c : cases) {
      SCOPED_TRACE("format " + std::to_string(c.format) + (named ? ", staging names" : ""));
      faults.failAlways(kPlatformOpCreateUnnamed, named ? kPlatformIoError : kPlatformOk);
      BakSaveProfile& bak = bakProfile();
      bak.reset();
      bak.nameFormat = c.format;
      bak.useGlobalName = 1;
      std::string global(255 - strlen(c.tail), 'g');
      bak.globalName.assign(global.c_str());
      fs::remove_all(inScratch(".bak_save"));
      openObject("Robot.lwo", "state");
      ASSERT_EQ(save("next state", BakSave), std::vector<std::string>{});
      std::string backup = global + c.tail;
      EXPECT_EQ(listFolder(inScratch(".bak_save")), std::vector<std::string>{backup});
      expectBackupHolds(inScratch(".bak_save") + kSeparator + backup, c.format, "state");
    }
}

}  // namespace
}  // namespace qktest
