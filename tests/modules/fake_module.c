/* A plug-in file whose descriptor is wrong in one field, chosen at build
   time, for the stand-in host's load checks. */
#include "hostapi/host_interface.h"

static void* fakeStartup(void) { return (void*)1; }
static void fakeShutdown(void* value) { (void)value; }
static const HostServerRecord fakeServers[] = {{0, 0, 0, 0}};

__attribute__((visibility("default"))) const HostModuleDescriptor _mod_descrip = {
    FAKE_SYNC, FAKE_VERSION, FAKE_MACHINE, fakeStartup, fakeShutdown, fakeServers};
