// The options panel as the host receives it from the real plug-in file:
// its tables, the order of its calls, and the values it opens with.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "hostapi/host_interface.h"
#include "settings/panel_layout.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/test_platform.h"

namespace qktest {
namespace {

using qkhost::PanelAction;
using OptionsPanelHostTest = PluginTest;

// Returns "id text type" (the id in decimal) for each entry of a control
// list (text: the label) or a data description (text: the name).
template <typename Entry, typename Text>
std::vector<std::string> listed(const std::vector<Entry>& entries, Text Entry::*text) {
  std::vector<std::string> lines;
  for (const Entry& e : entries) lines.push_back(std::to_string(e.id) + " " + e.*text + " " + e.type);
  return lines;
}

TEST_F(OptionsPanelHostTest, PanelIsBuiltFromTheControlDataAndHintLists) {
  host().queuePanelSession({PanelAction::cancel()});
  activate(kConfigureServer);
  ASSERT_EQ(host().panels().size(), 1u);
  const qkhost::StandInPanel& panel = *host().panels()[0];
  EXPECT_EQ(panel.type(), HOST_PANEL_FORM);
  EXPECT_EQ(panel.label(), "Incremental Save Options");
  EXPECT_NE(panel.changeNotify(), nullptr);

  EXPECT_EQ(listed(panel.controls(), &qkhost::PanelControl::label), (std::vector<std::string>{
                          "32774 Filename Format iPopChoice", "32775 Number of Digits integer",
                          "32776 Compression Level iChoice", "32777 Incremental Directory string",
                          "32778 Limit Incremental Files iBoolean", "32779 Max Number of Files integer",
                          "32794 Skip Unchanged Saves iBoolean",
                          "32796 Keep Every Backup For (Hours) integer",
                          "32797 Keep One Per Day For (Days) integer",
                          "32798 Keep One Per Week For (Weeks) integer",
                          "32799 Max Total Size (MB) integer",
                          "32786 Filename Format iPopChoice", "32787 Number of Digits integer",
                          "32788 Compression Level iChoice", "32789 BAK Directory string",
                          "32790 Max Number of Files integer", "32795 Skip Unchanged Saves iBoolean",
                          "32800 Keep Every Backup For (Hours) integer",
                          "32801 Keep One Per Day For (Days) integer",
                          "32802 Keep One Per Week For (Weeks) integer",
                          "32803 Max Total Size (MB) integer",
                          "32792 Use Global File Name iBoolean", "32793 Global File Name string"}));
  EXPECT_EQ(listed(panel.data(), &qkhost::PanelDatum::name), (std::vector<std::string>{
                      "32774 Filename Format integer", "32775 Number of Digits integer",
                      "32776 Compression Level integer", "32777 Incremental Directory string",
                      "32778 Limit Incremental Files integer", "32779 Max Number of Files integer",
                      "32794 Skip Unchanged Saves integer",
                      "32796 Keep Every Backup For (Hours) integer",
                      "32797 Keep One Per Day For (Days) integer",
                      "32798 Keep One Per Week For (Weeks) integer",
                      "32799 Max Total Size (MB) integer",
                      "32780 --hidden-- integer", "32786 Filename Format integer",
                      "32787 Number of Digits integer", "32788 Compression Level integer",
                      "32789 BAK Directory string", "32790 Max Number of Files integer",
                      "32795 Skip Unchanged Saves integer",
                      "32800 Keep Every Backup For (Hours) integer",
                      "32801 Keep One Per Day For (Days) integer",
                      "32802 Keep One Per Week For (Weeks) integer",
                      "32803 Max Total Size (MB) integer",
                      "32792 Use Global File Name integer", "32793 Global File Name string",
                      "32791 --hidden-- integer"}));

  const std::vector<std::string> levels = {"Normal", "High"};
  EXPECT_EQ(panel.choices(),
            (std::map<uint32_t, std::vector<std::string>>{
                {0x8006, {"Name_001.lwo", "Name.001", "Name.lwo.001", "Name.001.lwo", "Name_001.zip",
                          "Name.001.zip", "Name.lwo.001.zip", "Name_001.7z", "Name.001.7z",
                          "Name.lwo.001.7z"}},
                {0x8008, levels},
                {0x8012, {"Name_bak001.lwo", "Name.bak001", "Name.lwo.bak001", "Name.bak001.lwo",
                          "Name_bak001.zip", "Name.bak001.zip", "Name.lwo.bak001.zip",
                          "Name_bak001.7z", "Name.bak001.7z", "Name.lwo.bak001.7z"}},
                {0x8014, levels}}));

  std::vector<std::string> limits;
  for (const auto& [id, l] : panel.limits())
    limits.push_back(std::to_string(id) + " " + std::to_string(l.minimum.value_or(-1)) +
                     (l.clampMinimum ? " clamped" : "") + " to " +
                     std::to_string(l.maximum.value_or(-1)) + (l.clampMaximum ? " clamped" : ""));
  std::vector<std::string> expectedLimits = {"32775 1 clamped to 8 clamped", "32779 1 clamped to -1",
                                             "32787 1 clamped to 8 clamped", "32790 1 clamped to -1"};
  for (uint32_t id = 0x801C; id <= 0x8023; ++id)
    expectedLimits.push_back(std::to_string(id) + " 0 clamped to 100000 clamped");
  EXPECT_EQ(limits, expectedLimits);

  EXPECT_EQ(panel.groups(), (std::map<uint32_t, std::vector<uint32_t>>{
                                {0x8002, {0x8003, 0x8004, 0x8005, 0x8024}},
                                {0x8003, {0x8006, 0x8007, 0x8008}},
                                {0x8004, {0x8009}},
                                {0x8005, {0x800A, 0x800B, 0x801A}},
                                {0x800D, {0x800E, 0x800F, 0x8010, 0x8025, 0x8011}},
                                {0x800E, {0x8012, 0x8013, 0x8014}},
                                {0x800F, {0x8015}},
                                {0x8010, {0x8016, 0x801B}},
                                {0x8011, {0x8018, 0x8019}},
                                {0x8024, {0x801C, 0x801D, 0x801E, 0x801F}},
                                {0x8025, {0x8020, 0x8021, 0x8022, 0x8023}}}));
  const std::string history =
      "History by age and size: with a keep rule on, Max Number of Files keeps at least the newest N";
  EXPECT_EQ(panel.labels(), (std::map<uint32_t, std::string>{
                                {0x8002, "Incremental"}, {0x800D, "BAK"}, {0x8024, history}, {0x8025, history}}));
  EXPECT_EQ(panel.tabs(), (std::map<uint32_t, std::vector<uint32_t>>{{0x8001, {0x8002, 0x800D}}}));
  EXPECT_EQ(panel.enableRules(), (std::vector<std::pair<uint32_t, uint32_t>>{
                                     {0x800C, 0x8008}, {0x8017, 0x8014}, {0x800A, 0x800B}, {0x8018, 0x8019}}));
}

TEST_F(OptionsPanelHostTest, CallsComeInTheHostsOrder) {
  const std::vector<std::string> opening = {
      "LWXPanel.create(2)",       "LWXPanel.describe((null), (null))", "LWXPanel.hint(0)",
      "LWXPanel.formSet(32774)",  "LWXPanel.formSet(32775)", "LWXPanel.formSet(32776)",
      "LWXPanel.formSet(32777)",  "LWXPanel.formSet(32796)", "LWXPanel.formSet(32797)",
      "LWXPanel.formSet(32798)",  "LWXPanel.formSet(32799)",
      "LWXPanel.formSet(32778)", "LWXPanel.formSet(32779)",
      "LWXPanel.formSet(32794)",  "LWXPanel.formSet(32780)", "LWXPanel.formSet(32786)",
      "LWXPanel.formSet(32787)",  "LWXPanel.formSet(32788)", "LWXPanel.formSet(32789)",
      "LWXPanel.formSet(32800)",  "LWXPanel.formSet(32801)", "LWXPanel.formSet(32802)",
      "LWXPanel.formSet(32803)",
      "LWXPanel.formSet(32790)",  "LWXPanel.formSet(32795)", "LWXPanel.formSet(32792)",
      "LWXPanel.formSet(32793)",  "LWXPanel.formSet(32791)",
      "LWXPanel.post()"};
  host().queuePanelSession({PanelAction::cancel()});
  activate(kConfigureServer);
  std::vector<std::string> cancelled = opening;
  cancelled.push_back("LWXPanel.destroy()");
  EXPECT_EQ(host().callLog(HOST_SERVICE_XPANEL), cancelled);

  host().clearRecords();
  host().queuePanelSession({PanelAction::ok()});
  activate(kConfigureServer);
  std::vector<std::string> log = host().callLog(HOST_SERVICE_XPANEL);
  ASSERT_GT(log.size(), opening.size() + 4);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + opening.size()), opening);
  // After OK: the three texts and the switch, before anything is stored.
  EXPECT_EQ(std::vector<std::string>(log.begin() + opening.size(), log.begin() + opening.size() + 4),
            (std::vector<std::string>{"LWXPanel.formGet(32777)", "LWXPanel.formGet(32789)",
                                      "LWXPanel.formGet(32793)", "LWXPanel.formGet(32792)"}));
  EXPECT_EQ(log.back(), "LWXPanel.destroy()");
}

TEST_F(OptionsPanelHostTest, TheFirstActivationLoadsTheSettingsBeforeThePanelOpens) {
  host().queuePanelSession({PanelAction::setInteger(0x8012, 8), PanelAction::setInteger(0x8018, 1),
                            PanelAction::setText(0x8019, "shared"), PanelAction::setText(0x8009, ""),
                            PanelAction::ok()});
  host().queueAnswer(true);  // the global name's question
  activate(kConfigureServer);
  ASSERT_EQ(listFolder(settingsDir()), std::vector<std::string>{"qk_revkeeper.cfg"});

  reload();
  host().queuePanelSession({PanelAction::cancel()});
  activate(kConfigureServer);
  const qkhost::StandInPanel& panel = *host().panels().at(0);
  EXPECT_EQ(panel.integer(0x8012), 8);
  EXPECT_EQ(panel.integer(0x8017), 1);
  EXPECT_EQ(panel.integer(0x8018), 1);
  EXPECT_EQ(panel.text(0x8019), "shared");
  EXPECT_EQ(panel.text(0x8009), "");
  EXPECT_EQ(panel.integer(0x8006), 0);
}

// The settings file does not depend on the interface that wrote it: a
// folder and a global name stored under one version open under the other
// as they were, wherever the code page spells them (always on Linux;
// Cyrillic is beyond code page 1252, and interface 3 cannot hand it over).
TEST_F(OptionsPanelHostTest, SettingsStoredUnderOneInterfaceOpenUnderTheOther) {
  struct Case {
    int32_t stored, opened;  // interface versions
    const char *folder, *name;
  } cases[] = {
      {HOST_INTERFACE_CODE_PAGE, HOST_INTERFACE_UTF8, "Würfel", "Château"},
      {HOST_INTERFACE_UTF8, HOST_INTERFACE_CODE_PAGE, "Würfel", "Château"},
      {HOST_INTERFACE_UTF8, HOST_INTERFACE_UTF8, "Настройки", "Кубик"},
  };
  for (const Case& c : cases) {
    const std::string row = std::to_string(c.stored) + " to " + std::to_string(c.opened) + " " + c.folder;
    const bool codePageNeeded = c.stored == HOST_INTERFACE_CODE_PAGE || c.opened == HOST_INTERFACE_CODE_PAGE;
    if (codePageNeeded && (codePageText(c.folder).empty() || codePageText(c.name).empty())) {
      printf("skipped %s: the code page cannot spell it\n", row.c_str());
      continue;
    }
    reload();
    host().queuePanelSession({PanelAction::setText(kIncrementalDirectory, c.folder),
                              PanelAction::setInteger(kUseGlobalName, 1),
                              PanelAction::setText(kGlobalName, c.name), PanelAction::ok()});
    host().queueAnswer(true);  // the global name's question
    activate(kConfigureServer, c.stored);
    reload();
    host().queuePanelSession({PanelAction::cancel()});
    activate(kConfigureServer, c.opened);
    const qkhost::StandInPanel& panel = *host().panels().at(0);
    EXPECT_EQ(panel.text(kIncrementalDirectory), c.folder) << row;
    EXPECT_EQ(panel.text(kGlobalName), c.name) << row;
  }
}

TEST_F(OptionsPanelHostTest, EachTabsOptionalValueOpensAsStoredAndIsStoredWithItsTab) {
  struct Case {
    uint32_t id, other;      // the value set, and its twin on the other tab
    const char *typed, *off;  // what turns it on and off
    int32_t value;
    const char* chunk;
  } cases[] = {
      {0x801A, 0x801B, "on", "off", 1, "NSKP"},  {0x801B, 0x801A, "on", "off", 1, "BSKP"},
      {0x801C, 0x8020, "24", "0", 24, "NKHR"},   {0x801D, 0x8021, "30", "0", 30, "NKDY"},
      {0x801E, 0x8022, "52", "0", 52, "NKWK"},   {0x801F, 0x8023, "5000", "0", 5000, "NSIZ"},
      {0x8020, 0x801C, "1", "0", 1, "BKHR"},     {0x8021, 0x801D, "100000", "0", 100000, "BKDY"},
      {0x8022, 0x801E, "2", "0", 2, "BKWK"},     {0x8023, 0x801F, "700", "0", 700, "BSIZ"},
  };
  const std::string file = settingsDir() + "/qk_revkeeper.cfg";
  for (const Case& c : cases) {
    const std::string name = c.chunk;
    host().queuePanelSession({PanelAction::enter(c.id, c.typed), PanelAction::ok()});
    activate(kConfigureServer);
    std::string written = readFile(file);
    ASSERT_EQ(written.size(), 188u) << name;
    EXPECT_EQ(written.substr(176, 4), c.chunk) << name;

    reload();  // a new host process reads the file
    host().queuePanelSession({PanelAction::cancel()});
    activate(kConfigureServer);
    const qkhost::StandInPanel& opened = *host().panels().at(0);
    EXPECT_EQ(opened.integer(c.id), c.value) << name;
    EXPECT_EQ(opened.integer(c.other), 0) << name;

    host().queuePanelSession({PanelAction::enter(c.id, c.off), PanelAction::ok()});
    activate(kConfigureServer);
    EXPECT_EQ(readFile(file).size(), 176u) << name;
  }
}

TEST_F(OptionsPanelHostTest, WhatThePanelStoresTheNextHostProcessSavesWith) {
  const std::string everyObject = absoluteFolder(inScratch("all"));
  std::filesystem::create_directory(inScratch("all"));
  host().queuePanelSession({PanelAction::enter(0x8006, "Name_001.zip"), PanelAction::enter(0x8007, "5"),
                            PanelAction::enter(0x8009, " backups/zips// "),
                            PanelAction::enter(0x8012, "Name_bak001.lwo"),
                            PanelAction::enter(0x8015, everyObject + "/"), PanelAction::enter(0x8018, "on"),
                            PanelAction::enter(0x8019, "shared"), PanelAction::ok()});
  host().queueAnswer(true);  // the BAK folder is absolute
  host().queueAnswer(true);  // a global name
  activate(kConfigureServer);
  ASSERT_EQ(host().panels().at(0)->refusals(), std::vector<std::string>{});
  ASSERT_EQ(host().messages().size(), 2u);

  reload();  // a new host process: the first activation reads the file
  std::string object = openObject("robot/Robot.lwo", sampleObject());
  const std::string saved = readFile(object);
  activate(kIncrementalServer);
  activate(kBakServer);
  EXPECT_EQ(shownMessages(), std::vector<std::string>{});
  EXPECT_EQ(host().saveCount(), 2);
  EXPECT_EQ(listFolder(scratch() + "/robot/backups/zips"), std::vector<std::string>{"Robot_00001.zip"});
  EXPECT_EQ(readFile(scratch() + "/robot/backups/zips/Robot_00001.zip").substr(0, 4), "PK\x03\x04");
  EXPECT_EQ(listFolder(scratch() + "/all"), std::vector<std::string>{"shared_bak1.lwo"});
  EXPECT_EQ(readFile(scratch() + "/all/shared_bak1.lwo"), saved);
}

}  // namespace
}  // namespace qktest
