#include "archive/progress_monitor.h"

#include "plugin/host_services.h"

namespace {

const char kMonitorTitle[] = "QK_RevKeeper";

// Returns SZ_OK always: progress is shown, never a reason to stop.
SRes reportProgress(ICompressProgressPtr /*p*/, UInt64 inSize, UInt64 /*outSize*/) {
  HostMonitor* monitor = hostServices.activeMonitor;
  if (monitor != nullptr) monitor->step(monitor->data, static_cast<uint32_t>(inSize));
  return SZ_OK;
}

}  // namespace

ICompressProgress monitorProgress = {reportProgress};

void openProgressMonitor(UInt64 total, const char* text) {
  HostMonitorService* service = hostServices.dynamicMonitor;
  if (hostServices.activeMonitor != nullptr || service == nullptr) return;
  HostMonitor* monitor = service->create(kMonitorTitle, text);
  hostServices.activeMonitor = monitor;
  if (monitor != nullptr) monitor->init(monitor->data, static_cast<uint32_t>(total));
}

void closeProgressMonitor() {
  HostMonitor* monitor = hostServices.activeMonitor;
  if (monitor == nullptr) return;
  monitor->done(monitor->data);
  hostServices.dynamicMonitor->destroy(monitor);
  hostServices.activeMonitor = nullptr;
}
