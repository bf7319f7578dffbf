// The settings file: where it lives, what a load makes of every kind of
// file, and that a save never destroys the file it replaces.
//
// These tests drive the settings code linked into the test binary (its own
// profiles and host services), bound to the fixture's stand-in host.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "platform/text.h"
#include "settings/settings_file.h"
#include "tests/settings_file_fixture.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;

// --- Building files ----------------------------------------------------------

std::string le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

const std::string kHeader = "INSV" + le32(1);

// A chunk head claiming `length`, without its payload.
std::string head(const std::string& tag, uint32_t length) { return tag + le32(length); }
std::string chunk(const std::string& tag, const std::string& payload) {
  return head(tag, static_cast<uint32_t>(payload.size())) + payload;
}
std::string intChunk(const std::string& tag, uint32_t value) { return chunk(tag, le32(value)); }
std::string zeroEnded(const std::string& text) { return text + std::string(1, '\0'); }
std::string textChunk(const std::string& tag, const std::string& text) { return chunk(tag, zeroEnded(text)); }

// A twin chunk of the string chunk `tag`: it records `record` (the string
// chunk's payload, terminator included) or, when none, that no string chunk
// was written, and holds `utf8`.
std::string twinChunk(const std::string& tag, const std::optional<std::string>& record, const std::string& utf8) {
  const std::string recorded = record ? le32(static_cast<uint32_t>(record->size())) + *record : le32(0xFFFFFFFF);
  return chunk("UTF8", tag + recorded + zeroEnded(utf8));
}
std::string repeated(const std::string& text, int times) {
  std::string all;
  while (times-- > 0) all += text;
  return all;
}

// The UTF-8 text the code page's `bytes` spell (bytes of none carried through).
std::string readAsCodePage(const std::string& bytes) {
  std::string utf8;
  return platformCodePageToUtf8(bytes.c_str(), &utf8) ? utf8 : bytes;
}

// The file a save writes from the values in force after the first activation.
const std::string kDefaultsFile =
    kHeader + intChunk("NMFM", 0) + intChunk("NDIG", 3) + intChunk("COMP", 0) +
    intChunk("FLIM", 0) + textChunk("PATH", ".incr_save") + intChunk("BFMT", 3) +
    intChunk("BDIG", 1) + intChunk("BCMP", 0) + intChunk("BLIM", 1) + intChunk("BUGN", 0) +
    textChunk("BPAT", ".bak_save") + textChunk("BGNM", "qkincr-lwo-bak");

// --- Profiles as values --------------------------------------------------------

struct Fields {
  int32_t nameFormat, digits, compressionLevel;
  std::optional<std::string> directory;
  uint32_t maxFiles;
  int32_t directoryMode;
};

struct Profiles {
  Fields incremental, bak;
  int32_t useGlobalName;
  std::optional<std::string> globalName;
};

// The values in force after the first activation, which kDefaultsFile holds.
const Profiles kDefaults = {{0, 3, 0, ".incr_save", 0, 1}, {3, 1, 0, ".bak_save", 1, 1}, 0, "qkincr-lwo-bak"};

std::optional<std::string> held(const OwnedString& s) {
  return s.get() ? std::optional<std::string>(s.get()) : std::nullopt;
}

Fields fieldsOf(const SaveProfile& p) {
  return {p.nameFormat, p.digits, p.compressionLevel, held(p.directory), p.maxFiles, p.directoryMode};
}

Profiles capture() {
  return {fieldsOf(incrementalProfile()), fieldsOf(bakProfile()), bakProfile().useGlobalName,
          held(bakProfile().globalName)};
}

void applyFields(const Fields& f, SaveProfile& p) {
  p.nameFormat = f.nameFormat;
  p.digits = f.digits;
  p.compressionLevel = f.compressionLevel;
  p.directory.assign(f.directory ? f.directory->c_str() : nullptr);
  p.maxFiles = f.maxFiles;
  p.directoryMode = f.directoryMode;
}

void apply(const Profiles& p) {
  applyFields(p.incremental, incrementalProfile());
  applyFields(p.bak, bakProfile());
  bakProfile().useGlobalName = p.useGlobalName;
  bakProfile().globalName.assign(p.globalName ? p.globalName->c_str() : nullptr);
}

std::string describe(const std::optional<std::string>& s) { return s ? '"' + *s + '"' : "none"; }

std::string describe(const Fields& f) {
  std::ostringstream out;
  out << "format " << f.nameFormat << ", digits " << f.digits << ", level " << f.compressionLevel
      << ", directory " << describe(f.directory) << ", max " << f.maxFiles << ", mode "
      << f.directoryMode;
  return out.str();
}

std::string describe(const Profiles& p) {
  return "incremental {" + describe(p.incremental) + "}\nbak {" + describe(p.bak) +
         "}, global " + std::to_string(p.useGlobalName) + " " + describe(p.globalName);
}

// What the profiles hold before a load: every field differs from its reset value.
Profiles beforeLoad() {
  return {{7, 6, 1, "old-incremental", 9, 2}, {8, 5, 1, "old-bak", 4, 2}, 1, "old-name"};
}

// `p` after both resets: compression levels and the global name untouched.
Profiles resetOf(Profiles p) {
  p.incremental = {0, 3, p.incremental.compressionLevel, ".incr_save", 0, 1};
  p.bak = {3, 1, p.bak.compressionLevel, ".bak_save", 1, 1};
  return p;
}

// --- The fixture ----------------------------------------------------------------

// SettingsFileTest: tests/settings_file_fixture.h.

// --- Where the file lives -----------------------------------------------------

TEST_F(SettingsFileTest, PathComesFromTheSettingsFolderOrElseTheContentFolder) {
  const std::string longest = "/" + std::string(239, 'f');
  // 240 characters as Windows counts them (UTF-16 units), 241 bytes as POSIX
  // does; every code page of interface 3 spells the section sign.
  const std::string longestUnits = "/\xC2\xA7" + std::string(238, 'f');
  struct Case {
    const char* name;
    std::optional<std::string> settings, content;
    std::optional<std::string> path;
    std::vector<std::string> asked;
  } cases[] = {
      {"settings folder", "/s", "/c", "/s|qk_revkeeper.cfg", {"Settings"}},
      {"trailing slash", "/s/", std::nullopt, "/s/qk_revkeeper.cfg", {"Settings"}},
      {"trailing backslash", "C:\\s\\", std::nullopt, "C:\\s\\qk_revkeeper.cfg", {"Settings"}},
      {"empty settings", "", "/c", "/c|qk_revkeeper.cfg", {"Settings", "Content"}},
      {"no settings", std::nullopt, "/c", "/c|qk_revkeeper.cfg", {"Settings", "Content"}},
      {"neither", std::nullopt, "", std::nullopt, {"Settings", "Content"}},
      {"240 characters", longest, std::nullopt, longest + "|qk_revkeeper.cfg", {"Settings"}},
      {"241 characters", longest + "f", "/c", std::nullopt, {"Settings"}},
      {"relative settings", "cfg/qk", "/c", "/c|cfg/qk|qk_revkeeper.cfg", {"Settings", "Content"}},
      {"relative below a content slash", "..\\cfg", "C:\\c\\", "C:\\c\\..\\cfg|qk_revkeeper.cfg",
       {"Settings", "Content"}},
      {"relative without content", "cfg", std::nullopt, "cfg|qk_revkeeper.cfg", {"Settings", "Content"}},
      {"relative over 240 with content", "cfg", longest, std::nullopt, {"Settings", "Content"}},
      {"240 units in more bytes", longestUnits, "/c",
       kCountsUnits ? std::optional<std::string>(longestUnits + "|qk_revkeeper.cfg") : std::nullopt, {"Settings"}},
  };
  for (const Case& c : cases) {
    host().setFolder(HOST_FOLDER_SETTINGS, c.settings);
    host().setFolder(HOST_FOLDER_CONTENT, c.content);
    host().clearRecords();
    const char* path = settingsFilePath();
    std::string expected = c.path.value_or("(none)");  // '|': the separator the plug-in adds
    std::replace(expected.begin(), expected.end(), '|', PLATFORM_SEPARATOR);
    EXPECT_EQ(path ? std::string(path) : "(none)", expected) << c.name;
    std::vector<std::string> asked;
    for (const qkhost::HostCall& call : host().calls()) asked.push_back(call.arguments.at(0));
    EXPECT_EQ(asked, c.asked) << c.name;
  }
  EXPECT_EQ(cases[6].path->size(), 240u + 1 + 16);
}

TEST_F(SettingsFileTest, NoFolderMeansNeitherLoadNorSave) {
  host().setFolder(HOST_FOLDER_SETTINGS, "/" + std::string(240, 'f'));
  host().setFolder(HOST_FOLDER_CONTENT, settingsDir());
  writeFile(settingsFile(), kHeader + intChunk("NDIG", 6));
  apply(beforeLoad());
  EXPECT_EQ(loadSettings(), 0);
  EXPECT_EQ(describe(capture()), describe(beforeLoad()));
  EXPECT_EQ(saveSettings(), 0);
  EXPECT_EQ(readFile(settingsFile()), kHeader + intChunk("NDIG", 6));
}

// --- What a load makes of a file ----------------------------------------------------

TEST_F(SettingsFileTest, LoadTakesWhatTheFileHoldsAndStopsAtTheFirstFault) {
  enum Base { Unchanged, Reset };
  struct Case {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file at all
    int result;
    Base base;                        // the profiles before `adjust`
    void (*adjust)(Profiles&);
  } cases[] = {
      {"no file", std::nullopt, 0, Unchanged, nullptr},
      {"empty file", "", 0, Unchanged, nullptr},
      {"7 bytes", kHeader.substr(0, 7), 0, Unchanged, nullptr},
      {"wrong magic", "INSW" + le32(1) + intChunk("NDIG", 6), 0, Unchanged, nullptr},
      {"version 2", "INSV" + le32(2) + intChunk("NDIG", 6), 0, Unchanged, nullptr},
      {"header only", kHeader, 1, Reset, nullptr},
      {"PATH of length 0", kHeader + chunk("PATH", ""), 1, Reset,
       [](Profiles& p) { p.incremental.directory.reset(); p.incremental.directoryMode = 0; }},
      {"PATH of length 1", kHeader + chunk("PATH", std::string(1, '\0')), 1, Reset,
       [](Profiles& p) { p.incremental.directory = ""; p.incremental.directoryMode = 0; }},
      {"PATH with a drive letter", kHeader + textChunk("PATH", "D:\\backups"), 1, Reset,
       [](Profiles& p) { p.incremental.directory = "D:\\backups"; p.incremental.directoryMode = 2; }},
      {"BPAT on the network", kHeader + textChunk("BPAT", "//server/share"), 1, Reset,
       [](Profiles& p) { p.bak.directory = "//server/share"; p.bak.directoryMode = 2; }},
      {"every field, out of order",
       kHeader + textChunk("BGNM", "robot") + intChunk("NMFM", 4) + intChunk("NDIG", 5) +
           intChunk("COMP", 1) + intChunk("FLIM", 20) + textChunk("PATH", "") +
           intChunk("BFMT", 9) + intChunk("BDIG", 2) + intChunk("BCMP", 0) + intChunk("BLIM", 3) +
           intChunk("BUGN", 0) + textChunk("BPAT", "bak/here"),
       1, Reset,
       [](Profiles& p) {
         p.incremental = {4, 5, 1, "", 20, 0};
         p.bak = {9, 2, 0, "bak/here", 3, 1};
         p.useGlobalName = 0; p.globalName = "robot";
       }},
      {"values out of range", kHeader + intChunk("NMFM", 0xFFFFFFFF) + intChunk("NDIG", 100) +
           intChunk("FLIM", 0xFFFFFFFF), 1, Reset,
       [](Profiles& p) {
         p.incremental.nameFormat = -1;
         p.incremental.digits = 8;
         p.incremental.maxFiles = 1;
       }},
      {"digits and limits of 0", kHeader + intChunk("NDIG", 0) + intChunk("FLIM", 0) + intChunk("BDIG", 0xFFFFFFFF) +
           intChunk("BLIM", 0), 1, Reset,
       [](Profiles& p) { p.incremental.digits = 1; p.bak.digits = 1; p.bak.maxFiles = 1; }},
      {"out of range, then a failure", kHeader + intChunk("BDIG", 300) + chunk("FLIM", "abc"), 0, Reset,
       [](Profiles& p) { p.bak.digits = 8; }},
      {"unknown chunk of 0x100000", kHeader + chunk("XTRA", std::string(0x100000, 'x')) +
           intChunk("NDIG", 6), 1, Reset, [](Profiles& p) { p.incremental.digits = 6; }},
      {"unknown chunk of 0x100001", kHeader + chunk("XTRA", std::string(0x100001, 'x')) +
           intChunk("NDIG", 6), 0, Reset, nullptr},
      {"unknown chunk ending at the end", kHeader + intChunk("NDIG", 6) + head("XTRA", 3) + "abc",
       1, Reset, [](Profiles& p) { p.incremental.digits = 6; }},
      {"unknown chunk past the end", kHeader + intChunk("NDIG", 6) + head("XTRA", 4) + "abc", 0,
       Reset, [](Profiles& p) { p.incremental.digits = 6; }},
      {"NDIG of length 8", kHeader + chunk("NDIG", le32(6) + le32(7)), 0, Reset, nullptr},
      {"NDIG cut short", kHeader + head("NDIG", 4) + "\x06", 0, Reset, nullptr},
      {"1 stray byte", kHeader + intChunk("NDIG", 6) + "x", 1, Reset,
       [](Profiles& p) { p.incremental.digits = 6; }},
      {"7 stray bytes", kHeader + intChunk("NDIG", 6) + "1234567", 1, Reset,
       [](Profiles& p) { p.incremental.digits = 6; }},
      {"BLIM twice", kHeader + intChunk("BLIM", 3) + intChunk("BLIM", 7), 1, Reset,
       [](Profiles& p) { p.bak.maxFiles = 7; }},
      {"failure part-way", kHeader + textChunk("PATH", "C:\\abs") + intChunk("NDIG", 6) +
           chunk("FLIM", "abc"), 0, Reset,
       [](Profiles& p) {  // the folder read stays absolute
         p.incremental.directory = "C:\\abs";
         p.incremental.directoryMode = 2;
         p.incremental.digits = 6;
       }},
      {"string without a zero", kHeader + chunk("BGNM", "robot"), 0, Reset, nullptr},
      {"string cut short", kHeader + head("PATH", 20) + std::string("abc\0", 4), 0, Reset, nullptr},
      {"string of 779 bytes", kHeader + textChunk("PATH", std::string(778, 'a')), 0, Reset, nullptr},
      {"string of 778 bytes: 259 characters of 3 bytes, the most the panel stores",
       kHeader + textChunk("PATH", std::string(777, 'a')), 1, Reset,
       [](Profiles& p) { p.incremental.directory = std::string(777, 'a'); }},
      {"zero inside a string", kHeader + chunk("BGNM", std::string("ab\0cd\0", 6)), 1, Reset,
       [](Profiles& p) { p.globalName = "ab"; }},
      {"twin recording its string chunk", kHeader + textChunk("PATH", "W?rfel") +
           twinChunk("PATH", zeroEnded("W?rfel"), "Würfel"), 1, Reset,
       [](Profiles& p) { p.incremental.directory = "Würfel"; }},
      {"twin before its string chunk", kHeader + twinChunk("BGNM", zeroEnded("Kub"), "Куб") +
           textChunk("BGNM", "Kub"), 1, Reset, [](Profiles& p) { p.globalName = "Куб"; }},
      {"string chunk changed by an older release", kHeader + textChunk("PATH", "Cube") +
           twinChunk("PATH", zeroEnded("W?rfel"), "Würfel"), 1, Reset,
       [](Profiles& p) { p.incremental.directory = "Cube"; }},
      {"twin of no string chunk", kHeader + twinChunk("BPAT", std::nullopt, "Настройки"), 1, Reset,
       [](Profiles& p) { p.bak.directory = "Настройки"; }},
      {"twin of no string chunk, but one written since", kHeader + textChunk("BPAT", "bak") +
           twinChunk("BPAT", std::nullopt, "Настройки"), 1, Reset, [](Profiles& p) { p.bak.directory = "bak"; }},
      {"twin of an integer", kHeader + twinChunk("NDIG", std::nullopt, "6") + intChunk("BDIG", 2), 1, Reset,
       [](Profiles& p) { p.bak.digits = 2; }},
      {"twin whose record passes its end", kHeader + chunk("UTF8", "PATH" + le32(50) + zeroEnded("ab")), 0, Reset,
       nullptr},
      {"twin without a zero", kHeader + chunk("UTF8", "PATH" + le32(0xFFFFFFFF) + "ab"), 0, Reset, nullptr},
      {"twin that is no UTF-8", kHeader + twinChunk("PATH", std::nullopt, "\xC3("), 0, Reset, nullptr},
      {"older release: untwinned, beside a twin", kHeader + textChunk("PATH", "\xC3\xA9t\xC3\xA9") +
           textChunk("BPAT", "bak") + twinChunk("BPAT", zeroEnded("bak"), "Bäk"), 1, Reset,
       [](Profiles& p) { p.incremental.directory = readAsCodePage("\xC3\xA9t\xC3\xA9"); p.bak.directory = "Bäk"; }},
  };
  for (const Case& c : cases) {
    std::error_code ignored;
    fs::remove(settingsFile(), ignored);
    if (c.file) writeFile(settingsFile(), *c.file);
    apply(beforeLoad());
    Profiles expected = c.base == Reset ? resetOf(beforeLoad()) : beforeLoad();
    if (c.adjust) c.adjust(expected);
    EXPECT_EQ(loadSettings(), c.result) << c.name;
    EXPECT_EQ(describe(capture()), describe(expected)) << c.name;
  }
}

// --- What a save writes, and what it never destroys -------------------------------

TEST_F(SettingsFileTest, WhatASaveWritesALoadReadsBack) {
  Profiles odd = {{-1, 8, 5, std::nullopt, 0x7FFFFFFF, 0}, {9, 1, 1, "", 1, 0}, 7, ""};  // limits at their ends
  apply(odd);
  ASSERT_EQ(saveSettings(), 1);
  EXPECT_EQ(listFolder(settingsDir()), std::vector<std::string>{"qk_revkeeper.cfg"});
  apply(beforeLoad());
  ASSERT_EQ(loadSettings(), 1);
  EXPECT_EQ(describe(capture()), describe(odd));
}

// Bytes as "49 4E ..." for readable comparisons.
std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) {
    if (!text.empty()) text += ' ';
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

// Each text is written in the code page where it can spell it, with a UTF-8
// twin when it is not plain ASCII, and reads back as it was. Under Linux the
// code page is UTF-8 and spells every text: these rows prove the twins'
// bytes; under Windows with code page 1252 the Cyrillic, the ideographs and
// the character beyond the BMP get no string chunk, and their rows prove the
// round trip. An older release, skipping the twin, reads the code-page text
// or, where none was written, keeps its own value rather than a name of '?'.
TEST_F(SettingsFileTest, ATextBeyondAsciiGetsATwinAndReadsBack) {
  const std::string beforeName = kDefaultsFile.substr(0, kDefaultsFile.find("BGNM"));
  struct Case {
    const char* name;
    std::optional<std::string> text;  // the global name
    bool utf8;                        // false: bytes carried through from the code page
  } cases[] = {
      {"ASCII", "robot", true},
      {"empty", "", true},
      {"none", std::nullopt, true},
      {"accented Latin", "Würfel", true},
      {"Cyrillic", "Настройки", true},
      {"ideographs", "能力", true},
      {"beyond the BMP", "𝒳", true},
      {"130 accented letters: 260 bytes in UTF-8, 130 in code page 1252", repeated("é", 130), true},
      {"bytes that are no UTF-8", "\xFC" "ber", false},
  };
  for (const Case& c : cases) {
    std::string expected = beforeName;
    std::string codePage;
    // An older release reads at most 259 bytes of text.
    const bool spelt =
        !c.text || !c.utf8 || (platformUtf8ToCodePage(c.text->c_str(), &codePage) && codePage.size() <= 259);
    if (!c.text) expected += head("BGNM", 0);
    else if (spelt) expected += textChunk("BGNM", c.utf8 ? codePage : *c.text);
    std::string twin;
    if (c.text && c.utf8 && platformIsAscii(c.text->c_str()) == 0)
      twin = twinChunk("BGNM", spelt ? std::optional<std::string>(zeroEnded(codePage)) : std::nullopt, *c.text);
    expected += twin;
    apply(kDefaults);
    bakProfile().globalName.assign(c.text ? c.text->c_str() : nullptr);
    ASSERT_EQ(saveSettings(), 1) << c.name;
    EXPECT_EQ(hex(readFile(settingsFile())), hex(expected)) << c.name;
    bakProfile().globalName.assign("old-name");
    ASSERT_EQ(loadSettings(), 1) << c.name;
    // Bytes carried through read as whatever the code page makes of them.
    const std::optional<std::string> back = c.text && !c.utf8 ? readAsCodePage(*c.text) : c.text;
    EXPECT_EQ(describe(held(bakProfile().globalName)), describe(back)) << c.name;

    writeFile(settingsFile(), expected.substr(0, expected.size() - twin.size()));  // an older release's view
    bakProfile().globalName.assign("old-name");
    ASSERT_EQ(loadSettings(), 1) << c.name;
    EXPECT_EQ(describe(held(bakProfile().globalName)), describe(spelt ? back : "old-name")) << c.name << ", older";
  }
}

using SettingsFileThroughPluginTest = PluginTest;

TEST_F(SettingsFileThroughPluginTest, ConfirmingTheDefaultsWritesThe176ByteFile) {
  host().queuePanelSession({qkhost::PanelAction::ok()});
  activate(kConfigureServer);
  const std::string written = readFile(settingsDir() + "/qk_revkeeper.cfg");
  EXPECT_EQ(written.size(), 176u);
  EXPECT_EQ(hex(written.substr(0, 20)),
            "49 4E 53 56 01 00 00 00 4E 4D 46 4D 04 00 00 00 00 00 00 00");
  EXPECT_EQ(hex(written), hex(kDefaultsFile));
  EXPECT_EQ(listFolder(settingsDir()), std::vector<std::string>{"qk_revkeeper.cfg"});
}

// The values written only when not 0, each with its tag, in the writer's order.
struct OptionalValue {
  const char* tag;
  int32_t* field;
};
std::vector<OptionalValue> optionalValues() {
  SaveProfile& n = incrementalProfile();
  BakSaveProfile& b = bakProfile();
  return {{"NSKP", &n.skipUnchanged}, {"BSKP", &b.skipUnchanged}, {"NKHR", &n.keepHours},
          {"NKDY", &n.keepDays},      {"NKWK", &n.keepWeeks},       {"NSIZ", &n.maxTotalMB},
          {"BKHR", &b.keepHours},     {"BKDY", &b.keepDays},        {"BKWK", &b.keepWeeks},
          {"BSIZ", &b.maxTotalMB}};
}

// Each optional value as "TAG=value", for readable comparisons.
std::string optionalValuesHeld() {
  std::string text;
  for (const OptionalValue& v : optionalValues()) text += std::string(v.tag) + "=" + std::to_string(*v.field) + " ";
  return text;
}

TEST_F(SettingsFileTest, OptionalValuesFollowTheTwelveChunksOnlyWhenSet) {
  struct Case {
    const char* name;
    std::map<std::string, int32_t> set;  // by tag; every other optional value 0
  } cases[] = {
      {"none", {}},
      {"incremental switch", {{"NSKP", 1}}},
      {"BAK switch", {{"BSKP", 1}}},
      {"both switches", {{"NSKP", 1}, {"BSKP", 1}}},
      {"incremental history", {{"NKHR", 24}, {"NKDY", 30}, {"NKWK", 52}, {"NSIZ", 5000}}},
      {"BAK history at the ends", {{"BKHR", 1}, {"BKDY", 100000}, {"BKWK", 1}, {"BSIZ", 100000}}},
  };
  for (const Case& c : cases) {
    apply(kDefaults);
    std::string tail;
    for (const OptionalValue& v : optionalValues()) {
      auto it = c.set.find(v.tag);
      *v.field = it != c.set.end() ? it->second : 0;
      if (*v.field != 0) tail += intChunk(v.tag, static_cast<uint32_t>(*v.field));
    }
    const std::string saved = optionalValuesHeld();
    ASSERT_EQ(saveSettings(), 1) << c.name;
    EXPECT_EQ(hex(readFile(settingsFile())), hex(kDefaultsFile + tail)) << c.name;
    // Each value starts the load otherwise: an absent chunk must turn it off.
    for (const OptionalValue& v : optionalValues()) *v.field = *v.field != 0 ? 0 : 9;
    ASSERT_EQ(loadSettings(), 1) << c.name;
    EXPECT_EQ(optionalValuesHeld(), saved) << c.name;
  }
  for (const OptionalValue& v : optionalValues()) *v.field = 0;
}

// A keep rule or cap read from a file is kept within 0..100000, and a file
// of an older release, which has none, turns every one off.
TEST_F(SettingsFileTest, HistoryValuesAreReadWithinRange) {
  struct Case {
    const char* name;
    std::string file;
    const char* held;  // optionalValuesHeld() after the load
  } cases[] = {
      {"as an older release writes it", kDefaultsFile,
       "NSKP=0 BSKP=0 NKHR=0 NKDY=0 NKWK=0 NSIZ=0 BKHR=0 BKDY=0 BKWK=0 BSIZ=0 "},
      {"out of range", kHeader + intChunk("NKHR", 0xFFFFFFFF) + intChunk("NKDY", 100001) +
           intChunk("NKWK", 0x80000000) + intChunk("NSIZ", 0x7FFFFFFF) + intChunk("BKHR", 100000) +
           intChunk("BKDY", 0) + intChunk("BKWK", 0xFFFF0000) + intChunk("BSIZ", 200000),
       "NSKP=0 BSKP=0 NKHR=0 NKDY=100000 NKWK=0 NSIZ=100000 BKHR=100000 BKDY=0 BKWK=0 BSIZ=100000 "},
  };
  for (const Case& c : cases) {
    writeFile(settingsFile(), c.file);
    for (const OptionalValue& v : optionalValues()) *v.field = 5;
    loadSettings();
    EXPECT_EQ(optionalValuesHeld(), c.held) << c.name;
  }
  for (const OptionalValue& v : optionalValues()) *v.field = 0;
}

TEST_F(SettingsFileTest, AFolderInTheFilesPlaceIsNeverReplaced) {
  fs::create_directories(settingsFile() + "/inside");
  EXPECT_EQ(saveSettings(), 0);
  EXPECT_TRUE(fs::is_directory(settingsFile() + "/inside"));
  EXPECT_EQ(listFolder(settingsDir()), std::vector<std::string>{"qk_revkeeper.cfg"});
}

}  // namespace
}  // namespace qktest
