// archiveFile: the choice of container, and what a failed archive leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_file.h"
#include "save/backup_namer.h"
#include "save/save_profile.h"
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
    ASSERT_EQ(archiveFile(path("Box.lwo").c_str(), archive.c_str(), 0), 1) << c.archive;
    EXPECT_EQ(readFile(archive).substr(0, c.magic.size()), c.magic) << c.archive;
    if (&c.magic == &kSevenZipMagic) {
      expectSevenZipTests(archive);
    } else {
      expectZipTests(archive);
    }
    // Each archive goes before the next: on Windows "Box_001.7Z" is "Box_001.7z".
    std::filesystem::remove(archive);
    EXPECT_EQ(listFolder(scratch()), (std::vector<std::string>{"Box.lwo", "d.7z"})) << "no staging file left behind";
    EXPECT_EQ(listFolder(path("d.7z")), std::vector<std::string>{}) << c.archive;
  }
}

// The archive paths of both kinds, for the failure cases.
const char* const kArchives[] = {"Box_002.zip", "Box_002.7z"};

TEST_F(ArchiveFileTest, ReadErrorOnTheSourceLeavesNoFile) {
  std::filesystem::create_directories(path("Box.lwo"));  // opens, but reading fails
  for (const char* name : kArchives) {
    EXPECT_EQ(archiveFile(path("Box.lwo").c_str(), path(name).c_str(), 1), 0) << name;
    EXPECT_EQ(listFolder(scratch()), std::vector<std::string>{"Box.lwo"}) << name;
  }
}

TEST_F(ArchiveFileTest, ExistingFileAtTheArchivePathIsKept) {
  writeFile(path("Box.lwo"), "box");
  for (const char* name : kArchives) {
    writeFile(path(name), "keep me");
    EXPECT_EQ(archiveFile(path("Box.lwo").c_str(), path(name).c_str(), 0), 0) << name;
    EXPECT_EQ(readFile(path(name)), "keep me") << name;
  }
  EXPECT_EQ(listFolder(scratch()), (std::vector<std::string>{"Box.lwo", "Box_002.7z",
                                                             "Box_002.zip"}));
}

TEST_F(ArchiveFileTest, StagingFileLeftByAnInterruptedArchiveIsReplaced) {
  writeFile(path("Box.lwo"), textBytes(1000));
  for (const char* name : kArchives) {
    writeFile(path(name) + ".partial", randomBytes(5000));
    ASSERT_EQ(archiveFile(path("Box.lwo").c_str(), path(name).c_str(), 0), 1) << name;
  }
  expectZipTests(path(kArchives[0]));
  expectSevenZipTests(path(kArchives[1]));
  EXPECT_EQ(listFolder(scratch()), (std::vector<std::string>{"Box.lwo", "Box_002.7z",
                                                             "Box_002.zip"}));
}

TEST_F(ArchiveFileTest, MissingSourceOrFolderFails) {
  writeFile(path("Box.lwo"), "box");
  for (const char* name : kArchives) {
    EXPECT_EQ(archiveFile(path("None.lwo").c_str(), path(name).c_str(), 0), 0) << name;
    std::string inMissingFolder = path("missing/") + name;
    EXPECT_EQ(archiveFile(path("Box.lwo").c_str(), inMissingFolder.c_str(), 0), 0) << name;
  }
  EXPECT_EQ(listFolder(scratch()), std::vector<std::string>{"Box.lwo"});
}

TEST_F(ArchiveFileTest, StagingNamesAreNoBackupsInAnyFormat) {
  // The staging file of every archive name the namer forms, BAK or not.
  const char* const archives[] = {"Robot_001.zip", "Robot.001.zip", "Robot.lwo.001.zip",
                                  "Robot_001.7z",  "Robot.001.7z",  "Robot.lwo.001.7z",
                                  "Robot_bak1.zip", "Robot.bak1.zip", "Robot.lwo.bak1.zip",
                                  "Robot_bak1.7z", "Robot.bak1.7z", "Robot.lwo.bak1.7z"};
  std::filesystem::create_directories(path("empty"));
  for (const char* archive : archives) writeFile(path(archive) + ".partial", "partial");
  const std::vector<std::string> staged = listFolder(scratch());
  SaveProfile incremental;
  BakSaveProfile bak;
  for (SaveProfile* profile : {&incremental, static_cast<SaveProfile*>(&bak)}) {
    for (int32_t format = 0; format <= 9; ++format) {
      profile->nameFormat = format;
      profile->maxFiles = 1;
      std::string first = nextBackupName(path("empty").c_str(), "Robot.lwo", *profile);
      const char* next = nextBackupName(scratch().c_str(), "Robot.lwo", *profile);
      ASSERT_NE(next, nullptr) << format;
      EXPECT_EQ(std::filesystem::path(next).filename(), std::filesystem::path(first).filename())
          << "format " << format << " bak " << profile->isBak;
      EXPECT_EQ(listFolder(scratch()), staged) << format;  // nothing pruned
    }
  }
}

}  // namespace
}  // namespace qktest
