#include "plugin/command.h"

#include "plugin/host_services.h"
#include "save/open_flow.h"
#include "save/save_flow.h"
#include "save/save_profile.h"
#include "settings/options_panel.h"
#include "settings/settings_file.h"

int firstActivation = 1;

void runCommand(HostGlobalFunc global, HostCommandInterface* commands, SaveKind kind) {
  if (!acquireHostServices(global, commands, kind == Configure || kind == OpenBackup ? 1 : 0)) {
    if (hostServices.messages != nullptr)
      hostServices.messages->error("Internal error (API init failed)", nullptr);
    releaseHostServices();  // leave no pointer of this host behind
    return;
  }
  if (firstActivation) {
    firstActivation = 0;
    incrementalProfile().reset();
    bakProfile().reset();
    loadSettings();  // a missing or damaged file leaves the defaults in force
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
