// Unit tests of the save profiles, their defaults and directory modes.
#include <gtest/gtest.h>

#include "save/save_profile.h"

namespace {

TEST(OwnedStringTest, AssignCopiesFreesAndKeepsItsOwnBuffer) {
  OwnedString s;
  EXPECT_EQ(s.get(), nullptr);
  s.assign(nullptr);  // none to none
  EXPECT_EQ(s.get(), nullptr);

  char source[] = "backups";
  s.assign(source);
  ASSERT_NE(s.get(), nullptr);
  EXPECT_NE(s.get(), source) << "assign must copy";
  source[0] = 'X';
  EXPECT_STREQ(s.get(), "backups");

  const char* own = s.get();
  s.assign(own);
  EXPECT_EQ(s.get(), own) << "assigning its own buffer keeps it";
  EXPECT_STREQ(s.get(), "backups");

  s.assign("");
  ASSERT_NE(s.get(), nullptr) << "an empty copy is not none";
  EXPECT_STREQ(s.get(), "");
  s.assign(nullptr);
  EXPECT_EQ(s.get(), nullptr);
}

TEST(ClassifyDirectoryTest, Table) {
  struct Case {
    const char* text;
    DirectoryMode mode;
  } cases[] = {
      {nullptr, ObjectFolder},
      {"", ObjectFolder},
      {".incr_save", RelativeFolder},
      {"backups/old", RelativeFolder},
      {"\\backups", RelativeFolder},
      {"/backups", RelativeFolder},
      {"C:\\backups", AbsoluteFolder},
      {"D:", AbsoluteFolder},
      {"odd:name", AbsoluteFolder},
      {"\\\\server\\share", AbsoluteFolder},
      {"//server/share", AbsoluteFolder},
      {"/\\server", AbsoluteFolder},
      {"///name", RelativeFolder},
      {"\\\\\\name", RelativeFolder},
      {"//", RelativeFolder},
      {"\\\\", RelativeFolder},
  };
  for (const Case& c : cases)
    EXPECT_EQ(classifyDirectory(c.text), c.mode) << "text: " << (c.text ? c.text : "(null)");
}

TEST(IsUncPathTest, UsesTheGivenLength) {
  EXPECT_EQ(isUncPath("//a", 3), 1);
  EXPECT_EQ(isUncPath("//a", 2), 0);
  EXPECT_EQ(isUncPath("/a/", 3), 0);
}

TEST(SaveProfileTest, ConstructionDefaults) {
  SaveProfile incremental;
  EXPECT_EQ(incremental.nameFormat, 0);
  EXPECT_EQ(incremental.digits, 1);
  EXPECT_EQ(incremental.compressionLevel, 0);
  EXPECT_EQ(incremental.directory.get(), nullptr);
  EXPECT_EQ(incremental.maxFiles, 0u);
  EXPECT_EQ(incremental.directoryMode, ObjectFolder);
  EXPECT_EQ(incremental.isBak, 0);

  BakSaveProfile bak;
  EXPECT_EQ(bak.nameFormat, 0);
  EXPECT_EQ(bak.digits, 1);
  EXPECT_EQ(bak.directory.get(), nullptr);
  EXPECT_EQ(bak.maxFiles, 1u);
  EXPECT_EQ(bak.isBak, 1);
  EXPECT_EQ(bak.useGlobalName, 0);
  EXPECT_STREQ(bak.globalName.get(), "qkincr-lwo-bak");
}

TEST(SaveProfileTest, ResetTouchesOnlyItsFiveFields) {
  SaveProfile p;
  p.nameFormat = 7;
  p.digits = 8;
  p.compressionLevel = 1;
  p.directory.assign("C:\\elsewhere");
  p.maxFiles = 9;
  p.directoryMode = AbsoluteFolder;
  p.reset();
  EXPECT_EQ(p.nameFormat, 0);
  EXPECT_EQ(p.digits, 3);
  EXPECT_EQ(p.compressionLevel, 1) << "reset leaves the compression level";
  EXPECT_STREQ(p.directory.get(), ".incr_save");
  EXPECT_EQ(p.maxFiles, 0u);
  EXPECT_EQ(p.directoryMode, RelativeFolder);
  EXPECT_EQ(p.isBak, 0);
}

TEST(SaveProfileTest, BakResetUsesItsOwnDefaultsAndKeepsTheGlobalName) {
  BakSaveProfile p;
  p.compressionLevel = 1;
  p.useGlobalName = 1;
  p.globalName.assign("shared");
  p.maxFiles = 0;
  SaveProfile& asBase = p;
  asBase.reset();  // virtual: the BAK override runs
  EXPECT_EQ(p.nameFormat, 3);
  EXPECT_EQ(p.digits, 1);
  EXPECT_STREQ(p.directory.get(), ".bak_save");
  EXPECT_EQ(p.maxFiles, 1u);
  EXPECT_EQ(p.directoryMode, RelativeFolder);
  EXPECT_EQ(p.compressionLevel, 1);
  EXPECT_EQ(p.useGlobalName, 1);
  EXPECT_STREQ(p.globalName.get(), "shared");
  EXPECT_EQ(p.isBak, 1);
}

TEST(SaveProfileTest, ReleaseFreesEveryOwnedString) {
  BakSaveProfile p;
  p.reset();
  SaveProfile& asBase = p;
  asBase.release();
  EXPECT_EQ(p.directory.get(), nullptr);
  EXPECT_EQ(p.globalName.get(), nullptr);
}

TEST(SaveProfileTest, TheTwoProcessWideProfilesAreOneOfEachKind) {
  EXPECT_EQ(incrementalProfile().isBak, 0);
  EXPECT_EQ(bakProfile().isBak, 1);
  EXPECT_EQ(&incrementalProfile(), &incrementalProfile());
}

TEST(NameFormatTest, CompressedExactlyForFourToNine) {
  for (int32_t format = -1; format <= 10; ++format)
    EXPECT_EQ(isCompressedFormat(format), format >= 4 && format <= 9) << "format " << format;
}

}  // namespace
