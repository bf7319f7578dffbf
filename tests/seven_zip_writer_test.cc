// The 7z archive writer: encoder settings, status codes, the progress
// monitor, and archives a standard 7z reader accepts.
#include <gtest/gtest.h>
#include <time.h>

#include <string>
#include <thread>
#include <vector>

#include "7zCrc.h"
#include "archive/seven_zip_writer.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "plugin/host_progress.h"
#include "save/backup_writer.h"
#include "tests/archive_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

// FILETIME of a Unix time in seconds and 100 ns units.
uint64_t fileTimeOf(int64_t seconds, int64_t units = 0) {
  return 116444736000000000ull + static_cast<uint64_t>(seconds) * 10000000ull +
         static_cast<uint64_t>(units);
}

// A FILETIME as `7zz l -slt` shows it in UTC: "2021-06-15 01:20:31.1234567".
std::string listedTime(uint64_t fileTime) {
  uint64_t sinceUnix = fileTime - 116444736000000000ull;
  time_t seconds = static_cast<time_t>(sinceUnix / 10000000ull);
  struct tm utc = *gmtime(&seconds);
  char text[64];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%07u", utc.tm_year + 1900,
           utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
           static_cast<unsigned>(sinceUnix % 10000000ull));
  return text;
}

std::string hex32(uint32_t v) {
  char text[16];
  snprintf(text, sizeof text, "%08X", v);
  return text;
}

// The five property bytes the encoder writes for its settings.
std::vector<Byte> propertyBytes(const CLzmaEncProps& props) {
  CLzmaEncHandle encoder = LzmaEnc_Create(&lzmaHeapAllocator);
  std::vector<Byte> bytes(LZMA_PROPS_SIZE);
  SizeT size = bytes.size();
  EXPECT_EQ(LzmaEnc_SetProps(encoder, &props), SZ_OK);
  EXPECT_EQ(LzmaEnc_WriteProperties(encoder, bytes.data(), &size), SZ_OK);
  EXPECT_EQ(size, 5u);
  LzmaEnc_Destroy(encoder, &lzmaHeapAllocator, &lzmaHeapAllocator);
  return bytes;
}

TEST(SevenZipSettings, PropertyBytesForNormalAndHigh) {
  EXPECT_EQ(propertyBytes(sevenZipEncoderProps(0, 2)), (std::vector<Byte>{0x5D, 0, 0, 1, 0}));
  EXPECT_EQ(propertyBytes(sevenZipEncoderProps(1, 2)), (std::vector<Byte>{0x5D, 0, 0, 0, 1}));
  EXPECT_EQ(propertyBytes(sevenZipEncoderProps(-7, 2)), (std::vector<Byte>{0x5D, 0, 0, 0, 1}));
}

TEST(SevenZipSettings, ThreadCountIsTheProcessorCountFromOneToThirtyTwo) {
  struct Case {
    uint32_t processors;
    int threads;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {31, 31}, {32, 32}, {33, 32}, {64, 32}, {4096, 32}};
  for (const Case& c : cases) {
    CLzmaEncProps props = sevenZipEncoderProps(0, c.processors);
    EXPECT_EQ(props.numThreads, c.threads) << c.processors;
    EXPECT_EQ(props.level, 5);
  }
}

class SevenZipEncodeTest : public ScratchTest {
 protected:
  // Encodes `data` into memory and stores the archive as `name`.
  SRes encode(MemoryOutStream* out, MemoryInStream* in, SevenZipEntry* entry, int32_t level) {
    SRes res = encodeSevenZip(&out->s, &in->s, entry, level, &kNoArchiveProgress);
    writeFile(path("out.7z"), out->bytes);
    return res;
  }
};

TEST_F(SevenZipEncodeTest, ArchiveListsWithNameSizeCrcAttributesAndTimes) {
  std::string data = textBytes(300000);
  MemoryInStream in(data);
  MemoryOutStream out;
  const uint64_t created = fileTimeOf(1500000000, 1234567);
  const uint64_t written = fileTimeOf(1623720031, 7654321);
  SevenZipEntry entry = {"Box.lwo", 0, 0, created, written};
  ASSERT_EQ(encode(&out, &in, &entry, 0), SZ_OK);
  EXPECT_EQ(entry.size, data.size());
  EXPECT_EQ(entry.crc, CrcCalc(data.data(), data.size()));

  expectSevenZipTests(path("out.7z"));
  std::map<std::string, std::string> listed = sevenZipEntry(path("out.7z"));
  EXPECT_EQ(listed["Path"], "Box.lwo");
  EXPECT_EQ(listed["Size"], "300000");
  EXPECT_EQ(listed["CRC"], hex32(entry.crc));
  EXPECT_EQ(listed["Attributes"], "A");
  EXPECT_EQ(listed["Created"], listedTime(created));
  EXPECT_EQ(listed["Modified"], listedTime(written));
  EXPECT_EQ(listed["Method"], "LZMA:16");
  EXPECT_EQ(sevenZipContent(path("out.7z")), data);
}

TEST_F(SevenZipEncodeTest, HighLevelUsesTheLargeDictionary) {
  MemoryInStream in(textBytes(1000));
  MemoryOutStream out;
  SevenZipEntry entry = {"Box.lwo", 0, 0, 0, 0};
  ASSERT_EQ(encode(&out, &in, &entry, 1), SZ_OK);
  expectSevenZipTests(path("out.7z"));
  EXPECT_EQ(sevenZipEntry(path("out.7z"))["Method"], "LZMA:24");
}

TEST_F(SevenZipEncodeTest, EmptySourceHasSizeZeroAndCrcZero) {
  MemoryInStream in("");
  MemoryOutStream out;
  SevenZipEntry entry = {"Empty.lwo", 0, 0, fileTimeOf(0), fileTimeOf(0)};
  ASSERT_EQ(encode(&out, &in, &entry, 0), SZ_OK);
  EXPECT_EQ(entry.crc, 0u);
  uint64_t packSize = 0;
  memcpy(&packSize, out.bytes.data() + 12, 8);
  // The end header's CRC bytes follow the 31 bytes before them (1-byte NUMBERs
  // for P and size shift the example's offset 31 by two).
  const std::string header = out.bytes.substr(32 + packSize);
  EXPECT_EQ(header.substr(29, 4), std::string(4, '\0'));
  expectSevenZipTests(path("out.7z"));
  std::map<std::string, std::string> listed = sevenZipEntry(path("out.7z"));
  EXPECT_EQ(listed["Path"], "Empty.lwo");
  EXPECT_EQ(listed["Size"], "0");
}

TEST_F(SevenZipEncodeTest, NameByteE9IsListedAsThatCharacter) {
  MemoryInStream in("caf\xe9");
  MemoryOutStream out;
  SevenZipEntry entry = {"Caf\xe9.lwo", 0, 0, 0, 0};
  ASSERT_EQ(encode(&out, &in, &entry, 0), SZ_OK);
  EXPECT_NE(out.bytes.find(std::string("\xE9\x00.\x00", 4)), std::string::npos);
  expectSevenZipTests(path("out.7z"));
  EXPECT_EQ(sevenZipEntry(path("out.7z"))["Path"], "Caf\xc3\xa9.lwo");  // U+00E9 in UTF-8
}

// The thread count reaches the encoder: with two processors or more it
// reads the source on a thread of its own, with one on the caller's (a
// processor count that cannot be told stands for one). Both archives hold
// the source. The two match finders differ only on 2- and 3-byte matches
// exactly a dictionary's length back, which the threaded one leaves out:
// a source that fits in the dictionary gives the same archive byte for
// byte, a longer one (here with "Normal") may not.
TEST_F(SevenZipEncodeTest, TwoThreadsReadOffTheCallerAndHoldTheSameSourceAsOne) {
  if (platformProcessorCount() < 2) GTEST_SKIP() << "one processor: the encoder runs one thread";
  const std::string data = textBytes(200000) + randomBytes(20000) + textBytes(100000);
  for (int32_t level : {0, 1}) {
    std::string archive[2];
    for (bool oneThread : {true, false}) {
      FaultPlan plan;
      if (oneThread) plan.failCall(kPlatformOpProcessorCount, 1, kPlatformIoError);
      MemoryInStream in(data);
      MemoryOutStream out;
      SevenZipEntry entry = {"Box.lwo", 0, 0, fileTimeOf(1500000000), fileTimeOf(1623720031)};
      SCOPED_TRACE("level " + std::to_string(level) + (oneThread ? ", one thread" : ", two threads"));
      ASSERT_EQ(encode(&out, &in, &entry, level), SZ_OK);
      EXPECT_EQ(in.lastReader == std::this_thread::get_id(), oneThread);
      EXPECT_TRUE(sevenZipContent(path("out.7z")) == data);
      archive[oneThread] = out.bytes;
    }
    if (level != 0) {
      EXPECT_TRUE(archive[0] == archive[1]) << "level " << level;
    }
  }
}

TEST_F(SevenZipEncodeTest, FailuresReturnTheirStatus) {
  const std::string data = randomBytes(200000);
  MemoryInStream whole(data);
  MemoryOutStream complete;
  SevenZipEntry wholeEntry = {"abc", 0, 0, 0, 0};
  ASSERT_EQ(encodeSevenZip(&complete.s, &whole.s, &wholeEntry, 0, &kNoArchiveProgress), SZ_OK);
  uint64_t packSize = 0;
  memcpy(&packSize, complete.bytes.data() + 12, 8);
  const size_t archiveSize = complete.bytes.size();
  struct Case {
    const char* what;
    size_t writeBudget;
    size_t readFailAt;
    bool seekFails;
    size_t nameLength;
    SRes status;
  } cases[] = {
      {"short signature write", 20, SIZE_MAX, false, 3, SZ_ERROR_WRITE},
      {"short write in the encoder", 5000, SIZE_MAX, false, 3, SZ_ERROR_WRITE},
      {"short end header write", 32 + packSize + 10, SIZE_MAX, false, 3, SZ_ERROR_WRITE},
      {"short start header write", archiveSize + 10, SIZE_MAX, false, 3, SZ_ERROR_WRITE},
      {"no short write", archiveSize + 24, SIZE_MAX, false, 3, SZ_OK},
      {"source read error", SIZE_MAX, 70000, false, 3, SZ_ERROR_READ},
      {"seek failure", SIZE_MAX, SIZE_MAX, true, 3, SZ_ERROR_WRITE},
      {"longest name", SIZE_MAX, SIZE_MAX, false, SEVEN_ZIP_MAX_NAME, SZ_OK},
      {"name too long", SIZE_MAX, SIZE_MAX, false, SEVEN_ZIP_MAX_NAME + 1, SZ_ERROR_PARAM},
  };
  for (const Case& c : cases) {
    MemoryInStream in(data);
    in.failAt = c.readFailAt;
    MemoryOutStream out;
    out.writeBudget = c.writeBudget;
    out.seekFails = c.seekFails;
    std::string name(c.nameLength, 'n');
    SevenZipEntry entry = {name.c_str(), 0, 0, 0, 0};
    EXPECT_EQ(encodeSevenZip(&out.s, &in.s, &entry, 0, &kNoArchiveProgress), c.status) << c.what;
    if (c.status == SZ_ERROR_PARAM) {
      EXPECT_TRUE(out.bytes.empty()) << c.what;
    }
  }
}

// writeSevenZip on real files, with the host's progress monitor.
class SevenZipFileTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    hostServices.dynamicMonitor = static_cast<HostMonitorService*>(
        host_.globalFunction()(HOST_SERVICE_DYNAMIC_MONITOR, 0));
  }
  void TearDown() override {
    hostServices.dynamicMonitor = nullptr;
    ScratchTest::TearDown();
  }
  qkhost::StandInHost host_;
};

TEST_F(SevenZipFileTest, MonitorShowsTotalThenStepsThatAddUpToIt) {
  std::string data = textBytes(3 << 20);
  writeFile(path("Box.lwo"), data);
  ASSERT_EQ(writeArchiveFile(writeSevenZipShown, path("Box.lwo"), path("Box.7z"), 0), 1);
  EXPECT_EQ(hostServices.activeMonitor, nullptr);

  const std::vector<qkhost::MonitorEvent>& events = host_.monitorEvents();
  ASSERT_GE(events.size(), 5u);
  for (const qkhost::MonitorEvent& event : events)
    EXPECT_EQ(event.thread, std::this_thread::get_id()) << "event " << event.kind;
  EXPECT_EQ(events.front().kind, qkhost::MonitorEvent::Create);
  EXPECT_EQ(events.front().title, "QK_RevKeeper");
  EXPECT_EQ(events.front().text, "Compressing...");
  EXPECT_EQ(events[1].kind, qkhost::MonitorEvent::Init);
  EXPECT_EQ(events[1].value, data.size());
  size_t steps = 0;
  for (size_t i = 2; i + 2 < events.size(); ++i) {
    ASSERT_EQ(events[i].kind, qkhost::MonitorEvent::Step) << i;
    EXPECT_GT(events[i].value, 0u) << i;
    ++steps;
  }
  EXPECT_GE(steps, 2u);
  EXPECT_EQ(host_.monitorProgress(), data.size()) << "the host adds up the steps";
  EXPECT_TRUE(host_.protocolErrors().empty());
  EXPECT_EQ(events[events.size() - 2].kind, qkhost::MonitorEvent::Done);
  EXPECT_EQ(events.back().kind, qkhost::MonitorEvent::Destroy);
  expectSevenZipTests(path("Box.7z"));
}

TEST_F(SevenZipFileTest, MonitorPassesIncreasesScaledInto32Bits) {
  struct Case {
    uint64_t total;
    std::vector<uint64_t> positions;  // given to Advance, then ended
    uint32_t init;
    std::vector<uint32_t> steps;      // as the host received them, the last from closing
  } cases[] = {
      {3, {1, 1, 0, 5}, 3, {1, 2}},
      {5ull << 30, {1ull << 30, 4ull << 30}, 5u << 29, {1u << 29, 3u << 29, 1u << 29}},
      {UINT64_MAX, {}, UINT32_MAX, {UINT32_MAX}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    host_.clearRecords();
    const IArchiveProgress* monitor = &hostMonitorProgress;
    monitor->Begin(monitor, c.total, "Compressing...");
    for (uint64_t position : c.positions) EXPECT_EQ(monitor->Advance(monitor, position), 0);
    monitor->End(monitor);
    std::vector<uint32_t> steps;
    for (const qkhost::MonitorEvent& event : host_.monitorEvents()) {
      if (event.kind == qkhost::MonitorEvent::Init) {
        EXPECT_EQ(event.value, c.init);
      }
      if (event.kind == qkhost::MonitorEvent::Step) steps.push_back(event.value);
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(host_.monitorProgress(), c.init);
  }
}

TEST_F(SevenZipFileTest, AbortStopsTheEncoderAtOnce) {
  writeFile(path("Box.lwo"), textBytes(3 << 20));
  host_.setAbortAfterSteps(2);
  EXPECT_EQ(writeArchiveFile(writeSevenZipShown, path("Box.lwo"), path("Box.7z"), 1), 0);
  size_t steps = 0;
  for (const qkhost::MonitorEvent& event : host_.monitorEvents())
    steps += event.kind == qkhost::MonitorEvent::Step;
  EXPECT_EQ(steps, 2u) << "no step after the abort, none to fill the bar";
  EXPECT_EQ(hostMonitorProgress.TakeCancel(&hostMonitorProgress), 1);
  EXPECT_EQ(hostMonitorProgress.TakeCancel(&hostMonitorProgress), 0) << "each abort is told once";
  EXPECT_EQ(hostServices.activeMonitor, nullptr);
}

TEST_F(SevenZipFileTest, WithoutTheMonitorServiceTheArchiveIsStillWritten) {
  hostServices.dynamicMonitor = nullptr;
  writeFile(path("Box.lwo"), textBytes(100000));
  ASSERT_EQ(writeArchiveFile(writeSevenZipShown, path("Box.lwo"), path("Box.7z"), 0), 1);
  EXPECT_TRUE(host_.monitorEvents().empty());
  expectSevenZipTests(path("Box.7z"));
}

TEST_F(SevenZipFileTest, ListsTheSourceTimesAndNameWithoutFolders) {
  writeFile(path("Box.lwo"), textBytes(5000));
  ASSERT_TRUE(setLastWriteTime(path("Box.lwo"), fileTimeOf(1623720031, 1234567)));
  uint64_t created = creationTime(path("Box.lwo"));
  if (created == 0) created = fileTimeOf(1623720031, 1234567);  // none kept: the last write

  ASSERT_EQ(writeArchiveFile(writeSevenZipShown, path("Box.lwo"), path("Box.7z"), 1), 1);
  expectSevenZipTests(path("Box.7z"));
  std::map<std::string, std::string> listed = sevenZipEntry(path("Box.7z"));
  EXPECT_EQ(listed["Path"], "Box.lwo");
  EXPECT_EQ(listed["Size"], "5000");
  EXPECT_EQ(listed["Modified"], "2021-06-15 01:20:31.1234567");
  EXPECT_EQ(listed["Created"], listedTime(created));
}

TEST_F(SevenZipFileTest, MissingSourceCreatesNoArchiveAndNoMonitor) {
  SaveProfile profile;
  profile.nameFormat = 7;
  BackupPlan plan = {scratch(), path("None_001.7z"), "None", {}, {}};
  EXPECT_EQ(writeStagedBackup(path("None.lwo").c_str(), plan, profile, nullptr, &kNoArchiveProgress), nullptr);
  EXPECT_TRUE(listFolder(scratch()).empty());
  EXPECT_TRUE(host_.monitorEvents().empty());
}

}  // namespace
}  // namespace qktest
