// The options panel's checks and stores: what each kind of input makes the
// panel say or ask, and what OK leaves in the profiles.
//
// These tests drive the panel code linked into the test binary (its own
// profiles and host services), bound to the fixture's stand-in host, so
// that every stored field, directory modes included, can be read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "settings/options_panel.h"
#include "settings/panel_layout.h"
#include "settings/panel_validation.h"
#include "settings/settings_file.h"
#include "tests/support/fault_plan.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

namespace fs = std::filesystem;
using qkhost::PanelAction;
using qkhost::PanelSession;

const std::string kAskIncremental =
    "question: QK_RevKeeper | The incremental directory is an absolute path, all objects will be "
    "incrementally saved here | This can lead to filename conflicts, proceed?";
const std::string kAskBak =
    "question: QK_RevKeeper | The BAK directory is an absolute path, all bak files will be saved "
    "here | This can lead to filename conflicts, proceed?";
const std::string kAskGlobalName =
    "question: QK_RevKeeper | Using a global BAK file name means that backup files for different "
    "LWOs will have the same name | Proceed?";
const std::string kNoGlobalName = "error: No BAK global file name contains was specified";
const std::string kIllegalGlobalName = "error: The BAK global file name contains illegal characters";

// The numbers both profiles hold, as one comparable line.
std::string numbers() {
  const SaveProfile& i = incrementalProfile();
  const BakSaveProfile& b = bakProfile();
  return "incremental " + std::to_string(i.nameFormat) + "/" + std::to_string(i.digits) + "/" +
         std::to_string(i.compressionLevel) + "/" + std::to_string(i.maxFiles) + ", bak " +
         std::to_string(b.nameFormat) + "/" + std::to_string(b.digits) + "/" +
         std::to_string(b.compressionLevel) + "/" + std::to_string(b.maxFiles) + "/" +
         std::to_string(b.useGlobalName);
}

// Each tab's keep hours, days, weeks and size cap, as "i h/d/w/mb, b h/d/w/mb".
std::string history() {
  auto of = [](const SaveProfile& p) {
    return std::to_string(p.keepHours) + "/" + std::to_string(p.keepDays) + "/" +
           std::to_string(p.keepWeeks) + "/" + std::to_string(p.maxTotalMB);
  };
  return "i " + of(incrementalProfile()) + ", b " + of(bakProfile());
}

std::string held(const OwnedString& s) { return s.get() ? '"' + std::string(s.get()) + '"' : "none"; }

// A panel opened on the profiles `prepare` leaves, then confirmed.
struct OpenAndConfirm {
  const char* name;
  void (*prepare)();
  PanelSession edits;
  std::vector<std::pair<uint32_t, int32_t>> opened;  // values when the panel opens
  const char* stored;                                 // what the test's reading gives after OK
};

class OptionsPanelTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(acquireHostServices(host().globalFunction(), host().commandInterface(), 1, kHostTextCodePage), 1);
  }
  void TearDown() override {
    releaseHostServices();
    PluginTest::TearDown();
  }

  // Puts the values of a first activation without a settings file in force,
  // and removes any settings file.
  void useDefaults() {
    incrementalProfile().reset();
    bakProfile().reset();
    incrementalProfile().compressionLevel = 0;
    bakProfile().compressionLevel = 0;
    bakProfile().useGlobalName = 0;
    bakProfile().globalName.assign("qkincr-lwo-bak");
    std::error_code ignored;
    fs::remove(settingsFile(), ignored);
  }

  // Opens the panel on the defaults as `c.prepare` changes them and
  // cancels, checking the values it opened with; then confirms `c.edits`
  // with OK, which must refuse no edit, and checks `reading()` against
  // `c.stored`.
  void openAndConfirm(const OpenAndConfirm& c, std::string (*reading)()) {
    useDefaults();
    c.prepare();
    ASSERT_EQ(runPanel({{PanelAction::cancel()}}), 0) << c.name;
    for (const auto& [id, value] : c.opened)
      EXPECT_EQ(panel().integer(id), value) << c.name << ", id 0x" << std::hex << id;
    PanelSession confirm = c.edits;
    confirm.push_back(PanelAction::ok());
    ASSERT_EQ(runPanel({confirm}), 1) << c.name;
    EXPECT_EQ(panel().refusals(), std::vector<std::string>{}) << c.name;
    EXPECT_EQ(reading(), c.stored) << c.name;
  }

  // Runs the panel with one scripted session per showing and queued answers.
  int runPanel(const std::vector<PanelSession>& sessions, const std::vector<bool>& answers = {}) {
    host().clearRecords();
    for (const PanelSession& s : sessions) host().queuePanelSession(s);
    for (bool a : answers) host().queueAnswer(a);
    return runOptionsPanel();
  }

  const qkhost::StandInPanel& panel() { return *host().panels().at(0); }
  std::string settingsFile() const { return settingsDir() + kSeparator + "qk_revkeeper.cfg"; }
};

TEST_F(OptionsPanelTest, DirectoriesAreCheckedBeforeAnythingIsStored) {
  const std::string folder = scratch() + "/abs:dir";
  const std::string file = scratch() + "/abs:file";
  const std::string missing = scratch() + "/abs:none";
  const std::string network = "/" + scratch() + "/net";  // "//tmp/...": a network path on POSIX
  fs::create_directories(folder);
  fs::create_directories(scratch() + "/net");
  writeFile(file, "x");
  const std::string longText(300, 'd');
  std::string signs;  // 300 section signs of two bytes each, one UTF-16 unit each, in every code page
  while (signs.size() < 600) signs += "\xC2\xA7";
  const size_t keptBytes = kCountsUnits ? 2 * 259 : 2 * 129;

  struct Stored {
    std::string directory;
    int32_t mode;
  };
  struct Case {
    std::string name;
    PanelSession edits;  // before OK
    std::vector<bool> answers;
    std::vector<std::string> shown;
    std::optional<Stored> incremental, bak;  // both nullopt: refused, the panel shown again
  } cases[] = {
      {"empty", {PanelAction::setText(kIncrementalDirectory, "")}, {}, {}, Stored{"", 0},
       Stored{".bak_save", 1}},
      {"spaces only", {PanelAction::setText(kBakDirectory, "   ")}, {}, {},
       Stored{".incr_save", 1}, Stored{"", 0}},
      {"no text at all", {PanelAction::setText(kIncrementalDirectory, std::nullopt)}, {}, {},
       Stored{"", 0}, Stored{".bak_save", 1}},
      {"separators only", {PanelAction::setText(kIncrementalDirectory, " /\\/ ")}, {},
       {"error: Specify a valid incremental directory"}, {}, {}},
      {"BAK separators only", {PanelAction::setText(kBakDirectory, "\\\\")}, {},
       {"error: Specify a valid BAK directory"}, {}, {}},
      {"relative with trailing separators",
       {PanelAction::setText(kIncrementalDirectory, "  backups\\old/\\/  ")}, {}, {},
       Stored{"backups\\old", 1}, Stored{".bak_save", 1}},
      {"one leading separator", {PanelAction::setText(kBakDirectory, "\\backups")}, {}, {},
       Stored{".incr_save", 1}, Stored{"\\backups", 1}},
      {"300 characters", {PanelAction::setText(kIncrementalDirectory, "  " + longText)}, {}, {},
       Stored{longText.substr(0, 259), 1}, Stored{".bak_save", 1}},
      {"300 section signs, cut to 259 characters as the file system counts them",
       {PanelAction::setText(kIncrementalDirectory, signs)}, {}, {}, Stored{signs.substr(0, keptBytes), 1},
       Stored{".bak_save", 1}},
      {"absolute, accepted", {PanelAction::setText(kIncrementalDirectory, folder + "/\\ ")}, {true},
       {kAskIncremental}, Stored{folder, 2}, Stored{".bak_save", 1}},
      {"absolute, declined", {PanelAction::setText(kIncrementalDirectory, folder)}, {false},
       {kAskIncremental}, {}, {}},
      {"absolute, a file", {PanelAction::setText(kIncrementalDirectory, file)}, {true},
       {kAskIncremental, "error: Invalid incremental directory, a file with that name exists"}, {},
       {}},
      {"absolute, missing", {PanelAction::setText(kIncrementalDirectory, missing + "/")}, {true},
       {kAskIncremental, "error: " + missing + " | Directory does not exists"}, {}, {}},
      {"BAK absolute, a file", {PanelAction::setText(kBakDirectory, file)}, {true},
       {kAskBak, "error: Invalid BAK directory, a file with that name exists"}, {}, {}},
      {"network path", {PanelAction::setText(kBakDirectory, network)}, {true}, {kAskBak},
       Stored{".incr_save", 1}, Stored{network, 2}},
      {"both absolute, incremental first",
       {PanelAction::setText(kBakDirectory, folder), PanelAction::setText(kIncrementalDirectory, folder)},
       {true, true}, {kAskIncremental, kAskBak}, Stored{folder, 2}, Stored{folder, 2}},
  };
  for (const Case& c : cases) {
    if (c.name == "network path" && kSeparator != "/") continue;  // "//C:..." is no folder on Windows
    useDefaults();
    PanelSession confirm = c.edits;
    confirm.push_back(PanelAction::ok());
    bool refused = !c.incremental;
    std::vector<PanelSession> sessions = {confirm};
    if (refused) sessions.push_back({PanelAction::cancel()});
    EXPECT_EQ(runPanel(sessions, c.answers), refused ? 0 : 1) << c.name;
    EXPECT_EQ(shownMessages(), c.shown) << c.name;
    EXPECT_EQ(panel().timesShown(), refused ? 2 : 1) << c.name;
    const Stored incremental = c.incremental.value_or(Stored{".incr_save", 1});
    const Stored bak = c.bak.value_or(Stored{".bak_save", 1});
    EXPECT_EQ(held(incrementalProfile().directory), '"' + incremental.directory + '"') << c.name;
    EXPECT_EQ(incrementalProfile().directoryMode, incremental.mode) << c.name;
    EXPECT_EQ(held(bakProfile().directory), '"' + bak.directory + '"') << c.name;
    EXPECT_EQ(bakProfile().directoryMode, bak.mode) << c.name;
    EXPECT_EQ(fs::exists(settingsFile()), !refused) << c.name;
  }
}

TEST_F(OptionsPanelTest, ARefusalShowsThePanelAgainWithTheInputAsLeft) {
  useDefaults();
  EXPECT_EQ(runPanel({{PanelAction::setInteger(kIncrementalFormat, 7),
                       PanelAction::setText(kBakDirectory, "//"), PanelAction::ok()},
                      {PanelAction::setText(kBakDirectory, "bak"), PanelAction::ok()}}),
            1);
  EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: Specify a valid BAK directory"});
  EXPECT_EQ(panel().timesShown(), 2);
  EXPECT_EQ(incrementalProfile().nameFormat, 7) << "the first showing's edit survives the refusal";
  EXPECT_EQ(held(bakProfile().directory), "\"bak\"");
  EXPECT_TRUE(panel().destroyed());
}

TEST_F(OptionsPanelTest, GlobalNameIsCheckedAndConfirmedOnce) {
  const PanelAction useOn = PanelAction::setInteger(kUseGlobalName, 1);
  const PanelAction useOff = PanelAction::setInteger(kUseGlobalName, 0);
  auto name = [](const char* text) { return PanelAction::setText(kGlobalName, text); };
  const PanelAction ok = PanelAction::ok();
  struct Case {
    const char* name;
    int32_t storedUse;  // useGlobalName when the panel opens
    std::vector<PanelSession> sessions;
    std::vector<bool> answers;
    std::vector<std::string> shown;
    int result;
    int32_t use;            // useGlobalName afterwards
    const char* globalName;  // globalName afterwards
  } cases[] = {
      {"empty name", 0, {{useOn, name(""), ok}, {}}, {}, {kNoGlobalName}, 0, 0, "qkincr-lwo-bak"},
      {"blank name", 0, {{useOn, name("   "), ok}, {}}, {}, {kNoGlobalName}, 0, 0, "qkincr-lwo-bak"},
      {"no name", 0, {{useOn, PanelAction::setText(kGlobalName, std::nullopt), ok}, {}}, {},
       {kNoGlobalName}, 0, 0, "qkincr-lwo-bak"},
      {"space, dot and hyphen", 0, {{useOn, name("  my robot.v-2 "), ok}}, {true},
       {kAskGlobalName}, 1, 1, "my robot.v-2"},
      {"illegal character", 0, {{useOn, name("robot#2"), ok}, {}}, {}, {kIllegalGlobalName}, 0, 0,
       "qkincr-lwo-bak"},
      {"declined, then OK again", 0, {{useOn, name("robot"), ok}, {ok}}, {false},
       {kAskGlobalName}, 1, 1, "robot"},
      {"already in use", 1, {{name("robot"), ok}}, {}, {}, 1, 1, "robot"},
      {"switched off and on again", 1, {{useOff, PanelAction::setText(kBakDirectory, "/"), ok},
                                        {useOn, PanelAction::setText(kBakDirectory, "b"), ok}},
       {true}, {"error: Specify a valid BAK directory", kAskGlobalName}, 1, 1, "qkincr-lwo-bak"},
      {"off: the field is dropped", 0, {{useOn, name("bad:name?"), useOff, ok}}, {}, {}, 1, 0,
       "qkincr-lwo-bak"},
      {"switched off: the field is dropped", 1, {{name("new"), useOff, ok}}, {}, {}, 1, 0,
       "qkincr-lwo-bak"},
  };
  for (const Case& c : cases) {
    useDefaults();
    bakProfile().useGlobalName = c.storedUse;
    EXPECT_EQ(runPanel(c.sessions, c.answers), c.result) << c.name;
    EXPECT_EQ(shownMessages(), c.shown) << c.name;
    EXPECT_EQ(panel().timesShown(), static_cast<int>(c.sessions.size())) << c.name;
    EXPECT_EQ(panel().refusals(), std::vector<std::string>{}) << c.name;
    EXPECT_EQ(bakProfile().useGlobalName, c.use) << c.name;
    EXPECT_EQ(held(bakProfile().globalName), '"' + std::string(c.globalName) + '"') << c.name;
  }
}

TEST_F(OptionsPanelTest, ValuesOpenAsTheProfilesHoldThemAndOkStoresThem) {
  const OpenAndConfirm cases[] = {  // stored: numbers()
      {"defaults", [] {}, {},
       {{kIncrementalLimit, 0}, {kIncrementalMaxFiles, 10}, {kIncrementalCompressed, 0},
        {kBakMaxFiles, 1}, {kBakCompressed, 0}, {kBakFormat, 3}, {kIncrementalDigits, 3}},
       "incremental 0/3/0/0, bak 3/1/0/1/0"},
      {"incremental limit switched on", [] {},
       {PanelAction::setInteger(kIncrementalLimit, 1), PanelAction::setInteger(kIncrementalMaxFiles, 5)},
       {}, "incremental 0/3/0/5, bak 3/1/0/1/0"},
      {"switch off drops the maximum", [] { incrementalProfile().maxFiles = 7; },
       {PanelAction::setInteger(kIncrementalLimit, 0)},
       {{kIncrementalLimit, 1}, {kIncrementalMaxFiles, 7}}, "incremental 0/3/0/0, bak 3/1/0/1/0"},
      {"BAK maximum of 0", [] { bakProfile().maxFiles = 0; }, {}, {{kBakMaxFiles, 1}},
       "incremental 0/3/0/0, bak 3/1/0/1/0"},
      {"compression level 5", [] {
         incrementalProfile().compressionLevel = 5;
         incrementalProfile().nameFormat = 7;
         bakProfile().nameFormat = 4;
       },
       {}, {{kIncrementalCompression, 1}, {kIncrementalCompressed, 1}, {kBakCompressed, 1}},
       "incremental 7/3/1/0, bak 4/1/0/1/0"},
      {"limits clamp what is typed", [] {},
       {PanelAction::setInteger(kIncrementalDigits, 0), PanelAction::setInteger(kBakDigits, 9),
        PanelAction::setInteger(kIncrementalLimit, 1), PanelAction::setInteger(kIncrementalMaxFiles, -3),
        PanelAction::setInteger(kBakMaxFiles, 100000)},
       {}, "incremental 0/1/0/1, bak 3/8/0/100000/0"},
      {"far out of range", [] {},
       {PanelAction::setInteger(kIncrementalDigits, 300), PanelAction::setInteger(kBakDigits, INT32_MIN),
        PanelAction::setInteger(kIncrementalLimit, 1), PanelAction::setInteger(kIncrementalMaxFiles, 0),
        PanelAction::setInteger(kBakMaxFiles, -1)},
       {}, "incremental 0/8/0/1, bak 3/1/0/1/0"},
      {"the level is stored whatever the format", [] {},
       {PanelAction::setInteger(kIncrementalFormat, 4), PanelAction::setInteger(kIncrementalCompression, 1),
        PanelAction::setInteger(kIncrementalFormat, 2)},
       {}, "incremental 2/3/1/0, bak 3/1/0/1/0"},
  };
  for (const OpenAndConfirm& c : cases) {
    openAndConfirm(c, numbers);
    EXPECT_EQ(shownMessages(), std::vector<std::string>{}) << c.name;
  }
}

TEST_F(OptionsPanelTest, HistoryValuesOpenAsStoredAndOkStoresThemInRange) {
  using A = PanelAction;
  const OpenAndConfirm cases[] = {  // stored: history()
      {"each opens as its profile holds it", [] {
         SaveProfile& i = incrementalProfile();
         i.keepHours = 24;
         i.keepDays = 30;
         i.keepWeeks = 52;
         i.maxTotalMB = 5000;
         BakSaveProfile& b = bakProfile();
         b.keepHours = 1;
         b.keepDays = 2;
         b.keepWeeks = 3;
         b.maxTotalMB = 4;
       },
       {},
       {{kIncrementalKeepHours, 24}, {kIncrementalKeepDays, 30}, {kIncrementalKeepWeeks, 52},
        {kIncrementalMaxTotalMB, 5000}, {kBakKeepHours, 1}, {kBakKeepDays, 2}, {kBakKeepWeeks, 3},
        {kBakMaxTotalMB, 4}},
       "i 24/30/52/5000, b 1/2/3/4"},
      {"typed on both tabs", [] {},
       {A::setInteger(kIncrementalKeepDays, 7), A::setInteger(kIncrementalMaxTotalMB, 100000),
        A::setInteger(kBakKeepHours, 12), A::setInteger(kBakKeepWeeks, 8)},
       {}, "i 0/7/0/100000, b 12/0/8/0"},
      {"clamped to 0..100000", [] {},
       {A::setInteger(kIncrementalKeepHours, -1), A::setInteger(kIncrementalKeepWeeks, 100001),
        A::setInteger(kBakKeepDays, INT32_MAX), A::setInteger(kBakMaxTotalMB, INT32_MIN)},
       {}, "i 0/0/100000/0, b 0/100000/0/0"},
      {"switched off", [] {
         incrementalProfile().keepHours = 5;
         bakProfile().maxTotalMB = 9;
       },
       {A::setInteger(kIncrementalKeepHours, 0), A::setInteger(kBakMaxTotalMB, 0)},
       {{kIncrementalKeepHours, 5}, {kBakMaxTotalMB, 9}}, "i 0/0/0/0, b 0/0/0/0"},
  };
  for (const OpenAndConfirm& c : cases) openAndConfirm(c, history);
}

TEST_F(OptionsPanelTest, CompressionLevelIsEnabledOnlyForArchiveFormats) {
  useDefaults();
  struct Tab {
    uint32_t format, compression;
  } tabs[] = {{kIncrementalFormat, kIncrementalCompression}, {kBakFormat, kBakCompression}};
  host().clearRecords();
  host().queuePanelSession({PanelAction::cancel()});
  ASSERT_EQ(runOptionsPanel(), 0);
  qkhost::StandInPanel& shown = *host().panels().at(0);
  for (const Tab& tab : tabs) {
    for (int32_t format = 9; format >= 0; --format) {
      ASSERT_TRUE(shown.userSetInteger(tab.format, format));
      EXPECT_EQ(shown.isEnabled(tab.compression), format >= 4) << "format " << format;
    }
  }
  EXPECT_EQ(onPanelChange(&shown, kIncrementalDigits, kIncrementalDigits, HOST_PANEL_EVENT_VALUE), 0);
  EXPECT_EQ(onPanelChange(&shown, kBakFormat, kBakFormat, HOST_PANEL_EVENT_VALUE), HOST_PANEL_REDRAW);
  EXPECT_EQ(onPanelChange(&shown, kBakFormat, kBakFormat, 1), 0);
}

TEST_F(OptionsPanelTest, CancelAndAMissingPanelServiceChangeNothing) {
  useDefaults();
  const std::string before = numbers() + " " + history();
  EXPECT_EQ(runPanel({{PanelAction::setInteger(kIncrementalFormat, 5),
                       PanelAction::setInteger(kBakKeepWeeks, 4), PanelAction::cancel()}}),
            0);
  EXPECT_EQ(numbers() + " " + history(), before);
  EXPECT_TRUE(panel().destroyed());
  EXPECT_FALSE(fs::exists(settingsFile()));

  hostServices.xpanel = nullptr;  // a host without "LWXPanel"
  EXPECT_EQ(runPanel({}), 0);
  EXPECT_TRUE(host().calls().empty());
}

// OK stores the values whatever becomes of the file, and says when they
// last only until the host quits: a file there but unreadable since the
// load is never written over; one that cannot be written is named.
TEST_F(OptionsPanelTest, ValuesThatCannotBeWrittenLastForTheSessionAndSaySo) {
  const std::string gone = inScratch("gone") + kSeparator + "qk_revkeeper.cfg";
  const std::string failed = " | Failed to save settings, they last until Modeler quits";
  struct {
    const char* row;
    std::string folder;  // the host's settings folder
    bool heldAtLoad;
    std::string shown;
  } rows[] = {
      {"held at the load", settingsDir(), true,
       "error: " + settingsFile() + " | Settings could not be read and were left as they are, these values last "
       "until Modeler quits"},
      {"folder missing", inScratch("gone"), false, "error: " + gone + failed},
      {"no folder", "", false, "error: Settings folder unknown" + failed},
  };
  for (const auto& r : rows) {
    useDefaults();
    writeFile(settingsFile(), "as the artist left it");
    host().setFolder(HOST_FOLDER_SETTINGS, r.folder);
    {
      FaultPlan plan;
      plan.failCall(r.heldAtLoad ? kPlatformOpOpenRead : kPlatformOpCount, 1, kPlatformAccessDenied, 100);
      loadSettings();
    }
    EXPECT_EQ(runPanel({{PanelAction::setInteger(kBakDigits, 4), PanelAction::ok()}}), 1) << r.row;
    EXPECT_EQ(bakProfile().digits, 4) << r.row;
    EXPECT_EQ(shownMessages(), std::vector<std::string>{r.shown}) << r.row;
    EXPECT_EQ(readFile(settingsFile()), "as the artist left it") << r.row;
  }
}

TEST(GlobalNameCharactersTest, ExactlyTheTwentyTwoAreIllegal) {
  const std::string illegal = ":\\/*?~<>{}#&%$!'\"@+`|=";
  ASSERT_EQ(illegal.size(), 22u);
  for (int c = 1; c < 256; ++c) {
    std::string text = "a" + std::string(1, static_cast<char>(c)) + "b";
    EXPECT_EQ(hasIllegalNameChars(text.c_str()), illegal.find(static_cast<char>(c)) != std::string::npos)
        << "character " << c;
  }
  EXPECT_EQ(hasIllegalNameChars(nullptr), 0);
  EXPECT_EQ(hasIllegalNameChars(""), 0);
}

}  // namespace
}  // namespace qktest
