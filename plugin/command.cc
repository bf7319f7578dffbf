#include "plugin/command.h"

#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "open/open_flow.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"
#include "settings/options_panel.h"
#include "settings/settings_file.h"

int firstActivation = 1;

namespace {

// Resets both profiles and loads the settings file over them. The first
// time the file turns out to be there but unreadable, tells the artist
// that backups are kept and none deleted until it can be read.
void loadProfiles() {
  int toldBefore = settingsUnreadable();  // an earlier load of this session found it unreadable
  incrementalProfile().reset();
  bakProfile().reset();
  loadSettings();  // a missing or damaged file leaves the defaults in force
  if (!settingsUnreadable() || toldBefore) return;
  showHostError(settingsFilePath(),
                "Settings could not be read; backups are kept and nothing is deleted until they can be");
}

}  // namespace

void runCommand(HostGlobalFunc global, HostCommandInterface* commands, CommandKind kind,
                HostTextEncoding encoding) {
  int wantPanels = kind == kConfigureCommand || kind == kOpenCommand ? 1 : 0;
  if (!acquireHostServices(global, commands, wantPanels, encoding)) {
    showHostError("Internal error (API init failed)", nullptr);
    releaseHostServices();  // leave no pointer of this host behind
    return;
  }
  if (firstActivation || settingsReloadDue()) {
    firstActivation = 0;
    loadProfiles();
  }
  if (kind == kConfigureCommand) {
    runOptionsPanel();
    releaseHostServices();
    return;
  }
  if (kind == kOpenCommand) {
    runOpenFlow(&hostMonitorProgress);  // releases the services on each of its ways out
    return;
  }
  // While the settings file cannot be read, the limits in force are
  // defaults that stand in for it: nothing is pruned by them.
  runSaveFlow(kind == kBakCommand ? BakSave : IncrementalSave, !settingsUnreadable(), &hostMonitorProgress);  // releases the services
}
