// HostServices: the host's services for the running command activation.
//
// One process-wide record. Every activation fills it afresh through
// acquireHostServices and clears the per-activation entries through
// releaseHostServices before it returns, so no code relies on a service
// pointer from an earlier activation.
#ifndef QK_HOSTAPI_HOST_SERVICES_H_
#define QK_HOSTAPI_HOST_SERVICES_H_

#include <stdint.h>

#include "hostapi/host_interface.h"
#include "hostapi/host_text.h"

struct HostServices {
  HostGlobalFunc globalFunction;            // kept after release
  HostCommandInterface* commandInterface;   // kept after release
  HostStateQuery* stateQuery;               // cleared by release
  void* hostDisplayInfo;                    // cleared by release; never called
  HostMessages* messages;                   // cleared by release
  HostDirectoryInfo directoryInfo;          // cleared by release
  void* sceneObjects;                       // cleared by release; never called
  void* panelServices;                      // configuration only; cleared; never called
  HostXPanel* xpanel;                       // configuration only; cleared by release
  HostMonitorService* dynamicMonitor;       // kept after release
  HostMonitor* activeMonitor;               // the running 7z backup's monitor, else null
  int32_t saveCommand;                      // code of "SAVE"; 0 when none or released
  int32_t loadCommand;                      // code of "LOAD" once looked up; 0 when none or released
  HostTextEncoding textEncoding;            // the running activation's; kept after release
};

// The process-wide record; zero when the plug-in is loaded.
extern HostServices hostServices;

// Stores `global`, `commands` and `encoding`, fetches every service of an
// activation (the panel services only when `wantPanels` is 1) and looks up
// "SAVE". In the code page the services of interface version 3 are
// fetched, with "Host Display Info", "Scene Objects 5" and
// "LWPanelServices" that are never called; in UTF-8 only the services
// called, each by its version-4 name. Returns 1 iff the host knows "SAVE";
// the fetched services are not tested.
int acquireHostServices(HostGlobalFunc global, HostCommandInterface* commands, int wantPanels,
                        HostTextEncoding encoding);

// Clears the per-activation services and the "SAVE" and "LOAD" codes.
void releaseHostServices();

// Shows an error message of `firstLine` and `secondLine` (null for none),
// or nothing when the host gave no message service.
void showHostError(const char* firstLine, const char* secondLine);

// Shows the information message `text`, or nothing when the host gave no
// message service.
void showHostInfo(const char* text);

// Shows the error `firstLine` / `secondLine` (which may be null), then
// releases the host services.
void reportAndRelease(const char* firstLine, const char* secondLine);

#endif  // QK_HOSTAPI_HOST_SERVICES_H_
