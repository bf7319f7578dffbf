// Names whose bytes are no UTF-8, which only POSIX file names can hold:
// the archives are still written, under the fallback names.
#include <gtest/gtest.h>

#include <string>

#include "archive/entry_name.h"
#include "archive/seven_zip_writer.h"
#include "archive/zip_writer.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

TEST(UnconvertibleName, SevenZipTakesEachByteAsAUnitAndZipTheBytesUnmarked) {
  const struct {
    const char* name;
    std::u16string utf16;
    int utf8;  // whether zipText converts it
  } cases[] = {
      {"W\xFCrfel", u"W\u00FCrfel", 0},              // Latin-1
      {"\xC0\xAF", u"\u00C0\u00AF", 0},              // overlong '/'
      {"\xED\xA0\x80", u"\u00ED\u00A0\u0080", 0},    // a surrogate
      {"\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080", 0},  // above U+10FFFF
      {"\xE3\x81", u"\u00E3\u0081", 0},              // cut short
      {"\xF0\x9F\x98\x80", u"\U0001F600", 1},        // valid: a surrogate pair
  };
  for (const auto& c : cases) {
    EXPECT_EQ(entryNameUtf16(c.name), c.utf16) << c.name;
    int utf8 = -1;
    EXPECT_EQ(zipText(c.name, &utf8), c.name) << c.name;
    EXPECT_EQ(utf8, c.utf8) << c.name;
  }
}

using UnconvertibleNameTest = ScratchTest;

TEST_F(UnconvertibleNameTest, ArchivesAreStillWritten) {
  writeFile(path("W\xFCrfel.lwo"), "box");
  ASSERT_EQ(writeArchiveFile(writeSevenZipShown, path("W\xFCrfel.lwo"), path("Box.7z"), 0), 1);
  EXPECT_EQ(sevenZipEntry(path("Box.7z"))["Path"], "W\xC3\xBCrfel.lwo");
  ASSERT_EQ(writeArchiveFile(writeZip, path("W\xFCrfel.lwo"), path("Box.zip"), 0), 1);
  expectZipTests(path("Box.zip"));
}

}  // namespace
}  // namespace qktest
