#include "hostapi/host_services.h"

#include <string>

HostServices hostServices;

namespace {

template <typename Service>
Service fetch(HostGlobalFunc global, const char* name) {
  return reinterpret_cast<Service>(global(name, 0));
}

// Fetches the services of interface version 3, those never called included.
void fetchCodePageServices(HostGlobalFunc global, int wantPanels) {
  HostServices& s = hostServices;
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
}

// Fetches the services of interface version 4 that the plug-in calls.
// Their records begin with the older layouts, so the same types serve.
void fetchUtf8Services(HostGlobalFunc global, int wantPanels) {
  HostServices& s = hostServices;
  s.stateQuery = fetch<HostStateQuery*>(global, HOST_SERVICE_STATE_QUERY_UTF8);
  s.messages = fetch<HostMessages*>(global, HOST_SERVICE_MESSAGES_UTF8);
  s.directoryInfo = fetch<HostDirectoryInfo>(global, HOST_SERVICE_DIRECTORY_INFO_UTF8);
  if (wantPanels == 1) s.xpanel = fetch<HostXPanel*>(global, HOST_SERVICE_XPANEL_UTF8);
  s.dynamicMonitor = fetch<HostMonitorService*>(global, HOST_SERVICE_DYNAMIC_MONITOR_UTF8);
}

}  // namespace

int acquireHostServices(HostGlobalFunc global, HostCommandInterface* commands, int wantPanels,
                        HostTextEncoding encoding) {
  HostServices& s = hostServices;
  s.globalFunction = global;
  s.commandInterface = commands;
  s.textEncoding = encoding;
  if (encoding == kHostTextUtf8)
    fetchUtf8Services(global, wantPanels);
  else
    fetchCodePageServices(global, wantPanels);
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
  std::string first, second;
  if (hostServices.messages != nullptr)
    hostServices.messages->error(textToHost(firstLine, &first), textToHost(secondLine, &second));
}

void showHostInfo(const char* text) {
  std::string converted;
  if (hostServices.messages != nullptr) hostServices.messages->info(textToHost(text, &converted), nullptr);
}

void reportAndRelease(const char* firstLine, const char* secondLine) {
  showHostError(firstLine, secondLine);
  releaseHostServices();
}
