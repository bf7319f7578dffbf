#include "hostapi/host_commands.h"

#include <string.h>

#include <string>

#include "hostapi/host_services.h"
#include "platform/text.h"

namespace {

// Executes the host command `code` with one string argument `text`, in the
// activation's encoding: a UTF-8 text goes with the length 0 by which the
// host knows it.
int32_t executeWithText(int32_t code, const char* text) {
  HostCommandInterface* commands = hostServices.commandInterface;
  std::string converted;
  HostDynamicValue argument = {};
  argument.string.type = HOST_DYNAMIC_STRING;
  argument.string.text = textToHost(text, &converted);
  bool counted = text != nullptr && hostServices.textEncoding != kHostTextUtf8;
  argument.string.length = counted ? static_cast<int32_t>(strlen(argument.string.text) + 1) : 0;
  HostDynamicValue result = {};
  return commands->execute(commands->data, code, 1, &argument, 0, &result);
}

}  // namespace

const char* saveableObjectName() {
  static std::string converted;  // the name handed out, until the next call
  HostStateQuery* query = hostServices.stateQuery;
  const char* name = query != nullptr ? textFromHost(query->object(), &converted) : nullptr;
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
