// Reading backups back: every format the writer makes reads back as the
// object it held, and a damaged archive is refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <string>

#include "archive/backup_reader.h"
#include "backups/save_profile.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "platform/staged_file.h"
#include "save/backup_namer.h"
#include "save/backup_writer.h"
#include "tests/archive_test_support.h"
#include "tests/support/hostile_archives.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;
using BackupReaderTest = ScratchTest;

const uint64_t kObjectTime = 132682260300000000ull;  // 2021-06-15 10:20:30 UTC, an even second for DOS time

// Writes the backup of `object` in `format` as a save would; returns its path.
std::string writeBackup(const std::string& folder, int32_t format) {
  SaveProfile profile;
  profile.nameFormat = format;
  profile.compressionLevel = format % 2;  // Normal and High both
  BackupPlan plan;
  NamingRefusal refusal;
  EXPECT_TRUE(planBackupFrom(folder.c_str(), "Box.lwo", profile, 1, &plan, &refusal));
  PlatformFile* staged = writeStagedBackup((folder + kSeparator + "Box.lwo").c_str(), plan, profile, nullptr, &kNoArchiveProgress);
  EXPECT_TRUE(staged != nullptr && publishStagedBackup(staged, "Box.lwo", profile, &plan, &refusal));
  platformClose(staged);
  return plan.path;
}

// Extracts `backup` into a staged file, published as `target` only when the
// reader succeeds.
BackupReadResult extractTo(const std::string& backup, const std::string& folder, const std::string& target) {
  PlatformFile* out = createStagedFile(folder.c_str(), "Opened", kPlatformStageNew);
  BackupReadResult result = out != nullptr ? extractBackup(backup.c_str(), out, &hostMonitorProgress) : kBackupReadWriteFailed;
  PlatformError error = kPlatformOk;
  if (result == kBackupReadOk) {
    EXPECT_EQ(platformPublish(out, target.c_str(), &error), 1);
  }
  platformClose(out);
  return result;
}

TEST_F(BackupReaderTest, EveryFormatReadsBackTheObjectWithItsSizeAndTime) {
  for (const std::string& object : {textBytes(300000), std::string()}) {
    for (int32_t format = 0; format <= 9; ++format) {
      SCOPED_TRACE("format " + std::to_string(format) + ", object of " + std::to_string(object.size()) + " bytes");
      writeFile(path("Box.lwo"), object);
      ASSERT_TRUE(setLastWriteTime(path("Box.lwo"), kObjectTime));
      std::string backup = writeBackup(scratch(), format);
      writeFile(path("Box.lwo"), "changed since");
      BackupObjectInfo info = {1, 1, {}};
      ASSERT_EQ(inspectBackup(backup.c_str(), &info), kBackupReadOk);
      EXPECT_EQ(info.size, object.size());
      EXPECT_EQ(info.lastWriteTime, kObjectTime);
      ASSERT_EQ(extractTo(backup, scratch(), path("Opened.lwo")), kBackupReadOk);
      EXPECT_TRUE(readFile(path("Opened.lwo")) == object);
      std::filesystem::remove(path("Opened.lwo"));
      std::filesystem::remove(backup);
    }
  }
}

// Replaces every little-endian copy of `crc` in `archive` with another value.
void alterCrc(std::string* archive, uint32_t crc) {
  std::string from(reinterpret_cast<const char*>(&crc), 4);
  uint32_t other = crc ^ 1;
  std::string to(reinterpret_cast<const char*>(&other), 4);
  for (size_t at = archive->find(from); at != std::string::npos; at = archive->find(from, at + 4))
    archive->replace(at, 4, to);
}

TEST_F(BackupReaderTest, ADamagedArchiveIsRefused) {
  const std::string object = textBytes(300000);
  const uint32_t objectCrc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(object.data()), object.size()));
  struct Case {
    const char* label;
    void (*damage)(std::string* archive, bool sevenZip, uint32_t crc);
    BackupReadResult inspected;
  } cases[] = {
      {"entry CRC altered",
       [](std::string* a, bool sevenZip, uint32_t crc) {
         alterCrc(a, crc);
         if (sevenZip) resealSevenZip(a);
       },
       kBackupReadOk},
      {"packed byte flipped", [](std::string* a, bool, uint32_t) { (*a)[a->size() / 3] ^= 0x10; }, kBackupReadOk},
      {"cut in half", [](std::string* a, bool, uint32_t) { a->resize(a->size() / 2); }, kBackupReadDamaged},
      {"no archive", [](std::string* a, bool, uint32_t) { *a = textBytes(1000); }, kBackupReadDamaged},
  };
  writeFile(path("Box.lwo"), object);
  for (int32_t format : {4, 7}) {
    std::string backup = writeBackup(scratch(), format);
    const std::string intact = readFile(backup);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.label) + ", format " + std::to_string(format));
      std::string damaged = intact;
      c.damage(&damaged, format == 7, objectCrc);
      ASSERT_NE(damaged, intact);
      writeFile(backup, damaged);
      BackupObjectInfo info;
      EXPECT_EQ(inspectBackup(backup.c_str(), &info), c.inspected);
      EXPECT_EQ(extractTo(backup, scratch(), path("Opened.lwo")), kBackupReadDamaged);
      EXPECT_FALSE(std::filesystem::exists(path("Opened.lwo")));
    }
  }
}

TEST_F(BackupReaderTest, OnlyAnArchiveOfOneEntryIsABackup) {
  writeFile(path("a.lwo"), "first");
  writeFile(path("b.lwo"), "second");
  for (const char* archive : {"Two_001.zip", "Two_001.7z"}) {
    SCOPED_TRACE(archive);
    CommandResult made = runCommand("7zz a -bso0 " + readerArgument(path(archive)) + " " +
                                    readerArgument(path("a.lwo")) + " " + readerArgument(path("b.lwo")));
    ASSERT_EQ(made.status, 0) << made.output;
    BackupObjectInfo info;
    EXPECT_EQ(inspectBackup(path(archive).c_str(), &info), kBackupReadDamaged);
    EXPECT_EQ(extractTo(path(archive), scratch(), path("Opened.lwo")), kBackupReadDamaged);
  }
}

TEST_F(BackupReaderTest, AHostileArchiveIsRefusedBeforeItCostsMemoryAndTheContainerIsTheNamersAndTheSignatures) {
  const std::string object = textBytes(300000);
  writeFile(path("Box.lwo"), object);
  fs::create_directory(path("Robot.lwo"));
  ASSERT_EQ(runCommand("7zz a -bso0 " + readerArgument(path("Dir.zip")) + " " + readerArgument(path("Robot.lwo")))
                .status, 0);
  ASSERT_EQ(runCommand("7zz a -bso0 -m0=lzma2 " + readerArgument(path("Lzma2.7z")) + " " +
                       readerArgument(path("Box.lwo"))).status, 0);
  const std::string sevenZip = readFile(writeBackup(scratch(), 7)), zip = readFile(writeBackup(scratch(), 4));
  struct Case {
    const char* name;
    std::string bytes;
    BackupReadResult result;  // of both inspection and extraction
  } cases[] = {
      {"Header_001.7z", withEncodedHeaderOf(sevenZip, (1 << 20) + 1), kBackupReadDamaged},
      {"Header_002.7z", withEncodedHeaderOf(sevenZip, 1 << 20), kBackupReadOk},
      {"Dictionary_001.7z", withDictionary(sevenZip, 0x80000000u), kBackupReadUnreadable},
      {"Upper_001.ZIP", zip, kBackupReadOk},
      {"Upper_001.7Z", sevenZip, kBackupReadOk},
      {"Swapped_001.ZIP", sevenZip, kBackupReadDamaged},
      {"Prefixed_001.zip", "MZ" + zip, kBackupReadDamaged},
      {"Dir_001.zip", readFile(path("Dir.zip")), kBackupReadDamaged},
      {"Lzma2_001.7z", readFile(path("Lzma2.7z")), kBackupReadOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path(c.name), c.bytes);
    BackupObjectInfo info;
    BackupReadResult inspected = inspectBackup(path(c.name).c_str(), &info);
    EXPECT_EQ(inspected, c.result == kBackupReadUnreadable ? kBackupReadOk : c.result);
    EXPECT_EQ(extractTo(path(c.name), scratch(), path("Opened.lwo")), c.result);
    EXPECT_EQ(fs::exists(path("Opened.lwo")) && readFile(path("Opened.lwo")) == object, c.result == kBackupReadOk);
    fs::remove(path("Opened.lwo"));
  }
}

TEST_F(BackupReaderTest, AbortWhileReadingStopsAndWritesNothing) {
  qkhost::StandInHost host;
  hostServices.dynamicMonitor =
      static_cast<HostMonitorService*>(host.globalFunction()(HOST_SERVICE_DYNAMIC_MONITOR, 0));
  writeFile(path("Box.lwo"), textBytes(3 << 20));
  for (const std::string& backup : {writeBackup(scratch(), 4), writeBackup(scratch(), 7)}) {
    SCOPED_TRACE(backup);
    host.setAbortAfterSteps(2);
    EXPECT_EQ(extractTo(backup, scratch(), path("Opened.lwo")), kBackupReadCancelled);
    EXPECT_FALSE(fs::exists(path("Opened.lwo")));
  }
  host.setAbortAfterSteps(0);
  hostServices.dynamicMonitor = nullptr;
}

TEST_F(BackupReaderTest, ReadingAnArchiveShowsTheMonitor) {
  qkhost::StandInHost host;
  hostServices.dynamicMonitor =
      static_cast<HostMonitorService*>(host.globalFunction()(HOST_SERVICE_DYNAMIC_MONITOR, 0));
  writeFile(path("Box.lwo"), textBytes(3 << 20));
  for (int32_t format : {4, 7}) {
    SCOPED_TRACE("format " + std::to_string(format));
    std::string backup = writeBackup(scratch(), format);
    host.clearRecords();
    ASSERT_EQ(extractTo(backup, scratch(), path("Opened.lwo")), kBackupReadOk);
    std::filesystem::remove(path("Opened.lwo"));
    const std::vector<qkhost::MonitorEvent>& events = host.monitorEvents();
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events.front().text, "Reading backup...");
    EXPECT_EQ(events[1].kind, qkhost::MonitorEvent::Init);
    EXPECT_EQ(events[1].value, 3u << 20);  // unpacked bytes
    EXPECT_EQ(events[2].kind, qkhost::MonitorEvent::Step);
    EXPECT_EQ(events.back().kind, qkhost::MonitorEvent::Destroy);
    EXPECT_EQ(hostServices.activeMonitor, nullptr);
  }
  hostServices.dynamicMonitor = nullptr;
}

TEST_F(BackupReaderTest, AMissingBackupIsUnreadable) {
  for (const char* name : {"Gone_001.lwo", "Gone_001.zip", "Gone_001.7z"}) {
    BackupObjectInfo info;
    EXPECT_EQ(inspectBackup(path(name).c_str(), &info), kBackupReadUnreadable) << name;
    EXPECT_EQ(extractTo(path(name), scratch(), path("Opened.lwo")), kBackupReadUnreadable) << name;
  }
}

}  // namespace
}  // namespace qktest
