// Objects named in any language, through the real plug-in in the stand-in
// host: each name (run the Windows build under LANG=ja_JP.UTF-8,
// zh_CN.UTF-8, ru_RU.UTF-8 or de_DE.UTF-8 for the code pages 932, 936, 1251
// or 1252 of interface 3) is backed up under the right name in a relative,
// the object's own and an absolute folder; its earlier backups are
// recognised, the limit prunes only its own, and the archive readers read
// its name back.
#include <gtest/gtest.h>

#include <string>

#include "backups/save_profile.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "settings/panel_validation.h"
#include "settings/settings_file.h"
#include "tests/archive_test_support.h"
#include "tests/support/output_file.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

struct NameCase {
  const char* label;
  const char* stem;  // UTF-8
  const char* twin;  // another object whose name differs from it only in second bytes; may be null
};

const NameCase kNames[] = {
    {"ASCII, stored as before", "Robot", nullptr},
    {"second bytes 0x5C in 932", "表ソ能予十", nullptr},
    {"second bytes 0x5C in 936", "乗俓", nullptr},
    {"letters as second bytes in 932", "アク", "ヂハ"},
    {"letters as second bytes in 936", "貯貼", "賏賜"},
    {"Cyrillic", "Куб", nullptr},
    {"accented Latin", "Würfel", nullptr},
    {"accented Latin, another", "Château", nullptr},
    {"euro sign", "€uro", nullptr},
    {"ideographs, outside 1252", "能力", nullptr},
    {"Cyrillic, outside 1252", "Кубик", nullptr},
    {"beyond the BMP, a surrogate pair in UTF-16", "𝒳", nullptr},
    {"Hangul, outside 932", "한글", nullptr},
};

struct FolderCase {
  const char* label;
  int32_t format;
  const char* backup;  // printf form of a backup's name from the stem and its number
};

const FolderCase kFolders[] = {
    {"relative", 7, "%s_%03d.7z"},
    {"object", 4, "%s_%03d.zip"},
    {"absolute", 3, "%s.%03d.lwo"},
};

// The first line a reader prints, with the locale set so that it prints UTF-8.
std::string readerLine(const std::string& command, const std::string& archive) {
  std::string output = runCommand("LC_ALL=C.UTF-8 " + command + " " + readerArgument(archive)).output;
  return output.substr(0, output.find('\n'));
}

// Expects every reader to take the archive's one entry for `name` (UTF-8)
// and a zip archive's comment for the object's path.
void expectEntryName(const std::string& archive, const std::string& name, const std::string& object) {
  const char* py = "/usr/bin/python3 -c \"import sys, zipfile, py7zr; f = sys.argv[1]; print((py7zr."
                   "SevenZipFile(f).getnames() if f.endswith('.7z') else zipfile.ZipFile(f).namelist())[0])\"";
  const bool sevenZip = archive.substr(archive.size() - 3) == ".7z";
  // py7zr decodes a name unit by unit, and cannot read a surrogate pair.
  const bool beyondBmp = name.find('\xF0') != std::string::npos;
  if (!(sevenZip && beyondBmp)) {
    EXPECT_EQ(readerLine(py, archive), name) << "python zipfile / py7zr";
  }
  if (sevenZip) {
    EXPECT_EQ(readerLine("7zz l -slt -ba", archive), "Path = " + name) << "7zz";
  } else {
    EXPECT_EQ(readerLine("unzip -Z1", archive), name) << "unzip";
    EXPECT_EQ(readerLine("unzip -zq", archive), "Original path name: " + object) << "unzip comment";
    // Bit 11 of the local header's flags, and the host system of the central header's "version made by".
    const std::string bytes = readFile(archive);
    const size_t central = bytes.find("PK\x01\x02");
    const bool ascii = name == "Robot.lwo";
    ASSERT_NE(central, std::string::npos);
    EXPECT_EQ((bytes[7] & 0x08) != 0, !ascii) << "the UTF-8 flag";
    EXPECT_EQ(bytes[central + 5], ascii ? 0 : 14) << "FAT for ASCII names, VFAT for UTF-8 ones";
  }
}

class NamesInAnyLanguageTest : public PluginTest {
 protected:
  // Has the incremental save keep at most two backups in `format` in
  // `directory`, by a settings file in the host's settings folder `settings`.
  void configure(int32_t format, const std::string& directory, const std::string& settings) {
    SaveProfile& profile = incrementalProfile();
    profile.reset();
    profile.nameFormat = format;
    profile.maxFiles = 2;
    profile.directory.assign(directory.c_str());
    profile.directoryMode = classifyDirectory(directory.c_str());
    ASSERT_EQ(platformMakeDirectory(settings.c_str()), 0);
    const std::string path = settings + kSeparator + "qk_revkeeper.cfg";
    PlatformFile* file = createOutputFile(path);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(writeSettings(file), 1);
    ASSERT_EQ(finishOutputFile(file, path), 1);
    reload();
    host().setFolder(HOST_FOLDER_SETTINGS, settings);
  }

  // Makes `path` the host's object, on disk with `bytes`, and saves it
  // through interface `version`.
  void save(const std::string& path, const std::string& bytes, int32_t version) {
    writeFile(path, bytes);
    host().setObjectPath(path);
    host().setObjectBytes(bytes + " edited");
    activate(kIncrementalServer, version);
    EXPECT_TRUE(shownMessages().empty()) << path;
  }

  // The path of backup `number` of `stem` (UTF-8) in `folder`.
  std::string backup(const std::string& folder, const FolderCase& f, const std::string& stem, int number) {
    char name[256];
    snprintf(name, sizeof name, f.backup, stem.c_str(), number);
    return folder + kSeparator + name;
  }

  // Three saves of the object through interface `version`, after one of its
  // twin: the limit leaves the last two of the object's and the twin's one.
  void saveThrice(const NameCase& n, const FolderCase& f, int32_t version) {
    const std::string stem = n.stem;
    const std::string objects = inScratch(stem + " " + f.label + " " + std::to_string(version));
    const std::string absolute = objects + kSeparator + stem + " all";
    ASSERT_EQ(platformMakeDirectory(objects.c_str()), 0);
    ASSERT_EQ(platformMakeDirectory(absolute.c_str()), 0);
    const std::string relative = stem + "_bak\\" + stem;
    const std::string directory = f.format == 7 ? relative : f.format == 4 ? "" : absoluteFolder(absolute);
    const std::string folder = f.format == 7 ? objects + kSeparator + stem + "_bak" + kSeparator + stem
                               : f.format == 4 ? objects
                                               : absolute;
    configure(f.format, directory, objects + kSeparator + stem);  // a folder name ending in the stem
    const std::string object = objects + kSeparator + stem + ".lwo";
    if (n.twin != nullptr) save(objects + kSeparator + n.twin + ".lwo", "twin", version);
    for (int i = 1; i <= 3; ++i) save(object, "state " + std::to_string(i), version);
    EXPECT_EQ(readFile(backup(folder, f, n.stem, 1)), "") << "the limit prunes the oldest";
    EXPECT_NE(readFile(backup(folder, f, n.stem, 2)), "") << "numbers follow the backups recognised";
    const std::string last = backup(folder, f, n.stem, 3);
    if (n.twin != nullptr) {
      EXPECT_NE(readFile(backup(folder, f, n.twin, 1)), "") << "the twin's backup stays";
    }
    if (f.format == 3) {
      EXPECT_EQ(readFile(last), "state 3");
    } else {
      expectEntryName(last, std::string(n.stem) + ".lwo", object);
    }
  }
};

TEST_F(NamesInAnyLanguageTest, BackUpAndReadBackUnderTheirNames) {
  for (const NameCase& n : kNames) {
    // Interface 3 hands over only what the code page spells; the settings
    // file, which names the relative and the absolute folder, keeps the
    // rest in its UTF-8 twins.
    const bool spelt = !codePageText(n.stem).empty() && (n.twin == nullptr || !codePageText(n.twin).empty());
    for (int32_t version : {HOST_INTERFACE_CODE_PAGE, HOST_INTERFACE_UTF8}) {
      for (const FolderCase& f : kFolders) {
        if (!spelt && version == HOST_INTERFACE_CODE_PAGE) {
          printf("skipped %s (%s) in the %s folder under interface %d: the code page cannot spell it\n", n.label,
                 n.stem, f.label, version);
          continue;
        }
        SCOPED_TRACE(std::string(n.label) + " " + n.stem + " in the " + f.label + " folder under interface " +
                     std::to_string(version));
        EXPECT_EQ(hasIllegalNameChars(n.stem), 0) << "as a BAK global name";
        EXPECT_STREQ(validateDirectory(n.stem, 0), n.stem) << "as a folder";
        saveThrice(n, f, version);
      }
    }
  }
}

// The "Open Backup" labels separate their parts with a middle dot: it must
// be a whole character of the code page (0xB7 alone is half a character in
// 936 and another letter in 932).
TEST(MiddleDotInAnyLanguage, IsAMiddleDotOfTheCodePage) {
  std::u16string dot;
  ASSERT_EQ(platformToUtf16(platformMiddleDot(), &dot), 1);
  EXPECT_TRUE(dot == u"\u00B7" || dot == u"\u30FB" || dot == u"-") << dot.size() << " units";
}

}  // namespace
}  // namespace qktest
