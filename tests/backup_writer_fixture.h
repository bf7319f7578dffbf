// Helpers of the backup writer's tests (backup_writer_test.cc, and
// backup_writer_posix_test.cc for a disk that fills up).
#ifndef QK_TESTS_BACKUP_WRITER_FIXTURE_H_
#define QK_TESTS_BACKUP_WRITER_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "save/backup_namer.h"
#include "save/backup_writer.h"
#include "tests/archive_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {

using BackupWriterTest = ScratchTest;

// With `named`, the file system makes no unnamed files.
inline void stageNamed(FaultPlan* faults, bool named) {
  faults->failAlways(kPlatformOpCreateUnnamed, named ? kPlatformIoError : kPlatformOk);
}

// Runs writeStagedBackup of Box.lwo for every format, with unnamed files
// and without, after `prepare`, into the scratch folder followed by
// `folderTail`, holding what `during` returns (if given) while it writes;
// expects no backup and nothing left.
inline void expectFailedBackupsLeaveNothing(ScratchTest& test, const std::function<void(const std::string&)>& prepare,
                                            const std::string& folderTail,
                                            const std::function<std::shared_ptr<void>()>& during = {}) {
  FaultPlan faults;
  for (bool named : {false, true})
    for (int32_t format : {0, 4, 7}) {
      SCOPED_TRACE("format " + std::to_string(format) + (named ? ", named" : ""));
      std::filesystem::remove_all(test.path("Box.lwo"));
      prepare(test.scratch());
      const std::vector<std::string> before = listFolder(test.scratch());
      stageNamed(&faults, named);
      std::string folder = test.scratch() + folderTail;
      BackupPlan plan = {folder, folder + "/Box_001.x", "Box", {}, {}};
      SaveProfile profile;
      profile.nameFormat = format;
      std::shared_ptr<void> held = during ? during() : nullptr;
      PlatformFile* staged = writeStagedBackup(test.path("Box.lwo").c_str(), plan, profile, nullptr, &kNoArchiveProgress);
      held.reset();
      EXPECT_EQ(staged, nullptr);
      platformClose(staged);
      EXPECT_EQ(listFolder(test.scratch()), before);
    }
}

}  // namespace qktest

#endif  // QK_TESTS_BACKUP_WRITER_FIXTURE_H_
