// archiveFile: the choice of container by the archive's name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_file.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using ArchiveFileTest = ScratchTest;

const std::string kSevenZipMagic("7z\xBC\xAF\x27\x1C", 6);
const std::string kZipMagic("PK\x03\x04", 4);

TEST_F(ArchiveFileTest, OnlyAnExactSevenZipExtensionGivesA7zArchive) {
  struct Case {
    const char* archive;
    const std::string& magic;
  } cases[] = {
      {"Box_001.7z", kSevenZipMagic},  {"Box.lwo.001.7z", kSevenZipMagic},
      {"Box_001.7Z", kZipMagic},       {"Box_001.7z.zip", kZipMagic},
      {"Box_001.zip", kZipMagic},      {"Box_001", kZipMagic},
      {"Box_001.7zz", kZipMagic},      {"d.7z/Box_001", kZipMagic},
  };
  std::filesystem::create_directories(path("d.7z"));
  std::string data = textBytes(40000);
  writeFile(path("Box.lwo"), data);
  for (const Case& c : cases) {
    std::string archive = path(c.archive);
    PlatformFile* in = platformOpenRead(path("Box.lwo").c_str());
    PlatformFile* out = createOutputFile(archive);
    ASSERT_EQ(archiveFile(in, path("Box.lwo").c_str(), out, archive.c_str(), 0, nullptr, &kNoArchiveProgress), 1) << c.archive;
    platformClose(in);
    ASSERT_EQ(finishOutputFile(out, archive), 1) << c.archive;
    EXPECT_EQ(readFile(archive).substr(0, c.magic.size()), c.magic) << c.archive;
    if (&c.magic == &kSevenZipMagic) {
      expectSevenZipTests(archive);
    } else {
      expectZipTests(archive);
    }
    std::filesystem::remove(archive);  // before the next: on Windows "Box_001.7Z" is "Box_001.7z"
  }
}

}  // namespace
}  // namespace qktest
