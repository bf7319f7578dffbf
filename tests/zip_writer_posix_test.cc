// The zip archive writer with what POSIX alone offers a test: the time
// zone from TZ, file times set to the nanosecond, and a backslash inside a
// file name.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

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
  int written = writeZip(path("Box.lwo").c_str(), path("Box.zip").c_str(), 0);
  saved ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
  tzset();
  ASSERT_EQ(written, 1);
  EXPECT_EQ(wordOf(zipinfoEntryLine(path("Box.zip")), 6), "20210615.102030");  // DOS: 2 s steps
}

TEST_F(ZipWriterTest, NameWithFoldersInBothSeparatorsAndAnExistingArchive) {
  std::string source = path("Objects\\Box.lwo");  // a backslash in a POSIX file name
  writeFile(source, "box");
  writeFile(path("Box.zip"), std::string(100000, 'o'));  // an older file at the archive path
  ASSERT_EQ(writeZip(source.c_str(), path("Box.zip").c_str(), 0), 1);
  expectZipTests(path("Box.zip"));
  EXPECT_EQ(wordOf(zipinfoEntryLine(path("Box.zip")), 7), "Box.lwo");
  EXPECT_EQ(zipComment(path("Box.zip")), "Original path name: " + source);
}

}  // namespace
}  // namespace qktest
