// The command body shared by the four command servers.
#ifndef QK_PLUGIN_COMMAND_H_
#define QK_PLUGIN_COMMAND_H_

#include "hostapi/host_interface.h"
#include "hostapi/host_text.h"

// The command that runs; each server passes its own constant.
enum CommandKind : int32_t {
  kIncrementalCommand = 0,  // "QK_RevKeeper": an incremental save
  kConfigureCommand = 1,    // "QK_RevKeeperCfg": the options panel
  kBakCommand = 2,          // "QK_BakKeeper": a BAK save
  kOpenCommand = 3,         // "QK_RevKeeperOpen": open a backup
};

// 1 from load until the first activation whose acquisition succeeds.
extern int firstActivation;

// Acquires the host services for an activation whose texts are in
// `encoding`, performs the first-use initialisation when it
// is due (reset both profiles, then load the settings file over them; again
// at each activation while the file is there but cannot be read, and the
// first such failure is shown) and runs the options panel, the save flow or
// the opening of a backup. A host without "SAVE" gets the
// error "Internal error (API init failed)" and nothing else happens.
void runCommand(HostGlobalFunc global, HostCommandInterface* commands, CommandKind kind,
                HostTextEncoding encoding);

#endif  // QK_PLUGIN_COMMAND_H_
