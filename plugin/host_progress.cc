#include "plugin/host_progress.h"

#include <stdint.h>

#include <string>

#include "hostapi/host_services.h"

namespace {

const char kMonitorTitle[] = "QK_RevKeeper";

// The open monitor's position, in the units the host was given.
struct MonitorState {
  UInt64 total = 0;    // units of work given to Begin
  unsigned shift = 0;  // total >> shift fits 32 bits; positions are scaled alike
  UInt64 shown = 0;    // scaled units passed to step so far
  bool aborted = false;
};

MonitorState state;

void beginMonitor(const IArchiveProgress* /*p*/, UInt64 total, const char* text) {
  HostMonitorService* service = hostServices.dynamicMonitor;
  if (hostServices.activeMonitor != nullptr || service == nullptr) return;
  state = MonitorState();
  state.total = total;
  while ((total >> state.shift) > UINT32_MAX) ++state.shift;
  std::string converted;
  HostMonitor* monitor = service->create(kMonitorTitle, textToHost(text, &converted));
  hostServices.activeMonitor = monitor;
  if (monitor != nullptr) monitor->init(monitor->data, static_cast<uint32_t>(total >> state.shift));
}

int advanceMonitor(const IArchiveProgress* /*p*/, UInt64 done) {
  HostMonitor* monitor = hostServices.activeMonitor;
  if (monitor == nullptr) return 0;
  if (state.aborted) return 1;
  UInt64 scaled = (done < state.total ? done : state.total) >> state.shift;
  if (scaled <= state.shown) return 0;
  uint32_t increase = static_cast<uint32_t>(scaled - state.shown);
  state.shown = scaled;
  state.aborted = monitor->step(monitor->data, increase) != 0;
  return state.aborted;
}

void endMonitor(const IArchiveProgress* p) {
  HostMonitor* monitor = hostServices.activeMonitor;
  if (monitor == nullptr) return;
  if (!state.aborted) {
    advanceMonitor(p, state.total);
    state.aborted = false;  // the work is over: an abort on its last step changes nothing
  }
  monitor->done(monitor->data);
  hostServices.dynamicMonitor->destroy(monitor);
  hostServices.activeMonitor = nullptr;
}

int takeMonitorAbort(const IArchiveProgress* /*p*/) {
  int aborted = state.aborted;
  state.aborted = false;
  return aborted;
}

}  // namespace

const IArchiveProgress hostMonitorProgress = {beginMonitor, advanceMonitor, endMonitor, takeMonitorAbort};
