// archiveFile on a disk that fills up, made with a file size limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/archive_file.h"
#include "tests/archive_test_support.h"
#include "tests/support/file_size_cap.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using ArchiveFileTest = ScratchTest;

const char* const kArchives[] = {"Box_002.zip", "Box_002.7z"};

TEST_F(ArchiveFileTest, FailedWriteLeavesNoFile) {
  writeFile(path("Box.lwo"), randomBytes(1 << 20));
  int results[2];
  {
    FileSizeCap cap(65536);  // writes past 64 KiB fail, as on a full disk
    for (int i = 0; i < 2; ++i)
      results[i] = archiveFile(path("Box.lwo").c_str(), path(kArchives[i]).c_str(), 0);
  }
  for (int i = 0; i < 2; ++i) EXPECT_EQ(results[i], 0) << kArchives[i];
  EXPECT_EQ(listFolder(scratch()), std::vector<std::string>{"Box.lwo"});
}

}  // namespace
}  // namespace qktest
