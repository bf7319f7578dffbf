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
    for (int32_t version : {2, 5, 0, -1}) {
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
      "LWM: State Query 3", "Host Display Info", "Info Messages 2", "Directory Info", "Scene Objects 5",
  };
  std::vector<std::string> withPanels = common;
  withPanels.insert(withPanels.end(), {"LWPanelServices", "LWXPanel", "LWM: Dynamic Monitor"});
  std::vector<std::string> withoutPanels = common;
  withoutPanels.push_back("LWM: Dynamic Monitor");
  // Interface 4: only the services called, each by its newer name.
  const std::vector<std::string> utf8 = {"LWM: State Query 5", "Info Messages 4", "Directory Info 2",
                                         "LWM: Dynamic Monitor 2"};
  const std::vector<std::string> utf8WithPanels = {"LWM: State Query 5", "Info Messages 4", "Directory Info 2",
                                                   "LWXPanel 3", "LWM: Dynamic Monitor 2"};

  struct Case {
    const char* server;
    int32_t highest;  // the host's highest interface version
    const std::vector<std::string>& fetches;
  } cases[] = {
      {kIncrementalServer, 3, withoutPanels}, {kBakServer, 3, withoutPanels},
      {kConfigureServer, 3, withPanels},      {kOpenServer, 3, withPanels},
      {kIncrementalServer, 4, utf8},          {kBakServer, 4, utf8},
      {kConfigureServer, 4, utf8WithPanels},  {kOpenServer, 4, utf8WithPanels},
  };
  host().setSaveCommandAvailable(false);  // acquisition only: nothing else runs
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.server) + " under interface " + std::to_string(c.highest));
    host().clearRecords();
    host().setInterface(c.highest);
    activate(c.server);
    ASSERT_EQ(host().activations().size(), 1u) << "the highest version is accepted";
    EXPECT_EQ(host().activations()[0].version, c.highest);
    EXPECT_EQ(host().activations()[0].fetched, c.fetches);
    EXPECT_EQ(host().callLog("command").at(0), "command.lookup(SAVE)");
  }
}

}  // namespace
}  // namespace qktest
