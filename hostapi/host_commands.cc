#include "hostapi/host_commands.h"

#include <string.h>

#include "hostapi/host_services.h"
#include "platform/text.h"

namespace {

// Executes the host command `code` with one string argument `text`.
int32_t executeWithText(int32_t code, const char* text) {
  HostCommandInterface* commands = hostServices.commandInterface;
  HostDynamicValue argument = {};
  argument.string.type = HOST_DYNAMIC_STRING;
  argument.string.text = text;
  argument.string.length = text != nullptr ? static_cast<int32_t>(strlen(text) + 1) : 0;
  HostDynamicValue result = {};
  return commands->execute(commands->data, code, 1, &argument, 0, &result);
}

}  // namespace

const char* saveableObjectName() {
  HostStateQuery* query = hostServices.stateQuery;
  const char* name = query != nullptr ? query->object() : nullptr;
  bool saveable = name != nullptr && static_cast<signed char>(name[0]) >= 32 &&
                  platformEndsWithIgnoringCase(name, ".lwo");
  return saveable ? name : nullptr;
}

int lookupHostLoad() {
  HostCommandInterface* commands = hostServices.commandInterface;
  hostServices.loadCommand = commands->lookup(commands->data, HOST_COMMAND_LOAD);
  return hostServices.loadCommand != 0;
}

int32_t executeHostSave() { return executeWithText(hostServices.saveCommand, nullptr); }

int32_t executeHostLoad(const char* path) { return executeWithText(hostServices.loadCommand, path); }
