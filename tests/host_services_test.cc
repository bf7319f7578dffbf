// The plug-in's acquisition and release of host services, driven directly.
#include <gtest/gtest.h>

#include "host/stand_in_host.h"
#include "plugin/command.h"
#include "plugin/host_services.h"

namespace {

void expectPerActivationEntriesCleared() {
  EXPECT_EQ(hostServices.stateQuery, nullptr);
  EXPECT_EQ(hostServices.hostDisplayInfo, nullptr);
  EXPECT_EQ(hostServices.messages, nullptr);
  EXPECT_EQ(hostServices.directoryInfo, nullptr);
  EXPECT_EQ(hostServices.sceneObjects, nullptr);
  EXPECT_EQ(hostServices.panelServices, nullptr);
  EXPECT_EQ(hostServices.xpanel, nullptr);
  EXPECT_EQ(hostServices.saveCommand, 0);
}

TEST(HostServicesTest, AcquireFillsEveryFieldAndReleaseClearsThePerActivationOnes) {
  qkhost::StandInHost host;
  ASSERT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 1), 1);
  EXPECT_NE(hostServices.stateQuery, nullptr);
  EXPECT_NE(hostServices.hostDisplayInfo, nullptr);
  EXPECT_NE(hostServices.messages, nullptr);
  EXPECT_NE(hostServices.directoryInfo, nullptr);
  EXPECT_NE(hostServices.sceneObjects, nullptr);
  EXPECT_NE(hostServices.panelServices, nullptr);
  EXPECT_NE(hostServices.xpanel, nullptr);
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
  ASSERT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 0), 1);
  EXPECT_EQ(hostServices.panelServices, nullptr);
  EXPECT_EQ(hostServices.xpanel, nullptr);
  releaseHostServices();
}

TEST(HostServicesTest, OnlyTheSaveLookupDecides) {
  qkhost::StandInHost host;
  host.removeService(HOST_SERVICE_STATE_QUERY);
  EXPECT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 0), 1);
  releaseHostServices();
  host.setSaveCommandAvailable(false);
  EXPECT_EQ(acquireHostServices(host.globalFunction(), host.commandInterface(), 0), 0);
  releaseHostServices();
}

TEST(HostServicesTest, EveryActivationEndsWithTheEntriesCleared) {
  qkhost::StandInHost host;
  for (SaveKind kind : {IncrementalSave, Configure, BakSave}) {
    runCommand(host.globalFunction(), host.commandInterface(), kind);
    expectPerActivationEntriesCleared();
  }
}

}  // namespace
