// The zip archive writer: entry, level, time stamp and comment, as unzip
// and zipinfo read them.
#include <gtest/gtest.h>

#include <string>

#include "archive/entry_name.h"
#include "archive/zip_writer.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using ZipWriterTest = ScratchTest;

TEST(ArchiveEntryName, IsThePartAfterTheLastSeparator) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Objects\\Box.lwo", "Box.lwo"}, {"Objects/Box.lwo", "Box.lwo"},
      {"a/b\\c/Box.lwo", "Box.lwo"},       {"Box.lwo", "Box.lwo"},
      {"\\Box.lwo", "Box.lwo"},            {"/Box.lwo", "Box.lwo"},
      {"Objects/", ""},                    {"", ""},
  };
  for (const Case& c : cases) EXPECT_STREQ(entryNameOf(c.path), c.name) << c.path;
}

TEST_F(ZipWriterTest, SizesAndLevelsAreReadBackExactly) {
  struct Case {
    size_t size;
    int32_t level;
    const char* method;  // zipinfo's name for the deflate level
  } cases[] = {
      {0, 0, "defN"},     {1, 1, "defX"},          {65535, 0, "defN"}, {65536, 0, "defN"},
      {65536, 1, "defX"}, {3 * 65536 + 1, 1, "defX"}, {200000, 7, "defX"},
  };
  for (const Case& c : cases) {
    std::string data = textBytes(c.size);
    writeFile(path("Box.lwo"), data);
    std::string archive = path("Box.zip");
    ASSERT_EQ(writeArchiveFile(writeZip, path("Box.lwo"), archive, c.level), 1) << c.size;
    expectZipTests(archive);
    std::string line = zipinfoEntryLine(archive);
    EXPECT_EQ(wordOf(line, 3), std::to_string(c.size)) << line;
    EXPECT_EQ(wordOf(line, 5), c.method) << line;
    EXPECT_EQ(wordOf(line, 7), "Box.lwo") << line;
    EXPECT_EQ(unzipMember(archive, "Box.lwo"), data) << c.size;
    EXPECT_EQ(zipComment(archive), "Original path name: " + path("Box.lwo")) << c.size;
  }
}

}  // namespace
}  // namespace qktest
