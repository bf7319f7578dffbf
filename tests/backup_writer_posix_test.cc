// The backup writer on a disk that fills up, made with a file size limit.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/backup_writer_fixture.h"
#include "tests/support/file_size_cap.h"

namespace qktest {
namespace {

TEST_F(BackupWriterTest, AFailedWriteLeavesNothing) {
  expectFailedBackupsLeaveNothing(
      *this, [](const std::string& s) { writeFile(s + "/Box.lwo", randomBytes(1 << 20)); }, "",
      [] { return std::make_shared<FileSizeCap>(65536); });  // writes past 64 KiB fail, as on a full disk
}

}  // namespace
}  // namespace qktest
