// The module descriptor and the four command servers: all the host sees
// of the plug-in file.
#include "backups/save_profile.h"
#include "hostapi/host_interface.h"
#include "platform/export.h"
#include "plugin/command.h"

namespace {

void* moduleStartup() { return reinterpret_cast<void*>(1); }

// Frees the incremental profile's directory. The other owned strings are
// freed when the plug-in file is unloaded and the profiles are destroyed.
void moduleShutdown(void* /*startupValue*/) { incrementalProfile().release(); }

// One activation function per server, each passing its own CommandKind.
// Version 3 speaks the code page, version 4 UTF-8; every other version is
// refused without touching anything. The plug-in cannot learn which code
// page the host's language choice gives version 3, so it takes the
// system's ANSI code page for it.
template <CommandKind kind>
int32_t activate(int32_t version, HostGlobalFunc global, void* local, void* /*serverData*/) {
  if (version != HOST_INTERFACE_CODE_PAGE && version != HOST_INTERFACE_UTF8) return 1;
  HostTextEncoding encoding = version == HOST_INTERFACE_UTF8 ? kHostTextUtf8 : kHostTextCodePage;
  runCommand(global, static_cast<HostCommandInterface*>(local), kind, encoding);
  return 0;
}

const HostServerTag incrementalTags[] = {
    {"QK_RevKeeper", HOST_TAG_USER_NAME},
    {"Revision keeper", HOST_TAG_DESCRIPTION},
    {nullptr, 0},
};
const HostServerTag configureTags[] = {
    {"QK_RevKeeperConfig", HOST_TAG_USER_NAME},
    {"Revision keeper config", HOST_TAG_DESCRIPTION},
    {nullptr, 0},
};
const HostServerTag bakTags[] = {
    {"QK_BakKeeper", HOST_TAG_USER_NAME},
    {"Object saver with BAK files", HOST_TAG_DESCRIPTION},
    {nullptr, 0},
};

const HostServerTag openTags[] = {
    {"QK_RevKeeperOpen", HOST_TAG_USER_NAME},
    {"Open a backup", HOST_TAG_DESCRIPTION},
    {nullptr, 0},
};

const HostServerRecord servers[] = {
    {HOST_CLASS_COMMAND_SEQUENCE, "QK_RevKeeper", activate<kIncrementalCommand>, incrementalTags},
    {HOST_CLASS_COMMAND_SEQUENCE, "QK_RevKeeperCfg", activate<kConfigureCommand>, configureTags},
    {HOST_CLASS_COMMAND_SEQUENCE, "QK_BakKeeper", activate<kBakCommand>, bakTags},
    {HOST_CLASS_COMMAND_SEQUENCE, "QK_RevKeeperOpen", activate<kOpenCommand>, openTags},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

PLATFORM_EXPORT const HostModuleDescriptor _mod_descrip = {
    HOST_MODULE_SYNC, HOST_MODULE_VERSION, HOST_MODULE_MACHINE,
    moduleStartup,    moduleShutdown,      servers,
};
