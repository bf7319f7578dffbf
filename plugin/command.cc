#include "plugin/command.h"

#include "plugin/host_services.h"
#include "save/open_flow.h"
#include "save/save_flow.h"
#include "save/save_profile.h"
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

void runCommand(HostGlobalFunc global, HostCommandInterface* commands, SaveKind kind) {
  if (!acquireHostServices(global, commands, kind == Configure || kind == OpenBackup ? 1 : 0)) {
    showHostError("Internal error (API init failed)", nullptr);
    releaseHostServices();  // leave no pointer of this host behind
    return;
  }
  if (firstActivation || settingsReloadDue()) {
    firstActivation = 0;
    loadProfiles();
  }
  if (kind == Configure) {
    runOptionsPanel();
    releaseHostServices();
    return;
  }
  if (kind == OpenBackup) {
    runOpenFlow();  // releases the services on each of its ways out
    return;
  }
  runSaveFlow(kind);  // releases the services on each of its ways out
}
