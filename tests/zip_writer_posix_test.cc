// The zip archive writer with what POSIX alone offers a test: the time
// zone from TZ, a backslash inside a file name, and a sparse object of
// 4 GiB.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "archive/zip_writer.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using ZipWriterTest = ScratchTest;

TEST_F(ZipWriterTest, TimeStampIsTheLastWriteTimeInLocalTime) {
  const char* saved = getenv("TZ");
  std::string previous = saved ? saved : "";
  setenv("TZ", "JST-9", 1);  // nine hours east of UTC, no daylight saving
  tzset();
  writeFile(path("Box.lwo"), "x");
  struct timespec times[2] = {{1623720031, 0}, {1623720031, 0}};  // 2021-06-15 01:20:31 UTC
  ASSERT_EQ(utimensat(AT_FDCWD, path("Box.lwo").c_str(), times, 0), 0);
  int written = writeArchiveFile(writeZip, path("Box.lwo"), path("Box.zip"), 0);
  saved ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
  tzset();
  ASSERT_EQ(written, 1);
  EXPECT_EQ(wordOf(zipinfoEntryLine(path("Box.zip")), 6), "20210615.102030");  // DOS: 2 s steps
}

TEST_F(ZipWriterTest, NameWithFoldersInBothSeparatorsAndAnExistingArchive) {
  std::string source = path("Objects\\Box.lwo");  // a backslash in a POSIX file name
  writeFile(source, "box");
  writeFile(path("Box.zip"), std::string(100000, 'o'));  // an older file at the archive path
  ASSERT_EQ(writeArchiveFile(writeZip, source, path("Box.zip"), 0), 1);
  expectZipTests(path("Box.zip"));
  EXPECT_EQ(wordOf(zipinfoEntryLine(path("Box.zip")), 7), "Box.lwo");
  EXPECT_EQ(zipComment(path("Box.zip")), "Original path name: " + source);
}

// An object of 4 GiB or more gets zip64 records, so that every reader
// extracts it. The object is sparse: only its tail takes room on disk.
TEST_F(ZipWriterTest, ObjectsOfFourGibibytesOrMoreAreExtractedByEveryReader) {
  const uint64_t size = (4ull << 30) + 70000;
  const std::string tail = "the end of a large object";  // the readers check its CRC
  int fd = open(path("Big.lwo").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  bool made = ftruncate(fd, static_cast<off_t>(size)) == 0 &&
              pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(size - tail.size())) ==
                  static_cast<ssize_t>(tail.size());
  close(fd);
  if (!made) GTEST_SKIP() << "no room for a sparse file of 4 GiB here";
  ASSERT_EQ(writeArchiveFile(writeZip, path("Big.lwo"), path("Big.zip"), 0), 1);
  expectZipTests(path("Big.zip"));
  expectSevenZipTests(path("Big.zip"));
  CommandResult listed = runCommand("unzip -Z -l " + shellQuote(path("Big.zip")));
  EXPECT_NE(listed.output.find(std::to_string(size)), std::string::npos) << listed.output;
}

}  // namespace
}  // namespace qktest
