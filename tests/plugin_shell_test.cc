// The plug-in file as the host sees it: descriptor, servers, activation.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/support/plugin_fixture.h"

namespace qktest {
namespace {

using ShellTest = PluginTest;

TEST_F(ShellTest, DescriptorAndServerTable) {
  const HostModuleDescriptor& d = module().descriptor();
  EXPECT_EQ(d.sync, 0x04121994u);
  EXPECT_EQ(d.version, 3u);
  EXPECT_EQ(d.machine, 0x300u);
  EXPECT_EQ(d.startup(), reinterpret_cast<void*>(1));

  struct Expected {
    const char* name;
    const char* userName;
    const char* description;
  } expected[] = {
      {"QK_RevKeeper", "QK_RevKeeper", "Revision keeper"},
      {"QK_RevKeeperCfg", "QK_RevKeeperConfig", "Revision keeper config"},
      {"QK_BakKeeper", "QK_BakKeeper", "Object saver with BAK files"},
      {"QK_RevKeeperOpen", "QK_RevKeeperOpen", "Open a backup"},
  };
  std::vector<qkhost::ServerInfo> servers = module().servers();
  ASSERT_EQ(servers.size(), std::size(expected));
  for (size_t i = 0; i < servers.size(); ++i) {
    EXPECT_EQ(servers[i].className, "CommandSequence");
    EXPECT_EQ(servers[i].name, expected[i].name);
    EXPECT_EQ(servers[i].userName, expected[i].userName);
    EXPECT_EQ(servers[i].description, expected[i].description);
  }
  const HostServerRecord& end = d.servers[std::size(expected)];
  EXPECT_EQ(end.className, nullptr);
  EXPECT_EQ(end.serverName, nullptr);
  EXPECT_EQ(end.activate, nullptr);
  EXPECT_EQ(end.tags, nullptr);
  // Each tag list: user name, description, then the {null, 0} end.
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(d.servers[i].tags[0].tag, 0u);
    EXPECT_EQ(d.servers[i].tags[1].tag, 0x40000u);
    EXPECT_EQ(d.servers[i].tags[2].text, nullptr);
    EXPECT_EQ(d.servers[i].tags[2].tag, 0u);
  }
}

TEST_F(ShellTest, OtherInterfaceVersionsAreRefusedWithoutAnyCall) {
  for (const char* server : {kIncrementalServer, kConfigureServer, kBakServer}) {
    for (int32_t version : {2, 4, 0, -1}) {
      host().clearRecords();
      EXPECT_EQ(activate(server, version), 1) << server << " version " << version;
      EXPECT_TRUE(host().calls().empty()) << server << " version " << version;
    }
  }
}

TEST_F(ShellTest, HostWithoutSaveGetsTheInternalError) {
  host().setSaveCommandAvailable(false);
  for (const char* server : {kIncrementalServer, kConfigureServer, kBakServer}) {
    host().clearRecords();
    EXPECT_EQ(activate(server), 0) << server;
    EXPECT_EQ(shownMessages(), std::vector<std::string>{"error: Internal error (API init failed)"})
        << server;
    EXPECT_TRUE(host().messages()[0].secondLine == std::nullopt);
    EXPECT_TRUE(host().panels().empty()) << server;
  }
}

TEST_F(ShellTest, ServicesAreFetchedInOrderAndPanelsOnlyForConfiguration) {
  const std::vector<std::string> common = {
      "global.fetch(LWM: State Query 3, 0)", "global.fetch(Host Display Info, 0)",
      "global.fetch(Info Messages 2, 0)",    "global.fetch(Directory Info, 0)",
      "global.fetch(Scene Objects 5, 0)",
  };
  std::vector<std::string> withPanels = common;
  withPanels.push_back("global.fetch(LWPanelServices, 0)");
  withPanels.push_back("global.fetch(LWXPanel, 0)");
  withPanels.push_back("global.fetch(LWM: Dynamic Monitor, 0)");
  std::vector<std::string> withoutPanels = common;
  withoutPanels.push_back("global.fetch(LWM: Dynamic Monitor, 0)");

  struct Case {
    const char* server;
    const std::vector<std::string>& fetches;
  } cases[] = {
      {kIncrementalServer, withoutPanels},
      {kBakServer, withoutPanels},
      {kConfigureServer, withPanels},
  };
  host().setSaveCommandAvailable(false);  // acquisition only: nothing else runs
  for (const Case& c : cases) {
    host().clearRecords();
    activate(c.server, HOST_INTERFACE_CODE_PAGE);
    std::vector<std::string> expected = c.fetches;
    expected.push_back("command.lookup(SAVE)");
    std::vector<std::string> log = host().callLog("global");
    log.push_back(host().callLog("command").at(0));
    EXPECT_EQ(log, expected) << c.server;
  }
}

}  // namespace
}  // namespace qktest
