#include "hostapi/host_services.h"

HostServices hostServices;

namespace {

template <typename Service>
Service fetch(HostGlobalFunc global, const char* name) {
  return reinterpret_cast<Service>(global(name, 0));
}

}  // namespace

int acquireHostServices(HostGlobalFunc global, HostCommandInterface* commands, int wantPanels) {
  HostServices& s = hostServices;
  s.globalFunction = global;
  s.commandInterface = commands;
  s.stateQuery = fetch<HostStateQuery*>(global, HOST_SERVICE_STATE_QUERY);
  s.hostDisplayInfo = fetch<void*>(global, HOST_SERVICE_DISPLAY_INFO);
  s.messages = fetch<HostMessages*>(global, HOST_SERVICE_MESSAGES);
  s.directoryInfo = fetch<HostDirectoryInfo>(global, HOST_SERVICE_DIRECTORY_INFO);
  s.sceneObjects = fetch<void*>(global, HOST_SERVICE_SCENE_OBJECTS);
  if (wantPanels == 1) {
    s.panelServices = fetch<void*>(global, HOST_SERVICE_PANEL_SERVICES);
    s.xpanel = fetch<HostXPanel*>(global, HOST_SERVICE_XPANEL);
  }
  s.dynamicMonitor = fetch<HostMonitorService*>(global, HOST_SERVICE_DYNAMIC_MONITOR);
  s.saveCommand = commands->lookup(commands->data, HOST_COMMAND_SAVE);
  return s.saveCommand != 0;
}

void releaseHostServices() {
  HostServices& s = hostServices;
  s.stateQuery = nullptr;
  s.hostDisplayInfo = nullptr;
  s.messages = nullptr;
  s.directoryInfo = nullptr;
  s.sceneObjects = nullptr;
  s.panelServices = nullptr;
  s.xpanel = nullptr;
  s.saveCommand = 0;
  s.loadCommand = 0;
}

void showHostError(const char* firstLine, const char* secondLine) {
  if (hostServices.messages != nullptr) hostServices.messages->error(firstLine, secondLine);
}

void showHostInfo(const char* text) {
  if (hostServices.messages != nullptr) hostServices.messages->info(text, nullptr);
}

void reportAndRelease(const char* firstLine, const char* secondLine) {
  showHostError(firstLine, secondLine);
  releaseHostServices();
}
