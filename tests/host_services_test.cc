// The plug-in's acquisition and release of host services, driven directly.
#include <gtest/gtest.h>

#include <vector>

#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "plugin/command.h"

namespace {

struct Entry {
  const char* name;
  const void* value;
};

// The entries that every activation fetches afresh and release clears.
std::vector<Entry> perActivationEntries() {
  const HostServices& s = hostServices;
  return {{"stateQuery", s.stateQuery},       {"hostDisplayInfo", s.hostDisplayInfo},
          {"messages", s.messages},           {"directoryInfo", reinterpret_cast<const void*>(s.directoryInfo)},
          {"sceneObjects", s.sceneObjects},   {"panelServices", s.panelServices},
          {"xpanel", s.xpanel}};
}

void expectPerActivationEntriesCleared() {
  for (const Entry& e : perActivationEntries()) EXPECT_EQ(e.value, nullptr) << e.name;
  EXPECT_EQ(hostServices.saveCommand, 0);
}

TEST(HostServicesTest, AcquireFillsEveryFieldAndReleaseClearsThePerActivationOnes) {
  qkhost::StandInHost host;
  ASSERT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 1, kHostTextCodePage), 1);
  for (const Entry& e : perActivationEntries()) EXPECT_NE(e.value, nullptr) << e.name;
  EXPECT_NE(hostServices.dynamicMonitor, nullptr);
  EXPECT_NE(hostServices.saveCommand, 0);
  // The three never-called services are distinct records.
  EXPECT_NE(hostServices.hostDisplayInfo, hostServices.sceneObjects);
  EXPECT_NE(hostServices.sceneObjects, hostServices.panelServices);

  releaseHostServices();
  expectPerActivationEntriesCleared();
  EXPECT_NE(hostServices.globalFunction, nullptr) << "kept after release";
  EXPECT_NE(hostServices.commandInterface, nullptr) << "kept after release";
  EXPECT_NE(hostServices.dynamicMonitor, nullptr) << "kept after release";
}

TEST(HostServicesTest, SaveCommandsNeverFetchThePanelServices) {
  qkhost::StandInHost host;
  ASSERT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage), 1);
  EXPECT_EQ(hostServices.panelServices, nullptr);
  EXPECT_EQ(hostServices.xpanel, nullptr);
  releaseHostServices();
}

TEST(HostServicesTest, OnlyTheSaveLookupDecides) {
  qkhost::StandInHost host;
  host.removeService(HOST_SERVICE_STATE_QUERY);
  EXPECT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage), 1);
  releaseHostServices();
  host.setSaveCommandAvailable(false);
  EXPECT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage), 0);
  releaseHostServices();
}

TEST(HostServicesTest, EveryActivationEndsWithTheEntriesCleared) {
  qkhost::StandInHost host;
  for (CommandKind kind : {kIncrementalCommand, kConfigureCommand, kBakCommand}) {
    runCommand(host.globalFunction(), host.commandInterface(), kind, kHostTextCodePage);
    expectPerActivationEntriesCleared();
  }
}

}  // namespace
