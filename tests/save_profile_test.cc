// Unit tests of the save profiles, their defaults and directory modes.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>

#include "backups/save_profile.h"

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

// Every field of a profile, the BAK ones empty for an incremental profile.
struct Fields {
  int32_t nameFormat, digits, compressionLevel;
  std::string directory;  // "(none)" when it holds none
  uint32_t maxFiles;
  int32_t directoryMode, isBak, skipUnchanged, useGlobalName;
  std::string globalName;  // "(none)" as directory; "" for an incremental profile
  std::array<int32_t, 4> history;  // keep hours, days, weeks, size cap

  bool operator==(const Fields& o) const {
    return nameFormat == o.nameFormat && digits == o.digits && compressionLevel == o.compressionLevel &&
           directory == o.directory && maxFiles == o.maxFiles && directoryMode == o.directoryMode &&
           isBak == o.isBak && skipUnchanged == o.skipUnchanged && useGlobalName == o.useGlobalName &&
           globalName == o.globalName && history == o.history;
  }
};

std::ostream& operator<<(std::ostream& out, const Fields& f) {
  return out << "{format " << f.nameFormat << ", digits " << f.digits << ", level " << f.compressionLevel
             << ", directory " << f.directory << ", max " << f.maxFiles << ", mode " << f.directoryMode
             << ", isBak " << f.isBak << ", skip " << f.skipUnchanged << ", global " << f.useGlobalName
             << " " << f.globalName << ", history " << f.history[0] << " " << f.history[1] << " "
             << f.history[2] << " " << f.history[3] << "}";
}

std::string textOf(const OwnedString& s) { return s.get() != nullptr ? s.get() : "(none)"; }

Fields fieldsOf(const SaveProfile& p) {
  Fields f{p.nameFormat, p.digits, p.compressionLevel, textOf(p.directory), p.maxFiles,
           p.directoryMode, p.isBak, p.skipUnchanged, 0, "", {p.keepHours, p.keepDays, p.keepWeeks, p.maxTotalMB}};
  if (const BakSaveProfile* bak = dynamic_cast<const BakSaveProfile*>(&p)) {
    f.useGlobalName = bak->useGlobalName;
    f.globalName = textOf(bak->globalName);
  }
  return f;
}

// Gives every field of `p` a value that neither a construction nor a reset gives.
void setEveryField(SaveProfile& p) {
  p.nameFormat = 7;
  p.digits = 8;
  p.compressionLevel = 1;
  p.directory.assign("C:\\elsewhere");
  p.maxFiles = 9;
  p.directoryMode = AbsoluteFolder;
  p.isBak = 5;
  p.skipUnchanged = 1;
  p.keepHours = 24;
  p.keepDays = 30;
  p.keepWeeks = 52;
  p.maxTotalMB = 5000;
  if (BakSaveProfile* bak = dynamic_cast<BakSaveProfile*>(&p)) {
    bak->useGlobalName = 1;
    bak->globalName.assign("shared");
  }
}

TEST(SaveProfileTest, DefaultsAndResetTable) {
  struct Case {
    const char* what;
    bool bak;
    bool reset;  // every field set, then reset through the base class
    Fields expected;
  } cases[] = {
      {"incremental constructed", false, false, {0, 1, 0, "(none)", 0, ObjectFolder, 0, 0, 0, "", {}}},
      {"BAK constructed", true, false, {0, 1, 0, "(none)", 1, ObjectFolder, 1, 0, 0, "qkincr-lwo-bak", {}}},
      // A reset leaves the compression level, isBak and the global name alone.
      {"incremental reset", false, true, {0, 3, 1, ".incr_save", 0, RelativeFolder, 5, 0, 0, "", {}}},
      {"BAK reset", true, true, {3, 1, 1, ".bak_save", 1, RelativeFolder, 5, 0, 1, "shared", {}}},
  };
  for (const Case& c : cases) {
    SaveProfile incremental;
    BakSaveProfile bak;
    SaveProfile& p = c.bak ? bak : incremental;
    if (c.reset) {
      setEveryField(p);
      p.reset();  // virtual: the BAK override runs
    }
    EXPECT_EQ(fieldsOf(p), c.expected) << c.what;
  }
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
}

TEST(NameFormatTest, CompressedExactlyForTheArchiveFormats) {
  struct Case {
    int32_t format;
    bool compressed;
  } cases[] = {
      {-1, false},
      {kNameUnderscoreLwo, false},
      {kNameDot, false},
      {kNameLwoDot, false},
      {kNameDotLwo, false},
      {kNameUnderscoreZip, true},
      {kNameDotZip, true},
      {kNameLwoDotZip, true},
      {kNameUnderscore7z, true},
      {kNameDot7z, true},
      {kNameLwoDot7z, true},
      {10, false},
  };
  for (const Case& c : cases) EXPECT_EQ(isCompressedFormat(c.format), c.compressed) << "format " << c.format;
}

}  // namespace
